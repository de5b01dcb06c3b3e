#pragma once
// The days with notes, marked in the month calendar: one statement per month, asked
// again after every save of the week.
#include <vector>

class TChnCalendar;
class TDM;
class TWeekNotes;

// The days of the month whose note is not empty; Saturday's note counts for the Sunday
// after it as well (one box shows both). Throws EDatabaseError.
std::vector<int> NotedDaysOf(TDM &dm, int year, int month);

// The calendar takes its marks from the notes table and renews them after each save.
void ConnectNotedDays(TChnCalendar &calendar, TWeekNotes &week, TDM &dm);
