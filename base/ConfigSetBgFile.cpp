#include "ConfigSetBgFile.h"

#include "ProgramFolder.h"

namespace configsetbgfile {

QString Path() { return DataDir() + QStringLiteral("configSetBg.ini"); }

settings::Status ReadAsk(int &ask) { return settings::Read(Path()).number(0, ask); }

bool WriteAsk(bool ask) { return settings::Write(Path(), {ask ? QStringLiteral("1") : QStringLiteral("0")}); }

} // namespace configsetbgfile
