#include "WorkdaysFile.h"

#include "PrivateFiles.h"
#include "ProgramFolder.h"

#include <QSaveFile>

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

bool Write(const QString &path, const std::string &text)
{
    QSaveFile f(path);
    // Written for its owner alone, also where the file was open to others before.
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(privatefiles::FileMode))
        return false;
    if (f.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace workdaysfile
