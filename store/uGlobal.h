#pragma once
// Program-wide state shared by the windows: the displayed week and the search's place.
#include "TDateTime.h"

#include <QString>

#include <cstdint>
#include <vector>

struct TWeekConList {
    int DayNo = 0;            // 1 = Monday ... 7 = Sunday
    tdt::TDateTime DayDate = 0;
    int BoxNo = 0;            // note box showing the day: 1 ... 6, Sunday shares 6
    QString DayKey;           // "YYYYMMDD"; Sunday carries Saturday's key
};

// The displayed week, Monday first; the main window gives it its seven elements.
extern std::vector<TWeekConList> WeekConList;

// The day key of a date: four-digit year, two-digit month and day.
QString DayKeyOf(tdt::TDateTime date);

// Fills all seven elements around the base date; the array must hold seven.
void BuildWeek(std::vector<TWeekConList> &week, tdt::TDateTime baseDate);

// The days whose notes hold the searched keyword, ascending; kept by the search window,
// nothing else writes them.
extern std::vector<tdt::TDateTime> SearchDates;
// The position in SearchDates; -1 is none.
extern std::int32_t SearchPos;
