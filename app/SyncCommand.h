#pragma once
// Tavi --sync: one two-way sync of the program folder's notes, without a window.
// 0 with a one-line summary on standard output, 1 with a message on standard error on
// any failure, 2 when sync is not set up. Needs a QCoreApplication, no display.

namespace app {

inline constexpr int SyncNotSetUp = 2;
int RunSyncCommand();

} // namespace app
