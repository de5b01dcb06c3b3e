#include "YearlyDates.h"

#include "CnCalendar.h"

#include <algorithm>

namespace yearly {

namespace {

bool EndsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

long long DayNo(const tdt::YMD &d) { return tdt::DayNumber(tdt::EncodeDate(d.year, d.month, d.day)); }

} // namespace

bool IsValid(const TYearlyDate &d)
{
    if (d.Month < 1 || d.Month > 12 || d.Day < 1 || d.LeadDays < 0 || d.LeadDays > MaxLeadDays || d.FirstYear < 0)
        return false;
    if (d.Lunar)
        return d.Day <= 30;
    return !d.Leap && tdt::IsValidDate(2000, d.Month, d.Day);
}

bool OccurrenceInYear(const TYearlyDate &d, int year, tdt::YMD &civil)
{
    if (!IsValid(d))
        return false;
    if (!d.Lunar) {
        int day = d.Day;
        if (d.Month == 2 && day == 29 && !tdt::IsValidDate(year, 2, 29))
            day = 28;
        if (year < 1 || year > 9999 || !tdt::IsValidDate(year, d.Month, day))
            return false;
        civil = {year, d.Month, day};
        return true;
    }
    const bool leap = d.Leap && LeapMonthOf(year) == d.Month;
    int y, m, day;
    if (LunarToSolar(year, d.Month, d.Day, leap, y, m, day)
        || (d.Day == 30 && LunarToSolar(year, d.Month, 29, leap, y, m, day))) {
        if (!tdt::IsValidDate(y, m, day))
            return false; // a Julian leap day the date type does not count
        civil = {y, m, day};
        return true;
    }
    return false;
}

std::vector<TOccurrence> OccurrencesIn(const TYearlyDate &d, int civilYear)
{
    std::vector<TOccurrence> out;
    // A lunar year's days lie in its own civil year and the next.
    for (int year : d.Lunar ? std::vector<int>{civilYear - 1, civilYear} : std::vector<int>{civilYear}) {
        tdt::YMD c;
        if (OccurrenceInYear(d, year, c) && c.year == civilYear)
            out.push_back({c, year});
    }
    return out;
}

std::string CountText(const TYearlyDate &d, int year)
{
    const int n = d.FirstYear > 0 ? year - d.FirstYear : 0;
    if (d.Birthday) {
        if (n > 0)
            return d.Name + " " + std::to_string(n) + " 岁生日";
        return EndsWith(d.Name, "生日") ? d.Name : d.Name + "生日";
    }
    if (n > 0)
        return d.Name + " " + std::to_string(n) + " 周年";
    return d.Name;
}

std::vector<TDue> DueWithin(const std::vector<TYearlyDate> &list, const tdt::YMD &today)
{
    std::vector<TDue> due;
    const long long t = DayNo(today);
    for (size_t i = 0; i < list.size(); ++i) {
        const TYearlyDate &d = list[i];
        for (int y = today.year; y <= today.year + 1; ++y) {
            bool found = false;
            for (const TOccurrence &o : OccurrencesIn(d, y)) {
                const long long ahead = DayNo(o.Civil) - t;
                if (ahead < 0)
                    continue;
                if (ahead <= d.LeadDays)
                    due.push_back({i, int(ahead), o.Civil, CountText(d, o.Year)});
                found = true;
                break;
            }
            if (found)
                break;
        }
    }
    std::stable_sort(due.begin(), due.end(), [](const TDue &a, const TDue &b) { return a.DaysAhead < b.DaysAhead; });
    return due;
}

std::string ReminderLine(const TDue &due)
{
    if (due.DaysAhead == 0)
        return "今天：" + due.Text;
    const std::string when = due.DaysAhead == 1 ? "明天" : std::to_string(due.DaysAhead) + "天后";
    return when + "（" + std::to_string(due.Civil.month) + "月" + std::to_string(due.Civil.day) + "日）：" + due.Text;
}

std::vector<std::string> TextsOn(const std::vector<TYearlyDate> &list, const tdt::YMD &day)
{
    std::vector<std::string> texts;
    for (const TYearlyDate &d : list)
        for (const TOccurrence &o : OccurrencesIn(d, day.year))
            if (o.Civil.month == day.month && o.Civil.day == day.day)
                texts.push_back(CountText(d, o.Year));
    return texts;
}

} // namespace yearly
