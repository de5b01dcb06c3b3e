#pragma once
// One day's notes as a document: its stored form is our RTF (RtfCodec.h), its plain
// text has CR LF line ends. The note box shows it; the week load and save fill and
// read it without any widget.
#include <QTextDocument>

class QIODevice;

class TNoteDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit TNoteDocument(QObject *parent = nullptr);

    // The whole content as one RTF document.
    QByteArray RtfContent() const;
    // Replaces the whole content by the bytes: RTF, or plain text when they are not
    // RTF; no bytes give an empty document. Undo starts afresh, the default font stays.
    // A note of more than MaxShownChars characters gives its beginning only: false then.
    bool LoadFromBytes(const QByteArray &bytes);
    // More text than this cannot be laid out and edited without the window stalling for
    // seconds on every load and keystroke.
    static constexpr qsizetype MaxShownChars = 300000;
    // The text without formatting, lines joined by CR LF.
    QString PlainText() const;
    // The same as lines; an empty document is one empty line.
    QStringList PlainLines() const;

    // Whether the document shows what its row holds: one that could not be read is not
    // to be typed into, since nothing typed there could be saved.
    bool Readable() const { return m_readable; }
    void SetReadable(bool readable);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // After every change of the content; a replacement by LoadFromBytes reports once.
    void changed();
    // LoadFromBytes is about to replace the content.
    void aboutToReplace();
    // LoadFromBytes has replaced the content (reported before changed).
    void replaced();
    void readableChanged(bool readable);

private:
    bool m_replacing = false;
    bool m_readable = true;
};
