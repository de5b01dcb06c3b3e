#include "WindowFront.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#if TAVI_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace platform {

void BringToFront(QWidget &window)
{
    window.showNormal();
    window.raise();
    window.activateWindow();
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
