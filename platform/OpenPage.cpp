#include "OpenPage.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
namespace {
bool g_record = false;
QStringList g_opened;
} // namespace

void OpenPage(const QString &address)
{
    if (g_record) {
        g_opened << address;
        return;
    }
    // The result is of no interest: a page that does not open is not an error of ours.
    QDesktopServices::openUrl(QUrl(address));
}

void SetRecordPages(bool on)
{
    g_record = on;
    g_opened.clear();
}

QStringList TakeOpenedPages()
{
    QStringList out;
    out.swap(g_opened);
    return out;
}

QString WebServerAddress(const QString &dir)
{
    QString base = qEnvironmentVariable("TAVI_WEB_URL");
    if (base.isEmpty())
        base = QUrl::fromLocalFile(dir + QStringLiteral("web/")).toString();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

} // namespace platform
