#include "WeekBoxes.h"

#include "NoteBox.h"

namespace {
std::array<TNoteDocument *, 6> documentsOf(const std::array<TNoteBox *, 6> &boxes)
{
    std::array<TNoteDocument *, 6> days{};
    for (size_t d = 0; d < boxes.size(); ++d)
        days[d] = boxes[d]->noteDocument();
    return days;
}
} // namespace

TWeekBoxes::TWeekBoxes(const std::array<TNoteBox *, 6> &boxes, TDM &dm, QObject *parent)
    : TWeekNotes(documentsOf(boxes), dm, parent)
{
    for (TNoteBox *box : boxes)
        connect(box, &TNoteBox::exited, this, &TWeekNotes::redt1Exit);
}
