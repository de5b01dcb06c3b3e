#include "WorkdaysFile.h"

#include "ProgramFolder.h"

namespace workdaysfile {

QString Path() { return DataDir() + QStringLiteral("CnWorkdays.tsv"); }

settings::Status Read(const QString &path, std::size_t maxBytes, std::string &text)
{
    QByteArray bytes;
    bool more = false;
    const settings::Status s = settings::ReadBytes(path, bytes, qint64(maxBytes), &more);
    if (s != settings::Status::Ok)
        return s;
    if (more)
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    text.assign(bytes.constData(), std::size_t(bytes.size()));
    return s;
}

} // namespace workdaysfile
