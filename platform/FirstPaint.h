#pragma once
// Opt-in start-up probe (TAVI_REPORT_FIRST_PAINT=1): once the window has painted for the
// first time, prints "first-paint <CLOCK_MONOTONIC ns>" so that a launcher can measure
// from the moment it started the process. Costs nothing when the variable is unset.
#include <QObject>

class TFirstPaintProbe : public QObject {
public:
    static void Watch(QObject *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TFirstPaintProbe(QObject *parent) : QObject(parent) {}
};
