// The main window driven headless: creation order, layout, editing commands, export, size memory.
#include "../store/store_fixture.h"

#include "ActionTable.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "OpenPage.h"
#include "PictureButton.h"
#include "ProgramFolder.h"
#include "SettingsFile.h"
#include "StatusLine.h"
#include "TImage.h"
#include "WeekNotes.h"
#include "WeekView.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tdt;

namespace {

QByteArray fileBytes(const QString &p)
{
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// A program folder, a connected data module, a fixed clock and scripted dialogs.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0)); // a Tuesday
        dialogs::SetScripted(true);
        platform::SetRecordPages(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        dm.qryData.onStatement = [this](const QString &s) { statements << s; };
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
        platform::SetRecordPages(false);
    }
    TMainFrm &create()
    {
        frm = std::make_unique<TMainFrm>();
        frm->terminate = [this] { ++terminations; };
        return *frm;
    }
    TMainFrm &createShown()
    {
        create();
        frm->show();
        frm->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
        return *frm;
    }
    int writes() const
    {
        int n = 0;
        for (const QString &s : statements)
            n += !s.trimmed().startsWith(QLatin1String("select"));
        return n;
    }
    void focusBox(int i)
    {
        frm->redt[i]->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(frm->redt[i]->hasFocus());
    }

    TempProgramDir home;
    TDM dm;
    QStringList statements;
    std::unique_ptr<TMainFrm> frm;
    int terminations = 0;
};

} // namespace

TEST_F(MainWindowTest, CreationLoadsTodaysWeekAndSavesNothingUntilShown)
{
    TMainFrm &f = create();
    EXPECT_EQ(WeekConList.size(), 7u);
    EXPECT_EQ(WeekConList[0].DayKey, "20100531");
    EXPECT_FALSE(f.FormShown());
    EXPECT_EQ(f.lblDateTime->text(), QString::fromUtf8("今天是 2010年6月1日(二)"));
    EXPECT_GT(statements.size(), 0);
    EXPECT_EQ(writes(), 0);

    // Filling the boxes before the show saves nothing either.
    f.redt[1]->setPlainText("before show");
    EXPECT_EQ(writes(), 0);

    f.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_TRUE(f.FormShown());
    f.redt[1]->setFocus();
    typeText(f.redt[1], QString::fromUtf8("周二的事"));
    EXPECT_GT(writes(), 0);
    dm.RunLookup("20100601");
    ASSERT_EQ(dm.qryData.RecordCount(), 1);
    for (const char *key : {"20100531", "20100602", "20100603", "20100604", "20100605"}) {
        dm.RunLookup(key);
        EXPECT_EQ(dm.qryData.RecordCount(), 1) << key;
    }
    dm.RunLookup("20100606");
    EXPECT_EQ(dm.qryData.RecordCount(), 0); // Sunday has no row of its own
}

TEST(MainWindowLabel, TodayLabelNamesEveryWeekday)
{
    const char *expected[7] = {"今天是 2010年5月31日(一)", "今天是 2010年6月1日(二)", "今天是 2010年6月2日(三)",
                               "今天是 2010年6月3日(四)", "今天是 2010年6月4日(五)", "今天是 2010年6月5日(六)",
                               "今天是 2010年6月6日(日)"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(TMainFrm::TodayLabel(EncodeDate(2010, 5, 31) + i), QString::fromUtf8(expected[i]));
    EXPECT_EQ(TMainFrm::TodayLabel(EncodeDateTime(987, 1, 2, 23, 0, 0)), QString::fromUtf8("今天是 987年1月2日(二)"));
}

TEST_F(MainWindowTest, LayoutFollowsTheFormulasAtTheDesignSizeAndAtW600)
{
    TMainFrm &f = create();
    struct Case {
        int W, H;
        int line1, line2, title2, boxW, upperH, lowerH;
    };
    // The design size of the panel, then W = 600 (W - 4 not divisible by 3).
    for (const Case c : {Case{594, 445, 197, 394, 215, 196, 189, 199}, Case{600, 455, 199, 398, 220, 198, 194, 204}}) {
        SCOPED_TRACE(c.W);
        f.resize(c.W + (TMainFrm::DesignWidth - 594), c.H + (TMainFrm::DesignHeight - 445));
        if (f.pnlRight->width() != c.W) {
            // The window's minimum size may stand in the way; size the panel itself.
            f.pnlRight->resize(c.W, c.H);
        }
        f.pnlRight->resize(c.W, c.H);
        f.LayoutWeekView();
        EXPECT_EQ(f.pnlRight->pnl_yearLine0->x(), 2);
        EXPECT_EQ(f.pnlRight->pnl_yearLine1->x(), c.line1);
        EXPECT_EQ(f.pnlRight->pnl_yearLine2->x(), c.line2);
        EXPECT_EQ(f.pnlRight->imgtitle_year2->y(), c.title2);
        const int lefts[3] = {3, c.line1 + 1, c.line2 + 1};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(f.redt[i]->geometry(), QRect(lefts[i], 26, i < 2 ? c.boxW : c.boxW - 4, c.upperH));
            EXPECT_EQ(f.redt[i + 3]->geometry(), QRect(lefts[i], c.title2 + 26, i < 2 ? c.boxW : c.boxW - 4, c.lowerH));
            EXPECT_EQ(f.pnlRight->lblweek[i]->pos(), QPoint(lefts[i] - 1 + 10, 7));
            EXPECT_EQ(f.pnlRight->lblweek[i + 3]->pos(), QPoint(lefts[i] - 1 + 10, c.title2 + 8));
        }
    }
}

TEST_F(MainWindowTest, ResizingToTheMinimumAndBackAccumulatesNothing)
{
    TMainFrm &f = createShown();
    f.resize(TMainFrm::DesignWidth + 200, 700);
    const QRect wide = f.redt[5]->geometry();
    f.resize(TMainFrm::MinWidth, TMainFrm::MinHeight);
    EXPECT_EQ(f.size(), QSize(906, 540));
    f.resize(TMainFrm::DesignWidth + 200, 700);
    EXPECT_EQ(f.redt[5]->geometry(), wide);
    f.resize(100, 100);
    EXPECT_EQ(f.size(), QSize(906, 540));
}

TEST_F(MainWindowTest, SaturdayAndSundayHighlightTheLowerRightTitle)
{
    TMainFrm &f = createShown();
    f.resize(TMainFrm::DesignWidth, 540);
    f.pnlRight->resize(594, 445);
    f.LayoutWeekView();
    QRect saturday, sunday;
    for (int day : {5, 6}) {
        f.chnRili->setDateTime(EncodeDate(2010, 6, day));
        ASSERT_TRUE(f.pnlRight->imgSelColor->isVisible());
        (day == 5 ? saturday : sunday) = f.pnlRight->imgSelColor->geometry();
    }
    EXPECT_EQ(saturday, sunday);
    EXPECT_EQ(saturday, QRect(395, 215, 591 - 394 - 2, 26));
    f.chnRili->setDateTime(EncodeDate(2010, 6, 2)); // Wednesday: upper right
    EXPECT_EQ(f.pnlRight->imgSelColor->geometry(), QRect(395, 0, 195, 26));
    f.chnRili->setDateTime(EncodeDate(2010, 6, 3)); // Thursday: lower left
    EXPECT_EQ(f.pnlRight->imgSelColor->geometry(), QRect(3, 215, 193, 26));
}

TEST_F(MainWindowTest, EditingCommandsActOnTheFocusedBoxOnly)
{
    TMainFrm &f = createShown();
    // Without a focused box nothing happens and no dialog opens.
    f.chnRili->setFocus();
    QApplication::processEvents();
    f.V1Click();
    f.N11Click();
    f.imgDateClick();
    f.imgRedColorClick();
    f.imgFontClick();
    for (TNoteBox *b : f.redt)
        EXPECT_TRUE(b->toPlainText().isEmpty());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());

    focusBox(2);
    f.V1Click();
    f.btnXClick();
    f.btnGouClick();
    f.X1Click();
    EXPECT_EQ(f.redt[2]->toPlainText(), QString::fromUtf8("√×√×"));
    f.redt[2]->selectAll();
    f.N12Click(); // a red marker replaces the selection by one block
    EXPECT_EQ(f.redt[2]->toPlainText(), QString::fromUtf8("█"));
    QTextCursor c = f.redt[2]->textCursor();
    c.setPosition(0);
    c.setPosition(1, QTextCursor::KeepAnchor);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
    f.CtrlZ1Click();
    EXPECT_NE(f.redt[2]->toPlainText(), QString::fromUtf8("█"));
    for (int i : {0, 1, 3, 4, 5})
        EXPECT_TRUE(f.redt[i]->toPlainText().isEmpty()) << i;

    // Clipboard round.
    f.redt[2]->setPlainText("abc");
    f.redt[2]->selectAll();
    f.N3Click();
    EXPECT_EQ(f.redt[2]->toPlainText(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    f.N2Click();
    f.N2Click();
    EXPECT_EQ(f.redt[2]->toPlainText(), "abcabc");
    f.redt[2]->selectAll();
    f.N1Click();
    f.N9Click();
    EXPECT_EQ(f.redt[2]->toPlainText(), "");
}

TEST_F(MainWindowTest, TimeStampAtTheEdgesOfTheDay)
{
    TMainFrm &f = createShown();
    focusBox(0);
    platform::SetNow(EncodeDateTime(2010, 6, 1, 23, 59, 59));
    f.imgDateClick();
    platform::SetNow(EncodeDateTime(2010, 6, 2, 0, 0, 0));
    f.imgDateClick();
    platform::SetNow(EncodeDateTime(2010, 6, 2, 9, 5, 0));
    f.imgDateClick();
    EXPECT_EQ(f.redt[0]->toPlainText(), " 23:59  00:00  09:05 ");
}

TEST_F(MainWindowTest, ColourAndFontDialogsChangeOnlyWhenConfirmed)
{
    TMainFrm &f = createShown();
    focusBox(1);
    typeText(f.redt[1], "ab");
    f.redt[1]->selectAll();
    f.imgRedColorClick(); // cancelled
    f.imgFontClick();     // cancelled
    auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, "font");
    const QFont initial = shown[1].detail.value<QFont>();
    EXPECT_EQ(initial.family(), QString::fromUtf8("宋体"));
    EXPECT_EQ(initial.pixelSize(), 16);
    QTextCursor c = f.redt[1]->textCursor();
    const QTextCharFormat before = c.charFormat();

    dialogs::QueueAnswer(QColor(0, 0, 255));
    f.imgRedColorClick();
    EXPECT_EQ(f.redt[1]->textCursor().charFormat().foreground().color(), QColor(0, 0, 255));
    QFont big(QStringLiteral("黑体"));
    big.setPixelSize(30);
    big.setBold(true);
    dialogs::QueueAnswer(big);
    f.imgFontClick();
    const QTextCharFormat after = f.redt[1]->textCursor().charFormat();
    EXPECT_EQ(after.fontFamilies().toStringList().value(0), QString::fromUtf8("黑体"));
    EXPECT_TRUE(after.font().bold());
    EXPECT_NE(before.font().bold(), after.font().bold());
}

TEST_F(MainWindowTest, ExportWritesTheWeekInGbkWithCrLf)
{
    TMainFrm &f = create();
    f.chnRili->setDateTime(EncodeDateTime(2010, 6, 6, 8, 7, 6)); // a Sunday: Saturday's date heads the last box
    f.redt[0]->setPlainText(QString::fromUtf8("一行"));
    f.redt[5]->setPlainText(QString::fromUtf8("两行\n√×█"));
    const QString base = home.path() + QStringLiteral("report");
    dialogs::QueueAnswer(base);
    f.N_DataOutClick();
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].detail.toString().startsWith(QString::fromUtf8("周 20100606080706|")));
    EXPECT_TRUE(shown[0].detail.toString().endsWith(QString::fromUtf8("|*.Txt;;文本文件 (UTF-8) (*.txt)")));

    QByteArray expected;
    auto gbk = [](const char *utf8) { return settings::Encode(QString::fromUtf8(utf8)); };
    const char *heads[6] = {"星期一 2010.05.31", "星期二 2010.06.01", "星期三 2010.06.02",
                            "星期四 2010.06.03", "星期五 2010.06.04", "星期六/日 2010.06.05"};
    for (int i = 0; i < 6; ++i) {
        expected += gbk(heads[i]) + "\r\n  \r\n";
        if (i == 0)
            expected += gbk("一行") + "\r\n";
        else if (i == 5)
            expected += gbk("两行") + "\r\n" + QByteArray::fromHex("a1cca1c1a880") + "\r\n";
        else
            expected += "\r\n";
        expected += "  \r\n";
    }
    EXPECT_EQ(fileBytes(base + ".txt"), expected);

    // A name ending in ".txt" gets no second one; cancelling writes nothing; an empty name says so.
    dialogs::QueueAnswer(base + ".txt");
    f.N_DataOutClick();
    EXPECT_FALSE(QFile::exists(base + ".txt.txt"));
    EXPECT_EQ(fileBytes(base + ".txt"), expected);
    dialogs::TakeShown();
    f.N_DataOutClick(); // nothing queued: cancelled
    dialogs::QueueAnswer(QString(""));
    f.N_DataOutClick();
    const auto after = dialogs::TakeShown();
    ASSERT_EQ(after.size(), 3);
    EXPECT_EQ(after[2].text, QString::fromUtf8("文件名不能为空！"));
    // An unwritable place goes to the error display.
    dialogs::QueueAnswer(home.path() + "no-such-folder/x");
    f.N_DataOutClick();
    const auto err = dialogs::TakeShown();
    ASSERT_EQ(err.size(), 2);
    EXPECT_EQ(err[1].kind, "error");
}

TEST_F(MainWindowTest, AllEmptyWeekExportsTwentyFourLines)
{
    TMainFrm &f = create();
    EXPECT_EQ(f.ExportLines().size(), 24);
}

TEST_F(MainWindowTest, FirstStartWritesTheSizeFileForA1024x768Screen)
{
    TMainFrm &f = create();
    EXPECT_EQ(f.size(), QSize(906, 540));
    EXPECT_EQ(f.pos(), QPoint(59, 99));
    EXPECT_EQ(fileBytes(home.path() + "Data/FormSize.ini"), QByteArray("1\r\n906\r\n540\r\n59\r\n99\r\n6\r\n"));
}

TEST_F(MainWindowTest, SizeFileIsAppliedWithTheMinimumAndWrittenOnlyByTheCloseButton)
{
    const QString path = home.path() + "Data/FormSize.ini";
    settings::Write(path, {"3", "800", "500", "-20", "40", "11"});
    TMainFrm &f = create();
    EXPECT_EQ(f.size(), QSize(906, 540));
    EXPECT_EQ(f.pos(), QPoint(-20, 40));
    EXPECT_EQ(f.lblMonthCaption, "11");

    f.move(100, 120);
    f.N_ExitPrjClick(); // quitting from the menu leaves the file as it was
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(fileBytes(path), QByteArray("3\r\n800\r\n500\r\n-20\r\n40\r\n11\r\n"));
    f.img_close_highlightClick();
    EXPECT_EQ(terminations, 2);
    EXPECT_EQ(fileBytes(path), QByteArray("3\r\n906\r\n540\r\n100\r\n120\r\n11\r\n"));
}

// The close and minimise buttons: each shows its normal, highlighted and pressed picture, the
// minimise button's normal one a pixel to the right of the other two; a click goes through.
TEST_F(MainWindowTest, FrameButtonsShowTheirThreePictures)
{
    TMainFrm &f = createShown();
    QTest::mouseMove(&f, QPoint(400, 300));
    const auto seen = [&f](TPictureButton *b, QPoint at) { return f.grab().toImage().pixelColor(b->mapTo(&f, at)); };
    const auto enter = [](QWidget *w) {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(w, &e);
    };
    const struct {
        TPictureButton *button;
        QPoint at;
        QColor highlighted, pressed;
    } cases[] = {
        {f.img_close, QPoint(2, 2), QColor(0xE5, 0x48, 0x4D), QColor(0xC0, 0x30, 0x3A)},
        {f.img_mini, QPoint(0, 2), QColor(0xDC, 0xE7, 0xF7), QColor(0xC2, 0xD4, 0xEF)},
    };
    for (const auto &c : cases) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(c.button, &leave);
        const QColor normal = seen(c.button, c.at);
        EXPECT_NE(normal, c.highlighted);
        enter(c.button);
        EXPECT_EQ(seen(c.button, c.at), c.highlighted);
        QTest::mousePress(c.button, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(seen(c.button, c.at), c.pressed);
        QMouseEvent out(QEvent::MouseMove, QPointF(5, 40), c.button->mapToGlobal(QPointF(5, 40)), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c.button, &out);
        EXPECT_EQ(seen(c.button, c.at), normal);
        QTest::mouseRelease(c.button, Qt::LeftButton, {}, QPoint(5, 40));
    }
    const int dx = f.width() - 913; // anchored to the top-right corner
    EXPECT_EQ(f.img_close->geometry(), QRect(873 + dx, 1, 39, 20));
    EXPECT_EQ(f.img_mini->geometry(), QRect(843 + dx, 1, 29, 20));
    EXPECT_EQ(terminations, 0);

    // Minimising leaves the button normal for when the window comes back.
    enter(f.img_mini);
    QTest::mouseClick(f.img_mini, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.img_mini->state(), TPictureButton::State::Normal);
    enter(f.img_close);
    QTest::mouseClick(f.img_close, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(terminations, 1);
}

TEST_F(MainWindowTest, ABadSizeFileGoesToTheErrorDisplayAndAnUnreachablePlaceIsMendedByStart)
{
    const QString path = home.path() + "Data/FormSize.ini";
    settings::Write(path, {"1", "906", "abc", "0", "0", "6"});
    {
        TMainFrm &f = create();
        const auto shown = dialogs::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, "error");
        EXPECT_EQ(f.size(), QSize(913, 540)); // the designed size, raised to the minimum height
        frm.reset();
    }
    // A monitor that was unplugged: the window comes back on the primary screen, same size.
    settings::Write(path, {"1", "1000", "600", "5000", "3000", "6"});
    TMainFrm &g = create();
    EXPECT_EQ(g.size(), QSize(1000, 600));
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(g.geometry()));
}

// Whatever the size file asks, the window fits the screen's free area with its top edge and
// close button on it, and never goes below the minimum.
TEST_F(MainWindowTest, ASizeFileCannotAskForMoreThanTheScreen)
{
    const QString path = home.path() + "Data/FormSize.ini";
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char *name;
        QStringList lines;
    } cases[] = {
        {"LargestNumbers", {"1", "2147483647", "2147483647", "0", "0", "6"}},
        {"WiderThanTheScreen", {"1", "5000", "600", "10", "10", "6"}},
        {"TallerThanTheScreen", {"1", "1000", "5000", "10", "10", "6"}},
        {"CloseButtonOffTheRight", {"1", "1000", "600", "900", "10", "6"}},
        {"TopAboveTheScreen", {"1", "1000", "600", "10", "-300", "6"}},
        {"SmallestNumbers", {"1", "-2147483648", "-2147483648", "-2147483648", "-2147483648", "6"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        settings::Write(path, c.lines);
        TMainFrm &f = create();
        EXPECT_TRUE(dialogs::TakeShown().isEmpty());
        EXPECT_LE(f.width(), std::max(avail.width(), int(TMainFrm::MinWidth)));
        EXPECT_LE(f.height(), std::max(avail.height(), int(TMainFrm::MinHeight)));
        EXPECT_GE(f.width(), TMainFrm::MinWidth);
        EXPECT_GE(f.height(), TMainFrm::MinHeight);
        EXPECT_TRUE(avail.contains(QPoint(f.geometry().right(), f.y())))
            << "the close button is off the screen: " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height();
        frm.reset();
    }
}

// Notes and settings an older version left readable by others are narrowed at start, and
// the status line says which.
TEST_F(MainWindowTest, FilesOpenToOthersAreNarrowedAtStartWithALine)
{
    QFile::setPermissions(home.dbPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    settings::Write(home.path() + "Data/SetTrans.ini", {"1"});
    QFile::setPermissions(home.path() + "Data/SetTrans.ini",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    TMainFrm &f = createShown();
    EXPECT_EQ(QFile::permissions(home.dbPath()) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    EXPECT_TRUE(f.lblStatus->isVisible());
    EXPECT_TRUE(f.lblStatus->text().contains("UserData.mdb")) << f.lblStatus->text().toStdString();
    EXPECT_TRUE(f.lblStatus->text().contains("SetTrans.ini")) << f.lblStatus->text().toStdString();
    frm.reset();
    // Nothing left to narrow: nothing to say.
    TMainFrm &g = createShown();
    EXPECT_FALSE(g.lblStatus->isVisible());
}

TEST_F(MainWindowTest, OptionsMenuHasItsItemsAndOpensThePages)
{
    TMainFrm &f = create();
    QStringList captions;
    for (QAction *a : f.popSysset->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text()) + (a->isVisible() ? "" : "(hidden)");
    EXPECT_EQ(captions, QStringList({QString::fromUtf8("内   容   导   出"), QString::fromUtf8("背景透明度调节"),
                                     QString::fromUtf8("检 索 关 键 字(hidden)"), QString::fromUtf8("导入放假安排…"),
                                     QString::fromUtf8("自动更新壁纸"), QString::fromUtf8("纪念日与生日"),
                                     QString::fromUtf8("同步设置…"), "-", QString::fromUtf8("登陆密码"),
                                     QString::fromUtf8("帮助说明"), QString::fromUtf8("意见反馈"), "-",
                                     QString::fromUtf8("退出程序")}));
    f.N_helpClick();
    f.N_SubmitClick();
    const QStringList pages = platform::TakeOpenedPages();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].endsWith("web/help4/tavi1.htm"));
    EXPECT_TRUE(pages[1].endsWith("web/help4/tavi2.htm"));

    // The help page names every item the user sees in the menu.
    QFile help(QStringLiteral(TAVI_TEST_DATA "/../../web/help4/tavi1.htm"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly)) << help.fileName().toStdString();
    const QString page = QString::fromUtf8(help.readAll()).remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QString &name : f.actions().Items(QStringLiteral("popSysset"))) {
        const QAction *a = f.actions().Find(name);
        if (!a->isSeparator() && a->isVisible()) {
            EXPECT_TRUE(page.contains(QString(a->text()).remove(QRegularExpression(QStringLiteral("\\s")))))
                << a->text().toStdString();
        }
    }
}

TEST_F(MainWindowTest, TheWebPanelShowsTheShippedPageOnceTheWindowHasPainted)
{
    qputenv("TAVI_WEB_URL", QUrl::fromLocalFile(QStringLiteral(TAVI_APP_DIR "/web/")).toString().toUtf8());
    TMainFrm &f = create();
    f.show();
    QTRY_VERIFY(f.webLink->toPlainText().contains(QString::fromUtf8("小贴士")));
    qunsetenv("TAVI_WEB_URL");
}

TEST_F(MainWindowTest, RightClickInTheWebPanelIsSwallowed)
{
    TMainFrm &f = createShown();
    QWidget *view = f.webLink->viewport();
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(20, 30), view->mapToGlobal(QPoint(20, 30)));
    // A menu that opened anyway is noted and closed, whether it was popped up or run modally.
    QString menu;
    QTimer closer;
    closer.callOnTimeout([&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            menu = popup->metaObject()->className();
            popup->close();
        }
    });
    closer.start(10);
    QApplication::sendEvent(view, &ev);
    QTest::qWait(50);
    closer.stop();
    EXPECT_EQ(menu.toStdString(), "");
    QTest::mouseClick(view, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // The same event in a note box opens the box's own menu, and the watch above sees it.
    QWidget *box = f.redt[1]->viewport();
    QContextMenuEvent boxEv(QContextMenuEvent::Mouse, QPoint(20, 30), box->mapToGlobal(QPoint(20, 30)));
    closer.start(10);
    QApplication::sendEvent(box, &boxEv);
    for (int i = 0; i < 100 && menu.isEmpty(); ++i)
        QTest::qWait(10);
    closer.stop();
    EXPECT_EQ(menu.toStdString(), "QMenu");
}

TEST_F(MainWindowTest, TitleStripsMarkOfficialDaysOffAndWorkingDays)
{
    QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/CnWorkdays.tsv"), home.path() + "Data/CnWorkdays.tsv");
    ReloadCnWorkdays();
    TMainFrm &f = create();
    // The week of 1 October 2026: Thursday 1 and Friday 2 are days off; Saturday 3 and Sunday 4 too.
    f.chnRili->setDateTime(EncodeDate(2026, 10, 1));
    QStringList marks;
    for (QLabel *l : f.pnlRight->lblWorkday)
        marks << (l->isVisibleTo(&f) ? l->text() : QString());
    EXPECT_EQ(marks, QStringList({"", "", "", QString::fromUtf8("休"), QString::fromUtf8("休"), QString::fromUtf8("休")}));
    EXPECT_EQ(f.pnlRight->lblweek[3]->text(), QString::fromUtf8("周 四")); // the caption itself stays
    // 14 February 2026 is a working Saturday, 15 February a day off: the weekend box says 班.
    f.chnRili->setDateTime(EncodeDate(2026, 2, 14));
    EXPECT_EQ(f.pnlRight->lblWorkday[5]->text(), QString::fromUtf8("班"));
    // An ordinary week shows no marks.
    f.chnRili->setDateTime(EncodeDate(2026, 3, 11));
    for (QLabel *l : f.pnlRight->lblWorkday)
        EXPECT_FALSE(l->isVisibleTo(&f));
    QFile::remove(home.path() + "Data/CnWorkdays.tsv");
    ReloadCnWorkdays();
}

TEST_F(MainWindowTest, TheOptionsMenuImportsAnArrangementAndTheTitleStripsFollow)
{
    QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/CnWorkdays.tsv"), home.path() + "Data/CnWorkdays.tsv");
    ReloadCnWorkdays();
    TMainFrm &f = create();
    // The week of Friday 1 October 2027, not yet in the table.
    f.chnRili->setDateTime(EncodeDate(2027, 10, 1));
    for (QLabel *l : f.pnlRight->lblWorkday)
        EXPECT_FALSE(l->isVisibleTo(&f));
    QFile ics(home.path() + "2027.ics");
    ASSERT_TRUE(ics.open(QIODevice::WriteOnly));
    ics.write("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20271001\r\nDTEND;VALUE=DATE:20271008\r\n"
              "SUMMARY:国庆节 休\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ics.close();
    dialogs::QueueAnswer(QStringList{ics.fileName()});
    QAction *item = f.actions().Find(QStringLiteral("N_ImportWorkdays"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(dialogs::TakeShown().value(1).text, QString::fromUtf8("已导入放假安排：新增 7 天。"));
    QStringList marks;
    for (QLabel *l : f.pnlRight->lblWorkday)
        marks << (l->isVisibleTo(&f) ? l->text() : QString());
    EXPECT_EQ(marks, QStringList({"", "", "", "", QString::fromUtf8("休"), QString::fromUtf8("休")}));
    QFile::remove(home.path() + "Data/CnWorkdays.tsv");
    ReloadCnWorkdays();
}

TEST_F(MainWindowTest, ThePasswordIsAskedAfterTheWeekIsLoadedAndARefusalEndsTheStart)
{
    settings::Write(home.path() + "Data/loginstr.db", {"secret", "secret", "-1"});
    for (const bool rightPassword : {false, true}) {
        SCOPED_TRACE(rightPassword);
        statements.clear();
        bool asked = false;
        QTimer::singleShot(0, [&] {
            QWidget *lock = QApplication::activeModalWidget();
            ASSERT_NE(lock, nullptr);
            asked = true;
            // By now today's week is loaded: its six lookups have run, and nothing was written.
            EXPECT_EQ(statements.size(), 6);
            EXPECT_EQ(writes(), 0);
            EXPECT_EQ(WeekConList[1].DayKey, "20100601");
            auto *edit = lock->findChild<QLineEdit *>();
            ASSERT_NE(edit, nullptr);
            if (rightPassword) {
                edit->setText("secret");
                QTest::keyClick(edit, Qt::Key_Return);
            } else {
                QTest::keyClick(lock, Qt::Key_Escape);
            }
        });
        TMainFrm &f = create();
        EXPECT_TRUE(asked);
        EXPECT_EQ(f.Unlocked(), rightPassword);
        // A refused start runs none of the later steps: no date label, no size file.
        EXPECT_EQ(f.lblDateTime->text().isEmpty(), !rightPassword);
        EXPECT_EQ(QFile::exists(home.path() + "Data/FormSize.ini"), rightPassword);
        frm.reset();
    }
}
