#pragma once
// Data/SetTrans.ini: how much of the wallpaper shows through the note boxes. Only the
// first line is read, as a whole number (1: full transparency, any other: half); the file
// is written as that one number.
#include "SettingsFile.h"

#include <QString>

namespace settransfile {

inline constexpr int FullTransparency = 1;

QString Path();
// The stored mode; a first line that is missing or not a number reads as full
// transparency. The status is the file's: Ok, NoFile or ReadError (mode then untouched).
settings::Status ReadMode(int &mode);
// False when the file cannot be written.
bool WriteMode(int mode);

} // namespace settransfile
