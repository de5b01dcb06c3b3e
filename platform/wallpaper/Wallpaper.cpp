#include "Wallpaper.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

// Keeps the two values, as the registry would keep them, then hands the picture to the
// desktop's way of applying.
class DesktopWallpaper : public WallpaperBackend {
public:
    DesktopWallpaper(QString id, std::unique_ptr<WallpaperWay> way) : m_id(std::move(id)), m_way(std::move(way)) {}
    QString name() const override { return m_id; }
    bool open() override { return true; }
    bool writeValue(const QString &name, const QString &value) override
    {
        if (name == QLatin1String("Wallpaper"))
            m_path = value;
        return true;
    }
    void close() override {}
    bool reload() override { return !m_path.isEmpty() && m_way->apply(m_path); }

private:
    QString m_id;
    std::unique_ptr<WallpaperWay> m_way;
    QString m_path;
};

#ifdef Q_OS_WIN
class RegistryWallpaper : public WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("windows"); }
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

void SetWallpaperBackend(std::shared_ptr<WallpaperBackend> backend) { g_override = std::move(backend); }

std::shared_ptr<WallpaperBackend> CurrentWallpaperBackend()
{
    if (g_override)
        return g_override;
    return DesktopBackend(RunningDesktop());
}

std::shared_ptr<WallpaperBackend> DesktopBackend(const QString &desktopId)
{
#ifdef Q_OS_WIN
    if (desktopId == QLatin1String("windows"))
        return std::make_shared<RegistryWallpaper>();
#endif
    std::unique_ptr<WallpaperWay> way = WayOf(desktopId);
    if (!way)
        return nullptr;
    return std::make_shared<DesktopWallpaper>(desktopId, std::move(way));
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
