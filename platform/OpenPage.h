#pragma once
// Opening a web page in the user's browser; tests record the addresses instead.
#include <QString>
#include <QStringList>

namespace platform {

void OpenPage(const QString &address);

// While recording, pages are noted instead of opened.
void SetRecordPages(bool on);
QStringList TakeOpenedPages();

// The address the pages are served from, with a closing '/': TAVI_WEB_URL when set,
// otherwise the web folder shipped in the program's folder.
QString WebServerAddress(const QString &programDir);

} // namespace platform
