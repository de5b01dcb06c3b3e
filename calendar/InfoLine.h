#pragma once
// The selected-date line fitted to its room: fields are left out in their drop order, and
// a field that shortens is first cut with an ellipsis as far as the room asks; the fields
// that are never left out show last, cut at the end only on a control far below its size.
// Qt Gui only.
#include "LinePart.h"

#include <QString>

#include <vector>

class QFontMetrics;

struct TInfoLine {
    QString Text;
    bool Shortened = false; // Text is not the whole line
};

QString WholeInfoLine(const std::vector<TLinePart> &parts);
TInfoLine FitInfoLine(const QFontMetrics &metrics, int width, const std::vector<TLinePart> &parts);
