// The desktop wallpaper layer: which desktop, which commands, and the order of the values.
#include "RecordingWallpaper.h"
#include "RootWindowWay.h"
#include "SettingsToolWay.h"
#include "SwaymsgWay.h"
#include "WallpaperWay.h"
#include "PlasmaScriptWay.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

using platform::SessionType;

struct SessionCase {
    const char *currentDesktop;
    const char *sessionType; // XDG_SESSION_TYPE
    bool waylandDisplay;
    bool x11Display; // XWayland names one too
    QStringList tools;
    const char *expected; // the row of the desktop table; "" for none
    QStringList variables = {}; // the desktops' own variables that are set
};
class ChooseDesktopCases : public ::testing::TestWithParam<SessionCase> {};

TEST_P(ChooseDesktopCases, NothingFallsThroughToARootWindowNobodySees)
{
    const SessionCase &c = GetParam();
    const QSet<QString> tools(c.tools.begin(), c.tools.end());
    const SessionType session =
        platform::SessionFrom(QString::fromLatin1(c.sessionType), c.waylandDisplay, c.x11Display);
    EXPECT_EQ(platform::ChooseDesktop(QString::fromLatin1(c.currentDesktop), session,
                                      [&](const QString &t) { return tools.contains(t); }, c.variables),
              QString::fromLatin1(c.expected));
}

const QStringList x11Tools = {"xwallpaper", "feh"};
const QStringList swayTools = {"swaymsg", "swaybg"};
INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseDesktopCases,
    ::testing::Values(SessionCase{"GNOME", "", false, false, {"gsettings"}, "gnome"},
                      SessionCase{"ubuntu:GNOME", "x11", false, true, {"gsettings", "feh"}, "gnome"},
                      SessionCase{"Budgie:GNOME", "", false, false, {"gsettings"}, "gnome"},
                      SessionCase{"Unity", "", false, false, {"gsettings"}, "gnome"},
                      SessionCase{"X-Cinnamon", "", false, false, {"gsettings"}, "cinnamon"},
                      SessionCase{"MATE", "", false, false, {"gsettings"}, "mate"},
                      SessionCase{"KDE", "", false, false, {"plasma-apply-wallpaperimage"}, "kde"},
                      // Plasma's desktop window covers the root window feh would draw on.
                      SessionCase{"KDE", "x11", false, true, {"feh"}, "kde"},
                      SessionCase{"XFCE", "", false, false, {"xfconf-query"}, "xfce"},
                      SessionCase{"", "x11", false, true, {"xwallpaper", "feh"}, "xwallpaper"},
                      SessionCase{"", "x11", false, true, {"feh"}, "feh"},
                      SessionCase{"", "", false, false, {"xwallpaper", "feh"}, ""},
                      SessionCase{"GNOME", "", false, false, {}, ""},
                      SessionCase{"", "x11", false, true, {}, ""},
                      SessionCase{"LXQt", "x11", false, true, {"pcmanfm-qt", "xwallpaper"}, "lxqt"},
                      SessionCase{"LXQt", "x11", false, true, x11Tools, ""},
                      SessionCase{"XFCE", "x11", false, true, x11Tools, ""},
                      SessionCase{"Deepin", "x11", false, true, x11Tools, "deepin"},
                      SessionCase{"DDE", "wayland", true, false, {}, "deepin"},
                      SessionCase{"UKUI", "x11", false, true, {"gsettings"}, "mate"},
                      SessionCase{"Pantheon", "x11", false, true, {"gsettings"}, "gnome"},
                      SessionCase{"Budgie:GNOME", "wayland", true, true, {"gsettings"}, "gnome"},
                      SessionCase{"KDE", "wayland", true, true, x11Tools, "kde"},
                      SessionCase{"sway", "wayland", true, true, swayTools, "sway"},
                      SessionCase{"sway", "wayland", true, true, x11Tools + QStringList{"swaybg"}, ""},
                      // sway as Debian starts it names itself nowhere but in its socket.
                      SessionCase{"", "wayland", true, true, swayTools, "sway", {"SWAYSOCK"}},
                      SessionCase{"", "", true, false, swayTools, "sway", {"SWAYSOCK"}},
                      SessionCase{"", "wayland", true, false, {"swaybg"}, "", {"SWAYSOCK"}},
                      // A name the session gives wins over a variable left over from another one.
                      SessionCase{"GNOME", "wayland", true, false, swayTools + QStringList{"gsettings"}, "gnome",
                                  {"SWAYSOCK"}},
                      SessionCase{"Hyprland", "wayland", true, false, {"swaybg"}, "hyprland-swaybg"},
                      SessionCase{"Hyprland", "wayland", true, false, {"swww", "swaybg"}, "hyprland-swww"},
                      SessionCase{"", "wayland", true, false, {"hyprctl", "swww", "swaybg"}, "hyprland",
                                  {"HYPRLAND_INSTANCE_SIGNATURE"}},
                      SessionCase{"Hyprland", "wayland", true, false, x11Tools, ""},
                      SessionCase{"weston", "wayland", true, false, swayTools, ""},
                      SessionCase{"", "wayland", false, true, x11Tools, ""},
                      SessionCase{"", "", true, true, {"swaybg", "feh"}, "wayland"},
                      SessionCase{"", "tty", false, true, x11Tools, "xwallpaper"},
                      SessionCase{"i3", "x11", false, true, {"feh"}, "feh"},
                      SessionCase{"", "", false, false, x11Tools, ""}));

// The commands a row's settings tool runs.
QList<QStringList> settingsCommands(const char *desktop, const QString &path, const QStringList &keys = {})
{
    const std::unique_ptr<platform::WallpaperWay> way = platform::WayOf(desktop);
    const auto *tool = dynamic_cast<const platform::SettingsToolWay *>(way.get());
    return tool ? tool->commands(path, keys) : QList<QStringList>{};
}

TEST(WallpaperCommands, GnomeBefore42HasNoDarkPictureAndThatIsNoFailure)
{
    const QStringList before42 = {"color-shading-type", "picture-options", "picture-uri", "primary-color"};
    const QList<QStringList> c = settingsCommands("gnome", "/p/Mix.bmp", before42);
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c[1].at(3), "picture-uri");
    EXPECT_EQ(settingsCommands("gnome", "/p/Mix.bmp", before42 + QStringList{"picture-uri-dark"}).size(), 3);
}

TEST(WallpaperCommands, LxqtAndSwayStretchThePicture)
{
    EXPECT_EQ(settingsCommands("lxqt", "/p/Mix.bmp"),
              (QList<QStringList>{{"pcmanfm-qt", "--set-wallpaper", "/p/Mix.bmp", "--wallpaper-mode", "stretch"}}));
    EXPECT_EQ(platform::SwaymsgWay().command("/p/Mix.Jpg"),
              (QStringList{"swaymsg", "output", "*", "bg", "/p/Mix.Jpg", "stretch"}));
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
    const QList<QStringList> c = settingsCommands("gnome", "/home/a b/Mix.bmp");
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
    const QList<QStringList> c = settingsCommands("mate", "/p/Mix.bmp");
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c[1], (QStringList{"gsettings", "set", "org.mate.background", "picture-filename", "/p/Mix.bmp"}));
}

TEST(WallpaperCommands, XfceSetsEveryMonitorItHas)
{
    const QStringList props = {"/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
                               "/backdrop/screen0/monitorHDMI-1/workspace0/image-style",
                               "/backdrop/screen0/monitor0/workspace0/last-image", "/desktop-icons/style"};
    const QList<QStringList> c = settingsCommands("xfce", "/p/Mix.bmp", props);
    ASSERT_EQ(c.size(), 4);
    EXPECT_EQ(c[0], (QStringList{"xfconf-query", "-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitorHDMI-1/workspace0/image-style", "-n", "-t", "int", "-s",
                                 "3"}));
    EXPECT_EQ(c[1], (QStringList{"xfconf-query", "-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "-s", "/p/Mix.bmp"}));
    EXPECT_EQ(c[3].at(4), "/backdrop/screen0/monitor0/workspace0/last-image");

    const QList<QStringList> fresh = settingsCommands("xfce", "/p/Mix.bmp", {});
    ASSERT_EQ(fresh.size(), 2);
    EXPECT_TRUE(fresh[1].contains("-n"));
    EXPECT_EQ(fresh[1].last(), "/p/Mix.bmp");
}

TEST(WallpaperCommands, KdeWritesTheImageStretched)
{
    const QString script = platform::PlasmaScript("/p/Mix.bmp");
    EXPECT_TRUE(script.contains("writeConfig(\"Image\", \"file:///p/Mix.bmp\")"));
    EXPECT_TRUE(script.contains("writeConfig(\"FillMode\", 0)"));
}

TEST(WallpaperCommands, PlainX11Tools)
{
    EXPECT_EQ(platform::RootWindowWay(platform::RootWindowWay::Xwallpaper).command("/p/Mix.Jpg"),
              (QStringList{"xwallpaper", "--stretch", "/p/Mix.Jpg"}));
    EXPECT_EQ(platform::RootWindowWay(platform::RootWindowWay::Feh).command("/p/Mix.bmp").mid(2),
              (QStringList{"--bg-scale", "/p/Mix.bmp"}));
}

TEST(DesktopTable, EveryRowWithAWayGivesABackendAndNoneElse)
{
    for (const platform::DesktopRow &r : platform::Desktops()) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(platform::DesktopBackend(r.id) != nullptr, r.way != nullptr);
    }
    EXPECT_EQ(platform::DesktopBackend(""), nullptr);
    EXPECT_EQ(platform::DesktopBackend("weston"), nullptr);
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
    EXPECT_EQ(platform::RunningDesktop(), QString());
    EXPECT_EQ(platform::CurrentWallpaperBackend(), nullptr);
    EXPECT_FALSE(platform::SetWallpaper("/p/Mix.bmp"));
}
