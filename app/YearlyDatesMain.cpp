#include "YearlyDatesMain.h"

#include "ActionTable.h"
#include "ChnCalendarPicker.h"
#include "StatusLine.h"
#include "WeekView.h"
#include "YearlyDatesStore.h"
#include "YearlyReminder.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uYearlyDates.h"

TYearlyDatesMain::TYearlyDatesMain(const Parts &parts) : QObject(parts.window), m_parts(parts)
{
    // The options item goes with the other windows, before the first separator.
    TActionTable &actions = *parts.actions;
    N_YearlyDates = actions.Add(QStringLiteral("N_YearlyDates"), QStringLiteral("纪念日与生日"));
    actions.Insert(QStringLiteral("popSysset"), QStringLiteral("N_YearlyDates"), QStringLiteral("N8"));
    connect(N_YearlyDates, &QAction::triggered, this, &TYearlyDatesMain::ShowList);

    N_AddYearlyDate = actions.Add(QStringLiteral("N_AddYearlyDate"), QStringLiteral("添加纪念日…"));
    actions.Insert(QStringLiteral("DayMenu"), QStringLiteral("N_AddYearlyDate"));
    connect(N_AddYearlyDate, &QAction::triggered, this, [this] { AddFromDay(m_parts.calendar->DayMenuDate()); });

    m_reminder = new TYearlyReminder([this] { return m_dates; }, this);
    connect(m_reminder, &TYearlyReminder::Announced, this, &TYearlyDatesMain::showReminder);

    reload();
}

TYearlyDatesMain::~TYearlyDatesMain() = default;

void TYearlyDatesMain::reload()
{
    m_hits.clear();
    m_dates.clear();
    if (DM) {
        try {
            m_dates = TYearlyDatesStore(*DM).Load();
        } catch (const std::exception &) {
            // Without the table's rows the calendar shows no own dates; the notes go on.
        }
    }
    m_parts.calendar->setOwnDates([this](int y, int m, int d, bool shortForm) { return TextOn(y, m, d, shortForm); });
    MarkWeek();
    // A date added or changed during the session is reminded of at once, not at the next start.
    if (m_reminder)
        m_reminder->DatesChanged();
}

void TYearlyDatesMain::DatesChangedElsewhere()
{
    if (m_window)
        m_window->Reload();
    reload();
}

const std::vector<TYearlyDatesMain::Hit> &TYearlyDatesMain::hitsIn(int year)
{
    auto it = m_hits.find(year);
    if (it != m_hits.end())
        return it->second;
    std::vector<Hit> hits;
    for (size_t i = 0; i < m_dates.size(); ++i)
        for (const yearly::TOccurrence &o : yearly::OccurrencesIn(m_dates[i], year))
            hits.push_back({o.Civil, i, yearly::CountText(m_dates[i], o.Year)});
    return m_hits.emplace(year, std::move(hits)).first->second;
}

std::string TYearlyDatesMain::TextOn(int year, int month, int day, bool shortForm)
{
    std::string text;
    for (const Hit &h : hitsIn(year)) {
        if (h.Civil.month != month || h.Civil.day != day)
            continue;
        if (!text.empty())
            text += shortForm ? " " : "、";
        text += shortForm ? m_dates[h.Index].Name : h.Text;
    }
    return text;
}

void TYearlyDatesMain::MarkWeek()
{
    if (WeekConList.size() < 7)
        return;
    std::array<QString, 6> texts;
    for (size_t i = 0; i < 6; ++i) {
        QStringList onDays;
        for (size_t k : i < 5 ? std::vector<size_t>{i} : std::vector<size_t>{5, 6}) {
            const tdt::YMD d = tdt::DecodeDate(WeekConList[k].DayDate);
            const std::string t = TextOn(d.year, d.month, d.day, false);
            if (!t.empty())
                onDays << QString::fromStdString(t);
        }
        texts[i] = onDays.join(QStringLiteral("、"));
    }
    m_parts.week->SetOwnDates(texts);
}

void TYearlyDatesMain::showReminder(const QStringList &lines)
{
    // A day with nothing due takes yesterday's reminder away.
    m_parts.status->Set(TStatusLine::Reminder, lines.isEmpty()
                                                   ? QString()
                                                   : QStringLiteral("纪念日提醒：") + lines.join(QStringLiteral("；")));
}

void TYearlyDatesMain::StartReminders() { m_reminder->Start(); }

TYearlyDatesFrm *TYearlyDatesMain::Window()
{
    if (!m_window && DM) {
        m_window = new TYearlyDatesFrm(*DM, m_parts.window);
        connect(m_window, &TYearlyDatesFrm::DatesChanged, this, &TYearlyDatesMain::reload);
    }
    return m_window;
}

void TYearlyDatesMain::ShowList()
{
    if (TYearlyDatesFrm *w = Window()) {
        w->Reload();
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void TYearlyDatesMain::AddFromDay(tdt::TDateTime day)
{
    if (TYearlyDatesFrm *w = Window()) {
        w->Reload();
        w->PrefillFrom(day);
        w->show();
        w->raise();
        w->activateWindow();
    }
}
