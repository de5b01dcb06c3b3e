// Two program folders as two machines, synced through a real CalDAV server started here,
// and a server answering garbage. After every failure the notes are what they were.
#include "DavServers.h"

#include "NoteDocument.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

using namespace synctest;

namespace {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "sync_tests";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

const QString Summary0 = QStringLiteral("同步完成：发送 0 天，接收 0 天，合并 0 天");

QUrl CollectionOf(const Machine &m)
{
    QFile f(m.Folder() + QStringLiteral("/Data/SyncState.json"));
    f.open(QIODevice::ReadOnly);
    return QUrl(QJsonDocument::fromJson(f.readAll()).object().value(QLatin1String("collection")).toString());
}

class RealServer : public ::testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override
    {
        EnsureApp();
        QString why;
        server = DavServer::Start(GetParam(), &why);
        if (!server)
            GTEST_SKIP() << why.toStdString();
        a.SetUp(server->Address(), server->User());
        b.SetUp(server->Address(), server->User());
    }
    RunResult sync(const Machine &m)
    {
        const RunResult r = m.Sync(server->Password());
        EXPECT_EQ(r.exitCode, 0) << m.Name().toStdString() << ": " << r.err.toStdString();
        return r;
    }
    QByteArray pw() const { return server->Password(); }

    std::unique_ptr<DavServer> server;
    Machine a{QStringLiteral("A")}, b{QStringLiteral("B")};
};

TEST_P(RealServer, NotesWithColourReachTheOtherMachine)
{
    a.Write(QStringLiteral("20261207"), MakeNote(QStringLiteral("红色的标题\n第二行"), Qt::red));
    a.Write(QStringLiteral("20261208"), MakeNote(QStringLiteral("买菜, 交电费; 还书\\")));
    a.Write(QStringLiteral("20261212"), MakeNote(QStringLiteral("周末：爬山")));
    a.Write(QStringLiteral("20261209"), MakeNote(QString())); // a row of an empty box goes nowhere
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 3 天，接收 0 天，合并 0 天"));
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 0 天，接收 3 天，合并 0 天"));
    Notes sent = a.Read(), got = b.Read();
    sent.erase(QStringLiteral("20261209"));
    EXPECT_EQ(got, sent);
    TNoteDocument doc;
    doc.LoadFromBytes(got[QStringLiteral("20261207")].rtf);
    EXPECT_EQ(doc.begin().begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    // Nothing changed: nothing moves, both ways.
    EXPECT_EQ(sync(a).out, Summary0);
    EXPECT_EQ(sync(b).out, Summary0);
}

TEST_P(RealServer, BothSidesEditingOneDayKeepBothTexts)
{
    const QString day = QStringLiteral("20261210");
    a.Write(day, MakeNote(QStringLiteral("开会")));
    sync(a);
    sync(b);
    a.Write(day, MakeNote(QStringLiteral("开会 改到三点"), Qt::blue));
    b.Write(day, MakeNote(QStringLiteral("开会 带上报告")));
    sync(a);
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 1 天，接收 0 天，合并 1 天"));
    const QString merged = b.Read()[day].plain;
    EXPECT_TRUE(merged.startsWith(QStringLiteral("开会 带上报告\r\n—— 另一处的记事（"))) << merged.toStdString();
    EXPECT_TRUE(merged.endsWith(QStringLiteral("——\r\n开会 改到三点"))) << merged.toStdString();
    sync(a);
    EXPECT_EQ(a.Read()[day], b.Read()[day]);
    EXPECT_EQ(sync(a).out, Summary0);
    EXPECT_EQ(sync(b).out, Summary0);
}

TEST_P(RealServer, JournalsOfOtherProgramsShowAndTheirTextWins)
{
    a.Write(QStringLiteral("20261211"), MakeNote(QStringLiteral("原来的文字"), Qt::red));
    sync(a);
    sync(b);
    const QUrl collection = CollectionOf(a);
    ASSERT_TRUE(collection.isValid());
    // A phone's journal on a Sunday shows in the Saturday-and-Sunday box.
    const QByteArray phone = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VJOURNAL\r\nUID:phone-1\r\n"
                             "DTSTAMP:20261213T010000Z\r\nDTSTART;VALUE=DATE:20261213\r\nSUMMARY:手机\r\n"
                             "DESCRIPTION:手机上记的\\n第二行\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n";
    const QUrl phoneUrl = collection.resolved(QUrl(QStringLiteral("phone-1.ics")));
    ASSERT_EQ(Http("PUT", phoneUrl, phone, server->User(), pw()), 201);
    // Another program rewrites the description of our own journal and keeps our RTF.
    QByteArray ours;
    const QUrl oursUrl = collection.resolved(QUrl(QStringLiteral("tavi-day-20261211.ics")));
    ASSERT_EQ(Http("GET", oursUrl, {}, server->User(), pw(), &ours), 200);
    ours.replace("DESCRIPTION:原来的文字", "DESCRIPTION:别处改过的文字");
    ASSERT_LT(Http("PUT", oursUrl, ours, server->User(), pw()), 300);

    sync(a);
    Notes notes = a.Read();
    EXPECT_EQ(notes[QStringLiteral("20261212")].plain, QStringLiteral("手机上记的\r\n第二行"));
    EXPECT_EQ(notes[QStringLiteral("20261211")].plain, QStringLiteral("别处改过的文字"));
    // The phone's journal stays where it was; the day's own journal carries the text to B.
    EXPECT_EQ(Http("GET", phoneUrl, {}, server->User(), pw()), 200);
    sync(b);
    EXPECT_EQ(b.Read()[QStringLiteral("20261212")], notes[QStringLiteral("20261212")]);
    EXPECT_EQ(b.Read()[QStringLiteral("20261211")], notes[QStringLiteral("20261211")]);
    EXPECT_EQ(sync(a).out, Summary0);
}

TEST_P(RealServer, DeletionGoesAcrossAndAnEditHereWins)
{
    const QString gone = QStringLiteral("20261214"), edited = QStringLiteral("20261215");
    a.Write(gone, MakeNote(QStringLiteral("要删掉的")));
    a.Write(edited, MakeNote(QStringLiteral("两边都有")));
    sync(a);
    sync(b);
    a.Write(gone, MakeNote(QString()));
    a.Write(edited, MakeNote(QString()));
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 2 天，接收 0 天，合并 0 天"));
    b.Write(edited, MakeNote(QStringLiteral("两边都有，B 又写了")));
    sync(b);
    Notes notes = b.Read();
    EXPECT_EQ(notes[gone].plain, QString());
    EXPECT_EQ(notes[edited].plain, QStringLiteral("两边都有，B 又写了"));
    sync(a);
    EXPECT_EQ(a.Read()[edited], notes[edited]);
}

TEST_P(RealServer, WrongPasswordChangesNothing)
{
    if (!server->NeedsPassword())
        GTEST_SKIP() << NameOf(GetParam()) << " has no authentication of its own";
    a.Write(QStringLiteral("20261216"), MakeNote(QStringLiteral("密码错时不动")));
    sync(a);
    b.Write(QStringLiteral("20261216"), MakeNote(QStringLiteral("B 的")));
    const Notes before = b.Read();
    const RunResult r = b.Sync("wrong");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("密码"))) << r.err.toStdString();
    EXPECT_EQ(b.Read(), before);
}

TEST_P(RealServer, ServerGoneMidSyncLosesNothing)
{
    for (int d = 0; d < 150; ++d)
        a.Write(QDate(2020, 1, 1).addDays(d).toString(QStringLiteral("yyyyMMdd")),
                MakeNote(QStringLiteral("第 %1 天的记事").arg(d)));
    const Notes before = a.Read();
    // The server is killed while the days go up.
    QTimer poll;
    int files = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        files = 0;
        for (QDirIterator it(server->Folder(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++files;
        if (files > 40) {
            server->Kill();
            poll.stop();
        }
    });
    poll.start(10);
    const RunResult r = a.Sync(pw());
    poll.stop();
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("同步服务器"))) << r.err.toStdString();
    EXPECT_EQ(a.Read(), before);
    ASSERT_TRUE(server->Restart());
    sync(a);
    sync(b);
    EXPECT_EQ(b.Read(), before);
}

TEST_P(RealServer, AFirstSyncOfManyDaysGoesUpWholeAndStaysInStep)
{
    // Enough days for one calendar at once where the server takes it (Radicale), one
    // request each where it does not (Xandikos); either way every day arrives once.
    for (int d = 0; d < 260; ++d)
        a.Write(QDate(2019, 3, 4).addDays(d * 2).toString(QStringLiteral("yyyyMMdd")),
                MakeNote(QStringLiteral("第 %1 条\n第二行").arg(d), d % 7 ? QColor() : QColor(Qt::darkGreen)));
    const Notes before = a.Read();
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 260 天，接收 0 天，合并 0 天"));
    EXPECT_EQ(a.Read(), before);
    EXPECT_EQ(sync(a).out, Summary0);
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 0 天，接收 260 天，合并 0 天"));
    EXPECT_EQ(b.Read(), before);
    // The ETags kept for the days sent together are the server's: an edit goes up as one write.
    const QString day = QStringLiteral("20190306");
    a.Write(day, MakeNote(QStringLiteral("改过")));
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 1 天，接收 0 天，合并 0 天"));
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 0 天，接收 1 天，合并 0 天"));
    EXPECT_EQ(b.Read(), a.Read());
    // A phone's journal in the same collection stays beside ours.
    const QByteArray phone = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VJOURNAL\r\nUID:phone-2\r\n"
                             "DTSTAMP:20261213T010000Z\r\nDTSTART;VALUE=DATE:20190305\r\n"
                             "DESCRIPTION:手机\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(Http("PUT", CollectionOf(a).resolved(QUrl(QStringLiteral("phone-2.ics"))), phone, server->User(), pw()), 201);
    sync(b);
    EXPECT_EQ(b.Read()[QStringLiteral("20190305")].plain, QStringLiteral("手机"));
}

// The yearly dates of a machine as the user sees them: fields only, in a stable order.
std::vector<TYearlyDate> Fields(std::vector<TYearlyDate> list)
{
    for (TYearlyDate &d : list)
        d.Id = 0;
    std::sort(list.begin(), list.end(), [](const TYearlyDate &x, const TYearlyDate &y) {
        return std::tie(x.Name, x.Month, x.Day, x.LeadDays) < std::tie(y.Name, y.Month, y.Day, y.LeadDays);
    });
    return list;
}

} // namespace

void PrintTo(const TYearlyDate &d, std::ostream *os)
{
    *os << d.Name << (d.Lunar ? " lunar " : " civil ") << d.Month << (d.Leap ? "L/" : "/") << d.Day
        << (d.Birthday ? " birthday" : "") << " from " << d.FirstYear << " lead " << d.LeadDays;
}

namespace {

TYearlyDate Date(const char *name, bool lunar, int month, int day, bool birthday, int firstYear, int lead)
{
    TYearlyDate d;
    d.Name = name;
    d.Lunar = lunar;
    d.Month = month;
    d.Day = day;
    d.Birthday = birthday;
    d.FirstYear = firstYear;
    d.LeadDays = lead;
    return d;
}

QString UidOf(const Machine &m, long long id)
{
    QFile f(m.Folder() + QStringLiteral("/Data/SyncState.json"));
    f.open(QIODevice::ReadOnly);
    const QJsonObject yearly = QJsonDocument::fromJson(f.readAll()).object().value(QLatin1String("yearly")).toObject();
    for (auto it = yearly.begin(); it != yearly.end(); ++it)
        if (it.value().toArray().at(0).toString().toLongLong() == id)
            return it.key();
    return {};
}

TEST_P(RealServer, YearlyDatesTravelBothWays)
{
    const TYearlyDate wedding = Date("结婚", false, 5, 20, false, 2010, 7);
    const TYearlyDate mother = Date("妈妈", true, 4, 8, true, 1960, 3);
    const TYearlyDate leapDay = Date("闰日", false, 2, 29, false, 0, 1);
    const long long weddingId = a.AddYearly(wedding);
    const long long motherId = a.AddYearly(mother);
    const long long leapId = a.AddYearly(leapDay);
    a.Write(QStringLiteral("20261207"), MakeNote(QStringLiteral("记事也照常")));
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 1 天，接收 0 天，合并 0 天；纪念日发送 3 个，接收 0 个"));
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 0 天，接收 1 天，合并 0 天；纪念日发送 0 个，接收 3 个"));
    EXPECT_EQ(Fields(b.Yearly()), Fields(a.Yearly()));

    // What other calendars read: a yearly rule for a civil date (29 February as the last day
    // of February), the next occurrences of a lunar one, each with a reminder.
    const QUrl collection = CollectionOf(a);
    auto objectOf = [&](long long id) {
        QByteArray ics;
        EXPECT_EQ(Http("GET", collection.resolved(QUrl(UidOf(a, id) + QStringLiteral(".ics"))), {}, server->User(), pw(), &ics),
                  200);
        return QString::fromUtf8(ics).remove(QStringLiteral("\r\n ")); // unfolded
    };
    const QString w = objectOf(weddingId), m = objectOf(motherId), l = objectOf(leapId);
    EXPECT_TRUE(w.contains(QStringLiteral("RRULE:FREQ=YEARLY\r\n"))) << w.toStdString();
    EXPECT_TRUE(w.contains(QStringLiteral("DTSTART;VALUE=DATE:20100520"))) << w.toStdString();
    EXPECT_TRUE(w.contains(QStringLiteral("TRIGGER:-P7D"))) << w.toStdString();
    EXPECT_TRUE(l.contains(QStringLiteral("BYMONTH=2")) && l.contains(QStringLiteral("BYMONTHDAY=-1"))) << l.toStdString();
    EXPECT_TRUE(m.contains(QStringLiteral("SUMMARY:妈妈生日"))) << m.toStdString();
    EXPECT_FALSE(m.contains(QStringLiteral("RRULE"))) << m.toStdString();
    const int year = QDate::currentDate().year();
    for (int y : {year, year + 1, year + 10}) {
        const auto occ = yearly::OccurrencesIn(mother, y);
        ASSERT_FALSE(occ.empty());
        const QString day = QStringLiteral("%1%2%3").arg(occ[0].Civil.year).arg(occ[0].Civil.month, 2, 10, QLatin1Char('0'))
                                .arg(occ[0].Civil.day, 2, 10, QLatin1Char('0'));
        EXPECT_TRUE(m.contains(day)) << day.toStdString() << " in " << m.toStdString();
    }

    // Changed on B, deleted on B: A follows.
    std::vector<TYearlyDate> onB = b.Yearly();
    for (const TYearlyDate &d : onB) {
        if (d.Name == "结婚") {
            TYearlyDate e = d;
            e.LeadDays = 10;
            b.UpdateYearly(e);
        } else if (d.Name == "闰日") {
            b.RemoveYearly(d.Id);
        }
    }
    EXPECT_EQ(sync(b).out, QStringLiteral("同步完成：发送 0 天，接收 0 天，合并 0 天；纪念日发送 2 个，接收 0 个"));
    EXPECT_EQ(sync(a).out, QStringLiteral("同步完成：发送 0 天，接收 0 天，合并 0 天；纪念日发送 0 个，接收 2 个"));
    EXPECT_EQ(Fields(a.Yearly()), Fields(b.Yearly()));
    EXPECT_EQ(a.Yearly().size(), 2u);

    // Both sides change the same date: both versions are kept, on both machines.
    TYearlyDate renamed = mother;
    renamed.Id = motherId;
    renamed.Name = "母亲";
    a.UpdateYearly(renamed);
    for (TYearlyDate d : b.Yearly())
        if (d.Name == "妈妈") {
            d.LeadDays = 5;
            b.UpdateYearly(d);
        }
    sync(a);
    sync(b);
    sync(a);
    const auto both = Fields(a.Yearly());
    EXPECT_EQ(both, Fields(b.Yearly()));
    ASSERT_EQ(both.size(), 3u);
    EXPECT_TRUE(std::any_of(both.begin(), both.end(), [](const TYearlyDate &d) { return d.Name == "母亲" && d.LeadDays == 3; }));
    EXPECT_TRUE(std::any_of(both.begin(), both.end(), [](const TYearlyDate &d) { return d.Name == "妈妈" && d.LeadDays == 5; }));

    // A phone's all-day event repeating every year comes in as a civil 纪念日.
    const QByteArray phone = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:phone-yearly\r\n"
                             "DTSTAMP:20261213T010000Z\r\nDTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=YEARLY\r\n"
                             "SUMMARY:同学聚会\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(Http("PUT", collection.resolved(QUrl(QStringLiteral("phone-yearly.ics"))), phone, server->User(), pw()), 201);
    sync(b);
    const auto withPhone = Fields(b.Yearly());
    EXPECT_TRUE(std::any_of(withPhone.begin(), withPhone.end(), [](const TYearlyDate &d) {
        return d.Name == "同学聚会" && !d.Lunar && d.Month == 3 && d.Day == 15;
    }));
    sync(a);
    EXPECT_EQ(Fields(a.Yearly()), withPhone);
    EXPECT_EQ(sync(a).out, Summary0);
    EXPECT_EQ(sync(b).out, Summary0);
    // The day note went nowhere it should not.
    EXPECT_EQ(b.Read()[QStringLiteral("20261207")], a.Read()[QStringLiteral("20261207")]);
}

TEST(SelfSignedServer, TakenOnlyWithTheFingerprintTheUserAccepted)
{
    EnsureApp();
    QString why;
    auto server = DavServer::Start(ServerKind::Radicale, &why, true);
    if (!server)
        GTEST_SKIP() << why.toStdString();
    ASSERT_EQ(server->Address().scheme(), QStringLiteral("https"));
    Machine a(QStringLiteral("A"));
    a.SetUp(server->Address(), server->User());
    a.Write(QStringLiteral("20261207"), MakeNote(QStringLiteral("经过加密的连接")));
    const Notes before = a.Read();
    // Not accepted yet: nothing goes, and the message shows the fingerprint to compare.
    RunResult r = a.Sync(server->Password());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("证书"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromLatin1(server->Fingerprint()), Qt::CaseInsensitive))
        << r.err.toStdString() << " / " << server->Fingerprint().toStdString();
    // Accepted: the sync goes through.
    a.SetUp(server->Address(), server->User(), server->Fingerprint());
    r = a.Sync(server->Password());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("同步完成：发送 1 天，接收 0 天，合并 0 天"));
    // The server shows another certificate: refused again, the notes as they were.
    const QByteArray accepted = server->Fingerprint();
    ASSERT_TRUE(server->NewCertificate());
    ASSERT_TRUE(server->Restart());
    ASSERT_NE(server->Fingerprint(), accepted);
    a.Write(QStringLiteral("20261208"), MakeNote(QStringLiteral("证书换了以后写的")));
    const Notes later = a.Read();
    r = a.Sync(server->Password());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromLatin1(server->Fingerprint()), Qt::CaseInsensitive)) << r.err.toStdString();
    EXPECT_EQ(a.Read(), later);
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer, ::testing::Values(ServerKind::Radicale, ServerKind::Xandikos),
                         [](const auto &info) { return std::string(NameOf(info.param)); });

TEST(SyncCommand, NotSetUpSaysSoWithTwo)
{
    EnsureApp();
    Machine m(QStringLiteral("M"));
    const RunResult r = m.Sync();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("同步设置"))) << r.err.toStdString();
}

// A server that answers every request the same bad way.
class GarbageServer : public QTcpServer {
public:
    QByteArray head, body;
    qint64 hugeBody = 0; // sent in pieces, as a server streaming without end would
    bool sayLength = true; // false: the body runs until the connection closes
    GarbageServer() { listen(QHostAddress::LocalHost, 0); }

protected:
    void incomingConnection(qintptr fd) override
    {
        auto *s = new QTcpSocket(this);
        s->setSocketDescriptor(fd);
        auto *pending = new QByteArray;
        connect(s, &QTcpSocket::readyRead, s, [this, s, pending] {
            *pending += s->readAll();
            const qsizetype end = pending->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray header = pending->left(end).toLower();
            const qsizetype at = header.indexOf("content-length:");
            const qint64 length = at < 0 ? 0 : header.mid(at + 15, header.indexOf('\r', at) - at - 15).trimmed().toLongLong();
            if (pending->size() < end + 4 + length)
                return;
            pending->remove(0, end + 4 + length);
            if (hugeBody == 0) {
                s->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                return;
            }
            s->write(head + (sayLength ? "Content-Length: " + QByteArray::number(hugeBody) + "\r\n\r\n"
                                       : QByteArray("Connection: close\r\n\r\n")));
            auto *left = new qint64(hugeBody);
            const QByteArray piece(1 << 20, 'x');
            auto more = [s, left, piece] {
                while (*left > 0 && s->bytesToWrite() < (4 << 20)) {
                    const qint64 n = std::min<qint64>(*left, piece.size());
                    s->write(piece.constData(), n);
                    *left -= n;
                }
                if (*left == 0 && s->bytesToWrite() == 0)
                    s->disconnectFromHost();
            };
            connect(s, &QTcpSocket::bytesWritten, s, more);
            more();
        });
        connect(s, &QTcpSocket::disconnected, s, [s, pending] {
            delete pending;
            s->deleteLater();
        });
    }
};

TEST(SyncCommand, GarbageFromTheServerIsAClearErrorAndChangesNothing)
{
    EnsureApp();
    const QByteArray calendar =
        "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:response><d:href>/cal/</d:href><d:propstat><d:prop><d:resourcetype><d:collection/><c:calendar/>"
        "</d:resourcetype><d:sync-token>t1</d:sync-token></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "</d:response><d:response><d:href>/cal/tavi-day-20261207.ics</d:href><d:propstat><d:prop>"
        "<d:getetag>\"1\"</d:getetag><c:calendar-data>BEGIN:VCALENDAR\nBEGIN:VJOURN&lt;&lt;\n\x01garbage"
        "</c:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
        "<d:sync-token>t1</d:sync-token></d:multistatus>";
    struct Case {
        const char *what;
        QByteArray head, body;
        qint64 huge;
        bool sayLength = true;
    };
    const Case cases[] = {
        {"an HTML page", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", "<html><body>Welcome</body></html>", 0},
        {"500", "HTTP/1.1 500 Internal Server Error\r\n", "oops", 0},
        {"malformed iCalendar of a day", "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n", calendar, 0},
        {"a 100 MB body", "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n", {}, 100LL << 20},
        {"a 300 MB body without a length", "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n", {},
         300LL << 20, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GarbageServer server;
        server.head = c.head;
        server.body = c.body;
        server.hugeBody = c.huge;
        server.sayLength = c.sayLength;
        Machine m(QStringLiteral("M"));
        m.SetUp(QUrl(QStringLiteral("http://127.0.0.1:%1/cal/").arg(server.serverPort())), "alice");
        m.Write(QStringLiteral("20261207"), MakeNote(QStringLiteral("这里的记事")));
        const Notes before = m.Read();
        const RunResult r = m.Sync("pw");
        EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("同步服务器"))) << r.err.toStdString();
        EXPECT_EQ(m.Read(), before);
        EXPECT_LT(r.peakKb, 100 * 1024) << "peak resident size of the run, KB";
    }
}

} // namespace
