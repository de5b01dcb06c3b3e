#include "BackgroundProcessWay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/types.h>
#endif

namespace platform {

using namespace wallpaperway;

namespace wallpaperway {

QList<qint64> ProcessesNamed(const QString &name, const QString &argument)
{
    QList<qint64> out;
    const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids) {
        bool number = false;
        const qint64 pid = id.toLongLong(&number);
        if (!number)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(id));
        if (!comm.open(QIODevice::ReadOnly) || QString::fromLocal8Bit(comm.readAll()).trimmed() != name)
            continue;
        if (!argument.isEmpty()) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(id));
            if (!cmdline.open(QIODevice::ReadOnly))
                continue;
            const QList<QByteArray> args = cmdline.readAll().split('\0');
            if (!args.contains(QFile::encodeName(argument)))
                continue;
        }
        out << pid;
    }
    return out;
}

} // namespace wallpaperway

namespace {

struct Remembered {
    qint64 pid = 0;
    QString picture;
};

Remembered readRemembered()
{
    QFile f(BackgroundProcessWay::RememberedFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    return {lines.value(0).toLongLong(), lines.value(1)};
}

// Only the client started with that picture counts: a process that took over the id since is
// none of ours.
bool stillOurs(const Remembered &r)
{
    return r.pid > 0 && ProcessesNamed(QStringLiteral("swaybg"), r.picture).contains(r.pid);
}

// A client that ended may stay a zombie where nobody reaps the program's orphans.
bool alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end > 0 && end + 2 < line.size() && line.at(end + 2) != 'Z';
}

} // namespace

QString BackgroundProcessWay::RememberedFile()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // One client per compositor the user runs.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return dir + QStringLiteral("/tavi-swaybg-") + display + QStringLiteral(".pid");
}

qint64 BackgroundProcessWay::RememberedRunning()
{
    const Remembered r = readRemembered();
    return stillOurs(r) ? r.pid : 0;
}

void BackgroundProcessWay::EndRemembered()
{
    const Remembered r = readRemembered();
    if (stillOurs(r)) {
#ifdef Q_OS_UNIX
        ::kill(pid_t(r.pid), SIGTERM);
#endif
    }
    QFile::remove(RememberedFile());
}

bool BackgroundProcessWay::apply(const QString &path)
{
    // swaybg reads what gdk-pixbuf or cairo read; a JPEG suits both builds better than a BMP.
    const QString picture = QFileInfo(ReadableSibling(path)).absoluteFilePath();
    if (ReadableSibling(path).isEmpty())
        return false;
    QStringList args{QStringLiteral("-m"), QStringLiteral("stretch"), QStringLiteral("-i"), picture};
    QProcess p;
    // A session of its own: the client stays when the program's terminal or process group ends.
    if (ToolOnPath(QStringLiteral("setsid"))) {
        p.setProgram(QStringLiteral("setsid"));
        args.prepend(QStringLiteral("swaybg"));
    } else {
        p.setProgram(QStringLiteral("swaybg"));
    }
    p.setArguments(args);
    // It must hold no pipe of ours open once we are gone.
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!p.startDetached(&pid))
        return false;
    // One that cannot reach the compositor ("Missing a required Wayland interface") or read the
    // picture ends at once.
    for (int i = 0; i < 10; ++i) {
        QThread::msleep(50);
        if (!alive(pid))
            return false;
    }
    // The new one draws before the old one goes: no flash of the bare screen.
    EndRemembered();
    QFile f(RememberedFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QByteArray::number(pid) + '\n' + picture.toUtf8() + '\n');
    return true;
}

} // namespace platform
