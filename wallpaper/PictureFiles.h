#pragma once
// Picture files of the wallpaper: BMP in and out, the JPEG pass, and the conversion of
// pictures the user adds (JPEG, GIF) into BMP files beside them.
#include "uPicMix.h"

#include <QString>

class QImage;

namespace pictures {

// The largest picture accepted from a file, in pixels; larger files count as malformed.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing builds take smaller pictures, so that each input stays quick to try.
constexpr qint64 MaxPixels = qint64(1) << 12;
#else
constexpr qint64 MaxPixels = qint64(1) << 27;
#endif

// Any BMP: 1, 4, 8, 16, 24 and 32 bits, bottom-up or top-down, RLE. Converted to 32 bits;
// the fourth byte is 0 except in 32-bit files, which keep theirs. False (with a reason in
// `error`) for a missing, unreadable or malformed file.
bool ReadBmp(const QString &path, TPicture &out, QString *error = nullptr);

// A 32-bit BMP (fourth byte as in the picture), bottom-up, uncompressed.
bool WriteBmp32(const QString &path, const TPicture &picture);
// A 24-bit BMP of `height` rows of blue-green-red bytes, given from the top, `stride` apart.
bool WriteBmp24(const QString &path, int width, int height, const std::uint8_t *bgr, qsizetype stride);
bool WriteBmp24(const QString &path, const TPicture &picture);

// Baseline JPEG, 24-bit colour.
bool EncodeJpeg(const TPicture &picture, int quality, QByteArray &out);
bool WriteJpeg(const QString &path, const TPicture &picture, int quality = 90);
// Decodes a JPEG to 24-bit blue-green-red rows from the top, 3 * width bytes each.
bool ReadJpeg(const QString &path, int &width, int &height, std::vector<std::uint8_t> &bgr,
              QString *error = nullptr);

// The bytes as the whole file; a file that could not be written whole is removed.
bool WriteFile(const QString &path, const QByteArray &bytes);
// Decodes a JPEG straight into a 24-bit BMP file, row batch by row batch.
bool JpegToBmpFile(const QString &jpeg, const QString &bmp, QString *error = nullptr);

// Between Qt images and the mixing picture (fourth byte 0).
TPicture FromImage(const QImage &image);
QImage ToImage(const TPicture &picture);

} // namespace pictures

// The path of a BMP for the picture at `path`: the path itself for ".bmp", the decoded
// BMP beside it for ".jpg", ".jpeg" and ".gif", the empty string otherwise or on failure.
QString ConvertToBmp(const QString &path);
// Decode the file and write it as a 24-bit BMP under the same path with the extension
// ".bmp"; return that path, or the empty string (and the reason in `error`) on failure.
QString JpgToBmp(const QString &path, QString *error = nullptr);
// The first frame of the GIF.
QString GifToBmp(const QString &path, QString *error = nullptr);
// `path` with the extension of its file name (from the last dot on) replaced.
QString ChangeFileExt(const QString &path, const QString &ext);
