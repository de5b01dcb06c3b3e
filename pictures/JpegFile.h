#pragma once
// JPEG files: the baseline 24-bit encoding of the composed wallpaper, and decoding, also
// straight into a BMP file.
#include "PictureIo.h"
#include "uPicMix.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace pictures {

// Baseline JPEG, 24-bit colour.
bool EncodeJpeg(const TPicture &picture, int quality, QByteArray &out);
bool WriteJpeg(const QString &path, const TPicture &picture, int quality = 90);
// Decodes a JPEG to 24-bit blue-green-red rows from the top, 3 * width bytes each.
bool ReadJpeg(const QString &path, int &width, int &height, std::vector<std::uint8_t> &bgr,
              QString *error = nullptr);

// Decodes a JPEG straight into `bmp`, a file open for writing, as a 24-bit BMP, row batch
// by row batch.
bool JpegToBmp(const QString &jpeg, QFile &bmp, QString *error = nullptr);
// The same into the file at `bmp`, which only a whole picture replaces: a broken JPEG
// leaves a file of that name as it was.
bool JpegToBmpFile(const QString &jpeg, const QString &bmp, QString *error = nullptr);

} // namespace pictures

// Decode the file and write it as a 24-bit BMP under the same path with the extension
// ".bmp"; return that path, or the empty string (and the reason in `error`) on failure.
QString JpgToBmp(const QString &path, QString *error = nullptr);
