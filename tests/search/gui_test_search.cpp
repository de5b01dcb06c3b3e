// The keyword search window: its reset on creation and on every showing, the trimmed keyword.
#include "Dialogs.h"
#include "PictureButton.h"
#include "uSearchTxt.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

void TypeText(QWidget *w, const QString &text)
{
    for (const uint cp : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown,
                            QString::fromUcs4(reinterpret_cast<const char32_t *>(&cp), 1), Qt::NoModifier);
}

void Dirty()
{
    SearchPos = 3;
    SearchDates = {40330.0, 40331.5, 40400.25};
}

} // namespace

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialogs::SetScripted(true);
        main.resize(913, 530);
        main.move(60, 40);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    void TearDown() override
    {
        delete frm;
        dialogs::SetScripted(false);
    }
    void create()
    {
        frm = new TSearchTxtFrm(&main);
    }
    void open()
    {
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
    }

    QWidget main;
    TSearchTxtFrm *frm = nullptr;
};

TEST_F(SearchTest, CreationResetsThePosition)
{
    Dirty();
    create();
    EXPECT_EQ(SearchPos, -1);
    EXPECT_TRUE(SearchDates.empty());
}

TEST_F(SearchTest, EveryShowingResetsFieldButtonAndState)
{
    create();
    for (int round = 0; round < 3; ++round) {
        TypeText(frm->edtSearchKey, QString::fromUtf8("周报 %1").arg(round));
        frm->btnLast->setEnabled(true);
        Dirty();
        open();
        EXPECT_TRUE(frm->edtSearchKey->text().isEmpty()) << round;
        EXPECT_FALSE(frm->btnLast->isEnabled());
        EXPECT_TRUE(frm->btnqryNetxt->isEnabled());
        EXPECT_EQ(SearchPos, -1);
        EXPECT_TRUE(SearchDates.empty());
        TypeText(frm->edtSearchKey, QStringLiteral("typed while open"));
        QTest::mouseClick(frm->imgClose, Qt::LeftButton);
        EXPECT_FALSE(frm->isVisible());
    }
}

TEST_F(SearchTest, MenuItemShowsTheWindowNotModal)
{
    TSearchTxtFrm *const previous = SearchTxtFrm;
    create();
    SearchTxtFrm = frm;
    Dirty();
    N_SearcheClick(&main);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(frm->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(SearchPos, -1);
    EXPECT_TRUE(SearchDates.empty());

    // Asking again while it is open only brings it forward: it is no new showing.
    TypeText(frm->edtSearchKey, QStringLiteral("kept"));
    N_SearcheClick(&main);
    EXPECT_EQ(frm->edtSearchKey->text(), "kept");
    SearchTxtFrm = previous;
}

struct KeyCase {
    const char *name;
    QString typed;
    QString keyword;
};

class KeywordTest : public SearchTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeywordTest, FindNextTakesTheTrimmedKeywordAndDoesNothingElse)
{
    create();
    open();
    TypeText(frm->edtSearchKey, GetParam().typed);
    Dirty();
    EXPECT_EQ(frm->btnqryNetxtClick(), GetParam().keyword);
    QTest::mouseClick(frm->btnqryNetxt, Qt::LeftButton);
    EXPECT_EQ(frm->edtSearchKey->text(), GetParam().typed);
    EXPECT_EQ(SearchPos, 3);
    EXPECT_EQ(SearchDates.size(), 3u);
    EXPECT_FALSE(frm->btnLast->isEnabled());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Keywords, KeywordTest,
                         ::testing::Values(KeyCase{"Plain", "abc", "abc"},
                                           KeyCase{"BlanksAround", "  会议  ", QString::fromUtf8("会议")},
                                           KeyCase{"InnerBlanksKept", " a  b ", "a  b"},
                                           KeyCase{"FullWidthBlanks", QString::fromUtf8("\u3000周报\u3000"), QString::fromUtf8("周报")},
                                           KeyCase{"OnlyBlanks", "   ", ""},
                                           KeyCase{"Empty", "", ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SearchTest, PreviousHasNoAction)
{
    create();
    open();
    frm->btnLast->setEnabled(true);
    TypeText(frm->edtSearchKey, QStringLiteral("x"));
    Dirty();
    QTest::mouseClick(frm->btnLast, Qt::LeftButton);
    EXPECT_EQ(SearchPos, 3);
    EXPECT_EQ(frm->edtSearchKey->text(), "x");
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(dialogs::TakeShown().isEmpty());
}

TEST_F(SearchTest, Look)
{
    create();
    open();
    EXPECT_EQ(frm->size(), QSize(564, 179));
    EXPECT_TRUE(frm->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_LE((frm->geometry().center() - main.frameGeometry().center()).manhattanLength(), 1);
    EXPECT_EQ(frm->lblTitle->text(), QString::fromUtf8("查找"));
    EXPECT_TRUE(frm->lblTitle->font().bold());
    EXPECT_EQ(frm->lblTitle->font().pixelSize(), 14);
    EXPECT_EQ(frm->lblTitle->font().family(), QString::fromUtf8("微软雅黑"));
    EXPECT_EQ(frm->lblKey->text(), QString::fromUtf8("关键字："));
    EXPECT_EQ(frm->btnLast->text(), QString::fromUtf8("上一个"));
    EXPECT_EQ(frm->btnqryNetxt->text(), QString::fromUtf8("查找下一个"));
    EXPECT_LT(frm->btnLast->x(), frm->btnqryNetxt->x());
    EXPECT_GT(frm->btnLast->y(), 179 / 2);
    EXPECT_GT(frm->imgClose->x(), 564 - 40);
    EXPECT_LT(frm->imgClose->y(), 10);
    const QImage shot = frm->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 90), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(563, 178), QColor(128, 128, 128));
}

TEST_F(SearchTest, DraggedByTheBackground)
{
    create();
    open();
    const QPoint before = frm->pos();
    const QPoint at(300, 130);
    QTest::mousePress(frm->shpFrame, Qt::LeftButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, at + QPoint(12, -7), frm->shpFrame->mapToGlobal(at + QPoint(12, -7)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frm->shpFrame, &move);
    QTest::mouseRelease(frm->shpFrame, Qt::LeftButton, {}, at + QPoint(12, -7));
    EXPECT_EQ(frm->pos(), before + QPoint(12, -7));
}
