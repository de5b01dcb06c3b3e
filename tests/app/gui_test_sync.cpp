// The sync in the real main window: the settings window reached through the options
// menu, its 测试连接 and 立即同步 against a Radicale started here, the status line, and a
// note of another machine arriving in the shown week (typed-into boxes keep both texts).
#include "../store/store_fixture.h"
#include "DavServers.h"

#include "ActionTable.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "Dialogs.h"
#include "Keyring.h"
#include "NoteBox.h"
#include "StatusLine.h"
#include "SyncFile.h"
#include "SyncMain.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"
#include "uSyncSet.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

using namespace synctest;

namespace {

bool WaitFor(const std::function<bool()> &done, int ms = 60000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        QTest::qWait(20);
    }
    return done();
}

TEST(SyncWindow, SettingsWindowSyncsTheShownWeekAndKeepsTypingSafe)
{
    QString why;
    auto server = DavServer::Start(ServerKind::Radicale, &why);
    if (!server)
        GTEST_SKIP() << why.toStdString();
    qunsetenv("TAVI_SYNC_PASSWORD");
    std::map<QString, QString> keyring;
    keyring::SetStore({[&](const QString &key, QString *) { return std::optional<QString>(keyring[key]); },
                       [&](const QString &key, const QString &pw, QString *) {
                           keyring[key] = pw;
                           return true;
                       }});
    platform::SetNow(tdt::EncodeDateTime(2026, 12, 8, 9, 0, 0)); // a Tuesday
    dialogs::SetScripted(true);

    // The other machine has notes for Monday and Tuesday of the shown week.
    Machine other(QStringLiteral("B"));
    other.SetUp(server->Address(), server->User());
    other.Write(QStringLiteral("20261207"), MakeNote(QStringLiteral("B 写的周一"), Qt::red));
    other.Write(QStringLiteral("20261208"), MakeNote(QStringLiteral("B 写的周二")));
    ASSERT_EQ(other.Sync(server->Password()).exitCode, 0);

    TempProgramDir home;
    TDM dm;
    DMMessageSink = nullptr;
    ASSERT_TRUE(dm.ConnectDatabase());
    DM = &dm;
    {
        TMainFrm frm;
        frm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
        TSyncMain *sync = frm.findChild<TSyncMain *>();
        ASSERT_NE(sync, nullptr);
        // Tuesday is typed into before the first sync: its box keeps both texts.
        frm.redt[1]->setFocus();
        QTest::keyClicks(frm.redt[1], QStringLiteral("A typed"));

        QAction *item = frm.actions().Find(QStringLiteral("N_SyncSet"));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QStringLiteral("同步设置…"));
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto *w = qobject_cast<TSyncSetFrm *>(QApplication::activeModalWidget());
            if (!w && !WaitFor([&] { return (w = qobject_cast<TSyncSetFrm *>(QApplication::activeModalWidget())); }, 5000))
                return;
            w->edtSyncAddress->setText(server->Address().toString());
            w->edtSyncUser->setText(QString::fromUtf8(server->User()));
            w->edtSyncPassword->setText(QStringLiteral("wrong"));
            QTest::mouseClick(w->btnSyncTest, Qt::LeftButton);
            EXPECT_TRUE(WaitFor([&] { return w->lblSyncResult->text().contains(QStringLiteral("密码")); }))
                << w->lblSyncResult->text().toStdString();
            w->edtSyncPassword->setText(QString::fromUtf8(server->Password()));
            QTest::mouseClick(w->btnSyncTest, Qt::LeftButton);
            EXPECT_TRUE(WaitFor([&] { return w->lblSyncResult->text().startsWith(QStringLiteral("连接成功")); }))
                << w->lblSyncResult->text().toStdString();
            QTest::mouseClick(w->btnSyncNow, Qt::LeftButton);
            EXPECT_TRUE(WaitFor([&] { return !sync->Running() && frm.lblStatus->Message(TStatusLine::SyncState).startsWith(QStringLiteral("已同步")); }))
                << frm.lblStatus->Message(TStatusLine::SyncState).toStdString();
            checked = true;
            QTest::mouseClick(w->btnSyncOk, Qt::LeftButton);
        });
        item->trigger();
        ASSERT_TRUE(checked);
        EXPECT_EQ(keyring[QStringLiteral("alice@") + server->Address().toString()], QStringLiteral("sesame"));
        // Monday arrives in its box; Tuesday's box holds both texts once the next sync settles.
        EXPECT_TRUE(WaitFor([&] { return frm.redt[0]->toPlainText() == QStringLiteral("B 写的周一"); }))
            << frm.redt[0]->toPlainText().toStdString();
        sync->SyncNow();
        EXPECT_TRUE(WaitFor([&] {
            const QString t = frm.redt[1]->toPlainText();
            return t.contains(QStringLiteral("A typed")) && t.contains(QStringLiteral("B 写的周二"));
        })) << frm.redt[1]->toPlainText().toStdString();
        EXPECT_TRUE(WaitFor([&] { return !sync->Running(); }));
        frm.close();
    }
    // What the window shows went to the other machine too.
    other.Sync(server->Password());
    const QString tuesday = other.Read()[QStringLiteral("20261208")].plain;
    EXPECT_TRUE(tuesday.contains(QStringLiteral("A typed")) && tuesday.contains(QStringLiteral("B 写的周二")))
        << tuesday.toStdString();
    DM = nullptr;
    keyring::SetStore({});
    platform::SetNow(std::nullopt);
    dialogs::SetScripted(false);
}

TEST(SyncWindow, AWeekSwitchedToWhileTheSyncWritesShowsWhatItWrote)
{
    QString why;
    auto server = DavServer::Start(ServerKind::Radicale, &why);
    if (!server)
        GTEST_SKIP() << why.toStdString();
    platform::SetNow(tdt::EncodeDateTime(2026, 12, 8, 9, 0, 0));
    dialogs::SetScripted(true);
    // The other machine wrote Tuesday of the next week.
    Machine other(QStringLiteral("B"));
    other.SetUp(server->Address(), server->User());
    other.Write(QStringLiteral("20261215"), MakeNote(QStringLiteral("B 写的下周二"), Qt::blue));
    ASSERT_EQ(other.Sync(server->Password()).exitCode, 0);

    TempProgramDir home;
    syncfile::Settings settings;
    settings.address = server->Address().toString();
    settings.user = QString::fromUtf8(server->User());
    ASSERT_TRUE(syncfile::Write(settings));
    qputenv("TAVI_SYNC_PASSWORD", server->Password());
    TDM dm;
    DMMessageSink = nullptr;
    ASSERT_TRUE(dm.ConnectDatabase());
    DM = &dm;
    {
        TMainFrm frm;
        frm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
        TSyncMain *sync = frm.findChild<TSyncMain *>();
        ASSERT_NE(sync, nullptr);
        // The sync takes this week as the shown one; the user moves on to the next at once,
        // before the sync has written that week's Tuesday.
        sync->SyncNow();
        ASSERT_TRUE(sync->Running());
        frm.chnRili->setDateTime(tdt::EncodeDateTime(2026, 12, 15, 9, 0, 0));
        EXPECT_TRUE(WaitFor([&] { return !sync->Running(); }));
        EXPECT_TRUE(WaitFor([&] { return frm.redt[1]->toPlainText() == QStringLiteral("B 写的下周二"); }, 5000))
            << frm.redt[1]->toPlainText().toStdString();
        // Typed after: the next sync carries the text with what was there.
        frm.redt[1]->setFocus();
        frm.redt[1]->moveCursor(QTextCursor::End);
        QTest::keyClicks(frm.redt[1], QStringLiteral(" A"));
        frm.redt[0]->setFocus();
        sync->SyncNow();
        EXPECT_TRUE(WaitFor([&] { return !sync->Running(); }));
        frm.close();
    }
    other.Sync(server->Password());
    EXPECT_EQ(other.Read()[QStringLiteral("20261215")].plain, QStringLiteral("B 写的下周二 A"));
    qunsetenv("TAVI_SYNC_PASSWORD");
    DM = nullptr;
    platform::SetNow(std::nullopt);
    dialogs::SetScripted(false);
}

} // namespace
