#include "Wallpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

bool RecordingWallpaper::open()
{
    events << QStringLiteral("open");
    return !failOpen;
}

bool RecordingWallpaper::writeValue(const QString &name, const QString &value)
{
    if (failWrite)
        return false;
    events << name + QLatin1Char('=') + value;
    values.append({name, value});
    return true;
}

void RecordingWallpaper::close() { events << QStringLiteral("close"); }

bool RecordingWallpaper::reload()
{
    events << QStringLiteral("reload");
    return !failReload;
}

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

// Runs the desktop's own settings tools.
class CommandWallpaper : public ValueStore {
public:
    explicit CommandWallpaper(DesktopKind kind) : m_kind(kind) {}
    QString name() const override { return QStringLiteral("desktop"); }

    bool reload() override
    {
        if (m_path.isEmpty())
            return false;
        QString picture = m_path;
        if (m_kind == DesktopKind::Xwallpaper) {
            // xwallpaper reads no BMP; the JPEG beside it holds the same picture.
            picture = sibling(m_path, {QStringLiteral("Jpg"), QStringLiteral("jpg"), QStringLiteral("JPG"),
                                       QStringLiteral("jpeg"), QStringLiteral("png")});
            if (picture.isEmpty())
                return false;
        }
        QStringList xfce;
        if (m_kind == DesktopKind::Xfce) {
            QString out;
            if (!run({QStringLiteral("xfconf-query"), QStringLiteral("-c"), QStringLiteral("xfce4-desktop"),
                      QStringLiteral("-l")},
                     &out))
                return false;
            xfce = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        const QList<QStringList> commands = WallpaperCommands(m_kind, picture, xfce, toolOnPath);
        if (commands.isEmpty())
            return false;
        for (const QStringList &c : commands)
            if (!run(c, nullptr))
                return false;
        return true;
    }

private:
    static QString sibling(const QString &path, const QStringList &suffixes)
    {
        const QFileInfo fi(path);
        if (fi.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0)
            return path;
        for (const QString &s : suffixes) {
            const QString candidate = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') + s;
            if (QFileInfo::exists(candidate))
                return candidate;
        }
        return {};
    }

    static bool run(const QStringList &command, QString *output)
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

DesktopKind ChooseDesktop(const QString &currentDesktop, bool x11Display,
                          const std::function<bool(const QString &)> &toolPresent)
{
    const QString d = currentDesktop.toLower();
    struct Rule {
        const char *name;
        DesktopKind kind;
        QStringList tools;
    };
    const QList<Rule> rules = {
        {"cinnamon", DesktopKind::Cinnamon, {QStringLiteral("gsettings")}},
        {"mate", DesktopKind::Mate, {QStringLiteral("gsettings")}},
        {"gnome", DesktopKind::Gnome, {QStringLiteral("gsettings")}},
        {"unity", DesktopKind::Gnome, {QStringLiteral("gsettings")}},
        {"budgie", DesktopKind::Gnome, {QStringLiteral("gsettings")}},
        {"kde", DesktopKind::Kde,
         {QStringLiteral("dbus-send"), QStringLiteral("qdbus"), QStringLiteral("plasma-apply-wallpaperimage")}},
        {"xfce", DesktopKind::Xfce, {QStringLiteral("xfconf-query")}},
    };
    if (!d.isEmpty()) {
        for (const Rule &r : rules) {
            if (!d.contains(QLatin1String(r.name)))
                continue;
            for (const QString &t : r.tools)
                if (toolPresent(t))
                    return r.kind;
        }
    }
    if (x11Display) {
        if (toolPresent(QStringLiteral("xwallpaper")))
            return DesktopKind::Xwallpaper;
        if (toolPresent(QStringLiteral("feh")))
            return DesktopKind::Feh;
    }
    return DesktopKind::None;
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
    return ChooseDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), !qEnvironmentVariableIsEmpty("DISPLAY"),
                         toolOnPath);
#endif
}

QList<QStringList> WallpaperCommands(DesktopKind kind, const QString &path, const QStringList &xfceProperties,
                                     const std::function<bool(const QString &)> &toolPresent)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    const QString uri = QUrl::fromLocalFile(abs).toString(QUrl::FullyEncoded);
    auto gsettings = [](const QString &schema, const QString &key, const QString &value) {
        return QStringList{QStringLiteral("gsettings"), QStringLiteral("set"), schema, key, value};
    };
    switch (kind) {
    case DesktopKind::Gnome: {
        const QString s = QStringLiteral("org.gnome.desktop.background");
        return {gsettings(s, QStringLiteral("picture-options"), QStringLiteral("stretched")),
                gsettings(s, QStringLiteral("picture-uri"), uri),
                gsettings(s, QStringLiteral("picture-uri-dark"), uri)};
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
    case DesktopKind::Kde: {
        // FillMode 0 is the stretched fill of the image wallpaper.
        QString escaped = uri;
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        const QString script = QStringLiteral(
                                   "var ds = desktops(); for (var i = 0; i < ds.length; i++) { var d = ds[i]; "
                                   "d.wallpaperPlugin = \"org.kde.image\"; "
                                   "d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\"); "
                                   "d.writeConfig(\"Image\", \"%1\"); d.writeConfig(\"FillMode\", 0); }")
                                   .arg(escaped);
        const auto present = toolPresent ? toolPresent : toolOnPath;
        if (present(QStringLiteral("dbus-send")))
            return {{QStringLiteral("dbus-send"), QStringLiteral("--session"), QStringLiteral("--type=method_call"),
                     QStringLiteral("--dest=org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                     QStringLiteral("org.kde.PlasmaShell.evaluateScript"), QStringLiteral("string:") + script}};
        if (present(QStringLiteral("qdbus")))
            return {{QStringLiteral("qdbus"), QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                     QStringLiteral("org.kde.PlasmaShell.evaluateScript"), script}};
        return {{QStringLiteral("plasma-apply-wallpaperimage"), abs}};
    }
    case DesktopKind::Xfce: {
        QStringList images;
        for (const QString &p : xfceProperties) {
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
    case DesktopKind::Xwallpaper:
        return {{QStringLiteral("xwallpaper"), QStringLiteral("--stretch"), abs}};
    case DesktopKind::Feh:
        return {{QStringLiteral("feh"), QStringLiteral("--no-fehbg"), QStringLiteral("--bg-scale"), abs}};
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
    const DesktopKind kind = RunningDesktop();
    if (kind == DesktopKind::None)
        return nullptr;
    return std::make_shared<CommandWallpaper>(kind);
#endif
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
