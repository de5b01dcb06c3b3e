#include "loginLock.h"

#include "Dialogs.h"
#include "LoginFile.h"
#include "PixelFont.h"
#include "TImage.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

bool LoginUnlocked = false;

using winkit::PixelFont;

// Centred on the desktop: it comes up before the main window is shown.
TLockLogin::TLockLogin(QWidget *owner) : TBorderlessDialog(owner, 246, 145, Centre::OnScreen)
{
    setWindowTitle(QStringLiteral("Tavi周记事本"));

    shpFrame = new TShape(this, QColor(220, 231, 255), QColor(153, 168, 206));
    shpFrame->setGeometry(0, 0, 246, 145);

    pnlWhite = new TShape(shpFrame, Qt::white, QColor(146, 168, 218));
    pnlWhite->setGeometry(4, 4, 238, 137);

    imgLeft = new TImage(pnlWhite, QStringLiteral(":/lock/lock_left.png"));
    imgLeft->setGeometry(3, 5, 62, 127);

    pnlRight = new TShape(pnlWhite, QColor(228, 235, 253), QColor(228, 235, 253));
    pnlRight->setGeometry(66, 5, 169, 127);

    imgHeader = new TImage(pnlRight, QStringLiteral(":/lock/lock_header.png"));
    imgHeader->setGeometry(0, 0, 169, 24);

    const QFont verdana = PixelFont(QStringLiteral("Verdana"), 12);
    lblUser = new QLabel(QStringLiteral("用户名：Tavi周记事本"), pnlRight);
    lblUser->setFont(verdana);
    lblUser->setGeometry(8, 34, 158, 18);
    lblPW = new QLabel(QStringLiteral("密  码："), pnlRight);
    lblPW->setFont(verdana);
    lblPW->setGeometry(8, 62, 50, 18);

    edtPW = new QLineEdit(pnlRight);
    edtPW->setObjectName(QStringLiteral("edtPW"));
    // The style sheet first: the echo mode takes the password character from it.
    edtPW->setStyleSheet(QStringLiteral(
        "QLineEdit { lineedit-password-character: 42; background: white; border: 1px solid #92a8da; }"));
    edtPW->setEchoMode(QLineEdit::Password);
    // Qt 6 leaves the input method on for password fields: a method would see, keep and
    // suggest the password.
    edtPW->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtPW->setInputMethodHints(edtPW->inputMethodHints() | Qt::ImhHiddenText | Qt::ImhSensitiveData
                               | Qt::ImhNoPredictiveText);
    edtPW->setGeometry(58, 60, 102, 21);
    edtPW->installEventFilter(this);

    const QFont song = PixelFont(QStringLiteral("宋体"), 12);
    const QString flat = QStringLiteral(
        "QPushButton { background: #f4f7fe; border: 1px solid #99a8ce; color: #1e2f5a; }"
        "QPushButton:hover { background: #ffffff; border-color: #5b82d6; }"
        "QPushButton:pressed { background: #d4e0fa; }");
    auto button = [&](const QString &caption, int x, int w) {
        auto *b = new QPushButton(caption, pnlRight);
        b->setFont(song);
        b->setFlat(true);
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(flat);
        b->setGeometry(x, 94, w, 22);
        return b;
    };
    spdOK = button(QStringLiteral("确定"), 8, 44);
    spdCancel = button(QStringLiteral("取消"), 58, 44);
    spdForget = button(QStringLiteral("忘记密码"), 108, 56);

    connect(spdOK, &QPushButton::clicked, this, &TLockLogin::spdOKClick);
    connect(spdCancel, &QPushButton::clicked, this, &TLockLogin::spdCancelClick);
    // "忘记密码" has no action.

    dragBy({imgLeft, imgHeader, pnlRight});

    setTabOrder(edtPW, spdOK);
    setTabOrder(spdOK, spdCancel);
    setTabOrder(spdCancel, spdForget);
    edtPW->setFocus();

    FormCreate();
}

void TLockLogin::FormCreate()
{
    LoginUnlocked = false;
}

void TLockLogin::showEvent(QShowEvent *e)
{
    TBorderlessDialog::showEvent(e);
    if (e->spontaneous())
        return; // restored from minimised: not a new showing
    edtPW->setFocus();
}

void TLockLogin::spdOKClick()
{
    QString line0;
    if (loginfile::ReadLine0(line0) != settings::Status::Ok) {
        // The file went away under us: refuse, which ends the program.
        LoginUnlocked = false;
        reject();
        return;
    }
    // The password was removed meanwhile: nothing is locked any more, so let the user in
    // rather than keep a window whose 确定 then does nothing.
    if (loginfile::IsNoPassword(line0) || edtPW->text() == line0) {
        LoginUnlocked = true;
        accept();
        return;
    }
    dialogs::ShowMessage(QStringLiteral("密码不正确,请重新输入登录密码!"), this, QStringLiteral("登陆提示"));
    edtPW->clear();
    edtPW->setFocus();
}

void TLockLogin::spdCancelClick()
{
    LoginUnlocked = false;
    reject();
}

bool TLockLogin::edtPWKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    spdOKClick();
    return true;
}

bool TLockLogin::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == edtPW && e->type() == QEvent::KeyPress)
        return edtPWKeyDown(static_cast<QKeyEvent *>(e)->key());
    return QDialog::eventFilter(watched, e);
}

bool CheckLoginLock(QWidget *mainWindow)
{
    const settings::Lines file = loginfile::Read();
    QString line0;
    if (file.text(0, line0) != settings::Status::Ok)
        return true;
    if (loginfile::IsNoPassword(line0))
        return true;
    TLockLogin lock(mainWindow);
    // A password that cannot be typed would lock the user out with no word of why.
    if (loginfile::LooksDamaged(file))
        dialogs::ShowMessage(loginfile::DamagedNotice(), mainWindow, QStringLiteral("登陆提示"));
    lock.exec();
    return LoginUnlocked;
}
