#pragma once
// The notes of single days in the notes table, read and written through the data
// module's statements; a save of several days may be one transaction.
#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class TDM;

class TNotesRepository {
public:
    explicit TNotesRepository(TDM &dm) : m_dm(dm) {}

    struct DayNote {
        QString key;
        QByteArray rtf;
        QString plain;
    };
    enum class ReadResult { Row, NoRow, Unread };
    struct DayRead {
        ReadResult result = ReadResult::Unread;
        QByteArray content; // Content of the day's first row
    };

    // Reads the days in this order; the first day that fails and every day after it
    // stay Unread.
    std::vector<DayRead> ReadDays(const std::vector<QString> &keys);

    // Writes each day into the first row of its key, inserting the row when there is
    // none; a day that fails is skipped. With oneTransaction the save commits once, and
    // a failed day leaves nothing of itself behind. Tells for each day whether it is in
    // the file now, and in error the engine's extended code of the first failure (-1 for
    // one without a code, 0 for none). A file held by another program (busy) ends the
    // save at the first day that meets it.
    std::vector<bool> WriteDays(const std::vector<DayNote> &days, bool oneTransaction, int *error = nullptr);

    // A day whose plain text holds a keyword, and how often (not overlapping).
    struct KeywordDay {
        QString key;
        int count = 0;
    };
    // Every stored day whose plain text holds the keyword, Latin letters A to Z without
    // regard to case, in ascending key order; one statement. Throws EDatabaseError.
    std::vector<KeywordDay> FindKeyword(const QString &keyword);
    // The keys from fromKey to toKey (both included) whose plain text is more than
    // blanks and line ends, ascending; one statement. Throws EDatabaseError.
    std::vector<QString> NotedKeys(const QString &fromKey, const QString &toKey);

private:
    bool writeDay(const DayNote &day);
    void exec(const QString &sql);
    bool inTransaction() const;

    TDM &m_dm;
};
