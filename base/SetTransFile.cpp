#include "SetTransFile.h"

#include "ProgramFolder.h"

namespace settransfile {

QString Path() { return DataDir() + QStringLiteral("SetTrans.ini"); }

settings::Status ReadMode(int &mode)
{
    const settings::Lines file = settings::Read(Path());
    if (file.status != settings::Status::Ok)
        return file.status;
    int stored = FullTransparency;
    mode = file.number(0, stored) == settings::Status::Ok ? stored : FullTransparency;
    return settings::Status::Ok;
}

bool WriteMode(int mode) { return settings::Write(Path(), {QString::number(mode)}); }

} // namespace settransfile
