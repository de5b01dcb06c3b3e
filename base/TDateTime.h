#pragma once
// The program's date-time value: days since 30 December 1899 as a double, the
// fraction being the time of day, read as proleptic Gregorian dates. For values
// before the epoch the integer part is still the day and the time of day is the
// absolute value of the fraction (-1.25 is 29 December 1899, 06:00).
// Plain C++: the lunar engine uses it too.

namespace tdt {

using TDateTime = double;

struct YMD {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const YMD &) const = default;
};

struct HMS {
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const HMS &) const = default;
};

constexpr int MinYear = 1;
constexpr int MaxYear = 9999;

bool IsValidDate(int year, int month, int day);
int DaysInMonth(int year, int month);

// False (and `out` left as it was) for dates outside years 1 ... 9999 or invalid days.
bool TryEncodeDate(int year, int month, int day, TDateTime &out);
// Throws std::invalid_argument on an invalid date.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec = 0);

// Whole day count of a date-time: 0 for 30 December 1899.
long long DayNumber(TDateTime value);
YMD DecodeDate(TDateTime value);
HMS DecodeTime(TDateTime value);

// ISO weekday: 1 = Monday ... 7 = Sunday.
int DayOfTheWeek(TDateTime value);
// Fraction of a day, 0 <= t < 1.
double TimeOf(TDateTime value);
// Days added keep the time of day, also across the epoch.
TDateTime IncDay(TDateTime value, int days);

} // namespace tdt
