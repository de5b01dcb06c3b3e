#include "WallpaperApply.h"

#include "Dialogs.h"
#include "OpenPage.h"
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "uDeskBGSet.h"
#include "uInfoFrm.h"
#include "uPicSel.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTextEdit>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The boxes' text without its anti-aliasing fringe while the capture is taken. The white
// key keeps the fringe's light grey pixels and the 50 % mix turns them lighter than the
// picture around the strokes, so smooth text turns into a speckled halo on the desktop;
// whole-pixel strokes stay as dark as the text is. The screen keeps its smooth text.
class TCrispBoxText {
public:
    explicit TCrispBoxText(QWidget *panel)
    {
        for (QTextEdit *box : panel->findChildren<QTextEdit *>()) {
            QTextDocument *doc = box->document();
            QFont crisp = doc->defaultFont();
            m_saved.emplace_back(doc, crisp);
            crisp.setStyleStrategy(QFont::StyleStrategy(crisp.styleStrategy() | QFont::NoAntialias));
            doc->setDefaultFont(crisp);
        }
    }
    ~TCrispBoxText()
    {
        for (auto &[doc, font] : m_saved)
            doc->setDefaultFont(font);
    }
    TCrispBoxText(const TCrispBoxText &) = delete;
    TCrispBoxText &operator=(const TCrispBoxText &) = delete;

private:
    std::vector<std::pair<QTextDocument *, QFont>> m_saved;
};

// The part of the notes that fits on the desktop below the top offset and left of the right
// margin, so that the background always receives the mix.
void FitNotesInto(TPicture &notes, const TPicture &base, int top)
{
    const int w = std::min(notes.width, base.width - MixRightMargin);
    const int h = std::min(notes.height, base.height - top);
    if (w == notes.width && h == notes.height)
        return;
    if (w <= 0 || h <= 0) {
        notes = TPicture();
        return;
    }
    TPicture part = TPicture::Blank(w, h);
    for (int y = 0; y < h; ++y)
        std::copy_n(notes.row(y), size_t(w) * 4, part.row(y));
    notes = std::move(part);
}

} // namespace

// Bilinear, as desktops stretch; Qt's raster painter does it in a third of the time its
// area-averaging scale takes for a 4K desktop, and into the picture's own bytes.
TPicture StretchedTo(const TPicture &picture, QSize size)
{
    if (size.isEmpty() || picture.empty())
        return {};
    const QImage from(picture.bits.data(), picture.width, picture.height, picture.width * 4, QImage::Format_RGB32);
    TPicture out = TPicture::Blank(size.width(), size.height());
    QImage to(out.bits.data(), out.width, out.height, out.width * 4, QImage::Format_RGB32);
    {
        QPainter p(&to);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(QPoint(0, 0), size), from);
    }
    // The fourth byte carries no colour.
    for (size_t i = 3; i < out.bits.size(); i += 4)
        out.bits[i] = 0;
    return out;
}

QSize DesktopPixelSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const qreal dpr = screen->devicePixelRatio();
    const QSize logical = screen->geometry().size();
    return {int(std::lround(logical.width() * dpr)), int(std::lround(logical.height() * dpr))};
}

bool SaveNotesPicture(QWidget *weekPanel)
{
    if (!weekPanel)
        return false;
    // The widget paints itself into the picture at device pixels: what the screen shows, also
    // when no screen is there.
    QImage shot;
    {
        TCrispBoxText crisp(weekPanel);
        shot = weekPanel->grab(QRect(QPoint(0, 0), weekPanel->size())).toImage();
    }
    if (shot.isNull())
        return false;
    pictures::RemoveLeftovers(PictureDir() + QLatin1String(ContentPictureName));
    return pictures::WriteBmp32(PictureDir() + QLatin1String(ContentPictureName), pictures::FromImage(shot));
}

QString ChooseBackground()
{
    const int count = int(PicBGList.size());
    int i = PicIndex;
    if (i < 0 || i >= count)
        return {};
    QString path = PictureDir() + PicBGList[size_t(i)].FileName;
    if (!QFileInfo::exists(path)) {
        ++i;
        if (i >= count)
            i = 1;
        // A one-entry list has no following entry to take.
        if (i >= count)
            return {};
        path = PictureDir() + PicBGList[size_t(i)].FileName;
    }
    PicIndex = i;
    return path;
}

bool ComposeWallpaper(const QString &backgroundPath, QSize desktop)
{
    const QString dir = PictureDir();
    TPicture overlay, base;
    if (!pictures::ReadBmp(dir + QLatin1String(ContentPictureName), overlay)
        || !pictures::ReadBmp(backgroundPath, base))
        return false;
    // Composed at the desktop's own size, the notes show there pixel for pixel, as large and
    // as sharp as the week panel on screen, whatever the background's size.
    if (!desktop.isEmpty() && QSize(base.width, base.height) != desktop)
        base = StretchedTo(base, desktop);
    constexpr int top = 30;
    FitNotesInto(overlay, base, top);
    if (overlay.empty())
        return false;
    const MixResult mixed = MixPictures(overlay, base, 50, top);
    if (!mixed.ok)
        return false;
    // "Mix.bmp" is written while the same picture is encoded; the JPEG goes to its file only
    // once the BMP is there. Reading the BMP back would give these very bytes again.
    for (const char *name : {MixPictureName, MixJpegName})
        pictures::RemoveLeftovers(dir + QLatin1String(name));
    bool bmpWritten = false;
    std::thread writer([&] { bmpWritten = pictures::WriteBmp32(dir + QLatin1String(MixPictureName), *mixed.picture); });
    QByteArray jpeg;
    const bool encoded = pictures::EncodeJpeg(*mixed.picture, 90, jpeg);
    writer.join();
    if (!bmpWritten)
        return false;
    overlay = TPicture();
    base = TPicture();
    const QString jpg = dir + QLatin1String(MixJpegName);
    if (!encoded || !pictures::WriteFile(jpg, jpeg))
        return false;
    // The decoded picture replaces this apply's own "Mix.bmp" in one step.
    return pictures::JpegToBmpFile(jpg, dir + QLatin1String(MixPictureName));
}

QString WallpaperPath()
{
#ifdef Q_OS_WIN
    return PictureDir() + QStringLiteral("Mix.Bmp");
#else
    // File names are compared with regard to case here: hand over the name that was written.
    return PictureDir() + QLatin1String(MixPictureName);
#endif
}

namespace {
// The background of the last apply that reached the desktop in this run.
QString g_lastBackground;
} // namespace

ApplyResult ApplyWeekToDesktop(QWidget *mainWindow, QWidget *weekPanel, ApplyMode mode)
{
    const bool refresh = mode == ApplyMode::Refresh;
    if (AskBeforeApply && !refresh) {
        CreateInforFrm(mainWindow)->exec();
        // The capture must not catch the closing question window.
        if (mainWindow)
            mainWindow->repaint();
        QThread::msleep(100);
        if (!ApplyConfirmed)
            return ApplyResult::NotConfirmed;
    }
    if (!SaveNotesPicture(weekPanel))
        return ApplyResult::Failed;
    // A refresh with no earlier background in this run takes the list's next one, as a click does.
    const bool again = refresh && QFileInfo::exists(g_lastBackground);
    const QString background = again ? g_lastBackground : ChooseBackground();
    if (background.isEmpty() || !ComposeWallpaper(background))
        return ApplyResult::Failed;
    // The picture is there for the user to set by hand: that is no silent failure.
    if (!SetWallpaper(WallpaperPath()))
        return ApplyResult::NotSet;
    g_lastBackground = background;
    if (again)
        return ApplyResult::Applied;
    PicIndex = PicIndex - 1;
    if (PicIndex <= 0)
        PicIndex = int(PicBGList.size()) - 1;
    return ApplyResult::Applied;
}

QString NotSetMessage()
{
    return QStringLiteral("无法自动设置此桌面的壁纸。\n本周记事已合成为壁纸图片：\n%1\n请在桌面的设置中手动选用它。")
        .arg(QDir::toNativeSeparators(WallpaperPath()));
}

QStringList NotSetButtons() { return {QStringLiteral("确定"), QStringLiteral("打开所在文件夹")}; }

void ShowNotSetMessage(QWidget *parent)
{
    if (dialogs::Ask(NotSetMessage(), NotSetButtons(), parent) == 1)
        platform::OpenPage(QUrl::fromLocalFile(QFileInfo(WallpaperPath()).absolutePath()).toString());
}
