#include "CnWorkdays.h"

#include "WorkdaysFile.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr std::string_view kOff = "休";
constexpr std::string_view kWork = "班";
// The same two characters as a Chinese Windows editor saves them in its "ANSI" code page.
constexpr std::string_view kOffGbk = "\xD0\xDD";
constexpr std::string_view kWorkGbk = "\xB0\xE0";

int Key(int y, int m, int d) { return y * 10000 + m * 100 + d; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The next field up to a run of tabs or blanks; editors turn tabs into blanks often
// enough that both separate the fields.
std::string_view NextField(std::string_view &rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    const std::string_view field = rest.substr(0, end);
    rest.remove_prefix(end);
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    return field;
}

// YYYY-MM-DD; a one-digit month or day is accepted too.
bool ParseDate(std::string_view s, int &y, int &m, int &d)
{
    const std::size_t a = s.find('-');
    if (a == std::string_view::npos)
        return false;
    const std::size_t b = s.find('-', a + 1);
    if (b == std::string_view::npos)
        return false;
    if (!ParseNumber(s.substr(0, a), 4, 4, y) || !ParseNumber(s.substr(a + 1, b - a - 1), 1, 2, m) ||
        !ParseNumber(s.substr(b + 1), 1, 2, d))
        return false;
    return tdt::IsValidDate(y, m, d);
}

} // namespace

bool ParseNumber(std::string_view s, std::size_t minDigits, std::size_t maxDigits, int &out)
{
    if (s.size() < minDigits || s.size() > maxDigits)
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        unsigned cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += n + 1;
    }
    return true;
}

const char *WorkdayMarkText(TWorkdayMark mark)
{
    switch (mark) {
    case TWorkdayMark::Off:
        return "休";
    case TWorkdayMark::Work:
        return "班";
    default:
        return "";
    }
}

std::string CleanHolidayName(std::string_view name)
{
    std::size_t n = std::min(name.size(), MaxHolidayNameBytes);
    if (n < name.size())
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
            --n;
    std::string out(name.substr(0, n));
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = ' ';
    return std::string(Trim(out));
}

TWorkdayLineKind ParseWorkdayLine(std::string_view line, TWorkdayLine &out)
{
    line = Trim(line);
    if (line.empty() || line.front() == '#')
        return TWorkdayLineKind::Blank;
    std::string_view rest = line;
    const std::string_view date = NextField(rest);
    const std::string_view mark = NextField(rest);
    const std::string_view name = rest; // the rest of the line, blanks inside kept

    TWorkdayLine l;
    if (mark == kOff || mark == kOffGbk)
        l.Info.Mark = TWorkdayMark::Off;
    else if (mark == kWork || mark == kWorkGbk)
        l.Info.Mark = TWorkdayMark::Work;
    if (l.Info.Mark == TWorkdayMark::None || !ParseDate(date, l.Year, l.Month, l.Day))
        return TWorkdayLineKind::Bad;
    // A name in another encoding is dropped; the day's mark still counts.
    if (IsValidUtf8(name))
        l.Info.Holiday = CleanHolidayName(name);
    out = std::move(l);
    return TWorkdayLineKind::Entry;
}

void TCnWorkdays::ParseLine(std::string_view line)
{
    TWorkdayLine l;
    switch (ParseWorkdayLine(line, l)) {
    case TWorkdayLineKind::Blank:
        return;
    case TWorkdayLineKind::Bad:
        ++m_skipped;
        return;
    case TWorkdayLineKind::Entry:
        m_lastYear = std::max(m_lastYear, l.Year);
        m_days[Key(l.Year, l.Month, l.Day)] = std::move(l.Info);
        return;
    }
}

TCnWorkdays TCnWorkdays::FromText(std::string_view text)
{
    TCnWorkdays t;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    // Lines end in LF, CR LF or a lone CR; the empty line between CR and LF is ignored.
    while (!text.empty()) {
        const std::size_t nl = text.find_first_of("\r\n");
        t.ParseLine(text.substr(0, nl));
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return t;
}

TCnWorkdays TCnWorkdays::FromFile(const std::filesystem::path &path)
{
    std::string text;
    if (workdaysfile::Read(QFile::decodeName(path.native().c_str()), MaxFileBytes, text) != settings::Status::Ok)
        return {};
    TCnWorkdays t = FromText(text);
    t.m_fileRead = true;
    return t;
}

TWorkdayInfo TCnWorkdays::WorkdayMarkOf(int year, int month, int day) const
{
    if (!tdt::IsValidDate(year, month, day))
        return {};
    const auto it = m_days.find(Key(year, month, day));
    return it == m_days.end() ? TWorkdayInfo{} : it->second;
}

TWorkdayMark TCnWorkdays::MarkOf(tdt::TDateTime date) const
{
    // Only values within years 1 ... 9999 reach the date arithmetic.
    static const double first = tdt::EncodeDate(tdt::MinYear, 1, 1);
    static const double last = tdt::EncodeDate(tdt::MaxYear, 12, 31);
    if (!std::isfinite(date) || std::trunc(date) < first || std::trunc(date) > last)
        return TWorkdayMark::None;
    const tdt::YMD ymd = tdt::DecodeDate(date);
    return MarkOf(ymd.year, ymd.month, ymd.day);
}
