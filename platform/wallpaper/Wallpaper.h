#pragma once
// The desktop wallpaper: two values name the picture and its style, then the desktop is
// asked to reload it. Windows keeps the values in its registry; the other desktops get the
// picture through their own way of applying (Desktops.h).
#include "Desktops.h"

#include <QString>

#include <memory>

namespace platform {

class WallpaperBackend {
public:
    virtual ~WallpaperBackend() = default;
    virtual QString name() const = 0;
    // Opens the place of the values without creating it; false when it cannot be used.
    virtual bool open() = 0;
    virtual bool writeValue(const QString &name, const QString &value) = 0;
    virtual void close() = 0;
    // Asks the desktop to show the picture the values name.
    virtual bool reload() = 0;
};

// "Wallpaper" = path and "WallpaperStyle" = "2" (stretched), then the reload, which is
// left out when a value could not be written. False when any of it fails or when no
// desktop can take a wallpaper.
bool SetWallpaper(const QString &path);

// Tests put a backend in place; nullptr goes back to the one of the running desktop.
void SetWallpaperBackend(std::shared_ptr<WallpaperBackend> backend);
// The backend SetWallpaper uses now; nullptr when there is none.
std::shared_ptr<WallpaperBackend> CurrentWallpaperBackend();
// The backend of a row of the desktop table; nullptr for none or a desktop without a way.
std::shared_ptr<WallpaperBackend> DesktopBackend(const QString &desktopId);

} // namespace platform
