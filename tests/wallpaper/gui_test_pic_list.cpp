// The picture list file, the main window's copy of it and the picture window.
#include "wallpaper_fixture.h"

#include "Dialogs.h"
#include "PicListFile.h"
#include "PictureButton.h"
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "uPicSel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QStringList names()
{
    QStringList out;
    for (const TPicBGList &e : PicBGList)
        out << e.FileName;
    return out;
}
} // namespace

class PicListTest : public WallpaperTest {};

TEST_F(PicListTest, FirstStartCreatesTheListWithTheDefaultPictureTwice)
{
    ASSERT_FALSE(QFile::exists(piclistfile::Path()));
    EXPECT_TRUE(LoadPicList(false));
    QFile f(piclistfile::Path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "A1.bmp\r\nA1.bmp\r\n");
    EXPECT_EQ(CurrentPicName, "A1.bmp");
    EXPECT_EQ(PicCount, 2);
    EXPECT_EQ(PicIndex, 0);
    EXPECT_EQ(names(), (QStringList{"A1.bmp", "A1.bmp"}));
    EXPECT_EQ(PicBGList[1].Index, 1);
}

struct IndexCase {
    QStringList file;
    int unchosen, chosen;
};
class PicIndexCases : public PicListTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(PicIndexCases, LastLineOrLastLineHoldingTheCurrentName)
{
    const IndexCase &c = GetParam();
    writeLines(piclistfile::Path(), c.file);
    LoadPicList(false);
    EXPECT_EQ(PicIndex, c.unchosen);
    EXPECT_EQ(PicCount, c.file.size());
    EXPECT_EQ(CurrentPicName, c.file.first());
    EXPECT_EQ(names(), c.file);
    LoadPicList(true);
    EXPECT_EQ(PicIndex, c.chosen);
}

INSTANTIATE_TEST_SUITE_P(Files, PicIndexCases,
                         ::testing::Values(IndexCase{{"X.bmp", "A1.bmp", "X.bmp", "Y.bmp"}, 3, 2},
                                           IndexCase{{"B.bmp", "A1.bmp", "B.bmp", "C.bmp"}, 3, 2},
                                           IndexCase{{"Z.bmp", "A1.bmp", "B.bmp"}, 2, 0},
                                           IndexCase{{"C.bmp", "C.bmp", "b.bmp", "C.bmp", "c.bmp"}, 4, 3},
                                           IndexCase{{"风景.bmp", "风景.bmp"}, 1, 1}));

TEST_F(PicListTest, AnEmptyFileKeepsTheListItHad)
{
    writeLines(piclistfile::Path(), {"B.bmp", "A1.bmp", "B.bmp"});
    LoadPicList(false);
    writeLines(piclistfile::Path(), {});
    LoadPicList(true);
    EXPECT_EQ(PicCount, 0);
    EXPECT_EQ(names(), (QStringList{"B.bmp", "A1.bmp", "B.bmp"}));
    EXPECT_EQ(CurrentPicName, "B.bmp");
    EXPECT_EQ(PicIndex, 2);
}

// ---- the picture window -----------------------------------------------------------

class PicSelFrmTest : public WallpaperTest {
protected:
    void SetUp() override
    {
        WallpaperTest::SetUp();
        frm = CreatePicSelFrm(nullptr);
    }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < frm->LVpic->count(); ++i)
            out << frm->LVpic->item(i)->text();
        return out;
    }
    void select(std::initializer_list<int> rowsToSelect)
    {
        frm->LVpic->clearSelection();
        for (int r : rowsToSelect)
            frm->LVpic->item(r)->setSelected(true);
    }
    // Shows the window with `file` as the list file.
    void showWith(const QStringList &file)
    {
        writeLines(piclistfile::Path(), file);
        frm->FormShow();
    }
    TPicSelFrm *frm = nullptr;
};

TEST_F(PicSelFrmTest, ShowingListsLinesOneOnAndTakesLineZeroAsCurrent)
{
    showWith({"B.bmp", "A1.bmp", "B.bmp", "C.bmp"});
    EXPECT_EQ(frm->CurPicName, "B.bmp");
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "B.bmp", "C.bmp"}));
    EXPECT_EQ(frm->width(), 524);
    EXPECT_EQ(frm->height(), 286);
    EXPECT_TRUE(frm->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frm->LVpic->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(frm->btnAdd->text(), "添  加");
    EXPECT_EQ(frm->btnRemove->text(), "移  除");
    EXPECT_EQ(frm->btnOk->text(), "确  定");
}

TEST_F(PicSelFrmTest, ShowingWithoutAFileCreatesIt)
{
    frm->FormShow();
    EXPECT_EQ(rows(), QStringList{"A1.bmp"});
    EXPECT_EQ(frm->CurPicName, "A1.bmp");
    EXPECT_EQ(lines(piclistfile::Path()), (QStringList{"A1.bmp", "A1.bmp"}));
}

TEST_F(PicSelFrmTest, AnEmptyFileKeepsTheRowsShownBefore)
{
    showWith({"B.bmp", "B.bmp", "C.bmp"});
    showWith({});
    EXPECT_EQ(rows(), (QStringList{"B.bmp", "C.bmp"}));
    EXPECT_EQ(frm->CurPicName, "B.bmp");
}

TEST_F(PicSelFrmTest, AddingCopiesConvertsAndListsJpegGifAndPng)
{
    showWith({"A1.bmp", "A1.bmp"});
    QTemporaryDir outside;
    const QString photo = outside.filePath("photo.JPG"), gif = outside.filePath("anim.gif"),
                  png = outside.filePath("pic.png");
    ASSERT_TRUE(QFile::copy(fixture("photo.JPG"), photo));
    ASSERT_TRUE(QFile::copy(fixture("anim.gif"), gif));
    ASSERT_TRUE(QFile::copy(fixture("pic.png"), png));
    dialogs::QueueAnswer(QStringList{photo, outside.filePath("gone.jpg"), gif, png});
    dialogs::TakeShown();

    frm->btnAddClick();

    const QList<dialogs::Shown> shown = dialogs::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, "open");
    EXPECT_EQ(shown[0].detail.toString(), "All(*.bmp;*.ico,*.Jpg;*.PNG;*.JPEG;*.Gif;)");
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "photo.bmp", "anim.bmp", "pic.bmp"}));
    EXPECT_EQ(lines(piclistfile::Path()), (QStringList{"A1.bmp", "A1.bmp", "photo.bmp", "anim.bmp", "pic.bmp"}));
    for (const char *f : {"photo.JPG", "photo.bmp", "anim.gif", "anim.bmp", "pic.png", "pic.bmp"})
        EXPECT_TRUE(QFile::exists(PictureDir() + f)) << f;
    EXPECT_FALSE(QFile::exists(PictureDir() + "gone.jpg"));
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "photo.bmp", p));
    EXPECT_EQ(p.width, 64);
}

TEST_F(PicSelFrmTest, AddingNeverReplacesAPictureOfTheSameName)
{
    showWith({"A1.bmp", "A1.bmp"});
    writeSolidBmp("same.bmp", 4, 4, Qt::red);
    QTemporaryDir outside;
    QImage blue(8, 8, QImage::Format_RGB888);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(outside.filePath("same.bmp"), "BMP"));
    dialogs::QueueAnswer(QStringList{outside.filePath("same.bmp")});
    frm->btnAddClick();
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "same.bmp", p));
    EXPECT_EQ(p.width, 4) << "the picture the folder had";
    ASSERT_TRUE(pictures::ReadBmp(PictureDir() + "same (2).bmp", p));
    EXPECT_EQ(p.width, 8);
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "same (2).bmp"}));
}

TEST_F(PicSelFrmTest, AddingAPictureAlreadyInTheFolderKeepsIt)
{
    showWith({"A1.bmp", "A1.bmp"});
    writeSolidBmp("here.bmp", 4, 4, Qt::red);
    dialogs::QueueAnswer(QStringList{PictureDir() + "here.bmp"});
    frm->btnAddClick();
    TPicture p;
    EXPECT_TRUE(pictures::ReadBmp(PictureDir() + "here.bmp", p));
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "here.bmp"}));
}

TEST_F(PicSelFrmTest, AnUnreadablePictureIsNeitherCopiedNorListed)
{
    showWith({"A1.bmp", "A1.bmp"});
    QTemporaryDir outside;
    QFile bad(outside.filePath("bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BM this is not a picture");
    bad.close();
    dialogs::QueueAnswer(QStringList{bad.fileName()});
    frm->btnAddClick();
    EXPECT_FALSE(QFile::exists(PictureDir() + "bad.bmp"));
    EXPECT_EQ(rows(), QStringList{"A1.bmp"});
    EXPECT_EQ(lines(piclistfile::Path()), (QStringList{"A1.bmp", "A1.bmp"}));
}

TEST_F(PicSelFrmTest, CancellingTheOpenDialogChangesNothing)
{
    showWith({"A1.bmp", "A1.bmp"});
    frm->btnAddClick(); // nothing queued: cancelled
    EXPECT_EQ(rows(), QStringList{"A1.bmp"});
}

namespace {
// Every file of the folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> folderFiles(const QString &folder)
{
    QMap<QString, QByteArray> out;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(dir.filePath(name));
        out[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    }
    return out;
}
} // namespace

TEST_F(PicSelFrmTest, ABrokenJpegOrGifLeavesTheListAndTheFolderAsTheyWere)
{
    showWith({"X.bmp", "A1.bmp", "X.bmp"});
    writeSolidBmp("X.bmp", 16, 8, Qt::red);
    QTemporaryDir outside;
    const QString jpg = outside.filePath("X.jpg"), gif = outside.filePath("X.gif");
    for (const QString &f : {jpg, gif}) {
        QFile out(f);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(f.endsWith("jpg") ? QByteArray("\xFF\xD8\xFF\xC0\x00\x0B", 6) : QByteArray("GIF89a"));
    }
    const QStringList listBefore = lines(piclistfile::Path());
    const auto before = folderFiles(PictureDir());
    dialogs::QueueAnswer(QStringList{jpg, gif});
    frm->btnAddClick();
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "X.bmp"}));
    EXPECT_EQ(lines(piclistfile::Path()), listBefore);
    EXPECT_EQ(folderFiles(PictureDir()), before) << "X.bmp whole, no copy, nothing left half-written";
}

// Through Qt's own open dialog, typed into as a user would: its filter offers PNG, and a
// PNG picked there is listed beside the pictures the folder had.
TEST_F(PicSelFrmTest, ThePngPickedInTheRealOpenDialogIsListed)
{
    showWith({"X.bmp", "A1.bmp", "X.bmp"});
    writeSolidBmp("X.bmp", 16, 8, Qt::red);
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::copy(fixture("pic.png"), outside.filePath("pic.png")));
    const auto before = folderFiles(PictureDir());
    dialogs::SetScripted(false);

    QStringList filters;
    bool answered = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dlg || answered)
            return;
        auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!edit)
            return;
        answered = true;
        filters = dlg->nameFilters();
        // Into the folder first, then the file.
        // Set whole: the completer's popup would take the Return of a path typed key by key.
        edit->setText(outside.path());
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(100);
        edit->setText(QStringLiteral("pic.png"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    poll.start();
    QTimer::singleShot(10000, [] {
        if (auto *w = QApplication::activeModalWidget(); qobject_cast<QFileDialog *>(w))
            w->close(); // never hang the suite
    });
    frm->btnAddClick();
    dialogs::SetScripted(true);

    ASSERT_TRUE(answered) << "the real dialog opened";
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].contains("*.PNG")) << filters[0].toStdString();
    EXPECT_EQ(rows(), (QStringList{"A1.bmp", "X.bmp", "pic.bmp"}));
    auto after = folderFiles(PictureDir());
    EXPECT_EQ(after.take("pic.bmp").left(2), "BM");
    EXPECT_EQ(after.take("pic.png"), folderFiles(outside.path()).value("pic.png"));
    EXPECT_EQ(after, before) << "nothing else changed";
}

struct RemoveCase {
    const char *name;
    QStringList file;          // line 0 and the rows
    std::vector<int> selected; // rows
    QStringList expectedFile;
};
class RemoveCases : public PicSelFrmTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveCases, FirstSelectedRowDecides)
{
    const RemoveCase &c = GetParam();
    showWith(c.file);
    frm->LVpic->clearSelection();
    for (int r : c.selected)
        frm->LVpic->item(r)->setSelected(true);
    frm->btnRemoveClick();
    EXPECT_EQ(lines(piclistfile::Path()), c.expectedFile);
    EXPECT_EQ(frm->CurPicName, c.expectedFile.first());
    EXPECT_EQ(QStringList{frm->CurPicName} + rows(), c.expectedFile);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveCases,
    ::testing::Values(
        RemoveCase{"default_first_deletes_nothing", {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"}, {2, 0},
                   {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"}},
        RemoveCase{"other_first_deletes_all_selected", {"C.bmp", "B.bmp", "A1.bmp", "C.bmp"}, {0, 1},
                   {"C.bmp", "C.bmp"}},
        RemoveCase{"current_removed_becomes_default", {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"}, {1, 2},
                   {"A1.bmp", "A1.bmp"}},
        RemoveCase{"current_default_stays", {"A1.bmp", "A1.bmp", "B.bmp"}, {0}, {"A1.bmp", "A1.bmp", "B.bmp"}},
        RemoveCase{"one_row", {"A1.bmp", "A1.bmp", "B.bmp", "C.bmp"}, {2}, {"A1.bmp", "A1.bmp", "B.bmp"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PicSelFrmTest, RemovingNeverDeletesPictureFiles)
{
    writeSolidBmp("B.bmp", 4, 4, Qt::red);
    showWith({"A1.bmp", "A1.bmp", "B.bmp"});
    select({1});
    frm->btnRemoveClick();
    EXPECT_TRUE(QFile::exists(PictureDir() + "B.bmp"));
}

TEST_F(PicSelFrmTest, RemovingWithoutSelectionWritesNothing)
{
    showWith({"A1.bmp", "A1.bmp", "B.bmp"});
    writeLines(piclistfile::Path(), {"untouched"});
    frm->LVpic->clearSelection();
    frm->btnRemoveClick();
    EXPECT_EQ(lines(piclistfile::Path()), QStringList{"untouched"});
}

struct OkCase {
    const char *name;
    std::vector<int> selected;
    bool writes;
    const char *current;
};
class OkCases : public PicSelFrmTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkCases, ChoosesTheFirstSelectedRow)
{
    const OkCase &c = GetParam();
    showWith({"B.bmp", "A1.bmp", "B.bmp", "C.bmp"});
    writeLines(piclistfile::Path(), {"untouched"});
    frm->LVpic->clearSelection();
    for (int r : c.selected)
        frm->LVpic->item(r)->setSelected(true);
    frm->btnOkClick();
    EXPECT_EQ(frm->CurPicName, c.current);
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    if (c.writes)
        EXPECT_EQ(lines(piclistfile::Path()), (QStringList{c.current, "A1.bmp", "B.bmp", "C.bmp"}));
    else
        EXPECT_EQ(lines(piclistfile::Path()), QStringList{"untouched"});
}

INSTANTIATE_TEST_SUITE_P(Cases, OkCases,
                         ::testing::Values(OkCase{"none", {}, false, "B.bmp"},
                                           OkCase{"already_current", {1}, false, "B.bmp"},
                                           OkCase{"first_in_list_order_is_current", {2, 1}, false, "B.bmp"},
                                           OkCase{"default", {2, 0}, true, "A1.bmp"},
                                           OkCase{"new_one", {2}, true, "C.bmp"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- the main window's imgAddToDesk ------------------------------------------------

TEST_F(PicSelFrmTest, ChoosingAnotherPictureStartsTheRotationThere)
{
    writeLines(piclistfile::Path(), {"B.bmp", "A1.bmp", "B.bmp", "C.bmp", "B.bmp"});
    LoadPicList(false);
    ASSERT_EQ(PicIndex, 4);
    QTimer::singleShot(0, frm, [this] {
        select({2});
        QTest::mouseClick(frm->btnOk, Qt::LeftButton);
    });
    imgAddToDeskClick(nullptr);
    EXPECT_EQ(CurrentPicName, "C.bmp");
    EXPECT_EQ(PicIndex, 3);
    EXPECT_EQ(lines(piclistfile::Path()).first(), "C.bmp");
}

TEST_F(PicSelFrmTest, ClosingWithoutAChoiceStartsAtTheLastEntry)
{
    writeLines(piclistfile::Path(), {"B.bmp", "A1.bmp", "B.bmp", "C.bmp"});
    LoadPicList(true);
    ASSERT_EQ(PicIndex, 2);
    QTimer::singleShot(0, frm, [this] {
        select({2});
        QTest::mouseClick(frm->imgClose, Qt::LeftButton); // closes without saving
    });
    imgAddToDeskClick(nullptr);
    EXPECT_EQ(CurrentPicName, "B.bmp");
    EXPECT_EQ(PicIndex, 3);
    EXPECT_EQ(frm->result(), QDialog::Rejected);
}
