// What an input method needs of the text fields: the committed text arrives, the candidate
// window is placed at the caret, and the password fields keep the input method off.
#include "../store/store_fixture.h"

#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "loginLock.h"
#include "uDM.h"
#include "uMain.h"
#include "uSearchTxt.h"
#include "uYearlyDates.h"
#include "untPWSet.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class InputMethodTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(tdt::EncodeDateTime(2010, 6, 1, 9, 5, 0));
        dialogs::SetScripted(true);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        frm = std::make_unique<TMainFrm>();
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }
    // What an input method sends: the pinyin as it is typed, then the chosen characters.
    static void compose(QWidget *w, const QString &pinyin, const QString &chosen)
    {
        QInputMethodEvent preedit(pinyin, {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor,
                                                                        int(pinyin.size()), 1, QVariant())});
        QApplication::sendEvent(w, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(chosen);
        QApplication::sendEvent(w, &commit);
    }

    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
};

} // namespace

TEST_F(InputMethodTest, ChineseFromTheInputMethodReachesEveryTextField)
{
    TSearchTxtFrm search(frm.get());
    TYearlyDatesFrm yearly(dm, frm.get());
    struct Field {
        const char *name;
        QWidget *widget;
        std::function<QString()> text;
    };
    const Field fields[] = {
        {"note box", frm->redt[0], [&] { return frm->redt[0]->toPlainText(); }},
        {"search key", search.edtSearchKey, [&] { return search.edtSearchKey->text(); }},
        {"yearly date name", yearly.edtName, [&] { return yearly.edtName->text(); }},
    };
    for (const Field &f : fields) {
        SCOPED_TRACE(f.name);
        f.widget->window()->show();
        f.widget->setFocus();
        EXPECT_TRUE(f.widget->testAttribute(Qt::WA_InputMethodEnabled));
        EXPECT_TRUE(f.widget->inputMethodQuery(Qt::ImEnabled).toBool());
        compose(f.widget, "nihao", "你好");
        compose(f.widget, "shijie", "世界");
        EXPECT_EQ(f.text(), "你好世界");
    }
}

TEST_F(InputMethodTest, TheCandidateWindowSitsAtTheNoteBoxCaret)
{
    TNoteBox *box = frm->redt[2];
    box->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString("第一行\n第二行的中间");
    QApplication::sendEvent(box, &commit);
    // Where the method puts its window: the caret's rectangle, in the box's own coordinates.
    const QRect caret = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QRect expected = box->cursorRect().translated(box->viewport()->pos());
    EXPECT_EQ(caret, expected);
    EXPECT_TRUE(box->rect().contains(caret.center()));
    EXPECT_GT(caret.top(), box->fontMetrics().height() / 2) << "on the second line, not the first";
    // And while the pinyin is still being typed, at its end.
    QInputMethodEvent preedit("zhong", {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 5, 1, QVariant())});
    QApplication::sendEvent(box, &preedit);
    EXPECT_GT(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), caret.left());
}

TEST_F(InputMethodTest, PasswordFieldsKeepTheInputMethodOff)
{
    TLockLogin login(frm.get());
    TpwsetFrm pwset(frm.get());
    for (QLineEdit *e : {login.edtPW, pwset.edtPW1, pwset.edtPW2}) {
        SCOPED_TRACE(e->objectName().toStdString());
        EXPECT_FALSE(e->testAttribute(Qt::WA_InputMethodEnabled));
        EXPECT_TRUE(e->inputMethodHints().testFlags(Qt::ImhSensitiveData | Qt::ImhHiddenText));
    }
}
