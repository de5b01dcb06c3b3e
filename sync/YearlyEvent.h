#pragma once
// A yearly date as an iCalendar event (VEVENT) through libical, in the collection of the
// day notes. A civil date repeats by RRULE:FREQ=YEARLY (29 February by the last day of
// February, as the program counts it); a lunar date lists its next occurrences as dates,
// since iCalendar has no lunar rule. Every field of the date also travels in a property
// of our own, so that two copies of the program give each other the date itself; a phone
// or another program sees an all-day yearly event with a reminder.
#include "YearlyDates.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace yearlyevent {

struct Event {
    QString uid;
    TYearlyDate date; // Id left 0
};

// A new UID for a date first sent from here: "tavi-yearly-" and a random part.
QString NewUid();

// The calendar object for a PUT. A lunar date lists its occurrences from civil year
// fromYear on, for Years years.
constexpr int Years = 30;
QByteArray Write(const QString &uid, const TYearlyDate &date, int fromYear);

// The yearly dates of one calendar object: our own events (the date from our property,
// where another program changed the title or a civil day, theirs wins) and other
// programs' all-day events repeating every year, taken as civil 纪念日. Other components
// are passed over; nullopt when the bytes are no iCalendar object.
std::optional<std::vector<Event>> Parse(const QByteArray &ics);

// Of the date's fields (not its row number), to tell whether it changed.
QByteArray Digest(const TYearlyDate &date);

} // namespace yearlyevent
