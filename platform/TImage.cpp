#include "TImage.h"

#include <QDirIterator>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>

#include <thread>

namespace {

// Written by the preloading thread, read on the window thread only after joining it.
struct TPreloaded {
    std::thread thread;
    QHash<QString, QImage> images;
    ~TPreloaded()
    {
        if (thread.joinable())
            thread.join();
    }
};

TPreloaded &preloaded()
{
    static TPreloaded p;
    return p;
}

} // namespace

QPixmap TImage::ReadPicture(const QString &picture)
{
    TPreloaded &p = preloaded();
    if (p.thread.joinable())
        p.thread.join();
    QImage image = p.images.take(picture);
    return image.isNull() ? QPixmap(picture) : QPixmap::fromImage(std::move(image)); // shares, not copies
}

void TImage::PreloadFolder(const QString &folder)
{
    TPreloaded &p = preloaded();
    if (p.thread.joinable())
        p.thread.join();
    QStringList pictures;
    // A name filter would compile a regular expression; with it the pattern engine costs 0.5 MB.
    for (QDirIterator it(folder, QDir::Files); it.hasNext();)
        if (const QString picture = it.next(); picture.endsWith(QLatin1String(".png")))
            pictures << picture;
    p.thread = std::thread([pictures, &p] {
        for (const QString &picture : pictures) {
            const QImage image(picture, "PNG");
            // In the form the window system draws from, so that the pixmap shares it.
            p.images.insert(picture, image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                                   : QImage::Format_RGB32));
        }
    });
}

TImage::TImage(QWidget *parent, const QString &picture, bool stretch) : QLabel(parent), m_stretch(stretch)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    if (!picture.isEmpty())
        setPicture(picture);
}

void TImage::setPicture(const QString &picture)
{
    m_picture = picture;
    m_pix = QPixmap();
    m_read = false;
    update();
}

const QPixmap &TImage::pixmap()
{
    if (!m_read) {
        m_read = true;
        m_pix = ReadPicture(m_picture);
    }
    return m_pix;
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
    const QPixmap &pix = pixmap();
    if (pix.isNull()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_stretch && m_designHeight > 0)
        p.drawPixmap(QRect(0, 0, width(), height() * pix.height() / m_designHeight), pix);
    else if (m_stretch)
        p.drawPixmap(rect(), pix);
    else
        p.drawPixmap(0, 0, pix);
}
