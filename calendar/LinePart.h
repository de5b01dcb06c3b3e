#pragma once
// One field of the selected-date line, as the month model gives it: the line is fitted to
// its room by leaving fields out in their drop order, so a new field is one more entry here.
#include <string>
#include <vector>

struct TLinePart {
    std::string Text;
    // Written before the field unless it begins the line.
    std::string Gap;
    // 0: always shown. Otherwise left out when the line is short of room, 1 first, then 2 ...
    int DropOrder = 0;
    // Cut with an ellipsis, as far as needed, before anything of the same order or later is left out.
    bool Shortens = false;
};

// The whole line: the fields that have a text, each after the first with its gap.
inline std::string JoinLineParts(const std::vector<TLinePart> &parts)
{
    std::string line;
    for (const TLinePart &p : parts)
        if (!p.Text.empty())
            line += (line.empty() ? std::string() : p.Gap) + p.Text;
    return line;
}
