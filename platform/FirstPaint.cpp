#include "FirstPaint.h"

#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

void TFirstPaintProbe::Watch(QObject *window)
{
    if (qEnvironmentVariableIntValue("TAVI_REPORT_FIRST_PAINT") == 1)
        window->installEventFilter(new TFirstPaintProbe(window));
}

bool TFirstPaintProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // Reported after the paint event is done and its picture handed to the screen.
        QTimer::singleShot(0, [] {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::printf("first-paint %lld\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
            std::fflush(stdout);
        });
        deleteLater();
    }
    return false;
}
