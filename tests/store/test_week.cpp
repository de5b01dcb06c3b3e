#include "uGlobal.h"

#include <gtest/gtest.h>

using namespace tdt;

namespace {
std::vector<TWeekConList> weekOf(TDateTime base)
{
    std::vector<TWeekConList> w(7);
    BuildWeek(w, base);
    return w;
}
} // namespace

TEST(BuildWeek, WorkedExampleCarriesTheTimeOfDayAndSundaySharesSaturdaysKey)
{
    const TDateTime base = EncodeDateTime(2010, 6, 3, 14, 30, 0);
    const auto w = weekOf(base);
    const char *keys[] = {"20100531", "20100601", "20100602", "20100603", "20100604", "20100605", "20100605"};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w[i].DayNo, i + 1);
        EXPECT_EQ(w[i].BoxNo, i < 6 ? i + 1 : 6);
        EXPECT_EQ(w[i].DayKey, QString::fromLatin1(keys[i]));
        EXPECT_EQ(DecodeTime(w[i].DayDate), (HMS{14, 30, 0, 0}));
        EXPECT_EQ(DayNumber(w[i].DayDate), DayNumber(base) + (i - 3));
    }
    EXPECT_DOUBLE_EQ(w[3].DayDate, base);
    EXPECT_EQ(DecodeDate(w[6].DayDate), (YMD{2010, 6, 6}));
}

struct WeekCase {
    YMD base;
    const char *mondayKey;
    const char *saturdayKey;
};

class BuildWeekTable : public ::testing::TestWithParam<WeekCase> {};

TEST_P(BuildWeekTable, MondayAndSaturdayKeys)
{
    const WeekCase c = GetParam();
    const auto w = weekOf(EncodeDate(c.base.year, c.base.month, c.base.day));
    EXPECT_EQ(w[0].DayKey, QString::fromLatin1(c.mondayKey));
    EXPECT_EQ(w[5].DayKey, QString::fromLatin1(c.saturdayKey));
    EXPECT_EQ(w[6].DayKey, w[5].DayKey);
    for (int i = 1; i < 6; ++i)
        EXPECT_LT(w[i - 1].DayKey, w[i].DayKey);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeDays, BuildWeekTable,
    ::testing::Values(WeekCase{{2010, 6, 6}, "20100531", "20100605"},   // Sunday: the six days before it
                      WeekCase{{2010, 5, 31}, "20100531", "20100605"},  // Monday: itself first
                      WeekCase{{2010, 1, 1}, "20091228", "20100102"},   // across the year end
                      WeekCase{{5, 3, 1}, "00050228", "00050305"},      // leading zeros below year 1000
                      WeekCase{{1, 1, 1}, "00010101", "00010106"}));

TEST(BuildWeek, TwoDatesOfOneWeekGiveTheSameKeys)
{
    const auto a = weekOf(EncodeDateTime(2024, 2, 6, 8, 0, 0));
    const auto b = weekOf(EncodeDateTime(2024, 2, 10, 21, 15, 0));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(a[i].DayKey, b[i].DayKey);
        EXPECT_EQ(DayNumber(a[i].DayDate), DayNumber(b[i].DayDate));
    }
}
