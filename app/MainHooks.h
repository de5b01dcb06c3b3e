#pragma once
// Where the main window meets the wallpaper, lock and search subsystems: one small
// function each, so that the window's own code stays about the window.
#include <QString>

class TMainFrm;

namespace hooks {

// Creation steps of the picture state: no current picture, an empty picture list.
void ResetPictureState();
// False when a start-up password is set and was not given: the program ends.
bool CheckLoginLock(TMainFrm &frm);
// Reads Data/configSetBg.ini (creating it when missing); false with a message when a line is bad.
bool ReadApplyConfirmation(QString &error);
void LoadPicList();
// Show step: the transparency mode colours the six boxes.
void ApplyTransMode(TMainFrm &frm);

void AppToDesk(TMainFrm &frm);
void AddToDesk(TMainFrm &frm);
void PasswordSettings(TMainFrm &frm);
void TransparencySettings(TMainFrm &frm);
void SearchKeyword(TMainFrm &frm);

} // namespace hooks
