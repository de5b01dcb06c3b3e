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
    QPoint place(s.SavedLeft, s.SavedTop);
    QScreen *screen = QGuiApplication::screenAt(place);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // A size larger than the screen would cost memory out of all proportion and put the
    // close button out of reach; the minimum holds even on a smaller screen.
    const QRect avail = screen->availableGeometry();
    window.resize(QSize(std::max(s.SavedWidth, minimum.width()), std::max(s.SavedHeight, minimum.height()))
                      .boundedTo(avail.size())
                      .expandedTo(minimum));
    // A place on a screen that is gone would leave the window out of reach.
    bool visible = false;
    for (QScreen *sc : QGuiApplication::screens())
        visible = visible || sc->geometry().intersects(QRect(place, window.size()));
    if (!visible) {
        place = QPoint(avail.x() + std::max(0, (avail.width() - window.width()) / 2),
                       avail.y() + std::max(0, (avail.height() - window.height()) / 2));
    }
    // The top edge, where the window is dragged, and the close button stay on the screen.
    place.setY(std::clamp(place.y(), avail.top(), std::max(avail.top(), avail.bottom() - 40)));
    const int rightmost = avail.right() + 1 - window.width();
    place.setX(std::clamp(place.x(), std::min(rightmost, avail.left() - window.width() / 2), rightmost));
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
