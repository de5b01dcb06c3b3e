#include "NotedDays.h"

#include "ChnCalendarPicker.h"
#include "NotesRepository.h"
#include "WeekNotes.h"
#include "uGlobal.h"

#include <algorithm>

std::vector<int> NotedDaysOf(TDM &dm, int year, int month)
{
    const tdt::TDateTime first = tdt::EncodeDate(year, month, 1);
    const tdt::TDateTime last = tdt::EncodeDate(year, month, tdt::DaysInMonth(year, month));
    // The Saturday before a month that begins on a Sunday marks that Sunday.
    TNotesRepository repository(dm);
    const std::vector<QString> keys = repository.NotedKeys(DayKeyOf(first - 1), DayKeyOf(last));
    std::vector<int> days;
    for (const QString &key : keys) {
        tdt::TDateTime date;
        if (key.size() != 8 || !tdt::TryEncodeDate(key.left(4).toInt(), key.mid(4, 2).toInt(), key.mid(6, 2).toInt(), date))
            continue;
        const int weekday = tdt::DayOfTheWeek(date);
        if (weekday == 7)
            continue; // never shown: Sunday shows Saturday's note
        for (const tdt::TDateTime d : {date, weekday == 6 ? date + 1 : date}) {
            const tdt::YMD ymd = tdt::DecodeDate(d);
            if (ymd.year == year && ymd.month == month && std::find(days.begin(), days.end(), ymd.day) == days.end())
                days.push_back(ymd.day);
        }
    }
    return days;
}

void ConnectNotedDays(TChnCalendar &calendar, TWeekNotes &week, TDM &dm)
{
    calendar.setNotedDays([&dm](int year, int month) { return NotedDaysOf(dm, year, month); });
    QObject::connect(&week, &TWeekNotes::saved, &calendar, [&calendar] { calendar.RefreshNotedDays(); });
}
