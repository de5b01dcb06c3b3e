#include "uSearchTxt.h"

#include "PictureButton.h"
#include "PixelFont.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

std::vector<tdt::TDateTime> SearchDates;
std::int32_t SearchPos = -1;
TSearchTxtFrm *SearchTxtFrm = nullptr;

using winkit::PixelFont;

TSearchTxtFrm::TSearchTxtFrm(QWidget *mainWindow) : TBorderlessDialog(mainWindow, 564, 179)
{
    setWindowTitle(QStringLiteral("查找"));

    shpFrame = new TShape(this, QColor(247, 247, 247), QColor(128, 128, 128));
    shpFrame->setGeometry(0, 0, 564, 179);

    lblTitle = new QLabel(QStringLiteral("查找"), shpFrame);
    lblTitle->setFont(PixelFont(QStringLiteral("微软雅黑"), 14, true));
    lblTitle->setGeometry(16, 10, 120, 22);

    imgClose = new TCloseButton(shpFrame);
    imgClose->move(564 - 1 - imgClose->width() - 3, 4);

    const QFont song = PixelFont(QStringLiteral("宋体"), 12);
    lblKey = new QLabel(QStringLiteral("关键字："), shpFrame);
    lblKey->setFont(song);
    lblKey->setGeometry(40, 70, 60, 22);

    edtSearchKey = new QLineEdit(shpFrame);
    edtSearchKey->setFont(song);
    edtSearchKey->setStyleSheet(QStringLiteral(
        "QLineEdit { background: white; border: 1px solid #a0a0a0; padding: 0 3px; }"
        "QLineEdit:focus { border-color: #5a8ad6; }"));
    edtSearchKey->setGeometry(104, 68, 420, 26);

    const QString look = QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6e6e6);"
        " border: 1px solid #a0a0a0; border-radius: 3px; }"
        "QPushButton:hover { border-color: #5a8ad6; }"
        "QPushButton:pressed { background: #d8d8d8; }"
        "QPushButton:disabled { color: #a0a0a0; background: #f0f0f0; border-color: #c8c8c8; }");
    btnLast = new QPushButton(QStringLiteral("上一个"), shpFrame);
    btnqryNetxt = new QPushButton(QStringLiteral("查找下一个"), shpFrame);
    for (QPushButton *b : {btnLast, btnqryNetxt}) {
        b->setFont(song);
        b->setAutoDefault(false);
        b->setStyleSheet(look);
    }
    btnqryNetxt->setGeometry(564 - 40 - 90, 179 - 20 - 28, 90, 28);
    btnLast->setGeometry(564 - 40 - 90 - 10 - 80, 179 - 20 - 28, 80, 28);

    connect(btnqryNetxt, &QPushButton::clicked, this, &TSearchTxtFrm::btnqryNetxtClick);
    // "上一个" has no action yet.
    connect(imgClose, &TCloseButton::clicked, this, &TSearchTxtFrm::imgCloseClick);

    dragBy({shpFrame});
    FormCreate();
}

void TSearchTxtFrm::FormCreate()
{
    SearchPos = -1;
    SearchDates.clear();
}

void TSearchTxtFrm::showEvent(QShowEvent *e)
{
    TBorderlessDialog::showEvent(e);
    if (e->spontaneous())
        return; // restored from minimised: not a new showing
    FormShow();
}

void TSearchTxtFrm::FormShow()
{
    edtSearchKey->clear();
    btnLast->setEnabled(false);
    SearchPos = -1;
    SearchDates.clear();
    edtSearchKey->setFocus();
}

QString TSearchTxtFrm::btnqryNetxtClick()
{
    return edtSearchKey->text().trimmed();
}

void TSearchTxtFrm::imgCloseClick()
{
    close();
}

void N_SearcheClick(QWidget *mainWindow)
{
    if (!SearchTxtFrm)
        SearchTxtFrm = new TSearchTxtFrm(mainWindow);
    SearchTxtFrm->show();
    SearchTxtFrm->raise();
    SearchTxtFrm->activateWindow();
}
