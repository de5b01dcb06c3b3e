#pragma once
// What every borderless secondary window shares: being dragged by chosen widgets,
// the close button of three pictures, and being centred when shown.
#include <QWidget>

namespace winparts {

// Pressing the left mouse button on the handle (or on a child that leaves the press
// to it) drags the handle's window.
void MakeDragHandle(QWidget *handle);
// Centres the window on another window, or on the screen's work area when there is none.
void CentreOn(QWidget *window, const QWidget *over);
// The pictures, embedded in the program.
QString Picture(const char *name);

} // namespace winparts

// A filled rectangle with an outline, the background of the borderless windows.
class TShape : public QWidget {
    Q_OBJECT
public:
    TShape(QWidget *parent, const QColor &fill, const QColor &outline, int penWidth = 1);
    QColor fill() const { return m_fill; }
    QColor outline() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QColor m_fill, m_outline;
    int m_pen;
};

// The close button: normal; highlighted while the mouse is over it; pressed while the
// button is down on it. Releasing over it raises clicked.
class TCloseButton : public QWidget {
    Q_OBJECT
public:
    enum class State { Normal, Highlighted, Pressed };
    explicit TCloseButton(QWidget *parent = nullptr);
    State state() const { return m_state; }
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void setState(State s);
    State m_state = State::Normal;
    bool m_down = false;
    QPixmap m_pics[3];
};
