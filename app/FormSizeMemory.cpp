#include "FormSizeMemory.h"

#include "Dialogs.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace formsizememory {

void Load(QWidget &window, QSize minimum, TFormSizeState &s, QString &monthCaption, int &monthPosition)
{
    const bool firstStart = !formsizefile::Exists();
    if (!firstStart) {
        const formsizefile::TContent file = formsizefile::Read();
        if (file.status != settings::Status::Ok) {
            dialogs::ShowError(file.error(), &window);
            return;
        }
        const QString monthText = s.MonthText;
        s = file.size;
        s.MonthText = file.month.value_or(monthText);
        if (file.month && file.monthNo) {
            monthPosition = *file.monthNo;
            monthCaption = *file.month;
        }
    } else {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        s.SavedWidth = minimum.width();
        s.SavedHeight = minimum.height();
        s.SavedLeft = (screen.width() - minimum.width()) / 2;
        s.SavedTop = (screen.height() - 30 - minimum.height()) / 2;
        s.LetterNo = 1;
    }
    window.resize(std::max(s.SavedWidth, minimum.width()), std::max(s.SavedHeight, minimum.height()));
    QPoint place(s.SavedLeft, s.SavedTop);
    // A place on a screen that is gone would leave the window out of reach.
    bool visible = false;
    for (QScreen *sc : QGuiApplication::screens())
        visible = visible || sc->geometry().intersects(QRect(place, window.size()));
    if (!visible) {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        place = QPoint(avail.x() + std::max(0, (avail.width() - window.width()) / 2),
                       avail.y() + std::max(0, (avail.height() - window.height()) / 2));
    }
    window.move(place);
    if (firstStart && !formsizefile::Write(s, s.MonthText))
        dialogs::ShowError(QStringLiteral("无法写入文件 FormSize.ini"), &window);
}

} // namespace formsizememory

namespace formsizememory {

bool PlatformKnowsPlaces(const QString &platformName)
{
    return !platformName.startsWith(QLatin1String("wayland"));
}

void Remember(const QWidget &window, TFormSizeState &s)
{
    s.SavedWidth = window.width();
    s.SavedHeight = window.height();
    if (!PlatformKnowsPlaces(QGuiApplication::platformName()))
        return;
    s.SavedLeft = window.x();
    s.SavedTop = window.y();
}

} // namespace formsizememory
