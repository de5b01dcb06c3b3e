#pragma once
// The week load and save on six boxes, driven the way the main window's calendar
// drives it: a picked date loads its week, then the picked day is reported.
#include "WeekBoxes.h"

#include "TDateTime.h"

class TWeekUnderTest : public TWeekBoxes {
    Q_OBJECT
public:
    using TWeekBoxes::TWeekBoxes;

    void chnRiliChange(tdt::TDateTime date)
    {
        LoadWeek(date);
        emit daySelected(date);
    }

signals:
    void daySelected(tdt::TDateTime date);
};
