#include "TImage.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget *parent, const QString &picture, bool stretch) : QLabel(parent), m_stretch(stretch)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    if (!picture.isEmpty())
        setPicture(picture);
}

void TImage::setPicture(const QString &picture)
{
    m_pix = QPixmap(picture);
    update();
}

void TImage::setStretch(bool on)
{
    m_stretch = on;
    update();
}

void TImage::setDesignHeight(int height)
{
    m_designHeight = height;
    update();
}

void TImage::mousePressEvent(QMouseEvent *e)
{
    m_pressed = e->button() == Qt::LeftButton;
    emit mousePressed(e->button());
}

void TImage::mouseMoveEvent(QMouseEvent *e)
{
    QLabel::mouseMoveEvent(e);
    emit mouseMoved();
}

void TImage::enterEvent(QEnterEvent *e)
{
    QLabel::enterEvent(e);
    emit mouseMoved();
}

void TImage::mouseReleaseEvent(QMouseEvent *e)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void TImage::paintEvent(QPaintEvent *e)
{
    if (m_pix.isNull()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_stretch && m_designHeight > 0)
        p.drawPixmap(QRect(0, 0, width(), height() * m_pix.height() / m_designHeight), m_pix);
    else if (m_stretch)
        p.drawPixmap(rect(), m_pix);
    else
        p.drawPixmap(0, 0, m_pix);
}
