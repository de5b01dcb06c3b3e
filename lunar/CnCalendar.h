#pragma once
// The Chinese lunisolar calendar for civil years -849 ... 2100: conversion of
// civil dates, cyclic names, the western sign and the 24 solar terms.
//
// Civil dates are year, month, day. Dates up to 4 October 1582 are Julian,
// 5 to 14 October 1582 do not exist, later dates are Gregorian. Negative years
// are BC. Every operation is a pure function; an operation that reports
// failure leaves its outputs as they were. Texts are UTF-8 and point into
// constant storage.
#include "TDateTime.h"

#include <string_view>

constexpr int LunarFirstYear = -849;
constexpr int LunarLastYear = 2100;

// One character per civil year from -849 to 2100 (index year + 849): "0" for
// no leap month, else the month a leap month follows ("1" ... "9", "a" ... "c").
extern const std::string_view LeapMonthTable;

// ---- Civil dates and day numbers ----

// 1 Julian, 0 for the ten dropped days of October 1582, 2 Gregorian.
int CalendarKind(int year, int month, int day);
bool IsCivilLeapYear(int year);
// 0 for a month outside 1 ... 12.
int MonthDays(int year, int month);
int DayOfYear(int year, int month, int day);
// A continuous day count (1 January 1900 is 693596); 0 for the dropped days.
int DayNumber(int year, int month, int day);
// The inverse of DayNumber; fails for negative day numbers.
bool DayNumberToDate(int dayNumber, int &year, int &month, int &day);

// ---- Lunar dates ----

// 0 ... 12; -1 for a year outside the table or a foreign character.
int LeapMonthOf(int year);
// Leap months of the years -849 ... year; -1 outside -849 ... 2100.
int LeapCountOf(int year);
// Lunar day 1 ... 30, or -1 when no new moon qualifies.
int LunarDayOf(int year, int month, int day);
// Lunar month, negative for a leap month.
int LunarMonthOf(int year, int month, int day);
// Fail for years outside -849 ... 2100 and for days that are no civil date.
bool SolarToLunarMonthDay(int year, int month, int day, int &lunarMonth, int &lunarDay, bool &isLeap);
bool SolarToLunar(int year, int month, int day, int &lunarYear, int &lunarMonth, int &lunarDay, bool &isLeap);
// The civil date of a lunar date whose day lies in the civil years 1 ... 2100
// (lunar years 0 ... 2100). Fails for a lunar day that does not exist: a leap
// month the year lacks, day 30 of a 29-day month. Where two civil days share a
// lunar date (some years of 9 ... 23 and 237 ... 239), gives the one nearer the
// day's usual place in the year.
bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int &year, int &month, int &day);
// -1, 0 or 1; a leap month comes after the ordinary month of its number.
int CompareLunarDates(int year1, int month1, int day1, bool leap1, int year2, int month2, int day2, bool leap2);
// "初一" ... "三十"; "" outside 1 ... 30.
std::string_view CnDayName(int lunarDay);
// "正" ... "腊"; "" outside 1 ... 12.
std::string_view CnMonthName(int lunarMonth);

// ---- Cyclic names and signs ----

// "甲子" ... "癸亥"; "" outside 0 ... 59.
std::string_view StemBranchName(int index);
int YearStemBranchIndex(int year);
// The year changes on the day of 立春.
std::string_view YearStemBranchOf(int year, int month, int day);
int AnimalOf(int year);
std::string_view AnimalName(int index);
int ConstellationOf(int month, int day);
std::string_view ConstellationName(int index);

// ---- Solar terms ----

// Term number 1 ... 24 from 小寒: day of the year of its local date plus the
// part of that day already passed.
double SolarTermDay(int year, int termNo);
// Term index 0 ... 23 in calendar order (0 小寒 ... 23 冬至); fails outside
// that and when the term's day lies outside the civil year.
bool SolarTermDate(int year, int termIndex, int &month, int &day);
// The term on that civil date, or "".
std::string_view SolarTermNameOf(int year, int month, int day);
// Same, for the civil date of a date-time (its proleptic Gregorian numbers).
std::string_view SolarTermNameOf(tdt::TDateTime date);
// Name index 0 ... 23 from 立春; "" outside.
std::string_view SolarTermName(int index);
