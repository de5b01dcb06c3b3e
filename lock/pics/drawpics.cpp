// Draws the pictures of the lock and password windows into the current folder.
// Not part of the normal build: cmake --build <dir> --target lock_drawpics, then run it in lock/pics.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void padlock(QPainter &p, const QPointF &centre, qreal size, const QColor &body, const QColor &shackle)
{
    const qreal w = size, h = size * 0.78;
    QRectF bodyRect(centre.x() - w / 2, centre.y() - h / 2 + size * 0.18, w, h);
    p.setPen(QPen(shackle, size * 0.14, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    const qreal r = w * 0.32;
    arc.moveTo(centre.x() - r, bodyRect.top() + 1);
    arc.lineTo(centre.x() - r, bodyRect.top() - r * 0.6);
    arc.arcTo(QRectF(centre.x() - r, bodyRect.top() - r * 1.6, 2 * r, 2 * r), 180, -180);
    arc.lineTo(centre.x() + r, bodyRect.top() + 1);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(bodyRect, size * 0.12, size * 0.12);
    p.setBrush(QColor(60, 92, 160));
    const QPointF hole(centre.x(), bodyRect.center().y() - size * 0.04);
    p.drawEllipse(hole, size * 0.09, size * 0.09);
    p.drawRect(QRectF(hole.x() - size * 0.035, hole.y(), size * 0.07, size * 0.2));
}

void lockLeft()
{
    QImage img = canvas(62, 127);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 127);
    g.setColorAt(0, QColor(86, 130, 214));
    g.setColorAt(1, QColor(168, 196, 242));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 36));
    p.drawEllipse(QPointF(8, 112), 38, 38);
    p.drawEllipse(QPointF(58, 12), 22, 22);
    padlock(p, QPointF(31, 56), 30, QColor(255, 255, 255), QColor(232, 238, 252));
    p.end();
    img.save("lock_left.png");
}

void lockHeader()
{
    QImage img = canvas(169, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 169, 0);
    g.setColorAt(0, QColor(196, 213, 247));
    g.setColorAt(1, QColor(228, 235, 253));
    p.fillRect(img.rect(), g);
    p.fillRect(QRect(0, 23, 169, 1), QColor(146, 168, 218));
    padlock(p, QPointF(14, 10), 10, QColor(70, 110, 196), QColor(70, 110, 196));
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(44, 70, 130));
    p.drawText(QRect(26, 0, 140, 23), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("登录验证"));
    p.end();
    img.save("lock_header.png");
}

void notebookIcon(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    QLinearGradient cover(r.topLeft(), r.bottomRight());
    cover.setColorAt(0, QColor(76, 132, 230));
    cover.setColorAt(1, QColor(40, 88, 180));
    p.setBrush(cover);
    p.drawRoundedRect(r, r.width() * 0.14, r.width() * 0.14);
    const QRectF page = r.adjusted(r.width() * 0.3, r.height() * 0.14, -r.width() * 0.14, -r.height() * 0.14);
    p.setBrush(Qt::white);
    p.drawRoundedRect(page, 1.5, 1.5);
    p.setPen(QPen(QColor(160, 186, 232), 1));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = page.top() + page.height() * i / 4.0;
        p.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 242, 252));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(r.left() + r.width() * 0.16, r.top() + r.height() * (0.27 + 0.23 * i)),
                      r.width() * 0.07, r.width() * 0.07);
}

void pwsetTitle()
{
    QImage img = canvas(440, 36);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 36);
    g.setColorAt(0, QColor(236, 242, 252));
    g.setColorAt(1, QColor(214, 226, 246));
    p.fillRect(img.rect(), g);
    p.fillRect(QRect(0, 35, 440, 1), QColor(186, 201, 226));
    notebookIcon(p, QRectF(8, 6, 24, 24));
    p.end();
    img.save("pwset_title.png");
}

void pwsetBackground()
{
    QImage img = canvas(440, 184);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 184);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(242, 246, 253));
    p.fillRect(img.rect(), g);
    p.setOpacity(0.07);
    padlock(p, QPointF(402, 104), 52, QColor(40, 88, 180), QColor(40, 88, 180));
    p.end();
    img.save("pwset_bg.png");
}

void appIcon()
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    notebookIcon(p, QRectF(2, 2, 28, 28));
    p.end();
    img.save("app_icon.png");
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    lockLeft();
    lockHeader();
    pwsetTitle();
    pwsetBackground();
    appIcon();
    return 0;
}
