#pragma once
// GIF files: the first frame on its screen, as a BMP.
#include <QString>

// Decode the first frame of the GIF (on its logical screen) and write it as a 24-bit BMP
// under the same path with the extension ".bmp"; return that path, or the empty string
// (and the reason in `error`) on failure.
QString GifToBmp(const QString &path, QString *error = nullptr);
