#include "JpegFile.h"

#include "BmpFile.h"

#include <QFile>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace pictures {
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
        std::memcpy(message, err.message, JMSG_LENGTH_MAX); // both JMSG_LENGTH_MAX, ending in 0
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
        SetError(error, QStringLiteral("无法打开图片 %1").arg(path));
        return false;
    }
    const QByteArray data = f.readAll();
    if (data.isEmpty()) {
        SetError(error, QStringLiteral("JPEG 图片为空：%1").arg(path));
        return false;
    }
    char message[JMSG_LENGTH_MAX] = {};
    std::vector<JSAMPLE> batch, cmykRow;
    switch (decodeJpeg(reinterpret_cast<const uchar *>(data.constData()), (unsigned long)data.size(), sink, &batch,
                       &cmykRow, message)) {
    case JpegRead::Ok:
        return true;
    case JpegRead::TooLarge:
        SetError(error, QStringLiteral("JPEG 图片过大：%1").arg(path));
        break;
    case JpegRead::Failed:
        SetError(error, QStringLiteral("JPEG 图片已损坏：%1（%2）").arg(path, QString::fromLocal8Bit(message)));
        break;
    case JpegRead::SinkFailed:
        SetError(error, QStringLiteral("无法写入图片"));
        break;
    }
    return false;
}

// Rows straight into a bottom-up 24-bit BMP: each batch lands at its place in the file, so
// no whole picture is held.
struct BmpRowWriter {
    explicit BmpRowWriter(QFile *f) : file(f) {}
    QFile *file;
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
        if (imageSize + BmpHeadersSize > 0xFFFFFFFFll)
            return false;
        const QByteArray headers = BmpHeaders(w, h, 24, quint32(imageSize));
        self->chunk.assign(size_t(self->stride) * BatchRows, 0);
        return self->file->write(headers) == headers.size()
               && self->file->resize(BmpHeadersSize + imageSize);
    }
    static bool rows(void *ctx, const std::uint8_t *bgr, int first, int count)
    {
        auto *self = static_cast<BmpRowWriter *>(ctx);
        const size_t rowBytes = size_t(self->width) * 3;
        for (int k = 0; k < count; ++k) // the lowest row of the batch comes first in the file
            std::memcpy(self->chunk.data() + self->stride * k, bgr + rowBytes * size_t(count - 1 - k), rowBytes);
        const qint64 fileRow = self->height - first - count;
        const qint64 bytes = self->stride * count;
        return self->file->seek(BmpHeadersSize + self->stride * fileRow)
               && self->file->write(reinterpret_cast<const char *>(self->chunk.data()), bytes) == bytes;
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

bool JpegToBmp(const QString &jpeg, QFile &bmp, QString *error)
{
    BmpRowWriter writer(&bmp);
    return decodeJpegFile(jpeg, {BmpRowWriter::start, BmpRowWriter::rows, &writer}, error);
}

bool JpegToBmpFile(const QString &jpeg, const QString &bmp, QString *error)
{
    TPendingFile out(bmp);
    if (!out.open()) {
        SetError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return false;
    }
    if (!JpegToBmp(jpeg, out.file(), error))
        return false;
    if (!out.replace()) {
        SetError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return false;
    }
    return true;
}

} // namespace pictures

QString JpgToBmp(const QString &path, QString *error)
{
    const QString bmp = ChangeFileExt(path, QStringLiteral(".bmp"));
    return pictures::JpegToBmpFile(path, bmp, error) ? bmp : QString();
}
