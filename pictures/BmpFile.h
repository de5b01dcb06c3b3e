#pragma once
// BMP files: any BMP in, uncompressed bottom-up 24- and 32-bit BMP out.
#include "PictureIo.h"
#include "uPicMix.h"

#include <QByteArray>
#include <QString>

class QImage;
class QIODevice;

namespace pictures {

// Any BMP: 1, 4, 8, 16, 24 and 32 bits, bottom-up or top-down, RLE. Converted to 32 bits;
// the fourth byte is 0 except in 32-bit files, which keep theirs. False (with a reason in
// `error`) for a missing, unreadable or malformed file.
bool ReadBmp(const QString &path, TPicture &out, QString *error = nullptr);

// A 32-bit BMP (fourth byte as in the picture), bottom-up, uncompressed.
bool WriteBmp32(const QString &path, const TPicture &picture);
// A 24-bit BMP of `height` rows of blue-green-red bytes, given from the top, `stride` apart.
bool WriteBmp24(const QString &path, int width, int height, const std::uint8_t *bgr, qsizetype stride);
bool WriteBmp24(const QString &path, const TPicture &picture);
// The same into a device open for writing, from its current place on.
bool WriteBmp24(QIODevice &out, int width, int height, const std::uint8_t *bgr, qsizetype stride);
bool WriteBmp24(QIODevice &out, const TPicture &picture);

// The file and info headers of an uncompressed, bottom-up BMP whose pixels follow them.
constexpr int BmpHeadersSize = 14 + 40;
QByteArray BmpHeaders(int width, int height, int bpp, quint32 imageSize);

// A Qt image as a mixing picture (fourth byte 0).
TPicture FromImage(const QImage &image);

} // namespace pictures
