#pragma once
// The writer of notes: a thread of its own with its own connection to the notes file,
// so that a key press never waits for the disk. It always writes the latest state of
// each day it was given, in the order the days were given, through the notes repository
// with its transaction policy; a day stays here, readable, until it is in the file.
#include "RtfCodec.h"
#include "uDM.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class TNotesWriter : public QObject {
    Q_OBJECT
public:
    // Writes into the notes file at path; the connection opens with the first write.
    explicit TNotesWriter(const QString &path, QObject *parent = nullptr);
    // Writes what is queued once more (no retries), then ends the thread.
    ~TNotesWriter() override;

    struct Note {
        QString key;
        rtf::Encoded rtf;
        QString plain;
    };
    // The days' latest states, written together; each replaces any older one of its day
    // not yet written. Days whose write failed are tried again with them.
    void Put(std::vector<Note> notes);
    void Put(Note note);
    // Days whose write failed, once more.
    void Retry();
    // The newest state of a day that is not in the file yet.
    std::optional<Note> Latest(const QString &key) const;
    // Something is given and not taken up yet: a further Put replaces it.
    bool Waiting() const;
    // Something waits or is being written.
    bool Busy() const;
    // Days whose last write failed, ascending.
    QStringList FailedKeys() const;
    // Waits until nothing waits or is being written, at most msecs. True when idle.
    bool WaitIdle(int msecs);

    void SetOneTransaction(bool one) { m_oneTransaction = one; }
    // Every statement the writer's connection runs, on the writer's thread; set it before
    // the first Put.
    void SetStatementHook(std::function<void(const QString &)> hook);

    // What one write came to.
    struct Report {
        QStringList written;
        QStringList failed;
        int error = 0;         // the engine's extended code of the first failure
        bool locked = false;   // another program holds the file; retried on its own
        bool replaced = false; // the file was replaced while open: the writer reopened it
    };
    // Reports not taken yet, oldest first.
    std::vector<Report> TakeReports();

    // How long a writer waits before it tries a file held by another program again.
    static constexpr int LockedRetryMs = 500;

signals:
    // A report waits in TakeReports.
    void reported();
    // The writer took what was waiting: a Put now starts the next write at once.
    void taken();

private:
    enum class State { Queued, InFlight, Failed };
    struct Entry {
        Note note;
        quint64 seq = 0;
        State state = State::Queued;
        bool locked = false;
    };
    void run();
    bool anyQueued() const;
    Entry *find(const QString &key);
    const Entry *find(const QString &key) const;

    const QString m_path;
    TDM m_dm;
    bool m_reopen = true;
    std::atomic<bool> m_oneTransaction{true};

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Entry> m_entries; // in the order the days were first given
    std::vector<Report> m_reports;
    quint64 m_seq = 0;
    bool m_stop = false;
    std::optional<std::chrono::steady_clock::time_point> m_lockedRetry;
    std::thread m_thread;
    // Builds the writing tables ahead of the first keystroke, yielding to the window.
    std::thread m_prepare;
};
