#include "NotesWriter.h"

#include "NotesRepository.h"
#include "SqliteStatement.h"

#include <QMetaObject>

#include <algorithm>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

TNotesWriter::TNotesWriter(const QString &path, QObject *parent)
    : QObject(parent), m_path(path), m_thread([this] { run(); }), m_prepare([] {
          // The lowest priority: at start-up the window's first paint comes first.
          setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 19);
          rtf::PrepareWriting();
      })
{
}

TNotesWriter::~TNotesWriter()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_prepare.join();
}

TNotesWriter::Entry *TNotesWriter::find(const QString &key)
{
    for (Entry &e : m_entries)
        if (e.note.key == key)
            return &e;
    return nullptr;
}

const TNotesWriter::Entry *TNotesWriter::find(const QString &key) const
{
    for (const Entry &e : m_entries)
        if (e.note.key == key)
            return &e;
    return nullptr;
}

bool TNotesWriter::anyQueued() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.state == State::Queued; });
}

void TNotesWriter::Put(Note note)
{
    std::vector<Note> one;
    one.push_back(std::move(note));
    Put(std::move(one));
}

void TNotesWriter::Put(std::vector<Note> notes)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (Note &note : notes) {
            if (Entry *e = find(note.key)) {
                e->note = std::move(note);
                e->seq = ++m_seq;
                e->state = State::Queued;
            } else {
                m_entries.push_back({std::move(note), ++m_seq, State::Queued, false});
            }
        }
        for (Entry &e : m_entries)
            if (e.state == State::Failed)
                e.state = State::Queued;
    }
    m_wake.notify_all();
}

void TNotesWriter::Retry()
{
    bool any = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (Entry &e : m_entries)
            if (e.state == State::Failed) {
                e.state = State::Queued;
                any = true;
            }
    }
    if (any)
        m_wake.notify_all();
}

std::optional<TNotesWriter::Note> TNotesWriter::Latest(const QString &key) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (const Entry *e = find(key))
        return e->note;
    return std::nullopt;
}

bool TNotesWriter::Waiting() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return anyQueued();
}

bool TNotesWriter::Busy() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.state != State::Failed; });
}

QStringList TNotesWriter::FailedKeys() const
{
    QStringList keys;
    std::lock_guard<std::mutex> guard(m_lock);
    for (const Entry &e : m_entries)
        if (e.state == State::Failed)
            keys << e.note.key;
    keys.sort();
    return keys;
}

bool TNotesWriter::WaitIdle(int msecs)
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_idle.wait_for(lock, std::chrono::milliseconds(msecs), [this] {
        return std::all_of(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.state == State::Failed; });
    });
}

void TNotesWriter::SetStatementHook(std::function<void(const QString &)> hook)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_dm.qryData.onStatement = std::move(hook);
}

std::vector<TNotesWriter::Report> TNotesWriter::TakeReports()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return std::exchange(m_reports, {});
}

void TNotesWriter::run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        while (!m_stop && !anyQueued()) {
            if (!m_lockedRetry) {
                m_wake.wait(lock);
                continue;
            }
            if (m_wake.wait_until(lock, *m_lockedRetry) == std::cv_status::timeout) {
                m_lockedRetry.reset();
                for (Entry &e : m_entries)
                    if (e.state == State::Failed && e.locked)
                        e.state = State::Queued;
            }
        }
        if (!anyQueued())
            break; // stopped, and everything given has been tried

        std::vector<quint64> seqs;
        std::vector<TNotesRepository::DayNote> days;
        std::vector<Note> notes;
        for (Entry &e : m_entries)
            if (e.state == State::Queued) {
                e.state = State::InFlight;
                seqs.push_back(e.seq);
                notes.push_back(e.note);
            }
        lock.unlock();
        QMetaObject::invokeMethod(this, [this] { emit taken(); }, Qt::QueuedConnection);

        for (const Note &n : notes)
            days.push_back({n.key, n.rtf.Join(), n.plain});
        Report report;
        std::vector<bool> written(days.size(), false);
        int error = SQLITE_CANTOPEN;
        if (m_reopen)
            m_reopen = !m_dm.Open(m_path);
        if (!m_reopen) {
            TNotesRepository repository(m_dm);
            written = repository.WriteDays(days, m_oneTransaction, &error);
            if (error == SQLITE_READONLY_DBMOVED) {
                // The file was replaced under the open connection: what the user has now is
                // the file at the path, and the days go there.
                report.replaced = true;
                error = SQLITE_CANTOPEN;
                if (m_dm.Open(m_path)) {
                    std::vector<TNotesRepository::DayNote> again;
                    std::vector<size_t> at;
                    for (size_t i = 0; i < days.size(); ++i)
                        if (!written[i]) {
                            again.push_back(days[i]);
                            at.push_back(i);
                        }
                    const std::vector<bool> second = repository.WriteDays(again, m_oneTransaction, &error);
                    for (size_t k = 0; k < at.size(); ++k)
                        written[at[k]] = second[k];
                }
            }
        }
        const int primary = error & 0xff;
        const bool locked = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
        // A connection that failed may stay failing after the cause is gone (opened read-only,
        // its file gone): the next try opens the file anew.
        if (error && !locked)
            m_reopen = true;

        lock.lock();
        for (size_t i = 0; i < notes.size(); ++i) {
            const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                         [&](const Entry &e) { return e.note.key == notes[i].key; });
            (written[i] ? report.written : report.failed) << notes[i].key;
            if (it == m_entries.end() || it->seq != seqs[i])
                continue; // a newer state came meanwhile and stays queued
            if (written[i]) {
                m_entries.erase(it);
            } else {
                it->state = State::Failed;
                it->locked = locked;
            }
        }
        if (locked && !m_stop)
            m_lockedRetry = std::chrono::steady_clock::now() + std::chrono::milliseconds(LockedRetryMs);
        report.error = report.failed.isEmpty() ? 0 : error;
        report.locked = locked && !report.failed.isEmpty();
        m_reports.push_back(report);
        m_idle.notify_all();
        QMetaObject::invokeMethod(this, [this] { emit reported(); }, Qt::QueuedConnection);
    }
    m_idle.notify_all();
}
