// The rules of the user's yearly dates over the real lunar engine.
#include "YearlyDates.h"

#include <gtest/gtest.h>

using tdt::YMD;

namespace {

TYearlyDate Lunar(int month, int day, bool leap = false)
{
    TYearlyDate d;
    d.Name = "x";
    d.Month = month;
    d.Day = day;
    d.Leap = leap;
    return d;
}

TYearlyDate Civil(int month, int day)
{
    TYearlyDate d = Lunar(month, day);
    d.Lunar = false;
    return d;
}

struct OccurrenceCase {
    const char *what;
    TYearlyDate date;
    int year;
    YMD civil;
};

void PrintTo(const OccurrenceCase &c, std::ostream *os) { *os << c.what; }

class YearlyOccurrence : public ::testing::TestWithParam<OccurrenceCase> {};

TEST_P(YearlyOccurrence, FallsOnTheRuledDay)
{
    const OccurrenceCase &c = GetParam();
    YMD got;
    ASSERT_TRUE(yearly::OccurrenceInYear(c.date, c.year, got)) << c.what;
    EXPECT_EQ(got, c.civil) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, YearlyOccurrence,
    ::testing::Values(
        OccurrenceCase{"leap month present: 2023 has a leap second month", Lunar(2, 15, true), 2023, {2023, 4, 5}},
        OccurrenceCase{"the regular month of a leap year stays regular", Lunar(2, 15), 2023, {2023, 3, 6}},
        OccurrenceCase{"leap month absent: the regular month of its number", Lunar(2, 15, true), 2024, {2024, 3, 24}},
        OccurrenceCase{"day 30 of a 29-day month falls on day 29", Lunar(5, 30), 2011, {2011, 6, 30}},
        OccurrenceCase{"day 30 of a 30-day month stays", Lunar(12, 30), 2023, {2024, 2, 9}},
        OccurrenceCase{"last month of 29 days: the eve of the new year", Lunar(12, 30), 2025, {2026, 2, 16}},
        OccurrenceCase{"29 February in a common year", Civil(2, 29), 2023, {2023, 2, 28}},
        OccurrenceCase{"29 February in a leap year", Civil(2, 29), 2024, {2024, 2, 29}},
        OccurrenceCase{"29 February in 2100, a common year", Civil(2, 29), 2100, {2100, 2, 28}},
        OccurrenceCase{"an ordinary civil date", Civil(6, 12), 2026, {2026, 6, 12}}));

TEST(YearlyDates, DatesThatCannotComeRoundAreRefused)
{
    YMD got;
    EXPECT_FALSE(yearly::OccurrenceInYear(Lunar(13, 1), 2024, got));
    EXPECT_FALSE(yearly::OccurrenceInYear(Lunar(1, 31), 2024, got));
    EXPECT_FALSE(yearly::OccurrenceInYear(Civil(2, 30), 2024, got));
    EXPECT_FALSE(yearly::OccurrenceInYear(Civil(4, 31), 2024, got));
    TYearlyDate leapCivil = Civil(3, 1);
    leapCivil.Leap = true;
    EXPECT_FALSE(yearly::IsValid(leapCivil));
    EXPECT_FALSE(yearly::OccurrenceInYear(Lunar(1, 1), 2200, got)); // beyond the engine
}

TEST(YearlyDates, ALunarDateLateInTheYearFallsTwiceOrNotAtAllInACivilYear)
{
    TYearlyDate d = Lunar(11, 15);
    d.Name = "结婚";
    d.FirstYear = 2015;
    const auto hits = yearly::OccurrencesIn(d, 2026);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].Civil, (YMD{2026, 1, 3}));
    EXPECT_EQ(yearly::CountText(d, hits[0].Year), "结婚 10 周年");
    EXPECT_EQ(hits[1].Civil, (YMD{2026, 12, 23}));
    EXPECT_EQ(yearly::CountText(d, hits[1].Year), "结婚 11 周年");
    // ... and none in 2025: lunar 2024's fell in December 2024, lunar 2025's in January 2026.
    EXPECT_TRUE(yearly::OccurrencesIn(d, 2025).empty());
    const auto due = yearly::DueWithin({d}, {2025, 12, 31});
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].Civil, (YMD{2026, 1, 3}));
}

TEST(YearlyDates, CountText)
{
    struct Case {
        const char *name;
        bool birthday;
        int first, year;
        const char *text;
    } cases[] = {
        {"妈妈", true, 1966, 2026, "妈妈 60 岁生日"},
        {"结婚", false, 2016, 2026, "结婚 10 周年"},
        {"妈妈", true, 0, 2026, "妈妈生日"},     // no first year: no count
        {"妈妈生日", true, 0, 2026, "妈妈生日"}, // not "生日生日"
        {"结婚纪念日", false, 0, 2026, "结婚纪念日"},
        {"宝宝", true, 2026, 2026, "宝宝生日"}, // the year it began counts nothing yet
        {"结婚", false, 2030, 2026, "结婚"},    // a first year still to come
    };
    for (const Case &c : cases) {
        TYearlyDate d = Lunar(1, 1);
        d.Name = c.name;
        d.Birthday = c.birthday;
        d.FirstYear = c.first;
        EXPECT_EQ(yearly::CountText(d, c.year), c.text) << c.name << ' ' << c.first;
    }
}

TEST(YearlyDates, DueWithinTheirLeadDaysSoonestFirst)
{
    TYearlyDate birthday = Lunar(4, 29); // 2026-06-14
    birthday.Name = "妈妈";
    birthday.Birthday = true;
    birthday.FirstYear = 1966;
    TYearlyDate wedding = Civil(6, 12);
    wedding.Name = "结婚";
    wedding.FirstYear = 2016;
    TYearlyDate today = Civil(6, 10);
    today.Name = "今天的";
    today.LeadDays = 0;
    const std::vector<TYearlyDate> list{birthday, wedding, today};

    const auto due = yearly::DueWithin(list, {2026, 6, 10});
    ASSERT_EQ(due.size(), 2u); // the birthday lies 4 days ahead, one past its lead of 3
    EXPECT_EQ(due[0].Index, 2u);
    EXPECT_EQ(due[0].DaysAhead, 0);
    EXPECT_EQ(yearly::ReminderLine(due[0]), "今天：今天的");
    EXPECT_EQ(due[1].Index, 1u);
    EXPECT_EQ(yearly::ReminderLine(due[1]), "2天后（6月12日）：结婚 10 周年");

    const auto later = yearly::DueWithin(list, {2026, 6, 11});
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(yearly::ReminderLine(later[0]), "明天（6月12日）：结婚 10 周年");
    EXPECT_EQ(yearly::ReminderLine(later[1]), "3天后（6月14日）：妈妈 60 岁生日");

    // A passed date is not due again until next year's comes within reach.
    EXPECT_TRUE(yearly::DueWithin({wedding}, {2026, 6, 13}).empty());
}

TEST(YearlyDates, DueAcrossTheYearsEnd)
{
    TYearlyDate d = Civil(1, 1);
    d.Name = "相识";
    d.FirstYear = 2020;
    const auto due = yearly::DueWithin({d}, {2026, 12, 30});
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].DaysAhead, 2);
    EXPECT_EQ(due[0].Civil, (YMD{2027, 1, 1}));
    EXPECT_EQ(due[0].Text, "相识 7 周年");
}

TEST(YearlyDates, TextsOnADay)
{
    TYearlyDate a = Civil(2, 29);
    a.Name = "闰日";
    TYearlyDate b = Civil(2, 28);
    b.Name = "二八";
    EXPECT_EQ(yearly::TextsOn({a, b}, {2023, 2, 28}), (std::vector<std::string>{"闰日", "二八"}));
    EXPECT_EQ(yearly::TextsOn({a, b}, {2024, 2, 28}), (std::vector<std::string>{"二八"}));
    EXPECT_TRUE(yearly::TextsOn({a, b}, {2024, 3, 1}).empty());
}

} // namespace

#include "ChnCalendarModel.h"

namespace {

// The month model over the real engine, told the dates the way the main window tells it.
TEST(YearlyDatesInTheMonth, TheOwnDateWinsOverFestivalAndTermAndJoinsTheSelectedLine)
{
    TYearlyDate valentine = Civil(2, 14);
    valentine.Name = "相识";
    valentine.FirstYear = 2016;
    TYearlyDate springBirthday = Lunar(1, 1);
    springBirthday.Name = "阿宝";
    springBirthday.Birthday = true;
    springBirthday.FirstYear = 2020;
    const std::vector<TYearlyDate> list{valentine, springBirthday};

    TChnCalendarModel model;
    model.OwnDateText = [&](int y, int m, int d, bool shortForm) {
        std::string text;
        for (const TYearlyDate &e : list)
            for (const yearly::TOccurrence &o : yearly::OccurrencesIn(e, y))
                if (o.Civil.month == m && o.Civil.day == d)
                    text += shortForm ? e.Name : yearly::CountText(e, o.Year);
        return text;
    };
    model.SetDateTime(tdt::EncodeDate(2026, 2, 17));
    const int first = GridWeekday(2026, 2, 1);
    auto cell = [&](int day) { return model.Cell(first + day - 1); };
    EXPECT_EQ(cell(14).CnText, "相识"); // over 情人节
    EXPECT_EQ(cell(14).CnColor, model.ColorOwnDate);
    EXPECT_EQ(model.OwnDateOf(first + 14 - 1), "相识");
    EXPECT_EQ(cell(17).CnText, "阿宝"); // over 春节
    EXPECT_EQ(cell(4).CnText, "立春");  // a term of a day without own date stays
    EXPECT_EQ(cell(4).CnColor, model.ColorLunarHolDay);
    EXPECT_EQ(model.SelectedLine(), "2026-02-17 农历正月初一 阿宝 6 岁生日");
    model.SetDateTime(tdt::EncodeDate(2026, 2, 14));
    EXPECT_EQ(model.SelectedLine(), "2026-02-14 农历腊月廿七 相识 10 周年");
    model.SetDateTime(tdt::EncodeDate(2026, 2, 15));
    EXPECT_EQ(model.SelectedLine(), "2026-02-15 农历腊月廿八");
}

} // namespace
