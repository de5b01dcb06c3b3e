#pragma once
// Eras, festivals and the day-information record the calendar control reads.
#include "TDateTime.h"

#include <string>
#include <string_view>

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
// For 5 to 14 October 1582, which the engine's calendar does not contain, the
// lunar, term and festival texts are empty and the year's texts are filled.
void CalcChnCal(TChnCal &record, tdt::TDateTime date);

// ---- Eras and festivals ----

// "[dynasty]title name reign-title N年" for a civil year -2069 ... 1948, else "";
// N counts the years of the reign title, also those under an earlier ruler,
// and its first year is "元".
std::string EraTextOf(int year);
// Field n (from 1) of a separated text, trimmed; "" when there are fewer.
// With skipEmpty, fields that are empty after trimming are not counted.
std::string GetField(std::string_view text, std::string_view separator, int n, bool skipEmpty);
// Gregorian festival of the date's civil month and day, or "".
std::string_view HolidayOf(tdt::TDateTime date);
// Lunar festival of a lunar month (1 ... 12, leap flag dropped) and day; the
// date is needed for New Year's Eve.
std::string_view CnHolidayOf(int lunarMonth, int lunarDay, tdt::TDateTime date);
// SolarToLunar of the date's civil date.
bool DateToLunar(tdt::TDateTime date, int &lunarYear, int &lunarMonth, int &lunarDay, bool &isLeap);
// The date of a lunar date by LunarToSolar; fails also for the Julian leap days
// that a date-time does not hold (29 February of 100, 200, 300, 500 ... 1500).
bool LunarToDate(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, tdt::TDateTime &date);
