#pragma once
// How much of the wallpaper shows through the note boxes: it works through the boxes'
// colour alone (white is left out of the mixing, light grey is mixed at 50 %).
#include "Frame.h"

#include <QColor>
#include <QList>
#include <QPointer>

class QLabel;
class QPushButton;
class QRadioButton;
class QTextEdit;
class TCloseButton;

// 1: full transparency; any other value: half. 1 until the file is read.
extern int TransMode;

// Reads Data/SetTrans.ini into TransMode (a missing or non-numeric first line is full
// transparency); a missing file is created with "1". False, with the message for the
// generic error display, when the file exists but cannot be read, or cannot be created.
bool LoadTransMode(QString *error = nullptr);
// TransMode = mode, and the file holds that one number. False when it cannot be written.
bool SaveTransMode(int mode);

// The colour of the six boxes in a mode: the system's window colour for full
// transparency, RGB(247, 247, 247) otherwise.
QColor TransBoxColour(int mode);
inline QColor TransBoxColour() { return TransBoxColour(TransMode); }
// Gives the boxes the colour of the current mode.
void RecolourBoxes(const QList<QTextEdit *> &boxes);
void SetBoxColour(QTextEdit *box, const QColor &colour);

class TSetTransFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    explicit TSetTransFrm(QWidget *owner = nullptr);

    QLabel *lblTitle = nullptr;
    QRadioButton *rbFull = nullptr; // " 全透明效果"
    QRadioButton *rbHalf = nullptr; // " 半透明效果  "
    QLabel *lblFullNote = nullptr;
    QLabel *lblHalfNote = nullptr;
    QPushButton *btnOk = nullptr;     // "确  定"
    QPushButton *btnCancel = nullptr; // "取  消"
    TCloseButton *imgClose = nullptr;

public slots:
    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
};

extern QPointer<TSetTransFrm> SetTransFrm;
// Creates the window once.
TSetTransFrm *CreateSetTransFrm(QWidget *owner);

// The options item "背景透明度调节": the window, modally, then the boxes get the colour
// of the mode, whichever way the window was closed.
void N_BgTransparentClick(QWidget *mainWindow, const QList<QTextEdit *> &boxes);
