#include "FrameParts.h"

#include "WindowParts.h"

TBorderlessDialog::TBorderlessDialog(QWidget *owner, int width, int height)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setFixedSize(width, height);
    setModal(true);
    winparts::MakeDragHandle(this);
}

void TBorderlessDialog::showEvent(QShowEvent *e)
{
    winparts::CentreOn(this, parentWidget() ? parentWidget()->window() : nullptr);
    QDialog::showEvent(e);
}

QFont PixelFont(const QString &family, int pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}
