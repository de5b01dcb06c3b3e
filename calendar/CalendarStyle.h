#pragma once
// How the month calendar looks: its switches, fonts, background picture and colours,
// as one value. The defaults are the control's at creation, fonts aside: the control
// fills those in from its own font.
#include "ChnCalendarModel.h"

#include <QFont>
#include <QImage>

struct TChnCalendarStyle {
    // Official days off (休) and working days (班): a small mark in the top-right corner
    // of the day cells the table lists, where it clears the day number. 休 in the red of
    // the days off, 班 in the grey of the working days' numbers.
    static constexpr TColor DefaultColorOffDay = clr::RGB(224, 32, 32); // 2105568
    static constexpr TColor DefaultColorWorkDay = clr::RGB(79, 79, 79); // 5197647

    bool ShowFrame = true;
    bool ShowBackYearMonth = true;
    bool ShowWeekNumLine = true;
    bool HideSelection = false;
    bool ShowWorkdayMarks = false;
    // A small dot in the top-left corner of the days that have notes, where it clears
    // the day number; white on the selection.
    bool ShowNoteMarks = true;

    // The fonts' colours never show: a cell's own colour replaces them.
    QFont FontDate;
    TColor FontDateColor = clr::clWindowText;
    QFont FontCnDate;
    TColor FontCnDateColor = 15658734;

    // A picture blended into the background; Transparent changes nothing in the drawing.
    QImage BackGround;
    bool Center = false;
    bool Stretch = false;
    bool Transparent = false;
    int AlphaBlend = 50; // 0 ... 255

    TColor ColorTitleWeekLine = 12961221;
    TColor ColorTitleWeekEnd = clr::clRed;
    TColor ColorTitleWeek = 5197647;
    // The five colours the month rebuild writes into the cells.
    TColor ColorCnDate = 32768;
    TColor ColorDate = 5197647;
    TColor ColorHoliday = 33023;
    TColor ColorLunarHolDay = 16733011;
    TColor ColorCnHolDay = 33023;
    TColor ColorSelectedStart = 5484032;
    TColor ColorSelectedEnd = 6673664;
    TColor ColorSelectedFrame = 4625152;
    TColor ColorWeekNum = clr::clGray;
    TColor ColorShowFrame = clr::clGray;
    TColor ColorBackYear = 14543103;
    TColor ColorBackMonth = 15461355;
    TColor ColorTitleToday = clr::clBlue;
    TColor ColorTitleMonth = 12615808;
    TColor ColorTitleYear = clr::clBlue;
    TColor ColorTitleSelected = clr::clGray;
    TColor ColorTitleConstellation = clr::clBlack;
    TColor ColorTitleAnimalsYear = clr::clBlack;
    TColor ColorOffDay = DefaultColorOffDay;
    TColor ColorWorkDay = DefaultColorWorkDay;
    TColor ColorNoteMark = clr::RGB(90, 138, 214);
};
