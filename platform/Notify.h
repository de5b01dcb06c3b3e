#pragma once
// Desktop notifications: the freedesktop notification service on the session bus, else
// a message of the system tray.
#include <QString>

namespace platform {

enum class NotifyRoute { Bus, Tray, None };

// Shows a notification without waiting for the desktop; tells which way it went.
NotifyRoute Notify(const QString &summary, const QString &body);

} // namespace platform
