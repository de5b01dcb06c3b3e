#pragma once
// The note editing commands of the boxes' right-click menu and of the tool row. Each command
// takes the note box that has the input focus, with its selection, at the moment it starts,
// and acts on exactly that: a dialog it opens takes the focus and the box hides its selection
// meanwhile, which must not change where the result lands.
#include "TDateTime.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTextCursor>

#include <array>
#include <optional>

class QWidget;
class TNoteBox;

class TEditCommands {
public:
    // The font dialog opens on this font, in black and the GB2312 character set, and
    // accepting it gives the selection all three.
    static QFont InitialFont();
    static constexpr Qt::GlobalColor FontColor = Qt::black;
    static constexpr int FontCharset = 134; // GB2312, as RTF numbers character sets

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
    // A box and its selection as a command found them.
    struct Target {
        QPointer<TNoteBox> box;
        QTextCursor selection;
        // Gives the box its captured selection again; none when the box is gone.
        TNoteBox *restore() const;
    };
    std::optional<Target> capture() const;

    std::array<TNoteBox *, 6> m_boxes;
    QPointer<QWidget> m_dialogParent;
};
