// Quitting with a failed save pending, by every road: one more save, and when that fails
// too a question in Chinese that lets the user stay or export instead of losing the notes.
#include "../store/sqlite_fault_layer.h"
#include "../store/store_fixture.h"

#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "QuitGuard.h"
#include "WeekNotes.h"
#include "uDM.h"
#include "uMain.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tdt;

namespace {

enum class Road { CloseButton, ExitMenu, WindowClose, SessionEnd };

struct QuitCase {
    const char *name;
    Road road;
    bool diskBack; // the disk takes writes again before the quit
    int answer;    // queued answer to the question; -1: none (the box is closed)
    bool quits;
    bool asked;
    bool exported;
};

const QuitCase kCases[] = {
    {"CloseButtonSavesOnceMore", Road::CloseButton, true, -1, true, false, false},
    {"ExitMenuSavesOnceMore", Road::ExitMenu, true, -1, true, false, false},
    {"WindowCloseSavesOnceMore", Road::WindowClose, true, -1, true, false, false},
    {"SessionEndSavesOnceMore", Road::SessionEnd, true, -1, true, false, false},
    {"CloseButtonStays", Road::CloseButton, false, TQuitGuard::Stay, false, true, false},
    {"ExitMenuStaysWhenTheBoxIsClosed", Road::ExitMenu, false, -1, false, true, false},
    {"WindowCloseExportsAndStays", Road::WindowClose, false, TQuitGuard::ExportWeek, false, true, true},
    {"SessionEndStays", Road::SessionEnd, false, TQuitGuard::Stay, false, true, false},
    {"ExitMenuQuitsAnyway", Road::ExitMenu, false, TQuitGuard::QuitAnyway, true, true, false},
    {"WindowCloseQuitsAnyway", Road::WindowClose, false, TQuitGuard::QuitAnyway, true, true, false},
};

class QuitTest : public ::testing::TestWithParam<QuitCase> {
protected:
    void SetUp() override
    {
        installFaultLayer();
        g_faults.clear();
        platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0));
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        frm = std::make_unique<TMainFrm>();
        frm->terminate = [this] { ++terminations; };
        frm->show();
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
        // A note the disk refuses.
        frm->redt[1]->setFocus();
        g_faults.writeError = SQLITE_FULL;
        QTest::sendKeyEvent(QTest::Click, frm->redt[1], Qt::Key_unknown, QStringLiteral("x"), Qt::NoModifier);
        frm->weekNotes().WaitForWriter();
        ASSERT_TRUE(frm->weekNotes().SaveFailed());
    }
    void TearDown() override
    {
        g_faults.clear();
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    // What the file holds for Tuesday, read past the fault layer.
    QString stored() const
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(home.dbPath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, g_real->zName);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "select ContentBak from tb_NewTavi where YearMonthStr = '20100601'", -1, &st, nullptr);
        QString r;
        if (sqlite3_step(st) == SQLITE_ROW)
            r = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        return r;
    }

    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
    int terminations = 0;
};

TEST_P(QuitTest, AFailedSaveIsTriedOnceMoreAndNeverLostSilently)
{
    const QuitCase &c = GetParam();
    if (c.diskBack)
        g_faults.clear();
    if (c.answer >= 0)
        dialogs::QueueAnswer(c.answer);
    dialogs::TakeShown();

    bool quit = false;
    switch (c.road) {
    case Road::CloseButton:
        frm->img_close_highlightClick();
        quit = terminations == 1;
        break;
    case Road::ExitMenu:
        frm->N_ExitPrjClick();
        quit = terminations == 1;
        break;
    case Road::WindowClose: // what the window manager's close (Alt+F4) sends
        quit = frm->close();
        break;
    case Road::SessionEnd:
        quit = frm->findChild<TQuitGuard *>()->MaySessionEnd(true);
        break;
    }
    EXPECT_EQ(quit, c.quits);
    EXPECT_EQ(frm->isVisible(), !(c.quits && c.road == Road::WindowClose));

    const QList<dialogs::Shown> shown = dialogs::TakeShown();
    bool asked = false, exported = false;
    for (const dialogs::Shown &s : shown) {
        if (s.kind == QLatin1String("ask")) {
            asked = true;
            EXPECT_EQ(s.text, QString::fromUtf8(TQuitGuard::SaveFailedText));
            EXPECT_EQ(s.detail.toStringList(), TQuitGuard::Buttons());
        }
        exported = exported || s.kind == QLatin1String("save");
    }
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(exported, c.exported);
    EXPECT_EQ(frm->redt[1]->PlainText(), QStringLiteral("x"));
    frm->weekNotes().WaitForWriter(); // a retry the closing window's focus loss started
    g_faults.clear();
    EXPECT_EQ(stored(), c.diskBack ? QStringLiteral("x") : QString());
    EXPECT_EQ(frm->weekNotes().SaveFailed(), !c.diskBack);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, QuitTest, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Without the possibility to ask (a session ending in a hurry) only the last save is tried.
TEST_F(QuitTest, ASessionEndingWithoutQuestionsEnds)
{
    dialogs::TakeShown();
    EXPECT_TRUE(frm->findChild<TQuitGuard *>()->MaySessionEnd(false));
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

// The real message box: Chinese text and buttons, Stay as the default and Escape.
TEST_F(QuitTest, TheRealQuestionIsChineseAndEscapeStays)
{
    dialogs::SetScripted(false);
    QString text;
    QStringList captions;
    QPushButton *defaultButton = nullptr;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        for (QAbstractButton *b : box->buttons())
            captions << b->text();
        defaultButton = box->defaultButton();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    frm->N_ExitPrjClick();
    EXPECT_EQ(terminations, 0);
    EXPECT_EQ(text, QString::fromUtf8(TQuitGuard::SaveFailedText));
    for (const QString &b : TQuitGuard::Buttons())
        EXPECT_TRUE(captions.contains(b)) << b.toStdString();
    ASSERT_NE(defaultButton, nullptr);
    EXPECT_EQ(defaultButton->text(), TQuitGuard::Buttons().first());
}

} // namespace
