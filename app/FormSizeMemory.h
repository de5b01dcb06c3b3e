#pragma once
// The main window's side of Data/FormSize.ini: the size and place it is given at start.
// The close button writes them back through the file's own unit.
#include "FormSizeFile.h"

#include <QSize>
#include <QString>

class QWidget;

namespace formsizememory {

// Applies the remembered size, at least `minimum`, and place, or at the first start the
// minimum size centred on the primary screen, which is then written. A month line the file
// has goes to the hidden month label's caption and up-down position. A file that cannot be
// read or written goes to the error display.
void Load(QWidget &window, QSize minimum, TFormSizeState &state, QString &monthCaption, int &monthPosition);

// Takes the window's size and place into `state`. Where the platform does not tell a
// window's place (Wayland says 0,0 for every window), the last real place stays, so that a
// later session that can place windows opens it where it was.
void Remember(const QWidget &window, TFormSizeState &state);
// Whether `platformName` (Qt's platform plugin) reports the places of top-level windows.
bool PlatformKnowsPlaces(const QString &platformName);

} // namespace formsizememory
