#pragma once
// Fonts sized in pixels, so that every window looks the same whatever the screen's dots per inch.
#include <QFont>

namespace winkit {

QFont PixelFont(const QString &family, int pixels, bool bold = false);
// The same, with the small song face drawn crisp from its hinted bitmaps: the main window
// and the calendar draw their small texts so.
QFont CrispPixelFont(const QString &family, int pixels, bool bold = false);

} // namespace winkit
