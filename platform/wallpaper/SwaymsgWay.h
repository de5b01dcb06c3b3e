#pragma once
// sway: its own background, replaced through its IPC (swaymsg). A background client started
// beside it would lie under sway's own and show nothing.
#include "WallpaperWay.h"

namespace platform {

class SwaymsgWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;
    QStringList command(const QString &path) const;
};

} // namespace platform
