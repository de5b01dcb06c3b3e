#include "WallpaperApply.h"

#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "uDeskBGSet.h"
#include "uInfoFrm.h"
#include "uPicSel.h"

#include <QFileInfo>
#include <QPixmap>
#include <QThread>
#include <QWidget>

#include <thread>

bool SaveNotesPicture(QWidget *weekPanel)
{
    if (!weekPanel)
        return false;
    // The widget paints itself into the picture: what it shows, also when no screen is there.
    const QImage shot = weekPanel->grab(QRect(QPoint(0, 0), weekPanel->size())).toImage();
    if (shot.isNull())
        return false;
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

bool ComposeWallpaper(const QString &backgroundPath)
{
    const QString dir = PictureDir();
    TPicture overlay, base;
    if (!pictures::ReadBmp(dir + QLatin1String(ContentPictureName), overlay)
        || !pictures::ReadBmp(backgroundPath, base))
        return false;
    const MixResult mixed = MixPictures(overlay, base, 50, 30);
    if (!mixed.ok)
        return false;
    // "Mix.bmp" is written while the same picture is encoded; the JPEG goes to its file only
    // once the BMP is there. Reading the BMP back would give these very bytes again.
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
    return encoded && pictures::WriteFile(jpg, jpeg) && !JpgToBmp(jpg).isEmpty();
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

ApplyResult ApplyWeekToDesktop(QWidget *mainWindow, QWidget *weekPanel)
{
    if (AskBeforeApply) {
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
    const QString background = ChooseBackground();
    if (background.isEmpty() || !ComposeWallpaper(background))
        return ApplyResult::Failed;
    if (!SetWallpaper(WallpaperPath()))
        return ApplyResult::Failed;
    PicIndex = PicIndex - 1;
    if (PicIndex <= 0)
        PicIndex = int(PicBGList.size()) - 1;
    return ApplyResult::Applied;
}
