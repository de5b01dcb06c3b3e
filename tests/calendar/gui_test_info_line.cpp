// The selected-date line on the real control: the dates always show, a long era gives way
// with an ellipsis and shows whole as the tooltip, and years after the table of days off
// and working days are noted. Also run under QT_SCALE_FACTOR=2.
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "CnWorkdays.h"
#include "InfoLine.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>

using namespace tdt;

namespace {

const QString kEllipsis = QStringLiteral("…");

TCnWorkdays ShippedTable()
{
    std::ifstream in(CN_WORKDAYS_FILE, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return TCnWorkdays::FromText(s.str());
}

class InfoLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2026, 10, 15, 9, 0, 0));
        host = std::make_unique<QWidget>();
        host->resize(800, 300);
        cal = new TChnCalendar(host.get());
        cal->setGeometry(0, 0, 311, 253);
        ApplyMainWindowCalendarSettings(*cal);
        cal->setWorkdays(&table);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    }
    void TearDown() override
    {
        host.reset();
        platform::SetNow(std::nullopt);
    }
    QLabel *Line() const { return cal->SelectedDateLine(); }
    int Room() const { return cal->width() - Line()->x() - TChnCalendar::SelectedLineMargin; }
    QString WholeLine() const { return QString::fromStdString(cal->Model().SelectedLine()); }
    QString LunarDate() const { return QStringLiteral("农历") + cal->CnDate(); }
    // What every shown date must hold to.
    void ExpectFits(const char *what)
    {
        SCOPED_TRACE(what);
        const QString text = Line()->text();
        EXPECT_LE(Line()->fontMetrics().horizontalAdvance(text), Room()) << text.toStdString();
        EXPECT_LE(Line()->geometry().right() + 1, cal->width() - TChnCalendar::SelectedLineMargin);
        EXPECT_TRUE(text.contains(LunarDate())) << text.toStdString();
        if (text == WholeLine())
            EXPECT_EQ(Line()->toolTip(), QString());
        else
            EXPECT_EQ(Line()->toolTip(), WholeLine());
    }

    TCnWorkdays table = ShippedTable();
    std::unique_ptr<QWidget> host;
    TChnCalendar *cal = nullptr;
};

TEST_F(InfoLine, ALongEraGivesWayToTheLunarDateAndShowsWholeAsTheTooltip)
{
    const struct {
        YMD date;
        bool shortened;
    } cases[] = {
        {{1320, 3, 15}, true},   // [元]仁宗 孛儿只斤·爱育黎拔力八达 延祐7年
        {{1909, 5, 1}, false},   // [清] 爱新觉罗溥仪 宣统元年
        {{2011, 6, 30}, false},  // no era
    };
    for (const auto &c : cases) {
        cal->setDateTime(EncodeDate(c.date.year, c.date.month, c.date.day));
        const QString era = QString::fromStdString(cal->Model().SelectedEra());
        const QString text = Line()->text();
        SCOPED_TRACE(text.toStdString());
        ExpectFits("case");
        EXPECT_TRUE(text.endsWith(QStringLiteral(" ") + LunarDate()));
        EXPECT_EQ(text.contains(kEllipsis), c.shortened);
        EXPECT_EQ(!Line()->toolTip().isEmpty(), c.shortened);
        if (c.shortened) {
            EXPECT_TRUE(Line()->toolTip().startsWith(era + QStringLiteral(" 农历")));
            // What is left of the era is its beginning.
            EXPECT_TRUE(era.startsWith(text.left(text.indexOf(kEllipsis))));
            EXPECT_GE(text.indexOf(kEllipsis), 4);
        } else {
            EXPECT_EQ(text, WholeLine());
        }
    }
    // The model's own line is the whole one.
    cal->setDateTime(EncodeDate(1320, 3, 15));
    EXPECT_EQ(QString::fromStdString(cal->Model().SelectedLine()), Line()->toolTip());
}

// Every year with an era, on one day each: the line fits and carries the lunar date.
TEST_F(InfoLine, EveryEraFits)
{
    int shortened = 0;
    for (int y = 1; y < 1949; ++y) {
        cal->setDateTime(EncodeDate(y, 6, 15));
        ASSERT_NO_FATAL_FAILURE(ExpectFits(std::to_string(y).c_str()));
        if (HasFailure()) {
            ADD_FAILURE() << y;
            return;
        }
        shortened += !Line()->toolTip().isEmpty();
    }
    EXPECT_GT(shortened, 0);
}

// Nothing of the line is drawn past its room, and the lunar date at its end is drawn.
TEST_F(InfoLine, ThePixelsStayInsideTheControl)
{
    cal->setDateTime(EncodeDate(1320, 3, 15));
    QCoreApplication::processEvents();
    const QImage shot = host->grab(cal->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const qreal dpr = shot.devicePixelRatio();
    const QRect line = Line()->geometry();
    auto inkIn = [&](int left, int right) { // logical x, right exclusive
        int n = 0;
        for (int y = int(line.top() * dpr); y < int((line.bottom() + 1) * dpr); ++y)
            for (int x = int(left * dpr); x < int(right * dpr); ++x)
                n += QColor(shot.pixel(x, y)) != QColor(Qt::white);
        return n;
    };
    // Right of the room up to the frame: white.
    EXPECT_EQ(inkIn(line.left() + Room(), cal->width() - 1), 0);
    // The last two characters of the lunar date.
    const int dateWidth = Line()->fontMetrics().horizontalAdvance(cal->CnDay());
    EXPECT_GT(inkIn(line.right() + 1 - dateWidth, line.right() + 1), 4 * dpr * dpr);
}

TEST_F(InfoLine, AWiderControlShowsTheWholeEra)
{
    cal->setDateTime(EncodeDate(1320, 3, 15));
    ASSERT_FALSE(Line()->toolTip().isEmpty());
    cal->resize(700, 253);
    EXPECT_EQ(Line()->text(), WholeLine());
    EXPECT_EQ(Line()->toolTip(), QString());
    cal->resize(311, 253);
    EXPECT_TRUE(Line()->text().contains(kEllipsis));
}

TEST_F(InfoLine, YearsAfterTheTableAreNoted)
{
    const struct {
        YMD date;
        QString line;
    } cases[] = {
        {{2027, 1, 15}, QStringLiteral("2027-01-15 农历腊月初八  2027年放假安排未收录")},
        {{2026, 12, 31}, QStringLiteral("2026-12-31 农历冬月廿三")},
        {{2100, 12, 31}, QStringLiteral("2100-12-31 农历腊月初一  2100年放假安排未收录")},
    };
    for (const auto &c : cases) {
        cal->setDateTime(EncodeDate(c.date.year, c.date.month, c.date.day));
        EXPECT_EQ(Line()->text(), c.line);
        ExpectFits("note");
    }
    // Once the year is known, the note goes at once.
    cal->setDateTime(EncodeDate(2027, 1, 15));
    const TCnWorkdays known = TCnWorkdays::FromText("2027-01-01\t休\t元旦\n");
    cal->setWorkdays(&known);
    EXPECT_EQ(Line()->text(), QStringLiteral("2027-01-15 农历腊月初八"));
    cal->setWorkdays(&table);
    // A narrow control drops the note before the dates.
    cal->resize(200, 253);
    EXPECT_EQ(Line()->text(), QStringLiteral("2027-01-15 农历腊月初八"));
    EXPECT_EQ(Line()->toolTip(), WholeLine());
}

// The fitting on its own, against the control's font: fields go in their drop order, a
// field that shortens is cut before anything of its order goes.
TEST(FitInfoLine, GivesWayInOrder)
{
    TChnCalendar cal;
    const QFontMetrics fm = cal.SelectedDateLine()->fontMetrics();
    const TLinePart era{"[元]仁宗 孛儿只斤·爱育黎拔力八达 延祐7年", "", 2, true};
    const TLinePart date{"农历二月初六", " ", 0, false};
    const TLinePart own{"阿宝 6 岁生日", " ", 3, false};
    const TLinePart note{"1320年放假安排未收录", "  ", 1, false};
    const QString rest = QStringLiteral(" 农历二月初六");
    const int w = fm.horizontalAdvance(WholeInfoLine({era, date, note}));
    const int restW = fm.horizontalAdvance(rest);
    const struct {
        int width;
        std::vector<TLinePart> parts;
        bool shortened;
        QString endsWith;
    } cases[] = {
        {w, {era, date, note}, false, QString::fromStdString(note.Text)},
        {w - 1, {era, date, note}, true, QString::fromStdString(note.Text)},  // the era shrinks first
        {restW + 20, {era, date, note}, true, rest},                          // then the note goes
        {restW + 2, {era, date, note}, true, QStringLiteral("农历二月初六")}, // then the era
        {restW + 20, {date, note}, true, QStringLiteral("农历二月初六")},
        {restW + 20, {date, own, note}, true, QStringLiteral("农历二月初六")}, // a later order goes too
        {restW / 2, {date}, true, kEllipsis},
    };
    for (const auto &c : cases) {
        const TInfoLine fit = FitInfoLine(fm, c.width, c.parts);
        SCOPED_TRACE(fit.Text.toStdString());
        EXPECT_EQ(fit.Shortened, c.shortened);
        EXPECT_TRUE(fit.Text.endsWith(c.endsWith));
        EXPECT_LE(fm.horizontalAdvance(fit.Text), c.width);
    }
}

} // namespace
