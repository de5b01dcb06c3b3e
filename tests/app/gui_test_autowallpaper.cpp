// "自动更新壁纸": when the wallpaper follows the week by itself, and the option in the menu.
#include "../store/store_fixture.h"
#include "RecordingWallpaper.h"

#include "AutoWallpaper.h"
#include "AutoWallpaperFile.h"
#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A window that says which week it shows and whether the user writes in it.
struct FakeWindow {
    qint64 today = 100;        // this week's Monday
    qint64 shown = 100;        // the shown week's Monday
    bool editing = false;
    ApplyResult answer = ApplyResult::Applied;
    int refreshes = 0;
    QList<ApplyResult> told;

    TAutoWallpaper::Host host()
    {
        TAutoWallpaper::Host h;
        h.refresh = [this] {
            ++refreshes;
            return answer;
        };
        h.showsCurrentWeek = [this] { return shown == today; };
        h.editing = [this] { return editing; };
        h.showCurrentWeek = [this] { shown = today; };
        h.tell = [this](ApplyResult r) { told << r; };
        h.mondayOfToday = [this] { return today; };
        return h;
    }
};

constexpr int Interval = 400; // the shortest time between refreshes, shortened for the test
constexpr int Pause = 150;    // the pause after the last key

TEST(AutoWallpaper, OffByDefaultAndSwitchingOnRefreshesAtOnce)
{
    FakeWindow w;
    TAutoWallpaper a(w.host());
    a.setTimes(Interval, Pause);
    a.noteEdited();
    a.checkWeek();
    QTest::qWait(Pause * 2);
    EXPECT_EQ(w.refreshes, 0);
    a.setOn(true);
    EXPECT_EQ(w.refreshes, 1);
}

TEST(AutoWallpaper, ABurstOfTypingRefreshesOnceAfterItsPauseAndAtMostOncePerInterval)
{
    FakeWindow w;
    TAutoWallpaper a(w.host());
    a.setTimes(Interval, Pause);
    a.setOn(true);
    ASSERT_EQ(w.refreshes, 1);
    // Keys every 50 ms for longer than the interval: nothing while typing.
    for (int i = 0; i < 12; ++i) {
        a.noteEdited();
        QTest::qWait(50);
    }
    EXPECT_EQ(w.refreshes, 1) << "refreshed while typing";
    QTest::qWait(Pause + 100);
    EXPECT_EQ(w.refreshes, 2);
    // One more edit right after: it waits for the interval since the last refresh.
    a.noteEdited();
    QTest::qWait(Pause + 60);
    EXPECT_EQ(w.refreshes, 2) << "twice within the interval";
    QTest::qWait(Interval);
    EXPECT_EQ(w.refreshes, 3);
}

TEST(AutoWallpaper, EditsOfAnotherWeekAreNotOnTheDesktop)
{
    FakeWindow w;
    TAutoWallpaper a(w.host());
    a.setTimes(0, 0);
    a.setOn(true);
    w.shown = 93;
    a.noteEdited();
    QTest::qWait(50);
    EXPECT_EQ(w.refreshes, 1);
}

TEST(AutoWallpaper, WhenTheWeekTurnsTheWindowFollowsTodayUnlessTheUserWritesInIt)
{
    struct Case {
        bool editing;
        int refreshesBeforeTheEditEnds;
    };
    for (const Case c : {Case{false, 2}, Case{true, 1}}) {
        SCOPED_TRACE(c.editing ? "writing" : "idle");
        FakeWindow w;
        TAutoWallpaper a(w.host());
        a.setTimes(0, 0);
        a.setOn(true);
        w.today = 107;
        w.editing = c.editing;
        a.checkWeek();
        EXPECT_EQ(w.refreshes, c.refreshesBeforeTheEditEnds);
        EXPECT_EQ(w.shown, c.editing ? 100 : 107);
        // The user leaves the box and picks another day: the refresh waiting for the new week runs.
        w.editing = false;
        a.weekShown();
        EXPECT_EQ(w.refreshes, 2);
        EXPECT_EQ(w.shown, 107);
    }
}

TEST(AutoWallpaper, ADesktopThatCannotBeSetIsToldOnceARun)
{
    FakeWindow w;
    w.answer = ApplyResult::NotSet;
    TAutoWallpaper a(w.host());
    a.setTimes(0, 0);
    a.setOn(true);
    a.noteEdited();
    QTest::qWait(50);
    EXPECT_EQ(w.refreshes, 2);
    EXPECT_EQ(w.told, QList<ApplyResult>{ApplyResult::NotSet});
}

// The option in the real window: off by default, stored in a file of its own, and its
// refreshes keep the background while the button moves on through the list.
class AutoWallpaperWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(tdt::EncodeDateTime(2010, 6, 1, 9, 5, 0));
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        QDir().mkpath(PictureDir());
        for (const char *name : {"A1.bmp", "B.bmp"}) {
            QImage bg(640, 400, QImage::Format_RGB888);
            bg.fill(name[0] == 'A' ? Qt::darkCyan : Qt::darkRed);
            ASSERT_TRUE(bg.save(PictureDir() + name, "BMP"));
        }
        QFile list(DataDir() + "BGPicList.ini");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("A1.bmp\r\nA1.bmp\r\nB.bmp\r\n");
        list.close();
        QFile ask(DataDir() + "configSetBg.ini");
        ASSERT_TRUE(ask.open(QIODevice::WriteOnly));
        ask.write("0\r\n");
        ask.close();
        platform::SetWallpaperBackend(desktop);
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetWallpaperBackend(nullptr);
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    QStringList backgrounds() const
    {
        QStringList out;
        for (const auto &[name, value] : desktop->values)
            if (name == "Wallpaper")
                out << value;
        return out;
    }

    TempProgramDir home;
    TDM dm;
    std::shared_ptr<RecordingWallpaper> desktop = std::make_shared<RecordingWallpaper>();
    std::unique_ptr<TMainFrm> frm;
};

} // namespace

TEST_F(AutoWallpaperWindow, TheOptionIsStoredAndItsRefreshesKeepTheBackground)
{
    frm = std::make_unique<TMainFrm>();
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    ASSERT_NE(frm->N_AutoWallpaper, nullptr);
    EXPECT_EQ(frm->N_AutoWallpaper->text(), "自动更新壁纸");
    EXPECT_FALSE(frm->N_AutoWallpaper->isChecked()) << "off by default";
    EXPECT_FALSE(QFile::exists(autowallpaperfile::Path()));

    frm->N_AutoWallpaper->trigger();
    QFile f(autowallpaperfile::Path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1\r\n"));
    f.close();
    ASSERT_EQ(frm->autoWallpaper->refreshCount(), 1) << "switching on refreshes at once";
    const QString mix = PictureDir() + "Mix.bmp";
    const QRgb first = QImage(mix).pixel(2, 2);

    // The button moves on through the list; a refresh after it keeps its background.
    frm->imgAppToDeskClick();
    const QRgb clicked = QImage(mix).pixel(2, 2);
    EXPECT_NE(clicked, first) << "the button takes the next background";
    frm->autoWallpaper->setTimes(0, 0);
    frm->redt[0]->setFocus();
    QApplication::processEvents();
    frm->redt[0]->insertPlainText("新的记事");
    QTest::qWait(50);
    EXPECT_EQ(frm->autoWallpaper->refreshCount(), 2);
    EXPECT_EQ(QImage(mix).pixel(2, 2), clicked) << "a refresh changed the background";
    EXPECT_EQ(backgrounds().size(), 3);

    // A new start reads the option back; switching off stores "0".
    frm.reset();
    frm = std::make_unique<TMainFrm>();
    EXPECT_TRUE(frm->N_AutoWallpaper->isChecked());
    frm->N_AutoWallpaper->trigger();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("0\r\n"));
}
