#include "CnWorkdaysFile.h"

#include "WorkdaysFile.h"

#include <QFile>

namespace {

TCnWorkdays &Table()
{
    static TCnWorkdays table;
    return table;
}

bool &Loaded()
{
    static bool loaded = false;
    return loaded;
}

} // namespace

const TCnWorkdays &CnWorkdays()
{
    if (!Loaded())
        return ReloadCnWorkdays();
    return Table();
}

const TCnWorkdays &ReloadCnWorkdays()
{
    Table() = TCnWorkdays::FromFile(std::filesystem::path(QFile::encodeName(workdaysfile::Path()).toStdString()));
    Loaded() = true;
    return Table();
}

QString WorkdayMarkTextOf(tdt::TDateTime date)
{
    return QString::fromUtf8(WorkdayMarkText(CnWorkdays().MarkOf(date)));
}

QString WorkdayMarkTextOf(tdt::TDateTime first, tdt::TDateTime second)
{
    const TCnWorkdays &t = CnWorkdays();
    return QString::fromUtf8(WorkdayMarkText(CombinedWorkdayMark(t.MarkOf(first), t.MarkOf(second))));
}
