#pragma once
// The week load and save on six boxes, driven the way the main window's calendar
// drives it: a picked date loads its week, then the picked day is reported. After each
// change and focus loss it waits for the notes writer, so that a test reads the file as
// the change left it.
#include "NoteBox.h"
#include "WeekBoxes.h"

#include "TDateTime.h"

class TWeekUnderTest : public TWeekBoxes {
    Q_OBJECT
public:
    TWeekUnderTest(const std::array<TNoteBox *, 6> &boxes, TDM &dm, QObject *parent = nullptr)
        : TWeekBoxes(boxes, dm, parent)
    {
        for (TNoteBox *box : boxes) {
            connect(box->noteDocument(), &TNoteDocument::changed, this, [this] { settle(); });
            connect(box, &TNoteBox::exited, this, [this] { settle(); });
        }
    }

    void chnRiliChange(tdt::TDateTime date)
    {
        LoadWeek(date);
        emit daySelected(date);
    }
    void SaveWeek()
    {
        TWeekBoxes::SaveWeek();
        settle();
    }

signals:
    void daySelected(tdt::TDateTime date);

private:
    void settle()
    {
        if (FormShown && WeekLoaded)
            WaitForWriter();
    }
};
