#pragma once
// Announces the yearly dates that are due within their lead days, once a day: when
// started, and again whenever the clock has passed midnight since the last time.
#include "TDateTime.h"
#include "YearlyDates.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class TYearlyReminder : public QObject {
    Q_OBJECT
public:
    // dates: the current list, read at each announcement.
    explicit TYearlyReminder(std::function<std::vector<TYearlyDate>()> dates, QObject *parent = nullptr);

    // Announces today's dates and starts watching for midnight.
    void Start();
    // Announces when the day (platform::Now) differs from the last announced one.
    void Check();
    // The list was changed: once started, today's lines are announced again at once, and a
    // line that was not announced before is also sent as a notification.
    void DatesChanged();
    // The lines of the last announcement (empty when nothing was due).
    const QStringList &Lines() const { return m_lines; }

    // Runs Check while the program runs, from Start on.
    const QTimer &Timer() const { return m_timer; }
    // How often the clock is looked at; the announcement follows midnight by at most this.
    static constexpr int PollMs = 20000;
    // Sends the desktop notification; the platform's by default (tests replace it).
    std::function<void(const QString &summary, const QString &body)> notify;

signals:
    // Once per day, also when nothing is due (lines empty): the status strip follows it.
    void Announced(const QStringList &lines);

private:
    QStringList dueToday() const;

    std::function<std::vector<TYearlyDate>()> m_dates;
    QTimer m_timer;
    long long m_lastDay = -1;
    QStringList m_lines;
};
