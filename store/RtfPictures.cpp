// Pictures in notes documents. The bytes a picture came from are what the RTF writer
// stores, so a picture is never re-encoded on save; the image the box paints is decoded
// from them only when it is first painted, at most at the size it is shown, so a week
// of large pictures costs neither time nor memory until it is looked at.
#include "RtfCodec.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QTextImageFormat>
#include <QThread>
#include <QUrl>

namespace rtf {

namespace {
constexpr int kMaxShownSide = 4096;
constexpr int kMaxDecodedSide = 2048;
constexpr int kAllocationLimitMb = 64;
const QString kScheme = QStringLiteral("tavi-pict:");

QString NameOf(const QByteArray &what)
{
    return kScheme + QString::fromLatin1(QCryptographicHash::hash(what, QCryptographicHash::Sha1).toHex());
}

// The largest size a picture of that name is shown at, so that it is decoded once for all.
QUrl ShownSizeName(const QString &imageName) { return QUrl(imageName + QStringLiteral(".shown")); }

QSize HeaderSize(const QByteArray &bytes)
{
    const QByteArray kind = PictureKind(bytes);
    if (kind.isEmpty() || bytes.size() > MaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer, kind).size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > MaxPicturePixels)
        return {};
    return size;
}

QImage Decode(const QByteArray &bytes, QSize bound)
{
    const QSize size = HeaderSize(bytes);
    if (size.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, PictureKind(bytes));
    reader.setAllocationLimit(kAllocationLimitMb);
    // Enough pixels for either side as shown, never more than it has.
    QSize target = bound.isEmpty() ? size : size.scaled(bound, Qt::KeepAspectRatioByExpanding).boundedTo(size);
    if (target.width() > kMaxDecodedSide || target.height() > kMaxDecodedSide)
        target = target.scaled(kMaxDecodedSide, kMaxDecodedSide, Qt::KeepAspectRatio);
    target = target.expandedTo(QSize(1, 1));
    if (target != size)
        reader.setScaledSize(target);
    return reader.read();
}

// A grey frame with a cross, what a picture that cannot be shown paints.
QImage Placeholder(QSize shown)
{
    const QSize size = shown.boundedTo(QSize(128, 128)).expandedTo(QSize(8, 8));
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xf2, 0xf2, 0xf2));
    QPainter p(&image);
    p.setPen(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.drawLine(0, 0, size.width() - 1, size.height() - 1);
    p.drawLine(0, size.height() - 1, size.width() - 1, 0);
    return image;
}

QImage Provide(const QTextDocument &doc, const QString &name)
{
    const QSize shown = doc.resource(PictureBytesResource, ShownSizeName(name)).toSize();
    const qreal ratio = qGuiApp ? qMax<qreal>(1.0, qGuiApp->devicePixelRatio()) : 1.0;
    QImage image = Decode(doc.resource(PictureBytesResource, PictureBytesName(name)).toByteArray(),
                          (QSizeF(shown) * ratio).toSize());
    return image.isNull() ? Placeholder(shown) : image;
}

// Registers where the document's pictures come from and returns their format.
QTextImageFormat Register(QTextDocument &doc, const QString &name, QSizeF shown)
{
    shown = QSizeF(qBound(1.0, shown.width(), double(kMaxShownSide)), qBound(1.0, shown.height(), double(kMaxShownSide)));
    const QSize before = doc.resource(PictureBytesResource, ShownSizeName(name)).toSize();
    const QSize now = before.expandedTo(shown.toSize());
    doc.addResource(PictureBytesResource, ShownSizeName(name), now);
    // Shown larger than it was decoded for: decoded again when next painted.
    if (now != before)
        doc.addResource(QTextDocument::ImageResource, QUrl(name), QVariant());
    QPointer<QTextDocument> self(&doc);
    doc.setResourceProvider([self](const QUrl &url) -> QVariant {
        // A copy of the document may carry this provider to another thread: it is only
        // answered where its own document lives.
        const QString name = url.toString();
        if (!self || self->thread() != QThread::currentThread() || !IsPictureName(url))
            return {};
        // Kept as the document's own, so that it is decoded once, whoever asks.
        const QImage image = Provide(*self, name);
        self->addResource(QTextDocument::ImageResource, url, image);
        return image;
    });
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(shown.width());
    f.setHeight(shown.height());
    return f;
}
} // namespace

// The document keeps one resource per name, whatever its type.
QUrl PictureBytesName(const QString &imageName) { return QUrl(imageName + QStringLiteral(".bytes")); }
QUrl PictureGroupName(const QString &imageName) { return QUrl(imageName + QStringLiteral(".rtf")); }

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
    const QSize size = HeaderSize(bytes);
    if (size.isEmpty())
        return {};
    const QString name = NameOf(bytes);
    doc.addResource(PictureBytesResource, PictureBytesName(name), bytes);
    return Register(doc, name, displaySize.width() >= 1 && displaySize.height() >= 1 ? displaySize : QSizeF(size));
}

QTextImageFormat AddStoredPicture(QTextDocument &doc, const QByteArray &group, const QByteArray &bytes,
                                  QSizeF displaySize)
{
    const QString name = NameOf(group);
    doc.addResource(PictureBytesResource, PictureGroupName(name), group);
    QSize size;
    if (!PictureKind(bytes).isEmpty()) {
        size = HeaderSize(bytes);
        // Kept whenever its kind is known, so that it can be copied into another note.
        doc.addResource(PictureBytesResource, PictureBytesName(name), bytes);
    }
    if (displaySize.width() < 1 || displaySize.height() < 1)
        displaySize = size.isEmpty() ? QSizeF(32, 32) : QSizeF(size);
    return Register(doc, name, displaySize);
}

bool IsPictureName(const QUrl &name)
{
    const QString s = name.toString();
    return s.startsWith(kScheme) && !s.contains(QLatin1Char('.'));
}

QImage ShownImage(const QTextDocument &doc, const QTextImageFormat &format)
{
    if (!format.name().startsWith(kScheme))
        return {};
    return doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
}

} // namespace rtf
