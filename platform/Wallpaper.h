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

// Keeps what it is asked to do, in order, for tests.
class RecordingWallpaper : public WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("recording"); }
    bool open() override;
    bool writeValue(const QString &name, const QString &value) override;
    void close() override;
    bool reload() override;

    // "open", "Wallpaper=<path>", "WallpaperStyle=2", "close", "reload".
    QStringList events;
    QList<QPair<QString, QString>> values;
    bool failOpen = false;
    bool failWrite = false;
    bool failReload = false;
};

// "Wallpaper" = path and "WallpaperStyle" = "2" (stretched), then the reload, which is
// left out when a value could not be written. False when any of it fails or when no
// desktop can take a wallpaper.
bool SetWallpaper(const QString &path);

// Tests put a backend in place; nullptr goes back to the one of the running desktop.
void SetWallpaperBackend(std::shared_ptr<WallpaperBackend> backend);
// The backend SetWallpaper uses now; nullptr when there is none.
std::shared_ptr<WallpaperBackend> CurrentWallpaperBackend();

enum class DesktopKind { None, Gnome, Cinnamon, Mate, Kde, Xfce, Xwallpaper, Feh, Windows };

// The desktop from XDG_CURRENT_DESKTOP (lower case, any part naming it), when its tool is
// present; otherwise xwallpaper or feh on an X11 display.
DesktopKind ChooseDesktop(const QString &currentDesktop, bool x11Display,
                          const std::function<bool(const QString &tool)> &toolPresent);
// The running desktop's kind; None for a program without a real display (offscreen).
DesktopKind RunningDesktop();

// The commands that make `path` the stretched wallpaper. XFCE sets every existing
// ".../last-image" property among `xfceProperties`, or monitor0's when there is none.
// `toolPresent` picks among the tools of KDE Plasma.
QList<QStringList> WallpaperCommands(DesktopKind kind, const QString &path, const QStringList &xfceProperties = {},
                                     const std::function<bool(const QString &tool)> &toolPresent = {});

} // namespace platform
