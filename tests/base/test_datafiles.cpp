// The units of the files under Data, each through its own file in a temporary program folder.
#include "base_fixture.h"

#include "ConfigSetBgFile.h"
#include "FormSizeFile.h"
#include "PicListFile.h"
#include "ProgramFolder.h"
#include "SetTransFile.h"
#include "WorkdaysFile.h"

#include <QDir>

using settings::Status;

class DataFiles : public ProgramFolderTest {};

TEST_F(DataFiles, EveryFileLivesInTheDataFolder)
{
    const QString data = home() + "Data/";
    EXPECT_EQ(DataDir(), data);
    EXPECT_EQ(PictureDir(), home() + "source/DeskTopBG/");
    EXPECT_EQ(formsizefile::Path(), data + "FormSize.ini");
    EXPECT_EQ(configsetbgfile::Path(), data + "configSetBg.ini");
    EXPECT_EQ(piclistfile::Path(), data + "BGPicList.ini");
    EXPECT_EQ(settransfile::Path(), data + "SetTrans.ini");
    EXPECT_EQ(workdaysfile::Path(), data + "CnWorkdays.tsv");
}

TEST(ProgramFolder, TheNamedFolderIsCleanedAndClosedBySlash)
{
    const QByteArray old = qgetenv("TAVI_HOME");
    const struct {
        const char *home, *dir;
    } cases[] = {{"/opt/tavi", "/opt/tavi/"}, {"/opt/tavi/", "/opt/tavi/"}, {"/opt/x/../tavi//", "/opt/tavi/"}, {"/", "/"}};
    for (const auto &c : cases) {
        qputenv("TAVI_HOME", c.home);
        EXPECT_EQ(ProgramDir(), QString::fromLatin1(c.dir)) << c.home;
    }
    qputenv("TAVI_HOME", "relative");
    EXPECT_EQ(ProgramDir(), QDir::currentPath() + "/relative/");
    qputenv("TAVI_HOME", old);
}

TEST_F(DataFiles, FormSize)
{
    struct Case {
        QByteArray file;
        Status status;
        int failedLine;
        TFormSizeState size;
        std::optional<QString> month;
        std::optional<int> monthNo;
    };
    const Case cases[] = {
        {"3\r\n800\r\n500\r\n-20\r\n40\r\n11\r\n", Status::Ok, 0, {3, 800, 500, -20, 40, {}}, "11", 11},
        {"1\r\n906\r\n540\r\n0\r\n0\r\n", Status::Ok, 0, {1, 906, 540, 0, 0, {}}, {}, {}},
        {"1\r\n906\r\n540\r\n0\r\n0\r\nApril\r\n", Status::Ok, 0, {1, 906, 540, 0, 0, {}}, "April", {}},
        {"1\r\n906\r\nabc\r\n0\r\n0\r\n6\r\n", Status::NotNumber, 2, {}, {}, {}},
        {"1\r\n906\r\n540\r\n", Status::NoLine, 3, {}, {}, {}},
    };
    for (const Case &c : cases) {
        writeFile(formsizefile::Path(), c.file);
        const formsizefile::TContent got = formsizefile::Read();
        EXPECT_EQ(got.status, c.status) << c.file.constData();
        if (c.status != Status::Ok) {
            EXPECT_EQ(got.failedLine, c.failedLine) << c.file.constData();
            EXPECT_TRUE(got.error().contains(QString("第 %1 行").arg(c.failedLine + 1))) << got.error().toStdString();
            continue;
        }
        EXPECT_EQ(got.size.LetterNo, c.size.LetterNo);
        EXPECT_EQ(QList<int>({got.size.SavedWidth, got.size.SavedHeight, got.size.SavedLeft, got.size.SavedTop}),
                  QList<int>({c.size.SavedWidth, c.size.SavedHeight, c.size.SavedLeft, c.size.SavedTop}));
        EXPECT_EQ(got.month, c.month) << c.file.constData();
        EXPECT_EQ(got.monthNo, c.monthNo) << c.file.constData();
    }

    QFile::remove(formsizefile::Path());
    EXPECT_FALSE(formsizefile::Exists());
    EXPECT_EQ(formsizefile::Read().status, Status::NoFile);
    ASSERT_TRUE(formsizefile::Write({1, 906, 540, -20, 40, "ignored"}, "4"));
    EXPECT_TRUE(formsizefile::Exists());
    EXPECT_EQ(fileBytes(formsizefile::Path()), QByteArray("1\r\n906\r\n540\r\n-20\r\n40\r\n4\r\n"));
}

TEST_F(DataFiles, ApplyQuestion)
{
    const struct {
        QByteArray file;
        Status status;
        int ask;
    } cases[] = {{"1\r\n", Status::Ok, 1}, {"0\r\nrest\r\n", Status::Ok, 0}, {" -3 ", Status::Ok, -3},
                 {"abc\r\n", Status::NotNumber, 7}, {"", Status::NoLine, 7}};
    for (const auto &c : cases) {
        writeFile(configsetbgfile::Path(), c.file);
        int ask = 7;
        EXPECT_EQ(configsetbgfile::ReadAsk(ask), c.status) << c.file.constData();
        EXPECT_EQ(ask, c.ask) << c.file.constData();
    }
    QFile::remove(configsetbgfile::Path());
    int ask = 7;
    EXPECT_EQ(configsetbgfile::ReadAsk(ask), Status::NoFile);
    ASSERT_TRUE(configsetbgfile::WriteAsk(true));
    EXPECT_EQ(fileBytes(configsetbgfile::Path()), QByteArray("1\r\n"));
    ASSERT_TRUE(configsetbgfile::WriteAsk(false));
    EXPECT_EQ(fileBytes(configsetbgfile::Path()), QByteArray("0\r\n"));
}

TEST_F(DataFiles, TransparencyMode)
{
    const struct {
        QByteArray file;
        int mode;
    } cases[] = {{"1\r\n", 1}, {"0\r\n", 0}, {"2\r\n", 2}, {"abc\r\n", 1}, {"", 1}, {"\r\n0\r\n", 1}};
    for (const auto &c : cases) {
        writeFile(settransfile::Path(), c.file);
        int mode = 9;
        EXPECT_EQ(settransfile::ReadMode(mode), Status::Ok) << c.file.constData();
        EXPECT_EQ(mode, c.mode) << c.file.constData();
    }
    QFile::remove(settransfile::Path());
    int mode = 9;
    EXPECT_EQ(settransfile::ReadMode(mode), Status::NoFile);
    ASSERT_TRUE(QDir().mkpath(settransfile::Path()));
    EXPECT_EQ(settransfile::ReadMode(mode), Status::ReadError);
    EXPECT_EQ(mode, 9);
    EXPECT_FALSE(settransfile::WriteMode(0));
    ASSERT_TRUE(QDir().rmdir(settransfile::Path()));
    ASSERT_TRUE(settransfile::WriteMode(0));
    EXPECT_EQ(fileBytes(settransfile::Path()), QByteArray("0\r\n"));
}

TEST_F(DataFiles, PictureList)
{
    EXPECT_EQ(piclistfile::Read().status, Status::NoFile);
    ASSERT_TRUE(piclistfile::WriteDefault());
    EXPECT_EQ(fileBytes(piclistfile::Path()), QByteArray("A1.bmp\r\nA1.bmp\r\n"));

    ASSERT_TRUE(piclistfile::Write(QString::fromUtf8("照片.bmp"), {"A1.bmp", QString::fromUtf8("照片.bmp")}));
    EXPECT_EQ(fileBytes(piclistfile::Path()),
              QByteArray("\xD5\xD5\xC6\xAC.bmp\r\nA1.bmp\r\n\xD5\xD5\xC6\xAC.bmp\r\n"));
    const settings::Lines l = piclistfile::Read();
    ASSERT_EQ(l.status, Status::Ok);
    EXPECT_EQ(l.lines, (QStringList{QString::fromUtf8("照片.bmp"), "A1.bmp", QString::fromUtf8("照片.bmp")}));
    ASSERT_TRUE(piclistfile::Write("A1.bmp", {}));
    EXPECT_EQ(fileBytes(piclistfile::Path()), QByteArray("A1.bmp\r\n"));
}

TEST_F(DataFiles, WorkdayTableIsReadUpToTheLimitWithoutTheCutLine)
{
    const QString path = workdaysfile::Path();
    const struct {
        QByteArray file;
        std::size_t limit;
        std::string text;
    } cases[] = {
        {"a\nbb\ncc", 100, "a\nbb\ncc"}, {"a\nbb\ncc", 7, "a\nbb\ncc"}, {"a\nbb\ncc", 5, "a\nbb\n"},
        {"a\nbb\ncc", 4, "a\n"},         {"abcdef", 3, ""},             {"\xEF\xBB\xBF\xE4\xBC\x91", 100, "\xEF\xBB\xBF\xE4\xBC\x91"},
        {"", 10, ""},
    };
    for (const auto &c : cases) {
        writeFile(path, c.file);
        std::string text = "old";
        EXPECT_EQ(workdaysfile::Read(path, c.limit, text), Status::Ok) << c.file.constData();
        EXPECT_EQ(text, c.text) << c.file.constData() << " limit " << c.limit;
    }
    QFile::remove(path);
    std::string text = "old";
    EXPECT_EQ(workdaysfile::Read(path, 10, text), Status::NoFile);
    EXPECT_EQ(workdaysfile::Read(home(), 10, text), Status::ReadError);
    EXPECT_EQ(text, "old");
}
