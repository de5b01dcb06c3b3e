#pragma once
// The desktop wallpaper: two values name the picture and its style, then the desktop is
// asked to reload it. Windows keeps the values in its registry; the Linux desktops get
// them through their own settings tools.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
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

// One backend per kind; several desktops share the settings of another (Budgie, Pantheon and
// Unity read GNOME's, UKUI reads MATE's).
enum class DesktopKind {
    None,
    Gnome,
    Cinnamon,
    Mate,
    Kde,
    Xfce,
    Xwallpaper,
    Feh,
    Windows,
    Lxqt,
    Deepin,
    Sway,    // sway itself: swaymsg
    Wlroots, // other wlroots compositors: a swaybg of our own
};

enum class SessionType { None, X11, Wayland };

// Wayland when XDG_SESSION_TYPE says so or a Wayland display is named, else X11 when an X
// display is named.
SessionType SessionFrom(const QString &xdgSessionType, bool waylandDisplay, bool x11Display);

// The desktop from XDG_CURRENT_DESKTOP (lower case, any part naming it), when the tool its
// backend needs is present (the D-Bus backends need none). Only a plain X11 session falls back
// to xwallpaper or feh: a named desktop draws its own window over the root window, and a
// Wayland session has no root window anybody sees.
DesktopKind ChooseDesktop(const QString &currentDesktop, SessionType session,
                          const std::function<bool(const QString &tool)> &toolPresent);
DesktopKind ChooseDesktop(const QString &currentDesktop, bool x11Display,
                          const std::function<bool(const QString &tool)> &toolPresent);
// The running desktop's kind; None for a program without a real display (offscreen).
DesktopKind RunningDesktop();
// The backend of a kind of desktop; nullptr for None.
std::shared_ptr<WallpaperBackend> DesktopBackend(DesktopKind kind);

// The commands that make `path` the stretched wallpaper on the desktops driven by tools. XFCE
// sets every existing ".../last-image" property among `keys`, or monitor0's when there is
// none. GNOME sets "picture-uri-dark" unless `keys` (the schema's keys) are known and lack it,
// as before GNOME 42. Empty for the D-Bus desktops.
QList<QStringList> WallpaperCommands(DesktopKind kind, const QString &path, const QStringList &keys = {});

// The script KDE Plasma (5 and 6) evaluates: every desktop shows `path` stretched; it prints
// how many desktops it changed.
QString PlasmaScript(const QString &path);

// Plasma and LXQt keep showing an image path they already show, so each apply hands them a copy under a
// fresh name beside `path`: "<base>-<ms>.<suffix>", a second link where the file system has them.
// The copies of earlier applies go away.
// Empty when the copy cannot be written.
QString FreshWallpaperCopy(const QString &path);

} // namespace platform
