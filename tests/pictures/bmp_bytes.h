#pragma once
// BMP files built byte by byte, for the readers' tests.
#include <QByteArray>
#include <QColor>

#include <initializer_list>

namespace bmpbytes {

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}
inline QByteArray le16(quint16 v) { return le32(v).left(2); }

// A BMP file from its parts: the info header of 40 bytes, masks and palette after it.
inline QByteArray makeBmp(int w, int h, int bpp, quint32 compression, const QByteArray &pixels,
                          const QByteArray &palette = {}, const QByteArray &masks = {})
{
    const quint32 off = 14 + 40 + quint32(masks.size() + palette.size());
    QByteArray info = le32(40) + le32(quint32(w)) + le32(quint32(h)) + le16(1) + le16(quint16(bpp)) + le32(compression)
                      + le32(quint32(pixels.size())) + le32(2835) + le32(2835)
                      + le32(quint32(palette.size() / 4)) + le32(0);
    return QByteArray("BM") + le32(off + quint32(pixels.size())) + le32(0) + le32(off) + info + masks + palette
           + pixels;
}

inline QByteArray bgra(std::initializer_list<QRgb> colours)
{
    QByteArray out;
    for (QRgb c : colours)
        out += char(qBlue(c)), out += char(qGreen(c)), out += char(qRed(c)), out += char(0);
    return out;
}

inline QByteArray bytes(std::initializer_list<int> v)
{
    QByteArray out;
    for (int b : v)
        out += char(b);
    return out;
}

} // namespace bmpbytes
