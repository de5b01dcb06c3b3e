#include "Desktops.h"

#include "BackgroundProcessWay.h"
#include "DeepinBusWay.h"
#include "HyprlandWays.h"
#include "PlasmaScriptWay.h"
#include "RootWindowWay.h"
#include "SettingsToolWay.h"
#include "SwaymsgWay.h"

#include <QGuiApplication>

namespace platform {

namespace {

template <typename Way, auto... Args>
std::unique_ptr<WallpaperWay> make()
{
    return std::make_unique<Way>(Args...);
}

std::unique_ptr<WallpaperWay> gnome()
{
    return std::make_unique<GSettingsWay>(QStringLiteral("org.gnome.desktop.background"),
                                          QStringList{QStringLiteral("picture-uri"), QStringLiteral("picture-uri-dark")});
}
std::unique_ptr<WallpaperWay> cinnamon()
{
    return std::make_unique<GSettingsWay>(QStringLiteral("org.cinnamon.desktop.background"),
                                          QStringList{QStringLiteral("picture-uri")});
}
std::unique_ptr<WallpaperWay> mate()
{
    return std::make_unique<GSettingsWay>(QStringLiteral("org.mate.background"),
                                          QStringList{QStringLiteral("picture-filename")}, true);
}

constexpr auto Any = SessionType::None;
constexpr auto X11 = SessionType::X11;
constexpr auto Wayland = SessionType::Wayland;

} // namespace

const QList<DesktopRow> &Desktops()
{
    // First match wins: "x-cinnamon" and "budgie:gnome" name GNOME too. Budgie, Pantheon and
    // Unity read GNOME's settings, UKUI reads MATE's.
    static const QList<DesktopRow> rows = {
        {"cinnamon", "cinnamon", nullptr, Any, "gsettings", cinnamon},
        {"mate", "mate|ukui", nullptr, Any, "gsettings", mate},
        {"gnome", "budgie|pantheon|unity|gnome", nullptr, Any, "gsettings", gnome},
        {"kde", "kde", nullptr, Any, nullptr, make<PlasmaScriptWay>},
        {"xfce", "xfce", nullptr, Any, "xfconf-query", make<XfconfWay>},
        {"lxqt", "lxqt", nullptr, Any, "pcmanfm-qt", make<PcmanfmWay>},
        {"deepin", "deepin|dde", nullptr, Any, nullptr, make<DeepinBusWay>},
        {"sway", "sway", "SWAYSOCK", Any, "swaymsg", make<SwaymsgWay>},
        {"hyprland", "hyprland", "HYPRLAND_INSTANCE_SIGNATURE", Any, "hyprctl", make<HyprpaperWay>},
        {"hyprland-swww", "hyprland", "HYPRLAND_INSTANCE_SIGNATURE", Any, "swww", make<SwwwWay>},
        {"hyprland-swaybg", "hyprland", "HYPRLAND_INSTANCE_SIGNATURE", Any, "swaybg", make<BackgroundProcessWay>},
        {"wlroots", "river|wayfire|labwc|wlroots", nullptr, Any, "swaybg", make<BackgroundProcessWay>},
        // No wallpaper interface at all: a background client cannot draw there.
        {"weston", "weston", nullptr, Any, nullptr, nullptr},
        {"wayland", nullptr, nullptr, Wayland, "swaybg", make<BackgroundProcessWay>},
        {"xwallpaper", nullptr, nullptr, X11, "xwallpaper", make<RootWindowWay, RootWindowWay::Xwallpaper>},
        {"feh", nullptr, nullptr, X11, "feh", make<RootWindowWay, RootWindowWay::Feh>},
    };
    return rows;
}

SessionType SessionFrom(const QString &xdgSessionType, bool waylandDisplay, bool x11Display)
{
    if (xdgSessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 || waylandDisplay)
        return SessionType::Wayland;
    return x11Display ? SessionType::X11 : SessionType::None;
}

QString ChooseDesktop(const QString &currentDesktop, SessionType session,
                      const std::function<bool(const QString &)> &toolPresent, const QStringList &setVariables)
{
    auto usable = [&](const DesktopRow &r) {
        return r.way && (!r.tool || toolPresent(QLatin1String(r.tool)));
    };
    auto found = [&](auto &&matches) -> std::pair<bool, QString> {
        bool named = false;
        for (const DesktopRow &r : Desktops()) {
            if (!matches(r))
                continue;
            named = true;
            if (usable(r))
                return {true, QLatin1String(r.id)};
        }
        return {named, QString()};
    };
    const QString d = currentDesktop.toLower();
    if (!d.isEmpty()) {
        const auto [named, id] = found([&](const DesktopRow &r) {
            if (!r.names)
                return false;
            for (const QString &n : QString::fromLatin1(r.names).split(QLatin1Char('|')))
                if (d.contains(n))
                    return true;
            return false;
        });
        if (named)
            return id;
    }
    const auto [marked, id] =
        found([&](const DesktopRow &r) { return r.marker && setVariables.contains(QLatin1String(r.marker)); });
    if (marked)
        return id;
    if (session == SessionType::None)
        return {};
    return found([&](const DesktopRow &r) { return !r.names && !r.marker && r.session == session; }).second;
}

QString RunningDesktop()
{
#ifdef Q_OS_WIN
    return QStringLiteral("windows");
#else
    // A program drawn offscreen has no desktop to change, whatever the environment says.
    const QString qpa = QGuiApplication::platformName();
    if (qpa == QLatin1String("offscreen") || qpa == QLatin1String("minimal"))
        return {};
    const SessionType session =
        SessionFrom(qEnvironmentVariable("XDG_SESSION_TYPE"), !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
                    !qEnvironmentVariableIsEmpty("DISPLAY"));
    QStringList set;
    for (const DesktopRow &r : Desktops())
        if (r.marker && !qEnvironmentVariableIsEmpty(r.marker))
            set << QLatin1String(r.marker);
    return ChooseDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), session, wallpaperway::ToolOnPath, set);
#endif
}

std::unique_ptr<WallpaperWay> WayOf(const QString &desktopId)
{
    for (const DesktopRow &r : Desktops())
        if (desktopId == QLatin1String(r.id))
            return r.way ? r.way() : nullptr;
    return nullptr;
}

} // namespace platform
