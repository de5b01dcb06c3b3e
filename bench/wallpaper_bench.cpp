// The wallpaper apply, stage by stage, for backgrounds of two sizes on desktops of two
// sizes (the offscreen screen is made the desktop's size); and the mixing against
// ImageMagick compositing the same two pictures.
//   wallpaper_bench [runs]
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"
#include "ProgramFolder.h"
#include "RecordingWallpaper.h"
#include "Wallpaper.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "uSetTrans.h"
#include "uPicMix.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double timeMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The week panel at its design size with six boxes of notes, half-transparency grey.
QWidget *makeWeekPanel()
{
    auto *panel = new QWidget;
    panel->setAttribute(Qt::WA_DontShowOnScreen);
    panel->resize(594, 445);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    panel->setAutoFillBackground(true);
    const char *days[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六/日"};
    QList<QTextEdit *> boxes;
    for (int i = 0; i < 6; ++i) {
        const int x = (i / 3) * 297, y = (i % 3) * 148;
        auto *title = new QLabel(QString::fromUtf8(days[i]), panel);
        title->setGeometry(x + 4, y, 289, 20);
        auto *box = new QTextEdit(panel);
        box->setGeometry(x + 4, y + 20, 289, 124);
        box->setHtml(QStringLiteral("<b>09:00</b> 周会<br>√ 交报告<br><span style='color:red'>× 买票</span><br>"
                                    "给家里打电话"));
        boxes << box;
    }
    TransMode = 0;
    RecolourBoxes(boxes);
    return panel;
}

// A background with smooth light and some texture, as photographs have.
void writeBackground(const QString &path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar *line = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const double t = double(y) / h, s = double(x) / w;
            const int tex = int(12 * std::sin(x * 0.07) * std::cos(y * 0.05));
            line[3 * x] = uchar(std::clamp(int(60 + 120 * t + tex), 0, 255));
            line[3 * x + 1] = uchar(std::clamp(int(110 + 80 * s - tex), 0, 255));
            line[3 * x + 2] = uchar(std::clamp(int(200 - 100 * t + ((x ^ y) & 7)), 0, 255));
        }
    }
    img.save(path, "BMP");
}

QString imageMagick()
{
    for (const char *tool : {"magick", "convert"}) {
        const QString p = QStandardPaths::findExecutable(QString::fromLatin1(tool));
        if (!p.isEmpty())
            return p;
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    // A 4K screen: the apply composes at the primary screen's size.
    QTemporaryDir screens;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QFile conf(screens.filePath("screens.json"));
        if (conf.open(QIODevice::WriteOnly))
            conf.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 3840, "height": 2160,
                        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        conf.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + conf.fileName()).toUtf8());
    }
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;

    QTemporaryDir home;
    qputenv("TAVI_HOME", home.path().toUtf8());
    QDir().mkpath(PictureDir());
    QDir().mkpath(DataDir());
    auto desktop = std::make_shared<RecordingWallpaper>();
    platform::SetWallpaperBackend(desktop);
    AskBeforeApply = false;
    QWidget *panel = makeWeekPanel();
    const QString dir = PictureDir();

    const QSize screen = DesktopPixelSize();
    std::printf("wallpaper apply, median of %d runs (ms); notes picture %dx%d; screen %dx%d\n", runs,
                panel->width(), panel->height(), screen.width(), screen.height());
    std::printf("%-11s %-9s %8s %8s %8s %8s %8s %8s %8s %9s %8s %9s %7s\n", "background", "desktop", "capture", "load",
                "stretch", "mix", "bmp32", "jpg-enc", "jpg-save", "jpg>bmp24", "sum", "apply", "cpu");
    const QSize fullHd(1920, 1080), uhd(3840, 2160);
    for (const auto &[size, desk] : {std::pair(fullHd, fullHd), std::pair(uhd, uhd), std::pair(fullHd, uhd)}) {
        writeBackground(dir + "A1.bmp", size.width(), size.height());
        QFile::remove(DataDir() + "BGPicList.ini");
        LoadPicList(false);
        std::map<std::string, std::vector<double>> t;
        for (int r = 0; r < runs; ++r) {
            t["capture"].push_back(timeMs([&] { SaveNotesPicture(panel); }));
            TPicture overlay, base;
            t["load"].push_back(timeMs([&] {
                pictures::ReadBmp(dir + "Content.bmp", overlay);
                pictures::ReadBmp(dir + "A1.bmp", base);
            }));
            t["stretch"].push_back(timeMs([&] {
                if (size != desk)
                    base = StretchedTo(base, desk);
            }));
            MixResult m;
            t["mix"].push_back(timeMs([&] { m = MixPictures(overlay, base, 50, 30); }));
            t["bmp32"].push_back(timeMs([&] { pictures::WriteBmp32(dir + "Mix.bmp", *m.picture); }));
            QByteArray jpeg;
            t["jpg-enc"].push_back(timeMs([&] { pictures::EncodeJpeg(*m.picture, 90, jpeg); }));
            t["jpg-save"].push_back(timeMs([&] { pictures::WriteFile(dir + "Mix.Jpg", jpeg); }));
            overlay = TPicture();
            base = TPicture();
            t["jpg>bmp24"].push_back(timeMs([&] {
                QFile bmp(dir + "Mix.bmp");
                if (pictures::OpenAnew(bmp))
                    pictures::JpegToBmp(dir + "Mix.Jpg", bmp);
            }));
            PicIndex = 1;
            // The whole apply where the screen is this desktop; elsewhere the capture and the
            // composition it would run.
            const double cpu0 = cpuMs();
            t["apply"].push_back(timeMs([&] {
                if (desk == screen)
                    ApplyWeekToDesktop(nullptr, panel);
                else
                    SaveNotesPicture(panel) && ComposeWallpaper(dir + "A1.bmp", desk);
            }));
            t["cpu"].push_back(cpuMs() - cpu0);
        }
        double sum = 0;
        for (const char *k : {"capture", "load", "stretch", "mix", "bmp32", "jpg-enc", "jpg-save", "jpg>bmp24"})
            sum += median(t[k]);
        std::printf("%4dx%-6d %4dx%-4d %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %9.2f %8.2f %9.2f %7.1f\n", size.width(),
                    size.height(), desk.width(), desk.height(), median(t["capture"]), median(t["load"]),
                    median(t["stretch"]), median(t["mix"]), median(t["bmp32"]), median(t["jpg-enc"]),
                    median(t["jpg-save"]), median(t["jpg>bmp24"]), sum, median(t["apply"]), median(t["cpu"]));
    }
    std::printf("(the apply writes bmp32 while it encodes the JPEG; sum = the stages one after another;\n"
                " apply = the whole apply on a desktop of the screen's size, else capture and composition;\n"
                " cpu = the apply's processor time, all threads together: on a busy machine a truer\n"
                " guide to its time on an idle one than the wall clock)\n");
    std::printf("target: whole apply at 3840x2160 under 150 ms\n\n");

    // The same two pictures composed by ImageMagick: white of the notes made transparent, then
    // laid at 50 % where the mixing lays it.
    const QString im = imageMagick();
    for (const QSize size : {QSize(1920, 1080), QSize(3840, 2160)}) {
        writeBackground(dir + "A1.bmp", size.width(), size.height());
        SaveNotesPicture(panel);
        const int x0 = size.width() - panel->width() - 50;
        std::vector<double> memOnly, fileToFile, magick;
        for (int r = 0; r < runs; ++r) {
            TPicture overlay, base;
            fileToFile.push_back(timeMs([&] {
                pictures::ReadBmp(dir + "Content.bmp", overlay);
                pictures::ReadBmp(dir + "A1.bmp", base);
                const MixResult m = MixPictures(overlay, base, 50, 30);
                pictures::WriteBmp32(dir + "ours.bmp", *m.picture);
            }));
            pictures::ReadBmp(dir + "Content.bmp", overlay);
            pictures::ReadBmp(dir + "A1.bmp", base);
            memOnly.push_back(timeMs([&] { MixPictures(overlay, base, 50, 30); }));
        }
        int exitCode = -1;
        if (!im.isEmpty()) {
            const QStringList args = {dir + "A1.bmp", "(", dir + "Content.bmp", "-transparent", "white", ")",
                                      "-geometry", QStringLiteral("+%1+30").arg(x0), "-compose", "blend",
                                      "-define", "compose:args=50", "-composite", dir + "magick.bmp"};
            for (int r = 0; r < std::max(3, runs / 2); ++r)
                magick.push_back(timeMs([&] { exitCode = QProcess::execute(im, args); }));
        }
        std::printf("mixing at %dx%d: MixPictures %.2f ms in memory, %.2f ms file to file; ImageMagick %s %.2f ms "
                    "file to file%s\n",
                    size.width(), size.height(), median(memOnly), median(fileToFile),
                    im.isEmpty() ? "(not found)" : qPrintable(QFileInfo(im).fileName()), median(magick),
                    exitCode == 0 || im.isEmpty() ? "" : " (failed)");
    }
    delete panel;
    return 0;
}
