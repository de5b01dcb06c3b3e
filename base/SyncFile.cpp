#include "SyncFile.h"

#include "ProgramFolder.h"

namespace syncfile {

QString Path() { return DataDir() + QStringLiteral("Sync.ini"); }

QString StatePath() { return DataDir() + QStringLiteral("SyncState.json"); }

settings::Status Read(Settings &out)
{
    const settings::Lines file = settings::Read(Path());
    if (file.status != settings::Status::Ok)
        return file.status;
    QString line;
    out = Settings();
    if (file.text(0, line) == settings::Status::Ok)
        out.address = line.trimmed();
    if (file.text(1, line) == settings::Status::Ok)
        out.user = line.trimmed();
    if (file.text(2, line) == settings::Status::Ok)
        out.fingerprint = line.trimmed().toLatin1().toLower();
    if (file.text(3, line) == settings::Status::Ok)
        out.plainHttp = line.trimmed() == QLatin1String("1");
    return settings::Status::Ok;
}

bool Write(const Settings &s)
{
    return settings::Write(Path(), {s.address.trimmed(), s.user.trimmed(), QString::fromLatin1(s.fingerprint),
                                    s.plainHttp ? QStringLiteral("1") : QStringLiteral("0")});
}

QUrl AddressUrl(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    if (!text.contains(QLatin1String("://")))
        return QUrl(QStringLiteral("https://") + text);
    return QUrl(text);
}

} // namespace syncfile
