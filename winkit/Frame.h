#pragma once
// The frame every borderless secondary window shares: no system caption, dragged by
// chosen widgets, centred when shown.
#include <QDialog>
#include <QList>
#include <QRect>

#include <initializer_list>

namespace winkit {

// Pressing the left mouse button on the handle (or on a child that leaves the press
// to it) drags the handle's window.
void MakeDragHandle(QWidget *handle);
// Centres the window on another window, or on the screen's work area when there is none.
void CentreOn(QWidget *window, const QWidget *over);
// Where a window of `size` now at `current` should stand so that it covers none of
// `avoid`: where it is when that is clear, else the nearest clear place against the
// edges or the middle of `owner`, inside it or beside it, within `screen`; when no such
// place is clear, the one covering least.
QPoint ClearPlace(const QRect &current, const QRect &owner, const QRect &screen, const QList<QRect> &avoid);

} // namespace winkit

// A borderless dialog of a fixed size, centred on each new showing: on the window of its
// owner, or on the screen's work area.
class TBorderlessDialog : public QDialog {
    Q_OBJECT
public:
    enum class Centre { OnOwner, OnScreen };
    TBorderlessDialog(QWidget *owner, int width, int height, Centre centre = Centre::OnOwner);

protected:
    // The widgets whose background drags the window; the dialog itself among them when
    // nothing covers it.
    void dragBy(std::initializer_list<QWidget *> handles);
    // A window restored from minimised is not a new showing and stays where it was.
    void showEvent(QShowEvent *e) override;

private:
    Centre m_centre;
};

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
