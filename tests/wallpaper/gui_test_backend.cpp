// The desktop wallpaper layer: which desktop, which commands, and the order of the values.
#include "RecordingWallpaper.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

using platform::DesktopKind;

struct DesktopCase {
    const char *currentDesktop;
    bool x11;
    QStringList tools;
    DesktopKind expected;
};
class ChooseDesktopCases : public ::testing::TestWithParam<DesktopCase> {};

TEST_P(ChooseDesktopCases, FromTheRunningDesktopAndItsTools)
{
    const DesktopCase &c = GetParam();
    const QSet<QString> tools(c.tools.begin(), c.tools.end());
    EXPECT_EQ(platform::ChooseDesktop(QString::fromLatin1(c.currentDesktop), c.x11,
                                      [&](const QString &t) { return tools.contains(t); }),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseDesktopCases,
    ::testing::Values(DesktopCase{"GNOME", false, {"gsettings"}, DesktopKind::Gnome},
                      DesktopCase{"ubuntu:GNOME", true, {"gsettings", "feh"}, DesktopKind::Gnome},
                      DesktopCase{"Budgie:GNOME", false, {"gsettings"}, DesktopKind::Gnome},
                      DesktopCase{"Unity", false, {"gsettings"}, DesktopKind::Gnome},
                      DesktopCase{"X-Cinnamon", false, {"gsettings"}, DesktopKind::Cinnamon},
                      DesktopCase{"MATE", false, {"gsettings"}, DesktopKind::Mate},
                      DesktopCase{"KDE", false, {"dbus-send"}, DesktopKind::Kde},
                      DesktopCase{"KDE", false, {"plasma-apply-wallpaperimage"}, DesktopKind::Kde},
                      // Plasma's desktop window covers the root window feh would draw on.
                      DesktopCase{"KDE", true, {"feh"}, DesktopKind::Kde},
                      DesktopCase{"XFCE", false, {"xfconf-query"}, DesktopKind::Xfce},
                      DesktopCase{"", true, {"xwallpaper", "feh"}, DesktopKind::Xwallpaper},
                      DesktopCase{"", true, {"feh"}, DesktopKind::Feh},
                      DesktopCase{"", false, {"xwallpaper", "feh"}, DesktopKind::None},
                      DesktopCase{"GNOME", false, {}, DesktopKind::None},
                      DesktopCase{"", true, {}, DesktopKind::None}));

struct SessionCase {
    const char *currentDesktop;
    const char *sessionType; // XDG_SESSION_TYPE
    bool waylandDisplay;
    bool x11Display; // XWayland names one too
    QStringList tools;
    DesktopKind expected;
};
class SessionDesktopCases : public ::testing::TestWithParam<SessionCase> {};

TEST_P(SessionDesktopCases, NothingFallsThroughToARootWindowNobodySees)
{
    const SessionCase &c = GetParam();
    const QSet<QString> tools(c.tools.begin(), c.tools.end());
    const platform::SessionType session =
        platform::SessionFrom(QString::fromLatin1(c.sessionType), c.waylandDisplay, c.x11Display);
    EXPECT_EQ(platform::ChooseDesktop(QString::fromLatin1(c.currentDesktop), session,
                                      [&](const QString &t) { return tools.contains(t); }),
              c.expected);
}

const QStringList x11Tools = {"xwallpaper", "feh"};
INSTANTIATE_TEST_SUITE_P(
    Cases, SessionDesktopCases,
    ::testing::Values(SessionCase{"LXQt", "x11", false, true, {"pcmanfm-qt", "xwallpaper"}, DesktopKind::Lxqt},
                      SessionCase{"LXQt", "x11", false, true, x11Tools, DesktopKind::None},
                      SessionCase{"XFCE", "x11", false, true, x11Tools, DesktopKind::None},
                      SessionCase{"Deepin", "x11", false, true, x11Tools, DesktopKind::Deepin},
                      SessionCase{"DDE", "wayland", true, false, {}, DesktopKind::Deepin},
                      SessionCase{"UKUI", "x11", false, true, {"gsettings"}, DesktopKind::Mate},
                      SessionCase{"Pantheon", "x11", false, true, {"gsettings"}, DesktopKind::Gnome},
                      SessionCase{"Budgie:GNOME", "wayland", true, true, {"gsettings"}, DesktopKind::Gnome},
                      SessionCase{"KDE", "wayland", true, true, x11Tools, DesktopKind::Kde},
                      SessionCase{"sway", "wayland", true, true, {"swaymsg", "swaybg"}, DesktopKind::Sway},
                      SessionCase{"sway", "wayland", true, true, x11Tools, DesktopKind::None},
                      SessionCase{"Hyprland", "wayland", true, false, {"swaybg"}, DesktopKind::Wlroots},
                      SessionCase{"", "wayland", false, true, x11Tools, DesktopKind::None},
                      SessionCase{"", "", true, true, {"swaybg", "feh"}, DesktopKind::Wlroots},
                      SessionCase{"", "tty", false, true, x11Tools, DesktopKind::Xwallpaper},
                      SessionCase{"i3", "x11", false, true, {"feh"}, DesktopKind::Feh},
                      SessionCase{"", "", false, false, x11Tools, DesktopKind::None}));

TEST(WallpaperCommands, GnomeBefore42HasNoDarkPictureAndThatIsNoFailure)
{
    const QStringList before42 = {"color-shading-type", "picture-options", "picture-uri", "primary-color"};
    const QList<QStringList> c = platform::WallpaperCommands(DesktopKind::Gnome, "/p/Mix.bmp", before42);
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c[1].at(3), "picture-uri");
    EXPECT_EQ(platform::WallpaperCommands(DesktopKind::Gnome, "/p/Mix.bmp", before42 + QStringList{"picture-uri-dark"})
                  .size(),
              3);
}

TEST(WallpaperCommands, LxqtAndSwayStretchThePicture)
{
    EXPECT_EQ(platform::WallpaperCommands(DesktopKind::Lxqt, "/p/Mix.bmp"),
              (QList<QStringList>{{"pcmanfm-qt", "--set-wallpaper", "/p/Mix.bmp", "--wallpaper-mode", "stretch"}}));
    EXPECT_EQ(platform::WallpaperCommands(DesktopKind::Sway, "/p/Mix.bmp"),
              (QList<QStringList>{{"swaymsg", "output", "*", "bg", "/p/Mix.bmp", "stretch"}}));
    for (DesktopKind d : {DesktopKind::Deepin, DesktopKind::Wlroots})
        EXPECT_TRUE(platform::WallpaperCommands(d, "/p/Mix.bmp").isEmpty());
}

TEST(FreshWallpaperCopy, EachCopyIsNewAndTheEarlierOnesGo)
{
    QTemporaryDir dir;
    const QString mix = dir.filePath("Mix.bmp");
    for (const char *name : {"Mix.bmp", "Mix-1.bmp", "Mix-old.bmp", "Mix-1700000000000.jpg"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    const QString a = platform::FreshWallpaperCopy(mix);
    const QString b = platform::FreshWallpaperCopy(mix);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_FALSE(QFile::exists(a));
    QFile copy(b);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("Mix.bmp"));
    // Only the copies go: the user's files of similar names stay.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);
    EXPECT_TRUE(platform::FreshWallpaperCopy(dir.filePath("missing.bmp")).isEmpty());
}

TEST(WallpaperCommands, GnomeGetsTheFileUriInBothSchemesAndStretched)
{
    const QList<QStringList> c = platform::WallpaperCommands(DesktopKind::Gnome, "/home/a b/Mix.bmp");
    const QString s = "org.gnome.desktop.background";
    const QList<QStringList> expected = {
        {"gsettings", "set", s, "picture-options", "stretched"},
        {"gsettings", "set", s, "picture-uri", "file:///home/a%20b/Mix.bmp"},
        {"gsettings", "set", s, "picture-uri-dark", "file:///home/a%20b/Mix.bmp"},
    };
    EXPECT_EQ(c, expected);
}

TEST(WallpaperCommands, MateTakesThePlainPath)
{
    const QList<QStringList> c = platform::WallpaperCommands(DesktopKind::Mate, "/p/Mix.bmp");
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c[1], (QStringList{"gsettings", "set", "org.mate.background", "picture-filename", "/p/Mix.bmp"}));
}

TEST(WallpaperCommands, XfceSetsEveryMonitorItHas)
{
    const QStringList props = {"/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
                               "/backdrop/screen0/monitorHDMI-1/workspace0/image-style",
                               "/backdrop/screen0/monitor0/workspace0/last-image", "/desktop-icons/style"};
    const QList<QStringList> c = platform::WallpaperCommands(DesktopKind::Xfce, "/p/Mix.bmp", props);
    ASSERT_EQ(c.size(), 4);
    EXPECT_EQ(c[0], (QStringList{"xfconf-query", "-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitorHDMI-1/workspace0/image-style", "-n", "-t", "int", "-s",
                                 "3"}));
    EXPECT_EQ(c[1], (QStringList{"xfconf-query", "-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "-s", "/p/Mix.bmp"}));
    EXPECT_EQ(c[3].at(4), "/backdrop/screen0/monitor0/workspace0/last-image");

    const QList<QStringList> fresh = platform::WallpaperCommands(DesktopKind::Xfce, "/p/Mix.bmp", {});
    ASSERT_EQ(fresh.size(), 2);
    EXPECT_TRUE(fresh[1].contains("-n"));
    EXPECT_EQ(fresh[1].last(), "/p/Mix.bmp");
}

TEST(WallpaperCommands, KdeWritesTheImageStretched)
{
    const QString script = platform::PlasmaScript("/p/Mix.bmp");
    EXPECT_TRUE(script.contains("writeConfig(\"Image\", \"file:///p/Mix.bmp\")"));
    EXPECT_TRUE(script.contains("writeConfig(\"FillMode\", 0)"));
    EXPECT_TRUE(platform::WallpaperCommands(DesktopKind::Kde, "/p/Mix.bmp").isEmpty()) << "D-Bus, no tool";
}

TEST(WallpaperCommands, PlainX11Tools)
{
    EXPECT_EQ(platform::WallpaperCommands(DesktopKind::Xwallpaper, "/p/Mix.Jpg"),
              (QList<QStringList>{{"xwallpaper", "--stretch", "/p/Mix.Jpg"}}));
    EXPECT_EQ(platform::WallpaperCommands(DesktopKind::Feh, "/p/Mix.bmp").first().mid(2),
              (QStringList{"--bg-scale", "/p/Mix.bmp"}));
    EXPECT_TRUE(platform::WallpaperCommands(DesktopKind::None, "/p/Mix.bmp").isEmpty());
}

class SetWallpaperTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetWallpaperBackend(desktop); }
    void TearDown() override { platform::SetWallpaperBackend(nullptr); }
    std::shared_ptr<RecordingWallpaper> desktop = std::make_shared<RecordingWallpaper>();
};

TEST_F(SetWallpaperTest, WritesThePathThenTheStretchedStyleThenReloads)
{
    EXPECT_TRUE(platform::SetWallpaper("/prog/source/DeskTopBG/Mix.bmp"));
    EXPECT_EQ(desktop->events, (QStringList{"open", "Wallpaper=/prog/source/DeskTopBG/Mix.bmp", "WallpaperStyle=2",
                                            "close", "reload"}));
}

TEST_F(SetWallpaperTest, AFailingWriteLeavesTheReloadOut)
{
    desktop->failWrite = true;
    EXPECT_FALSE(platform::SetWallpaper("/p/Mix.bmp"));
    EXPECT_EQ(desktop->events, (QStringList{"open", "close"}));
}

TEST_F(SetWallpaperTest, AMissingKeyWritesNothing)
{
    desktop->failOpen = true;
    EXPECT_FALSE(platform::SetWallpaper("/p/Mix.bmp"));
    EXPECT_EQ(desktop->events, QStringList{"open"});
}

TEST_F(SetWallpaperTest, ARefusedReloadIsAFailure)
{
    desktop->failReload = true;
    EXPECT_FALSE(platform::SetWallpaper("/p/Mix.bmp"));
    EXPECT_EQ(desktop->events.last(), "reload");
}

TEST(SetWallpaper, AnOffscreenProgramHasNoDesktopToChange)
{
    platform::SetWallpaperBackend(nullptr);
    EXPECT_EQ(platform::RunningDesktop(), DesktopKind::None);
    EXPECT_EQ(platform::CurrentWallpaperBackend(), nullptr);
    EXPECT_FALSE(platform::SetWallpaper("/p/Mix.bmp"));
}
