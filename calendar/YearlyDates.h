#pragma once
// The user's own yearly dates (birthdays and anniversaries): where one falls in a given
// year, what it is called that year, and which are due within their reminder lead.
// Plain C++ over the lunar engine; the notes file keeps the list (store/YearlyDatesStore.h).
#include "TDateTime.h"

#include <string>
#include <vector>

struct TYearlyDate {
    long long Id = 0;      // row in the notes file; 0 while not stored
    std::string Name;      // "妈妈", "结婚"
    bool Birthday = false; // 生日, else 纪念日
    bool Lunar = true;     // lunar month and day, else civil
    int Month = 1;         // 1 ... 12
    int Day = 1;           // lunar 1 ... 30, civil 1 ... 31
    bool Leap = false;     // of the leap month (lunar only)
    int FirstYear = 0;     // the year it began (lunar year for a lunar date); 0 = no count
    int LeadDays = 3;      // reminded this many days ahead, 0 ... 60
    bool operator==(const TYearlyDate &) const = default;
};

namespace yearly {

constexpr int DefaultLeadDays = 3;
constexpr int MaxLeadDays = 60;

// A month and day that can come round at all: lunar day 1 ... 30, civil days of the
// month in a leap year, a leap flag only on a lunar date.
bool IsValid(const TYearlyDate &d);

// The civil date of the date in lunar year lunarYear (lunar dates) or civil year
// (civil dates). A leap-month date falls in the regular month of its number when the
// year has no such leap month; day 30 falls on day 29 of a 29-day month; 29 February
// falls on 28 February in a common year. False outside the engine's range.
bool OccurrenceInYear(const TYearlyDate &d, int year, tdt::YMD &civil);

struct TOccurrence {
    tdt::YMD Civil;
    int Year = 0; // the lunar or civil year it belongs to, which the count is taken from
};
// Every day of civil year `civilYear` on which the date falls, in order: none, one, or
// for a lunar date late in the lunar year, two.
std::vector<TOccurrence> OccurrencesIn(const TYearlyDate &d, int civilYear);

// "妈妈 60 岁生日", "结婚 10 周年"; without a count (no first year, or not yet one year)
// "妈妈生日" and the bare name.
std::string CountText(const TYearlyDate &d, int year);

struct TDue {
    size_t Index = 0;  // into the list
    int DaysAhead = 0; // 0 = today
    tdt::YMD Civil;
    std::string Text; // the count text of that occurrence
};
// The dates whose next occurrence (today included) lies within their lead days, soonest first.
std::vector<TDue> DueWithin(const std::vector<TYearlyDate> &list, const tdt::YMD &today);
// The reminder line of a due date: "今天：妈妈 60 岁生日", "3天后（6月12日）：结婚 10 周年".
std::string ReminderLine(const TDue &due);

// The count texts of the dates falling on a civil day, in list order.
std::vector<std::string> TextsOn(const std::vector<TYearlyDate> &list, const tdt::YMD &day);

} // namespace yearly
