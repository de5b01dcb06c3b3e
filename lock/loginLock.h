#pragma once
// The start-up lock: the window that asks for the password before the main window
// comes up, and the check that decides whether it is asked for at all.
#include "Frame.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TImage;

// The lock window's answer: false from its creation until the right password is given.
extern bool LoginUnlocked;

class TLockLogin : public TBorderlessDialog {
    Q_OBJECT
public:
    explicit TLockLogin(QWidget *owner = nullptr);

    TShape *shpFrame = nullptr;
    TShape *pnlWhite = nullptr;
    TImage *imgLeft = nullptr;
    TShape *pnlRight = nullptr;
    TImage *imgHeader = nullptr;
    QLabel *lblUser = nullptr;
    QLabel *lblPW = nullptr;
    QLineEdit *edtPW = nullptr;
    QPushButton *spdOK = nullptr;
    QPushButton *spdCancel = nullptr;
    QPushButton *spdForget = nullptr;

public slots:
    void FormCreate();
    void spdOKClick();
    void spdCancelClick();
    // True when the key was the Enter key and has been handled.
    bool edtPWKeyDown(int key);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void showEvent(QShowEvent *e) override;
};

// Runs while the main window is being created, after the calendar is set to today.
// True: go on. False: a password is set and was not given (the lock window was
// cancelled or closed, or the file became unreadable): the caller must close the main
// window and end the program without running the rest of its start-up.
// A missing or unreadable Data/loginstr.db, or one without a first line, means no lock.
bool CheckLoginLock(QWidget *mainWindow);
