#include "NoteDocument.h"

#include "RtfCodec.h"

TNoteDocument::TNoteDocument(QObject *parent) : QTextDocument(parent)
{
    connect(this, &QTextDocument::contentsChanged, this, [this] {
        if (!m_replacing)
            emit changed();
    });
}

QByteArray TNoteDocument::RtfContent() const { return rtf::Write(*this); }

bool TNoteDocument::LoadFromBytes(const QByteArray &bytes)
{
    m_replacing = true;
    emit aboutToReplace();
    const QFont def = defaultFont();
    // What was there before is not something to undo back to.
    setUndoRedoEnabled(false);
    const bool whole = rtf::LoadAtMost(bytes, *this, MaxShownChars);
    setDefaultFont(def);
    setUndoRedoEnabled(true);
    setModified(false);
    emit replaced();
    m_replacing = false;
    emit changed();
    return whole;
}

// Pictures are no text: their object character stays out of the plain text.
static QString textWithoutObjects(const QTextDocument &doc)
{
    QString t = doc.toPlainText();
    t.remove(QChar::ObjectReplacementCharacter);
    return t;
}

QString TNoteDocument::PlainText() const
{
    QString t = textWithoutObjects(*this);
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t;
}

QStringList TNoteDocument::PlainLines() const { return textWithoutObjects(*this).split(QLatin1Char('\n')); }

// A note's pictures are resources of its own, decoded when first shown; no name in a
// note reads a file.
QVariant TNoteDocument::loadResource(int type, const QUrl &name)
{
    if (type == QTextDocument::ImageResource && rtf::IsPictureName(name))
        if (const ResourceProvider provide = resourceProvider())
            return provide(name);
    return {};
}

void TNoteDocument::SetReadable(bool readable)
{
    if (readable == m_readable)
        return;
    m_readable = readable;
    emit readableChanged(readable);
}
