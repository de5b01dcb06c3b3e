#pragma once
// Keeps the six notes documents of the displayed week and the notes table in step: a
// new date loads its week into the documents; a change of a day hands that day alone
// to the notes writer, which writes it off the key press (so does every focus loss of a
// box showing a changed day, through redt1Exit).
#include "NotesRepository.h"
#include "NotesWriter.h"
#include "TDateTime.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>

class TDM;
class TNoteDocument;

class TWeekNotes : public QObject {
    Q_OBJECT
public:
    // The documents of Monday ... Friday and of Saturday with Sunday; their change
    // notifications are connected to redt1Exit. dm is the connection the week is read
    // through; the writer opens one of its own to the same file.
    TWeekNotes(const std::array<TNoteDocument *, 6> &days, TDM &dm, QObject *parent = nullptr);

    // Saving is allowed only when both are true.
    bool WeekLoaded = false;
    bool FormShown = false;
    // One transaction per save, one savepoint per day.
    bool UseTransaction = true;

    // Change of any day, focus loss of any box: when both flags allow it, the days changed
    // since their last save go to the writer (a week without rows gets them all).
    void redt1Exit();
    // Builds WeekConList around the date and fills the six documents from the table;
    // a day the writer still holds is shown as the writer has it.
    void LoadWeek(tdt::TDateTime date);
    // Hands all six documents to the writer, changed or not.
    void SaveWeek();
    // Hands a day's new note to the writer, as a second writer (another program's copy of
    // the notes, an import) has it, and shows it when its day is on screen. The note replaces
    // what the day held, changes not yet written included. False for a day not to be written
    // now (on screen but unread).
    bool ReplaceDay(const QString &key, const QByteArray &rtf);

    // Hands over what changed and waits at most msecs for the writer to have written
    // everything; true when it has (failed days may remain, see SaveFailed).
    bool WaitForWriter(int msecs = 30000);

    // Whether day d (0 ... 5) shows what its row holds; saves skip it when not.
    bool DayLoaded(int d) const { return d >= 0 && d < 6 && m_loaded[d]; }
    // The last load stopped part-way: some days could not be read.
    bool WeekReadFailed() const { return m_readFailed; }
    // Some notes are not in the table yet: the last write of their day failed.
    bool SaveFailed() const { return !m_writer.FailedKeys().isEmpty(); }
    // Another program holds the notes file: the writer waits for it and tries again.
    bool SaveLocked() const { return m_locked; }
    // The program is ending: what changed is handed over, a failed save is tried once
    // more, and the writer is given a bounded time. True when nothing is left unsaved.
    bool SaveBeforeQuit();
    // Day keys whose latest text is only in memory, retried by every save.
    QStringList UnsavedKeys() const { return m_writer.FailedKeys(); }
    // A short plain message for the window; empty while all is well.
    QString statusText() const;
    // Its part about saving: failed (with what to do, when that is known) or waiting for
    // another program; empty while all is saved.
    QString SaveStatusText() const;

    TNotesWriter &Writer() { return m_writer; }

    static const char *const WeekReadFailedText;
    static const char *const SaveFailedText;
    static const char *const SaveLockedText;
    static const char *const FileReadOnlyText;
    static const char *const FolderReadOnlyText;
    static const char *const DiskFullText;
    static const char *const DayNotReadText;
    // How long the end of the program waits for the writer.
    static constexpr int QuitWaitMs = TDM::BusyTimeoutMs + 1500;

signals:
    // WeekReadFailed, SaveFailed or statusText changed.
    void statusChanged();
    // A write has ended, committed or not.
    void saved();

private:
    void setDayReadable(int d, bool readable);
    void setStatus(bool readFailed);
    // Hands the changed days (and the days without a row) to the writer.
    void handOver();
    void takeReports();
    QString failureHint() const;

    std::array<TNoteDocument *, 6> m_days;
    TDM &m_dm;
    TNotesRepository m_repository;
    TNotesWriter m_writer;
    std::array<bool, 6> m_loaded{};
    std::array<bool, 6> m_dirty{};
    std::array<bool, 6> m_noRow{};
    bool m_readFailed = false;
    bool m_locked = false;
    int m_lastError = 0;
    QString m_lastStatus;
};
