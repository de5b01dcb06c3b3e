#include "AutoWallpaper.h"

#include "WallpaperApply.h"

#include <QApplication>
#include <QDateTime>

#include <algorithm>

namespace {
qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }
} // namespace

TAutoWallpaper::TAutoWallpaper(Host host, QObject *parent) : QObject(parent), m_host(std::move(host))
{
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &TAutoWallpaper::consider);
    m_weekTimer.setInterval(60000);
    connect(&m_weekTimer, &QTimer::timeout, this, &TAutoWallpaper::checkWeek);
    m_monday = m_host.mondayOfToday();
}

void TAutoWallpaper::setOn(bool on)
{
    m_on = on;
    m_told = false;
    if (on) {
        m_weekTimer.start();
        m_pending = true;
        consider();
    } else {
        m_weekTimer.stop();
        m_next.stop();
        m_pending = false;
    }
}

void TAutoWallpaper::setTimes(int minIntervalMs, int typingPauseMs)
{
    m_minInterval = minIntervalMs;
    m_typingPause = typingPauseMs;
}

void TAutoWallpaper::noteEdited()
{
    // Notes of another week are not on the desktop.
    if (!m_on || !m_host.showsCurrentWeek())
        return;
    m_pending = true;
    m_lastEdit = nowMs();
    consider();
}

void TAutoWallpaper::weekShown() { consider(); }

void TAutoWallpaper::checkWeek()
{
    const qint64 monday = m_host.mondayOfToday();
    if (monday == m_monday)
        return;
    m_monday = monday;
    m_weekTurned = true;
    m_pending = true;
    consider();
}

void TAutoWallpaper::later(qint64 ms) { m_next.start(int(std::clamp<qint64>(ms, 0, 3600000))); }

void TAutoWallpaper::consider()
{
    if (!m_on || !m_pending)
        return;
    const qint64 now = nowMs();
    if (m_lastEdit >= 0 && now - m_lastEdit < m_typingPause)
        return later(m_lastEdit + m_typingPause - now);
    if (m_lastRefresh >= 0 && now - m_lastRefresh < m_minInterval)
        return later(m_lastRefresh + m_minInterval - now);
    // A question or a file dialog is open: the capture would wait for it, and the user too.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return later(5000);
    if (!m_host.showsCurrentWeek()) {
        // When the week turns the window follows today, unless the user is writing in it.
        if (!m_weekTurned || m_host.editing())
            return;
        m_host.showCurrentWeek();
        if (!m_host.showsCurrentWeek())
            return;
    }
    m_weekTurned = false;
    m_pending = false;
    m_lastRefresh = now;
    ++m_count;
    const ApplyResult r = m_host.refresh();
    if (r == ApplyResult::Applied) {
        m_told = false;
        return;
    }
    // Told once a run: a desktop that cannot be set would otherwise interrupt every minute.
    if (!m_told && m_host.tell) {
        m_told = true;
        m_host.tell(r);
    }
}
