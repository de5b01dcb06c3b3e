#pragma once
// Data/BGPicList.ini: the background pictures for the wallpaper. Line 0 is the current
// picture, lines 1 … n the list's file names (no folder) in list order. The file is
// always rewritten whole.
#include "SettingsFile.h"

#include <QString>
#include <QStringList>

namespace piclistfile {

// The default background, shipped in the picture folder; a new list holds it twice.
inline constexpr const char *DefaultPicName = "A1.bmp";

QString Path();
settings::Lines Read();
// Line 0 `current`, then the entries; false when the file cannot be written.
bool Write(const QString &current, const QStringList &entries);
// The list of a first start: DefaultPicName as the current picture and the one entry.
bool WriteDefault();

} // namespace piclistfile
