// The yardstick for the start-up figures: a bare Qt window of the main window's size,
// built like the program, doing nothing but painting itself white.
#include "FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("bare window"));
    w.resize(913, 540);
    TFirstPaintProbe::Watch(&w);
    w.show();
    return app.exec();
}
