// The month model driven without a window, over a scripted lunar engine so that
// every lunar text is chosen by the test.
#include "ChnCalendarModel.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

using namespace tdt;

namespace tdt {
void PrintTo(const YMD &d, std::ostream *os) { *os << d.year << '-' << d.month << '-' << d.day; }
} // namespace tdt

namespace {

struct Recorder : TChnCalendarView {
    int titles = 0, built = 0, changes = 0, clicks = 0;
    std::vector<std::pair<int, int>> current;
    bool throwOnChange = false, throwOnClick = false;
    const TChnCalendarModel *model = nullptr;
    bool guardSeen = false;

    void TitleChanged() override { ++titles; }
    void MakeCurrentCell(int c, int r) override
    {
        current.push_back({c, r});
        guardSeen = model && model->SelectionGuard();
    }
    void MonthBuilt() override { ++built; }
    void Changed() override
    {
        ++changes;
        if (throwOnChange)
            throw std::runtime_error("handler failed");
    }
    void DateClicked() override
    {
        ++clicks;
        if (throwOnClick)
            throw std::runtime_error("click handler failed");
    }
};

// Lunar day = day of the month, so every cell's lunar line is predictable.
struct ScriptedLunar {
    std::map<int, TChnCal> overrides; // by day of month
    int calls = 0;
    int throwOnCall = 0;              // 1-based call number that throws, 0 = never

    void operator()(TChnCal &r, TDateTime date)
    {
        ++calls;
        if (throwOnCall && calls == throwOnCall)
            throw std::runtime_error("engine failed");
        const YMD ymd = DecodeDate(date);
        r = TChnCal{};
        r.Date = date;
        r.CnMonthText = "五月";
        r.CnDayText = "日" + std::to_string(ymd.day);
        r.YearStemBranch = "辛卯";
        r.AnimalText = "兔";
        r.ConstellationText = "星" + std::to_string(ymd.day);
        r.EraText = ymd.year < 1949 ? "纪年" + std::to_string(ymd.year) : "";
        auto it = overrides.find(ymd.day);
        if (it != overrides.end()) {
            const TChnCal &o = it->second;
            if (!o.CnDayText.empty())
                r.CnDayText = o.CnDayText;
            if (!o.CnMonthText.empty())
                r.CnMonthText = o.CnMonthText;
            r.TermText = o.TermText;
            r.HolidayText = o.HolidayText;
            r.CnHolidayText = o.CnHolidayText;
        }
    }
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.View = &view;
        view.model = &model;
        model.Lunar = [this](TChnCal &r, TDateTime d) { lunar(r, d); };
        model.Now = [this] { return now; };
    }
    YMD Selected() const { return DecodeDate(model.DateTime()); }

    TChnCalendarModel model;
    Recorder view;
    ScriptedLunar lunar;
    TDateTime now = EncodeDateTime(2011, 6, 30, 14, 30, 5);
};

} // namespace

TEST_F(ModelTest, SameValueIsIgnoredAnotherTimeOfDayRebuilds)
{
    const TDateTime x = EncodeDateTime(2011, 6, 30, 9, 0, 0);
    EXPECT_TRUE(model.SetDateTime(x));
    EXPECT_FALSE(model.SetDateTime(x));
    EXPECT_EQ(view.changes, 1);
    EXPECT_TRUE(model.SetDateTime(EncodeDateTime(2011, 6, 30, 9, 0, 1)));
    EXPECT_EQ(view.changes, 2);
    EXPECT_EQ(view.built, 2);
    // The time of day is carried along unchanged.
    EXPECT_EQ(DecodeTime(model.DateTime()), (HMS{9, 0, 1, 0}));
}

TEST_F(ModelTest, YearLimits)
{
    struct Case {
        TDateTime value;
        bool accepted;
    };
    const Case cases[] = {
        {EncodeDate(2100, 12, 31), true},
        {EncodeDateTime(2100, 12, 31, 23, 59, 59), true},
        {EncodeDate(2101, 1, 1), false},
        {EncodeDate(1, 1, 1), true},
        {EncodeDate(1, 1, 1) - 1, false},
        {1e12, false},
        {-1e12, false},
        {std::numeric_limits<double>::quiet_NaN(), false},
        {std::numeric_limits<double>::infinity(), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        model.SetDateTime(EncodeDate(2011, 6, 15));
        const int before = view.changes;
        EXPECT_EQ(model.SetDateTime(c.value), c.accepted);
        EXPECT_EQ(view.changes, before + (c.accepted ? 1 : 0));
        if (!c.accepted) {
            EXPECT_EQ(Selected(), (YMD{2011, 6, 15}));
        }
    }
}

TEST_F(ModelTest, June2011Cells)
{
    model.SetDateTime(EncodeDate(2011, 6, 30));
    for (int k = 1; k <= 42; ++k) {
        SCOPED_TRACE(k);
        const TcnDateInf &c = model.Cell(k);
        const bool day = k >= 4 && k <= 33;
        EXPECT_EQ(c.InUse, day || k >= 40);
        if (day) {
            EXPECT_EQ(c.Day, k - 3);
            EXPECT_EQ(c.Text, std::to_string(k - 3));
            EXPECT_EQ(c.CnDay, "日" + std::to_string(k - 3));
            EXPECT_EQ(c.CnMonth, "五月");
            EXPECT_EQ(c.CnText, c.CnDay);
            EXPECT_EQ(c.CnColor, model.ColorCnDate);
            // Sunday and Saturday columns are red whatever ColorDate says.
            EXPECT_EQ(c.DayColor, (k % 7 == 1 || k % 7 == 0) ? clr::clRed : model.ColorDate);
        }
    }
    ASSERT_EQ(view.current.size(), 1u);
    EXPECT_EQ(view.current[0], (std::pair<int, int>{5, 5}));
    EXPECT_TRUE(view.guardSeen);
    EXPECT_FALSE(model.SelectionGuard());
    const std::array<std::string, 6> weeks{"22", "23", "24", "25", "26", ""};
    EXPECT_EQ(model.WeekNumbers(), weeks);
    EXPECT_EQ(model.Cell(40).Text, "星30");
    EXPECT_EQ(model.Cell(41).Text, "辛卯");
    EXPECT_EQ(model.Cell(42).Text, "兔年");
    EXPECT_EQ(model.YearText(), "2011");
    EXPECT_EQ(model.MonthText(), "6");
    EXPECT_EQ(model.CnDate(), "五月日30");
    EXPECT_EQ(model.SelectedLine(), "2011-06-30 农历五月日30");
    EXPECT_EQ(model.YearPos(), 2011);
    EXPECT_EQ(model.MonthPos(), 6);
    // One fill for the date itself, then one per day.
    EXPECT_EQ(lunar.calls, 31);
}

TEST_F(ModelTest, WeekNumberLists)
{
    struct Case {
        YMD date;
        std::array<std::string, 6> weeks;
    };
    const Case cases[] = {
        {{2010, 1, 20}, {"53", "1", "2", "3", "4", ""}},
        // Starting on a Sunday: every later entry lands one row early.
        {{2011, 5, 2}, {"17", "18", "19", "20", "21", "22"}},
        {{2015, 2, 10}, {"5", "6", "7", "8", "9", ""}},
        {{2020, 12, 31}, {"49", "50", "51", "52", "53", ""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date.year * 100 + c.date.month);
        model.SetDateTime(EncodeDate(c.date.year, c.date.month, c.date.day));
        EXPECT_EQ(model.WeekNumbers(), c.weeks);
    }
}

TEST(IsoWeek, Table)
{
    struct Case {
        int y, m, d, week;
    };
    const Case cases[] = {{2010, 1, 1, 53}, {2010, 1, 3, 53}, {2010, 1, 4, 1}, {2008, 12, 29, 1},
                          {2020, 12, 31, 53}, {2021, 1, 3, 53}, {2011, 6, 30, 26}, {1, 1, 1, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.y * 10000 + c.m * 100 + c.d);
        EXPECT_EQ(IsoWeekNumber(c.y, c.m, c.d), c.week);
    }
    EXPECT_EQ(GridWeekday(2011, 6, 1), 4);  // Wednesday
    EXPECT_EQ(GridWeekday(2015, 2, 1), 1);  // Sunday
    EXPECT_EQ(GridWeekday(2015, 8, 1), 7);  // Saturday
}

TEST_F(ModelTest, LunarLinePrecedence)
{
    auto with = [](std::string cnDay, std::string holiday, std::string term, std::string cnHoliday) {
        TChnCal c;
        c.CnDayText = std::move(cnDay);
        c.HolidayText = std::move(holiday);
        c.TermText = std::move(term);
        c.CnHolidayText = std::move(cnHoliday);
        return c;
    };
    lunar.overrides[2] = with("初一", "", "", "");
    lunar.overrides[3] = with("初一", "", "", "");
    lunar.overrides[3].CnMonthText = "闰四";
    lunar.overrides[4] = with("", "儿童节", "", "");
    lunar.overrides[5] = with("", "节日", "芒种", "");
    lunar.overrides[6] = with("", "", "夏至", "端午");
    lunar.overrides[7] = with("初一", "节日", "", "");
    lunar.overrides[8] = with("初一", "节日", "节气", "佳节");
    model.ColorDate = 0x111111;
    model.ColorCnDate = 0x222222;
    model.ColorHoliday = 0x333333;
    model.ColorLunarHolDay = 0x444444;
    model.ColorCnHolDay = 0x555555;
    model.SetDateTime(EncodeDate(2011, 6, 15));

    struct Expect {
        int day;
        const char *text;
        TColor color;
    };
    const Expect expect[] = {
        {1, "日1", 0x222222},    {2, "五月", clr::clRed}, {3, "闰四", clr::clRed}, {4, "儿童节", 0x333333},
        {5, "芒种", 0x444444},   {6, "端午", 0x555555},   {7, "节日", 0x333333},   {8, "佳节", 0x555555},
    };
    for (const Expect &e : expect) {
        SCOPED_TRACE(e.day);
        const TcnDateInf &c = model.Cell(3 + e.day);
        EXPECT_EQ(c.CnText, e.text);
        EXPECT_EQ(c.CnColor, e.color);
    }
}

TEST_F(ModelTest, ColourChangeRebuildsTheShownMonth)
{
    model.Refresh(); // nothing shown yet
    EXPECT_EQ(view.changes, 0);
    model.SetDateTime(EncodeDate(2011, 6, 15));
    model.ColorDate = 0x123456;
    model.Refresh();
    EXPECT_EQ(view.changes, 2);
    EXPECT_EQ(model.Cell(4).DayColor, 0x123456);
    EXPECT_EQ(model.Cell(7).DayColor, clr::clRed);
}

TEST_F(ModelTest, ErrorsFromTheDayLoopAndTheHandlerAreSwallowed)
{
    lunar.throwOnCall = 11; // the date itself, then days 1 ... 9, then day 10 fails
    EXPECT_NO_THROW(model.SetDateTime(EncodeDate(2011, 6, 30)));
    EXPECT_EQ(Selected(), (YMD{2011, 6, 30}));
    EXPECT_EQ(model.YearText(), "2011");
    EXPECT_TRUE(model.Cell(4 + 8).InUse);   // day 9
    EXPECT_FALSE(model.Cell(4 + 9).InUse);  // day 10
    EXPECT_EQ(view.built, 0);
    EXPECT_EQ(view.changes, 0);

    lunar.throwOnCall = 0;
    view.throwOnChange = true;
    EXPECT_NO_THROW(model.SetDateTime(EncodeDate(2011, 7, 1)));
    EXPECT_EQ(view.changes, 1);
    EXPECT_EQ(view.built, 1);
    EXPECT_TRUE(model.Cell(6 + 30).InUse); // 31 July, cell 36
}

TEST_F(ModelTest, ErrorBeforeTheDayLoopReachesTheCaller)
{
    lunar.calls = 0;
    lunar.throwOnCall = 1;
    EXPECT_THROW(model.SetDateTime(EncodeDate(2011, 6, 30)), std::runtime_error);
    EXPECT_EQ(Selected(), (YMD{2011, 6, 30}));
    EXPECT_EQ(view.changes, 0);
}

TEST_F(ModelTest, CellCheck)
{
    model.SetDateTime(EncodeDateTime(2011, 6, 30, 14, 0, 0)); // days in cells 4 ... 33
    view.changes = 0;
    struct Refused {
        int col, row;
    };
    const Refused refused[] = {{0, 1}, {8, 1}, {3, 0}, {1, 1}, {3, 1}, {6, 5}, {3, 6}, {4, 6}, {5, 6}, {6, 6}, {7, 6}};
    model.MousePressed = true;
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.col * 10 + r.row);
        EXPECT_FALSE(model.CellCheck(r.col, r.row));
    }
    EXPECT_EQ(view.changes, 0);
    EXPECT_EQ(view.clicks, 0);

    // The selected day again: the time of day goes, so once more a change.
    EXPECT_TRUE(model.CellCheck(5, 5));
    EXPECT_EQ(model.DateTime(), EncodeDate(2011, 6, 30));
    EXPECT_EQ(view.changes, 1);
    EXPECT_EQ(view.clicks, 1);
    EXPECT_TRUE(model.CellCheck(5, 5));
    EXPECT_EQ(view.changes, 1);
    EXPECT_EQ(view.clicks, 2);

    model.MousePressed = false;
    EXPECT_TRUE(model.CellCheck(4, 1)); // 1 June
    EXPECT_EQ(model.DateTime(), EncodeDate(2011, 6, 1));
    EXPECT_EQ(view.changes, 2);
    EXPECT_EQ(view.clicks, 2);
}

TEST_F(ModelTest, FailingDateClickGoesToToday)
{
    model.SetDateTime(EncodeDate(2011, 5, 10));
    model.MousePressed = true;
    view.throwOnClick = true;
    EXPECT_FALSE(model.CellCheck(3, 2)); // 9 May, then the handler fails
    EXPECT_EQ(model.DateTime(), now);
}

namespace {
enum class Act { MonthUp, MonthDown, YearUp, YearDown, ChooseMonth, ChooseYear };
struct StepCase {
    const char *name;
    YMD start;
    std::vector<std::pair<Act, int>> acts;
    YMD expected;
    int yearPos, monthPos;
};
} // namespace

class ModelSteps : public ModelTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(ModelSteps, Step)
{
    const StepCase &c = GetParam();
    model.SetDateTime(EncodeDate(c.start.year, c.start.month, c.start.day));
    for (auto [act, arg] : c.acts) {
        switch (act) {
        case Act::MonthUp: model.MonthArrow(+1); break;
        case Act::MonthDown: model.MonthArrow(-1); break;
        case Act::YearUp: model.YearArrow(+1); break;
        case Act::YearDown: model.YearArrow(-1); break;
        case Act::ChooseMonth: model.ChooseMonth(arg); break;
        case Act::ChooseYear: model.ChooseYear(arg); break;
        }
    }
    EXPECT_EQ(Selected(), c.expected);
    EXPECT_EQ(TimeOf(model.DateTime()), 0.0);
    EXPECT_EQ(model.YearPos(), c.yearPos);
    EXPECT_EQ(model.MonthPos(), c.monthPos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelSteps,
    ::testing::Values(
        StepCase{"JanToFeb", {2011, 1, 31}, {{Act::MonthUp, 0}}, {2011, 2, 28}, 2011, 2},
        StepCase{"FebToMarKeeps28", {2011, 1, 31}, {{Act::MonthUp, 0}, {Act::MonthUp, 0}}, {2011, 3, 28}, 2011, 3},
        StepCase{"LeapDayNextYear", {2012, 2, 29}, {{Act::YearUp, 0}}, {2013, 2, 28}, 2013, 2},
        StepCase{"DecToJan", {2011, 12, 15}, {{Act::MonthUp, 0}}, {2012, 1, 15}, 2012, 1},
        StepCase{"JanToDec", {2011, 1, 15}, {{Act::MonthDown, 0}}, {2010, 12, 15}, 2010, 12},
        StepCase{"MenuApril", {2011, 3, 31}, {{Act::ChooseMonth, 4}}, {2011, 4, 30}, 2011, 4},
        StepCase{"MenuYear1850", {2011, 6, 15}, {{Act::ChooseYear, 1850}}, {1850, 6, 15}, 1850, 6},
        StepCase{"YearDown", {2011, 6, 15}, {{Act::YearDown, 0}}, {2010, 6, 15}, 2010, 6},
        StepCase{"TopYearStays", {2100, 6, 15}, {{Act::YearUp, 0}}, {2100, 6, 15}, 2100, 6},
        // Stepping past December 2100 is ignored, the arrows stand at 1: next up is February.
        StepCase{"Past2100", {2100, 12, 15}, {{Act::MonthUp, 0}}, {2100, 12, 15}, 2100, 1},
        StepCase{"Past2100ThenUp", {2100, 12, 15}, {{Act::MonthUp, 0}, {Act::MonthUp, 0}}, {2100, 2, 15}, 2100, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ModelTest, SteppingBackFromYearOneGoesToToday)
{
    model.SetDateTime(EncodeDate(1, 1, 20));
    model.MonthArrow(-1);
    EXPECT_EQ(model.DateTime(), now);
    EXPECT_EQ(model.YearPos(), 2011);
    EXPECT_EQ(model.MonthPos(), 6);
}

TEST_F(ModelTest, TodayAlwaysRebuilds)
{
    model.GoToToday();
    now += 1.0 / 86400;
    model.GoToToday();
    EXPECT_EQ(view.changes, 2);
    EXPECT_EQ(model.DateTime(), now);
}

TEST_F(ModelTest, SelectedLineBefore1949ShowsTheEra)
{
    model.SetDateTime(EncodeDate(1850, 6, 15));
    EXPECT_EQ(model.SelectedLine(), "纪年1850 农历五月日15");
    model.SetDateTime(EncodeDate(1949, 1, 1));
    EXPECT_EQ(model.SelectedLine(), "1949-01-01 农历五月日1");
    model.SetDateTime(EncodeDate(5, 3, 7));
    EXPECT_EQ(model.SelectedLine(), "纪年5 农历五月日7");
}

TEST_F(ModelTest, MonthsBeginningOnSundayAndSaturday)
{
    model.SetDateTime(EncodeDate(2015, 2, 14));
    for (int k = 1; k <= 37; ++k)
        EXPECT_EQ(model.Cell(k).InUse, k <= 28) << k;
    model.SetDateTime(EncodeDate(2015, 8, 31));
    for (int k = 1; k <= 39; ++k)
        EXPECT_EQ(model.Cell(k).InUse, k >= 7 && k <= 37) << k;
    EXPECT_EQ(view.current.back(), (std::pair<int, int>{2, 6}));
}

// ---- geometry and drawing arithmetic ----

TEST(Geometry, MainWindowWorkedExample)
{
    const TRect g = GridRect(311, 253, true);
    EXPECT_EQ(g, (TRect{8, 40, 304, 226}));
    EXPECT_EQ(ColumnWidths(g.Width(), 6), (std::array<int, 9>{6, 40, 40, 40, 40, 40, 40, 40, 10}));
    EXPECT_EQ(RowHeights(g.Height(), 18), (std::array<int, 7>{18, 27, 27, 27, 27, 27, 33}));
    EXPECT_EQ(YearBand(g), (TRect{8, 46, 304, 119}));
    EXPECT_EQ(MonthBand(g), (TRect{8, 113, 304, 226}));
    EXPECT_EQ(GridRect(311, 253, false), (TRect{2, 2, 309, 251}));
}

TEST(Geometry, LastColumnAndRowTakeTheRest)
{
    for (int w = 100; w <= 1000; ++w) {
        for (int w0 : {6, 18}) {
            const auto c = ColumnWidths(w, w0);
            int sum = 0;
            for (int x : c)
                sum += x;
            ASSERT_EQ(sum, w);
            ASSERT_GE(c[8], 7);
            ASSERT_LE(c[8], 13);
        }
        const auto r = RowHeights(w, 18);
        int sum = 0;
        for (int x : r)
            sum += x;
        ASSERT_EQ(sum, w);
        ASSERT_GE(r[6] - r[1], 6);
        ASSERT_LE(r[6] - r[1], 11);
    }
}

TEST(Geometry, PicturePlacement)
{
    struct Case {
        int w, h;
        bool center, stretch;
        TRect expected;
    };
    const Case cases[] = {
        {400, 100, false, true, {0, 0, 311, 77}},
        {400, 100, true, true, {0, 88, 311, 165}},
        {100, 400, false, true, {0, 0, 63, 253}},  // tall: height first
        {100, 100, true, true, {29, 0, 282, 253}}, // square counts as tall
        {1000, 300, false, true, {0, 0, 311, 93}},
        {500, 300, false, true, {0, 0, 311, 186}},
        {200, 100, true, false, {55, 76, 255, 176}},
        {411, 353, true, false, {-50, -50, 361, 303}}, // larger: cut evenly
        {200, 100, false, false, {0, 0, 200, 100}},
        {0, 100, false, true, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(PlacePicture(311, 253, c.w, c.h, c.center, c.stretch), c.expected);
    }
}

TEST(Geometry, BlendArithmetic)
{
    EXPECT_EQ(BlendWeight(50), 50);
    EXPECT_EQ(BlendWeight(100), 0);
    EXPECT_EQ(BlendWeight(150), 50);
    EXPECT_EQ(BlendChannel(255, 0, 50), 127);
    EXPECT_EQ(BlendChannel(255, 0, 0), 255);
    EXPECT_EQ(BlendChannel(0, 255, 99), 252);
}

TEST(Gradient, BandsCoverTheCellFromTheStartColourOn)
{
    const TRgb s{0, 174, 83}, e{0, 213, 101};
    for (int h : {1, 5, 27, 33, 186, 255, 256, 257, 600}) {
        SCOPED_TRACE(h);
        const auto bands = SelectionGradient(s, e, h);
        ASSERT_FALSE(bands.empty());
        EXPECT_EQ(bands.front().Top, 0);
        EXPECT_EQ(bands.back().Bottom, h);
        for (size_t i = 1; i < bands.size(); ++i)
            EXPECT_EQ(bands[i].Top, bands[i - 1].Bottom);
        // Band 255 (exactly E) has rows only in tall cells.
        if (h >= 256) {
            EXPECT_EQ(bands.back().Color, e);
        }
    }
    // 27 rows: bands 0 ... 3 have no rows; band 4 starts at row 0 with S + 5 (E - S) / 256.
    const auto b27 = SelectionGradient(s, e, 27);
    EXPECT_EQ(b27.front().Color, (TRgb{0, 175, 83}));
    EXPECT_EQ(b27.size(), 27u);
    // The last row is band 251's: S + 252 (E - S) / 256.
    EXPECT_EQ(b27.back().Top, 26);
    EXPECT_EQ(b27.back().Color, (TRgb{0, 212, 101}));
    // At 256 rows, one band per row: the first is S + (E - S) / 256 rounded.
    const auto b256 = SelectionGradient(s, e, 256);
    ASSERT_EQ(b256.size(), 256u);
    EXPECT_EQ(b256.front().Color, (TRgb{0, 174, 83}));
    EXPECT_EQ(b256[127].Color, (TRgb{0, 194, 92})); // 174 + 19.5 -> 194 (even), 83 + 9 -> 92
}

TEST(Gradient, HalvesGoToTheEvenNeighbour)
{
    // 128 / 256 = 0.5 -> 0; 384 / 256 = 1.5 -> 2; a falling channel -0.5 -> 0, -1.5 -> -2.
    const auto up = SelectionGradient({0, 0, 0}, {128, 0, 0}, 256);
    EXPECT_EQ(up[0].Color.R, 0);  // 1 * 128 / 256 = 0.5
    EXPECT_EQ(up[2].Color.R, 2);  // 3 * 128 / 256 = 1.5
    const auto down = SelectionGradient({10, 0, 0}, {-118, 0, 0}, 256);
    EXPECT_EQ(down[0].Color.R, 10); // 10 - 0.5
    EXPECT_EQ(down[2].Color.R, 8);  // 10 - 1.5
    // Band rows: 2 rows in 256 bands, band i covers round(i/128) ... round((i+1)/128).
    const auto two = SelectionGradient({0, 0, 0}, {255, 255, 255}, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].Bottom, 1);
}

// ---- menus ----

TEST(Menus, MonthMenu)
{
    std::array<std::string, 12> names;
    for (int i = 0; i < 12; ++i)
        names[i] = "M" + std::to_string(i + 1);
    const auto items = MonthMenuItems(names);
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[0].Name, "MenuMonth_ToDay");
    EXPECT_EQ(items[0].Caption, "今日");
    EXPECT_TRUE(items[0].Default);
    EXPECT_EQ(items[1].ItemKind, TMenuItemDef::Separator);
    EXPECT_EQ(items[1].Name, "MenuMonth_ToDay_");
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(items[2 + i].Name, "MenuMonth_" + std::to_string(i));
        EXPECT_EQ(items[2 + i].Caption, names[i]);
        EXPECT_EQ(items[2 + i].Tag, i + 1);
    }
}

TEST(Menus, YearMenu)
{
    const auto items = YearMenuItems();
    ASSERT_EQ(items.size(), 24u);
    EXPECT_EQ(items[0].Name, "MenuYear_ToDay");
    EXPECT_TRUE(items[0].Default);
    EXPECT_EQ(items[1].Name, "MenuYear_ToDay_1");
    EXPECT_EQ(items[3].Name, "MenuYear_ToDay_2");
    const TMenuItemDef &history = items[2];
    EXPECT_EQ(history.Name, "MenuYear_History");
    EXPECT_EQ(history.Caption, "历史日期");
    ASSERT_EQ(history.Items.size(), 19u);
    for (int c = 0; c <= 18; ++c) {
        const TMenuItemDef &g = history.Items[c];
        EXPECT_EQ(g.Caption, std::to_string(100 * c));
        EXPECT_EQ(g.Name, "MenuYear_History_" + std::to_string(100 * c + 10));
        ASSERT_EQ(g.Items.size(), 10u);
        EXPECT_EQ(g.Items.front().Name, g.Name);
        EXPECT_EQ(g.Items.front().Tag, 100 * c + 10);
        EXPECT_EQ(g.Items.back().Tag, 100 * c + 100);
        EXPECT_EQ(g.Items.back().Caption, std::to_string(100 * c + 100));
    }
    EXPECT_EQ(history.Items[18].Items[4].Tag, 1850);
    for (int i = 0; i < 20; ++i) {
        const TMenuItemDef &d = items[4 + i];
        const int decade = 1900 + 10 * i;
        EXPECT_EQ(d.Caption, std::to_string(decade));
        EXPECT_EQ(d.Name, "MenuYear_" + std::to_string(decade));
        ASSERT_EQ(d.Items.size(), 10u);
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(d.Items[j].Tag, decade + j);
            EXPECT_EQ(d.Items[j].Name, "MenuYear_" + std::to_string(decade + j));
        }
    }
}
