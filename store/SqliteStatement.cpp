#include "SqliteStatement.h"

#include "DatabaseError.h"

namespace sql {

Statement::Statement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
        fail(db);
}

void Statement::bindBlob(int index, const QByteArray &bytes)
{
    if (sqlite3_bind_blob(m_stmt, index, bytes.constData() ? bytes.constData() : "", int(bytes.size()),
                          SQLITE_TRANSIENT)
        != SQLITE_OK)
        fail(m_db);
}

void Statement::bindText(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_bind_text(m_stmt, index, utf8.constData() ? utf8.constData() : "", int(utf8.size()), SQLITE_TRANSIENT)
        != SQLITE_OK)
        fail(m_db);
}

// sqlite3_step's result must be checked against SQLITE_ROW and SQLITE_DONE: anything else is an error.
bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail(m_db);
    return false;
}

QByteArray Statement::blob(int column) const
{
    const void *bytes = sqlite3_column_blob(m_stmt, column);
    return QByteArray(static_cast<const char *>(bytes), sqlite3_column_bytes(m_stmt, column));
}

std::string_view Statement::bytes(int column) const
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return {chars ? chars : "", size_t(sqlite3_column_bytes(m_stmt, column))};
}

QString Statement::text(int column) const
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(chars, sqlite3_column_bytes(m_stmt, column));
}

void Statement::fail(sqlite3 *db)
{
    throw EDatabaseError(QString::fromUtf8(db ? sqlite3_errmsg(db) : "no database"),
                         db ? sqlite3_extended_errcode(db) : SQLITE_MISUSE);
}

} // namespace sql
