// A later start hands the running program the activation token it was started with, so
// that a compositor may let the running window take the focus.
#include "SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(SingleInstance, ALaterStartPassesOnItsActivationToken)
{
    QTemporaryDir runtime, folder;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTmp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("TMPDIR", runtime.path().toLocal8Bit());
    {
        TSingleInstance first(folder.path());
        ASSERT_TRUE(first.claim());
        QSignalSpy asked(&first, &TSingleInstance::activationRequested);
        // A token as a launcher gives it, and none at all.
        for (const QString &token : {QStringLiteral("sway-activation-7f3a_1234"), QString()}) {
            TSingleInstance later(folder.path());
            EXPECT_FALSE(later.claim(token));
            ASSERT_TRUE(asked.wait(3000)) << token.toStdString();
            EXPECT_EQ(asked.takeFirst().value(0).toString(), token);
        }
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("TMPDIR", oldTmp);
}
