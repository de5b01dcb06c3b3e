#include "ChnCalendarPicker.h"

#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "FontMap.h"
#include "InfoLine.h"
#include "PixelFont.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace {

// Face sizes are given in points at 96 dots per inch; pixel sizes keep the
// control identical on every screen.
int PointsToPixels(int pt) { return (pt * 96 + 36) / 72; }

const QString kSong = QStringLiteral("宋体");

QFont MakeFont(const QString &family, int pt, bool bold = false)
{
    return winkit::CrispPixelFont(family, PointsToPixels(pt), bold);
}

// Labels are sized to their text, with room below for an underline.
void FitLabel(QLabel *l)
{
    l->adjustSize();
    if (l->font().underline())
        l->resize(l->width(), l->height() + 2);
}

// Year and month numbers: every face has the digits, and without merging no fallback faces are looked up.
QFont Digits(QFont f)
{
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::NoFontMerging));
    return f;
}

QFont ArialBlack(int pt)
{
    QFont f = MakeFont(QStringLiteral("Arial Black"), pt);
    f.setWeight(QFont::Black);
    return Digits(f);
}

// The 休 / 班 mark: the small song face, crisp down to 9 pixels.
QFont WorkdayMarkFont(int pixelSize)
{
    return winkit::CrispPixelFont(kSong, pixelSize);
}

QString Utf8(const std::string &s) { return QString::fromStdString(s); }

QRect ToQRect(const TRect &r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

void AddMenuItems(QMenu *menu, const std::vector<TMenuItemDef> &items, TChnCalendar *owner,
                  const std::function<void(const TMenuItemDef &)> &run)
{
    for (const TMenuItemDef &item : items) {
        const QString name = Utf8(item.Name);
        switch (item.ItemKind) {
        case TMenuItemDef::Separator: {
            QAction *a = menu->addSeparator();
            a->setObjectName(name);
            break;
        }
        case TMenuItemDef::Submenu: {
            QMenu *sub = menu->addMenu(Utf8(item.Caption));
            sub->setObjectName(name);
            sub->menuAction()->setObjectName(name);
            AddMenuItems(sub, item.Items, owner, run);
            break;
        }
        default: {
            QAction *a = menu->addAction(Utf8(item.Caption));
            a->setObjectName(name);
            if (item.ItemKind != TMenuItemDef::Today)
                a->setData(item.Tag);
            if (item.Default)
                menu->setDefaultAction(a);
            const TMenuItemDef copy{item.ItemKind, item.Name, item.Caption, item.Tag, item.Default, {}};
            QObject::connect(a, &QAction::triggered, owner, [run, copy] { run(copy); });
            break;
        }
        }
    }
}

} // namespace

// ---- TUpDown ----

TUpDown::TUpDown(QWidget *parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRaise(false);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { emit Clicked(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit Clicked(-1); });
    resize(16, 24);
}

void TUpDown::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

// ---- TCalendarGrid ----

TCalendarGrid::TCalendarGrid(TChnCalendar *owner) : QWidget(owner), m_owner(owner)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCalendarGrid::SetColWidth(int c, int w)
{
    m_colWidths[c] = w;
    update();
}

void TCalendarGrid::SetRowHeight(int r, int h)
{
    m_rowHeights[r] = h;
    update();
}

QRect TCalendarGrid::CellRect(int col, int row) const
{
    int x = 0, y = 0;
    for (int c = 0; c < col; ++c)
        x += m_colWidths[c];
    for (int r = 0; r < row; ++r)
        y += m_rowHeights[r];
    return QRect(x, y, m_colWidths[col], m_rowHeights[row]);
}

bool TCalendarGrid::CellAt(const QPoint &p, int &col, int &row) const
{
    if (!rect().contains(p))
        return false;
    int x = 0;
    col = -1;
    for (int c = 0; c < ColCount(); ++c) {
        if (p.x() >= x && p.x() < x + m_colWidths[c]) {
            col = c;
            break;
        }
        x += m_colWidths[c];
    }
    int y = 0;
    row = -1;
    for (int r = 0; r < RowCount(); ++r) {
        if (p.y() >= y && p.y() < y + m_rowHeights[r]) {
            row = r;
            break;
        }
        y += m_rowHeights[r];
    }
    return col >= 0 && row >= 0;
}

bool TCalendarGrid::MoveCurrent(int col, int row)
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return false;
    if (!m_owner->m_model.CellCheck(col, row))
        return false;
    if (col != m_col || row != m_row) {
        update(CellRect(m_col, m_row));
        m_col = col;
        m_row = row;
        update(CellRect(m_col, m_row));
    }
    return true;
}

void TCalendarGrid::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    // Whatever the cells leave uncovered shows the background too.
    p.drawImage(QPoint(0, 0), m_owner->BackgroundBitmap(), QRect(pos(), size()));
    const bool focused = hasFocus();
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColCount(); ++c) {
            const QRect cr = CellRect(c, r);
            if (cr.isEmpty() || !cr.intersects(e->rect()))
                continue;
            const bool selected = c == m_col && r == m_row;
            p.drawImage(cr.topLeft(), m_owner->ComposeCell(c, r, cr, selected, focused));
        }
    }
}

void TCalendarGrid::mousePressEvent(QMouseEvent *e)
{
    m_owner->m_model.MousePressed = true;
    setFocus(Qt::MouseFocusReason);
    int c, r;
    if (e->button() == Qt::LeftButton && CellAt(e->position().toPoint(), c, r))
        MoveCurrent(c, r);
    else if (e->button() == Qt::RightButton && m_owner->m_showTitle)
        m_owner->DayMenuAt(e->position().toPoint());
}

void TCalendarGrid::mouseMoveEvent(QMouseEvent *e)
{
    int c, r;
    if ((e->buttons() & Qt::LeftButton) && CellAt(e->position().toPoint(), c, r) && (c != m_col || r != m_row))
        MoveCurrent(c, r);
}

void TCalendarGrid::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        m_owner->GridClicked(e->position().toPoint());
}

void TCalendarGrid::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Left:
        MoveCurrent(m_col - 1, m_row);
        break;
    case Qt::Key_Right:
        MoveCurrent(m_col + 1, m_row);
        break;
    case Qt::Key_Up:
        MoveCurrent(m_col, m_row - 1);
        break;
    case Qt::Key_Down:
        MoveCurrent(m_col, m_row + 1);
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}

void TCalendarGrid::leaveEvent(QEvent *)
{
    m_owner->m_model.MousePressed = false;
}

void TCalendarGrid::focusInEvent(QFocusEvent *)
{
    update(CellRect(m_col, m_row));
}

void TCalendarGrid::focusOutEvent(QFocusEvent *)
{
    update(CellRect(m_col, m_row));
}

// ---- TChnCalendar ----

TChnCalendar::TChnCalendar(QWidget *parent) : QWidget(parent)
{
    m_model.View = this;
    m_model.Now = [] { return platform::Now(); };

    resize(313, 253);
    setFont(MakeFont(QStringLiteral("宋体"), 9));
    TChnCalendarStyle &style = m_painter.Style;
    style.FontDate = font();
    style.FontDate.setFamily(QStringLiteral("黑体"));
    style.FontDate.setBold(true);
    style.FontDate.setStyleStrategy(QFont::PreferDefault);
    style.FontCnDate = MakeFont(QStringLiteral("宋体"), 9);
    m_painter.Fonts.Small = MakeFont(QStringLiteral("宋体"), 9);
    m_painter.Fonts.BackYear = ArialBlack(48);
    m_painter.Fonts.BackMonth = ArialBlack(90);
    m_painter.Fonts.Mark = WorkdayMarkFont(12);
    m_painter.DrawDateCell = [this](int day, QPainter *canvas, const QRect &r, bool selected, QString &text,
                                    bool &defaultDraw) {
        emit OnDrawDateCell(this, day, canvas, r, selected, text, defaultDraw);
    };
    m_painter.DrawCnDateCell = [this](int day, QPainter *canvas, const QRect &r, bool selected, QString &text,
                                      bool &defaultDraw) {
        emit OnDrawCnDateCell(this, day, canvas, r, selected, text, defaultDraw);
    };

    const QFont caption = MakeFont(QStringLiteral("宋体"), 9);
    auto makeLabel = [&](const QString &text, const QFont &f, int x, int y, bool hand) {
        auto *l = new QLabel(text, this);
        l->setFont(f);
        l->setAttribute(Qt::WA_TranslucentBackground);
        l->setAutoFillBackground(false);
        l->setMargin(0);
        l->setIndent(0);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->move(x, y);
        FitLabel(l);
        l->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
        l->installEventFilter(this);
        return l;
    };
    m_lblMonth = makeLabel(QString(), Digits(MakeFont(QStringLiteral("Arial"), 24, true)), 34, 3, true);
    m_lblMonth->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_lblMonthCaption = makeLabel(QStringLiteral("月"), caption, 45, 20, true);
    m_lblYear = makeLabel(QString(), ArialBlack(22), 120, 0, true);
    m_lblYearCaption = makeLabel(QStringLiteral("年"), caption, 205, 18, true);
    QFont link = caption;
    link.setUnderline(true);
    m_lblToday = makeLabel(QStringLiteral("今天"), link, 272, 18, true);
    m_lblSelected = makeLabel(QString(), caption, 10, 236, false);
    m_lblSelected->setTextFormat(Qt::PlainText);
    setLabelColor(m_lblMonth, style.ColorTitleMonth);
    setLabelColor(m_lblMonthCaption, clr::clBlack);
    setLabelColor(m_lblYear, style.ColorTitleYear);
    setLabelColor(m_lblYearCaption, clr::clBlack);
    setLabelColor(m_lblToday, style.ColorTitleToday);
    setLabelColor(m_lblSelected, style.ColorTitleSelected);

    m_monthArrows = new TUpDown(this);
    m_monthArrows->move(60, 10);
    m_yearArrows = new TUpDown(this);
    m_yearArrows->move(220, 10);
    for (TUpDown *u : {m_monthArrows, m_yearArrows}) {
        u->installEventFilter(this);
        u->UpButton()->installEventFilter(this);
        u->DownButton()->installEventFilter(this);
    }
    connect(m_monthArrows, &TUpDown::Clicked, this, [this](int delta) { m_model.MonthArrow(delta); });
    connect(m_yearArrows, &TUpDown::Clicked, this, [this](int delta) { m_model.YearArrow(delta); });

    m_grid = new TCalendarGrid(this);
    m_dayMenu = new QMenu(this);
    m_dayMenu->setObjectName(QStringLiteral("MenuDay"));
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        if (QMenu *menu = YearMenu())
            menu->popup(m_grid->mapToGlobal(p));
    });

    Layout();
}

TChnCalendar::~TChnCalendar()
{
    m_model.View = nullptr;
    delete m_monthMenu;
    delete m_yearMenu;
}

void TChnCalendar::CreateWnd()
{
    if (m_created)
        return;
    m_created = true;
    // Column 0 keeps room for the week numbers when they are already switched on.
    m_grid->SetColWidth(0, m_showWeekNum ? 18 : 6);
    m_grid->SetRowHeight(0, 18);
    LayoutGridMetrics();
    setDateTime(platform::Now());
    setShowTitle(true);
}

void TChnCalendar::setOwnDates(std::function<std::string(int, int, int, bool)> texts)
{
    m_model.OwnDateText = std::move(texts);
    m_model.Refresh();
}

void TChnCalendar::DayMenuAt(const QPoint &pos)
{
    int c, r;
    if (m_dayMenu->isEmpty() || !m_grid->CellAt(pos, c, r) || c < 1 || c > 7 || r < 1)
        return;
    const int k = TChnCalendarModel::CellNo(c, r);
    if (k > TChnCalendarModel::LastDayCell || !m_model.Cell(k).InUse)
        return;
    const tdt::YMD ymd = tdt::DecodeDate(m_model.DateTime());
    m_dayMenuDate = tdt::EncodeDate(ymd.year, ymd.month, m_model.Cell(k).Day);
    m_dayMenu->popup(m_grid->mapToGlobal(pos));
}

QMenu *TChnCalendar::MonthMenu()
{
    BuildMenus();
    return m_monthMenu;
}

QMenu *TChnCalendar::YearMenu()
{
    BuildMenus();
    return m_yearMenu;
}

// The menus belong to the created control. They hold some 450 items, so they are made
// when first wanted rather than while the program starts.
void TChnCalendar::BuildMenus()
{
    if (!m_created || m_monthMenu)
        return;
    std::array<std::string, 12> names;
    for (int m = 1; m <= 12; ++m)
        names[m - 1] = locale().monthName(m, QLocale::LongFormat).toStdString();

    m_monthMenu = new QMenu();
    m_monthMenu->setObjectName(QStringLiteral("MenuMonth"));
    AddMenuItems(m_monthMenu, MonthMenuItems(names), this, [this](const TMenuItemDef &item) {
        if (item.ItemKind == TMenuItemDef::Today)
            m_model.GoToToday();
        else
            m_model.ChooseMonth(item.Tag);
    });
    m_yearMenu = new QMenu();
    m_yearMenu->setObjectName(QStringLiteral("MenuYear"));
    AddMenuItems(m_yearMenu, YearMenuItems(), this, [this](const TMenuItemDef &item) {
        if (item.ItemKind == TMenuItemDef::Today)
            m_model.GoToToday();
        else
            m_model.ChooseYear(item.Tag);
    });
}

// ---- layout ----

void TChnCalendar::Layout()
{
    const TRect g = GridRect(width(), height(), m_showTitle);
    m_grid->setGeometry(ToQRect(g));
    m_grid->raise();
    m_monthArrows->setVisible(m_showTitle);
    m_yearArrows->setVisible(m_showTitle);
    m_grid->setContextMenuPolicy(m_showTitle ? Qt::PreventContextMenu : Qt::CustomContextMenu);
    LayoutGridMetrics();
    ShowSelectedLine();
    InvalidateBackground();
    update();
    m_grid->update();
}

void TChnCalendar::LayoutGridMetrics()
{
    const auto cols = ColumnWidths(m_grid->width(), m_grid->ColWidth(0));
    for (int c = 1; c < 9; ++c)
        m_grid->SetColWidth(c, cols[c]);
    const auto rows = RowHeights(m_grid->height(), m_grid->RowHeight(0));
    for (int r = 1; r < 7; ++r)
        m_grid->SetRowHeight(r, rows[r]);
}

QRect TChnCalendar::YearBandRect() const { return Painter().YearBandRect(); }

QRect TChnCalendar::MonthBandRect() const { return Painter().MonthBandRect(); }

void TChnCalendar::resizeEvent(QResizeEvent *)
{
    Layout();
}

void TChnCalendar::showEvent(QShowEvent *e)
{
    if (!m_created)
        CreateWnd();
    QWidget::showEvent(e);
}

void TChnCalendar::leaveEvent(QEvent *)
{
    m_model.MousePressed = false;
}

void TChnCalendar::changeEvent(QEvent *e)
{
    if (m_grid && (e->type() == QEvent::FontChange || e->type() == QEvent::LocaleChange ||
                   e->type() == QEvent::PaletteChange)) {
        update();
        m_grid->update();
    }
    QWidget::changeEvent(e);
}

bool TChnCalendar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Leave) {
        m_model.MousePressed = false;
        return false;
    }
    if (event->type() != QEvent::ContextMenu && event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    QMenu *menu = nullptr;
    if (watched == m_lblMonth || watched == m_lblMonthCaption)
        menu = MonthMenu();
    else if (watched == m_lblYear || watched == m_lblYearCaption)
        menu = YearMenu();

    if (event->type() == QEvent::ContextMenu && menu) {
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        auto *w = qobject_cast<QWidget *>(watched);
        if (me->button() == Qt::LeftButton && w && w->rect().contains(me->position().toPoint())) {
            if (menu) {
                menu->popup(me->globalPosition().toPoint());
                return true;
            }
            if (watched == m_lblToday) {
                m_model.GoToToday();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- what the model reports ----

void TChnCalendar::TitleChanged()
{
    m_lblYear->setText(Utf8(m_model.YearText()));
    FitLabel(m_lblYear);
    m_lblMonth->setText(Utf8(m_model.MonthText()));
    PlaceMonthNumber();
    ShowSelectedLine();
}

void TChnCalendar::ShowSelectedLine()
{
    const std::vector<TLinePart> parts = m_model.SelectedParts();
    // The line keeps off the frame on the right as it does on the left.
    const int room = width() - m_lblSelected->x() - SelectedLineMargin;
    const TInfoLine fit = FitInfoLine(m_lblSelected->fontMetrics(), room, parts);
    m_lblSelected->setText(fit.Text);
    m_lblSelected->setToolTip(fit.Shortened ? WholeInfoLine(parts) : QString());
    FitLabel(m_lblSelected);
    // The label's own measure may add a pixel of overhang the text does not need.
    if (m_lblSelected->width() > room)
        m_lblSelected->resize(std::max(room, 0), m_lblSelected->height());
}

void TChnCalendar::PlaceMonthNumber()
{
    FitLabel(m_lblMonth);
    m_lblMonth->move(m_monthNumberRight - m_lblMonth->width(), 3);
}

void TChnCalendar::MakeCurrentCell(int col, int row) { m_grid->MoveCurrent(col, row); }

void TChnCalendar::MonthBuilt()
{
    InvalidateBackground();
    update();
    m_grid->update();
}

void TChnCalendar::Changed() { emit OnChange(this); }

void TChnCalendar::DateClicked() { emit OnDateClick(this); }

void TChnCalendar::GridClicked(const QPoint &pos)
{
    int c, r;
    if (m_grid->CellAt(pos, c, r) && c == m_grid->Col() && r == m_grid->Row())
        emit OnDateSelect(this);
}

// ---- drawing: the painter draws, the control shows ----

TCalendarPainter &TChnCalendar::Painter() const
{
    m_painter.Size = size();
    m_painter.ShowTitle = m_showTitle;
    m_painter.ShowWeekNum = m_showWeekNum;
    m_painter.Fonts.Text = font();
    m_painter.Palette = palette();
    m_painter.Locale = locale();
    return m_painter;
}

const QImage &TChnCalendar::BackgroundBitmap() const { return Painter().Background(); }

const QImage &TChnCalendar::ComposeCell(int col, int row, const QRect &r, bool selected, bool focused)
{
    return Painter().ComposeCell(col, row, r, m_grid->pos(), selected, focused);
}

void TChnCalendar::RebuildAndShowBackground()
{
    InvalidateBackground();
    update();
}

void TChnCalendar::RepaintGrid() { m_grid->update(); }

void TChnCalendar::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    p.drawImage(e->rect().topLeft(), BackgroundBitmap(), e->rect());
}


// ---- properties ----

void TChnCalendar::setLabelColor(QLabel *label, TColor c)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ToQColor(c));
    label->setPalette(pal);
}

void TChnCalendar::setShowTitle(bool v)
{
    m_showTitle = v;
    Layout();
}

void TChnCalendar::setShowWeekNum(bool v)
{
    if (v == m_showWeekNum)
        return;
    m_showWeekNum = v;
    m_grid->SetColWidth(0, v ? 18 : 6);
    RepaintGrid();
}

QString TChnCalendar::CnDate() const { return Utf8(m_model.CnDate()); }
void TChnCalendar::setCnDate(const QString &s) { m_model.SetCnDate(s.toStdString()); }
QString TChnCalendar::CnMonth() const { return Utf8(m_model.CnMonth()); }
void TChnCalendar::setCnMonth(const QString &s) { m_model.SetCnMonth(s.toStdString()); }
QString TChnCalendar::CnDay() const { return Utf8(m_model.CnDay()); }
void TChnCalendar::setCnDay(const QString &s) { m_model.SetCnDay(s.toStdString()); }

void TChnCalendar::setStyle(const TChnCalendarStyle &style)
{
    TChnCalendarStyle &s = m_painter.Style;
    s = style;
    s.AlphaBlend = std::clamp(s.AlphaBlend, 0, 255);
    if (!s.BackGround.isNull())
        s.BackGround = s.BackGround.convertToFormat(QImage::Format_RGB32);
    setLabelColor(m_lblToday, s.ColorTitleToday);
    setLabelColor(m_lblMonth, s.ColorTitleMonth);
    setLabelColor(m_lblYear, s.ColorTitleYear);
    setLabelColor(m_lblSelected, s.ColorTitleSelected);
    RebuildAndShowBackground();
    RepaintGrid();
    // The cells carry their colours from the month rebuild: a new colour wants a new rebuild.
    const bool cellColours = m_model.ColorDate != s.ColorDate || m_model.ColorCnDate != s.ColorCnDate ||
                             m_model.ColorHoliday != s.ColorHoliday || m_model.ColorLunarHolDay != s.ColorLunarHolDay ||
                             m_model.ColorCnHolDay != s.ColorCnHolDay;
    m_model.ColorDate = s.ColorDate;
    m_model.ColorCnDate = s.ColorCnDate;
    m_model.ColorHoliday = s.ColorHoliday;
    m_model.ColorLunarHolDay = s.ColorLunarHolDay;
    m_model.ColorCnHolDay = s.ColorCnHolDay;
    if (cellColours)
        m_model.Refresh();
}

void TChnCalendar::setWorkdays(const TCnWorkdays *table)
{
    m_model.SetWorkdays(table);
    RepaintGrid();
}

const TcnDateInf *TChnCalendar::DayCellAt(int col, int row) const
{
    if (col < 1 || col > 7 || row < 1 || row > 6)
        return nullptr;
    const int k = TChnCalendarModel::CellNo(col, row);
    if (k >= TChnCalendarModel::CellConstellation)
        return nullptr;
    const TcnDateInf &cell = m_model.Cell(k);
    return cell.InUse ? &cell : nullptr;
}

QRect TChnCalendar::WorkdayMarkRect(int col, int row) const
{
    const TcnDateInf *cell = DayCellAt(col, row);
    return cell ? Painter().WorkdayMarkRect(*cell, m_grid->CellRect(col, row).size()) : QRect();
}

void TChnCalendar::setNotedDays(std::function<std::vector<int>(int year, int month)> source)
{
    m_model.NotedDays = std::move(source);
    RefreshNotedDays();
}

void TChnCalendar::RefreshNotedDays()
{
    m_model.RefreshNotedDays();
    RepaintGrid();
}

QRect TChnCalendar::NoteMarkRect(int col, int row) const
{
    const TcnDateInf *cell = DayCellAt(col, row);
    return cell ? Painter().NoteMarkRect(*cell, m_grid->CellRect(col, row).size()) : QRect();
}
