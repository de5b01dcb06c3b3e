// Adding a picture to the picture folder: every kind becomes a 24-bit BMP, and nothing
// the folder held before is replaced, cut short or left half-written.
#include "PictureFiles.h"
#include "bmp_bytes.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QTemporaryDir>

#include <gif_lib.h>

using namespace bmpbytes;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0);

QString fixture(const char *name) { return QStringLiteral(TAVI_TEST_DATA "/wallpaper/") + QLatin1String(name); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every entry of the folder, hidden ones too, with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> out;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        out[name] = QCryptographicHash::hash(readAll(dir.filePath(name)), QCryptographicHash::Sha1);
    return out;
}

QByteArray solidBmp(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return out;
}

QByteArray pngOf(const QImage &img)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return out;
}

QRgb rgbAt(const TPicture &p, int x, int y)
{
    const std::uint8_t *q = p.pixel(x, y);
    return qRgb(q[2], q[1], q[0]);
}

// The picture all BMP cases show: top row R G B W, bottom row K W R G.
const QByteArray Pal = bgra({R, G, B, W, K});
quint16 rgb565(QRgb c) { return quint16((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | qBlue(c) >> 3); }
// Widened back by shifting, as the platform's own bitmaps do.
QRgb w565(QRgb c) { return qRgb(qRed(c) & 0xF8, qGreen(c) & 0xFC, qBlue(c) & 0xF8); }
QByteArray row565(std::initializer_list<QRgb> px)
{
    QByteArray out;
    for (QRgb c : px)
        out += le16(rgb565(c));
    return out;
}
QByteArray row32(std::initializer_list<QRgb> px)
{
    QByteArray out;
    for (QRgb c : px)
        out += char(qBlue(c)), out += char(qGreen(c)), out += char(qRed(c)), out += char(0x80);
    return out;
}

} // namespace

class AddPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid() && outside.isValid());
        // The folder as the user has it: a listed picture X.bmp beside the default one.
        ASSERT_TRUE(put(in("X.bmp"), solidBmp(4, 4, R)));
        ASSERT_TRUE(put(in("A1.bmp"), solidBmp(8, 6, B)));
    }
    QString in(const QString &name) const { return folder.filePath(name); }
    QString out(const QString &name) const { return outside.filePath(name); }
    QTemporaryDir folder, outside;
};

// ---- refused: the folder stays exactly as it was ----------------------------------

struct Refused {
    const char *name;
    const char *file;
    QByteArray bytes; // written outside under `file`; none for a missing file
    bool missing = false;
};
class RefusedPictures : public AddPictureTest, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedPictures, LeaveTheFolderAsItWas)
{
    const Refused &c = GetParam();
    if (!c.missing) {
        ASSERT_TRUE(put(out(c.file), c.bytes));
    }
    const auto before = snapshot(folder.path());
    QString error;
    EXPECT_EQ(pictures::AddPicture(out(c.file), folder.path(), {}, &error), QString());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(snapshot(folder.path()), before) << "nothing added, replaced, cut short or left behind";
}

namespace {
std::vector<Refused> refused()
{
    const QByteArray jpegHeaderOnly = bytes({0xFF, 0xD8, 0xFF, 0xC0, 0, 11});
    const QByteArray gif = readAll(fixture("anim.gif"));
    return {
        {"broken_jpg_over_a_listed_bmp", "X.jpg", jpegHeaderOnly},
        {"empty_jpg", "X.jpeg", {}},
        {"text_named_jpg", "X.Jpg", "not a jpeg at all"},
        {"broken_gif_over_a_listed_bmp", "X.gif", gif.left(20)},
        {"gif_signature_only", "X.gif", "GIF89a"},
        {"broken_png", "X.png", readAll(fixture("pic.png")).left(40)},
        {"broken_bmp_of_the_same_name", "X.bmp", "BM this is not a picture"},
        {"bmp_claiming_a_huge_picture", "X.bmp", makeBmp(100000, 100000, 24, 0, QByteArray(64, '\0'))},
        {"other_kind", "X.ico", readAll(fixture("pic.png"))},
        {"no_extension", "X", readAll(fixture("pic.png"))},
        {"missing", "gone.jpg", {}, true},
    };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Files, RefusedPictures, ::testing::ValuesIn(refused()),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- accepted: a 24-bit BMP of the picture, under a name nobody else has -----------

struct Accepted {
    const char *name;
    const char *file;     // written outside
    QByteArray bytes;
    const char *bmp;      // the name given back
    const char *copy;     // the copy of the file beside the BMP, "" for none
    QList<QRgb> expected; // the BMP's pixels row by row from the top; empty: as the file decodes
    int width = 0;
};
class AcceptedPictures : public AddPictureTest, public ::testing::WithParamInterface<Accepted> {};

TEST_P(AcceptedPictures, BecomeA24BitBmpAndReplaceNothing)
{
    const Accepted &c = GetParam();
    ASSERT_TRUE(put(out(c.file), c.bytes));
    const auto before = snapshot(folder.path());
    QString error;
    ASSERT_EQ(pictures::AddPicture(out(c.file), folder.path(), {"Content.bmp", "Mix.bmp", "Mix.Jpg"}, &error),
              QString::fromLatin1(c.bmp))
        << qPrintable(error);

    auto after = snapshot(folder.path());
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.take(it.key()), it.value()) << qPrintable(it.key()) << " stays as it was";
    QStringList added = after.keys();
    QStringList expectedAdded = {QString::fromLatin1(c.bmp)};
    if (*c.copy)
        expectedAdded << QString::fromLatin1(c.copy);
    added.sort();
    expectedAdded.sort();
    EXPECT_EQ(added, expectedAdded) << "no passing file left behind";
    if (*c.copy) {
        EXPECT_EQ(readAll(in(c.copy)), c.bytes);
    }

    const QByteArray head = readAll(in(c.bmp)).left(30);
    EXPECT_EQ(head.mid(28, 2), le16(24)) << "24 bits";
    TPicture got;
    ASSERT_TRUE(pictures::ReadBmp(in(c.bmp), got));
    if (c.expected.isEmpty()) {
        const QImage viaQt = QImage::fromData(c.bytes).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(got.width, viaQt.width());
        ASSERT_EQ(got.height, viaQt.height());
        for (int y = 0; y < got.height; y += 7)
            for (int x = 0; x < got.width; x += 5)
                ASSERT_EQ(rgbAt(got, x, y), viaQt.pixel(x, y)) << x << "," << y;
    } else {
        ASSERT_EQ(got.width, c.width);
        ASSERT_EQ(qsizetype(got.width) * got.height, c.expected.size());
        for (qsizetype i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(rgbAt(got, int(i % c.width), int(i / c.width)), c.expected[i]) << "pixel " << i;
    }
}

namespace {
std::vector<Accepted> accepted()
{
    const QList<QRgb> pattern = {R, G, B, W, K, W, R, G};
    const QByteArray photo = readAll(fixture("photo.JPG"));
    QImage seeThrough(3, 1, QImage::Format_ARGB32);
    seeThrough.setPixel(0, 0, qRgba(0, 0, 0, 0));
    seeThrough.setPixel(1, 0, qRgba(255, 0, 0, 255));
    seeThrough.setPixel(2, 0, qRgba(0, 0, 255, 128));
    // Half-covering blue over white: 255 - 128 = 127 of white in red and green.
    const QList<QRgb> overWhite = {W, R, qRgb(127, 127, 255)};
    return {
        {"jpg_beside_a_listed_bmp_of_its_name", "X.jpg", photo, "X (2).bmp", "X (2).jpg", {}},
        {"jpg", "photo.JPG", photo, "photo.bmp", "photo.JPG", {}},
        {"gif", "anim.gif", readAll(fixture("anim.gif")), "anim.bmp", "anim.gif", {}},
        {"png", "pic.png", readAll(fixture("pic.png")), "pic.bmp", "pic.png", {}},
        {"png_see_through_shows_white", "glass.PNG", pngOf(seeThrough), "glass.bmp", "glass.PNG", overWhite, 3},
        {"bmp1", "mono.bmp", makeBmp(2, 2, 1, 0, bytes({0x40, 0, 0, 0, 0x80, 0, 0, 0}), bgra({K, W})), "mono.bmp", "",
         {W, K, K, W}, 2},
        {"bmp8", "pal.bmp", makeBmp(4, 2, 8, 0, bytes({4, 3, 0, 1, 0, 1, 2, 3}), Pal), "pal.bmp", "", pattern, 4},
        {"bmp16", "rgb16.bmp",
         makeBmp(4, 2, 16, 3, row565({K, W, R, G}) + row565({R, G, B, W}), {}, le32(0xF800) + le32(0x07E0) + le32(0x1F)),
         "rgb16.bmp", "", {w565(R), w565(G), w565(B), w565(W), K, w565(W), w565(R), w565(G)}, 4},
        {"bmp32", "rgb32.BMP", makeBmp(4, 2, 32, 0, row32({K, W, R, G}) + row32({R, G, B, W})), "rgb32.BMP", "",
         pattern, 4},
        {"bmp_rle8", "rle.bmp", makeBmp(4, 2, 8, 1, bytes({1, 4, 1, 3, 1, 0, 1, 1, 0, 0, 4, 0, 0, 0, 0, 1}), Pal),
         "rle.bmp", "", {R, R, R, R, K, W, R, G}, 4},
        {"bmp_of_a_listed_name", "X.bmp", makeBmp(4, 2, 8, 0, bytes({4, 3, 0, 1, 0, 1, 2, 3}), Pal), "X (2).bmp", "",
         pattern, 4},
        {"name_the_apply_writes", "Mix.jpg", photo, "Mix (2).bmp", "Mix (2).jpg", {}},
    };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Files, AcceptedPictures, ::testing::ValuesIn(accepted()),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- the same picture again ---------------------------------------------------------

TEST_F(AddPictureTest, TheSamePictureAgainIsTheFileAddedBefore)
{
    ASSERT_TRUE(QFile::copy(fixture("photo.JPG"), out("photo.JPG")));
    ASSERT_EQ(pictures::AddPicture(out("photo.JPG"), folder.path()), "photo.bmp");
    const auto once = snapshot(folder.path());
    EXPECT_EQ(pictures::AddPicture(out("photo.JPG"), folder.path()), "photo.bmp");
    EXPECT_EQ(snapshot(folder.path()), once);
    // Another picture of that name does not take its place.
    ASSERT_TRUE(QFile::remove(out("photo.JPG")));
    ASSERT_TRUE(QFile::copy(fixture("gray.jpg"), out("photo.JPG")));
    EXPECT_EQ(pictures::AddPicture(out("photo.JPG"), folder.path()), "photo (2).bmp");
    EXPECT_EQ(readAll(in("photo.JPG")), readAll(fixture("photo.JPG")));
}

TEST_F(AddPictureTest, ABmpInTheFolderIsTakenAsItIs)
{
    const QByteArray eight = makeBmp(4, 2, 8, 0, bytes({4, 3, 0, 1, 0, 1, 2, 3}), Pal);
    ASSERT_TRUE(put(in("own.bmp"), eight));
    const auto before = snapshot(folder.path());
    EXPECT_EQ(pictures::AddPicture(in("own.bmp"), folder.path()), "own.bmp");
    EXPECT_EQ(pictures::AddPicture(in("X.bmp"), folder.path()), "X.bmp");
    EXPECT_EQ(snapshot(folder.path()), before);
    // Unless the apply writes that name: then it is a new picture beside it.
    EXPECT_EQ(pictures::AddPicture(in("X.bmp"), folder.path(), {"X.bmp"}), "X (2).bmp");
}

// ---- the conversions on their own no longer cut a file short ------------------------

TEST_F(AddPictureTest, ABrokenJpegOrGifLeavesTheBmpOfItsNameWhole)
{
    const QByteArray x = readAll(in("X.bmp"));
    for (const char *name : {"X.jpg", "X.gif"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(put(in(name), "broken"));
        QString error;
        EXPECT_TRUE(ConvertToBmp(in(name)).isEmpty());
        const bool jpeg = QString(name).endsWith("jpg");
        EXPECT_TRUE((jpeg ? JpgToBmp(in(name), &error) : GifToBmp(in(name), &error)).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readAll(in("X.bmp")), x);
        ASSERT_TRUE(QFile::remove(in(name)));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"A1.bmp", "X.bmp"}));
}
