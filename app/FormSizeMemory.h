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

} // namespace formsizememory
