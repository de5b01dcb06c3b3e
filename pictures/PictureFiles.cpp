#include "PictureFiles.h"

#include <QFileInfo>

QString ConvertToBmp(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? QString() : name.mid(dot).toLower();
    if (ext == QLatin1String(".bmp"))
        return path;
    if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg"))
        return JpgToBmp(path);
    if (ext == QLatin1String(".gif"))
        return GifToBmp(path);
    return {};
}
