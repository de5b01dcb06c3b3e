#pragma once
// The question asked before the week becomes the wallpaper, and its memory in
// Data/configSetBg.ini.
#include "Frame.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;

// Whether the question is asked; set at start-up from the file.
extern bool AskBeforeApply;
// The last answer; only the window's buttons change it.
extern bool ApplyConfirmed;

// Start-up: AskBeforeApply = true and ApplyConfirmed = false, then the file's first line
// (> 0: ask). A missing file is created with "1". False, with the message for the generic
// error display, when the line is missing or not a number or the file cannot be read or
// created; the caller then skips its remaining start-up steps.
bool ReadApplyConfirmation(QString &error);

class TInforFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    explicit TInforFrm(QWidget *owner = nullptr);

    QLabel *imgQuestion = nullptr;
    QLabel *lblQuestion = nullptr;
    QCheckBox *chkNoAsk = nullptr;    // "下次不再提示"
    QPushButton *btnOk = nullptr;     // "确  定"
    QPushButton *btnCancel = nullptr; // "取  消"
    QToolButton *btnX = nullptr;      // "X"

public slots:
    void btnOkClick();
    void btnCancelClick();

protected:
    void paintEvent(QPaintEvent *e) override;
};

extern QPointer<TInforFrm> InforFrm;
// Creates the window once, owned by the main window.
TInforFrm *CreateInforFrm(QWidget *owner);
