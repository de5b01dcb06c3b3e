#pragma once
// A picture component: shows a picture (stretched when asked) and reports the mouse.
// The picture is read when first painted, so that a window is built without waiting for it.
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

    // Decodes the pictures of a resource folder on a second thread while windows are built;
    // components showing them take them from there when first painted.
    static void PreloadFolder(const QString &folder);
    // A picture, taken from the preloaded ones when it is among them.
    static QPixmap ReadPicture(const QString &picture);

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
    const QPixmap &pixmap();

    QString m_picture;
    bool m_read = true;
    QPixmap m_pix;
    bool m_stretch = true;
    int m_designHeight = 0;
    bool m_pressed = false;
};
