// Runs the lunar-table program and reads what it prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

// Runs a shell command line and reads what it prints.
ToolRun Shell(const std::string &cmd)
{
    ToolRun run;
    FILE *pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        run.out.append(buf, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Reads standard output, or with stderrOnly standard error.
ToolRun LunarTable(const std::string &args, bool stderrOnly = false)
{
    return Shell(std::string("'") + LUNAR_TABLE_EXE + "' " + args
                 + (stderrOnly ? " 2>&1 >/dev/null" : " 2>/dev/null"));
}

TEST(LunarTable, PrintsOneTabSeparatedLinePerDay)
{
    const ToolRun run = LunarTable("2024-02-09 2024-02-10");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2024-02-09\t2023\t12\t30\t0\t腊月\t三十\t\t\t除夕\t甲辰\t兔\t宝瓶\t\n"
                       "2024-02-10\t2024\t1\t1\t0\t正月\t初一\t\t\t春节\t甲辰\t龙\t宝瓶\t\n");
}

TEST(LunarTable, ToDefaultsToFrom)
{
    const ToolRun run = LunarTable("2023-03-22");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2023-03-22\t2023\t2\t1\t1\t闰二\t初一\t\t\t\t癸卯\t兔\t白羊\t\n");
}

TEST(LunarTable, HistoricalDaysCarryTheEraAndTheDroppedDaysAreLeftOut)
{
    const ToolRun run = LunarTable("1582-10-04 1582-10-15");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "1582-10-04\t1582\t9\t18\t0\t九月\t十八\t\t\t\t壬午\t马\t天秤\t[明]神宗 朱翊钧 万历10年\n"
                       "1582-10-15\t1582\t9\t19\t0\t九月\t十九\t\t\t\t壬午\t马\t天秤\t[明]神宗 朱翊钧 万历10年\n");
    const ToolRun range = LunarTable("0001-01-01 2100-12-31");
    EXPECT_EQ(range.status, 0);
    EXPECT_EQ(std::count(range.out.begin(), range.out.end(), '\n'), 767009 - 10);
}

// A day that does not exist is an error, not a line of empty fields.
class LunarTableDroppedDays : public testing::TestWithParam<const char *> {};
TEST_P(LunarTableDroppedDays, AreAnErrorWhenNothingElseIsAsked)
{
    const ToolRun run = LunarTable(GetParam());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(LunarTable(GetParam(), true).out.find("1582-10-15"), std::string::npos);
}
INSTANTIATE_TEST_SUITE_P(Days, LunarTableDroppedDays,
                         testing::Values("1582-10-05", "1582-10-14", "1582-10-05 1582-10-14", "1582-10-10 1582-10-12"));

TEST(LunarTable, HelpPrintsTheUsageAndSucceeds)
{
    for (const char *arg : {"--help", "-h"}) {
        const ToolRun run = LunarTable(arg);
        EXPECT_EQ(run.status, 0) << arg;
        EXPECT_EQ(run.out.rfind("usage: lunar-table", 0), 0u) << arg;
        EXPECT_NE(run.out.find("Exit status"), std::string::npos) << arg;
    }
}

class LunarTableBadArgs : public testing::TestWithParam<const char *> {};
TEST_P(LunarTableBadArgs, PrintsUsageAndExitsWith2)
{
    const ToolRun run = LunarTable(GetParam(), true);
    EXPECT_EQ(run.status, 2);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
    EXPECT_EQ(run.out.rfind("usage: lunar-table", 0), 0u);
    EXPECT_EQ(LunarTable(GetParam()).out, "");
}
INSTANTIATE_TEST_SUITE_P(Args, LunarTableBadArgs,
                         testing::Values("", "2024-02-30", "2101-01-01", "0000-12-31", "2024-2-10", "20240210",
                                         "2024-02-10 2024-02-09", "2024-02-10 x", "a b c",
                                         "2024-02-10 2024-02-11 2024-02-12", "2024-02-1x"));

// ---- --lunar: the civil date of a lunar day ----

struct LunarArgsCase {
    const char *args, *civil;
};
class LunarTableToCivil : public testing::TestWithParam<LunarArgsCase> {};
TEST_P(LunarTableToCivil, PrintsTheCivilDate)
{
    const ToolRun run = LunarTable(std::string("--lunar ") + GetParam().args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string(GetParam().civil) + "\n");
}
INSTANTIATE_TEST_SUITE_P(Days, LunarTableToCivil,
                         testing::Values(LunarArgsCase{"2024 1 1", "2024-02-10"},
                                         LunarArgsCase{"2023 12 30", "2024-02-09"},
                                         LunarArgsCase{"2023 2 1 leap", "2023-03-22"},
                                         LunarArgsCase{"2023 2 1", "2023-02-20"},
                                         LunarArgsCase{"1582 9 19", "1582-10-15"},
                                         LunarArgsCase{"0 11 19", "0001-01-01"},
                                         LunarArgsCase{"2100 12 1", "2100-12-31"}));

// The forward table read back, from the end of a lunar year through a leap
// month of 29 days that follows one of 30.
TEST(LunarTableToCivil, GivesBackTheDaysOfTheForwardTable)
{
    const ToolRun table = LunarTable("2023-01-20 2023-04-21");
    ASSERT_EQ(table.status, 0);
    std::string args;
    std::vector<std::string> civil;
    for (std::size_t at = 0; at < table.out.size();) {
        const std::size_t end = table.out.find('\n', at);
        const std::string line = table.out.substr(at, end - at);
        at = end + 1;
        std::vector<std::string> f;
        for (std::size_t p = 0;;) {
            const std::size_t tab = line.find('\t', p);
            f.push_back(line.substr(p, tab - p));
            if (tab == std::string::npos)
                break;
            p = tab + 1;
        }
        ASSERT_GE(f.size(), 5u) << line;
        civil.push_back(f[0]);
        args += f[1] + ' ' + f[2] + ' ' + f[3] + (f[4] == "1" ? " leap" : "") + '\n';
    }
    ASSERT_EQ(civil.size(), 92u);
    const ToolRun back =
        Shell("printf '%s' '" + args + "' | while read a; do '" LUNAR_TABLE_EXE "' --lunar $a || exit 1; done");
    EXPECT_EQ(back.status, 0);
    std::string expected;
    for (const std::string &c : civil)
        expected += c + '\n';
    EXPECT_EQ(back.out, expected);
}

struct MissingDayCase {
    const char *args, *message;
};
class LunarTableMissingDay : public testing::TestWithParam<MissingDayCase> {};
TEST_P(LunarTableMissingDay, SaysSoAndExitsWith1)
{
    const ToolRun err = LunarTable(std::string("--lunar ") + GetParam().args, true);
    EXPECT_EQ(err.status, 1);
    EXPECT_EQ(err.out, std::string("lunar-table: ") + GetParam().message + "\n");
    EXPECT_EQ(LunarTable(std::string("--lunar ") + GetParam().args).out, "");
}
INSTANTIATE_TEST_SUITE_P(
    Days, LunarTableMissingDay,
    testing::Values(MissingDayCase{"2023 3 1 leap", "lunar year 2023 has no leap month 3"},
                    MissingDayCase{"2024 1 1 leap", "lunar year 2024 has no leap month 1"},
                    MissingDayCase{"2023 1 30", "month 1 of lunar year 2023 has 29 days"},
                    MissingDayCase{"2023 2 30 leap", "leap month 2 of lunar year 2023 has 29 days"},
                    MissingDayCase{"2100 12 2",
                                   "month 12 day 2 of lunar year 2100 lies outside the civil years 1 ... 2100"},
                    MissingDayCase{"0 11 18",
                                   "month 11 day 18 of lunar year 0 lies outside the civil years 1 ... 2100"}));

INSTANTIATE_TEST_SUITE_P(LunarArgs, LunarTableBadArgs,
                         testing::Values("--lunar", "--lunar 2024 1", "--lunar 2024 13 1", "--lunar 2024 0 1",
                                         "--lunar 2024 1 31", "--lunar 2024 1 0", "--lunar 2101 1 1",
                                         "--lunar -1 1 1", "--lunar +2024 1 1", "--lunar 2024 1 1x",
                                         "--lunar x 1 1", "--lunar 2024 1 1 Leap", "--lunar 2024 1 1 leap x",
                                         "2024-02-10 --lunar"));

} // namespace
