#include "InfoLine.h"

#include <QFontMetrics>

#include <set>

namespace {

// The kept fields that have a text, joined; `cut` stands in for field `cutAt`.
QString Join(const std::vector<TLinePart> &parts, const std::vector<bool> &kept, size_t cutAt = size_t(-1),
             const QString &cut = QString())
{
    QString line;
    bool first = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!kept[i] || (i != cutAt && parts[i].Text.empty()))
            continue;
        if (!first)
            line += QString::fromStdString(parts[i].Gap);
        line += i == cutAt ? cut : QString::fromStdString(parts[i].Text);
        first = false;
    }
    return line;
}

} // namespace

QString WholeInfoLine(const std::vector<TLinePart> &parts)
{
    return Join(parts, std::vector<bool>(parts.size(), true));
}

TInfoLine FitInfoLine(const QFontMetrics &fm, int width, const std::vector<TLinePart> &parts)
{
    std::vector<bool> kept(parts.size(), true);
    const QString whole = Join(parts, kept);
    if (fm.horizontalAdvance(whole) <= width)
        return {whole, false};

    std::set<int> orders;
    for (const TLinePart &p : parts)
        if (p.DropOrder > 0)
            orders.insert(p.DropOrder);
    auto next = orders.begin();
    for (;;) {
        const QString line = Join(parts, kept);
        if (fm.horizontalAdvance(line) <= width)
            return {line, true};
        for (size_t i = 0; i < parts.size(); ++i) {
            if (!kept[i] || !parts[i].Shortens)
                continue;
            const int room = width - fm.horizontalAdvance(Join(parts, kept, i, QString()));
            if (room <= 0)
                continue;
            const QString cut = fm.elidedText(QString::fromStdString(parts[i].Text), Qt::ElideRight, room);
            const QString shortened = Join(parts, kept, i, cut);
            if (!cut.isEmpty() && fm.horizontalAdvance(shortened) <= width)
                return {shortened, true};
        }
        if (next == orders.end())
            break;
        for (size_t i = 0; i < parts.size(); ++i)
            if (parts[i].DropOrder == *next)
                kept[i] = false;
        ++next;
    }
    // Not even the fields that always show fit: a control far below its usual size.
    return {fm.elidedText(Join(parts, kept), Qt::ElideRight, width), true};
}
