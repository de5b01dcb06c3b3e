// Start-up and idle memory of the program against two windows built the same way: a bare
// Qt window, and a yardstick that shows the program's Chinese text (date strip, calendar,
// captions, this week's notes) in the same fonts. The first ratio is the whole cost; the
// second is the program's own, with the cost of drawing Chinese taken out.
// Each run starts the executable with TAVI_REPORT_FIRST_PAINT=1, takes the time from just
// before the start to its first painted window, waits until it is idle, reads VmRSS from
// /proc and ends it. The program starts on an empty notes database (the first start) and
// on one holding weeks of notes around today (every later start). Runs of the four
// alternate so that all meet the same machine load.
//   startup_bench [runs]   (run under a display, e.g. xvfb-run -a build/bin/startup_bench)
#include "NoteText.h"
#include "RealisticNotes.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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

long rssKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

struct Run {
    double startMs = -1;
    long rss = -1;
};

Run runOnce(const QString &exe, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    const long long t0 = monotonicNs();
    p.start(exe, {});
    Run r;
    if (!p.waitForStarted(5000))
        return r;
    QByteArray out;
    while (!out.contains('\n') && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
        if (monotonicNs() - t0 > 20000000000LL)
            break;
    }
    const int at = out.indexOf("first-paint ");
    if (at >= 0)
        r.startMs = double(out.mid(at + 12).split('\n').first().toLongLong() - t0) / 1e6;
    QThread::msleep(2000);
    r.rss = rssKb(p.processId());
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
    return r;
}

template <class T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? T() : v[v.size() / 2];
}

// A throw-away copy of the program folder, so that the runs touch no one's notes.
bool copyTree(const QString &from, const QString &to)
{
    QDir src(from);
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo &fi : src.entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        const QString dest = to + QLatin1Char('/') + fi.fileName();
        if (fi.isDir() ? !copyTree(fi.filePath(), dest) : !QFile::copy(fi.filePath(), dest))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    // The notes are written through a note box, which needs a window system: an off-screen
    // one, named on the command line so that the programs started below keep the display.
    char platform[] = "-platform", offscreen[] = "offscreen";
    char *args[] = {argv[0], platform, offscreen, nullptr};
    int nargs = 3;
    QApplication app(nargs, args);
    const QString appDir = QStringLiteral(TAVI_APP_DIR);
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bare_window");
    const QString yardstick = QCoreApplication::applicationDirPath() + QStringLiteral("/yardstick_window");

    QTemporaryDir empty, filled;
    const QDate today = QDate::currentDate();
    const tdt::TDateTime first = tdt::EncodeDate(today.year(), today.month(), today.day()) - 7 * bench::kWeeksBefore;
    if (!copyTree(appDir, empty.path()) || !copyTree(appDir, filled.path())
        || !bench::fillDatabase(filled.path() + QStringLiteral("/Data/UserData.mdb"), first, 16 * 7)) {
        std::fprintf(stderr, "cannot lay out the program folders from %s\n", qPrintable(appDir));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVI_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    QProcessEnvironment envEmpty = env, envFilled = env;
    envEmpty.insert(QStringLiteral("TAVI_HOME"), empty.path());
    envFilled.insert(QStringLiteral("TAVI_HOME"), filled.path());

    struct Series {
        std::vector<double> start;
        std::vector<long> rss;
    } bareRuns, yardRuns, emptyRuns, filledRuns;
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(bare, env);
        const Run y = runOnce(yardstick, envFilled);
        const Run e = runOnce(appDir + QStringLiteral("/Tavi"), envEmpty);
        const Run f = runOnce(appDir + QStringLiteral("/Tavi"), envFilled);
        if (b.startMs < 0 || y.startMs < 0 || e.startMs < 0 || f.startMs < 0) {
            std::fprintf(stderr,
                         "a run painted no window (bare %.1f, yardstick %.1f, program %.1f and %.1f); is a display there?\n",
                         b.startMs, y.startMs, e.startMs, f.startMs);
            return 1;
        }
        for (auto [series, run] : {std::pair{&bareRuns, b}, {&yardRuns, y}, {&emptyRuns, e}, {&filledRuns, f}}) {
            series->start.push_back(run.startMs);
            series->rss.push_back(run.rss);
        }
    }
    // This machine's speed drifts from one second to the next; the ratio of runs made
    // side by side cancels most of that, so its median is the steadier figure.
    auto pairedRatio = [](const Series &program, const Series &base) {
        std::vector<double> r;
        for (size_t i = 0; i < program.start.size(); ++i)
            r.push_back(program.start[i] / base.start[i]);
        return median(r);
    };
    const double sb = median(bareRuns.start), sy = median(yardRuns.start);
    const long mb = median(bareRuns.rss), my = median(yardRuns.rss);
    std::printf("runs: %d each, platform %s\n", runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("bare window:      start %.1f ms, idle %ld kB\n", sb, mb);
    std::printf("yardstick window: start %.1f ms, idle %ld kB (against the bare window: start %.2f, paired %.2f; "
                "memory %.2f)\n",
                sy, my, sy / sb, pairedRatio(yardRuns, bareRuns), double(my) / double(mb));
    const struct {
        const char *what;
        const Series &runs;
    } rows[] = {{"empty notes   ", emptyRuns}, {"weeks of notes", filledRuns}};
    for (const auto &row : rows) {
        const double st = median(row.runs.start);
        const long mt = median(row.runs.rss);
        std::printf("program, %s: start to first paint %.1f ms, idle memory %ld kB\n", row.what, st, mt);
        std::printf("  against the bare window: start %.2f, paired %.2f; memory %.2f (targets <= 1.50)\n", st / sb,
                    pairedRatio(row.runs, bareRuns), double(mt) / double(mb));
        std::printf("  against the yardstick:   start %.2f, paired %.2f; memory %.2f\n", st / sy,
                    pairedRatio(row.runs, yardRuns), double(mt) / double(my));
    }
    return 0;
}
