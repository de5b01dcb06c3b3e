#include "ActionTable.h"

#include <QAction>
#include <QMenu>

TActionTable::TActionTable(QObject *parent) : QObject(parent) {}

QAction *TActionTable::Add(const QString &name, const QString &caption)
{
    if (QAction *existing = m_actions.value(name)) {
        Q_ASSERT_X(false, "TActionTable::Add", "a name registered twice");
        return existing;
    }
    return Register(name, new QAction(caption, this));
}

QAction *TActionTable::Register(const QString &name, QAction *action)
{
    if (QAction *existing = m_actions.value(name)) {
        Q_ASSERT_X(false, "TActionTable::Register", "a name registered twice");
        return existing;
    }
    action->setObjectName(name);
    m_actions.insert(name, action);
    return action;
}

QAction *TActionTable::AddSeparator(const QString &name)
{
    QAction *a = Add(name, QString());
    a->setSeparator(true);
    return a;
}

QAction *TActionTable::Find(const QString &name) const { return m_actions.value(name); }

void TActionTable::DefineMenu(const QString &menuName, QMenu *menu, const QStringList &items)
{
    m_menus.insert(menuName, menu);
    m_items[menuName];
    for (const QString &item : items)
        Insert(menuName, item);
}

void TActionTable::Insert(const QString &menuName, const QString &name, const QString &before)
{
    QMenu *menu = m_menus.value(menuName);
    QAction *action = m_actions.value(name);
    Q_ASSERT(menu && action);
    if (!menu || !action)
        return;
    QStringList &items = m_items[menuName];
    const qsizetype at = before.isEmpty() ? -1 : items.indexOf(before);
    if (at < 0) {
        menu->addAction(action);
        items << name;
    } else {
        menu->insertAction(m_actions.value(before), action);
        items.insert(at, name);
    }
}

QMenu *TActionTable::Menu(const QString &menuName) const { return m_menus.value(menuName); }

QStringList TActionTable::Items(const QString &menuName) const { return m_items.value(menuName); }
