// Sync figures against a local Radicale started here: the first sync of 20 years of notes
// (7,300 days, about 1 KB each), a sync with nothing changed, the other machine's first
// sync, and how many requests carry a one-day change to the other machine.
//   sync_bench [days] [one-by-one]
// "one-by-one" sends the first sync's days one request each, as to a server that takes no
// whole calendar. Tavi's and the server's processor times are printed beside the wall time,
// since the machine may be busy with other work.
#include "DavServers.h"

#include "NoteSync.h"
#include "NotesRepository.h"
#include "uDM.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <limits>

using namespace synctest;

namespace {

// Counts what goes to the server.
class Counting : public TDavTransport {
public:
    explicit Counting(TDavTransport &inner) : m_inner(inner) {}
    std::vector<THttpResponse> Send(const std::vector<THttpRequest> &requests) override
    {
        ++rounds;
        this->requests += int(requests.size());
        return m_inner.Send(requests);
    }
    int rounds = 0, requests = 0;

private:
    TDavTransport &m_inner;
};

QString Text(int day)
{
    // About 1 KB of UTF-8: Chinese with some Latin, in lines.
    QString s = QStringLiteral("第%1天：").arg(day);
    while (s.toUtf8().size() < 1000)
        s += QStringLiteral("上午开会讨论季度计划，下午写报告 report v%1；晚上买菜。\n").arg(day % 97);
    return s.trimmed();
}

double Timed(const Machine &m, const QByteArray &pw, RunResult *out)
{
    QElapsedTimer t;
    t.start();
    *out = m.Sync(pw, 600000);
    return double(t.elapsed()) / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int days = argc > 1 ? std::atoi(argv[1]) : 7300;
    const bool oneByOne = argc > 2 && qstrcmp(argv[2], "one-by-one") == 0;
    QString why;
    auto server = DavServer::Start(ServerKind::Radicale, &why);
    if (!server) {
        std::printf("sync_bench: no Radicale: %s\n", qPrintable(why));
        return 1;
    }
    Machine a(QStringLiteral("A")), b(QStringLiteral("B"));
    a.SetUp(server->Address(), server->User());
    b.SetUp(server->Address(), server->User());
    {
        std::vector<TNotesRepository::DayNote> notes;
        const QDate first(2006, 1, 2);
        for (int d = 0, made = 0; made < days; ++d) {
            const QDate day = first.addDays(d);
            if (day.dayOfWeek() == 7)
                continue;
            const Note n = MakeNote(Text(d));
            notes.push_back({day.toString(QStringLiteral("yyyyMMdd")), n.rtf, n.plain});
            ++made;
        }
        qputenv("TAVI_HOME", a.Folder().toUtf8());
        TDM dm;
        dm.ConnectDatabase();
        TNotesRepository(dm).WriteDays(notes, true);
        qunsetenv("TAVI_HOME");
        qint64 bytes = 0;
        for (const auto &n : notes)
            bytes += n.plain.toUtf8().size();
        std::printf("notes: %d days, %.0f bytes of text each on average\n", days, double(bytes) / days);
    }
    RunResult r;
    double serverBefore = server->CpuSeconds();
    auto report = [&](const char *what, double seconds, bool peak) {
        const double serverNow = server->CpuSeconds();
        std::printf("%-44s %8.2f s  (processor: Tavi %.2f s, server %.2f s) [%s]\n", what, seconds, r.cpuSeconds,
                    serverNow - serverBefore, qPrintable(r.exitCode == 0 ? r.out : r.err));
        serverBefore = serverNow;
        if (peak)
            std::printf("%-44s %8.1f MB\n", "  peak resident size of that run", double(r.peakKb) / 1024);
    };
    double s;
    if (oneByOne) {
        // In this process, so that the whole calendar is not offered.
        qputenv("TAVI_HOME", a.Folder().toUtf8());
        TDM dm;
        dm.ConnectDatabase();
        qunsetenv("TAVI_HOME");
        TNotesRepository notes(dm);
        TQtTransport real(QString::fromUtf8(server->User()), QString::fromUtf8(server->Password()));
        TNoteSync sync(notes, real, a.Folder() + QStringLiteral("/Data/SyncState.json"));
        sync.Address = server->Address();
        sync.ImportAtLeast = std::numeric_limits<int>::max();
        QElapsedTimer t;
        t.start();
        const bool ok = sync.Run();
        r = RunResult();
        r.exitCode = ok ? 0 : 1;
        r.out = TNoteSync::SummaryLine(sync.Summary);
        r.err = sync.ErrorText;
        report("first sync, every day up, one request each", double(t.elapsed()) / 1000.0, false);
    } else {
        s = Timed(a, server->Password(), &r);
        report("first sync, every day up (Tavi --sync)", s, true);
    }
    s = Timed(a, server->Password(), &r);
    report("nothing changed (Tavi --sync)", s, false);
    s = Timed(b, server->Password(), &r);
    report("other machine's first sync, every day down", s, true);
    s = Timed(b, server->Password(), &r);
    report("other machine, nothing changed", s, false);

    // One day changed on A; B's sync, counted.
    a.Write(QStringLiteral("20060103"), MakeNote(QStringLiteral("改过的一天")));
    Timed(a, server->Password(), &r);
    qputenv("TAVI_HOME", b.Folder().toUtf8());
    TDM dm;
    dm.ConnectDatabase();
    qunsetenv("TAVI_HOME");
    TNotesRepository notes(dm);
    TQtTransport real(QString::fromUtf8(server->User()), QString::fromUtf8(server->Password()));
    Counting counting(real);
    TNoteSync sync(notes, counting, b.Folder() + QStringLiteral("/Data/SyncState.json"));
    sync.Address = server->Address();
    QElapsedTimer t;
    t.start();
    const bool ok = sync.Run();
    std::printf("one-day change to the other machine:    %7.3f s, %d request round(s), %d request(s) [%s]\n",
                double(t.elapsed()) / 1000.0, counting.rounds, counting.requests,
                qPrintable(ok ? TNoteSync::SummaryLine(sync.Summary) : sync.ErrorText));
    return 0;
}
