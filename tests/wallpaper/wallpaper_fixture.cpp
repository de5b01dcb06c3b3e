#include "wallpaper_fixture.h"

#include "Dialogs.h"
#include "ProgramFolder.h"
#include "SettingsFile.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "uSetTrans.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTextEdit>

void WallpaperTest::SetUp()
{
    home = std::make_unique<TempProgramDir>(false);
    QDir().mkpath(PictureDir());
    ResetPictureState();
    PicIndex = 0;
    AskBeforeApply = true;
    ApplyConfirmed = false;
    TransMode = 1;
    dialogs::SetScripted(true);
    desktop = std::make_shared<RecordingWallpaper>();
    platform::SetWallpaperBackend(desktop);
}

void WallpaperTest::TearDown()
{
    delete InforFrm.data();
    delete PicSelFrm.data();
    delete SetTransFrm.data();
    platform::SetWallpaperBackend(nullptr);
    dialogs::SetScripted(false);
    home.reset();
}

QString WallpaperTest::fixture(const QString &name) { return QStringLiteral(TAVI_TEST_DATA "/wallpaper/") + name; }

void WallpaperTest::writeSolidBmp(const QString &name, int w, int h, const QColor &c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    ASSERT_TRUE(img.save(PictureDir() + name, "BMP"));
}

QStringList WallpaperTest::lines(const QString &path) { return settings::Read(path).lines; }

void WallpaperTest::writeLines(const QString &path, const QStringList &l) { ASSERT_TRUE(settings::Write(path, l)); }

TestWeekPanel::TestWeekPanel()
{
    setAttribute(Qt::WA_DontShowOnScreen);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    const char *titles[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六/日"};
    for (int i = 0; i < 6; ++i) {
        auto *title = new QLabel(QString::fromUtf8(titles[i]), this);
        title->setObjectName(QStringLiteral("title%1").arg(i));
        boxes[size_t(i)] = new QTextEdit(this);
        boxes[size_t(i)]->setFrameShape(QFrame::NoFrame);
        boxes[size_t(i)]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    resize(594, 445);
    layoutBoxes();
}

QList<QTextEdit *> TestWeekPanel::boxList() const { return {boxes.begin(), boxes.end()}; }

void TestWeekPanel::layoutBoxes()
{
    // Two columns of three, a 20-pixel title above each box.
    const int cw = width() / 2, rh = height() / 3;
    for (int i = 0; i < 6; ++i) {
        const int x = (i / 3) * cw, y = (i % 3) * rh;
        findChild<QLabel *>(QStringLiteral("title%1").arg(i))->setGeometry(x + 4, y, cw - 8, 20);
        boxes[size_t(i)]->setGeometry(x + 4, y + 20, cw - 8, rh - 24);
    }
}

void TestWeekPanel::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    layoutBoxes();
}
