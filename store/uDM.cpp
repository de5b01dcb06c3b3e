#include "ProgramFolder.h"
#include "uDM.h"

#include "DatabaseOpen.h"
#include "SqliteStatement.h"

#include <QDir>
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

void TQuery::exec(const QString &sql, bool collectRows)
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
            contentCol = i;
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
    if (!m_active || m_rows.empty())
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
    QString why;
    const bool ok = OpenDatabaseQuietly(*this, &why);
    if (!ok && DMMessageSink)
        DMMessageSink(QString::fromUtf8(ConnectFailedText) + QStringLiteral("\n\n") + why);
    return ok;
}

bool OpenDatabaseQuietly(TDM &dm, QString *whyNot)
{
    auto &qryData = dm.qryData;
    auto &AdoCon = dm.AdoCon;
    qryData.Close();
    AdoCon.reset();

    const QString path = dm.DatabasePath();
    const QString shown = QDir::toNativeSeparators(path);
    bool ok = false;
    // What went wrong and what the user can do about it, after the message the user knows.
    QString why;
    // Never create the file: a missing database is an error, not a fresh start.
    if (!QFileInfo(path).isFile()) {
        why = QStringLiteral("找不到笔记数据库 %1。请从备份中恢复该文件，或重新安装本程序。").arg(shown);
    } else {
        sqlite3 *db = nullptr;
        const QByteArray name = path.toUtf8();
        int code = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_busy_timeout(db, TDM::BusyTimeoutMs);
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
                if (!ok)
                    why = QStringLiteral("%1 中没有本程序的笔记表。请从备份中恢复该文件。").arg(shown);
            } catch (const EDatabaseError &) {
                ok = false;
                code = sqlite3_extended_errcode(db);
            }
        }
        if (why.isEmpty() && !ok) {
            switch (code & 0xff) {
            case SQLITE_BUSY:
            case SQLITE_LOCKED:
                why = QStringLiteral("笔记数据库 %1 正被另一个程序占用。请关闭占用它的程序（或本程序的另一个窗口）后重新启动。")
                          .arg(shown);
                break;
            case SQLITE_NOTADB:
            case SQLITE_CORRUPT:
                why = QStringLiteral("%1 不是本程序的笔记数据库，或已损坏。请从备份中恢复该文件；在此之前请勿删除它。")
                          .arg(shown);
                break;
            case SQLITE_CANTOPEN:
            case SQLITE_PERM:
            case SQLITE_READONLY:
                why = QStringLiteral("无法读写笔记数据库 %1。请检查您对该文件及其所在文件夹是否有读写权限。").arg(shown);
                break;
            default:
                why = QStringLiteral("无法打开笔记数据库 %1（%2）。").arg(shown, QString::fromUtf8(sqlite3_errstr(code)));
            }
        }
        if (ok)
            AdoCon = std::make_unique<sql::Connection>(db);
        else
            sqlite3_close_v2(db);
    }
    if (whyNot)
        *whyNot = why;
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

void TDM::RunLookup(const QString &dayKey)
{
    qryData.Close();
    qryData.ClearSQL();
    qryData.AddSQL(LookupText(dayKey));
    qryData.SetRowKey(dayKey);
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
