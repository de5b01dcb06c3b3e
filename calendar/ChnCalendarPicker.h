#pragma once
// The month calendar control: a grid of days with their lunar lines, a title with
// the year and month, arrows, a today link and the selected-date line.
//
// The main window's instance:
//     chnRili = new TChnCalendar(pnlLeft);
//     chnRili->setGeometry(0, 0, 311, 253);
//     ApplyMainWindowCalendarSettings(*chnRili); // its style, see app/CalendarLook.h
//     connect(chnRili, &TChnCalendar::OnChange, this, &TMainFrm::chnRiliChange);
//     chnRili->setDateTime(platform::Now());
// The weekday and month names follow the control's locale() (the application's
// default locale unless set on the control or a parent).
#include "CalendarPainter.h"
#include "CalendarStyle.h"
#include "ChnCalendarModel.h"

#include <QFont>
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

public:
    explicit TChnCalendar(QWidget *parent = nullptr);
    ~TChnCalendar() override;

    // The window-creation steps: menus, grid metrics, today's date, title mode.
    // Runs once, by itself when the control is first shown.
    void CreateWnd();
    bool WindowCreated() const { return m_created; }

    // Title mode: runs the layout.
    bool ShowTitle() const { return m_showTitle; }
    void setShowTitle(bool v);
    // Column 0 widens for the week numbers.
    bool ShowWeekNum() const { return m_showWeekNum; }
    void setShowWeekNum(bool v);

    tdt::TDateTime DateTime() const { return m_model.DateTime(); }
    void setDateTime(tdt::TDateTime v) { m_model.SetDateTime(v); }
    QString CnDate() const;
    void setCnDate(const QString &s);
    QString CnMonth() const;
    void setCnMonth(const QString &s);
    QString CnDay() const;
    void setCnDay(const QString &s);

    // The look as one value; at creation the defaults, with fonts made from the control's
    // own. Setting it recomputes the cell colours when those changed, and redraws.
    static constexpr TColor DefaultColorOffDay = TChnCalendarStyle::DefaultColorOffDay;
    static constexpr TColor DefaultColorWorkDay = TChnCalendarStyle::DefaultColorWorkDay;
    const TChnCalendarStyle &Style() const { return m_painter.Style; }
    void setStyle(const TChnCalendarStyle &style);

    // The table the marks come from (not owned; it must outlive the control); none by default.
    const TCnWorkdays *Workdays() const { return m_model.Workdays(); }
    void setWorkdays(const TCnWorkdays *table);
    // The pixels a cell's mark may touch (cell coordinates), or an empty rectangle when
    // the cell shows none or it would not clear the day number.
    QRect WorkdayMarkRect(int col, int row) const;

    // Where the marks of the days with notes come from (see TChnCalendarModel::NotedDays);
    // setting it marks the shown month at once. RefreshNotedDays asks again and redraws.
    void setNotedDays(std::function<std::vector<int>(int year, int month)> source);
    void RefreshNotedDays();
    // The pixels a cell's note mark touches (cell coordinates), or an empty rectangle.
    QRect NoteMarkRect(int col, int row) const;

    // A colour as drawn: system colours resolved through the palette.
    QColor ToQColor(TColor c) const { return Painter().ToQColor(c); }

    // The user's own yearly dates (see TChnCalendarModel::OwnDateText); the month is rebuilt.
    void setOwnDates(std::function<std::string(int, int, int, bool)> texts);
    // The menu a right click on a day of the month opens in title mode, when it holds any
    // action; DayMenuDate() is then that day.
    QMenu *DayMenu() const { return m_dayMenu; }
    tdt::TDateTime DayMenuDate() const { return m_dayMenuDate; }

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
    // The selected-date line: a long era is shortened to fit and shown whole as the tooltip.
    QLabel *SelectedDateLine() const { return m_lblSelected; }
    // Pixels the line keeps free at the control's right edge.
    static constexpr int SelectedLineMargin = 7;
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
    // The painter, told the control's current size, mode, font, palette and locale.
    TCalendarPainter &Painter() const;
    void InvalidateBackground() { m_painter.InvalidateBackground(); }
    void RebuildAndShowBackground();
    void RepaintGrid();
    void BuildMenus();
    void PlaceMonthNumber();
    void ShowSelectedLine();
    const QImage &ComposeCell(int col, int row, const QRect &r, bool selected, bool focused);
    void GridClicked(const QPoint &pos);
    void DayMenuAt(const QPoint &pos);
    void setLabelColor(QLabel *label, TColor c);
    // The day cell in use at a grid place, or null for the info cells and days outside the month.
    const TcnDateInf *DayCellAt(int col, int row) const;

    TChnCalendarModel m_model;
    mutable TCalendarPainter m_painter{m_model};
    bool m_created = false;
    bool m_showTitle = false;
    bool m_showWeekNum = false;

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
    QMenu *m_dayMenu = nullptr;
    tdt::TDateTime m_dayMenuDate = 0;
    int m_monthNumberRight = 45;
};
