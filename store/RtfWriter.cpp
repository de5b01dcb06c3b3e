// The RTF writer: a QTextDocument as the rich-edit control would save it.
#include "RtfCodec.h"
#include "RtfCodePages.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QBuffer>
#include <QImageReader>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rtf {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// A growing byte buffer written through a pointer: the writer's inner loop stays
// free of per-byte bookkeeping.
class Sink {
public:
    void reserve(size_t n) { m_buf.resize(std::max(m_buf.size(), n)); }
    // Room for n more bytes at the returned place; commit how many were used.
    char *room(size_t n)
    {
        if (m_len + n > m_buf.size())
            m_buf.resize(std::max(m_buf.size() * 2, m_len + n + 4096));
        return m_buf.data() + m_len;
    }
    void commit(char *end) { m_len = size_t(end - m_buf.data()); }
    void put(std::string_view s)
    {
        char *p = room(s.size());
        std::memcpy(p, s.data(), s.size());
        commit(p + s.size());
    }
    void put(char c) { put(std::string_view(&c, 1)); }
    void number(int n)
    {
        char *p = room(12);
        commit(std::to_chars(p, p + 12, n).ptr);
    }
    QByteArray bytes() const { return QByteArray(m_buf.data(), qsizetype(m_len)); }

private:
    std::string m_buf;
    size_t m_len = 0;
};

struct RunProps {
    int font = -1;
    int halfPoints = -1;
    int px = -1;
    bool bold = false, italic = false, underline = false, strike = false;
    int cf = 0, hl = 0;
};

struct FontEntry {
    QString face;
    int charset = 0;
    bool fixed = false;
};

QString faceOf(const QTextCharFormat &f)
{
    if (f.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList l = f.fontFamilies().toStringList();
        if (!l.isEmpty() && !l.first().isEmpty())
            return l.first();
    }
    return f.stringProperty(QTextFormat::FontFamily);
}

class Writer {
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc), m_def(doc.defaultFont())
    {
        m_defFace = m_def.families().value(0, m_def.family());
        fontIndex(m_defFace, DefaultCharsetFor(m_defFace), m_def.fixedPitch());
    }

    QByteArray run()
    {
        m_body.reserve(size_t(m_doc.characterCount()) * 8 + 256);
        m_body.put("\\pard");
        // One copy of the whole text; fragments are ranges of it.
        const QString raw = m_doc.toRawText();
        for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) {
            bool any = false;
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment fr = it.fragment();
                if (!fr.isValid())
                    continue;
                const QStringView text = QStringView(raw).mid(fr.position(), fr.length());
                if (text.startsWith(QChar::ObjectReplacementCharacter)) {
                    // The same picture twice in a row is one fragment.
                    const QTextCharFormat f = fr.charFormat();
                    if (f.isImageFormat())
                        for (qsizetype i = 0; i < text.size(); ++i)
                            any = putPicture(f.toImageFormat(), fr) || any;
                    if (f.isImageFormat() || text.size() == 1)
                        continue;
                }
                switchTo(propsForIndex(fr.charFormatIndex(), fr));
                putText(text);
                any = true;
            }
            if (!any)
                switchTo(propsFor(b.charFormat()));

            m_body.put("\\par\r\n");
        }
        Sink head;
        head.put("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl");
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            const FontEntry &e = m_fonts[i];
            head.put("{\\f");
            head.number(int(i));
            head.put("\\fnil");
            if (e.fixed)
                head.put("\\fprq1");
            head.put("\\fcharset");
            head.number(e.charset);
            head.put(' ');
            m_table = &EncodeTableFor(CodePageForCharset(e.charset, 936));
            putChars(head, e.face);
            head.put(";}");
        }
        head.put("}\r\n");
        if (!m_colors.empty()) {
            head.put("{\\colortbl ;");
            for (QRgb c : m_colors) {
                head.put("\\red");
                head.number(qRed(c));
                head.put("\\green");
                head.number(qGreen(c));
                head.put("\\blue");
                head.number(qBlue(c));
                head.put(';');
            }
            head.put("}\r\n");
        }
        head.put("\\viewkind4\\uc1 \r\n");
        QByteArray out = head.bytes();
        out += m_body.bytes();
        out += "}\r\n";
        return out;
    }

private:
    int fontIndex(const QString &face, int charset, bool fixed)
    {
        const QString key = face + QChar(0) + QString::number(charset) + QLatin1Char(fixed ? 'f' : 'v');
        auto it = m_fontIndex.constFind(key);
        if (it != m_fontIndex.constEnd())
            return it.value();
        const int i = int(m_fonts.size());
        m_fonts.push_back({face, charset, fixed});
        m_fontIndex.insert(key, i);
        return i;
    }

    int colorIndex(const QBrush &brush)
    {
        if (brush.style() == Qt::NoBrush || brush.color().alpha() == 0)
            return 0;
        const QRgb rgb = brush.color().rgb() | 0xff000000u;
        auto it = m_colorIndex.constFind(rgb);
        if (it != m_colorIndex.constEnd())
            return it.value();
        m_colors.push_back(rgb);
        const int i = int(m_colors.size());
        m_colorIndex.insert(rgb, i);
        return i;
    }

    // Fragments share their formats: each format is looked at once.
    RunProps propsForIndex(int index, const QTextFragment &fr)
    {
        if (index < 0)
            return propsFor(fr.charFormat());
        if (size_t(index) >= m_byIndex.size())
            m_byIndex.resize(size_t(index) + 1);
        auto &slot = m_byIndex[size_t(index)];
        if (!slot)
            slot = propsFor(fr.charFormat());
        return *slot;
    }

    RunProps propsFor(const QTextCharFormat &f)
    {
        RunProps p;
        QString face = faceOf(f);
        if (face.isEmpty())
            face = m_defFace;
        int charset = f.hasProperty(CharsetProperty) ? f.intProperty(CharsetProperty) : -1;
        if (charset < 0 || charset > 255)
            charset = DefaultCharsetFor(face);
        const bool fixed = f.hasProperty(QTextFormat::FontFixedPitch) ? f.fontFixedPitch() : m_def.fixedPitch();
        p.font = fontIndex(face, charset, fixed);

        double points = 0;
        int px = 0;
        if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
            px = f.intProperty(QTextFormat::FontPixelSize);
        else if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
            points = f.fontPointSize();
        else if (m_def.pixelSize() > 0)
            px = m_def.pixelSize();
        else
            points = m_def.pointSizeF() > 0 ? m_def.pointSizeF() : 12;
        // Sizes in pixels are taken at 96 dots per inch; the exact pixel size rides along.
        px = qMin(px, 2048);
        points = qBound(0.0, points, 1638.0);
        p.px = px > 0 ? px : -1;
        p.halfPoints = qMax(1, px > 0 ? int(px * 1.5 + 0.5) : int(points * 2 + 0.5));

        const int weight = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() : int(m_def.weight());
        p.bold = weight >= QFont::DemiBold;
        p.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : m_def.italic();
        if (f.hasProperty(QTextFormat::TextUnderlineStyle))
            p.underline = f.underlineStyle() != QTextCharFormat::NoUnderline;
        else
            p.underline = f.hasProperty(QTextFormat::FontUnderline) ? f.boolProperty(QTextFormat::FontUnderline)
                                                                     : m_def.underline();
        p.strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : m_def.strikeOut();
        if (f.hasProperty(QTextFormat::ForegroundBrush))
            p.cf = colorIndex(f.foreground());
        if (f.hasProperty(QTextFormat::BackgroundBrush))
            p.hl = colorIndex(f.background());
        return p;
    }

    void word(const char *w, int n)
    {
        m_body.put(w);
        m_body.number(n);
        m_dirty = true;
    }
    void toggle(const char *on, const char *off, bool v)
    {
        m_body.put(v ? on : off);
        m_dirty = true;
    }

    void switchTo(const RunProps &p)
    {
        m_dirty = false;
        if (p.font != m_cur.font)
            word("\\f", p.font);
        if (p.halfPoints != m_cur.halfPoints || p.px != m_cur.px) {
            word("\\fs", p.halfPoints);
            if (p.px > 0)
                word("\\tavipx", p.px);
        }
        if (p.cf != m_cur.cf)
            word("\\cf", p.cf);
        if (p.hl != m_cur.hl)
            word("\\highlight", p.hl);
        if (p.bold != m_cur.bold)
            toggle("\\b", "\\b0", p.bold);
        if (p.italic != m_cur.italic)
            toggle("\\i", "\\i0", p.italic);
        if (p.underline != m_cur.underline)
            toggle("\\ul", "\\ulnone", p.underline);
        if (p.strike != m_cur.strike)
            toggle("\\strike", "\\strike0", p.strike);
        if (m_dirty)
            m_body.put(' ');
        if (p.font != m_cur.font || !m_table)
            m_table = &EncodeTableFor(CodePageForCharset(m_fonts[size_t(p.font)].charset, 936));
        m_cur = p;
    }

    void putText(QStringView text) { putChars(m_body, text); }

    // A picture as word processors and the rich-edit control read it: its own bytes in
    // hex, its pixel size, and the size it is shown at in twips.
    bool putPicture(const QTextImageFormat &f, const QTextFragment &fr)
    {
        // A picture read from a note goes back as it was read.
        const QByteArray group = m_doc.resource(PictureBytesResource, PictureGroupName(f.name())).toByteArray();
        if (group.startsWith("{\\pict") && group.endsWith('}')) {
            switchTo(propsForIndex(fr.charFormatIndex(), fr));
            m_body.put(std::string_view(group.constData(), size_t(group.size())));
            return true;
        }
        const QByteArray bytes = m_doc.resource(PictureBytesResource, PictureBytesName(f.name())).toByteArray();
        const QByteArray kind = PictureKind(bytes);
        if (kind.isEmpty())
            return false;
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const QSize pixels = QImageReader(&buffer, kind).size();
        const double w = f.width() > 0 ? f.width() : pixels.width();
        const double h = f.height() > 0 ? f.height() : pixels.height();
        switchTo(propsForIndex(fr.charFormatIndex(), fr));
        m_body.put(kind == "png" ? "{\\pict\\pngblip" : "{\\pict\\jpegblip");
        word("\\picw", qMax(1, pixels.width()));
        word("\\pich", qMax(1, pixels.height()));
        word("\\picwgoal", qBound(1, qRound(w * 15), 32767 * 15));
        word("\\pichgoal", qBound(1, qRound(h * 15), 32767 * 15));
        m_body.put("\r\n");
        const char *p = bytes.constData();
        for (qsizetype i = 0; i < bytes.size(); i += 64) {
            const qsizetype n = qMin<qsizetype>(64, bytes.size() - i);
            char *out = m_body.room(size_t(n) * 2 + 2);
            for (qsizetype k = 0; k < n; ++k) {
                const uint8_t b = uint8_t(p[i + k]);
                *out++ = kHex[b >> 4];
                *out++ = kHex[b & 15];
            }
            *out++ = '\r';
            *out++ = '\n';
            m_body.commit(out);
        }
        m_body.put("}");
        return true;
    }

    void putChars(Sink &out, QStringView text)
    {
        const uint16_t *code = m_table->data();
        // Nine bytes are the most one character takes ("\\u-32768?").
        char *p = out.room(size_t(text.size()) * 9);
        const auto put = [&p](const char *s, size_t n) {
            std::memcpy(p, s, n);
            p += n;
        };
        for (const QChar qc : text) {
            const char16_t c = qc.unicode();
            if (c < 0x80) {
                switch (c) {
                case '\\': put("\\\\", 2); break;
                case '{': put("\\{", 2); break;
                case '}': put("\\}", 2); break;
                case '\t': put("\\tab ", 5); break;
                default:
                    if (c >= 0x20 && c != 0x7f)
                        *p++ = char(c);
                }
                continue;
            }
            switch (c) {
            case 0x2028: put("\\line ", 6); continue;
            case 0x00A0: put("\\~", 2); continue;
            case 0x2029:
            case 0xFFFC:
            case 0xFDD0:
            case 0xFDD1: continue;
            default: break;
            }
            const uint16_t b = code[c];
            if (b > 0xFF) {
                p[0] = '\\';
                p[1] = '\'';
                p[2] = kHex[b >> 12];
                p[3] = kHex[(b >> 8) & 15];
                p[4] = '\\';
                p[5] = '\'';
                p[6] = kHex[(b >> 4) & 15];
                p[7] = kHex[b & 15];
                p += 8;
            } else if (b) {
                p[0] = '\\';
                p[1] = '\'';
                p[2] = kHex[b >> 4];
                p[3] = kHex[b & 15];
                p += 4;
            } else {
                put("\\u", 2);
                p = std::to_chars(p, p + 6, int(int16_t(c))).ptr;
                *p++ = '?';
            }
        }
        out.commit(p);
    }

    const QTextDocument &m_doc;
    const QFont m_def;
    QString m_defFace;
    std::vector<FontEntry> m_fonts;
    QHash<QString, int> m_fontIndex;
    std::vector<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    Sink m_body;
    RunProps m_cur;
    std::vector<std::optional<RunProps>> m_byIndex;
    bool m_dirty = false;
    const EncodeTable *m_table = nullptr;
};

} // namespace

int DefaultCharsetFor(const QString &face)
{
    for (const QChar c : face)
        if (c.unicode() >= 0x2E80)
            return 134;
    static const QStringList chinese = {
        "SimSun", "NSimSun", "SimHei", "SimKai", "KaiTi", "KaiTi_GB2312", "FangSong", "FangSong_GB2312",
        "Microsoft YaHei", "Microsoft YaHei UI", "DengXian", "YouYuan", "LiSu", "STSong", "STHeiti", "STKaiti",
        "STFangsong", "STXihei", "STZhongsong", "AR PL UMing CN", "AR PL UKai CN", "WenQuanYi Micro Hei",
        "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Noto Serif CJK SC", "Source Han Sans SC", "Source Han Serif SC",
        "SimSun-ExtB"};
    return chinese.contains(face, Qt::CaseInsensitive) ? 134 : 0;
}

QByteArray Write(const QTextDocument &doc) { return Writer(doc).run(); }

} // namespace rtf
