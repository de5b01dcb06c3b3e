#include "SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString &p)
{
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
void writeAll(const QString &p, const QByteArray &b)
{
    QFile f(p);
    f.open(QIODevice::WriteOnly);
    f.write(b);
}
} // namespace

TEST(SettingsFile, WritesWholeFileInGbkWithCrLfAndReadsItBack)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("FormSize.ini");
    ASSERT_TRUE(settings::Write(p, {"906", "今天是 2010年6月1日(二)"}));
    EXPECT_EQ(readAll(p), QByteArray("906\r\n") + QByteArray::fromHex("bdf1cceccac72032303130c4ea36d4c231c8d528b6fe29")
                              + "\r\n");
    // Rewriting replaces the whole file.
    ASSERT_TRUE(settings::Write(p, {"1"}));
    EXPECT_EQ(readAll(p), QByteArray("1\r\n"));

    // A character outside GBK survives (GB18030 four-byte form).
    ASSERT_TRUE(settings::Write(p, {QString::fromUtf8("密码\xF0\x9F\x98\x80€")}));
    const settings::Lines l = settings::Read(p);
    ASSERT_EQ(l.status, settings::Status::Ok);
    EXPECT_EQ(l.lines, QStringList{QString::fromUtf8("密码\xF0\x9F\x98\x80€")});
}

TEST(SettingsFile, AnOutsizedFileIsReadToItsLastWholeLineWithinTheBound)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("FormSize.ini");
    const QByteArray line = QByteArray(98, '7') + "\r\n";
    writeAll(p, "1\r\n906\r\n" + line.repeated(int(settings::MaxReadBytes / line.size()) + 50));
    const settings::Lines l = settings::Read(p);
    ASSERT_EQ(l.status, settings::Status::Ok);
    ASSERT_GT(l.lines.size(), 2);
    EXPECT_EQ(l.lines.mid(0, 2), (QStringList{"1", "906"}));
    EXPECT_LE(l.lines.size(), settings::MaxReadBytes / line.size() + 2);
    EXPECT_EQ(l.lines.last(), QString::fromLatin1(line.trimmed())) << "no line is cut in two";
}

TEST(SettingsFile, LineAndNumberErrorsAreDistinguishable)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("a.ini");
    int n = 0;
    QString t;
    EXPECT_EQ(settings::Read(p).status, settings::Status::NoFile);
    EXPECT_EQ(settings::Read(p).number(0, n), settings::Status::NoFile);
    EXPECT_EQ(settings::Read(dir.path()).status, settings::Status::ReadError);

    writeAll(p, "12\n -7 \rabc\r\n\r\n");
    const settings::Lines l = settings::Read(p);
    ASSERT_EQ(l.status, settings::Status::Ok);
    EXPECT_EQ(l.lines.size(), 4); // any line end; the final one closes "" rather than opening a fifth
    EXPECT_EQ(l.number(0, n), settings::Status::Ok);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(l.number(1, n), settings::Status::Ok);
    EXPECT_EQ(n, -7);
    EXPECT_EQ(l.number(2, n), settings::Status::NotNumber);
    EXPECT_EQ(l.number(3, n), settings::Status::NotNumber);
    EXPECT_EQ(l.number(4, n), settings::Status::NoLine);
    EXPECT_EQ(l.text(2, t), settings::Status::Ok);
    EXPECT_EQ(t, "abc");
    EXPECT_EQ(n, -7); // failures leave the output alone

    writeAll(p, "");
    EXPECT_EQ(settings::Read(p).number(0, n), settings::Status::NoLine);
}

TEST(SettingsFile, AFailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("missing-folder/x.ini");
    EXPECT_FALSE(settings::Write(p, {"1"}));
    EXPECT_FALSE(QFile::exists(p));
}

TEST(SettingsFile, CodePageBytes)
{
    struct Case {
        const char *utf8;
        const char *hex;
    };
    // Bytes as another converter gives them; a lone surrogate has none and becomes '?'.
    const Case cases[] = {
        {"√", "a1cc"},   {"×", "a1c1"},       {"█", "a880"},         {"周记", "d6dcbcc7"},
        {"€", "a2e3"},   {"\xF0\x9F\x98\x80", "9439fc36"}, {"abc", "616263"},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.utf8);
        EXPECT_EQ(settings::Encode(text).toHex(), QByteArray(c.hex)) << c.utf8;
        EXPECT_EQ(settings::Decode(QByteArray::fromHex(c.hex)), text) << c.hex;
    }
    EXPECT_EQ(settings::Encode(QString(QChar(0xD800)) + "a" + QChar(0xDC00)), QByteArray("?a?"));
    // A cut character at the end of one text does not leak into the next one.
    EXPECT_EQ(settings::Decode(QByteArray::fromHex("d6dcbc")), QString::fromUtf8("周"));
    EXPECT_EQ(settings::Decode(QByteArray::fromHex("d6dc")), QString::fromUtf8("周"));
}
