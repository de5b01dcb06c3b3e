#pragma once
// Data/configSetBg.ini: whether to ask before the week becomes the wallpaper. Only the
// first line is read, as a whole number (> 0: ask); the file is written as one line.
#include "SettingsFile.h"

#include <QString>

namespace configsetbgfile {

QString Path();
// The first line as a number; NoFile when there is no file.
settings::Status ReadAsk(int &ask);
// "1" or "0"; false when the file cannot be written.
bool WriteAsk(bool ask);

} // namespace configsetbgfile
