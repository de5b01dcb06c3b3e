#pragma once
// Qt's own texts (the standard dialogs, their buttons, the edit boxes' context menus) in
// Simplified Chinese, loaded before any window.
#include <QString>

namespace platform {

// The catalogue read: "translations/qtbase_zh_CN.qm" in `dir` (the program folder or the
// shipped one) when an installation ships one, else the one of the system's Qt (Debian's
// package qt6-translations-l10n). Returns the file loaded, empty when there is none.
// Beside it, "translations/tavi_qt_zh_CN.qm" in `dir`: the few texts Qt's catalogue lacks
// (the file dialogs' "Folder").
QString InstallQtTranslations(const QString &dir);

} // namespace platform
