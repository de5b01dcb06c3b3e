#include "RtfCodec.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QTextBlock>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {
namespace {

// --- code pages ------------------------------------------------------------------

QTextCodec *codecForCodePage(int cp)
{
    static std::mutex lock;
    static std::unordered_map<int, QTextCodec *> cache;
    std::lock_guard<std::mutex> guard(lock);
    if (auto it = cache.find(cp); it != cache.end())
        return it->second;
    QList<QByteArray> names;
    switch (cp) {
    case 936: names = {"GBK"}; break;
    case 932: names = {"windows-31j", "Shift_JIS"}; break;
    case 949: names = {"windows-949", "EUC-KR"}; break;
    case 950: names = {"windows-950", "Big5"}; break;
    case 874: names = {"windows-874", "TIS-620"}; break;
    case 10000: names = {"macintosh"}; break;
    case 65001: names = {"UTF-8"}; break;
    case 20127: names = {"US-ASCII"}; break;
    case 28591: names = {"ISO-8859-1"}; break;
    default: break;
    }
    const QByteArray n = QByteArray::number(cp);
    names << "windows-" + n << "cp" + n << "ibm-" + n;
    QTextCodec *codec = nullptr;
    for (const QByteArray &name : names)
        if ((codec = QTextCodec::codecForName(name)))
            break;
    if (!codec)
        codec = QTextCodec::codecForName("windows-1252");
    if (!codec)
        codec = QTextCodec::codecForName("ISO-8859-1");
    cache.emplace(cp, codec);
    return codec;
}

int codePageForCharset(int charset, int ansiCp)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252; // symbol fonts: the bytes are the glyph numbers
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return ansiCp;
    }
}

// Unicode (BMP) to the bytes of one code page, taken from the codec once: 0 means
// "not in the code page"; values up to 0xFF are one byte, larger ones two.
struct EncodeTable {
    std::vector<uint16_t> code = std::vector<uint16_t>(0x10000, 0);
};

std::unique_ptr<EncodeTable> buildTable(int cp)
{
    auto table = std::make_unique<EncodeTable>();
    QTextCodec *codec = codecForCodePage(cp);
    // Which high bytes stand alone and which lead a pair.
    std::array<bool, 256> single{};
    for (int b = 0x80; b < 0x100; ++b) {
        QTextCodec::ConverterState st(QTextCodec::ConvertInvalidToNull);
        const char byte = char(b);
        const QString s = codec->toUnicode(&byte, 1, &st);
        single[b] = st.invalidChars == 0 && st.remainingChars == 0 && s.size() == 1 && s[0] != QChar(0)
                    && s[0] != QChar::ReplacementCharacter;
    }
    QString all;
    all.reserve(0x10000);
    for (int u = 0x80; u < 0x10000; ++u)
        if (u < 0xD800 || u > 0xDFFF)
            all.append(QChar(char16_t(u)));
    QTextCodec::ConverterState st;
    const QByteArray out = codec->fromUnicode(all.constData(), int(all.size()), &st);
    std::vector<uint16_t> codes(all.size(), 0);
    qsizetype i = 0;
    bool aligned = true;
    for (qsizetype k = 0; k < all.size() && aligned; ++k) {
        if (i >= out.size()) {
            aligned = false;
            break;
        }
        const uint8_t b0 = uint8_t(out[i]);
        if (b0 < 0x80) {
            ++i; // the codec's substitute: not in the code page
        } else if (single[b0]) {
            codes[k] = b0;
            ++i;
        } else if (i + 1 < out.size()) {
            codes[k] = uint16_t(b0 << 8 | uint8_t(out[i + 1]));
            i += 2;
        } else {
            aligned = false;
        }
    }
    if (aligned && i == out.size()) {
        for (qsizetype k = 0; k < all.size(); ++k)
            table->code[all[k].unicode()] = codes[k];
        return table;
    }
    // A codec whose output cannot be walked: ask it character by character.
    for (qsizetype k = 0; k < all.size(); ++k) {
        QTextCodec::ConverterState one;
        const QByteArray b = codec->fromUnicode(all.constData() + k, 1, &one);
        if (one.invalidChars == 0 && (b.size() == 1 || b.size() == 2) && uint8_t(b[0]) >= 0x80)
            table->code[all[k].unicode()] = b.size() == 1 ? uint8_t(b[0]) : uint16_t(uint8_t(b[0]) << 8 | uint8_t(b[1]));
    }
    return table;
}

const EncodeTable &tableFor(int cp)
{
    static std::mutex lock;
    static std::unordered_map<int, std::unique_ptr<EncodeTable>> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto &slot = cache[cp];
    if (!slot)
        slot = buildTable(cp);
    return *slot;
}

// --- writer ----------------------------------------------------------------------

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
                if (text.size() == 1 && text[0] == QChar::ObjectReplacementCharacter)
                    continue;
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
            m_table = &tableFor(codePageForCharset(e.charset, 936));
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
            m_table = &tableFor(codePageForCharset(m_fonts[size_t(p.font)].charset, 936));
        m_cur = p;
    }

    void putText(QStringView text) { putChars(m_body, text); }

    void putChars(Sink &out, QStringView text)
    {
        const uint16_t *code = m_table->code.data();
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

// --- reader ----------------------------------------------------------------------

enum class Kw : uint8_t {
    Unknown,
    // destinations
    Rtf, FontTable, ColorTable, SkipDest, Upr, Ud,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    // font table
    F, FCharset, Cpg, Fprq,
    // colour table
    Red, Green, Blue,
    // character formatting
    Plain, Fs, TaviPx, Bold, Italic, Underline, UlNone, Strike, Hidden, Cf, Highlight, Uc,
    // associated (double-byte) character formatting
    Loch, Hich, Dbch, Af, Afs, Ab, Ai,
    // text
    Par, Line, Tab, Cell, U, Bin, Char,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // Kw::Char
};

const std::unordered_map<std::string_view, KwInfo> &keywords()
{
    static const std::unordered_map<std::string_view, KwInfo> map = [] {
        std::unordered_map<std::string_view, KwInfo> m;
        m["rtf"] = {Kw::Rtf};
        m["fonttbl"] = {Kw::FontTable};
        m["colortbl"] = {Kw::ColorTable};
        m["upr"] = {Kw::Upr};
        m["ud"] = {Kw::Ud};
        // Destinations that hold no text of the note.
        for (const char *d : {"stylesheet", "info", "pict", "object", "objdata", "fldinst", "header", "headerl",
                              "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
                              "annotation", "atnid", "atnauthor", "atndate", "comment", "xe", "tc", "txe", "rxe",
                              "bkmkstart", "bkmkend", "listtable", "listoverridetable", "revtbl", "rsidtbl",
                              "generator", "filetbl", "nonshppict", "shprslt", "shpinst", "themedata",
                              "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "mmathPr",
                              "template", "docvar", "userprops", "keywords", "subject", "title", "author",
                              "operator", "creatim", "revtim", "printim", "buptim", "doccomm", "hlinkbase",
                              "company", "category", "manager", "fchars", "lchars", "pn", "pntxta", "pntxtb",
                              "falt", "panose", "fname", "formfield", "datafield", "passwordhash", "protusertbl"})
            m[d] = {Kw::SkipDest};
        m["ansi"] = {Kw::Ansi};
        m["mac"] = {Kw::Mac};
        m["pc"] = {Kw::Pc};
        m["pca"] = {Kw::Pca};
        m["ansicpg"] = {Kw::AnsiCpg};
        m["deff"] = {Kw::Deff};
        m["f"] = {Kw::F};
        m["fcharset"] = {Kw::FCharset};
        m["cpg"] = {Kw::Cpg};
        m["fprq"] = {Kw::Fprq};
        m["red"] = {Kw::Red};
        m["green"] = {Kw::Green};
        m["blue"] = {Kw::Blue};
        m["plain"] = {Kw::Plain};
        m["fs"] = {Kw::Fs};
        m["tavipx"] = {Kw::TaviPx};
        m["b"] = {Kw::Bold};
        m["i"] = {Kw::Italic};
        for (const char *u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                              "ulwave"})
            m[u] = {Kw::Underline};
        m["ulnone"] = {Kw::UlNone};
        m["strike"] = {Kw::Strike};
        m["striked"] = {Kw::Strike};
        m["v"] = {Kw::Hidden};
        m["cf"] = {Kw::Cf};
        m["highlight"] = {Kw::Highlight};
        m["cb"] = {Kw::Highlight};
        m["chcbpat"] = {Kw::Highlight};
        m["uc"] = {Kw::Uc};
        m["loch"] = {Kw::Loch};
        m["hich"] = {Kw::Hich};
        m["dbch"] = {Kw::Dbch};
        m["af"] = {Kw::Af};
        m["afs"] = {Kw::Afs};
        m["ab"] = {Kw::Ab};
        m["ai"] = {Kw::Ai};
        m["par"] = {Kw::Par};
        m["sect"] = {Kw::Par};
        m["page"] = {Kw::Par};
        m["row"] = {Kw::Par};
        m["nestrow"] = {Kw::Par};
        m["line"] = {Kw::Line};
        m["tab"] = {Kw::Tab};
        m["cell"] = {Kw::Cell};
        m["nestcell"] = {Kw::Cell};
        m["u"] = {Kw::U};
        m["bin"] = {Kw::Bin};
        m["emdash"] = {Kw::Char, 0x2014};
        m["endash"] = {Kw::Char, 0x2013};
        m["bullet"] = {Kw::Char, 0x2022};
        m["lquote"] = {Kw::Char, 0x2018};
        m["rquote"] = {Kw::Char, 0x2019};
        m["ldblquote"] = {Kw::Char, 0x201C};
        m["rdblquote"] = {Kw::Char, 0x201D};
        m["emspace"] = {Kw::Char, 0x2003};
        m["enspace"] = {Kw::Char, 0x2002};
        m["qmspace"] = {Kw::Char, 0x2005};
        m["zwj"] = {Kw::Char, 0x200D};
        m["zwnj"] = {Kw::Char, 0x200C};
        m["ltrmark"] = {Kw::Char, 0x200E};
        m["rtlmark"] = {Kw::Char, 0x200F};
        return m;
    }();
    return map;
}

struct CharProps {
    int font = -1; // -1: the \deff font
    int halfPoints = -1;
    int px = -1;
    bool bold = false, italic = false, underline = false, strike = false;
    int cf = 0, hl = 0;
    bool operator==(const CharProps &) const = default;
};

enum class Dest : uint8_t { Body, FontTable, ColorTable, Skip };

// What \af, \afs, \ab and \ai give double-byte text; -1: as the plain properties.
struct AsianProps {
    int font = -1;
    int halfPoints = -1;
    int bold = -1;
    int italic = -1;
};

struct State {
    Dest dest = Dest::Body;
    Dest uprDest = Dest::Skip;
    bool hidden = false;
    bool dbch = false; // text is double-byte (\dbch) rather than \loch or \hich
    int uc = 1;
    CharProps props;
    AsianProps asian;

    // Word processors put the formatting of Chinese runs into the associated
    // properties when they mark the run as double-byte.
    CharProps effective() const
    {
        if (!dbch)
            return props;
        CharProps p = props;
        if (asian.font >= 0)
            p.font = asian.font;
        if (asian.halfPoints > 0) {
            p.halfPoints = asian.halfPoints;
            p.px = -1;
        }
        if (asian.bold >= 0)
            p.bold = asian.bold;
        if (asian.italic >= 0)
            p.italic = asian.italic;
        return p;
    }
};

struct ReadFont {
    QString name;
    int charset = -1;
    int cp = 0;
    int pitch = 0;
};

class Reader {
public:
    Reader(const QByteArray &data, qsizetype start, QTextDocument &doc)
        : m_p(data.constData()), m_n(data.size()), m_pos(start), m_cursor(&doc)
    {
    }

    void run()
    {
        m_cursor.beginEditBlock();
        while (m_pos < m_n && !m_done) {
            const char c = m_p[m_pos];
            switch (c) {
            case '{':
                ++m_pos;
                openGroup();
                break;
            case '}':
                ++m_pos;
                closeGroup();
                break;
            case '\\':
                control();
                break;
            case '\r':
            case '\n':
                ++m_pos;
                break;
            default:
                ++m_pos;
                textByte(uint8_t(c));
                break;
            }
        }
        flushBytes();
        if (m_cur.dest == Dest::FontTable)
            finishFontName();
        emitRun();
        // The last paragraph mark is the document's own end.
        m_cursor.endEditBlock();
    }

private:
    static constexpr size_t MaxDepth = 1024;

    void openGroup()
    {
        flushBytes();
        m_ucSkip = 0;
        m_ignorable = false;
        if (!m_started) {
            m_started = true; // the document's own group
            return;
        }
        if (m_stack.size() >= MaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_cur);
    }

    void closeGroup()
    {
        flushBytes();
        m_ucSkip = 0;
        m_ignorable = false;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_cur.dest == Dest::FontTable)
            finishFontName();
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        m_cur = m_stack.back();
        m_stack.pop_back();
    }

    // --- tokens ---

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void control()
    {
        ++m_pos; // the backslash
        if (m_pos >= m_n)
            return;
        const char c = m_p[m_pos];
        if (isLetter(c)) {
            const qsizetype start = m_pos;
            while (m_pos < m_n && isLetter(m_p[m_pos]))
                ++m_pos;
            const std::string_view name(m_p + start, size_t(m_pos - start));
            bool hasParam = false;
            bool negative = false;
            long long value = 0;
            if (m_pos + 1 < m_n && m_p[m_pos] == '-' && isDigit(m_p[m_pos + 1])) {
                negative = true;
                ++m_pos;
            }
            while (m_pos < m_n && isDigit(m_p[m_pos])) {
                hasParam = true;
                if (value < 100000000000LL)
                    value = value * 10 + (m_p[m_pos] - '0');
                ++m_pos;
            }
            if (m_pos < m_n && m_p[m_pos] == ' ')
                ++m_pos;
            value = qBound(-2147483647LL, negative ? -value : value, 2147483647LL);
            word(name, hasParam, int(value));
            return;
        }
        ++m_pos;
        switch (c) {
        case '\'': {
            if (m_pos + 1 < m_n) {
                const int hi = hexValue(m_p[m_pos]);
                const int lo = hexValue(m_p[m_pos + 1]);
                if (hi >= 0 && lo >= 0) {
                    m_pos += 2;
                    textByte(uint8_t(hi * 16 + lo));
                }
            }
            m_ignorable = false;
            return;
        }
        case '*':
            m_ignorable = true;
            return;
        case '\r':
        case '\n':
            m_ignorable = false;
            if (!skipFallback())
                paragraph();
            return;
        case '\\':
        case '{':
        case '}':
            m_ignorable = false;
            textByte(uint8_t(c));
            return;
        case '~':
            symbol(0x00A0);
            return;
        case '_':
            symbol(0x2011);
            return;
        default: // \- \: \| and unknown symbols
            m_ignorable = false;
            skipFallback();
            return;
        }
    }

    // One unit of a \u fallback is consumed instead of being read.
    bool skipFallback()
    {
        if (m_ucSkip <= 0)
            return false;
        --m_ucSkip;
        return true;
    }

    void symbol(char16_t ch)
    {
        m_ignorable = false;
        if (skipFallback())
            return;
        flushBytes();
        appendChar(ch);
    }

    void word(std::string_view name, bool hasParam, int param)
    {
        const bool ignorable = m_ignorable;
        m_ignorable = false;
        const auto &map = keywords();
        const auto it = name.size() <= 32 ? map.find(name) : map.end();
        const Kw kw = it == map.end() ? Kw::Unknown : it->second.kw;
        // Bytes read so far belong to the state before this word.
        flushBytes();
        if (kw == Kw::Bin) {
            // Binary data is skipped wherever it is; it is never text.
            const qsizetype len = hasParam && param > 0 ? qsizetype(param) : 0;
            m_pos += qMin(len, m_n - m_pos);
            return;
        }
        if (skipFallback())
            return;
        if (ignorable && kw != Kw::Ud) {
            flushBytes();
            m_cur.dest = Dest::Skip;
            return;
        }
        State &s = m_cur;
        switch (kw) {
        case Kw::Unknown:
        case Kw::Rtf:
            return;
        case Kw::FontTable:
            flushBytes();
            s.dest = s.dest == Dest::Skip ? Dest::Skip : Dest::FontTable;
            m_fontEntry = -1;
            return;
        case Kw::ColorTable:
            flushBytes();
            s.dest = s.dest == Dest::Skip ? Dest::Skip : Dest::ColorTable;
            m_colorAcc = {-1, -1, -1};
            return;
        case Kw::SkipDest:
            flushBytes();
            s.dest = Dest::Skip;
            return;
        case Kw::Upr:
            flushBytes();
            s.uprDest = s.dest;
            s.dest = Dest::Skip;
            return;
        case Kw::Ud:
            flushBytes();
            s.dest = s.uprDest;
            return;
        case Kw::Ansi:
            if (!m_cpSet)
                m_docCp = 1252;
            return;
        case Kw::Mac:
            m_docCp = 10000;
            return;
        case Kw::Pc:
            m_docCp = 437;
            return;
        case Kw::Pca:
            m_docCp = 850;
            return;
        case Kw::AnsiCpg:
            if (hasParam && param > 0 && param < 100000) {
                flushBytes();
                m_docCp = param;
                m_cpSet = true;
            }
            return;
        case Kw::Deff:
            m_deff = param;
            return;
        case Kw::F:
            flushBytes();
            if (s.dest == Dest::FontTable) {
                finishFontName();
                m_fontEntry = param;
                m_fontNameDone = false;
                m_fontName.clear();
                m_fonts[param];
            } else {
                s.props.font = param;
            }
            return;
        case Kw::FCharset:
            if (s.dest == Dest::FontTable && m_fontEntry != -1 && param >= 0 && param <= 255)
                m_fonts[m_fontEntry].charset = param;
            return;
        case Kw::Cpg:
            if (s.dest == Dest::FontTable && m_fontEntry != -1 && param > 0 && param < 100000)
                m_fonts[m_fontEntry].cp = param;
            return;
        case Kw::Fprq:
            if (s.dest == Dest::FontTable && m_fontEntry != -1)
                m_fonts[m_fontEntry].pitch = param;
            return;
        case Kw::Red:
        case Kw::Green:
        case Kw::Blue:
            if (s.dest == Dest::ColorTable)
                m_colorAcc[kw == Kw::Red ? 0 : kw == Kw::Green ? 1 : 2] = qBound(0, param, 255);
            return;
        case Kw::Plain:
            s.props = CharProps();
            s.asian = AsianProps();
            s.dbch = false;
            s.hidden = false;
            return;
        case Kw::Loch:
        case Kw::Hich:
            s.dbch = false;
            return;
        case Kw::Dbch:
            s.dbch = true;
            return;
        case Kw::Af:
            if (s.dbch && param >= 0)
                s.asian.font = param;
            return;
        case Kw::Afs:
            if (s.dbch && hasParam && param > 0)
                s.asian.halfPoints = qMin(param, 3276);
            return;
        case Kw::Ab:
            if (s.dbch)
                s.asian.bold = !hasParam || param != 0;
            return;
        case Kw::Ai:
            if (s.dbch)
                s.asian.italic = !hasParam || param != 0;
            return;
        case Kw::Fs:
            if (hasParam && param > 0) {
                s.props.halfPoints = qMin(param, 3276);
                s.props.px = -1;
            }
            return;
        case Kw::TaviPx:
            if (hasParam && param > 0)
                s.props.px = qMin(param, 2048);
            return;
        case Kw::Bold:
            s.props.bold = !hasParam || param != 0;
            return;
        case Kw::Italic:
            s.props.italic = !hasParam || param != 0;
            return;
        case Kw::Underline:
            s.props.underline = !hasParam || param != 0;
            return;
        case Kw::UlNone:
            s.props.underline = false;
            return;
        case Kw::Strike:
            s.props.strike = !hasParam || param != 0;
            return;
        case Kw::Hidden:
            flushBytes();
            s.hidden = !hasParam || param != 0;
            return;
        case Kw::Cf:
            s.props.cf = qMax(0, param);
            return;
        case Kw::Highlight:
            s.props.hl = qMax(0, param);
            return;
        case Kw::Uc:
            s.uc = qBound(0, param, 64);
            return;
        case Kw::Par:
            if (s.dest == Dest::Body)
                paragraph();
            return;
        case Kw::Line:
            symbolIn(0x2028);
            return;
        case Kw::Tab:
        case Kw::Cell:
            symbolIn(u'\t');
            return;
        case Kw::Char:
            symbolIn(it->second.ch);
            return;
        case Kw::U: {
            flushBytes();
            const int v = param < 0 ? param + 65536 : param;
            if (v > 0 && v <= 0xFFFF)
                appendChar(char16_t(v));
            m_ucSkip = s.uc;
            return;
        }
        case Kw::Bin:
            return;
        }
    }

    void symbolIn(char16_t ch)
    {
        flushBytes();
        appendChar(ch);
    }

    // --- text ---

    int currentCodePage() const
    {
        if (m_cur.dest == Dest::FontTable) {
            const auto it = m_fonts.constFind(m_fontEntry);
            return it == m_fonts.constEnd() ? m_docCp : fontCodePage(*it);
        }
        const int font = m_cur.effective().font;
        const int idx = font >= 0 ? font : m_deff;
        const auto it = m_fonts.constFind(idx);
        return it == m_fonts.constEnd() ? m_docCp : fontCodePage(*it);
    }

    int fontCodePage(const ReadFont &f) const
    {
        if (f.cp > 0)
            return f.cp;
        return f.charset < 0 ? m_docCp : codePageForCharset(f.charset, m_docCp);
    }

    void textByte(uint8_t b)
    {
        if (skipFallback())
            return;
        m_ignorable = false;
        switch (m_cur.dest) {
        case Dest::Skip:
            return;
        case Dest::ColorTable:
            if (b == ';') {
                m_colors.push_back(m_colorAcc[0] < 0 && m_colorAcc[1] < 0 && m_colorAcc[2] < 0
                                       ? QColor()
                                       : QColor(qMax(0, m_colorAcc[0]), qMax(0, m_colorAcc[1]), qMax(0, m_colorAcc[2])));
                m_colorAcc = {-1, -1, -1};
            }
            return;
        case Dest::FontTable:
            if (m_fontEntry == -1 || m_fontNameDone)
                return;
            if (b == ';') {
                finishFontName();
                return;
            }
            break;
        case Dest::Body:
            if (m_cur.hidden)
                return;
            break;
        }
        const int cp = currentCodePage();
        if (!m_bytes.isEmpty() && cp != m_bytesCp)
            flushBytes();
        m_bytesCp = cp;
        m_bytes.append(char(b));
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        QString s;
        bool ascii = true;
        for (const char c : m_bytes)
            ascii = ascii && uint8_t(c) < 0x80;
        s = ascii ? QString::fromLatin1(m_bytes) : codecForCodePage(m_bytesCp)->toUnicode(m_bytes);
        m_bytes.clear();
        if (m_cur.dest == Dest::FontTable)
            m_fontName += s;
        else if (m_cur.dest == Dest::Body)
            for (const QChar ch : s)
                appendChar(ch.unicode());
    }

    void finishFontName()
    {
        flushBytes();
        if (m_fontEntry != -1 && !m_fontNameDone) {
            const QString name = m_fontName.trimmed();
            if (!name.isEmpty())
                m_fonts[m_fontEntry].name = name;
            m_fontNameDone = !name.isEmpty();
        }
        m_fontName.clear();
    }

    void appendChar(char16_t ch)
    {
        if (m_cur.dest == Dest::FontTable) {
            if (m_fontEntry != -1 && !m_fontNameDone && ch >= 0x20)
                m_fontName += QChar(ch);
            return;
        }
        if (m_cur.dest != Dest::Body || m_cur.hidden)
            return;
        if (ch == 0x2029) {
            paragraph();
            return;
        }
        // Control characters and the document's own structure marks are not text.
        if ((ch < 0x20 && ch != u'\t') || ch == 0x7f || ch == 0xFDD0 || ch == 0xFDD1 || ch == 0xFFFC)
            return;
        if (m_pendingBreak)
            materializeBreak();
        const CharProps props = m_cur.effective();
        if (!m_runOpen || !(m_runProps == props)) {
            emitRun();
            m_runProps = props;
            m_runOpen = true;
        }
        m_run += QChar(ch);
    }

    void emitRun()
    {
        if (!m_run.isEmpty()) {
            m_cursor.insertText(m_run, formatFor(m_runProps));
            m_blockHasText = true;
            m_run.clear();
        }
    }

    void materializeBreak()
    {
        emitRun();
        m_cursor.insertBlock(QTextBlockFormat(), formatFor(m_cur.effective()));
        m_pendingBreak = false;
        m_blockHasText = false;
    }

    void paragraph()
    {
        flushBytes();
        emitRun();
        if (m_pendingBreak)
            materializeBreak();
        if (!m_blockHasText) {
            const QTextCharFormat f = formatFor(m_cur.effective());
            m_cursor.setBlockCharFormat(f);
            m_cursor.setCharFormat(f);
        }
        m_pendingBreak = true;
    }

    QTextCharFormat formatFor(const CharProps &p) const
    {
        QTextCharFormat f;
        const auto font = m_fonts.constFind(p.font >= 0 ? p.font : m_deff);
        if (font != m_fonts.constEnd()) {
            if (!font->name.isEmpty())
                f.setFontFamilies(QStringList{font->name});
            if (font->charset >= 0)
                f.setProperty(CharsetProperty, font->charset);
            if (font->pitch == 1)
                f.setFontFixedPitch(true);
        }
        if (p.px > 0)
            f.setProperty(QTextFormat::FontPixelSize, p.px);
        else if (p.halfPoints > 0)
            f.setFontPointSize(p.halfPoints / 2.0);
        f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(p.italic);
        f.setFontUnderline(p.underline);
        f.setFontStrikeOut(p.strike);
        if (p.cf >= 0 && p.cf < qsizetype(m_colors.size()) && m_colors[p.cf].isValid())
            f.setForeground(m_colors[p.cf]);
        if (p.hl > 0 && p.hl < qsizetype(m_colors.size()) && m_colors[p.hl].isValid())
            f.setBackground(m_colors[p.hl]);
        return f;
    }

    const char *m_p;
    qsizetype m_n;
    qsizetype m_pos;
    QTextCursor m_cursor;

    bool m_started = false;
    bool m_done = false;
    std::vector<State> m_stack;
    size_t m_overflow = 0;
    State m_cur;
    bool m_ignorable = false;
    int m_ucSkip = 0;

    int m_docCp = 1252;
    bool m_cpSet = false;
    int m_deff = -1;
    QHash<int, ReadFont> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    bool m_fontNameDone = false;
    std::vector<QColor> m_colors;
    std::array<int, 3> m_colorAcc{-1, -1, -1};

    QByteArray m_bytes;
    int m_bytesCp = 0;

    QString m_run;
    CharProps m_runProps;
    bool m_runOpen = false;
    bool m_pendingBreak = false;
    bool m_blockHasText = false;
};

qsizetype rtfStart(const QByteArray &bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf" ? i : -1;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState st;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), int(bytes.size()), &st);
    return st.invalidChars == 0 && st.remainingChars == 0;
}

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

bool IsRtf(const QByteArray &bytes) { return rtfStart(bytes) >= 0; }

bool Read(const QByteArray &bytes, QTextDocument &doc)
{
    const qsizetype start = rtfStart(bytes);
    if (start < 0)
        return false;
    doc.clear();
    Reader(bytes, start, doc).run();
    return true;
}

QString DecodePlainText(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else if (bytes.startsWith("\xFF\xFE"))
        text = QTextCodec::codecForName("UTF-16LE")->toUnicode(bytes.mid(2));
    else if (bytes.startsWith("\xFE\xFF"))
        text = QTextCodec::codecForName("UTF-16BE")->toUnicode(bytes.mid(2));
    else if (isValidUtf8(bytes))
        text = QString::fromUtf8(bytes);
    else
        text = codecForCodePage(936)->toUnicode(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0x7f || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC)
            continue;
        clean += c;
    }
    return clean;
}

void Load(const QByteArray &bytes, QTextDocument &doc)
{
    if (Read(bytes, doc))
        return;
    doc.clear();
    if (bytes.isEmpty())
        return;
    QTextCursor c(&doc);
    c.beginEditBlock();
    c.insertText(DecodePlainText(bytes));
    c.endEditBlock();
}

} // namespace rtf
