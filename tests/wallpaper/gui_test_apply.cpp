// One click on the wallpaper button: question, capture, background, mixing, files, desktop.
#include "wallpaper_fixture.h"

#include "ConfigSetBgFile.h"
#include "Dialogs.h"
#include "OpenPage.h"
#include "PicListFile.h"
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "uSetTrans.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QToolButton>

namespace {

// Answers the confirmation window when it comes up inside the apply, and notes that it did.
class Answer {
public:
    enum Button { Ok, Cancel, X };
    Answer(Button button, bool tick)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this, button, tick] {
            TInforFrm *f = InforFrm;
            if (!f || !f->isVisible())
                return;
            asked = true;
            f->chkNoAsk->setChecked(tick);
            QWidget *target = button == Ok ? static_cast<QWidget *>(f->btnOk)
                              : button == Cancel ? static_cast<QWidget *>(f->btnCancel)
                                                 : static_cast<QWidget *>(f->btnX);
            QTest::mouseClick(target, Qt::LeftButton);
        });
        m_timer.start(0);
    }
    bool asked = false;

private:
    QTimer m_timer;
};

QRgb rgbAt(const TPicture &p, int x, int y)
{
    const std::uint8_t *q = p.pixel(x, y);
    return qRgb(q[2], q[1], q[0]);
}

bool near(QRgb a, QRgb b, int tolerance = 10)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int bmpDepth(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray h = f.read(30);
    return h.size() < 30 ? -1 : uchar(h[28]) | uchar(h[29]) << 8;
}

} // namespace

class ApplyTest : public WallpaperTest {
protected:
    // Backgrounds of one colour each, large enough for the notes picture.
    void backgrounds(const QList<QPair<QString, QColor>> &pics)
    {
        for (const auto &p : pics)
            writeSolidBmp(p.first, 1024, 768, p.second);
    }
    // The background colour of the composed picture, read far from the notes.
    QRgb usedBackground()
    {
        TPicture mix;
        if (!pictures::ReadBmp(PictureDir() + "Mix.bmp", mix))
            return 0;
        return rgbAt(mix, 5, 5);
    }
    TestWeekPanel panel;
};

TEST_F(ApplyTest, FirstStartCreatesTheThreeFilesAndTheFirstClickAsks)
{
    QString error;
    ASSERT_TRUE(ReadApplyConfirmation(error));
    ASSERT_TRUE(LoadPicList(false));
    ASSERT_TRUE(LoadTransMode());
    const QList<QPair<QString, QByteArray>> files = {{"configSetBg.ini", "1\r\n"},
                                                     {"BGPicList.ini", "A1.bmp\r\nA1.bmp\r\n"},
                                                     {"SetTrans.ini", "1\r\n"}};
    for (const auto &f : files) {
        QFile file(DataDir() + f.first);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.first.toStdString();
        EXPECT_EQ(file.readAll(), f.second) << f.first.toStdString();
    }
    EXPECT_TRUE(AskBeforeApply);
    EXPECT_FALSE(ApplyConfirmed);
    EXPECT_EQ(PicIndex, 0);

    backgrounds({{"A1.bmp", QColor(0, 128, 0)}});
    Answer answer(Answer::Ok, false);
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    EXPECT_TRUE(answer.asked);
    EXPECT_TRUE(near(usedBackground(), qRgb(0, 128, 0)));
    EXPECT_EQ(PicIndex, 1);
}

TEST_F(ApplyTest, TheConfirmationWindow)
{
    TInforFrm *f = CreateInforFrm(nullptr);
    EXPECT_EQ(f->size(), QSize(344, 156));
    EXPECT_TRUE(f->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f->lblQuestion->text(), "您确定要更换壁纸？");
    EXPECT_TRUE(f->lblQuestion->font().bold());
    EXPECT_EQ(f->lblQuestion->font().pixelSize(), 14);
    EXPECT_EQ(f->chkNoAsk->text(), "下次不再提示");
    EXPECT_EQ(f->btnOk->text(), "确  定");
    EXPECT_EQ(f->btnCancel->text(), "取  消");
    EXPECT_EQ(f->btnX->text(), "X");
}

TEST_F(ApplyTest, TickedWithOkStoresZeroAndLaterClicksApplyAtOnce)
{
    QString error;
    ASSERT_TRUE(ReadApplyConfirmation(error));
    backgrounds({{"A1.bmp", Qt::gray}});
    LoadPicList(false);
    {
        Answer answer(Answer::Ok, true);
        EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
        EXPECT_TRUE(answer.asked);
    }
    EXPECT_EQ(lines(configsetbgfile::Path()), QStringList{"0"});
    EXPECT_FALSE(AskBeforeApply);
    {
        Answer answer(Answer::Cancel, false);
        EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
        EXPECT_FALSE(answer.asked);
    }
    // A later start reads the stored answer.
    ASSERT_TRUE(ReadApplyConfirmation(error));
    EXPECT_FALSE(AskBeforeApply);
}

struct NoCase {
    const char *name;
    Answer::Button button;
    bool tick;
};
class RefusedCases : public ApplyTest, public ::testing::WithParamInterface<NoCase> {};

TEST_P(RefusedCases, StoreNothingAndAskAgain)
{
    QString error;
    ASSERT_TRUE(ReadApplyConfirmation(error));
    backgrounds({{"A1.bmp", Qt::gray}});
    LoadPicList(false);
    {
        Answer answer(GetParam().button, GetParam().tick);
        EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::NotConfirmed);
        EXPECT_TRUE(answer.asked);
    }
    EXPECT_FALSE(ApplyConfirmed);
    EXPECT_TRUE(AskBeforeApply);
    EXPECT_EQ(lines(configsetbgfile::Path()), QStringList{"1"});
    EXPECT_FALSE(QFile::exists(PictureDir() + "Content.bmp")) << "nothing captured";
    EXPECT_TRUE(desktop->events.isEmpty());
    Answer again(Answer::Cancel, false);
    ApplyWeekToDesktop(nullptr, &panel);
    EXPECT_TRUE(again.asked);
}

INSTANTIATE_TEST_SUITE_P(Buttons, RefusedCases,
                         ::testing::Values(NoCase{"ticked_cancel", Answer::Cancel, true},
                                           NoCase{"cancel", Answer::Cancel, false},
                                           NoCase{"ticked_x", Answer::X, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ApplyTest, OkWithoutTickLeavesTheFileAlone)
{
    QString error;
    ASSERT_TRUE(ReadApplyConfirmation(error));
    backgrounds({{"A1.bmp", Qt::gray}});
    LoadPicList(false);
    Answer answer(Answer::Ok, false);
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    EXPECT_TRUE(ApplyConfirmed);
    EXPECT_TRUE(AskBeforeApply);
    EXPECT_EQ(lines(configsetbgfile::Path()), QStringList{"1"});
}

struct ConfigCase {
    QStringList file;
    bool ok;
    bool ask;
};
class ConfigSetBgCases : public ApplyTest, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(ConfigSetBgCases, FirstLineDecides)
{
    writeLines(configsetbgfile::Path(), GetParam().file);
    ApplyConfirmed = true;
    QString error;
    EXPECT_EQ(ReadApplyConfirmation(error), GetParam().ok);
    EXPECT_EQ(error.isEmpty(), GetParam().ok);
    EXPECT_EQ(AskBeforeApply, GetParam().ask);
    EXPECT_FALSE(ApplyConfirmed);
    EXPECT_EQ(lines(configsetbgfile::Path()), GetParam().file) << "never corrected";
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigSetBgCases,
                         ::testing::Values(ConfigCase{{"1"}, true, true}, ConfigCase{{"5", "0"}, true, true},
                                           ConfigCase{{"0"}, true, false}, ConfigCase{{"-3"}, true, false},
                                           ConfigCase{{"abc"}, false, true}, ConfigCase{{}, false, true}));

TEST_F(ApplyTest, RotationRunsBackwardsThroughTheList)
{
    backgrounds({{"A1.bmp", QColor(0, 200, 0)}, {"B.bmp", QColor(200, 0, 0)}, {"C.bmp", QColor(0, 0, 200)}});
    writeLines(piclistfile::Path(), {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"});
    LoadPicList(false);
    ASSERT_EQ(PicIndex, 3);
    AskBeforeApply = false;
    const QList<QRgb> expected = {qRgb(0, 0, 200), qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
    const QList<int> indexAfter = {2, 1, 3, 2};
    for (int k = 0; k < expected.size(); ++k) {
        ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied) << k;
        EXPECT_TRUE(near(usedBackground(), expected[k])) << "click " << k;
        EXPECT_EQ(PicIndex, indexAfter[k]) << "click " << k;
    }
}

struct MissingCase {
    const char *name;
    QStringList file;
    QRgb used; // every click
    int indexAfter;
};
class MissingBackground : public ApplyTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingBackground, UsesTheFollowingEntryOnEveryClick)
{
    backgrounds({{"A1.bmp", QColor(0, 200, 0)}, {"C.bmp", QColor(0, 0, 200)}});
    writeLines(piclistfile::Path(), GetParam().file);
    LoadPicList(false);
    AskBeforeApply = false;
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied) << k;
        EXPECT_TRUE(near(usedBackground(), GetParam().used)) << "click " << k;
        EXPECT_EQ(PicIndex, GetParam().indexAfter) << "click " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, MissingBackground,
                         ::testing::Values(MissingCase{"last_missing", {"Y.bmp", "A1.bmp", "C.bmp", "Y.bmp"},
                                                       qRgb(0, 200, 0), 3},
                                           MissingCase{"middle_missing", {"C.bmp", "A1.bmp", "X.bmp", "C.bmp"},
                                                       qRgb(0, 0, 200), 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ApplyTest, TheDesktopGetsThePathThenTheStretchedStyle)
{
    backgrounds({{"A1.bmp", Qt::gray}});
    LoadPicList(false);
    AskBeforeApply = false;
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    EXPECT_EQ(desktop->events,
              (QStringList{"open", "Wallpaper=" + PictureDir() + "Mix.bmp", "WallpaperStyle=2", "close", "reload"}));
    EXPECT_EQ(desktop->values.size(), 2);
    EXPECT_TRUE(QFileInfo(desktop->values[0].second).isFile());
}

TEST_F(ApplyTest, TheFilesOfTheApply)
{
    writeSolidBmp("A1.bmp", 1280, 800, QColor(30, 60, 90));
    LoadPicList(false);
    AskBeforeApply = false;
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    TPicture content, mix;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Content.bmp", content));
    EXPECT_EQ(bmpDepth(PictureDir() + "Content.bmp"), 32);
    EXPECT_EQ(QSize(content.width, content.height), QSize(594, 445));
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
    EXPECT_EQ(bmpDepth(PictureDir() + "Mix.bmp"), 24) << "the decoding of the JPEG";
    EXPECT_EQ(QSize(mix.width, mix.height), DesktopPixelSize()) << "composed at the desktop's size";
    QFile jpg(PictureDir() + "Mix.Jpg");
    ASSERT_TRUE(jpg.open(QIODevice::ReadOnly));
    EXPECT_EQ(jpg.read(2), QByteArray("\xFF\xD8"));
}

TEST_F(ApplyTest, FullModeLeavesTheBoxesOutAndHalfModeMixesThem)
{
    backgrounds({{"A1.bmp", QColor(0, 0, 100)}});
    LoadPicList(false);
    AskBeforeApply = false;
    // A pixel in the middle of the first box, where no text is.
    const QPoint inBox = panel.boxes[0]->geometry().center();
    const QPoint onBase = inBox + QPoint(DesktopPixelSize().width() - 50 - 594, 30);

    TransMode = 1;
    RecolourBoxes(panel.boxList());
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    TPicture mix;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
    EXPECT_TRUE(near(rgbAt(mix, onBase.x(), onBase.y()), qRgb(0, 0, 100), 6));

    TransMode = 0;
    RecolourBoxes(panel.boxList());
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
    EXPECT_TRUE(near(rgbAt(mix, onBase.x(), onBase.y()), qRgb(123, 123, 173), 6));
}

// ---- failures: silent, the wallpaper stays ---------------------------------------

TEST_F(ApplyTest, BackgroundsOfAnySizeAreBroughtToTheDesktopAndReceiveTheNotes)
{
    // Each smaller than the notes picture one way or both: the notes picture never becomes
    // the wallpaper, and it lies there at its own size.
    AskBeforeApply = false;
    TransMode = 0;
    RecolourBoxes(panel.boxList());
    const QSize screen = DesktopPixelSize();
    const QPoint inBox = panel.boxes[0]->geometry().center();
    for (const QSize bg : {QSize(1024, 460), QSize(300, 200), QSize(500, 900), QSize(2600, 1500)}) {
        writeSolidBmp("A1.bmp", bg.width(), bg.height(), QColor(0, 0, 100));
        LoadPicList(false);
        ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied) << bg.width();
        TPicture mix;
        ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
        EXPECT_EQ(QSize(mix.width, mix.height), screen) << bg.width();
        EXPECT_TRUE(near(rgbAt(mix, 5, 5), qRgb(0, 0, 100), 6)) << bg.width();
        const QPoint onBase = inBox + QPoint(screen.width() - 50 - 594, 30);
        EXPECT_TRUE(near(rgbAt(mix, onBase.x(), onBase.y()), qRgb(123, 123, 173), 6)) << bg.width();
    }
}

TEST_F(ApplyTest, NotesLargerThanTheDesktopAreCutToItAndTheBackgroundStillReceives)
{
    writeSolidBmp("A1.bmp", 640, 480, QColor(0, 0, 100));
    LoadPicList(false);
    AskBeforeApply = false;
    panel.resize(DesktopPixelSize() + QSize(200, 200));
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    TPicture mix;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
    EXPECT_EQ(QSize(mix.width, mix.height), DesktopPixelSize());
    EXPECT_TRUE(near(rgbAt(mix, 5, 5), qRgb(0, 0, 100), 6)) << "above the notes: the background";
    EXPECT_TRUE(near(rgbAt(mix, mix.width - 5, mix.height / 2), qRgb(0, 0, 100), 6)) << "the right margin";
}

TEST_F(ApplyTest, AForwardStepStaysWhenTheApplyFails)
{
    writeLines(piclistfile::Path(), {"Y.bmp", "A1.bmp", "Y.bmp"});
    QFile bad(PictureDir() + "A1.bmp"); // no picture
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BMnothing");
    bad.close();
    LoadPicList(false);
    AskBeforeApply = false;
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Failed);
    EXPECT_EQ(PicIndex, 1);
}

TEST_F(ApplyTest, ARefusingDesktopIsNoSuccessAndLeavesThePictureForTheUser)
{
    backgrounds({{"A1.bmp", Qt::gray}});
    LoadPicList(false);
    AskBeforeApply = false;
    desktop->failWrite = true;
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::NotSet);
    EXPECT_EQ(desktop->events, (QStringList{"open", "close"}));
    EXPECT_TRUE(QFile::exists(PictureDir() + "Mix.bmp"));
    EXPECT_EQ(PicIndex, 0);
}

TEST_F(ApplyTest, TheUserIsToldWhereThePictureIsAndMayOpenItsFolder)
{
    platform::SetRecordPages(true);
    // 0: the default button; 1: the folder; -1: the box closed.
    for (int answer : {0, 1, -1}) {
        dialogs::QueueAnswer(answer);
        ShowNotSetMessage(nullptr);
        const QList<dialogs::Shown> shown = dialogs::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].text.startsWith("无法自动设置此桌面的壁纸。")) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(QDir::toNativeSeparators(WallpaperPath())));
        EXPECT_EQ(shown[0].detail.toStringList(), (QStringList{"确定", "打开所在文件夹"}));
        const QStringList opened = platform::TakeOpenedPages();
        if (answer == 1) {
            ASSERT_EQ(opened.size(), 1);
            EXPECT_EQ(QUrl(opened[0]).toLocalFile(), QFileInfo(WallpaperPath()).absolutePath());
        } else {
            EXPECT_TRUE(opened.isEmpty());
        }
    }
    platform::SetRecordPages(false);
}

TEST_F(ApplyTest, UnusableListsFailWithoutHarm)
{
    AskBeforeApply = false;
    // Empty list.
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Failed);
    // One entry naming a missing file: there is no following entry.
    writeLines(piclistfile::Path(), {"gone.bmp"});
    LoadPicList(false);
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Failed);
    EXPECT_EQ(PicIndex, 0);
    // A background that is no picture.
    QFile bad(PictureDir() + "A1.bmp");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BMnothing");
    bad.close();
    writeLines(piclistfile::Path(), {"A1.bmp", "A1.bmp"});
    LoadPicList(false);
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Failed);
    EXPECT_TRUE(desktop->events.isEmpty());
}

TEST_F(ApplyTest, AMissingPictureFolderFailsSilently)
{
    LoadPicList(false);
    AskBeforeApply = false;
    ASSERT_TRUE(QDir(PictureDir()).removeRecursively());
    EXPECT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Failed);
    EXPECT_TRUE(desktop->events.isEmpty());
}

// ---- the notes picture ------------------------------------------------------------

class NotesPictureTest : public WallpaperTest {
protected:
    TPicture capture()
    {
        TPicture p;
        EXPECT_TRUE(SaveNotesPicture(&panel));
        EXPECT_TRUE(pictures::ReadBmp(PictureDir() + "Content.bmp", p));
        return p;
    }
    TestWeekPanel panel;
};

TEST_F(NotesPictureTest, HasThePanelsCurrentSizeAndFourthByteZero)
{
    TPicture p = capture();
    EXPECT_EQ(QSize(p.width, p.height), QSize(594, 445));
    panel.resize(594 + 120, 445 + 60);
    p = capture();
    EXPECT_EQ(QSize(p.width, p.height), QSize(714, 505));
    bool allZero = true;
    for (size_t i = 3; i < p.bits.size(); i += 4)
        allZero = allZero && p.bits[i] == 0;
    EXPECT_TRUE(allZero);
}

TEST_F(NotesPictureTest, BoxesAreWhiteInFullModeAndGreyInHalfMode)
{
    panel.boxes[2]->setPlainText("周三 开会");
    const QPoint empty = panel.boxes[1]->geometry().center();
    TransMode = 1;
    RecolourBoxes(panel.boxList());
    TPicture p = capture();
    EXPECT_EQ(rgbAt(p, empty.x(), empty.y()), qRgb(255, 255, 255));

    TransMode = 0;
    RecolourBoxes(panel.boxList());
    p = capture();
    for (QTextEdit *box : panel.boxes) {
        const QPoint c = box->geometry().bottomRight() - QPoint(10, 10);
        EXPECT_EQ(rgbAt(p, c.x(), c.y()), qRgb(247, 247, 247));
    }
    // The panel itself stays white: only the boxes change.
    EXPECT_EQ(rgbAt(p, 1, 1), qRgb(255, 255, 255));
    // And the text is in the picture.
    const QRect textArea = panel.boxes[2]->geometry().adjusted(0, 0, 0, -panel.boxes[2]->height() / 2);
    int dark = 0;
    for (int y = textArea.top(); y <= textArea.bottom(); ++y)
        for (int x = textArea.left(); x <= textArea.right(); ++x)
            dark += qGray(rgbAt(p, x, y)) < 128;
    EXPECT_GT(dark, 20);
}

TEST_F(NotesPictureTest, AMissingFolderIsAnError)
{
    ASSERT_TRUE(QDir(PictureDir()).removeRecursively());
    EXPECT_FALSE(SaveNotesPicture(&panel));
    EXPECT_FALSE(SaveNotesPicture(nullptr));
}

// ---- a real X server with no desktop ---------------------------------------------

class XvfbDesktop : public WallpaperTest {};

TEST_F(XvfbDesktop, ApplyWritesTheComposedPictureAndFailsSilently)
{
    if (!qEnvironmentVariableIsSet("TAVI_XVFB_TEST"))
        GTEST_SKIP() << "runs under xvfb-run as the test wallpaper_xvfb_no_desktop";
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    platform::SetWallpaperBackend(nullptr);
    const QString desktop = platform::RunningDesktop();

    writeSolidBmp("A1.bmp", 1024, 768, QColor(40, 80, 120));
    LoadPicList(false);
    AskBeforeApply = false;
    TestWeekPanel panel;
    panel.setAttribute(Qt::WA_DontShowOnScreen, false);
    panel.boxes[0]->setPlainText("星期一的记事");
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    dialogs::TakeShown();

    const ApplyResult r = ApplyWeekToDesktop(nullptr, &panel);

    TPicture mix;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "Mix.bmp", mix));
    EXPECT_EQ(QSize(mix.width, mix.height), QSize(1280, 800)) << "the screen's size";
    EXPECT_EQ(bmpDepth(PictureDir() + "Mix.bmp"), 24);
    EXPECT_TRUE(QFile::exists(PictureDir() + "Mix.Jpg"));
    EXPECT_TRUE(QFile::exists(PictureDir() + "Content.bmp"));
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
    if (desktop.isEmpty()) {
        EXPECT_EQ(r, ApplyResult::NotSet);
        EXPECT_EQ(PicIndex, 0) << "not stepped back";
    } else {
        // A tool such as xwallpaper on this machine really takes the picture.
        EXPECT_EQ(r, ApplyResult::Applied);
    }
}
