#include "PlasmaScriptWay.h"

#include <QFile>

namespace platform {

using namespace wallpaperway;

bool PlasmaScriptWay::apply(const QString &path)
{
    const QString fresh = FreshWallpaperCopy(path);
    if (fresh.isEmpty())
        return false;
    QVariantList reply;
    const bool ok = CallDesktop(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                                QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"),
                                {PlasmaScript(fresh)}, &reply)
                    && !reply.isEmpty() && reply.first().toString().trimmed().toInt() > 0;
    if (!ok)
        QFile::remove(fresh);
    return ok;
}

QString PlasmaScript(const QString &path)
{
    QString uri = FileUri(path);
    uri.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    // FillMode 0 is the stretched fill of the image wallpaper.
    return QStringLiteral("var ds = desktops(); var n = 0; for (var i = 0; i < ds.length; i++) { var d = ds[i]; "
                          "d.wallpaperPlugin = \"org.kde.image\"; "
                          "d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\"); "
                          "d.writeConfig(\"Image\", \"%1\"); d.writeConfig(\"FillMode\", 0); n++; } print(n);")
        .arg(uri);
}

} // namespace platform
