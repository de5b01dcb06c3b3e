// Pictures in notes documents: the decoded image is what the box paints, the bytes it
// came from are what the RTF writer stores, so a picture is never re-encoded on save.
#include "RtfCodec.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QTextImageFormat>
#include <QUrl>

namespace rtf {

namespace {
constexpr int kMaxShownSide = 4096;
// Headers may claim any size; beyond this nothing is decoded at all.
constexpr qint64 kMaxSourcePixels = qint64(30000) * 30000;
} // namespace

// The document keeps one resource per name, whatever its type.
QUrl PictureBytesName(const QString &imageName) { return QUrl(imageName + QStringLiteral(".bytes")); }

QByteArray PictureKind(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (bytes.startsWith("\xff\xd8\xff"))
        return "jpeg";
    return {};
}

QTextImageFormat AddPicture(QTextDocument &doc, const QByteArray &bytes, QSizeF displaySize)
{
    const QByteArray kind = PictureKind(bytes);
    if (kind.isEmpty() || bytes.size() > MaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, kind);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > kMaxSourcePixels)
        return {};
    if (size.width() > kMaxShownSide || size.height() > kMaxShownSide)
        reader.setScaledSize(size.scaled(kMaxShownSide, kMaxShownSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (image.isNull())
        return {};

    const QUrl name(QStringLiteral("tavi-pict:")
                    + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()));
    doc.addResource(QTextDocument::ImageResource, name, image);
    doc.addResource(PictureBytesResource, PictureBytesName(name.toString()), bytes);
    if (displaySize.width() < 1 || displaySize.height() < 1)
        displaySize = size;
    QTextImageFormat f;
    f.setName(name.toString());
    f.setWidth(qBound(1.0, displaySize.width(), double(kMaxShownSide)));
    f.setHeight(qBound(1.0, displaySize.height(), double(kMaxShownSide)));
    return f;
}

} // namespace rtf
