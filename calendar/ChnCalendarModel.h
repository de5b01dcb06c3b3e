#pragma once
// The month calendar's state without any window: the selected date, the 42-cell
// table, the week numbers, the title texts, the arrow positions and every way the
// user changes the date. The widget owns one, paints it and forwards its input.
// Plain C++: tests drive it directly.
#include "ChnCalendarUse.h"
#include "CnWorkdays.h"
#include "LinePart.h"
#include "TDateTime.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// 32-bit colour, red in the low byte, green in the second, blue in the third.
// Values with the top byte 0xFF name a system colour (its index in the low byte).
using TColor = std::int32_t;

namespace clr {
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGreen = 0x008000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clWindow = TColor(0xFF000005u);
constexpr TColor clWindowText = TColor(0xFF000008u);
constexpr TColor clBtnFace = TColor(0xFF00000Fu);

constexpr TColor RGB(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
constexpr int GetR(TColor c) { return c & 0xFF; }
constexpr int GetG(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetB(TColor c) { return (c >> 16) & 0xFF; }
constexpr bool IsSystemColor(TColor c) { return (std::uint32_t(c) & 0xFF000000u) == 0xFF000000u; }
} // namespace clr

// One cell of the day grid: cells 1 ... 37 hold days, 40 ... 42 information texts.
struct TcnDateInf {
    int Day = 0;
    bool InUse = false;
    std::string Text;     // the day number, or the information text
    std::string CnMonth;  // lunar month text of the day
    std::string CnDay;    // lunar day name
    std::string CnText;   // the lunar line under the day number
    TColor DayColor = clr::clBlack;
    TColor CnColor = clr::clBlack;
    TWorkdayMark Workday = TWorkdayMark::None; // official day off or working day
    bool Noted = false;                        // the day has a note
};

// What the month rebuild and the input steps tell the window showing the model.
class TChnCalendarView {
public:
    virtual ~TChnCalendarView() = default;
    // Arrow positions and title texts changed (rebuild steps 3 to 7).
    virtual void TitleChanged() {}
    // Make (col, row) the grid's current cell; the selection guard is set meanwhile.
    virtual void MakeCurrentCell(int /*col*/, int /*row*/) {}
    // Cells are up to date: rebuild the background and repaint the grid.
    virtual void MonthBuilt() {}
    // OnChange.
    virtual void Changed() {}
    // OnDateClick.
    virtual void DateClicked() {}
};

class TChnCalendarModel {
public:
    static constexpr int FirstYear = 1;
    static constexpr int LastYear = 2100;
    static constexpr int CellCount = 42;
    static constexpr int LastDayCell = 37;
    static constexpr int CellConstellation = 40;
    static constexpr int CellStemBranch = 41;
    static constexpr int CellAnimal = 42;

    TChnCalendarModel();

    // Seams: the view, the clock and the lunar engine (the real one by default).
    TChnCalendarView *View = nullptr;
    std::function<tdt::TDateTime()> Now;
    std::function<void(TChnCal &, tdt::TDateTime)> Lunar;
    // The user's own yearly date on a civil day, or "": its short form takes the lunar
    // line before a festival or term, its long form joins the selected-date line.
    // None by default.
    std::function<std::string(int year, int month, int day, bool shortForm)> OwnDateText;

    // Colours the rebuild writes into the cells.
    TColor ColorDate = 5197647;
    TColor ColorCnDate = 32768;
    TColor ColorHoliday = 33023;
    TColor ColorLunarHolDay = 16733011;
    TColor ColorCnHolDay = 33023;
    TColor ColorOwnDate = clr::RGB(214, 0, 110);

    tdt::TDateTime DateTime() const { return m_dateTime; }
    // The month rebuild; false when the value was ignored (unchanged, or year outside 1 ... 2100).
    bool SetDateTime(tdt::TDateTime x);
    // Runs the rebuild again for the held date (after a colour change), when a month is shown.
    void Refresh();

    // The official days off and working days the day cells are marked from (not owned;
    // none by default). Setting it marks the shown month's cells again, without a rebuild,
    // and renews the note (TitleChanged).
    const TCnWorkdays *Workdays() const { return m_workdays; }
    void SetWorkdays(const TCnWorkdays *table);

    // The short form of the user's own yearly date of each day, or "", per cell (1 ... 37).
    const std::string &OwnDateOf(int k) const { return m_ownDates.at(k - 1); }
    // The days of a month that have notes, asked once per month rebuild; none when
    // unset. A failure leaves the month without marks.
    std::function<std::vector<int>(int year, int month)> NotedDays;
    // Asks again for the shown month and marks its cells, without a rebuild.
    void RefreshNotedDays();

    const std::string &CnDate() const { return m_cnDate; }
    const std::string &CnMonth() const { return m_cnMonth; }
    const std::string &CnDay() const { return m_cnDay; }
    void SetCnDate(const std::string &s) { m_cnDate = s; }
    void SetCnMonth(const std::string &s) { m_cnMonth = s; }
    void SetCnDay(const std::string &s) { m_cnDay = s; }

    // Title texts: the year and month numbers and the selected-date line.
    const std::string &YearText() const { return m_yearText; }
    const std::string &MonthText() const { return m_monthText; }
    // The selected-date line as its fields, in order, each with its drop order; the
    // control fits them to its room.
    std::vector<TLinePart> SelectedParts() const;
    // The whole line, every field with its gap.
    std::string SelectedLine() const { return JoinLineParts(SelectedParts()); }
    // The era the selected-date line begins with ("" from 1949 on): it may be shortened on screen.
    const std::string &SelectedEra() const { return m_selectedEra; }
    // "2027年放假安排未收录" when the shown year lies after the last year of the table of days
    // off and working days, else "".
    const std::string &WorkdaysNote() const { return m_workdaysNote; }

    // k = (row - 1) * 7 + col, 1 ... 42.
    const TcnDateInf &Cell(int k) const { return m_cells.at(k - 1); }
    static int CellNo(int col, int row) { return (row - 1) * 7 + col; }
    // Entry j - 1 belongs to grid row j; empty entries show nothing.
    const std::array<std::string, 6> &WeekNumbers() const { return m_weekNumbers; }

    // Arrow positions: month 0 ... 13 (0 and 13 mark a step past January or December), year 1 ... 2100.
    int MonthPos() const { return m_monthPos; }
    int YearPos() const { return m_yearPos; }
    void SetMonthPos(int p);
    void SetYearPos(int p);

    bool SelectionGuard() const { return m_guard; }
    // Set by a mouse press on the grid, cleared when the pointer leaves the control or a part of it.
    bool MousePressed = false;

    // The cell check, run before the grid's current cell moves to (col, row).
    bool CellCheck(int col, int row);
    // Arrow buttons: the position moves by delta (within its range), then the step runs.
    void MonthArrow(int delta);
    void YearArrow(int delta);
    void MonthStep();
    void YearStep();
    void ChooseMonth(int month);
    void ChooseYear(int year);
    void GoToToday();

private:
    void Rebuild(tdt::TDateTime x);
    void SetDateFallingBack(int y, int m, int d);
    TWorkdayMark WorkdayOf(int y, int m, int d) const;
    void UpdateWorkdaysNote(int year);
    void MarkNotedDays();

    tdt::TDateTime m_dateTime = 0;
    bool m_monthShown = false;
    std::string m_cnDate, m_cnMonth, m_cnDay;
    std::string m_yearText, m_monthText, m_selectedEra, m_workdaysNote;
    // The line's fields but the workdays note, which follows the table.
    std::vector<TLinePart> m_lineParts;
    std::array<TcnDateInf, CellCount> m_cells{};
    std::array<std::string, LastDayCell> m_ownDates{};
    std::array<std::string, 6> m_weekNumbers{};
    TChnCal m_chnCal;
    int m_monthPos = 0;
    int m_yearPos = 1;
    bool m_guard = false;
    const TCnWorkdays *m_workdays = nullptr;
};

// ISO 8601 week number (weeks begin on Monday; week 1 holds the year's first Thursday).
int IsoWeekNumber(int year, int month, int day);
// Weekday 1 = Sunday ... 7 = Saturday, as the grid's columns count.
int GridWeekday(int year, int month, int day);

// ---- geometry and drawing arithmetic, shared by the widget and its tests ----

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect &) const = default;
};

// The grid's place in the control, with or without the title.
TRect GridRect(int controlWidth, int controlHeight, bool showTitle);
// Columns 0 ... 8 and rows 0 ... 6; the last column and row take the rest.
std::array<int, 9> ColumnWidths(int gridWidth, int w0);
std::array<int, 7> RowHeights(int gridHeight, int h0);
// Bands of the large pale year and month numbers for a grid rectangle.
TRect YearBand(const TRect &grid);
TRect MonthBand(const TRect &grid);

// Where a background picture of natural size w x h goes in a W x H control.
// Empty (0 x 0) for a stretched picture without area.
TRect PlacePicture(int W, int H, int w, int h, bool center, bool stretch);
// Blend weight in percent.
inline int BlendWeight(int alphaBlend) { return alphaBlend % 100; }
inline int BlendChannel(int background, int picture, int p)
{
    const int v = (background * (100 - p) + picture * p) / 100;
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

struct TRgb {
    int R = 0, G = 0, B = 0;
    bool operator==(const TRgb &) const = default;
};
struct TGradientBand {
    int Top = 0, Bottom = 0; // rows Top ... Bottom - 1
    TRgb Color;
};
// The selection gradient of a cell of height h: 256 bands, empty ones left out.
std::vector<TGradientBand> SelectionGradient(TRgb start, TRgb end, int h);

// ---- the two menus ----

struct TMenuItemDef {
    enum Kind { Today, Separator, Month, Year, Submenu };
    Kind ItemKind = Separator;
    std::string Name;
    std::string Caption;
    int Tag = 0;
    bool Default = false;
    std::vector<TMenuItemDef> Items;
};
// monthNames: the locale's long month names, January first.
std::vector<TMenuItemDef> MonthMenuItems(const std::array<std::string, 12> &monthNames);
std::vector<TMenuItemDef> YearMenuItems();
