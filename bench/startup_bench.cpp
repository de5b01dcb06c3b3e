// Start-up and idle memory of the program against a bare Qt window built the same way.
// Each run starts the executable with TAVI_REPORT_FIRST_PAINT=1, takes the time from just
// before the start to its first painted window, waits until it is idle, reads VmRSS from
// /proc and ends it. The program starts on an empty notes database (the first start) and
// on one holding weeks of notes around today (every later start). Runs of the three
// alternate so that all meet the same machine load.
//   startup_bench [runs]   (run under a display, e.g. xvfb-run -a build/bin/startup_bench)
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

    QTemporaryDir empty, filled;
    const QDate today = QDate::currentDate();
    const tdt::TDateTime first = tdt::EncodeDate(today.year(), today.month(), today.day()) - 8 * 7;
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

    std::vector<double> startBare, startEmpty, startFilled;
    std::vector<long> rssBare, rssEmpty, rssFilled;
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(bare, env);
        const Run e = runOnce(appDir + QStringLiteral("/Tavi"), envEmpty);
        const Run f = runOnce(appDir + QStringLiteral("/Tavi"), envFilled);
        if (b.startMs < 0 || e.startMs < 0 || f.startMs < 0) {
            std::fprintf(stderr, "a run painted no window (bare %.1f, program %.1f and %.1f); is a display there?\n",
                         b.startMs, e.startMs, f.startMs);
            return 1;
        }
        startBare.push_back(b.startMs);
        startEmpty.push_back(e.startMs);
        startFilled.push_back(f.startMs);
        rssBare.push_back(b.rss);
        rssEmpty.push_back(e.rss);
        rssFilled.push_back(f.rss);
    }
    // This machine's speed drifts from one second to the next; the ratio of runs made
    // side by side cancels most of that, so its median is the steadier figure.
    auto pairedRatio = [&](const std::vector<double> &program) {
        std::vector<double> r;
        for (size_t i = 0; i < program.size(); ++i)
            r.push_back(program[i] / startBare[i]);
        return median(r);
    };
    const double sb = median(startBare);
    const long mb = median(rssBare);
    std::printf("runs: %d each, platform %s; bare window: start %.1f ms, idle %ld kB\n", runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData(), sb, mb);
    const struct {
        const char *what;
        const std::vector<double> &start;
        const std::vector<long> &rss;
    } rows[] = {{"empty notes  ", startEmpty, rssEmpty}, {"weeks of notes", startFilled, rssFilled}};
    for (const auto &row : rows) {
        const double st = median(row.start);
        const long mt = median(row.rss);
        std::printf("program, %s: start to first paint %.1f ms, ratio %.2f, median ratio of paired runs %.2f; "
                    "idle memory %ld kB, ratio %.2f (targets <= 1.50)\n",
                    row.what, st, st / sb, pairedRatio(row.start), mt, double(mt) / double(mb));
    }
    return 0;
}
