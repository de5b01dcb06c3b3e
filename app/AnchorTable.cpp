#include "AnchorTable.h"

void TAnchorTable::Add(QWidget *w, const QRect &design, Qt::Edges anchors)
{
    w->setGeometry(design);
    m_entries.push_back({w, design, anchors});
}

QRect TAnchorTable::Design(const QWidget *w) const
{
    for (const Entry &e : m_entries)
        if (e.widget == w)
            return e.design;
    return {};
}

QSize TAnchorTable::designSizeOf(const QWidget *parent) const
{
    const QRect r = Design(parent);
    return r.isEmpty() ? m_design : r.size();
}

void TAnchorTable::Apply(const QWidget *parent) const
{
    const QSize delta = parent->size() - designSizeOf(parent);
    for (const Entry &e : m_entries) {
        QWidget *w = e.widget;
        if (!w || w->parentWidget() != parent)
            continue;
        QRect g = w->geometry();
        if (e.anchors.testFlags(Qt::LeftEdge | Qt::RightEdge)) {
            g.setLeft(e.design.left());
            g.setWidth(e.design.width() + delta.width());
        } else if (e.anchors.testFlag(Qt::RightEdge)) {
            g.moveLeft(e.design.left() + delta.width());
        }
        if (e.anchors.testFlags(Qt::TopEdge | Qt::BottomEdge)) {
            g.setTop(e.design.top());
            g.setHeight(e.design.height() + delta.height());
        } else if (e.anchors.testFlag(Qt::BottomEdge)) {
            g.moveTop(e.design.top() + delta.height());
        }
        w->setGeometry(g);
    }
}
