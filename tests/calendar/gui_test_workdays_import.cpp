// Importing a new year's arrangement into the program folder's table: through Qt's own
// open dialog and message box, and through the dialog seam for the refusals.
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "CnWorkdaysImport.h"
#include "Dialogs.h"
#include "WorkdaysFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tdt;

namespace {

// The 2027 National Day holiday as a calendar site publishes it, folded and with CR LF.
const QByteArray kNationalDay2027 = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//example//holidays//ZH\r\n"
                                    "BEGIN:VEVENT\r\nUID:a@example\r\nDTSTART;VALUE=DATE:20271001\r\n"
                                    "DTEND;VALUE=DATE:20271008\r\nSUMMARY:国庆节 \r\n 休\r\nEND:VEVENT\r\n"
                                    "BEGIN:VEVENT\r\nUID:b@example\r\nDTSTART;VALUE=DATE:20270926\r\n"
                                    "SUMMARY:国庆节 班\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Import : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(source.isValid());
        saved = qgetenv("TAVI_HOME");
        hadHome = qEnvironmentVariableIsSet("TAVI_HOME");
        qputenv("TAVI_HOME", home.path().toLocal8Bit());
        QDir(home.path()).mkpath("Data");
        ASSERT_TRUE(QFile::copy(CN_WORKDAYS_FILE, workdaysfile::Path()));
        QFile::setPermissions(workdaysfile::Path(), QFile::ReadOwner | QFile::WriteOwner);
        ReloadCnWorkdays();
        shipped = Bytes(workdaysfile::Path());
        dialogs::SetScripted(true);
        platform::SetNow(EncodeDateTime(2027, 10, 15, 9, 0, 0));
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        cal = new TChnCalendar(host.get());
        cal->setGeometry(0, 0, 311, 253);
        ApplyMainWindowCalendarSettings(*cal);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        ASSERT_EQ(cal->Workdays(), &CnWorkdays());
    }
    void TearDown() override
    {
        host.reset();
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
        if (hadHome)
            qputenv("TAVI_HOME", saved);
        else
            qunsetenv("TAVI_HOME");
        ReloadCnWorkdays();
    }
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = source.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    TWorkdayMark MarkOf(int day) const
    {
        for (int k = 1; k <= TChnCalendarModel::LastDayCell; ++k)
            if (cal->Model().Cell(k).InUse && cal->Model().Cell(k).Day == day)
                return cal->Model().Cell(k).Workday;
        return TWorkdayMark::None;
    }
    QString Line() const { return cal->SelectedDateLine()->text(); }

    QTemporaryDir home, source;
    QByteArray saved, shipped;
    bool hadHome = false;
    std::unique_ptr<QWidget> host;
    TChnCalendar *cal = nullptr;
};

TEST_F(Import, ACalendarFileAddsItsDaysAndTheCalendarShowsThem)
{
    ASSERT_EQ(MarkOf(1), TWorkdayMark::None);
    ASSERT_TRUE(Line().endsWith(QStringLiteral("2027年放假安排未收录")));
    const QString ics = Write(QStringLiteral("2027.ics"), kNationalDay2027);
    dialogs::QueueAnswer(QStringList{ics});
    EXPECT_TRUE(ImportWorkdays(host.get(), cal));
    const QList<dialogs::Shown> shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].kind, "open");
    EXPECT_EQ(shown[0].text, ImportWorkdaysCaption());
    EXPECT_TRUE(shown[0].detail.toString().contains("*.ics"));
    EXPECT_EQ(shown[1].kind, "message");
    EXPECT_EQ(shown[1].text, QStringLiteral("已导入放假安排：新增 8 天。"));

    const QByteArray after = Bytes(workdaysfile::Path());
    EXPECT_TRUE(after.startsWith(shipped));
    EXPECT_EQ(after.mid(shipped.size()), QStringLiteral("# 导入自 2027.ics\n2027-09-26\t班\t国庆节\n"
                                                        "2027-10-01\t休\t国庆节\n2027-10-02\t休\t国庆节\n"
                                                        "2027-10-03\t休\t国庆节\n2027-10-04\t休\t国庆节\n"
                                                        "2027-10-05\t休\t国庆节\n2027-10-06\t休\t国庆节\n"
                                                        "2027-10-07\t休\t国庆节\n")
                                             .toUtf8());
    // The calendar marks the days at once and drops its note.
    for (int d = 1; d <= 7; ++d)
        EXPECT_EQ(MarkOf(d), TWorkdayMark::Off) << d;
    EXPECT_EQ(MarkOf(8), TWorkdayMark::None);
    EXPECT_FALSE(Line().contains(QStringLiteral("未收录"))) << Line().toStdString();

    // The same file again adds nothing and leaves the file alone.
    dialogs::QueueAnswer(QStringList{ics});
    EXPECT_FALSE(ImportWorkdays(host.get(), cal));
    EXPECT_EQ(dialogs::TakeShown().value(1).text, QStringLiteral("没有新增的日子。\n8 天原已收录。"));
    EXPECT_EQ(Bytes(workdaysfile::Path()), after);
}

// Some 9 MB of days, one a line with the longest name kept, from a year on.
QByteArray BigTable(int fromYear)
{
    const QByteArray name(60, 'x');
    QByteArray out;
    for (int y = fromYear; out.size() < (9 << 20); ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 28; ++d)
                out += QByteArray::number(y) + "-" + QByteArray::number(m).rightJustified(2, '0') + "-"
                       + QByteArray::number(d).rightJustified(2, '0') + "\t休\t" + name + "\n";
    return out;
}

struct Refusal {
    const char *name;
    QList<QPair<QString, QByteArray>> files; // an empty file name stands for a file that is not there
    QString message;
};
std::ostream &operator<<(std::ostream &os, const Refusal &r) { return os << r.name; }

class Refusals : public Import, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, ChangeNothing)
{
    QStringList paths;
    for (const auto &[name, bytes] : GetParam().files)
        paths << (name.isEmpty() ? source.filePath(QStringLiteral("gone.ics")) : Write(name, bytes));
    dialogs::QueueAnswer(paths);
    EXPECT_FALSE(ImportWorkdays(host.get(), cal));
    const QList<dialogs::Shown> shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, "message");
    EXPECT_EQ(shown[1].text, GetParam().message);
    EXPECT_EQ(Bytes(workdaysfile::Path()), shipped);
    EXPECT_EQ(MarkOf(1), TWorkdayMark::None);
    EXPECT_TRUE(Line().endsWith(QStringLiteral("2027年放假安排未收录")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refusals,
    ::testing::Values(
        Refusal{"CalendarNotEnded",
                {{"2027.ics", kNationalDay2027.left(kNationalDay2027.lastIndexOf("END:VCALENDAR"))}},
                QStringLiteral("无法导入“2027.ics”：文件不完整：缺少 END:VCALENDAR。\n放假安排没有改动。")},
        Refusal{"TableWithABadLine",
                {{"2027.tsv", "2027-10-01\t休\t国庆节\n2027-10-01 国庆节\n"}},
                QStringLiteral("无法导入“2027.tsv”：第 2 行不是“日期 休或班 节日名”的格式。\n放假安排没有改动。")},
        Refusal{"AGoodFileWithABadOne",
                {{"2027.ics", kNationalDay2027}, {"2028.ics", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:休\nEND:VEVENT\n"}},
                QStringLiteral("无法导入“2028.ics”：第 2 行的事件没有开始日期（DTSTART）。\n放假安排没有改动。")},
        Refusal{"ACalendarNamedFileThatIsATable",
                {{"2027.ICS", "2027-10-01\t休\t国庆节\n"}},
                QStringLiteral("无法导入“2027.ICS”：第 1 行不是 iCalendar 的内容行。\n放假安排没有改动。")},
        Refusal{"AFileThatIsNotThere", {{"", {}}}, QStringLiteral("无法读取“gone.ics”。\n放假安排没有改动。")},
        // Each file is within the read limit; both together would push the table past it.
        Refusal{"TheTablePushedPastItsReadLimit",
                {{"a.tsv", BigTable(3000)}, {"b.tsv", BigTable(5000)}},
                QStringLiteral("导入“b.tsv”后，放假安排文件将超过 16 MB，程序无法再完整读取它。\n放假安排没有改动。")}),
    [](const ::testing::TestParamInfo<Refusal> &i) { return std::string(i.param.name); });

TEST_F(Import, ATableInTheChineseWindowsCodePageKeepsItsNames)
{
    // 2027-10-01 休 国庆节, 2027-09-26 班 国庆节 as a Chinese Windows editor saves them.
    const QString tsv = Write(QStringLiteral("2027.tsv"), "2027-10-01\t\xD0\xDD\t\xB9\xFA\xC7\xEC\xBD\xDA\r\n"
                                                          "2027-09-26\t\xB0\xE0\t\xB9\xFA\xC7\xEC\xBD\xDA\r\n");
    dialogs::QueueAnswer(QStringList{tsv});
    EXPECT_TRUE(ImportWorkdays(host.get(), cal));
    EXPECT_EQ(dialogs::TakeShown().value(1).text, QStringLiteral("已导入放假安排：新增 2 天。"));
    EXPECT_TRUE(Bytes(workdaysfile::Path())
                    .endsWith(QStringLiteral("2027-09-26\t班\t国庆节\n2027-10-01\t休\t国庆节\n").toUtf8()));
    EXPECT_EQ(CnWorkdays().WorkdayMarkOf(2027, 10, 1).Holiday, "国庆节");
}

TEST_F(Import, CancelledDoesNothing)
{
    EXPECT_FALSE(ImportWorkdays(host.get(), cal));
    const QList<dialogs::Shown> shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, "open");
    EXPECT_EQ(Bytes(workdaysfile::Path()), shipped);
}

// Qt's own open dialog, typed into as a user would, then Qt's own message box.
TEST_F(Import, ThroughTheRealOpenDialogAndMessageBox)
{
    const QString ics = Write(QStringLiteral("节假日 2027.ics"), kNationalDay2027);
    dialogs::SetScripted(false);
    QStringList filters;
    QString message;
    bool answered = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dlg = qobject_cast<QFileDialog *>(modal); dlg && !answered) {
            auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!edit)
                return;
            answered = true;
            filters = dlg->nameFilters();
            // Set whole: the completer's popup would take the Return of a path typed key by key.
            edit->setText(source.path());
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::qWait(100);
            edit->setText(QFileInfo(ics).fileName());
            QTest::keyClick(edit, Qt::Key_Return);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal); box && message.isEmpty()) {
            message = box->text();
            box->accept();
        }
    });
    poll.start();
    QTimer::singleShot(10000, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close(); // never hang the suite
    });
    const bool changed = ImportWorkdays(host.get(), cal);
    poll.stop();
    dialogs::SetScripted(true);

    ASSERT_TRUE(answered) << "the real dialog opened";
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters[0].contains("*.ics")) << filters[0].toStdString();
    EXPECT_EQ(message, QStringLiteral("已导入放假安排：新增 8 天。"));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(Bytes(workdaysfile::Path()).contains("# 导入自 节假日 2027.ics\n2027-09-26\t班\t国庆节\n"));
    EXPECT_EQ(MarkOf(1), TWorkdayMark::Off);
    EXPECT_EQ(CnWorkdays().LastYear(), 2027);
}

} // namespace
