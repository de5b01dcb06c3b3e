#include "Notify.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

bool ServiceThere(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(kService))
        return true;
    // A daemon that the bus starts on the first call.
    const QDBusMessage r =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    const QDBusMessage reply = bus.call(r, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && reply.arguments().first().toStringList().contains(kService);
}

} // namespace

NotifyRoute Notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (ServiceThere(bus)) {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                                        kService, QStringLiteral("Notify"));
        m.setArguments({QCoreApplication::applicationName(), 0u, QStringLiteral("x-office-calendar"), summary, body,
                        QStringList(), QVariantMap(), -1});
        // Not awaited: a slow daemon must not hold up the window.
        if (bus.send(m))
            return NotifyRoute::Bus;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return NotifyRoute::None;
    static QSystemTrayIcon *tray = nullptr;
    if (!tray) {
        tray = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        tray->setToolTip(QCoreApplication::applicationName());
    }
    tray->show();
    tray->showMessage(summary, body);
    return NotifyRoute::Tray;
}

} // namespace platform
