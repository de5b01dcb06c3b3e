// The keyword search through the real main window: Ctrl+F, 查找下一个 and 上一个 across
// the stored weeks, the weekend row, no match, and the calendar's marks of days with notes.
#include "../store/store_fixture.h"

#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "NotesRepository.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"
#include "uSearchTxt.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

using namespace tdt;

namespace {

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

QString u(const char *s) { return QString::fromUtf8(s); }

// Notes as the program stores them: the content loads as plain text, ContentBak has CR LF.
const struct {
    const char *key;
    const char *text;
} kNotes[] = {
    {"20100520", "写周报 draft"},                          // Thursday
    {"20100601", "买菜"},                                  // Tuesday, the clock's day
    {"20100603", "Weekly 周报 one\n第二行：周报 two"},      // Thursday, twice
    {"20100612", "周末 爬山\n周报"},                        // Saturday: the weekend box
    {"20100706", "PPT review"},                            // Tuesday
    {"20100731", "月底 Ppt"},                              // Saturday before a month that begins on Sunday
    {"20100607", "   \r\n"},                               // only blanks: no note
};

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0)); // a Tuesday
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        std::vector<TNotesRepository::DayNote> days;
        for (const auto &n : kNotes) {
            QString plain = u(n.text);
            days.push_back({QString::fromLatin1(n.key), plain.toUtf8(), plain.replace(QLatin1String("\n"), QLatin1String("\r\n"))});
        }
        TNotesRepository(dm).WriteDays(days, true);
        frm = std::make_unique<TMainFrm>();
        frm->show();
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
        dialogs::TakeShown();
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    // Ctrl+F from the focused box, then the keyword.
    TSearchTxtFrm *open(const QString &keyword = QString())
    {
        QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : frm.get();
        QTest::keyClick(from, Qt::Key_F, Qt::ControlModifier);
        TSearchTxtFrm *w = frm->findChild<TSearchTxtFrm *>();
        EXPECT_NE(w, nullptr);
        if (!w)
            return nullptr;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        typeText(w->findChild<QLineEdit *>("edtSearchKey"), keyword);
        return w;
    }
    void next(TSearchTxtFrm *w) { QTest::mouseClick(w->findChild<QPushButton *>("btnqryNetxt"), Qt::LeftButton); }
    void previous(TSearchTxtFrm *w) { QTest::mouseClick(w->findChild<QPushButton *>("btnLast"), Qt::LeftButton); }
    QString shownDay() const { return DayKeyOf(frm->chnRili->DateTime()); }
    // The box showing the day, and its selection.
    QString selectionIn(int box) const { return frm->redt[box]->textCursor().selectedText(); }
    int selectionStart(int box) const { return frm->redt[box]->textCursor().selectionStart(); }
    QString position(TSearchTxtFrm *w) const { return w->findChild<QLabel *>("lblPos")->text(); }

    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
};

TEST_F(SearchWindowTest, CtrlFFromAnywhereOpensTheWindowWithTheFieldFocused)
{
    const std::vector<QWidget *> holders = {frm->redt[2], frm->redt[5], frm->chnRili->Grid(), frm.get()};
    for (QWidget *holder : holders) {
        if (TSearchTxtFrm *w = frm->findChild<TSearchTxtFrm *>())
            w->close();
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
        holder->setFocus();
        QApplication::processEvents();
        QTest::keyClick(holder, Qt::Key_F, Qt::ControlModifier);
        TSearchTxtFrm *w = frm->findChild<TSearchTxtFrm *>();
        ASSERT_NE(w, nullptr) << holder->objectName().toStdString();
        // Not modal, it would share the main window's activation: wait for its own.
        ASSERT_TRUE(QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }));
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isModal());
        EXPECT_LE((w->geometry().center() - frm->frameGeometry().center()).manhattanLength(), 1);
        EXPECT_EQ(QApplication::focusWidget(), w->findChild<QLineEdit *>("edtSearchKey"))
            << QApplication::focusWidget()->metaObject()->className() << " "
            << QApplication::focusWidget()->objectName().toStdString();
        EXPECT_TRUE(w->findChild<QLineEdit *>("edtSearchKey")->text().isEmpty());
        EXPECT_FALSE(w->findChild<QPushButton *>("btnLast")->isEnabled());
    }
}

struct FirstCase {
    const char *name;
    TDateTime selected;
    const char *keyword;
    const char *day; // the day shown
    int box;         // 0 ... 5
    int start;       // where the selection starts in the box
    const char *selected_text;
    const char *position;
};

class FirstMatchTest : public SearchWindowTest, public ::testing::WithParamInterface<FirstCase> {};

TEST_P(FirstMatchTest, ShowsTheFirstMatchOnOrAfterTheSelectedDate)
{
    const FirstCase &c = GetParam();
    frm->chnRili->setDateTime(c.selected);
    TSearchTxtFrm *w = open(u(c.keyword));
    ASSERT_NE(w, nullptr);
    // Enter in the field presses 查找下一个.
    QTest::keyClick(w->findChild<QLineEdit *>("edtSearchKey"), Qt::Key_Return);
    EXPECT_EQ(shownDay(), c.day);
    // Moved as a pick moves it: the day at midnight, its week in the boxes.
    EXPECT_EQ(frm->chnRili->DateTime(), std::floor(frm->chnRili->DateTime()));
    EXPECT_EQ(WeekConList[size_t(c.box)].DayKey, c.day);
    EXPECT_EQ(selectionIn(c.box), u(c.selected_text));
    EXPECT_EQ(selectionStart(c.box), c.start);
    EXPECT_EQ(position(w), c.position);
    EXPECT_TRUE(w->findChild<QPushButton *>("btnLast")->isEnabled());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstMatchTest,
    ::testing::Values(
        FirstCase{"OnTheSelectedDay", EncodeDate(2010, 6, 3), "周报", "20100603", 3, 7, "周报", "2 / 4"},
        FirstCase{"AfterTheSelectedDay", EncodeDate(2010, 6, 1) + 0.4, "周报", "20100603", 3, 7, "周报", "2 / 4"},
        FirstCase{"WeekendRow", EncodeDate(2010, 6, 4), "周报", "20100612", 5, 6, "周报", "4 / 4"},
        FirstCase{"SundayShowsNothingOfItsOwn", EncodeDate(2010, 6, 13), "周末", "20100612", 5, 0, "周末", "1 / 1"},
        FirstCase{"WrapsToTheEarliest", EncodeDate(2010, 6, 13), "周报", "20100520", 3, 1, "周报", "1 / 4"},
        FirstCase{"LatinAnyCase", EncodeDate(2010, 6, 1), "pPt", "20100706", 1, 0, "PPT", "1 / 2"},
        FirstCase{"MixedKeyword", EncodeDate(2010, 1, 1), "  Ppt  ", "20100706", 1, 0, "PPT", "1 / 2"},
        FirstCase{"ChineseAndLatin", EncodeDate(2010, 1, 1), "周报 DRAFT", "20100520", 3, 1, "周报 draft", "1 / 1"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SearchWindowTest, NextGoesThroughTheBoxThenTheWeeksAndWrapsWithANotice)
{
    TSearchTxtFrm *w = open(u("周报"));
    struct Step {
        const char *day;
        int box, start;
        const char *position;
        bool notice;
    };
    const Step steps[] = {{"20100603", 3, 7, "2 / 4", false},
                          {"20100603", 3, 18, "3 / 4", false},
                          {"20100612", 5, 6, "4 / 4", false},
                          {"20100520", 3, 1, "1 / 4", true},
                          {"20100603", 3, 7, "2 / 4", false}};
    for (const Step &s : steps) {
        next(w);
        EXPECT_EQ(shownDay(), s.day) << s.position;
        EXPECT_EQ(selectionIn(s.box), u("周报")) << s.position;
        EXPECT_EQ(selectionStart(s.box), s.start) << s.position;
        EXPECT_EQ(position(w), s.position);
        QLabel *notice = w->findChild<QLabel *>("lblNotice");
        EXPECT_EQ(notice->isVisible(), s.notice) << s.position;
        if (s.notice) {
            EXPECT_EQ(notice->text(), u(TSearchTxtFrm::WrappedForwardText));
        }
    }
    // The notice is brief.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->findChild<QLabel *>("lblNotice")->isVisible(); }, 4000));
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

// The window stands off every match it shows and off that day in the calendar, in either
// row of boxes.
TEST_F(SearchWindowTest, TheWindowCoversNeitherTheMatchNorItsDay)
{
    TSearchTxtFrm *w = open(u("周报"));
    for (int step = 0; step < 5; ++step) {
        next(w);
        QApplication::processEvents();
        int box = -1;
        for (int b = 0; b < 6; ++b)
            if (frm->redt[b]->textCursor().hasSelection())
                box = b;
        ASSERT_GE(box, 0);
        TNoteBox *b = frm->redt[box];
        QTextCursor from = b->textCursor(), to = b->textCursor();
        from.setPosition(from.selectionStart());
        to.setPosition(to.selectionEnd());
        const QRect local = b->cursorRect(from).united(b->cursorRect(to));
        const QRect match(b->viewport()->mapToGlobal(local.topLeft()), local.size());
        int col = 0, row = 0;
        const int day = DecodeDate(frm->chnRili->DateTime()).day;
        for (int k = 1; k <= 42; ++k)
            if (frm->chnRili->Model().Cell(k).InUse && frm->chnRili->Model().Cell(k).Day == day) {
                col = (k - 1) % 7 + 1;
                row = (k - 1) / 7 + 1;
            }
        ASSERT_GT(col, 0);
        const QRect cellLocal = frm->chnRili->Grid()->CellRect(col, row);
        const QRect cell(frm->chnRili->Grid()->mapToGlobal(cellLocal.topLeft()), cellLocal.size());
        SCOPED_TRACE(testing::Message() << shownDay().toStdString() << " box " << box);
        EXPECT_FALSE(w->frameGeometry().intersects(match));
        EXPECT_FALSE(w->frameGeometry().intersects(cell));
    }
}

TEST_F(SearchWindowTest, PreviousGoesBackTheSameWay)
{
    TSearchTxtFrm *w = open(u("周报"));
    EXPECT_FALSE(w->findChild<QPushButton *>("btnLast")->isEnabled());
    previous(w); // disabled: nothing happens
    EXPECT_EQ(shownDay(), "20100601");
    next(w);
    const struct {
        const char *day;
        int box, start;
        const char *position;
        bool notice;
    } steps[] = {{"20100520", 3, 1, "1 / 4", false},
                 {"20100612", 5, 6, "4 / 4", true},
                 {"20100603", 3, 18, "3 / 4", false},
                 {"20100603", 3, 7, "2 / 4", false}};
    for (const auto &s : steps) {
        previous(w);
        EXPECT_EQ(shownDay(), s.day) << s.position;
        EXPECT_EQ(selectionStart(s.box), s.start) << s.position;
        EXPECT_EQ(selectionIn(s.box), u("周报"));
        EXPECT_EQ(position(w), s.position);
        EXPECT_EQ(w->findChild<QLabel *>("lblNotice")->isVisible(), s.notice) << s.position;
    }
}

TEST_F(SearchWindowTest, NoMatchNamesTheKeywordAndMovesNothing)
{
    TSearchTxtFrm *w = open(u("不存在 "));
    const TDateTime before = frm->chnRili->DateTime();
    const QString monday = WeekConList[0].DayKey;
    next(w);
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, u("找不到“不存在”。"));
    EXPECT_EQ(frm->chnRili->DateTime(), before);
    EXPECT_EQ(WeekConList[0].DayKey, monday);
    EXPECT_FALSE(w->findChild<QPushButton *>("btnLast")->isEnabled());
    EXPECT_TRUE(position(w).isEmpty());
}

TEST_F(SearchWindowTest, AnUnreadableTableIsNoEmptyResult)
{
    TSearchTxtFrm *w = open(u("周报"));
    const TDateTime before = frm->chnRili->DateTime();
    dm.qryData.ExecDirect(QStringLiteral("alter table tb_NewTavi rename to gone"));
    next(w);
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, u(TSearchTxtFrm::LookUpFailedText));
    EXPECT_EQ(frm->chnRili->DateTime(), before);
}

TEST_F(SearchWindowTest, EmptyKeywordDoesNothing)
{
    TSearchTxtFrm *w = open(u("   "));
    const TDateTime before = frm->chnRili->DateTime();
    next(w);
    QTest::keyClick(w->findChild<QLineEdit *>("edtSearchKey"), Qt::Key_Return);
    EXPECT_EQ(frm->chnRili->DateTime(), before);
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
    EXPECT_FALSE(w->findChild<QPushButton *>("btnLast")->isEnabled());
}

TEST_F(SearchWindowTest, AChangedKeywordStartsAgainFromTheCalendarsDate)
{
    TSearchTxtFrm *w = open(u("周报"));
    next(w);
    next(w);
    EXPECT_EQ(position(w), "3 / 4");
    QLineEdit *field = w->findChild<QLineEdit *>("edtSearchKey");
    field->clear();
    typeText(field, u("ppt"));
    next(w);
    EXPECT_EQ(shownDay(), "20100706");
    EXPECT_EQ(position(w), "1 / 2");
    // Showing the window again starts afresh.
    w->close();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    w = open(u("ppt"));
    EXPECT_EQ(SearchPos, -1);
    EXPECT_TRUE(position(w).isEmpty());
    next(w);
    EXPECT_EQ(shownDay(), "20100706");
}

// Wildcards of the engine are plain characters in a keyword; letters A to Z in any case.
TEST_F(SearchWindowTest, LookUpTakesTheKeywordLiterally)
{
    TNotesRepository repo(dm);
    repo.WriteDays({{"20110103", "x", "100% sure"}, {"20110104", "x", "a_b"}, {"20110105", "x", "c\\d"},
                    {"20110106", "x", "abab ABAB"}},
                   true);
    const struct {
        const char *keyword;
        std::vector<std::pair<QString, int>> days;
    } cases[] = {{"%", {{"20110103", 1}}},
                 {"_", {{"20110104", 1}}},
                 {"\\", {{"20110105", 1}}},
                 {"B", {{"20110104", 1}, {"20110106", 4}}},
                 {"周报", {{"20100520", 1}, {"20100603", 2}, {"20100612", 1}}},
                 {"%%", {}}};
    for (const auto &c : cases) {
        std::vector<std::pair<QString, int>> got;
        for (const auto &d : repo.FindKeyword(u(c.keyword)))
            got.push_back({d.key, d.count});
        EXPECT_EQ(got, c.days) << c.keyword;
    }
}

// ---- days with notes marked in the calendar ----

std::vector<int> markedDays(const TChnCalendar &cal)
{
    std::vector<int> days;
    for (int k = 1; k <= TChnCalendarModel::LastDayCell; ++k)
        if (cal.Model().Cell(k).InUse && cal.Model().Cell(k).Noted)
            days.push_back(cal.Model().Cell(k).Day);
    return days;
}

TEST_F(SearchWindowTest, DaysWithNotesAreMarkedSaturdaysNoteMarksSundayToo)
{
    const struct {
        TDateTime month;
        std::vector<int> days;
    } months[] = {{EncodeDate(2010, 5, 10), {20}},
                  {EncodeDate(2010, 6, 10), {1, 3, 12, 13}},
                  {EncodeDate(2010, 7, 10), {6, 31}},
                  {EncodeDate(2010, 8, 10), {1}}, // August 2010 begins on the Sunday after 31 July
                  {EncodeDate(2010, 9, 10), {}}};
    for (const auto &m : months) {
        frm->chnRili->setDateTime(m.month);
        EXPECT_EQ(markedDays(*frm->chnRili), m.days) << DayKeyOf(m.month).toStdString();
    }
}

TEST_F(SearchWindowTest, MarksFollowEditsAtTheNextSave)
{
    frm->chnRili->setDateTime(EncodeDate(2010, 6, 2));
    EXPECT_EQ(markedDays(*frm->chnRili), (std::vector<int>{1, 3, 12, 13}));
    // Thursday emptied, Wednesday written: the marks follow at the save.
    frm->redt[3]->setFocus();
    frm->redt[3]->selectAll();
    frm->redt[3]->ClearSelection();
    frm->redt[2]->setFocus();
    typeText(frm->redt[2], u("新"));
    QApplication::processEvents();
    EXPECT_EQ(markedDays(*frm->chnRili), (std::vector<int>{1, 2, 12, 13}));
}

// The mark is small, drawn in its colour, and covers no text of the cell.
TEST_F(SearchWindowTest, MarkIsSmallAndCoversNoText)
{
    frm->chnRili->setDateTime(EncodeDate(2010, 6, 2));
    TChnCalendar &cal = *frm->chnRili;
    TChnCalendarStyle style = cal.Style();
    style.ShowNoteMarks = false;
    cal.setStyle(style);
    const QImage without = cal.Grid()->grab().toImage();
    style.ShowNoteMarks = true;
    cal.setStyle(style);
    const QImage with = cal.Grid()->grab().toImage();
    const QColor markColor = cal.ToQColor(style.ColorNoteMark);
    int marks = 0;
    for (int row = 1; row <= 6; ++row)
        for (int col = 1; col <= 7; ++col) {
            const int k = TChnCalendarModel::CellNo(col, row);
            if (k > TChnCalendarModel::LastDayCell)
                continue;
            const TcnDateInf &cell = cal.Model().Cell(k);
            const QRect r = cal.Grid()->CellRect(col, row);
            const QRect mark = cal.NoteMarkRect(col, row);
            EXPECT_EQ(!mark.isEmpty(), cell.InUse && cell.Noted) << k;
            if (mark.isEmpty())
                continue;
            ++marks;
            EXPECT_LE(mark.width() * mark.height(), 36);
            EXPECT_TRUE(mark.intersected(cal.WorkdayMarkRect(col, row)).isEmpty());
            const bool selected = cal.Grid()->Col() == col && cal.Grid()->Row() == row;
            // In device pixels: at a scale factor the grab holds more of them.
            const qreal dpr = with.devicePixelRatio();
            const QRect cellPx = QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr).toRect();
            const QRectF markPx(QPointF(mark.topLeft()) * dpr, QSizeF(mark.size()) * dpr);
            for (int y = 0; y < cellPx.height(); ++y)
                for (int x = 0; x < cellPx.width(); ++x) {
                    const QPoint p = cellPx.topLeft() + QPoint(x, y);
                    const QPointF centre(x + 0.5, y + 0.5);
                    if (!markPx.adjusted(-1, -1, 1, 1).contains(centre)) {
                        EXPECT_EQ(with.pixel(p), without.pixel(p)) << k << " " << x << "," << y;
                        continue;
                    }
                    // Under the mark only background: white, the pale numbers or the selection.
                    const QColor under = without.pixelColor(p);
                    if (!selected) {
                        EXPECT_GE(std::min({under.red(), under.green(), under.blue()}), 200) << k;
                    }
                }
            const QPoint middle = cellPx.topLeft() + (markPx.center()).toPoint();
            EXPECT_EQ(with.pixelColor(middle), selected ? QColor(Qt::white) : markColor) << k;
        }
    EXPECT_EQ(marks, 4);
}

} // namespace
