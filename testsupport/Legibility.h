#pragma once
// How well the notes read on the composed wallpaper, as a figure; and the pictures and the
// week panel to measure it with. Shared by the tests and the bench.
#include "PictureFiles.h"
#include "uSetTrans.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPoint>
#include <QRandomGenerator>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace legibility {

// Relative luminance of an sRGB colour, linearised.
inline double Luminance(QRgb c)
{
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

inline double ContrastRatio(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

inline double Median(std::vector<double> &v)
{
    if (v.empty())
        return 0;
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// A BMP as the mixing reads it (the fourth byte carries no colour).
inline QImage ReadPicture(const QString &path)
{
    TPicture p;
    if (!pictures::ReadBmp(path, p))
        return {};
    return QImage(p.bits.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32).copy();
}

// The median contrast ratio of the text strokes on the composed picture. A stroke pixel is a
// pixel of the notes picture darker than the box colour with a box-colour pixel beside it;
// it is measured, where the notes were laid (`at`), against the median of the composed
// pixels that lie under box-colour pixels within `radius` pixels. Zero without strokes.
inline double StrokeContrast(const QImage &notes, const QImage &composed, QPoint at, QRgb boxColour, int radius = 7)
{
    const int w = notes.width(), h = notes.height();
    const QRgb box = boxColour & 0xffffff;
    const double boxL = Luminance(box);
    std::vector<char> isBox(size_t(w) * size_t(h));
    std::vector<double> under(size_t(w) * size_t(h), -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            isBox[size_t(y) * w + x] = (notes.pixel(x, y) & 0xffffff) == box;
            const QPoint c(x + at.x(), y + at.y());
            if (composed.rect().contains(c))
                under[size_t(y) * w + x] = Luminance(composed.pixel(c));
        }
    std::vector<double> ratios, around;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            if (isBox[i] || under[i] < 0 || Luminance(notes.pixel(x, y)) >= boxL)
                continue;
            bool besideBox = false;
            for (int dy = -1; dy <= 1 && !besideBox; ++dy)
                for (int dx = -1; dx <= 1 && !besideBox; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    besideBox = nx >= 0 && ny >= 0 && nx < w && ny < h && isBox[size_t(ny) * w + nx];
                }
            if (!besideBox)
                continue;
            around.clear();
            for (int ny = std::max(0, y - radius); ny <= std::min(h - 1, y + radius); ++ny)
                for (int nx = std::max(0, x - radius); nx <= std::min(w - 1, x + radius); ++nx) {
                    const size_t j = size_t(ny) * w + nx;
                    if (isBox[j] && under[j] >= 0)
                        around.push_back(under[j]);
                }
            if (!around.empty())
                ratios.push_back(ContrastRatio(under[i], Median(around)));
        }
    return Median(ratios);
}

// A plasma fractal (midpoint displacement) between `low` and `high` in each channel, the
// channels drawn apart: a busy picture of clouds and blotches of colour.
inline QImage Plasma(QSize size, quint32 seed, int low, int high)
{
    const int n = 513;
    QRandomGenerator rng(seed);
    QImage img(n - 1, n - 1, QImage::Format_RGB32);
    std::vector<std::vector<double>> ch(3, std::vector<double>(size_t(n) * n));
    for (auto &g : ch) {
        auto at = [&](int x, int y) -> double & { return g[size_t(y) * n + x]; };
        for (int y : {0, n - 1})
            for (int x : {0, n - 1})
                at(x, y) = rng.generateDouble();
        double amp = 0.6;
        for (int step = n - 1; step > 1; step /= 2, amp *= 0.78) {
            const int half = step / 2;
            for (int y = half; y < n; y += step)
                for (int x = half; x < n; x += step)
                    at(x, y) = (at(x - half, y - half) + at(x + half, y - half) + at(x - half, y + half)
                                + at(x + half, y + half)) / 4
                               + amp * (rng.generateDouble() - 0.5);
            for (int y = 0; y < n; y += half)
                for (int x = (y / half) % 2 ? 0 : half; x < n; x += step) {
                    double sum = 0;
                    int k = 0;
                    for (const QPoint d : {QPoint(-half, 0), QPoint(half, 0), QPoint(0, -half), QPoint(0, half)}) {
                        const int px = x + d.x(), py = y + d.y();
                        if (px >= 0 && py >= 0 && px < n && py < n) {
                            sum += at(px, py);
                            ++k;
                        }
                    }
                    at(x, y) = sum / k + amp * (rng.generateDouble() - 0.5);
                }
        }
        const auto [mn, mx] = std::minmax_element(g.begin(), g.end());
        for (double &v : g)
            v = (v - *mn) / (*mx - *mn);
    }
    for (int y = 0; y < n - 1; ++y)
        for (int x = 0; x < n - 1; ++x) {
            int c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = low + int((high - low) * ch[size_t(k)][size_t(y) * n + x]);
            img.setPixel(x, y, qRgb(c[0], c[1], c[2]));
        }
    return img.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A week panel as the main window lays it: six note boxes of a week's notes in the boxes'
// own font, in the colour of transparency mode `mode`.
class TNotesPanel : public QWidget {
public:
    explicit TNotesPanel(int mode)
    {
        setAttribute(Qt::WA_DontShowOnScreen);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
        setAutoFillBackground(true);
        resize(594, 445);
        const char *days[] = {"周 一", "周 二", "周 三", "周 四", "周 五", "周 六/日"};
        QFont font(QStringLiteral("宋体"));
        font.setPixelSize(15);
        QFont title(QStringLiteral("宋体"));
        title.setPixelSize(12);
        QList<QTextEdit *> boxes;
        for (int i = 0; i < 6; ++i) {
            const int x = (i / 3) * 297, y = (i % 3) * 148;
            auto *caption = new QLabel(QString::fromUtf8(days[i]), this);
            caption->setFont(title);
            caption->setGeometry(x + 6, y + 4, 120, 16);
            auto *box = new QTextEdit(this);
            box->setFrameShape(QFrame::NoFrame);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            box->setFont(font);
            box->document()->setDefaultFont(font);
            box->setGeometry(x + 4, y + 22, 289, 122);
            box->setHtml(QString::fromUtf8("09:00 部门周会，带上季度报表<br>√ 交项目进度报告<br>"
                                           "<span style='color:#c00000'>× 订周五去上海的火车票</span><br>"
                                           "给家里打电话；取快递<br>晚上 7:30 羽毛球"));
            boxes << box;
        }
        TransMode = mode;
        RecolourBoxes(boxes);
    }
};

} // namespace legibility
