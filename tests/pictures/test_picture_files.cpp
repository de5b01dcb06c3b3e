// BMP in and out, the JPEG pass and the conversions of added pictures.
#include "PictureFiles.h"
#include "bmp_bytes.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

#include <gif_lib.h>

using namespace bmpbytes;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0);

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QRgb rgbAt(const TPicture &p, int x, int y)
{
    const std::uint8_t *q = p.pixel(x, y);
    return qRgb(q[2], q[1], q[0]);
}

} // namespace

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class PictureFilesTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    static QString fixture(const QString &name) { return QStringLiteral(TAVI_TEST_DATA "/wallpaper/") + name; }
    QTemporaryDir dir;
};

// ---- reading ----------------------------------------------------------------------

struct BmpCase {
    const char *name;
    QByteArray file;
    std::array<QRgb, 8> expected; // 4 x 2, top row first
    int fourthByte;               // expected in every pixel
};

class ReadBmpCases : public PictureFilesTest, public ::testing::WithParamInterface<BmpCase> {};

TEST_P(ReadBmpCases, DecodesEveryDepthAndOrder)
{
    const BmpCase &c = GetParam();
    writeFile(path("case.bmp"), c.file);
    TPicture p;
    QString error;
    ASSERT_TRUE(pictures::ReadBmp(path("case.bmp"), p, &error)) << qPrintable(error);
    ASSERT_EQ(p.width, 4);
    ASSERT_EQ(p.height, 2);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(rgbAt(p, i % 4, i / 4), c.expected[size_t(i)]) << "pixel " << i;
        EXPECT_EQ(p.pixel(i % 4, i / 4)[3], c.fourthByte) << "pixel " << i;
    }
}

namespace {
// The picture all cases show: top row R G B W, bottom row K W R G.
const std::array<QRgb, 8> Pattern = {R, G, B, W, K, W, R, G};
const QByteArray Pal = bgra({R, G, B, W, K});

QByteArray rgb24Row(std::initializer_list<QRgb> px)
{
    QByteArray out;
    for (QRgb c : px)
        out += char(qBlue(c)), out += char(qGreen(c)), out += char(qRed(c));
    while (out.size() % 4)
        out += '\0';
    return out;
}
QByteArray rgb32Row(std::initializer_list<QRgb> px, int fourth)
{
    QByteArray out;
    for (QRgb c : px)
        out += char(qBlue(c)), out += char(qGreen(c)), out += char(qRed(c)), out += char(fourth);
    return out;
}
quint16 rgb555(QRgb c) { return quint16((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3); }
quint16 rgb565(QRgb c) { return quint16((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | qBlue(c) >> 3); }
QByteArray row16(std::initializer_list<QRgb> px, quint16 (*pack)(QRgb))
{
    QByteArray out;
    for (QRgb c : px)
        out += le16(pack(c));
    return out;
}
// 16-bit pixels widen to 8 bits by shifting, as the platform's own bitmaps do.
QRgb w555(QRgb c) { return qRgb(qRed(c) & 0xF8, qGreen(c) & 0xF8, qBlue(c) & 0xF8); }
QRgb w565(QRgb c) { return qRgb(qRed(c) & 0xF8, qGreen(c) & 0xFC, qBlue(c) & 0xF8); }

const QByteArray Top24 = rgb24Row({R, G, B, W}), Bottom24 = rgb24Row({K, W, R, G});

std::vector<BmpCase> bmpCases()
{
    // Palette indices: R0 G1 B2 W3 K4.
    return {
        {"bpp1", makeBmp(4, 2, 1, 0, bytes({0x50, 0, 0, 0, 0xA0, 0, 0, 0}), bgra({K, W})), {W, K, W, K, K, W, K, W}, 0},
        {"bpp4", makeBmp(4, 2, 4, 0, bytes({0x43, 0x01, 0, 0, 0x01, 0x23, 0, 0}), Pal), Pattern, 0},
        {"bpp8", makeBmp(4, 2, 8, 0, bytes({4, 3, 0, 1, 0, 1, 2, 3}), Pal), Pattern, 0},
        {"bpp8_topdown", makeBmp(4, -2, 8, 0, bytes({0, 1, 2, 3, 4, 3, 0, 1}), Pal), Pattern, 0},
        {"bpp16_555", makeBmp(4, 2, 16, 0, row16({K, W, R, G}, rgb555) + row16({R, G, B, W}, rgb555)),
         {w555(R), w555(G), w555(B), w555(W), K, w555(W), w555(R), w555(G)}, 0},
        {"bpp16_565", makeBmp(4, 2, 16, 3, row16({K, W, R, G}, rgb565) + row16({R, G, B, W}, rgb565), {},
                              le32(0xF800) + le32(0x07E0) + le32(0x001F)),
         {w565(R), w565(G), w565(B), w565(W), K, w565(W), w565(R), w565(G)}, 0},
        {"bpp24", makeBmp(4, 2, 24, 0, Bottom24 + Top24), Pattern, 0},
        {"bpp24_topdown", makeBmp(4, -2, 24, 0, Top24 + Bottom24), Pattern, 0},
        {"bpp32", makeBmp(4, 2, 32, 0, rgb32Row({K, W, R, G}, 0) + rgb32Row({R, G, B, W}, 0)), Pattern, 0},
        {"bpp32_keeps_fourth", makeBmp(4, -2, 32, 0, rgb32Row({R, G, B, W}, 0x7F) + rgb32Row({K, W, R, G}, 0x7F)),
         Pattern, 0x7F},
        {"bpp32_bitfields",
         makeBmp(4, 2, 32, 3, rgb32Row({K, W, R, G}, 0) + rgb32Row({R, G, B, W}, 0), {},
                 le32(0xFF0000) + le32(0xFF00) + le32(0xFF)),
         Pattern, 0},
        {"rle8", makeBmp(4, 2, 8, 1, bytes({1, 4, 1, 3, 1, 0, 1, 1, 0, 0, 4, 0, 0, 0, 0, 1}), Pal),
         {R, R, R, R, K, W, R, G}, 0},
        {"rle4", makeBmp(4, 2, 4, 2, bytes({4, 0x43, 0, 0, 4, 0x12, 0, 1}), Pal), {G, B, G, B, K, W, K, W}, 0},
    };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Depths, ReadBmpCases, ::testing::ValuesIn(bmpCases()),
                         [](const auto &info) { return std::string(info.param.name); });

struct BadBmp {
    const char *name;
    QByteArray file;
};
class MalformedBmp : public PictureFilesTest, public ::testing::WithParamInterface<BadBmp> {};

TEST_P(MalformedBmp, IsAnErrorNotACrash)
{
    writeFile(path("bad.bmp"), GetParam().file);
    TPicture p;
    QString error;
    EXPECT_FALSE(pictures::ReadBmp(path("bad.bmp"), p, &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {
std::vector<BadBmp> badBmps()
{
    QByteArray noise("BM");
    QRandomGenerator rng(42);
    for (int i = 0; i < 200; ++i)
        noise += char(rng.bounded(256));
    QByteArray hugeHeader = makeBmp(4, 2, 24, 0, Bottom24 + Top24);
    hugeHeader.replace(18, 8, le32(100000) + le32(100000));
    QByteArray farOffset = makeBmp(4, 2, 24, 0, Bottom24 + Top24);
    farOffset.replace(10, 4, le32(1u << 30));
    return {
        {"empty", {}},
        {"magic_only", "BM"},
        {"not_a_bmp", QByteArray("GIF89a") + QByteArray(60, '\0')},
        {"truncated_pixels", makeBmp(100, 100, 24, 0, QByteArray(50, '\x10'))},
        {"huge_dimensions", hugeHeader},
        {"negative_width", makeBmp(-4, 2, 24, 0, Bottom24 + Top24)},
        {"zero_height", makeBmp(4, 0, 24, 0, {})},
        {"bad_depth", makeBmp(4, 2, 7, 0, Bottom24 + Top24)},
        {"pixels_past_end", farOffset},
        {"truncated_palette", makeBmp(4, 2, 8, 0, {}, bgra({R})).left(60)},
        {"noise", noise},
    };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Files, MalformedBmp, ::testing::ValuesIn(badBmps()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PictureFilesTest, MissingFileIsAnError)
{
    TPicture p;
    EXPECT_FALSE(pictures::ReadBmp(path("none.bmp"), p));
}

TEST_F(PictureFilesTest, RunsPastThePictureAreCutAtItsEdges)
{
    // An RLE run four times wider than the picture, and a delta far outside it.
    writeFile(path("rle.bmp"), makeBmp(4, 2, 8, 1, bytes({16, 1, 0, 2, 100, 100, 1, 2, 0, 1}), Pal));
    TPicture p;
    QString error;
    ASSERT_TRUE(pictures::ReadBmp(path("rle.bmp"), p, &error)) << qPrintable(error);
    ASSERT_EQ(p.width, 4);
    ASSERT_EQ(p.height, 2);
    // The run is cut at the end of its row (the bottom one): nothing of it wraps into the
    // top row, and the delta writes nowhere. Pixels the file never sets take the palette's
    // first colour, not what the memory held (under valgrind this read was undefined).
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(rgbAt(p, x, 1), G) << x;
        EXPECT_EQ(rgbAt(p, x, 0), R) << x;
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(QList<QRgb>({R, G, B, W, K}).contains(rgbAt(p, i % 4, i / 4))) << "pixel " << i;
        EXPECT_EQ(p.pixel(i % 4, i / 4)[3], 0) << "pixel " << i;
    }
}

// ---- writing ----------------------------------------------------------------------

TEST_F(PictureFilesTest, Bmp32IsBottomUpUncompressedWithTheFourthByteAsGiven)
{
    TPicture p(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            std::uint8_t *q = p.pixel(x, y);
            q[0] = std::uint8_t(10 * x + y), q[1] = 100, q[2] = std::uint8_t(200 + y), q[3] = 0;
        }
    ASSERT_TRUE(pictures::WriteBmp32(path("out.bmp"), p));
    QFile f(path("out.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray d = f.readAll();
    ASSERT_EQ(d.size(), 54 + 3 * 2 * 4);
    EXPECT_EQ(d.left(2), "BM");
    EXPECT_EQ(d.mid(2, 4), le32(54 + 24));
    EXPECT_EQ(d.mid(10, 4), le32(54));
    EXPECT_EQ(d.mid(14, 4), le32(40));
    EXPECT_EQ(d.mid(18, 8), le32(3) + le32(2)); // positive height: bottom row first
    EXPECT_EQ(d.mid(26, 4), le16(1) + le16(32));
    EXPECT_EQ(d.mid(30, 4), le32(0));
    EXPECT_EQ(d.mid(54, 4), bytes({0 + 1, 100, 201, 0})); // bottom-left pixel
    TPicture back;
    ASSERT_TRUE(pictures::ReadBmp(path("out.bmp"), back));
    EXPECT_EQ(back.bits, p.bits);
}

TEST_F(PictureFilesTest, Bmp24PadsRowsToFourBytes)
{
    TPicture p(3, 5, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            p.pixel(x, y)[2] = std::uint8_t(40 * y + x);
    ASSERT_TRUE(pictures::WriteBmp24(path("out.bmp"), p));
    EXPECT_EQ(QFileInfo(path("out.bmp")).size(), 54 + 12 * 5);
    const QImage viaQt(path("out.bmp"));
    ASSERT_FALSE(viaQt.isNull());
    EXPECT_EQ(viaQt.depth() == 32 || viaQt.depth() == 24, true);
    EXPECT_EQ(qRed(viaQt.pixel(2, 4)), 162);
    TPicture back;
    ASSERT_TRUE(pictures::ReadBmp(path("out.bmp"), back));
    EXPECT_EQ(back.bits, p.bits);
}

TEST_F(PictureFilesTest, WritingIntoAMissingFolderFails)
{
    EXPECT_FALSE(pictures::WriteBmp32(path("no/such/out.bmp"), TPicture(2, 2)));
    EXPECT_FALSE(pictures::WriteBmp32(path("empty.bmp"), TPicture()));
}

// A picture made again is a new file: whoever still reads the old one (a desktop loading
// the last wallpaper) reads it whole, and the name holds just the new bytes.
TEST_F(PictureFilesTest, RewrittenPicturesAreNewFiles)
{
    const QByteArray old(100000, 'o');
    for (const auto &write : std::initializer_list<std::function<bool(const QString &)>>{
             [](const QString &p) { return pictures::WriteBmp32(p, TPicture(2, 2)); },
             [](const QString &p) { return pictures::WriteFile(p, "new"); }}) {
        writeFile(path("pic"), old);
        QFile reader(path("pic"));
        ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
        ASSERT_TRUE(write(path("pic")));
        EXPECT_EQ(reader.readAll(), old);
        EXPECT_LT(QFileInfo(path("pic")).size(), 100);
    }
}

// ---- JPEG -------------------------------------------------------------------------

namespace {
// The byte offset of the first marker `m` (0xFF, m), or -1.
qsizetype marker(const QByteArray &d, uchar m)
{
    for (qsizetype i = 2; i + 1 < d.size(); ++i)
        if (uchar(d[i]) == 0xFF && uchar(d[i + 1]) == m)
            return i;
    return -1;
}
} // namespace

TEST_F(PictureFilesTest, JpegIsBaselineTwentyFourBitAtQuality90)
{
    TPicture p(64, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t *q = p.pixel(x, y);
            q[0] = std::uint8_t(4 * x), q[1] = std::uint8_t(6 * y), q[2] = 128;
        }
    ASSERT_TRUE(pictures::WriteJpeg(path("out.jpg"), p, 90));
    QFile f(path("out.jpg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray d = f.readAll();
    EXPECT_EQ(d.left(2), bytes({0xFF, 0xD8}));
    const qsizetype sof = marker(d, 0xC0);
    ASSERT_GE(sof, 0) << "baseline frame";
    EXPECT_EQ(marker(d, 0xC2), -1) << "not progressive";
    EXPECT_EQ(int(uchar(d[sof + 9])), 3) << "three colour components";
    // Quality 90 scales the standard luminance table by 20 %: its first entry 16 becomes 3.
    const qsizetype dqt = marker(d, 0xDB);
    ASSERT_GE(dqt, 0);
    EXPECT_EQ(int(uchar(d[dqt + 5])), 3);

    int w = 0, h = 0;
    std::vector<std::uint8_t> bgr;
    ASSERT_TRUE(pictures::ReadJpeg(path("out.jpg"), w, h, bgr));
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 40);
    const std::uint8_t *mid = &bgr[size_t(20 * 64 + 32) * 3];
    EXPECT_NEAR(mid[0], 128, 8);
    EXPECT_NEAR(mid[1], 120, 8);
    EXPECT_NEAR(mid[2], 128, 8);
}

struct JpegFixture {
    const char *file;
    int w, h;
    QRgb centre;
};
class JpegFixtures : public PictureFilesTest, public ::testing::WithParamInterface<JpegFixture> {};

TEST_P(JpegFixtures, JpgToBmpWritesA24BitBmpBesideIt)
{
    const JpegFixture c = GetParam();
    const QString copy = path(QString::fromLatin1(c.file));
    ASSERT_TRUE(QFile::copy(fixture(QString::fromLatin1(c.file)), copy));
    const QString bmp = JpgToBmp(copy);
    ASSERT_EQ(bmp, ChangeFileExt(copy, ".bmp"));
    QFile f(bmp);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(30).mid(28, 2), le16(24));
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(bmp, p));
    EXPECT_EQ(p.width, c.w);
    EXPECT_EQ(p.height, c.h);
    const QRgb got = rgbAt(p, c.w / 2, c.h / 2);
    EXPECT_NEAR(qRed(got), qRed(c.centre), 14);
    EXPECT_NEAR(qGreen(got), qGreen(c.centre), 14);
    EXPECT_NEAR(qBlue(got), qBlue(c.centre), 14);
}

INSTANTIATE_TEST_SUITE_P(Files, JpegFixtures,
                         ::testing::Values(JpegFixture{"photo.JPG", 64, 48, qRgb(128, 96, 96)},
                                           JpegFixture{"gray.jpg", 32, 24, qRgb(128, 128, 128)},
                                           JpegFixture{"cmyk.jpg", 32, 24, qRgb(200, 40, 40)}));

TEST_F(PictureFilesTest, BrokenJpegsAreErrorsNotCrashes)
{
    QFile src(fixture("photo.JPG"));
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray good = src.readAll();
    const QList<QByteArray> broken = {QByteArray(), bytes({0xFF, 0xD8}), bytes({0xFF, 0xD8, 0xFF, 0xC0, 0, 11}),
                                      QByteArray("not a jpeg at all"), good.left(good.size() / 3)};
    for (const QByteArray &b : broken) {
        writeFile(path("broken.jpg"), b);
        QString error;
        const QString out = JpgToBmp(path("broken.jpg"), &error);
        // A cut-off scan may still decode (grey where data is missing); a broken header never does.
        if (b.size() < 40) {
            EXPECT_TRUE(out.isEmpty()) << b.size();
            EXPECT_FALSE(error.isEmpty());
        }
    }
    EXPECT_TRUE(JpgToBmp(path("missing.jpg")).isEmpty());
}

// ---- GIF --------------------------------------------------------------------------

namespace {
// A GIF on a screen of 8 x 6 with background blue (index 2) and one 4 x 2 frame at (2, 1)
// whose index 1 is transparent. Indices: 0 red, 1 black, 2 blue, 3 white.
bool writeCraftedGif(const QString &path)
{
    int err = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &err);
    if (!gif)
        return false;
    EGifSetGifVersion(gif, true);
    GifColorType colours[4] = {{255, 0, 0}, {0, 0, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject *map = GifMakeMapObject(4, colours);
    bool ok = EGifPutScreenDesc(gif, 8, 6, 8, 2, map) == GIF_OK;
    const GifByteType gce[4] = {1, 0, 0, 1}; // transparent, no delay, index 1
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 2, 1, 4, 2, false, nullptr) == GIF_OK;
    GifPixelType row0[4] = {0, 1, 0, 3}, row1[4] = {3, 3, 0, 0};
    ok = ok && EGifPutLine(gif, row0, 4) == GIF_OK && EGifPutLine(gif, row1, 4) == GIF_OK;
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return ok;
}
} // namespace

TEST_F(PictureFilesTest, GifFirstFrameOnItsScreenWithTheBackgroundBehind)
{
    ASSERT_TRUE(writeCraftedGif(path("crafted.gif")));
    const QString bmp = GifToBmp(path("crafted.gif"));
    ASSERT_EQ(bmp, path("crafted.bmp"));
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(bmp, p));
    ASSERT_EQ(p.width, 8);
    ASSERT_EQ(p.height, 6);
    EXPECT_EQ(rgbAt(p, 0, 0), B);
    EXPECT_EQ(rgbAt(p, 2, 1), R);
    EXPECT_EQ(rgbAt(p, 3, 1), B) << "transparent shows the background";
    EXPECT_EQ(rgbAt(p, 5, 1), W);
    EXPECT_EQ(rgbAt(p, 2, 2), W);
    EXPECT_EQ(rgbAt(p, 5, 2), R);
    EXPECT_EQ(rgbAt(p, 7, 5), B);
}

TEST_F(PictureFilesTest, GifWithoutAnyColourMapIsAnError)
{
    // The encoder refuses to write one: take the colour table out of a good file.
    ASSERT_TRUE(writeCraftedGif(path("nomap.gif")));
    QFile f(path("nomap.gif"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray d = f.readAll();
    f.close();
    ASSERT_EQ(uchar(d[10]) & 0x87, 0x81); // a global table of four colours
    d[10] = char(uchar(d[10]) & 0x7F);
    d.remove(13, 12);
    writeFile(path("nomap.gif"), d);
    EXPECT_TRUE(GifToBmp(path("nomap.gif")).isEmpty());
}

TEST_F(PictureFilesTest, AnimatedGifGivesItsFirstFrame)
{
    ASSERT_TRUE(QFile::copy(fixture("anim.gif"), path("anim.gif")));
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(GifToBmp(path("anim.gif")), p));
    EXPECT_EQ(p.width, 40);
    EXPECT_EQ(rgbAt(p, 20, 15), R);
}

TEST_F(PictureFilesTest, InterlacedGifComesOutInRowOrder)
{
    ASSERT_TRUE(QFile::copy(fixture("interlaced.gif"), path("interlaced.gif")));
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(GifToBmp(path("interlaced.gif")), p));
    const QImage viaQt(fixture("interlaced.gif"));
    ASSERT_FALSE(viaQt.isNull());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            ASSERT_EQ(rgbAt(p, x, y), viaQt.pixel(x, y) | 0xFF000000u) << x << "," << y;
}

TEST_F(PictureFilesTest, BrokenGifsAreErrorsNotCrashes)
{
    QFile src(fixture("anim.gif"));
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray good = src.readAll();
    for (const QByteArray &b : {QByteArray(), QByteArray("GIF89a"), good.left(20), good.left(40)}) {
        writeFile(path("broken.gif"), b);
        EXPECT_TRUE(GifToBmp(path("broken.gif")).isEmpty()) << b.size();
    }
}

// ---- conversion -------------------------------------------------------------------

struct ConvertCase {
    const char *source; // fixture copied under `name`
    const char *name;
    const char *expected; // file name of the result, "" for none, "=" for the path itself
};
class ConvertToBmpCases : public PictureFilesTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertToBmpCases, ByExtensionInAnyCase)
{
    const ConvertCase c = GetParam();
    const QString copy = path(QString::fromLatin1(c.name));
    if (*c.source)
        ASSERT_TRUE(QFile::copy(fixture(QString::fromLatin1(c.source)), copy));
    else
        writeFile(copy, makeBmp(4, 2, 24, 0, Bottom24 + Top24));
    const QString got = ConvertToBmp(copy);
    const QString expected = QString::fromLatin1(c.expected);
    if (expected == "=")
        EXPECT_EQ(got, copy);
    else if (expected.isEmpty())
        EXPECT_TRUE(got.isEmpty());
    else
        EXPECT_EQ(got, path(expected));
    EXPECT_TRUE(QFile::exists(copy)) << "the copy stays beside its BMP";
}

INSTANTIATE_TEST_SUITE_P(Files, ConvertToBmpCases,
                         ::testing::Values(ConvertCase{"", "plain.bmp", "="}, ConvertCase{"", "upper.BMP", "="},
                                           ConvertCase{"photo.JPG", "photo.JPG", "photo.bmp"},
                                           ConvertCase{"photo.JPG", "two.jpeg", "two.bmp"},
                                           ConvertCase{"photo.JPG", "three.Jpg", "three.bmp"},
                                           ConvertCase{"anim.gif", "anim.Gif", "anim.bmp"},
                                           ConvertCase{"pic.png", "pic.png", ""},
                                           ConvertCase{"pic.png", "icon.ico", ""},
                                           ConvertCase{"pic.png", "noext", ""}));

TEST(ChangeFileExt, ReplacesFromTheLastDotOfTheName)
{
    EXPECT_EQ(ChangeFileExt("/a/Mix.Jpg", ".bmp"), "/a/Mix.bmp");
    EXPECT_EQ(ChangeFileExt("/a/x.tar.gz", ".bmp"), "/a/x.tar.bmp");
    EXPECT_EQ(ChangeFileExt("/a.b/name", ".bmp"), "/a.b/name.bmp");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\name", ".bmp"), "C:\\a.b\\name.bmp");
}
