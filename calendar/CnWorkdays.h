#pragma once
// The official days off (休) and working days (班) around the public holidays, from
// the file the user keeps up to date: UTF-8, one day a line,
//     YYYY-MM-DD<TAB>休|班<TAB>holiday name
// Lines starting with '#' and blank lines are ignored; a malformed line is skipped;
// a day listed twice takes its last line. Plain C++: the calendar model uses it.
#include "TDateTime.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

enum class TWorkdayMark { None, Off, Work };

struct TWorkdayInfo {
    TWorkdayMark Mark = TWorkdayMark::None;
    std::string Holiday; // UTF-8, may be empty
    bool operator==(const TWorkdayInfo &) const = default;
};

// A number of minDigits to maxDigits decimal digits and nothing else.
bool ParseNumber(std::string_view s, std::size_t minDigits, std::size_t maxDigits, int &out);

// Well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool IsValidUtf8(std::string_view s);

// The longest holiday name kept, in bytes (whole characters): a name is a few words.
constexpr std::size_t MaxHolidayNameBytes = 60;
// A name as the table keeps it: control characters (NUL among them) become blanks, and
// it is cut to MaxHolidayNameBytes at a character's start. UTF-8 in, UTF-8 out.
std::string CleanHolidayName(std::string_view name);

// "休", "班" or "".
const char *WorkdayMarkText(TWorkdayMark mark);
// One mark for a span of days shown together (a weekend): a working day is the
// news, so it wins over a day off, which wins over none.
constexpr TWorkdayMark CombinedWorkdayMark(TWorkdayMark a, TWorkdayMark b)
{
    if (a == TWorkdayMark::Work || b == TWorkdayMark::Work)
        return TWorkdayMark::Work;
    if (a == TWorkdayMark::Off || b == TWorkdayMark::Off)
        return TWorkdayMark::Off;
    return TWorkdayMark::None;
}

// One line of the file, read on its own: a comment or blank line, a day, or neither.
enum class TWorkdayLineKind { Blank, Entry, Bad };
struct TWorkdayLine {
    int Year = 0, Month = 0, Day = 0;
    TWorkdayInfo Info;
};
TWorkdayLineKind ParseWorkdayLine(std::string_view line, TWorkdayLine &out);

class TCnWorkdays {
public:
    // Files beyond this size are read only up to it (the last, cut line dropped):
    // the real file is a few kilobytes a decade.
    static constexpr std::size_t MaxFileBytes = 16u << 20;

    TCnWorkdays() = default;

    // The table of a file's text.
    static TCnWorkdays FromText(std::string_view text);
    // The table of a file; a missing or unreadable file gives an empty table.
    static TCnWorkdays FromFile(const std::filesystem::path &path);

    TWorkdayInfo WorkdayMarkOf(int year, int month, int day) const;
    TWorkdayMark MarkOf(int year, int month, int day) const { return WorkdayMarkOf(year, month, day).Mark; }
    TWorkdayMark MarkOf(tdt::TDateTime date) const;

    std::size_t Size() const { return m_days.size(); }
    // The latest year with a listed day; 0 for an empty table.
    int LastYear() const { return m_lastYear; }
    bool Empty() const { return m_days.empty(); }
    // Lines that were neither entries, comments nor blank.
    int SkippedLines() const { return m_skipped; }
    // False when the last load found no readable file.
    bool FileRead() const { return m_fileRead; }

private:
    void ParseLine(std::string_view line);

    std::unordered_map<int, TWorkdayInfo> m_days; // key yyyymmdd
    int m_skipped = 0;
    int m_lastYear = 0;
    bool m_fileRead = false;
};
