// The table of official days off and working days: parsing, the shipped file, and
// the month model's cells marked from it.
#include "ChnCalendarModel.h"
#include "CnWorkdays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace tdt;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const TWorkdayMark None = TWorkdayMark::None;
const TWorkdayMark Off = TWorkdayMark::Off;
const TWorkdayMark Work = TWorkdayMark::Work;

struct Lookup {
    int y, m, d;
    TWorkdayMark mark;
    std::string holiday;
};

struct ParseCase {
    const char *name;
    std::string text;
    std::size_t size;
    int skipped;
    std::vector<Lookup> lookups;
};

std::ostream &operator<<(std::ostream &os, const ParseCase &c) { return os << c.name; }

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, Table)
{
    const ParseCase &c = GetParam();
    const TCnWorkdays t = TCnWorkdays::FromText(c.text);
    EXPECT_EQ(t.Size(), c.size);
    EXPECT_EQ(t.SkippedLines(), c.skipped);
    EXPECT_FALSE(t.FileRead());
    for (const Lookup &l : c.lookups) {
        const TWorkdayInfo info = t.WorkdayMarkOf(l.y, l.m, l.d);
        EXPECT_EQ(info.Mark, l.mark) << l.y << '-' << l.m << '-' << l.d;
        EXPECT_EQ(info.Holiday, l.holiday) << l.y << '-' << l.m << '-' << l.d;
        EXPECT_EQ(t.MarkOf(l.y, l.m, l.d), l.mark);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Parse,
    ::testing::Values(
        ParseCase{"Good",
                  "2026-10-01\t休\t国庆节\n2026-10-10\t班\t国庆节\n",
                  2,
                  0,
                  {{2026, 10, 1, Off, "国庆节"}, {2026, 10, 10, Work, "国庆节"}, {2026, 10, 2, None, ""}}},
        ParseCase{"NoFinalNewlineCrLfAndByteOrderMark",
                  "\xEF\xBB\xBF"
                  "2026-10-01\t休\t国庆节\r\n2026-10-10\t班\t国庆节",
                  2,
                  0,
                  {{2026, 10, 1, Off, "国庆节"}, {2026, 10, 10, Work, "国庆节"}}},
        ParseCase{"LoneCarriageReturns",
                  "# x\r2026-10-01\t休\t国庆节\r2026-10-10\t班\t国庆节\r",
                  2,
                  0,
                  {{2026, 10, 1, Off, "国庆节"}, {2026, 10, 10, Work, "国庆节"}}},
        ParseCase{"CommentsAndBlankLines",
                  "# 2027 年的安排\n\n   \n\t# indented comment\n#2026-10-01\t休\t国庆节\n2026-10-02\t休\t国庆节\n",
                  1,
                  0,
                  {{2026, 10, 1, None, ""}, {2026, 10, 2, Off, "国庆节"}}},
        ParseCase{"BlanksForTabsNameKeepsInnerBlanksNameOptional",
                  "2026-05-01 休   劳动 节  \n2026-05-09\t\t班\n2027-1-1\t休\t元旦\n",
                  3,
                  0,
                  {{2026, 5, 1, Off, "劳动 节"}, {2026, 5, 9, Work, ""}, {2027, 1, 1, Off, "元旦"}}},
        ParseCase{"MalformedLinesAreSkipped",
                  "2026-13-01\t休\tx\n"
                  "2026-02-30\t休\tx\n"
                  "0000-01-01\t休\tx\n"
                  "26-10-01\t休\tx\n"
                  "2026/10/01\t休\tx\n"
                  "2026-1a-01\t休\tx\n"
                  "2026-10-001\t休\tx\n"
                  "2026-10-01\t放\tx\n"
                  "2026-10-01\t休息\tx\n"
                  "2026-10-01\n"
                  "2026-10-01休\t国庆节\n"
                  "休\t2026-10-01\t国庆节\n"
                  "-2026-10-01\t休\tx\n"
                  "2026-10-03\t休\t国庆节\n",
                  1,
                  13,
                  {{2026, 10, 1, None, ""}, {2026, 10, 3, Off, "国庆节"}}},
        ParseCase{"DuplicateTakesTheLastLine",
                  "2026-10-01\t休\t国庆节\n2026-10-01\t班\t调休\n2026-10-05\t班\tx\n2026-10-05\t休\t国庆节\n",
                  2,
                  0,
                  {{2026, 10, 1, Work, "调休"}, {2026, 10, 5, Off, "国庆节"}}},
        ParseCase{"MalformedDuplicateDoesNotUndoTheEarlierLine",
                  "2026-10-01\t休\t国庆节\n2026-10-01\t放\tx\n",
                  1,
                  1,
                  {{2026, 10, 1, Off, "国庆节"}}},
        ParseCase{"LeapDay",
                  "2024-02-29\t班\tx\n2023-02-29\t班\tx\n",
                  1,
                  1,
                  {{2024, 2, 29, Work, "x"}, {2023, 2, 29, None, ""}}},
        ParseCase{"ChineseWindowsCodePageMarksCountNamesDropped",
                  "2027-01-01\t\xD0\xDD\t\xD4\xAA\xB5\xA9\n2027-01-04\t\xB0\xE0\t\xD4\xAA\xB5\xA9\n",
                  2,
                  0,
                  {{2027, 1, 1, Off, ""}, {2027, 1, 4, Work, ""}}},
        ParseCase{"InvalidUtf8InTheNameIsDropped",
                  "2026-10-01\t休\t\xE5\x9B\n2026-10-02\t休\t\xC0\xAF\n2026-10-03\t休\t\xED\xA0\x80\n",
                  3,
                  0,
                  {{2026, 10, 1, Off, ""}, {2026, 10, 2, Off, ""}, {2026, 10, 3, Off, ""}}},
        ParseCase{"NulBytesAndControlCharacters",
                  "2026-10-01\t休\t国庆节\n\0\0\0\n2026-10\0-02\t休\tx\n\x01\x02\x7F\n"s,
                  1,
                  3,
                  {{2026, 10, 1, Off, "国庆节"}, {2026, 10, 2, None, ""}}},
        ParseCase{"Empty", "", 0, 0, {{2026, 10, 1, None, ""}}},
        ParseCase{"OnlyAByteOrderMark", "\xEF\xBB\xBF", 0, 0, {}}),
    [](const ::testing::TestParamInfo<ParseCase> &i) { return std::string(i.param.name); });

TEST(Workdays, InvalidLookupsGiveNoMark)
{
    const TCnWorkdays t = TCnWorkdays::FromText("2026-10-01\t休\t国庆节\n");
    EXPECT_EQ(t.MarkOf(2026, 10, 1), Off);
    const YMD invalid[] = {{2026, 10, 0}, {2026, 10, 32}, {2026, 0, 1}, {2026, 13, 1},
                           {0, 10, 1},    {-5, 1, 1},     {10000, 1, 1}, {2026, 2, 29}};
    for (const YMD &x : invalid)
        EXPECT_EQ(t.MarkOf(x.year, x.month, x.day), None) << x.year << '-' << x.month << '-' << x.day;
    EXPECT_EQ(t.MarkOf(EncodeDateTime(2026, 10, 1, 23, 59, 59)), Off);
    for (double x : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     1e300, -1e300, 3e6, -7e5})
        EXPECT_EQ(t.MarkOf(x), None) << x;
}

TEST(Workdays, MarkTextsAndTheCombinedMarkOfTwoDays)
{
    EXPECT_STREQ(WorkdayMarkText(Off), "休");
    EXPECT_STREQ(WorkdayMarkText(Work), "班");
    EXPECT_STREQ(WorkdayMarkText(None), "");
    const struct {
        TWorkdayMark a, b, both;
    } cases[] = {{None, None, None}, {Off, None, Off}, {None, Off, Off}, {Off, Off, Off},
                 {Work, None, Work}, {None, Work, Work}, {Work, Off, Work}, {Off, Work, Work}};
    for (const auto &c : cases)
        EXPECT_EQ(CombinedWorkdayMark(c.a, c.b), c.both) << int(c.a) << ' ' << int(c.b);
}

// ---- files ----

class WorkdaysFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("workdays-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path Write(const std::string &name, const std::string &bytes)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    fs::path dir;
};

TEST_F(WorkdaysFile, MissingFileOrFolderGivesNoMarks)
{
    for (const fs::path &p : {dir / "CnWorkdays.tsv", dir, fs::path(), fs::path("/dev/null")}) {
        const TCnWorkdays t = TCnWorkdays::FromFile(p);
        EXPECT_TRUE(t.Empty()) << p;
        EXPECT_FALSE(t.FileRead()) << p;
        EXPECT_EQ(t.MarkOf(2026, 10, 1), None);
    }
}

TEST_F(WorkdaysFile, ReadsAFile)
{
    const TCnWorkdays t = TCnWorkdays::FromFile(Write("a.tsv", "# x\n2026-10-01\t休\t国庆节\nrubbish\n"));
    EXPECT_TRUE(t.FileRead());
    EXPECT_EQ(t.Size(), 1u);
    EXPECT_EQ(t.SkippedLines(), 1);
    EXPECT_EQ(t.WorkdayMarkOf(2026, 10, 1), (TWorkdayInfo{Off, "国庆节"}));
    EXPECT_TRUE(TCnWorkdays::FromFile(Write("empty.tsv", "")).FileRead());
}

TEST_F(WorkdaysFile, BinaryRubbishIsSkippedWithoutHarm)
{
    std::mt19937 rng(12345);
    std::string bytes(256 * 1024, '\0');
    for (char &c : bytes)
        c = char(rng());
    // One good line buried in the rubbish still counts.
    bytes += "\n2026-10-01\t休\t国庆节\n";
    bytes += std::string(1000, '\xFF');
    const TCnWorkdays t = TCnWorkdays::FromFile(Write("rubbish.tsv", bytes));
    EXPECT_TRUE(t.FileRead());
    EXPECT_EQ(t.MarkOf(2026, 10, 1), Off);
    EXPECT_GT(t.SkippedLines(), 0);
}

TEST_F(WorkdaysFile, HugeFileIsReadUpToTheLimitAndTheCutLineDropped)
{
    // Comment lines up to just before the limit, then a line the limit cuts.
    const std::string good = "2026-10-01\t休\t国庆节\n";
    const std::string filler = "# ............................\n";
    std::string bytes = good;
    const std::size_t limit = TCnWorkdays::MaxFileBytes;
    while (bytes.size() + filler.size() <= limit - 10)
        bytes += filler;
    // Starts before the limit and ends after it: cut, so it must not count.
    bytes += "2026-10-10\t班\t国庆节国庆节国庆节\n";
    ASSERT_GT(bytes.size(), limit);
    bytes += "2026-10-02\t休\t国庆节\n";
    const TCnWorkdays t = TCnWorkdays::FromFile(Write("huge.tsv", bytes));
    EXPECT_TRUE(t.FileRead());
    EXPECT_EQ(t.MarkOf(2026, 10, 1), Off);
    EXPECT_EQ(t.MarkOf(2026, 10, 10), None);
    EXPECT_EQ(t.MarkOf(2026, 10, 2), None);
    EXPECT_EQ(t.SkippedLines(), 0);
}

TEST_F(WorkdaysFile, OneEndlessLine)
{
    const TCnWorkdays t = TCnWorkdays::FromFile(Write("line.tsv", "2026-10-01\t休\t" + std::string(TCnWorkdays::MaxFileBytes + 5, 'x')));
    EXPECT_TRUE(t.FileRead());
    EXPECT_TRUE(t.Empty());
}

// ---- the shipped file ----

TEST(ShippedWorkdays, EveryLineIsAnEntryOrAComment)
{
    const TCnWorkdays t = TCnWorkdays::FromFile(CN_WORKDAYS_FILE);
    ASSERT_TRUE(t.FileRead()) << CN_WORKDAYS_FILE;
    EXPECT_EQ(t.SkippedLines(), 0);
    std::ifstream in(CN_WORKDAYS_FILE);
    int entries = 0;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            ++entries;
    EXPECT_EQ(t.Size(), std::size_t(entries));
    EXPECT_GT(entries, 600);
}

TEST(ShippedWorkdays, KnownDays)
{
    const TCnWorkdays t = TCnWorkdays::FromFile(CN_WORKDAYS_FILE);
    const Lookup known[] = {
        {2026, 10, 1, Off, "国庆节"}, {2026, 10, 7, Off, "国庆节"}, {2026, 9, 20, Work, "国庆节"},
        {2026, 10, 10, Work, "国庆节"}, {2026, 2, 14, Work, "春节"},   {2026, 2, 15, Off, "春节"},
        {2026, 9, 25, Off, "中秋节"},   {2007, 1, 1, Off, "元旦"},     {2006, 12, 30, Work, "元旦"},
        // Ordinary days, weekends included, and days beyond the file's years.
        {2026, 10, 8, None, ""}, {2026, 10, 11, None, ""}, {2026, 9, 19, None, ""}, {2026, 3, 10, None, ""},
        {2026, 12, 25, None, ""}, {2027, 10, 1, None, ""}, {1999, 10, 1, None, ""},
    };
    for (const Lookup &l : known) {
        const TWorkdayInfo info = t.WorkdayMarkOf(l.y, l.m, l.d);
        EXPECT_EQ(info.Mark, l.mark) << l.y << '-' << l.m << '-' << l.d;
        EXPECT_EQ(info.Holiday, l.holiday) << l.y << '-' << l.m << '-' << l.d;
    }
}

// ---- the month model's cells ----

class WorkdayCells : public ::testing::Test {
protected:
    const TcnDateInf &CellOf(const TChnCalendarModel &m, int day) const
    {
        const YMD s = DecodeDate(m.DateTime());
        return m.Cell(GridWeekday(s.year, s.month, 1) + day - 1);
    }
    TCnWorkdays table = TCnWorkdays::FromFile(CN_WORKDAYS_FILE);
};

struct CountingView : TChnCalendarView {
    int built = 0, changed = 0;
    void MonthBuilt() override { ++built; }
    void Changed() override { ++changed; }
};

TEST_F(WorkdayCells, October2026)
{
    TChnCalendarModel marked;
    marked.SetWorkdays(&table);
    marked.SetDateTime(EncodeDate(2026, 10, 15));
    for (int d = 1; d <= 31; ++d) {
        const TWorkdayMark want = d <= 7 ? Off : d == 10 ? Work : None;
        EXPECT_EQ(CellOf(marked, d).Workday, want) << d;
    }
    // Cells outside the month carry no mark.
    for (int k = 1; k <= TChnCalendarModel::CellCount; ++k)
        if (!marked.Cell(k).InUse || k > TChnCalendarModel::LastDayCell) {
            EXPECT_EQ(marked.Cell(k).Workday, None) << k;
        }

    marked.SetDateTime(EncodeDate(2026, 9, 1));
    EXPECT_EQ(CellOf(marked, 20).Workday, Work);
    EXPECT_EQ(CellOf(marked, 19).Workday, None);
    marked.SetDateTime(EncodeDate(2026, 2, 1));
    EXPECT_EQ(CellOf(marked, 14).Workday, Work);
    EXPECT_EQ(CellOf(marked, 15).Workday, Off);
    EXPECT_EQ(CellOf(marked, 13).Workday, None);
}

TEST_F(WorkdayCells, TextsAndColoursAreTheSameWithMarks)
{
    for (const TDateTime date : {EncodeDate(2026, 10, 1), EncodeDate(2026, 2, 14), EncodeDate(2026, 9, 30),
                                 EncodeDate(2026, 1, 3), EncodeDate(2026, 5, 9)}) {
        TChnCalendarModel plain, marked;
        marked.SetWorkdays(&table);
        plain.SetDateTime(date);
        marked.SetDateTime(date);
        EXPECT_EQ(marked.SelectedLine(), plain.SelectedLine());
        EXPECT_EQ(marked.WeekNumbers(), plain.WeekNumbers());
        int marks = 0;
        for (int k = 1; k <= TChnCalendarModel::CellCount; ++k) {
            const TcnDateInf &a = plain.Cell(k), &b = marked.Cell(k);
            EXPECT_EQ(b.InUse, a.InUse) << k;
            EXPECT_EQ(b.Day, a.Day) << k;
            EXPECT_EQ(b.Text, a.Text) << k;
            EXPECT_EQ(b.CnText, a.CnText) << k;
            EXPECT_EQ(b.CnMonth, a.CnMonth) << k;
            EXPECT_EQ(b.CnDay, a.CnDay) << k;
            EXPECT_EQ(b.DayColor, a.DayColor) << k;
            EXPECT_EQ(b.CnColor, a.CnColor) << k;
            EXPECT_EQ(a.Workday, None) << k;
            marks += b.Workday != None;
        }
        EXPECT_GT(marks, 0);
    }
}

TEST_F(WorkdayCells, SettingTheTableMarksTheShownMonthWithoutARebuild)
{
    TChnCalendarModel m;
    CountingView view;
    m.View = &view;
    m.SetWorkdays(&table); // no month yet: nothing to mark, nothing raised
    m.SetWorkdays(nullptr);
    m.SetDateTime(EncodeDate(2026, 10, 1));
    ASSERT_EQ(view.changed, 1);
    EXPECT_EQ(CellOf(m, 1).Workday, None);
    m.SetWorkdays(&table);
    EXPECT_EQ(m.Workdays(), &table);
    EXPECT_EQ(CellOf(m, 1).Workday, Off);
    EXPECT_EQ(CellOf(m, 10).Workday, Work);
    EXPECT_EQ(view.changed, 1);
    EXPECT_EQ(view.built, 1);
    m.SetWorkdays(nullptr);
    EXPECT_EQ(CellOf(m, 1).Workday, None);
    EXPECT_EQ(CellOf(m, 10).Workday, None);
    EXPECT_EQ(view.changed, 1);
}

TEST_F(WorkdayCells, AMonthWithoutEntriesClearsTheMarks)
{
    TChnCalendarModel m;
    m.SetWorkdays(&table);
    m.SetDateTime(EncodeDate(2026, 10, 1));
    m.SetDateTime(EncodeDate(2026, 11, 1));
    for (int k = 1; k <= TChnCalendarModel::CellCount; ++k)
        EXPECT_EQ(m.Cell(k).Workday, None) << k;
}

} // namespace
