#pragma once
// The main window's side of the sync: the options item "同步设置…", a sync at start, a
// while after the notes change, every few minutes and once more at quit, each on a
// worker thread with a connection of its own, its state in the status line. The days
// the window shows are never written by the sync itself: what the server has for them is
// taken into a box only when the box is still as the sync read it, and saved the usual way.
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>

class QAction;
class QThread;
class QWidget;
class TActionTable;
class TNoteBox;
class TStatusLine;
class TWeekNotes;

class TSyncMain : public QObject {
    Q_OBJECT
public:
    // The parts of the main window it serves.
    struct Parts {
        QWidget *window;
        TActionTable *actions;
        TStatusLine *status;
        TWeekNotes *week;
        std::array<TNoteBox *, 6> boxes;
    };
    explicit TSyncMain(const Parts &parts);
    ~TSyncMain() override;

    QAction *N_SyncSet = nullptr;
    void N_SyncSetClick();

    // One sync now, in the background; a sync asked for while one runs follows it.
    void SyncNow();
    bool Running() const { return m_thread != nullptr; }
    // The program is ending: the running sync, or one more when notes changed since the
    // last, gets at most QuitWaitMs.
    void SyncBeforeQuit();

    int SettleMs = 20000;
    int PeriodMs = 5 * 60 * 1000;
    int QuitWaitMs = 4000;

    // The password given in the settings window for this run; the keyring keeps it too.
    void SetPassword(const QString &password);

signals:
    // A sync ended; the status line says how.
    void synced(bool ok);
    // The sync changed the yearly dates here.
    void yearlyDatesChanged();

private:
    struct Job;
    void start(int timeoutMs);
    void finish();
    bool password(QString &out);

    Parts m_parts;
    QTimer m_settle, m_period;
    QThread *m_thread = nullptr;
    std::shared_ptr<Job> m_job;
    bool m_again = false;
    bool m_changed = false;
    bool m_havePassword = false;
    QString m_password;
};
