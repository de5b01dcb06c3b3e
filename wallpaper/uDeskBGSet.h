#pragma once
// The picture folder's fixed files and the desktop wallpaper setting.
#include <QString>

// Names of the files the apply writes in the picture folder.
inline constexpr const char *ContentPictureName = "Content.bmp";
inline constexpr const char *MixPictureName = "Mix.bmp";
inline constexpr const char *MixJpegName = "Mix.Jpg";

// Makes the picture at `path` the stretched desktop wallpaper; false when the values could
// not be written or the desktop did not take them.
bool SetWallpaper(const QString &path);
