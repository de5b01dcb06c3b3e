#pragma once
// A button drawn as three pictures: normal; highlighted while the mouse is over it;
// pressed while the left button, pressed on it, is down over it. Releasing over it
// raises clicked.
#include <QPixmap>
#include <QWidget>

class TPictureButton : public QWidget {
    Q_OBJECT
public:
    enum class State { Normal, Highlighted, Pressed };
    // The pictures are read when first drawn, so that a window is built without waiting for them.
    TPictureButton(QWidget *parent, const QString &normal, const QString &highlighted, const QString &pressed);
    State state() const { return m_state; }
    // Where the picture of a state is drawn, at its own size; the top-left corner unless moved.
    void setPictureOffset(State s, QPoint at);
    // The pictures at their offsets.
    QSize sizeHint() const override;
    // Back to normal, as when the mouse leaves: for a window that goes away under the mouse
    // without hiding, as a minimised one does.
    void reset();

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    struct TPicture {
        QString path;
        bool read = false;
        QPixmap pixmap;
        QPoint offset;
    };
    const QPixmap &picture(State s) const;
    void setState(State s);

    State m_state = State::Normal;
    bool m_down = false;
    mutable TPicture m_pics[3];
};

// The close button of the secondary windows.
class TCloseButton : public TPictureButton {
    Q_OBJECT
public:
    explicit TCloseButton(QWidget *parent = nullptr);
};
