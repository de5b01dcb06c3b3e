#pragma once
// The notes and the settings (the password among them) are for their user alone: files
// the program keeps are readable and writable by their owner only, their folders open to
// the owner only.
#include <QFileDevice>
#include <QString>
#include <QStringList>

namespace privatefiles {

inline constexpr QFileDevice::Permissions FileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
inline constexpr QFileDevice::Permissions FolderMode =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Creates the folder (and those above it that are missing) for its owner alone.
bool MakeFolder(const QString &path);

// The Data folder and every file in it narrowed to their owner; the names of those that
// were open to others. Files that cannot be changed (another owner, a read-only file
// system) are left as they are and not named.
QStringList TightenDataFolder();

// The status line's words for what TightenDataFolder did; empty when it did nothing.
QString TightenedNotice(const QStringList &names);

} // namespace privatefiles
