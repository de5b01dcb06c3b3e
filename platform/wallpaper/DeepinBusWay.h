#pragma once
// Deepin: its appearance daemon sets the background over D-Bus.
#include "WallpaperWay.h"

namespace platform {

class DeepinBusWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;
};

} // namespace platform
