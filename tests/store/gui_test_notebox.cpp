// The note box driven as a widget: its look, content in and out, notifications,
// editing, selection attributes, focus and the popup menu.
#include "NoteBox.h"
#include "RtfCodec.h"
#include "rtf_support.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void selectRange(TNoteBox &box, int from, int to)
{
    QTextCursor c(box.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
}

QTextCharFormat formatAt(const TNoteBox &box, int pos)
{
    QTextCursor c(box.document());
    c.setPosition(pos + 1);
    return c.charFormat();
}

// Two boxes in a shown, active window, so that focus moves for real.
class NoteBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        box = new TNoteBox(window.get());
        other = new TNoteBox(window.get());
        layout->addWidget(box);
        layout->addWidget(other);
        window->resize(400, 300);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        focus(box);
    }
    void focus(QWidget *w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(w->hasFocus());
    }
    std::unique_ptr<QWidget> window;
    TNoteBox *box = nullptr;
    TNoteBox *other = nullptr;
};

TEST_F(NoteBoxTest, LooksAsTheWeekViewWantsIt)
{
    EXPECT_EQ(box->frameShape(), QFrame::NoFrame);
    for (const QFont &f : {box->font(), box->document()->defaultFont()}) {
        EXPECT_EQ(f.families().value(0), u8("宋体"));
        EXPECT_EQ(f.pixelSize(), 15);
    }
    EXPECT_EQ(box->palette().color(QPalette::Text), box->palette().color(QPalette::WindowText));
    box->SetBackground(QColor(247, 247, 247));
    EXPECT_EQ(box->Background(), QColor(247, 247, 247));
    EXPECT_EQ(box->palette().color(QPalette::Inactive, QPalette::Base), QColor(247, 247, 247));
    // The background shows on screen.
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(shot.width() / 2, shot.height() - 3)), QColor(247, 247, 247));
}

TEST_F(NoteBoxTest, TypedChineseWithFormattingSurvivesTheStream)
{
    typeText(box, u8("今天开会"));
    box->ReplaceSelection(u8("\n"));
    typeText(box, u8("记得买菜 √"));
    selectRange(*box, 0, 2);
    box->SetSelectionColor(QColor(255, 0, 0));
    box->SetSelectionStyle(fsBold | fsUnderline);
    selectRange(*box, 2, 4);
    QFont hei(u8("黑体"));
    hei.setPixelSize(30);
    hei.setItalic(true);
    box->SetSelectionFont(hei, QColor(0, 0, 255));
    selectRange(*box, 5, 7);
    box->SetSelectionSize(20);
    box->SetSelectionStyle(fsStrikeOut);

    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    box->SaveToStream(out);
    out.close();
    EXPECT_TRUE(bytes.startsWith("{\\rtf1\\ansi\\ansicpg936"));

    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    other->LoadFromStream(in);
    EXPECT_EQ(LookOf(*other->document()), LookOf(*box->document()));
    EXPECT_EQ(other->PlainText(), u8("今天开会\r\n记得买菜 √"));
    const QFont f = formatAt(*other, 2).font();
    EXPECT_EQ(f.families().value(0), u8("黑体"));
    EXPECT_EQ(f.pixelSize(), 30);
    EXPECT_TRUE(f.italic());
    EXPECT_EQ(formatAt(*other, 0).foreground().color(), QColor(255, 0, 0));
}

TEST_F(NoteBoxTest, LoadingTakesRtfOrPlainTextOrNothingAndNotifiesOnce)
{
    QSignalSpy changes(box, &TNoteBox::changed);
    auto load = [&](const QByteArray &bytes) {
        QByteArray copy = bytes;
        QBuffer in(&copy);
        in.open(QIODevice::ReadOnly);
        changes.clear();
        box->LoadFromStream(in);
        EXPECT_EQ(changes.count(), 1);
    };
    load(ReadFixture("richedit_week.rtf"));
    EXPECT_TRUE(box->toPlainText().startsWith(u8("今天是 2010年6月1日(二)")));
    load(QByteArray::fromHex("c4e3bac30d0ab0c9")); // not RTF: GBK text
    EXPECT_EQ(box->PlainLines(), QStringList({u8("你好"), u8("吧")}));
    load(QByteArray());
    EXPECT_TRUE(box->document()->isEmpty());
    load(QByteArray()); // empty again: still one notification
    changes.clear();
    box->SetTextEmpty();
    EXPECT_EQ(changes.count(), 1);
}

// A week switch between long notes keeps the scroll bar: the text area keeps its width, so
// the new text is laid out once, not again at a second width. A short note still drops it.
TEST_F(NoteBoxTest, TheScrollBarStaysThroughAReplacementThatNeedsIt)
{
    struct ResizeCount : QObject {
        int resizes = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            resizes += e->type() == QEvent::Resize;
            return false;
        }
    } counter;
    box->viewport()->installEventFilter(&counter);
    const auto lines = [](const char *word) {
        QString t;
        for (int i = 0; i < 40; ++i)
            t += u8(word) + QString::number(i) + QLatin1Char('\n');
        return t.toUtf8();
    };
    const int wide = box->viewport()->width();
    box->LoadFromBytes(lines("周会"));
    const int narrow = box->viewport()->width();
    ASSERT_LT(narrow, wide) << "a long note shows the bar";
    counter.resizes = 0;
    box->LoadFromBytes(lines("牙医"));
    EXPECT_EQ(counter.resizes, 0);
    EXPECT_EQ(box->viewport()->width(), narrow);
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    box->LoadFromBytes("short");
    EXPECT_EQ(box->viewport()->width(), wide);
    box->LoadFromBytes(lines("买票"));
    EXPECT_EQ(box->viewport()->width(), narrow);
}

TEST_F(NoteBoxTest, UndoAndTheCaretStartAfreshAfterALoad)
{
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    box->setCurrentCharFormat(red);
    typeText(box, "old");
    box->SetTextEmpty();
    EXPECT_FALSE(box->document()->isUndoAvailable());
    box->undo();
    EXPECT_TRUE(box->toPlainText().isEmpty()); // last week's text does not come back
    typeText(box, "new");
    EXPECT_EQ(formatAt(*box, 0).foreground().style(), Qt::NoBrush); // nor its colour
    box->undo();
    box->undo();
    EXPECT_FALSE(box->toPlainText().contains("old"));
}

TEST_F(NoteBoxTest, PlainTextJoinsLinesWithCrLf)
{
    EXPECT_EQ(box->PlainText(), QString());
    EXPECT_EQ(box->PlainLines(), QStringList({QString()})); // an empty box is one empty line
    box->LoadFromBytes("{\\rtf1 one\\par two\\line three\\par\\par}");
    EXPECT_EQ(box->PlainText(), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(box->PlainLines(), QStringList({"one", "two", "three", ""}));
}

TEST_F(NoteBoxTest, ChangeOnTypingAndFormattingExitOnFocusLoss)
{
    QSignalSpy changes(box, &TNoteBox::changed);
    QSignalSpy exits(box, &TNoteBox::exited);
    typeText(box, u8("字"));
    EXPECT_EQ(changes.count(), 1);
    changes.clear();
    box->selectAll();
    box->SetSelectionColor(QColor(0, 128, 0)); // formatting only
    EXPECT_GE(changes.count(), 1);
    changes.clear();
    box->moveCursor(QTextCursor::End);
    box->SetSelectionColor(QColor(0, 0, 255)); // only the text typed next: no change of content
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(box->HasInputFocus());
    EXPECT_EQ(exits.count(), 0);
    focus(other);
    EXPECT_FALSE(box->HasInputFocus());
    EXPECT_TRUE(other->HasInputFocus());
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(NoteBoxTest, ClipboardDeleteAndUndo)
{
    typeText(box, "abc");
    box->selectAll();
    box->cut();
    EXPECT_EQ(box->toPlainText(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    box->paste();
    box->paste();
    EXPECT_EQ(box->toPlainText(), "abcabc");
    selectRange(*box, 1, 3);
    box->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "bc");
    box->ClearSelection();
    EXPECT_EQ(box->toPlainText(), "aabc");
    box->undo();
    EXPECT_EQ(box->toPlainText(), "abcabc");
}

TEST_F(NoteBoxTest, ReplaceSelectionTakesTheFormattingAtTheCaret)
{
    // A marker: colour for the text typed next, then the block, then typing goes on in that colour.
    typeText(box, "ab");
    box->SetSelectionColor(QColor(255, 0, 255));
    box->ReplaceSelection(u8("█"));
    typeText(box, "c");
    EXPECT_EQ(box->toPlainText(), u8("ab█c"));
    EXPECT_EQ(formatAt(*box, 1).foreground().style(), Qt::NoBrush);
    EXPECT_EQ(formatAt(*box, 2).foreground().color(), QColor(255, 0, 255));
    EXPECT_EQ(formatAt(*box, 3).foreground().color(), QColor(255, 0, 255));

    // With a selection: the selection goes, the mark takes its first character's look.
    selectRange(*box, 0, 1);
    box->SetSelectionStyle(fsBold);
    selectRange(*box, 0, 2);
    box->ReplaceSelection(u8("√"));
    EXPECT_EQ(box->toPlainText(), u8("√█c"));
    EXPECT_TRUE(formatAt(*box, 0).font().bold());
    // The whole insertion is one undo step.
    box->undo();
    EXPECT_EQ(box->toPlainText(), u8("ab█c"));
}

TEST_F(NoteBoxTest, SelectionAttributesTouchOnlyTheSelection)
{
    typeText(box, "abcdef");
    selectRange(*box, 1, 3);
    box->SetSelectionFontName("Arial");
    box->SetSelectionHeight(24);
    box->SetSelectionPitch(TFontPitch::fpFixed);
    box->SetSelectionStyle(fsItalic | fsStrikeOut);
    box->SetSelectionCharset(0);
    box->SetSelectionProtected(false);
    for (int i : {1, 2}) {
        const QTextCharFormat f = formatAt(*box, i);
        EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Arial");
        EXPECT_EQ(f.intProperty(QTextFormat::FontPixelSize), 24);
        EXPECT_TRUE(f.fontFixedPitch());
        EXPECT_TRUE(f.fontItalic());
        EXPECT_TRUE(f.fontStrikeOut());
        EXPECT_EQ(f.fontWeight(), QFont::Normal);
    }
    for (int i : {0, 3, 4, 5}) {
        EXPECT_FALSE(formatAt(*box, i).hasProperty(QTextFormat::FontFamilies)) << i;
        EXPECT_FALSE(formatAt(*box, i).fontItalic()) << i;
    }
    // Points replace pixels and the other way round; the last one given counts.
    box->SetSelectionSize(20);
    EXPECT_FALSE(formatAt(*box, 1).hasProperty(QTextFormat::FontPixelSize));
    EXPECT_EQ(formatAt(*box, 1).fontPointSize(), 20);
    EXPECT_TRUE(box->RtfContent().contains("{\\f1\\fnil\\fprq1\\fcharset0 Arial;}"));
    EXPECT_TRUE(box->RtfContent().contains("\\f1\\fs40\\i\\strike bc"));

    // A font dialog's answer: name, colour, size and style at once, pixels last.
    selectRange(*box, 4, 6);
    QFont big(u8("黑体"));
    big.setPixelSize(30);
    big.setBold(true);
    box->SetSelectionFont(big, QColor(0, 0, 255));
    const QTextCharFormat f = formatAt(*box, 5);
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), u8("黑体"));
    EXPECT_EQ(f.foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(f.font().bold());
    EXPECT_EQ(f.font().pixelSize(), 30);
    EXPECT_EQ(box->SelectionColor(), QColor(0, 0, 255));
    box->moveCursor(QTextCursor::Start);
    EXPECT_EQ(box->SelectionColor(), box->palette().color(QPalette::Text));
}

TEST_F(NoteBoxTest, SelectionIsKeptOrHiddenAtFocusLoss)
{
    other->setKeepSelectionVisible(true);
    for (TNoteBox *b : {box, other}) {
        b->LoadFromBytes("hello");
        selectRange(*b, 1, 4);
    }
    focus(box);
    focus(other); // box loses the focus: its selection is hidden
    EXPECT_FALSE(box->textCursor().hasSelection());
    focus(box); // and comes back with the focus
    EXPECT_EQ(box->textCursor().selectedText(), "ell");
    // The kept one stays selected while the other box has the focus.
    EXPECT_EQ(other->textCursor().selectedText(), "ell");
    EXPECT_EQ(other->palette().brush(QPalette::Inactive, QPalette::Highlight),
              other->palette().brush(QPalette::Active, QPalette::Highlight));
    // A hidden selection does not come back over a changed text.
    focus(other);
    box->LoadFromBytes("changed");
    focus(box);
    EXPECT_FALSE(box->textCursor().hasSelection());
}

TEST_F(NoteBoxTest, RightClickOpensThePopupMenuWithoutAFocusLoss)
{
    QMenu menu;
    menu.addAction("x");
    box->setPopupMenu(&menu);
    EXPECT_EQ(box->popupMenu(), &menu);
    QSignalSpy asked(box, &TNoteBox::contextMenuRequested);
    QSignalSpy exits(box, &TNoteBox::exited);
    box->LoadFromBytes("text");
    box->selectAll();
    const QPoint at(20, 10);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, box->viewport()->mapToGlobal(at));
    QApplication::sendEvent(box->viewport(), &e);
    EXPECT_EQ(asked.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }));
    EXPECT_EQ(exits.count(), 0);
    EXPECT_TRUE(box->textCursor().hasSelection()); // the menu's commands act on it
    menu.close();
    // Without a menu a right click opens nothing of its own.
    box->setPopupMenu(nullptr);
    QApplication::sendEvent(box->viewport(), &e);
    EXPECT_EQ(asked.count(), 2);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(NoteBoxTest, AReadOnlyBoxRefusesTheEditingCommands)
{
    box->LoadFromBytes("keep");
    box->setReadOnly(true);
    box->selectAll();
    typeText(box, "x");
    box->ReplaceSelection("y");
    box->ClearSelection();
    box->SetSelectionColor(QColor(255, 0, 0));
    box->paste();
    box->cut();
    EXPECT_EQ(box->toPlainText(), "keep");
    EXPECT_EQ(formatAt(*box, 0).foreground().style(), Qt::NoBrush);
}

} // namespace
