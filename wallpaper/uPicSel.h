#pragma once
// The list of background pictures (Data/BGPicList.ini) and the window that keeps it.
#include "Frame.h"

#include <QPointer>
#include <QString>

#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class TCloseButton;
class TImage;

struct TPicBGList {
    int Index = 0;    // the line number
    QString FileName; // the text of the line
};

// One entry per line of the list file, line 0 (the current picture) included.
extern std::vector<TPicBGList> PicBGList;
extern int PicCount;
// Line 0: the picture last chosen in the picture window.
extern QString CurrentPicName;
// Position in PicBGList of the background for the next apply.
extern int PicIndex;

// The main window's creation: no current picture, an empty list.
void ResetPictureState();
// Reads the list file into the globals. PicIndex becomes the last line holding the current
// name when `chosen`, the last line otherwise. A missing file is created with "A1.bmp"
// twice; a file that cannot be read (or an empty one) leaves what was set before. False
// only when the missing file could not be created.
bool LoadPicList(bool chosen);

class TPicSelFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    explicit TPicSelFrm(QWidget *owner = nullptr);

    // The window's own copy of the current picture's name.
    QString CurPicName;

    TImage *imgBG = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblTitle = nullptr;
    QFrame *shpList = nullptr;
    QListWidget *LVpic = nullptr;
    QLabel *lblHint = nullptr;
    QPushButton *btnRemove = nullptr; // "移  除"
    QPushButton *btnAdd = nullptr;    // "添  加"
    QPushButton *btnOk = nullptr;     // "确  定"
    TCloseButton *imgClose = nullptr;

    // The open dialog's filter: one entry, as the platform's own dialog takes it.
    static QString OpenFilter();

public slots:
    void FormShow();
    void btnAddClick();
    void btnRemoveClick();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *e) override;

private:
    QStringList rowCaptions() const;
    int firstSelectedRow() const;
    bool writeList();
};

extern QPointer<TPicSelFrm> PicSelFrm;
TPicSelFrm *CreatePicSelFrm(QWidget *owner);

// The main window's imgAddToDesk: runs the picture window, then reloads the list so that
// the rotation starts at a newly chosen picture.
void imgAddToDeskClick(QWidget *mainWindow);
