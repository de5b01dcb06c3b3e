#include "uSetTrans.h"

#include "Dialogs.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "SetTransFile.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

int TransMode = 1;
QPointer<TSetTransFrm> SetTransFrm;

bool LoadTransMode(QString *error)
{
    const settings::Status s = settransfile::ReadMode(TransMode);
    if (s == settings::Status::NoFile) {
        TransMode = settransfile::FullTransparency;
        if (!settransfile::WriteMode(TransMode)) {
            if (error)
                *error = QStringLiteral("无法写入文件 %1").arg(settransfile::Path());
            return false;
        }
        return true;
    }
    if (s != settings::Status::Ok) {
        if (error)
            *error = settings::Describe(s, settransfile::Path(), 0);
        return false;
    }
    return true;
}

bool SaveTransMode(int mode)
{
    TransMode = mode;
    return settransfile::WriteMode(mode);
}

QColor TransBoxColour(int mode)
{
    return mode == 1 ? QApplication::palette().color(QPalette::Active, QPalette::Base) : QColor(247, 247, 247);
}

void SetBoxColour(QTextEdit *box, const QColor &colour)
{
    QPalette pal = box->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(g, QPalette::Base, colour);
    box->setPalette(pal);
    box->viewport()->setPalette(pal);
}

void RecolourBoxes(const QList<QTextEdit *> &boxes)
{
    const QColor colour = TransBoxColour();
    for (QTextEdit *box : boxes)
        if (box)
            SetBoxColour(box, colour);
}

TSetTransFrm::TSetTransFrm(QWidget *owner) : TBorderlessDialog(owner, 376, 170)
{
    dragBy({this});
    setObjectName(QStringLiteral("SetTransFrm"));
    setWindowTitle(QStringLiteral("背景透明度调节"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    const QString yahei = QStringLiteral("微软雅黑");
    lblTitle = new QLabel(QStringLiteral("背景透明度调节"), this);
    lblTitle->setFont(winkit::PixelFont(yahei, 15));
    lblTitle->setGeometry(16, 10, 200, 24);

    imgClose = new TCloseButton(this);
    imgClose->move(width() - imgClose->width() - 4, 4);
    connect(imgClose, &TCloseButton::clicked, this, &QDialog::reject);

    rbFull = new QRadioButton(QStringLiteral(" 全透明效果"), this);
    rbFull->setFont(winkit::PixelFont(yahei, 16));
    rbFull->setGeometry(20, 48, 116, 28);
    lblFullNote = new QLabel(QStringLiteral("（适合较淡壁纸，蓝天白云等）"), this);
    lblFullNote->setFont(winkit::PixelFont(yahei, 15));
    lblFullNote->setStyleSheet(QStringLiteral("color: blue;"));
    lblFullNote->setGeometry(136, 50, 234, 24);

    rbHalf = new QRadioButton(QStringLiteral(" 半透明效果  "), this);
    rbHalf->setFont(winkit::PixelFont(yahei, 16));
    rbHalf->setGeometry(20, 84, 116, 28);
    lblHalfNote = new QLabel(QStringLiteral("（适合各种壁纸颜色）"), this);
    lblHalfNote->setFont(winkit::PixelFont(yahei, 15));
    lblHalfNote->setStyleSheet(QStringLiteral("color: blue;"));
    lblHalfNote->setGeometry(136, 86, 234, 24);

    btnOk = new QPushButton(QStringLiteral("确  定"), this);
    btnOk->setGeometry(196, 128, 76, 28);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取  消"), this);
    btnCancel->setGeometry(284, 128, 76, 28);

    connect(btnOk, &QPushButton::clicked, this, &TSetTransFrm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TSetTransFrm::showEvent(QShowEvent *e)
{
    FormShow();
    TBorderlessDialog::showEvent(e);
}

void TSetTransFrm::FormShow()
{
    if (TransMode == 1)
        rbFull->setChecked(true);
    else
        rbHalf->setChecked(true);
}

void TSetTransFrm::btnOkClick()
{
    if (!SaveTransMode(rbHalf->isChecked() ? 0 : 1)) {
        dialogs::ShowError(QStringLiteral("无法写入文件 %1").arg(settransfile::Path()), this);
        return;
    }
    accept();
}

void TSetTransFrm::paintEvent(QPaintEvent *e)
{
    TBorderlessDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

TSetTransFrm *CreateSetTransFrm(QWidget *owner)
{
    if (!SetTransFrm)
        SetTransFrm = new TSetTransFrm(owner);
    return SetTransFrm;
}

void N_BgTransparentClick(QWidget *mainWindow, const QList<QTextEdit *> &boxes)
{
    CreateSetTransFrm(mainWindow)->exec();
    RecolourBoxes(boxes);
}
