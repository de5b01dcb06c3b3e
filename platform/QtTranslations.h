#pragma once
// Qt's own texts (the standard dialogs, their buttons, the edit boxes' context menus) in
// Simplified Chinese, loaded before any window.
#include <QString>

namespace platform {

// The catalogue read: the program folder's own copy, "translations/qtbase_zh_CN.qm",
// when an installation ships one, else the one of the system's Qt (Debian's package
// qt6-translations-l10n). Returns the file loaded, empty when there is none.
QString InstallQtTranslations(const QString &programDir);

} // namespace platform
