#pragma once
// "自动更新壁纸": the wallpaper follows the week by itself. It is refreshed when the program
// starts, when the week turns while it runs, and after the notes of the current week change,
// at most once a minute and never while the user is typing.
#include <QObject>
#include <QTimer>

#include <functional>

enum class ApplyResult;

class TAutoWallpaper : public QObject {
    Q_OBJECT
public:
    struct Host {
        std::function<ApplyResult()> refresh;       // the shown week onto the last background
        std::function<bool()> showsCurrentWeek;     // the shown week is today's
        std::function<bool()> editing;              // a note box has the input focus
        std::function<void()> showCurrentWeek;      // the calendar moves to today
        std::function<void(ApplyResult)> tell;      // the desktop was not refreshed
        std::function<qint64()> mondayOfToday;      // a day number of this week's Monday
    };
    TAutoWallpaper(Host host, QObject *parent = nullptr);

    bool isOn() const { return m_on; }
    // Switching on (also at start) refreshes at once; the setting is stored by the caller.
    void setOn(bool on);

    // The user changed a note of the shown week.
    void noteEdited();
    // Another week is shown: a waiting refresh of the current week may run now.
    void weekShown();
    // Checks whether the week turned (the program calls it every minute).
    void checkWeek();

    // Test seam: the shortest time between refreshes, and the pause after the last edit.
    void setTimes(int minIntervalMs, int typingPauseMs);
    int refreshCount() const { return m_count; }

private:
    void consider();
    void later(qint64 ms);

    Host m_host;
    bool m_on = false;
    bool m_pending = false;
    bool m_weekTurned = false;
    bool m_told = false;
    qint64 m_monday = 0;
    qint64 m_lastRefresh = -1;
    qint64 m_lastEdit = -1;
    int m_minInterval = 60000;
    int m_typingPause = 4000;
    int m_count = 0;
    QTimer m_next;
    QTimer m_weekTimer;
};
