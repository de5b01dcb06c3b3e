// How well the week's notes read on the composed wallpaper: the median contrast ratio of the
// text strokes against the picture around them, per transparency mode and background, on a
// 1920 x 1080 desktop.
//   legibility_bench [folder to keep the composed pictures in]
#include "FontMap.h"
#include "Legibility.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::InstallFontMapping();
    QTemporaryDir home;
    qputenv("TAVI_HOME", home.path().toUtf8());
    QDir().mkpath(PictureDir());
    const QString keep = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QSize desktop(1920, 1080);

    struct Case {
        const char *name;
        int mode;
        QImage background;
        double goal;
    } cases[] = {
        {"full/shipped", 1, QImage(QStringLiteral(TAVI_SHIPPED_BACKGROUND)), 3.0},
        {"half/dark", 0, legibility::Plasma(desktop, 11, 0, 90), 4.5},
        {"half/bright", 0, legibility::Plasma(desktop, 12, 150, 255), 3.0},
    };
    std::printf("median contrast of the note strokes on the composed picture, %dx%d desktop\n", desktop.width(),
                desktop.height());
    std::printf("%-13s %8s %6s\n", "mode/background", "ratio", "goal");
    for (Case &c : cases) {
        const QString bg = PictureDir() + "bg.bmp";
        c.background.save(bg, "BMP");
        legibility::TNotesPanel panel(c.mode);
        if (!SaveNotesPicture(&panel) || !ComposeWallpaper(bg, desktop)) {
            std::printf("%-15s compose failed\n", c.name);
            continue;
        }
        const QImage notes = legibility::ReadPicture(PictureDir() + "Content.bmp");
        const QImage mix = legibility::ReadPicture(PictureDir() + "Mix.bmp");
        const QPoint at(mix.width() - notes.width() - 50, 30);
        const QRgb box = c.mode == 1 ? qRgb(255, 255, 255) : qRgb(247, 247, 247);
        std::printf("%-15s %6.2f %6.1f\n", c.name, legibility::StrokeContrast(notes, mix, at, box), c.goal);
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            const QString stem = keep + "/" + QString::fromLatin1(c.name).replace('/', '-');
            QFile::remove(stem + "-mix.png");
            mix.copy(QRect(at - QPoint(20, 20), notes.size() + QSize(40, 40))).save(stem + "-mix.png");
        }
    }
    return 0;
}
