#include "CnCalendar.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <numbers>
#include <mutex>
#include <string>

namespace {

constexpr std::string_view kLeapMonthTable =
    "0c0080050010a0070030c0080050010a0070030c0080050020" // -849
    "a0070030c0080050020a0070030c0090050020a0070030c009" // -799
    "0050020a0060030c0060030c00900600c0c0060c00c00c00c0" // -749
    "c000600c0c0006090303030006000c00c060c0006c00000c0c" // -699
    "0c0060003030006c00009009c0090c00c00900030003090603" // -649
    "0030c0c00060c00090c0060600c0030060c00c003006009060" // -599
    "030c0060060c0090900c00090c0090c00c0060300060600030" // -549
    "30c0c00030c0060030c0090060030c0090300c0080050020a0" // -499
    "060030c0080050020b0070030c0090050010a0070030b00900" // -449
    "60020a0070040c0080050020a0060030c0080050020b007003" // -399
    "0c0090050010a0070030b0090060020a0070040c0080050020" // -349
    "a0060030c0080050020b0070030c0090050000c00900909009" // -299
    "00909009009009090090090900900900909009009090090090" // -249
    "09090090090900900900909009009090090090900900900909" // -199
    "00900909009009009090090090900900900909009009090060" // -149
    "030c0090050010a0070030b008005001090070040c00800500" // -99
    "20a0060030c0090040010a0060030c0090050010a0070030b0" // -49
    "080050010a008005001090050020a0060030c0080040010a00" // 1
    "60030c0090050010a0070030b0080050010a0070030b008005" // 51
    "001090070040c0080050020a0060030c0080040010a0060030" // 101
    "c0090050010a0070030b008005001090070040c0080050020a" // 151
    "0060030c0080040010a0060030c0090050010a0060030c0090" // 201
    "050010a0070030b008005001090070040c0080050020a00600" // 251
    "30c0080040010a0070030b0080050010a0070040c008005002" // 301
    "0a0060030c0080040010a0070030c0090050010a0070030b00" // 351
    "80050020a0060030c0080040010a0060030c0090050050020a" // 401
    "0060030c0090050010b0070030c0090050010a0070040c0080" // 451
    "040020a0060030c0080050020a0060030c0090050010a00700" // 501
    "30b0080040020a0060040c0090050020b0070030c00a005001" // 551
    "0a0070030b0090050020a0070030c0080040020a0060030c00" // 601
    "90050010a0070030c0090050030b007005001090050020a007" // 651
    "004001090060020c0070050c0090060030b0080040020a0060" // 701
    "030b0080040010a0060030b0080050010a0050040c00800500" // 751
    "10a0060030c0080050010b0070030c007005001090070030b0" // 801
    "070040020a0060030c0080040020a0070030b0090050010a00" // 851
    "60040c0080050020a0060040c0080050010b0070030c007005" // 901
    "001090070030c0080050020a0070030c0090050020a0070030" // 951
    "c0090050020a0060040c0090050020a0060040c0090050010b" // 1001
    "0070030c0080050030b007004001090060020c008004002090" // 1051
    "060020a008004001090050030b0080040020a0060040b00800" // 1101
    "40c00a0060020b007005001090060030b0070050020a006002" // 1151
    "0c008004002090070030c008005002090070040c0080040020" // 1201
    "a0060040b0090050010a0060030b0080050020a0060040c008" // 1251
    "0050010b00700300108005001090070030c0080050020a0070" // 1301
    "03001090050030a0070030b0090050020a0060040c00900500" // 1351
    "30b0070040c0090050010c0070040c0080060020b00700400a" // 1401
    "090060020b007003002090060020a005004001090050030b00" // 1451
    "7004001090050040c0080040c00a0060020c00700500109006" // 1501
    "0030b0070050020a0060020c008004002090060030b0080040" // 1551
    "02090060030b0080040020a0060040b0080040010b0060030b" // 1601
    "0070050010a006004002070050030800600400307005003070" // 1651
    "06004003070050030800600400307005004090060040030700" // 1701
    "500409006005002070050030a0060050030700500400206004" // 1751
    "00206005003002060040030700500409006004003070050040" // 1801
    "8007005003080050040a006005003070050040020600500308" // 1851
    "00500400206005002070050040020600500307006004002070" // 1901
    "050030800600400307005004080060040a0060050030800500" // 1951
    "40020700500409006004002060050030b00600500207005003" // 2001
    "08006004003070050040800600400307005004080060040020" // 2051
    ;

static_assert(kLeapMonthTable.size() == LunarLastYear - LunarFirstYear + 1);

constexpr bool InLunarRange(int year) { return year >= LunarFirstYear && year <= LunarLastYear; }

// Values derived from the year alone, computed on first use and kept: the
// results are the same as computing them on every call.
template <class T>
class YearCache {
public:
    template <class Compute>
    const T &Get(int year, Compute compute)
    {
        const int i = year - LunarFirstYear;
        if (!ready_[i].load(std::memory_order_acquire)) {
            // Computed outside the lock: computing one year may ask for another.
            T value = compute(year);
            std::lock_guard lock(mutex_);
            if (!ready_[i].load(std::memory_order_relaxed)) {
                values_[i] = value;
                ready_[i].store(true, std::memory_order_release);
            }
        }
        return values_[i];
    }

private:
    static constexpr int kYears = LunarLastYear - LunarFirstYear + 1;
    std::array<std::atomic<bool>, kYears> ready_{};
    std::array<T, kYears> values_{};
    std::mutex mutex_;
};

constexpr int LeapMonthOfChar(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'c')
        return c - 'a' + 10;
    return -1;
}

// Running count of leap months up to and including each year of the table.
constexpr auto kLeapCounts = [] {
    std::array<int, kLeapMonthTable.size()> counts{};
    int n = 0;
    for (std::size_t i = 0; i < kLeapMonthTable.size(); ++i) {
        if (kLeapMonthTable[i] != '0')
            ++n;
        counts[i] = n;
    }
    return counts;
}();

// Days before each month, for a common and a leap year.
constexpr int kDaysBefore[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

// The official calendar differs from the computed new moons in these windows.
struct LunarDayCorrection {
    int year, firstMonth, firstDay, lastMonth, lastDay, change;
};
constexpr LunarDayCorrection LunarDayCorrections[] = {
    {1914, 11, 17, 12, 16, +1},
    {1916, 2, 3, 3, 3, +1},
    {1920, 11, 10, 12, 9, +1},
    {1924, 3, 5, 4, 3, +1},
    {2018, 11, 7, 12, 6, -1},
    {2057, 9, 28, 10, 27, -1},
};

constexpr std::string_view kTermNames[24] = {
    "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至", "小暑", "大暑",
    "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒",
};

// Term number 1 ... 24 (from 小寒) of a term name.
constexpr int TermNo(std::string_view name)
{
    for (int i = 0; i < 24; ++i)
        if (kTermNames[i] == name)
            return (i + 2) % 24 + 1;
    throw "unknown term";
}
static_assert(TermNo("小寒") == 1 && TermNo("立春") == 3 && TermNo("冬至") == 24);

// Terms whose computed moment lies within minutes of midnight: the civil day
// of the official calendar.
struct SolarTermCorrection {
    int year, termNo, shift;
};
constexpr SolarTermCorrection kSolarTermCorrections[] = {
    {1917, TermNo("大雪"), -1}, {1923, TermNo("雨水"), -1}, {1979, TermNo("大寒"), -1},
    {2016, TermNo("小暑"), +1}, {2020, TermNo("大雪"), +1}, {2037, TermNo("秋分"), +1},
    {2040, TermNo("寒露"), +1}, {2042, TermNo("大暑"), +1}, {2051, TermNo("春分"), -1},
    {2059, TermNo("雨水"), +1}, {2083, TermNo("立春"), -1}, {2084, TermNo("春分"), -1},
    {2085, TermNo("小寒"), -1}, {2097, TermNo("立夏"), +1},
};

int SolarTermShift(int year, int termNo)
{
    for (const auto &c : kSolarTermCorrections)
        if (c.year == year && c.termNo == termNo)
            return c.shift;
    return 0;
}

// Day of the year of a term's civil day, corrections applied.
int ComputeSolarTermDayOfYear(int year, int termNo)
{
    return int(std::floor(SolarTermDay(year, termNo))) + SolarTermShift(year, termNo);
}

using TermDays = std::array<int, 24>;

constinit YearCache<TermDays> g_termDays;

int SolarTermDayOfYear(int year, int termNo)
{
    if (!InLunarRange(year))
        return ComputeSolarTermDayOfYear(year, termNo);
    const TermDays &days = g_termDays.Get(year, [](int y) {
        TermDays out;
        for (int n = 1; n <= 24; ++n)
            out[n - 1] = ComputeSolarTermDayOfYear(y, n);
        return out;
    });
    return days[termNo - 1];
}

// Day number of 21 January -849, where the count of mean lunations starts.
constexpr int kLunationEpoch = -310443;

constexpr double kDegree = 57.29577951308232;

double Frac(double x) { return x - std::trunc(x); }

// Local civil days (UTC+8) of the new moons of lunations k - 1 ... k + 13, k
// being the mean lunation near 1 January of the year.
using NewMoonDays = std::array<int, 15>;

NewMoonDays ComputeNewMoonDays(int year)
{
    const double T = (year - 1899.5) / 100;
    const double T2 = T * T;
    const double T3 = T2 * T;
    const double k = std::floor((year - 1900) * 12.3685);
    auto angle = [&](double rate, double c0, double c2, double c3) {
        return 2 * std::numbers::pi * Frac(k * rate) + c0 / kDegree - c2 / kDegree * T2 - c3 / kDegree * T3;
    };
    const double M0 = angle(0.08084821133, 359.2242, 0.0000333, 0.00000347);
    const double M1 = angle(0.07171366128, 306.0253, -0.0107306, -0.00001236);
    const double F0 = angle(0.08519585128, 21.2964, 0.0016528, 0.00000239);
    const double B = 0.75933 - 0.0002172 * T2 - 0.000000155 * T3 + 0.53058868 * k - 0.000837 * T + 8.0 / 24 + 0.5;
    NewMoonDays days{};
    for (int w = -1; w <= 13; ++w) {
        const double A = M0 + 0.507984293 * w;
        const double C = M1 + 6.73377553 * w;
        const double G = F0 + 6.818486628 * w;
        const double J = 29 * k + 693595 + 28 * w + 1.53058868 * w + B + (0.1734 - 0.000393 * T) * std::sin(A)
            - 0.4068 * std::sin(C) + 0.0021 * std::sin(2 * A) + 0.0161 * std::sin(2 * C)
            + 0.0104 * std::sin(2 * G) - 0.0074 * std::sin(A - C) - 0.0051 * std::sin(A + C);
        days[w + 1] = int(std::floor(J));
    }
    return days;
}

constinit YearCache<NewMoonDays> g_newMoons;

const NewMoonDays &NewMoonDaysOf(int year, NewMoonDays &scratch)
{
    if (InLunarRange(year))
        return g_newMoons.Get(year, ComputeNewMoonDays);
    scratch = ComputeNewMoonDays(year);
    return scratch;
}

int LunarDayOfDayNumber(int year, int month, int day, int dayNumber)
{
    NewMoonDays scratch;
    const NewMoonDays &moons = NewMoonDaysOf(year, scratch);
    int lunarDay = -1;
    for (int moon : moons) {
        const int D = dayNumber - moon;
        if (D >= 0 && D <= 29)
            lunarDay = D + 1;
    }
    if (lunarDay < 0)
        return lunarDay;
    for (const auto &c : LunarDayCorrections) {
        if (c.year == year
            && ((month == c.firstMonth && day >= c.firstDay) || (month == c.lastMonth && day <= c.lastDay))) {
            lunarDay += c.change;
            if (lunarDay > 30)
                lunarDay -= 30;
            else if (lunarDay < 1)
                lunarDay += 30;
        }
    }
    return lunarDay;
}

int MonthOffset(int year)
{
    if (year >= 241)
        return -3;
    if (year >= 238)
        return -2;
    if (year >= 24)
        return -3;
    if (year >= 9)
        return -2;
    if (year >= -254)
        return -3;
    if (year == -255)
        return -2;
    if (year >= -721)
        return 0;
    return 1;
}

int LunarMonthOfDayNumber(int year, int month, int day, int dayNumber, int lunarDay)
{
    long long n = std::llrint(std::nearbyint((dayNumber - kLunationEpoch - lunarDay) / 29.530588));
    n = n - LeapCountOf(year) + MonthOffset(year);
    int M = int(((n % 12) + 12) % 12) + 1;
    const int previousLeap = LeapMonthOf(year - 1);
    if (previousLeap == M && month == 1 && day < lunarDay)
        return -M;
    // The count takes off the leap month of the year before already; in
    // January and February the months up to a leap twelfth month of that
    // year come out one too low, and that leap month itself may begin in
    // January.
    if (previousLeap == 12 && month <= 2) {
        if (M == 12)
            return -12;
        if (M == 10 || M == 11)
            return M + 1;
    }
    const int L = LeapMonthOf(year);
    if (L == M) {
        // In a year with a leap twelfth month the first month counts as 12
        // until the leap month; a leap first month may begin in February.
        if (L == 12)
            return month <= 6 ? 1 : -12;
        if (L == 1)
            return -1;
        if (month == 1 || month == 2)
            return M + 1;
        return -M;
    }
    if (L > M || (month < M && L > 0))
        M = M == 12 ? 1 : M + 1;
    return M;
}

bool IsCivilDate(int year, int month, int day)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= MonthDays(year, month)
        && CalendarKind(year, month, day) != 0;
}

// DayNumberToDate, also for 1 January of year 1, whose day number is -1.
bool CivilDateOf(int dayNumber, int &year, int &month, int &day)
{
    if (dayNumber == -1) {
        year = month = day = 1;
        return true;
    }
    return DayNumberToDate(dayNumber, year, month, day);
}

// A bounded binary search over the civil days of the lunar year and the next.
// The forward conversion takes the start of each lunar year from it, so it is
// kept for that; for other days it can miss those of the years whose months
// run out of order.
bool SearchLunarDate(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int &year, int &month, int &day)
{
    if (lunarMonth < 1 || lunarMonth > 12 || lunarDay < 1 || lunarDay > 30)
        return false;
    if (isLeap && LeapMonthOf(lunarYear) != lunarMonth)
        return false;
    int lo = DayNumber(lunarYear, 1, 1);
    int hi = DayNumber(lunarYear + 1, 12, 31);
    int trackedYear = lunarYear;
    int previousMonth = 0;
    int direction = 0;
    bool nudge = false;
    int probes = 0;
    while (hi > lo) {
        if (++probes > 100)
            return false;
        const int mid = (lo + hi) / 2 + (nudge ? 1 : 0);
        if (hi - lo == 1)
            nudge = true;
        int y, m, d, lm, ld;
        bool lp;
        if (!DayNumberToDate(mid, y, m, d) || !SolarToLunarMonthDay(y, m, d, lm, ld, lp))
            return false;
        if (direction > 0 && lm < previousMonth)
            ++trackedYear;
        else if (direction < 0 && lm > previousMonth)
            --trackedYear;
        const int cmp = CompareLunarDates(trackedYear, lm, ld, lp, lunarYear, lunarMonth, lunarDay, isLeap);
        if (cmp == 0) {
            year = y;
            month = m;
            day = d;
            return true;
        }
        if (cmp < 0) {
            lo = mid;
            direction = 1;
        } else {
            hi = mid;
            direction = -1;
        }
        previousMonth = lm;
    }
    return false;
}

constexpr int kNoNewYear = INT_MIN;

int ComputeLunarNewYear(int lunarYear)
{
    int y, m, d;
    return SearchLunarDate(lunarYear, 1, 1, false, y, m, d) ? DayNumber(y, m, d) : kNoNewYear;
}

constinit YearCache<int> g_newYears;

// Day number of lunar month 1 day 1 of a lunar year, or false.
bool LunarNewYearDayNumber(int lunarYear, int &dayNumber)
{
    const int n = g_newYears.Get(lunarYear, ComputeLunarNewYear);
    if (n == kNoNewYear)
        return false;
    dayNumber = n;
    return true;
}

constexpr std::string_view kMonthNames[12] = {"正", "二", "三", "四", "五", "六", "七", "八", "九", "十", "冬", "腊"};

const auto &DayNames()
{
    static const auto names = [] {
        constexpr std::string_view prefix[] = {"初", "十", "廿", "卅", "二", "三"};
        constexpr std::string_view numeral[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
        std::array<std::string, 31> out;
        for (int day = 1; day <= 30; ++day) {
            int a = day % 10;
            int t = day / 10;
            if (a == 0) {
                t = t == 1 ? 0 : t + 2;
                a = 10;
            }
            out[day] = std::string(prefix[t]) + std::string(numeral[a]);
        }
        return out;
    }();
    return names;
}

const auto &StemBranchNames()
{
    static const auto names = [] {
        constexpr std::string_view stems[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
        constexpr std::string_view branches[] = {"子", "丑", "寅", "卯", "辰", "巳",
                                                 "午", "未", "申", "酉", "戌", "亥"};
        std::array<std::string, 60> out;
        for (int i = 0; i < 60; ++i)
            out[i] = std::string(stems[i % 10]) + std::string(branches[i % 12]);
        return out;
    }();
    return names;
}

constexpr std::string_view kAnimalNames[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
constexpr std::string_view kSignNames[12] = {"白羊", "金牛", "双子", "巨蟹", "狮子", "处女",
                                             "天秤", "天蝎", "射手", "摩羯", "宝瓶", "双鱼"};
constexpr int kSignStarts[12] = {120, 219, 321, 421, 521, 622, 723, 823, 923, 1023, 1123, 1222};

// Year 0 is the year before year 1, as in the leap-month table; negative
// years count BC.
int CycleIndex(int year, int length)
{
    const int r = (year >= 0 ? year - 4 : year - 3) % length;
    return r < 0 ? r + length : r;
}

} // namespace

const std::string_view LeapMonthTable = kLeapMonthTable;

int CalendarKind(int year, int month, int day)
{
    const long long key = (long long)year * 10000 + month * 100 + day;
    if (key <= 15821004)
        return 1;
    if (key < 15821015)
        return 0;
    return 2;
}

bool IsCivilLeapYear(int year)
{
    if (year >= 1583)
        return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (year >= 0)
        return year % 4 == 0;
    return (year - 3) % 4 == 0;
}

int MonthDays(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kDaysBefore[IsCivilLeapYear(year)][month] - kDaysBefore[IsCivilLeapYear(year)][month - 1];
}

int DayOfYear(int year, int month, int day)
{
    if (month < 1)
        return day;
    if (month > 13)
        month = 13;
    return kDaysBefore[IsCivilLeapYear(year)][month - 1] + day;
}

int DayNumber(int year, int month, int day)
{
    const int kind = CalendarKind(year, month, day);
    if (kind == 0)
        return 0;
    const int e = year - 1;
    const int n = DayOfYear(year, month, day) + 365 * e + e / 4;
    return kind == 1 ? n - 2 : n - e / 100 + e / 400;
}

bool DayNumberToDate(int dayNumber, int &year, int &month, int &day)
{
    if (dayNumber < 0)
        return false;
    const bool gregorian = dayNumber >= 577736;
    // Day number of 1 January in the calendar the day number falls in.
    auto yearStart = [gregorian](long long y) {
        const long long e = y - 1;
        return 1 + 365 * e + e / 4 + (gregorian ? -e / 100 + e / 400 : -2);
    };
    long long y = (long long)dayNumber * 400 / 146097 + 1;
    while (yearStart(y) > dayNumber)
        --y;
    while (yearStart(y + 1) <= dayNumber)
        ++y;
    const int dayOfYear = int(dayNumber - yearStart(y)) + 1;
    const int *before = kDaysBefore[IsCivilLeapYear(int(y))];
    int m = 1;
    while (m < 12 && before[m] < dayOfYear)
        ++m;
    year = int(y);
    month = m;
    day = dayOfYear - before[m - 1];
    return true;
}

int LeapMonthOf(int year)
{
    if (!InLunarRange(year))
        return -1;
    return LeapMonthOfChar(kLeapMonthTable[year - LunarFirstYear]);
}

int LeapCountOf(int year)
{
    if (!InLunarRange(year))
        return -1;
    return kLeapCounts[year - LunarFirstYear];
}

int LunarDayOf(int year, int month, int day)
{
    return LunarDayOfDayNumber(year, month, day, DayNumber(year, month, day));
}

int LunarMonthOf(int year, int month, int day)
{
    const int dayNumber = DayNumber(year, month, day);
    return LunarMonthOfDayNumber(year, month, day, dayNumber, LunarDayOfDayNumber(year, month, day, dayNumber));
}

bool SolarToLunarMonthDay(int year, int month, int day, int &lunarMonth, int &lunarDay, bool &isLeap)
{
    if (!InLunarRange(year) || !IsCivilDate(year, month, day))
        return false;
    const int dayNumber = DayNumber(year, month, day);
    const int e = LunarDayOfDayNumber(year, month, day, dayNumber);
    if (e < 1)
        return false;
    const int signedMonth = LunarMonthOfDayNumber(year, month, day, dayNumber, e);
    lunarMonth = signedMonth < 0 ? -signedMonth : signedMonth;
    lunarDay = e;
    isLeap = signedMonth < 0;
    return true;
}

bool SolarToLunar(int year, int month, int day, int &lunarYear, int &lunarMonth, int &lunarDay, bool &isLeap)
{
    int lm, ld;
    bool lp;
    if (!SolarToLunarMonthDay(year, month, day, lm, ld, lp))
        return false;
    int ly = year;
    int newYear;
    if (LunarNewYearDayNumber(year, newYear) && DayNumber(year, month, day) < newYear)
        ly = year - 1;
    lunarYear = ly;
    lunarMonth = lm;
    lunarDay = ld;
    isLeap = lp;
    return true;
}

bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int &year, int &month, int &day)
{
    if (lunarYear < 0 || lunarYear > LunarLastYear || lunarMonth < 1 || lunarMonth > 12 || lunarDay < 1
        || lunarDay > 30)
        return false;
    const int leapMonth = LeapMonthOf(lunarYear);
    if (isLeap && leapMonth != lunarMonth)
        return false;
    // Start from where the day would lie with months of mean length and look
    // outwards; from 1900 to 2100 that place is at most two days off.
    int newYear;
    if (!LunarNewYearDayNumber(lunarYear, newYear))
        newYear = DayNumber(lunarYear, 2, 5);
    const int monthsBefore = lunarMonth - 1 + (leapMonth > 0 && (leapMonth < lunarMonth || isLeap) ? 1 : 0);
    const int guess = newYear + int(std::lround(monthsBefore * 29.530588)) + lunarDay - 1;
    // A lunar year's days lie in its civil year and the next.
    const int lo = std::max(DayNumber(lunarYear, 1, 1), DayNumber(1, 1, 1));
    const int hi = std::min(DayNumber(lunarYear + 1, 12, 31), DayNumber(LunarLastYear, 12, 31));
    auto found = [&](int dayNumber) {
        int y, m, d, ly, lm, ld;
        bool lp;
        if (dayNumber < lo || dayNumber > hi || !CivilDateOf(dayNumber, y, m, d)
            || !SolarToLunar(y, m, d, ly, lm, ld, lp) || ly != lunarYear || lm != lunarMonth || ld != lunarDay
            || lp != isLeap)
            return false;
        year = y;
        month = m;
        day = d;
        return true;
    };
    for (int k = 0; guess - k >= lo || guess + k <= hi; ++k)
        if (found(guess - k) || (k > 0 && found(guess + k)))
            return true;
    return false;
}

int CompareLunarDates(int year1, int month1, int day1, bool leap1, int year2, int month2, int day2, bool leap2)
{
    if (year1 != year2)
        return year1 < year2 ? -1 : 1;
    if (month1 != month2)
        return month1 < month2 ? -1 : 1;
    if (leap1 != leap2)
        return leap1 ? 1 : -1;
    if (day1 != day2)
        return day1 < day2 ? -1 : 1;
    return 0;
}

std::string_view CnDayName(int lunarDay)
{
    if (lunarDay < 1 || lunarDay > 30)
        return {};
    return DayNames()[lunarDay];
}

std::string_view CnMonthName(int lunarMonth)
{
    if (lunarMonth < 1 || lunarMonth > 12)
        return {};
    return kMonthNames[lunarMonth - 1];
}

std::string_view StemBranchName(int index)
{
    if (index < 0 || index > 59)
        return {};
    return StemBranchNames()[index];
}

int YearStemBranchIndex(int year) { return CycleIndex(year, 60); }

std::string_view YearStemBranchOf(int year, int month, int day)
{
    int y = year;
    if (DayOfYear(year, month, day) < SolarTermDayOfYear(year, TermNo("立春")))
        y = year - 1;
    return StemBranchName(YearStemBranchIndex(y));
}

int AnimalOf(int year) { return CycleIndex(year, 12); }

std::string_view AnimalName(int index)
{
    if (index < 0 || index > 11)
        return {};
    return kAnimalNames[index];
}

int ConstellationOf(int month, int day)
{
    const int c = month * 100 + day;
    for (int k = 0; k < 12; ++k)
        if (kSignStarts[k] > c)
            return k == 0 ? 9 : (k - 1 + 10) % 12;
    return 9;
}

std::string_view ConstellationName(int index)
{
    if (index < 0 || index > 11)
        return {};
    return kSignNames[index];
}

double SolarTermDay(int year, int termNo)
{
    const double y = year <= 0 ? year + 1 : year;
    const double u = y - 100;
    const double n = termNo;
    const double P = (365.2423112 - 0.000000000000064 * u * u - 0.00000003047 * u) * y + 15.218427 * n + 1721050.71301;
    const double theta = 0.0003 * y - 0.372781384 - 0.2617913325 * n;
    const double Q = (1.945 * std::sin(theta) - 0.01206 * std::sin(2 * theta)) * (1.048994 - 0.00002583 * y);
    const double R = -0.0018 * std::sin(2.313908653 * y - 0.439822951 - 3.0443 * n);
    return P + Q + R - DayNumber(int(y), 1, 0) - 1721425;
}

bool SolarTermDate(int year, int termIndex, int &month, int &day)
{
    if (termIndex < 0 || termIndex > 23)
        return false;
    int dayOfYear = SolarTermDayOfYear(year, termIndex + 1);
    // The term's day counts real days; the days of the year count the dropped
    // ten days of October 1582 as well.
    if (year == 1582 && dayOfYear > DayOfYear(1582, 10, 4))
        dayOfYear += 10;
    const int *before = kDaysBefore[IsCivilLeapYear(year)];
    if (dayOfYear < 1 || dayOfYear > before[12])
        return false;
    int m = 1;
    while (m < 12 && before[m] < dayOfYear)
        ++m;
    month = m;
    day = dayOfYear - before[m - 1];
    return true;
}

std::string_view SolarTermNameOf(int year, int month, int day)
{
    if (month < 1 || month > 12)
        return {};
    for (int j = 0; j < 2; ++j) {
        int m, d;
        const int i = 2 * (month - 1) + j;
        if (SolarTermDate(year, i, m, d) && m == month && d == day)
            return kTermNames[(i + 22) % 24];
    }
    return {};
}

std::string_view SolarTermNameOf(tdt::TDateTime date)
{
    const tdt::YMD ymd = tdt::DecodeDate(date);
    return SolarTermNameOf(ymd.year, ymd.month, ymd.day);
}

std::string_view SolarTermName(int index)
{
    if (index < 0 || index > 23)
        return {};
    return kTermNames[index];
}
