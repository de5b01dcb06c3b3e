#include "MainHooks.h"

#include "NoteBox.h"
#include "loginLock.h"
#include "uMain.h"
#include "uSearchTxt.h"
#include "untPWSet.h"

namespace hooks {

void ResetPictureState() {}

bool CheckLoginLock(TMainFrm &frm) { return ::CheckLoginLock(&frm); }

bool ReadApplyConfirmation(QString &) { return true; }

void LoadPicList() {}

void ApplyTransMode(TMainFrm &frm)
{
    for (TNoteBox *box : frm.redt)
        box->SetBackground(QColor(247, 247, 247));
}

void AppToDesk(TMainFrm &) {}
void AddToDesk(TMainFrm &) {}
void PasswordSettings(TMainFrm &frm) { ::N7Click(&frm); }
void TransparencySettings(TMainFrm &) {}
void SearchKeyword(TMainFrm &frm) { ::N_SearcheClick(&frm); }
void CreateSecondaryWindows(TMainFrm &frm)
{
    // In their fixed order; windows that are never shown are not made at all.
    pwsetFrm = new TpwsetFrm(&frm);
    SearchTxtFrm = new TSearchTxtFrm(&frm);
}

} // namespace hooks
