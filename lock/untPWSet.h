#pragma once
// The login password settings window: sets or removes the start-up password.
#include "Frame.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCloseButton;
class TImage;

class TpwsetFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    // Created once at start with the main window as parent, and reused.
    explicit TpwsetFrm(QWidget *mainWindow = nullptr);

    TShape *shpFrame = nullptr;
    TImage *imgBG = nullptr;
    TImage *imgTitle = nullptr;
    QLabel *lblTitle = nullptr;
    QCheckBox *chkStartPW = nullptr;
    QLabel *lblPW1 = nullptr;
    QLabel *lblPW2 = nullptr;
    QLineEdit *edtPW1 = nullptr;
    QLineEdit *edtPW2 = nullptr;
    QPushButton *JvXPButton1 = nullptr;      // "应   用"
    TCloseButton *JvXPToolButton1 = nullptr; // close

public slots:
    void FormShow();
    void JvXPButton1Click();
    void JvXPToolButton1Click();

protected:
    void showEvent(QShowEvent *e) override;
};

// The one settings window of the run; the main window creates it among its secondary windows.
extern TpwsetFrm *pwsetFrm;

// The options item "登陆密码": shows the settings window modally (creating it first
// when it does not exist yet).
void N7Click(QWidget *mainWindow);
