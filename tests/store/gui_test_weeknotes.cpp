// Loading and saving a week through six real note boxes and the real notes database,
// with and without one transaction per save.
#include "NoteBox.h"
#include "NoteDocument.h"
#include "ProgramFolder.h"
#include "RtfCodec.h"
#include "WeekNotes.h"
#include "week_under_test.h"
#include "rtf_support.h"
#include "store_fixture.h"
#include "SqliteStatement.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QApplication>
#include <QGridLayout>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <optional>

using namespace tdt;

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

const TDateTime kTuesday = EncodeDate(2010, 6, 1); // week 20100531 ... 20100605
const TDateTime kSunday = EncodeDate(2010, 6, 6);  // the same week
const TDateTime kNextWeek = EncodeDate(2010, 6, 9);
const char *const kKeys[6] = {"20100531", "20100601", "20100602", "20100603", "20100604", "20100605"};

struct Row {
    QByteArray content;
    QString bak;
    int count = 0;
};

// Reads the file through a connection of its own: it sees committed rows only.
class Inspector {
public:
    explicit Inspector(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Inspector() { sqlite3_close_v2(m_db); }
    std::optional<Row> row(const QString &key) const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, "select Content, ContentBak from tb_NewTavi where YearMonthStr = ?1 order by rowid",
                           -1, &st, nullptr);
        const QByteArray k = key.toUtf8();
        sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        Row r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (r.count++ == 0) {
                r.content = QByteArray(static_cast<const char *>(sqlite3_column_blob(st, 0)), sqlite3_column_bytes(st, 0));
                r.bak = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
            }
        }
        sqlite3_finalize(st);
        if (r.count == 0)
            return std::nullopt;
        return r;
    }
    int rowCount() const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, "select count(*) from tb_NewTavi", -1, &st, nullptr);
        sqlite3_step(st);
        const int n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return n;
    }
    void exec(const char *sql) const { ASSERT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }
    // A row with a note, as an earlier run left it.
    void put(const QString &key, const QByteArray &rtf, const QString &bak) const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, "insert into tb_NewTavi(YearMonthStr, Content, ContentBak) values(?1, ?2, ?3)", -1, &st,
                           nullptr);
        const QByteArray k = key.toUtf8(), b = bak.toUtf8();
        sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, rtf.constData(), int(rtf.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_finalize(st);
    }

private:
    sqlite3 *m_db = nullptr;
};

QByteArray noteRtf(const char *utf8) { return "{\\rtf1\\ansi\\ansicpg936 " + QByteArray(utf8) + "\\par}"; }

QString textOfRtf(const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::Load(rtf, doc);
    return doc.toPlainText();
}

// Six boxes in a shown window, the data module on a fresh copy of the empty database.
class WeekNotesTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        DMMessageSink = nullptr;
        dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->ConnectDatabase());
        watch();
        inspect = std::make_unique<Inspector>(home.dbPath());
        window = std::make_unique<QWidget>();
        auto *grid = new QGridLayout(window.get());
        for (int i = 0; i < 6; ++i) {
            boxes[i] = new TNoteBox(window.get());
            grid->addWidget(boxes[i], i / 3, i % 3);
        }
        outside = new TNoteBox(window.get()); // somewhere else to put the focus
        grid->addWidget(outside, 2, 0);
        week = std::make_unique<TWeekUnderTest>(boxes, *dm);
        week->UseTransaction = GetParam();
        WeekConList.assign(7, TWeekConList());
        window->resize(600, 400);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        week.reset();
        window.reset();
        dm.reset();
    }
    void watch()
    {
        dm->qryData.onStatement = [this](const QString &s) {
            statements << s;
            if (failWhen && failWhen(s))
                throw EDatabaseError(QStringLiteral("injected failure"));
        };
    }
    // Start-up as the window does it: load, then the show switches saving on.
    void start(TDateTime date)
    {
        week->LoadWeek(date);
        week->FormShown = true;
        statements.clear();
    }
    int writes() const
    {
        int n = 0;
        for (const QString &s : statements)
            n += !s.trimmed().startsWith(QLatin1String("select"));
        return n;
    }
    void focus(QWidget *w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }
    QString stored(int d) const
    {
        const auto r = inspect->row(kKeys[d]);
        return r ? textOfRtf(r->content) : QStringLiteral("<no row>");
    }

    TempProgramDir home;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<Inspector> inspect;
    std::unique_ptr<QWidget> window;
    std::array<TNoteBox *, 6> boxes{};
    TNoteBox *outside = nullptr;
    std::unique_ptr<TWeekUnderTest> week;
    QStringList statements;
    std::function<bool(const QString &)> failWhen;
};

TEST_P(WeekNotesTest, AWeekWithoutRowsWritesNothingUntilAChangeThenSixRows)
{
    start(kTuesday);
    for (TNoteBox *b : boxes)
        EXPECT_TRUE(b->document()->isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(writes(), 0);
    EXPECT_EQ(inspect->rowCount(), 0);
    typeText(boxes[2], u8("开会"));
    EXPECT_EQ(inspect->rowCount(), 6); // empty boxes included; Sunday has no row of its own
    for (int d = 0; d < 6; ++d) {
        const auto r = inspect->row(kKeys[d]);
        ASSERT_TRUE(r) << d;
        EXPECT_EQ(r->count, 1);
        EXPECT_TRUE(rtf::IsRtf(r->content));
        EXPECT_EQ(r->bak, d == 2 ? u8("开会") : QString());
        EXPECT_EQ(textOfRtf(r->content), d == 2 ? u8("开会") : QString());
    }
    EXPECT_FALSE(inspect->row("20100606"));
    EXPECT_EQ(week->statusText(), QString());
}

TEST_P(WeekNotesTest, AFocusLossAloneCreatesTheSixRows)
{
    start(kTuesday);
    focus(boxes[0]);
    focus(outside);
    EXPECT_EQ(inspect->rowCount(), 6);
    for (int d = 0; d < 6; ++d)
        EXPECT_EQ(stored(d), QString()) << d;
}

TEST_P(WeekNotesTest, SundayShowsAndSavesSaturdaysRow)
{
    inspect->put("20100605", noteRtf("weekend"), "weekend");
    inspect->put("20100606", noteRtf("stray Sunday row"), "stray Sunday row");
    start(kSunday);
    EXPECT_EQ(WeekConList[6].DayKey, "20100605");
    EXPECT_EQ(boxes[5]->toPlainText(), "weekend");
    focus(boxes[5]);
    boxes[5]->moveCursor(QTextCursor::End);
    typeText(boxes[5], "!");
    EXPECT_EQ(stored(5), "weekend!");
    EXPECT_EQ(textOfRtf(inspect->row("20100606")->content), "stray Sunday row");
}

TEST_P(WeekNotesTest, LoadingNeverWritesAlthoughTheBoxesReportChanges)
{
    for (int d = 0; d < 6; ++d)
        inspect->put(kKeys[d], noteRtf(kKeys[d]), kKeys[d]);
    start(kTuesday);
    QSignalSpy changes(boxes[0], &TNoteBox::changed);
    week->LoadWeek(kSunday); // the same week again
    week->LoadWeek(kNextWeek);
    week->chnRiliChange(kTuesday);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(writes(), 0);
    for (int d = 0; d < 6; ++d)
        EXPECT_EQ(boxes[d]->toPlainText(), kKeys[d]);
    EXPECT_EQ(inspect->rowCount(), 6);
}

TEST_P(WeekNotesTest, NothingIsSavedBeforeTheShowOrWhileLoading)
{
    week->LoadWeek(kTuesday);
    typeText(boxes[0], "x"); // FormShown is still false
    focus(boxes[0]);
    focus(outside);
    EXPECT_EQ(writes(), 0);
    week->FormShown = true;
    week->WeekLoaded = false;
    typeText(boxes[0], "y");
    EXPECT_EQ(writes(), 0);
    week->WeekLoaded = true;
    typeText(boxes[0], "z");
    EXPECT_GT(writes(), 0);
    EXPECT_EQ(stored(0), "xyz");
}

TEST_P(WeekNotesTest, EmptyingABoxKeepsItsRow)
{
    inspect->put(kKeys[1], noteRtf("gone soon"), "gone soon");
    start(kTuesday);
    focus(boxes[1]);
    boxes[1]->selectAll();
    boxes[1]->ClearSelection();
    const auto r = inspect->row(kKeys[1]);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->count, 1);
    EXPECT_TRUE(rtf::IsRtf(r->content));
    EXPECT_EQ(textOfRtf(r->content), QString());
    EXPECT_EQ(r->bak, QString());
}

TEST_P(WeekNotesTest, AFormattingChangeIsSavedAtTheLatestAtFocusLoss)
{
    start(kTuesday);
    focus(boxes[3]);
    typeText(boxes[3], u8("红字"));
    boxes[3]->selectAll();
    boxes[3]->SetSelectionColor(QColor(255, 0, 0));
    focus(outside);
    const auto r = inspect->row(kKeys[3]);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->content.contains("\\red255\\green0\\blue0;")) << r->content.constData();
    EXPECT_TRUE(r->content.contains("\\cf1"));
}

TEST_P(WeekNotesTest, FocusLossAndRepeatedSavesWriteTheSameDataAgain)
{
    start(kTuesday);
    focus(boxes[0]);
    typeText(boxes[0], "a");
    const QByteArray first = inspect->row(kKeys[0])->content;
    statements.clear();
    focus(outside); // a focus loss saves once more, unchanged
    week->SaveWeek();
    int updates = 0;
    for (const QString &s : statements)
        updates += s.startsWith(QLatin1String("update"));
    EXPECT_EQ(updates, 12);
    EXPECT_EQ(inspect->row(kKeys[0])->content, first);
    EXPECT_EQ(inspect->rowCount(), 6);
}

TEST_P(WeekNotesTest, ANoteSurvivesClosingAndReopeningTheDatabase)
{
    start(kTuesday);
    focus(boxes[4]);
    typeText(boxes[4], u8("今天是 2010年6月1日(二)"));
    boxes[4]->selectAll();
    QFont hei(u8("黑体"));
    hei.setPixelSize(24);
    hei.setBold(true);
    boxes[4]->SetSelectionFont(hei, QColor(255, 0, 0));
    boxes[4]->moveCursor(QTextCursor::End);
    boxes[4]->ReplaceSelection(u8("\n√×█ 😀"));
    focus(outside);
    const Look before = LookOf(*boxes[4]->document());

    week.reset();
    dm.reset();
    dm = std::make_unique<TDM>();
    ASSERT_TRUE(dm->ConnectDatabase());
    std::array<TNoteBox *, 6> fresh{};
    for (auto &b : fresh)
        b = new TNoteBox(window.get());
    TWeekBoxes again(fresh, *dm);
    again.LoadWeek(kSunday);
    EXPECT_EQ(LookOf(*fresh[4]->document()), before);
    EXPECT_EQ(fresh[4]->PlainText(), u8("今天是 2010年6月1日(二)\r\n√×█ 😀"));
}

TEST_P(WeekNotesTest, TheCalendarDrivesTheLoad)
{
    inspect->put("20100607", noteRtf("next Monday"), "");
    start(kTuesday);
    // Any object that reports a date will do until the calendar exists.
    struct DateSource : QObject {
        void pick(TDateTime d) { onPick(d); }
        std::function<void(TDateTime)> onPick;
    } calendar;
    calendar.onPick = [this](TDateTime d) { week->chnRiliChange(d); };
    QSignalSpy selected(week.get(), &TWeekUnderTest::daySelected);
    calendar.pick(kNextWeek + 0.5);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_DOUBLE_EQ(selected[0][0].toDouble(), kNextWeek + 0.5);
    EXPECT_EQ(WeekConList[0].DayKey, "20100607");
    EXPECT_EQ(boxes[0]->toPlainText(), "next Monday");
}

// --- failures ----------------------------------------------------------------------

TEST_P(WeekNotesTest, APartlyFailedLoadClearsAndProtectsTheUnreadDays)
{
    for (int d = 0; d < 6; ++d)
        inspect->put(kKeys[d], noteRtf(kKeys[d]), kKeys[d]);
    start(kNextWeek);
    for (TNoteBox *b : boxes) // last week's notes are on screen
        b->LoadFromBytes(noteRtf("last week"));
    QSignalSpy status(week.get(), &TWeekNotes::statusChanged);
    failWhen = [](const QString &s) { return s.contains(QLatin1String("'20100602'")); };
    week->LoadWeek(kTuesday);
    EXPECT_TRUE(week->WeekLoaded);
    EXPECT_TRUE(week->WeekReadFailed());
    EXPECT_EQ(status.count(), 1);
    EXPECT_TRUE(week->statusText().contains(u8(TWeekNotes::WeekReadFailedText)));
    for (int d = 0; d < 6; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(week->DayLoaded(d), d < 2);
        EXPECT_EQ(boxes[d]->isReadOnly(), d >= 2);
        EXPECT_EQ(boxes[d]->toPlainText(), d < 2 ? QString(kKeys[d]) : QString());
    }
    // Typing into an unread day does nothing; a change of a read day saves only the read days.
    typeText(boxes[4], "x");
    EXPECT_TRUE(boxes[4]->document()->isEmpty());
    focus(boxes[0]);
    boxes[0]->moveCursor(QTextCursor::End);
    typeText(boxes[0], "+");
    EXPECT_EQ(stored(0), "20100531+");
    for (int d = 2; d < 6; ++d)
        EXPECT_EQ(stored(d), kKeys[d]) << d;
    EXPECT_FALSE(week->SaveFailed());

    // The next load of the week that succeeds makes everything normal again.
    failWhen = nullptr;
    status.clear();
    week->LoadWeek(kSunday);
    EXPECT_FALSE(week->WeekReadFailed());
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(week->statusText(), QString());
    for (int d = 0; d < 6; ++d) {
        EXPECT_TRUE(week->DayLoaded(d));
        EXPECT_FALSE(boxes[d]->isReadOnly());
    }
    EXPECT_EQ(boxes[5]->toPlainText(), "20100605");
}

TEST_P(WeekNotesTest, AFailedDayIsReportedKeptAndRetriedOnTheNextChange)
{
    start(kTuesday);
    focus(boxes[1]);
    QSignalSpy status(week.get(), &TWeekNotes::statusChanged);
    failWhen = [](const QString &s) { return s.contains(QLatin1String("'20100602'")); };
    typeText(boxes[2], "c"); // the failing day itself
    typeText(boxes[1], "b");
    EXPECT_TRUE(week->SaveFailed());
    EXPECT_EQ(status.count(), 1);
    EXPECT_TRUE(week->statusText().contains(u8(TWeekNotes::SaveFailedText)));
    EXPECT_EQ(week->UnsavedKeys(), QStringList({"20100602"}));
    EXPECT_EQ(boxes[2]->toPlainText(), "c"); // the text stays in its box
    EXPECT_EQ(stored(1), "b");               // the other days are saved all the same
    EXPECT_EQ(stored(2), "");                // as the focus change left it
    EXPECT_EQ(stored(5), "");

    failWhen = nullptr;
    typeText(boxes[1], "b");
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_EQ(status.count(), 2);
    EXPECT_EQ(week->statusText(), QString());
    EXPECT_EQ(stored(2), "c");
    EXPECT_EQ(stored(1), "bb");
}

TEST_P(WeekNotesTest, AnEngineErrorOnOneDayLeavesNoHalfMadeRow)
{
    inspect->exec("create trigger refuse before update on tb_NewTavi when new.YearMonthStr = '20100603' "
                  "begin select raise(abort, 'refused'); end");
    start(kTuesday);
    focus(boxes[3]);
    typeText(boxes[3], "d");
    EXPECT_TRUE(week->SaveFailed());
    EXPECT_EQ(week->UnsavedKeys(), QStringList({"20100603"}));
    // With savepoints the insertion before the refused update is undone as well.
    EXPECT_EQ(stored(3), GetParam() ? "<no row>" : "");
    EXPECT_EQ(inspect->rowCount(), GetParam() ? 5 : 6);
    inspect->exec("drop trigger refuse");
    typeText(boxes[3], "d");
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_EQ(stored(3), "dd");
    EXPECT_EQ(inspect->rowCount(), 6);
}

TEST_P(WeekNotesTest, AFailedSaveSurvivesSwitchingWeeks)
{
    inspect->put(kKeys[0], noteRtf("old"), "old");
    start(kTuesday);
    focus(boxes[0]);
    failWhen = [](const QString &s) { return s.contains(QLatin1String("'20100531'")); };
    boxes[0]->moveCursor(QTextCursor::End);
    typeText(boxes[0], " new");
    EXPECT_TRUE(week->SaveFailed());
    focus(outside); // retried at the focus loss, fails again
    week->LoadWeek(kNextWeek);
    EXPECT_TRUE(week->SaveFailed()); // the note is still held
    // Coming back shows the newer, unsaved note rather than the old row.
    week->LoadWeek(kTuesday);
    EXPECT_EQ(boxes[0]->toPlainText(), "old new");
    EXPECT_TRUE(week->DayLoaded(0));
    // From another week, the held note is written with that week's next save.
    week->LoadWeek(kNextWeek);
    failWhen = nullptr;
    focus(boxes[1]);
    typeText(boxes[1], "x");
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_EQ(stored(0), "old new");
    EXPECT_EQ(textOfRtf(inspect->row("20100608")->content), "x");
}

TEST_P(WeekNotesTest, AFailedCommitKeepsEveryDayAndLeavesNoTransactionOpen)
{
    if (!GetParam())
        GTEST_SKIP() << "no commit without a transaction";
    start(kTuesday);
    focus(boxes[0]);
    failWhen = [](const QString &s) { return s == QLatin1String("commit"); };
    typeText(boxes[0], "a");
    EXPECT_TRUE(week->SaveFailed());
    EXPECT_EQ(week->UnsavedKeys().size(), 6);
    EXPECT_EQ(inspect->rowCount(), 0); // nothing half-committed
    EXPECT_TRUE(sqlite3_get_autocommit(dm->AdoCon->handle()));
    failWhen = nullptr;
    typeText(boxes[0], "b");
    EXPECT_FALSE(week->SaveFailed());
    EXPECT_EQ(stored(0), "ab");
    EXPECT_EQ(inspect->rowCount(), 6);
}

TEST_P(WeekNotesTest, OneTransactionPerSaveWhenAsked)
{
    start(kTuesday);
    focus(boxes[0]);
    typeText(boxes[0], "a");
    const int begins = int(statements.count(QStringLiteral("begin")));
    EXPECT_EQ(begins, GetParam() ? 1 : 0);
    EXPECT_EQ(int(statements.count(QStringLiteral("commit"))), begins);
    EXPECT_EQ(statements.filter(QLatin1String("savepoint")).size(), GetParam() ? 6 : 0);
    // The statement texts of the table reach the engine exactly as ever.
    EXPECT_TRUE(statements.contains(" select * from tb_NewTavi  where YearMonthStr = '20100531'"));
    EXPECT_TRUE(statements.contains("insert into  tb_NewTavi(YearMonthStr) Values('20100605')"));
}

// A note far too long to lay out (20 MB, as a paste can make one) shows its beginning,
// read-only, with a word in the status; typing elsewhere in its week never writes that
// beginning over the whole, which stays in the table byte for byte.
TEST_P(WeekNotesTest, ANoteTooLongToShowShowsItsBeginningAndIsKeptWhole)
{
    const QByteArray line = "\\'d6\\'dc\\'b6\\'fe meeting 0123456789 abcdefghijklmnopqrstuvwxyz\\par\r\n";
    QByteArray huge = "{\\rtf1\\ansi\\ansicpg936 ";
    huge.reserve(20 << 20);
    while (huge.size() < (20 << 20))
        huge += line;
    huge += "}";
    inspect->put(kKeys[1], huge, "whatever");
    inspect->put(kKeys[4], noteRtf("short"), "short");
    start(kTuesday);
    EXPECT_LE(boxes[1]->document()->characterCount(), TNoteDocument::MaxShownChars + 1);
    EXPECT_TRUE(boxes[1]->toPlainText().startsWith(u8("周二 meeting")));
    EXPECT_TRUE(boxes[1]->isReadOnly());
    EXPECT_FALSE(boxes[4]->isReadOnly());
    EXPECT_TRUE(week->statusText().contains(u8("周二的笔记过长"))) << week->statusText().toStdString();

    focus(boxes[4]);
    boxes[4]->moveCursor(QTextCursor::End);
    typeText(boxes[4], "!");
    focus(outside);
    EXPECT_EQ(stored(4), "short!");
    const auto r = inspect->row(kKeys[1]);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->content == huge) << "the long note was rewritten: " << r->content.size() << " bytes";

    // Another week is an ordinary one again.
    week->LoadWeek(kNextWeek);
    EXPECT_FALSE(boxes[1]->isReadOnly());
    EXPECT_EQ(week->statusText(), QString());
}

// Pictures this program cannot show stay in the notes, byte for byte, when the user types
// anywhere in their week, their own box included; every box is painted first.
TEST_P(WeekNotesTest, PicturesThatCannotBeShownSurviveTypingInTheirWeek)
{
    const QByteArray groups[] = {
        "{\\pict\\wmetafile8\\picw10\\pich10\\picwgoal150\\pichgoal150 0102030405}",
        "{\\pict\\pngblip\\picwgoal300\\pichgoal300 89504e470d0a1a0a0000000d4948445200}",
        "{\\pict\\pngblip 89504e470d0a1a0a7}",
        "{\\pict{\\*\\blipuid 00ff}\\emfblip 01000000}",
    };
    QByteArray note = "{\\rtf1\\ansi\\ansicpg936 before";
    for (const QByteArray &g : groups)
        note += g;
    note += "after\\par}";
    inspect->put(kKeys[1], note, "beforeafter");
    inspect->put(kKeys[3], note, "beforeafter");
    start(kTuesday);
    window->repaint();
    QApplication::processEvents();
    EXPECT_EQ(boxes[1]->toPlainText(), QString("before") + QString(4, QChar::ObjectReplacementCharacter) + "after");
    focus(boxes[2]);
    typeText(boxes[2], "x");
    focus(boxes[3]);
    boxes[3]->moveCursor(QTextCursor::End);
    typeText(boxes[3], "y");
    focus(outside);
    for (int d : {1, 3}) {
        const auto r = inspect->row(kKeys[d]);
        ASSERT_TRUE(r);
        for (const QByteArray &g : groups)
            EXPECT_TRUE(r->content.contains(g)) << d << ": " << g.toStdString();
    }
    EXPECT_TRUE(stored(3).endsWith("y"));
}

INSTANTIATE_TEST_SUITE_P(Saves, WeekNotesTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "OneTransaction" : "EachUpdateCommits"; });

} // namespace
