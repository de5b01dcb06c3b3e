// The month model over the real lunar engine: the texts and colours real months show.
#include "ChnCalendarModel.h"

#include <gtest/gtest.h>

using namespace tdt;

namespace {

TChnCal Fill(int y, int m, int d)
{
    TChnCal r;
    CalcChnCal(r, EncodeDate(y, m, d));
    return r;
}

class RealMonth : public ::testing::Test {
protected:
    // The cell of a day in the shown month.
    const TcnDateInf &CellOf(int day) const
    {
        const YMD s = DecodeDate(model.DateTime());
        return model.Cell(GridWeekday(s.year, s.month, 1) + day - 1);
    }
    TChnCalendarModel model;
};

} // namespace

TEST_F(RealMonth, June2011)
{
    model.SetDateTime(EncodeDate(2011, 6, 30));
    EXPECT_EQ(model.CnMonth(), "五月");
    EXPECT_EQ(model.CnDay(), "廿九");
    EXPECT_EQ(model.CnDate(), "五月廿九");
    EXPECT_EQ(model.SelectedLine(), "2011-06-30 农历五月廿九");
    EXPECT_EQ(model.Cell(33).CnText, "廿九");
    EXPECT_EQ(model.Cell(33).CnColor, model.ColorCnDate);
    const TChnCal r = Fill(2011, 6, 30);
    EXPECT_EQ(model.Cell(40).Text, r.ConstellationText);
    EXPECT_FALSE(r.ConstellationText.empty());
    EXPECT_EQ(model.Cell(41).Text, r.YearStemBranch);
    EXPECT_EQ(model.Cell(42).Text, r.AnimalText + "年");
    EXPECT_EQ(model.Cell(42).Text, "兔年");
    const std::array<std::string, 6> weeks{"22", "23", "24", "25", "26", ""};
    EXPECT_EQ(model.WeekNumbers(), weeks);
}

TEST_F(RealMonth, LunarLineOfEveryDayFollowsTheEngine)
{
    for (YMD month : {YMD{2011, 6, 1}, YMD{2023, 3, 1}, YMD{2024, 2, 1}, YMD{1850, 6, 1}, YMD{2100, 12, 1}}) {
        model.SetDateTime(EncodeDate(month.year, month.month, 15));
        for (int d = 1; d <= DaysInMonth(month.year, month.month); ++d) {
            SCOPED_TRACE(std::to_string(month.year) + "-" + std::to_string(month.month) + "-" + std::to_string(d));
            const TChnCal r = Fill(month.year, month.month, d);
            const TcnDateInf &c = CellOf(d);
            EXPECT_EQ(c.CnDay, r.CnDayText);
            EXPECT_EQ(c.CnMonth, r.CnMonthText);
            std::string expected = r.CnDayText == "初一" ? r.CnMonthText : r.CnDayText;
            if (!r.HolidayText.empty())
                expected = r.HolidayText;
            if (!r.TermText.empty())
                expected = r.TermText;
            if (!r.CnHolidayText.empty())
                expected = r.CnHolidayText;
            EXPECT_EQ(c.CnText, expected);
        }
    }
}

TEST_F(RealMonth, ColourPrecedenceOnRealDays)
{
    struct Case {
        YMD date;
        const char *text;
        TColor TChnCalendarModel::*color; // nullptr: red
    };
    const Case cases[] = {
        {{2011, 6, 2}, "五月", nullptr},                            // new lunar month, no festival
        {{2023, 3, 22}, "闰二", nullptr},                           // a leap month's first day
        {{2011, 6, 6}, "端午节", &TChnCalendarModel::ColorCnHolDay}, // also 芒种
        {{2023, 11, 8}, "立冬", &TChnCalendarModel::ColorLunarHolDay}, // also 记者日
        {{2020, 10, 1}, "中秋节", &TChnCalendarModel::ColorCnHolDay}, // also 国庆节
        {{2011, 6, 1}, "儿童节", &TChnCalendarModel::ColorHoliday},
        {{2024, 2, 4}, "立春", &TChnCalendarModel::ColorLunarHolDay},
        {{2024, 2, 10}, "春节", &TChnCalendarModel::ColorCnHolDay},
        {{2011, 6, 30}, "廿九", &TChnCalendarModel::ColorCnDate},
    };
    model.ColorCnDate = 0x010101;
    model.ColorHoliday = 0x020202;
    model.ColorLunarHolDay = 0x030303;
    model.ColorCnHolDay = 0x040404;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.date.year) + "-" + std::to_string(c.date.month) + "-" +
                     std::to_string(c.date.day));
        model.SetDateTime(EncodeDate(c.date.year, c.date.month, c.date.day));
        const TcnDateInf &cell = CellOf(c.date.day);
        EXPECT_EQ(cell.CnText, c.text);
        EXPECT_EQ(cell.CnColor, c.color ? model.*c.color : clr::clRed);
    }
}

TEST_F(RealMonth, HistoricalYearShowsItsEra)
{
    model.SetDateTime(EncodeDate(2011, 6, 15));
    model.ChooseYear(1850);
    EXPECT_EQ(DecodeDate(model.DateTime()), (YMD{1850, 6, 15}));
    const TChnCal r = Fill(1850, 6, 15);
    EXPECT_EQ(r.EraText.rfind("[清]", 0), 0u) << r.EraText;
    EXPECT_EQ(model.SelectedLine(), r.EraText + " 农历" + r.CnMonthText + r.CnDayText);
}

TEST_F(RealMonth, YearLimitsWithTheRealEngine)
{
    EXPECT_TRUE(model.SetDateTime(EncodeDate(2100, 12, 31)));
    EXPECT_FALSE(model.SetDateTime(EncodeDate(2101, 1, 1)));
    EXPECT_TRUE(model.SetDateTime(EncodeDate(1, 1, 1)));
    EXPECT_TRUE(model.Cell(GridWeekday(1, 1, 1)).InUse);
    EXPECT_FALSE(model.CnDate().empty());
}

TEST_F(RealMonth, TheYearsAnimalFollowsTheStemBranchShownBesideIt)
{
    const struct {
        YMD day;
        const char *stemBranch, *animal;
    } cases[] = {
        {{2026, 2, 3}, "乙巳", "蛇年"},                                  // before the start of spring
        {{2026, 2, 10}, "丙午", "马年"},                                 // after it, before the lunar new year
        {{2026, 2, 16}, "丙午", "马年"},                                 // the lunar year's last day
        {{2026, 2, 17}, "丙午", "马年"},                                 // the lunar new year
        {{2025, 1, 20}, "甲辰", "龙年"}, {{2025, 2, 3}, "乙巳", "蛇年"}, // the start of spring
    };
    for (const auto &c : cases) {
        model.SetDateTime(EncodeDate(c.day.year, c.day.month, c.day.day));
        SCOPED_TRACE(std::to_string(c.day.month) + "/" + std::to_string(c.day.day));
        EXPECT_EQ(model.Cell(TChnCalendarModel::CellStemBranch).Text, c.stemBranch);
        EXPECT_EQ(model.Cell(TChnCalendarModel::CellAnimal).Text, c.animal);
    }
}
