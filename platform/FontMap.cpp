#include "FontMap.h"

#include <QFont>
#include <QStringList>

#if TAVI_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace platform {

void InstallFontMapping()
{
    const QStringList serif = {"AR PL UMing CN", "AR PL UMing TW", "WenQuanYi Zen Hei"};
    const QStringList hei = {"WenQuanYi Zen Hei", "WenQuanYi Micro Hei", "AR PL UMing CN"};
    const QStringList round = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "AR PL UMing CN"};
    const QStringList sans = {"DejaVu Sans", "WenQuanYi Micro Hei"};
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif);
    QFont::insertSubstitutions(QStringLiteral("新宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("黑体"), hei);
    QFont::insertSubstitutions(QStringLiteral("SimHei"), hei);
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), round);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), round);
    QFont::insertSubstitutions(QStringLiteral("幼圆"), round);
    QFont::insertSubstitutions(QStringLiteral("Arial"), {"Liberation Sans", "DejaVu Sans", "WenQuanYi Micro Hei"});
    QFont::insertSubstitutions(QStringLiteral("Arial Black"), sans);
    QFont::insertSubstitutions(QStringLiteral("Verdana"), sans);
}

void CrispSmallSong(QFont &f)
{
    if (f.family() == QStringLiteral("宋体") && f.pixelSize() > 0 && f.pixelSize() <= 16) {
        f.setStyleStrategy(QFont::NoAntialias);
        // Above a scale factor of 1 Qt stops hinting, and the face's small bitmaps drawn
        // unhinted without antialiasing lose their right part ("班" shows as "王J").
        f.setHintingPreference(QFont::PreferFullHinting);
    }
}

TFontWarmUp::TFontWarmUp()
{
#if TAVI_HAVE_FONTCONFIG
    // Safe beside Qt: a second FcInit meanwhile would only read the configuration twice.
    m_thread = std::thread([] { FcInit(); });
#endif
}

void TFontWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace platform
