#include "base_fixture.h"

#include <QDir>
#include <QFile>

ProgramFolderTest::ProgramFolderTest()
{
    m_oldHome = qgetenv("TAVI_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    qputenv("TAVI_HOME", m_dir.path().toUtf8());
}

ProgramFolderTest::~ProgramFolderTest()
{
    if (m_oldHome.isEmpty())
        qunsetenv("TAVI_HOME");
    else
        qputenv("TAVI_HOME", m_oldHome);
}

void ProgramFolderTest::writeFile(const QString &path, const QByteArray &bytes) const
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

std::optional<QByteArray> ProgramFolderTest::fileBytes(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}
