// Feeds arbitrary bytes to the JPEG conversion. A converted picture must read back as a
// BMP with the very pixels the in-memory decoder gives; a failed one must say why and
// leave no BMP behind.
#include "PictureFiles.h"
#include "fuzz_files.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString in = fuzzfiles::TempPath("jpg");
    static const QString bmp = ChangeFileExt(in, QStringLiteral(".bmp"));
    QFile::remove(bmp);
    fuzzfiles::Put(in, data, size);
    QString error;
    const QString out = JpgToBmp(in, &error);
    if (out.isEmpty()) {
        if (error.isEmpty() || QFile::exists(bmp))
            std::abort();
        return 0;
    }
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgr;
    TPicture picture;
    if (out != bmp || !pictures::ReadBmp(out, picture) || !pictures::ReadJpeg(in, width, height, bgr)
        || picture.width != width || picture.height != height
        || qint64(width) * height > pictures::MaxPixels)
        std::abort();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *p = picture.row(y), *q = bgr.data() + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x, p += 4, q += 3)
            if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2] || p[3] != 0)
                std::abort();
    }
    return 0;
}
