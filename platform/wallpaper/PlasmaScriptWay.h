#pragma once
// KDE Plasma (5 and 6): a script its shell evaluates over D-Bus.
#include "WallpaperWay.h"

namespace platform {

class PlasmaScriptWay : public WallpaperWay {
public:
    // Plasma keeps showing a path it already shows: it is told a fresh name every time, and
    // the script's count of desktops it changed must not be 0.
    bool apply(const QString &path) override;
};

// The script: every desktop shows `path` stretched; it prints how many desktops it changed.
QString PlasmaScript(const QString &path);

} // namespace platform
