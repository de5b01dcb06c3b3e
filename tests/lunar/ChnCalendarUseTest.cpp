#include "ChnCalendarUse.h"
#include "CnCalendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

tdt::TDateTime Date(int y, int m, int d) { return tdt::EncodeDate(y, m, d); }

// ---- GetField ----

struct FieldCase {
    const char *text, *sep;
    int n;
    bool skipEmpty;
    const char *field;
};
class GetFieldTest : public testing::TestWithParam<FieldCase> {};
TEST_P(GetFieldTest, TakesTheNthField)
{
    const auto &p = GetParam();
    EXPECT_EQ(GetField(p.text, p.sep, p.n, p.skipEmpty), p.field);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, GetFieldTest,
    testing::Values(FieldCase{"a,,c", ",", 2, false, ""}, FieldCase{"a,,c", ",", 2, true, "c"},
                    FieldCase{"a,,c", ",", 3, false, "c"}, FieldCase{"a,b", ",", 3, false, ""},
                    FieldCase{"a,b", ",", 1, false, "a"}, FieldCase{" a\t, b ,c\r\n", ",", 2, false, "b"},
                    FieldCase{" a\t, b ,c\r\n", ",", 3, false, "c"}, FieldCase{"a,b,", ",", 3, false, ""},
                    FieldCase{"a, ,b", ",", 2, true, "b"}, FieldCase{"", ",", 1, false, ""},
                    FieldCase{"a,b", ",", 0, false, ""}, FieldCase{"a::b::c", "::", 3, false, "c"},
                    FieldCase{"1909,3,0,清,,爱新觉罗溥仪,宣统", ",", 6, false, "爱新觉罗溥仪"},
                    FieldCase{"1909,3,0,清,,爱新觉罗溥仪,宣统", ",", 5, false, ""},
                    FieldCase{"1909,3,0,清,,爱新觉罗溥仪,宣统", ",", 5, true, "爱新觉罗溥仪"}));

// ---- Eras ----

std::vector<std::string> EraRows()
{
    static const char *const rows[] = {
#include "EraTable.inc"
    };
    return {std::begin(rows), std::end(rows)};
}

TEST(EraTable, HasTheQuotedRowsInTheirPlaces)
{
    const auto rows = EraRows();
    ASSERT_EQ(rows.size(), 529u);
    EXPECT_EQ(rows[0], "-2069,45,0,夏,禹,,禹");
    EXPECT_EQ(rows[1], "-2024,10,0,夏,启,,启");
    EXPECT_EQ(rows[2], "-2014,25,0,夏,太康,,太康");
    EXPECT_EQ(rows[525], "1875,34,0,清,德宗,爱新觉罗载湉,光绪");
    EXPECT_EQ(rows[526], "1909,3,0,清,,爱新觉罗溥仪,宣统");
    EXPECT_EQ(rows[527], "1912,37,0,近、现代,中华民国,,民国");
    EXPECT_EQ(rows[528], "1949,9999,1948,当代,中国,,公历");

    std::vector<std::string> carried, fallsBackAfter;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string &r = rows[i];
        ASSERT_EQ(std::count(r.begin(), r.end(), ','), 6) << r;
        ASSERT_FALSE(GetField(r, ",", 7, false).empty()) << r;
        if (GetField(r, ",", 3, false) != "0")
            carried.push_back(r);
        if (i + 1 < rows.size()
            && std::stoi(GetField(rows[i + 1], ",", 1, false)) < std::stoi(GetField(r, ",", 1, false)))
            fallsBackAfter.push_back(r + " | " + rows[i + 1]);
    }
    EXPECT_EQ(carried, (std::vector<std::string>{
                           "905,3,1,唐,昭宣帝,李祝,天佑", "913,3,2,五代/梁,末帝,朱友贞,乾化",
                           "942,2,6,五代/晋,出帝,石重贵,天福", "959,2,5,五代/周,恭帝,郭宗训,显德",
                           "1271,24,7,元,世祖,孛儿只斤·忽必烈,至元", "1949,9999,1948,当代,中国,,公历"}));
    EXPECT_EQ(fallsBackAfter,
              (std::vector<std::string>{
                  "587,3,0,南朝/陈,后主,陈叔宝,祯明 | 555,8,0,南朝/后梁,宣帝,萧詧,大定",
                  "586,2,0,南朝/后梁,莒公,萧琮,广运 | 386,11,0,北朝/北魏,道武帝,拓跋圭,登国",
                  "543,8,0,北朝/东魏,孝静帝,元善见,武定 | 535,17,0,北朝/西魏,文帝,元宝炬,大统",
                  "554,3,0,北朝/西魏,恭帝,元廓,大统 | 550,10,0,北朝/北齐,文宣帝,高洋,天保",
                  "577,1,0,北朝/北齐,幼主,高恒,承光 | 557,1,0,北朝/北周,闵帝,宇文觉,空",
                  "1278,2,0,南宋,帝昺,赵昺,祥兴 | 1271,24,7,元,世祖,孛儿只斤·忽必烈,至元"}));
}

struct EraCase {
    int year;
    const char *text;
};
class EraTextOfTest : public testing::TestWithParam<EraCase> {};
void PrintTo(const EraCase &c, std::ostream *os) { *os << c.year; }
TEST_P(EraTextOfTest, NamesTheReignYear) { EXPECT_EQ(EraTextOf(GetParam().year), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(Years, EraTextOfTest,
                         testing::Values(EraCase{-2069, "[夏]禹  禹元年"}, EraCase{-1, "[西汉]哀帝 刘欣 元寿元年"},
                                         EraCase{0, "[西汉]哀帝 刘欣 元寿2年"},
                                         EraCase{1, "[西汉]平帝 刘衎 元始元年"},
                                         EraCase{465, "[南朝/宋]明帝 刘彧 泰始元年"},
                                         EraCase{560, "[南朝/陈]文帝 陈蒨 天嘉元年"},
                                         EraCase{589, "[隋]文帝 杨坚 开皇9年"},
                                         EraCase{942, "[五代/晋]出帝 石重贵 天福7年"},
                                         EraCase{1278, "[元]世祖 孛儿只斤·忽必烈 至元15年"},
                                         EraCase{1735, "[清]世宗 爱新觉罗胤禛 雍正13年"},
                                         EraCase{1736, "[清]高宗 爱新觉罗弘历 乾隆元年"},
                                         EraCase{1909, "[清] 爱新觉罗溥仪 宣统元年"},
                                         EraCase{1948, "[近、现代]中华民国  民国37年"}, EraCase{1949, ""},
                                         EraCase{-2070, ""}, EraCase{2024, ""}));

// A reign title carried on by a later ruler goes on counting its years; the
// republic's count starts in 1912, the last year of 宣统 being 1911.
INSTANTIATE_TEST_SUITE_P(CarriedCounts, EraTextOfTest,
                         testing::Values(EraCase{904, "[唐]昭宗 李晔 天佑元年"},
                                         EraCase{905, "[唐]昭宣帝 李祝 天佑2年"},
                                         EraCase{906, "[唐]昭宣帝 李祝 天佑3年"},
                                         EraCase{913, "[五代/梁]末帝 朱友贞 乾化3年"},
                                         EraCase{936, "[五代/晋]高祖 石敬瑭 天福元年"},
                                         EraCase{942, "[五代/晋]出帝 石重贵 天福7年"},
                                         EraCase{959, "[五代/周]恭帝 郭宗训 显德6年"},
                                         EraCase{1278, "[元]世祖 孛儿只斤·忽必烈 至元15年"},
                                         EraCase{1294, "[元]世祖 孛儿只斤·忽必烈 至元31年"},
                                         EraCase{1910, "[清] 爱新觉罗溥仪 宣统2年"},
                                         EraCase{1911, "[清] 爱新觉罗溥仪 宣统3年"},
                                         EraCase{1912, "[近、现代]中华民国  民国元年"},
                                         EraCase{1913, "[近、现代]中华民国  民国2年"},
                                         EraCase{1948, "[近、现代]中华民国  民国37年"}, EraCase{1949, ""}));

// ---- Festivals ----

struct HolidayCase {
    int y, m, d;
    const char *name;
};
class HolidayOfTest : public testing::TestWithParam<HolidayCase> {};
TEST_P(HolidayOfTest, NamesTheFestival)
{
    const auto &p = GetParam();
    EXPECT_EQ(HolidayOf(Date(p.y, p.m, p.d)), p.name);
}
INSTANTIATE_TEST_SUITE_P(
    Dates, HolidayOfTest,
    testing::Values(HolidayCase{2024, 1, 1, "元旦节"}, HolidayCase{2024, 2, 14, "情人节"},
                    HolidayCase{2024, 3, 8, "妇女节"}, HolidayCase{2024, 4, 1, "愚人节"},
                    HolidayCase{2024, 5, 1, "劳动节"}, HolidayCase{2024, 5, 4, "青年节"},
                    HolidayCase{2024, 5, 12, "母亲节"}, HolidayCase{2025, 5, 11, "母亲节"},
                    HolidayCase{2024, 5, 5, ""}, HolidayCase{2024, 5, 19, ""}, HolidayCase{2024, 6, 1, "儿童节"},
                    HolidayCase{2024, 6, 16, "父亲节"}, HolidayCase{2024, 6, 9, ""}, HolidayCase{2024, 6, 23, ""},
                    HolidayCase{2024, 7, 1, "建党节"}, HolidayCase{2024, 8, 1, "建军节"},
                    HolidayCase{2024, 9, 10, "教师节"}, HolidayCase{2024, 10, 1, "国庆节"},
                    HolidayCase{2024, 10, 6, "老人节"}, HolidayCase{2024, 10, 31, "万圣节"},
                    HolidayCase{2024, 11, 8, "记者日"}, HolidayCase{2024, 11, 28, "感恩节"},
                    HolidayCase{2025, 11, 27, "感恩节"}, HolidayCase{2024, 11, 21, ""},
                    HolidayCase{2024, 12, 25, "圣诞节"}, HolidayCase{2024, 12, 24, ""}));

struct CnHolidayCase {
    int y, m, d;
    const char *name;
};
class CnHolidayOfTest : public testing::TestWithParam<CnHolidayCase> {};
TEST_P(CnHolidayOfTest, NamesTheLunarFestival)
{
    const auto &p = GetParam();
    int ly, lm, ld;
    bool leap;
    ASSERT_TRUE(DateToLunar(Date(p.y, p.m, p.d), ly, lm, ld, leap));
    EXPECT_EQ(CnHolidayOf(lm, ld, Date(p.y, p.m, p.d)), p.name);
}
INSTANTIATE_TEST_SUITE_P(Dates, CnHolidayOfTest,
                         testing::Values(CnHolidayCase{2024, 2, 10, "春节"}, CnHolidayCase{2024, 2, 24, "元宵节"},
                                         CnHolidayCase{2024, 6, 10, "端午节"}, CnHolidayCase{2024, 8, 10, "七夕节"},
                                         CnHolidayCase{2024, 9, 17, "中秋节"}, CnHolidayCase{2024, 10, 11, "重阳节"},
                                         CnHolidayCase{2025, 1, 7, "腊八节"}, CnHolidayCase{2024, 2, 9, "除夕"},
                                         CnHolidayCase{2025, 1, 28, "除夕"}, CnHolidayCase{2024, 2, 8, ""},
                                         CnHolidayCase{1995, 9, 9, "中秋节"}, CnHolidayCase{1995, 10, 9, "中秋节"},
                                         CnHolidayCase{2024, 3, 9, ""}));

TEST(Festivals, NoNewYearsEveWhenTheNextDayCannotBeConverted)
{
    EXPECT_EQ(CnHolidayOf(12, 30, Date(2100, 12, 31)), "");
    EXPECT_EQ(CnHolidayOf(12, 29, Date(2024, 2, 8)), "");
    EXPECT_EQ(CnHolidayOf(12, 30, Date(2024, 2, 9)), "除夕");
}

TEST(Festivals, DateToLunarLeavesOutputsOnFailure)
{
    int ly = 1, lm = 2, ld = 3;
    bool leap = true;
    EXPECT_FALSE(DateToLunar(Date(2101, 1, 1), ly, lm, ld, leap));
    EXPECT_FALSE(DateToLunar(Date(1582, 10, 10), ly, lm, ld, leap));
    EXPECT_FALSE(DateToLunar(std::numeric_limits<double>::quiet_NaN(), ly, lm, ld, leap));
    EXPECT_EQ(ly * 100 + lm * 10 + ld, 123);
    ASSERT_TRUE(DateToLunar(Date(2024, 2, 10) + 0.75, ly, lm, ld, leap));
    EXPECT_EQ(ly * 10000 + lm * 100 + ld, 20240101);
}

struct Civil {
    int y, m, d;
};
struct ToDateCase {
    int ly, lm, ld;
    bool leap;
    Civil date; // {} when there is none
};
class LunarToDateTest : public testing::TestWithParam<ToDateCase> {};
TEST_P(LunarToDateTest, GivesTheDateOrLeavesItAsItWas)
{
    const auto &p = GetParam();
    tdt::TDateTime date = -7;
    ASSERT_EQ(LunarToDate(p.ly, p.lm, p.ld, p.leap, date), p.date.y != 0);
    EXPECT_EQ(date, p.date.y != 0 ? Date(p.date.y, p.date.m, p.date.d) : -7);
}
// Julian 29 February 1500 is lunar 1500-2-1; a date-time has no such day.
INSTANTIATE_TEST_SUITE_P(Dates, LunarToDateTest,
                         testing::Values(ToDateCase{2024, 1, 1, false, {2024, 2, 10}},
                                         ToDateCase{2023, 2, 1, true, {2023, 3, 22}},
                                         ToDateCase{2023, 1, 30, false, {}}, ToDateCase{2023, 3, 1, true, {}},
                                         ToDateCase{1500, 2, 2, false, {1500, 3, 1}},
                                         ToDateCase{1500, 2, 1, false, {}}));

// ---- Day record ----

struct Texts {
    const char *term, *holiday, *month, *stemBranch, *cnHoliday, *day, *animal, *sign, *era;
};
struct RecordCase {
    int y, m, d;
    Texts t;
};
void PrintTo(const RecordCase &c, std::ostream *os) { *os << c.y << '-' << c.m << '-' << c.d; }

void ExpectTexts(const TChnCal &cal, const Texts &t)
{
    EXPECT_EQ(cal.TermText, t.term);
    EXPECT_EQ(cal.HolidayText, t.holiday);
    EXPECT_EQ(cal.CnMonthText, t.month);
    EXPECT_EQ(cal.YearStemBranch, t.stemBranch);
    EXPECT_EQ(cal.CnHolidayText, t.cnHoliday);
    EXPECT_EQ(cal.CnDayText, t.day);
    EXPECT_EQ(cal.AnimalText, t.animal);
    EXPECT_EQ(cal.ConstellationText, t.sign);
    EXPECT_EQ(cal.EraText, t.era);
}

class CalcChnCalTest : public testing::TestWithParam<RecordCase> {};
TEST_P(CalcChnCalTest, FillsEveryText)
{
    const auto &p = GetParam();
    TChnCal fresh;
    CalcChnCal(fresh, Date(p.y, p.m, p.d));
    EXPECT_EQ(fresh.Date, Date(p.y, p.m, p.d));
    ExpectTexts(fresh, p.t);
    // Nothing carries over from an earlier fill.
    TChnCal reused;
    CalcChnCal(reused, Date(2024, 1, 20));
    CalcChnCal(reused, Date(2023, 3, 21));
    CalcChnCal(reused, tdt::EncodeDateTime(p.y, p.m, p.d, 13, 30, 0));
    ExpectTexts(reused, p.t);
}
INSTANTIATE_TEST_SUITE_P(
    Dates, CalcChnCalTest,
    testing::Values(
        RecordCase{2024, 2, 10, {"", "", "正月", "甲辰", "春节", "初一", "龙", "宝瓶", ""}},
        RecordCase{2024, 2, 4, {"立春", "", "腊月", "甲辰", "", "廿五", "兔", "宝瓶", ""}},
        RecordCase{2024, 2, 3, {"", "", "腊月", "癸卯", "", "廿四", "兔", "宝瓶", ""}},
        RecordCase{2024, 2, 5, {"", "", "腊月", "甲辰", "", "廿六", "兔", "宝瓶", ""}},
        RecordCase{2023, 3, 22, {"", "", "闰二", "癸卯", "", "初一", "兔", "白羊", ""}},
        RecordCase{2023, 3, 21, {"春分", "", "二月", "癸卯", "", "三十", "兔", "白羊", ""}},
        RecordCase{2011, 6, 30, {"", "", "五月", "辛卯", "", "廿九", "兔", "巨蟹", ""}},
        RecordCase{2016, 7, 7, {"小暑", "", "六月", "丙申", "", "初四", "猴", "巨蟹", ""}},
        RecordCase{2083, 2, 3, {"立春", "", "腊月", "癸卯", "", "十七", "虎", "宝瓶", ""}},
        RecordCase{2083, 2, 2, {"", "", "腊月", "壬寅", "", "十六", "虎", "宝瓶", ""}},
        RecordCase{1735, 12, 31, {"", "", "冬月", "乙卯", "", "十八", "兔", "摩羯", "[清]世宗 爱新觉罗胤禛 雍正13年"}},
        RecordCase{1736, 1, 1, {"", "元旦节", "冬月", "乙卯", "", "十九", "兔", "摩羯", "[清]高宗 爱新觉罗弘历 乾隆元年"}},
        RecordCase{1995, 10, 9, {"寒露", "", "闰八", "乙亥", "中秋节", "十五", "猪", "天秤", ""}},
        // The ten days the calendar change dropped: no lunar date, term or
        // festival, the year's texts as on the days around them.
        RecordCase{1582, 10, 6, {"", "", "", "壬午", "", "", "马", "天秤", "[明]神宗 朱翊钧 万历10年"}},
        RecordCase{1582, 10, 14, {"", "", "", "壬午", "", "", "马", "天秤", "[明]神宗 朱翊钧 万历10年"}},
        RecordCase{1582, 10, 15, {"", "", "九月", "壬午", "", "十九", "马", "天秤", "[明]神宗 朱翊钧 万历10年"}},
        RecordCase{1, 1, 1, {"", "元旦节", "冬月", "庚申", "", "十九", "猴", "摩羯", "[西汉]平帝 刘衎 元始元年"}}));

TEST(CalcChnCal, OutsideTheRangeOnlyTheDateChanges)
{
    TChnCal cal;
    CalcChnCal(cal, Date(2024, 2, 10));
    const TChnCal before = cal;
    for (double bad : {Date(2101, 1, 1), Date(9999, 12, 31), std::numeric_limits<double>::infinity(), 1e300}) {
        CalcChnCal(cal, bad);
        EXPECT_EQ(cal.Date, bad);
        EXPECT_EQ(cal.CnDayText, before.CnDayText);
        EXPECT_EQ(cal.CnHolidayText, before.CnHolidayText);
        EXPECT_EQ(cal.YearStemBranch, before.YearStemBranch);
        EXPECT_EQ(cal.EraText, before.EraText);
    }
    CalcChnCal(cal, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(cal.Date));
    EXPECT_EQ(cal.AnimalText, before.AnimalText);
}

} // namespace
