#include "store_fixture.h"
#include "SqliteStatement.h"
#include "uDM.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

struct Recorder {
    QStringList statements;
    QStringList messages;
};

class DMTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DMMessageSink = [this](const QString &m) { rec.messages << m; };
        DMTerminate = [this] { terminated = true; };
    }
    void TearDown() override
    {
        DMMessageSink = nullptr;
        DMTerminate = nullptr;
    }
    void watch(TDM &dm)
    {
        dm.qryData.onStatement = [this](const QString &s) { rec.statements << s; };
    }
    Recorder rec;
    bool terminated = false;
};

QByteArray fileBytes(const QString &p)
{
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST_F(DMTest, StatementTextsReachTheEngineExactly)
{
    EXPECT_EQ(TDM::LookupText("20100605"), " select * from tb_NewTavi  where YearMonthStr = '20100605'");
    EXPECT_EQ(TDM::InsertText("20100605"), "insert into  tb_NewTavi(YearMonthStr) Values('20100605')");
    EXPECT_EQ(TDM::LookupText("a'b"), " select * from tb_NewTavi  where YearMonthStr = 'a''b'");

    TempProgramDir home;
    TDM dm;
    ASSERT_TRUE(dm.ConnectDatabase());
    watch(dm);
    dm.RunLookup("20100605");
    EXPECT_EQ(dm.qryData.RecordCount(), 0); // the installation's table is empty
    dm.RunInsert("20100605");
    dm.RunLookup("20100605");
    EXPECT_EQ(dm.qryData.RecordCount(), 1);
    // The quote inside a key is doubled, so the text stays one literal.
    dm.RunLookup("x' or '1'='1");
    EXPECT_EQ(dm.qryData.RecordCount(), 0);
    ASSERT_EQ(rec.statements.size(), 4);
    EXPECT_EQ(rec.statements[0], TDM::LookupText("20100605"));
    EXPECT_EQ(rec.statements[1], TDM::InsertText("20100605"));
    EXPECT_EQ(rec.statements[2], TDM::LookupText("20100605"));
    EXPECT_EQ(rec.statements[3], " select * from tb_NewTavi  where YearMonthStr = 'x'' or ''1''=''1'");
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(DMTest, ContentKeepsEveryByteAndSurvivesReconnecting)
{
    TempProgramDir home;
    QByteArray bytes("{\\rtf1 a\0b\xff\x80 }", 15);
    bytes.append('\0');
    {
        TDM dm;
        ASSERT_TRUE(dm.ConnectDatabase());
        dm.RunInsert("20240210");
        dm.RunLookup("20240210");
        ASSERT_EQ(dm.qryData.RecordCount(), 1);
        // A fresh row reads as an empty note.
        EXPECT_TRUE(dm.qryData.ReadContent().isEmpty());

        QByteArray streamed = "skipped" + bytes;
        QBuffer stream(&streamed);
        stream.open(QIODevice::ReadOnly);
        stream.seek(7); // the column takes the stream from its position to the end
        dm.qryData.Edit();
        dm.qryData.SetContentFromStream(stream);
        dm.qryData.SetContentBak(QString::fromUtf8("中文 note"));
        dm.qryData.Post();
    }
    TDM dm;
    ASSERT_TRUE(dm.ConnectDatabase());
    dm.RunLookup("20240210");
    ASSERT_EQ(dm.qryData.RecordCount(), 1);
    EXPECT_EQ(dm.qryData.ReadContent(), bytes);

    // An emptied note stays a row with empty content.
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    dm.qryData.Edit();
    dm.qryData.SetContentFromStream(empty);
    dm.qryData.SetContentBak(QString());
    dm.qryData.Post();
    dm.RunLookup("20240210");
    ASSERT_EQ(dm.qryData.RecordCount(), 1);
    EXPECT_TRUE(dm.qryData.ReadContent().isEmpty());
}

TEST_F(DMTest, OnlyTheFirstRowOfAKeyIsUpdated)
{
    TempProgramDir home;
    TDM dm;
    ASSERT_TRUE(dm.ConnectDatabase());
    dm.RunInsert("20100101");
    dm.RunInsert("20100101");
    dm.RunLookup("20100101");
    ASSERT_EQ(dm.qryData.RecordCount(), 2);
    QByteArray b("first");
    QBuffer s(&b);
    s.open(QIODevice::ReadOnly);
    dm.qryData.Edit();
    dm.qryData.SetContentFromStream(s);
    dm.qryData.Post();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(dm.AdoCon->handle(), "select count(*) from tb_NewTavi where Content = cast('first' as blob)", -1, &st,
                       nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 1);
    sqlite3_finalize(st);
}

struct BadFile {
    const char *name;
    QByteArray bytes; // empty name of bytes: no file at all
    bool exists;
    const char *says; // what the message adds to the known line
};

class DMConnectFailure : public DMTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(DMConnectFailure, ShowsTheMessageEndsAndLeavesTheFileAlone)
{
    const BadFile c = GetParam();
    TempProgramDir home(false);
    if (c.exists) {
        QFile f(home.dbPath());
        f.open(QIODevice::WriteOnly);
        f.write(c.bytes);
    }
    TDM dm;
    dm.DataModuleCreate();
    EXPECT_TRUE(terminated);
    ASSERT_EQ(rec.messages.size(), 1);
    // The line the user knows, then what happened to which file and what to do.
    EXPECT_TRUE(rec.messages[0].startsWith(QString::fromUtf8("配置文件加载失败，请重试！\n\n"))) << rec.messages[0].toStdString();
    EXPECT_TRUE(rec.messages[0].contains(QDir::toNativeSeparators(home.dbPath())));
    EXPECT_TRUE(rec.messages[0].contains(QString::fromUtf8(c.says))) << rec.messages[0].toStdString();
    EXPECT_EQ(QFile::exists(home.dbPath()), c.exists);
    if (c.exists) {
        EXPECT_EQ(fileBytes(home.dbPath()), c.bytes);
    }
    EXPECT_THROW(dm.RunLookup("20100101"), EDatabaseError);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DMConnectFailure,
    ::testing::Values(BadFile{"missing", {}, false, "找不到笔记数据库"}, BadFile{"empty", {}, true, "没有本程序的笔记表"},
                      // The start of a Jet database of another program.
                      BadFile{"jet", QByteArray::fromHex("000100005374616e64617264204a65742044420000000000") +
                                         QByteArray(2048, '\x11'), true, "不是本程序的笔记数据库"},
                      BadFile{"random", QByteArray(4096, '\xa7'), true, "不是本程序的笔记数据库"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DMTest, ADatabaseWithoutTheTableIsRefused)
{
    TempProgramDir home(false);
    sqlite3 *db = nullptr;
    sqlite3_open(home.dbPath().toUtf8().constData(), &db);
    sqlite3_exec(db, "create table other(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray before = fileBytes(home.dbPath());
    TDM dm;
    EXPECT_FALSE(dm.ConnectDatabase());
    EXPECT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(fileBytes(home.dbPath()), before);
}

TEST_F(DMTest, ADatabaseLockedByAnotherWriterIsRefusedAfterAShortWait)
{
    TempProgramDir home;
    sqlite3 *other = nullptr;
    sqlite3_open(home.dbPath().toUtf8().constData(), &other);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    TDM dm;
    EXPECT_FALSE(dm.ConnectDatabase());
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].contains(QString::fromUtf8("正被另一个程序占用"))) << rec.messages[0].toStdString();
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(dm.ConnectDatabase());
}
