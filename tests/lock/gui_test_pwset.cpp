// The password settings window, and the road from setting a password to the next start.
#include "lock_fixture.h"

#include "Dialogs.h"
#include "TImage.h"
#include "LoginFile.h"
#include "PictureButton.h"
#include "loginLock.h"
#include "untPWSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QByteArray kNoPassword = "QZKVT4817306\r\nQZKVT4817306\r\n0\r\n";

} // namespace

class PwsetTest : public LockTest {
protected:
    void SetUp() override
    {
        LockTest::SetUp();
        main.resize(913, 530);
        main.move(40, 30);
        main.show();
        frm = new TpwsetFrm(&main);
    }
    void TearDown() override
    {
        delete frm;
        LockTest::TearDown();
    }
    // Shows the window as the menu would, but not modal, so the test can act on it.
    void open()
    {
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    }
    void fill(const QString &first, const QString &second)
    {
        frm->edtPW1->clear();
        frm->edtPW2->clear();
        TypeText(frm->edtPW1, first);
        TypeText(frm->edtPW2, second);
    }
    void apply() { QTest::mouseClick(frm->JvXPButton1, Qt::LeftButton); }

    QWidget main;
    TpwsetFrm *frm = nullptr;
};

// --- showing reads line 2 -------------------------------------------------------

TEST_F(PwsetTest, ShowingTicksTheBoxWhenAPasswordIsSet)
{
    writeLogin("abc\r\nabc\r\n-1\r\n");
    open();
    EXPECT_TRUE(frm->chkStartPW->isChecked());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(PwsetTest, ShowingNeverUnticksAndKeepsTheFields)
{
    writeLogin(kNoPassword);
    open();
    EXPECT_FALSE(frm->chkStartPW->isChecked());
    frm->chkStartPW->setChecked(true);
    TypeText(frm->edtPW1, QStringLiteral("one"));
    TypeText(frm->edtPW2, QStringLiteral("two"));
    QTest::mouseClick(frm->JvXPToolButton1, Qt::LeftButton);
    EXPECT_FALSE(frm->isVisible());

    open();
    EXPECT_TRUE(frm->chkStartPW->isChecked());
    EXPECT_EQ(frm->edtPW1->text(), "one");
    EXPECT_EQ(frm->edtPW2->text(), "two");
    EXPECT_EQ(loginBytes(), kNoPassword);
}

TEST_F(PwsetTest, LineTwoMustBeExactlyMinusOne)
{
    for (const QByteArray &line2 : {QByteArray(" -1"), QByteArray("-1 "), QByteArray("1"), QByteArray("-01")}) {
        writeLogin("abc\r\nabc\r\n" + line2 + "\r\n");
        frm->chkStartPW->setChecked(false);
        open();
        EXPECT_FALSE(frm->chkStartPW->isChecked()) << line2.constData();
        frm->hide();
    }
}

struct BadFileCase {
    const char *name;
    std::function<void(LockTest &)> prepare;
};

class PwsetBadFileTest : public PwsetTest, public ::testing::WithParamInterface<BadFileCase> {
public:
    void writeFixture(const QString &name) { copyLogin(name); }
};

TEST_P(PwsetBadFileTest, ShowsTheReadErrorAndOpensWithTheBoxAsItWas)
{
    GetParam().prepare(*this);
    for (const bool ticked : {false, true}) {
        frm->chkStartPW->setChecked(ticked);
        open();
        const auto shown = dialogs::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, "error");
        EXPECT_TRUE(shown[0].text.contains("loginstr.db")) << shown[0].text.toStdString();
        EXPECT_TRUE(frm->isVisible());
        EXPECT_EQ(frm->chkStartPW->isChecked(), ticked);
        frm->hide();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PwsetBadFileTest,
    ::testing::Values(BadFileCase{"TwoLines",
                                  [](LockTest &t) { static_cast<PwsetBadFileTest &>(t).writeFixture("two_lines.db"); }},
                      BadFileCase{"Directory", [](LockTest &) { QDir().mkpath(loginfile::Path()); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PwsetTest, AMissingFileMeansNoPasswordAsAtStartUp)
{
    ASSERT_FALSE(QFileInfo::exists(loginfile::Path()));
    open();
    EXPECT_TRUE(dialogs::TakeShown().empty());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(frm->chkStartPW->isChecked());
}

TEST_F(PwsetTest, ApplyAfterAMissingFileCreatesIt)
{
    open();
    EXPECT_TRUE(dialogs::TakeShown().empty());
    frm->chkStartPW->setChecked(true);
    fill("new", "new");
    apply();
    EXPECT_EQ(loginBytes(), QByteArray("new\r\nnew\r\n-1\r\n"));
}

// --- the checks of "应   用", in their order --------------------------------------

struct ApplyCheckCase {
    const char *name;
    QString first, second;
    QString message;
    int focusField; // 1, 2, or 0: focus not moved
};

class ApplyCheckTest : public PwsetTest, public ::testing::WithParamInterface<ApplyCheckCase> {};

TEST_P(ApplyCheckTest, WarnsAndWritesNothing)
{
    const ApplyCheckCase &c = GetParam();
    const QByteArray before = "Old\r\nOld\r\n-1\r\n";
    writeLogin(before);
    open();
    fill(c.first, c.second);
    frm->JvXPButton1->setFocus();
    apply();
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, "message");
    EXPECT_EQ(shown[0].text, c.message);
    EXPECT_FALSE(shown[0].detail.isValid()); // the program's title is the caption
    QWidget *expected = c.focusField == 1   ? static_cast<QWidget *>(frm->edtPW1)
                        : c.focusField == 2 ? static_cast<QWidget *>(frm->edtPW2)
                                            : static_cast<QWidget *>(frm->JvXPButton1);
    EXPECT_EQ(frm->focusWidget(), expected);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(loginBytes(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Order, ApplyCheckTest,
    ::testing::Values(
        ApplyCheckCase{"BothEmpty", "", "", QString::fromUtf8("请输入登录密码!"), 1},
        ApplyCheckCase{"FirstEmpty", "", "abc", QString::fromUtf8("请输入登录密码!"), 1},
        ApplyCheckCase{"SecondEmpty", "abc", "", QString::fromUtf8("请再次输入登录密码!"), 2},
        ApplyCheckCase{"Differ", "abc", "abd", QString::fromUtf8("两次输入的密码不一致!"), 0},
        ApplyCheckCase{"DifferInCase", "abc", "ABC", QString::fromUtf8("两次输入的密码不一致!"), 0},
        ApplyCheckCase{"DifferByABlank", "abc", "abc ", QString::fromUtf8("两次输入的密码不一致!"), 0},
        ApplyCheckCase{"BlankIsNotEmpty", " ", "", QString::fromUtf8("请再次输入登录密码!"), 2},
        // The file's own no-password mark would lock nothing.
        ApplyCheckCase{"TheNoPasswordMark", "QZKVT4817306", "QZKVT4817306",
                       QString::fromUtf8("该密码为程序保留，不能用作登录密码，请换一个!"), 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PwsetTest, SecondFieldEmptyWritesNothingEvenWithoutAFile)
{
    open();
    dialogs::TakeShown();
    frm->chkStartPW->setChecked(true);
    fill("abc", "");
    apply();
    EXPECT_EQ(loginBytes(), std::nullopt);
}

// --- writing --------------------------------------------------------------------

struct SetCase {
    const char *name;
    QString password;
    QByteArray firstLine;
};

class SetPasswordTest : public PwsetTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetPasswordTest, WritesThreeLinesAndTheNextStartAsksForIt)
{
    const SetCase &c = GetParam();
    writeLogin(kNoPassword);
    open();
    frm->chkStartPW->setChecked(true);
    fill(c.password, c.password);
    apply();

    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QString::fromUtf8("设置登录密码成功!"));
    EXPECT_EQ(shown[0].detail.toString(), QString::fromUtf8("提示"));
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    EXPECT_EQ(loginBytes(), c.firstLine + "\r\n" + c.firstLine + "\r\n-1\r\n");

    ModalDriver driver([&](QWidget *w) {
        auto *lock = qobject_cast<TLockLogin *>(w);
        ASSERT_NE(lock, nullptr);
        TypeText(lock->edtPW, c.password);
        QTest::keyClick(lock->edtPW, Qt::Key_Return);
    });
    EXPECT_TRUE(CheckLoginLock(&main));
    EXPECT_EQ(driver.seen(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, SetPasswordTest,
    ::testing::Values(SetCase{"Latin", "Tavi2010", "Tavi2010"},
                      SetCase{"Blanks", " a b ", " a b "},
                      SetCase{"Chinese", QString::fromUtf8("周记本"), QByteArray::fromHex("d6dcbcc7b1be")},
                      // Outside GBK: GB18030's four-byte forms keep them.
                      SetCase{"OutsideGbk", QString::fromUtf8("锁🔒𠀀"), QByteArray::fromHex("cbf89439e43895328236")}),
    [](const auto &info) { return std::string(info.param.name); });

// Taken as a password, the marker would report success and lock nothing: it is refused.
TEST_F(PwsetTest, TheMarkerCannotBeChosenAsAPassword)
{
    writeLogin(kNoPassword);
    open();
    frm->chkStartPW->setChecked(true);
    fill(loginfile::NoPasswordMarker, loginfile::NoPasswordMarker);
    apply();
    EXPECT_EQ(loginBytes(), kNoPassword);
    EXPECT_TRUE(frm->isVisible());
    dialogs::TakeShown();

    ModalDriver driver([](QWidget *) {});
    EXPECT_TRUE(CheckLoginLock(&main));
    EXPECT_EQ(driver.seen(), 0);
}

TEST_F(PwsetTest, UntickingAndApplyingRemovesThePassword)
{
    writeLogin("Secret\r\nSecret\r\n-1\r\n");
    open();
    ASSERT_TRUE(frm->chkStartPW->isChecked());
    QTest::mouseClick(frm->chkStartPW, Qt::LeftButton, {}, QPoint(6, frm->chkStartPW->height() / 2));
    ASSERT_FALSE(frm->chkStartPW->isChecked());
    fill("ignored", "different"); // the fields do not matter when unticked
    apply();

    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QString::fromUtf8("取消密码成功!"));
    EXPECT_EQ(shown[0].detail.toString(), QString::fromUtf8("提示"));
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(loginBytes(), kNoPassword);

    ModalDriver driver([](QWidget *) {});
    EXPECT_TRUE(CheckLoginLock(&main));
    EXPECT_EQ(driver.seen(), 0);
}

TEST_F(PwsetTest, TheOldPasswordIsNeverAsked)
{
    writeLogin("Secret\r\nSecret\r\n-1\r\n");
    open();
    fill("Newer", "Newer");
    apply();
    EXPECT_EQ(loginBytes(), QByteArray("Newer\r\nNewer\r\n-1\r\n"));
}

TEST_F(PwsetTest, AFailingWriteShowsTheErrorAndKeepsTheWindowOpen)
{
    writeLogin(kNoPassword);
    open();
    dialogs::TakeShown();
    ASSERT_TRUE(QFile::remove(loginfile::Path()));
    ASSERT_TRUE(QDir().mkpath(loginfile::Path())); // a folder in the file's place cannot be written over
    for (const bool ticked : {true, false}) {
        frm->chkStartPW->setChecked(ticked);
        fill("abc", "abc");
        apply();
        const auto shown = dialogs::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, "error");
        EXPECT_TRUE(frm->isVisible());
    }
}

TEST_F(PwsetTest, APastedLineBreakCannotSplitThePassword)
{
    writeLogin(kNoPassword);
    open();
    frm->chkStartPW->setChecked(true);
    QApplication::clipboard()->setText(QStringLiteral("ab\ncd"));
    for (QLineEdit *e : {frm->edtPW1, frm->edtPW2}) {
        e->clear();
        e->paste();
        EXPECT_FALSE(e->text().contains(QLatin1Char('\n')));
    }
    fill("ab", "ab");
    apply();
    EXPECT_EQ(loginBytes(), QByteArray("ab\r\nab\r\n-1\r\n"));
}

// --- closing, the menu item, the look -------------------------------------------

TEST_F(PwsetTest, CloseButtonClosesWithoutWriting)
{
    writeLogin("Secret\r\nSecret\r\n-1\r\n");
    open();
    frm->chkStartPW->setChecked(false);
    fill("x", "x");
    EXPECT_EQ(frm->JvXPToolButton1->toolTip(), QString::fromUtf8("关闭"));
    QTest::mouseClick(frm->JvXPToolButton1, Qt::LeftButton);
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(loginBytes(), QByteArray("Secret\r\nSecret\r\n-1\r\n"));
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(PwsetTest, MenuItemShowsTheOneWindowModally)
{
    writeLogin(kNoPassword);
    TpwsetFrm *const previous = pwsetFrm;
    pwsetFrm = frm;
    bool wasModal = false;
    ModalDriver driver([&](QWidget *w) {
        wasModal = w == frm && frm->isModal();
        frm->JvXPToolButton1Click();
    });
    N7Click(&main);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(frm->isVisible());
    pwsetFrm = previous;
}

TEST_F(PwsetTest, Look)
{
    writeLogin(kNoPassword);
    open();
    EXPECT_EQ(frm->size(), QSize(442, 222));
    EXPECT_TRUE(frm->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_LE((frm->geometry().center() - main.frameGeometry().center()).manhattanLength(), 1);
    EXPECT_EQ(frm->lblTitle->text(), QString::fromUtf8("登录密码设置"));
    EXPECT_EQ(frm->lblTitle->font().pixelSize(), 19);
    EXPECT_EQ(frm->lblTitle->font().family(), "Verdana");
    EXPECT_EQ(frm->chkStartPW->text(), QString::fromUtf8("启动登录密码"));
    EXPECT_EQ(frm->lblPW1->text(), QString::fromUtf8("请输入登录密码："));
    EXPECT_EQ(frm->lblPW2->text(), QString::fromUtf8("请再次输入密码："));
    EXPECT_EQ(frm->lblPW1->font().pixelSize(), 12);
    EXPECT_EQ(frm->JvXPButton1->text(), QString::fromUtf8("应   用"));
    EXPECT_GT(frm->JvXPButton1->x(), 442 / 2);
    EXPECT_GT(frm->JvXPButton1->y(), 222 / 2);
    TypeText(frm->edtPW1, QStringLiteral("ab"));
    EXPECT_EQ(frm->edtPW1->displayText(), "**");
    EXPECT_EQ(frm->edtPW2->echoMode(), QLineEdit::Password);
    const QImage shot = frm->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 100), QColor(152, 168, 182));
    EXPECT_EQ(shot.pixelColor(441, 221), QColor(152, 168, 182));
}

TEST_F(PwsetTest, DraggedByTheTitleAndBackgroundPictures)
{
    writeLogin(kNoPassword);
    open();
    for (QWidget *handle : {static_cast<QWidget *>(frm->imgTitle), static_cast<QWidget *>(frm->imgBG)}) {
        const QPoint before = frm->pos();
        const QPoint at(200, 10);
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(-25, 15), handle->mapToGlobal(at + QPoint(-25, 15)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at + QPoint(-25, 15));
        EXPECT_EQ(frm->pos(), before + QPoint(-25, 15));
    }
}
