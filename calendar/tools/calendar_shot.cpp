// Renders the main window's calendar (311 x 253) off screen into a PNG.
//     calendar-shot OUT.png [YYYY-MM-DD] [scale] [WIDTHxHEIGHT]
// Without a date the control shows today, as at start-up. The official days off and
// working days come from the program folder (TAVI_HOME, else the build's).
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "FontMap.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: calendar-shot OUT.png [YYYY-MM-DD] [scale] [WIDTHxHEIGHT]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program folder laid out by the build, unless another is named.
    if (qEnvironmentVariableIsEmpty("TAVI_HOME"))
        qputenv("TAVI_HOME", TAVI_APP_DIR);
    QApplication app(argc, argv);
    platform::InstallFontMapping();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    QSize size(311, 253);
    if (argc >= 5) {
        const QStringList wh = QString::fromLocal8Bit(argv[4]).split(QLatin1Char('x'));
        if (wh.size() == 2)
            size = QSize(wh[0].toInt(), wh[1].toInt());
        if (size.width() < 50 || size.height() < 50 || size.width() > 4000 || size.height() > 4000) {
            std::fprintf(stderr, "not a size: %s\n", argv[4]);
            return 2;
        }
    }
    QWidget host;
    host.resize(size);
    TChnCalendar cal(&host);
    cal.setGeometry(QRect(QPoint(0, 0), size));
    ApplyMainWindowCalendarSettings(cal);
    host.show();

    if (argc >= 3) {
        const QDate d = QDate::fromString(QString::fromLocal8Bit(argv[2]), Qt::ISODate);
        if (!d.isValid()) {
            std::fprintf(stderr, "not a date: %s\n", argv[2]);
            return 2;
        }
        cal.setDateTime(tdt::EncodeDate(d.year(), d.month(), d.day()));
    }
    const int scale = argc >= 4 ? std::max(1, std::atoi(argv[3])) : 1;

    QPixmap shot = cal.grab();
    if (scale > 1)
        shot = shot.scaled(shot.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
