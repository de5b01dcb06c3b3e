#include "uGlobal.h"

#include <cassert>

std::vector<TWeekConList> WeekConList;
std::vector<tdt::TDateTime> SearchDates;
std::int32_t SearchPos = -1;

QString DayKeyOf(tdt::TDateTime date)
{
    const tdt::YMD d = tdt::DecodeDate(date);
    return QStringLiteral("%1%2%3")
        .arg(d.year, 4, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.day, 2, 10, QLatin1Char('0'));
}

void BuildWeek(std::vector<TWeekConList> &week, tdt::TDateTime baseDate)
{
    assert(week.size() == 7);
    const int w = tdt::DayOfTheWeek(baseDate);
    for (int k = 1; k <= 7; ++k) {
        TWeekConList &e = week[k - 1];
        e.DayNo = k;
        e.DayDate = k == w ? baseDate : tdt::IncDay(baseDate, k - w);
        e.BoxNo = k;
        e.DayKey = DayKeyOf(e.DayDate);
    }
    week[6].BoxNo = week[5].BoxNo;
    week[6].DayKey = week[5].DayKey;
}
