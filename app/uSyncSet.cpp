#include "uSyncSet.h"

#include "CalDavClient.h"
#include "Dialogs.h"
#include "Keyring.h"
#include "SyncMain.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSyncSetFrm::TSyncSetFrm(TSyncMain *sync, QWidget *parent) : QDialog(parent), m_sync(sync)
{
    setObjectName(QStringLiteral("TSyncSetFrm"));
    setWindowTitle(QStringLiteral("同步设置"));
    syncfile::Read(m_settings);

    edtSyncAddress = new QLineEdit(m_settings.address, this);
    edtSyncAddress->setObjectName(QStringLiteral("edtSyncAddress"));
    edtSyncAddress->setPlaceholderText(QStringLiteral("https://服务器/…  日历或服务器的地址"));
    edtSyncAddress->setMinimumWidth(360);
    edtSyncUser = new QLineEdit(m_settings.user, this);
    edtSyncUser->setObjectName(QStringLiteral("edtSyncUser"));
    edtSyncPassword = new QLineEdit(this);
    edtSyncPassword->setObjectName(QStringLiteral("edtSyncPassword"));
    edtSyncPassword->setEchoMode(QLineEdit::Password);
    edtSyncPassword->setPlaceholderText(QStringLiteral("保存在系统钥匙环中"));
    chkPlainHttp = new QCheckBox(QStringLiteral("允许不加密的 http 连接到其他电脑"), this);
    chkPlainHttp->setObjectName(QStringLiteral("chkPlainHttp"));
    chkPlainHttp->setChecked(m_settings.plainHttp);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("服务器地址："), edtSyncAddress);
    form->addRow(QStringLiteral("用户名："), edtSyncUser);
    form->addRow(QStringLiteral("密码："), edtSyncPassword);
    form->addRow(QString(), chkPlainHttp);

    lblSyncResult = new QLabel(this);
    lblSyncResult->setObjectName(QStringLiteral("lblSyncResult"));
    lblSyncResult->setWordWrap(true);

    btnSyncTest = new QPushButton(QStringLiteral("测试连接"), this);
    btnSyncTest->setObjectName(QStringLiteral("btnSyncTest"));
    btnSyncNow = new QPushButton(QStringLiteral("立即同步"), this);
    btnSyncNow->setObjectName(QStringLiteral("btnSyncNow"));
    btnSyncOk = new QPushButton(QStringLiteral("确定"), this);
    btnSyncOk->setObjectName(QStringLiteral("btnSyncOk"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnSyncTest);
    buttons->addWidget(btnSyncNow);
    buttons->addStretch();
    buttons->addWidget(btnSyncOk);

    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(lblSyncResult);
    all->addLayout(buttons);

    connect(btnSyncTest, &QPushButton::clicked, this, &TSyncSetFrm::btnSyncTestClick);
    connect(btnSyncNow, &QPushButton::clicked, this, &TSyncSetFrm::btnSyncNowClick);
    connect(btnSyncOk, &QPushButton::clicked, this, [this] {
        if (Save())
            accept();
    });
    if (m_sync)
        connect(m_sync, &TSyncMain::synced, this, [this](bool) {
            lblSyncResult->setText(QStringLiteral("同步已结束，结果见主窗口的状态栏。"));
        });
}

bool TSyncSetFrm::Save()
{
    const QString address = edtSyncAddress->text().trimmed();
    const QString user = edtSyncUser->text().trimmed();
    if (address != m_settings.address)
        m_settings.fingerprint.clear(); // a certificate accepted for another server counts for none
    m_settings.address = address;
    m_settings.user = user;
    m_settings.plainHttp = chkPlainHttp->isChecked();
    if (!syncfile::Write(m_settings)) {
        lblSyncResult->setText(QStringLiteral("同步设置文件写不进去，请检查 Data 文件夹能否写入。"));
        return false;
    }
    if (!edtSyncPassword->text().isEmpty() && !user.isEmpty()) {
        QString error;
        if (!keyring::WritePassword(user + QLatin1Char('@') + address, edtSyncPassword->text(), &error))
            lblSyncResult->setText(QStringLiteral("密码没能存入系统钥匙环（%1），本次运行仍会使用它。").arg(error));
        if (m_sync)
            m_sync->SetPassword(edtSyncPassword->text());
    }
    return true;
}

void TSyncSetFrm::btnSyncTestClick()
{
    const QUrl url = syncfile::AddressUrl(edtSyncAddress->text());
    if (!url.isValid() || url.host().isEmpty()) {
        lblSyncResult->setText(QStringLiteral("请填写服务器地址。"));
        return;
    }
    if (!TCalDavClient::SafeAddress(url, chkPlainHttp->isChecked())) {
        lblSyncResult->setText(QStringLiteral("不加密的 http 只用于本机；请改用 https://，或勾选“允许不加密的 http”。"));
        return;
    }
    lblSyncResult->setText(QStringLiteral("正在连接…"));
    btnSyncTest->setEnabled(false);
    for (int round = 0; round < 2; ++round) {
        TQtTransport transport(edtSyncUser->text().trimmed(), edtSyncPassword->text(), m_settings.fingerprint);
        transport.TimeoutMs = 15000;
        TCalDavClient dav(transport);
        const auto found = dav.Discover(url);
        if (found) {
            lblSyncResult->setText(QStringLiteral("连接成功：记事将同步到 %1").arg(found->toString()));
            break;
        }
        const TCalDavClient::Error &e = dav.LastError();
        if (e.kind == TCalDavClient::Error::Kind::Certificate && round == 0) {
            const int answer = dialogs::Ask(
                QStringLiteral("服务器的证书不受系统信任。\n证书指纹（SHA-256）：\n%1\n\n请与服务器管理员核对。确认信任这个证书吗？")
                    .arg(QString::fromLatin1(e.fingerprint)),
                {QStringLiteral("信任"), QStringLiteral("取消")}, this);
            if (answer == 0) {
                m_settings.fingerprint = e.fingerprint;
                continue;
            }
        }
        using K = TCalDavClient::Error::Kind;
        QString text;
        switch (e.kind) {
        case K::Auth:
            text = QStringLiteral("用户名或密码不对。");
            break;
        case K::Certificate:
            text = QStringLiteral("服务器证书不受信任，未连接。");
            break;
        case K::NotFound:
            text = QStringLiteral("服务器上找不到能存放记事的日历，请检查地址。");
            break;
        case K::Connect:
        case K::Timeout:
            text = QStringLiteral("连不上服务器，请检查地址和网络。");
            break;
        default:
            text = QStringLiteral("服务器的回答无法识别（HTTP %1），请检查地址。").arg(e.status);
        }
        lblSyncResult->setText(text);
        break;
    }
    btnSyncTest->setEnabled(true);
}

void TSyncSetFrm::btnSyncNowClick()
{
    if (!Save())
        return;
    lblSyncResult->setText(QStringLiteral("正在同步…"));
    if (m_sync)
        m_sync->SyncNow();
}
