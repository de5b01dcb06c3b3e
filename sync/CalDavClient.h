#pragma once
// A CalDAV client of one calendar collection: finding it from a server address (or
// taking it as given), creating it when missing, listing what changed since a
// sync-token (or by ETags when the server keeps none), fetching calendar objects and
// writing them with If-Match / If-None-Match so that nothing is overwritten blindly.
#include "DavTransport.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class TCalDavClient {
public:
    explicit TCalDavClient(TDavTransport &transport) : m_transport(transport) {}

    struct Error {
        enum class Kind { None, Connect, Timeout, Auth, Certificate, BadAnswer, TooLarge, NotFound, Unsafe };
        Kind kind = Kind::None;
        int status = 0;
        QString detail;
        QByteArray fingerprint;
    };
    // What went wrong last.
    const Error &LastError() const { return m_error; }

    // The address is a calendar collection, a principal or a server. A collection that
    // is named but missing is created; a server or principal gets our own calendar in
    // its calendar home, created when missing.
    std::optional<QUrl> Discover(const QUrl &address);

    struct Member {
        QString href;      // the path on the server, decoded
        QByteArray etag;
        QByteArray data;   // the calendar object, when it came with the listing
        bool hasData = false;
    };
    struct Changes {
        QByteArray token;             // empty when the server keeps no sync-token
        std::vector<Member> changed;  // new or changed since the token
        std::vector<QString> removed;
        bool complete = false;        // changed lists every member (a first or a renewed listing)
    };
    // With an empty token: every member, ETags only. With a token: what changed since,
    // with the objects themselves. A token the server no longer knows gives a complete listing.
    // withData false: ETags only, the objects fetched by the caller where it needs them.
    std::optional<Changes> FetchChanges(const QUrl &collection, const QByteArray &token, bool withData = true);

    // The objects of these members, a hundred at a time.
    std::optional<std::vector<Member>> Fetch(const QUrl &collection, const std::vector<QString> &hrefs);

    struct Write {
        QString href;
        QByteArray data;        // empty: delete
        QByteArray ifMatch;     // empty: the object must not exist yet (for a delete: unconditional)
    };
    struct Written {
        int status = 0;
        QByteArray etag;        // the new ETag when the server said it
        bool conflict = false;  // the object was changed (or made) by someone else meanwhile
        bool ok = false;
    };
    // Every write gets an answer; LastError tells when the server could not be reached or
    // refused us (the writes that are ok were done all the same).
    std::vector<Written> Apply(const QUrl &collection, const std::vector<Write> &writes);

    // A whole calendar into an empty collection in one request, for a server that takes a
    // PUT of the collection itself (the objects are named by their UIDs); the collection's
    // ETag makes sure nothing came in meanwhile. NotOffered: the server has no such way
    // (or something came in), the objects are to go one by one.
    enum class Import { Done, NotOffered, Failed };
    Import ImportInto(const QUrl &collection, const QByteArray &calendar);
    int ImportTimeoutMs = 15 * 60 * 1000; // the server answers only when it has stored everything
    // Without a byte moving, for every request; 0: the transport's own.
    int RequestTimeoutMs = 0;

    // Plain HTTP is let through only to this machine unless the user insisted.
    static bool SafeAddress(const QUrl &url, bool plainHttpAllowed);
    static QString PathOf(const QUrl &collection, const QString &href);

    // What one response of a multistatus says (parsed properties).
    struct Props;

private:
    std::optional<THttpResponse> request(const QByteArray &method, const QUrl &url, const QByteArray &depth,
                                         const QByteArray &body, bool followRedirects = false, QUrl *finalUrl = nullptr);
    std::optional<std::vector<Props>> propfind(const QUrl &url, const QByteArray &depth, const QByteArray &props,
                                               int *status, QUrl *finalUrl = nullptr);
    bool makeCalendar(const QUrl &url);
    bool fail(const THttpResponse &r);
    bool failBadAnswer(const QString &detail, int status = 0);

    TDavTransport &m_transport;
    Error m_error;
};
