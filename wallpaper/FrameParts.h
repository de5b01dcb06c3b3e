#pragma once
// The wallpaper's secondary windows: no system frame, dragged by their background,
// centred on the window that opens them (the close button comes from winparts).
#include <QDialog>
#include <QFont>

class TBorderlessDialog : public QDialog {
    Q_OBJECT
public:
    TBorderlessDialog(QWidget *owner, int width, int height);

protected:
    void showEvent(QShowEvent *e) override;
};

// A font of `pixels` pixels in the family the window names.
QFont PixelFont(const QString &family, int pixels, bool bold = false);
