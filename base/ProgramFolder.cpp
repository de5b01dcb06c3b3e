#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

QString ProgramDir()
{
    QString dir = qEnvironmentVariable("TAVI_HOME");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString DataDir() { return ProgramDir() + QStringLiteral("Data/"); }

QString PictureDir() { return ProgramDir() + QStringLiteral("source/DeskTopBG/"); }
