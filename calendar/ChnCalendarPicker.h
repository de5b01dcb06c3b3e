#pragma once
// The month calendar control: a grid of days with their lunar lines, a title with
// the year and month, arrows, a today link and the selected-date line.
//
// The main window's instance:
//     chnRili = new TChnCalendar(pnlLeft);
//     chnRili->setGeometry(0, 0, 311, 253);
//     ApplyMainWindowCalendarSettings(*chnRili);
//     connect(chnRili, &TChnCalendar::OnChange, this, &TMainFrm::chnRiliChange);
//     chnRili->setDateTime(platform::Now());
// The weekday and month names follow the control's locale() (the application's
// default locale unless set on the control or a parent).
#include "ChnCalendarModel.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QWidget>

class QLabel;
class QMenu;
class QPainter;
class QToolButton;
class TChnCalendar;

// An up/down arrow-button pair; each click reports +1 (up) or -1 (down) once.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget *parent = nullptr);
    QToolButton *UpButton() const { return m_up; }
    QToolButton *DownButton() const { return m_down; }
signals:
    void Clicked(int delta);

protected:
    void resizeEvent(QResizeEvent *) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
};

// The day grid: 9 columns and 7 rows; the control draws every cell.
class TCalendarGrid : public QWidget {
    Q_OBJECT
public:
    explicit TCalendarGrid(TChnCalendar *owner);

    int ColCount() const { return 9; }
    int RowCount() const { return 7; }
    int ColWidth(int c) const { return m_colWidths[c]; }
    int RowHeight(int r) const { return m_rowHeights[r]; }
    void SetColWidth(int c, int w);
    void SetRowHeight(int r, int h);
    QRect CellRect(int col, int row) const;
    // False when the point lies on no cell.
    bool CellAt(const QPoint &p, int &col, int &row) const;

    int Col() const { return m_col; }
    int Row() const { return m_row; }
    // Moves the current cell when the owner's cell check allows it.
    bool MoveCurrent(int col, int row);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void leaveEvent(QEvent *) override;
    void focusInEvent(QFocusEvent *) override;
    void focusOutEvent(QFocusEvent *) override;

private:
    TChnCalendar *m_owner;
    int m_colWidths[9] = {6, 40, 40, 40, 40, 40, 40, 40, 10};
    int m_rowHeights[7] = {18, 27, 27, 27, 27, 27, 33};
    int m_col = 1;
    int m_row = 1;
};

class TChnCalendar : public QWidget, private TChnCalendarView {
    Q_OBJECT
    Q_PROPERTY(bool ShowTitle READ ShowTitle WRITE setShowTitle)
    Q_PROPERTY(bool ShowWeekNum READ ShowWeekNum WRITE setShowWeekNum)
    Q_PROPERTY(bool ShowFrame READ ShowFrame WRITE setShowFrame)
    Q_PROPERTY(bool ShowBackYearMonth READ ShowBackYearMonth WRITE setShowBackYearMonth)
    Q_PROPERTY(bool ShowWeekNumLine READ ShowWeekNumLine WRITE setShowWeekNumLine)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE setHideSelection)
    Q_PROPERTY(QFont FontDate READ FontDate WRITE setFontDate)
    Q_PROPERTY(QFont FontCnDate READ FontCnDate WRITE setFontCnDate)
    Q_PROPERTY(double DateTime READ DateTime WRITE setDateTime)
    Q_PROPERTY(QString CnDate READ CnDate WRITE setCnDate)
    Q_PROPERTY(QString CnMonth READ CnMonth WRITE setCnMonth)
    Q_PROPERTY(QString CnDay READ CnDay WRITE setCnDay)
    Q_PROPERTY(QImage BackGround READ BackGround WRITE setBackGround)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(int AlphaBlend READ AlphaBlend WRITE setAlphaBlend)
    Q_PROPERTY(int ColorTitleWeekLine READ ColorTitleWeekLine WRITE setColorTitleWeekLine)
    Q_PROPERTY(int ColorTitleWeekEnd READ ColorTitleWeekEnd WRITE setColorTitleWeekEnd)
    Q_PROPERTY(int ColorTitleWeek READ ColorTitleWeek WRITE setColorTitleWeek)
    Q_PROPERTY(int ColorCnDate READ ColorCnDate WRITE setColorCnDate)
    Q_PROPERTY(int ColorDate READ ColorDate WRITE setColorDate)
    Q_PROPERTY(int ColorHoliday READ ColorHoliday WRITE setColorHoliday)
    Q_PROPERTY(int ColorLunarHolDay READ ColorLunarHolDay WRITE setColorLunarHolDay)
    Q_PROPERTY(int ColorCnHolDay READ ColorCnHolDay WRITE setColorCnHolDay)
    Q_PROPERTY(int ColorSelectedStart READ ColorSelectedStart WRITE setColorSelectedStart)
    Q_PROPERTY(int ColorSelectedEnd READ ColorSelectedEnd WRITE setColorSelectedEnd)
    Q_PROPERTY(int ColorSelectedFrame READ ColorSelectedFrame WRITE setColorSelectedFrame)
    Q_PROPERTY(int ColorWeekNum READ ColorWeekNum WRITE setColorWeekNum)
    Q_PROPERTY(int ColorShowFrame READ ColorShowFrame WRITE setColorShowFrame)
    Q_PROPERTY(int ColorBackYear READ ColorBackYear WRITE setColorBackYear)
    Q_PROPERTY(int ColorBackMonth READ ColorBackMonth WRITE setColorBackMonth)
    Q_PROPERTY(int ColorTitleToday READ ColorTitleToday WRITE setColorTitleToday)
    Q_PROPERTY(int ColorTitleMonth READ ColorTitleMonth WRITE setColorTitleMonth)
    Q_PROPERTY(int ColorTitleYear READ ColorTitleYear WRITE setColorTitleYear)
    Q_PROPERTY(int ColorTitleSelected READ ColorTitleSelected WRITE setColorTitleSelected)
    Q_PROPERTY(int ColorTitleConstellation READ ColorTitleConstellation WRITE setColorTitleConstellation)
    Q_PROPERTY(int ColorTitleAnimalsYear READ ColorTitleAnimalsYear WRITE setColorTitleAnimalsYear)
    Q_PROPERTY(int ColorOffDay READ ColorOffDay WRITE setColorOffDay)
    Q_PROPERTY(int ColorWorkDay READ ColorWorkDay WRITE setColorWorkDay)
    Q_PROPERTY(bool ShowWorkdayMarks READ ShowWorkdayMarks WRITE setShowWorkdayMarks)

public:
    explicit TChnCalendar(QWidget *parent = nullptr);
    ~TChnCalendar() override;

    // The window-creation steps: menus, grid metrics, today's date, title mode.
    // Runs once, by itself when the control is first shown.
    void CreateWnd();
    bool WindowCreated() const { return m_created; }

    bool ShowTitle() const { return m_showTitle; }
    void setShowTitle(bool v);
    bool ShowWeekNum() const { return m_showWeekNum; }
    void setShowWeekNum(bool v);
    bool ShowFrame() const { return m_showFrame; }
    void setShowFrame(bool v);
    bool ShowBackYearMonth() const { return m_showBackYearMonth; }
    void setShowBackYearMonth(bool v);
    bool ShowWeekNumLine() const { return m_showWeekNumLine; }
    void setShowWeekNumLine(bool v);
    bool HideSelection() const { return m_hideSelection; }
    void setHideSelection(bool v);

    // The fonts' colours never show: a cell's own colour replaces them.
    QFont FontDate() const { return m_fontDate; }
    void setFontDate(const QFont &f);
    TColor FontDateColor() const { return m_fontDateColor; }
    void setFontDateColor(TColor c) { m_fontDateColor = c; }
    QFont FontCnDate() const { return m_fontCnDate; }
    void setFontCnDate(const QFont &f);
    TColor FontCnDateColor() const { return m_fontCnDateColor; }
    void setFontCnDateColor(TColor c) { m_fontCnDateColor = c; }

    tdt::TDateTime DateTime() const { return m_model.DateTime(); }
    void setDateTime(tdt::TDateTime v) { m_model.SetDateTime(v); }
    QString CnDate() const;
    void setCnDate(const QString &s);
    QString CnMonth() const;
    void setCnMonth(const QString &s);
    QString CnDay() const;
    void setCnDay(const QString &s);

    QImage BackGround() const { return m_backGround; }
    void setBackGround(const QImage &picture);
    bool Center() const { return m_center; }
    void setCenter(bool v);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool v);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool v);
    int AlphaBlend() const { return m_alphaBlend; }
    void setAlphaBlend(int v);

    TColor ColorTitleWeekLine() const { return m_colorTitleWeekLine; }
    void setColorTitleWeekLine(TColor c);
    TColor ColorTitleWeekEnd() const { return m_colorTitleWeekEnd; }
    void setColorTitleWeekEnd(TColor c);
    TColor ColorTitleWeek() const { return m_colorTitleWeek; }
    void setColorTitleWeek(TColor c);
    TColor ColorCnDate() const { return m_model.ColorCnDate; }
    void setColorCnDate(TColor c);
    TColor ColorDate() const { return m_model.ColorDate; }
    void setColorDate(TColor c);
    TColor ColorHoliday() const { return m_model.ColorHoliday; }
    void setColorHoliday(TColor c);
    TColor ColorLunarHolDay() const { return m_model.ColorLunarHolDay; }
    void setColorLunarHolDay(TColor c);
    TColor ColorCnHolDay() const { return m_model.ColorCnHolDay; }
    void setColorCnHolDay(TColor c);
    TColor ColorSelectedStart() const { return m_colorSelectedStart; }
    void setColorSelectedStart(TColor c);
    TColor ColorSelectedEnd() const { return m_colorSelectedEnd; }
    void setColorSelectedEnd(TColor c);
    TColor ColorSelectedFrame() const { return m_colorSelectedFrame; }
    void setColorSelectedFrame(TColor c);
    TColor ColorWeekNum() const { return m_colorWeekNum; }
    void setColorWeekNum(TColor c);
    TColor ColorShowFrame() const { return m_colorShowFrame; }
    void setColorShowFrame(TColor c);
    TColor ColorBackYear() const { return m_colorBackYear; }
    void setColorBackYear(TColor c);
    TColor ColorBackMonth() const { return m_colorBackMonth; }
    void setColorBackMonth(TColor c);
    TColor ColorTitleToday() const;
    void setColorTitleToday(TColor c);
    TColor ColorTitleMonth() const;
    void setColorTitleMonth(TColor c);
    TColor ColorTitleYear() const;
    void setColorTitleYear(TColor c);
    TColor ColorTitleSelected() const;
    void setColorTitleSelected(TColor c);
    TColor ColorTitleConstellation() const { return m_colorTitleConstellation; }
    void setColorTitleConstellation(TColor c);
    TColor ColorTitleAnimalsYear() const { return m_colorTitleAnimalsYear; }
    void setColorTitleAnimalsYear(TColor c);

    // Official days off (休) and working days (班): a small mark in the top-right corner
    // of the day cells the table lists, where it clears the day number. 休 in the red of
    // the days off, 班 in the grey of the working days' numbers.
    static constexpr TColor DefaultColorOffDay = clr::RGB(224, 32, 32); // 2105568
    static constexpr TColor DefaultColorWorkDay = clr::RGB(79, 79, 79); // 5197647
    TColor ColorOffDay() const { return m_colorOffDay; }
    void setColorOffDay(TColor c);
    TColor ColorWorkDay() const { return m_colorWorkDay; }
    void setColorWorkDay(TColor c);
    bool ShowWorkdayMarks() const { return m_showWorkdayMarks; }
    void setShowWorkdayMarks(bool v);
    // The table the marks come from (not owned; it must outlive the control); none by default.
    const TCnWorkdays *Workdays() const { return m_model.Workdays(); }
    void setWorkdays(const TCnWorkdays *table);
    // The pixels a cell's mark may touch (cell coordinates), or an empty rectangle when
    // the cell shows none or it would not clear the day number.
    QRect WorkdayMarkRect(int col, int row) const;

    // A colour as drawn: system colours resolved through the palette.
    QColor ToQColor(TColor c) const;

    // The user's actions, also reachable from code.
    void GoToToday() { m_model.GoToToday(); }

    // Parts, for the main window's layout checks and for tests.
    const TChnCalendarModel &Model() const { return m_model; }
    TCalendarGrid *Grid() const { return m_grid; }
    TUpDown *MonthArrows() const { return m_monthArrows; }
    TUpDown *YearArrows() const { return m_yearArrows; }
    QLabel *MonthLabel() const { return m_lblMonth; }
    QLabel *MonthCaption() const { return m_lblMonthCaption; }
    QLabel *YearLabel() const { return m_lblYear; }
    QLabel *YearCaption() const { return m_lblYearCaption; }
    QLabel *TodayLink() const { return m_lblToday; }
    QLabel *SelectedDateLine() const { return m_lblSelected; }
    // Null until the control's window is created.
    QMenu *MonthMenu();
    QMenu *YearMenu();
    const QImage &BackgroundBitmap() const;
    QRect YearBandRect() const;
    QRect MonthBandRect() const;

signals:
    void OnChange(TChnCalendar *Sender);
    void OnDateSelect(TChnCalendar *Sender);
    void OnDateClick(TChnCalendar *Sender);
    // Before a day number (OnDrawDateCell) or a lunar line (OnDrawCnDateCell) is drawn.
    // Connect directly: Text and defaultDraw are read back after the call.
    void OnDrawDateCell(TChnCalendar *Sender, int Day, QPainter *aCanvas, const QRect &R, bool Selected,
                        QString &Text, bool &defaultDraw);
    void OnDrawCnDateCell(TChnCalendar *Sender, int Day, QPainter *aCanvas, const QRect &R, bool Selected,
                          QString &Text, bool &defaultDraw);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void showEvent(QShowEvent *) override;
    void leaveEvent(QEvent *) override;
    void changeEvent(QEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TCalendarGrid;

    // TChnCalendarView
    void TitleChanged() override;
    void MakeCurrentCell(int col, int row) override;
    void MonthBuilt() override;
    void Changed() override;
    void DateClicked() override;

    void Layout();
    void LayoutGridMetrics();
    // Many settings change the background in a row while the window is built; it is drawn once, when wanted.
    void InvalidateBackground() { m_backgroundStale = true; }
    void RebuildBackground() const;
    void RebuildAndShowBackground();
    void RepaintGrid();
    void BuildMenus();
    void PlaceMonthNumber();
    // One cell, composed off screen and returned for a single copy onto the grid.
    const QImage &ComposeCell(int col, int row, const QRect &r, bool selected, bool focused);
    void DrawHeaderCell(QPainter &p, int col, const QRect &l);
    void DrawWeekNumberCell(QPainter &p, int row, const QRect &l);
    void DrawDayCell(QPainter &p, const TcnDateInf &cell, const QRect &l, bool selected, bool showSelection);
    void DrawInfoCell(QPainter &p, int k, const QRect &l);
    // A 休 / 班 mark in a cell: the pixels it may touch, where its text is drawn, its size.
    struct TMarkPlace {
        QRect Ink;
        QPoint Origin;
        int PixelSize = 0;
    };
    QRect DayNumberInk(const QString &dayText, const QSize &cell) const;
    TMarkPlace PlaceMark(TWorkdayMark mark, int pixelSize, const QString &dayText, const QSize &cell) const;
    int MarkPixelSize(const QSize &cell) const;
    TMarkPlace MarkOfCell(const TcnDateInf &cell, const QString &dayText, const QSize &size) const;
    void DrawWorkdayMark(QPainter &p, const TcnDateInf &cell, const TMarkPlace &mark, bool onSelection);
    void GridClicked(const QPoint &pos);
    void setLabelColor(QLabel *label, TColor c);

    TChnCalendarModel m_model;
    bool m_created = false;

    bool m_showTitle = false;
    bool m_showWeekNum = false;
    bool m_showFrame = true;
    bool m_showBackYearMonth = true;
    bool m_showWeekNumLine = true;
    bool m_hideSelection = false;
    bool m_center = false;
    bool m_stretch = false;
    bool m_transparent = false;
    int m_alphaBlend = 50;

    QFont m_fontDate;
    TColor m_fontDateColor = clr::clWindowText;
    QFont m_fontCnDate;
    TColor m_fontCnDateColor = 15658734;
    QImage m_backGround;

    TColor m_colorTitleWeekLine = 12961221;
    TColor m_colorTitleWeekEnd = clr::clRed;
    TColor m_colorTitleWeek = 5197647;
    TColor m_colorSelectedStart = 5484032;
    TColor m_colorSelectedEnd = 6673664;
    TColor m_colorSelectedFrame = 4625152;
    TColor m_colorWeekNum = clr::clGray;
    TColor m_colorShowFrame = clr::clGray;
    TColor m_colorBackYear = 14543103;
    TColor m_colorBackMonth = 15461355;
    TColor m_colorTitleConstellation = clr::clBlack;
    TColor m_colorTitleAnimalsYear = clr::clBlack;
    TColor m_colorOffDay = DefaultColorOffDay;
    TColor m_colorWorkDay = DefaultColorWorkDay;
    bool m_showWorkdayMarks = false;
    // The four label colours live on their labels; these remember system colours as set.
    TColor m_colorTitleToday = clr::clBlue;
    TColor m_colorTitleMonth = 12615808;
    TColor m_colorTitleYear = clr::clBlue;
    TColor m_colorTitleSelected = clr::clGray;

    mutable QImage m_background; // the finished background, the control's size
    mutable QImage m_picture;    // the placed background picture, before blending
    mutable bool m_backgroundStale = true;
    QImage m_cellBitmap;
    mutable QHash<QString, QRect> m_inkCache; // day numbers' ink, by font, text and cell size

    TCalendarGrid *m_grid = nullptr;
    TUpDown *m_monthArrows = nullptr;
    TUpDown *m_yearArrows = nullptr;
    QLabel *m_lblMonth = nullptr;
    QLabel *m_lblMonthCaption = nullptr;
    QLabel *m_lblYear = nullptr;
    QLabel *m_lblYearCaption = nullptr;
    QLabel *m_lblToday = nullptr;
    QLabel *m_lblSelected = nullptr;
    QMenu *m_monthMenu = nullptr;
    QMenu *m_yearMenu = nullptr;
    int m_monthNumberRight = 45;
};

// The settings the main window gives its calendar (size and place are the caller's).
// Shows the official days off and working days of CnWorkdays().
void ApplyMainWindowCalendarSettings(TChnCalendar &calendar);
