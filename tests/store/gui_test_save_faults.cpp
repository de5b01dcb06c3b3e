// Saves that the disk refuses: a file layer under the engine makes writes, syncs or the
// opening of new files fail on command, as a full disk, a failing disk or a file system
// turned read-only would. Typed text must stay in the box, the window must say so, and
// the note must reach the file once the disk takes writes again.
#include "NoteBox.h"
#include "ProgramFolder.h"
#include "WeekNotes.h"
#include "sqlite_fault_layer.h"
#include "week_under_test.h"
#include "store_fixture.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QApplication>
#include <QGridLayout>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

using namespace tdt;

namespace {

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

const TDateTime kTuesday = EncodeDate(2010, 6, 1); // week 20100531 ... 20100605
const TDateTime kNextWeek = EncodeDate(2010, 6, 9); // week 20100607 ...

// The committed state of the file, read past the fault layer by a connection of its own.
struct FileView {
    explicit FileView(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, g_real->zName);
    }
    ~FileView() { sqlite3_close_v2(db); }
    QString text(const char *key) const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "select ContentBak from tb_NewTavi where YearMonthStr = ?1 order by rowid limit 1", -1,
                           &st, nullptr);
        sqlite3_bind_text(st, 1, key, -1, SQLITE_STATIC);
        QString r = QStringLiteral("<no row>");
        if (sqlite3_step(st) == SQLITE_ROW)
            r = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return r;
    }
    QString integrity() const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "pragma integrity_check", -1, &st, nullptr);
        QString r = QStringLiteral("<no answer>");
        if (sqlite3_step(st) == SQLITE_ROW)
            r = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return r;
    }
    sqlite3 *db = nullptr;
};

struct FaultCase {
    const char *name;
    int writeError, syncError, openError;
    int passWrites; // how far into the save the fault strikes
    bool transaction;
};

class SaveFaultTest : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override
    {
        installFaultLayer();
        g_faults.clear();
        DMMessageSink = nullptr;
        dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->ConnectDatabase());
        window = std::make_unique<QWidget>();
        auto *grid = new QGridLayout(window.get());
        for (int i = 0; i < 6; ++i) {
            boxes[i] = new TNoteBox(window.get());
            grid->addWidget(boxes[i], i / 3, i % 3);
        }
        week = std::make_unique<TWeekUnderTest>(boxes, *dm);
        week->UseTransaction = GetParam().transaction;
        WeekConList.assign(7, TWeekConList());
        window->resize(600, 400);
        window->show();
        week->LoadWeek(kTuesday);
        week->FormShown = true;
    }
    void TearDown() override
    {
        g_faults.clear();
        week.reset();
        window.reset();
        dm.reset();
    }
    void strike()
    {
        const FaultCase &c = GetParam();
        g_faults.writeError = c.writeError;
        g_faults.syncError = c.syncError;
        g_faults.openError = c.openError;
        g_faults.passWrites = c.passWrites;
    }
    void lift() { g_faults.writeError = g_faults.syncError = g_faults.openError = SQLITE_OK; }
    QString stored(const char *key) const { return FileView(home.dbPath()).text(key); }
    QString integrity() const { return FileView(home.dbPath()).integrity(); }

    TempProgramDir home;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<QWidget> window;
    std::array<TNoteBox *, 6> boxes{};
    std::unique_ptr<TWeekUnderTest> week;
};

const QString kSaveFailed = QString::fromUtf8(TWeekNotes::SaveFailedText);

TEST_P(SaveFaultTest, ARefusedSaveIsShownKeepsTheTextAndIsRetriedUntilItLands)
{
    typeText(boxes[1], QStringLiteral("ab"));
    ASSERT_EQ(stored("20100601"), QStringLiteral("ab"));
    QSignalSpy status(week.get(), &TWeekNotes::statusChanged);

    strike();
    typeText(boxes[1], QStringLiteral("c"));
    ASSERT_GT(g_faults.injected, 0) << "the fault never struck";
    EXPECT_TRUE(week->SaveFailed());
    EXPECT_TRUE(week->statusText().contains(kSaveFailed)) << week->statusText().toStdString();
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(boxes[1]->PlainText(), QStringLiteral("abc"));
    EXPECT_FALSE(boxes[1]->isReadOnly());
    EXPECT_EQ(stored("20100601"), QStringLiteral("ab")) << "a refused save is all or nothing";
    EXPECT_EQ(integrity(), QStringLiteral("ok"));

    // Still refused: the typing goes on, nothing is lost.
    g_faults.passWrites = 0;
    typeText(boxes[1], QStringLiteral("d"));
    typeText(boxes[4], QStringLiteral("x"));
    EXPECT_TRUE(week->SaveFailed());
    EXPECT_EQ(boxes[1]->PlainText(), QStringLiteral("abcd"));
    EXPECT_EQ(boxes[4]->PlainText(), QStringLiteral("x"));

    // The disk takes writes again: the next change carries every waiting note to the file.
    lift();
    typeText(boxes[1], QStringLiteral("e"));
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_TRUE(week->statusText().isEmpty()) << week->statusText().toStdString();
    EXPECT_EQ(status.count(), 2);
    EXPECT_EQ(stored("20100601"), QStringLiteral("abcde"));
    EXPECT_EQ(stored("20100604"), QStringLiteral("x"));
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
}

TEST_P(SaveFaultTest, ANoteRefusedInOneWeekReachesTheFileFromAnother)
{
    strike();
    typeText(boxes[0], QStringLiteral("mon"));
    ASSERT_TRUE(week->SaveFailed());

    week->chnRiliChange(kNextWeek);
    typeText(boxes[2], QStringLiteral("w")); // refused as well
    EXPECT_TRUE(week->SaveFailed());
    lift();
    typeText(boxes[2], QStringLiteral("ed"));
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_EQ(stored("20100531"), QStringLiteral("mon"));
    EXPECT_EQ(stored("20100609"), QStringLiteral("wed"));

    week->chnRiliChange(kTuesday);
    EXPECT_EQ(boxes[0]->PlainText(), QStringLiteral("mon"));
}

TEST_P(SaveFaultTest, TheDataModuleReconnectsToTheFileTheFaultLeftBehind)
{
    typeText(boxes[3], QStringLiteral("thu"));
    strike();
    typeText(boxes[3], QStringLiteral("!"));
    ASSERT_TRUE(week->SaveFailed());
    // The program ends while the disk still refuses; the next start finds the file sound.
    week.reset();
    dm.reset();
    lift();
    dm = std::make_unique<TDM>();
    ASSERT_TRUE(dm->ConnectDatabase());
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
    EXPECT_EQ(stored("20100603"), QStringLiteral("thu"));
}

// A disk that cannot be read: the week shows what it could read and overwrites nothing.
using ReadFaultTest = SaveFaultTest;

TEST_P(ReadFaultTest, AnUnreadableWeekIsShownAndNoBoxOverwritesItsRow)
{
    typeText(boxes[1], QStringLiteral("keep"));
    ASSERT_EQ(stored("20100601"), QStringLiteral("keep"));
    g_faults.readError = SQLITE_IOERR_READ;
    week->chnRiliChange(kTuesday);
    ASSERT_GT(g_faults.injected, 0);
    EXPECT_TRUE(week->WeekReadFailed());
    EXPECT_TRUE(week->statusText().contains(QString::fromUtf8(TWeekNotes::WeekReadFailedText)));
    EXPECT_TRUE(boxes[1]->isReadOnly());
    week->redt1Exit(); // a focus loss while the disk still fails
    g_faults.readError = SQLITE_OK;
    week->redt1Exit(); // and once it reads again, before the week is reloaded
    EXPECT_EQ(stored("20100601"), QStringLiteral("keep"));
    week->chnRiliChange(kTuesday);
    EXPECT_FALSE(week->WeekReadFailed());
    EXPECT_TRUE(week->statusText().isEmpty());
    EXPECT_EQ(boxes[1]->PlainText(), QStringLiteral("keep"));
    EXPECT_FALSE(boxes[1]->isReadOnly());
}

INSTANTIATE_TEST_SUITE_P(WeekNotesFaults, ReadFaultTest,
                         ::testing::Values(FaultCase{"ReadError", SQLITE_OK, SQLITE_OK, SQLITE_OK, 0, true},
                                           FaultCase{"ReadErrorNoTransaction", SQLITE_OK, SQLITE_OK, SQLITE_OK, 0, false}),
                         [](const auto &info) { return std::string(info.param.name); });

const FaultCase kCases[] = {
    {"DiskFullAtOnce", SQLITE_FULL, SQLITE_OK, SQLITE_OK, 0, true},
    {"DiskFullInTheJournal", SQLITE_FULL, SQLITE_OK, SQLITE_OK, 1, true},
    {"DiskFullInTheDatabase", SQLITE_FULL, SQLITE_OK, SQLITE_OK, 3, true},
    {"DiskFullLate", SQLITE_FULL, SQLITE_OK, SQLITE_OK, 6, true},
    {"DiskFullNoTransaction", SQLITE_FULL, SQLITE_OK, SQLITE_OK, 2, false},
    {"WriteError", SQLITE_IOERR_WRITE, SQLITE_OK, SQLITE_OK, 0, true},
    {"WriteErrorInTheDatabase", SQLITE_IOERR_WRITE, SQLITE_OK, SQLITE_OK, 3, true},
    {"SyncError", SQLITE_OK, SQLITE_IOERR_FSYNC, SQLITE_OK, 0, true},
    {"SyncErrorNoTransaction", SQLITE_OK, SQLITE_IOERR_FSYNC, SQLITE_OK, 0, false},
    {"ReadOnlyFileSystem", SQLITE_READONLY, SQLITE_OK, SQLITE_CANTOPEN, 0, true},
    {"ReadOnlyNoTransaction", SQLITE_READONLY, SQLITE_OK, SQLITE_CANTOPEN, 0, false},
};

INSTANTIATE_TEST_SUITE_P(WeekNotesFaults, SaveFaultTest, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
