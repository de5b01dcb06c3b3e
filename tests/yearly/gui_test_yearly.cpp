// The yearly dates as the user meets them: the list window, the daily reminder with a
// moved clock, the desktop notification over D-Bus, and the main window's parts.
#include "../store/store_fixture.h"

#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "Notify.h"
#include "StatusLine.h"
#include "WeekNotes.h"
#include "WeekView.h"
#include "YearlyDatesMain.h"
#include "YearlyDatesStore.h"
#include "YearlyReminder.h"
#include "uDM.h"
#include "uMain.h"
#include "uYearlyDates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <csignal>

using namespace tdt;

namespace {

void TypeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

template <class T>
T *Child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class YearlyWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2026, 6, 10, 9, 0, 0));
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        host.resize(600, 400);
        host.show();
        frm = new TYearlyDatesFrm(dm, &host);
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
    }
    void TearDown() override
    {
        delete frm;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    void click(const char *button) { QTest::mouseClick(Child<QPushButton>(frm, button), Qt::LeftButton); }

    TempProgramDir home;
    TDM dm;
    QWidget host;
    TYearlyDatesFrm *frm = nullptr;
};

TEST_F(YearlyWindow, AddEditDelete)
{
    int changes = 0;
    QObject::connect(frm, &TYearlyDatesFrm::DatesChanged, [&] { ++changes; });
    auto *name = Child<QLineEdit>(frm, "edtName");
    auto *list = Child<QListWidget>(frm, "lstDates");

    // Add: 妈妈, lunar 闰四月三十, born 1966.
    name->setFocus();
    TypeText(name, QStringLiteral("妈妈"));
    Child<QComboBox>(frm, "cbKind")->setCurrentIndex(1);
    Child<QSpinBox>(frm, "spnMonth")->setValue(4);
    Child<QCheckBox>(frm, "chkLeap")->setChecked(true);
    Child<QSpinBox>(frm, "spnDay")->setValue(30);
    Child<QSpinBox>(frm, "spnFirstYear")->setValue(1966);
    EXPECT_EQ(Child<QSpinBox>(frm, "spnLead")->value(), 3); // the default lead
    click("btnSave");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("妈妈  农历闰四月三十"));
    auto stored = TYearlyDatesStore(dm).Load();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Name, "妈妈");
    EXPECT_TRUE(stored[0].Birthday && stored[0].Lunar && stored[0].Leap);
    EXPECT_EQ(stored[0].Day, 30);
    EXPECT_EQ(stored[0].FirstYear, 1966);
    EXPECT_EQ(changes, 1);

    // A second one, civil, then edit the first.
    click("btnNew");
    TypeText(name, QStringLiteral("结婚"));
    Child<QComboBox>(frm, "cbCalendar")->setCurrentIndex(1);
    EXPECT_FALSE(Child<QCheckBox>(frm, "chkLeap")->isEnabled());
    Child<QSpinBox>(frm, "spnMonth")->setValue(2);
    Child<QSpinBox>(frm, "spnDay")->setValue(29);
    click("btnSave");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("结婚  公历2月29日"));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(name->text(), QStringLiteral("妈妈"));
    Child<QSpinBox>(frm, "spnLead")->setValue(10);
    click("btnSave");
    stored = TYearlyDatesStore(dm).Load();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].LeadDays, 10);
    EXPECT_EQ(stored[1].Name, "结婚");

    // Delete the second.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    click("btnDelete");
    EXPECT_EQ(list->count(), 1);
    stored = TYearlyDatesStore(dm).Load();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Name, "妈妈");
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(YearlyWindow, RefusesANamelessOrImpossibleDate)
{
    click("btnSave");
    Child<QLineEdit>(frm, "edtName")->setText(QStringLiteral("某日"));
    Child<QComboBox>(frm, "cbCalendar")->setCurrentIndex(1);
    Child<QSpinBox>(frm, "spnMonth")->setValue(4);
    Child<QSpinBox>(frm, "spnDay")->setValue(31);
    click("btnSave");
    const auto shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, QStringLiteral("请输入名称。"));
    EXPECT_EQ(shown[1].text, QStringLiteral("没有这样的日期：公历4月31日。"));
    EXPECT_TRUE(TYearlyDatesStore(dm).Load().empty());
}

TEST_F(YearlyWindow, APrefilledDayOffersItsLunarAndItsCivilDate)
{
    frm->PrefillFrom(EncodeDate(2023, 4, 5)); // 闰二月十五
    auto *cal = Child<QComboBox>(frm, "cbCalendar");
    EXPECT_EQ(cal->currentIndex(), 0);
    EXPECT_EQ(Child<QSpinBox>(frm, "spnMonth")->value(), 2);
    EXPECT_TRUE(Child<QCheckBox>(frm, "chkLeap")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(frm, "spnDay")->value(), 15);
    EXPECT_EQ(Child<QSpinBox>(frm, "spnFirstYear")->value(), 2023);
    cal->setCurrentIndex(1);
    EXPECT_EQ(Child<QSpinBox>(frm, "spnMonth")->value(), 4);
    EXPECT_FALSE(Child<QCheckBox>(frm, "chkLeap")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(frm, "spnDay")->value(), 5);
    cal->setCurrentIndex(0);
    EXPECT_EQ(Child<QSpinBox>(frm, "spnMonth")->value(), 2);
    EXPECT_TRUE(Child<QCheckBox>(frm, "chkLeap")->isChecked());
}

// ---- the reminder and the clock ----

TEST(YearlyReminder, OncePerDayAtStartAndAfterEachMidnight)
{
    TYearlyDate wedding;
    wedding.Name = "结婚";
    wedding.Lunar = false;
    wedding.Month = 6;
    wedding.Day = 12;
    wedding.FirstYear = 2016;
    std::vector<TYearlyDate> list{wedding};
    TYearlyReminder r([&] { return list; });
    QStringList notified;
    r.notify = [&](const QString &summary, const QString &body) { notified << summary + "|" + body; };
    QList<QStringList> announced;
    QObject::connect(&r, &TYearlyReminder::Announced, [&](const QStringList &l) { announced << l; });

    struct Step {
        TDateTime now;
        int announcements, notifications;
        const char *line; // of the last announcement
    } steps[] = {
        {EncodeDateTime(2026, 6, 8, 8, 0, 0), 1, 0, nullptr},    // start: 4 days ahead, lead 3
        {EncodeDateTime(2026, 6, 8, 23, 59, 59), 1, 0, nullptr}, // same day: nothing new
        {EncodeDateTime(2026, 6, 9, 0, 0, 1), 2, 1, "3天后（6月12日）：结婚 10 周年"},
        {EncodeDateTime(2026, 6, 9, 18, 0, 0), 2, 1, "3天后（6月12日）：结婚 10 周年"}, // once a day
        {EncodeDateTime(2026, 6, 12, 0, 0, 0), 3, 2, "今天：结婚 10 周年"},
        {EncodeDateTime(2026, 6, 13, 0, 0, 0), 4, 2, nullptr}, // past: nothing due
    };
    bool started = false;
    for (const Step &s : steps) {
        platform::SetNow(s.now);
        if (!started) {
            r.Start();
            started = true;
        } else {
            r.Check();
        }
        EXPECT_EQ(announced.size(), s.announcements) << DecodeDate(s.now).day;
        EXPECT_EQ(notified.size(), s.notifications) << DecodeDate(s.now).day;
        if (s.line) {
            EXPECT_EQ(announced.last(), QStringList{QString::fromUtf8(s.line)});
        } else {
            EXPECT_TRUE(announced.last().isEmpty());
        }
    }
    EXPECT_EQ(notified.last(), QStringLiteral("纪念日提醒|今天：结婚 10 周年"));
    // Midnight is found by looking at the clock while the program runs.
    EXPECT_TRUE(r.Timer().isActive());
    EXPECT_LE(r.Timer().interval(), 60 * 1000);
    platform::SetNow(std::nullopt);
}

// ---- the desktop notification on a session bus of the test's own ----

class StandInNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;
public slots:
    uint Notify(const QString &app, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        calls << app + "|" + summary + "|" + body;
        return uint(calls.size());
    }
};

TEST(DesktopNotification, ReachesTheNotificationServiceOnTheSessionBus)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-launch")).isEmpty())
        GTEST_SKIP() << "dbus-launch is not installed";
    // A session bus of its own that starts no service of the machine's desktops: the
    // system's session configuration with an empty folder of services.
    QFile system(QStringLiteral("/usr/share/dbus-1/session.conf"));
    if (!system.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no D-Bus session configuration";
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("session.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(system.readAll().replace("<standard_session_servicedirs />",
                                          "<servicedir>" + dir.path().toUtf8() + "</servicedir>"));
    config.close();
    QProcess launch;
    launch.start(QStringLiteral("dbus-launch"),
                 {QStringLiteral("--sh-syntax"), QStringLiteral("--config-file=") + config.fileName()});
    ASSERT_TRUE(launch.waitForFinished(10000));
    const QString out = QString::fromUtf8(launch.readAllStandardOutput());
    QString address;
    qint64 pid = 0;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("DBUS_SESSION_BUS_ADDRESS=")))
            address = line.section(QLatin1Char('\''), 1, 1);
        if (line.startsWith(QLatin1String("DBUS_SESSION_BUS_PID=")))
            pid = line.section(QLatin1Char('='), 1).remove(QLatin1Char(';')).toLongLong();
    }
    // The bus ends with the test, whatever its outcome.
    struct EndBus {
        qint64 pid;
        ~EndBus()
        {
            if (pid > 0)
                ::kill(pid_t(pid), SIGTERM);
        }
    } endBus{pid};
    ASSERT_FALSE(address.isEmpty()) << out.toStdString();
    // This test runs in a process of its own: the session bus is first used here.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    QCoreApplication::setApplicationName(QStringLiteral("Tavi"));

    // Before any service is there, the bus is not the way.
    EXPECT_NE(platform::Notify(QStringLiteral("a"), QStringLiteral("b")), platform::NotifyRoute::Bus);

    QDBusConnection standIn = QDBusConnection::connectToBus(address, QStringLiteral("stand-in"));
    ASSERT_TRUE(standIn.isConnected());
    StandInNotifications service;
    ASSERT_TRUE(standIn.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(standIn.registerService(QStringLiteral("org.freedesktop.Notifications")));

    EXPECT_EQ(platform::Notify(QStringLiteral("纪念日提醒"), QStringLiteral("今天：结婚 10 周年")),
              platform::NotifyRoute::Bus);
    QTRY_COMPARE_WITH_TIMEOUT(service.calls.size(), 1, 5000);
    EXPECT_EQ(service.calls[0], QStringLiteral("Tavi|纪念日提醒|今天：结婚 10 周年"));

    QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
}

// ---- the main window ----

class YearlyMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2026, 6, 10, 9, 0, 0)); // a Wednesday
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    TMainFrm &createShown()
    {
        frm = std::make_unique<TMainFrm>();
        frm->terminate = [] {};
        frm->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
        return *frm;
    }
    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
};

TEST_F(YearlyMainWindow, AddedFromTheDayMenuShownInCellLineAndTitleStrip)
{
    TMainFrm &m = createShown();
    TChnCalendar *cal = m.chnRili;
    // Right click on 12 June 2026 (Friday: column 6, row 2).
    QTest::mousePress(cal->Grid(), Qt::RightButton, {}, cal->Grid()->CellRect(6, 2).center());
    QMenu *menu = cal->DayMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(cal->DayMenuDate(), EncodeDate(2026, 6, 12));
    EXPECT_EQ(cal->DateTime(), EncodeDateTime(2026, 6, 10, 9, 0, 0)); // the selection stays
    menu->hide();
    m.yearlyDates->N_AddYearlyDate->trigger();

    auto *w = m.findChild<TYearlyDatesFrm *>(QStringLiteral("YearlyDatesFrm"));
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->spnMonth->value(), 4); // 12 June 2026 is 四月廿七
    EXPECT_EQ(w->spnDay->value(), 27);
    w->cbCalendar->setCurrentIndex(1); // the civil date repeats
    w->edtName->setText(QStringLiteral("结婚"));
    w->spnFirstYear->setValue(2016);
    QTest::mouseClick(w->btnSave, Qt::LeftButton);

    const int cellNo = TChnCalendarModel::CellNo(6, 2);
    EXPECT_EQ(cal->Model().Cell(cellNo).CnText, "结婚");
    EXPECT_EQ(m.pnlRight->lblYearly[4]->text(), QStringLiteral("结婚 10 周年")); // Friday's box
    EXPECT_TRUE(m.pnlRight->lblYearly[4]->isVisible());
    EXPECT_FALSE(m.pnlRight->lblYearly[2]->isVisible());

    // Two days ahead, within the lead days: reminded at once, not at the next start.
    EXPECT_TRUE(m.lblStatus->isVisible());
    EXPECT_EQ(m.lblStatus->toolTip(), QStringLiteral("纪念日提醒：2天后（6月12日）：结婚 10 周年"));

    QTest::mouseClick(cal->Grid(), Qt::LeftButton, {}, cal->Grid()->CellRect(6, 2).center());
    EXPECT_EQ(cal->SelectedDateLine()->text(), QStringLiteral("2026-06-12 农历四月廿七 结婚 10 周年"));
}

TEST_F(YearlyMainWindow, TheDayMenuOpensOnDaysOfTheMonthOnly)
{
    TMainFrm &m = createShown();
    TChnCalendar *cal = m.chnRili;
    struct Case {
        int col, row;
        bool opens;
        int day;
    } cases[] = {
        {2, 1, true, 1},  // Monday 1 June 2026
        {1, 1, false, 0}, // the empty cell before it
        {3, 5, true, 30}, // the last day
        {4, 5, false, 0}, // after it
        {3, 0, false, 0}, // the weekday heading
        {0, 2, false, 0}, // the week numbers' column
    };
    for (const Case &c : cases) {
        cal->DayMenu()->hide();
        QTest::mousePress(cal->Grid(), Qt::RightButton, {}, cal->Grid()->CellRect(c.col, c.row).center());
        EXPECT_EQ(cal->DayMenu()->isVisible(), c.opens) << c.col << ',' << c.row;
        if (c.opens) {
            EXPECT_EQ(cal->DayMenuDate(), EncodeDate(2026, 6, c.day));
        }
        QTest::mouseRelease(cal->Grid(), Qt::RightButton, {}, cal->Grid()->CellRect(c.col, c.row).center());
    }
    cal->DayMenu()->hide();
    EXPECT_EQ(cal->DateTime(), EncodeDateTime(2026, 6, 10, 9, 0, 0)); // a right click selects nothing
}

TEST_F(YearlyMainWindow, ReminderAtStartInTheStatusStripAndTheListFromTheOptionsMenu)
{
    TYearlyDatesStore store(dm);
    TYearlyDate d;
    d.Name = "妈妈";
    d.Birthday = true;
    d.Month = 4; // 四月廿九 = 14 June 2026, four days ahead
    d.Day = 29;
    d.FirstYear = 1966;
    d.LeadDays = 5;
    store.Add(d);

    TMainFrm &m = createShown();
    EXPECT_TRUE(m.lblStatus->isVisible());
    EXPECT_EQ(m.lblStatus->toolTip(), QStringLiteral("纪念日提醒：4天后（6月14日）：妈妈 60 岁生日"));

    QAction *item = m.findChild<QAction *>(QStringLiteral("N_YearlyDates"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(m.popSysset->actions().contains(item));
    item->trigger();
    auto *w = m.findChild<TYearlyDatesFrm *>(QStringLiteral("YearlyDatesFrm"));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(w->lstDates->count(), 1);
    EXPECT_EQ(w->lstDates->item(0)->text(), QStringLiteral("妈妈  农历四月廿九"));
}

TEST_F(YearlyMainWindow, AReminderNeverHidesAFailedSaveAndARecoveredSaveLeavesTheReminder)
{
    TYearlyDate d;
    d.Name = "妈妈";
    d.Birthday = true;
    d.Month = 4; // 四月廿九 = 14 June 2026
    d.Day = 29;
    d.FirstYear = 1966;
    d.LeadDays = 3; // due from 11 June on, not at start
    TYearlyDatesStore(dm).Add(d);
    TMainFrm &m = createShown();
    EXPECT_FALSE(m.lblStatus->isVisible());

    // Another program holds the notes file: the typed note cannot be saved.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(home.dbPath().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    m.redt[1]->setFocus();
    TypeText(m.redt[1], QStringLiteral("x"));
    ASSERT_TRUE(m.weekNotes().SaveFailed());
    const QString saveFailed = QString::fromUtf8(TWeekNotes::SaveFailedText);

    // Midnight passes and the birthday becomes due.
    platform::SetNow(EncodeDateTime(2026, 6, 11, 0, 0, 30));
    m.yearlyDates->Reminder()->Check();
    const QString reminder = QStringLiteral("纪念日提醒：3天后（6月14日）：妈妈 60 岁生日");
    EXPECT_TRUE(m.lblStatus->isVisible());
    EXPECT_TRUE(m.lblStatus->text().startsWith(saveFailed)) << m.lblStatus->text().toStdString();
    EXPECT_EQ(m.lblStatus->toolTip(), saveFailed + QStringLiteral("；") + reminder);

    // The other program lets go; the next keystroke saves everything.
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    TypeText(m.redt[1], QStringLiteral("y"));
    ASSERT_FALSE(m.weekNotes().SaveFailed());
    EXPECT_TRUE(m.lblStatus->isVisible());
    EXPECT_EQ(m.lblStatus->toolTip(), reminder);
}

} // namespace

#include "gui_test_yearly.moc"
