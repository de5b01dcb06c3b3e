#include "SwaymsgWay.h"

#include "BackgroundProcessWay.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace platform {

using namespace wallpaperway;

QStringList SwaymsgWay::command(const QString &path) const
{
    return {QStringLiteral("swaymsg"), QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
            QFileInfo(path).absoluteFilePath(), QStringLiteral("stretch")};
}

bool SwaymsgWay::apply(const QString &path)
{
    // sway hands the picture to its swaybg, which may be built without a BMP reader.
    const QString picture = ReadableSibling(path);
    if (picture.isEmpty())
        return false;
    const QString abs = QFileInfo(picture).absoluteFilePath();
    const QString client = QStringLiteral("swaybg");
    const QList<qint64> before = ProcessesNamed(client, abs);
    if (!Run(command(picture)))
        return false;
    // sway answers before its new client has read the picture: the change counts once a new
    // client showing it runs and stays.
    QElapsedTimer t;
    t.start();
    int seen = 0;
    while (t.elapsed() < 3000 && seen < 3) {
        QThread::msleep(50);
        bool fresh = false;
        for (qint64 pid : ProcessesNamed(client, abs))
            fresh = fresh || !before.contains(pid);
        seen = fresh ? seen + 1 : 0;
    }
    if (seen < 3)
        return false;
    // A client of the program's own from a session taken for another compositor lies under
    // sway's and only wastes memory.
    BackgroundProcessWay::EndRemembered();
    return true;
}

} // namespace platform
