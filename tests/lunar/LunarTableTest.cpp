// Runs the lunar-table program and reads what it prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

// Reads standard output, or with stderrOnly standard error.
ToolRun LunarTable(const std::string &args, bool stderrOnly = false)
{
    const std::string cmd =
        std::string("'") + LUNAR_TABLE_EXE + "' " + args + (stderrOnly ? " 2>&1 >/dev/null" : " 2>/dev/null");
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

TEST(LunarTable, HistoricalDaysCarryTheEraAndTheDroppedDaysNoLunarDate)
{
    const ToolRun run = LunarTable("1582-10-04 1582-10-05");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "1582-10-04\t1582\t9\t18\t0\t九月\t十八\t\t\t\t壬午\t马\t天秤\t[明]神宗 朱翊钧 万历10年\n"
                       "1582-10-05\t1582\t\t\t\t\t\t\t\t\t壬午\t马\t天秤\t[明]神宗 朱翊钧 万历10年\n");
    const ToolRun range = LunarTable("0001-01-01 2100-12-31");
    EXPECT_EQ(range.status, 0);
    EXPECT_EQ(std::count(range.out.begin(), range.out.end(), '\n'), 767009);
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

} // namespace
