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
// otherwise the folder "web/" in `dir` (the program folder or the shipped one).
QString WebServerAddress(const QString &dir);

} // namespace platform
