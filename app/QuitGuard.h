#pragma once
// Every road out of the program (the close button, "退出程序", the window manager's close,
// the session ending) passes here: a note whose save failed gets one more save, and if
// that fails too the user is told and may stay, or export the week's text, instead.
#include <QObject>

#include <functional>

class QWidget;
class TWeekNotes;

class TQuitGuard : public QObject {
    Q_OBJECT
public:
    // Watches the window's close and the application's session end and quit.
    TQuitGuard(QWidget *window, TWeekNotes &week, std::function<void()> exportWeek);

    // True when the program may end now.
    bool MayQuit();
    // The session is ending; without interaction only the last save is tried.
    bool MaySessionEnd(bool interactionAllowed);

    static const char *const SaveFailedText;
    // The answers, in the order of the buttons: the first is the default and Escape.
    enum Answer { Stay, ExportWeek, QuitAnyway };
    static QStringList Buttons();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    TWeekNotes &m_week;
    std::function<void()> m_export;
};
