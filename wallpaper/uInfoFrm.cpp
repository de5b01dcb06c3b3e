#include "uInfoFrm.h"

#include "ConfigSetBgFile.h"
#include "Dialogs.h"
#include "PixelFont.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

bool AskBeforeApply = true;
bool ApplyConfirmed = false;
QPointer<TInforFrm> InforFrm;

bool ReadApplyConfirmation(QString &error)
{
    AskBeforeApply = true;
    ApplyConfirmed = false;
    int ask = 0;
    const settings::Status s = configsetbgfile::ReadAsk(ask);
    if (s == settings::Status::NoFile) {
        if (!configsetbgfile::WriteAsk(true)) {
            error = QStringLiteral("无法写入文件 %1").arg(configsetbgfile::Path());
            return false;
        }
        return true;
    }
    if (s != settings::Status::Ok) {
        error = settings::Describe(s, configsetbgfile::Path(), 0);
        return false;
    }
    AskBeforeApply = ask > 0;
    return true;
}

TInforFrm::TInforFrm(QWidget *owner) : TBorderlessDialog(owner, 344, 156)
{
    dragBy({this});
    setObjectName(QStringLiteral("InforFrm"));
    setWindowTitle(QStringLiteral("更换壁纸"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    imgQuestion = new QLabel(this);
    imgQuestion->setPixmap(QPixmap(QStringLiteral(":/wallpaper/question.png")));
    imgQuestion->setGeometry(28, 34, 48, 48);

    lblQuestion = new QLabel(QStringLiteral("您确定要更换壁纸？"), this);
    lblQuestion->setFont(winkit::PixelFont(QStringLiteral("宋体"), 14, true));
    lblQuestion->setGeometry(92, 48, 220, 22);

    chkNoAsk = new QCheckBox(QStringLiteral("下次不再提示"), this);
    chkNoAsk->setFont(winkit::PixelFont(QStringLiteral("宋体"), 12));
    chkNoAsk->setGeometry(24, 116, 110, 22);

    btnOk = new QPushButton(QStringLiteral("确  定"), this);
    btnOk->setGeometry(160, 113, 76, 26);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取  消"), this);
    btnCancel->setGeometry(248, 113, 76, 26);

    btnX = new QToolButton(this);
    btnX->setText(QStringLiteral("X"));
    btnX->setAutoRaise(true);
    btnX->setCursor(Qt::PointingHandCursor);
    btnX->setGeometry(318, 4, 22, 20);

    connect(btnOk, &QPushButton::clicked, this, &TInforFrm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TInforFrm::btnCancelClick);
    connect(btnX, &QToolButton::clicked, this, &TInforFrm::btnCancelClick);
}

void TInforFrm::btnOkClick()
{
    if (chkNoAsk->isChecked()) {
        AskBeforeApply = false;
        ApplyConfirmed = true;
        if (!configsetbgfile::WriteAsk(false))
            dialogs::ShowError(QStringLiteral("无法写入文件 %1").arg(configsetbgfile::Path()), this);
    } else {
        ApplyConfirmed = true;
    }
    accept();
}

void TInforFrm::btnCancelClick()
{
    ApplyConfirmed = false;
    reject();
}

void TInforFrm::paintEvent(QPaintEvent *e)
{
    TBorderlessDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(QColor(216, 227, 243));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TInforFrm *CreateInforFrm(QWidget *owner)
{
    if (!InforFrm)
        InforFrm = new TInforFrm(owner);
    return InforFrm;
}
