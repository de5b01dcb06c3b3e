#include "PrivateFiles.h"

#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace privatefiles {

namespace {
constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                             | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                             | QFileDevice::WriteOther | QFileDevice::ExeOther;

// The owner's own rights stay as they are (a read-only file stays read-only).
bool narrow(const QString &path)
{
    const QFileDevice::Permissions now = QFile::permissions(path);
    // The *User flags say what the running user may do, not the file's mode.
    const QFileDevice::Permissions owner = now & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return (now & kOthers) && QFile::setPermissions(path, owner);
}
} // namespace

bool MakeFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString p = clean; !p.isEmpty() && !QFileInfo::exists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (p == QFileInfo(p).path())
            break;
    }
    for (const QString &p : missing)
        if (!QDir().mkdir(p, FolderMode))
            return QFileInfo(p).isDir();
    return QFileInfo(clean).isDir();
}

QStringList TightenDataFolder()
{
    QStringList names;
    const QString data = DataDir();
    const QFileInfo folder(data);
    if (!folder.isDir() || !folder.isWritable())
        return names;
    if (narrow(data))
        names << QStringLiteral("Data");
    const QDir dir(data);
    for (const QFileInfo &f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (narrow(f.filePath()))
            names << f.fileName();
    return names;
}

QString TightenedNotice(const QStringList &names)
{
    if (names.isEmpty())
        return {};
    const QString shown = names.size() <= 3 ? names.join(QStringLiteral("、"))
                                            : names.sliced(0, 3).join(QStringLiteral("、"))
                                                  + QStringLiteral(" 等 %1 项").arg(names.size());
    return QStringLiteral("已将 %1 改为仅本人可读写（原先其他用户也能读取）").arg(shown);
}

} // namespace privatefiles
