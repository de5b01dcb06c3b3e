// The desktops themselves: stand-in D-Bus services for Plasma and Deepin, and real Xfce,
// LXQt, KDE Plasma and GNOME settings under Xvfb on a D-Bus session of the test's own.
// Each drives the desktop's backend with two prepared pictures in a row.
#include "PicListFile.h"
#include "Wallpaper.h"
#include "WallpaperApply.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "wallpaper_fixture.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <memory>

namespace {

bool installed(const QString &tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

// One virtual X server and one D-Bus session per test program, with a home of their own;
// every process started here is ended by its id when the program ends.
class Session {
public:
    static Session &get()
    {
        static Session s;
        return s;
    }
    bool busUp() { return startBus(); }
    bool xUp() { return startX() && startBus(); }
    QString home() const { return m_home.path(); }

    // The desktops' helpers the bus started for them outlive it unless ended too.
    void endBusServices()
    {
        if (m_busPid <= 0)
            return;
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        if (!bus)
            return;
        const QStringList names = bus->registeredServiceNames().value();
        for (const QString &name : names) {
            const uint pid = bus->servicePid(name).value();
            if (pid > 0 && qint64(pid) != QCoreApplication::applicationPid() && qint64(pid) != m_busPid)
                ::kill(pid_t(pid), SIGTERM);
        }
    }
    QString log(const QString &program) const
    {
        QFile f(m_home.filePath(program + ".log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(3000)) : QString();
    }
    QString display() const { return m_display; }

    // A process that lives until the program ends; its chatter goes to "<program>.log" in the
    // home unless the test reads its standard output.
    QProcess *spawn(const QString &program, const QStringList &args, bool readOutput = false)
    {
        auto *p = new QProcess;
        // The desktops draw on the X server, not offscreen as this program does.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        p->setProcessEnvironment(env);
        if (readOutput) {
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        } else {
            p->setProcessChannelMode(QProcess::MergedChannels);
            p->setStandardOutputFile(m_home.filePath(QFileInfo(program).fileName() + ".log"), QIODevice::Append);
        }
        p->start(program, args);
        p->waitForStarted(5000);
        m_children.append(p);
        return p;
    }
    void end(QProcess *p)
    {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(1000);
            }
        }
    }

    ~Session()
    {
        for (int i = int(m_children.size()) - 1; i >= 0; --i) {
            end(m_children[i]);
            delete m_children[i];
        }
        if (m_busPid > 0)
            ::kill(pid_t(m_busPid), SIGTERM);
        // Desktops leave read-only caches behind.
        QProcess::execute("chmod", {"-R", "u+w", m_home.path()});
    }

private:
    Session()
    {
        for (const char *d : {"config", "cache", "data", "runtime"})
            QDir(m_home.path()).mkpath(QLatin1String(d));
        QFile::setPermissions(m_home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        qputenv("XDG_CACHE_HOME", m_home.filePath("cache").toUtf8());
        qputenv("XDG_DATA_HOME", m_home.filePath("data").toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_home.filePath("runtime").toUtf8());
    }

    bool startX()
    {
        if (!m_display.isEmpty())
            return true;
        if (!installed("Xvfb"))
            return false;
        QProcess *x = spawn("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"}, true);
        x->setReadChannel(QProcess::StandardOutput);
        QByteArray out;
        while (!out.contains('\n') && x->waitForReadyRead(10000))
            out += x->readAllStandardOutput();
        if (out.trimmed().isEmpty())
            return false;
        m_display = ":" + QString::fromLatin1(out.trimmed());
        qputenv("DISPLAY", m_display.toUtf8());
        return true;
    }

    bool startBus()
    {
        if (m_busPid > 0)
            return true;
        if (!installed("dbus-launch"))
            return false;
        QProcess p;
        p.start("dbus-launch", {"--sh-syntax"});
        if (!p.waitForFinished(10000))
            return false;
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const auto address = QRegularExpression("DBUS_SESSION_BUS_ADDRESS='([^']*)'").match(out);
        const auto pid = QRegularExpression("DBUS_SESSION_BUS_PID=(\\d+)").match(out);
        if (!address.hasMatch() || !pid.hasMatch())
            return false;
        // Before the first use of the session bus in this program.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.captured(1).toUtf8());
        m_busPid = pid.captured(1).toLongLong();
        return true;
    }

    QTemporaryDir m_home;
    QString m_display;
    qint64 m_busPid = 0;
    QList<QProcess *> m_children;
};

// Two pictures nobody could take for each other: red over yellow, and blue beside green.
QImage picture(int which)
{
    QImage img(640, 400, QImage::Format_RGB888);
    QPainter p(&img);
    if (which == 0) {
        p.fillRect(0, 0, 640, 200, QColor(200, 30, 30));
        p.fillRect(0, 200, 640, 200, QColor(240, 220, 40));
    } else {
        p.fillRect(0, 0, 320, 400, QColor(30, 60, 200));
        p.fillRect(320, 0, 320, 400, QColor(40, 190, 70));
    }
    return img;
}

QString writePicture(const QString &dir, int which)
{
    // The apply hands over the same file name each time; Mix.Jpg is the same picture.
    const QString bmp = dir + "/Mix.bmp";
    picture(which).save(bmp, "BMP");
    picture(which).save(dir + "/Mix.Jpg", "JPG", 95);
    return bmp;
}

QImage screenshot()
{
    QProcess p;
    p.start("import", {"-display", Session::get().display(), "-window", "root", "png:-"});
    if (!p.waitForFinished(20000))
        return {};
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

// The share of a grid of screen points, away from the pictures' edges and the desktop's
// icons in the left column, that show the picture stretched over the screen.
double shownShare(const QImage &shot, int which)
{
    if (shot.isNull())
        return 0;
    const QImage want = picture(which);
    int total = 0, match = 0;
    for (int gy = 1; gy < 20; ++gy)
        for (int gx = 4; gx < 20; ++gx) {
            if (gy == 10 || gx == 10)
                continue; // the pictures' own edges
            const int x = shot.width() * gx / 20, y = shot.height() * gy / 20;
            const QColor s = shot.pixelColor(x, y);
            const QColor w = want.pixelColor(want.width() * gx / 20, want.height() * gy / 20);
            ++total;
            match += std::abs(s.red() - w.red()) + std::abs(s.green() - w.green()) + std::abs(s.blue() - w.blue())
                     < 60;
        }
    return double(match) / total;
}

// Waits until the screen shows the picture or the time is up; the last share seen.
double waitShown(int which, int seconds)
{
    double share = 0;
    for (int i = 0; i < seconds * 2; ++i) {
        share = shownShare(screenshot(), which);
        if (share >= 0.9)
            break;
        QTest::qWait(500);
    }
    return share;
}

struct ApplyTwice {
    bool first = false, second = false;
    double firstShare = 0, secondShare = 0;
};

ApplyTwice applyTwice(const QString &desktop, int seconds)
{
    QTemporaryDir dir;
    ApplyTwice r;
    platform::SetWallpaperBackend(platform::DesktopBackend(desktop));
    r.first = platform::SetWallpaper(writePicture(dir.path(), 0));
    r.firstShare = waitShown(0, seconds);
    r.second = platform::SetWallpaper(writePicture(dir.path(), 1));
    r.secondShare = waitShown(1, seconds);
    platform::SetWallpaperBackend(nullptr);
    return r;
}

// Waits for a window of the desktop to cover the screen's middle.
bool desktopDrawn(int seconds)
{
    for (int i = 0; i < seconds * 2; ++i) {
        QProcess p;
        p.start("xdotool", {"search", "--onlyvisible", "--class", "."});
        p.waitForFinished(5000);
        if (!p.readAllStandardOutput().trimmed().isEmpty() && i >= 4)
            return true;
        QTest::qWait(500);
    }
    return false;
}

QStringList linesOf(QProcess *p)
{
    p->waitForReadyRead(200);
    return QString::fromUtf8(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QProcess *standIn(const QString &service, const QString &object, bool refuse = false)
{
    QStringList args{service, object};
    if (refuse)
        args << "--refuse";
    QProcess *p = Session::get().spawn(QStringLiteral(TAVI_DESKTOP_STANDIN), args, true);
    p->waitForReadyRead(5000);
    p->readAllStandardOutput(); // "ready"
    return p;
}

const QString gnomeSchema = "/usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml";

bool gnomeSettingsInstalled()
{
    return installed("gsettings") && QFile::exists(gnomeSchema) && installed("glib-compile-schemas")
           && QFile::exists("/usr/libexec/dconf-service");
}

// GNOME's background schema as it was before GNOME 42, without "picture-uri-dark", compiled
// into `dir` for GSETTINGS_SCHEMA_DIR.
bool writeSchemaWithoutDarkPicture(const QString &dir)
{
    QFile f(gnomeSchema);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString xml = QString::fromUtf8(f.readAll());
    xml.remove(QRegularExpression("<key[^>]*name=\"picture-uri-dark\".*?</key>",
                                  QRegularExpression::DotMatchesEverythingOption));
    QFile out(dir + "/org.gnome.desktop.background.gschema.xml");
    if (xml.contains("picture-uri-dark") || !out.open(QIODevice::WriteOnly))
        return false;
    out.write(xml.toUtf8());
    out.close();
    for (const QString &enums : QDir("/usr/share/glib-2.0/schemas").entryList({"*.enums.xml"}))
        QFile::copy("/usr/share/glib-2.0/schemas/" + enums, dir + "/" + enums);
    return QProcess::execute("glib-compile-schemas", {dir}) == 0;
}

QString gnomeBackground(const QString &key)
{
    QProcess p;
    p.start("gsettings", {"get", "org.gnome.desktop.background", key});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class DesktopTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        platform::SetWallpaperBackend(nullptr);
        Session::get().endBusServices();
    }
};

} // namespace

class StandInDesktop : public DesktopTest {};
class RealDesktop : public DesktopTest {};

// ---- stand-ins ------------------------------------------------------------------------

TEST_F(StandInDesktop, PlasmaIsToldAFreshPictureEveryApplyAndTheReplyCounts)
{
    if (!Session::get().busUp())
        GTEST_SKIP() << "dbus-launch is not installed";
    QTemporaryDir dir;
    platform::SetWallpaperBackend(platform::DesktopBackend("kde"));
    EXPECT_FALSE(platform::SetWallpaper(writePicture(dir.path(), 0))) << "no Plasma on the bus";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no copy left behind";

    QProcess *plasma = standIn("org.kde.plasmashell", "/PlasmaShell");
    QStringList images;
    for (int which : {0, 1, 1}) {
        ASSERT_TRUE(platform::SetWallpaper(writePicture(dir.path(), which)));
        const QStringList calls = linesOf(plasma);
        ASSERT_EQ(calls.size(), 1);
        const QStringList call = calls[0].split('\t');
        ASSERT_EQ(call.value(0), "evaluateScript");
        const auto image = QRegularExpression("writeConfig\\(\"Image\", \"([^\"]+)\"\\)").match(call.value(1));
        ASSERT_TRUE(image.hasMatch());
        images << image.captured(1);
        const QString shown = QUrl(images.last()).toLocalFile();
        // What Plasma is told to show is this apply's picture, under a name it has not shown.
        EXPECT_EQ(QImage(shown).pixelColor(10, 10), picture(which).pixelColor(10, 10));
    }
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]) << "the same picture again is a new name again";
    EXPECT_FALSE(QFile::exists(QUrl(images[0]).toLocalFile())) << "earlier copies go away";
    EXPECT_FALSE(QFile::exists(QUrl(images[1]).toLocalFile()));
    EXPECT_TRUE(QFile::exists(QUrl(images[2]).toLocalFile()));
    Session::get().end(plasma);

    standIn("org.kde.plasmashell", "/PlasmaShell", true);
    EXPECT_FALSE(platform::SetWallpaper(writePicture(dir.path(), 0))) << "a script error is no success";
    platform::SetWallpaperBackend(nullptr);
}

TEST_F(StandInDesktop, DeepinsAppearanceDaemonSetsTheBackground)
{
    if (!Session::get().busUp())
        GTEST_SKIP() << "dbus-launch is not installed";
    QTemporaryDir dir;
    const QString path = writePicture(dir.path(), 0);
    platform::SetWallpaperBackend(platform::DesktopBackend("deepin"));
    EXPECT_FALSE(platform::SetWallpaper(path)) << "no daemon on the bus";
    struct Case {
        const char *service, *object;
        bool refuse;
    };
    for (const Case &c : {Case{"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance", true},
                          Case{"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance", false},
                          Case{"org.deepin.dde.Appearance1", "/org/deepin/dde/Appearance1", false}}) {
        SCOPED_TRACE(c.service);
        QProcess *daemon = standIn(c.service, c.object, c.refuse);
        EXPECT_EQ(platform::SetWallpaper(path), !c.refuse);
        EXPECT_EQ(linesOf(daemon), QStringList{"Set\tbackground\t" + QUrl::fromLocalFile(path).toString()});
        Session::get().end(daemon);
    }
    platform::SetWallpaperBackend(nullptr);
}

// ---- real desktops --------------------------------------------------------------------

TEST_F(RealDesktop, GnomeSettingsNameEachNewPictureWithOrWithoutTheDarkKey)
{
    if (!gnomeSettingsInstalled())
        GTEST_SKIP() << "GNOME's settings (gsettings, its schemas, dconf) are not installed";
    ASSERT_TRUE(Session::get().busUp());
    // The schema of GNOME before 42 has no dark picture.
    QTemporaryDir old;
    ASSERT_TRUE(writeSchemaWithoutDarkPicture(old.path()));

    const auto get = gnomeBackground;
    for (const QString &schemaDir : {QString(), old.path()}) {
        SCOPED_TRACE(schemaDir.isEmpty() ? "GNOME 42 and later" : "before GNOME 42");
        if (schemaDir.isEmpty())
            qunsetenv("GSETTINGS_SCHEMA_DIR");
        else
            qputenv("GSETTINGS_SCHEMA_DIR", schemaDir.toUtf8());
        QTemporaryDir dir;
        platform::SetWallpaperBackend(platform::DesktopBackend("gnome"));
        for (int which : {0, 1}) {
            const QString sub = dir.filePath(QString::number(which));
            QDir().mkpath(sub);
            const QString path = writePicture(sub, which);
            ASSERT_TRUE(platform::SetWallpaper(path));
            const QString uri = "'" + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + "'";
            EXPECT_EQ(get("picture-uri"), uri);
            EXPECT_EQ(get("picture-options"), "'stretched'");
            if (schemaDir.isEmpty()) {
                EXPECT_EQ(get("picture-uri-dark"), uri);
            }
        }
        platform::SetWallpaperBackend(nullptr);
    }
    qunsetenv("GSETTINGS_SCHEMA_DIR");
}

TEST_F(RealDesktop, XfceShowsTwoAppliesInARow)
{
    if (!installed("xfdesktop") || !installed("xfwm4") || !installed("xfconf-query") || !installed("import"))
        GTEST_SKIP() << "Xfce (xfdesktop, xfwm4, xfconf) is not installed";
    Session &s = Session::get();
    ASSERT_TRUE(s.xUp());
    s.spawn("xfwm4", {});
    QTest::qWait(1500);
    s.spawn("xfdesktop", {});
    ASSERT_TRUE(desktopDrawn(40)) << s.log("xfdesktop").toStdString();
    const ApplyTwice r = applyTwice("xfce", 15);
    std::printf("Xfce: share of the screen showing the first picture %.2f, the second %.2f\n", r.firstShare,
                r.secondShare);
    EXPECT_TRUE(r.first);
    EXPECT_TRUE(r.second);
    EXPECT_GE(r.firstShare, 0.9);
    EXPECT_GE(r.secondShare, 0.9);
}

TEST_F(RealDesktop, LxqtShowsTwoAppliesInARow)
{
    if (!installed("pcmanfm-qt") || !installed("import"))
        GTEST_SKIP() << "LXQt's desktop (pcmanfm-qt) is not installed";
    Session &s = Session::get();
    ASSERT_TRUE(s.xUp());
    qputenv("XDG_CURRENT_DESKTOP", "LXQt");
    QTemporaryDir dir;
    platform::SetWallpaperBackend(platform::DesktopBackend("lxqt"));
    EXPECT_FALSE(platform::SetWallpaper(writePicture(dir.path(), 0))) << "no desktop drawn, nothing shown";
    platform::SetWallpaperBackend(nullptr);
    s.spawn("pcmanfm-qt", {"--desktop"});
    ASSERT_TRUE(desktopDrawn(40)) << s.log("pcmanfm-qt").toStdString();
    const ApplyTwice r = applyTwice("lxqt", 15);
    std::printf("LXQt: share of the screen showing the first picture %.2f, the second %.2f\n", r.firstShare,
                r.secondShare);
    EXPECT_TRUE(r.first);
    EXPECT_TRUE(r.second);
    EXPECT_GE(r.firstShare, 0.9);
    EXPECT_GE(r.secondShare, 0.9);
}

TEST_F(RealDesktop, PlasmaShowsTwoAppliesInARow)
{
    if (!installed("plasmashell") || !installed("import"))
        GTEST_SKIP() << "KDE Plasma (plasmashell) is not installed";
    Session &s = Session::get();
    ASSERT_TRUE(s.xUp());
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    s.spawn("plasmashell", {});
    ASSERT_TRUE(desktopDrawn(90)) << s.log("plasmashell").toStdString();
    // Plasma answers scripts only once its desktops are loaded.
    QTest::qWait(5000);
    const ApplyTwice r = applyTwice("kde", 30);
    std::printf("Plasma: share of the screen showing the first picture %.2f, the second %.2f\n", r.firstShare,
                r.secondShare);
    EXPECT_TRUE(r.first);
    EXPECT_TRUE(r.second);
    EXPECT_GE(r.firstShare, 0.9);
    EXPECT_GE(r.secondShare, 0.9);
}

// Plain X11: the root window's wallpaper pixmap (_XROOTPMAP_ID) is what such tools publish.
TEST_F(RealDesktop, PlainX11CountsOnlyANewRootPicture)
{
    if (!installed("xwallpaper") || !installed("feh"))
        GTEST_SKIP() << "xwallpaper and feh are not installed";
    ASSERT_TRUE(Session::get().xUp());
    auto rootPixmap = [] {
        QProcess p;
        p.start("xprop", {"-root", "_XROOTPMAP_ID"});
        p.waitForFinished(5000);
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    };
    QTemporaryDir dir;
    for (const char *desktop : {"feh", "xwallpaper", "xwallpaper"}) {
        platform::SetWallpaperBackend(platform::DesktopBackend(desktop));
        EXPECT_TRUE(platform::SetWallpaper(writePicture(dir.path(), 0)));
        EXPECT_TRUE(rootPixmap().contains("pixmap id")) << rootPixmap().toStdString();
    }
    QFile::remove(dir.path() + "/Mix.Jpg");
    EXPECT_FALSE(platform::SetWallpaper(dir.path() + "/Mix.bmp")) << "xwallpaper reads no BMP";
}

TEST_F(RealDesktop, APictureTheXServerDroppedIsNoSuccess)
{
    if (!installed("feh") || !installed("Xvfb"))
        GTEST_SKIP() << "feh or Xvfb is not installed";
    // A server of its own that resets once its last client is gone, as a bare Xvfb does: feh
    // exits 0, and its picture goes with it.
    QProcess x;
    x.start("Xvfb", {"-displayfd", "1", "-screen", "0", "320x200x24", "-nolisten", "tcp"});
    ASSERT_TRUE(x.waitForReadyRead(10000));
    const QByteArray display = ":" + x.readAllStandardOutput().trimmed();
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", display);
    QTemporaryDir dir;
    platform::SetWallpaperBackend(platform::DesktopBackend("feh"));
    EXPECT_FALSE(platform::SetWallpaper(writePicture(dir.path(), 0)));
    qputenv("DISPLAY", previous);
    x.terminate();
    x.waitForFinished(3000);
}

// The whole apply on GNOME before 42: the missing dark picture key used to fail it, and the
// list never moved on.
class GnomeApply : public WallpaperTest {
protected:
    void TearDown() override
    {
        qunsetenv("GSETTINGS_SCHEMA_DIR");
        WallpaperTest::TearDown();
        Session::get().endBusServices();
    }
};

TEST_F(GnomeApply, BeforeGnome42TheApplyCountsAndTheListMovesOn)
{
    if (!gnomeSettingsInstalled())
        GTEST_SKIP() << "GNOME's settings (gsettings, its schemas, dconf) are not installed";
    ASSERT_TRUE(Session::get().busUp());
    QTemporaryDir old;
    ASSERT_TRUE(writeSchemaWithoutDarkPicture(old.path()));
    qputenv("GSETTINGS_SCHEMA_DIR", old.path().toUtf8());
    for (const char *name : {"A1.bmp", "B.bmp", "C.bmp"})
        writeSolidBmp(name, 800, 600, QColor(90, 120, 150));
    writeLines(piclistfile::Path(), {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"});
    LoadPicList(false);
    ASSERT_EQ(PicIndex, 3);
    AskBeforeApply = false;
    platform::SetWallpaperBackend(platform::DesktopBackend("gnome"));
    TestWeekPanel panel;
    for (int indexAfter : {2, 1}) {
        ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
        EXPECT_EQ(PicIndex, indexAfter);
        EXPECT_EQ(gnomeBackground("picture-uri"),
                  "'" + QUrl::fromLocalFile(WallpaperPath()).toString(QUrl::FullyEncoded) + "'");
    }
}
