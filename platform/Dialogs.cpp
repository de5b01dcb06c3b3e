#include "Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

namespace dialogs {
namespace {

bool g_scripted = false;
QString g_title;
QQueue<QVariant> g_answers;
QList<Shown> g_shown;

QVariant nextAnswer()
{
    return g_answers.isEmpty() ? QVariant() : g_answers.dequeue();
}

QString appTitle()
{
    return g_title.isEmpty() ? QApplication::applicationName() : g_title;
}

// Qt's dialogs split a filter's patterns at blanks only; the Windows form "(*.a;*.b,*.c)"
// would otherwise be one pattern that matches no file.
QString qtFilter(QString filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return filter;
    QString patterns = filter.mid(open + 1, close - open - 1);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char(' '));
    return filter.left(open + 1) + patterns.simplified() + filter.mid(close);
}

} // namespace

void SetProgramTitle(const QString &title) { g_title = title; }

void SetScripted(bool on)
{
    g_scripted = on;
    g_answers.clear();
    g_shown.clear();
}

void QueueAnswer(const QVariant &answer) { g_answers.enqueue(answer); }

QList<Shown> TakeShown()
{
    QList<Shown> out;
    out.swap(g_shown);
    return out;
}

namespace {
// A dialog without an owner opens wherever the compositor puts a new window; one with an
// owner is its transient child and opens over it (Wayland ignores the place a program asks for).
QWidget *owner(QWidget *parent)
{
    if (parent)
        return parent;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip)
            return w;
    return nullptr;
}
} // namespace

void ShowMessage(const QString &text, QWidget *parent, const QString &caption)
{
    g_shown.append({"message", text, caption.isEmpty() ? QVariant() : QVariant(caption)});
    if (g_scripted)
        return;
    QMessageBox::information(owner(parent), caption.isEmpty() ? appTitle() : caption, text);
}

void ShowError(const QString &text, QWidget *parent)
{
    g_shown.append({"error", text, {}});
    if (g_scripted)
        return;
    QMessageBox::critical(owner(parent), appTitle(), text);
}

int Ask(const QString &text, const QStringList &buttons, QWidget *parent)
{
    g_shown.append({"ask", text, buttons});
    if (g_scripted) {
        const QVariant a = nextAnswer();
        return a.isValid() ? a.toInt() : -1;
    }
    QMessageBox box(QMessageBox::Warning, appTitle(), text, QMessageBox::NoButton, owner(parent));
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons)
        added << box.addButton(caption, added.isEmpty() ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (!added.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton *>(added.first()));
        box.setEscapeButton(added.first());
    }
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

QString GetSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                        QString *selectedFilter)
{
    g_shown.append({"save", caption, dir + QLatin1Char('|') + filter});
    if (g_scripted) {
        const QVariant a = nextAnswer();
        if (a.typeId() != QMetaType::QStringList)
            return a.toString();
        const QStringList nameAndFilter = a.toStringList();
        if (selectedFilter)
            *selectedFilter = nameAndFilter.value(1);
        return nameAndFilter.value(0);
    }
    return QFileDialog::getSaveFileName(owner(parent), caption, dir, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

QStringList GetOpenFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    g_shown.append({"open", caption, filter});
    if (g_scripted)
        return nextAnswer().toStringList();
    return QFileDialog::getOpenFileNames(owner(parent), caption, dir, qtFilter(filter));
}

std::optional<QColor> GetColor(const QColor &initial, QWidget *parent)
{
    g_shown.append({"color", {}, initial});
    QColor c;
    if (g_scripted) {
        const QVariant a = nextAnswer();
        if (!a.isValid())
            return std::nullopt;
        c = a.value<QColor>();
    } else {
        // A desktop's own colour chooser may fold its custom colours away.
        c = QColorDialog::getColor(initial, owner(parent), QString(), QColorDialog::DontUseNativeDialog);
    }
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> GetFont(const QFont &initial, QWidget *parent)
{
    g_shown.append({"font", {}, initial});
    if (g_scripted) {
        const QVariant a = nextAnswer();
        if (!a.isValid())
            return std::nullopt;
        return a.value<QFont>();
    }
    // The dialog lists installed faces only and would otherwise open on the application's.
    const QString asked = initial.family();
    QFont shown = initial;
    if (!QFontDatabase::families().contains(asked))
        shown.setFamilies({QFontInfo(initial).family()});
    const int shownPoints = QFontInfo(shown).pointSize();
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, shown, owner(parent), QString(), QFontDialog::DontUseNativeDialog);
    if (!ok)
        return std::nullopt;
    if (f.family() == shown.family())
        f.setFamilies({asked});
    if (initial.pixelSize() > 0 && f.pointSize() == shownPoints)
        f.setPixelSize(initial.pixelSize());
    return f;
}

} // namespace dialogs
