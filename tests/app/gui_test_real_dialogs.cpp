// The main window with Qt's real font, colour and save dialogs: each is found as it opens,
// answered, and the result read back from the database or the file system. Also the status
// line and the window's title as the user sees them.
#include "../store/store_fixture.h"

#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "Dialogs.h"
#include "EditCommands.h"
#include "NoteBox.h"
#include "QtTranslations.h"
#include "RtfCodec.h"
#include "SettingsFile.h"
#include "StatusLine.h"
#include "TImage.h"
#include "WeekExport.h"
#include "WeekNotes.h"
#include "WeekView.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QWindow>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

using namespace tdt;

namespace {

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

QByteArray fileBytes(const QString &p)
{
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Runs `command`; the first modal dialog of kind D that opens meanwhile is given to
// `answer`, which must close it. Any other modal window, or D left open, is noted and
// rejected, so that a question nobody expects fails the test instead of hanging it.
template <class D>
struct DialogAnswer {
    bool seen = false;
    QStringList unexpected;

    void run(const std::function<void()> &command, const std::function<void(D *)> &answer)
    {
        QTimer poll;
        QElapsedTimer since;
        poll.callOnTimeout([&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            auto *d = qobject_cast<D *>(modal);
            if (d && !seen) {
                seen = true;
                since.start();
                // Answered outside the watch, so that a question the answer raises is seen too.
                QTimer::singleShot(0, d, [d, &answer] { answer(d); });
                return;
            }
            if (d && since.elapsed() < 300)
                return;
            unexpected << QString::fromLatin1(modal->metaObject()->className());
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
        poll.start(20);
        command();
        poll.stop();
    }
};

// A program folder, a connected data module and a fixed clock; dialogs are real.
class RealDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0)); // a Tuesday
        dialogs::SetScripted(false);
        DMMessageSink = nullptr;
        ASSERT_TRUE(dm.ConnectDatabase());
        DM = &dm;
        frm = std::make_unique<TMainFrm>();
        frm->terminate = [] {};
        frm->show();
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        platform::SetNow(std::nullopt);
    }
    // The stored note of a day as a document.
    std::unique_ptr<QTextDocument> stored(const char *key)
    {
        auto doc = std::make_unique<QTextDocument>();
        dm.RunLookup(QString::fromLatin1(key));
        if (dm.qryData.RecordCount() > 0)
            rtf::Load(dm.qryData.ReadContent(), *doc);
        return doc;
    }
    QByteArray storedBytes(const char *key)
    {
        dm.RunLookup(QString::fromLatin1(key));
        return dm.qryData.RecordCount() > 0 ? dm.qryData.ReadContent() : QByteArray();
    }
    // Tuesday holds "周二的事" with "二的" selected, the box has the focus.
    void selectInTuesday()
    {
        TNoteBox *box = frm->redt[1];
        // Offscreen no window manager hands the activation back when a dialog closes.
        frm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
        box->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(box->hasFocus());
        typeText(box, QString::fromUtf8("周二的事"));
        QTextCursor c = box->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        box->setTextCursor(c);
    }

    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
};

QTextCharFormat formatAt(const QTextDocument &doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(pos + 1);
    return c.charFormat();
}

} // namespace

TEST_F(RealDialogTest, TheFontDialogOpensOnSong16AndItsAnswerReachesTheCapturedSelection)
{
    // What the selection's characters carry afterwards: face, pixel or point size.
    struct Case {
        const char *name;
        bool accept;
        std::function<void(QFontDialog *)> change;
        const char *face;
        int pixels, points;
    };
    const Case cases[] = {
        {"accepted as it opens", true, [](QFontDialog *) {}, "宋体", 16, 0},
        {"another size", true,
         [](QFontDialog *d) {
             QFont f = d->currentFont();
             f.setPointSize(18);
             d->setCurrentFont(f);
         },
         "宋体", 0, 18},
        {"another face", true,
         [](QFontDialog *d) {
             QFont f = d->currentFont();
             f.setFamily(QStringLiteral("DejaVu Sans"));
             d->setCurrentFont(f);
         },
         "DejaVu Sans", 16, 0},
        {"cancelled", false, [](QFontDialog *) {}, "", 0, 0},
    };
    const QString standIn = QFontInfo(TEditCommands::InitialFont()).family();
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        frm->redt[1]->SetTextEmpty();
        selectInTuesday();
        const QByteArray before = storedBytes("20100601");
        QFont opened;
        DialogAnswer<QFontDialog> dialog;
        dialog.run([&] { frm->imgFontClick(); },
                   [&](QFontDialog *d) {
                       opened = d->currentFont();
                       k.change(d);
                       // Whatever takes the focus meanwhile, the Tuesday selection stays the target.
                       frm->redt[0]->setFocus();
                       k.accept ? d->accept() : d->reject();
                   });
        ASSERT_TRUE(dialog.seen);
        EXPECT_EQ(dialog.unexpected, QStringList());
        EXPECT_EQ(opened.family(), standIn);
        EXPECT_EQ(opened.pointSize(), QFontInfo(TEditCommands::InitialFont()).pointSize());
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        frm->redt[2]->setFocus(); // leaving the box saves it
        QApplication::processEvents();

        if (!k.accept) {
            EXPECT_EQ(storedBytes("20100601"), before);
            continue;
        }
        const auto tuesday = stored("20100601");
        EXPECT_EQ(tuesday->toPlainText(), QString::fromUtf8("周二的事"));
        for (int pos : {1, 2}) {
            const QTextCharFormat f = formatAt(*tuesday, pos);
            EXPECT_EQ(f.fontFamilies().toStringList().value(0), QString::fromUtf8(k.face)) << pos;
            EXPECT_EQ(f.intProperty(QTextFormat::FontPixelSize), k.pixels) << pos;
            EXPECT_EQ(f.fontPointSize(), k.points) << pos;
            EXPECT_EQ(f.intProperty(rtf::CharsetProperty), 134) << pos;
            EXPECT_EQ(f.foreground().color(), QColor(Qt::black)) << pos;
        }
        for (int pos : {0, 3}) // outside the selection nothing changed
            EXPECT_NE(formatAt(*tuesday, pos).intProperty(QTextFormat::FontPixelSize), 16) << pos;
        EXPECT_TRUE(stored("20100531")->isEmpty());
    }
}

TEST_F(RealDialogTest, TheColourDialogShowsItsCustomColoursAndColoursTheCapturedSelection)
{
    selectInTuesday();
    int customWells = 0;
    DialogAnswer<QColorDialog> dialog;
    dialog.run([&] { frm->imgRedColorClick(); },
               [&](QColorDialog *d) {
                   // Qt's own dialog: the basic and the custom colour wells both show.
                   for (QWidget *w : d->findChildren<QWidget *>())
                       customWells += w->inherits("QWellArray") && w->isVisible();
                   d->setCurrentColor(QColor(0, 128, 255));
                   frm->redt[0]->setFocus();
                   d->accept();
               });
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(dialog.unexpected, QStringList());
    EXPECT_EQ(customWells, 2);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    frm->redt[2]->setFocus();
    QApplication::processEvents();

    const auto tuesday = stored("20100601");
    EXPECT_EQ(formatAt(*tuesday, 1).foreground().color(), QColor(0, 128, 255));
    EXPECT_EQ(formatAt(*tuesday, 2).foreground().color(), QColor(0, 128, 255));
    EXPECT_NE(formatAt(*tuesday, 3).foreground().color(), QColor(0, 128, 255));
    EXPECT_TRUE(stored("20100531")->isEmpty());

    // Cancelled: nothing changes.
    const QByteArray before = storedBytes("20100601");
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    frm->redt[1]->setFocus();
    QApplication::processEvents();
    frm->redt[1]->selectAll();
    DialogAnswer<QColorDialog> cancel;
    cancel.run([&] { frm->imgRedColorClick(); }, [](QColorDialog *d) { d->reject(); });
    ASSERT_TRUE(cancel.seen);
    frm->redt[2]->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(storedBytes("20100601"), before);
}

TEST_F(RealDialogTest, TheSaveDialogReplacesTheNamedFileWithoutAskingAndAddsNoSecondExtension)
{
    frm->redt[0]->setPlainText(QString::fromUtf8("一行"));
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString named = out.filePath("a.txt");
    ASSERT_TRUE(settings::Write(named, {"old"}));
    QString offered;
    bool asksNothing = false;
    DialogAnswer<QFileDialog> dialog;
    dialog.run([&] { frm->N_DataOutClick(); },
               [&](QFileDialog *d) {
                   auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                   ASSERT_NE(edit, nullptr);
                   offered = edit->text();
                   asksNothing = d->testOption(QFileDialog::DontConfirmOverwrite);
                   edit->setText(named);                // the name typed over the offered one
                   static_cast<QDialog *>(d)->accept(); // as the Save button does
               });
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(dialog.unexpected, QStringList()); // no question before replacing a.txt
    EXPECT_TRUE(asksNothing);
    EXPECT_EQ(offered, QString::fromUtf8("周 20100601090500"));
    EXPECT_EQ(fileBytes(named), settings::Encode(frm->ExportLines().join("\r\n") + "\r\n"));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"a.txt"}));
}

TEST_F(RealDialogTest, TheSaveDialogOffersUtf8BesideTheDefaultEncoding)
{
    frm->redt[0]->setPlainText(QString::fromUtf8("一行"));
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    for (const bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8);
        const QString named = out.filePath(utf8 ? "u.txt" : "g.txt");
        QStringList offered;
        DialogAnswer<QFileDialog> dialog;
        dialog.run([&] { frm->N_DataOutClick(); },
                   [&](QFileDialog *d) {
                       offered = d->nameFilters();
                       if (utf8)
                           d->selectNameFilter(QString::fromUtf8(weekexport::Utf8Filter));
                       d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(named);
                       static_cast<QDialog *>(d)->accept();
                   });
        ASSERT_TRUE(dialog.seen);
        EXPECT_EQ(offered, QStringList({"*.Txt", QString::fromUtf8("文本文件 (UTF-8) (*.txt)")}));
        const QString text = frm->ExportLines().join("\r\n") + "\r\n";
        EXPECT_EQ(fileBytes(named), utf8 ? text.toUtf8() : settings::Encode(text));
        EXPECT_TRUE(fileBytes(named).contains(utf8 ? QByteArray("\xe4\xb8\x80\xe8\xa1\x8c") : QByteArray("\xd2\xbb\xd0\xd0")));
    }
}

// Qt 6.4's Chinese catalogue lacks the word its file dialogs name a folder with; the
// program's own catalogue, laid out by the build as the installation ships it, adds it.
TEST_F(RealDialogTest, TheFileDialogNamesAFolderInChinese)
{
    ASSERT_FALSE(platform::InstallQtTranslations(QStringLiteral(TAVI_APP_DIR)).isEmpty());
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("旧周记")));
    QString type, header;
    DialogAnswer<QFileDialog> dialog;
    dialog.run([&] { frm->N_DataOutClick(); },
               [&](QFileDialog *d) {
                   d->setDirectory(out.path());
                   d->setViewMode(QFileDialog::Detail);
                   auto *model = d->findChild<QFileSystemModel *>();
                   const QString folder = out.filePath(QStringLiteral("旧周记"));
                   if (model && QTest::qWaitFor([&] { return model->index(folder).isValid(); }, 5000)) {
                       type = model->index(folder).siblingAtColumn(2).data().toString();
                       header = model->headerData(2, Qt::Horizontal).toString();
                   }
                   d->reject();
               });
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(header, QString::fromUtf8("类型"));
    EXPECT_EQ(type, QString::fromUtf8("文件夹"));
}

TEST(WeekExportName, TxtInAnyCaseIsKeptAndAnythingElseGetsIt)
{
    const struct {
        const char *chosen, *written;
    } cases[] = {
        {"/d/report", "/d/report.txt"},
        {"/d/a.txt", "/d/a.txt"},
        {"/d/b.TXT", "/d/b.TXT"},
        {"/d/c.Txt", "/d/c.Txt"},
        {"/d/d.txt.bak", "/d/d.txt.bak.txt"},
        {"/d/e.tx", "/d/e.tx.txt"},
        {"/d/周 1.text", "/d/周 1.text.txt"},
        {"/d/f.txt ", "/d/f.txt .txt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(weekexport::FileName(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.written)) << c.chosen;
}

TEST_F(RealDialogTest, TheStatusLineShowsBothMessagesWholeBesideTheOtherControls)
{
    // The notes table gone: the next save and the next week's load both fail.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(home.dbPath().toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "drop table tb_NewTavi", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    frm->redt[1]->setFocus();
    typeText(frm->redt[1], "x");
    frm->chnRili->setDateTime(EncodeDate(2010, 6, 8));
    // The failed save, the heavier fault, stands first.
    const QString text = QString::fromUtf8(TWeekNotes::SaveFailedText) + QStringLiteral("；")
                         + QString::fromUtf8(TWeekNotes::WeekReadFailedText);
    ASSERT_EQ(frm->lblStatus->FullText(), text);

    for (const QSize size : {QSize(TMainFrm::MinWidth, TMainFrm::MinHeight), QSize(1000, 600)}) {
        SCOPED_TRACE(size.width());
        frm->resize(size);
        QApplication::processEvents();
        QLabel *status = frm->lblStatus;
        ASSERT_TRUE(status->isVisible());
        EXPECT_EQ(status->text(), text);
        const QFontMetrics fm(status->font());
        EXPECT_GE(status->width(), fm.horizontalAdvance(text));
        EXPECT_GE(status->height(), fm.height());
        EXPECT_TRUE(frm->rect().contains(status->geometry()));
        const QWidget *others[] = {frm->imgLogo,     frm->lblDateTime, frm->lblSet,  frm->imgAppToDesk,
                                   frm->imgFont,     frm->btnGou,      frm->btnX,    frm->imgDate,
                                   frm->imgRedColor, frm->pnlLeft,     frm->pnlRight};
        for (const QWidget *w : others) {
            // The date label's own text, not its box, is what must stay clear.
            QRect r = w->geometry();
            if (w == frm->lblDateTime)
                r.setWidth(frm->lblDateTime->fontMetrics().horizontalAdvance(frm->lblDateTime->text()));
            EXPECT_FALSE(r.intersects(status->geometry())) << w->metaObject()->className();
        }
    }
}

// A message given no owner (the database's, the wallpaper's) opens as a child of the window
// the user works in: compositors that ignore the places programs ask for put it over its owner.
TEST_F(RealDialogTest, AMessageWithoutAnOwnerOpensOverTheActiveWindow)
{
    DialogAnswer<QMessageBox> message;
    QWidget *parent = nullptr;
    QWindow *transientParent = nullptr;
    message.run([] { dialogs::ShowMessage(QStringLiteral("无主的消息")); },
                [&](QMessageBox *box) {
                    parent = box->parentWidget();
                    transientParent = box->windowHandle() ? box->windowHandle()->transientParent() : nullptr;
                    box->accept();
                });
    EXPECT_TRUE(message.seen);
    EXPECT_TRUE(message.unexpected.isEmpty()) << message.unexpected.join(", ").toStdString();
    EXPECT_EQ(parent, frm.get());
    EXPECT_EQ(transientParent, frm->windowHandle());
}
