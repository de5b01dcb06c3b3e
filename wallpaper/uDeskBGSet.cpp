#include "uDeskBGSet.h"

#include "Wallpaper.h"

bool SetWallpaper(const QString &path) { return platform::SetWallpaper(path); }
