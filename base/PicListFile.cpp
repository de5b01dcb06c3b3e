#include "PicListFile.h"

#include "ProgramFolder.h"

namespace piclistfile {

QString Path() { return DataDir() + QStringLiteral("BGPicList.ini"); }

settings::Lines Read() { return settings::Read(Path()); }

bool Write(const QString &current, const QStringList &entries) { return settings::Write(Path(), QStringList{current} + entries); }

bool WriteDefault()
{
    const QString a1 = QLatin1String(DefaultPicName);
    return Write(a1, {a1});
}

} // namespace piclistfile
