// The painter on its own, under a plain QGuiApplication: no widget exists, so whatever it
// draws a command-line tool can draw as well.
#include "CalendarPainter.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace tdt;

namespace {

QColor Rgb(TColor c) { return QColor(clr::GetR(c), clr::GetG(c), clr::GetB(c)); }

QFont Face(const QString &family, int px, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

double Luminance(QRgb c)
{
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

int CountColour(const QImage &img, const QRect &area, const QColor &c)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += QColor(img.pixel(x, y)) == c;
    return n;
}

class Painter : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "paint_test_calendar";
        static char *argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }

    void SetUp() override
    {
        model.SetDateTime(EncodeDate(2011, 6, 30)); // the 1st a Wednesday, the 30th in row 5
        painter.Style.FontDate = Face(QStringLiteral("黑体"), 12, true);
        painter.Style.FontCnDate = Face(QStringLiteral("宋体"), 12);
        painter.Fonts = {Face(QStringLiteral("宋体"), 12), Face(QStringLiteral("宋体"), 12),
                         Face(QStringLiteral("Arial Black"), 64), Face(QStringLiteral("Arial Black"), 120),
                         Face(QStringLiteral("宋体"), 12)};
        painter.Locale = QLocale(QLocale::Chinese, QLocale::China);
        painter.Size = QSize(311, 253);
        painter.ShowTitle = true;
    }

    // Column c, row r of the main window's grid (at (8, 40), 296 x 186), in grid coordinates.
    static QRect Cell(int c, int r)
    {
        const auto cols = ColumnWidths(296, 6);
        const auto rows = RowHeights(186, 18);
        int x = 0, y = 0;
        for (int i = 0; i < c; ++i)
            x += cols[i];
        for (int i = 0; i < r; ++i)
            y += rows[i];
        return QRect(x, y, cols[c], rows[r]);
    }
    QImage Compose(int c, int r, bool selected, bool focused)
    {
        return painter.ComposeCell(c, r, Cell(c, r), QPoint(8, 40), selected, focused).copy();
    }

    TChnCalendarModel model;
    TCalendarPainter painter{model};
};

TEST_F(Painter, NeedsNoWidgets)
{
    EXPECT_FALSE(QCoreApplication::instance()->inherits("QApplication"));
}

struct BackgroundCase {
    bool frame, numbers;
};

TEST_F(Painter, BackgroundFollowsItsSwitches)
{
    for (const BackgroundCase c : {BackgroundCase{true, true}, {true, false}, {false, true}, {false, false}}) {
        SCOPED_TRACE(testing::Message() << "frame " << c.frame << ", numbers " << c.numbers);
        painter.Style.ShowFrame = c.frame;
        painter.Style.ShowBackYearMonth = c.numbers;
        painter.InvalidateBackground();
        const QImage bg = painter.Background();
        ASSERT_EQ(bg.size(), QSize(311, 253));
        const QColor corner = c.frame ? Rgb(painter.Style.ColorShowFrame) : QColor(Qt::white);
        EXPECT_EQ(QColor(bg.pixel(0, 0)), corner);
        EXPECT_EQ(QColor(bg.pixel(310, 252)), corner);
        const int year = CountColour(bg, painter.YearBandRect(), Rgb(painter.Style.ColorBackYear));
        const int month = CountColour(bg, painter.MonthBandRect(), Rgb(painter.Style.ColorBackMonth));
        if (c.numbers) {
            EXPECT_GT(year, 300);
            EXPECT_GT(month, 300);
        } else {
            EXPECT_EQ(year, 0);
            EXPECT_EQ(month, 0);
        }
    }
}

// Every row of a selected cell carries its band of the gradient; the outline frames it.
TEST_F(Painter, SelectedCellShowsTheGradientAndOutline)
{
    const QRect r = Cell(5, 5); // the 30th
    const QImage cell = Compose(5, 5, true, true);
    const auto bands = SelectionGradient({0, 174, 83}, {0, 213, 101}, r.height());
    for (int y = 1; y < r.height() - 1; ++y) {
        const auto band = std::find_if(bands.begin(), bands.end(),
                                       [y](const TGradientBand &b) { return y >= b.Top && y < b.Bottom; });
        ASSERT_NE(band, bands.end()) << y;
        EXPECT_EQ(QColor(cell.pixel(1, y)), QColor(band->Color.R, band->Color.G, band->Color.B)) << "row " << y;
    }
    EXPECT_EQ(QColor(cell.pixel(0, r.height() / 2)), Rgb(painter.Style.ColorSelectedFrame));

    // Unfocused with HideSelection: the cell is drawn as any other day.
    painter.Style.HideSelection = true;
    EXPECT_EQ(Compose(5, 5, true, false), Compose(5, 5, false, false));
}

// The day numbers read well on the white cells: the WCAG contrast of their darkest ink.
TEST_F(Painter, DayNumbersStandOutFromTheirCell)
{
    const QImage cell = Compose(4, 1, false, false); // the 1st, a Wednesday
    double darkest = 1.0;
    for (int y = 0; y < cell.height() / 2; ++y)
        for (int x = 0; x < cell.width(); ++x)
            darkest = std::min(darkest, Luminance(cell.pixel(x, y)));
    EXPECT_GE((1.0 + 0.05) / (darkest + 0.05), 4.5);
}

// The hook sees each day before its number is drawn and may draw it itself.
TEST_F(Painter, DayHookMayTakeOverTheNumber)
{
    auto inked = [](const QImage &cell) {
        int n = 0;
        for (int y = 0; y < cell.height() / 2; ++y)
            for (int x = 0; x < cell.width(); ++x)
                n += qRed(cell.pixel(x, y)) < 200 || qGreen(cell.pixel(x, y)) < 200 || qBlue(cell.pixel(x, y)) < 200;
        return n;
    };
    EXPECT_GT(inked(Compose(4, 1, false, false)), 10);
    std::vector<int> days;
    painter.DrawDateCell = [&](int day, QPainter *, const QRect &, bool, QString &, bool &defaultDraw) {
        days.push_back(day);
        defaultDraw = false;
    };
    EXPECT_EQ(inked(Compose(4, 1, false, false)), 0);
    EXPECT_EQ(days, std::vector<int>{1});
}


// Measuring text needs the application the fixture makes.
TEST_F(Painter, AWideNameInACellShrinksBeforeItIsCut)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    const int cell = QFontMetrics(font).horizontalAdvance(QStringLiteral("妈妈生")); // three characters' room
    const struct {
        const char *text;
        bool whole;   // shown without an ellipsis
        bool smaller; // in a smaller face
    } cases[] = {
        {"初五", true, false},
        {"妈妈生日", true, true},         // one character too many: smaller, whole
        {"外公外婆结婚纪念日", false, false}, // far too long even small: cut in the cell's own face
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const TFittedLine fit = FitCellLine(font, text, cell);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(fit.Text == text, c.whole) << fit.Text.toStdString();
        EXPECT_EQ(QFontInfo(fit.Font).pixelSize() < 12, c.smaller);
        EXPECT_GE(QFontInfo(fit.Font).pixelSize(), 9);
        EXPECT_LE(QFontMetrics(fit.Font).horizontalAdvance(fit.Text), cell);
    }
}

} // namespace

namespace {

// In the month itself: the drawn cell is none of the cut forms of the name.
TEST_F(Painter, AWideNameInTheMonthIsNotDrawnCut)
{
    const QString name = QString::fromUtf8("妈妈生日");
    QString shown;
    painter.DrawCnDateCell = [&](int, QPainter *, const QRect &, bool, QString &text, bool &) { text = shown; };
    shown = name;
    const QImage whole = Compose(4, 1, false, false);
    const QFontMetrics fm(painter.Style.FontCnDate);
    ASSERT_GT(fm.horizontalAdvance(name), Cell(4, 1).width()) << "the name must be too wide for the cell";
    for (int n = 1; n < name.size(); ++n) {
        shown = name.left(n) + QChar(0x2026);
        SCOPED_TRACE(shown.toStdString());
        EXPECT_NE(Compose(4, 1, false, false), whole);
    }
}

} // namespace
