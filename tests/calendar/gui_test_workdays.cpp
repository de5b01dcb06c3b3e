// The 休 / 班 marks on the real control: where they go, what they leave alone, their
// colours and properties, and the program-wide table from the program folder.
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "WorkdaysFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tdt;

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

int CountColour(const QImage &img, const QRect &r, const QColor &c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.pixelColor(x, y).rgb() == c.rgb();
    return n;
}

// Pixels of a and b that differ, outside `except`.
int DiffOutside(const QImage &a, const QImage &b, const QRect &except)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!except.contains(x, y) && a.pixel(x, y) != b.pixel(x, y))
                ++n;
    return n;
}

int DiffInside(const QImage &a, const QImage &b, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

class Marks : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2026, 10, 15, 9, 0, 0));
        host = std::make_unique<QWidget>();
        host->resize(800, 640);
        host->setLocale(kChinese);
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
    QImage CellImage(int col, int row) const
    {
        return cal->Grid()->grab(cal->Grid()->CellRect(col, row)).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The background under a cell, as the cell copies it before drawing.
    QImage BackgroundUnder(int col, int row) const
    {
        const QRect r = cal->Grid()->CellRect(col, row).translated(cal->Grid()->pos());
        return cal->BackgroundBitmap().copy(r).convertToFormat(QImage::Format_RGB32);
    }
    // Grid column and row of a day of the shown month.
    void Place(int day, int &col, int &row) const
    {
        const YMD s = DecodeDate(cal->DateTime());
        const int k = GridWeekday(s.year, s.month, 1) + day - 1;
        row = (k + 6) / 7;
        col = k - 7 * (row - 1);
    }
    TWorkdayMark MarkOfDay(int day) const
    {
        const YMD s = DecodeDate(cal->DateTime());
        return table.MarkOf(s.year, s.month, day);
    }

    TCnWorkdays table = TCnWorkdays::FromFile(CN_WORKDAYS_FILE);
    std::unique_ptr<QWidget> host;
    TChnCalendar *cal = nullptr;
};

TEST_F(Marks, DefaultsAndTheMainWindowsSettings)
{
    TChnCalendar plain;
    EXPECT_FALSE(plain.Style().ShowWorkdayMarks);
    EXPECT_EQ(plain.Workdays(), nullptr);
    EXPECT_EQ(plain.Style().ColorOffDay, 2105568);
    EXPECT_EQ(plain.Style().ColorWorkDay, 5197647);
    EXPECT_EQ(TChnCalendarStyle().ShowWorkdayMarks, false);
    EXPECT_EQ(TChnCalendarStyle().ColorOffDay, 2105568);
    EXPECT_EQ(TChnCalendarStyle().ColorWorkDay, 5197647);

    ApplyMainWindowCalendarSettings(plain);
    EXPECT_TRUE(plain.Style().ShowWorkdayMarks);
    EXPECT_EQ(plain.Workdays(), &CnWorkdays());
    EXPECT_EQ(plain.Style().ColorOffDay, TChnCalendar::DefaultColorOffDay);
    EXPECT_EQ(plain.Style().ColorWorkDay, TChnCalendar::DefaultColorWorkDay);

    Restyle(plain, [](TChnCalendarStyle &s) { s.ShowWorkdayMarks = false; });
    EXPECT_FALSE(plain.Style().ShowWorkdayMarks);
    Restyle(plain, [](TChnCalendarStyle &s) { s.ColorOffDay = clr::clBlue; });
    EXPECT_EQ(plain.Style().ColorOffDay, clr::clBlue);
    Restyle(plain, [](TChnCalendarStyle &s) { s.ColorWorkDay = clr::clGreen; });
    EXPECT_EQ(plain.Style().ColorWorkDay, clr::clGreen);
}

struct SizeCase {
    int w, h;
    bool marksFit;
};

class MarksAtSize : public Marks, public ::testing::WithParamInterface<SizeCase> {};

// Every day of October 2026 and of February 2026: marked cells differ from the same
// cell without marks only inside the mark, and there the unmarked cell shows nothing
// but its background, so the mark covers neither the day number nor the lunar line.
TEST_P(MarksAtSize, MarksCoverNothingElse)
{
    const SizeCase sz = GetParam();
    cal->setGeometry(0, 0, sz.w, sz.h);
    for (const YMD month : {YMD{2026, 10, 15}, YMD{2026, 2, 25}}) {
        cal->setDateTime(EncodeDate(month.year, month.month, month.day));
        int marked = 0;
        for (int d = 1; d <= DaysInMonth(month.year, month.month); ++d) {
            int col, row;
            Place(d, col, row);
            Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = true; });
            const QImage on = CellImage(col, row);
            const QRect mark = cal->WorkdayMarkRect(col, row);
            Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = false; });
            const QImage off = CellImage(col, row);
            EXPECT_TRUE(cal->WorkdayMarkRect(col, row).isEmpty());
            const TWorkdayMark want = MarkOfDay(d);
            SCOPED_TRACE(testing::Message() << month.year << '-' << month.month << '-' << d << " at " << sz.w << 'x' << sz.h);
            if (want == TWorkdayMark::None || !sz.marksFit) {
                if (!sz.marksFit && want != TWorkdayMark::None) {
                    EXPECT_TRUE(mark.isEmpty());
                }
                if (want == TWorkdayMark::None) {
                    EXPECT_TRUE(mark.isEmpty());
                }
                EXPECT_EQ(DiffOutside(on, off, mark), 0);
                continue;
            }
            ++marked;
            ASSERT_FALSE(mark.isEmpty());
            EXPECT_TRUE(QRect(QPoint(0, 0), on.size()).contains(mark));
            EXPECT_LE(mark.bottom(), on.height() / 2 - 1);
            EXPECT_EQ(DiffOutside(on, off, mark), 0);
            const TChnCalendarStyle &look = cal->Style();
            const QColor colour = Rgb(want == TWorkdayMark::Off ? look.ColorOffDay : look.ColorWorkDay);
            EXPECT_GE(CountColour(on, mark, colour), 8);
            if (d != month.day) {
                const QImage bg = BackgroundUnder(col, row);
                EXPECT_EQ(DiffInside(off, bg, mark), 0) << "the unmarked cell has ink where the mark goes";
            }
        }
        if (sz.marksFit) {
            EXPECT_EQ(marked, month.month == 10 ? 8 : 11);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MarksAtSize,
                         ::testing::Values(SizeCase{311, 253, true}, SizeCase{313, 253, true}, SizeCase{360, 290, true},
                                           SizeCase{480, 400, true}, SizeCase{700, 560, true},
                                           SizeCase{240, 200, false}),
                         [](const ::testing::TestParamInfo<SizeCase> &i) {
                             return std::to_string(i.param.w) + "x" + std::to_string(i.param.h);
                         });

TEST_F(Marks, KnownDaysAtTheMainWindowsSize)
{
    const struct {
        YMD date;
        TWorkdayMark mark;
    } days[] = {{{2026, 10, 1}, TWorkdayMark::Off},  {{2026, 9, 20}, TWorkdayMark::Work},
                {{2026, 10, 10}, TWorkdayMark::Work}, {{2026, 2, 14}, TWorkdayMark::Work},
                {{2026, 10, 8}, TWorkdayMark::None},  {{2026, 10, 11}, TWorkdayMark::None},
                {{2026, 3, 10}, TWorkdayMark::None}};
    for (const auto &c : days) {
        // Shown while another day of the month is selected, and selected itself.
        for (const int selected : {c.date.day == 28 ? 27 : 28, c.date.day}) {
            cal->setDateTime(EncodeDate(c.date.year, c.date.month, selected));
            int col, row;
            Place(c.date.day, col, row);
            const QRect mark = cal->WorkdayMarkRect(col, row);
            const QImage img = CellImage(col, row);
            SCOPED_TRACE(testing::Message() << c.date.year << '-' << c.date.month << '-' << c.date.day
                                            << (selected == c.date.day ? " selected" : ""));
            EXPECT_EQ(cal->Model().Cell(TChnCalendarModel::CellNo(col, row)).Workday, c.mark);
            if (c.mark == TWorkdayMark::None) {
                EXPECT_TRUE(mark.isEmpty());
                continue;
            }
            ASSERT_FALSE(mark.isEmpty());
            const TChnCalendarStyle &look = cal->Style();
            const QColor colour = Rgb(c.mark == TWorkdayMark::Off ? look.ColorOffDay : look.ColorWorkDay);
            const QColor other = Rgb(c.mark == TWorkdayMark::Off ? look.ColorWorkDay : look.ColorOffDay);
            EXPECT_GE(CountColour(img, mark, colour), 8);
            EXPECT_EQ(CountColour(img, mark, other), 0);
            // On the selection gradient the mark has a white ground.
            if (selected == c.date.day) {
                EXPECT_GE(CountColour(img, mark, Qt::white), mark.width() * mark.height() / 3);
            }
        }
    }
}

TEST_F(Marks, ATableAloneShowsNothingUntilTheMarksAreOn)
{
    TChnCalendar fresh(host.get());
    fresh.setGeometry(320, 0, 311, 253);
    ApplyMainWindowCalendarSettings(fresh);
    Restyle(fresh, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = false; });
    fresh.setDateTime(EncodeDate(2026, 10, 15));
    fresh.show();
    const QImage without = fresh.Grid()->grab().toImage();
    fresh.setWorkdays(&table);
    EXPECT_EQ(fresh.Grid()->grab().toImage(), without);
    Restyle(fresh, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = true; });
    EXPECT_NE(fresh.Grid()->grab().toImage(), without);
    // No table: marks on show nothing either.
    fresh.setWorkdays(nullptr);
    EXPECT_EQ(fresh.Grid()->grab().toImage(), without);
}

TEST_F(Marks, ColourPropertiesRepaint)
{
    cal->setDateTime(EncodeDate(2026, 10, 15));
    int col1, row1, col10, row10;
    Place(1, col1, row1);
    Place(10, col10, row10);
    Restyle(*cal, [](TChnCalendarStyle &s) {
        s.ColorOffDay = clr::RGB(0, 0, 255);
        s.ColorWorkDay = clr::RGB(0, 160, 0);
    });
    EXPECT_GE(CountColour(CellImage(col1, row1), cal->WorkdayMarkRect(col1, row1), QColor(0, 0, 255)), 8);
    EXPECT_GE(CountColour(CellImage(col10, row10), cal->WorkdayMarkRect(col10, row10), QColor(0, 160, 0)), 8);
    // The day numbers keep their own colours.
    EXPECT_EQ(cal->Model().Cell(TChnCalendarModel::CellNo(col10, row10)).DayColor, clr::clRed);
}

// A handler that writes a wider day text pushes the mark out rather than under it.
TEST_F(Marks, AWiderDayTextLeavesNoRoomForTheMark)
{
    cal->setDateTime(EncodeDate(2026, 10, 15));
    QObject::connect(cal, &TChnCalendar::OnDrawDateCell,
                     [](TChnCalendar *, int day, QPainter *, const QRect &, bool, QString &text, bool &) {
                         if (day == 1)
                             text = QStringLiteral("十月一日");
                     });
    int col, row;
    Place(1, col, row);
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = false; });
    const QImage off = CellImage(col, row);
    Restyle(*cal, [&](TChnCalendarStyle &s) { s.ShowWorkdayMarks = true; });
    EXPECT_EQ(CellImage(col, row), off);
}

// At a scale factor of 2 the cells are drawn as at 1 and doubled: the calendar-shot tool
// run both ways shows every mark of the month pixel for pixel alike (the small crisp face
// once drew "班" as its left half there).
TEST_F(Marks, AtScaleFactorTwoEveryMarkIsDrawnWhole)
{
    cal->setDateTime(EncodeDate(2026, 10, 15));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto shoot = [&](const QString &scaleFactor, const QString &name) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleFactor);
        env.remove(QStringLiteral("TAVI_HOME"));
        p.setProcessEnvironment(env);
        const QString out = dir.filePath(name);
        // At 1 the tool doubles the picture itself.
        p.start(QStringLiteral(CALENDAR_SHOT), {out, QStringLiteral("2026-10-15"), scaleFactor == "1" ? "2" : "1"});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    };
    const QImage doubled = shoot(QStringLiteral("1"), QStringLiteral("1.png"));
    const QImage scaled = shoot(QStringLiteral("2"), QStringLiteral("2.png"));
    ASSERT_EQ(doubled.size(), QSize(622, 506));
    ASSERT_EQ(scaled.size(), doubled.size());
    int marks = 0;
    for (int d = 1; d <= 31; ++d) {
        int col, row;
        Place(d, col, row);
        const QRect mark = cal->WorkdayMarkRect(col, row);
        if (MarkOfDay(d) == TWorkdayMark::None || d == 15)
            continue;
        SCOPED_TRACE(d);
        ASSERT_FALSE(mark.isEmpty());
        const QRect at = mark.translated(cal->Grid()->geometry().topLeft() + cal->Grid()->CellRect(col, row).topLeft());
        const QRect twice(at.topLeft() * 2, at.size() * 2);
        const QImage a = doubled.copy(twice), b = scaled.copy(twice);
        // The glyph's own pixels: the pale year behind some marks is smoothed otherwise at 2.
        const QColor ink = Rgb(MarkOfDay(d) == TWorkdayMark::Off ? cal->Style().ColorOffDay : cal->Style().ColorWorkDay);
        int inked = 0, differ = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const bool inA = a.pixelColor(x, y).rgb() == ink.rgb(), inB = b.pixelColor(x, y).rgb() == ink.rgb();
                inked += inA;
                differ += inA != inB;
            }
        EXPECT_GE(inked, 4 * 10);
        EXPECT_EQ(differ, 0);
        ++marks;
    }
    EXPECT_EQ(marks, 8); // 1-7 休, 10 班
}

// ---- the program-wide table ----

class ProgramTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        saved = qgetenv("TAVI_HOME");
        hadHome = qEnvironmentVariableIsSet("TAVI_HOME");
        qputenv("TAVI_HOME", home.path().toLocal8Bit());
        QDir(home.path()).mkpath("Data");
    }
    void TearDown() override
    {
        if (hadHome)
            qputenv("TAVI_HOME", saved);
        else
            qunsetenv("TAVI_HOME");
        ReloadCnWorkdays();
    }
    void WriteFile(const QByteArray &bytes)
    {
        QFile f(workdaysfile::Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QTemporaryDir home;
    QByteArray saved;
    bool hadHome = false;
};

TEST_F(ProgramTable, ReadsTheFileInTheProgramFolder)
{
    EXPECT_EQ(workdaysfile::Path(), QDir(home.path()).filePath("Data/CnWorkdays.tsv"));
    ASSERT_NO_FATAL_FAILURE(WriteFile("# 2026\n2026-10-01\t休\t国庆节\n2026-10-10\t班\t国庆节\n2026-02-14\t班\t春节\n"
                                      "2026-02-15\t休\t春节\nnot a line\n"));
    const TCnWorkdays &t = ReloadCnWorkdays();
    EXPECT_EQ(&t, &CnWorkdays());
    EXPECT_EQ(t.Size(), 4u);
    EXPECT_EQ(t.SkippedLines(), 1);
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 1)), QStringLiteral("休"));
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDateTime(2026, 10, 10, 18, 0, 0)), QStringLiteral("班"));
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 8)), QString());
    // The Saturday and Sunday box.
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 2, 14), EncodeDate(2026, 2, 15)), QStringLiteral("班"));
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 10), EncodeDate(2026, 10, 11)), QStringLiteral("班"));
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 3), EncodeDate(2026, 10, 4)), QString());
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 9, 30), EncodeDate(2026, 10, 1)), QStringLiteral("休"));
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 17), EncodeDate(2026, 10, 18)), QString());
}

TEST_F(ProgramTable, ReloadKeepsTheObjectSoControlsFollow)
{
    ASSERT_NO_FATAL_FAILURE(WriteFile("2026-10-01\t休\t国庆节\n"));
    const TCnWorkdays *before = &ReloadCnWorkdays();
    ASSERT_NO_FATAL_FAILURE(WriteFile("2026-10-01\t班\t国庆节\n"));
    EXPECT_EQ(&ReloadCnWorkdays(), before);
    EXPECT_EQ(before->MarkOf(2026, 10, 1), TWorkdayMark::Work);
}

TEST_F(ProgramTable, NoFileNoMarksNoTrouble)
{
    const TCnWorkdays &t = ReloadCnWorkdays();
    EXPECT_TRUE(t.Empty());
    EXPECT_FALSE(t.FileRead());
    EXPECT_EQ(WorkdayMarkTextOf(EncodeDate(2026, 10, 1)), QString());
    // A folder where the file should be.
    QDir(home.path()).mkpath("Data/CnWorkdays.tsv");
    EXPECT_TRUE(ReloadCnWorkdays().Empty());
}

TEST_F(ProgramTable, ScreenshotOfOctober2026ShowsTheMarks)
{
    QFile::copy(CN_WORKDAYS_FILE, workdaysfile::Path());
    ReloadCnWorkdays();
    platform::SetNow(EncodeDateTime(2026, 10, 1, 9, 0, 0));
    QWidget host;
    host.resize(311, 253);
    host.setLocale(kChinese);
    TChnCalendar cal(&host);
    cal.setGeometry(0, 0, 311, 253);
    ApplyMainWindowCalendarSettings(cal);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    platform::SetNow(std::nullopt);
    EXPECT_EQ(DecodeDate(cal.DateTime()), (YMD{2026, 10, 1}));
    const QImage shot = cal.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GE(CountColour(shot, shot.rect(), Rgb(cal.Style().ColorOffDay)), 7 * 8);
    QDir().mkpath(CALENDAR_SHOT_DIR);
    EXPECT_TRUE(shot.save(QStringLiteral(CALENDAR_SHOT_DIR "/calendar-2026-10-workdays.png")));
}

} // namespace
