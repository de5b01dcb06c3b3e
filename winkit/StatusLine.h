#pragma once
// The main window's one-line status: each source keeps one message, and the line shows
// them in order of weight, heaviest first, so that a lighter message never hides a
// heavier one. What does not fit is cut at the end; the tooltip holds the whole line.
#include <QLabel>

#include <array>

class TStatusLine : public QLabel {
    Q_OBJECT
public:
    // Heaviest first.
    enum Source { SaveFailure, ReadFailure, SyncState, Reminder, Information, SourceCount };

    explicit TStatusLine(QWidget *parent = nullptr);

    // The source's message; an empty text clears it and reveals the lighter ones.
    void Set(Source source, const QString &text);
    void Clear(Source source) { Set(source, QString()); }
    QString Message(Source source) const { return m_messages[source]; }
    // Every message that is set, heaviest first, as the tooltip shows them.
    QString FullText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();

    std::array<QString, SourceCount> m_messages;
};
