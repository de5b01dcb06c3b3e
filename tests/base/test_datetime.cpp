#include "TDateTime.h"

#include <gtest/gtest.h>

using namespace tdt;

struct DateCase {
    int y, m, d;
    double serial;
    int isoWeekday;
};

class DateTimeTable : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTimeTable, EncodesDecodesAndNamesTheWeekday)
{
    const DateCase c = GetParam();
    EXPECT_DOUBLE_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
    EXPECT_EQ(DecodeDate(c.serial), (YMD{c.y, c.m, c.d}));
    EXPECT_EQ(DayOfTheWeek(c.serial), c.isoWeekday);
}

INSTANTIATE_TEST_SUITE_P(Known, DateTimeTable,
                         ::testing::Values(DateCase{1899, 12, 30, 0, 6}, DateCase{1899, 12, 29, -1, 5},
                                           DateCase{1900, 1, 1, 2, 1}, DateCase{2010, 6, 1, 40330, 2},
                                           DateCase{2010, 6, 6, 40335, 7}, DateCase{1, 1, 1, -693593, 1},
                                           DateCase{9999, 12, 31, 2958465, 5}, DateCase{2000, 2, 29, 36585, 2},
                                           DateCase{1582, 10, 10, -115863, 7}));

TEST(DateTime, TimeOfDaySurvivesDecodingAndDayStepsOnBothSidesOfTheEpoch)
{
    const TDateTime t = EncodeDateTime(2010, 6, 3, 14, 30, 0);
    EXPECT_EQ(DecodeTime(t), (HMS{14, 30, 0, 0}));
    EXPECT_EQ(DecodeTime(EncodeDateTime(2010, 6, 3, 23, 59, 59, 999)), (HMS{23, 59, 59, 999}));

    // Before 30 December 1899 the day is the integer part and the time its absolute fraction.
    const TDateTime before = EncodeDateTime(1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ(before, -1.25);
    EXPECT_EQ(DecodeDate(before), (YMD{1899, 12, 29}));
    EXPECT_EQ(DecodeTime(before), (HMS{6, 0, 0, 0}));

    const TDateTime stepped = IncDay(EncodeDateTime(1899, 12, 31, 6, 0, 0), -3);
    EXPECT_EQ(DecodeDate(stepped), (YMD{1899, 12, 28}));
    EXPECT_EQ(DecodeTime(stepped), (HMS{6, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(TimeOf(stepped), 0.25);
}

TEST(DateTime, RejectsDatesOutsideTheCalendar)
{
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(2011, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(2011, 13, 1, v));
    EXPECT_EQ(v, 123);
    EXPECT_THROW(EncodeDate(1900, 2, 29), std::invalid_argument);
    EXPECT_EQ(DaysInMonth(2012, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
}
