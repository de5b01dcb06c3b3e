// Start-up: the data module first, then the main window, then the other windows.
#include "FontMap.h"
#include "uDM.h"
#include "uMain.h"

#include "Dialogs.h"
#include "FirstPaint.h"
#include "ProgramFolder.h"
#include "QtTranslations.h"
#include "SingleInstance.h"
#include "SyncCommand.h"
#include "WallpaperApply.h"
#include "WindowFront.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace {

bool AskedFor(int argc, char **argv, const char *option)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}

void tell(const QString &text) { std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr); }

// 0 only when the desktop confirmed the change.
int ApplyWallpaperAndTell(TMainFrm &frm)
{
    if (!frm.Unlocked()) {
        tell(QStringLiteral("未输入正确的启动密码，壁纸没有更换。"));
        return 1;
    }
    switch (frm.ApplyWallpaperUnshown()) {
    case ApplyResult::Applied:
        return 0;
    case ApplyResult::NotSet:
        tell(NotSetMessage());
        return 1;
    case ApplyResult::NotConfirmed:
    case ApplyResult::Failed:
        break;
    }
    tell(QStringLiteral("壁纸图片没能合成（背景图片缺失或无法读取，或图片文件夹不可写），壁纸没有更换。"));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    // A sync from the command line needs no display: no window is made.
    if (AskedFor(argc, argv, "--sync")) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Tavi"));
        QCommandLineParser parser;
        parser.addOption({QStringLiteral("sync"), QStringLiteral("同步一次记事后退出。")});
        parser.process(core);
        return app::RunSyncCommand();
    }
    platform::TFontWarmUp fonts;
    QApplication app(argc, argv);
    dialogs::SetProgramTitle(QStringLiteral("Tavi周记事本"));
    QApplication::setApplicationName(QStringLiteral("Tavi"));
    // The launcher's name: docks and task bars match the window with it (Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVI_DESKTOP_ID));
    platform::InstallFontMapping();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    platform::InstallQtTranslations(ReadOnlyDir(QStringLiteral("translations")));

    // The options; Qt's own (-platform, -style ...) are taken by QApplication already.
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Tavi周记事本：一周的记事，配有农历月历，可将本周记事设为桌面壁纸。"));
    options.addHelpOption();
    const QCommandLineOption applyWallpaper(
        QStringLiteral("apply-wallpaper"),
        QStringLiteral("把本周的记事设为桌面壁纸后退出，不显示主窗口（与“应用到桌面”相同）。桌面确认更换时退出码为 0，否则为 1。"));
    options.addOption(applyWallpaper);
    // Taken before any window is made (above); named here so that --help lists it.
    options.addOption({QStringLiteral("sync"), QStringLiteral("同步一次记事后退出。")});
    options.process(app);
    const bool applyOnly = options.isSet(applyWallpaper);

    // A second start brings the running window to the front and touches nothing.
    // A start that only sets the wallpaper reads the notes and writes none: it may run beside
    // the program, whose lock it leaves alone.
    TSingleInstance instance(ProgramDir());
    if (!applyOnly && !instance.claim(platform::OwnActivationToken()))
        return 0;

    QString why;
    if (!programfolder::Prepare(programfolder::Current(), &why)) {
        fonts.wait();
        dialogs::ShowError(QStringLiteral("无法建立保存记事的目录 %1\n（%2）。\n"
                                          "请确认主目录可以写入，或用环境变量 TAVI_HOME 指定一个可写的目录。")
                               .arg(ProgramDir(), why));
        return 1;
    }

    TMainFrm::PreloadPictures();
    fonts.wait(); // from here on a message may be shown
    TDM dm;
    DM = &dm;
    DMMessageSink = [](const QString &text) { dialogs::ShowMessage(text); };
    bool connected = true;
    DMTerminate = [&connected] { connected = false; };
    dm.DataModuleCreate();
    // Without the notes database nothing else may run: no window would have a week to show or save.
    if (!connected)
        return 1;

    TMainFrm frm;
    if (applyOnly)
        return ApplyWallpaperAndTell(frm);
    if (!frm.Unlocked())
        return 0;
    // The other windows are made when first opened: none is needed to show the week.
    QObject::connect(&instance, &TSingleInstance::activationRequested, &frm,
                     [&frm](const QString &token) { platform::BringToFront(frm, token); });
    TFirstPaintProbe::Watch(&frm);
    frm.show();
    return app.exec();
}
