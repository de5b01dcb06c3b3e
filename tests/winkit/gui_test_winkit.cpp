// The borderless-window kit: the three-picture button, dragging, centring, pixel fonts,
// the status line and the table of named commands.
#include "ActionTable.h"
#include "Frame.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "StatusLine.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Presses the left button at `at` on the widget, moves by `by` with the button held, releases.
void dragOn(QWidget *w, QPoint at, QPoint by)
{
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, at + by, w->mapToGlobal(at + by), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at + by);
}

void enter(QWidget *w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}

void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

class TTestDialog : public TBorderlessDialog {
public:
    TTestDialog(QWidget *owner, Centre centre) : TBorderlessDialog(owner, 300, 200, centre)
    {
        button = new QPushButton(QStringLiteral("OK"), this);
        button->setGeometry(200, 160, 80, 28);
        dragBy({this});
    }
    using TBorderlessDialog::showEvent;
    QPushButton *button;
};

} // namespace

// --- the close button's three pictures ------------------------------------------

TEST(CloseButton, NormalHighlightedPressedAndClickOnlyWhenReleasedOver)
{
    QWidget host;
    host.resize(100, 60);
    auto *b = new TCloseButton(&host);
    b->move(10, 10);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    int clicks = 0;
    QObject::connect(b, &TCloseButton::clicked, [&] { ++clicks; });
    QTest::mouseMove(&host, QPoint(90, 50));
    QEvent away(QEvent::Leave);
    QApplication::sendEvent(b, &away);

    EXPECT_EQ(b->state(), TCloseButton::State::Normal);
    const QImage normal = b->grab().toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), b->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(b->state(), TCloseButton::State::Highlighted);
    const QImage highlighted = b->grab().toImage();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->state(), TCloseButton::State::Pressed);
    const QImage pressed = b->grab().toImage();
    EXPECT_NE(normal, highlighted);
    EXPECT_NE(highlighted, pressed);
    EXPECT_NE(normal, pressed);

    // Released away from the button: no click.
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->state(), TCloseButton::State::Normal);

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->state(), TCloseButton::State::Highlighted);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_EQ(b->state(), TCloseButton::State::Normal);
}

// Three plain pictures of different colours, the normal one a column narrower and drawn one
// pixel to the right, as the main window's minimise button has them.
TEST(PictureButton, EachStateDrawsItsOwnPictureAtItsOffset)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char *name;
        QColor colour;
        int width;
    } pics[] = {{"n.png", QColor(10, 20, 30), 28}, {"h.png", QColor(200, 40, 40), 29}, {"p.png", QColor(40, 200, 40), 29}};
    for (const auto &p : pics) {
        QImage img(p.width, 20, QImage::Format_RGB32);
        img.fill(p.colour);
        ASSERT_TRUE(img.save(dir.filePath(p.name)));
    }
    QWidget host;
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::white);
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    host.resize(80, 40);
    auto *b = new TPictureButton(&host, dir.filePath("n.png"), dir.filePath("h.png"), dir.filePath("p.png"));
    b->setPictureOffset(TPictureButton::State::Normal, QPoint(1, 0));
    EXPECT_EQ(b->sizeHint(), QSize(29, 20));
    b->setGeometry(10, 10, 29, 20);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    int clicks = 0;
    QObject::connect(b, &TPictureButton::clicked, [&] { ++clicks; });

    QTest::mouseMove(&host, QPoint(70, 35));
    leave(b);
    // The middle of a logical pixel, also under a scale factor.
    const auto seen = [&](QPoint at) {
        const QImage shot = host.grab().toImage();
        const QPointF middle = (QPointF(b->mapTo(&host, at)) + QPointF(0.5, 0.5)) * shot.devicePixelRatio();
        return shot.pixelColor(int(middle.x()), int(middle.y()));
    };
    EXPECT_EQ(seen(QPoint(0, 10)), QColor(Qt::white)); // left of the shifted normal picture
    EXPECT_EQ(seen(QPoint(1, 10)), pics[0].colour);
    EXPECT_EQ(seen(QPoint(28, 19)), pics[0].colour);
    enter(b);
    EXPECT_EQ(seen(QPoint(0, 10)), pics[1].colour);
    // Only the left button presses it.
    QTest::mousePress(b, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->state(), TPictureButton::State::Highlighted);
    QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(seen(QPoint(0, 10)), pics[2].colour);
    // Held down, out and back in.
    QMouseEvent out(QEvent::MouseMove, QPointF(50, 5), b->mapToGlobal(QPointF(50, 5)), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(b, &out);
    EXPECT_EQ(b->state(), TPictureButton::State::Normal);
    QMouseEvent back(QEvent::MouseMove, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(b, &back);
    EXPECT_EQ(b->state(), TPictureButton::State::Pressed);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->state(), TPictureButton::State::Highlighted);

    // A window that goes away under the mouse gives no leave: reset, and hiding, put it back.
    b->reset();
    EXPECT_EQ(b->state(), TPictureButton::State::Normal);
    enter(b);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    host.hide();
    EXPECT_EQ(b->state(), TPictureButton::State::Normal);
    host.show();
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1); // the press died with the hiding
    leave(b);
}

TEST(CloseButton, IsTheKitsPicturesAtTheirSize)
{
    TCloseButton b;
    EXPECT_EQ(b.size(), QSize(27, 20));
    EXPECT_EQ(b.cursor().shape(), Qt::PointingHandCursor);
    // The highlighted picture is a filled red key with a white cross: legible at a glance.
    const QImage pic(QStringLiteral(":/winkit/close_highlight.png"));
    ASSERT_FALSE(pic.isNull());
    const auto luminance = [](QColor c) {
        const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const double fill = luminance(pic.pixelColor(3, 3));
    double lightest = fill;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            if (pic.pixelColor(x, y).alpha() == 255)
                lightest = std::max(lightest, luminance(pic.pixelColor(x, y)));
    EXPECT_GE((lightest + 0.05) / (fill + 0.05), 3.0);
}

TEST(BorderlessDialog, DraggedByItsBackgroundNotByAButtonNorTheRightButton)
{
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    TTestDialog d(&owner, TBorderlessDialog::Centre::OnOwner);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(d.minimumSize(), QSize(300, 200));
    EXPECT_EQ(d.maximumSize(), QSize(300, 200));

    QPoint before = d.pos();
    dragOn(&d, QPoint(40, 40), QPoint(25, -15));
    EXPECT_EQ(d.pos(), before + QPoint(25, -15));

    before = d.pos();
    dragOn(d.button, QPoint(5, 5), QPoint(30, 30));
    EXPECT_EQ(d.pos(), before);

    QTest::mousePress(&d, Qt::RightButton, {}, QPoint(40, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 70), d.mapToGlobal(QPointF(70, 70)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &move);
    QTest::mouseRelease(&d, Qt::RightButton, {}, QPoint(70, 70));
    EXPECT_EQ(d.pos(), before);
}

TEST(BorderlessDialog, CentredOnEachShowingOnTheOwnersWindowOrTheScreen)
{
    QWidget owner;
    owner.setGeometry(120, 90, 700, 500);
    auto *inner = new QWidget(&owner); // the owner may be a widget inside a window
    inner->setGeometry(10, 10, 50, 50);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QWidget *owner;
        TBorderlessDialog::Centre centre;
        QPoint expected;
    } cases[] = {
        {&owner, TBorderlessDialog::Centre::OnOwner, owner.frameGeometry().center()},
        {inner, TBorderlessDialog::Centre::OnOwner, owner.frameGeometry().center()},
        {&owner, TBorderlessDialog::Centre::OnScreen, screen.center()},
        {nullptr, TBorderlessDialog::Centre::OnOwner, screen.center()},
    };
    for (const auto &c : cases) {
        TTestDialog d(c.owner, c.centre);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_LE((d.frameGeometry().center() - c.expected).manhattanLength(), 1);
        // Moved, hidden and shown again: centred again.
        d.move(d.pos() + QPoint(40, 30));
        d.hide();
        d.show();
        EXPECT_LE((d.frameGeometry().center() - c.expected).manhattanLength(), 1);
        // Restored from minimised (a show from the window system): stays where it was.
        d.move(d.pos() + QPoint(40, 30));
        const QPoint moved = d.pos();
        QShowEvent restored;
        QSpontaneKeyEvent::setSpontaneous(&restored);
        d.showEvent(&restored);
        EXPECT_EQ(d.pos(), moved);
    }
}

TEST(PixelFont, SizedInPixelsAndOnlyTheSmallSongFaceCrisp)
{
    const QString song = QStringLiteral("宋体");
    const QString yahei = QStringLiteral("微软雅黑");
    const struct {
        QString family;
        int pixels;
        bool bold, crisp, noAntialias;
    } cases[] = {
        {song, 12, false, false, false}, {song, 12, true, true, true},   {song, 16, false, true, true},
        {song, 17, false, true, false},  {yahei, 12, true, true, false}, {yahei, 14, true, false, false},
    };
    for (const auto &c : cases) {
        const QFont f = c.crisp ? winkit::CrispPixelFont(c.family, c.pixels, c.bold)
                                : winkit::PixelFont(c.family, c.pixels, c.bold);
        SCOPED_TRACE(c.family.toStdString() + " " + std::to_string(c.pixels));
        EXPECT_EQ(f.family(), c.family);
        EXPECT_EQ(f.pixelSize(), c.pixels);
        EXPECT_EQ(f.bold(), c.bold);
        EXPECT_FALSE(f.italic());
        EXPECT_FALSE(f.underline());
        EXPECT_EQ(bool(f.styleStrategy() & QFont::NoAntialias), c.noAntialias);
    }
}

TEST(StatusLine, AHeavierMessageStandsFirstAndAClearedOneRevealsTheNext)
{
    QWidget window;
    TStatusLine line(&window);
    line.resize(2000, 20);
    window.show();
    using S = TStatusLine;
    struct Step {
        S::Source source;
        const char *text;
        const char *shown; // "" when the line is hidden
    } steps[] = {
        {S::Reminder, "提醒", "提醒"},
        {S::SaveFailure, "未保存", "未保存；提醒"}, // a save failing after the reminder
        {S::Information, "信息", "未保存；提醒；信息"},
        {S::Reminder, "新提醒", "未保存；新提醒；信息"}, // the next day's reminder keeps its place
        {S::ReadFailure, "未读出", "未保存；未读出；新提醒；信息"},
        {S::SaveFailure, "", "未读出；新提醒；信息"}, // the save recovers: the rest stay
        {S::ReadFailure, "", "新提醒；信息"},
        {S::Reminder, "", "信息"},
        {S::Information, "", ""},
    };
    for (const Step &s : steps) {
        line.Set(s.source, QString::fromUtf8(s.text));
        SCOPED_TRACE(s.shown);
        EXPECT_EQ(line.text(), QString::fromUtf8(s.shown));
        EXPECT_EQ(line.toolTip(), QString::fromUtf8(s.shown));
        EXPECT_EQ(line.isVisibleTo(&window), *s.shown != 0);
    }

    // Too narrow for all: the lightest goes first; the tooltip keeps everything.
    line.Set(S::Reminder, QString(40, QChar(0x5b57)));
    line.Set(S::SaveFailure, QString::fromUtf8("未保存"));
    line.resize(line.fontMetrics().horizontalAdvance(QString::fromUtf8("未保存；字字")), 20);
    EXPECT_TRUE(line.text().startsWith(QString::fromUtf8("未保存；"))) << line.text().toStdString();
    EXPECT_TRUE(line.text().endsWith(QChar(0x2026))) << line.text().toStdString();
    EXPECT_EQ(line.toolTip(), QString::fromUtf8("未保存；") + QString(40, QChar(0x5b57)));
}

TEST(ActionTable, CommandsByNameGoIntoMenusWhereTheyAreAsked)
{
    QWidget owner;
    TActionTable table(&owner);
    QMenu menu(&owner);
    for (const char *name : {"a", "b", "c"})
        table.Add(QString::fromLatin1(name), QString::fromLatin1(name).toUpper());
    table.AddSeparator(QStringLiteral("sep"));
    table.DefineMenu(QStringLiteral("m"), &menu, {"a", "sep", "b"});

    table.Insert(QStringLiteral("m"), QStringLiteral("c"), QStringLiteral("sep")); // before a named item
    auto *later = table.Add(QStringLiteral("later"), QStringLiteral("L"));
    table.Insert(QStringLiteral("m"), QStringLiteral("later"), QStringLiteral("nowhere")); // unknown: at the end

    EXPECT_EQ(table.Items(QStringLiteral("m")), QStringList({"a", "c", "sep", "b", "later"}));
    QStringList shown;
    for (QAction *a : menu.actions())
        shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(shown, QStringList({"A", "C", "-", "B", "L"}));
    EXPECT_EQ(table.Find(QStringLiteral("later")), later);
    EXPECT_EQ(later->objectName(), QStringLiteral("later"));
    EXPECT_EQ(owner.findChild<QAction *>(QStringLiteral("b")), table.Find(QStringLiteral("b")));
    EXPECT_EQ(table.Find(QStringLiteral("none")), nullptr);
    EXPECT_EQ(table.Menu(QStringLiteral("m")), &menu);
}

TEST(ClearPlace, StaysWhenClearElseTheNearestClearPlaceElseTheLeastCovered)
{
    const QRect owner(100, 100, 900, 500), screen(0, 0, 1280, 800);
    const QRect centred(100 + (900 - 500) / 2, 100 + (500 - 200) / 2, 500, 200);
    const struct {
        const char *name;
        QList<QRect> avoid;
        QPoint want;
    } cases[] = {
        {"nothing to avoid", {}, centred.topLeft()},
        {"clear of the match", {QRect(120, 500, 40, 16)}, centred.topLeft()},
        // A match in the lower middle: up against the owner's top, the nearest clear place.
        {"match under it", {QRect(540, 420, 40, 16)}, QPoint(300, 100)},
        // Above and below it taken as well: beside the owner, kept on the screen.
        {"top and bottom taken", {QRect(540, 420, 40, 16), QRect(500, 150, 40, 16), QRect(150, 560, 40, 16)},
         QPoint(0, 250)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint at = winkit::ClearPlace(centred, owner, screen, c.avoid);
        EXPECT_EQ(at, c.want);
        const QRect placed(at, centred.size());
        EXPECT_TRUE(screen.contains(placed));
        for (const QRect &a : c.avoid)
            EXPECT_FALSE(placed.intersects(a));
    }
    // Nowhere clear: the least covered place, between two bands taking a screen too low.
    const QRect low(0, 0, 600, 300);
    EXPECT_EQ(winkit::ClearPlace(QRect(50, 100, 500, 200), low, low, {QRect(0, 0, 600, 60), QRect(0, 240, 600, 60)}),
              QPoint(50, 50));
}
