// The RTF reader: what the rich-edit control, this codec and word processors write,
// into a QTextDocument; and the plain-text fallback for bytes that are not RTF.
#include "RtfCodec.h"
#include "RtfCodePages.h"
#include "RtfKeywords.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rtf {
namespace {

struct CharProps {
    int font = -1; // -1: the \deff font
    int halfPoints = -1;
    int px = -1;
    bool bold = false, italic = false, underline = false, strike = false;
    int cf = 0, hl = 0;
    bool operator==(const CharProps &) const = default;
};

enum class Dest : uint8_t { Body, FontTable, ColorTable, Skip, Pict };

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

// A \pict group being read: its sizes, the bytes of its hex data and where it started.
struct ReadPicture {
    qsizetype from = -1; // the backslash of \pict
    int wGoal = 0, hGoal = 0; // twips
    int scaleX = 100, scaleY = 100;
    QByteArray data;
    int nibble = -1;
    bool tooBig = false;
    void append(const char *p, qsizetype n)
    {
        if (tooBig || data.size() + n > MaxPictureBytes) {
            tooBig = true;
            data.clear();
            return;
        }
        data.append(p, n);
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
    Reader(const QByteArray &data, qsizetype start, QTextDocument &doc, qsizetype budget = -1)
        : m_p(data.constData()), m_n(data.size()), m_pos(start), m_cursor(&doc), m_budget(budget)
    {
    }

    // The document ends early: more characters were there than the budget allowed.
    bool cut() const { return m_cut; }

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
        const bool picture = m_cur.dest == Dest::Pict && m_stack.back().dest != Dest::Pict;
        m_cur = m_stack.back();
        m_stack.pop_back();
        if (picture)
            finishPicture();
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

    void documentControl(Kw kw, bool hasParam, int param)
    {
        switch (kw) {
        case Kw::Ansi:
            if (!m_cpSet)
                m_docCp = 1252;
            break;
        case Kw::Mac:
            m_docCp = 10000;
            break;
        case Kw::Pc:
            m_docCp = 437;
            break;
        case Kw::Pca:
            m_docCp = 850;
            break;
        case Kw::AnsiCpg:
            if (hasParam && param > 0 && param < 100000) {
                m_docCp = param;
                m_cpSet = true;
            }
            break;
        case Kw::Deff:
            m_deff = param;
            break;
        default:
            break;
        }
    }

    void control()
    {
        m_controlAt = m_pos;
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
            // As \par: a paragraph of the text only, never inside a picture or a table of fonts.
            if (!skipFallback() && m_cur.dest == Dest::Body)
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
        const KwInfo *info = FindKeyword(name);
        const Kw kw = info ? info->kw : Kw::Unknown;
        // Bytes read so far belong to the state before this word.
        flushBytes();
        if (kw == Kw::Bin) {
            // Binary data is skipped wherever it is; it is never text.
            const qsizetype len = qMin(hasParam && param > 0 ? qsizetype(param) : 0, m_n - m_pos);
            if (m_cur.dest == Dest::Pict)
                m_pict.append(m_p + m_pos, len);
            m_pos += len;
            return;
        }
        if (skipFallback())
            return;
        // \shppict holds the picture proper; the group around it is kept.
        if (ignorable && kw != Kw::Ud && kw != Kw::ShpPict) {
            m_cur.dest = Dest::Skip;
            return;
        }
        State &s = m_cur;
        switch (kw) {
        case Kw::Unknown:
        case Kw::Rtf:
            return;
        // Tables belong to the text; one inside a picture or another table is skipped, so
        // that a kept picture group cannot redefine the note's fonts when it is read again.
        case Kw::FontTable:
            s.dest = s.dest == Dest::Body ? Dest::FontTable : Dest::Skip;
            m_fontEntry = -1;
            return;
        case Kw::ColorTable:
            s.dest = s.dest == Dest::Body ? Dest::ColorTable : Dest::Skip;
            m_colorAcc = {-1, -1, -1};
            return;
        case Kw::SkipDest:
            s.dest = Dest::Skip;
            return;
        case Kw::Pict:
            if (s.dest == Dest::Body && !s.hidden) {
                s.dest = Dest::Pict;
                m_pict = ReadPicture();
                m_pict.from = m_controlAt;
            } else {
                s.dest = Dest::Skip;
            }
            return;
        case Kw::ShpPict:
            return;
        case Kw::PngBlip:
        case Kw::JpegBlip:
        case Kw::OtherBlip:
            // The bytes say what they are.
            return;
        case Kw::PicWGoal:
        case Kw::PicHGoal:
            if (s.dest == Dest::Pict && hasParam)
                (kw == Kw::PicWGoal ? m_pict.wGoal : m_pict.hGoal) = qBound(0, param, 32767 * 15);
            return;
        case Kw::PicScaleX:
        case Kw::PicScaleY:
            if (s.dest == Dest::Pict && hasParam)
                (kw == Kw::PicScaleX ? m_pict.scaleX : m_pict.scaleY) = qBound(1, param, 1000);
            return;
        case Kw::Upr:
            s.uprDest = s.dest;
            s.dest = Dest::Skip;
            return;
        case Kw::Ud:
            s.dest = s.uprDest;
            return;
        // The document's code page and default font are set in its header, never from
        // inside a picture or another destination.
        case Kw::Ansi:
        case Kw::Mac:
        case Kw::Pc:
        case Kw::Pca:
        case Kw::AnsiCpg:
        case Kw::Deff:
            if (s.dest == Dest::Body)
                documentControl(kw, hasParam, param);
            return;
        case Kw::F:
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
            symbolIn(info->ch);
            return;
        case Kw::U: {
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
        return f.charset < 0 ? m_docCp : CodePageForCharset(f.charset, m_docCp);
    }

    void textByte(uint8_t b)
    {
        if (skipFallback())
            return;
        m_ignorable = false;
        switch (m_cur.dest) {
        case Dest::Skip:
            return;
        case Dest::Pict: {
            const int v = hexValue(char(b));
            if (v < 0)
                return;
            if (m_pict.nibble < 0) {
                m_pict.nibble = v;
            } else {
                const char byte = char(m_pict.nibble * 16 + v);
                m_pict.append(&byte, 1);
                m_pict.nibble = -1;
            }
            return;
        }
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
        const bool ascii = std::all_of(m_bytes.cbegin(), m_bytes.cend(), [](char c) { return uint8_t(c) < 0x80; });
        const QString s = ascii ? QString::fromLatin1(m_bytes) : Decode(m_bytesCp, m_bytes);
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
        if (!spend())
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

    // The picture of the \pict group just closed, at the place of the group, with the
    // character formatting around it.
    void finishPicture()
    {
        ReadPicture pict = std::move(m_pict);
        m_pict = ReadPicture();
        if (pict.from < 0 || m_cur.dest != Dest::Body || m_cur.hidden)
            return;
        QSizeF shown;
        if (pict.wGoal > 0 && pict.hGoal > 0)
            shown = QSizeF(pict.wGoal / 15.0 * pict.scaleX / 100, pict.hGoal / 15.0 * pict.scaleY / 100);
        // The group as it was written, whatever this program makes of it, is what is
        // stored again. A stray hex digit leaves the bytes in doubt: they are not shown.
        QByteArray group;
        group.reserve(m_pos - pict.from + 1);
        group.append('{').append(m_p + pict.from, m_pos - pict.from);
        if (pict.tooBig || pict.nibble >= 0)
            pict.data.clear();
        if (!spend())
            return;
        QTextImageFormat image = AddStoredPicture(*m_cursor.document(), group, pict.data, shown);
        if (shown.isEmpty() && (pict.scaleX != 100 || pict.scaleY != 100)) {
            image.setWidth(qMax(1.0, image.width() * pict.scaleX / 100));
            image.setHeight(qMax(1.0, image.height() * pict.scaleY / 100));
        }
        if (m_pendingBreak)
            materializeBreak();
        emitRun();
        QTextCharFormat f = formatFor(m_cur.effective());
        f.merge(image);
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
        m_blockHasText = true;
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

    // One character more for the document; false (and the reading ends) past the budget.
    bool spend()
    {
        if (m_budget < 0)
            return true;
        if (m_budget == 0) {
            m_cut = true;
            m_done = true;
            return false;
        }
        --m_budget;
        return true;
    }

    void paragraph()
    {
        flushBytes();
        if (!spend())
            return;
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
    ReadPicture m_pict;
    qsizetype m_controlAt = 0;
    qsizetype m_budget = -1;
    bool m_cut = false;

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
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decodes when it becomes a string
    return !decoder.hasError();
}

} // namespace

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
        text = QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless).decode(bytes.sliced(2));
    else if (bytes.startsWith("\xFE\xFF"))
        text = QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless).decode(bytes.sliced(2));
    else if (isValidUtf8(bytes))
        text = QString::fromUtf8(bytes);
    else
        text = Decode(936, bytes);
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

bool LoadAtMost(const QByteArray &bytes, QTextDocument &doc, qsizetype maxChars)
{
    const qsizetype start = rtfStart(bytes);
    if (start >= 0) {
        doc.clear();
        Reader reader(bytes, start, doc, maxChars);
        reader.run();
        return !reader.cut();
    }
    doc.clear();
    if (bytes.isEmpty())
        return true;
    // Plain text: the head only, cut after a line, so that no character is cut in two.
    const qsizetype headBytes = maxChars * 4;
    QByteArray head = bytes;
    bool whole = bytes.size() <= headBytes;
    if (!whole) {
        head = bytes.left(headBytes);
        const qsizetype lf = head.lastIndexOf('\n');
        if (lf > 0)
            head.truncate(lf + 1);
    }
    QString text = DecodePlainText(head);
    if (text.size() > maxChars) {
        text.truncate(maxChars);
        whole = false;
    }
    QTextCursor c(&doc);
    c.beginEditBlock();
    c.insertText(text);
    c.endEditBlock();
    return whole;
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
