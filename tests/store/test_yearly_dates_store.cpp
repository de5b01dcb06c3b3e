// The yearly dates in the notes file: a table of their own, made on first use.
#include "NotesRepository.h"
#include "YearlyDatesStore.h"
#include "store_fixture.h"
#include "uDM.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

// The schema text of every table, read past the data module.
std::string Schema(const QString &path)
{
    sqlite3 *db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "select name, sql from sqlite_master where type = 'table' order by name",
            [](void *o, int, char **v, char **) {
                *static_cast<std::string *>(o) += std::string(v[0]) + ": " + v[1] + "\n";
                return 0;
            },
            &out, nullptr);
    }
    sqlite3_close(db);
    return out;
}

TYearlyDate Mother()
{
    TYearlyDate d;
    d.Name = "妈妈";
    d.Birthday = true;
    d.Month = 4;
    d.Day = 30;
    d.Leap = true;
    d.FirstYear = 1966;
    d.LeadDays = 7;
    return d;
}

class YearlyDatesStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
    }
    TempProgramDir home;
    TDM dm;
    TYearlyDatesStore store{dm};
};

TEST_F(YearlyDatesStore, AnOlderNotesFileGetsTheTableOnFirstUseAndKeepsItsNotes)
{
    TNotesRepository notes(dm);
    ASSERT_EQ(notes.WriteDays({{"20260610", "{\\rtf1 a}", "a"}}, true), std::vector<bool>{true});
    const std::string before = Schema(home.dbPath());
    ASSERT_EQ(before.find(TYearlyDatesStore::TableName), std::string::npos);

    EXPECT_TRUE(store.Load().empty());
    EXPECT_EQ(Schema(home.dbPath()), before); // reading alone changes nothing

    store.Add(Mother());
    ASSERT_EQ(store.Load().size(), 1u);
    const std::string after = Schema(home.dbPath());
    EXPECT_NE(after.find(TYearlyDatesStore::TableName), std::string::npos);
    // The notes table's definition and rows are as they were.
    const std::string notesLine = before.substr(before.find("tb_NewTavi"));
    EXPECT_NE(after.find(notesLine.substr(0, notesLine.find('\n'))), std::string::npos);
    const auto reads = notes.ReadDays({"20260610"});
    EXPECT_EQ(reads[0].content, "{\\rtf1 a}");
}

TEST_F(YearlyDatesStore, AddUpdateRemoveReachTheFile)
{
    TYearlyDate mother = Mother();
    mother.Id = store.Add(mother);
    TYearlyDate wedding;
    wedding.Name = "结婚";
    wedding.Lunar = false;
    wedding.Month = 2;
    wedding.Day = 29;
    wedding.FirstYear = 2016;
    wedding.Id = store.Add(wedding);
    EXPECT_NE(mother.Id, wedding.Id);

    {
        // Another connection to the same file sees what was stored.
        TDM other;
        ASSERT_TRUE(other.ConnectDatabase());
        EXPECT_EQ(TYearlyDatesStore(other).Load(), (std::vector<TYearlyDate>{mother, wedding}));
    }

    mother.LeadDays = 0;
    mother.Name = "母亲";
    store.Update(mother);
    store.Remove(wedding.Id);
    EXPECT_EQ(store.Load(), std::vector<TYearlyDate>{mother});
}

TEST_F(YearlyDatesStore, ARowThatCannotComeRoundIsLeftOut)
{
    store.Add(Mother());
    TYearlyDate bad = Mother();
    bad.Lunar = false;
    bad.Month = 2;
    bad.Day = 31;
    store.Add(bad);
    const auto list = store.Load();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Name, "妈妈");
}

// A lead edited by hand out of the window's range still shows the date, reminded as early
// as the window allows at most or on the day itself.
TEST_F(YearlyDatesStore, ALeadOutOfRangeIsClampedNotHidden)
{
    const struct {
        int stored, read;
    } cases[] = {{-1, 0}, {-2147483647, 0}, {61, 60}, {100000, 60}, {60, 60}, {0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        TYearlyDate d = Mother();
        d.LeadDays = 3;
        d.Id = store.Add(d);
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(home.dbPath().toUtf8().constData(), &db), SQLITE_OK);
        const std::string sql = std::string("update ") + TYearlyDatesStore::TableName
                                + " set LeadDays = " + std::to_string(c.stored) + " where Id = " + std::to_string(d.Id);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        const auto list = store.Load();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].LeadDays, c.read);
        store.Remove(d.Id);
    }
}

TEST(YearlyDatesStoreClosed, WithoutAConnectionEveryCallFails)
{
    TDM dm; // never connected
    TYearlyDatesStore store(dm);
    EXPECT_THROW(store.Load(), EDatabaseError);
    EXPECT_THROW(store.Add(Mother()), EDatabaseError);
}

} // namespace
