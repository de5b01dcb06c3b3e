#include "RtfCodePages.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace rtf {
namespace {

QString decodeOnce(const QByteArray &name, QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end reads as a replacement character.
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

struct Converter {
    QByteArray name;
    bool subForOutside = false; // bytes outside the code page read as U+001A
    int subByte = -1;           // the byte that does read as U+001A; -1: none
};

// The converter of a code page, looked up once.
const Converter &converterFor(int cp)
{
    static std::mutex lock;
    static std::unordered_map<int, Converter> cache;
    std::lock_guard<std::mutex> guard(lock);
    if (auto it = cache.find(cp); it != cache.end())
        return it->second;
    QList<QByteArray> names;
    switch (cp) {
    case 936: names = {"GBK"}; break;
    case 932: names = {"Shift_JIS"}; break;
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
    names << "windows-" + n << "cp" + n << "ibm-" + n << "windows-1252" << "ISO-8859-1";
    QByteArray found;
    for (const QByteArray &name : names)
        if (QStringDecoder(name.constData()).isValid()) {
            found = name;
            break;
        }
    Converter c{found, false, -1};
    const char outside[] = {char(0x80), char(0xa0), char(0xff)};
    c.subForOutside = decodeOnce(found, QByteArrayView(outside, 3)).contains(QChar(0x1a));
    if (c.subForOutside)
        for (int b = 0; b < 0x80 && c.subByte < 0; ++b) {
            const char byte = char(b);
            if (decodeOnce(found, QByteArrayView(&byte, 1)) == QString(QChar(0x1a)))
                c.subByte = b;
        }
    return cache.emplace(cp, c).first->second;
}

bool valid(QChar c) { return c.unicode() >= 0x80 && c != QChar::ReplacementCharacter && c.unicode() != 0x1a; }

std::unique_ptr<EncodeTable> buildTable(int cp)
{
    auto table = std::make_unique<EncodeTable>(0x10000, 0);
    const QByteArray name = converterFor(cp).name;
    // Every high byte on its own, then every lead and trail byte pair, each piece ended by
    // a line end, read in one call of one converter: the converter is opened once, and the
    // line ends keep each piece's characters apart however the converter reads a bad piece.
    QByteArray in;
    in.reserve(128 * 2 + 126 * 191 * 3);
    for (int b = 0x80; b < 0x100; ++b)
        in.append(char(b)).append('\n');
    for (int lead = 0x81; lead < 0xff; ++lead)
        for (int trail = 0x40; trail < 0xff; ++trail)
            in.append(char(lead)).append(char(trail)).append('\n');
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    const QString out = decoder.decode(in);
    const QList<QStringView> pieces = QStringView(out).split(QLatin1Char('\n'));
    if (pieces.size() == 128 + 126 * 191 + 1) {
        std::array<bool, 256> single{};
        qsizetype at = 0;
        for (int b = 0x80; b < 0x100; ++b, ++at) {
            const QStringView piece = pieces[at];
            single[b] = piece.size() == 1 && valid(piece[0]);
            if (single[b] && !(*table)[piece[0].unicode()])
                (*table)[piece[0].unicode()] = uint16_t(b);
        }
        for (int lead = 0x81; lead < 0xff; ++lead)
            for (int trail = 0x40; trail < 0xff; ++trail, ++at) {
                const QStringView piece = pieces[at];
                if (single[lead] || piece.size() != 1 || !valid(piece[0]))
                    continue;
                // Where two pairs read as one character, the first is the one written.
                uint16_t &slot = (*table)[piece[0].unicode()];
                if (!slot)
                    slot = uint16_t(lead << 8 | trail);
            }
        return table;
    }
    // A converter that swallowed line ends: ask it character by character.
    for (int u = 0x80; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        QStringEncoder one(name.constData());
        const QChar c{char16_t(u)};
        const QByteArray b = one.encode(QStringView(&c, 1));
        if (!one.hasError() && (b.size() == 1 || b.size() == 2) && uint8_t(b[0]) >= 0x80)
            (*table)[u] = b.size() == 1 ? uint8_t(b[0]) : uint16_t(uint8_t(b[0]) << 8 | uint8_t(b[1]));
    }
    return table;
}

} // namespace

int CodePageForCharset(int charset, int ansiCp)
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

QString Decode(int cp, QByteArrayView bytes)
{
    const Converter &c = converterFor(cp);
    QString text = decodeOnce(c.name, bytes);
    if (!c.subForOutside || !text.contains(QChar(0x1a)))
        return text;
    if (c.subByte < 0)
        return text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    // This converter reads bytes outside its code page as the SUB control, as it reads
    // its own SUB byte: read up to and including each SUB byte on its own, so that only
    // the last character of a piece is a real SUB, and make the others U+FFFD, as the
    // other converters give them.
    text.clear();
    for (qsizetype from = 0; from < bytes.size();) {
        const qsizetype sub = bytes.indexOf(char(c.subByte), from);
        const qsizetype end = sub < 0 ? bytes.size() : sub + 1;
        QString part = decodeOnce(c.name, bytes.sliced(from, end - from));
        const bool realSub = sub >= 0 && part.endsWith(QChar(0x1a));
        if (realSub)
            part.chop(1);
        text += part.replace(QChar(0x1a), QChar::ReplacementCharacter);
        if (realSub)
            text += QChar(0x1a);
        from = end;
    }
    return text;
}

const EncodeTable &EncodeTableFor(int cp)
{
    static std::mutex lock;
    static std::unordered_map<int, std::unique_ptr<EncodeTable>> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto &slot = cache[cp];
    if (!slot)
        slot = buildTable(cp);
    return *slot;
}

} // namespace rtf
