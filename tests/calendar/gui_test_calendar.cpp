// The real control, driven through QTest: the main window's instance at 311 x 253.
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <stdexcept>

using namespace tdt;

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
namespace tdt {
void PrintTo(const YMD &d, std::ostream *os) { *os << d.year << '-' << d.month << '-' << d.day; }
} // namespace tdt

namespace {

// A change of the control's look: its style, edited and given back.
template <class Edit>
void Restyle(TChnCalendar &c, Edit edit)
{
    TChnCalendarStyle s = c.Style();
    edit(s);
    c.setStyle(s);
}

const QLocale kChinese(QLocale::Chinese, QLocale::China);

QColor Rgb(TColor c) { return QColor(clr::GetR(c), clr::GetG(c), clr::GetB(c)); }

class CalendarWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        now = EncodeDateTime(2011, 6, 30, 14, 30, 5);
        platform::SetNow(now);
        host = std::make_unique<QWidget>();
        host->resize(420, 320);
        host->setLocale(kChinese);
        cal = new TChnCalendar(host.get());
        cal->setGeometry(0, 0, 311, 253);
        ApplyMainWindowCalendarSettings(*cal);
        QObject::connect(cal, &TChnCalendar::OnChange, [this](TChnCalendar *s) {
            EXPECT_EQ(s, cal);
            ++changes;
        });
        QObject::connect(cal, &TChnCalendar::OnDateSelect, [this] { ++selects; });
        QObject::connect(cal, &TChnCalendar::OnDateClick, [this] { ++clicks; });
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    }
    void TearDown() override
    {
        for (QMenu *m : {cal->MonthMenu(), cal->YearMenu()})
            if (m)
                m->hide();
        host.reset();
        platform::SetNow(std::nullopt);
    }

    YMD Selected() const { return DecodeDate(cal->DateTime()); }
    QPoint CellCenter(int col, int row) const { return cal->Grid()->CellRect(col, row).center(); }
    void ClickCell(int col, int row) { QTest::mouseClick(cal->Grid(), Qt::LeftButton, {}, CellCenter(col, row)); }
    void ResetCounts() { changes = selects = clicks = 0; }
    QImage CellImage(int col, int row) const
    {
        return cal->Grid()->grab(cal->Grid()->CellRect(col, row)).toImage().convertToFormat(QImage::Format_RGB32);
    }
    void ClickUp(TUpDown *u) { QTest::mouseClick(u->UpButton(), Qt::LeftButton); }
    void ClickDown(TUpDown *u) { QTest::mouseClick(u->DownButton(), Qt::LeftButton); }
    // Clicks an item of an open menu; a submenu item opens its submenu.
    void ClickItem(QMenu *menu, const QString &name)
    {
        ASSERT_TRUE(menu->isVisible()) << name.toStdString();
        QAction *a = nullptr;
        for (QAction *x : menu->actions())
            if (x->objectName() == name) {
                a = x;
                break;
            }
        ASSERT_NE(a, nullptr) << name.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        if (QMenu *sub = a->menu()) {
            ASSERT_TRUE(QTest::qWaitFor([sub] { return sub->isVisible(); }, 2000)) << name.toStdString();
        }
    }
    QMenu *SubMenu(QMenu *menu, const QString &name) const { return menu->findChild<QMenu *>(name); }

    TDateTime now = 0;
    std::unique_ptr<QWidget> host;
    TChnCalendar *cal = nullptr;
    int changes = 0, selects = 0, clicks = 0;
};

} // namespace

TEST_F(CalendarWidget, WindowCreationShowsTodayInTitleMode)
{
    EXPECT_TRUE(cal->WindowCreated());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(cal->DateTime(), now);
    EXPECT_TRUE(cal->ShowTitle());
    EXPECT_EQ(cal->YearLabel()->text(), "2011");
    EXPECT_EQ(cal->MonthLabel()->text(), "6");
    EXPECT_EQ(cal->Grid()->Col(), 5);
    EXPECT_EQ(cal->Grid()->Row(), 5);
    EXPECT_TRUE(cal->MonthArrows()->isVisible());
    EXPECT_TRUE(cal->YearArrows()->isVisible());
    EXPECT_EQ(cal->Grid()->contextMenuPolicy(), Qt::PreventContextMenu);
}

TEST_F(CalendarWidget, MainWindowGeometryMatchesTheWorkedExample)
{
    EXPECT_EQ(cal->Grid()->geometry(), QRect(8, 40, 296, 186));
    const int cols[9] = {6, 40, 40, 40, 40, 40, 40, 40, 10};
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(cal->Grid()->ColWidth(c), cols[c]) << c;
    const int rows[7] = {18, 27, 27, 27, 27, 27, 33};
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(cal->Grid()->RowHeight(r), rows[r]) << r;
    EXPECT_EQ(cal->YearBandRect(), QRect(QPoint(8, 46), QPoint(303, 118)));  // (8, 46)-(304, 119)
    EXPECT_EQ(cal->MonthBandRect(), QRect(QPoint(8, 113), QPoint(303, 225))); // (8, 113)-(304, 226)
    EXPECT_EQ(cal->BackgroundBitmap().size(), QSize(311, 253));

    EXPECT_EQ(cal->MonthCaption()->pos(), QPoint(45, 20));
    EXPECT_EQ(cal->MonthLabel()->geometry().right() + 1, 45);
    EXPECT_EQ(cal->MonthArrows()->pos(), QPoint(60, 10));
    EXPECT_EQ(cal->YearLabel()->pos(), QPoint(120, 0));
    EXPECT_EQ(cal->YearCaption()->pos(), QPoint(205, 18));
    EXPECT_EQ(cal->YearArrows()->pos(), QPoint(220, 10));
    EXPECT_EQ(cal->TodayLink()->pos(), QPoint(272, 18));
    EXPECT_EQ(cal->SelectedDateLine()->pos(), QPoint(10, 236));
    EXPECT_EQ(cal->SelectedDateLine()->text(), "2011-06-30 农历五月廿九");
    EXPECT_EQ(cal->TodayLink()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(cal->SelectedDateLine()->cursor().shape(), Qt::ArrowCursor);

    // A two-digit month keeps the right edge.
    cal->setDateTime(EncodeDate(2011, 12, 1));
    EXPECT_EQ(cal->MonthLabel()->text(), "12");
    EXPECT_EQ(cal->MonthLabel()->geometry().right() + 1, 45);
}

TEST_F(CalendarWidget, LayoutWithoutTitleAndOnResize)
{
    cal->setShowTitle(false);
    EXPECT_EQ(cal->Grid()->geometry(), QRect(2, 2, 307, 249));
    EXPECT_FALSE(cal->MonthArrows()->isVisible());
    EXPECT_EQ(cal->Grid()->contextMenuPolicy(), Qt::CustomContextMenu);
    cal->setShowTitle(true);
    cal->resize(400, 300);
    EXPECT_EQ(cal->Grid()->geometry(), QRect(8, 40, 385, 233));
    EXPECT_EQ(cal->Grid()->ColWidth(1), (385 - 6) / 7 - 1);
    EXPECT_EQ(cal->BackgroundBitmap().size(), QSize(400, 300));
}

TEST_F(CalendarWidget, WeekNumberColumnWidens)
{
    cal->setShowWeekNum(true);
    EXPECT_EQ(cal->Grid()->ColWidth(0), 18);
    EXPECT_EQ(cal->Grid()->ColWidth(1), 40); // until the next layout
    cal->resize(311, 254);
    cal->resize(311, 253);
    EXPECT_EQ(cal->Grid()->ColWidth(1), (296 - 18) / 7 - 1);
    cal->setShowWeekNum(false);
    EXPECT_EQ(cal->Grid()->ColWidth(0), 6);
}

TEST_F(CalendarWidget, OnChangeOncePerValue)
{
    ResetCounts();
    const TDateTime x = EncodeDateTime(2011, 5, 3, 8, 0, 0);
    cal->setDateTime(x);
    cal->setDateTime(x);
    EXPECT_EQ(changes, 1);
    cal->setDateTime(EncodeDateTime(2011, 5, 3, 8, 0, 1));
    EXPECT_EQ(changes, 2);
    cal->setDateTime(EncodeDate(2101, 1, 1));
    cal->setDateTime(EncodeDate(2100, 12, 31));
    cal->setDateTime(EncodeDate(1, 1, 1));
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(Selected(), (YMD{1, 1, 1}));
}

TEST_F(CalendarWidget, FailingChangeHandlerIsSwallowed)
{
    QObject::connect(cal, &TChnCalendar::OnChange, [] { throw std::runtime_error("handler failed"); });
    EXPECT_NO_THROW(cal->setDateTime(EncodeDate(2012, 3, 4)));
    EXPECT_EQ(cal->YearLabel()->text(), "2012");
    EXPECT_EQ(cal->MonthLabel()->text(), "3");
    EXPECT_EQ(cal->Grid()->Col(), 1);
    EXPECT_EQ(cal->Grid()->Row(), 2);
    EXPECT_NO_THROW(ClickCell(3, 2)); // 6 March
    EXPECT_EQ(Selected(), (YMD{2012, 3, 6}));
}

TEST_F(CalendarWidget, ClickingDays)
{
    ResetCounts();
    // The selected day after start-up: the time of day goes, one change.
    ClickCell(5, 5);
    EXPECT_EQ(cal->DateTime(), EncodeDate(2011, 6, 30));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(clicks, 1);
    ClickCell(5, 5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selects, 2);
    EXPECT_EQ(clicks, 2);

    ClickCell(4, 3); // 15 June
    EXPECT_EQ(cal->DateTime(), EncodeDate(2011, 6, 15));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(cal->Grid()->Col(), 4);
    EXPECT_EQ(cal->Grid()->Row(), 3);
    EXPECT_EQ(cal->SelectedDateLine()->text().left(10), "2011-06-15");
    EXPECT_TRUE(cal->Grid()->hasFocus());
}

TEST_F(CalendarWidget, ClicksOnEmptyCellsRaiseNothing)
{
    cal->setDateTime(EncodeDate(2015, 8, 10)); // 1 August is a Saturday: days in cells 7 ... 37
    ResetCounts();
    const QPoint cells[] = {{1, 1}, {6, 1}, {3, 6}, {4, 6}, {5, 6}, {6, 6}, {7, 6}, {0, 3}, {8, 3}, {4, 0}};
    for (const QPoint &c : cells) {
        SCOPED_TRACE(c.x() * 10 + c.y());
        ClickCell(c.x(), c.y());
        EXPECT_EQ(Selected(), (YMD{2015, 8, 10}));
        EXPECT_EQ(cal->Grid()->Col(), 2);
        EXPECT_EQ(cal->Grid()->Row(), 3);
    }
    // Outside every cell, and days 30 and 31 in row 6 are still days.
    QTest::mouseClick(cal->Grid(), Qt::LeftButton, {}, QPoint(cal->Grid()->width() - 1, cal->Grid()->height() + 5));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(selects, 0);
    EXPECT_EQ(clicks, 0);
    ClickCell(2, 6);
    EXPECT_EQ(Selected(), (YMD{2015, 8, 31}));
}

TEST_F(CalendarWidget, DragMovesTheSelection)
{
    ResetCounts();
    QTest::mousePress(cal->Grid(), Qt::LeftButton, {}, CellCenter(4, 2));
    QMouseEvent move(QEvent::MouseMove, CellCenter(5, 2), cal->Grid()->mapToGlobal(CellCenter(5, 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cal->Grid(), &move);
    QTest::mouseRelease(cal->Grid(), Qt::LeftButton, {}, CellCenter(5, 2));
    EXPECT_EQ(Selected(), (YMD{2011, 6, 9}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(selects, 1);
}

TEST_F(CalendarWidget, ArrowKeysStayInTheMonth)
{
    cal->setDateTime(EncodeDate(2011, 6, 1)); // cell 4: row 1, column 4
    cal->Grid()->setFocus();
    ResetCounts();
    QTest::keyClick(cal->Grid(), Qt::Key_Left);
    QTest::keyClick(cal->Grid(), Qt::Key_Up);
    EXPECT_EQ(Selected(), (YMD{2011, 6, 1}));
    EXPECT_EQ(changes, 0);
    QTest::keyClick(cal->Grid(), Qt::Key_Right);
    EXPECT_EQ(Selected(), (YMD{2011, 6, 2}));
    QTest::keyClick(cal->Grid(), Qt::Key_Down);
    EXPECT_EQ(Selected(), (YMD{2011, 6, 9}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(clicks, 0);

    cal->setDateTime(EncodeDate(2011, 6, 30)); // row 5, column 5; nothing below or to the right in June
    ResetCounts();
    QTest::keyClick(cal->Grid(), Qt::Key_Down);
    QTest::keyClick(cal->Grid(), Qt::Key_Right);
    EXPECT_EQ(Selected(), (YMD{2011, 6, 30}));
    EXPECT_EQ(changes, 0);
}

TEST_F(CalendarWidget, PointerLeavingClearsTheMousePressFlag)
{
    ClickCell(4, 3);
    EXPECT_TRUE(cal->Model().MousePressed);
    ResetCounts();
    QTest::keyClick(cal->Grid(), Qt::Key_Right);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);

    QTest::mouseMove(cal->Grid(), CellCenter(4, 3));
    QTest::mouseMove(host.get(), QPoint(380, 300));
    EXPECT_FALSE(cal->Model().MousePressed);
    ResetCounts();
    QTest::keyClick(cal->Grid(), Qt::Key_Right);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CalendarWidget, MonthAndYearArrows)
{
    cal->setDateTime(EncodeDate(2011, 1, 31));
    ClickUp(cal->MonthArrows());
    EXPECT_EQ(Selected(), (YMD{2011, 2, 28}));
    ClickUp(cal->MonthArrows());
    EXPECT_EQ(Selected(), (YMD{2011, 3, 28}));

    cal->setDateTime(EncodeDate(2012, 2, 29));
    ClickUp(cal->YearArrows());
    EXPECT_EQ(Selected(), (YMD{2013, 2, 28}));
    ClickDown(cal->YearArrows());
    EXPECT_EQ(Selected(), (YMD{2012, 2, 28}));

    cal->setDateTime(EncodeDate(2011, 12, 15));
    ClickUp(cal->MonthArrows());
    EXPECT_EQ(Selected(), (YMD{2012, 1, 15}));
    EXPECT_EQ(cal->Model().YearPos(), 2012);
    EXPECT_EQ(cal->Model().MonthPos(), 1);
    ClickDown(cal->MonthArrows());
    EXPECT_EQ(Selected(), (YMD{2011, 12, 15}));
    EXPECT_EQ(TimeOf(cal->DateTime()), 0.0);
}

TEST_F(CalendarWidget, TodayLinkAlwaysRaisesOnChange)
{
    ResetCounts();
    QTest::mouseClick(cal->TodayLink(), Qt::LeftButton);
    EXPECT_EQ(changes, 0); // the same moment: the clock stands still here
    now += 1.0 / 86400;
    platform::SetNow(now);
    QTest::mouseClick(cal->TodayLink(), Qt::LeftButton);
    EXPECT_EQ(changes, 1);
    cal->setDateTime(EncodeDate(1999, 1, 1));
    now += 1.0 / 86400;
    platform::SetNow(now);
    QTest::mouseClick(cal->TodayLink(), Qt::LeftButton);
    EXPECT_EQ(cal->DateTime(), now);
    EXPECT_EQ(changes, 3);
}

TEST_F(CalendarWidget, MonthMenu)
{
    QMenu *menu = cal->MonthMenu();
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 14);
    EXPECT_EQ(actions[0]->objectName(), "MenuMonth_ToDay");
    EXPECT_EQ(actions[0]->text(), "今日");
    EXPECT_EQ(menu->defaultAction(), actions[0]);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), kChinese.monthName(1, QLocale::LongFormat));
    EXPECT_EQ(actions[13]->objectName(), "MenuMonth_11");
    EXPECT_EQ(actions[13]->data().toInt(), 12);
    for (QAction *a : actions)
        EXPECT_FALSE(a->text().contains('&'));

    cal->setDateTime(EncodeDate(2011, 3, 31));
    QTest::mouseClick(cal->MonthLabel(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(menu->isVisible());
    // Opened at the pointer.
    EXPECT_LE((menu->pos() - cal->MonthLabel()->mapToGlobal(QPoint(5, 5))).manhattanLength(), 2);
    ClickItem(menu, "MenuMonth_3"); // April
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(Selected(), (YMD{2011, 4, 30}));

    QTest::mouseClick(cal->MonthCaption(), Qt::LeftButton);
    ClickItem(menu, "MenuMonth_ToDay");
    EXPECT_EQ(cal->DateTime(), now);
}

TEST_F(CalendarWidget, RightClickOpensTheMenus)
{
    QContextMenuEvent onYear(QContextMenuEvent::Mouse, QPoint(3, 3), cal->YearCaption()->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(cal->YearCaption(), &onYear);
    EXPECT_TRUE(cal->YearMenu()->isVisible());
    cal->YearMenu()->hide();
    QContextMenuEvent onMonth(QContextMenuEvent::Mouse, QPoint(3, 3), cal->MonthLabel()->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(cal->MonthLabel(), &onMonth);
    EXPECT_TRUE(cal->MonthMenu()->isVisible());
    cal->MonthMenu()->hide();

    // Without title the grid's context menu is the year menu.
    cal->setShowTitle(false);
    QContextMenuEvent onGrid(QContextMenuEvent::Mouse, QPoint(50, 50), cal->Grid()->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(cal->Grid(), &onGrid);
    EXPECT_TRUE(cal->YearMenu()->isVisible());
}

TEST_F(CalendarWidget, YearMenuHistory1850)
{
    QMenu *menu = cal->YearMenu();
    const auto top = menu->actions();
    ASSERT_EQ(top.size(), 24);
    EXPECT_EQ(menu->defaultAction(), top[0]);
    EXPECT_EQ(top[2]->text(), "历史日期");
    EXPECT_EQ(top[4]->text(), "1900");
    EXPECT_EQ(top[23]->text(), "2090");

    cal->setDateTime(EncodeDate(2011, 6, 15));
    QTest::mouseClick(cal->YearLabel(), Qt::LeftButton, {}, QPoint(10, 10));
    ClickItem(menu, "MenuYear_History");
    QMenu *history = SubMenu(menu, "MenuYear_History");
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(history->actions().size(), 19);
    QAction *group1800 = history->actions()[18];
    EXPECT_EQ(group1800->text(), "1800");
    ClickItem(history, group1800->objectName());
    QMenu *sub = group1800->menu();
    ASSERT_NE(sub, nullptr);
    ClickItem(sub, "MenuYear_History_1850");
    EXPECT_EQ(Selected(), (YMD{1850, 6, 15}));
    EXPECT_FALSE(menu->isVisible());
    // Before 1949 the selected-date line starts with the era.
    const QString line = cal->SelectedDateLine()->text();
    EXPECT_TRUE(line.contains(" 农历")) << line.toStdString();
    EXPECT_FALSE(line.startsWith("1850-")) << line.toStdString();

    // A decade submenu.
    QTest::mouseClick(cal->YearCaption(), Qt::LeftButton);
    ClickItem(menu, "MenuYear_2020");
    QMenu *decade = SubMenu(menu, "MenuYear_2020");
    ASSERT_NE(decade, nullptr);
    ClickItem(decade, "MenuYear_2024");
    EXPECT_EQ(Selected(), (YMD{2024, 6, 15}));
}

// ---- painting ----

TEST_F(CalendarWidget, SelectionGradientAndOutline)
{
    const QImage cell = CellImage(5, 5); // 30 June, 40 x 27
    ASSERT_EQ(cell.size(), QSize(40, 27));
    EXPECT_EQ(QColor(cell.pixel(0, 0)), Rgb(4625152));
    EXPECT_EQ(QColor(cell.pixel(39, 26)), Rgb(4625152));
    EXPECT_EQ(QColor(cell.pixel(1, 1)), QColor(0, 176, 84));   // band 14
    EXPECT_EQ(QColor(cell.pixel(1, 25)), QColor(0, 211, 100)); // band 241

    // Without the outline the first and last bands show.
    QObject::connect(cal, &TChnCalendar::OnDrawCnDateCell,
                     [](TChnCalendar *, int, QPainter *, const QRect &, bool selected, QString &, bool &draw) {
                         if (selected)
                             draw = false;
                     });
    cal->Grid()->repaint();
    const QImage bare = CellImage(5, 5);
    EXPECT_EQ(QColor(bare.pixel(1, 0)), QColor(0, 175, 83));   // S + 5 (E - S) / 256
    EXPECT_EQ(QColor(bare.pixel(1, 26)), QColor(0, 212, 101)); // S + 252 (E - S) / 256
    EXPECT_EQ(QColor(bare.pixel(0, 0)), QColor(0, 175, 83));
}

TEST_F(CalendarWidget, HiddenSelectionWithoutFocus)
{
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.HideSelection = true; });
    host->setFocus();
    cal->Grid()->clearFocus();
    const QImage hidden = CellImage(5, 5);
    EXPECT_EQ(hidden.pixel(1, 1), cal->BackgroundBitmap().pixel(8 + 6 + 4 * 40 + 1, 40 + 18 + 4 * 27 + 1));
    cal->Grid()->setFocus();
    cal->Grid()->repaint();
    const QImage shown = CellImage(5, 5);
    EXPECT_EQ(QColor(shown.pixel(0, 0)), Rgb(4625152));
}

TEST_F(CalendarWidget, DrawEventsCanReplaceTheTexts)
{
    int dayEvents = 0;
    QObject::connect(cal, &TChnCalendar::OnDrawDateCell,
                     [&](TChnCalendar *s, int day, QPainter *canvas, const QRect &r, bool selected, QString &text,
                         bool &draw) {
                         ++dayEvents;
                         EXPECT_EQ(s, cal);
                         EXPECT_NE(canvas, nullptr);
                         EXPECT_TRUE(draw);
                         EXPECT_EQ(text, QString::number(day));
                         EXPECT_EQ(r.topLeft(), QPoint(0, 0));
                         EXPECT_EQ(selected, day == 30);
                         if (day == 15)
                             canvas->fillRect(r, Qt::magenta);
                     });
    cal->Grid()->repaint();
    EXPECT_EQ(dayEvents, 30);
    const QImage cell = CellImage(4, 3); // 15 June
    EXPECT_EQ(QColor(cell.pixel(20, 1)), QColor(Qt::magenta));
}

TEST_F(CalendarWidget, WeekendDayNumbersAreRed)
{
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.ColorDate = clr::RGB(0, 0, 200); });
    // 4 June (Saturday, row 1, column 7) and 8 June (Wednesday): strongest pixel colours of the top halves.
    auto dominant = [&](int col, int row) {
        const QImage img = CellImage(col, row);
        QColor best(Qt::white);
        for (int y = 0; y < img.height() / 2; ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c(img.pixel(x, y));
                if (c.saturation() > best.saturation())
                    best = c;
            }
        return best;
    };
    EXPECT_GT(dominant(7, 1).red(), 200);
    EXPECT_LT(dominant(7, 1).blue(), 60);
    EXPECT_GT(dominant(4, 2).blue(), 150);
    EXPECT_LT(dominant(4, 2).red(), 60);
}

TEST_F(CalendarWidget, LongWeekdayNamesOnlyWhenWiderThan36)
{
    // Sunday's header text is red: measure how wide it is drawn.
    auto redSpan = [&] {
        const QImage img = CellImage(1, 0);
        int left = img.width(), right = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c(img.pixel(x, y));
                if (c.red() > 180 && c.green() < 150 && c.blue() < 150) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        return right - left + 1;
    };
    EXPECT_GT(redSpan(), 26); // "星期日"
    cal->resize(260, 253);    // columns (245 - 6) / 7 - 1 = 33, text area 31
    ASSERT_EQ(cal->Grid()->ColWidth(1), 33);
    cal->Grid()->repaint();
    EXPECT_LT(redSpan(), 16); // "日"
}

TEST_F(CalendarWidget, LargeNumbersStayInTheirBands)
{
    const QImage bg = cal->BackgroundBitmap();
    const QRgb year = Rgb(14543103).rgb(), month = Rgb(15461355).rgb();
    int yearPixels = 0, monthPixels = 0;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x) {
            const QRgb p = bg.pixel(x, y);
            if (p == year) {
                ++yearPixels;
                ASSERT_TRUE(cal->YearBandRect().contains(x, y)) << x << "," << y;
            }
            if (p == month) {
                ++monthPixels;
                ASSERT_TRUE(cal->MonthBandRect().contains(x, y)) << x << "," << y;
            }
        }
    EXPECT_GT(yearPixels, 200);
    EXPECT_GT(monthPixels, 500);
    // The frame.
    EXPECT_EQ(QColor(bg.pixel(0, 100)), Rgb(clr::clGray));
    EXPECT_EQ(QColor(bg.pixel(310, 252)), Rgb(clr::clGray));
    EXPECT_EQ(QColor(bg.pixel(1, 1)), QColor(Qt::white));

    Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowBackYearMonth = false; });
    const QImage plain = cal->BackgroundBitmap();
    for (int y = 1; y < 252; ++y)
        for (int x = 1; x < 310; ++x)
            ASSERT_EQ(plain.pixel(x, y), qRgb(255, 255, 255));
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowFrame = false; });
    EXPECT_EQ(cal->BackgroundBitmap().pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(CalendarWidget, BackgroundPictureBlend)
{
    Restyle(*cal, [&](TChnCalendarStyle &s) {
        s.ShowBackYearMonth = false;
        s.ShowFrame = false;
        s.Stretch = false;
    });
    QImage pic(311, 253, QImage::Format_RGB32);
    pic.fill(Qt::black);
    pic.setPixel(0, 0, qRgb(255, 0, 0));
    pic.setPixel(100, 100, qRgb(255, 0, 0)); // the key colour stays out of the blend
    pic.setPixel(101, 100, qRgb(255, 255, 255));

    struct Case {
        int alpha;
        int grey;
    };
    for (const Case c : {Case{50, 127}, Case{100, 255}, Case{150, 127}, Case{0, 255}, Case{99, 2}}) {
        SCOPED_TRACE(c.alpha);
        Restyle(*cal, [&](TChnCalendarStyle &s) {
            s.AlphaBlend = c.alpha;
            s.BackGround = pic;
        });
        const QImage bg = cal->BackgroundBitmap();
        EXPECT_EQ(bg.pixel(50, 50), qRgb(c.grey, c.grey, c.grey));
        EXPECT_EQ(bg.pixel(100, 100), qRgb(255, 255, 255));
        EXPECT_EQ(bg.pixel(101, 100), qRgb(255, 255, 255));
    }

    // A small centred picture: the white margin is the key colour.
    QImage small(100, 50, QImage::Format_RGB32);
    small.fill(Qt::black);
    Restyle(*cal, [&](TChnCalendarStyle &s) {
        s.AlphaBlend = 50;
        s.Center = true;
        s.BackGround = small;
    });
    EXPECT_EQ(cal->BackgroundBitmap().pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(cal->BackgroundBitmap().pixel(155, 126), qRgb(127, 127, 127));

    // Stretched 400 x 100: fitted to 311 x 77, at the top or centred at y = 88.
    QImage wide(400, 100, QImage::Format_RGB32);
    wide.fill(Qt::black);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            wide.setPixel(x, y, qRgb(0, 0, 255));
    Restyle(*cal, [&](TChnCalendarStyle &s) {
        s.Center = false;
        s.Stretch = true;
        s.BackGround = wide;
    });
    EXPECT_EQ(cal->BackgroundBitmap().pixel(150, 40), qRgb(127, 127, 127));
    EXPECT_EQ(cal->BackgroundBitmap().pixel(150, 120), qRgb(255, 255, 255));
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.Center = true; });
    EXPECT_EQ(cal->BackgroundBitmap().pixel(150, 40), qRgb(255, 255, 255));
    EXPECT_EQ(cal->BackgroundBitmap().pixel(150, 120), qRgb(127, 127, 127));
    EXPECT_EQ(cal->BackgroundBitmap().pixel(150, 170), qRgb(255, 255, 255));

    // The cells copy the background under them.
    cal->Grid()->repaint();
    const QImage cell = CellImage(1, 3); // 12 June: its corner carries no text
    EXPECT_EQ(cell.pixel(1, 1), cal->BackgroundBitmap().pixel(8 + 6 + 1, 40 + 18 + 2 * 27 + 1));
}

TEST_F(CalendarWidget, ScreenshotOfTodayShowsChineseGlyphs)
{
    platform::SetNow(std::nullopt);
    QWidget shotHost;
    shotHost.setLocale(kChinese);
    shotHost.resize(311, 253);
    TChnCalendar shot(&shotHost);
    shot.setGeometry(0, 0, 311, 253);
    ApplyMainWindowCalendarSettings(shot);
    shotHost.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shotHost));

    // Every face the control asks for has the Chinese glyphs it draws.
    for (const QFont &f : {shot.font(), shot.Style().FontDate, shot.Style().FontCnDate, shot.TodayLink()->font()}) {
        const QFontMetrics fm(f);
        for (QChar ch : QStringLiteral("今天年月农历初廿星期日"))
            EXPECT_TRUE(fm.inFont(ch)) << f.family().toStdString() << " " << QString(ch).toStdString();
    }
    const QImage img = shot.grab().toImage();
    const QString dir = QStringLiteral(CALENDAR_SHOT_DIR);
    QDir().mkpath(dir);
    const QString file = dir + "/calendar-today.png";
    ASSERT_TRUE(img.save(file)) << file.toStdString();
    // Inked pixels of the today link "今天": real glyphs, not empty boxes.
    const QRect link = shot.TodayLink()->geometry();
    int inked = 0;
    for (int y = link.top(); y <= link.bottom(); ++y)
        for (int x = link.left(); x <= link.right(); ++x)
            if (QColor(img.pixel(x, y)) == Rgb(shot.Style().ColorTitleToday))
                ++inked;
    EXPECT_GT(inked, 40);
    std::printf("screenshot: %s\n", file.toStdString().c_str());
}
