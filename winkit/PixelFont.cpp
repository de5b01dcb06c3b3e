#include "PixelFont.h"

#include "FontMap.h"

namespace winkit {

QFont PixelFont(const QString &family, int pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont CrispPixelFont(const QString &family, int pixels, bool bold)
{
    QFont f = PixelFont(family, pixels, bold);
    platform::CrispSmallSong(f);
    return f;
}

} // namespace winkit
