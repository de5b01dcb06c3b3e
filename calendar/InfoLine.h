#pragma once
// The selected-date line fitted to its room: the dates always show; a long era gives way
// first, shortened with an ellipsis; a note after the dates is left out before the era
// shrinks to nothing. Qt Gui only.
#include <QString>

class QFontMetrics;

struct TInfoLine {
    QString Text;
    bool Shortened = false; // Text is not the whole line
};

// The whole line: era + rest, then the note after two blanks when there is one.
QString WholeInfoLine(const QString &era, const QString &rest, const QString &note);
// `rest` is the line after the era (the civil or lunar date and what follows them).
TInfoLine FitInfoLine(const QFontMetrics &metrics, int width, const QString &era, const QString &rest,
                      const QString &note);
