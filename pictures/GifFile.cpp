#include "GifFile.h"

#include "BmpFile.h"

#include <QFile>

#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace {

enum class GifRead { Ok, Broken, TooLarge };

// The first frame, record by record: its size is checked before anything is allocated
// for it (a few bytes can claim a frame of two billion pixels), and later frames are not
// read at all, so a broken one cannot spoil it.
GifRead readFirstGifFrame(GifFileType *gif, std::vector<GifByteType> &raster, int &transparent)
{
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return GifRead::Broken;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return GifRead::Broken;
            GraphicsControlBlock gcb;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return GifRead::Broken;
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return GifRead::Broken;
            const int w = gif->Image.Width, h = gif->Image.Height;
            if (w <= 0 || h <= 0)
                return GifRead::Broken;
            if (qint64(w) * h > pictures::MaxPixels)
                return GifRead::TooLarge;
            raster.assign(size_t(w) * size_t(h), 0);
            if (gif->Image.Interlace) {
                static constexpr int first[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int pass = 0; pass < 4; ++pass)
                    for (int y = first[pass]; y < h; y += step[pass])
                        if (DGifGetLine(gif, raster.data() + size_t(y) * size_t(w), w) == GIF_ERROR)
                            return GifRead::Broken;
            } else if (DGifGetLine(gif, raster.data(), w * h) == GIF_ERROR) {
                return GifRead::Broken;
            }
            return GifRead::Ok;
        }
    } while (type != TERMINATE_RECORD_TYPE);
    return GifRead::Broken;
}

} // namespace

namespace pictures {

bool ReadGif(const QString &path, int &width, int &height, std::vector<std::uint8_t> &bgr, QString *error)
{
    bgr.clear();
    int code = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &code);
    if (!gif) {
        SetError(error, QStringLiteral("无法打开 GIF 图片 %1").arg(path));
        return false;
    }
    struct Closer {
        GifFileType *g;
        ~Closer() { DGifCloseFile(g, nullptr); }
    } closer{gif};
    if (qint64(gif->SWidth) * gif->SHeight > MaxPixels) {
        SetError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return false;
    }
    std::vector<GifByteType> raster;
    int transparent = NO_TRANSPARENT_COLOR;
    switch (readFirstGifFrame(gif, raster, transparent)) {
    case GifRead::Ok:
        break;
    case GifRead::TooLarge:
        SetError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return false;
    case GifRead::Broken:
        SetError(error, QStringLiteral("GIF 图片已损坏：%1").arg(path));
        return false;
    }
    const GifImageDesc &desc = gif->Image;
    const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) {
        SetError(error, QStringLiteral("GIF 图片已损坏：%1").arg(path));
        return false;
    }
    const int w = gif->SWidth > 0 ? gif->SWidth : desc.Width;
    const int h = gif->SHeight > 0 ? gif->SHeight : desc.Height;
    if (qint64(w) * h > MaxPixels) {
        SetError(error, QStringLiteral("GIF 图片过大：%1").arg(path));
        return false;
    }

    // What the frame does not cover shows the screen's background colour, or white.
    std::uint8_t fill[3] = {255, 255, 255};
    if (gif->SColorMap && gif->SBackGroundColor >= 0 && gif->SBackGroundColor < gif->SColorMap->ColorCount
        && gif->SBackGroundColor != transparent) {
        const GifColorType &c = gif->SColorMap->Colors[gif->SBackGroundColor];
        fill[0] = c.Blue;
        fill[1] = c.Green;
        fill[2] = c.Red;
    }
    const size_t stride = size_t(w) * 3;
    bgr.assign(stride * size_t(h), 0);
    for (size_t i = 0; i < bgr.size(); i += 3)
        std::memcpy(&bgr[i], fill, 3);
    for (int y = 0; y < desc.Height; ++y) {
        const int ty = desc.Top + y;
        if (ty < 0 || ty >= h)
            continue;
        const GifByteType *src = raster.data() + size_t(y) * size_t(desc.Width);
        for (int x = 0; x < desc.Width; ++x) {
            const int tx = desc.Left + x;
            const int idx = src[x];
            if (tx < 0 || tx >= w || idx == transparent || idx >= map->ColorCount)
                continue;
            std::uint8_t *d = &bgr[size_t(ty) * stride + size_t(tx) * 3];
            d[0] = map->Colors[idx].Blue;
            d[1] = map->Colors[idx].Green;
            d[2] = map->Colors[idx].Red;
        }
    }
    width = w;
    height = h;
    return true;
}

} // namespace pictures

QString GifToBmp(const QString &path, QString *error)
{
    int w = 0, h = 0;
    std::vector<std::uint8_t> bgr;
    if (!pictures::ReadGif(path, w, h, bgr, error))
        return {};
    const QString bmp = ChangeFileExt(path, QStringLiteral(".bmp"));
    pictures::TPendingFile out(bmp);
    if (!out.open() || !pictures::WriteBmp24(out.file(), w, h, bgr.data(), qsizetype(w) * 3) || !out.replace()) {
        pictures::SetError(error, QStringLiteral("无法写入图片 %1").arg(bmp));
        return {};
    }
    return bmp;
}
