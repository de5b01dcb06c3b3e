#include "CalendarPainter.h"

#include <QFontMetrics>
#include <QFontInfo>
#include <QPainter>

#include <algorithm>

namespace {

QString Utf8(const std::string &s) { return QString::fromStdString(s); }

QRect ToQRect(const TRect &r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TRgb ToRgb(const QColor &c) { return {c.red(), c.green(), c.blue()}; }

// One line, ellipsis when too wide; vertical overflow of the face's line box is not clipped,
// as the substituted faces are taller than the ones the layout was made for.
void DrawLine(QPainter &p, const QRect &area, const QString &text, Qt::Alignment align)
{
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, area.width());
    p.drawText(area, int(align) | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

} // namespace

TFittedLine FitCellLine(const QFont &font, const QString &text, int width, int minPixelSize)
{
    QFont f = font;
    if (QFontMetrics(f).horizontalAdvance(text) > width) {
        for (int px = QFontInfo(font).pixelSize() - 1; px >= minPixelSize; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).horizontalAdvance(text) <= width)
                return {f, text};
        }
        f = font;
    }
    return {f, QFontMetrics(f).elidedText(text, Qt::ElideRight, width)};
}

namespace {

// A large pale number: one line centred in its band, clipped to it, on an opaque white box.
void DrawBandText(QPainter &p, const QRect &band, const QString &text, const QFont &font, const QColor &color)
{
    if (text.isEmpty() || band.isEmpty())
        return;
    p.save();
    p.setClipRect(band);
    p.setFont(font);
    const QFontMetrics fm(font);
    const QString shown = fm.elidedText(text, Qt::ElideRight, band.width());
    const int tw = fm.horizontalAdvance(shown);
    const int th = fm.height();
    const QRect box(band.left() + (band.width() - tw) / 2, band.top() + (band.height() - th) / 2, tw, th);
    p.fillRect(box, Qt::white);
    p.setPen(color);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, shown);
    p.restore();
}

constexpr int kSmallestMark = 9;
constexpr int kLargestMark = 14;

// Pixels a painting touches in a transparent image, any coverage counted.
QRect InkBounds(const QImage &img)
{
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(line[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

// ---- colours and places ----

QColor TCalendarPainter::ToQColor(TColor c) const
{
    if (clr::IsSystemColor(c)) {
        switch (c & 0xFF) {
        case 5:
            return Palette.color(QPalette::Base);
        case 8:
            return Palette.color(QPalette::WindowText);
        case 13:
            return Palette.color(QPalette::Highlight);
        case 14:
            return Palette.color(QPalette::HighlightedText);
        case 15:
            return Palette.color(QPalette::Button);
        case 18:
            return Palette.color(QPalette::ButtonText);
        default:
            return Palette.color(QPalette::WindowText);
        }
    }
    return QColor(clr::GetR(c), clr::GetG(c), clr::GetB(c));
}

QRect TCalendarPainter::YearBandRect() const
{
    return ToQRect(YearBand(GridRect(Size.width(), Size.height(), ShowTitle)));
}

QRect TCalendarPainter::MonthBandRect() const
{
    return ToQRect(MonthBand(GridRect(Size.width(), Size.height(), ShowTitle)));
}

// ---- background ----

const QImage &TCalendarPainter::Background() const
{
    if (m_backgroundStale)
        RebuildBackground();
    return m_background;
}

void TCalendarPainter::RebuildBackground() const
{
    m_backgroundStale = false;
    const QSize s = Size.expandedTo(QSize(1, 1));
    if (m_background.size() != s)
        m_background = QImage(s, QImage::Format_RGB32);
    m_background.fill(Qt::white);
    {
        QPainter p(&m_background);
        if (Style.ShowFrame) {
            // No visual style to follow here: the plain rectangle.
            p.setPen(QPen(ToQColor(Style.ColorShowFrame), 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, s.width() - 1, s.height() - 1);
        }
        if (Style.ShowBackYearMonth) {
            DrawBandText(p, YearBandRect(), Utf8(m_model.YearText()), Fonts.BackYear, ToQColor(Style.ColorBackYear));
            DrawBandText(p, MonthBandRect(), Utf8(m_model.MonthText()), Fonts.BackMonth,
                         ToQColor(Style.ColorBackMonth));
        }
    }
    const QImage &picture = Style.BackGround;
    if (picture.isNull()) {
        m_picture = QImage();
        return;
    }
    m_picture = QImage(s, QImage::Format_RGB32);
    m_picture.fill(Qt::white);
    {
        QPainter p(&m_picture);
        const TRect place =
            PlacePicture(s.width(), s.height(), picture.width(), picture.height(), Style.Center, Style.Stretch);
        if (Style.Stretch) {
            if (place.Width() > 0 && place.Height() > 0) {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(ToQRect(place), picture);
            }
        } else {
            p.drawImage(QPoint(place.Left, place.Top), picture);
        }
    }
    const int weight = BlendWeight(Style.AlphaBlend);
    const QRgb key = m_picture.pixel(0, 0) & 0xFFFFFF;
    for (int y = 0; y < s.height(); ++y) {
        const QRgb *pic = reinterpret_cast<const QRgb *>(m_picture.constScanLine(y));
        QRgb *bg = reinterpret_cast<QRgb *>(m_background.scanLine(y));
        for (int x = 0; x < s.width(); ++x) {
            const QRgb c = pic[x] & 0xFFFFFF;
            if (c == key)
                continue;
            bg[x] = qRgb(BlendChannel(qRed(bg[x]), qRed(c), weight), BlendChannel(qGreen(bg[x]), qGreen(c), weight),
                         BlendChannel(qBlue(bg[x]), qBlue(c), weight));
        }
    }
}

// ---- cells: everything a cell shows is drawn here ----

const QImage &TCalendarPainter::ComposeCell(int col, int row, const QRect &r, const QPoint &gridPos, bool selected,
                                            bool focused)
{
    if (m_cellBitmap.size() != r.size())
        m_cellBitmap = QImage(r.size(), QImage::Format_RGB32);
    m_cellBitmap.fill(Qt::white);
    QPainter p(&m_cellBitmap);
    p.drawImage(QPoint(0, 0), Background(), QRect(r.topLeft() + gridPos, r.size()));
    p.setFont(Fonts.Text);
    const QRect l(0, 0, r.width(), r.height());
    try {
        if (row == 0) {
            DrawHeaderCell(p, col, l);
        } else if (col == 0) {
            DrawWeekNumberCell(p, row, l);
        } else if (col <= 7) {
            const bool showSelection = selected && (!Style.HideSelection || focused);
            if (showSelection) {
                const auto bands = SelectionGradient(ToRgb(ToQColor(Style.ColorSelectedStart)),
                                                     ToRgb(ToQColor(Style.ColorSelectedEnd)), l.height());
                for (const TGradientBand &b : bands)
                    p.fillRect(0, b.Top, l.width(), b.Bottom - b.Top, QColor(b.Color.R, b.Color.G, b.Color.B));
            }
            const int k = TChnCalendarModel::CellNo(col, row);
            const TcnDateInf &cell = m_model.Cell(k);
            if (cell.InUse) {
                if (k < TChnCalendarModel::CellConstellation)
                    DrawDayCell(p, cell, l, selected, showSelection);
                else
                    DrawInfoCell(p, k, l);
            }
        }
    } catch (...) {
        // The cell still goes onto the grid as far as it got.
    }
    return m_cellBitmap;
}

void TCalendarPainter::DrawHeaderCell(QPainter &p, int col, const QRect &l)
{
    const QRect area(l.left(), l.top(), l.width() - 2, l.height());
    QString text;
    TColor color = Style.ColorTitleWeek;
    if (col == 0) {
        if (ShowWeekNum)
            text = QStringLiteral("W");
        color = Style.ColorWeekNum;
    } else if (col <= 7) {
        static const char16_t *shortNames[7] = {u"日", u"一", u"二", u"三", u"四", u"五", u"六"};
        if (area.width() > 36)
            text = Locale.dayName(col == 1 ? 7 : col - 1, QLocale::LongFormat);
        else
            text = QString::fromUtf16(shortNames[col - 1]);
        color = (col == 1 || col == 7) ? Style.ColorTitleWeekEnd : Style.ColorTitleWeek;
    }
    if (!text.isEmpty()) {
        p.setPen(ToQColor(color));
        DrawLine(p, area, text, Qt::AlignHCenter | Qt::AlignTop);
    }
    p.setPen(QPen(ToQColor(Style.ColorTitleWeekLine), 0));
    p.drawLine(0, l.height() - 4, l.width() - 1, l.height() - 4);
    if (col == 0 && ShowWeekNum && Style.ShowWeekNumLine)
        p.drawLine(l.width() - 1, 0, l.width() - 1, l.height() - 1);
}

void TCalendarPainter::DrawWeekNumberCell(QPainter &p, int row, const QRect &l)
{
    const std::string &entry = m_model.WeekNumbers()[row - 1];
    if (!ShowWeekNum || entry.empty())
        return;
    p.setFont(Fonts.Small);
    p.setPen(ToQColor(Style.ColorWeekNum));
    DrawLine(p, l, Utf8(entry), Qt::AlignCenter);
    if (Style.ShowWeekNumLine) {
        p.setPen(QPen(ToQColor(Style.ColorTitleWeekLine), 0));
        p.drawLine(l.width() - 1, 0, l.width() - 1, l.height() - 1);
    }
}

void TCalendarPainter::DrawDayCell(QPainter &p, const TcnDateInf &cell, const QRect &l, bool selected,
                                   bool showSelection)
{
    const int half = l.height() / 2;

    const QRect dayArea(l.left() + 2, l.top(), l.width() - 4, half);
    p.setFont(Style.FontDate);
    p.setPen(ToQColor(cell.DayColor));
    QString text = Utf8(cell.Text);
    bool defaultDraw = true;
    if (DrawDateCell)
        DrawDateCell(cell.Day, &p, l, selected, text, defaultDraw);
    if (defaultDraw)
        DrawLine(p, dayArea, text, Qt::AlignHCenter | Qt::AlignBottom);
    const TMarkPlace mark = MarkOfCell(cell, text, l.size());

    const QRect cnArea(l.left() + 2, half, l.width() - 4, l.height() - 2 - half);
    p.setFont(Style.FontCnDate);
    p.setPen(ToQColor(cell.CnColor));
    text = Utf8(cell.CnText);
    defaultDraw = true;
    if (DrawCnDateCell)
        DrawCnDateCell(cell.Day, &p, l, selected, text, defaultDraw);
    if (defaultDraw) {
        const TFittedLine fit = FitCellLine(Style.FontCnDate, text, cnArea.width());
        p.setFont(fit.Font);
        p.drawText(cnArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, fit.Text);
        if (showSelection) {
            p.setPen(QPen(ToQColor(Style.ColorSelectedFrame), 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, l.width() - 1, l.height() - 1);
        }
    }
    if (!mark.Ink.isEmpty())
        DrawWorkdayMark(p, cell, mark, showSelection);
    DrawNoteMark(p, NoteMarkRect(cell, l.size()), showSelection);
}

void TCalendarPainter::DrawInfoCell(QPainter &p, int k, const QRect &l)
{
    const QString text = Utf8(m_model.Cell(k).Text);
    if (text.isEmpty())
        return;
    const QRect area(l.left(), l.top() + 8, l.width(), l.height() - 8);
    p.setFont(Fonts.Small);
    Qt::Alignment align = Qt::AlignHCenter;
    TColor color = Style.ColorTitleAnimalsYear;
    if (k == TChnCalendarModel::CellConstellation) {
        color = Style.ColorTitleConstellation;
    } else if (k == TChnCalendarModel::CellStemBranch) {
        align = Qt::AlignRight;
    } else {
        align = Qt::AlignLeft;
    }
    p.setPen(ToQColor(color));
    const QFontMetrics fm = p.fontMetrics();
    // Wrapped like words; a text that cannot fit even so ends in an ellipsis.
    QString shown = text;
    const QRect need = fm.boundingRect(area, int(align) | Qt::AlignTop | Qt::TextWordWrap, text);
    if (need.height() > area.height() || need.width() > area.width())
        shown = fm.elidedText(text, Qt::ElideRight, area.width());
    p.save();
    p.setClipRect(area);
    p.drawText(area, int(align) | Qt::AlignTop | Qt::TextWordWrap, shown);
    p.restore();
}

// ---- the 休 / 班 marks ----

QFont TCalendarPainter::MarkFont(int pixelSize) const
{
    QFont f = Fonts.Mark;
    f.setPixelSize(pixelSize);
    return f;
}

// The mark glyph's ink relative to its drawing origin on the baseline: the small
// bitmap faces reach past their advance, so the metrics cannot be trusted for it.
QRect TCalendarPainter::MarkInk(int pixelSize, TWorkdayMark mark) const
{
    const int key = pixelSize * 4 + int(mark);
    const auto it = m_markInkCache.constFind(key);
    if (it != m_markInkCache.constEnd())
        return *it;
    const int room = pixelSize * 3;
    QImage img(room, room, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QPoint origin(pixelSize, pixelSize * 2);
    {
        QPainter p(&img);
        p.setFont(MarkFont(pixelSize));
        p.setPen(Qt::black);
        p.drawText(origin, QString::fromUtf8(WorkdayMarkText(mark)));
    }
    const QRect ink = InkBounds(img).translated(-origin);
    m_markInkCache.insert(key, ink);
    return ink;
}

QRect TCalendarPainter::DayNumberInk(const QString &dayText, const QSize &cell) const
{
    const QString key = Style.FontDate.key() + QLatin1Char('|') + dayText + QLatin1Char('|') +
                        QString::number(cell.width()) + QLatin1Char('x') + QString::number(cell.height());
    const auto it = m_inkCache.constFind(key);
    if (it != m_inkCache.constEnd())
        return *it;
    // Drawn exactly as the cell draws it.
    QImage img(cell, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setFont(Style.FontDate);
        p.setPen(Qt::black);
        DrawLine(p, QRect(2, 0, cell.width() - 4, cell.height() / 2), dayText, Qt::AlignHCenter | Qt::AlignBottom);
    }
    const QRect ink = InkBounds(img);
    if (m_inkCache.size() > 1000)
        m_inkCache.clear();
    m_inkCache.insert(key, ink);
    return ink;
}

TCalendarPainter::TMarkPlace TCalendarPainter::PlaceMark(TWorkdayMark mark, int pixelSize, const QString &dayText,
                                                         const QSize &cell) const
{
    // Right corner, inside the selection outline, level with the top of the day number
    // but above the lunar line, and clear of the number's ink.
    const QRect glyph = MarkInk(pixelSize, mark);
    const QRect number = DayNumberInk(dayText, cell);
    const int half = cell.height() / 2;
    if (glyph.isEmpty())
        return {};
    const int top = std::max(1, std::min(number.isEmpty() ? 1 : number.top(), half - 1 - glyph.height()));
    const int right = cell.width() - 2;
    const QRect ink(right - glyph.width() + 1, top, glyph.width(), glyph.height());
    if (ink.left() < 1 || ink.bottom() >= half || (!number.isEmpty() && ink.left() <= number.right()))
        return {};
    return {ink, ink.topLeft() - glyph.topLeft(), pixelSize};
}

int TCalendarPainter::MarkPixelSize(const QSize &cell) const
{
    // One size for the whole grid: the largest whose marks clear a two-digit day by a
    // pixel, growing a little with the cell.
    const QFontMetrics fm(Style.FontDate);
    QChar widest = u'0';
    for (char16_t c = u'1'; c <= u'9'; ++c)
        if (fm.horizontalAdvance(QChar(c)) > fm.horizontalAdvance(widest))
            widest = QChar(c);
    const QString twoDigits(2, widest);
    const QRect number = DayNumberInk(twoDigits, cell);
    for (int px = std::clamp(cell.height() / 2 - 3, kSmallestMark, kLargestMark); px > kSmallestMark; --px) {
        bool fits = true;
        for (const TWorkdayMark m : {TWorkdayMark::Off, TWorkdayMark::Work}) {
            const TMarkPlace place = PlaceMark(m, px, twoDigits, cell);
            fits = fits && !place.Ink.isEmpty() && place.Ink.left() > number.right() + 1;
        }
        if (fits)
            return px;
    }
    return kSmallestMark;
}

TCalendarPainter::TMarkPlace TCalendarPainter::MarkOfCell(const TcnDateInf &cell, const QString &dayText,
                                                          const QSize &size) const
{
    if (!Style.ShowWorkdayMarks || cell.Workday == TWorkdayMark::None)
        return {};
    // Where it would touch the day number or the lunar line, the cell goes without.
    return PlaceMark(cell.Workday, MarkPixelSize(size), dayText, size);
}

QRect TCalendarPainter::WorkdayMarkRect(const TcnDateInf &cell, const QSize &size) const
{
    return MarkOfCell(cell, Utf8(cell.Text), size).Ink;
}

void TCalendarPainter::DrawWorkdayMark(QPainter &p, const TcnDateInf &cell, const TMarkPlace &mark, bool onSelection)
{
    p.save();
    // On the selection gradient the mark keeps its colour on a white ground.
    if (onSelection)
        p.fillRect(mark.Ink, Qt::white);
    p.setPen(ToQColor(cell.Workday == TWorkdayMark::Off ? Style.ColorOffDay : Style.ColorWorkDay));
    p.setFont(MarkFont(mark.PixelSize));
    p.setClipRect(mark.Ink);
    p.drawText(mark.Origin, QString::fromUtf8(WorkdayMarkText(cell.Workday)));
    p.restore();
}

// ---- the mark of a day with notes ----

QRect TCalendarPainter::NoteMarkRect(const TcnDateInf &cell, const QSize &size) const
{
    if (!Style.ShowNoteMarks || !cell.Noted || !cell.InUse)
        return {};
    // Top-left corner, inside the selection outline, above the lunar line, clear of the number.
    const int d = std::clamp(size.height() / 7, 3, 6);
    const QRect mark(3, 3, d, d);
    const QRect number = DayNumberInk(Utf8(cell.Text), size);
    if (mark.bottom() >= size.height() / 2 || mark.right() >= size.width() - 3
        || mark.adjusted(-1, -1, 1, 1).intersects(number))
        return {};
    return mark;
}

void TCalendarPainter::DrawNoteMark(QPainter &p, const QRect &mark, bool onSelection)
{
    if (mark.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(onSelection ? QColor(Qt::white) : ToQColor(Style.ColorNoteMark));
    // A square with its corners cut: round at these sizes without blurred edges.
    if (mark.width() >= 4) {
        p.drawRect(mark.adjusted(1, 0, -1, 0));
        p.drawRect(mark.adjusted(0, 1, 0, -1));
    } else {
        p.drawRect(mark);
    }
    p.restore();
}
