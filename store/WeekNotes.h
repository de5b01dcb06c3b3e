#pragma once
// Keeps the six notes documents of the displayed week and the notes table in step: a
// new date loads its week into the documents, every change writes the whole week back
// (so does every focus loss of a box showing one, through redt1Exit).
#include "NotesRepository.h"
#include "TDateTime.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <array>

class TDM;
class TNoteDocument;

class TWeekNotes : public QObject {
    Q_OBJECT
public:
    // The documents of Monday ... Friday and of Saturday with Sunday; their change
    // notifications are connected to redt1Exit.
    TWeekNotes(const std::array<TNoteDocument *, 6> &days, TDM &dm, QObject *parent = nullptr);

    // Saving is allowed only when both are true.
    bool WeekLoaded = false;
    bool FormShown = false;
    // One transaction per save, one savepoint per day.
    bool UseTransaction = true;

    // Change of any day, focus loss of any box: saves the week when both flags allow it.
    void redt1Exit();
    // Builds WeekConList around the date and fills the six documents from the table.
    void LoadWeek(tdt::TDateTime date);
    // Writes the six documents into the rows of the six keys of WeekConList.
    void SaveWeek();

    // Whether day d (0 ... 5) shows what its row holds; saves skip it when not.
    bool DayLoaded(int d) const { return d >= 0 && d < 6 && m_loaded[d]; }
    // The last load stopped part-way: some days could not be read.
    bool WeekReadFailed() const { return m_readFailed; }
    // Some notes are not in the table yet: the last save of their day failed.
    bool SaveFailed() const { return !m_unsaved.isEmpty(); }
    // The program is ending: a failed save is tried once more. True when nothing is left
    // unsaved.
    bool SaveBeforeQuit();
    // Day keys whose latest text is only in memory, retried by every save.
    QStringList UnsavedKeys() const { return m_unsaved.keys(); }
    // A short plain message for the window; empty while all is well.
    QString statusText() const;
    // The days shown in part only, for the status line; empty when none is.
    QString CutText() const;

    static const char *const WeekReadFailedText;
    static const char *const SaveFailedText;
    static const char *const DayNotReadText;
    // Days whose note is too long to show whole: their beginning shows, read-only.
    static const char *const TooLongText;

signals:
    // WeekReadFailed, SaveFailed or statusText changed.
    void statusChanged();
    // A save has ended, committed or not.
    void saved();

private:
    struct Note {
        QByteArray rtf;
        QString plain;
    };
    void setDayReadable(int d, bool readable);
    void setStatus(bool readFailed, const std::array<bool, 6> &cut);

    std::array<TNoteDocument *, 6> m_days;
    TNotesRepository m_repository;
    std::array<bool, 6> m_loaded{};
    std::array<bool, 6> m_cut{};
    bool m_readFailed = false;
    bool m_lastSaveFailed = false;
    QHash<QString, Note> m_unsaved;
};
