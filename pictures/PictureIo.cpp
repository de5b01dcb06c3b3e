#include "PictureIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace pictures {

bool OpenAnew(QFile &file, QIODevice::OpenMode mode)
{
    QFile::remove(file.fileName());
    // Where the old file cannot be removed, it is overwritten as before.
    return file.open(mode | QIODevice::NewOnly) || file.open(mode | QIODevice::Truncate);
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    TPendingFile f(path);
    return f.open() && f.file().write(bytes) == bytes.size() && f.replace();
}

void RemoveLeftovers(const QString &destination)
{
    const QFileInfo dest(destination);
    QDir dir = dest.dir();
    for (const QString &name : dir.entryList({QStringLiteral(".%1.*.part").arg(dest.fileName())},
                                             QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

TPendingFile::TPendingFile(const QString &dest) : destination(dest) {}

TPendingFile::~TPendingFile()
{
    if (!placed && !out.fileName().isEmpty()) {
        out.close();
        out.remove();
    }
}

bool TPendingFile::open()
{
    // A hidden name, so that nothing that lists the folder takes it for a picture.
    const QFileInfo dest(destination);
    for (int attempt = 0; attempt < 16; ++attempt) {
        out.setFileName(dest.absolutePath() + QStringLiteral("/.%1.%2.part")
                                                  .arg(dest.fileName())
                                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (out.open(QIODevice::ReadWrite | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(dest.absolutePath()))
            break;
    }
    out.setFileName(QString());
    return false;
}

bool TPendingFile::close()
{
    if (out.isOpen()) {
        out.close();
        whole = out.error() == QFileDevice::NoError;
    }
    return whole && !placed;
}

bool TPendingFile::replace()
{
    if (!close())
        return false;
    const QByteArray from = QFile::encodeName(out.fileName()), to = QFile::encodeName(destination);
#ifdef Q_OS_WIN
    // Renaming there does not replace: the old file has to go first.
    QFile::remove(destination);
#endif
    // One step: whoever opens the name sees the old file or the new one, whole.
    placed = std::rename(from.constData(), to.constData()) == 0;
    return placed;
}

bool TPendingFile::placeAs(const QString &path)
{
    if (!close())
        return false;
    // QFile::rename never replaces an existing file.
    placed = QFile::rename(out.fileName(), path);
    return placed;
}

} // namespace pictures

QString ChangeFileExt(const QString &path, const QString &ext)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return path.left(dot) + ext;
    return path + ext;
}
