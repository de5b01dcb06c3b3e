// Every file the program reads, spoiled in every usual way, met by the real start-up:
// the window comes up (or the start ends as designed), nothing crashes or hangs, and
// the notes already in the database keep their bytes.
#include "../store/store_fixture.h"

#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "ProgramFolder.h"
#include "uDM.h"
#include "uMain.h"

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>

using namespace tdt;

namespace {

enum class Target { FormSize, ConfigSetBg, BGPicList, SetTrans, LoginStr, Picture, Database, Content };
// TextModeCopy: every LF made CR LF, as a text-mode transfer does to a file.
enum class Spoil { Empty, Truncated, Binary, Huge, LoneLf, LoneCr, TextModeCopy, InvalidGbk };

const char *targetName(Target t)
{
    static const char *n[] = {"FormSize", "ConfigSetBg", "BGPicList", "SetTrans", "LoginStr", "Picture", "Database", "Content"};
    return n[int(t)];
}
const char *spoilName(Spoil s)
{
    static const char *n[] = {"Empty", "Truncated", "Binary", "Huge", "LoneLf", "LoneCr", "TextModeCopy", "InvalidGbk"};
    return n[int(s)];
}

constexpr qint64 HugeSize = 100LL * 1024 * 1024;
const char *const NoteKey = "20100601"; // the Tuesday of the week shown at start
const QByteArray GoodRtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
                           "\\f0\\fs24 \\'d6\\'dc\\'b6\\'fe\\'b5\\'c4\\'ca\\'c2 meeting\\par\r\n}\r\n";

QByteArray randomBytes(int n)
{
    std::mt19937 gen(20100601);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(gen() & 0xff);
    return b;
}

QByteArray withLineEnds(QByteArray crlf, const char *end)
{
    return crlf.replace("\r\n", end);
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(&f);
    return h.result();
}

bool writeBytes(const QString &path, const QByteArray &bytes, qint64 padTo = 0)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return false;
    // Extending leaves a hole: 100 MB on the file system's word, next to nothing on disk.
    return padTo == 0 || f.resize(padTo);
}

// The head, then a million lines of 100 bytes: written block by block, gone with the test's folder.
bool writeManyLines(const QString &path, const QByteArray &head)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(head) != head.size())
        return false;
    const QByteArray line = QByteArray(98, 'x') + "\r\n";
    const QByteArray block = line.repeated(10000);
    while (f.size() < HugeSize)
        if (f.write(block) != block.size())
            return false;
    return true;
}

// A sound file of each kind, CR LF ended as the program writes them.
QByteArray goodSettings(Target t)
{
    switch (t) {
    case Target::FormSize:
        return "1\r\n913\r\n540\r\n0\r\n0\r\n6\r\n";
    case Target::ConfigSetBg:
        return "1\r\n";
    case Target::BGPicList:
        return "A1.bmp\r\nA1.bmp\r\n";
    case Target::SetTrans:
        return "1\r\n";
    case Target::LoginStr:
        return "secret\r\nsecret\r\n-1\r\n";
    default:
        return {};
    }
}

QByteArray goodPicture()
{
    QImage img(48, 32, QImage::Format_RGB32);
    img.fill(QColor(10, 200, 30));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QByteArray spoiled(const QByteArray &good, Spoil s, const QByteArray &invalidGbk)
{
    switch (s) {
    case Spoil::Empty:
        return {};
    case Spoil::Truncated:
        return good.left(good.size() / 2 + 1);
    case Spoil::Binary:
        return randomBytes(4096);
    case Spoil::Huge:
        return good; // padded to HugeSize by the caller
    case Spoil::LoneLf:
        return withLineEnds(good, "\n");
    case Spoil::LoneCr:
        return withLineEnds(good, "\r");
    case Spoil::TextModeCopy:
        return QByteArray(good).replace("\n", "\r\n");
    case Spoil::InvalidGbk:
        return invalidGbk;
    }
    return {};
}

// Lead bytes without a valid trail byte, and bytes no GBK sequence starts with.
const QByteArray BadGbk = "\x81\x20\xff\xfe\x80\xa1";

QByteArray invalidGbkSettings(Target t)
{
    switch (t) {
    case Target::FormSize:
        return "1\r\n" + BadGbk + "913\r\n540\r\n0\r\n0\r\n" + BadGbk + "\r\n";
    case Target::ConfigSetBg:
    case Target::SetTrans:
        return BadGbk + "1\r\n";
    case Target::BGPicList:
        return BadGbk + ".bmp\r\nA1.bmp\r\n" + BadGbk + "\r\n";
    case Target::LoginStr:
        return BadGbk + "\r\n" + BadGbk + "\r\n-1\r\n";
    default:
        return {};
    }
}

QString settingsPath(Target t)
{
    switch (t) {
    case Target::FormSize:
        return DataDir() + "FormSize.ini";
    case Target::ConfigSetBg:
        return DataDir() + "configSetBg.ini";
    case Target::BGPicList:
        return DataDir() + "BGPicList.ini";
    case Target::SetTrans:
        return DataDir() + "SetTrans.ini";
    case Target::LoginStr:
        return DataDir() + "loginstr.db";
    default:
        return {};
    }
}

bool putNote(const QString &db, const QByteArray &content, qint64 hugeSize = 0)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open(db.toUtf8().constData(), &h) != SQLITE_OK)
        return false;
    sqlite3_stmt *st = nullptr;
    bool ok = sqlite3_prepare_v2(h, "insert into tb_NewTavi (YearMonthStr, Content, ContentBak) values (?, ?, ?)", -1,
                                 &st, nullptr)
              == SQLITE_OK;
    ok = ok && sqlite3_bind_text(st, 1, NoteKey, -1, SQLITE_STATIC) == SQLITE_OK;
    if (hugeSize > 0)
        ok = ok && sqlite3_bind_zeroblob64(st, 2, sqlite3_uint64(hugeSize)) == SQLITE_OK;
    else
        ok = ok && sqlite3_bind_blob(st, 2, content.constData(), int(content.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    const QByteArray plain = "周二的事 meeting";
    ok = ok && sqlite3_bind_text(st, 3, plain.constData(), int(plain.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    ok = ok && sqlite3_step(st) == SQLITE_DONE;
    sqlite3_finalize(st);
    if (ok && hugeSize > 0) {
        // The huge note starts like a real one and goes on with nothing but zero bytes.
        sqlite3_blob *blob = nullptr;
        ok = sqlite3_blob_open(h, "main", "tb_NewTavi", "Content", sqlite3_last_insert_rowid(h), 1, &blob) == SQLITE_OK;
        ok = ok && sqlite3_blob_write(blob, content.constData(), int(content.size()), 0) == SQLITE_OK;
        sqlite3_blob_close(blob);
    }
    sqlite3_close(h);
    return ok;
}

struct Case {
    Target target;
    Spoil spoil;
};

std::string caseName(const ::testing::TestParamInfo<Case> &info)
{
    return std::string(targetName(info.param.target)) + "_" + spoilName(info.param.spoil);
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (int t = 0; t <= int(Target::Content); ++t)
        for (int s = 0; s <= int(Spoil::InvalidGbk); ++s)
            cases.push_back({Target(t), Spoil(s)});
    return cases;
}

class BadInputTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0));
        dialogs::SetScripted(true);
        dialogs::TakeShown();
        QDir().mkpath(PictureDir());
    }
    void TearDown() override
    {
        frm.reset();
        DM = nullptr;
        DMMessageSink = nullptr;
        DMTerminate = nullptr;
        platform::SetNow(std::nullopt);
        dialogs::SetScripted(false);
    }

    // Lays out a sound installation with one note, then spoils the file under test.
    void prepare(const Case &c)
    {
        ASSERT_TRUE(writeBytes(PictureDir() + "A1.bmp", goodPicture()));
        if (c.target == Target::Content) {
            QByteArray content;
            switch (c.spoil) {
            case Spoil::InvalidGbk:
                content = "{\\rtf1\\ansi\\ansicpg936 \\'81\\'20\\'ff x" + BadGbk + " \\'a1\\par}";
                break;
            default:
                content = spoiled(GoodRtf, c.spoil, {});
            }
            ASSERT_TRUE(putNote(home.dbPath(), content, c.spoil == Spoil::Huge ? HugeSize : 0));
        } else {
            ASSERT_TRUE(putNote(home.dbPath(), GoodRtf));
        }
        if (c.target == Target::Database) {
            if (c.spoil == Spoil::InvalidGbk) {
                // Text columns holding bytes that are neither UTF-8 nor GBK.
                sqlite3 *h = nullptr;
                ASSERT_EQ(sqlite3_open(home.dbPath().toUtf8().constData(), &h), SQLITE_OK);
                const QByteArray sql = "update tb_NewTavi set ContentBak = cast(x'8120fffe80a1' as text);"
                                       "insert into tb_NewTavi values (cast(x'8120fffe80a1' as text), x'8120ff', x'ff');";
                EXPECT_EQ(sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(h);
            } else {
                QFile f(home.dbPath());
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                const QByteArray good = f.readAll();
                f.close();
                ASSERT_TRUE(writeBytes(home.dbPath(), spoiled(good, c.spoil, {}), c.spoil == Spoil::Huge ? HugeSize : 0));
            }
        }
        if (c.target == Target::Picture) {
            // No question before the wallpaper is made, so that the pictures are read at once.
            ASSERT_TRUE(writeBytes(DataDir() + "configSetBg.ini", "0\r\n"));
            if (c.spoil == Spoil::InvalidGbk)
                ASSERT_TRUE(writeBytes(DataDir() + "BGPicList.ini", BadGbk + ".bmp\r\n" + BadGbk + ".bmp\r\n"));
            else
                ASSERT_TRUE(writeBytes(PictureDir() + "A1.bmp", spoiled(goodPicture(), c.spoil, {}),
                                       c.spoil == Spoil::Huge ? HugeSize : 0));
        }
        const QString settings = settingsPath(c.target);
        if (!settings.isEmpty()) {
            const QByteArray good = goodSettings(c.target);
            const QByteArray bytes = c.spoil == Spoil::InvalidGbk ? invalidGbkSettings(c.target)
                                                                  : spoiled(good, c.spoil, {});
            if (c.spoil == Spoil::Huge)
                ASSERT_TRUE(writeManyLines(settings, bytes));
            else
                ASSERT_TRUE(writeBytes(settings, bytes));
        }
    }

    // The start as main() runs it. False when the start ended before the window.
    bool start()
    {
        connected = true;
        DMMessageSink = [](const QString &text) { dialogs::ShowMessage(text); };
        DMTerminate = [this] { connected = false; };
        DM = &dm;
        dm.DataModuleCreate();
        if (!connected)
            return false;
        frm = std::make_unique<TMainFrm>();
        frm->terminate = [] {};
        if (!frm->Unlocked())
            return false;
        frm->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
        QTest::qWait(20);
        return true;
    }

    TempProgramDir home;
    TDM dm;
    std::unique_ptr<TMainFrm> frm;
    bool connected = true;
};

TEST_P(BadInputTest, StartsAsDesignedAndLeavesTheNotesAlone)
{
    const Case c = GetParam();
    prepare(c);
    if (HasFatalFailure())
        return;
    const QByteArray notesBefore = fileHash(home.dbPath());
    ASSERT_FALSE(notesBefore.isEmpty());

    // Any window that waits for an answer gets a refusal, as a user who closes it would give.
    int modalWindows = 0;
    QTimer answerer;
    answerer.setInterval(5);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            ++modalWindows;
            QTest::keyClick(w, Qt::Key_Escape);
        }
    });
    answerer.start();

    const bool shown = start();
    if (shown && c.target == Target::Picture) {
        frm->imgAppToDeskClick();
        QApplication::processEvents();
    }
    answerer.stop();
    const QList<dialogs::Shown> displayed = dialogs::TakeShown();
    QStringList texts;
    for (const dialogs::Shown &s : displayed)
        texts << s.kind + ": " + s.text;
    SCOPED_TRACE(texts.join(" | ").toStdString());

    EXPECT_EQ(fileHash(home.dbPath()), notesBefore) << "the notes database changed";

    switch (c.target) {
    case Target::Database:
        // A file that is no database of ours ends the start with a message, before any window;
        // one that still opens shows the window with whatever it can read.
        if (!shown) {
            EXPECT_FALSE(connected);
            EXPECT_FALSE(displayed.isEmpty());
        }
        if (c.spoil == Spoil::Empty || c.spoil == Spoil::Binary) {
            EXPECT_FALSE(shown);
        }
        if (c.spoil == Spoil::Huge || c.spoil == Spoil::InvalidGbk) {
            EXPECT_TRUE(shown);
        }
        break;
    case Target::LoginStr: {
        // A first line that is there and not the no-password mark is a password: it is asked for.
        const bool passwordSet = c.spoil != Spoil::Empty;
        EXPECT_EQ(modalWindows > 0, passwordSet);
        EXPECT_EQ(shown, !passwordSet);
        break;
    }
    case Target::FormSize: {
        EXPECT_TRUE(shown);
        EXPECT_GE(frm->width(), TMainFrm::MinWidth);
        EXPECT_GE(frm->height(), TMainFrm::MinHeight);
        // Lines that are missing or not numbers are reported; any line end and trailing bytes are fine.
        // CR CR LF ends a line twice: the empty line between is no number.
        const bool reported = c.spoil == Spoil::Empty || c.spoil == Spoil::Truncated || c.spoil == Spoil::Binary
                              || c.spoil == Spoil::TextModeCopy || c.spoil == Spoil::InvalidGbk;
        EXPECT_EQ(!displayed.isEmpty(), reported);
        break;
    }
    case Target::ConfigSetBg: {
        EXPECT_TRUE(shown);
        const bool reported = c.spoil == Spoil::Empty || c.spoil == Spoil::Binary || c.spoil == Spoil::InvalidGbk;
        EXPECT_EQ(!displayed.isEmpty(), reported);
        break;
    }
    case Target::Content:
        // Any line ends and trailing zero bytes still leave the note readable.
        if (c.spoil == Spoil::LoneLf || c.spoil == Spoil::LoneCr || c.spoil == Spoil::TextModeCopy
            || c.spoil == Spoil::Huge) {
            EXPECT_TRUE(shown && frm->redt[1]->toPlainText().contains("meeting"));
        }
        [[fallthrough]];
    case Target::BGPicList:
    case Target::SetTrans:
        // Defaults or silent skips: the window comes up without a word.
        EXPECT_TRUE(shown);
        EXPECT_TRUE(displayed.isEmpty());
        break;
    case Target::Picture:
        EXPECT_TRUE(shown);
        break;
    }
    EXPECT_EQ(modalWindows > 0, c.target == Target::LoginStr && c.spoil != Spoil::Empty);
}

INSTANTIATE_TEST_SUITE_P(EveryFileEveryWay, BadInputTest, ::testing::ValuesIn(allCases()), caseName);

} // namespace
