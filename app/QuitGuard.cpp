#include "QuitGuard.h"

#include "Dialogs.h"
#include "WeekNotes.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QStringList>
#include <QWidget>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

const char *const TQuitGuard::SaveFailedText =
    "笔记保存失败：最近的修改还没有存入记事数据库，现在退出会丢失这些修改。\n"
    "可以留在程序中稍后再试，或先把本周内容导出为文本文件。";

QStringList TQuitGuard::Buttons()
{
    return {QStringLiteral("留在程序中"), QStringLiteral("导出本周内容"), QStringLiteral("仍然退出")};
}

TQuitGuard::TQuitGuard(QWidget *window, TWeekNotes &week, std::function<void()> exportWeek)
    : QObject(window), m_window(window), m_week(week), m_export(std::move(exportWeek))
{
    window->installEventFilter(this);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
#if QT_CONFIG(sessionmanager)
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &session) {
            const bool interact = session.allowsInteraction();
            const bool mayEnd = MaySessionEnd(interact);
            if (interact)
                session.release();
            if (!mayEnd)
                session.cancel();
        });
#endif
        // The very end, whatever road led there: one last try, nothing to ask any more.
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { m_week.SaveBeforeQuit(); });
    }
}

bool TQuitGuard::MayQuit() { return MaySessionEnd(true); }

bool TQuitGuard::MaySessionEnd(bool interactionAllowed)
{
    if (m_week.SaveBeforeQuit() || !interactionAllowed)
        return true;
    switch (dialogs::Ask(QString::fromUtf8(SaveFailedText), Buttons(), m_window)) {
    case QuitAnyway:
        return true;
    case ExportWeek:
        if (m_export)
            m_export();
        return false;
    default:
        return false;
    }
}

bool TQuitGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && !MayQuit()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
