#include "StatusLine.h"

#include <QStringList>

TStatusLine::TStatusLine(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("lblStatus"));
    hide();
}

void TStatusLine::Set(Source source, const QString &text)
{
    if (m_messages[source] == text)
        return;
    m_messages[source] = text;
    refresh();
}

QString TStatusLine::FullText() const
{
    QStringList set;
    for (const QString &m : m_messages)
        if (!m.isEmpty())
            set << m;
    return set.join(QStringLiteral("；"));
}

void TStatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void TStatusLine::refresh()
{
    const QString full = FullText();
    // Cut at the end: the heaviest message stands first and is the last to go.
    setText(fontMetrics().elidedText(full, Qt::ElideRight, width()));
    setToolTip(full);
    setVisible(!full.isEmpty());
}
