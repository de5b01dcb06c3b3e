#pragma once
// A temporary program folder with the installation's empty notes database.
#include <QString>
#include <QTemporaryDir>

class TempProgramDir {
public:
    // Lays out Data/ with a copy of the build's empty database; sets TAVI_HOME.
    explicit TempProgramDir(bool withDatabase = true);
    ~TempProgramDir();
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString dbPath() const { return path() + QStringLiteral("Data/UserData.mdb"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
