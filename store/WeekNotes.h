#pragma once
// Keeps the six note boxes and the notes table in step: a new date loads its week
// into the boxes, every change and every focus loss writes the whole week back.
#include "TDateTime.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <array>

class TDM;
class TNoteBox;

class TWeekNotes : public QObject {
    Q_OBJECT
public:
    // The boxes of Monday ... Friday and of Saturday with Sunday; their change and
    // focus-loss notifications are connected to redt1Exit.
    TWeekNotes(const std::array<TNoteBox *, 6> &boxes, TDM &dm, QObject *parent = nullptr);

    // Saving is allowed only when both are true.
    bool WeekLoaded = false;
    bool FormShown = false;
    // One transaction per save, one savepoint per day.
    bool UseTransaction = true;

    // The calendar's change: loads the week of the date, then reports daySelected.
    void chnRiliChange(tdt::TDateTime date);
    // Change and focus loss of any box: saves the week when both flags allow it.
    void redt1Exit();
    // Builds WeekConList around the date and fills the six boxes from the table.
    void LoadWeek(tdt::TDateTime date);
    // Writes the six boxes into the rows of the six keys of WeekConList.
    void SaveWeek();

    // Whether box d (0 ... 5) shows what its row holds; saves skip it when not.
    bool DayLoaded(int d) const { return d >= 0 && d < 6 && m_loaded[d]; }
    // The last load stopped part-way: some days could not be read.
    bool WeekReadFailed() const { return m_readFailed; }
    // Some notes are not in the table yet: the last save of their day failed.
    bool SaveFailed() const { return !m_unsaved.isEmpty(); }
    // Day keys whose latest text is only in memory, retried by every save.
    QStringList UnsavedKeys() const { return m_unsaved.keys(); }
    // A short plain message for the window; empty while all is well.
    QString statusText() const;

    static const char *const WeekReadFailedText;
    static const char *const SaveFailedText;
    static const char *const DayNotReadText;

signals:
    // WeekReadFailed, SaveFailed or statusText changed.
    void statusChanged();
    // chnRiliChange has loaded the week of this date.
    void daySelected(tdt::TDateTime date);
    // A save has ended, committed or not.
    void saved();

private:
    struct Note {
        QByteArray rtf;
        QString plain;
    };
    void setDayReadable(int d, bool readable);
    bool writeDay(const QString &key, const Note &note);
    void exec(const QString &sql);
    bool inTransaction() const;
    void setStatus(bool readFailed);

    std::array<TNoteBox *, 6> m_boxes;
    TDM &m_dm;
    std::array<bool, 6> m_loaded{};
    bool m_readFailed = false;
    bool m_lastSaveFailed = false;
    QHash<QString, Note> m_unsaved;
};
