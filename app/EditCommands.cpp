#include "EditCommands.h"

#include "Dialogs.h"
#include "NoteBox.h"

QFont TEditCommands::InitialFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(16);
    return f;
}

TEditCommands::TEditCommands(const std::array<TNoteBox *, 6> &boxes, QWidget *dialogParent)
    : m_boxes(boxes), m_dialogParent(dialogParent)
{
}

TNoteBox *TEditCommands::FocusedBox() const
{
    for (TNoteBox *box : m_boxes)
        if (box->HasInputFocus())
            return box;
    return nullptr;
}

std::optional<TEditCommands::Target> TEditCommands::capture() const
{
    TNoteBox *box = FocusedBox();
    if (!box)
        return std::nullopt;
    // A cursor of its own follows the document, whatever the box does with its own one.
    return Target{box, box->textCursor()};
}

TNoteBox *TEditCommands::Target::restore() const
{
    if (!box)
        return nullptr;
    box->setTextCursor(selection);
    return box;
}

void TEditCommands::Copy()
{
    if (const auto t = capture())
        t->box->copy();
}

void TEditCommands::Paste()
{
    if (const auto t = capture())
        t->box->paste();
}

void TEditCommands::Delete()
{
    if (const auto t = capture())
        t->box->ClearSelection();
}

void TEditCommands::Cut()
{
    if (const auto t = capture())
        t->box->cut();
}

void TEditCommands::Undo()
{
    if (const auto t = capture())
        t->box->undo();
}

void TEditCommands::InsertMark(const QString &mark)
{
    if (const auto t = capture())
        t->box->ReplaceSelection(mark);
}

void TEditCommands::InsertMarker(const QColor &color)
{
    if (const auto t = capture()) {
        t->box->SetSelectionColor(color);
        t->box->ReplaceSelection(QStringLiteral("█"));
    }
}

void TEditCommands::InsertTime(tdt::TDateTime now)
{
    const auto t = capture();
    if (!t)
        return;
    const tdt::HMS hms = tdt::DecodeTime(now);
    t->box->ReplaceSelection(
        QStringLiteral(" %1:%2 ").arg(hms.hour, 2, 10, QLatin1Char('0')).arg(hms.minute, 2, 10, QLatin1Char('0')));
}

void TEditCommands::ChooseColor()
{
    const auto t = capture();
    if (!t)
        return;
    const auto c = dialogs::GetColor(t->box->SelectionColor(), m_dialogParent);
    if (!c)
        return;
    if (TNoteBox *box = t->restore())
        box->SetSelectionColor(*c);
}

void TEditCommands::ChooseFont()
{
    const auto t = capture();
    if (!t)
        return;
    const auto f = dialogs::GetFont(InitialFont(), m_dialogParent);
    if (!f)
        return;
    if (TNoteBox *box = t->restore())
        box->SetSelectionFont(*f, FontColor, FontCharset);
}
