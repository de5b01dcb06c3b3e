#pragma once
// One day's note as an iCalendar journal (VJOURNAL), written and read through libical.
// The day is DTSTART as a date, the UID is the same for a day on every machine, the
// plain text is DESCRIPTION (its first line SUMMARY) and the RTF travels base64 in a
// property of our own, so that two copies of the program keep formatting and pictures.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace journal {

struct Entry {
    QString uid;
    QDate date;            // DTSTART's day; invalid when it has none
    QString summary;
    QString description;   // lines joined by '\n'; several DESCRIPTIONs joined by a blank line
    QDateTime lastModified; // UTC; invalid when not given
    QByteArray rtf;        // empty when the journal carries none (or a damaged one)
    QString machine;       // the machine that wrote it, when it was one of ours
};

// "tavi-day-YYYYMMDD" for the day key.
QString DayUid(const QString &dayKey);
// The day key of one of our UIDs; empty for any other UID.
QString KeyOfUid(const QString &uid);

// The whole calendar object (VCALENDAR with the one VJOURNAL) for a PUT. SUMMARY is the
// first line of the description; an empty description writes none.
QByteArray Write(const Entry &entry);
// Many journals in one calendar, named for the collection it fills (X-WR-CALNAME).
QByteArray WriteAll(const std::vector<Entry> &entries, const QString &calendarName);

// The journals of one calendar object; nullopt when the bytes are not an iCalendar
// object at all. Other components (events, to-dos) are passed over.
std::optional<std::vector<Entry>> Parse(const QByteArray &ics);

} // namespace journal
