#pragma once
// One two-way sync of the day notes with a calendar collection. The notes are read and
// written only through the notes repository; what both sides agreed on last time is in
// the sync state, so that a day changed on one side goes to the other, and a day changed
// on both keeps both texts (the other side's after a line naming its machine and time).
#include "CalDavClient.h"
#include "DayJournal.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <map>

class TNotesRepository;
class TYearlyDatesStore;
class TDavTransport;

struct TSyncSummary {
    int sent = 0;      // days written or deleted on the server
    int received = 0;  // days written here from the server
    int merged = 0;    // days changed on both sides, both texts kept
    int unreadable = 0; // objects of other programs that are no iCalendar (left where they are)
    int yearlySent = 0;     // yearly dates written or deleted on the server
    int yearlyReceived = 0; // yearly dates added, changed or deleted here
};

class TNoteSync {
public:
    TNoteSync(TNotesRepository &notes, TDavTransport &transport, const QString &statePath);

    QUrl Address;
    bool PlainHttpAllowed = false;
    QString Machine;  // names this machine in the other side's separator line
    // The yearly dates travel too when given (as events of the same collection).
    TYearlyDatesStore *Yearly = nullptr;
    // A first sync of at least this many days into an empty collection goes up as one
    // calendar where the server takes that, up to about this many bytes.
    int ImportAtLeast = 200;
    qint64 ImportMaxBytes = 48LL * 1024 * 1024;

    // Days a window shows: the sync never writes them here. What it would have written is
    // handed back in DeferredNotes, for the window to take in when the day is still as it
    // was read (then the next sync settles it); the server keeps it till then.
    QSet<QString> Deferred;
    struct DeferredDay {
        QByteArray beforeRtf; // the note here when the sync read it
        QByteArray rtf;
        QString plain;
    };
    std::map<QString, DeferredDay> DeferredNotes;
    // The days the sync wrote here, as they were before and are now: a week shown meanwhile
    // may hold the note from before.
    std::map<QString, DeferredDay> WrittenNotes;

    // True when both sides hold the same notes now (as far as they were not changed meanwhile).
    bool Run();

    TSyncSummary Summary;
    // The days written here: a shown week holding one of them is to be loaded again.
    QStringList ChangedKeys;
    // The yearly dates here were changed: lists and reminders are to read them again.
    bool YearlyChanged = false;
    // Empty after success; otherwise a short message that says what to do.
    QString ErrorText;
    TCalDavClient::Error Error;

    // The line that goes between the two texts of a day changed on both sides.
    static QString SeparatorLine(const QString &machine, const QDateTime &when);
    static QString SummaryLine(const TSyncSummary &summary);

private:
    enum class Pass { Done, Again, Failed };
    // etagsOnly: the listing without the objects (a pass after our own writes, which it lists).
    Pass runOnce(bool etagsOnly);
    bool failWith(const QString &text);
    bool failClient(const TCalDavClient &dav);

    TNotesRepository &m_notes;
    TDavTransport &m_transport;
    QString m_statePath;
};
