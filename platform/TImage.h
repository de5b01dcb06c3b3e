#pragma once
// A picture component: shows a pixmap (stretched when asked) and reports the mouse.
#include <QLabel>

class TImage : public QLabel {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr, const QString &picture = QString(), bool stretch = true);
    void setPicture(const QString &picture);
    void setStretch(bool on);
    // The picture is the top of a stretched design this many pixels tall, empty below:
    // it is stretched as the whole design would be, so a mostly blank design stays small.
    void setDesignHeight(int height);

signals:
    void mousePressed(Qt::MouseButton button);
    void mouseMoved();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    QPixmap m_pix;
    bool m_stretch = true;
    int m_designHeight = 0;
    bool m_pressed = false;
};
