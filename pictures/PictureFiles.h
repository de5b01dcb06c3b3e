#pragma once
// Picture files of the wallpaper: BMP in and out, the JPEG pass, and the conversion of
// pictures the user adds (JPEG, GIF) into BMP files beside them.
#include "BmpFile.h"
#include "GifFile.h"
#include "JpegFile.h"
#include "PictureIo.h"

#include <QString>

// The path of a BMP for the picture at `path`: the path itself for ".bmp", the decoded
// BMP beside it for ".jpg", ".jpeg" and ".gif", the empty string otherwise or on failure.
QString ConvertToBmp(const QString &path);
