#include "untPWSet.h"

#include "Dialogs.h"
#include "LoginFile.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "TImage.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>

TpwsetFrm *pwsetFrm = nullptr;

namespace {

QLineEdit *passwordField(QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    // A pasted line break would split the password over the file's lines and lock the
    // user out; such a paste is refused.
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^\\r\\n]*")), e));
    e->setStyleSheet(QStringLiteral(
        "QLineEdit { lineedit-password-character: 42; background: white; border: 1px solid #98a8b6; }"
        "QLineEdit:focus { border-color: #4d7fd6; }"));
    // After the style sheet, which gives the password character.
    e->setEchoMode(QLineEdit::Password);
    // Qt 6 leaves the input method on for password fields: a method would see, keep and
    // suggest the password.
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    e->setInputMethodHints(e->inputMethodHints() | Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    return e;
}

} // namespace

TpwsetFrm::TpwsetFrm(QWidget *mainWindow) : TBorderlessDialog(mainWindow, 442, 222)
{
    setWindowTitle(QStringLiteral("登录密码设置"));

    shpFrame = new TShape(this, Qt::white, QColor(152, 168, 182));
    shpFrame->setGeometry(0, 0, 442, 222);

    imgBG = new TImage(shpFrame, QStringLiteral(":/lock/pwset_bg.png"));
    imgBG->setGeometry(1, 37, 440, 184);
    imgTitle = new TImage(shpFrame, QStringLiteral(":/lock/pwset_title.png"));
    imgTitle->setGeometry(1, 1, 440, 36);

    lblTitle = new QLabel(QStringLiteral("登录密码设置"), shpFrame);
    lblTitle->setFont(winkit::PixelFont(QStringLiteral("Verdana"), 19));
    lblTitle->setStyleSheet(QStringLiteral("color: #1f3c74;"));
    lblTitle->setGeometry(42, 6, 240, 26);
    // The title text lies on the title picture and drags with it.
    lblTitle->setAttribute(Qt::WA_TransparentForMouseEvents);

    JvXPToolButton1 = new TCloseButton(shpFrame);
    JvXPToolButton1->setToolTip(QStringLiteral("关闭"));
    JvXPToolButton1->move(442 - 1 - JvXPToolButton1->width() - 3, 4);

    const QFont song = winkit::PixelFont(QStringLiteral("宋体"), 12);
    chkStartPW = new QCheckBox(QStringLiteral("启动登录密码"), shpFrame);
    chkStartPW->setFont(song);
    chkStartPW->setGeometry(70, 56, 200, 22);

    lblPW1 = new QLabel(QStringLiteral("请输入登录密码："), shpFrame);
    lblPW1->setFont(song);
    lblPW1->setGeometry(70, 95, 100, 18);
    lblPW2 = new QLabel(QStringLiteral("请再次输入密码："), shpFrame);
    lblPW2->setFont(song);
    lblPW2->setGeometry(70, 132, 100, 18);
    for (QLabel *l : {lblPW1, lblPW2}) {
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    edtPW1 = passwordField(shpFrame);
    edtPW1->setGeometry(174, 92, 180, 22);
    edtPW2 = passwordField(shpFrame);
    edtPW2->setGeometry(174, 129, 180, 22);

    JvXPButton1 = new QPushButton(QStringLiteral("应   用"), shpFrame);
    JvXPButton1->setFont(song);
    JvXPButton1->setAutoDefault(false);
    JvXPButton1->setCursor(Qt::PointingHandCursor);
    JvXPButton1->setStyleSheet(QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dfe8f7);"
        " border: 1px solid #8aa0c8; border-radius: 3px; color: #1f3c74; }"
        "QPushButton:hover { border-color: #4d7fd6; }"
        "QPushButton:pressed { background: #cfdcf3; }"));
    JvXPButton1->setGeometry(442 - 16 - 84, 222 - 14 - 26, 84, 26);

    connect(JvXPButton1, &QPushButton::clicked, this, &TpwsetFrm::JvXPButton1Click);
    connect(JvXPToolButton1, &TCloseButton::clicked, this, &TpwsetFrm::JvXPToolButton1Click);

    dragBy({shpFrame, imgTitle, imgBG});

    setTabOrder(chkStartPW, edtPW1);
    setTabOrder(edtPW1, edtPW2);
    setTabOrder(edtPW2, JvXPButton1);
}

void TpwsetFrm::showEvent(QShowEvent *e)
{
    TBorderlessDialog::showEvent(e);
    if (e->spontaneous())
        return; // restored from minimised: not a new showing
    FormShow();
}

void TpwsetFrm::FormShow()
{
    // Ticks the box when a password is set; never unticks it, and leaves both fields as
    // they were left in this run.
    const settings::Lines file = loginfile::Read();
    QString state;
    const settings::Status s = file.text(2, state);
    // No file yet means no password, as at start-up: nothing to tick, nothing to report.
    if (s == settings::Status::NoFile)
        return;
    if (s != settings::Status::Ok) {
        dialogs::ShowError(settings::Describe(s, loginfile::Path(), 2), this);
        return;
    }
    if (state == QLatin1String("-1"))
        chkStartPW->setChecked(true);
}

void TpwsetFrm::JvXPButton1Click()
{
    const auto writeFailed = [this] {
        dialogs::ShowError(
            QStringLiteral("无法写入文件 %1").arg(QFileInfo(loginfile::Path()).fileName()), this);
    };
    if (!chkStartPW->isChecked()) {
        if (!loginfile::WriteNoPassword()) {
            writeFailed();
            return;
        }
        dialogs::ShowMessage(QStringLiteral("取消密码成功!"), this, QStringLiteral("提示"));
        accept();
        return;
    }
    if (edtPW1->text().isEmpty()) {
        dialogs::ShowMessage(QStringLiteral("请输入登录密码!"), this);
        edtPW1->setFocus();
        return;
    }
    if (edtPW2->text().isEmpty()) {
        dialogs::ShowMessage(QStringLiteral("请再次输入登录密码!"), this);
        edtPW2->setFocus();
        return;
    }
    if (edtPW1->text() != edtPW2->text()) {
        dialogs::ShowMessage(QStringLiteral("两次输入的密码不一致!"), this);
        return;
    }
    // The file's own no-password mark would lock nothing while reporting success.
    if (loginfile::IsNoPassword(edtPW1->text())) {
        dialogs::ShowMessage(QStringLiteral("该密码为程序保留，不能用作登录密码，请换一个!"), this);
        edtPW1->setFocus();
        return;
    }
    if (!loginfile::WritePassword(edtPW1->text(), edtPW2->text())) {
        writeFailed();
        return;
    }
    dialogs::ShowMessage(QStringLiteral("设置登录密码成功!"), this, QStringLiteral("提示"));
    accept();
}

void TpwsetFrm::JvXPToolButton1Click()
{
    reject();
}

void N7Click(QWidget *mainWindow)
{
    if (!pwsetFrm)
        pwsetFrm = new TpwsetFrm(mainWindow);
    pwsetFrm->exec();
}
