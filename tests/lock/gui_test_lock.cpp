// The start-up check and the lock window, driven through the real window.
#include "lock_fixture.h"

#include "Dialogs.h"
#include "TImage.h"
#include "Frame.h"
#include "LoginFile.h"
#include "loginLock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const QString kWrong = QStringLiteral("密码不正确,请重新输入登录密码!");

TLockLogin *asLock(QWidget *w)
{
    auto *lock = qobject_cast<TLockLogin *>(w);
    EXPECT_NE(lock, nullptr) << "the modal window is not the lock window";
    return lock;
}

} // namespace

// --- when the lock window is not shown at all ----------------------------------

struct NoLockCase {
    const char *name;
    std::function<void(const QString &path)> prepare;
};

class NoLockTest : public LockTest, public ::testing::WithParamInterface<NoLockCase> {};

TEST_P(NoLockTest, StartsWithoutAsking)
{
    GetParam().prepare(loginPath());
    QWidget owner;
    ModalDriver driver([](QWidget *) {});
    EXPECT_TRUE(CheckLoginLock(&owner));
    EXPECT_EQ(driver.seen(), 0);
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, NoLockTest,
    ::testing::Values(
        NoLockCase{"Missing", [](const QString &) {}},
        NoLockCase{"Unreadable", [](const QString &p) { QDir().mkpath(p); }},
        NoLockCase{"Empty", [](const QString &p) { QFile f(p); f.open(QIODevice::WriteOnly); }},
        NoLockCase{"Marker",
                   [](const QString &p) {
                       QFile f(p);
                       f.open(QIODevice::WriteOnly);
                       f.write("QZKVT4817306\r\nQZKVT4817306\r\n0\r\n");
                   }},
        NoLockCase{"MarkerOnlyLine",
                   [](const QString &p) {
                       QFile f(p);
                       f.open(QIODevice::WriteOnly);
                       f.write("QZKVT4817306");
                   }}),
    [](const auto &info) { return std::string(info.param.name); });

// --- line 0 is compared whole and case-sensitively ------------------------------

struct LineCase {
    const char *name;
    QByteArray file;
    QString typed;
    bool unlocks;
};

class LineCompareTest : public LockTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineCompareTest, OkAgainstLineZero)
{
    writeLogin(GetParam().file);
    bool asked = false;
    ModalDriver driver([&](QWidget *w) {
        TLockLogin *lock = asLock(w);
        if (!lock)
            return;
        asked = true;
        TypeText(lock->edtPW, GetParam().typed);
        QTest::mouseClick(lock->spdOK, Qt::LeftButton);
        if (lock->isVisible())
            lock->spdCancelClick();
    });
    EXPECT_EQ(CheckLoginLock(nullptr), GetParam().unlocks);
    EXPECT_TRUE(asked);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineCompareTest,
    ::testing::Values(
        LineCase{"Exact", "Secret\r\nSecret\r\n-1\r\n", "Secret", true},
        LineCase{"LowerCase", "Secret\r\nSecret\r\n-1\r\n", "secret", false},
        LineCase{"UpperCase", "Secret\r\nSecret\r\n-1\r\n", "SECRET", false},
        LineCase{"Prefix", "Secret\r\nSecret\r\n-1\r\n", "Secre", false},
        LineCase{"Longer", "Secret\r\nSecret\r\n-1\r\n", "Secret1", false},
        LineCase{"TrailingBlanksInFile", "pass  \r\npass  \r\n-1\r\n", "pass", false},
        LineCase{"TrailingBlanksTyped", "pass  \r\npass  \r\n-1\r\n", "pass  ", true},
        LineCase{"LeadingBlankTyped", "pass\r\npass\r\n-1\r\n", " pass", false},
        LineCase{"OnlyLineZeroCounts", "first\r\nsecond\r\n-1\r\n", "second", false},
        LineCase{"LineOneNeverRead", "first\r\nsecond\r\n-1\r\n", "first", true},
        LineCase{"LineTwoNeverRead", "first\r\nfirst\r\n0\r\n", "first", true},
        LineCase{"OneLineFile", "solo", "solo", true},
        LineCase{"BareLineFeeds", "abc\nabc\n-1\n", "abc", true},
        LineCase{"LowerCaseMarkerIsAPassword", "qzkvt4817306\r\nqzkvt4817306\r\n-1\r\n", "qzkvt4817306", true},
        LineCase{"MarkerWithBlankIsAPassword", "QZKVT4817306 \r\nQZKVT4817306 \r\n-1\r\n", "QZKVT4817306", false},
        LineCase{"GbkChinese", QByteArray::fromHex("d6dcbcc7323031300d0ad6dcbcc7323031300d0a2d310d0a"),
                 QString::fromUtf8("周记2010"), true},
        LineCase{"GbkChineseOtherChar", QByteArray::fromHex("d6dcbcc7323031300d0ad6dcbcc7323031300d0a2d310d0a"),
                 QString::fromUtf8("週记2010"), false}),
    [](const auto &info) { return std::string(info.param.name); });

// A password that cannot be typed would lock the user out without a word: the lock window
// still asks, after a message that names the file and how to start again without it.
struct DamagedCase {
    const char *name;
    QByteArray file;
    bool damaged;
};

class DamagedFileTest : public LockTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedFileTest, IsNamedWithTheWayOut)
{
    writeLogin(GetParam().file);
    bool asked = false;
    ModalDriver driver([&](QWidget *w) {
        if (TLockLogin *lock = asLock(w)) {
            asked = true;
            lock->spdCancelClick();
        }
    });
    EXPECT_FALSE(CheckLoginLock(nullptr));
    EXPECT_TRUE(asked);
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), GetParam().damaged ? 1 : 0);
    if (GetParam().damaged) {
        EXPECT_TRUE(shown[0].text.contains(QDir::toNativeSeparators(loginPath()))) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(QString::fromUtf8("删除"))) << shown[0].text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFileTest,
    ::testing::Values(DamagedCase{"Sound", "Secret\r\nSecret\r\n-1\r\n", false},
                      DamagedCase{"SoundChinese", QByteArray::fromHex("d6dcbcc7323031300d0ad6dcbcc7323031300d0a2d310d0a"),
                                  false},
                      DamagedCase{"ControlCharacters", (QByteArray("Se") + '\x01' + "cr" + '\0' + "et\r\n").repeated(2) + "-1\r\n", true},
                      DamagedCase{"NoText", "\x81\x20\xff\xfe\r\n\x81\x20\xff\xfe\r\n-1\r\n", true},
                      DamagedCase{"CutShort", "Secret\r\nSec", true},
                      DamagedCase{"LinesDiffer", "Secret\r\nSecreu\r\n-1\r\n", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LockTest, FixtureFromTheOldProgramUnlocksWithItsChinesePassword)
{
    copyLogin(QStringLiteral("gbk_password.db"));
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        TypeText(lock->edtPW, QString::fromUtf8("周记2010"));
        lock->spdOKClick();
    });
    EXPECT_TRUE(CheckLoginLock(nullptr));
}

// --- the lock window's buttons and keys -----------------------------------------

class LockWindowTest : public LockTest {
protected:
    void SetUp() override
    {
        LockTest::SetUp();
        writeLogin("Secret\r\nSecret\r\n-1\r\n");
    }
};

TEST_F(LockWindowTest, WrongEntriesWarnEmptyTheFieldAndMayBeRepeated)
{
    int wrongShown = 0;
    ModalDriver driver([&](QWidget *w) {
        TLockLogin *lock = asLock(w);
        lock->activateWindow();
        for (const char *attempt : {"secret", "x", "", "Secret ", "SECRET", "s", "another", "Secre"}) {
            TypeText(lock->edtPW, QString::fromLatin1(attempt));
            lock->spdForget->setFocus();
            QTest::mouseClick(lock->spdOK, Qt::LeftButton);
            const auto shown = dialogs::TakeShown();
            EXPECT_EQ(shown.size(), 1);
            if (shown.size() == 1) {
                EXPECT_EQ(shown[0].kind, "message");
                EXPECT_EQ(shown[0].text, kWrong);
                EXPECT_EQ(shown[0].detail.toString(), QString::fromUtf8("登陆提示"));
                ++wrongShown;
            }
            EXPECT_TRUE(lock->edtPW->text().isEmpty());
            EXPECT_EQ(lock->focusWidget(), lock->edtPW);
            EXPECT_TRUE(lock->isVisible());
            EXPECT_FALSE(LoginUnlocked);
        }
        TypeText(lock->edtPW, QStringLiteral("Secret"));
        QTest::mouseClick(lock->spdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(CheckLoginLock(nullptr));
    EXPECT_EQ(wrongShown, 8);
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(LockWindowTest, RightPasswordByEnterOrKeypadEnter)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        ModalDriver driver([key](QWidget *w) {
            TLockLogin *lock = asLock(w);
            TypeText(lock->edtPW, QStringLiteral("Secret"));
            QTest::keyClick(lock->edtPW, key);
        });
        EXPECT_TRUE(CheckLoginLock(nullptr)) << key;
        EXPECT_FALSE(driver.forcedClose());
    }
}

TEST_F(LockWindowTest, WrongPasswordByEnterWarnsLikeOk)
{
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        TypeText(lock->edtPW, QStringLiteral("nope"));
        QTest::keyClick(lock->edtPW, Qt::Key_Return);
        const auto shown = dialogs::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, kWrong);
        EXPECT_TRUE(lock->edtPW->text().isEmpty());
        EXPECT_TRUE(lock->isVisible());
        lock->spdCancelClick();
    });
    EXPECT_FALSE(CheckLoginLock(nullptr));
}

TEST_F(LockWindowTest, OtherKeysOnlyType)
{
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        QTest::keyClicks(lock->edtPW, "Sec");
        QTest::keyClick(lock->edtPW, Qt::Key_Tab);
        EXPECT_TRUE(lock->isVisible());
        EXPECT_TRUE(dialogs::TakeShown().isEmpty());
        EXPECT_EQ(lock->edtPW->text(), "Sec");
        lock->spdCancelClick();
    });
    EXPECT_FALSE(CheckLoginLock(nullptr));
}

struct RefusalCase {
    const char *name;
    std::function<void(TLockLogin *)> act;
};

class RefusalTest : public LockWindowTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, EndsTheProgram)
{
    QWidget owner;
    bool closed = false;
    ModalDriver driver([&](QWidget *w) {
        TLockLogin *lock = asLock(w);
        EXPECT_EQ(lock->parentWidget(), &owner);
        GetParam().act(lock);
        closed = !lock->isVisible();
    });
    EXPECT_FALSE(CheckLoginLock(&owner));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_FALSE(LoginUnlocked);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RefusalTest,
    ::testing::Values(
        RefusalCase{"CancelButton", [](TLockLogin *l) { QTest::mouseClick(l->spdCancel, Qt::LeftButton); }},
        RefusalCase{"CancelAfterTypingTheRightPassword",
                    [](TLockLogin *l) {
                        TypeText(l->edtPW, QStringLiteral("Secret"));
                        QTest::mouseClick(l->spdCancel, Qt::LeftButton);
                    }},
        RefusalCase{"EscapeKey", [](TLockLogin *l) { QTest::keyClick(l->edtPW, Qt::Key_Escape); }},
        RefusalCase{"ClosedByTheSystem", [](TLockLogin *l) { l->close(); }},
        RefusalCase{"FileRemovedBeforeOk",
                    [](TLockLogin *l) {
                        QFile::remove(loginfile::Path());
                        TypeText(l->edtPW, QStringLiteral("Secret"));
                        QTest::mouseClick(l->spdOK, Qt::LeftButton);
                    }},
        RefusalCase{"FileEmptiedBeforeOk",
                    [](TLockLogin *l) {
                        QFile f(loginfile::Path());
                        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                        f.close();
                        TypeText(l->edtPW, QStringLiteral("Secret"));
                        l->spdOKClick();
                    }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LockWindowTest, RefusalLeavesNoMessage)
{
    ModalDriver driver([](QWidget *w) { asLock(w)->spdCancelClick(); });
    EXPECT_FALSE(CheckLoginLock(nullptr));
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(LockWindowTest, ForgotPasswordDoesNothing)
{
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        TypeText(lock->edtPW, QStringLiteral("abc"));
        QTest::mouseClick(lock->spdForget, Qt::LeftButton);
        EXPECT_TRUE(lock->isVisible());
        EXPECT_EQ(lock->edtPW->text(), "abc");
        EXPECT_FALSE(LoginUnlocked);
        EXPECT_TRUE(dialogs::TakeShown().isEmpty());
        lock->spdCancelClick();
    });
    EXPECT_FALSE(CheckLoginLock(nullptr));
}

TEST_F(LockWindowTest, PasswordRemovedWhileAskingLetsTheUserIn)
{
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        ASSERT_TRUE(loginfile::WriteNoPassword());
        TypeText(lock->edtPW, QStringLiteral("anything"));
        lock->spdOKClick();
    });
    EXPECT_TRUE(CheckLoginLock(nullptr));
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(LockWindowTest, PasswordChangedWhileAskingIsReadAgainAtOk)
{
    ModalDriver driver([](QWidget *w) {
        TLockLogin *lock = asLock(w);
        ASSERT_TRUE(loginfile::WritePassword(QStringLiteral("Other"), QStringLiteral("Other")));
        TypeText(lock->edtPW, QStringLiteral("Secret"));
        lock->spdOKClick();
        EXPECT_EQ(dialogs::TakeShown().size(), 1);
        TypeText(lock->edtPW, QStringLiteral("Other"));
        lock->spdOKClick();
    });
    EXPECT_TRUE(CheckLoginLock(nullptr));
}

TEST_F(LockWindowTest, CreationResetsTheAnswer)
{
    LoginUnlocked = true;
    TLockLogin lock;
    EXPECT_FALSE(LoginUnlocked);
}

TEST_F(LockWindowTest, Look)
{
    TLockLogin lock;
    lock.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lock));
    EXPECT_EQ(lock.size(), QSize(246, 145));
    EXPECT_TRUE(lock.windowFlags() & Qt::FramelessWindowHint);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(lock.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(lock.geometry().center().y() - screen.center().y()), 1);

    EXPECT_EQ(lock.edtPW->echoMode(), QLineEdit::Password);
    TypeText(lock.edtPW, QStringLiteral("ab1"));
    EXPECT_EQ(lock.edtPW->displayText(), "***");
    EXPECT_EQ(lock.lblUser->text(), QString::fromUtf8("用户名：Tavi周记事本"));
    EXPECT_EQ(lock.lblPW->text(), QString::fromUtf8("密  码："));
    EXPECT_EQ(lock.lblUser->font().family(), "Verdana");
    EXPECT_EQ(lock.lblUser->font().pixelSize(), 12);
    for (QPushButton *b : {lock.spdOK, lock.spdCancel})
        EXPECT_EQ(b->font().pixelSize(), 12);
    EXPECT_EQ(lock.spdOK->text(), QString::fromUtf8("确定"));
    EXPECT_EQ(lock.spdCancel->text(), QString::fromUtf8("取消"));
    EXPECT_EQ(lock.spdForget->text(), QString::fromUtf8("忘记密码"));

    const QImage shot = lock.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(153, 168, 206));        // outline
    EXPECT_EQ(shot.pixelColor(2, 70), QColor(220, 231, 255));       // frame fill
    EXPECT_EQ(shot.pixelColor(4, 70), QColor(146, 168, 218));       // white panel's outline
    EXPECT_EQ(shot.pixelColor(5, 70), QColor(Qt::white));           // white panel
    EXPECT_EQ(shot.pixelColor(4 + 66 + 3, 4 + 5 + 90), QColor(228, 235, 253)); // right panel
    EXPECT_NE(shot.pixelColor(4 + 3 + 31, 4 + 5 + 10), QColor(Qt::white)); // the left picture is drawn
}

TEST_F(LockWindowTest, DraggedByItsPicturesAndRightPanel)
{
    TLockLogin lock;
    lock.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lock));
    for (QWidget *handle : {static_cast<QWidget *>(lock.pnlRight), static_cast<QWidget *>(lock.imgLeft),
                            static_cast<QWidget *>(lock.imgHeader)}) {
        const QPoint before = lock.pos();
        const QPoint at(5, 5);
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 20), handle->mapToGlobal(at + QPoint(30, 20)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at + QPoint(30, 20));
        EXPECT_EQ(lock.pos(), before + QPoint(30, 20)) << handle->metaObject()->className();
    }
    const QPoint before = lock.pos();
    QTest::mousePress(lock.spdForget, Qt::LeftButton);
    QMouseEvent move(QEvent::MouseMove, QPoint(40, 40), lock.spdForget->mapToGlobal(QPoint(40, 40)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(lock.spdForget, &move);
    QTest::mouseRelease(lock.spdForget, Qt::LeftButton);
    EXPECT_EQ(lock.pos(), before);
}
