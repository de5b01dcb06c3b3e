// The week on the desktop as people read it: legible over the backgrounds people choose, and
// as large and as sharp as the week panel on screen, whatever the screen and scale.
#include "wallpaper_fixture.h"

#include "Legibility.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "uSetTrans.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// Every pixel of a picture's rectangle, by how many times it occurs.
std::map<QRgb, int> colours(const QImage &img, const QRect &r)
{
    std::map<QRgb, int> out;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++out[img.pixel(x, y) & 0xffffff];
    return out;
}

} // namespace

class LegibilityTest : public WallpaperTest {};

TEST_F(LegibilityTest, TheNotesReadOnTheShippedBackgroundAndOnDarkAndBrightBusyOnes)
{
    const QSize desktop(1920, 1080);
    const struct {
        const char *name;
        int mode;
        QImage background;
        double goal;
    } cases[] = {
        {"full mode, shipped background", 1, QImage(QStringLiteral(TAVI_SHIPPED_BACKGROUND)), 3.0},
        {"half mode, dark plasma", 0, legibility::Plasma(desktop, 11, 0, 90), 4.5},
        {"half mode, bright busy plasma", 0, legibility::Plasma(desktop, 12, 150, 255), 3.0},
    };
    for (const auto &c : cases) {
        ASSERT_FALSE(c.background.isNull()) << c.name;
        const QString bg = PictureDir() + "bg.bmp";
        ASSERT_TRUE(c.background.save(bg, "BMP"));
        legibility::TNotesPanel panel(c.mode);
        ASSERT_TRUE(SaveNotesPicture(&panel));
        ASSERT_TRUE(ComposeWallpaper(bg, desktop));
        const QImage notes = legibility::ReadPicture(PictureDir() + "Content.bmp");
        const QImage mix = legibility::ReadPicture(PictureDir() + "Mix.bmp");
        ASSERT_EQ(mix.size(), desktop);
        const QRgb box = TransBoxColour(c.mode).rgb();
        const double ratio = legibility::StrokeContrast(notes, mix, QPoint(1920 - notes.width() - 50, 30), box);
        EXPECT_GE(ratio, c.goal) << c.name;
    }
}

TEST_F(LegibilityTest, TheCaptureDrawsTheBoxTextWithoutFringeAndTheScreenKeepsItsSmoothText)
{
    for (const int mode : {1, 0}) {
        legibility::TNotesPanel panel(mode);
        auto *box = panel.findChildren<QTextEdit *>().front();
        box->setPlainText(QString::fromUtf8("星期一 交报告 09:30"));
        const QRgb boxColour = TransBoxColour(mode).rgb() & 0xffffff;
        const QRect inBox = box->geometry().adjusted(2, 2, -2, -2);
        QSignalSpy edits(box->document(), &QTextDocument::contentsChanged);

        ASSERT_TRUE(SaveNotesPicture(&panel));
        const auto captured = colours(legibility::ReadPicture(PictureDir() + "Content.bmp"), inBox);
        EXPECT_EQ(captured.size(), 2u) << "box colour and black, nothing between: mode " << mode;
        EXPECT_TRUE(captured.count(boxColour) && captured.count(0)) << mode;

        const auto onScreen = colours(panel.grab().toImage(), inBox);
        EXPECT_GT(onScreen.size(), 2u) << "the screen's text stays smooth";
        EXPECT_FALSE(box->document()->defaultFont().styleStrategy() & QFont::NoAntialias);
        EXPECT_EQ(edits.count(), 0) << "the capture changes no note";
    }
}

// Under xvfb-run at a given screen size and QT_SCALE_FACTOR, as the tests
// wallpaper_desktop_size_* run it.
class DesktopSize : public WallpaperTest {};

TEST_F(DesktopSize, TheNotesShowAtThePanelsOnScreenSizeAndAsSharp)
{
    const QByteArray want = qgetenv("TAVI_DESKTOP_SIZE_TEST");
    if (want.isEmpty())
        GTEST_SKIP() << "runs under xvfb-run as the tests wallpaper_desktop_size_*";
    const QList<QByteArray> wh = want.split('x');
    const QSize screen(wh.value(0).toInt(), wh.value(1).toInt());
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_EQ(DesktopPixelSize(), screen);
    ASSERT_NEAR(QGuiApplication::primaryScreen()->devicePixelRatio(), scale, 1e-6);

    // The shipped background's size, on every screen.
    const QColor ground(0, 0, 100);
    writeSolidBmp("A1.bmp", 1920, 1080, ground);
    LoadPicList(false);
    AskBeforeApply = false;
    legibility::TNotesPanel panel(0);
    panel.setAttribute(Qt::WA_DontShowOnScreen, false);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);

    const QImage notes = legibility::ReadPicture(PictureDir() + "Content.bmp");
    const QImage mix = legibility::ReadPicture(PictureDir() + "Mix.bmp");
    ASSERT_EQ(mix.size(), screen) << "the desktop shows it pixel for pixel";
    const QSizeF onScreen = QSizeF(panel.size()) * panel.devicePixelRatioF();
    const double shownWidth = notes.width() * double(screen.width()) / mix.width();
    const double shownHeight = notes.height() * double(screen.height()) / mix.height();
    std::printf("screen %dx%d, scale %.2f: panel %.0fx%.0f on screen, notes %.0fx%.0f on the desktop\n",
                screen.width(), screen.height(), scale, onScreen.width(), onScreen.height(), shownWidth, shownHeight);
    EXPECT_NEAR(shownWidth / onScreen.width(), 1.0, 0.05);
    EXPECT_NEAR(shownHeight / onScreen.height(), 1.0, 0.05);

    // Sharp: the composed pixels are the notes' own pixels mixed into the ground, one for one
    // (up to the JPEG pass), not a resampling of them.
    const QPoint at(mix.width() - notes.width() - 50, 30);
    double error = 0;
    for (int y = 0; y < notes.height(); ++y)
        for (int x = 0; x < notes.width(); ++x) {
            const QRgb s = notes.pixel(x, y), d = ground.rgb(), m = mix.pixel(at.x() + x, at.y() + y);
            const bool white = (s & 0xffffff) == 0xffffff;
            auto want = [&](int sv, int dv) { return white ? dv : dv + ((sv - dv) * 50) / 100; };
            error += std::abs(qRed(m) - want(qRed(s), qRed(d))) + std::abs(qGreen(m) - want(qGreen(s), qGreen(d)))
                     + std::abs(qBlue(m) - want(qBlue(s), qBlue(d)));
        }
    EXPECT_LT(error / (3.0 * notes.width() * notes.height()), 4.0);

    // And legible in full mode on the shipped background, at this size and scale.
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVI_SHIPPED_BACKGROUND), PictureDir() + "shipped.bmp"));
    TransMode = 1;
    RecolourBoxes(panel.findChildren<QTextEdit *>());
    ASSERT_TRUE(SaveNotesPicture(&panel));
    ASSERT_TRUE(ComposeWallpaper(PictureDir() + "shipped.bmp"));
    const QImage full = legibility::ReadPicture(PictureDir() + "Content.bmp");
    const QImage onShipped = legibility::ReadPicture(PictureDir() + "Mix.bmp");
    const double ratio = legibility::StrokeContrast(full, onShipped, QPoint(screen.width() - full.width() - 50, 30),
                                                    TransBoxColour(1).rgb());
    std::printf("  full mode on the shipped background: %.2f : 1\n", ratio);
    EXPECT_GE(ratio, 3.0);
}

TEST(StretchedTo, ShowsThePictureAsTheStretchedStyleDoes)
{
    // Two by two: black, white / red, blue; the fourth byte set, to see it cleared.
    TPicture p(2, 2, 0x7f);
    const QRgb px[4] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        std::uint8_t *b = p.pixel(i % 2, i / 2);
        b[0] = std::uint8_t(qBlue(px[i]));
        b[1] = std::uint8_t(qGreen(px[i]));
        b[2] = std::uint8_t(qRed(px[i]));
    }
    for (const QSize size : {QSize(2, 2), QSize(8, 8), QSize(16, 4), QSize(3, 9)}) {
        const TPicture s = StretchedTo(p, size);
        ASSERT_EQ(QSize(s.width, s.height), size);
        auto at = [&](int x, int y) {
            const std::uint8_t *b = s.pixel(x, y);
            return qRgb(b[2], b[1], b[0]);
        };
        // The corners keep their colours; a column or row between them is a blend.
        EXPECT_EQ(at(0, 0), px[0]) << size.width();
        EXPECT_EQ(at(size.width() - 1, 0), px[1]) << size.width();
        EXPECT_EQ(at(0, size.height() - 1), px[2]) << size.width();
        EXPECT_EQ(at(size.width() - 1, size.height() - 1), px[3]) << size.width();
        for (size_t i = 3; i < s.bits.size(); i += 4)
            ASSERT_EQ(s.bits[i], 0) << size.width();
        if (size.width() >= 8) {
            const int mid = qGray(at(size.width() / 2, 0));
            EXPECT_GT(mid, 60);
            EXPECT_LT(mid, 195) << "a blend, not a copy of one side";
        }
    }
    EXPECT_TRUE(StretchedTo(p, QSize()).empty());
}
