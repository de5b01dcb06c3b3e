#include "CalendarLook.h"

#include "CnWorkdaysFile.h"
#include "FontMap.h"

TChnCalendarStyle MainCalendarStyle(TChnCalendarStyle s)
{
    s.ShowFrame = true;
    s.ShowWeekNumLine = true;
    s.HideSelection = false;
    s.Center = false;
    s.Stretch = true;
    s.AlphaBlend = 50;
    s.BackGround = QImage();

    s.FontDate.setFamily(QStringLiteral("黑体"));
    s.FontDate.setPixelSize(12);
    s.FontDate.setBold(true);
    s.FontDateColor = clr::clWindowText;
    s.FontCnDate.setFamily(QStringLiteral("宋体"));
    s.FontCnDate.setPixelSize(12);
    s.FontCnDate.setBold(false);
    platform::CrispSmallSong(s.FontCnDate);
    s.FontCnDateColor = 15658734;

    s.ColorTitleWeekLine = 12961221;
    s.ColorTitleWeekEnd = clr::clRed;
    s.ColorTitleWeek = 5197647;
    s.ColorDate = 5197647;
    s.ColorCnDate = clr::clGreen;
    s.ColorHoliday = 33023;
    s.ColorCnHolDay = 33023;
    s.ColorLunarHolDay = 16733011;
    s.ColorSelectedStart = 5484032;
    s.ColorSelectedEnd = 6673664;
    s.ColorSelectedFrame = 4625152;
    s.ColorWeekNum = clr::clGray;
    s.ColorShowFrame = clr::clGray;
    s.ColorTitleSelected = clr::clGray;
    s.ColorBackYear = 14543103;
    s.ColorBackMonth = 15461355;
    s.ColorTitleToday = clr::clBlue;
    s.ColorTitleYear = clr::clBlue;
    s.ColorTitleMonth = 12615808;
    s.ColorTitleConstellation = clr::clBlack;
    s.ColorTitleAnimalsYear = clr::clBlack;
    s.ColorOffDay = TChnCalendarStyle::DefaultColorOffDay;
    s.ColorWorkDay = TChnCalendarStyle::DefaultColorWorkDay;
    s.ShowWorkdayMarks = true;
    return s;
}

void ApplyMainWindowCalendarSettings(TChnCalendar &c)
{
    c.setShowTitle(true);
    c.setShowWeekNum(false);
    c.setStyle(MainCalendarStyle(c.Style()));
    c.setWorkdays(&CnWorkdays());
}
