#include "store_fixture.h"

#include <QDir>
#include <QFile>

TempProgramDir::TempProgramDir(bool withDatabase)
{
    m_oldHome = qgetenv("TAVI_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    // As the program makes its folders: for their owner alone.
    QFile::setPermissions(m_dir.path() + QStringLiteral("/Data"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (withDatabase)
        QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/UserData.mdb"), dbPath());
    QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    qputenv("TAVI_HOME", m_dir.path().toUtf8());
}

TempProgramDir::~TempProgramDir()
{
    if (m_oldHome.isEmpty())
        qunsetenv("TAVI_HOME");
    else
        qputenv("TAVI_HOME", m_oldHome);
}
