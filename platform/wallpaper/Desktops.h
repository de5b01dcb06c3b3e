#pragma once
// The desktops the program knows, one row each: the names XDG_CURRENT_DESKTOP gives them, a
// variable only they set, the session they hold in, the tool they need and their way of
// applying a wallpaper. A new desktop is a row; a new way is a class.
#include "WallpaperWay.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {

enum class SessionType { None, X11, Wayland };

struct DesktopRow {
    const char *id;      // how the program and its tests name the row
    const char *names;   // parts of XDG_CURRENT_DESKTOP naming it, "|"-separated; nullptr: none
    const char *marker;  // a variable only this desktop sets (it may not name itself); nullptr: none
    SessionType session; // rows without name or marker hold only in this session; None: any
    const char *tool;    // the tool its way needs; nullptr: none (D-Bus)
    std::unique_ptr<WallpaperWay> (*way)(); // nullptr: the desktop has no way to be set
};

// The table, in the order it is searched.
const QList<DesktopRow> &Desktops();

// Wayland when XDG_SESSION_TYPE says so or a Wayland display is named, else X11 when an X
// display is named.
SessionType SessionFrom(const QString &xdgSessionType, bool waylandDisplay, bool x11Display);

// The row for the running desktop, by id; empty when none can take a wallpaper. A desktop
// XDG_CURRENT_DESKTOP names (lower case, any part naming it) takes its first row whose tool
// is present, and no other: a named desktop draws its own window over the root window.
// Otherwise a desktop's own variable among `setVariables` names it; otherwise the rows for
// the session: a plain X11 session takes xwallpaper or feh, a Wayland one a swaybg.
QString ChooseDesktop(const QString &currentDesktop, SessionType session,
                      const std::function<bool(const QString &tool)> &toolPresent,
                      const QStringList &setVariables = {});
// The running desktop's row; empty for a program without a real display (offscreen).
QString RunningDesktop();
// The way of a row; nullptr for an unknown row or one without a way.
std::unique_ptr<WallpaperWay> WayOf(const QString &desktopId);

} // namespace platform
