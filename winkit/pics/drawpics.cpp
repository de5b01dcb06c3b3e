// Draws the close button's three pictures into the current folder.
// Not part of the normal build: cmake --build <dir> --target winkit_drawpics, then run it in winkit/pics.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

void closeButton(const char *file, const QColor &fill, const QColor &mark, qreal shift)
{
    QImage img(27, 20, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (fill.alpha() > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(0.5, 0.5, 26, 19), 3, 3);
    }
    const QRectF box(9 + shift, 6 + shift, 9, 8);
    p.setPen(QPen(mark, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
    p.end();
    img.save(file);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    closeButton("close_normal.png", Qt::transparent, QColor(104, 118, 140), 0);
    closeButton("close_highlight.png", QColor(228, 72, 72), Qt::white, 0);
    closeButton("close_pressed.png", QColor(178, 40, 40), QColor(250, 226, 226), 0.6);
    return 0;
}
