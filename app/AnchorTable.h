#pragma once
// Where the main window's controls stand: each one's rectangle at its parent's design size
// and the parent's edges it keeps its distance to. The same table places the controls when
// they are built and again whenever a parent is resized.
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

class TAnchorTable {
public:
    // The design size of the top parent; a parent that is itself in the table takes its own.
    explicit TAnchorTable(QSize design) : m_design(design) {}

    // Puts the control at its design rectangle. Along an axis where both edges are anchored
    // it stretches with its parent; where only the right or bottom one is, it moves with it;
    // otherwise that axis is left to whoever placed the control (the control stays put, or a
    // formula of the week view sets it).
    void Add(QWidget *w, const QRect &design, Qt::Edges anchors);

    // Lays out the controls whose parent is `parent` for its current size.
    void Apply(const QWidget *parent) const;

    // The rectangle a control was given in the table (empty when it is not in it).
    QRect Design(const QWidget *w) const;

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRect design;
        Qt::Edges anchors;
    };
    QSize designSizeOf(const QWidget *parent) const;

    QSize m_design;
    std::vector<Entry> m_entries;
};
