#pragma once
// Hyprland: its wallpaper daemons, hyprpaper (through hyprctl) and swww, where installed.
#include "WallpaperWay.h"

#include <QList>

namespace platform {

class HyprpaperWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;
    QList<QStringList> commands(const QString &path) const;
};

class SwwwWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;
    QStringList command(const QString &path) const;
};

} // namespace platform
