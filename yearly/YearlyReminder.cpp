#include "YearlyReminder.h"

#include "Clock.h"
#include "Notify.h"

TYearlyReminder::TYearlyReminder(std::function<std::vector<TYearlyDate>()> dates, QObject *parent)
    : QObject(parent), m_dates(std::move(dates))
{
    notify = [](const QString &summary, const QString &body) { platform::Notify(summary, body); };
    m_timer.setInterval(PollMs);
    connect(&m_timer, &QTimer::timeout, this, &TYearlyReminder::Check);
}

void TYearlyReminder::Start()
{
    Check();
    m_timer.start();
}

void TYearlyReminder::Check()
{
    const tdt::TDateTime now = platform::Now();
    const long long day = tdt::DayNumber(now);
    if (day == m_lastDay)
        return;
    m_lastDay = day;
    m_lines = dueToday();
    if (!m_lines.isEmpty() && notify)
        notify(QStringLiteral("纪念日提醒"), m_lines.join(QLatin1Char('\n')));
    emit Announced(m_lines);
}

QStringList TYearlyReminder::dueToday() const
{
    QStringList lines;
    for (const yearly::TDue &due : yearly::DueWithin(m_dates(), tdt::DecodeDate(platform::Now())))
        lines << QString::fromStdString(yearly::ReminderLine(due));
    return lines;
}

void TYearlyReminder::DatesChanged()
{
    if (m_lastDay < 0)
        return; // Start announces them
    const QStringList before = m_lines;
    m_lines = dueToday();
    if (m_lines == before)
        return;
    QStringList added;
    for (const QString &line : m_lines)
        if (!before.contains(line))
            added << line;
    if (!added.isEmpty() && notify)
        notify(QStringLiteral("纪念日提醒"), added.join(QLatin1Char('\n')));
    emit Announced(m_lines);
}
