#pragma once
// wlroots compositors without a wallpaper of their own: a background client (swaybg) draws the
// picture for as long as it runs. The program keeps exactly one: it outlives the program, so
// the picture stays, and each apply ends the previous one by its id, also one a former run of
// the program left, which is remembered in the session's runtime folder.
#include "WallpaperWay.h"

namespace platform {

class BackgroundProcessWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;

    // Ends the background client a former apply left running, if it still is that client.
    static void EndRemembered();
    // Where the id of the running client and its picture are kept.
    static QString RememberedFile();
    // The id of the client of the program's own that runs now; 0 when none.
    static qint64 RememberedRunning();
};

namespace wallpaperway {
// Ids of the running processes named `name` whose arguments contain `argument` (any when empty).
QList<qint64> ProcessesNamed(const QString &name, const QString &argument = QString());
} // namespace wallpaperway

} // namespace platform
