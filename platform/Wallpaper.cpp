#include "Wallpaper.h"

#include <QDateTime>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#if TAVI_HAVE_XCB
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace platform {

namespace {

bool toolOnPath(const QString &tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

// The values kept while the key is open, as the registry would keep them.
class ValueStore : public WallpaperBackend {
public:
    bool open() override { return true; }
    bool writeValue(const QString &name, const QString &value) override
    {
        (name == QLatin1String("Wallpaper") ? m_path : m_style) = value;
        return true;
    }
    void close() override {}

protected:
    QString m_path;
    QString m_style;
};

bool run(const QStringList &command, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(output ? QProcess::SeparateChannels : QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    if (!p.waitForStarted(5000))
        return false;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The same picture in a format the tool reads: xwallpaper and swaybg without BMP support take
// the JPEG the BMP was decoded from.
QString readableSibling(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
        return path;
    for (const char *s : {"Jpg", "jpg", "JPG", "jpeg", "png"}) {
        const QString candidate = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') +
                                  QLatin1String(s);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

bool onBus(const QString &service)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service);
}

// A D-Bus call with its reply awaited: a desktop that is not there or refuses is a failure.
bool callDesktop(const QString &service, const QString &path, const QString &interface, const QString &method,
                 const QVariantList &args, QVariantList *reply = nullptr)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!onBus(service))
        return false;
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    const QDBusMessage r = bus.call(m, QDBus::Block, 20000);
    if (r.type() != QDBusMessage::ReplyMessage)
        return false;
    if (reply)
        *reply = r.arguments();
    return true;
}

bool applyPlasma(const QString &path)
{
    const QString fresh = FreshWallpaperCopy(path);
    if (fresh.isEmpty())
        return false;
    QVariantList reply;
    // The script prints how many desktops took the picture; none is no success.
    const bool ok = callDesktop(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                                QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"),
                                {PlasmaScript(fresh)}, &reply)
                    && !reply.isEmpty() && reply.first().toString().trimmed().toInt() > 0;
    if (!ok)
        QFile::remove(fresh);
    return ok;
}

bool applyDeepin(const QString &path)
{
    const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    // The appearance daemon of DDE 23, then the one of DDE 20.
    const struct {
        const char *service, *object;
    } daemons[] = {{"org.deepin.dde.Appearance1", "/org/deepin/dde/Appearance1"},
                   {"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance"}};
    for (const auto &d : daemons) {
        const QString service = QLatin1String(d.service);
        if (onBus(service))
            return callDesktop(service, QLatin1String(d.object), service, QStringLiteral("Set"),
                               {QStringLiteral("background"), uri});
    }
    return false;
}

// swaybg draws as long as it runs: ours replaces the one of the previous apply.
bool applySwaybg(const QString &path)
{
    static qint64 previous = 0;
    const QString picture = readableSibling(path);
    if (picture.isEmpty())
        return false;
    qint64 pid = 0;
    if (!QProcess::startDetached(QStringLiteral("swaybg"),
                                 {QStringLiteral("-m"), QStringLiteral("stretch"), QStringLiteral("-i"), picture}, {},
                                 &pid))
        return false;
    // One that cannot reach the compositor or read the picture ends at once.
    QThread::msleep(500);
    if (!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        return false;
    if (previous > 0)
        QProcess::execute(QStringLiteral("kill"), {QString::number(previous)});
    previous = pid;
    return true;
}

// gsettings falls back to a memory backend that forgets at once and still exits 0: only a
// value read back from another process was stored.
bool storedInSettings(const QStringList &set)
{
    if (set.size() != 5 || set[0] != QLatin1String("gsettings"))
        return true;
    QString out;
    if (!run({set[0], QStringLiteral("get"), set[2], set[3]}, &out))
        return false;
    out = out.trimmed();
    if (out.startsWith(QLatin1Char('\'')) && out.endsWith(QLatin1Char('\'')) && out.size() >= 2)
        out = out.mid(1, out.size() - 2);
    return out == set[4];
}

// The pixmap the X root window names as its wallpaper (_XROOTPMAP_ID); 0 when none.
quint32 rootPixmap()
{
#if TAVI_HAVE_XCB
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    quint32 pixmap = 0;
    if (!xcb_connection_has_error(c)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        const char name[] = "_XROOTPMAP_ID";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(sizeof name - 1), name), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE && it.rem) {
            xcb_get_property_reply_t *r = xcb_get_property_reply(
                c, xcb_get_property(c, 0, it.data->root, atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
            if (r && xcb_get_property_value_length(r) >= 4)
                pixmap = *static_cast<const quint32 *>(xcb_get_property_value(r));
            std::free(r);
        }
        std::free(atom);
    }
    xcb_disconnect(c);
    return pixmap;
#else
    return 0;
#endif
}

bool applyCommands(DesktopKind kind, const QString &path)
{
    QString picture = path;
    if (kind == DesktopKind::Xwallpaper) {
        picture = readableSibling(path);
        if (picture.isEmpty())
            return false;
    }
    QStringList keys;
    if (kind == DesktopKind::Xfce || kind == DesktopKind::Gnome) {
        const QStringList list = kind == DesktopKind::Xfce
                                     ? QStringList{QStringLiteral("xfconf-query"), QStringLiteral("-c"),
                                                   QStringLiteral("xfce4-desktop"), QStringLiteral("-l")}
                                     : QStringList{QStringLiteral("gsettings"), QStringLiteral("list-keys"),
                                                   QStringLiteral("org.gnome.desktop.background")};
        QString out;
        if (!run(list, &out))
            return false;
        keys = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    const QList<QStringList> commands = WallpaperCommands(kind, picture, keys);
    if (commands.isEmpty())
        return false;
    for (const QStringList &c : commands)
        if (!run(c))
            return false;
    // The tools exit 0 also when the X server dropped their picture with them (a server that
    // resets once its last client is gone): only a picture the root window names is shown.
    if (kind == DesktopKind::Xwallpaper || kind == DesktopKind::Feh)
        return rootPixmap() != 0;
    return std::all_of(commands.begin(), commands.end(), storedInSettings);
}

// Keeps the two values, then hands the picture to the running desktop's backend.
class DesktopWallpaper : public ValueStore {
public:
    explicit DesktopWallpaper(DesktopKind kind) : m_kind(kind) {}
    QString name() const override { return QStringLiteral("desktop"); }

    bool reload() override
    {
        if (m_path.isEmpty())
            return false;
        switch (m_kind) {
        case DesktopKind::Kde:
            return applyPlasma(m_path);
        case DesktopKind::Deepin:
            return applyDeepin(m_path);
        case DesktopKind::Wlroots:
            return applySwaybg(m_path);
        case DesktopKind::Lxqt: {
            // Without its desktop running, pcmanfm-qt stores the picture, shows nothing and exits 0;
            // like Plasma, it keeps showing a path it already shows.
            if (!onBus(QStringLiteral("org.pcmanfm.PCManFM")))
                return false;
            const QString fresh = FreshWallpaperCopy(m_path);
            if (fresh.isEmpty())
                return false;
            if (applyCommands(m_kind, fresh))
                return true;
            QFile::remove(fresh);
            return false;
        }
        default:
            return applyCommands(m_kind, m_path);
        }
    }

private:
    DesktopKind m_kind;
};

#ifdef Q_OS_WIN
class RegistryWallpaper : public WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("registry"); }
    bool open() override
    {
        return RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\", 0, KEY_SET_VALUE, &m_key)
               == ERROR_SUCCESS;
    }
    bool writeValue(const QString &name, const QString &value) override
    {
        const std::wstring n = name.toStdWString();
        const std::wstring v = QDir::toNativeSeparators(value).toStdWString();
        return RegSetValueExW(m_key, n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(v.c_str()),
                              DWORD((v.size() + 1) * sizeof(wchar_t)))
               == ERROR_SUCCESS;
    }
    void close() override
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
    bool reload() override
    {
        // With no path the system takes the picture the registry names.
        return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_UPDATEINIFILE) != FALSE;
    }

private:
    HKEY m_key = nullptr;
};
#endif

std::shared_ptr<WallpaperBackend> g_override;

} // namespace

SessionType SessionFrom(const QString &xdgSessionType, bool waylandDisplay, bool x11Display)
{
    if (xdgSessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 || waylandDisplay)
        return SessionType::Wayland;
    return x11Display ? SessionType::X11 : SessionType::None;
}

DesktopKind ChooseDesktop(const QString &currentDesktop, SessionType session,
                          const std::function<bool(const QString &)> &toolPresent)
{
    const QString d = currentDesktop.toLower();
    struct Rule {
        const char *name;
        DesktopKind kind;
        const char *tool; // nullptr: reached over D-Bus
    };
    // First match wins: "x-cinnamon" and "budgie:gnome" name GNOME too.
    static const Rule rules[] = {
        {"cinnamon", DesktopKind::Cinnamon, "gsettings"},
        {"mate", DesktopKind::Mate, "gsettings"},
        {"ukui", DesktopKind::Mate, "gsettings"},
        {"budgie", DesktopKind::Gnome, "gsettings"},
        {"pantheon", DesktopKind::Gnome, "gsettings"},
        {"unity", DesktopKind::Gnome, "gsettings"},
        {"gnome", DesktopKind::Gnome, "gsettings"},
        {"kde", DesktopKind::Kde, nullptr},
        {"xfce", DesktopKind::Xfce, "xfconf-query"},
        {"lxqt", DesktopKind::Lxqt, "pcmanfm-qt"},
        {"deepin", DesktopKind::Deepin, nullptr},
        {"dde", DesktopKind::Deepin, nullptr},
        {"sway", DesktopKind::Sway, "swaymsg"},
        {"hyprland", DesktopKind::Wlroots, "swaybg"},
        {"river", DesktopKind::Wlroots, "swaybg"},
        {"wayfire", DesktopKind::Wlroots, "swaybg"},
        {"labwc", DesktopKind::Wlroots, "swaybg"},
        {"wlroots", DesktopKind::Wlroots, "swaybg"},
    };
    if (!d.isEmpty()) {
        for (const Rule &r : rules)
            if (d.contains(QLatin1String(r.name)))
                return !r.tool || toolPresent(QLatin1String(r.tool)) ? r.kind : DesktopKind::None;
    }
    if (session == SessionType::Wayland)
        return toolPresent(QStringLiteral("swaybg")) ? DesktopKind::Wlroots : DesktopKind::None;
    if (session == SessionType::X11) {
        if (toolPresent(QStringLiteral("xwallpaper")))
            return DesktopKind::Xwallpaper;
        if (toolPresent(QStringLiteral("feh")))
            return DesktopKind::Feh;
    }
    return DesktopKind::None;
}

DesktopKind ChooseDesktop(const QString &currentDesktop, bool x11Display,
                          const std::function<bool(const QString &)> &toolPresent)
{
    return ChooseDesktop(currentDesktop, x11Display ? SessionType::X11 : SessionType::None, toolPresent);
}

DesktopKind RunningDesktop()
{
#ifdef Q_OS_WIN
    return DesktopKind::Windows;
#else
    // A program drawn offscreen has no desktop to change, whatever the environment says.
    const QString qpa = QGuiApplication::platformName();
    if (qpa == QLatin1String("offscreen") || qpa == QLatin1String("minimal"))
        return DesktopKind::None;
    const SessionType session =
        SessionFrom(qEnvironmentVariable("XDG_SESSION_TYPE"), !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
                    !qEnvironmentVariableIsEmpty("DISPLAY"));
    return ChooseDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), session, toolOnPath);
#endif
}

QString PlasmaScript(const QString &path)
{
    QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    // FillMode 0 is the stretched fill of the image wallpaper.
    return QStringLiteral("var ds = desktops(); var n = 0; for (var i = 0; i < ds.length; i++) { var d = ds[i]; "
                          "d.wallpaperPlugin = \"org.kde.image\"; "
                          "d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\"); "
                          "d.writeConfig(\"Image\", \"%1\"); d.writeConfig(\"FillMode\", 0); n++; } print(n);")
        .arg(uri);
}

QString FreshWallpaperCopy(const QString &path)
{
    const QFileInfo fi(path);
    const QString base = fi.completeBaseName();
    const QString suffix = fi.suffix();
    const QRegularExpression earlier(QLatin1Char('^') + QRegularExpression::escape(base) + QLatin1String("-\\d{13}\\.")
                                     + QRegularExpression::escape(suffix) + QLatin1Char('$'));
    QDir dir = fi.dir();
    const QStringList old = dir.entryList(QDir::Files);
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    QString fresh;
    do
        fresh = dir.filePath(QStringLiteral("%1-%2.%3").arg(base).arg(ms++).arg(suffix));
    while (QFileInfo::exists(fresh));
    // A second name for the same file where the file system allows it: the picture is
    // always written as a new file, never rewritten in place, so the name keeps this apply's
    // picture, and a 4K picture is not copied on every apply.
#ifdef Q_OS_UNIX
    const bool linked = ::link(QFile::encodeName(path).constData(), QFile::encodeName(fresh).constData()) == 0;
#else
    const bool linked = false;
#endif
    if (!linked && !QFile::copy(path, fresh))
        return {};
    for (const QString &name : old)
        if (earlier.match(name).hasMatch())
            dir.remove(name);
    return fresh;
}

QList<QStringList> WallpaperCommands(DesktopKind kind, const QString &path, const QStringList &keys)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    const QString uri = QUrl::fromLocalFile(abs).toString(QUrl::FullyEncoded);
    auto gsettings = [](const QString &schema, const QString &key, const QString &value) {
        return QStringList{QStringLiteral("gsettings"), QStringLiteral("set"), schema, key, value};
    };
    switch (kind) {
    case DesktopKind::Gnome: {
        const QString s = QStringLiteral("org.gnome.desktop.background");
        QList<QStringList> out = {gsettings(s, QStringLiteral("picture-options"), QStringLiteral("stretched")),
                                  gsettings(s, QStringLiteral("picture-uri"), uri)};
        const QString dark = QStringLiteral("picture-uri-dark");
        if (keys.isEmpty() || keys.contains(dark))
            out << gsettings(s, dark, uri);
        return out;
    }
    case DesktopKind::Cinnamon: {
        const QString s = QStringLiteral("org.cinnamon.desktop.background");
        return {gsettings(s, QStringLiteral("picture-options"), QStringLiteral("stretched")),
                gsettings(s, QStringLiteral("picture-uri"), uri)};
    }
    case DesktopKind::Mate: {
        const QString s = QStringLiteral("org.mate.background");
        return {gsettings(s, QStringLiteral("picture-options"), QStringLiteral("stretched")),
                gsettings(s, QStringLiteral("picture-filename"), abs)};
    }
    case DesktopKind::Xfce: {
        QStringList images;
        for (const QString &p : keys) {
            const QString t = p.trimmed();
            if (t.startsWith(QLatin1String("/backdrop/")) && t.endsWith(QLatin1String("/last-image")))
                images << t;
        }
        QList<QStringList> out;
        const QString xq = QStringLiteral("xfconf-query");
        const QString ch = QStringLiteral("xfce4-desktop");
        if (images.isEmpty()) {
            const QString base = QStringLiteral("/backdrop/screen0/monitor0/workspace0/");
            out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), base + QStringLiteral("image-style"),
                               QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"),
                               QStringLiteral("3")};
            out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), base + QStringLiteral("last-image"),
                               QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("string"),
                               QStringLiteral("-s"), abs};
            return out;
        }
        for (const QString &img : images) {
            const QString style = img.left(img.size() - int(qstrlen("last-image"))) + QStringLiteral("image-style");
            out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), style, QStringLiteral("-n"),
                               QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"), QStringLiteral("3")};
            out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), img, QStringLiteral("-s"), abs};
        }
        return out;
    }
    case DesktopKind::Lxqt:
        return {{QStringLiteral("pcmanfm-qt"), QStringLiteral("--set-wallpaper"), abs,
                 QStringLiteral("--wallpaper-mode"), QStringLiteral("stretch")}};
    case DesktopKind::Sway:
        return {{QStringLiteral("swaymsg"), QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"), abs,
                 QStringLiteral("stretch")}};
    case DesktopKind::Xwallpaper:
        return {{QStringLiteral("xwallpaper"), QStringLiteral("--stretch"), abs}};
    case DesktopKind::Feh:
        return {{QStringLiteral("feh"), QStringLiteral("--no-fehbg"), QStringLiteral("--bg-scale"), abs}};
    case DesktopKind::Kde:
    case DesktopKind::Deepin:
    case DesktopKind::Wlroots:
    case DesktopKind::Windows:
    case DesktopKind::None:
        break;
    }
    return {};
}

void SetWallpaperBackend(std::shared_ptr<WallpaperBackend> backend) { g_override = std::move(backend); }

std::shared_ptr<WallpaperBackend> CurrentWallpaperBackend()
{
    if (g_override)
        return g_override;
#ifdef Q_OS_WIN
    return std::make_shared<RegistryWallpaper>();
#else
    return DesktopBackend(RunningDesktop());
#endif
}

std::shared_ptr<WallpaperBackend> DesktopBackend(DesktopKind kind)
{
#ifdef Q_OS_WIN
    if (kind == DesktopKind::Windows)
        return std::make_shared<RegistryWallpaper>();
#endif
    if (kind == DesktopKind::None || kind == DesktopKind::Windows)
        return nullptr;
    return std::make_shared<DesktopWallpaper>(kind);
}

bool SetWallpaper(const QString &path)
{
    const std::shared_ptr<WallpaperBackend> b = CurrentWallpaperBackend();
    if (!b || !b->open())
        return false;
    const bool written = b->writeValue(QStringLiteral("Wallpaper"), path)
                         && b->writeValue(QStringLiteral("WallpaperStyle"), QStringLiteral("2"));
    b->close();
    return written && b->reload();
}

} // namespace platform
