// The program started on a copy of its folder that holds one outsized input at a time:
// time to the first painted window and peak resident memory (VmHWM) while it starts and
// settles. Inputs: a size file asking for the largest window, notes of 10, 50 and 100 MB
// of text, a week of sixty 4096 x 4096 pictures, one 30000 x 30000 picture, a 100 MB
// holiday table and a 100 MB settings file.
//   hostile_inputs_bench [seconds to settle]   (under a display, e.g. xvfb-run -a)
#include "WorkdaysArrangement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>
#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

long statusKb(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

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

QString todayKey()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

bool putNote(const QString &db, const QString &key, const QByteArray &rtf)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open(QFile::encodeName(db).constData(), &h) != SQLITE_OK)
        return false;
    sqlite3_stmt *st = nullptr;
    bool ok = sqlite3_prepare_v2(h, "insert into tb_NewTavi(YearMonthStr, Content, ContentBak) values(?1, ?2, ?3)", -1,
                                 &st, nullptr)
              == SQLITE_OK;
    const QByteArray k = key.toUtf8();
    ok = ok && sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT) == SQLITE_OK
         && sqlite3_bind_blob64(st, 2, rtf.constData(), sqlite3_uint64(rtf.size()), SQLITE_TRANSIENT) == SQLITE_OK
         && sqlite3_bind_text(st, 3, "", 0, SQLITE_STATIC) == SQLITE_OK && sqlite3_step(st) == SQLITE_DONE;
    sqlite3_finalize(st);
    sqlite3_close(h);
    return ok;
}

QByteArray textNote(qint64 bytes)
{
    const QByteArray line = "\\'d6\\'dc\\'b6\\'fe\\'b5\\'c4\\'ca\\'c2 meeting at ten, then lunch\\par\r\n";
    QByteArray out = "{\\rtf1\\ansi\\ansicpg936 ";
    out.reserve(bytes + 64);
    while (out.size() < bytes)
        out += line;
    return out + "}";
}

QByteArray png(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x / 64) % 2 ? 250 : 40, (y / 64) % 2 ? 250 : 40, 128);
    }
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG", 9);
    return bytes;
}

// A grey PNG of any size, made row by row without holding the picture.
QByteArray greyPng(quint32 w, quint32 h)
{
    auto be32 = [](quint32 v) {
        const char b[4] = {char(v >> 24), char(v >> 16 & 0xff), char(v >> 8 & 0xff), char(v & 0xff)};
        return QByteArray(b, 4);
    };
    auto chunk = [&](const char *type, const QByteArray &data) {
        const QByteArray body = QByteArray(type) + data;
        return be32(quint32(data.size())) + body
               + be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
    };
    QByteArray idat;
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray row(int(w) + 1, char(0x80));
    row[0] = 0;
    std::vector<char> out(1 << 16);
    for (quint32 y = 0; y <= h; ++y) {
        z.next_in = reinterpret_cast<Bytef *>(row.data());
        z.avail_in = y < h ? uInt(row.size()) : 0;
        const int flush = y < h ? Z_NO_FLUSH : Z_FINISH;
        do {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            idat.append(out.data(), qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", be32(w) + be32(h) + QByteArray("\x08\x00\x00\x00\x00", 5))
           + chunk("IDAT", idat) + chunk("IEND", {});
}

QByteArray pictureNote(const QByteArray &picture, int count, int shownPx)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg936 ";
    const QByteArray group = "{\\pict\\pngblip\\picwgoal" + QByteArray::number(shownPx * 15) + "\\pichgoal"
                             + QByteArray::number(shownPx * 15) + "\r\n" + picture.toHex() + "}";
    for (int i = 0; i < count; ++i)
        out += group + "\\par\r\n";
    return out + "}";
}

bool writeLines(const QString &path, const QByteArray &head, const QByteArray &line, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(head) != head.size())
        return false;
    if (line.isEmpty())
        return true;
    const QByteArray block = line.repeated(int(qMax<qint64>(1, (1 << 20) / line.size())));
    while (f.size() < bytes)
        if (f.write(block) != block.size())
            return false;
    return true;
}

struct Result {
    double firstPaintMs = -1;
    long peakKb = -1;
};

Result run(const QString &exe, const QString &home, int settleSeconds)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVI_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("TAVI_HOME"), home);
    QProcess p;
    p.setProcessEnvironment(env);
    const long long t0 = monotonicNs();
    p.start(exe, {});
    Result r;
    if (!p.waitForStarted(5000))
        return r;
    QByteArray out;
    const long long limit = t0 + 120LL * 1000000000LL;
    while (!out.contains("first-paint ") && p.state() == QProcess::Running && monotonicNs() < limit) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
        r.peakKb = std::max(r.peakKb, statusKb(p.processId(), "VmHWM:"));
    }
    const int at = out.indexOf("first-paint ");
    if (at >= 0)
        r.firstPaintMs = double(out.mid(at + 12).split('\n').first().toLongLong() - t0) / 1e6;
    for (int i = 0; i < settleSeconds * 10 && p.state() == QProcess::Running; ++i) {
        QThread::msleep(100);
        r.peakKb = std::max(r.peakKb, statusKb(p.processId(), "VmHWM:"));
    }
    p.kill();
    p.waitForFinished(5000);
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int settle = argc > 1 ? std::max(0, atoi(argv[1])) : 3;
    const QString appDir = QStringLiteral(TAVI_APP_DIR);
    const QString exe = appDir + QStringLiteral("/Tavi");
    const QString key = todayKey();
    const QByteArray big = png(4096, 4096);
    const QByteArray huge = greyPng(30000, 30000);
    std::printf("pictures: 4096 x 4096 PNG %lld bytes, 30000 x 30000 PNG %lld bytes\n",
                static_cast<long long>(big.size()), static_cast<long long>(huge.size()));

    const struct {
        const char *name;
        std::function<bool(const QString &home)> lay;
    } inputs[] = {
        {"nothing outsized", [](const QString &) { return true; }},
        {"FormSize.ini asking 2147483647 x 2147483647",
         [](const QString &h) {
             return writeLines(h + "/Data/FormSize.ini", "1\r\n2147483647\r\n2147483647\r\n0\r\n0\r\n6\r\n", "", 0);
         }},
        {"FormSize.ini of 100 MB",
         [](const QString &h) { return writeLines(h + "/Data/FormSize.ini", "1\r\n906\r\n540\r\n0\r\n0\r\n6\r\n",
                                                  QByteArray(98, '7') + "\r\n", 100 << 20); }},
        {"CnWorkdays.tsv of 100 MB",
         [](const QString &h) {
             return writeLines(h + "/Data/CnWorkdays.tsv", "", "2027-10-01\t\xe4\xbc\x91\t" + QByteArray(80, 'x') + "\n",
                               100 << 20);
         }},
        {"today's note of 10 MB text", [key](const QString &h) { return putNote(h + "/Data/UserData.mdb", key, textNote(10 << 20)); }},
        {"today's note of 50 MB text", [key](const QString &h) { return putNote(h + "/Data/UserData.mdb", key, textNote(50 << 20)); }},
        {"today's note of 100 MB text", [key](const QString &h) { return putNote(h + "/Data/UserData.mdb", key, textNote(100 << 20)); }},
        {"today's note: 60 PNGs of 4096 x 4096",
         [key, &big](const QString &h) { return putNote(h + "/Data/UserData.mdb", key, pictureNote(big, 60, 4096)); }},
        {"today's note: one PNG of 30000 x 30000",
         [key, &huge](const QString &h) { return putNote(h + "/Data/UserData.mdb", key, pictureNote(huge, 1, 300)); }},
    };
    // Holiday files as the import reads them (it refuses files over the table's own limit
    // before parsing): one SUMMARY of 15 MB, and 15 MB of events.
    {
        const std::string summary(15 << 20, 'x');
        const std::string one = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20271001\r\nSUMMARY:" + summary
                                + " \xe4\xbc\x91\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        std::string many = "BEGIN:VCALENDAR\r\n";
        for (int i = 0; many.size() < (15u << 20); ++i)
            many += "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:" + std::to_string(30000101 + (i % 28) + 100 * ((i / 28) % 12)
                                                                             + 10000 * (i / 336))
                    + "\r\nSUMMARY:\xe5\x9b\xbd\xe5\xba\x86\xe8\x8a\x82 \xe4\xbc\x91\r\nEND:VEVENT\r\n";
        many += "END:VCALENDAR\r\n";
        for (const auto &[what, text] : {std::pair{"one 15 MB SUMMARY", &one}, {"15 MB of events", &many}}) {
            QElapsedTimer t;
            t.start();
            const TArrangement a = ParseICalendar(*text);
            const TMergeResult m = a.Ok() ? MergeArrangement("", a, "bench") : TMergeResult{};
            std::printf("holiday import parse and merge, %-20s %6lld ms (%zu days, %s)\n", what,
                        static_cast<long long>(t.elapsed()), a.Days.size(), a.Ok() ? "read" : a.Error.substr(0, 60).c_str());
        }
    }
    for (const auto &input : inputs) {
        QTemporaryDir home;
        if (!copyTree(appDir, home.path()) || !input.lay(home.path())) {
            std::fprintf(stderr, "cannot lay out %s\n", input.name);
            return 1;
        }
        const Result r = run(exe, home.path(), settle);
        std::printf("%-45s first paint %8.0f ms, peak memory %7ld kB\n", input.name, r.firstPaintMs, r.peakKb);
        std::fflush(stdout);
    }
    return 0;
}
