// A new year's arrangement read from the table's own format or from an iCalendar holiday
// calendar, merged into the table file; and the note the model gives for years the table
// does not reach yet.
#include "ChnCalendarModel.h"
#include "WorkdaysArrangement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const TWorkdayMark Off = TWorkdayMark::Off;
const TWorkdayMark Work = TWorkdayMark::Work;

struct Day {
    std::string date; // YYYY-MM-DD
    TWorkdayMark mark;
    std::string name;
};

std::vector<Day> DaysOf(const TArrangement &a)
{
    std::vector<Day> out;
    for (const TWorkdayLine &l : a.Days) {
        const std::string line = WorkdayLineText(l);
        out.push_back({line.substr(0, 10), l.Info.Mark, l.Info.Holiday});
    }
    return out;
}

bool operator==(const Day &a, const Day &b) { return a.date == b.date && a.mark == b.mark && a.name == b.name; }
std::ostream &operator<<(std::ostream &os, const Day &d)
{
    return os << d.date << ' ' << WorkdayMarkText(d.mark) << ' ' << d.name;
}

// An iCalendar file around the given events, with CR LF line ends as the standard has them.
std::string Calendar(const std::string &events, const std::string &eol = "\r\n")
{
    std::string body = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//example//holidays//ZH\nX-WR-CALNAME:节假日\n" + events +
                       "END:VCALENDAR\n";
    std::string out;
    for (char c : body)
        out += c == '\n' ? eol : std::string(1, c);
    return out;
}

std::string Event(const std::string &summary, const std::string &start, const std::string &end = "")
{
    return "BEGIN:VEVENT\nUID:" + start + "@example\nDTSTART;VALUE=DATE:" + start + "\n" +
           (end.empty() ? "" : "DTEND;VALUE=DATE:" + end + "\n") + "SUMMARY:" + summary + "\nEND:VEVENT\n";
}

struct ReadCase {
    const char *name;
    std::string text;
    std::vector<Day> days;
};
std::ostream &operator<<(std::ostream &os, const ReadCase &c) { return os << c.name; }

class Reads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reads, TheDaysOfTheFile)
{
    const TArrangement a = ParseArrangement(GetParam().text);
    ASSERT_TRUE(a.Ok()) << a.Error;
    EXPECT_EQ(DaysOf(a), GetParam().days);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Reads,
    ::testing::Values(
        ReadCase{"TableWithCommentsByteOrderMarkAndCrLf",
                 "\xEF\xBB\xBF# 2027年\r\n\r\n2027-10-09\t班\t国庆节\r\n2027-10-01\t休\t国庆节\r\n2027-2-6 班",
                 {{"2027-02-06", Work, ""}, {"2027-10-01", Off, "国庆节"}, {"2027-10-09", Work, "国庆节"}}},
        ReadCase{"TableDayListedTwiceTakesTheLastLine",
                 "2027-10-01\t休\t国庆节\n2027-10-01\t休\t国庆\n",
                 {{"2027-10-01", Off, "国庆"}}},
        // Control characters, NUL among them, are no part of a name.
        ReadCase{"TableNamesWithControlCharacters",
                 "2027-10-01\t休\t国\x01庆\0节\x7f\n2027-10-02\t休\t\x1b[31m\n"s,
                 {{"2027-10-01", Off, "国 庆 节"}, {"2027-10-02", Off, "[31m"}}},
        ReadCase{"CalendarNamesWithControlCharacters",
                 Calendar(Event("国\x01庆\x7f节 休", "20271001")),
                 {{"2027-10-01", Off, "国 庆 节"}}},
        ReadCase{"TableInTheChineseWindowsCodePage",
                 "2027-01-01\t\xD0\xDD\t\xD4\xAA\xB5\xA9\n",
                 {{"2027-01-01", Off, ""}}},
        // DTEND is exclusive: 1 to 8 October are seven days.
        ReadCase{"CalendarWithRangesAndSingleDays",
                 Calendar(Event("国庆节 休", "20271001", "20271008") + Event("国庆节 班", "20271009") +
                          Event("中秋节", "20270915")),
                 {{"2027-10-01", Off, "国庆节"},
                  {"2027-10-02", Off, "国庆节"},
                  {"2027-10-03", Off, "国庆节"},
                  {"2027-10-04", Off, "国庆节"},
                  {"2027-10-05", Off, "国庆节"},
                  {"2027-10-06", Off, "国庆节"},
                  {"2027-10-07", Off, "国庆节"},
                  {"2027-10-09", Work, "国庆节"}}},
        ReadCase{"CalendarWithBareLineFeeds",
                 Calendar(Event("元旦（休）", "20270101") + Event("春节补班", "20270206"), "\n"),
                 {{"2027-01-01", Off, "元旦"}, {"2027-02-06", Work, "春节"}}},
        // Folded lines: a fold may fall inside a character's bytes; a tab folds too.
        ReadCase{"CalendarWithFoldedLines",
                 "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DA\r\n TE:20270501\r\nDTEND;VALUE=DATE:2027\r\n\t0506\r\n"
                 "SUMMARY:劳\xE5\x8A\r\n \xA8节 \r\n \xE4\xBC\x91\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                 {{"2027-05-01", Off, "劳动节"},
                  {"2027-05-02", Off, "劳动节"},
                  {"2027-05-03", Off, "劳动节"},
                  {"2027-05-04", Off, "劳动节"},
                  {"2027-05-05", Off, "劳动节"}}},
        // 班 wins in a name that has both; alarms inside an event keep their own summaries;
        // escaped texts; lower-case names.
        ReadCase{"CalendarNamesAlarmsAndEscapes",
                 Calendar("BEGIN:VEVENT\nDTSTART;VALUE=DATE:20270925\nSUMMARY:国庆节调休上班\nBEGIN:VALARM\n"
                          "ACTION:DISPLAY\nSUMMARY:休\nEND:VALARM\nEND:VEVENT\n"
                          "begin:vevent\ndtstart;value=date:20270124\nsummary:春节\\, 班\nend:vevent\n"),
                 {{"2027-01-24", Work, "春节,"}, {"2027-09-25", Work, "国庆节"}}},
        // Times: a UTC time is China's time 8 hours later; an end at midnight takes no day.
        ReadCase{"CalendarWithTimesAndDurations",
                 Calendar("BEGIN:VEVENT\nDTSTART:20270930T160000Z\nDTEND:20271002T160000Z\nSUMMARY:休\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nDTSTART;TZID=\"Asia/Shanghai:x\":20270501T000000\nDURATION:P3D\n"
                          "SUMMARY:劳动节 休\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nDTSTART;VALUE=DATE:20270606\nDURATION:P1W\nSUMMARY:端午 放假 休\n"
                          "RRULE-LIKE-X:1\nEND:VEVENT\n"),
                 {{"2027-05-01", Off, "劳动节"},
                  {"2027-05-02", Off, "劳动节"},
                  {"2027-05-03", Off, "劳动节"},
                  {"2027-06-06", Off, "端午"},
                  {"2027-06-07", Off, "端午"},
                  {"2027-06-08", Off, "端午"},
                  {"2027-06-09", Off, "端午"},
                  {"2027-06-10", Off, "端午"},
                  {"2027-06-11", Off, "端午"},
                  {"2027-06-12", Off, "端午"},
                  {"2027-10-01", Off, ""},
                  {"2027-10-02", Off, ""}}}),
    [](const ::testing::TestParamInfo<ReadCase> &i) { return std::string(i.param.name); });

struct RefuseCase {
    const char *name;
    std::string text;
    std::string error; // a part of the message
};
std::ostream &operator<<(std::ostream &os, const RefuseCase &c) { return os << c.name; }

class Refuses : public ::testing::TestWithParam<RefuseCase> {};

TEST_P(Refuses, TheWholeFileWithAReason)
{
    const TArrangement a = ParseArrangement(GetParam().text);
    EXPECT_FALSE(a.Ok());
    EXPECT_TRUE(a.Days.empty());
    EXPECT_NE(a.Error.find(GetParam().error), std::string::npos) << a.Error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refuses,
    ::testing::Values(
        RefuseCase{"TableWithABadLine", "2027-10-01\t休\t国庆节\n2027-10-32\t休\t国庆节\n2027-10-03\t休\n",
                   "第 2 行不是“日期 休或班 节日名”的格式"},
        RefuseCase{"TableWithAnUnknownMark", "# x\n2027-10-01\t放\t国庆节\n", "第 2 行"},
        RefuseCase{"APicture", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "第 1 行"},
        RefuseCase{"Empty", "", "没有标为休或班的日子"},
        RefuseCase{"OnlyComments", "# 2027\n\n", "没有标为休或班的日子"},
        RefuseCase{"CalendarWithoutMarkedEvents", Calendar(Event("中秋节", "20270915")), "没有标为休或班的日子"},
        RefuseCase{"CalendarNotEnded", "BEGIN:VCALENDAR\r\n" + Event("休", "20271001"), "缺少 END:VCALENDAR"},
        RefuseCase{"CalendarEndsTheWrongComponent", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nEND:VCALENDAR\n",
                   "第 3 行的 END:VCALENDAR 与 BEGIN:VEVENT 不配对"},
        RefuseCase{"CalendarLineWithoutColon", Calendar("BEGIN:VEVENT\nSUMMARY 休\nEND:VEVENT\n"), "第 6 行不是 iCalendar"},
        RefuseCase{"CalendarBadDate", Calendar(Event("休", "20270230")), "第 7 行的日期无效"},
        RefuseCase{"CalendarEndBeforeStart", Calendar(Event("休", "20271005", "20271001")), "结束得比开始早"},
        RefuseCase{"CalendarWithoutStart", Calendar("BEGIN:VEVENT\nSUMMARY:休\nEND:VEVENT\n"), "没有开始日期"},
        RefuseCase{"CalendarRepeatingEvent",
                   Calendar("BEGIN:VEVENT\nDTSTART;VALUE=DATE:20270101\nRRULE:FREQ=YEARLY\nSUMMARY:元旦 休\nEND:VEVENT\n"),
                   "重复规则"},
        RefuseCase{"CalendarDayBothOffAndWorking",
                   Calendar(Event("国庆节 休", "20271001", "20271008") + Event("班", "20271007")),
                   "2027-10-07 既标为休又标为班"},
        RefuseCase{"TableDayBothOffAndWorking", "2027-10-01\t休\t国庆节\n2027-10-01\t班\t调休\n",
                   "第 2 行：2027-10-01 既标为休又标为班"},
        RefuseCase{"TableWithNulInTheDate", "2027-10\0-01\t休\t国庆节\n"s, "第 1 行"},
        RefuseCase{"CalendarNotUtf8", Calendar(Event("\xD0\xDD", "20271001")), "不是 UTF-8"},
        RefuseCase{"CalendarEventOfYears", Calendar(Event("休", "20270101", "20290101")), "长达 731 天"},
        RefuseCase{"CalendarBadDuration",
                   Calendar("BEGIN:VEVENT\nDTSTART;VALUE=DATE:20270101\nDURATION:3D\nSUMMARY:休\nEND:VEVENT\n"),
                   "时长无效"},
        RefuseCase{"CalendarAfterTheLastYear",
                   Calendar("BEGIN:VEVENT\nDTSTART;VALUE=DATE:99991231\nDURATION:P2D\nSUMMARY:休\nEND:VEVENT\n"),
                   "第 5 行的日期无效"}),
    [](const ::testing::TestParamInfo<RefuseCase> &i) { return std::string(i.param.name); });

// Megabytes where a word is expected: the parse takes one pass, the name kept is a few
// words, and a message quotes a few characters of it, whatever the size.
TEST(ICalendar, HugeValuesGiveShortNamesAndMessages)
{
    const std::string huge = std::string(3 << 20, 'x');
    const std::string words = [] {
        std::string w;
        for (int i = 0; i < (1 << 18); ++i)
            w += "春节 休 ";
        return w;
    }();
    for (const std::string &summary : {huge + " 休", words}) {
        const TArrangement a = ParseICalendar(Calendar(Event(summary, "20270101")));
        ASSERT_TRUE(a.Ok()) << a.Error.substr(0, 200);
        ASSERT_EQ(a.Days.size(), 1u);
        EXPECT_LE(a.Days[0].Info.Holiday.size(), MaxHolidayNameBytes);
    }
    const TArrangement bad = ParseICalendar("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:" + huge + "\r\nEND:VCALENDAR\r\n");
    EXPECT_FALSE(bad.Ok());
    EXPECT_LT(bad.Error.size(), 200u) << bad.Error.substr(0, 200);
    const TArrangement open = ParseICalendar("BEGIN:VCALENDAR\r\nBEGIN:" + huge + "\r\n");
    EXPECT_FALSE(open.Ok());
    EXPECT_LT(open.Error.size(), 200u);
}

TEST(ICalendar, AFileThatIsNoCalendarAtAll)
{
    EXPECT_NE(ParseICalendar("2027-10-01\t休\n").Error.find("第 1 行不是 iCalendar"), std::string::npos);
    EXPECT_NE(ParseICalendar("").Error.find("不是 iCalendar 日历"), std::string::npos);
    EXPECT_NE(ParseICalendar("BEGIN:VEVENT\n").Error.find("应为 BEGIN:VCALENDAR"), std::string::npos);
}

// ---- merging into the table file ----

TArrangement Arrangement(const std::string &tsv)
{
    TArrangement a = ParseWorkdaysTable(tsv);
    EXPECT_TRUE(a.Ok()) << a.Error;
    return a;
}

struct MergeCase {
    const char *name;
    std::string file, imported;
    std::string result;
    int added, same, kept;
};
std::ostream &operator<<(std::ostream &os, const MergeCase &c) { return os << c.name; }

class Merges : public ::testing::TestWithParam<MergeCase> {};

TEST_P(Merges, KeepsEveryLineAndAddsTheNewDays)
{
    const MergeCase &c = GetParam();
    const TMergeResult r = MergeArrangement(c.file, Arrangement(c.imported), "导入自 2027.ics");
    EXPECT_EQ(r.Text, c.result);
    EXPECT_EQ(r.Added, c.added);
    EXPECT_EQ(r.Same, c.same);
    EXPECT_EQ(r.Kept, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Merges,
    ::testing::Values(
        // The user's own lines stay, comments and a line the table cannot read included;
        // a day they list with the other mark keeps their line.
        MergeCase{"UserLinesStay",
                  "# mine\n2026-10-01\t休\t国庆节\n2027-10-08\t休\t公司假\nnot a line\n",
                  "2027-10-01\t休\t国庆节\n2027-10-08\t班\t国庆节\n2026-10-01\t休\t国庆节\n2027-10-09\t班\t国庆节\n",
                  "# mine\n2026-10-01\t休\t国庆节\n2027-10-08\t休\t公司假\nnot a line\n# 导入自 2027.ics\n"
                  "2027-10-01\t休\t国庆节\n2027-10-09\t班\t国庆节\n",
                  2, 1, 1},
        MergeCase{"CrLfFileWithoutAFinalLineEnd",
                  "2026-10-01\t休\t国庆节\r\n2026-10-02\t休\t国庆节",
                  "2027-01-01\t休\t元旦\n",
                  "2026-10-01\t休\t国庆节\r\n2026-10-02\t休\t国庆节\r\n# 导入自 2027.ics\r\n2027-01-01\t休\t元旦\r\n",
                  1, 0, 0},
        MergeCase{"NoFileYet", "", "2027-01-01\t休\t元旦\n2027-01-04\t班\n",
                  "# 导入自 2027.ics\n2027-01-01\t休\t元旦\n2027-01-04\t班\n", 2, 0, 0},
        MergeCase{"NothingNewChangesNothing", "2027-01-01\t休\t元旦", "2027-01-01\t休\t新年\n", "2027-01-01\t休\t元旦", 0, 1,
                  0}),
    [](const ::testing::TestParamInfo<MergeCase> &i) { return std::string(i.param.name); });

TEST(Merge, TheMergedFileReadsAsTheOldTableWithTheNewDays)
{
    std::ifstream in(CN_WORKDAYS_FILE, std::ios::binary);
    std::stringstream shipped;
    shipped << in.rdbuf();
    const TCnWorkdays before = TCnWorkdays::FromText(shipped.str());
    ASSERT_EQ(before.LastYear(), 2026);

    const TArrangement a = ParseArrangement(Calendar(Event("元旦 休", "20270101", "20270104") +
                                                     Event("春节 休", "20270205", "20270213") +
                                                     Event("春节 班", "20270214") + Event("国庆节 休", "20261001")));
    ASSERT_TRUE(a.Ok()) << a.Error;
    const TMergeResult r = MergeArrangement(shipped.str(), a, "导入自 2027.ics");
    EXPECT_EQ(r.Added, 3 + 8 + 1);
    EXPECT_EQ(r.Same, 1);
    EXPECT_EQ(r.Text.substr(0, shipped.str().size()), shipped.str());

    const TCnWorkdays after = TCnWorkdays::FromText(r.Text);
    EXPECT_EQ(after.Size(), before.Size() + 12);
    EXPECT_EQ(after.SkippedLines(), 0);
    EXPECT_EQ(after.LastYear(), 2027);
    EXPECT_EQ(after.WorkdayMarkOf(2027, 2, 5), (TWorkdayInfo{Off, "春节"}));
    EXPECT_EQ(after.WorkdayMarkOf(2027, 2, 14), (TWorkdayInfo{Work, "春节"}));
    EXPECT_EQ(after.WorkdayMarkOf(2026, 10, 10), before.WorkdayMarkOf(2026, 10, 10));
}

// ---- the note for years the table does not reach ----

TEST(WorkdaysNote, SaysSoForYearsAfterTheTable)
{
    const TCnWorkdays table = TCnWorkdays::FromText("2025-10-01\t休\t国庆节\n2026-10-10\t班\t国庆节\n");
    const TCnWorkdays empty;
    const struct {
        int y, m, d;
        const TCnWorkdays *table;
        std::string note;
    } cases[] = {
        {2027, 1, 15, &table, "2027年放假安排未收录"},
        {2100, 12, 31, &table, "2100年放假安排未收录"},
        {2026, 12, 31, &table, ""},
        {1990, 5, 1, &table, ""}, // before the table: history, not news
        {2027, 1, 15, &empty, ""},
        {2027, 1, 15, nullptr, ""},
    };
    for (const auto &c : cases) {
        TChnCalendarModel m;
        m.SetWorkdays(c.table);
        m.SetDateTime(tdt::EncodeDate(c.y, c.m, c.d));
        EXPECT_EQ(m.WorkdaysNote(), c.note) << c.y;
    }
}

TEST(WorkdaysNote, ANewTableRenewsTheNoteOfTheShownMonth)
{
    struct TitleView : TChnCalendarView {
        int titles = 0;
        void TitleChanged() override { ++titles; }
    } view;
    const TCnWorkdays to2026 = TCnWorkdays::FromText("2026-10-10\t班\t国庆节\n");
    const TCnWorkdays to2027 = TCnWorkdays::FromText("2026-10-10\t班\t国庆节\n2027-01-01\t休\t元旦\n");
    TChnCalendarModel m;
    m.View = &view;
    m.SetWorkdays(&to2026);
    m.SetDateTime(tdt::EncodeDate(2027, 1, 1));
    EXPECT_EQ(m.WorkdaysNote(), "2027年放假安排未收录");
    const int before = view.titles;
    m.SetWorkdays(&to2027);
    EXPECT_EQ(m.WorkdaysNote(), "");
    EXPECT_EQ(m.Cell(TChnCalendarModel::CellNo(6, 1)).Workday, Off); // Friday 1 January 2027
    EXPECT_EQ(view.titles, before + 1);
    // The line's own text stays what it was.
    EXPECT_EQ(m.SelectedLine().substr(0, 10), "2027-01-01");
}

TEST(WorkdaysNote, TheEraIsTheLinesFirstPart)
{
    TChnCalendarModel m;
    m.SetDateTime(tdt::EncodeDate(1320, 3, 15));
    ASSERT_FALSE(m.SelectedEra().empty());
    EXPECT_EQ(m.SelectedLine().rfind(m.SelectedEra() + " 农历", 0), 0u) << m.SelectedLine();
    m.SetDateTime(tdt::EncodeDate(1949, 1, 1));
    EXPECT_EQ(m.SelectedEra(), "");
}

} // namespace
