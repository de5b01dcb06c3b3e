#pragma once
// The note box: shows one day's notes document, with the operations the week view
// and its editing commands use.
#include "NoteDocument.h"

#include <QFlags>
#include <QPointer>
#include <QTextEdit>

#include <functional>
#include <optional>

class QIODevice;
class QMenu;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

class TNoteBox : public QTextEdit {
    Q_OBJECT
public:
    explicit TNoteBox(QWidget *parent = nullptr);

    TNoteDocument *noteDocument() const { return m_doc; }

    // --- whole content ---
    // Writes the whole content as one RTF document at the stream's position.
    void SaveToStream(QIODevice &stream) const;
    QByteArray RtfContent() const;
    // Replaces the whole content by the stream's bytes from its position on: RTF, or
    // plain text when they are not RTF; no bytes give an empty box. Undo starts afresh.
    void LoadFromStream(QIODevice &stream);
    void LoadFromBytes(const QByteArray &bytes);
    // Removes all text.
    void SetTextEmpty();

    // The text without formatting, lines joined by CR LF.
    QString PlainText() const;
    // The same as lines; an empty box is one empty line.
    QStringList PlainLines() const;

    bool HasInputFocus() const { return hasFocus(); }

    // --- editing (copy, cut, paste and undo are QTextEdit's own) ---
    void ClearSelection();
    // Replaces the selection, or inserts at the caret; the text takes the formatting
    // at the caret (with a selection: of its first character).
    void ReplaceSelection(const QString &text);

    // --- attributes of the selection, or of the text typed next ---
    QColor SelectionColor() const;
    void SetSelectionColor(const QColor &color);
    void SetSelectionFontName(const QString &face);
    void SetSelectionSize(int points);
    void SetSelectionHeight(int pixels);
    void SetSelectionPitch(TFontPitch pitch);
    // The RTF character set written for the text (134 = GB2312).
    void SetSelectionCharset(int charset);
    void SetSelectionStyle(TFontStyles styles);
    // The box has no protected text; switching it off leaves the content as it is.
    void SetSelectionProtected(bool on);
    // A font dialog's answer: name, colour, size, pitch, character set (the one that goes
    // with the face when negative), style, then the height.
    void SetSelectionFont(const QFont &font, const QColor &color, int charset = -1);

    // --- look ---
    void SetBackground(const QColor &color);
    QColor Background() const;
    // Whether the selection stays visible (and selected) when the box loses the focus;
    // otherwise it is hidden and comes back with the focus.
    void setKeepSelectionVisible(bool keep) { m_keepSelection = keep; }
    bool keepSelectionVisible() const { return m_keepSelection; }
    // The menu a right click opens; none by default.
    void setPopupMenu(QMenu *menu);
    QMenu *popupMenu() const;

    static QFont DefaultFont();

signals:
    // After every change of the content, also when the program replaces it.
    void changed();
    // The box lost the input focus (not to its own popup menu).
    void exited();
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    // Pastes and drops keep only what the note stores (NotePaste.h).
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void applyToSelection(const std::function<void(QTextCharFormat &)> &change);

    TNoteDocument *m_doc;
    bool m_keepSelection = false;
    QPointer<QMenu> m_popup;
    struct HiddenSelection {
        int anchor;
        int position;
        int revision;
    };
    std::optional<HiddenSelection> m_hidden;
    // A shown scroll bar held through a replacement of the content.
    bool m_barHeld = false;
};
