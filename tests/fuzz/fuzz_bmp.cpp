// Feeds arbitrary bytes to the BMP reader. A picture it accepts must be whole and must
// come back byte for byte through the 32-bit writer; a refusal must say why.
#include "PictureFiles.h"
#include "fuzz_files.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString in = fuzzfiles::TempPath("bmp");
    static const QString again = fuzzfiles::TempPath("again.bmp");
    fuzzfiles::Put(in, data, size);
    TPicture picture;
    QString error;
    if (!pictures::ReadBmp(in, picture, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (picture.empty() || qint64(picture.width) * picture.height > pictures::MaxPixels
        || picture.bits.size() != size_t(picture.width) * size_t(picture.height) * 4)
        std::abort();
    TPicture back;
    if (!pictures::WriteBmp32(again, picture) || !pictures::ReadBmp(again, back) || back.width != picture.width
        || back.height != picture.height || back.bits != picture.bits)
        std::abort();
    return 0;
}
