#pragma once
// GIF files: the first frame on its screen, as a BMP.
#include <QString>

#include <cstdint>
#include <vector>

namespace pictures {

// The first frame on the GIF's logical screen as 24-bit blue-green-red rows from the top,
// 3 * width bytes each; what the frame leaves uncovered shows the screen's background
// colour, or white.
bool ReadGif(const QString &path, int &width, int &height, std::vector<std::uint8_t> &bgr, QString *error = nullptr);

} // namespace pictures

// Decode the first frame of the GIF (on its logical screen) and write it as a 24-bit BMP
// under the same path with the extension ".bmp"; return that path, or the empty string
// (and the reason in `error`) on failure. Only a whole picture replaces a file of that name.
QString GifToBmp(const QString &path, QString *error = nullptr);
