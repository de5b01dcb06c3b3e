// The notes repository on the real notes file, without any widget.
#include "NotesRepository.h"
#include "store_fixture.h"
#include "uDM.h"

#include <gtest/gtest.h>

namespace {

using Read = TNotesRepository::ReadResult;

class NotesRepositoryTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        dm.qryData.onStatement = [this](const QString &s) {
            if (failWhen && failWhen(s))
                throw EDatabaseError(QStringLiteral("injected failure"));
        };
    }
    TempProgramDir home;
    TDM dm;
    TNotesRepository repo{dm};
    std::function<bool(const QString &)> failWhen;
};

TEST_P(NotesRepositoryTest, WrittenDaysReadBackAndMissingDaysHaveNoRow)
{
    const std::vector<bool> written = repo.WriteDays(
        {{"20100531", "{\\rtf1 a}", "a"}, {"20100601", QByteArray(), QString()}, {"20100531", "{\\rtf1 b}", "b"}},
        GetParam());
    EXPECT_EQ(written, std::vector<bool>({true, true, true}));
    const auto reads = repo.ReadDays({"20100531", "20100601", "20100602"});
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[0].result, Read::Row);
    EXPECT_EQ(reads[0].content, "{\\rtf1 b}"); // the later note of the same key wins, in the one row
    EXPECT_EQ(reads[1].result, Read::Row);
    EXPECT_TRUE(reads[1].content.isEmpty());
    EXPECT_EQ(reads[2].result, Read::NoRow);
    dm.RunLookup("20100531");
    EXPECT_EQ(dm.qryData.RecordCount(), 1);
}

TEST_P(NotesRepositoryTest, TheFirstFailingReadEndsTheReading)
{
    repo.WriteDays({{"20100531", "{\\rtf1 a}", "a"}, {"20100602", "{\\rtf1 c}", "c"}}, GetParam());
    failWhen = [](const QString &s) { return s.contains(QLatin1String("'20100601'")); };
    const auto reads = repo.ReadDays({"20100531", "20100601", "20100602"});
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[0].result, Read::Row);
    EXPECT_EQ(reads[1].result, Read::Unread);
    EXPECT_EQ(reads[2].result, Read::Unread); // readable, but after the failure
    EXPECT_FALSE(dm.qryData.Active());
}

TEST_P(NotesRepositoryTest, AFailingDayIsSkippedAndTheOthersAreWritten)
{
    failWhen = [](const QString &s) { return s.contains(QLatin1String("'20100601'")); };
    const std::vector<bool> written = repo.WriteDays(
        {{"20100531", "{\\rtf1 a}", "a"}, {"20100601", "{\\rtf1 b}", "b"}, {"20100602", "{\\rtf1 c}", "c"}},
        GetParam());
    EXPECT_EQ(written, std::vector<bool>({true, false, true}));
    failWhen = nullptr;
    const auto reads = repo.ReadDays({"20100531", "20100601", "20100602"});
    EXPECT_EQ(reads[0].content, "{\\rtf1 a}");
    EXPECT_EQ(reads[1].result, Read::NoRow);
    EXPECT_EQ(reads[2].content, "{\\rtf1 c}");
}

INSTANTIATE_TEST_SUITE_P(Saves, NotesRepositoryTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "OneTransaction" : "EachUpdateCommits"; });

} // namespace
