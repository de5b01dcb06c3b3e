#include "PictureIo.h"

#include <QFile>

#include <algorithm>

namespace pictures {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    bool ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    f.close();
    ok = ok && f.error() == QFileDevice::NoError;
    if (!ok)
        f.remove();
    return ok;
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
