#pragma once
// A plain X11 session: a tool lays the picture on the root window and names it there
// (_XROOTPMAP_ID).
#include "WallpaperWay.h"

namespace platform {

class RootWindowWay : public WallpaperWay {
public:
    enum Tool { Xwallpaper, Feh };
    explicit RootWindowWay(Tool tool) : m_tool(tool) {}
    bool apply(const QString &path) override;
    QStringList command(const QString &path) const;

private:
    Tool m_tool;
};

} // namespace platform
