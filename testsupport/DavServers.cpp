#include "DavServers.h"

#include "NoteDocument.h"
#include "NotesRepository.h"
#include "YearlyDatesStore.h"
#include "uDM.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

#include <csignal>

#include <unistd.h>

namespace synctest {

const char *NameOf(ServerKind kind) { return kind == ServerKind::Radicale ? "Radicale" : "Xandikos"; }

namespace {

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool WaitForPort(int port, int ms)
{
    for (int waited = 0; waited < ms; waited += 100) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (s.waitForConnected(100))
            return true;
        QThread::msleep(100);
    }
    return false;
}

} // namespace

std::unique_ptr<DavServer> DavServer::Start(ServerKind kind, QString *why, bool tls)
{
    const QString program = kind == ServerKind::Radicale ? QStringLiteral("radicale") : QStringLiteral("xandikos");
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        *why = program + QStringLiteral(" is not installed (Debian package ") + program + QStringLiteral(")");
        return nullptr;
    }
    std::unique_ptr<DavServer> server(new DavServer);
    server->m_kind = kind;
    server->m_port = FreePort();
    server->m_tls = tls && kind == ServerKind::Radicale;
    if (server->m_tls && !server->NewCertificate()) {
        *why = QStringLiteral("openssl could not make a certificate");
        return nullptr;
    }
    if (!server->launch()) {
        *why = program + QStringLiteral(" did not answer on its port");
        return nullptr;
    }
    return server;
}

bool DavServer::launch()
{
    const QString dir = m_dir.path();
    QProcess p;
    QStringList args;
    if (m_kind == ServerKind::Radicale) {
        QFile users(dir + QStringLiteral("/users"));
        users.open(QIODevice::WriteOnly);
        users.write(User() + ':' + Password() + '\n');
        users.close();
        QFile config(dir + QStringLiteral("/config"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%3"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2/users\nhtpasswd_encryption = plain\n"
                                    "delay = 0\n"
                                    "[rights]\ntype = owner_only\n"
                                    "[storage]\nfilesystem_folder = %2/collections\n"
                                    "[web]\ntype = none\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(m_port)
                         .arg(dir)
                         .arg(m_tls ? QStringLiteral("ssl = True\ncertificate = %1/cert.pem\nkey = %1/key.pem\n").arg(dir)
                                    : QString())
                         .toUtf8());
        config.close();
        p.setProgram(QStringLiteral("radicale"));
        args << QStringLiteral("--config") << dir + QStringLiteral("/config");
    } else {
        p.setProgram(QStringLiteral("xandikos"));
        args << QStringLiteral("-d") << dir + QStringLiteral("/data") << QStringLiteral("-l") << QStringLiteral("127.0.0.1")
             << QStringLiteral("-p") << QString::number(m_port) << QStringLiteral("--current-user-principal")
             << QStringLiteral("/alice/") << QStringLiteral("--autocreate");
    }
    p.setArguments(args);
    p.setStandardOutputFile(dir + QStringLiteral("/log"), QIODevice::Append);
    p.setStandardErrorFile(dir + QStringLiteral("/log"), QIODevice::Append);
    if (!p.startDetached(&m_pid))
        return false;
    return WaitForPort(m_port, 20000);
}

QUrl DavServer::Address() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? QStringLiteral("https") : QStringLiteral("http")).arg(m_port));
}

bool DavServer::NewCertificate()
{
    const QString dir = m_dir.path();
    QProcess make;
    make.start(QStringLiteral("openssl"),
               {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                QStringLiteral("-keyout"), dir + QStringLiteral("/key.pem"), QStringLiteral("-out"),
                dir + QStringLiteral("/cert.pem")});
    if (!make.waitForFinished(60000) || make.exitCode() != 0)
        return false;
    QProcess print;
    print.start(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                                            QStringLiteral("-sha256"), QStringLiteral("-in"), dir + QStringLiteral("/cert.pem")});
    if (!print.waitForFinished(20000) || print.exitCode() != 0)
        return false;
    // "sha256 Fingerprint=AB:CD:..."
    const QByteArray line = print.readAllStandardOutput().trimmed();
    m_fingerprint = line.mid(line.indexOf('=') + 1);
    return !m_fingerprint.isEmpty();
}

double DavServer::CpuSeconds() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_pid));
    if (m_pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    // Fields 14 and 15 (user and system time) follow the name in parentheses.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return double(f.value(11).toLongLong() + f.value(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

void DavServer::Kill()
{
    if (m_pid > 0) {
        // Stopped as a service would be; what does not end in a few seconds is killed.
        ::kill(pid_t(m_pid), SIGTERM);
        for (int i = 0; i < 100 && ::kill(pid_t(m_pid), 0) == 0; ++i)
            QThread::msleep(50);
        ::kill(pid_t(m_pid), SIGKILL);
        // Until the port is free again.
        for (int i = 0; i < 50; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (!s.waitForConnected(100))
                break;
            QThread::msleep(100);
        }
    }
    m_pid = 0;
}

bool DavServer::Restart()
{
    Kill();
    return launch();
}

DavServer::~DavServer() { Kill(); }

Machine::Machine(const QString &name) : m_name(name)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/UserData.mdb"), m_dir.path() + QStringLiteral("/Data/UserData.mdb"));
    QFile(m_dir.path() + QStringLiteral("/Data/UserData.mdb")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

void Machine::SetUp(const QUrl &address, const QByteArray &user, const QByteArray &fingerprint)
{
    QFile f(m_dir.path() + QStringLiteral("/Data/Sync.ini"));
    f.open(QIODevice::WriteOnly);
    f.write(address.toString().toUtf8() + "\r\n" + user + "\r\n");
    if (!fingerprint.isEmpty())
        f.write(fingerprint + "\r\n");
}

RunResult RunProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env, int timeoutMs)
{
    RunResult r;
    QTemporaryDir dir;
    const QString peakFile = dir.path() + QStringLiteral("/peak");
    QProcess p;
    p.setProcessEnvironment(env);
    // GNU time reports the largest resident size and the processor time of the run.
    QStringList all{QStringLiteral("-f"), QStringLiteral("%M %U %S"), QStringLiteral("-o"), peakFile, program};
    all << args;
    p.start(QStringLiteral("/usr/bin/time"), all);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, [&] {
        p.kill();
        loop.quit();
    });
    if (p.waitForStarted(5000) && p.state() != QProcess::NotRunning)
        loop.exec();
    p.waitForFinished(5000);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    r.err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    QFile peak(peakFile);
    if (peak.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = peak.readAll().trimmed().split('\n');
        const QList<QByteArray> figures = lines.isEmpty() ? QList<QByteArray>() : lines.last().trimmed().split(' ');
        r.peakKb = figures.value(0).toLong();
        r.cpuSeconds = figures.value(1).toDouble() + figures.value(2).toDouble();
    }
    return r;
}

RunResult Machine::Sync(const QByteArray &password, int timeoutMs) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVI_HOME"), m_dir.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("TAVI_SYNC_PASSWORD"), QString::fromUtf8(password));
    return RunProgram(QStringLiteral(TAVI_EXE), {QStringLiteral("--sync")}, env, timeoutMs);
}

namespace {

struct Connected {
    // The folder is named for the connection only: a window under test keeps its own.
    explicit Connected(const QString &folder)
    {
        const QByteArray before = qgetenv("TAVI_HOME");
        const bool had = qEnvironmentVariableIsSet("TAVI_HOME");
        qputenv("TAVI_HOME", folder.toUtf8());
        ok = dm.ConnectDatabase();
        if (had)
            qputenv("TAVI_HOME", before);
        else
            qunsetenv("TAVI_HOME");
    }
    TDM dm;
    bool ok = false;
};

} // namespace

Notes Machine::Read() const
{
    Connected c(m_dir.path());
    Notes notes;
    if (!c.ok)
        return notes;
    TNotesRepository repo(c.dm);
    for (const auto &d : repo.AllDays())
        notes[d.key] = {d.rtf, d.plain};
    return notes;
}

void Machine::Write(const QString &key, const Note &note) const
{
    Connected c(m_dir.path());
    TNotesRepository repo(c.dm);
    repo.WriteDays({{key, note.rtf, note.plain}}, true);
}

std::vector<TYearlyDate> Machine::Yearly() const
{
    Connected c(m_dir.path());
    return TYearlyDatesStore(c.dm).Load();
}

long long Machine::AddYearly(const TYearlyDate &d) const
{
    Connected c(m_dir.path());
    return TYearlyDatesStore(c.dm).Add(d);
}

void Machine::UpdateYearly(const TYearlyDate &d) const
{
    Connected c(m_dir.path());
    TYearlyDatesStore(c.dm).Update(d);
}

void Machine::RemoveYearly(long long id) const
{
    Connected c(m_dir.path());
    TYearlyDatesStore(c.dm).Remove(id);
}

Note MakeNote(const QString &text, const QColor &firstLine)
{
    TNoteDocument doc;
    QTextCursor c(&doc);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            c.insertBlock();
        QTextCharFormat f;
        if (i == 0 && firstLine.isValid())
            f.setForeground(firstLine);
        c.insertText(lines[i], f);
    }
    return {doc.RtfContent(), doc.PlainText()};
}

int Http(const QByteArray &method, const QUrl &url, const QByteArray &body, const QByteArray &user,
         const QByteArray &password, QByteArray *answer, const QByteArray &depth)
{
    QNetworkAccessManager nam;
    QNetworkRequest req(url);
    if (!user.isEmpty())
        req.setRawHeader("Authorization", "Basic " + (user + ':' + password).toBase64());
    if (!depth.isEmpty())
        req.setRawHeader("Depth", depth);
    req.setRawHeader("Content-Type", method == "PUT" ? "text/calendar; charset=utf-8" : "application/xml");
    QNetworkReply *reply = nam.sendCustomRequest(req, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    if (answer)
        *answer = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}

} // namespace synctest
