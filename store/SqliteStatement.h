#pragma once
// The engine's own types, for the store's sources only: no header outside the store
// includes this one, so the rest of the program never sees them.
#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <string_view>

namespace sql {

// The open notes file; closed when it goes.
class Connection {
public:
    explicit Connection(sqlite3 *db) : m_db(db) {}
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    // A transaction is open: nothing written since its begin is committed yet.
    bool InTransaction() const { return !sqlite3_get_autocommit(m_db); }

private:
    sqlite3 *m_db;
};

// One prepared statement, finalized when it goes. Every failure of the engine throws
// EDatabaseError with the engine's message and extended code.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql);
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // A zero-length blob stays a blob, not null.
    void bindBlob(int index, const QByteArray &bytes);
    void bindText(int index, const QString &text);
    // True while the statement yields rows; false once it is done.
    bool step();

    int columnCount() const { return sqlite3_column_count(m_stmt); }
    QString columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, column)); }
    QByteArray blob(int column) const;
    // The column's bytes in place, as text; valid until the next step.
    std::string_view bytes(int column) const;
    QString text(int column) const;

    [[noreturn]] static void fail(sqlite3 *db);

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace sql
