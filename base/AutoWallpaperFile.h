#pragma once
// Data/configAutoBg.ini: whether the wallpaper follows the week by itself ("1") or only the
// button sets it ("0"). One line; a missing or unreadable file means off.
#include <QString>

namespace autowallpaperfile {

QString Path();
bool ReadOn();
// False when the file cannot be written.
bool WriteOn(bool on);

} // namespace autowallpaperfile
