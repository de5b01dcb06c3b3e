#pragma once
// The program's commands by name, and the menus made of them. A command is registered
// once under a unique name (which becomes its objectName) and put into any menu by name;
// a later unit adds its own command to an existing menu without touching the code that
// built it.
#include <QHash>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

class TActionTable : public QObject {
    Q_OBJECT
public:
    explicit TActionTable(QObject *parent = nullptr);

    // A new command owned by the table; registering a name twice is a fault (the first stays).
    QAction *Add(const QString &name, const QString &caption);
    // An action made elsewhere (a submenu's own action, a control's command) under a name.
    QAction *Register(const QString &name, QAction *action);
    // A separator is an item with a name too, so that others can insert before it.
    QAction *AddSeparator(const QString &name);
    // The command of that name, or none.
    QAction *Find(const QString &name) const;

    // Makes `menu` known under `menuName` and appends the named items to it.
    void DefineMenu(const QString &menuName, QMenu *menu, const QStringList &items = {});
    // Puts a registered command into a known menu, before the item `before` (at the end when
    // `before` is empty or not in that menu).
    void Insert(const QString &menuName, const QString &name, const QString &before = QString());
    QMenu *Menu(const QString &menuName) const;
    // The names of the items the table put into a menu, top to bottom.
    QStringList Items(const QString &menuName) const;

private:
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QStringList> m_items;
};
