#pragma once
// Eras, festivals and the day-information record the calendar control reads.
#include "../store/TDateTime.h"

#include <string>

// Texts are UTF-8.
struct TChnCal {
    tdt::TDateTime Date = 0;
    std::string TermText;
    std::string HolidayText;
    std::string CnMonthText;
    std::string YearStemBranch;
    std::string CnHolidayText;
    std::string CnDayText;
    std::string AnimalText;
    std::string ConstellationText;
    std::string EraText;
};

// Fills the record for the date; on a civil year outside the engine's range only Date changes.
void CalcChnCal(TChnCal &record, tdt::TDateTime date);
