#include "MainHooks.h"

#include "Dialogs.h"
#include "NoteBox.h"
#include "WallpaperApply.h"
#include "loginLock.h"
#include "uInfoFrm.h"
#include "uMain.h"
#include "uPicSel.h"
#include "uSearchTxt.h"
#include "uSetTrans.h"
#include "untPWSet.h"

namespace hooks {
namespace {
QList<QTextEdit *> boxesOf(TMainFrm &frm)
{
    QList<QTextEdit *> boxes;
    for (TNoteBox *b : frm.redt)
        boxes << b;
    return boxes;
}
} // namespace

void ResetPictureState() { ::ResetPictureState(); }

bool CheckLoginLock(TMainFrm &frm) { return ::CheckLoginLock(&frm); }

bool ReadApplyConfirmation(QString &error) { return ::ReadApplyConfirmation(error); }

void LoadPicList() { ::LoadPicList(false); }

void ApplyTransMode(TMainFrm &frm)
{
    QString error;
    if (!::LoadTransMode(&error)) {
        dialogs::ShowError(error, &frm);
        return;
    }
    ::RecolourBoxes(boxesOf(frm));
}

void AppToDesk(TMainFrm &frm) { ::ApplyWeekToDesktop(&frm, frm.pnlRight); }

void AddToDesk(TMainFrm &frm) { ::imgAddToDeskClick(&frm); }

void PasswordSettings(TMainFrm &frm) { ::N7Click(&frm); }

void TransparencySettings(TMainFrm &frm) { ::N_BgTransparentClick(&frm, boxesOf(frm)); }

void SearchKeyword(TMainFrm &frm) { ::N_SearcheClick(&frm); }

} // namespace hooks
