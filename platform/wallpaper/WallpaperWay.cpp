#include "WallpaperWay.h"

#include <QDateTime>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform {
namespace wallpaperway {

bool ToolOnPath(const QString &tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

bool Run(const QStringList &command, QString *output, int timeoutMs)
{
    QProcess p;
    if (output)
        p.setStandardErrorFile(QProcess::nullDevice());
    else
        p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    if (!p.waitForStarted(5000))
        return false;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString ReadableSibling(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
        return path;
    for (const char *s : {"Jpg", "jpg", "JPG", "jpeg", "png"}) {
        const QString candidate = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') +
                                  QLatin1String(s);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

bool OnBus(const QString &service)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service);
}

bool CallDesktop(const QString &service, const QString &path, const QString &interface, const QString &method,
                 const QVariantList &args, QVariantList *reply)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!OnBus(service))
        return false;
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    const QDBusMessage r = bus.call(m, QDBus::Block, 20000);
    if (r.type() != QDBusMessage::ReplyMessage)
        return false;
    if (reply)
        *reply = r.arguments();
    return true;
}

QString FileUri(const QString &path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

} // namespace wallpaperway

QString FreshWallpaperCopy(const QString &path)
{
    const QFileInfo fi(path);
    const QString base = fi.completeBaseName();
    const QString suffix = fi.suffix();
    const QRegularExpression earlier(QLatin1Char('^') + QRegularExpression::escape(base) + QLatin1String("-\\d{13}\\.")
                                     + QRegularExpression::escape(suffix) + QLatin1Char('$'));
    QDir dir = fi.dir();
    const QStringList old = dir.entryList(QDir::Files);
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    QString fresh;
    do
        fresh = dir.filePath(QStringLiteral("%1-%2.%3").arg(base).arg(ms++).arg(suffix));
    while (QFileInfo::exists(fresh));
    // A second name for the same file where the file system allows it: the picture is
    // always written as a new file, never rewritten in place, so the name keeps this apply's
    // picture, and a 4K picture is not copied on every apply.
#ifdef Q_OS_UNIX
    const bool linked = ::link(QFile::encodeName(path).constData(), QFile::encodeName(fresh).constData()) == 0;
#else
    const bool linked = false;
#endif
    if (!linked && !QFile::copy(path, fresh))
        return {};
    for (const QString &name : old)
        if (earlier.match(name).hasMatch())
            dir.remove(name);
    return fresh;
}

} // namespace platform
