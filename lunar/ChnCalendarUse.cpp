#include "ChnCalendarUse.h"

#include "CnCalendar.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

static const char *const EraTable[] = {
#include "EraTable.inc"
};
static_assert(std::size(EraTable) == 529);

struct EraRow {
    int first = 0;
    // Years of the reign title counted before the row: a title carried on by a
    // later ruler goes on counting.
    int carried = 0;
    std::string dynasty, title, name, reignTitle;
};

int ToInt(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

const std::vector<EraRow> &EraRows()
{
    static const std::vector<EraRow> rows = [] {
        std::vector<EraRow> out;
        out.reserve(std::size(EraTable));
        for (const char *row : EraTable)
            out.push_back({ToInt(GetField(row, ",", 1, false)), ToInt(GetField(row, ",", 3, false)),
                           GetField(row, ",", 4, false), GetField(row, ",", 5, false), GetField(row, ",", 6, false),
                           GetField(row, ",", 7, false)});
        return out;
    }();
    return rows;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (unsigned char)s.front() <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && (unsigned char)s.back() <= ' ')
        s.remove_suffix(1);
    return s;
}

// Dates far outside the engine's years are not decoded at all.
bool DecodeCivilDate(tdt::TDateTime date, int &year, int &month, int &day)
{
    if (!(date > -2000000.0 && date < 2000000.0))
        return false;
    const tdt::YMD ymd = tdt::DecodeDate(date);
    year = ymd.year;
    month = ymd.month;
    day = ymd.day;
    return true;
}

const auto &MonthTexts()
{
    // [leap][month]: "正月" ... "腊月", "闰正" ... "闰腊".
    static const auto texts = [] {
        std::array<std::array<std::string, 13>, 2> out;
        for (int m = 1; m <= 12; ++m) {
            out[0][m] = std::string(CnMonthName(m)) + "月";
            out[1][m] = "闰" + std::string(CnMonthName(m));
        }
        return out;
    }();
    return texts;
}

} // namespace

std::string GetField(std::string_view text, std::string_view separator, int n, bool skipEmpty)
{
    if (n < 1)
        return {};
    int count = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = separator.empty() ? std::string_view::npos : text.find(separator, pos);
        const bool last = at == std::string_view::npos;
        const std::string_view piece = last ? text.substr(pos) : text.substr(pos, at - pos);
        if (last && piece.empty())
            break;
        const std::string_view field = Trim(piece);
        if (!(skipEmpty && field.empty()) && ++count == n)
            return std::string(field);
        if (last)
            break;
        pos = at + separator.size();
    }
    return {};
}

std::string EraTextOf(int year)
{
    if (year >= 1949 || year < -2069)
        return {};
    const auto &rows = EraRows();
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const EraRow &r = rows[i];
        if (r.first <= year && rows[i + 1].first > year) {
            const int n = year - r.first + 1 + r.carried;
            const std::string count = n == 1 ? "元" : std::to_string(n);
            return "[" + r.dynasty + "]" + r.title + " " + r.name + " " + r.reignTitle + count + "年";
        }
    }
    return {};
}

std::string_view HolidayOf(tdt::TDateTime date)
{
    int y, m, d;
    if (!DecodeCivilDate(date, y, m, d))
        return {};
    // n-th given weekday of the month (ISO weekday numbers).
    auto nth = [&](int n, int weekday) {
        return tdt::DayOfTheWeek(date) == weekday && d > 7 * (n - 1) && d <= 7 * n;
    };
    switch (m) {
    case 1: return d == 1 ? "元旦节" : "";
    case 2: return d == 14 ? "情人节" : "";
    case 3: return d == 8 ? "妇女节" : "";
    case 4: return d == 1 ? "愚人节" : "";
    case 5:
        if (d == 1)
            return "劳动节";
        if (d == 4)
            return "青年节";
        return nth(2, 7) ? "母亲节" : "";
    case 6:
        if (d == 1)
            return "儿童节";
        return nth(3, 7) ? "父亲节" : "";
    case 7: return d == 1 ? "建党节" : "";
    case 8: return d == 1 ? "建军节" : "";
    case 9: return d == 10 ? "教师节" : "";
    case 10:
        if (d == 1)
            return "国庆节";
        if (d == 6)
            return "老人节";
        return d == 31 ? "万圣节" : "";
    case 11:
        if (d == 8)
            return "记者日";
        return nth(4, 4) ? "感恩节" : "";
    case 12: return d == 25 ? "圣诞节" : "";
    }
    return {};
}

std::string_view CnHolidayOf(int lunarMonth, int lunarDay, tdt::TDateTime date)
{
    switch (lunarDay) {
    case 1: return lunarMonth == 1 ? "春节" : "";
    case 5: return lunarMonth == 5 ? "端午节" : "";
    case 7: return lunarMonth == 7 ? "七夕节" : "";
    case 8: return lunarMonth == 12 ? "腊八节" : "";
    case 9: return lunarMonth == 9 ? "重阳节" : "";
    case 15:
        if (lunarMonth == 1)
            return "元宵节";
        return lunarMonth == 8 ? "中秋节" : "";
    }
    if (lunarMonth == 12) {
        int ly, lm, ld;
        bool leap;
        if (DateToLunar(tdt::IncDay(date, 1), ly, lm, ld, leap) && lm == 1 && ld == 1)
            return "除夕";
    }
    return {};
}

bool DateToLunar(tdt::TDateTime date, int &lunarYear, int &lunarMonth, int &lunarDay, bool &isLeap)
{
    int y, m, d;
    return DecodeCivilDate(date, y, m, d) && SolarToLunar(y, m, d, lunarYear, lunarMonth, lunarDay, isLeap);
}

bool LunarToDate(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, tdt::TDateTime &date)
{
    int y, m, d;
    return LunarToSolar(lunarYear, lunarMonth, lunarDay, isLeap, y, m, d) && tdt::TryEncodeDate(y, m, d, date);
}

void CalcChnCal(TChnCal &record, tdt::TDateTime date)
{
    record.Date = date;
    int y, m, d;
    if (!DecodeCivilDate(date, y, m, d))
        return;
    int ly, lm, ld;
    bool leap;
    if (!SolarToLunar(y, m, d, ly, lm, ld, leap)) {
        if (CalendarKind(y, m, d) != 0)
            return;
        // 5 to 14 October 1582 never existed: no lunar day, term or festival,
        // only the texts that hold for the whole year around them.
        int ly0, lm0, ld0;
        bool leap0;
        SolarToLunar(1582, 10, 4, ly0, lm0, ld0, leap0);
        record.YearStemBranch = YearStemBranchOf(y, m, d);
        record.AnimalText = AnimalName(AnimalOf(ly0));
        record.EraText = EraTextOf(y);
        record.CnMonthText.clear();
        record.CnDayText.clear();
        record.ConstellationText = ConstellationName(ConstellationOf(m, d));
        record.HolidayText.clear();
        record.CnHolidayText.clear();
        record.TermText.clear();
        return;
    }
    record.YearStemBranch = YearStemBranchOf(y, m, d);
    record.AnimalText = AnimalName(AnimalOf(ly));
    record.EraText = EraTextOf(y);
    record.CnMonthText = MonthTexts()[leap][lm];
    record.CnDayText = CnDayName(ld);
    record.ConstellationText = ConstellationName(ConstellationOf(m, d));
    record.HolidayText = HolidayOf(date);
    record.CnHolidayText = CnHolidayOf(lm, ld, date);
    record.TermText = SolarTermNameOf(y, m, d);
}
