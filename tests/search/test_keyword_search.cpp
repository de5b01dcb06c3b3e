// Where the keyword search goes: occurrences in a note, the first day, stepping on and back.
#include "KeywordSearch.h"
#include "uGlobal.h"

#include <gtest/gtest.h>

namespace {

struct OccurrenceCase {
    const char *name;
    QString text;
    QString keyword;
    std::vector<int> at;
};

class OccurrenceTest : public ::testing::TestWithParam<OccurrenceCase> {};

TEST_P(OccurrenceTest, FindsEveryOccurrenceLeftToRight)
{
    EXPECT_EQ(KeywordOccurrences(GetParam().text, GetParam().keyword), GetParam().at);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OccurrenceTest,
    ::testing::Values(OccurrenceCase{"Chinese", QString::fromUtf8("周报，周报\n再写周报"), QString::fromUtf8("周报"), {0, 3, 8}},
                      OccurrenceCase{"LatinAnyCase", "PPT ppt Ppt", "pPt", {0, 4, 8}},
                      OccurrenceCase{"Mixed", QString::fromUtf8("交Report给王总"), QString::fromUtf8("report给"), {1}},
                      OccurrenceCase{"NotOverlapping", "aaaa", "aa", {0, 2}},
                      OccurrenceCase{"OnlyAtoZFolded", QString::fromUtf8("Ärger ärger"), QString::fromUtf8("ä"), {6}},
                      OccurrenceCase{"FullWidthNotFolded", QString::fromUtf8("ＡＢ ab"), "ab", {3}},
                      OccurrenceCase{"None", QString::fromUtf8("买菜"), QString::fromUtf8("周报"), {}},
                      OccurrenceCase{"EmptyKeyword", "abc", "", {}}),
    [](const auto &info) { return std::string(info.param.name); });

const tdt::TDateTime May20 = tdt::EncodeDate(2010, 5, 20);
const tdt::TDateTime Jun3 = tdt::EncodeDate(2010, 6, 3);
const tdt::TDateTime Jun12 = tdt::EncodeDate(2010, 6, 12);

struct StartCase {
    const char *name;
    tdt::TDateTime selected;
    int pos;
};

class StartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartTest, FirstDayOnOrAfterTheSelectedDateElseTheFirst)
{
    TKeywordSearch s;
    s.Start("k", {May20, Jun3, Jun12}, {1, 2, 1}, GetParam().selected);
    EXPECT_TRUE(s.Started());
    EXPECT_EQ(SearchDates, (std::vector<tdt::TDateTime>{May20, Jun3, Jun12}));
    EXPECT_EQ(SearchPos, GetParam().pos);
    EXPECT_EQ(s.Occurrence(2), 0);
}

INSTANTIATE_TEST_SUITE_P(Dates, StartTest,
                         ::testing::Values(StartCase{"Before", tdt::EncodeDate(2010, 1, 1), 0},
                                           StartCase{"TheDayItself", Jun3, 1},
                                           StartCase{"TheDayWithItsTime", Jun3 + 0.75, 1},
                                           StartCase{"Between", tdt::EncodeDate(2010, 6, 4) + 0.3, 2},
                                           StartCase{"AfterTheLastWraps", tdt::EncodeDate(2010, 6, 13), 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(KeywordSearch, NoDaysStartsNothing)
{
    SearchPos = 4;
    SearchDates = {1.0};
    TKeywordSearch s;
    s.Start("k", {}, {}, May20);
    EXPECT_FALSE(s.Started());
    EXPECT_TRUE(SearchDates.empty());
    EXPECT_EQ(SearchPos, -1);
}

// Days with 2, 1 and 3 occurrences; each step names the day, the occurrence and "n / 6".
TEST(KeywordSearch, NextGoesThroughTheBoxThenTheDaysAndWraps)
{
    const std::vector<int> inBox = {2, 1, 3};
    TKeywordSearch s;
    s.Start("k", {May20, Jun3, Jun12}, inBox, May20);
    struct Step {
        int pos, occurrence, ordinal;
        bool wrapped;
    };
    const Step steps[] = {{0, 1, 2, false}, {1, 0, 3, false}, {2, 0, 4, false},
                          {2, 1, 5, false}, {2, 2, 6, false}, {0, 0, 1, true}};
    for (const Step &st : steps) {
        const bool wrapped = s.Next(inBox[size_t(SearchPos)]);
        EXPECT_EQ(wrapped, st.wrapped) << st.ordinal;
        EXPECT_EQ(SearchPos, st.pos) << st.ordinal;
        EXPECT_EQ(s.Occurrence(inBox[size_t(SearchPos)]), st.occurrence) << st.ordinal;
        EXPECT_EQ(s.Ordinal(inBox[size_t(SearchPos)]), st.ordinal);
        EXPECT_EQ(s.Total(), 6);
    }
}

TEST(KeywordSearch, PreviousGoesBackToTheLastOccurrenceOfTheDayBefore)
{
    const std::vector<int> inBox = {2, 1, 3};
    TKeywordSearch s;
    s.Start("k", {May20, Jun3, Jun12}, inBox, Jun3);
    struct Step {
        int pos, occurrence, ordinal;
        bool wrapped;
    };
    const Step steps[] = {{0, 1, 2, false}, {0, 0, 1, false}, {2, 2, 6, true}, {2, 1, 5, false}};
    for (const Step &st : steps) {
        const bool wrapped = s.Previous(inBox[size_t(SearchPos)]);
        EXPECT_EQ(wrapped, st.wrapped) << st.ordinal;
        EXPECT_EQ(SearchPos, st.pos) << st.ordinal;
        EXPECT_EQ(s.Occurrence(inBox[size_t(SearchPos)]), st.occurrence) << st.ordinal;
        EXPECT_EQ(s.Ordinal(inBox[size_t(SearchPos)]), st.ordinal);
    }
}

TEST(KeywordSearch, ABoxWithoutTheKeywordIsPassedOver)
{
    TKeywordSearch s;
    s.Start("k", {May20, Jun3}, {1, 1}, May20);
    EXPECT_EQ(s.Occurrence(0), -1);
    EXPECT_FALSE(s.Next(0));
    EXPECT_EQ(SearchPos, 1);
    // A box holding it more often than the stored text said never counts past its day.
    EXPECT_FALSE(s.Next(5));
    EXPECT_EQ(s.Occurrence(5), 1);
    EXPECT_EQ(s.Ordinal(5), 2);
    s.Reset();
    EXPECT_FALSE(s.Started());
    EXPECT_TRUE(SearchDates.empty());
    EXPECT_EQ(SearchPos, -1);
}

} // namespace
