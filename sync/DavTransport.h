#pragma once
// The road to the server: a batch of HTTP requests in, their answers out. The real one
// goes through Qt Network; tests may put another behind the same interface.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <vector>

struct THttpRequest {
    QByteArray method;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int timeoutMs = 0; // without a byte moving; 0: the transport's own
};

struct THttpResponse {
    enum class Failure { None, NoAnswer, Timeout, TooLarge, Certificate, Refused };
    Failure failure = Failure::None;
    int status = 0;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    QString error;                                // the network layer's own words
    QByteArray certificateFingerprint;            // SHA-256, hex with colons, of a certificate not trusted

    QByteArray header(const QByteArray &lowerName) const;
    bool ok() const { return failure == Failure::None && status >= 200 && status < 300; }
};

class TDavTransport {
public:
    virtual ~TDavTransport() = default;
    // Every request gets an answer, in the same order; several may be under way at once.
    virtual std::vector<THttpResponse> Send(const std::vector<THttpRequest> &requests) = 0;
};

// Over QNetworkAccessManager, with Basic authentication when a user name is given. Every
// answer's body is read in pieces and given up beyond MaxBody, so that a server sending
// without end cannot fill the memory. A certificate the system does not trust is taken
// only when its fingerprint is the one the user accepted.
class QNetworkAccessManager;

class TQtTransport : public TDavTransport {
public:
    TQtTransport(const QString &user, const QString &password, const QByteArray &acceptedFingerprint = {});
    ~TQtTransport() override;
    std::vector<THttpResponse> Send(const std::vector<THttpRequest> &requests) override;

    qint64 MaxBody = 16LL * 1024 * 1024;
    int TimeoutMs = 30000;   // without a byte moving
    int MaxInFlight = 6; // Qt opens at most six connections to one server
    // Set from another thread: every request under way is given up at once (the program is ending).
    std::shared_ptr<std::atomic_bool> Cancel;

private:
    // One for the transport's life, made on the thread that sends: its connections stay
    // open between rounds instead of a new handshake for every request.
    std::unique_ptr<QNetworkAccessManager> m_nam;
    QByteArray m_authorization;
    QByteArray m_acceptedFingerprint;
};
