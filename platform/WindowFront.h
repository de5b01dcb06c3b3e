#pragma once
// Bringing the window to the front when a later start of the program asks for it.
#include <QString>

class QWidget;

namespace platform {

// Restores, raises and activates the window, so that typing goes to it at once. On Wayland
// only a compositor's activation token lets a window take the focus: the later start passes
// on the one it was started with (XDG_ACTIVATION_TOKEN). Where the window still is not
// active, it asks for the user's attention (urgent).
void BringToFront(QWidget &window, const QString &activationToken = QString());
// The token this start was given by whoever started it, for the running program; empty when none.
QString OwnActivationToken();

} // namespace platform
