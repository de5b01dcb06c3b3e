// Widget tests share one QApplication. They run headless on one 1024 x 768 screen
// unless QT_QPA_PLATFORM names something else.
#include "FontMap.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((platform.isEmpty() || platform == "offscreen") && scratch.isValid()) {
        const QString config = scratch.filePath("screens.json");
        QFile f(config);
        f.open(QIODevice::WriteOnly);
        f.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
                   "screens": [{"name": "Screen1", "x": 0, "y": 0, "width": 1024, "height": 768,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        f.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && scratch.isValid()) {
        const QString runtime = scratch.filePath("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    QApplication app(argc, argv);
    platform::InstallFontMapping();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
