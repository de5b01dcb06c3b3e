#pragma once
// The program's one table of official days off and working days: the file
// Data/CnWorkdays.tsv in the program folder, read on first use. GUI thread only.
#include "CnWorkdays.h"

#include <QString>

// Loads the file the first time; a missing file gives an empty table.
const TCnWorkdays &CnWorkdays();
// Reads the file again into the same object, so pointers to it stay valid.
const TCnWorkdays &ReloadCnWorkdays();

// "休", "班" or empty for a day, from CnWorkdays().
QString WorkdayMarkTextOf(tdt::TDateTime date);
// The mark of a box showing two days (Saturday and Sunday): 班 when either is a
// working day, else 休 when either is a day off, else empty.
QString WorkdayMarkTextOf(tdt::TDateTime first, tdt::TDateTime second);
