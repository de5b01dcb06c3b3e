#pragma once
// The week load and save on six note boxes: the boxes show the week's documents, and
// a box losing the focus saves the week.
#include "WeekNotes.h"

#include <array>

class TNoteBox;

class TWeekBoxes : public TWeekNotes {
public:
    TWeekBoxes(const std::array<TNoteBox *, 6> &boxes, TDM &dm, QObject *parent = nullptr);
};
