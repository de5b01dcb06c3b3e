#include "WindowFront.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#if TAVI_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace platform {

QString OwnActivationToken()
{
    // A desktop that starts programs with startup notification on X11 names it so.
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : token;
}

void BringToFront(QWidget &window, const QString &activationToken)
{
    // Qt's Wayland activation takes the token from the environment, once.
    if (!activationToken.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window.showNormal();
    window.raise();
    window.activateWindow();
    QTimer::singleShot(300, &window, [&window] {
        if (!window.isActiveWindow())
            QApplication::alert(&window);
    });
#if TAVI_HAVE_XCB
    // Qt asks for the focus with the time of this program's last input, which the X server
    // ignores when another window has taken the focus since. The later start is the user's
    // own request, so when the first one did not work the window asks with the present time.
    QTimer::singleShot(100, &window, [&window] {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || window.isActiveWindow() || !window.isVisible())
            return;
        xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, xcb_window_t(window.winId()), XCB_CURRENT_TIME);
        xcb_flush(x11->connection());
    });
#endif
}

} // namespace platform
