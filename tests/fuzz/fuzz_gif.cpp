// Feeds arbitrary bytes to the GIF conversion. A converted picture must read back as a
// BMP of the GIF's screen size; a failed one must say why.
#include "PictureFiles.h"
#include "fuzz_files.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString in = fuzzfiles::TempPath("gif");
    static const QString bmp = ChangeFileExt(in, QStringLiteral(".bmp"));
    QFile::remove(bmp);
    fuzzfiles::Put(in, data, size);
    QString error;
    const QString out = GifToBmp(in, &error);
    if (out.isEmpty()) {
        if (error.isEmpty() || QFile::exists(bmp))
            std::abort();
        return 0;
    }
    TPicture picture;
    if (out != bmp || !pictures::ReadBmp(out, picture) || picture.empty()
        || qint64(picture.width) * picture.height > pictures::MaxPixels)
        std::abort();
    // The screen size, where the file gives one.
    if (size >= 10) {
        const int sw = data[6] | data[7] << 8, sh = data[8] | data[9] << 8;
        if ((sw > 0 && picture.width != sw) || (sh > 0 && picture.height != sh))
            std::abort();
    }
    return 0;
}
