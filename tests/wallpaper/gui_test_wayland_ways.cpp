// The ways of the Wayland compositors, with stand-ins for their tools on PATH: each stand-in
// logs how it was called and answers as the real one does. The real sway and weston are in
// tests/wayland.
#include "BackgroundProcessWay.h"
#include "HyprlandWays.h"
#include "SwaymsgWay.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// A folder of stand-in tools put first on PATH, and a picture with its JPEG sibling.
class StandIns : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bin.isValid() && pictures.isValid() && runtime.isValid());
        oldPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
        oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        for (const char *name : {"Mix.bmp", "Mix.Jpg"}) {
            QFile f(pictures.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("picture");
        }
        jpeg = QFileInfo(pictures.filePath("Mix.Jpg")).absoluteFilePath();
    }
    void TearDown() override
    {
        for (qint64 pid : platform::wallpaperway::ProcessesNamed("swaybg", jpeg))
            ::kill(pid_t(pid), SIGKILL);
        qputenv("PATH", oldPath);
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
    }
    // A tool that appends its arguments to <name>.log and runs `body`.
    void tool(const QString &name, const QString &body)
    {
        QFile f(bin.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n%2\n").arg(bin.filePath(name + ".log"), body).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    QStringList calls(const QString &name)
    {
        QFile f(bin.filePath(name + ".log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QString mix() const { return pictures.filePath("Mix.bmp"); }

    QTemporaryDir bin, pictures, runtime;
    QByteArray oldPath, oldRuntime;
    QString jpeg;
};

// A client that draws until it is ended; its process keeps the tool's name.
const QString drawing = QStringLiteral("trap 'exit 0' TERM\nwhile :; do sleep 0.2; done");

} // namespace

TEST_F(StandIns, HyprpaperTakesTheJpegAndADaemonThatRefusesIsNoSuccess)
{
    struct Case {
        const char *answer;
        bool applied;
    };
    for (const Case c : {Case{"ok", true}, Case{"wallpaper failed (no such monitor)", false}}) {
        SCOPED_TRACE(c.answer);
        QFile::remove(bin.filePath("hyprctl.log"));
        tool("hyprctl", QStringLiteral("echo '%1'").arg(c.answer));
        EXPECT_EQ(platform::HyprpaperWay().apply(mix()), c.applied);
        const QStringList expected = c.applied ? QStringList{"hyprpaper preload " + jpeg, "hyprpaper wallpaper ," + jpeg,
                                                             "hyprpaper unload unused"}
                                               : QStringList{"hyprpaper preload " + jpeg};
        EXPECT_EQ(calls("hyprctl"), expected);
    }
}

TEST_F(StandIns, SwwwCountsOnlyWhatItsDaemonSaysItShows)
{
    for (bool shows : {true, false}) {
        SCOPED_TRACE(shows);
        QFile::remove(bin.filePath("swww.log"));
        const QString shown = shows ? jpeg : QStringLiteral("/elsewhere/other.png");
        tool("swww", QStringLiteral("[ \"$1\" = query ] && echo 'HEADLESS-1: 1280x720, scale: 1, currently displaying: "
                                    "image: %1'\nexit 0")
                         .arg(shown));
        EXPECT_EQ(platform::SwwwWay().apply(mix()), shows);
        EXPECT_EQ(calls("swww").value(0), "img --transition-type none " + jpeg);
    }
}

TEST_F(StandIns, SwaymsgCountsOnceANewClientOfSwayShowsThePicture)
{
    // sway refusing, sway answering without a new client, sway starting one.
    tool("swaymsg", "exit 1");
    EXPECT_FALSE(platform::SwaymsgWay().apply(mix()));
    tool("swaymsg", "exit 0");
    EXPECT_FALSE(platform::SwaymsgWay().apply(mix())) << "nothing shows the picture";
    tool("swaybg", drawing);
    tool("swaymsg", QStringLiteral("setsid '%1' -o '*' -i \"$4\" -m stretch >/dev/null 2>&1 &\nexit 0")
                        .arg(bin.filePath("swaybg")));
    EXPECT_TRUE(platform::SwaymsgWay().apply(mix()));
    EXPECT_EQ(calls("swaymsg").last(), "output * bg " + jpeg + " stretch");
}

TEST_F(StandIns, ExactlyOneBackgroundClientOfOurOwnAlsoAcrossRestarts)
{
    tool("swaybg", drawing);
    qint64 previous = 0;
    for (int apply = 0; apply < 3; ++apply) {
        // A new way each time, as a new start of the program would make.
        ASSERT_TRUE(platform::BackgroundProcessWay().apply(mix())) << apply;
        // The old one was told to end; it takes a moment.
        QList<qint64> running;
        for (int i = 0; i < 20; ++i) {
            running = platform::wallpaperway::ProcessesNamed("swaybg", jpeg);
            if (running.size() == 1)
                break;
            QTest::qWait(50);
        }
        ASSERT_EQ(running.size(), 1) << "after apply " << apply;
        EXPECT_NE(running.first(), previous) << "the new client replaces the old one";
        EXPECT_EQ(platform::BackgroundProcessWay::RememberedRunning(), running.first());
        previous = running.first();
    }
    // A client that cannot draw (weston: "Missing a required Wayland interface") is no success
    // and leaves the one that draws in place.
    tool("swaybg", "echo 'Missing a required Wayland interface' >&2\nexit 1");
    EXPECT_FALSE(platform::BackgroundProcessWay().apply(mix()));
    EXPECT_EQ(platform::BackgroundProcessWay::RememberedRunning(), previous);
}

TEST_F(StandIns, AnIdTakenOverByAnotherProcessIsLeftAlone)
{
    QProcess other;
    other.start("sleep", {"30"});
    ASSERT_TRUE(other.waitForStarted());
    QFile f(platform::BackgroundProcessWay::RememberedFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(other.processId()) + '\n' + jpeg.toUtf8() + '\n');
    f.close();
    EXPECT_EQ(platform::BackgroundProcessWay::RememberedRunning(), 0);
    platform::BackgroundProcessWay::EndRemembered();
    QTest::qWait(100);
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
}
