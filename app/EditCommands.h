#pragma once
// The note editing commands of the boxes' right-click menu and of the tool row. Each command
// acts on the note box that has the input focus when it starts.
#include "TDateTime.h"

#include <QColor>
#include <QFont>
#include <QPointer>

#include <array>
#include <optional>

class QWidget;
class TNoteBox;

class TEditCommands {
public:
    // The font dialog opens on this font; accepting it gives the selection black text.
    static QFont InitialFont();
    static constexpr Qt::GlobalColor FontColor = Qt::black;

    // Dialogs open over `dialogParent`.
    TEditCommands(const std::array<TNoteBox *, 6> &boxes, QWidget *dialogParent);

    // The box with the input focus, or none.
    TNoteBox *FocusedBox() const;

    void Copy();
    void Paste();
    void Delete();
    void Cut();
    void Undo();
    // Replaces the selection by a mark ("√", "×").
    void InsertMark(const QString &mark);
    // A block of the colour in place of the selection; text typed next keeps the colour.
    void InsertMarker(const QColor &color);
    // " HH:MM " of the given time in place of the selection.
    void InsertTime(tdt::TDateTime now);
    void ChooseColor();
    void ChooseFont();

private:
    struct Target {
        TNoteBox *box;
    };
    std::optional<Target> capture() const;

    std::array<TNoteBox *, 6> m_boxes;
    QPointer<QWidget> m_dialogParent;
};
