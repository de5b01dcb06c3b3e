// A start that only sets the wallpaper (Tavi --apply-wallpaper) against what a user does by
// hand: start the program, see its window, press the wallpaper button. Each pair runs, side
// by side: the command from its start to its exit with a confirmed change; the program from
// its start to its first painted window; and the button's apply in a shown main window of
// this process, through the same desktop. The figure is the median of the paired ratios
// command / (start-up + button), target <= 1.5.
//   apply_wallpaper_bench [pairs]   (on a real X11 desktop, e.g.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bin/apply_wallpaper_bench; xwallpaper installed)
#include "Clock.h"
#include "Wallpaper.h"
#include "WallpaperApply.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uInfoFrm.h"
#include "WeekView.h"
#include "uMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

bool copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo &fi : QDir(from).entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        const QString dest = to + QLatin1Char('/') + fi.fileName();
        if (fi.isDir() ? !copyTree(fi.filePath(), dest) : !QFile::copy(fi.filePath(), dest))
            return false;
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds from the start to a confirmed change; negative when it was not confirmed.
double commandMs(const QString &exe, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    const long long t0 = monotonicNs();
    p.start(exe, {QStringLiteral("--apply-wallpaper")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s", p.readAllStandardError().constData());
        return -1;
    }
    return double(monotonicNs() - t0) / 1e6;
}

// Milliseconds from the start to the first painted window.
double startMs(const QString &exe, QProcessEnvironment env)
{
    env.insert(QStringLiteral("TAVI_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    QProcess p;
    p.setProcessEnvironment(env);
    const long long t0 = monotonicNs();
    p.start(exe, {});
    QByteArray out;
    while (!out.contains('\n') && p.state() != QProcess::NotRunning && monotonicNs() - t0 < 20000000000LL) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
    }
    double ms = -1;
    const int at = out.indexOf("first-paint ");
    if (at >= 0)
        ms = double(out.mid(at + 12).split('\n').first().toLongLong() - t0) / 1e6;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    const int pairs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QApplication app(argc, argv);
    const QString appDir = QStringLiteral(TAVI_APP_DIR);
    QTemporaryDir home;
    if (!copyTree(appDir, home.path())) {
        std::fprintf(stderr, "cannot lay out the program folder from %s\n", qPrintable(appDir));
        return 1;
    }
    QFile ask(home.path() + QStringLiteral("/Data/configSetBg.ini"));
    if (!ask.open(QIODevice::WriteOnly) || ask.write("0\r\n") != 3)
        return 1;
    ask.close();
    qputenv("TAVI_HOME", home.path().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString exe = appDir + QStringLiteral("/Tavi");
    const QString desktop = platform::RunningDesktop();
    if (desktop.isEmpty()) {
        std::fprintf(stderr, "no desktop whose wallpaper can be set here (platform %s)\n",
                     qPrintable(QGuiApplication::platformName()));
        return 1;
    }

    TDM dm;
    DM = &dm;
    if (!dm.ConnectDatabase())
        return 1;
    TMainFrm frm;
    frm.terminate = [] {};
    frm.show();
    if (!QTest::qWaitForWindowExposed(&frm))
        return 1;
    AskBeforeApply = false;

    std::vector<double> command, start, button, ratio;
    for (int i = 0; i < pairs; ++i) {
        const double c = commandMs(exe, env);
        const double s = startMs(exe, env);
        QElapsedTimer t;
        t.start();
        const ApplyResult r = ApplyWeekToDesktop(&frm, frm.pnlRight);
        const double b = double(t.nsecsElapsed()) / 1e6;
        if (c < 0 || s < 0 || r != ApplyResult::Applied) {
            std::fprintf(stderr, "pair %d failed: command %.1f ms, start-up %.1f ms, button %d\n", i, c, s, int(r));
            return 1;
        }
        command.push_back(c);
        start.push_back(s);
        button.push_back(b);
        ratio.push_back(c / (s + b));
    }
    const QSize screen = DesktopPixelSize();
    std::printf("desktop %s, screen %dx%d, %d pairs\n", qPrintable(desktop), screen.width(), screen.height(), pairs);
    std::printf("--apply-wallpaper, start to confirmed change: %.1f ms (median)\n", median(command));
    std::printf("program start to first paint: %.1f ms; button apply: %.1f ms; together %.1f ms\n", median(start),
                median(button), median(start) + median(button));
    std::printf("paired ratio command / (start-up + button): %.2f (target <= 1.50)\n", median(ratio));
    return 0;
}
