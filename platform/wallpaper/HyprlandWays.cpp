#include "HyprlandWays.h"

#include <QFileInfo>

namespace platform {

using namespace wallpaperway;

QList<QStringList> HyprpaperWay::commands(const QString &path) const
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    const QString ctl = QStringLiteral("hyprctl");
    const QString paper = QStringLiteral("hyprpaper");
    // An empty monitor name is every monitor; the picture of the previous apply is let go.
    return {{ctl, paper, QStringLiteral("preload"), abs},
            {ctl, paper, QStringLiteral("wallpaper"), QLatin1Char(',') + abs},
            {ctl, paper, QStringLiteral("unload"), QStringLiteral("unused")}};
}

bool HyprpaperWay::apply(const QString &path)
{
    // hyprpaper reads no BMP.
    const QString picture = ReadableSibling(path);
    if (picture.isEmpty())
        return false;
    const QList<QStringList> all = commands(picture);
    // hyprctl exits 0 also when the daemon refused: it prints "ok" when it did not.
    for (int i = 0; i < 2; ++i) {
        QString out;
        if (!Run(all[i], &out) || out.trimmed() != QLatin1String("ok"))
            return false;
    }
    Run(all[2]);
    return true;
}

QStringList SwwwWay::command(const QString &path) const
{
    // The picture is composed at the screen's size: no transition, no cropping to speak of.
    return {QStringLiteral("swww"), QStringLiteral("img"), QStringLiteral("--transition-type"), QStringLiteral("none"),
            QFileInfo(path).absoluteFilePath()};
}

bool SwwwWay::apply(const QString &path)
{
    const QString picture = ReadableSibling(path);
    if (picture.isEmpty() || !Run(command(picture)))
        return false;
    // The daemon says what each output shows.
    QString out;
    return Run({QStringLiteral("swww"), QStringLiteral("query")}, &out)
           && out.contains(QFileInfo(picture).absoluteFilePath());
}

} // namespace platform
