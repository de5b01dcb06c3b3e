#include "TDateTime.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace tdt {
namespace {

using namespace std::chrono;

// 30 December 1899 in days since the Unix epoch.
constexpr long long kEpochShift = sys_days{year{1899} / December / 30}.time_since_epoch().count();
constexpr double kMsPerDay = 86400000.0;

long long toSerial(const year_month_day &ymd)
{
    return sys_days{ymd}.time_since_epoch().count() - kEpochShift;
}

double timeFraction(TDateTime value)
{
    return std::fabs(value - std::trunc(value));
}

TDateTime compose(long long dayNo, double time)
{
    // Before the epoch the day is the integer part and the time still counts forward.
    return dayNo >= 0 ? double(dayNo) + time : double(dayNo) - time;
}

} // namespace

int DaysInMonth(int y, int m)
{
    if (m < 1 || m > 12)
        return 0;
    return int(unsigned(year_month_day_last{year{y} / month{unsigned(m)} / last}.day()));
}

bool IsValidDate(int y, int m, int d)
{
    return y >= MinYear && y <= MaxYear && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

bool TryEncodeDate(int y, int m, int d, TDateTime &out)
{
    if (!IsValidDate(y, m, d))
        return false;
    out = double(toSerial(year{y} / month{unsigned(m)} / day{unsigned(d)}));
    return true;
}

TDateTime EncodeDate(int y, int m, int d)
{
    TDateTime v = 0;
    if (!TryEncodeDate(y, m, d, v))
        throw std::invalid_argument("invalid date");
    return v;
}

TDateTime EncodeTime(int h, int mi, int s, int ms)
{
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        throw std::invalid_argument("invalid time");
    return (((h * 60.0 + mi) * 60.0 + s) * 1000.0 + ms) / kMsPerDay;
}

TDateTime EncodeDateTime(int y, int m, int d, int h, int mi, int s, int ms)
{
    return compose((long long)EncodeDate(y, m, d), EncodeTime(h, mi, s, ms));
}

long long DayNumber(TDateTime value) { return (long long)std::trunc(value); }

YMD DecodeDate(TDateTime value)
{
    const year_month_day ymd{sys_days{days{DayNumber(value) + kEpochShift}}};
    return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

HMS DecodeTime(TDateTime value)
{
    // Round to the millisecond so that 14:30 encoded reads back as 14:30:00.000.
    long long ms = std::llround(timeFraction(value) * kMsPerDay);
    if (ms >= (long long)kMsPerDay)
        ms = (long long)kMsPerDay - 1;
    HMS t;
    t.msec = int(ms % 1000);
    ms /= 1000;
    t.second = int(ms % 60);
    ms /= 60;
    t.minute = int(ms % 60);
    t.hour = int(ms / 60);
    return t;
}

int DayOfTheWeek(TDateTime value)
{
    const weekday wd{sys_days{days{DayNumber(value) + kEpochShift}}};
    return int(wd.iso_encoding());
}

double TimeOf(TDateTime value) { return timeFraction(value); }

TDateTime IncDay(TDateTime value, int n) { return compose(DayNumber(value) + n, timeFraction(value)); }

} // namespace tdt
