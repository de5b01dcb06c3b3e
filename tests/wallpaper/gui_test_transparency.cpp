// The transparency setting: its file, its window and the colour of the boxes.
#include "wallpaper_fixture.h"

#include "PictureButton.h"
#include "SetTransFile.h"
#include "uSetTrans.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

class TransparencyTest : public WallpaperTest {
protected:
    static QColor boxColour(QTextEdit *box) { return box->viewport()->palette().color(QPalette::Base); }
    TestWeekPanel panel;
};

TEST_F(TransparencyTest, FirstStartCreatesTheFileWithFullTransparency)
{
    TransMode = 7;
    ASSERT_TRUE(LoadTransMode());
    EXPECT_EQ(TransMode, 1);
    QFile f(settransfile::Path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "1\r\n");
    RecolourBoxes(panel.boxList());
    for (QTextEdit *box : panel.boxes)
        EXPECT_EQ(boxColour(box), QApplication::palette().color(QPalette::Base));
}

struct ModeCase {
    QStringList file;
    int mode;
    QColor colour; // invalid: the system's window colour
};
class TransModeCases : public TransparencyTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(TransModeCases, FirstLineAsNumberAnythingElseIsFull)
{
    writeLines(settransfile::Path(), GetParam().file);
    ASSERT_TRUE(LoadTransMode());
    EXPECT_EQ(TransMode, GetParam().mode);
    RecolourBoxes(panel.boxList());
    const QColor expected =
        GetParam().colour.isValid() ? GetParam().colour : QApplication::palette().color(QPalette::Base);
    for (QTextEdit *box : panel.boxes)
        EXPECT_EQ(boxColour(box), expected);
    EXPECT_EQ(lines(settransfile::Path()), GetParam().file) << "the file is not corrected";
}

INSTANTIATE_TEST_SUITE_P(Files, TransModeCases,
                         ::testing::Values(ModeCase{{"1"}, 1, {}}, ModeCase{{"0"}, 0, QColor(247, 247, 247)},
                                           ModeCase{{"2"}, 2, QColor(247, 247, 247)},
                                           ModeCase{{"-1", "1"}, -1, QColor(247, 247, 247)},
                                           ModeCase{{"abc"}, 1, {}}, ModeCase{{}, 1, {}}));

TEST_F(TransparencyTest, AnUnreadableFileIsAnErrorForTheShowSteps)
{
    ASSERT_TRUE(QDir().mkpath(settransfile::Path())); // a folder where the file should be
    QString error;
    EXPECT_FALSE(LoadTransMode(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(TransparencyTest, TheWindow)
{
    TSetTransFrm *f = CreateSetTransFrm(nullptr);
    EXPECT_EQ(f->size(), QSize(376, 170));
    EXPECT_TRUE(f->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f->rbFull->text(), " 全透明效果");
    EXPECT_EQ(f->rbHalf->text(), " 半透明效果  ");
    EXPECT_EQ(f->lblHalfNote->text(), "（适合各种壁纸颜色）");
    EXPECT_EQ(f->lblFullNote->text(), "（适合较淡壁纸，蓝天白云等）");
    EXPECT_EQ(f->lblTitle->text(), "背景透明度调节");
    EXPECT_EQ(f->rbFull->font().pixelSize(), 16);
    EXPECT_EQ(f->lblFullNote->font().pixelSize(), 15);
    EXPECT_EQ(f->btnOk->text(), "确  定");
    EXPECT_EQ(f->btnCancel->text(), "取  消");
}

namespace {
// Does `act` on the transparency window once it is up inside the modal run.
class WhenShown {
public:
    explicit WhenShown(std::function<void(TSetTransFrm *)> act)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this, act] {
            if (SetTransFrm && SetTransFrm->isVisible()) {
                shownFull = SetTransFrm->rbFull->isChecked();
                shownHalf = SetTransFrm->rbHalf->isChecked();
                act(SetTransFrm);
            }
        });
        m_timer.start(0);
    }
    bool shownFull = false, shownHalf = false;

private:
    QTimer m_timer;
};
} // namespace

TEST_F(TransparencyTest, HalfStoredOpensOnHalfAndOkWithoutChangeStoresZero)
{
    writeLines(settransfile::Path(), {"2"});
    ASSERT_TRUE(LoadTransMode());
    CreateSetTransFrm(nullptr);
    WhenShown shown([](TSetTransFrm *f) { QTest::mouseClick(f->btnOk, Qt::LeftButton); });
    N_BgTransparentClick(nullptr, panel.boxList());
    EXPECT_TRUE(shown.shownHalf);
    EXPECT_FALSE(shown.shownFull);
    EXPECT_EQ(lines(settransfile::Path()), QStringList{"0"});
    EXPECT_EQ(TransMode, 0);
    EXPECT_EQ(boxColour(panel.boxes[0]), QColor(247, 247, 247));
}

TEST_F(TransparencyTest, ChoosingHalfThenCancelStoresNothingAndKeepsTheColour)
{
    ASSERT_TRUE(LoadTransMode()); // creates "1"
    RecolourBoxes(panel.boxList());
    CreateSetTransFrm(nullptr);
    WhenShown shown([](TSetTransFrm *f) {
        QTest::mouseClick(f->rbHalf, Qt::LeftButton);
        QTest::mouseClick(f->btnCancel, Qt::LeftButton);
    });
    N_BgTransparentClick(nullptr, panel.boxList());
    EXPECT_TRUE(shown.shownFull);
    EXPECT_EQ(lines(settransfile::Path()), QStringList{"1"});
    EXPECT_EQ(TransMode, 1);
    EXPECT_EQ(boxColour(panel.boxes[5]), QApplication::palette().color(QPalette::Base));
}

TEST_F(TransparencyTest, ChoosingFullStoresOneAndTheCloseButtonStoresNothing)
{
    writeLines(settransfile::Path(), {"0"});
    ASSERT_TRUE(LoadTransMode());
    CreateSetTransFrm(nullptr);
    {
        WhenShown shown([](TSetTransFrm *f) {
            QTest::mouseClick(f->rbFull, Qt::LeftButton);
            QTest::mouseClick(f->btnOk, Qt::LeftButton);
        });
        N_BgTransparentClick(nullptr, panel.boxList());
    }
    EXPECT_EQ(lines(settransfile::Path()), QStringList{"1"});
    EXPECT_EQ(boxColour(panel.boxes[0]), QApplication::palette().color(QPalette::Base));
    {
        WhenShown shown([](TSetTransFrm *f) {
            QTest::mouseClick(f->rbHalf, Qt::LeftButton);
            QTest::mouseClick(f->imgClose, Qt::LeftButton);
        });
        N_BgTransparentClick(nullptr, panel.boxList());
        EXPECT_TRUE(shown.shownFull);
    }
    EXPECT_EQ(lines(settransfile::Path()), QStringList{"1"});
    EXPECT_EQ(TransMode, 1);
}
