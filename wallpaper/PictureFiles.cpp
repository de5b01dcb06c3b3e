#include "PictureFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>

namespace pictures {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

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

// The headers of an uncompressed, bottom-up BMP as the platform's own bitmaps write it.
QByteArray bmpHeaders(int width, int height, int bpp, quint32 imageSize)
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

// Rows go out bottom row first, gathered into large writes. A plain overwrite: these
// pictures are made again on every apply, and waiting for the disk would double its time.
template <class RowFn>
bool writeBmp(const QString &path, int width, int height, int bpp, RowFn fillRow)
{
    if (width <= 0 || height <= 0)
        return false;
    const qsizetype stride = ((qsizetype(width) * bpp + 31) / 32) * 4;
    const qint64 imageSize = qint64(stride) * height;
    if (imageSize + FileHeaderSize + InfoHeaderSize > 0xFFFFFFFFll)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    const QByteArray headers = bmpHeaders(width, height, bpp, quint32(imageSize));
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
    f.close();
    if (!ok || f.error() != QFileDevice::NoError) {
        f.remove(); // no half picture left behind
        return false;
    }
    return true;
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

QImage ToImage(const TPicture &picture)
{
    QImage img(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t *src = picture.row(y);
        auto *dst = reinterpret_cast<quint32 *>(img.scanLine(y));
        for (int x = 0; x < picture.width; ++x, src += 4)
            dst[x] = 0xFF000000u | quint32(src[2]) << 16 | quint32(src[1]) << 8 | src[0];
    }
    return img;
}

bool ReadBmp(const QString &path, TPicture &out, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("无法打开图片 %1").arg(path));
        return false;
    }
    const qint64 size = f.size();
    const QByteArray head = f.read(FileHeaderSize + InfoHeaderSize + 12);
    const auto *d = reinterpret_cast<const uchar *>(head.constData());
    if (head.size() < FileHeaderSize + 12 || d[0] != 'B' || d[1] != 'M') {
        setError(error, QStringLiteral("不是 BMP 图片：%1").arg(path));
        return false;
    }
    PlainBmp info;
    const Plain plain = parsePlainBmp(d, head.size(), size, info);
    if (plain == Plain::Yes && readPlainPixels(f, size, info, out))
        return true;
    if (plain != Plain::No) {
        out = TPicture();
        setError(error, QStringLiteral("BMP 图片已损坏：%1").arg(path));
        return false;
    }
    f.seek(0);
    const QByteArray all = f.readAll();
    const QImage img = QImage::fromData(all, "BMP");
    if (img.isNull() || qint64(img.width()) * img.height() > MaxPixels) {
        setError(error, QStringLiteral("BMP 图片已损坏：%1").arg(path));
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

bool WriteBmp24(const QString &path, int width, int height, const std::uint8_t *bgr, qsizetype stride)
{
    return writeBmp(path, width, height, 24, [&](int y, uchar *dst) {
        const size_t n = size_t(width) * 3;
        std::memcpy(dst, bgr + stride * y, n);
        std::memset(dst + n, 0, ((n + 3) & ~size_t(3)) - n);
    });
}

bool WriteBmp24(const QString &path, const TPicture &picture)
{
    return writeBmp(path, picture.width, picture.height, 24, [&](int y, uchar *dst) {
        const std::uint8_t *src = picture.row(y);
        const size_t n = size_t(picture.width) * 3;
        for (int x = 0; x < picture.width; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
        std::memset(dst, 0, ((n + 3) & ~size_t(3)) - n);
    });
}

// ---- JPEG -------------------------------------------------------------------------
namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<JpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void jpegQuiet(j_common_ptr) {}

JpegError *jpegErrors(JpegError &err)
{
    jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.output_message = jpegQuiet;
    err.message[0] = 0;
    return &err;
}

// The compression itself, free of objects with destructors so that the error jump is safe.
bool encodeJpeg(const TPicture &picture, int quality, unsigned char **buffer, unsigned long *size)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = &jpegErrors(err)->mgr;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(picture.width);
    cinfo.image_height = JDIMENSION(picture.height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

enum class JpegRead { Ok, Failed, TooLarge, SinkFailed };

// Where decoded rows go: told the size first, then handed batches of blue-green-red rows
// from the top. Either returns false to stop.
struct RowSink {
    bool (*start)(void *ctx, int width, int height);
    bool (*rows)(void *ctx, const std::uint8_t *bgr, int firstRow, int count);
    void *ctx;
};

constexpr int BatchRows = 16;

// Free of objects with destructors (the buffers are the caller's) so that the error jump
// is safe.
JpegRead decodeJpeg(const uchar *data, unsigned long size, const RowSink &sink, std::vector<JSAMPLE> *batch,
                    std::vector<JSAMPLE> *cmykRow, char *message)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = &jpegErrors(err)->mgr;
    if (setjmp(err.jump)) {
        std::strncpy(message, err.message, JMSG_LENGTH_MAX - 1);
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    const int width = int(cinfo.output_width), height = int(cinfo.output_height);
    if (qint64(width) * height > MaxPixels || width == 0 || height == 0) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::TooLarge;
    }
    if (!sink.start(sink.ctx, width, height)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegRead::SinkFailed;
    }
    const size_t stride = size_t(width) * 3;
    batch->resize(stride * BatchRows);
    cmykRow->resize(cmyk ? size_t(width) * 4 : 0);
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        int n = 0;
        while (n < BatchRows && cinfo.output_scanline < cinfo.output_height) {
            std::uint8_t *dst = batch->data() + stride * size_t(n);
            JSAMPROW row = cmyk ? cmykRow->data() : dst;
            if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
                break;
            if (cmyk) {
                // Files with CMYK colour are written inverted by the common tools.
                const bool inverted = cinfo.saw_Adobe_marker;
                const JSAMPLE *q = cmykRow->data();
                for (int x = 0; x < width; ++x) {
                    int c = q[4 * x], m = q[4 * x + 1], y = q[4 * x + 2], k = q[4 * x + 3];
                    if (!inverted) {
                        c = 255 - c;
                        m = 255 - m;
                        y = 255 - y;
                        k = 255 - k;
                    }
                    dst[3 * x] = std::uint8_t(y * k / 255);
                    dst[3 * x + 1] = std::uint8_t(m * k / 255);
                    dst[3 * x + 2] = std::uint8_t(c * k / 255);
                }
            }
            ++n;
        }
        if (n == 0 || !sink.rows(sink.ctx, batch->data(), first, n)) {
            jpeg_destroy_decompress(&cinfo);
            return n == 0 ? JpegRead::Failed : JpegRead::SinkFailed;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return JpegRead::Ok;
}

bool decodeJpegFile(const QString &path, const RowSink &sink, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("无法打开图片 %1").arg(path));
        return false;
    }
    const QByteArray data = f.readAll();
    if (data.isEmpty()) {
        setError(error, QStringLiteral("JPEG 图片为空：%1").arg(path));
        return false;
    }
    char message[JMSG_LENGTH_MAX] = {};
    std::vector<JSAMPLE> batch, cmykRow;
    switch (decodeJpeg(reinterpret_cast<const uchar *>(data.constData()), (unsigned long)data.size(), sink, &batch,
                       &cmykRow, message)) {
    case JpegRead::Ok:
        return true;
    case JpegRead::TooLarge:
        setError(error, QStringLiteral("JPEG 图片过大：%1").arg(path));
        break;
    case JpegRead::Failed:
        setError(error, QStringLiteral("JPEG 图片已损坏：%1（%2）").arg(path, QString::fromLocal8Bit(message)));
        break;
    case JpegRead::SinkFailed:
        setError(error, QStringLiteral("无法写入图片"));
        break;
    }
    return false;
}

// Rows straight into a bottom-up 24-bit BMP: each batch lands at its place in the file, so
// no whole picture is held.
struct BmpRowWriter {
    QFile file;
    int width = 0, height = 0;
    qint64 stride = 0;
    std::vector<uchar> chunk;

    static bool start(void *ctx, int w, int h)
    {
        auto *self = static_cast<BmpRowWriter *>(ctx);
        self->width = w;
        self->height = h;
        self->stride = ((qint64(w) * 24 + 31) / 32) * 4;
        const qint64 imageSize = self->stride * h;
        if (imageSize + FileHeaderSize + InfoHeaderSize > 0xFFFFFFFFll)
            return false;
        const QByteArray headers = bmpHeaders(w, h, 24, quint32(imageSize));
        self->chunk.assign(size_t(self->stride) * BatchRows, 0);
        return self->file.write(headers) == headers.size()
               && self->file.resize(FileHeaderSize + InfoHeaderSize + imageSize);
    }
    static bool rows(void *ctx, const std::uint8_t *bgr, int first, int count)
    {
        auto *self = static_cast<BmpRowWriter *>(ctx);
        const size_t rowBytes = size_t(self->width) * 3;
        for (int k = 0; k < count; ++k) // the lowest row of the batch comes first in the file
            std::memcpy(self->chunk.data() + self->stride * k, bgr + rowBytes * size_t(count - 1 - k), rowBytes);
        const qint64 fileRow = self->height - first - count;
        const qint64 bytes = self->stride * count;
        return self->file.seek(FileHeaderSize + InfoHeaderSize + self->stride * fileRow)
               && self->file.write(reinterpret_cast<const char *>(self->chunk.data()), bytes) == bytes;
    }
};

struct VectorRows {
    int *width, *height;
    std::vector<std::uint8_t> *bgr;

    static bool start(void *ctx, int w, int h)
    {
        auto *self = static_cast<VectorRows *>(ctx);
        *self->width = w;
        *self->height = h;
        self->bgr->resize(size_t(w) * 3 * size_t(h));
        return true;
    }
    static bool rows(void *ctx, const std::uint8_t *bgr, int first, int count)
    {
        auto *self = static_cast<VectorRows *>(ctx);
        const size_t rowBytes = size_t(*self->width) * 3;
        std::memcpy(self->bgr->data() + rowBytes * size_t(first), bgr, rowBytes * size_t(count));
        return true;
    }
};

} // namespace

bool EncodeJpeg(const TPicture &picture, int quality, QByteArray &out)
{
    out.clear();
    if (picture.empty() || picture.width > 65500 || picture.height > 65500)
        return false;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const bool ok = encodeJpeg(picture, quality, &buffer, &size);
    if (ok)
        out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return ok;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    bool ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    f.close();
    ok = ok && f.error() == QFileDevice::NoError;
    if (!ok)
        f.remove();
    return ok;
}

bool WriteJpeg(const QString &path, const TPicture &picture, int quality)
{
    QByteArray jpeg;
    return EncodeJpeg(picture, quality, jpeg) && WriteFile(path, jpeg);
}

bool ReadJpeg(const QString &path, int &width, int &height, std::vector<std::uint8_t> &bgr, QString *error)
{
    bgr.clear();
    VectorRows target{&width, &height, &bgr};
    if (decodeJpegFile(path, {VectorRows::start, VectorRows::rows, &target}, error))
        return true;
    bgr.clear();
    return false;
}

bool JpegToBmpFile(const QString &jpeg, const QString &bmp, QString *error)
{
    BmpRowWriter writer;
    writer.file.setFileName(bmp);
    // Decoding is checked before the old file is touched: a broken JPEG leaves it as it was.
    {
        QFile probe(jpeg);
        if (!probe.open(QIODevice::ReadOnly)) {
            setError(error, QStringLiteral("无法打开图片 %1").arg(jpeg));
            return false;
        }
    }
    if (!writer.file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        setError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return false;
    }
    const bool ok = decodeJpegFile(jpeg, {BmpRowWriter::start, BmpRowWriter::rows, &writer}, error);
    writer.file.close();
    if (!ok || writer.file.error() != QFileDevice::NoError) {
        writer.file.remove(); // no half picture left behind
        if (ok)
            setError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return false;
    }
    return true;
}

} // namespace pictures

QString ChangeFileExt(const QString &path, const QString &ext)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return path.left(dot) + ext;
    return path + ext;
}

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

QString JpgToBmp(const QString &path, QString *error)
{
    const QString bmp = ChangeFileExt(path, QStringLiteral(".bmp"));
    return pictures::JpegToBmpFile(path, bmp, error) ? bmp : QString();
}

namespace {

enum class GifRead { Ok, Broken, TooLarge };

// The first frame, record by record: its size is checked before anything is allocated
// for it (a few bytes can claim a frame of two billion pixels), and later frames are not
// read at all, so a broken one cannot spoil it.
GifRead readFirstGifFrame(GifFileType *gif, std::vector<GifByteType> &raster, int &transparent)
{
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return GifRead::Broken;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return GifRead::Broken;
            GraphicsControlBlock gcb;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return GifRead::Broken;
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return GifRead::Broken;
            const int w = gif->Image.Width, h = gif->Image.Height;
            if (w <= 0 || h <= 0)
                return GifRead::Broken;
            if (qint64(w) * h > pictures::MaxPixels)
                return GifRead::TooLarge;
            raster.assign(size_t(w) * size_t(h), 0);
            if (gif->Image.Interlace) {
                static constexpr int first[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int pass = 0; pass < 4; ++pass)
                    for (int y = first[pass]; y < h; y += step[pass])
                        if (DGifGetLine(gif, raster.data() + size_t(y) * size_t(w), w) == GIF_ERROR)
                            return GifRead::Broken;
            } else if (DGifGetLine(gif, raster.data(), w * h) == GIF_ERROR) {
                return GifRead::Broken;
            }
            return GifRead::Ok;
        }
    } while (type != TERMINATE_RECORD_TYPE);
    return GifRead::Broken;
}

} // namespace

QString GifToBmp(const QString &path, QString *error)
{
    int code = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &code);
    if (!gif) {
        pictures::setError(error, QStringLiteral("无法打开 GIF 图片 %1").arg(path));
        return {};
    }
    struct Closer {
        GifFileType *g;
        ~Closer() { DGifCloseFile(g, nullptr); }
    } closer{gif};
    if (qint64(gif->SWidth) * gif->SHeight > pictures::MaxPixels) {
        pictures::setError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return {};
    }
    std::vector<GifByteType> raster;
    int transparent = NO_TRANSPARENT_COLOR;
    switch (readFirstGifFrame(gif, raster, transparent)) {
    case GifRead::Ok:
        break;
    case GifRead::TooLarge:
        pictures::setError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return {};
    case GifRead::Broken:
        pictures::setError(error, QStringLiteral("GIF 图片已损坏：%1").arg(path));
        return {};
    }
    const GifImageDesc &desc = gif->Image;
    const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) {
        pictures::setError(error, QStringLiteral("GIF 图片已损坏：%1").arg(path));
        return {};
    }
    const int w = gif->SWidth > 0 ? gif->SWidth : desc.Width;
    const int h = gif->SHeight > 0 ? gif->SHeight : desc.Height;
    if (qint64(w) * h > pictures::MaxPixels) {
        pictures::setError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return {};
    }

    // What the frame does not cover shows the screen's background colour, or white.
    std::uint8_t fill[3] = {255, 255, 255};
    if (gif->SColorMap && gif->SBackGroundColor >= 0 && gif->SBackGroundColor < gif->SColorMap->ColorCount
        && gif->SBackGroundColor != transparent) {
        const GifColorType &c = gif->SColorMap->Colors[gif->SBackGroundColor];
        fill[0] = c.Blue;
        fill[1] = c.Green;
        fill[2] = c.Red;
    }
    const size_t stride = size_t(w) * 3;
    std::vector<std::uint8_t> bgr(stride * size_t(h));
    for (size_t i = 0; i < bgr.size(); i += 3)
        std::memcpy(&bgr[i], fill, 3);
    for (int y = 0; y < desc.Height; ++y) {
        const int ty = desc.Top + y;
        if (ty < 0 || ty >= h)
            continue;
        const GifByteType *src = raster.data() + size_t(y) * size_t(desc.Width);
        for (int x = 0; x < desc.Width; ++x) {
            const int tx = desc.Left + x;
            const int idx = src[x];
            if (tx < 0 || tx >= w || idx == transparent || idx >= map->ColorCount)
                continue;
            std::uint8_t *d = &bgr[size_t(ty) * stride + size_t(tx) * 3];
            d[0] = map->Colors[idx].Blue;
            d[1] = map->Colors[idx].Green;
            d[2] = map->Colors[idx].Red;
        }
    }
    const QString bmp = ChangeFileExt(path, QStringLiteral(".bmp"));
    if (!pictures::WriteBmp24(bmp, w, h, bgr.data(), qsizetype(stride))) {
        pictures::setError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return {};
    }
    return bmp;
}
