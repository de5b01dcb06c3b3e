#pragma once
// Picture files of the wallpaper: BMP in and out, the JPEG pass, and the conversion of
// pictures the user adds (BMP, JPEG, GIF, PNG) into BMP files beside them.
#include "BmpFile.h"
#include "GifFile.h"
#include "JpegFile.h"
#include "PictureIo.h"

#include <QString>
#include <QStringList>

// The path of a BMP for the picture at `path`: the path itself for ".bmp", the decoded
// BMP beside it for ".jpg", ".jpeg" and ".gif", the empty string otherwise or on failure.
QString ConvertToBmp(const QString &path);

namespace pictures {

// Adds the picture at `source` (BMP of any kind, JPEG, GIF or PNG, by its extension) to
// `folder` as a 24-bit BMP and returns that BMP's file name; for JPEG, GIF and PNG the
// file itself is copied beside it. A BMP already in the folder is taken as it is.
// Nothing in the folder is replaced: where a different file has the name, the picture
// takes the next free "name (n)"; names in `reserved` are never used. Empty (and the
// reason in `error`) for a file that is missing, of another kind or cannot be decoded,
// which leaves the folder as it was.
QString AddPicture(const QString &source, const QString &folder, const QStringList &reserved = {},
                   QString *error = nullptr);

} // namespace pictures
