#include "YearlyDatesStore.h"

#include "SqliteStatement.h"
#include "uDM.h"

const char *const TYearlyDatesStore::TableName = "tb_YearlyDates";

namespace {

QString Num(int v) { return QString::number(v); }

// Numbers go in as text; the columns' integer affinity stores them as integers.
void BindFields(sql::Statement &s, const TYearlyDate &d)
{
    s.bindText(1, QString::fromStdString(d.Name));
    s.bindText(2, Num(d.Birthday));
    s.bindText(3, Num(d.Lunar));
    s.bindText(4, Num(d.Month));
    s.bindText(5, Num(d.Day));
    s.bindText(6, Num(d.Leap));
    s.bindText(7, Num(d.FirstYear));
    s.bindText(8, Num(d.LeadDays));
}

} // namespace

void TYearlyDatesStore::ensureTable()
{
    if (!m_dm.AdoCon)
        throw EDatabaseError(QStringLiteral("no database"));
    sql::Statement create(m_dm.AdoCon->handle(),
                          QStringLiteral("create table if not exists %1 (Id integer primary key, Name text not null,"
                                         " IsBirthday integer not null, IsLunar integer not null,"
                                         " Month integer not null, Day integer not null, IsLeap integer not null,"
                                         " FirstYear integer not null, LeadDays integer not null)")
                              .arg(QLatin1String(TableName)));
    create.step();
}

bool TYearlyDatesStore::hasTable()
{
    if (!m_dm.AdoCon)
        throw EDatabaseError(QStringLiteral("no database"));
    sql::Statement s(m_dm.AdoCon->handle(),
                     QStringLiteral("select 1 from sqlite_master where type = 'table' and name = '%1'")
                         .arg(QLatin1String(TableName)));
    return s.step();
}

std::vector<TYearlyDate> TYearlyDatesStore::Load()
{
    // Reading leaves an older file as it is; the first date stored makes the table.
    if (!hasTable())
        return {};
    sql::Statement s(m_dm.AdoCon->handle(),
                     QStringLiteral("select Id, Name, IsBirthday, IsLunar, Month, Day, IsLeap, FirstYear, LeadDays"
                                    " from %1 order by Id")
                         .arg(QLatin1String(TableName)));
    std::vector<TYearlyDate> list;
    while (s.step()) {
        TYearlyDate d;
        d.Id = s.text(0).toLongLong();
        d.Name = s.text(1).toStdString();
        d.Birthday = s.text(2).toInt() != 0;
        d.Lunar = s.text(3).toInt() != 0;
        d.Month = s.text(4).toInt();
        d.Day = s.text(5).toInt();
        d.Leap = s.text(6).toInt() != 0;
        d.FirstYear = s.text(7).toInt();
        // A lead out of the window's range is taken as the nearest it allows, not a reason to hide the date.
        d.LeadDays = int(qBound<qlonglong>(0, s.text(8).toLongLong(), qlonglong(yearly::MaxLeadDays)));
        // A row edited by hand into a date that cannot come round is left out.
        if (yearly::IsValid(d))
            list.push_back(d);
    }
    return list;
}

long long TYearlyDatesStore::Add(const TYearlyDate &d)
{
    ensureTable();
    sql::Statement s(m_dm.AdoCon->handle(),
                     QStringLiteral("insert into %1 (Name, IsBirthday, IsLunar, Month, Day, IsLeap, FirstYear,"
                                    " LeadDays) values (?, ?, ?, ?, ?, ?, ?, ?)")
                         .arg(QLatin1String(TableName)));
    BindFields(s, d);
    s.step();
    return sqlite3_last_insert_rowid(m_dm.AdoCon->handle());
}

void TYearlyDatesStore::Update(const TYearlyDate &d)
{
    ensureTable();
    sql::Statement s(m_dm.AdoCon->handle(),
                     QStringLiteral("update %1 set Name = ?, IsBirthday = ?, IsLunar = ?, Month = ?, Day = ?,"
                                    " IsLeap = ?, FirstYear = ?, LeadDays = ? where Id = ?")
                         .arg(QLatin1String(TableName)));
    BindFields(s, d);
    s.bindText(9, QString::number(d.Id));
    s.step();
}

void TYearlyDatesStore::Remove(long long id)
{
    ensureTable();
    sql::Statement s(m_dm.AdoCon->handle(),
                     QStringLiteral("delete from %1 where Id = ?").arg(QLatin1String(TableName)));
    s.bindText(1, QString::number(id));
    s.step();
}
