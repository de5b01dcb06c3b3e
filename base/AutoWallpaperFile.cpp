#include "AutoWallpaperFile.h"

#include "ProgramFolder.h"
#include "SettingsFile.h"

namespace autowallpaperfile {

QString Path() { return DataDir() + QStringLiteral("configAutoBg.ini"); }

bool ReadOn()
{
    int on = 0;
    return settings::Read(Path()).number(0, on) == settings::Status::Ok && on > 0;
}

bool WriteOn(bool on) { return settings::Write(Path(), {on ? QStringLiteral("1") : QStringLiteral("0")}); }

} // namespace autowallpaperfile
