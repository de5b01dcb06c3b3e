// lunar-table FROM [TO]: one line per civil day with the lunar calendar's
// numbers and texts, tab-separated.
// lunar-table --lunar YEAR MONTH DAY [leap]: the civil date of a lunar day.
#include "ChnCalendarUse.h"
#include "CnCalendar.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr const char *kUsage = "usage: lunar-table FROM [TO] | lunar-table --lunar YEAR MONTH DAY [leap]  "
                               "(dates YYYY-MM-DD, civil years 1 ... 2100)\n";
constexpr const char *kHelp =
    "Prints one tab-separated line per civil day from FROM to TO (default FROM): the date, the\n"
    "lunar year, month, day and leap flag (1 in a leap month), then the lunar month and day\n"
    "names, solar term, festivals, the year's stem and branch, zodiac animal, star sign and era.\n"
    "With --lunar, prints the civil date of a lunar day (\"leap\" for the leap month).\n"
    "The days 1582-10-05 ... 1582-10-14 were dropped from the calendar and are left out.\n"
    "Exit status: 0 done, 1 no such day, 2 bad arguments.\n";

// The days the Gregorian reform dropped: 1582-10-04 was followed by 1582-10-15.
bool IsDroppedDay(const tdt::YMD &d) { return d.year == 1582 && d.month == 10 && d.day >= 5 && d.day <= 14; }

// A number of plain decimal digits within [min, max].
bool ParseNumber(std::string_view text, int min, int max, int &value)
{
    if (text.empty() || text.size() > 4)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value >= min && value <= max;
}

// Exit status 0 with the civil date, 1 for a lunar day that does not exist
// or lies outside the civil years, 2 for bad arguments.
int PrintCivilDate(int argc, char **argv)
{
    int ly, lm, ld;
    if (argc < 5 || argc > 6 || !ParseNumber(argv[2], 0, LunarLastYear, ly) || !ParseNumber(argv[3], 1, 12, lm)
        || !ParseNumber(argv[4], 1, 30, ld) || (argc == 6 && std::string_view(argv[5]) != "leap")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const bool leap = argc == 6;
    int y, m, d;
    if (LunarToSolar(ly, lm, ld, leap, y, m, d)) {
        std::printf("%04d-%02d-%02d\n", y, m, d);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const char *month = leap ? "leap month" : "month";
    if (leap && LeapMonthOf(ly) != lm)
        std::fprintf(stderr, "lunar-table: lunar year %d has no leap month %d\n", ly, lm);
    else if (ld == 30 && LunarToSolar(ly, lm, 29, leap, y, m, d) && !(y == LunarLastYear && m == 12 && d == 31))
        std::fprintf(stderr, "lunar-table: %s %d of lunar year %d has 29 days\n", month, lm, ly);
    else
        std::fprintf(stderr, "lunar-table: %s %d day %d of lunar year %d lies outside the civil years 1 ... %d\n",
                     month, lm, ld, ly, LunarLastYear);
    return 1;
}

bool ParseDate(std::string_view text, tdt::TDateTime &out)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    auto number = [&](std::size_t from, std::size_t len, int &value) {
        value = 0;
        for (std::size_t i = from; i < from + len; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    int y, m, d;
    if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d) || y < 1 || y > LunarLastYear)
        return false;
    return tdt::TryEncodeDate(y, m, d, out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc >= 2 && std::string_view(argv[1]) == "--lunar")
        return PrintCivilDate(argc, argv);
    tdt::TDateTime from = 0, to = 0;
    if (argc < 2 || argc > 3 || !ParseDate(argv[1], from) || !ParseDate(argc == 3 ? argv[2] : argv[1], to)
        || to < from) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    TChnCal cal;
    std::string line;
    bool printed = false, dropped = false;
    for (tdt::TDateTime date = from; date <= to; date = tdt::IncDay(date, 1)) {
        const tdt::YMD ymd = tdt::DecodeDate(date);
        if (IsDroppedDay(ymd)) {
            dropped = true;
            continue;
        }
        CalcChnCal(cal, date);
        char civil[16];
        std::snprintf(civil, sizeof civil, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
        line = civil;
        int ly, lm, ld;
        bool leap;
        if (!DateToLunar(date, ly, lm, ld, leap)) {
            std::fprintf(stderr, "lunar-table: %s has no lunar date\n", civil);
            return 1;
        }
        line += '\t' + std::to_string(ly) + '\t' + std::to_string(lm) + '\t' + std::to_string(ld)
            + (leap ? "\t1" : "\t0");
        for (const std::string *text : {&cal.CnMonthText, &cal.CnDayText, &cal.TermText, &cal.HolidayText,
                                        &cal.CnHolidayText, &cal.YearStemBranch, &cal.AnimalText,
                                        &cal.ConstellationText, &cal.EraText}) {
            line += '\t';
            line += *text;
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        printed = true;
    }
    if (dropped && !printed) {
        std::fputs("lunar-table: 1582-10-05 ... 1582-10-14 do not exist: the calendar reform went from "
                   "1582-10-04 straight to 1582-10-15\n",
                   stderr);
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
