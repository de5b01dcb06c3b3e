#pragma once
// What the last sync left both sides agreeing on, per day: where the day's journal is on
// the server, its ETag, and a digest of the note as it was then; the collection and its
// sync-token. Kept in a file of its own under Data, written whole by rename.
#include <QByteArray>
#include <QString>

#include <map>

struct TSyncState {
    struct Day {
        QString href;
        QByteArray etag;
        QByteArray digest; // of the note both sides held after the last sync
        bool operator==(const Day &) const = default;
    };

    QString address;    // the address the user gave; another address starts afresh
    QString collection; // the calendar collection found for it
    QByteArray token;   // empty: list everything next time
    std::map<QString, Day> days;           // by day key
    std::map<QString, QByteArray> foreign; // journals of other programs already taken in: href, ETag
    struct Yearly {
        long long id = 0; // the row of the date here
        QString href;
        QByteArray etag;
        QByteArray digest;
        bool operator==(const Yearly &) const = default;
    };
    std::map<QString, Yearly> yearly; // yearly dates by UID

    // False when the file is there but cannot be read as a state (the state is then empty).
    bool Load(const QString &path);
    bool Save(const QString &path) const;

    bool operator==(const TSyncState &) const = default;

    static QByteArray Digest(const QByteArray &rtf, const QString &plain);
};
