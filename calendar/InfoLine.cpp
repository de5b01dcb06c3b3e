#include "InfoLine.h"

#include <QFontMetrics>

namespace {

const QString kNoteGap = QStringLiteral("  ");

// The era shortened to what `room` leaves, or empty when not even the ellipsis fits.
QString ElidedEra(const QFontMetrics &fm, const QString &era, int room)
{
    if (room <= 0)
        return {};
    const QString e = fm.elidedText(era, Qt::ElideRight, room);
    return fm.horizontalAdvance(e) <= room ? e : QString();
}

} // namespace

QString WholeInfoLine(const QString &era, const QString &rest, const QString &note)
{
    return note.isEmpty() ? era + rest : era + rest + kNoteGap + note;
}

TInfoLine FitInfoLine(const QFontMetrics &fm, int width, const QString &era, const QString &rest, const QString &note)
{
    const QString whole = WholeInfoLine(era, rest, note);
    if (fm.horizontalAdvance(whole) <= width)
        return {whole, false};
    const QString tail = note.isEmpty() ? rest : rest + kNoteGap + note;
    if (!era.isEmpty()) {
        for (const QString &after : {tail, rest}) {
            const QString e = ElidedEra(fm, era, width - fm.horizontalAdvance(after));
            if (!e.isEmpty())
                return {e + after, true};
        }
    }
    // Without the era the line starts at the dates.
    const QString dates = era.isEmpty() ? rest : rest.trimmed();
    if (fm.horizontalAdvance(dates) <= width)
        return {dates, true};
    // Not even the dates fit: a control far below its usual size.
    return {fm.elidedText(dates, Qt::ElideRight, width), true};
}
