#pragma once
// Bringing the window to the front when a later start of the program asks for it.
class QWidget;

namespace platform {

// Restores, raises and activates the window, so that typing goes to it at once.
void BringToFront(QWidget &window);

} // namespace platform
