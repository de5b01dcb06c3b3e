// Start-up and idle memory of the program against a bare Qt window built the same way.
// Each run starts the executable with TAVI_REPORT_FIRST_PAINT=1, takes the time from just
// before the start to its first painted window, waits until it is idle, reads VmRSS from
// /proc and ends it. Runs of the two alternate so that both meet the same machine load.
//   startup_bench [runs]   (run under a display, e.g. xvfb-run -a build/bin/startup_bench)
#include <QCoreApplication>
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
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const QString appDir = QStringLiteral(TAVI_APP_DIR);
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bare_window");

    QTemporaryDir home;
    if (!copyTree(appDir, home.path())) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(appDir));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVI_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("TAVI_HOME"), home.path());

    std::vector<double> startBare, startTavi;
    std::vector<long> rssBare, rssTavi;
    for (int i = 0; i < runs; ++i) {
        const Run b = runOnce(bare, env);
        const Run t = runOnce(appDir + QStringLiteral("/Tavi"), env);
        if (b.startMs < 0 || t.startMs < 0) {
            std::fprintf(stderr, "a run painted no window (bare %.1f, program %.1f); is a display there?\n", b.startMs,
                         t.startMs);
            return 1;
        }
        startBare.push_back(b.startMs);
        startTavi.push_back(t.startMs);
        rssBare.push_back(b.rss);
        rssTavi.push_back(t.rss);
    }
    const double sb = median(startBare), st = median(startTavi);
    const long mb = median(rssBare), mt = median(rssTavi);
    // This machine's speed drifts from one second to the next; the ratio of each pair of
    // neighbouring runs cancels most of that, so its median is the steadier figure.
    std::vector<double> pairRatios;
    for (size_t i = 0; i < startBare.size(); ++i)
        pairRatios.push_back(startTavi[i] / startBare[i]);
    std::printf("runs: %d each, platform %s\n", runs, qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("start to first paint, median: bare %.1f ms, program %.1f ms, ratio %.2f, median ratio of paired runs "
                "%.2f (target <= 1.50)\n",
                sb, st, st / sb, median(pairRatios));
    std::printf("idle resident memory, median: bare %ld kB, program %ld kB, ratio %.2f (target <= 1.50)\n", mb, mt,
                double(mt) / double(mb));
    return 0;
}
