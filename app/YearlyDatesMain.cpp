#include "YearlyDatesMain.h"

#include "ActionTable.h"
#include "ChnCalendarPicker.h"
#include "PixelFont.h"
#include "StatusLine.h"
#include "YearlyDatesStore.h"
#include "YearlyReminder.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"
#include "uYearlyDates.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>

namespace {

const QColor kOwnDateColour(214, 0, 110);

} // namespace

TYearlyDatesMain::TYearlyDatesMain(TMainFrm *main) : QObject(main), m_main(main)
{
    // The options item goes with the other windows, before the first separator.
    TActionTable &actions = main->actions();
    N_YearlyDates = actions.Add(QStringLiteral("N_YearlyDates"), QStringLiteral("纪念日与生日"));
    actions.Insert(QStringLiteral("popSysset"), QStringLiteral("N_YearlyDates"), QStringLiteral("N8"));
    connect(N_YearlyDates, &QAction::triggered, this, &TYearlyDatesMain::ShowList);

    N_AddYearlyDate = actions.Add(QStringLiteral("N_AddYearlyDate"), QStringLiteral("添加纪念日…"));
    actions.Insert(QStringLiteral("DayMenu"), QStringLiteral("N_AddYearlyDate"));
    connect(N_AddYearlyDate, &QAction::triggered, this, [this] { AddFromDay(m_main->chnRili->DayMenuDate()); });

    for (int i = 0; i < 6; ++i) {
        QLabel *l = new QLabel(main->pnlRight);
        l->setObjectName(QStringLiteral("lblYearly%1").arg(i + 1));
        l->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
        l->setAttribute(Qt::WA_TranslucentBackground);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, kOwnDateColour);
        l->setPalette(p);
        l->hide();
        lblYearly[size_t(i)] = l;
    }

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
    m_main->chnRili->setOwnDates([this](int y, int m, int d, bool shortForm) { return TextOn(y, m, d, shortForm); });
    MarkWeek();
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
    const QFrame *lines[4] = {m_main->pnl_yearLine0, m_main->pnl_yearLine1, m_main->pnl_yearLine2,
                              m_main->pnl_yearLineREdge};
    for (int i = 0; i < 6; ++i) {
        QStringList texts;
        for (int k : i < 5 ? std::vector<int>{i} : std::vector<int>{5, 6}) {
            const tdt::YMD d = tdt::DecodeDate(WeekConList[size_t(k)].DayDate);
            const std::string t = TextOn(d.year, d.month, d.day, false);
            if (!t.empty())
                texts << QString::fromStdString(t);
        }
        QLabel *l = lblYearly[size_t(i)];
        const QLabel *after = m_main->lblWorkday[size_t(i)]->isVisibleTo(m_main->pnlRight)
                                  ? m_main->lblWorkday[size_t(i)]
                                  : m_main->lblweek[size_t(i)];
        const int x = after->x() + after->width() + 6;
        const int right = lines[i % 3 + 1]->x() - 4;
        const QString full = texts.join(QStringLiteral("、"));
        l->setText(l->fontMetrics().elidedText(full, Qt::ElideRight, std::max(0, right - x)));
        l->setToolTip(full);
        l->adjustSize();
        l->move(x, m_main->lblweek[size_t(i)]->y());
        l->setVisible(!full.isEmpty());
        l->raise();
    }
}

void TYearlyDatesMain::showReminder(const QStringList &lines)
{
    // A day with nothing due takes yesterday's reminder away.
    m_main->lblStatus->Set(TStatusLine::Reminder,
                           lines.isEmpty() ? QString()
                                           : QStringLiteral("纪念日提醒：") + lines.join(QStringLiteral("；")));
}

void TYearlyDatesMain::StartReminders() { m_reminder->Start(); }

TYearlyDatesFrm *TYearlyDatesMain::Window()
{
    if (!m_window && DM) {
        m_window = new TYearlyDatesFrm(*DM, m_main);
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
