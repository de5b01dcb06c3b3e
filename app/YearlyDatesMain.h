#pragma once
// The main window's side of the yearly dates: the options item and the calendar's day
// menu item that open the list window, the dates in the calendar's cells, in the
// selected-date line and on the week view's title strips, and the daily reminder in
// the status strip and as a desktop notification.
#include "TDateTime.h"
#include "YearlyDates.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <vector>

class QAction;
class QWidget;
class TActionTable;
class TChnCalendar;
class TStatusLine;
class TWeekView;
class TYearlyDatesFrm;
class TYearlyReminder;

class TYearlyDatesMain : public QObject {
    Q_OBJECT
public:
    // The parts of the main window it serves. Reads the list from the notes file and gives
    // the calendar its texts; adds its commands to the options and day menus.
    struct Parts {
        QWidget *window;
        TActionTable *actions;
        TChnCalendar *calendar;
        TWeekView *week;
        TStatusLine *status;
    };
    explicit TYearlyDatesMain(const Parts &parts);
    ~TYearlyDatesMain() override;

    // The start-up announcement, then one after each midnight.
    void StartReminders();
    // The dates of the displayed week on the title strips, after each week load and layout.
    void MarkWeek();

    // The list window, made when first wanted; shown with the options item.
    TYearlyDatesFrm *Window();
    void ShowList();
    // The day menu's "添加纪念日…": the window with a new date taken from that day.
    void AddFromDay(tdt::TDateTime day);

    const std::vector<TYearlyDate> &Dates() const { return m_dates; }
    // The list in the notes file was changed by a sync: read again, the open window too.
    void DatesChangedElsewhere();
    // The texts of the dates on a civil day: names (short) or count texts.
    std::string TextOn(int year, int month, int day, bool shortForm);

    TYearlyReminder *Reminder() const { return m_reminder; }
    QAction *N_YearlyDates = nullptr;
    QAction *N_AddYearlyDate = nullptr;

private:
    void reload();
    void showReminder(const QStringList &lines);

    struct Hit {
        tdt::YMD Civil;
        size_t Index = 0;
        std::string Text;
    };
    const std::vector<Hit> &hitsIn(int year);

    Parts m_parts;
    std::vector<TYearlyDate> m_dates;
    std::map<int, std::vector<Hit>> m_hits;
    TYearlyDatesFrm *m_window = nullptr;
    TYearlyReminder *m_reminder = nullptr;
};
