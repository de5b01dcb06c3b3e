#include "ProgramFolder.h"
#include "uDM.h"

#include "SqliteStatement.h"

#include <QFileInfo>
#include <QIODevice>

TDM *DM = nullptr;
std::function<void(const QString &)> DMMessageSink;
std::function<void()> DMTerminate;

const char *const TDM::ConnectFailedText = "配置文件加载失败，请重试！";

namespace {

QString quoted(const QString &key)
{
    QString k = key;
    k.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + k + QLatin1Char('\'');
}

} // namespace

// --- TQuery ------------------------------------------------------------------

void TQuery::Close()
{
    m_active = false;
    m_editing = false;
    m_rows.clear();
}

void TQuery::exec(const QString &sql, bool collectRows, bool withContent)
{
    if (!m_db)
        throw EDatabaseError(QStringLiteral("not connected"));
    if (onStatement)
        onStatement(sql);
    sql::Statement st(m_db->handle(), sql);
    int contentCol = -1, bakCol = -1;
    for (int i = 0; collectRows && i < st.columnCount(); ++i) {
        const QString name = st.columnName(i);
        if (name.compare(QLatin1String("Content"), Qt::CaseInsensitive) == 0)
            contentCol = withContent ? i : -1;
        else if (name.compare(QLatin1String("ContentBak"), Qt::CaseInsensitive) == 0)
            bakCol = i;
    }
    while (st.step()) {
        if (!collectRows)
            continue;
        Row row;
        if (contentCol >= 0)
            row.content = st.blob(contentCol);
        if (bakCol >= 0)
            row.contentBak = st.text(bakCol);
        m_rows.push_back(std::move(row));
    }
}

void TQuery::Open()
{
    Close();
    exec(SQLText(), true);
    m_active = true;
    m_withContent = true;
}

void TQuery::OpenForUpdate()
{
    Close();
    exec(SQLText(), true, false);
    m_active = true;
    m_withContent = false;
}

void TQuery::ExecSQL()
{
    Close();
    exec(SQLText(), false);
}

void TQuery::ExecDirect(const QString &sql)
{
    exec(sql, false);
}

void TQuery::Edit()
{
    if (!m_active || m_rows.empty())
        throw EDatabaseError(QStringLiteral("no current row"));
    m_editing = true;
    m_newContent = m_rows.front().content;
    m_newContentBak = m_rows.front().contentBak;
}

void TQuery::SetContentFromStream(QIODevice &stream)
{
    if (!m_editing)
        throw EDatabaseError(QStringLiteral("not in edit mode"));
    m_newContent = stream.readAll();
}

void TQuery::SetContentBak(const QString &text)
{
    if (!m_editing)
        throw EDatabaseError(QStringLiteral("not in edit mode"));
    m_newContentBak = text;
}

void TQuery::Post()
{
    if (!m_editing)
        throw EDatabaseError(QStringLiteral("not in edit mode"));
    if (m_rowKey.isNull())
        throw EDatabaseError(QStringLiteral("the rows of this query cannot be updated"));
    if (!m_db)
        throw EDatabaseError(QStringLiteral("not connected"));
    // The first row of a lookup is the oldest row of its key: rows come in row id order.
    // A row that already holds these values is left alone, so that saving an unchanged
    // day costs no disk writes.
    const QString sql = QStringLiteral("update tb_NewTavi set Content = ?1, ContentBak = ?2 where rowid = "
                                       "(select min(rowid) from tb_NewTavi where YearMonthStr = ?3) "
                                       "and (Content is not ?1 or ContentBak is not ?2)");
    if (onStatement)
        onStatement(sql);
    sql::Statement st(m_db->handle(), sql);
    st.bindBlob(1, m_newContent);
    st.bindText(2, m_newContentBak);
    st.bindText(3, m_rowKey);
    st.step();
    m_editing = false;
    m_rows.front().content = m_newContent;
    m_rows.front().contentBak = m_newContentBak;
}

QByteArray TQuery::ReadContent() const
{
    if (!m_active || m_rows.empty() || !m_withContent)
        throw EDatabaseError(QStringLiteral("no current row"));
    return m_rows.front().content;
}

// --- TDM ---------------------------------------------------------------------

TDM::TDM() : qryData(AdoCon) {}

TDM::~TDM() { qryData.Close(); }

QString TDM::DatabasePath() const { return DataDir() + QStringLiteral("UserData.mdb"); }

void TDM::DataModuleCreate()
{
    if (!ConnectDatabase() && DMTerminate)
        DMTerminate();
}

bool TDM::ConnectDatabase()
{
    const bool ok = Open(DatabasePath());
    if (!ok && DMMessageSink)
        DMMessageSink(QString::fromUtf8(ConnectFailedText));
    return ok;
}

bool TDM::Open(const QString &path)
{
    qryData.Close();
    AdoCon.reset();

    bool ok = false;
    // Never create the file: a missing database is an error, not a fresh start.
    if (QFileInfo(path).isFile()) {
        sqlite3 *db = nullptr;
        const QByteArray name = path.toUtf8();
        if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, BusyTimeoutMs);
            sqlite3_extended_result_codes(db, 1);
            // Reading the table's columns proves the file is a database of ours and
            // that no other writer holds it; it writes nothing.
            try {
                sql::Statement st(db, QStringLiteral("select name from pragma_table_info('tb_NewTavi')"));
                QStringList columns;
                while (st.step())
                    columns << st.text(0).toLower();
                ok = columns.contains(QLatin1String("yearmonthstr")) && columns.contains(QLatin1String("content"))
                     && columns.contains(QLatin1String("contentbak"));
            } catch (const EDatabaseError &) {
                ok = false;
            }
        }
        if (ok)
            AdoCon = std::make_unique<sql::Connection>(db);
        else
            sqlite3_close_v2(db);
    }
    return ok;
}

QString TDM::LookupText(const QString &dayKey)
{
    return QStringLiteral(" select * from tb_NewTavi ") + QStringLiteral(" where YearMonthStr = ") + quoted(dayKey);
}

QString TDM::InsertText(const QString &dayKey)
{
    return QStringLiteral("insert into  tb_NewTavi(YearMonthStr) Values(") + quoted(dayKey) + QStringLiteral(")");
}

void TDM::RunLookup(const QString &dayKey, bool forUpdate)
{
    qryData.Close();
    qryData.ClearSQL();
    qryData.AddSQL(LookupText(dayKey));
    qryData.SetRowKey(dayKey);
    if (forUpdate)
        qryData.OpenForUpdate();
    else
        qryData.Open();
}

void TDM::RunInsert(const QString &dayKey)
{
    qryData.Close();
    qryData.ClearSQL();
    qryData.AddSQL(InsertText(dayKey));
    qryData.SetRowKey(QString());
    qryData.ExecSQL();
}
