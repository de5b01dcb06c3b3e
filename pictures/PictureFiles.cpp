#include "PictureFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <vector>

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

namespace pictures {
namespace {

bool isKnownKind(const QString &kind)
{
    for (const char *k : {".bmp", ".jpg", ".jpeg", ".gif", ".png"})
        if (kind == QLatin1String(k))
            return true;
    return false;
}

// A PNG through Qt's reader; what is transparent shows white, as uncovered parts of a GIF do.
bool readPng(const QString &path, TPicture &out, QString *error)
{
    QImageReader reader(path, "png");
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxPixels) {
        SetError(error, QStringLiteral("PNG 图片过大：%1").arg(path));
        return false;
    }
    QImage image = reader.read();
    if (image.isNull() || qint64(image.width()) * image.height() > MaxPixels) {
        SetError(error, QStringLiteral("PNG 图片已损坏：%1（%2）").arg(path, reader.errorString()));
        return false;
    }
    if (image.hasAlphaChannel()) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y) {
            auto *p = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int white = 255 - qAlpha(p[x]);
                p[x] = qRgb(qRed(p[x]) + white, qGreen(p[x]) + white, qBlue(p[x]) + white);
            }
        }
    }
    out = FromImage(image);
    return true;
}

// The picture at `source` as a 24-bit BMP into `bmp`.
bool decodeToBmp(const QString &kind, const QString &source, QFile &bmp, QString *error)
{
    if (kind == QLatin1String(".jpg") || kind == QLatin1String(".jpeg"))
        return JpegToBmp(source, bmp, error);
    if (kind == QLatin1String(".gif")) {
        int w = 0, h = 0;
        std::vector<std::uint8_t> bgr;
        return ReadGif(source, w, h, bgr, error) && WriteBmp24(bmp, w, h, bgr.data(), qsizetype(w) * 3);
    }
    TPicture picture;
    if (kind == QLatin1String(".png") ? !readPng(source, picture, error) : !ReadBmp(source, picture, error))
        return false;
    return WriteBmp24(bmp, picture);
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool sameBytes(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 Chunk = qint64(1) << 20;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(Chunk), y = fb.read(Chunk);
        if (x.isEmpty() || x != y)
            return false;
    }
    return true;
}

} // namespace

QString AddPicture(const QString &source, const QString &folder, const QStringList &reserved, QString *error)
{
    const QFileInfo src(source);
    if (!src.isFile()) {
        SetError(error, QStringLiteral("找不到图片 %1").arg(source));
        return {};
    }
    const QString name = src.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot), ext = dot < 0 ? QString() : name.mid(dot);
    const QString kind = ext.toLower();
    if (!isKnownKind(kind)) {
        SetError(error, QStringLiteral("不支持的图片格式：%1").arg(source));
        return {};
    }
    const QDir dir(folder);
    const bool inFolder = src.canonicalPath() == dir.canonicalPath();
    // A BMP already in the folder is listed as it is: it is the user's, and never rewritten.
    if (inFolder && kind == QLatin1String(".bmp") && !reserved.contains(name)) {
        TPicture picture;
        return ReadBmp(source, picture, error) ? name : QString();
    }

    // Decoded in full before anything in the folder changes: a broken file leaves it as it was.
    TPendingFile bmp(dir.filePath(stem + QStringLiteral(".bmp")));
    if (!bmp.open()) {
        SetError(error, QStringLiteral("无法写入图片 %1").arg(dir.filePath(stem + QStringLiteral(".bmp"))));
        return {};
    }
    if (!decodeToBmp(kind, source, bmp.file(), error))
        return {};
    if (!bmp.close()) {
        SetError(error, QStringLiteral("无法写入图片 %1").arg(bmp.path()));
        return {};
    }

    // The names are the picture's own, with the BMP beside its copy, unless a different
    // file has one of them: then "name (2)", "name (3)" … A file of the same bytes is the
    // picture added before, and is taken as it is.
    const bool copyToo = kind != QLatin1String(".bmp") && !inFolder;
    for (int n = 1; n <= 999; ++n) {
        const QString s = n == 1 ? stem : QStringLiteral("%1 (%2)").arg(stem).arg(n);
        const QString bmpName = s + (kind == QLatin1String(".bmp") ? ext : QStringLiteral(".bmp"));
        const QString copyName = s + ext;
        if (reserved.contains(bmpName) || (copyToo && reserved.contains(copyName)))
            continue;
        const QString bmpPath = dir.filePath(bmpName), copyPath = dir.filePath(copyName);
        const bool bmpThere = taken(bmpPath);
        if (bmpThere && !sameBytes(bmpPath, bmp.path()))
            continue;
        bool copied = false;
        if (copyToo) {
            if (taken(copyPath)) {
                if (!sameBytes(copyPath, source))
                    continue;
            } else if (QFile::copy(source, copyPath)) {
                copied = true;
            } else if (!taken(copyPath)) {
                SetError(error, QStringLiteral("无法复制图片到 %1").arg(copyPath));
                return {};
            } else {
                continue; // taken meanwhile
            }
        }
        if (bmpThere || bmp.placeAs(bmpPath))
            return bmpName;
        if (copied)
            QFile::remove(copyPath);
        if (!taken(bmpPath)) {
            SetError(error, QStringLiteral("无法写入图片 %1").arg(bmpPath));
            return {};
        }
    }
    SetError(error, QStringLiteral("图片名已用尽：%1").arg(name));
    return {};
}

} // namespace pictures
