#include "Frame.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

namespace winkit {
namespace {

class DragFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        auto *w = static_cast<QWidget *>(watched);
        QWidget *win = w->window();
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() != Qt::LeftButton)
                break;
            // The window manager moves the window best; where it cannot, follow the mouse ourselves.
            m_dragging = !(win->windowHandle() && win->windowHandle()->startSystemMove());
            m_offset = me->globalPosition().toPoint() - win->pos();
            break;
        }
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (m_dragging && (me->buttons() & Qt::LeftButton))
                win->move(me->globalPosition().toPoint() - m_offset);
            break;
        }
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool m_dragging = false;
    QPoint m_offset;
};

} // namespace

void MakeDragHandle(QWidget *handle)
{
    handle->installEventFilter(new DragFilter(handle));
}

void CentreOn(QWidget *window, const QWidget *over)
{
    QRect area;
    if (over) {
        area = over->frameGeometry();
    } else {
        const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

QPoint ClearPlace(const QRect &current, const QRect &owner, const QRect &screen, const QList<QRect> &avoid)
{
    auto covered = [&](const QRect &r) {
        qint64 area = 0;
        for (const QRect &a : avoid) {
            const QRect i = r.intersected(a);
            area += qint64(i.width()) * i.height();
        }
        return area;
    };
    if (covered(current) == 0)
        return current.topLeft();
    const int w = current.width(), h = current.height();
    const int xs[] = {owner.left(), owner.left() + (owner.width() - w) / 2, owner.right() + 1 - w, owner.left() - w,
                      owner.right() + 1};
    const int ys[] = {owner.top(), owner.top() + (owner.height() - h) / 2, owner.bottom() + 1 - h, owner.top() - h,
                      owner.bottom() + 1};
    QPoint best = current.topLeft();
    qint64 bestCovered = covered(current);
    qint64 bestDistance = 0;
    for (const int x : xs)
        for (const int y : ys) {
            QRect r(x, y, w, h);
            if (screen.isValid()) {
                // Kept on the screen; a window larger than the screen keeps its top left on it.
                r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() + 1 - w)));
                r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() + 1 - h)));
            }
            const qint64 c = covered(r);
            const qint64 d = (r.topLeft() - current.topLeft()).manhattanLength();
            if (c < bestCovered || (c == bestCovered && d < bestDistance)) {
                best = r.topLeft();
                bestCovered = c;
                bestDistance = d;
            }
        }
    return best;
}

} // namespace winkit

TBorderlessDialog::TBorderlessDialog(QWidget *owner, int width, int height, Centre centre)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_centre(centre)
{
    setFixedSize(width, height);
}

void TBorderlessDialog::dragBy(std::initializer_list<QWidget *> handles)
{
    for (QWidget *handle : handles)
        winkit::MakeDragHandle(handle);
}

void TBorderlessDialog::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    winkit::CentreOn(this, m_centre == Centre::OnOwner ? owner : nullptr);
}

TShape::TShape(QWidget *parent, const QColor &fill, const QColor &outline, int penWidth)
    : QWidget(parent), m_fill(fill), m_outline(outline), m_pen(penWidth)
{
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_outline);
    p.fillRect(rect().adjusted(m_pen, m_pen, -m_pen, -m_pen), m_fill);
}
