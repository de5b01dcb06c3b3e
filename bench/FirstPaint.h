#pragma once
// Opt-in start-up probe (TAVI_REPORT_FIRST_PAINT=1): once the window has painted for the
// first time, prints "first-paint <CLOCK_MONOTONIC ns>" so that a launcher can measure
// from the moment it started the process. Costs nothing when the variable is unset.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <ctime>

class TFirstPaintProbe : public QObject {
public:
    static void Watch(QObject *window)
    {
        if (qEnvironmentVariableIntValue("TAVI_REPORT_FIRST_PAINT") == 1)
            window->installEventFilter(new TFirstPaintProbe(window));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
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

private:
    explicit TFirstPaintProbe(QObject *parent) : QObject(parent) {}
};
