#pragma once
// Every message box and standard dialog of the program opens here, so that tests can
// queue the next answer and read what was shown instead of blocking on a modal window.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class QWidget;

namespace dialogs {

// The program's title, the caption of its message boxes. It is not the application's display
// name, which the system would append to every window's title.
void SetProgramTitle(const QString &title);

// A plain message box with one OK button; its caption is the program's title unless given.
void ShowMessage(const QString &text, QWidget *parent = nullptr, const QString &caption = QString());
// The generic error display: shows the error and lets the program go on.
void ShowError(const QString &text, QWidget *parent = nullptr);

// A question with buttons of the given captions, the first one the default and the
// answer to Escape; the index of the button chosen, -1 when the box was closed.
int Ask(const QString &text, const QStringList &buttons, QWidget *parent = nullptr);

// A null string when cancelled. An existing file is chosen without a question: the caller
// replaces it.
// Filters are separated by ";;"; `selectedFilter`, when given, gets the one the user chose.
QString GetSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                        QString *selectedFilter = nullptr);
QStringList GetOpenFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
// Qt's own colour dialog, which always shows its custom colours.
std::optional<QColor> GetColor(const QColor &initial, QWidget *parent = nullptr);
// A face that is not installed opens on the face that draws it here; accepting that face and
// the size as shown gives back the font asked for, name and pixel size.
std::optional<QFont> GetFont(const QFont &initial, QWidget *parent = nullptr);

// --- test seam ---------------------------------------------------------------
// While scripted, no real dialog opens: each call takes the next queued answer
// (QString for a file name, QStringList for file names (for a save: the name and the chosen filter), QColor, QFont, int for Ask; an invalid
// QVariant means "cancelled"); with nothing queued the dialog counts as cancelled.
void SetScripted(bool on);
void QueueAnswer(const QVariant &answer);
// Texts of the message boxes and errors shown so far, and what each dialog was asked with.
struct Shown {
    QString kind;    // "message", "error", "ask", "save", "open", "color", "font"
    QString text;    // message text, or the dialog's caption
    QVariant detail; // filter, initial colour or font; a message's own caption when it has one; Ask's buttons
};
QList<Shown> TakeShown();

} // namespace dialogs
