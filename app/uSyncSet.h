#pragma once
// The sync settings window (同步设置): the server's address, the user name and the
// password, a 测试连接 that finds the calendar without changing anything, and 立即同步.
// The address and user name go to Data/Sync.ini, the password to the keyring.
#include "SyncFile.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSyncMain;

class TSyncSetFrm : public QDialog {
    Q_OBJECT
public:
    TSyncSetFrm(TSyncMain *sync, QWidget *parent = nullptr);

    QLineEdit *edtSyncAddress = nullptr;
    QLineEdit *edtSyncUser = nullptr;
    QLineEdit *edtSyncPassword = nullptr;
    QCheckBox *chkPlainHttp = nullptr;
    QPushButton *btnSyncTest = nullptr;
    QPushButton *btnSyncNow = nullptr;
    QPushButton *btnSyncOk = nullptr;
    QLabel *lblSyncResult = nullptr;

    void btnSyncTestClick();
    void btnSyncNowClick();
    // Keeps what the window shows; false (with the reason shown) when it cannot be written.
    bool Save();

private:
    TSyncMain *m_sync;
    syncfile::Settings m_settings;
};
