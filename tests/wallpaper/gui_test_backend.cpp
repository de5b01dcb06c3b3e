// The desktop wallpaper layer: which desktop, which commands, and the order of the values.
#include "Wallpaper.h"

#include <gtest/gtest.h>
#include <QSet>

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
