#pragma once
// Data/loginstr.db: the start-up password in plain text. Line 0 is the password or the
// no-password marker, line 1 the password as typed a second time, line 2 "-1" when a
// password is set and "0" when not. The file is always rewritten whole.
#include "SettingsFile.h"

#include <QString>

namespace loginfile {

// Five capital letters and seven digits; a line 0 equal to it means no password.
inline const QString NoPasswordMarker = QStringLiteral("QZKVT4817306");

QString Path();
settings::Lines Read();
// Line 0 as stored; any status other than Ok means the file could not give it.
settings::Status ReadLine0(QString &line0);
// Whole-line, case-sensitive: blanks count.
bool IsNoPassword(const QString &line0);

// A file no settings window wrote: a password with characters no keyboard gives (control
// characters, bytes that are no text), line 1 not equal to line 0, or fewer than three
// lines. Only for a file whose line 0 could be read and is not the marker.
bool LooksDamaged(const settings::Lines &file);
// What the lock window tells the user of a damaged file: which file, and how to start
// again without a password.
QString DamagedNotice();

// False when the file cannot be written.
bool WritePassword(const QString &first, const QString &second);
bool WriteNoPassword();

} // namespace loginfile
