#pragma once
// The options menu's import of a newly announced arrangement of days off and working days:
// asks for the files (the table's own format or iCalendar holiday calendars), merges their
// days into Data/CnWorkdays.tsv, reloads the table, marks the calendar again and tells the
// user how many days were added. A file that cannot be read as a whole changes nothing.
class QString;
class QWidget;
class TChnCalendar;

// The texts the user meets.
QString ImportWorkdaysCaption();

// True when the table file changed.
bool ImportWorkdays(QWidget *parent, TChnCalendar *calendar);
