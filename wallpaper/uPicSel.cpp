#include "uPicSel.h"

#include "Dialogs.h"
#include "PicListFile.h"
#include "PictureButton.h"
#include "PictureFiles.h"
#include "PixelFont.h"
#include "ProgramFolder.h"
#include "TImage.h"
#include "uDeskBGSet.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

std::vector<TPicBGList> PicBGList;
int PicCount = 0;
QString CurrentPicName;
int PicIndex = 0;
QPointer<TPicSelFrm> PicSelFrm;

void ResetPictureState()
{
    CurrentPicName.clear();
    PicCount = 0;
    PicBGList.clear();
}

bool LoadPicList(bool chosen)
{
    PicCount = 0;
    const settings::Lines file = piclistfile::Read();
    if (file.status == settings::Status::NoFile) {
        const QString a1 = QLatin1String(piclistfile::DefaultPicName);
        const bool written = piclistfile::WriteDefault();
        CurrentPicName = a1;
        PicCount = 2;
        PicBGList = {{0, a1}, {1, a1}};
        PicIndex = 0;
        return written;
    }
    QString first;
    if (file.text(0, first) != settings::Status::Ok)
        return true; // unreadable or empty: the list stays as it was
    CurrentPicName = first;
    PicCount = int(file.lines.size());
    PicBGList.assign(size_t(PicCount), {});
    for (int i = 0; i < PicCount; ++i) {
        PicBGList[size_t(i)] = {i, file.lines[i]};
        if (file.lines[i] == CurrentPicName)
            PicIndex = chosen ? i : PicCount - 1;
    }
    return true;
}

// ---- the picture window ----------------------------------------------------------

TPicSelFrm::TPicSelFrm(QWidget *owner) : TBorderlessDialog(owner, 524, 286)
{
    dragBy({this});
    setObjectName(QStringLiteral("PicSelFrm"));
    setWindowTitle(QStringLiteral("壁纸图片"));

    imgBG = new TImage(this, QStringLiteral(":/wallpaper/picsel_bg.png"), true);
    imgBG->setGeometry(rect());
    // Presses on the pictures reach the window, which drags itself.
    imgBG->setAttribute(Qt::WA_TransparentForMouseEvents);

    imgLogo = new QLabel(this);
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/wallpaper/picsel_logo.png")));
    imgLogo->setGeometry(12, 6, 32, 28);
    imgLogo->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblTitle = new QLabel(QStringLiteral("壁纸图片"), this);
    lblTitle->setFont(winkit::PixelFont(QStringLiteral("微软雅黑"), 14, true));
    lblTitle->setStyleSheet(QStringLiteral("color: rgb(40, 70, 110);"));
    lblTitle->setGeometry(50, 9, 200, 22);
    lblTitle->setAttribute(Qt::WA_TransparentForMouseEvents);

    imgClose = new TCloseButton(this);
    imgClose->move(width() - imgClose->width() - 6, 6);
    connect(imgClose, &TCloseButton::clicked, this, &QDialog::reject);

    shpList = new QFrame(this);
    shpList->setGeometry(16, 52, 310, 184);
    shpList->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(64, 128, 128); background: white; }"));
    LVpic = new QListWidget(this);
    LVpic->setObjectName(QStringLiteral("LVpic"));
    LVpic->setGeometry(17, 53, 308, 182);
    LVpic->setFrameShape(QFrame::NoFrame);
    LVpic->setFont(winkit::PixelFont(QStringLiteral("宋体"), 12));
    LVpic->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LVpic->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVpic->setEditTriggers(QAbstractItemView::NoEditTriggers);

    lblHint = new QLabel(QStringLiteral("注：可添加多个壁纸大 小1024*768以上\n图像格式：\nBMP,JPG"), this);
    lblHint->setFont(winkit::PixelFont(QStringLiteral("幼圆"), 15));
    lblHint->setWordWrap(true);
    lblHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblHint->setGeometry(342, 60, 170, 130);

    btnRemove = new QPushButton(QStringLiteral("移  除"), this);
    btnRemove->setGeometry(16, 246, 82, 28);
    btnAdd = new QPushButton(QStringLiteral("添  加"), this);
    btnAdd->setGeometry(110, 246, 82, 28);
    btnOk = new QPushButton(QStringLiteral("确  定"), this);
    btnOk->setGeometry(428, 246, 82, 28);
    for (QPushButton *b : {btnRemove, btnAdd, btnOk}) {
        b->setAutoDefault(false);
        b->setCursor(Qt::PointingHandCursor);
    }

    connect(btnRemove, &QPushButton::clicked, this, &TPicSelFrm::btnRemoveClick);
    connect(btnAdd, &QPushButton::clicked, this, &TPicSelFrm::btnAddClick);
    connect(btnOk, &QPushButton::clicked, this, &TPicSelFrm::btnOkClick);
}

QString TPicSelFrm::OpenFilter() { return QStringLiteral("All(*.bmp;*.ico,*.Jpg;*.PNG;*.JPEG;*.Gif;)"); }

void TPicSelFrm::showEvent(QShowEvent *e)
{
    FormShow();
    TBorderlessDialog::showEvent(e);
}

void TPicSelFrm::FormShow()
{
    const settings::Lines file = piclistfile::Read();
    if (file.status == settings::Status::NoFile) {
        const QString a1 = QLatin1String(piclistfile::DefaultPicName);
        piclistfile::WriteDefault();
        CurPicName = a1;
        LVpic->clear();
        LVpic->addItem(a1);
        return;
    }
    QString first;
    if (file.text(0, first) != settings::Status::Ok)
        return; // the rows shown before stay
    CurPicName = first;
    LVpic->clear();
    for (qsizetype i = 1; i < file.lines.size(); ++i)
        LVpic->addItem(file.lines[i]);
}

QStringList TPicSelFrm::rowCaptions() const
{
    QStringList out;
    for (int i = 0; i < LVpic->count(); ++i)
        out << LVpic->item(i)->text();
    return out;
}

int TPicSelFrm::firstSelectedRow() const
{
    for (int i = 0; i < LVpic->count(); ++i)
        if (LVpic->item(i)->isSelected())
            return i;
    return -1;
}

bool TPicSelFrm::writeList() { return piclistfile::Write(CurPicName, rowCaptions()); }

void TPicSelFrm::btnAddClick()
{
    const QStringList chosen = dialogs::GetOpenFileNames(this, QStringLiteral("打开"), QString(), OpenFilter());
    // The apply rewrites its own pictures: a background under one of their names would be lost.
    const QStringList reserved = {QLatin1String(ContentPictureName), QLatin1String(MixPictureName),
                                  QLatin1String(MixJpegName)};
    for (const QString &source : chosen) {
        const QString bmp = pictures::AddPicture(source, PictureDir(), reserved);
        if (bmp.isEmpty())
            continue;
        LVpic->addItem(bmp);
        writeList();
    }
}

void TPicSelFrm::btnRemoveClick()
{
    const int first = firstSelectedRow();
    if (first < 0)
        return;
    const QString caption = LVpic->item(first)->text();
    if (caption == CurPicName)
        CurPicName = QLatin1String(piclistfile::DefaultPicName);
    if (caption != QLatin1String(piclistfile::DefaultPicName)) {
        for (int i = LVpic->count() - 1; i >= 0; --i)
            if (LVpic->item(i)->isSelected())
                delete LVpic->takeItem(i);
    }
    if (!writeList())
        dialogs::ShowError(QStringLiteral("无法写入文件 %1").arg(piclistfile::Path()), this);
}

void TPicSelFrm::btnOkClick()
{
    const int first = firstSelectedRow();
    if (first < 0 || LVpic->item(first)->text() == CurPicName) {
        accept();
        return;
    }
    const QString before = CurPicName;
    CurPicName = LVpic->item(first)->text();
    if (!writeList()) {
        CurPicName = before;
        dialogs::ShowError(QStringLiteral("无法写入文件 %1").arg(piclistfile::Path()), this);
        return;
    }
    accept();
}

TPicSelFrm *CreatePicSelFrm(QWidget *owner)
{
    if (!PicSelFrm)
        PicSelFrm = new TPicSelFrm(owner);
    return PicSelFrm;
}

void imgAddToDeskClick(QWidget *mainWindow)
{
    TPicSelFrm *frm = CreatePicSelFrm(mainWindow);
    frm->CurPicName = CurrentPicName;
    frm->exec();
    if (frm->CurPicName == CurrentPicName) {
        LoadPicList(false);
    } else {
        CurrentPicName = frm->CurPicName;
        LoadPicList(true);
    }
}
