#include "LoginFile.h"

#include "ProgramFolder.h"

namespace loginfile {

QString Path() { return DataDir() + QStringLiteral("loginstr.db"); }

settings::Lines Read() { return settings::Read(Path()); }

settings::Status ReadLine0(QString &line0) { return Read().text(0, line0); }

bool IsNoPassword(const QString &line0) { return line0 == NoPasswordMarker; }

bool WritePassword(const QString &first, const QString &second)
{
    return settings::Write(Path(), {first, second, QStringLiteral("-1")});
}

bool WriteNoPassword()
{
    return settings::Write(Path(), {NoPasswordMarker, NoPasswordMarker, QStringLiteral("0")});
}

} // namespace loginfile
