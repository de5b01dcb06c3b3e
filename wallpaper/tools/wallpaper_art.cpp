// Draws the pictures of the wallpaper subsystem: the default background picture laid out
// with the program, and the small pictures of its windows.
//   wallpaper_art background FILE.bmp [WIDTH HEIGHT]
//   wallpaper_art pictures DIR
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A ridge line: a few octaves of smooth noise from a fixed seed, so every build draws the same picture.
std::vector<double> ridge(int width, quint32 seed, double roughness)
{
    QRandomGenerator rng(seed);
    std::vector<double> h(size_t(width), 0.0);
    double amp = 1.0;
    int period = width / 2;
    while (period >= 4) {
        const int n = width / period + 3;
        std::vector<double> knots(static_cast<size_t>(n));
        for (double &k : knots)
            k = rng.generateDouble() * 2.0 - 1.0;
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / period;
            const int i = int(u);
            const double f = u - i;
            const double s = f * f * (3 - 2 * f);
            h[size_t(x)] += amp * (knots[size_t(i)] * (1 - s) + knots[size_t(i) + 1] * s);
        }
        amp *= roughness;
        period /= 2;
    }
    return h;
}

void drawBackground(QImage &img)
{
    const int w = img.width(), h = img.height();
    const double horizon = h * 0.66;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Sky: deep blue at the top to a warm haze at the horizon.
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0.0, QColor(38, 84, 148));
    sky.setColorAt(0.45, QColor(106, 156, 206));
    sky.setColorAt(0.80, QColor(200, 214, 226));
    sky.setColorAt(1.0, QColor(246, 216, 184));
    p.fillRect(QRectF(0, 0, w, horizon + 2), sky);
    // A bright morning haze over the right of the sky, where the week's notes land: their dark
    // strokes, mixed half into it, need a calm light ground to read against.
    QLinearGradient mist(w * 0.22, 0, w * 0.62, 0);
    mist.setColorAt(0.0, QColor(238, 242, 246, 0));
    mist.setColorAt(1.0, QColor(238, 242, 246, 236));
    p.fillRect(QRectF(0, 0, w, horizon + 2), mist);

    // The low sun and its glow, left of the middle so the notes on the right stay calm.
    const QPointF sun(w * 0.30, h * 0.45);
    QRadialGradient glow(sun, h * 0.6);
    // A smooth fall-off (no corners in the curve, which the eye would see as rings).
    for (int k = 0; k <= 24; ++k) {
        const double r = k / 24.0;
        const double a = std::exp(-r * r * 9.0) * 0.55 + std::exp(-r * 22.0) * 0.45;
        glow.setColorAt(r, QColor(255, int(240 - 36 * r), int(206 - 50 * r), int(255 * a)));
    }
    p.fillRect(img.rect(), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 247, 228));
    p.drawEllipse(sun, h * 0.035, h * 0.035);

    // A few soft clouds.
    QRandomGenerator rng(7);
    for (int c = 0; c < 9; ++c) {
        const double cx = rng.bounded(w), cy = h * (0.08 + 0.3 * rng.generateDouble());
        const double scale = h * (0.03 + 0.04 * rng.generateDouble());
        for (int k = 0; k < 7; ++k) {
            const QPointF at(cx + (k - 3) * scale * 0.9 + rng.bounded(int(scale)), cy + rng.bounded(int(scale / 2 + 1)));
            QRadialGradient puff(at, scale * 1.3);
            puff.setColorAt(0.0, QColor(255, 255, 255, 60));
            puff.setColorAt(1.0, QColor(255, 255, 255, 0));
            p.setBrush(puff);
            p.drawEllipse(at, scale * 1.3, scale * 0.8);
        }
    }

    // Mountain ranges, farther ones paler (the air between).
    const QColor haze(214, 206, 212);
    const struct {
        double base, height, roughness;
        QColor colour;
        quint32 seed;
    } ranges[] = {
        {0.58, 0.16, 0.55, QColor(132, 146, 178), 11},
        {0.62, 0.13, 0.52, QColor(96, 114, 152), 23},
        {0.66, 0.10, 0.50, QColor(62, 84, 118), 37},
    };
    for (const auto &r : ranges) {
        const std::vector<double> line = ridge(w, r.seed, r.roughness);
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x < w; ++x)
            path.lineTo(x, h * r.base - h * r.height * (0.55 + 0.45 * line[size_t(x)]));
        path.lineTo(w, h);
        path.closeSubpath();
        QLinearGradient fill(0, h * (r.base - r.height), 0, horizon);
        fill.setColorAt(0.0, r.colour);
        fill.setColorAt(1.0, mix(r.colour, haze, 0.45));
        p.setBrush(fill);
        p.drawPath(path);
    }

    // The lake: the sky's colours mirrored and darkened, with a path of sunlight.
    QLinearGradient lake(0, horizon, 0, h);
    lake.setColorAt(0.0, QColor(176, 170, 178));
    lake.setColorAt(0.25, QColor(92, 118, 150));
    lake.setColorAt(1.0, QColor(28, 52, 86));
    p.setBrush(lake);
    p.drawRect(QRectF(0, horizon, w, h - horizon));
    // The sun's path on the water: a soft column and short glints that widen towards the shore.
    QLinearGradient column(sun.x() - w * 0.05, 0, sun.x() + w * 0.05, 0);
    column.setColorAt(0.0, QColor(255, 226, 190, 0));
    column.setColorAt(0.5, QColor(255, 226, 190, 70));
    column.setColorAt(1.0, QColor(255, 226, 190, 0));
    p.setBrush(column);
    p.drawRect(QRectF(sun.x() - w * 0.05, horizon, w * 0.1, h - horizon));
    for (int k = 0; k < 900; ++k) {
        const double t = std::pow(rng.generateDouble(), 1.4);
        const double y = horizon + 2 + (h - horizon - 2) * t;
        const double spread = w * (0.01 + 0.06 * t);
        const double x = sun.x() + spread * (rng.generateDouble() * 2 - 1) * (0.4 + 0.6 * rng.generateDouble());
        const double len = w * (0.004 + 0.02 * t) * (0.3 + rng.generateDouble());
        p.setBrush(QColor(255, 236, 204, int(150 - 110 * t)));
        p.drawRoundedRect(QRectF(x - len / 2, y, len, 1.0 + 1.5 * t), 0.8, 0.8);
    }

    // A dark near shore at the lower left frames the view.
    const std::vector<double> shore = ridge(w, 53, 0.6);
    QPainterPath near;
    near.moveTo(0, h);
    for (int x = 0; x <= w * 0.42; ++x) {
        const double fall = double(x) / (w * 0.42);
        near.lineTo(x, h - h * (0.16 * (1 - fall * fall) + 0.012 * shore[size_t(x)]) + 2);
    }
    near.lineTo(w * 0.42, h);
    near.closeSubpath();
    p.setBrush(QColor(22, 38, 58));
    p.drawPath(near);
    p.end();

    // A touch of grain keeps the long gradients from banding.
    QRandomGenerator grain(3);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int d = int(grain.bounded(5)) - 2;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255), qBound(0, qBlue(c) + d, 255));
        }
    }
}

bool save(const QImage &img, const QString &path)
{
    if (!img.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage questionPicture()
{
    QImage img(48, 48, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(18, 16), 30);
    g.setColorAt(0, QColor(120, 180, 240));
    g.setColorAt(1, QColor(30, 104, 190));
    p.setPen(QPen(QColor(24, 84, 160), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 44, 44));
    // The question mark as strokes, so the picture needs no font.
    QPainterPath q;
    q.moveTo(17, 18);
    q.cubicTo(17, 10, 31, 10, 31, 18);
    q.cubicTo(31, 23, 24, 24, 24, 30);
    p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(24, 37), 2.8, 2.8);
    return img;
}

// The picture window's background: pale blue-grey, lighter towards the bottom, a band behind the title.
QImage windowBackground()
{
    QImage img(524, 286, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 286);
    g.setColorAt(0, QColor(232, 240, 250));
    g.setColorAt(1, QColor(250, 252, 255));
    p.fillRect(img.rect(), g);
    QLinearGradient band(0, 0, 0, 40);
    band.setColorAt(0, QColor(196, 216, 240));
    band.setColorAt(1, QColor(222, 234, 248));
    p.fillRect(QRect(0, 0, 524, 40), band);
    p.fillRect(QRect(0, 40, 524, 1), QColor(180, 200, 228));
    p.setPen(QColor(216, 227, 243));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, 523, 285));
    return img;
}

// A small framed landscape: the picture list's mark.
QImage logoPicture()
{
    QImage img(32, 28, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 128, 128), 1.5));
    QLinearGradient sky(0, 3, 0, 25);
    sky.setColorAt(0, QColor(90, 150, 215));
    sky.setColorAt(1, QColor(225, 236, 246));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1.5, 3.5, 29, 21), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 120));
    p.drawEllipse(QPointF(10, 10), 3, 3);
    QPainterPath hills;
    hills.moveTo(2.3, 24);
    hills.lineTo(11, 14);
    hills.lineTo(16, 19);
    hills.lineTo(22, 11);
    hills.lineTo(29.7, 24);
    hills.closeSubpath();
    p.setBrush(QColor(52, 112, 96));
    p.drawPath(hills);
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "background") {
        const int w = argc >= 5 ? std::atoi(argv[3]) : 1920;
        const int h = argc >= 5 ? std::atoi(argv[4]) : 1080;
        if (w < 64 || h < 64)
            return 2;
        QImage img(w, h, QImage::Format_RGB32);
        drawBackground(img);
        // 24-bit, as the pictures users bring usually are.
        return save(img.convertToFormat(QImage::Format_RGB888), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc >= 3 && QByteArray(argv[1]) == "pictures") {
        const QDir dir(QString::fromLocal8Bit(argv[2]));
        bool ok = save(questionPicture(), dir.filePath("question.png"));
        ok = save(windowBackground(), dir.filePath("picsel_bg.png")) && ok;
        ok = save(logoPicture(), dir.filePath("picsel_logo.png")) && ok;
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: wallpaper_art background FILE.bmp [WIDTH HEIGHT] | pictures DIR\n");
    return 2;
}
