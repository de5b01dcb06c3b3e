#pragma once
// The data module: the one connection to the notes database and the one query
// object every statement of the program goes through.
#include "DatabaseError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;
namespace sql {
class Connection;
}

// Plays the role of a dataset over one SQL text: close, clear, add a line, then
// open (rows) or execute (none). Rows of an opened lookup are held in memory.
class TQuery {
public:
    explicit TQuery(const std::unique_ptr<sql::Connection> &connection) : m_db(connection) {}

    void Close();
    void ClearSQL() { m_sql.clear(); }
    void AddSQL(const QString &line) { m_sql.append(line); }
    QString SQLText() const { return m_sql.join(QLatin1Char('\n')); }
    void Open();
    void ExecSQL();
    bool Active() const { return m_active; }

    int RecordCount() const { return m_active ? int(m_rows.size()) : 0; }

    // The first row: edit, set the note columns, post.
    void Edit();
    // Content takes every byte of the stream from its current position to the end.
    void SetContentFromStream(QIODevice &stream);
    void SetContentBak(const QString &text);
    void Post();
    // Content of the first row; empty when the column is empty or null.
    QByteArray ReadContent() const;

    // Runs a statement that is none of the lookups and insertions (transactions).
    void ExecDirect(const QString &sql);

    // The key whose first row Post updates; set by the data module's lookup.
    void SetRowKey(const QString &key) { m_rowKey = key; }

    // Every statement text handed to the engine, in order.
    std::function<void(const QString &)> onStatement;

private:
    struct Row {
        long long rowid = 0;
        QByteArray content;
        QString contentBak;
    };
    void exec(const QString &sql, bool collectRows);

    const std::unique_ptr<sql::Connection> &m_db;
    QStringList m_sql;
    bool m_active = false;
    bool m_editing = false;
    std::vector<Row> m_rows;
    QString m_rowKey;
    QByteArray m_newContent;
    QString m_newContentBak;
};

class TDM {
public:
    TDM();
    ~TDM();
    TDM(const TDM &) = delete;
    TDM &operator=(const TDM &) = delete;

    // Creation handler: connects, and asks the application to end when that fails.
    void DataModuleCreate();
    // Opens Data/UserData.mdb under the program's folder; shows the message and
    // returns false when the file is missing, locked, unreadable or not our database.
    bool ConnectDatabase();
    QString DatabasePath() const;

    // Lookup and insertion texts, exactly as the engine receives them.
    static QString LookupText(const QString &dayKey);
    static QString InsertText(const QString &dayKey);
    // close, clear, add the text, open.
    void RunLookup(const QString &dayKey);
    // close, clear, add the text, execute.
    void RunInsert(const QString &dayKey);

    // Open between a successful ConnectDatabase and the end of the data module.
    std::unique_ptr<sql::Connection> AdoCon;
    TQuery qryData;

    // How long a statement waits for another writer before it fails.
    static constexpr int BusyTimeoutMs = 2000;
    static const char *const ConnectFailedText;
};

extern TDM *DM;

// The message shown when the connection fails; the program sets it to its message box.
extern std::function<void(const QString &)> DMMessageSink;
// What DataModuleCreate does after a failed connection; the program sets it to quit.
extern std::function<void()> DMTerminate;
