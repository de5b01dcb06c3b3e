// GIF conversion at its edges: frames claiming sizes the file cannot hold, interlaced
// rows, and a file that breaks off after its first frame.
#include "PictureFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include <gif_lib.h>

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); }

// A GIF of a few bytes: a screen and a two-colour table, one frame header and a scrap of
// picture data.
QByteArray claimingGif(int screenW, int screenH, int frameW, int frameH)
{
    return QByteArray("GIF89a") + le16(screenW) + le16(screenH) + char(0x80) + char(0) + char(0)
           + QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) + ',' + le16(0) + le16(0) + le16(frameW) + le16(frameH)
           + char(0) + QByteArray("\x02\x02\x4C\x01\x00;", 6);
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One column of `height` rows, row y in colour y % 4, written interlaced when asked.
bool writeColumnGif(const QString &path, int height, bool interlaced)
{
    int err = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &err);
    if (!gif)
        return false;
    GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    ColorMapObject *map = GifMakeMapObject(4, colours);
    bool ok = EGifPutScreenDesc(gif, 1, height, 8, 0, map) == GIF_OK
              && EGifPutImageDesc(gif, 0, 0, 1, height, interlaced, nullptr) == GIF_OK;
    static constexpr int first[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? first[pass] : 0; ok && y < height; y += interlaced ? step[pass] : 1) {
            GifPixelType px = GifPixelType(y % 4);
            ok = EGifPutLine(gif, &px, 1) == GIF_OK;
        }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return ok;
}

} // namespace

class GifLimitsTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

struct ClaimCase {
    const char *name;
    int screenW, screenH, frameW, frameH;
};

class GifClaimTest : public GifLimitsTest, public ::testing::WithParamInterface<ClaimCase> {};

// Refused from the headers, before memory for the claimed picture is taken.
TEST_P(GifClaimTest, PictureLargerThanTheLimitIsRefused)
{
    const ClaimCase &c = GetParam();
    ASSERT_GT(qint64(std::max(c.screenW, c.frameW)) * std::max(c.screenH, c.frameH), pictures::MaxPixels);
    ASSERT_TRUE(put(path("big.gif"), claimingGif(c.screenW, c.screenH, c.frameW, c.frameH)));
    QString error;
    EXPECT_TRUE(GifToBmp(path("big.gif"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("过大"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path("big.bmp")));
}

INSTANTIATE_TEST_SUITE_P(Claims, GifClaimTest,
                         ::testing::Values(ClaimCase{"frame_on_small_screen", 10, 10, 40000, 40000},
                                           ClaimCase{"frame_on_no_screen", 0, 0, 30000, 30000},
                                           ClaimCase{"screen", 65535, 65535, 2, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(GifLimitsTest, InterlacedRowsLandInTheirPlaces)
{
    for (bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "plain");
        ASSERT_TRUE(writeColumnGif(path("col.gif"), 19, interlaced));
        QString error;
        ASSERT_EQ(GifToBmp(path("col.gif"), &error), path("col.bmp")) << error.toStdString();
        TPicture p;
        ASSERT_TRUE(pictures::ReadBmp(path("col.bmp"), p));
        ASSERT_EQ(p.width, 1);
        ASSERT_EQ(p.height, 19);
        const std::uint8_t bgr[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};
        for (int y = 0; y < 19; ++y)
            EXPECT_TRUE(std::equal(bgr[y % 4], bgr[y % 4] + 3, p.pixel(0, y))) << "row " << y;
    }
}

TEST_F(GifLimitsTest, FileBrokenOffAfterTheFirstFrameStillConverts)
{
    ASSERT_TRUE(writeColumnGif(path("col.gif"), 5, false));
    QByteArray d = get(path("col.gif"));
    ASSERT_EQ(d.back(), ';');
    d.chop(1);
    d += QByteArray(",\x00\x00\x00\x00\x05\x00\x05\x00\x00\x02\x10\x84", 13); // a second frame, cut short
    ASSERT_TRUE(put(path("cut.gif"), d));
    QString error;
    ASSERT_EQ(GifToBmp(path("cut.gif"), &error), path("cut.bmp")) << error.toStdString();
    TPicture p;
    ASSERT_TRUE(pictures::ReadBmp(path("cut.bmp"), p));
    EXPECT_EQ(p.height, 5);
}
