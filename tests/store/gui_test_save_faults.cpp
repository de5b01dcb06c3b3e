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
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

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

// --- the writer behind the disk --------------------------------------------------------

// The committed text of a day, read by a connection of its own past the fault layer; it
// waits for a writer that is committing just then.
QString committed(const QString &path, const char *key)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, g_real->zName);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "select ContentBak from tb_NewTavi where YearMonthStr = ?1 order by rowid limit 1", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, key, -1, SQLITE_STATIC);
    QString r = QStringLiteral("<no row>");
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW)
        r = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    else if (rc != SQLITE_DONE)
        r = QStringLiteral("<unreadable>");
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    return r;
}

// Six boxes and their week as the program has them: a key press hands its day to the
// writer and returns; nothing waits for the disk.
struct Desk {
    explicit Desk(bool ownFolder = true)
    {
        if (ownFolder)
            home = std::make_unique<TempProgramDir>();
        installFaultLayer();
        DMMessageSink = nullptr;
        dm = std::make_unique<TDM>();
        connected = dm->ConnectDatabase();
        window = std::make_unique<QWidget>();
        auto *grid = new QGridLayout(window.get());
        for (int i = 0; i < 6; ++i) {
            boxes[i] = new TNoteBox(window.get());
            grid->addWidget(boxes[i], i / 3, i % 3);
        }
        week = std::make_unique<TWeekBoxes>(boxes, *dm);
        WeekConList.assign(7, TWeekConList());
        window->resize(600, 400);
        window->show();
        week->LoadWeek(kTuesday);
        week->FormShown = true;
    }
    QString dbPath() const { return DataDir() + QStringLiteral("UserData.mdb"); }
    QString stored(const char *key) const { return committed(dbPath(), key); }
    void type(int box, const QString &text)
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, boxes[box], Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    std::unique_ptr<TempProgramDir> home;
    std::unique_ptr<TDM> dm;
    bool connected = false;
    std::unique_ptr<QWidget> window;
    std::array<TNoteBox *, 6> boxes{};
    std::unique_ptr<TWeekBoxes> week;
};

QString typedText(int n)
{
    QString t;
    for (int i = 0; i < n; ++i)
        t += QChar(u'a' + i % 26);
    return t;
}

class WriterBehindTest : public ::testing::Test {
protected:
    void TearDown() override { g_faults.clear(); }
};

// Typing runs ahead of a slow disk; every state the file holds on the way is one the boxes
// had, each newer than the last, and the file ends with the latest.
TEST_F(WriterBehindTest, TypingRunsAheadOfASlowDiskAndTheFileFollowsInOrder)
{
    Desk desk;
    ASSERT_TRUE(desk.connected);
    g_faults.slowUs = 4000;
    QStringList seen[2];
    int saves = 0;
    QObject::connect(desk.week.get(), &TWeekNotes::saved, [&] {
        ++saves;
        seen[0] << desk.stored("20100601");
        seen[1] << desk.stored("20100604");
    });
    const QString text = typedText(40);
    int behind = 0;
    for (int i = 0; i < text.size(); ++i) {
        desk.type(i % 3 ? 1 : 4, text.mid(i, 1));
        behind += desk.week->Writer().Busy();
        QApplication::processEvents();
    }
    EXPECT_GT(behind, 0) << "the disk was never slower than the typing";
    ASSERT_TRUE(desk.week->WaitForWriter());
    QApplication::processEvents();
    g_faults.slowUs = 0;
    QString want[2];
    for (int i = 0; i < text.size(); ++i)
        want[i % 3 ? 0 : 1] += text[i];
    for (int d = 0; d < 2; ++d) {
        SCOPED_TRACE(d);
        int last = -1;
        for (const QString &s : seen[d]) {
            if (s == QLatin1String("<no row>"))
                continue;
            EXPECT_TRUE(want[d].startsWith(s)) << s.toStdString();
            EXPECT_GE(int(s.size()), last) << "an older state over a newer one";
            last = int(s.size());
        }
    }
    EXPECT_LT(saves, text.size()) << "every key waited for its own write";
    EXPECT_EQ(desk.stored("20100601"), want[0]);
    EXPECT_EQ(desk.stored("20100604"), want[1]);
    EXPECT_FALSE(desk.week->SaveFailed());
}

// SIGKILL while the writer is behind a slow disk: the file is sound and holds what the
// last completed write held or newer, never more than was typed. The child is this test
// program itself, typing until it is killed.
struct KillCase {
    const char *name;
    int slowUs;
    int killAfterKeys;
};

class WriterKillTest : public ::testing::TestWithParam<KillCase> {};

TEST_P(WriterKillTest, AKillLosesOnlyWhatNoWriteHadFinished)
{
    const KillCase &c = GetParam();
    if (qEnvironmentVariableIsSet("TAVI_WRITER_CHILD")) {
        Desk desk(false);
        if (!desk.connected)
            std::_Exit(3);
        g_faults.slowUs = c.slowUs;
        QObject::connect(desk.week.get(), &TWeekNotes::saved, [&] {
            std::printf("committed %d\n", int(desk.stored("20100601").size()));
            std::fflush(stdout);
        });
        const QString text = typedText(5000);
        int typed = 0;
        QTimer keys;
        QObject::connect(&keys, &QTimer::timeout, [&] {
            desk.type(1, text.mid(typed++, 1));
            std::printf("typed %d\n", typed);
            std::fflush(stdout);
        });
        keys.start(1);
        QTest::qWait(60000);
        std::_Exit(2);
    }

    TempProgramDir home;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVI_WRITER_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("TAVI_HOME"), home.path());
    child.setProcessEnvironment(env);
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
    ASSERT_TRUE(child.waitForStarted());
    int typed = 0, lastCommitted = 0, mostBehind = 0;
    const auto readLines = [&] {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("typed "))
                typed = line.mid(6).toInt();
            else if (line.startsWith("committed "))
                lastCommitted = std::max(lastCommitted, line.mid(10).toInt());
            mostBehind = std::max(mostBehind, typed - lastCommitted);
        }
    };
    QDeadlineTimer deadline(30000);
    while (typed < c.killAfterKeys && !deadline.hasExpired() && child.state() == QProcess::Running) {
        child.waitForReadyRead(100);
        readLines();
    }
    ASSERT_GE(typed, c.killAfterKeys) << child.readAllStandardError().toStdString();
    child.kill(); // SIGKILL
    child.waitForFinished();
    readLines();

    // A connection that may write first: it rolls back what the kill left half done.
    EXPECT_EQ(FileView(home.dbPath()).integrity(), QStringLiteral("ok"));
    const QString now = committed(home.dbPath(), "20100601");
    const QString text = now == QLatin1String("<no row>") ? QString() : now;
    EXPECT_TRUE(typedText(5000).startsWith(text)) << now.toStdString();
    EXPECT_GE(text.size(), lastCommitted) << "a completed write was lost";
    EXPECT_LE(text.size(), typed + 1);
    EXPECT_GT(mostBehind, 1) << "the writer was never behind";
    std::printf("killed after %d keys: %d saved, %d seen committed, the writer at most %d keys behind\n", typed,
                int(text.size()), lastCommitted, mostBehind);
}

INSTANTIATE_TEST_SUITE_P(SlowDisk, WriterKillTest,
                         ::testing::Values(KillCase{"EarlyInTheFirstWrite", 8000, 3},
                                           KillCase{"SeveralWritesBehind", 8000, 60},
                                           KillCase{"FarBehind", 20000, 150}),
                         [](const auto &info) { return std::string(info.param.name); });

// Another program holding the file's write lock: the sqlite3 shell, its transaction open.
class OtherWriter {
public:
    explicit OtherWriter(const QString &path)
    {
        m_shell.setProgram(QStringLiteral("sqlite3"));
        m_shell.setArguments({path});
        m_shell.start();
        if (!m_shell.waitForStarted())
            return;
        m_shell.write("begin immediate;\nselect 'holding';\n");
        while (m_shell.waitForReadyRead(5000))
            if (m_shell.readAllStandardOutput().contains("holding")) {
                m_holding = true;
                break;
            }
    }
    ~OtherWriter() { release(); }
    bool holding() const { return m_holding; }
    void release()
    {
        if (m_shell.state() == QProcess::NotRunning)
            return;
        m_shell.write("rollback;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(5000);
    }

private:
    QProcess m_shell;
    bool m_holding = false;
};

TEST_F(WriterBehindTest, ALockedFileMakesTheWriterWaitNotTheWindow)
{
    Desk desk;
    ASSERT_TRUE(desk.connected);
    desk.type(4, QStringLiteral("fri"));
    ASSERT_TRUE(desk.week->WaitForWriter());
    OtherWriter other(desk.dbPath());
    if (!other.holding())
        GTEST_SKIP() << "no sqlite3 shell to hold the lock";
    QSignalSpy status(desk.week.get(), &TWeekNotes::statusChanged);
    desk.type(1, QStringLiteral("tue"));
    // The key presses returned; the writer is still waiting for the lock.
    EXPECT_TRUE(desk.week->Writer().Busy());
    EXPECT_EQ(desk.boxes[1]->PlainText(), QStringLiteral("tue"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desk.week->SaveLocked(); }, 15000));
    EXPECT_EQ(desk.week->statusText(), QString::fromUtf8(TWeekNotes::SaveLockedText));
    desk.type(1, QStringLiteral("s"));
    other.release();
    // No further change is needed: the writer tries again on its own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return desk.stored("20100601") == QLatin1String("tues"); }, 15000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desk.week->SaveLocked(); }, 5000));
    EXPECT_TRUE(desk.week->statusText().isEmpty()) << desk.week->statusText().toStdString();
    EXPECT_EQ(desk.stored("20100604"), QStringLiteral("fri"));
    EXPECT_GE(status.count(), 2);
}

// The end of the program while the writer is behind: it waits for the writer, bounded;
// what it could not write makes the quit guard ask.
struct QuitCase {
    const char *name;
    int slowUs;
    bool locked; // another program holds the file past the wait
    bool mayQuit;
};

class QuitBehindTest : public ::testing::TestWithParam<QuitCase> {
protected:
    void TearDown() override { g_faults.clear(); }
};

TEST_P(QuitBehindTest, TheEndWaitsForTheWriterThenTheGuardDecides)
{
    const QuitCase &c = GetParam();
    Desk desk;
    ASSERT_TRUE(desk.connected);
    desk.type(3, QStringLiteral("thu"));
    ASSERT_TRUE(desk.week->WaitForWriter());
    std::unique_ptr<OtherWriter> other;
    if (c.locked) {
        other = std::make_unique<OtherWriter>(desk.dbPath());
        if (!other->holding())
            GTEST_SKIP() << "no sqlite3 shell to hold the lock";
    }
    g_faults.slowUs = c.slowUs;
    const QString text = typedText(30);
    desk.type(1, text);
    EXPECT_EQ(desk.week->SaveBeforeQuit(), c.mayQuit);
    EXPECT_EQ(desk.boxes[1]->PlainText(), text);
    if (other)
        other->release();
    g_faults.slowUs = 0;
    if (!c.mayQuit) {
        // Staying after the guard's question: nothing was lost, and the next try lands.
        EXPECT_EQ(desk.stored("20100601"), QString());
        EXPECT_TRUE(desk.week->SaveBeforeQuit());
    }
    EXPECT_EQ(desk.stored("20100601"), text);
    EXPECT_EQ(desk.stored("20100603"), QStringLiteral("thu"));
}

INSTANTIATE_TEST_SUITE_P(WriterBehind, QuitBehindTest,
                         ::testing::Values(QuitCase{"SlowDisk", 5000, false, true},
                                           QuitCase{"LockedPastTheWait", 0, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// A retry that cannot succeed on the connection it has: the writer opens the file anew,
// and the window says what to do meanwhile.
enum class Trouble { ReadOnlyFile, ReadOnlyFolder, Replaced };
struct TroubleCase {
    const char *name;
    Trouble trouble;
    const char *hint; // what the status line names; empty: nothing to do
};

class WriterTroubleTest : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(WriterTroubleTest, TheNextChangeLandsOnceTheCauseIsGone)
{
    const TroubleCase &c = GetParam();
    if (c.trouble != Trouble::Replaced && geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only files and folders";
    TempProgramDir home;
    const QString db = home.dbPath();
    const QString data = QFileInfo(QDir::cleanPath(db)).absolutePath();
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (c.trouble == Trouble::ReadOnlyFile)
        QFile::setPermissions(db, QFile::ReadOwner);
    if (c.trouble == Trouble::ReadOnlyFolder)
        QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner);
    Desk desk(false);
    ASSERT_TRUE(desk.connected);
    desk.type(0, QStringLiteral("mon"));
    desk.week->WaitForWriter();
    if (c.trouble == Trouble::Replaced) {
        // Another copy of the notes, with a note of its own, is put in the file's place.
        const QString copy = data + QStringLiteral("/copy.mdb");
        ASSERT_TRUE(QFile::copy(db, copy));
        sqlite3 *other = nullptr;
        sqlite3_open_v2(copy.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, g_real->zName);
        sqlite3_exec(other, "update tb_NewTavi set Content = '{\\rtf1 wed\\par}', ContentBak = 'wed' "
                            "where YearMonthStr = '20100602'",
                     nullptr, nullptr, nullptr);
        sqlite3_close_v2(other);
        ASSERT_EQ(::rename(copy.toUtf8().constData(), db.toUtf8().constData()), 0);
        desk.type(0, QStringLiteral("!"));
        desk.week->WaitForWriter();
        EXPECT_FALSE(desk.week->SaveFailed());
        EXPECT_EQ(desk.stored("20100531"), QStringLiteral("mon!"));
        EXPECT_EQ(desk.stored("20100602"), QStringLiteral("wed"));
        EXPECT_EQ(desk.boxes[2]->PlainText(), QStringLiteral("wed")) << "the week shows the file that is there now";
        return;
    }
    EXPECT_TRUE(desk.week->SaveFailed());
    const QString status = desk.week->statusText();
    const QString named = QDir::cleanPath(c.trouble == Trouble::ReadOnlyFile ? db : data);
    EXPECT_TRUE(status.contains(QString::fromUtf8(c.hint).arg(named)))
        << status.toStdString();
    QFile::setPermissions(data, all);
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    desk.type(0, QStringLiteral("!"));
    desk.week->WaitForWriter();
    EXPECT_FALSE(desk.week->SaveFailed());
    EXPECT_TRUE(desk.week->statusText().isEmpty()) << desk.week->statusText().toStdString();
    EXPECT_EQ(desk.stored("20100531"), QStringLiteral("mon!"));
}

INSTANTIATE_TEST_SUITE_P(
    Writer, WriterTroubleTest,
    ::testing::Values(TroubleCase{"ReadOnlyFileAtStart", Trouble::ReadOnlyFile, TWeekNotes::FileReadOnlyText},
                      TroubleCase{"ReadOnlyFolderAtStart", Trouble::ReadOnlyFolder, TWeekNotes::FolderReadOnlyText},
                      TroubleCase{"ReplacedWhileRunning", Trouble::Replaced, ""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
