#pragma once
// CalDAV servers for the tests, each started on 127.0.0.1 in a folder of its own and
// ended by its process id; and program folders standing in for machines.
#include <QByteArray>
#include <QColor>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "YearlyDates.h"

#include <map>
#include <memory>
#include <vector>

#include <ostream>

// Readable failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace synctest {

enum class ServerKind { Radicale, Xandikos };
const char *NameOf(ServerKind kind);

class DavServer {
public:
    // Null, with the reason, when the server's program is not installed or does not answer.
    // tls: HTTPS with a self-signed certificate made here (Radicale only).
    static std::unique_ptr<DavServer> Start(ServerKind kind, QString *why, bool tls = false);
    ~DavServer();

    // The address a user would type: the server itself (discovery finds the calendar).
    QUrl Address() const;
    QByteArray User() const { return "alice"; }
    QByteArray Password() const { return "sesame"; }
    bool NeedsPassword() const { return m_kind == ServerKind::Radicale; }
    int Port() const { return m_port; }
    QString Folder() const { return m_dir.path(); }
    // The processor time the server has used so far, in seconds (its process alone).
    double CpuSeconds() const;
    // Ends the server at once (a server gone mid-sync), or starts it again on the same port and folder.
    void Kill();
    bool Restart();
    // A new self-signed certificate (the server is to be restarted to use it); its SHA-256
    // fingerprint as openssl prints it, e.g. "AB:CD:...".
    bool NewCertificate();
    QByteArray Fingerprint() const { return m_fingerprint; }

private:
    bool launch();
    ServerKind m_kind = ServerKind::Radicale;
    bool m_tls = false;
    QByteArray m_fingerprint;
    QTemporaryDir m_dir;
    int m_port = 0;
    qint64 m_pid = 0;
};

struct Note {
    QByteArray rtf;
    QString plain;
    bool operator==(const Note &o) const { return rtf == o.rtf && plain == o.plain; }
};
inline void PrintTo(const Note &n, std::ostream *os) { *os << '"' << n.plain.toStdString() << "\" (" << n.rtf.size() << " bytes of RTF)"; }
using Notes = std::map<QString, Note>;

struct RunResult {
    int exitCode = -1;
    QString out, err;
    long peakKb = 0; // the largest resident size of the run
    double cpuSeconds = 0; // user and system time of the run
};

// A program folder with an empty notes database, as a second machine would have it.
class Machine {
public:
    explicit Machine(const QString &name);
    QString Folder() const { return m_dir.path(); }
    void SetUp(const QUrl &address, const QByteArray &user = {}, const QByteArray &fingerprint = {});
    // Tavi --sync in this folder, without a display; the password through the environment.
    RunResult Sync(const QByteArray &password = {}, int timeoutMs = 120000) const;
    Notes Read() const;
    void Write(const QString &key, const Note &note) const;
    // The yearly dates, in the order they were stored here.
    std::vector<TYearlyDate> Yearly() const;
    long long AddYearly(const TYearlyDate &d) const;
    void UpdateYearly(const TYearlyDate &d) const;
    void RemoveYearly(long long id) const;
    QString Name() const { return m_name; }

private:
    QString m_name;
    QTemporaryDir m_dir;
};

// Runs a program while the calling thread's event loop keeps going (a fake server may be on it).
RunResult RunProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env, int timeoutMs);

// A note as the note box would store it: the text, with the first line in the colour.
Note MakeNote(const QString &text, const QColor &firstLine = QColor());

// HTTP requests from the test itself, as another client would make them.
int Http(const QByteArray &method, const QUrl &url, const QByteArray &body, const QByteArray &user,
         const QByteArray &password, QByteArray *answer = nullptr, const QByteArray &depth = {});

} // namespace synctest
