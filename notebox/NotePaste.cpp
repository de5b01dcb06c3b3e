#include "NotePaste.h"

#include "RtfCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <vector>

namespace notepaste {
namespace {

constexpr qint64 kMaxSourcePixels = qint64(100) * 1000 * 1000;

const char *const kRtfTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

// Pasted HTML and RTF read nothing by themselves: no file, no style sheet, no address.
class SourceDocument : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

QByteArray encode(const QImage &img, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, quality);
    return bytes;
}

// The properties the stored form keeps, and nothing else.
QTextCharFormat keptFormat(const QTextCharFormat &f)
{
    QTextCharFormat k;
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().trimmed().isEmpty())
        k.setFontFamilies({families.first().trimmed()});
    if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
        k.setProperty(QTextFormat::FontPixelSize, qMin(f.intProperty(QTextFormat::FontPixelSize), 2048));
    else if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        k.setFontPointSize(qMin(f.fontPointSize(), 1638.0));
    if (f.hasProperty(QTextFormat::FontWeight))
        k.setFontWeight(f.fontWeight() >= QFont::DemiBold ? QFont::Bold : QFont::Normal);
    if (f.hasProperty(QTextFormat::FontItalic))
        k.setFontItalic(f.fontItalic());
    if (f.fontUnderline())
        k.setFontUnderline(true);
    if (f.fontStrikeOut())
        k.setFontStrikeOut(true);
    const QBrush fg = f.foreground();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && fg.style() != Qt::NoBrush && fg.color().alpha() > 0)
        k.setForeground(QColor(fg.color().rgb()));
    const QBrush bg = f.background();
    if (f.hasProperty(QTextFormat::BackgroundBrush) && bg.style() != Qt::NoBrush && bg.color().alpha() > 0)
        k.setBackground(QColor(bg.color().rgb()));
    return k;
}

// Text as the note keeps it: no control characters and no object characters.
QString keptText(QString text, bool inCell)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == 0x2028)
            out += inCell ? QChar(u' ') : c;
        else if (u == u'\n' || u == 0x2029)
            out += inCell ? QChar(u' ') : QChar(0x2028);
        else if (u >= 0x20 && u != 0x7f && u != 0xFFFC && u != 0xFDD0 && u != 0xFDD1)
            out += c;
    }
    return out;
}

struct Item {
    QString text;
    QTextCharFormat format;
    QByteArray picture; // a picture instead of text
    QSizeF shown;
};
using Line = std::vector<Item>;

class Collector {
public:
    Collector(const QTextDocument &doc, const QMimeData *source, const Limits &limits, const PictureLookup &lookup)
        : m_doc(doc), m_source(source), m_limits(limits), m_lookup(lookup)
    {
    }

    std::vector<Line> run()
    {
        frame(m_doc.rootFrame(), false);
        // What surrounds a fragment (the empty paragraph before and after a table) is no part of it.
        auto empty = [](const Line &l) {
            for (const Item &i : l)
                if (!i.text.trimmed().isEmpty() || !i.picture.isEmpty())
                    return false;
            return true;
        };
        while (!m_lines.empty() && empty(m_lines.back()))
            m_lines.pop_back();
        size_t first = 0;
        while (first < m_lines.size() && empty(m_lines[first]))
            ++first;
        m_lines.erase(m_lines.begin(), m_lines.begin() + qsizetype(first));
        return std::move(m_lines);
    }

private:
    Line &line()
    {
        if (m_lines.empty())
            m_lines.emplace_back();
        return m_lines.back();
    }

    void text(const QString &t, const QTextCharFormat &f)
    {
        if (t.isEmpty())
            return;
        line().push_back({t, f, {}, {}});
        m_cellHasText = true;
    }

    void frame(QTextFrame *f, bool inCell)
    {
        for (auto it = f->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (auto *t = qobject_cast<QTextTable *>(child))
                    table(t, inCell);
                else
                    frame(child, inCell);
            } else {
                block(it.currentBlock(), inCell);
            }
        }
    }

    // A table is one line per row, its cells separated by tabs (by blanks inside a cell).
    void table(QTextTable *t, bool inCell)
    {
        for (int r = 0; r < t->rows(); ++r) {
            if (!inCell)
                m_lines.emplace_back();
            else if (m_cellHasText)
                text(QStringLiteral(" "), QTextCharFormat());
            for (int c = 0; c < t->columns(); ++c) {
                if (c > 0)
                    text(inCell ? QStringLiteral(" ") : QStringLiteral("\t"), QTextCharFormat());
                const QTextTableCell cell = t->cellAt(r, c);
                if (cell.row() != r || cell.column() != c)
                    continue; // covered by a spanning cell
                const bool outer = m_cellHasText;
                m_cellHasText = false;
                for (auto it = cell.begin(); !it.atEnd(); ++it) {
                    if (QTextFrame *child = it.currentFrame()) {
                        if (auto *nested = qobject_cast<QTextTable *>(child))
                            table(nested, true);
                        else
                            frame(child, true);
                    } else {
                        block(it.currentBlock(), true);
                    }
                }
                m_cellHasText = outer || m_cellHasText;
            }
        }
    }

    void block(const QTextBlock &b, bool inCell)
    {
        if (!inCell)
            m_lines.emplace_back();
        else if (m_cellHasText && !b.text().trimmed().isEmpty())
            text(QStringLiteral(" "), QTextCharFormat());
        if (QTextList *list = b.textList()) {
            const QTextListFormat::Style style = list->format().style();
            const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
                                || style == QTextListFormat::ListSquare;
            QString mark = bullet ? QString() : list->itemText(b);
            if (mark.trimmed().isEmpty())
                mark = QStringLiteral("•");
            text(mark + QLatin1Char(' '), keptFormat(b.charFormat()));
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            if (f.isImageFormat()) {
                for (int i = 0; i < fr.length(); ++i)
                    picture(f.toImageFormat());
                continue;
            }
            text(keptText(fr.text(), inCell), keptFormat(f));
        }
    }

    QByteArray sourceBytes(const QString &name)
    {
        if (name.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
            const qsizetype comma = name.indexOf(QLatin1Char(','));
            if (comma < 0 || (name.size() - comma) / 4 * 3 > m_limits.maxSourceBytes)
                return {};
            const QString head = name.left(comma);
            const QByteArray payload = name.mid(comma + 1).toLatin1();
            if (head.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
                auto r = QByteArray::fromBase64Encoding(QByteArray::fromPercentEncoding(payload),
                                                        QByteArray::AbortOnBase64DecodingErrors);
                return r ? *r : QByteArray();
            }
            return QByteArray::fromPercentEncoding(payload);
        }
        const QUrl url(name);
        QString path;
        if (url.isLocalFile())
            path = url.toLocalFile();
        else if (QFileInfo(name).isAbsolute())
            path = name;
        if (!path.isEmpty()) {
            // Only a plain file of a sane size: never a device or a pipe.
            const QFileInfo info(path);
            QFile file(path);
            if (!info.isFile() || info.size() > m_limits.maxSourceBytes || !file.open(QIODevice::ReadOnly))
                return {};
            return file.read(m_limits.maxSourceBytes + 1);
        }
        const QByteArray own = m_doc.resource(rtf::PictureBytesResource, rtf::PictureBytesName(name)).toByteArray();
        if (!own.isEmpty())
            return own;
        if (m_lookup)
            if (QByteArray found = m_lookup(name); !found.isEmpty())
                return found;
        // A browser copying one picture gives its address, which is not fetched, and the
        // picture itself beside it.
        if (!m_usedImageData && m_source && m_source->hasImage()) {
            m_usedImageData = true;
            return encode(qvariant_cast<QImage>(m_source->imageData()), "PNG");
        }
        return {};
    }

    void picture(const QTextImageFormat &f)
    {
        QSize pixels;
        const QByteArray stored = BoundedPicture(sourceBytes(f.name()), m_limits, &pixels);
        if (stored.isEmpty() || m_pictureBytes + stored.size() > m_limits.maxPasteBytes)
            return;
        m_pictureBytes += stored.size();
        QSizeF shown = pixels;
        if (f.width() > 0 && f.height() > 0)
            shown = QSizeF(f.width(), f.height());
        else if (f.width() > 0)
            shown = QSizeF(f.width(), f.width() * pixels.height() / pixels.width());
        else if (f.height() > 0)
            shown = QSizeF(f.height() * pixels.width() / pixels.height(), f.height());
        line().push_back({{}, keptFormat(f), stored, shown});
        m_cellHasText = true;
    }

    const QTextDocument &m_doc;
    const QMimeData *m_source;
    const Limits &m_limits;
    const PictureLookup &m_lookup;
    std::vector<Line> m_lines;
    bool m_cellHasText = false;
    bool m_usedImageData = false;
    qsizetype m_pictureBytes = 0;
};

QSizeF fitted(QSizeF shown, int width)
{
    if (width > 0 && shown.width() > width)
        shown = QSizeF(width, qMax(1.0, shown.height() * width / shown.width()));
    return shown;
}

} // namespace

QByteArray BoundedPicture(const QByteArray &source, const Limits &limits, QSize *pixels)
{
    if (source.isEmpty() || source.size() > limits.maxSourceBytes)
        return {};
    QBuffer buffer;
    buffer.setData(source);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxSourcePixels)
        return {};
    const bool tooLarge = size.width() > limits.maxSide || size.height() > limits.maxSide;
    if (tooLarge)
        reader.setScaledSize(size.scaled(limits.maxSide, limits.maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage img = reader.read();
    if (img.isNull() || qint64(img.width()) * img.height() > kMaxSourcePixels)
        return {};
    if (img.width() > limits.maxSide || img.height() > limits.maxSide)
        img = img.scaled(limits.maxSide, limits.maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (pixels)
        *pixels = img.size();
    // A PNG or JPEG that fits is kept as it came, unchanged (and as it is turned: a
    // picture its reader would turn is encoded anew).
    if (!tooLarge && source.size() <= limits.maxPictureBytes && !rtf::PictureKind(source).isEmpty()
        && reader.transformation() == QImageIOHandler::TransformationNone)
        return source;
    const QByteArray png = encode(img, "PNG");
    if (!png.isEmpty() && png.size() <= limits.maxPictureBytes)
        return png;
    QImage flat(img.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, img);
    for (int quality : {85, 70, 50, 30}) {
        const QByteArray jpeg = encode(flat, "JPEG", quality);
        if (!jpeg.isEmpty() && jpeg.size() <= limits.maxPictureBytes)
            return jpeg;
    }
    return {};
}

bool CanInsert(const QMimeData *source)
{
    if (!source)
        return false;
    for (const char *type : kRtfTypes)
        if (source->hasFormat(QLatin1String(type)))
            return true;
    return source->hasHtml() || source->hasImage() || source->hasText();
}

void Insert(const QMimeData *source, QTextCursor &cursor, const Limits &limits, const PictureLookup &lookup)
{
    if (!source)
        return;
    std::vector<Line> lines;
    bool rich = false;
    for (const char *type : kRtfTypes) {
        const QByteArray data = source->data(QLatin1String(type));
        if (rtf::IsRtf(data)) {
            SourceDocument doc;
            rtf::Read(data, doc);
            lines = Collector(doc, source, limits, lookup).run();
            rich = true;
            break;
        }
    }
    if (!rich && source->hasHtml()) {
        SourceDocument doc;
        doc.setHtml(source->html());
        lines = Collector(doc, source, limits, lookup).run();
        rich = true;
    }
    if (!rich && source->hasImage()) {
        QSize pixels;
        const QByteArray stored =
            BoundedPicture(encode(qvariant_cast<QImage>(source->imageData()), "PNG"), limits, &pixels);
        if (!stored.isEmpty())
            lines.push_back({Item{{}, QTextCharFormat(), stored, QSizeF(pixels)}});
        rich = true;
    }

    cursor.beginEditBlock();
    if (!rich) {
        QTextCharFormat f = cursor.charFormat();
        f.clearProperty(QTextFormat::ObjectType);
        QString text = source->text();
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString &l : lines)
            l = keptText(l, false);
        cursor.insertText(lines.join(QLatin1Char('\n')), f);
        cursor.endEditBlock();
        return;
    }
    cursor.removeSelectedText();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        for (const Item &item : lines[i]) {
            if (item.picture.isEmpty()) {
                cursor.insertText(item.text, item.format);
                continue;
            }
            const QTextImageFormat img =
                rtf::AddPicture(*cursor.document(), item.picture, fitted(item.shown, limits.showWidth));
            if (img.name().isEmpty())
                continue;
            QTextCharFormat f = item.format;
            f.merge(img);
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
        }
    }
    cursor.endEditBlock();
}

} // namespace notepaste
