// Widget tests share one QApplication; they run headless unless told otherwise.
#include "FontMap.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    platform::InstallFontMapping();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
