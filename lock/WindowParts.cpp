#include "WindowParts.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace winparts {
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

QString Picture(const char *name)
{
    return QStringLiteral(":/pics/") + QLatin1String(name);
}

} // namespace winparts

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

TCloseButton::TCloseButton(QWidget *parent) : QWidget(parent)
{
    m_pics[0] = QPixmap(winparts::Picture("close_normal.png"));
    m_pics[1] = QPixmap(winparts::Picture("close_highlight.png"));
    m_pics[2] = QPixmap(winparts::Picture("close_pressed.png"));
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}

QSize TCloseButton::sizeHint() const
{
    return m_pics[0].isNull() ? QSize(27, 20) : m_pics[0].size();
}

void TCloseButton::setState(State s)
{
    if (s == m_state)
        return;
    m_state = s;
    update();
}

void TCloseButton::enterEvent(QEnterEvent *e)
{
    QWidget::enterEvent(e);
    setState(m_down ? State::Pressed : State::Highlighted);
}

void TCloseButton::leaveEvent(QEvent *e)
{
    QWidget::leaveEvent(e);
    setState(State::Normal);
}

void TCloseButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_down = true;
    setState(State::Pressed);
}

void TCloseButton::mouseMoveEvent(QMouseEvent *e)
{
    const bool inside = rect().contains(e->position().toPoint());
    if (!inside)
        setState(State::Normal);
    else
        setState(m_down ? State::Pressed : State::Highlighted);
}

void TCloseButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    const bool inside = rect().contains(e->position().toPoint());
    setState(inside ? State::Highlighted : State::Normal);
    if (inside)
        emit clicked();
}

void TCloseButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap &pic = m_pics[static_cast<int>(m_state)];
    if (!pic.isNull())
        p.drawPixmap(rect(), pic);
}
