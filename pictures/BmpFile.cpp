#include "BmpFile.h"

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstring>

namespace pictures {
namespace {

quint16 u16(const uchar *p) { return quint16(p[0] | p[1] << 8); }
quint32 u32(const uchar *p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }
qint32 s32(const uchar *p) { return static_cast<qint32>(u32(p)); }

void put16(uchar *p, quint16 v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}
void put32(uchar *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uchar(v >> (8 * i));
}

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;

} // namespace

// As the platform's own bitmaps write them.
QByteArray BmpHeaders(int width, int height, int bpp, quint32 imageSize)
{
    QByteArray h(FileHeaderSize + InfoHeaderSize, '\0');
    auto *p = reinterpret_cast<uchar *>(h.data());
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, FileHeaderSize + InfoHeaderSize + imageSize);
    put32(p + 10, FileHeaderSize + InfoHeaderSize);
    put32(p + 14, InfoHeaderSize);
    put32(p + 18, quint32(width));
    put32(p + 22, quint32(height));
    put16(p + 26, 1);
    put16(p + 28, quint16(bpp));
    put32(p + 30, 0); // BI_RGB
    put32(p + 34, imageSize);
    return h;
}

namespace {

// Rows go out bottom row first, gathered into large writes.
template <class RowFn>
bool writeBmp(QIODevice &f, int width, int height, int bpp, RowFn fillRow)
{
    if (width <= 0 || height <= 0)
        return false;
    const qsizetype stride = ((qsizetype(width) * bpp + 31) / 32) * 4;
    const qint64 imageSize = qint64(stride) * height;
    if (imageSize + FileHeaderSize + InfoHeaderSize > 0xFFFFFFFFll)
        return false;
    const QByteArray headers = BmpHeaders(width, height, bpp, quint32(imageSize));
    bool ok = f.write(headers) == headers.size();
    const int rowsPerChunk = int(std::max<qsizetype>(1, (1 << 20) / stride));
    QByteArray chunk;
    for (int y = height - 1; ok && y >= 0;) {
        const int n = std::min(rowsPerChunk, y + 1);
        chunk.resize(stride * n);
        for (int k = 0; k < n; ++k, --y) {
            uchar *dst = reinterpret_cast<uchar *>(chunk.data()) + stride * k;
            fillRow(y, dst);
        }
        ok = f.write(chunk) == chunk.size();
    }
    return ok;
}

// Under a passing name first: the desktop may read the picture at any moment, and a
// writer killed half-way must leave it the old picture, not a cut one.
template <class RowFn>
bool writeBmp(const QString &path, int width, int height, int bpp, RowFn fillRow)
{
    if (width <= 0 || height <= 0)
        return false;
    TPendingFile out(path);
    return out.open() && writeBmp(static_cast<QIODevice &>(out.file()), width, height, bpp, fillRow) && out.replace();
}

// The common uncompressed 24- and 32-bit files are read here, straight from the file; the
// general reader takes every other kind.
struct PlainBmp {
    int width = 0, height = 0, bpp = 0;
    bool topDown = false;
    qint64 offBits = 0, stride = 0;
};
enum class Plain { No, Yes, Malformed };

Plain parsePlainBmp(const uchar *d, qint64 avail, qint64 fileSize, PlainBmp &info)
{
    if (avail < FileHeaderSize + InfoHeaderSize)
        return Plain::No;
    const quint32 offBits = u32(d + 10);
    const quint32 hdrSize = u32(d + 14);
    if (hdrSize < InfoHeaderSize || hdrSize > 1024)
        return Plain::No;
    const qint32 width = s32(d + 18);
    const qint32 rawHeight = s32(d + 22);
    const int planes = u16(d + 26);
    const int bpp = u16(d + 28);
    const quint32 compression = u32(d + 30);
    if (planes != 1 || !(bpp == 24 || bpp == 32))
        return Plain::No;
    if (compression == 3) { // BI_BITFIELDS: only the usual masks are read here
        if (bpp != 32 || avail < FileHeaderSize + InfoHeaderSize + 12)
            return Plain::No;
        const uchar *m = d + FileHeaderSize + InfoHeaderSize;
        if (u32(m) != 0x00FF0000u || u32(m + 4) != 0x0000FF00u || u32(m + 8) != 0x000000FFu)
            return Plain::No;
    } else if (compression != 0) {
        return Plain::No;
    }
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        return Plain::Malformed;
    const qint64 height = rawHeight < 0 ? -qint64(rawHeight) : rawHeight;
    if (qint64(width) * height > MaxPixels)
        return Plain::Malformed;
    const qint64 stride = ((qint64(width) * bpp + 31) / 32) * 4;
    const qint64 rowBytes = qint64(width) * (bpp / 8);
    if (offBits < FileHeaderSize + hdrSize || offBits > fileSize
        || qint64(offBits) + stride * (height - 1) + rowBytes > fileSize)
        return Plain::Malformed;
    info = {width, int(height), bpp, rawHeight < 0, offBits, stride};
    return Plain::Yes;
}

void rgb24To32(const uchar *src, std::uint8_t *dst, int width)
{
    // Four bytes at a time; the last pixel alone, so that nothing is read past the row.
    int x = 0;
    for (; x + 1 < width; ++x, src += 3, dst += 4) {
        quint32 v;
        std::memcpy(&v, src, 4);
        v &= 0x00FFFFFFu;
        std::memcpy(dst, &v, 4);
    }
    if (x < width) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = 0;
    }
}

bool readPlainPixels(QFile &f, qint64 fileSize, const PlainBmp &info, TPicture &out)
{
    out = TPicture::Blank(info.width, info.height);
    const qint64 rowBytes = qint64(info.width) * (info.bpp / 8);
    // About a megabyte at a time, but no more than the picture: small ones are read often.
    const int rowsPerChunk = int(std::clamp<qint64>((qint64(1) << 20) / info.stride, 1, info.height));
    std::vector<uchar> chunk(size_t(info.stride) * size_t(rowsPerChunk));
    if (!f.seek(info.offBits))
        return false;
    for (int fileRow = 0; fileRow < info.height;) {
        const int n = std::min(rowsPerChunk, info.height - fileRow);
        // The last row's padding may be missing from the file.
        const qint64 want = std::min<qint64>(info.stride * n, fileSize - (info.offBits + info.stride * fileRow));
        if (want < info.stride * (n - 1) + rowBytes
            || f.read(reinterpret_cast<char *>(chunk.data()), want) != want)
            return false;
        for (int k = 0; k < n; ++k, ++fileRow) {
            const uchar *src = chunk.data() + info.stride * k;
            std::uint8_t *dst = out.row(info.topDown ? fileRow : info.height - 1 - fileRow);
            if (info.bpp == 32)
                std::memcpy(dst, src, size_t(rowBytes));
            else
                rgb24To32(src, dst, info.width);
        }
    }
    return true;
}

// Run-length files are decoded here: a delta or an early end leaves pixels the file never
// sets, and those must come out as a defined colour (the palette's first), not as whatever
// the memory held.
enum class Rle { No, Yes, Malformed };

Rle readRleBmp(const QByteArray &all, TPicture &out)
{
    const auto *d = reinterpret_cast<const uchar *>(all.constData());
    const qint64 size = all.size();
    if (size < FileHeaderSize + InfoHeaderSize)
        return Rle::No;
    const quint32 hdrSize = u32(d + 14);
    const quint32 compression = u32(d + 30);
    const int bpp = u16(d + 28);
    if (hdrSize < InfoHeaderSize || !((compression == 1 && bpp == 8) || (compression == 2 && bpp == 4)))
        return Rle::No;
    const qint32 width = s32(d + 18);
    const qint32 height = s32(d + 22);
    // Run-length pictures are stored bottom row first only.
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxPixels || hdrSize > size)
        return Rle::Malformed;
    const quint32 used = u32(d + 46);
    const qint64 colours = used == 0 || used > (1u << bpp) ? (1 << bpp) : used;
    const qint64 palette = FileHeaderSize + qint64(hdrSize);
    const quint32 offBits = u32(d + 10);
    if (palette + 4 * colours > size || offBits > size)
        return Rle::Malformed;
    QRgb table[256] = {};
    for (qint64 i = 0; i < colours; ++i) {
        const uchar *c = d + palette + 4 * i;
        table[i] = qRgb(c[2], c[1], c[0]);
    }
    out = TPicture(width, height);
    auto put = [&](qint64 x, qint64 y, int index) {
        if (x < 0 || x >= width || y < 0 || y >= height)
            return;
        std::uint8_t *p = out.pixel(int(x), int(height - 1 - y));
        const QRgb c = table[index];
        p[0] = std::uint8_t(qBlue(c));
        p[1] = std::uint8_t(qGreen(c));
        p[2] = std::uint8_t(qRed(c));
    };
    for (qint64 y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            put(x, y, 0);
    qint64 x = 0, y = 0;
    qint64 i = offBits;
    while (i + 1 < size && y < height) {
        const int count = d[i], value = d[i + 1];
        i += 2;
        if (count > 0) { // a run: one byte repeated, its two halves alternating for 4 bits
            for (int k = 0; k < count && x < width; ++k, ++x)
                put(x, y, bpp == 8 ? value : (k % 2 ? value & 0x0F : value >> 4));
            continue;
        }
        if (value == 0) { // end of row
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // delta
            if (i + 1 >= size)
                break;
            x += d[i];
            y += d[i + 1];
            i += 2;
        } else { // `value` pixels given as they are, padded to a whole word
            const qint64 bytes = bpp == 8 ? value : (value + 1) / 2;
            if (i + bytes > size)
                break;
            for (int k = 0; k < value; ++k) {
                const int b = bpp == 8 ? d[i + k] : (k % 2 ? d[i + k / 2] & 0x0F : d[i + k / 2] >> 4);
                if (x < width)
                    put(x, y, b);
                ++x;
            }
            i += (bytes + 1) & ~qint64(1);
        }
    }
    return Rle::Yes;
}

} // namespace

TPicture FromImage(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    TPicture out = TPicture::Blank(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        const auto *src = reinterpret_cast<const quint32 *>(img.constScanLine(y));
        std::uint8_t *dst = out.row(y);
        for (int x = 0; x < img.width(); ++x, dst += 4) {
            const quint32 v = src[x];
            dst[0] = std::uint8_t(v);
            dst[1] = std::uint8_t(v >> 8);
            dst[2] = std::uint8_t(v >> 16);
            dst[3] = 0;
        }
    }
    return out;
}

bool ReadBmp(const QString &path, TPicture &out, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("无法打开图片 %1").arg(path));
        return false;
    }
    const qint64 size = f.size();
    const QByteArray head = f.read(FileHeaderSize + InfoHeaderSize + 12);
    const auto *d = reinterpret_cast<const uchar *>(head.constData());
    if (head.size() < FileHeaderSize + 12 || d[0] != 'B' || d[1] != 'M') {
        SetError(error, QStringLiteral("不是 BMP 图片：%1").arg(path));
        return false;
    }
    PlainBmp info;
    const Plain plain = parsePlainBmp(d, head.size(), size, info);
    if (plain == Plain::Yes && readPlainPixels(f, size, info, out))
        return true;
    if (plain != Plain::No) {
        out = TPicture();
        SetError(error, QStringLiteral("BMP 图片已损坏：%1").arg(path));
        return false;
    }
    f.seek(0);
    const QByteArray all = f.readAll();
    switch (readRleBmp(all, out)) {
    case Rle::Yes:
        return true;
    case Rle::Malformed:
        out = TPicture();
        SetError(error, QStringLiteral("BMP 图片已损坏：%1").arg(path));
        return false;
    case Rle::No:
        break;
    }
    const QImage img = QImage::fromData(all, "BMP");
    if (img.isNull() || qint64(img.width()) * img.height() > MaxPixels) {
        SetError(error, QStringLiteral("BMP 图片已损坏：%1").arg(path));
        return false;
    }
    out = FromImage(img);
    return true;
}

bool WriteBmp32(const QString &path, const TPicture &picture)
{
    if (picture.bits.size() != size_t(picture.width) * size_t(std::max(0, picture.height)) * 4)
        return false;
    return writeBmp(path, picture.width, picture.height, 32, [&](int y, uchar *dst) {
        std::memcpy(dst, picture.row(y), size_t(picture.width) * 4);
    });
}

namespace {

auto bgrRows(int width, const std::uint8_t *bgr, qsizetype stride)
{
    return [=](int y, uchar *dst) {
        const size_t n = size_t(width) * 3;
        std::memcpy(dst, bgr + stride * y, n);
        std::memset(dst + n, 0, ((n + 3) & ~size_t(3)) - n);
    };
}

auto pictureRows(const TPicture &picture)
{
    return [&picture](int y, uchar *dst) {
        const std::uint8_t *src = picture.row(y);
        const size_t n = size_t(picture.width) * 3;
        for (int x = 0; x < picture.width; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
        std::memset(dst, 0, ((n + 3) & ~size_t(3)) - n);
    };
}

} // namespace

bool WriteBmp24(const QString &path, int width, int height, const std::uint8_t *bgr, qsizetype stride)
{
    return writeBmp(path, width, height, 24, bgrRows(width, bgr, stride));
}

bool WriteBmp24(const QString &path, const TPicture &picture)
{
    return writeBmp(path, picture.width, picture.height, 24, pictureRows(picture));
}

bool WriteBmp24(QIODevice &out, int width, int height, const std::uint8_t *bgr, qsizetype stride)
{
    return writeBmp(out, width, height, 24, bgrRows(width, bgr, stride));
}

bool WriteBmp24(QIODevice &out, const TPicture &picture)
{
    return writeBmp(out, picture.width, picture.height, 24, pictureRows(picture));
}

} // namespace pictures
