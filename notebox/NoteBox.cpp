#include "NoteBox.h"

#include "NotePaste.h"
#include "RtfCodec.h"
#include "WeekNotes.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QIODevice>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>
#include <vector>

TNoteBox::TNoteBox(QWidget *parent) : QTextEdit(parent), m_doc(new TNoteDocument(this))
{
    setDocument(m_doc);
    setFrameShape(QFrame::NoFrame);
    const QFont f = DefaultFont();
    setFont(f);
    document()->setDefaultFont(f);
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, p.color(group, QPalette::WindowText));
    // A kept selection looks the same with and without the focus.
    p.setBrush(QPalette::Inactive, QPalette::Highlight, p.brush(QPalette::Active, QPalette::Highlight));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText, p.brush(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(m_doc, &TNoteDocument::changed, this, &TNoteBox::changed);
    // The emptied document would hide a shown scroll bar, and the new text, laid out at the
    // wider width, would bring it back and be laid out again: a second layout of every box
    // on each week switch. A bar shown stays through the replacement.
    connect(m_doc, &TNoteDocument::aboutToReplace, this, [this] {
        m_barHeld = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && verticalScrollBar()->maximum() > 0;
        if (m_barHeld)
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    });
    connect(m_doc, &TNoteDocument::replaced, this, [this] {
        if (std::exchange(m_barHeld, false))
            setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setTextCursor(QTextCursor(m_doc));
        m_hidden.reset();
    });
    // A day that could not be read takes no typing.
    connect(m_doc, &TNoteDocument::readableChanged, this, [this](bool readable) {
        setReadOnly(!readable);
        setPlaceholderText(readable ? QString() : QString::fromUtf8(TWeekNotes::DayNotReadText));
    });
}

QFont TNoteBox::DefaultFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(15);
    // Hinting runs the auto-hinter over every Chinese glyph the notes use, which made showing a
    // week of notes twice as costly; at this size the glyphs look the same without it.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// --- whole content ---------------------------------------------------------------

QByteArray TNoteBox::RtfContent() const { return m_doc->RtfContent(); }

void TNoteBox::SaveToStream(QIODevice &stream) const { stream.write(RtfContent()); }

void TNoteBox::LoadFromStream(QIODevice &stream) { m_doc->LoadFromBytes(stream.readAll()); }

void TNoteBox::LoadFromBytes(const QByteArray &bytes) { m_doc->LoadFromBytes(bytes); }

void TNoteBox::SetTextEmpty() { m_doc->LoadFromBytes(QByteArray()); }

QString TNoteBox::PlainText() const { return m_doc->PlainText(); }

QStringList TNoteBox::PlainLines() const { return m_doc->PlainLines(); }

// --- editing ---------------------------------------------------------------------

void TNoteBox::ClearSelection()
{
    if (isReadOnly())
        return;
    QTextCursor c = textCursor();
    c.removeSelectedText();
    setTextCursor(c);
}

void TNoteBox::ReplaceSelection(const QString &text)
{
    if (isReadOnly())
        return;
    QTextCursor c = textCursor();
    QTextCharFormat f = c.charFormat();
    if (c.hasSelection()) {
        QTextCursor first(document());
        first.setPosition(c.selectionStart() + 1);
        f = first.charFormat();
    }
    f.clearProperty(QTextFormat::ObjectType);
    c.insertText(text, f);
    setTextCursor(c);
}

// --- attributes ------------------------------------------------------------------

QColor TNoteBox::SelectionColor() const
{
    const QBrush b = textCursor().charFormat().foreground();
    return b.style() == Qt::NoBrush ? palette().color(QPalette::Text) : b.color();
}

void TNoteBox::applyToSelection(const std::function<void(QTextCharFormat &)> &change)
{
    if (isReadOnly())
        return;
    QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        QTextCharFormat f = c.charFormat();
        change(f);
        setCurrentCharFormat(f);
        return;
    }
    // Each piece keeps what the change does not touch.
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    struct Piece {
        int from, to;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    for (QTextBlock b = document()->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const int from = qMax(start, fr.position());
            const int to = qMin(end, fr.position() + fr.length());
            if (from < to) {
                QTextCharFormat f = fr.charFormat();
                change(f);
                pieces.push_back({from, to, f});
            }
        }
    }
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (const Piece &p : pieces) {
        edit.setPosition(p.from);
        edit.setPosition(p.to, QTextCursor::KeepAnchor);
        edit.setCharFormat(p.format);
    }
    edit.endEditBlock();
}

void TNoteBox::SetSelectionColor(const QColor &color)
{
    applyToSelection([&](QTextCharFormat &f) { f.setForeground(color); });
}

void TNoteBox::SetSelectionFontName(const QString &face)
{
    applyToSelection([&](QTextCharFormat &f) {
        f.setFontFamilies(QStringList{face});
        f.clearProperty(rtf::CharsetProperty);
    });
}

void TNoteBox::SetSelectionSize(int points)
{
    if (points <= 0)
        return;
    applyToSelection([&](QTextCharFormat &f) {
        f.clearProperty(QTextFormat::FontPixelSize);
        f.setFontPointSize(points);
    });
}

void TNoteBox::SetSelectionHeight(int pixels)
{
    if (pixels <= 0)
        return;
    applyToSelection([&](QTextCharFormat &f) {
        f.clearProperty(QTextFormat::FontPointSize);
        f.setProperty(QTextFormat::FontPixelSize, pixels);
    });
}

void TNoteBox::SetSelectionPitch(TFontPitch pitch)
{
    applyToSelection([&](QTextCharFormat &f) {
        if (pitch == TFontPitch::fpDefault)
            f.clearProperty(QTextFormat::FontFixedPitch);
        else
            f.setFontFixedPitch(pitch == TFontPitch::fpFixed);
    });
}

void TNoteBox::SetSelectionCharset(int charset)
{
    applyToSelection([&](QTextCharFormat &f) { f.setProperty(rtf::CharsetProperty, charset); });
}

void TNoteBox::SetSelectionStyle(TFontStyles styles)
{
    applyToSelection([&](QTextCharFormat &f) {
        f.setFontWeight(styles.testFlag(fsBold) ? QFont::Bold : QFont::Normal);
        f.setFontItalic(styles.testFlag(fsItalic));
        f.setFontUnderline(styles.testFlag(fsUnderline));
        f.setFontStrikeOut(styles.testFlag(fsStrikeOut));
    });
}

void TNoteBox::SetSelectionProtected(bool) {}

void TNoteBox::SetSelectionFont(const QFont &font, const QColor &color, int charset)
{
    const QString face = font.families().value(0, font.family());
    applyToSelection([&](QTextCharFormat &f) {
        if (!face.isEmpty()) {
            f.setFontFamilies(QStringList{face});
            f.clearProperty(rtf::CharsetProperty);
        }
        if (color.isValid())
            f.setForeground(color);
        if (font.pixelSize() > 0) {
            f.clearProperty(QTextFormat::FontPointSize);
            f.setProperty(QTextFormat::FontPixelSize, font.pixelSize());
        } else if (font.pointSizeF() > 0) {
            f.clearProperty(QTextFormat::FontPixelSize);
            f.setFontPointSize(font.pointSizeF());
        }
        if (font.fixedPitch())
            f.setFontFixedPitch(true);
        else
            f.clearProperty(QTextFormat::FontFixedPitch);
        if (charset >= 0)
            f.setProperty(rtf::CharsetProperty, charset);
        f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
        f.setFontItalic(font.italic());
        f.setFontUnderline(font.underline());
        f.setFontStrikeOut(font.strikeOut());
    });
}

// --- look ------------------------------------------------------------------------

void TNoteBox::SetBackground(const QColor &color)
{
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, color);
    setPalette(p);
}

QColor TNoteBox::Background() const { return palette().color(QPalette::Base); }

void TNoteBox::setPopupMenu(QMenu *menu) { m_popup = menu; }

QMenu *TNoteBox::popupMenu() const { return m_popup; }

void TNoteBox::focusInEvent(QFocusEvent *e)
{
    QTextEdit::focusInEvent(e);
    if (m_hidden && m_hidden->revision == document()->revision()) {
        QTextCursor c(document());
        c.setPosition(qMin(m_hidden->anchor, document()->characterCount() - 1));
        c.setPosition(qMin(m_hidden->position, document()->characterCount() - 1), QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    m_hidden.reset();
}

void TNoteBox::focusOutEvent(QFocusEvent *e)
{
    QTextEdit::focusOutEvent(e);
    // The box's own popup menu does not take the box's focus away.
    if (e->reason() == Qt::PopupFocusReason)
        return;
    const QTextCursor c = textCursor();
    if (!m_keepSelection && c.hasSelection()) {
        m_hidden = HiddenSelection{c.anchor(), c.position(), document()->revision()};
        QTextCursor collapsed = c;
        collapsed.clearSelection();
        setTextCursor(collapsed);
    }
    emit exited();
}

void TNoteBox::contextMenuEvent(QContextMenuEvent *e)
{
    emit contextMenuRequested(e->globalPos());
    if (m_popup)
        m_popup->popup(e->globalPos());
    e->accept();
}

bool TNoteBox::canInsertFromMimeData(const QMimeData *source) const
{
    return !isReadOnly() && notepaste::CanInsert(source);
}

void TNoteBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly())
        return;
    notepaste::Limits limits;
    limits.showWidth = qMax(16, viewport()->width() - 2 * int(document()->documentMargin()) - 2);
    // A picture copied from another box is named, not carried: its bytes are that box's.
    const auto lookup = [](const QString &name) {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *box = qobject_cast<TNoteBox *>(w)) {
                const QByteArray bytes =
                    box->document()->resource(rtf::PictureBytesResource, rtf::PictureBytesName(name)).toByteArray();
                if (!bytes.isEmpty())
                    return bytes;
            }
        return QByteArray();
    };
    QTextCursor c = textCursor();
    notepaste::Insert(source, c, limits, lookup);
    setTextCursor(c);
    ensureCursorVisible();
}
