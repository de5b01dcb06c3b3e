#pragma once
// Draws the month calendar onto images, from its model and its style: the background
// (frame, large pale numbers, blended picture) and every cell of the day grid. Qt Gui
// only: the control shows what it draws, and tools can render without any window.
#include "CalendarStyle.h"
#include "ChnCalendarModel.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QPalette>
#include <QRect>

#include <functional>

class QPainter;

// Fonts the control fixes for itself, not part of its style.
struct TCalendarFonts {
    QFont Text;      // the control's own font: the weekday names
    QFont Small;     // week numbers and the information cells
    QFont BackYear;  // the large pale year
    QFont BackMonth; // the large pale month
    QFont Mark;      // 休 / 班; its pixel size follows the cells
};

// A day cell's lunar line (a lunar day, a festival, a user's own date): a text too wide for
// the cell is drawn in a smaller face, down to `minPixelSize`, before it is cut with an
// ellipsis, so that "妈妈生日" shows whole rather than as "妈…".
struct TFittedLine {
    QFont Font;
    QString Text;
};
TFittedLine FitCellLine(const QFont &font, const QString &text, int width, int minPixelSize = 9);

class TCalendarPainter {
public:
    explicit TCalendarPainter(const TChnCalendarModel &model) : m_model(model) {}

    // Runs before a day number (DrawDateCell) or a lunar line (DrawCnDateCell) is drawn;
    // Text and defaultDraw are in and out.
    using TCellHook = std::function<void(int day, QPainter *canvas, const QRect &r, bool selected, QString &text,
                                         bool &defaultDraw)>;
    TCellHook DrawDateCell;
    TCellHook DrawCnDateCell;

    TChnCalendarStyle Style;
    TCalendarFonts Fonts;
    QPalette Palette; // resolves system colours
    QLocale Locale;   // the weekday names
    // The control's size and mode; a change wants InvalidateBackground().
    QSize Size{1, 1};
    bool ShowTitle = false;
    bool ShowWeekNum = false;

    // A colour as drawn: system colours resolved through the palette.
    QColor ToQColor(TColor c) const;

    QRect YearBandRect() const;
    QRect MonthBandRect() const;

    // Many settings change the background in a row while the window is built; it is drawn once, when wanted.
    void InvalidateBackground() { m_backgroundStale = true; }
    // The finished background, the control's size.
    const QImage &Background() const;

    // One cell (R in grid coordinates, the grid at gridPos in the control), composed off screen
    // and returned for a single copy onto the grid.
    const QImage &ComposeCell(int col, int row, const QRect &r, const QPoint &gridPos, bool selected, bool focused);

    // The pixels a day cell's 休 / 班 mark may touch (cell coordinates), or an empty rectangle
    // when the cell shows none or it would not clear the day number.
    QRect WorkdayMarkRect(const TcnDateInf &cell, const QSize &size) const;

    // The pixels a day cell's note mark covers (cell coordinates), or an empty rectangle
    // when the day has no note or the mark would touch the day number or the lunar line.
    QRect NoteMarkRect(const TcnDateInf &cell, const QSize &size) const;

private:
    struct TMarkPlace {
        QRect Ink;
        QPoint Origin;
        int PixelSize = 0;
    };
    void RebuildBackground() const;
    void DrawHeaderCell(QPainter &p, int col, const QRect &l);
    void DrawWeekNumberCell(QPainter &p, int row, const QRect &l);
    void DrawDayCell(QPainter &p, const TcnDateInf &cell, const QRect &l, bool selected, bool showSelection);
    void DrawInfoCell(QPainter &p, int k, const QRect &l);
    QFont MarkFont(int pixelSize) const;
    QRect MarkInk(int pixelSize, TWorkdayMark mark) const;
    QRect DayNumberInk(const QString &dayText, const QSize &cell) const;
    TMarkPlace PlaceMark(TWorkdayMark mark, int pixelSize, const QString &dayText, const QSize &cell) const;
    int MarkPixelSize(const QSize &cell) const;
    TMarkPlace MarkOfCell(const TcnDateInf &cell, const QString &dayText, const QSize &size) const;
    void DrawNoteMark(QPainter &p, const QRect &mark, bool onSelection);
    void DrawWorkdayMark(QPainter &p, const TcnDateInf &cell, const TMarkPlace &mark, bool onSelection);

    const TChnCalendarModel &m_model;
    mutable QImage m_background; // the finished background
    mutable QImage m_picture;    // the placed background picture, before blending
    mutable bool m_backgroundStale = true;
    QImage m_cellBitmap;
    mutable QHash<QString, QRect> m_inkCache; // day numbers' ink, by font, text and cell size
    mutable QHash<int, QRect> m_markInkCache; // the marks' ink, by pixel size and mark
};
