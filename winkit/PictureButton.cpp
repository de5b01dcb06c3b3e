#include "PictureButton.h"

#include "TImage.h"

#include <QMouseEvent>
#include <QPainter>

TPictureButton::TPictureButton(QWidget *parent, const QString &normal, const QString &highlighted,
                               const QString &pressed)
    : QWidget(parent)
{
    m_pics[0].path = normal;
    m_pics[1].path = highlighted;
    m_pics[2].path = pressed;
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

const QPixmap &TPictureButton::picture(State s) const
{
    TPicture &pic = m_pics[static_cast<int>(s)];
    if (!pic.read) {
        pic.read = true;
        pic.pixmap = TImage::ReadPicture(pic.path);
    }
    return pic.pixmap;
}

void TPictureButton::setPictureOffset(State s, QPoint at)
{
    m_pics[static_cast<int>(s)].offset = at;
    update();
}

QSize TPictureButton::sizeHint() const
{
    QRect all;
    for (State s : {State::Normal, State::Highlighted, State::Pressed})
        all |= QRect(m_pics[static_cast<int>(s)].offset, picture(s).size());
    return QSize(all.right() + 1, all.bottom() + 1);
}

void TPictureButton::setState(State s)
{
    if (s == m_state)
        return;
    m_state = s;
    update();
}

void TPictureButton::enterEvent(QEnterEvent *e)
{
    QWidget::enterEvent(e);
    setState(m_down ? State::Pressed : State::Highlighted);
}

void TPictureButton::leaveEvent(QEvent *e)
{
    QWidget::leaveEvent(e);
    setState(State::Normal);
}

void TPictureButton::reset()
{
    m_down = false;
    setState(State::Normal);
}

// A window closed by this very button hides under the mouse, which sends no leave.
void TPictureButton::hideEvent(QHideEvent *e)
{
    QWidget::hideEvent(e);
    reset();
}

void TPictureButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_down = true;
    setState(State::Pressed);
}

void TPictureButton::mouseMoveEvent(QMouseEvent *e)
{
    const bool inside = rect().contains(e->position().toPoint());
    if (!inside)
        setState(State::Normal);
    else
        setState(m_down ? State::Pressed : State::Highlighted);
}

void TPictureButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    const bool inside = rect().contains(e->position().toPoint());
    setState(inside ? State::Highlighted : State::Normal);
    if (inside)
        emit clicked();
}

void TPictureButton::paintEvent(QPaintEvent *)
{
    const QPixmap &pic = picture(m_state);
    if (pic.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(m_pics[static_cast<int>(m_state)].offset, pic);
}

TCloseButton::TCloseButton(QWidget *parent)
    : TPictureButton(parent, QStringLiteral(":/winkit/close_normal.png"), QStringLiteral(":/winkit/close_highlight.png"),
                     QStringLiteral(":/winkit/close_pressed.png"))
{
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}
