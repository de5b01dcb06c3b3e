#pragma once
// A newly announced arrangement of days off and working days, read from a file the user
// picked, and merged into the table file. Two kinds of file are read:
//   - the table's own format (see CnWorkdays.h);
//   - iCalendar holiday calendars: every VEVENT whose SUMMARY carries 班 marks its days as
//     working days, else one whose SUMMARY carries 休 marks them as days off; other events
//     are passed over. DTSTART (a date, or a date-time read as China's time) with DTEND
//     (exclusive) or DURATION gives the days.
// A file with a line that is neither is refused as a whole. Plain C++; messages are UTF-8.
#include "CnWorkdays.h"

#include <string>
#include <string_view>
#include <vector>

struct TArrangement {
    std::vector<TWorkdayLine> Days; // by date, each day once
    std::string Error;              // why the file was refused; empty when it was read
    bool Ok() const { return Error.empty(); }
};

// Days of one event, at most: an arrangement's longest holiday is a few weeks.
constexpr int MaxEventDays = 366;

// iCalendar when the text begins with BEGIN:VCALENDAR, else the table's format.
TArrangement ParseArrangement(std::string_view text);
TArrangement ParseWorkdaysTable(std::string_view text);
TArrangement ParseICalendar(std::string_view text);

// "YYYY-MM-DD<TAB>休|班<TAB>name".
std::string WorkdayLineText(const TWorkdayLine &line);

struct TMergeResult {
    std::string Text; // the table file's new text; the old text when nothing was added
    int Added = 0;    // days not in the table before
    int Same = 0;     // days the table already lists with the same mark
    int Kept = 0;     // days the table lists with the other mark: its line stays
};

// Every line of `fileText` stays as it is; the days it does not list are appended after a
// comment line "# note", in its line ends.
TMergeResult MergeArrangement(std::string_view fileText, const TArrangement &arrangement, std::string_view note);
