#include "WorkdaysArrangement.h"

#include "TDateTime.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace {

using Days = std::map<long, TWorkdayLine>; // by day number

std::string AtLine(int line, const std::string &what) { return "第 " + std::to_string(line) + " 行" + what; }

// A value quoted in a message: its first few characters, controls shown as '?'.
std::string Excerpt(std::string_view v)
{
    constexpr std::size_t kMax = 40;
    std::size_t n = std::min(v.size(), kMax);
    if (n < v.size())
        while (n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80)
            --n;
    std::string out(v.substr(0, n));
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = '?';
    return n < v.size() ? out + "…" : out;
}

long DayNumber(int y, int m, int d) { return long(tdt::EncodeDate(y, m, d)); }

TWorkdayLine LineOfDay(long day, TWorkdayMark mark, const std::string &name)
{
    const tdt::YMD ymd = tdt::DecodeDate(tdt::TDateTime(day));
    TWorkdayLine l;
    l.Year = ymd.year;
    l.Month = ymd.month;
    l.Day = ymd.day;
    l.Info.Mark = mark;
    l.Info.Holiday = name;
    return l;
}

std::string DateText(const TWorkdayLine &l)
{
    char buf[40]; // room for any int, as the compiler counts
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", l.Year, l.Month, l.Day);
    return buf;
}

TArrangement Finish(Days days)
{
    TArrangement a;
    if (days.empty()) {
        a.Error = "文件中没有标为休或班的日子";
        return a;
    }
    for (auto &[day, line] : days)
        a.Days.push_back(std::move(line));
    return a;
}

std::string_view StripByteOrderMark(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return text;
}

// Physical lines, each with its number from 1; a line ends in CR LF, LF or a lone CR.
template <class F> void ForEachLine(std::string_view text, F &&f)
{
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        f(text.substr(0, end), ++number);
        if (end == std::string_view::npos)
            break;
        const std::size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        text.remove_prefix(next);
    }
}

// ---- iCalendar ----

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Upper);
    return out;
}

struct ContentLine {
    std::string Name; // upper case; the parameters play no part
    std::string Value;
    int Number = 0; // the physical line it starts on
};

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// NAME *(";" PARAM) ":" VALUE; a parameter value may be quoted and hold ':' or ';'.
bool SplitContentLine(std::string_view line, ContentLine &out)
{
    std::size_t i = 0;
    while (i < line.size() && IsNameChar(line[i]))
        ++i;
    if (i == 0 || i == line.size() || (line[i] != ';' && line[i] != ':'))
        return false;
    out.Name = UpperCase(line.substr(0, i));
    bool quoted = false;
    for (; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            break;
    }
    if (i == line.size())
        return false;
    out.Value = std::string(line.substr(i + 1));
    return true;
}

// TEXT values: \\ \; \, \n and \N.
std::string UnescapeText(std::string_view v)
{
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            const char c = v[++i];
            out += (c == 'n' || c == 'N') ? ' ' : c;
        } else {
            out += v[i];
        }
    }
    return out;
}

// A moment as a day number and the seconds since that day's midnight.
struct Moment {
    long Day = 0;
    long Seconds = 0;
    bool DateOnly = true;
};

// YYYYMMDD, or YYYYMMDDTHHMMSS with an optional Z; a time in UTC is read in China's
// time (UTC+8), a floating or zoned time as written.
std::optional<Moment> ParseMoment(std::string_view v)
{
    int y, m, d;
    if (v.size() < 8 || !ParseNumber(v.substr(0, 4), 4, 4, y) || !ParseNumber(v.substr(4, 2), 2, 2, m) ||
        !ParseNumber(v.substr(6, 2), 2, 2, d) ||
        y < 1 || !tdt::IsValidDate(y, m, d))
        return std::nullopt;
    Moment t;
    t.Day = DayNumber(y, m, d);
    if (v.size() == 8)
        return t;
    const bool utc = v.size() == 16 && Upper(v[15]) == 'Z';
    int hh, mm, ss;
    if ((v.size() != 15 && !utc) || Upper(v[8]) != 'T' || !ParseNumber(v.substr(9, 2), 2, 2, hh) ||
        !ParseNumber(v.substr(11, 2), 2, 2, mm) || !ParseNumber(v.substr(13, 2), 2, 2, ss) || hh > 23 || mm > 59 ||
        ss > 60)
        return std::nullopt;
    t.DateOnly = false;
    t.Seconds = hh * 3600L + mm * 60L + std::min(ss, 59);
    if (utc) {
        t.Seconds += 8 * 3600L;
        if (t.Seconds >= 86400) {
            t.Seconds -= 86400;
            ++t.Day;
        }
    }
    return t;
}

// [+]P nW | P [nD] [T [nH] [nM] [nS]], in seconds; a negative duration is no end.
std::optional<long> ParseDuration(std::string_view v)
{
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    if (v.size() < 3 || Upper(v.front()) != 'P')
        return std::nullopt;
    v.remove_prefix(1);
    long total = 0;
    bool inTime = false, any = false;
    while (!v.empty()) {
        if (Upper(v.front()) == 'T' && !inTime) {
            inTime = true;
            v.remove_prefix(1);
            continue;
        }
        std::size_t n = 0;
        long value = 0;
        while (n < v.size() && v[n] >= '0' && v[n] <= '9' && n < 6)
            value = value * 10 + (v[n++] - '0');
        if (n == 0 || n == v.size())
            return std::nullopt;
        const char unit = Upper(v[n]);
        if (!inTime && unit == 'W')
            total += value * 7 * 86400;
        else if (!inTime && unit == 'D')
            total += value * 86400;
        else if (inTime && unit == 'H')
            total += value * 3600;
        else if (inTime && unit == 'M')
            total += value * 60;
        else if (inTime && unit == 'S')
            total += value;
        else
            return std::nullopt;
        any = true;
        v.remove_prefix(n + 1);
    }
    if (!any)
        return std::nullopt;
    return total;
}

struct Event {
    int Line = 0;
    std::optional<ContentLine> Summary, Start, End, Duration;
    bool Repeats = false;
};

// 班 is news on a day that would be free, so a name with both (调休上班) is a working day.
TWorkdayMark MarkOfName(std::string_view name)
{
    if (name.find("班") != std::string_view::npos)
        return TWorkdayMark::Work;
    if (name.find("休") != std::string_view::npos)
        return TWorkdayMark::Off;
    return TWorkdayMark::None;
}

// The holiday's own name: the summary without the words that only say 休 or 班. One pass:
// a summary may be megabytes long.
std::string HolidayName(std::string_view name)
{
    static constexpr std::string_view words[] = {"补班", "上班", "调休", "放假", "休息", "假期", "休", "班", "（",
                                                 "）", "(", ")", "【", "】", "[", "]", "\t"};
    // Blanks for those words, runs of blanks made one.
    std::string out;
    out.reserve(std::min(name.size(), std::size_t(4096)));
    for (std::size_t i = 0; i < name.size();) {
        const auto word = std::find_if(std::begin(words), std::end(words),
                                       [&](std::string_view w) { return name.compare(i, w.size(), w) == 0; });
        const char c = word != std::end(words) ? ' ' : name[i];
        i += word != std::end(words) ? word->size() : 1;
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
        if (out.size() > 4 * MaxHolidayNameBytes)
            break; // the rest would be cut anyway
    }
    // Blanks and dashes left at the ends.
    std::size_t from = 0;
    while (from < out.size() && (out[from] == '-' || out[from] == ':' || out[from] == ' '))
        ++from;
    std::size_t to = out.size();
    while (to > from && (out[to - 1] == ' ' || out[to - 1] == '-' || out[to - 1] == ':'))
        --to;
    return CleanHolidayName(std::string_view(out).substr(from, to - from));
}

std::string AddEvent(const Event &e, Days &days)
{
    const std::string summary = e.Summary ? UnescapeText(e.Summary->Value) : std::string();
    const TWorkdayMark mark = MarkOfName(summary);
    if (mark == TWorkdayMark::None)
        return {};
    if (e.Repeats)
        return AtLine(e.Line, "的事件带有重复规则，放假安排不会逐年重复");
    if (!e.Start)
        return AtLine(e.Line, "的事件没有开始日期（DTSTART）");
    const std::optional<Moment> start = ParseMoment(e.Start->Value);
    if (!start)
        return AtLine(e.Start->Number, "的日期无效");
    long last = start->Day;
    if (e.End || e.Duration) {
        Moment end;
        if (e.End) {
            const std::optional<Moment> t = ParseMoment(e.End->Value);
            if (!t)
                return AtLine(e.End->Number, "的日期无效");
            end = *t;
        } else {
            const std::optional<long> seconds = ParseDuration(e.Duration->Value);
            if (!seconds)
                return AtLine(e.Duration->Number, "的时长无效");
            const long s = start->Seconds + *seconds;
            end = {start->Day + s / 86400, s % 86400, start->DateOnly};
        }
        if (end.Day < start->Day || (end.Day == start->Day && end.Seconds < start->Seconds))
            return AtLine(e.Line, "的事件结束得比开始早");
        // The end is exclusive: an event up to a midnight does not take the day that midnight begins.
        last = std::max(start->Day, end.Seconds == 0 ? end.Day - 1 : end.Day);
    }
    if (last - start->Day + 1 > MaxEventDays)
        return AtLine(e.Line, "的事件长达 " + std::to_string(last - start->Day + 1) + " 天");
    const std::string name = HolidayName(summary);
    for (long day = start->Day; day <= last; ++day) {
        const TWorkdayLine line = LineOfDay(day, mark, name);
        if (line.Year > tdt::MaxYear)
            return AtLine(e.Line, "的日期无效");
        const auto [it, added] = days.emplace(day, line);
        if (!added && it->second.Info.Mark != mark)
            return DateText(line) + " 既标为休又标为班";
    }
    return {};
}

} // namespace

std::string WorkdayLineText(const TWorkdayLine &line)
{
    std::string out = DateText(line) + '\t' + WorkdayMarkText(line.Info.Mark);
    if (!line.Info.Holiday.empty())
        out += '\t' + line.Info.Holiday;
    return out;
}

TArrangement ParseWorkdaysTable(std::string_view text)
{
    Days days;
    std::string error;
    ForEachLine(StripByteOrderMark(text), [&](std::string_view line, int number) {
        if (!error.empty())
            return;
        TWorkdayLine l;
        switch (ParseWorkdayLine(line, l)) {
        case TWorkdayLineKind::Blank:
            return;
        case TWorkdayLineKind::Bad:
            error = AtLine(number, "不是“日期 休或班 节日名”的格式");
            return;
        case TWorkdayLineKind::Entry: {
            // A day listed twice with one mark takes its last line; with both marks the
            // file contradicts itself, as an .ics would.
            const auto [it, added] = days.try_emplace(DayNumber(l.Year, l.Month, l.Day), l);
            if (!added && it->second.Info.Mark != l.Info.Mark)
                error = AtLine(number, "：" + DateText(l) + " 既标为休又标为班");
            else
                it->second = std::move(l);
            return;
        }
        }
    });
    if (!error.empty())
        return {{}, error};
    return Finish(std::move(days));
}

TArrangement ParseICalendar(std::string_view text)
{
    text = StripByteOrderMark(text);
    // Unfold first: a fold may split a character's bytes.
    std::vector<std::pair<std::string, int>> lines;
    ForEachLine(text, [&](std::string_view line, int number) {
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty())
            lines.back().first.append(line.substr(1));
        else
            lines.emplace_back(std::string(line), number);
    });

    Days days;
    std::vector<std::string> open; // the components around the current line
    std::optional<Event> event;
    bool calendarSeen = false;
    for (const auto &[line, number] : lines) {
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (!IsValidUtf8(line))
            return {{}, AtLine(number, "不是 UTF-8 编码的文字")};
        ContentLine c;
        if (!SplitContentLine(line, c))
            return {{}, AtLine(number, "不是 iCalendar 的内容行")};
        c.Number = number;
        if (c.Name == "BEGIN") {
            const std::string kind = UpperCase(c.Value);
            if (open.empty() && kind != "VCALENDAR")
                return {{}, AtLine(number, "应为 BEGIN:VCALENDAR")};
            if (kind == "VEVENT" && open.back() == "VCALENDAR")
                event = Event{number, {}, {}, {}, {}, false};
            open.push_back(kind);
            calendarSeen = true;
            continue;
        }
        if (open.empty())
            return {{}, AtLine(number, "在日历之外")};
        if (c.Name == "END") {
            if (UpperCase(c.Value) != open.back())
                return {{}, AtLine(number, "的 END:" + Excerpt(c.Value) + " 与 BEGIN:" + Excerpt(open.back()) + " 不配对")};
            if (open.back() == "VEVENT" && event) {
                if (std::string error = AddEvent(*event, days); !error.empty())
                    return {{}, error};
                event.reset();
            }
            open.pop_back();
            continue;
        }
        if (!event || open.back() != "VEVENT")
            continue; // the calendar's own properties, time zones, alarms
        if (c.Name == "SUMMARY")
            event->Summary = c;
        else if (c.Name == "DTSTART")
            event->Start = c;
        else if (c.Name == "DTEND")
            event->End = c;
        else if (c.Name == "DURATION")
            event->Duration = c;
        else if (c.Name == "RRULE" || c.Name == "RDATE")
            event->Repeats = true;
    }
    if (!calendarSeen)
        return {{}, "不是 iCalendar 日历（应以 BEGIN:VCALENDAR 开头）"};
    if (!open.empty())
        return {{}, "文件不完整：缺少 END:" + Excerpt(open.back())};
    return Finish(std::move(days));
}

TArrangement ParseArrangement(std::string_view text)
{
    const std::string_view body = StripByteOrderMark(text);
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && UpperCase(body.substr(first, 15)) == "BEGIN:VCALENDAR")
        return ParseICalendar(text);
    return ParseWorkdaysTable(text);
}

TMergeResult MergeArrangement(std::string_view fileText, const TArrangement &arrangement, std::string_view note)
{
    TMergeResult r;
    r.Text = std::string(fileText);
    const TCnWorkdays table = TCnWorkdays::FromText(fileText);
    std::vector<const TWorkdayLine *> added;
    for (const TWorkdayLine &l : arrangement.Days) {
        const TWorkdayMark had = table.MarkOf(l.Year, l.Month, l.Day);
        if (had == TWorkdayMark::None)
            added.push_back(&l);
        else if (had == l.Info.Mark)
            ++r.Same;
        else
            ++r.Kept;
    }
    r.Added = int(added.size());
    if (added.empty())
        return r;
    const std::string eol = fileText.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    if (!r.Text.empty() && r.Text.back() != '\n' && r.Text.back() != '\r')
        r.Text += eol;
    std::string comment(note);
    std::replace_if(comment.begin(), comment.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    r.Text += "# " + comment + eol;
    for (const TWorkdayLine *l : added)
        r.Text += WorkdayLineText(*l) + eol;
    return r;
}
