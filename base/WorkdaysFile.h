#pragma once
// Data/CnWorkdays.tsv: the official days off and working days, UTF-8 text the user keeps
// up to date by hand or by importing an arrangement. The calendar's model parses the text.
#include "SettingsFile.h"

#include <QString>

#include <cstddef>
#include <string>

namespace workdaysfile {

QString Path();
// The bytes of the file at `path`, at most `maxBytes`; from a longer file the line the
// limit cuts is dropped. Ok, NoFile or ReadError (`text` then untouched).
settings::Status Read(const QString &path, std::size_t maxBytes, std::string &text);
// Replaces the file with `text` as it stands; the old file stays whole until the new one is
// complete. False when it cannot be written.
bool Write(const QString &path, const std::string &text);

} // namespace workdaysfile
