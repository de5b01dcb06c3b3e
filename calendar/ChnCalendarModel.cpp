#include "ChnCalendarModel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Years outside 1 ... 2100 are not accepted; checked on the day count so that
// absurd values never reach the calendar arithmetic.
const long long kFirstDay = (long long)tdt::EncodeDate(TChnCalendarModel::FirstYear, 1, 1);
const long long kLastDay = (long long)tdt::EncodeDate(TChnCalendarModel::LastYear, 12, 31);

bool InAcceptedRange(tdt::TDateTime x)
{
    if (!std::isfinite(x))
        return false;
    const double day = std::trunc(x);
    return day >= double(kFirstDay) && day <= double(kLastDay);
}

tdt::TDateTime SystemNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const int ms = int(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return tdt::EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                               std::min(local.tm_sec, 59), ms);
}

// Nearest integer to num / 256, halves to the even neighbour.
int RoundDiv256(long long num)
{
    long long q = num >= 0 ? num / 256 : -((-num + 255) / 256);
    const long long rem = num - q * 256;
    if (rem > 128 || (rem == 128 && (q & 1)))
        ++q;
    return int(q);
}

struct GuardSetter {
    bool &flag;
    explicit GuardSetter(bool &f) : flag(f) { flag = true; }
    ~GuardSetter() { flag = false; }
};

} // namespace

TChnCalendarModel::TChnCalendarModel() : Now(SystemNow), Lunar(CalcChnCal) {}

void TChnCalendarModel::SetMonthPos(int p) { m_monthPos = std::clamp(p, 0, 13); }

void TChnCalendarModel::SetYearPos(int p) { m_yearPos = std::clamp(p, FirstYear, LastYear); }

bool TChnCalendarModel::SetDateTime(tdt::TDateTime x)
{
    if (x == m_dateTime)
        return false;
    if (!InAcceptedRange(x))
        return false;
    Rebuild(x);
    return true;
}

void TChnCalendarModel::Refresh()
{
    if (m_monthShown && InAcceptedRange(m_dateTime))
        Rebuild(m_dateTime);
}

TWorkdayMark TChnCalendarModel::WorkdayOf(int y, int m, int d) const
{
    return m_workdays ? m_workdays->MarkOf(y, m, d) : TWorkdayMark::None;
}

namespace {

// The animal of the year line follows the stem-branch shown beside it: between the start of
// spring and the lunar new year the stem-branch has turned and the lunar year has not, and a
// horse year's stem-branch beside a snake reads as a plain mistake.
std::string AnimalOfStemBranch(const std::string &stemBranch, const std::string &fallback)
{
    static const char *const branches[12][2] = {{"子", "鼠"}, {"丑", "牛"}, {"寅", "虎"}, {"卯", "兔"},
                                                {"辰", "龙"}, {"巳", "蛇"}, {"午", "马"}, {"未", "羊"},
                                                {"申", "猴"}, {"酉", "鸡"}, {"戌", "狗"}, {"亥", "猪"}};
    for (const auto &b : branches)
        if (stemBranch.size() > std::string(b[0]).size() && stemBranch.ends_with(b[0]))
            return b[1];
    return fallback;
}

} // namespace

void TChnCalendarModel::UpdateWorkdaysNote(int year)
{
    // Years before the table are history; only the years still to be announced want the note.
    if (m_workdays && !m_workdays->Empty() && year > m_workdays->LastYear())
        m_workdaysNote = std::to_string(year) + "年放假安排未收录";
    else
        m_workdaysNote.clear();
}

std::vector<TLinePart> TChnCalendarModel::SelectedParts() const
{
    std::vector<TLinePart> parts = m_lineParts;
    // The note is the first to go when the line is short.
    parts.push_back({m_workdaysNote, "  ", 1, false});
    return parts;
}

void TChnCalendarModel::SetWorkdays(const TCnWorkdays *table)
{
    m_workdays = table;
    if (!m_monthShown)
        return;
    const tdt::YMD ymd = tdt::DecodeDate(m_dateTime);
    for (int k = 1; k <= LastDayCell; ++k) {
        TcnDateInf &c = m_cells[k - 1];
        c.Workday = c.InUse ? WorkdayOf(ymd.year, ymd.month, c.Day) : TWorkdayMark::None;
    }
    UpdateWorkdaysNote(ymd.year);
    if (View)
        View->TitleChanged();
}

void TChnCalendarModel::MarkNotedDays()
{
    std::vector<int> noted;
    if (NotedDays && m_monthShown) {
        const tdt::YMD ymd = tdt::DecodeDate(m_dateTime);
        try {
            noted = NotedDays(ymd.year, ymd.month);
        } catch (...) {
            noted.clear();
        }
    }
    for (int k = 1; k <= LastDayCell; ++k) {
        TcnDateInf &c = m_cells[k - 1];
        c.Noted = c.InUse && std::find(noted.begin(), noted.end(), c.Day) != noted.end();
    }
}

void TChnCalendarModel::RefreshNotedDays()
{
    if (m_monthShown)
        MarkNotedDays();
}

void TChnCalendarModel::Rebuild(tdt::TDateTime x)
{
    const tdt::YMD ymd = tdt::DecodeDate(x);
    m_dateTime = x;
    m_monthShown = true;
    SetYearPos(ymd.year);
    SetMonthPos(ymd.month);

    Lunar(m_chnCal, m_dateTime);
    m_cnMonth = m_chnCal.CnMonthText;
    m_cnDay = m_chnCal.CnDayText;
    m_cnDate = m_cnMonth + m_cnDay;

    m_yearText = std::to_string(ymd.year);
    m_monthText = std::to_string(ymd.month);

    for (int k = CellConstellation; k <= CellAnimal; ++k)
        m_cells[k - 1].InUse = true;
    m_cells[CellStemBranch - 1].Text = m_chnCal.YearStemBranch;
    m_cells[CellAnimal - 1].Text = AnimalOfStemBranch(m_chnCal.YearStemBranch, m_chnCal.AnimalText) + "年";

    m_lineParts.clear();
    if (ymd.year < 1949) {
        m_selectedEra = m_chnCal.EraText;
        // A long era gives way first, cut short, and goes after the workdays note.
        m_lineParts.push_back({m_chnCal.EraText, "", 2, true});
    } else {
        char buf[40]; // room for any int, as the compiler counts
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
        m_selectedEra.clear();
        m_lineParts.push_back({buf, "", 0, false});
    }
    m_lineParts.push_back({"农历" + m_cnDate, " ", 0, false});
    if (OwnDateText)
        m_lineParts.push_back({OwnDateText(ymd.year, ymd.month, ymd.day, false), " ", 0, false});
    UpdateWorkdaysNote(ymd.year);
    if (View)
        View->TitleChanged();

    for (auto &w : m_weekNumbers)
        w.clear();
    for (int k = 1; k <= LastDayCell; ++k) {
        TcnDateInf &c = m_cells[k - 1];
        c.InUse = false;
        c.Day = 0;
        c.Text.clear();
        c.CnMonth.clear();
        c.CnDay.clear();
        c.CnText.clear();
        c.Workday = TWorkdayMark::None;
        m_ownDates[k - 1].clear();
        c.Noted = false;
        c.DayColor = (k % 7 == 1 || k % 7 == 0) ? clr::clRed : ColorDate;
    }

    const int first = GridWeekday(ymd.year, ymd.month, 1);
    const int days = tdt::DaysInMonth(ymd.year, ymd.month);
    int lastWeek = -1;
    int weekRow = 1;

    // A failure from here on, the change handler's included, ends the rebuild quietly.
    try {
        for (int d = 1; d <= days; ++d) {
            const int i = first + d - 1;
            Lunar(m_chnCal, tdt::EncodeDate(ymd.year, ymd.month, d));

            const int w = IsoWeekNumber(ymd.year, ymd.month, d);
            if (w != lastWeek) {
                lastWeek = w;
                if (weekRow <= 6)
                    m_weekNumbers[weekRow - 1] = std::to_string(w);
                ++weekRow;
            }

            TcnDateInf &c = m_cells[i - 1];
            c.Text = std::to_string(d);
            c.Day = d;
            c.CnMonth = m_chnCal.CnMonthText;
            c.CnDay = m_chnCal.CnDayText;
            c.Workday = WorkdayOf(ymd.year, ymd.month, d);

            if (c.CnDay == "初一") {
                c.CnText = c.CnMonth;
                c.CnColor = clr::clRed;
            } else {
                c.CnText = c.CnDay;
                c.CnColor = ColorCnDate;
            }
            if (!m_chnCal.HolidayText.empty()) {
                c.CnText = m_chnCal.HolidayText;
                c.CnColor = ColorHoliday;
            }
            if (!m_chnCal.TermText.empty()) {
                c.CnText = m_chnCal.TermText;
                c.CnColor = ColorLunarHolDay;
            }
            if (!m_chnCal.CnHolidayText.empty()) {
                c.CnText = m_chnCal.CnHolidayText;
                c.CnColor = ColorCnHolDay;
            }
            if (OwnDateText) {
                m_ownDates[i - 1] = OwnDateText(ymd.year, ymd.month, d, true);
                if (!m_ownDates[i - 1].empty()) {
                    c.CnText = m_ownDates[i - 1];
                    c.CnColor = ColorOwnDate;
                }
            }

            if (d == ymd.day) {
                m_cells[CellConstellation - 1].Text = m_chnCal.ConstellationText;
                const int row = (i + 6) / 7;
                const int col = i - 7 * (row - 1);
                GuardSetter guard(m_guard);
                if (View)
                    View->MakeCurrentCell(col, row);
            }
            c.InUse = true;
        }
        MarkNotedDays();
        if (View) {
            View->MonthBuilt();
            View->Changed();
        }
    } catch (...) {
    }
}

bool TChnCalendarModel::CellCheck(int col, int row)
{
    if (m_guard)
        return true;
    if (col < 1 || col > 7 || row < 1 || row > 6)
        return false;
    const int k = CellNo(col, row);
    if (k > LastDayCell || !m_cells[k - 1].InUse)
        return false;
    try {
        const tdt::YMD ymd = tdt::DecodeDate(m_dateTime);
        SetDateTime(tdt::EncodeDate(ymd.year, ymd.month, m_cells[k - 1].Day));
        if (MousePressed && View)
            View->DateClicked();
        return true;
    } catch (...) {
        // Today's month is on screen now; the grid keeps the cell the rebuild chose.
        GoToToday();
        return false;
    }
}

void TChnCalendarModel::SetDateFallingBack(int y, int m, int d)
{
    for (int day = d; day >= 1; --day) {
        if (tdt::IsValidDate(y, m, day)) {
            SetDateTime(tdt::EncodeDate(y, m, day));
            return;
        }
    }
    GoToToday();
}

void TChnCalendarModel::MonthStep()
{
    const tdt::YMD ymd = tdt::DecodeDate(m_dateTime);
    int y = ymd.year;
    if (m_monthPos == 13) {
        ++y;
        SetYearPos(y);
        SetMonthPos(1);
    } else if (m_monthPos == 0) {
        --y;
        SetYearPos(y);
        SetMonthPos(12);
    }
    SetDateFallingBack(y, m_monthPos, ymd.day);
}

void TChnCalendarModel::YearStep()
{
    const tdt::YMD ymd = tdt::DecodeDate(m_dateTime);
    SetDateFallingBack(m_yearPos, ymd.month, ymd.day);
}

void TChnCalendarModel::MonthArrow(int delta)
{
    SetMonthPos(m_monthPos + delta);
    MonthStep();
}

void TChnCalendarModel::YearArrow(int delta)
{
    SetYearPos(m_yearPos + delta);
    YearStep();
}

void TChnCalendarModel::ChooseMonth(int month)
{
    SetMonthPos(month);
    MonthStep();
}

void TChnCalendarModel::ChooseYear(int year)
{
    SetYearPos(year);
    YearStep();
}

void TChnCalendarModel::GoToToday() { SetDateTime(Now()); }

int IsoWeekNumber(int year, int month, int day)
{
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{unsigned(month)} / std::chrono::day{unsigned(day)}};
    const sys_days thursday = date - (weekday{date}.iso_encoding() - 1) * days{1} + days{3};
    const year_month_day t{thursday};
    const sys_days jan1{t.year() / January / 1};
    return int((thursday - jan1).count() / 7 + 1);
}

int GridWeekday(int year, int month, int day)
{
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{unsigned(month)} / std::chrono::day{unsigned(day)}};
    return int(weekday{date}.c_encoding()) + 1;
}

TRect GridRect(int W, int H, bool showTitle)
{
    if (showTitle)
        return {8, 40, 8 + (W - 15), 40 + (H - 67)};
    return {2, 2, 2 + (W - 4), 2 + (H - 4)};
}

std::array<int, 9> ColumnWidths(int gridWidth, int w0)
{
    const int p = (gridWidth - w0) / 7;
    std::array<int, 9> w{};
    w[0] = w0;
    for (int c = 1; c <= 7; ++c)
        w[c] = p - 1;
    w[8] = gridWidth - w0 - 7 * (p - 1);
    return w;
}

std::array<int, 7> RowHeights(int gridHeight, int h0)
{
    const int q = (gridHeight - h0) / 6;
    std::array<int, 7> h{};
    h[0] = h0;
    for (int r = 1; r <= 5; ++r)
        h[r] = q - 1;
    h[6] = gridHeight - h0 - 5 * (q - 1);
    return h;
}

TRect YearBand(const TRect &g) { return {g.Left, g.Top + 6, g.Right, g.Bottom / 2 + 6}; }

TRect MonthBand(const TRect &g) { return {g.Left, g.Bottom / 2, g.Right, g.Bottom}; }

TRect PlacePicture(int W, int H, int w, int h, bool center, bool stretch)
{
    if (!stretch) {
        const int x = center ? (W - w) / 2 : 0;
        const int y = center ? (H - h) / 2 : 0;
        return {x, y, x + w, y + h};
    }
    if (w <= 0 || h <= 0)
        return {};
    const double r = double(w) / double(h);
    int fw, fh;
    if (h < w) {
        fw = W;
        fh = int(std::trunc(W / r));
        if (fh > H) {
            fh = H;
            fw = int(std::trunc(H * r));
        }
    } else {
        fh = H;
        fw = int(std::trunc(H * r));
        if (fw > W) {
            fw = W;
            fh = int(std::trunc(W / r));
        }
    }
    const int x = center ? (W - fw) / 2 : 0;
    const int y = center ? (H - fh) / 2 : 0;
    return {x, y, x + fw, y + fh};
}

std::vector<TGradientBand> SelectionGradient(TRgb s, TRgb e, int h)
{
    std::vector<TGradientBand> bands;
    if (h <= 0)
        return bands;
    for (int i = 0; i < 256; ++i) {
        const int top = RoundDiv256((long long)i * h);
        const int bottom = RoundDiv256((long long)(i + 1) * h);
        if (bottom <= top)
            continue;
        TGradientBand b;
        b.Top = top;
        b.Bottom = bottom;
        b.Color.R = s.R + RoundDiv256((long long)(i + 1) * (e.R - s.R));
        b.Color.G = s.G + RoundDiv256((long long)(i + 1) * (e.G - s.G));
        b.Color.B = s.B + RoundDiv256((long long)(i + 1) * (e.B - s.B));
        bands.push_back(b);
    }
    return bands;
}

std::vector<TMenuItemDef> MonthMenuItems(const std::array<std::string, 12> &monthNames)
{
    std::vector<TMenuItemDef> items;
    items.push_back({TMenuItemDef::Today, "MenuMonth_ToDay", "今日", 0, true, {}});
    items.push_back({TMenuItemDef::Separator, "MenuMonth_ToDay_", "-", 0, false, {}});
    for (int i = 0; i < 12; ++i)
        items.push_back({TMenuItemDef::Month, "MenuMonth_" + std::to_string(i), monthNames[i], i + 1, false, {}});
    return items;
}

std::vector<TMenuItemDef> YearMenuItems()
{
    std::vector<TMenuItemDef> items;
    items.push_back({TMenuItemDef::Today, "MenuYear_ToDay", "今日", 0, true, {}});
    items.push_back({TMenuItemDef::Separator, "MenuYear_ToDay_1", "-", 0, false, {}});

    TMenuItemDef history{TMenuItemDef::Submenu, "MenuYear_History", "历史日期", 0, false, {}};
    for (int c = 0; c <= 18; ++c) {
        TMenuItemDef group{TMenuItemDef::Submenu, "MenuYear_History_" + std::to_string(100 * c + 10),
                           std::to_string(100 * c), 0, false, {}};
        for (int j = 1; j <= 10; ++j) {
            const int y = 100 * c + 10 * j;
            group.Items.push_back({TMenuItemDef::Year, "MenuYear_History_" + std::to_string(y), std::to_string(y), y,
                                   false, {}});
        }
        history.Items.push_back(std::move(group));
    }
    items.push_back(std::move(history));
    items.push_back({TMenuItemDef::Separator, "MenuYear_ToDay_2", "-", 0, false, {}});

    for (int decade = 1900; decade <= 2090; decade += 10) {
        TMenuItemDef sub{TMenuItemDef::Submenu, "MenuYear_" + std::to_string(decade), std::to_string(decade), 0,
                         false, {}};
        for (int y = decade; y < decade + 10; ++y)
            sub.Items.push_back({TMenuItemDef::Year, "MenuYear_" + std::to_string(y), std::to_string(y), y, false, {}});
        items.push_back(std::move(sub));
    }
    return items;
}
