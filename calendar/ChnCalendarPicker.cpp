#include "ChnCalendarPicker.h"

#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "FontMap.h"
#include "PixelFont.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

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

TRgb ToRgb(const QColor &c) { return {c.red(), c.green(), c.blue()}; }

// One line, ellipsis when too wide; vertical overflow of the face's line box is not clipped,
// as the substituted faces are taller than the ones the layout was made for.
void DrawLine(QPainter &p, const QRect &area, const QString &text, Qt::Alignment align)
{
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, area.width());
    p.drawText(area, int(align) | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

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
    m_fontDate = font();
    m_fontDate.setFamily(QStringLiteral("黑体"));
    m_fontDate.setBold(true);
    m_fontDate.setStyleStrategy(QFont::PreferDefault);
    m_fontCnDate = MakeFont(QStringLiteral("宋体"), 9);

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
    setLabelColor(m_lblMonth, m_colorTitleMonth);
    setLabelColor(m_lblMonthCaption, clr::clBlack);
    setLabelColor(m_lblYear, m_colorTitleYear);
    setLabelColor(m_lblYearCaption, clr::clBlack);
    setLabelColor(m_lblToday, m_colorTitleToday);
    setLabelColor(m_lblSelected, m_colorTitleSelected);

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

QRect TChnCalendar::YearBandRect() const { return ToQRect(YearBand(GridRect(width(), height(), m_showTitle))); }

QRect TChnCalendar::MonthBandRect() const { return ToQRect(MonthBand(GridRect(width(), height(), m_showTitle))); }

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
    m_lblSelected->setText(Utf8(m_model.SelectedLine()));
    FitLabel(m_lblSelected);
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

// ---- background ----

const QImage &TChnCalendar::BackgroundBitmap() const
{
    if (m_backgroundStale)
        RebuildBackground();
    return m_background;
}

void TChnCalendar::RebuildBackground() const
{
    m_backgroundStale = false;
    const QSize s = size().expandedTo(QSize(1, 1));
    if (m_background.size() != s)
        m_background = QImage(s, QImage::Format_RGB32);
    m_background.fill(Qt::white);
    {
        QPainter p(&m_background);
        if (m_showFrame) {
            // No visual style to follow here: the plain rectangle.
            p.setPen(QPen(ToQColor(m_colorShowFrame), 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, s.width() - 1, s.height() - 1);
        }
        if (m_showBackYearMonth) {
            DrawBandText(p, YearBandRect(), Utf8(m_model.YearText()), ArialBlack(48), ToQColor(m_colorBackYear));
            DrawBandText(p, MonthBandRect(), Utf8(m_model.MonthText()), ArialBlack(90), ToQColor(m_colorBackMonth));
        }
    }
    if (m_backGround.isNull()) {
        m_picture = QImage();
        return;
    }
    m_picture = QImage(s, QImage::Format_RGB32);
    m_picture.fill(Qt::white);
    {
        QPainter p(&m_picture);
        const TRect place =
            PlacePicture(s.width(), s.height(), m_backGround.width(), m_backGround.height(), m_center, m_stretch);
        if (m_stretch) {
            if (place.Width() > 0 && place.Height() > 0) {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(ToQRect(place), m_backGround);
            }
        } else {
            p.drawImage(QPoint(place.Left, place.Top), m_backGround);
        }
    }
    const int weight = BlendWeight(m_alphaBlend);
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

// ---- cells: everything a cell shows is drawn here ----

const QImage &TChnCalendar::ComposeCell(int col, int row, const QRect &r, bool selected, bool focused)
{
    if (m_cellBitmap.size() != r.size())
        m_cellBitmap = QImage(r.size(), QImage::Format_RGB32);
    m_cellBitmap.fill(Qt::white);
    QPainter p(&m_cellBitmap);
    p.drawImage(QPoint(0, 0), BackgroundBitmap(), QRect(r.topLeft() + m_grid->pos(), r.size()));
    p.setFont(font());
    const QRect l(0, 0, r.width(), r.height());
    try {
        if (row == 0) {
            DrawHeaderCell(p, col, l);
        } else if (col == 0) {
            DrawWeekNumberCell(p, row, l);
        } else if (col <= 7) {
            const bool showSelection = selected && (!m_hideSelection || focused);
            if (showSelection) {
                const auto bands =
                    SelectionGradient(ToRgb(ToQColor(m_colorSelectedStart)), ToRgb(ToQColor(m_colorSelectedEnd)), l.height());
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

void TChnCalendar::DrawHeaderCell(QPainter &p, int col, const QRect &l)
{
    const QRect area(l.left(), l.top(), l.width() - 2, l.height());
    QString text;
    TColor color = m_colorTitleWeek;
    if (col == 0) {
        if (m_showWeekNum)
            text = QStringLiteral("W");
        color = m_colorWeekNum;
    } else if (col <= 7) {
        static const char16_t *shortNames[7] = {u"日", u"一", u"二", u"三", u"四", u"五", u"六"};
        if (area.width() > 36)
            text = locale().dayName(col == 1 ? 7 : col - 1, QLocale::LongFormat);
        else
            text = QString::fromUtf16(shortNames[col - 1]);
        color = (col == 1 || col == 7) ? m_colorTitleWeekEnd : m_colorTitleWeek;
    }
    if (!text.isEmpty()) {
        p.setPen(ToQColor(color));
        DrawLine(p, area, text, Qt::AlignHCenter | Qt::AlignTop);
    }
    p.setPen(QPen(ToQColor(m_colorTitleWeekLine), 0));
    p.drawLine(0, l.height() - 4, l.width() - 1, l.height() - 4);
    if (col == 0 && m_showWeekNum && m_showWeekNumLine)
        p.drawLine(l.width() - 1, 0, l.width() - 1, l.height() - 1);
}

void TChnCalendar::DrawWeekNumberCell(QPainter &p, int row, const QRect &l)
{
    const std::string &entry = m_model.WeekNumbers()[row - 1];
    if (!m_showWeekNum || entry.empty())
        return;
    p.setFont(MakeFont(QStringLiteral("宋体"), 9));
    p.setPen(ToQColor(m_colorWeekNum));
    DrawLine(p, l, Utf8(entry), Qt::AlignCenter);
    if (m_showWeekNumLine) {
        p.setPen(QPen(ToQColor(m_colorTitleWeekLine), 0));
        p.drawLine(l.width() - 1, 0, l.width() - 1, l.height() - 1);
    }
}

void TChnCalendar::DrawDayCell(QPainter &p, const TcnDateInf &cell, const QRect &l, bool selected, bool showSelection)
{
    const int half = l.height() / 2;

    const QRect dayArea(l.left() + 2, l.top(), l.width() - 4, half);
    p.setFont(m_fontDate);
    p.setPen(ToQColor(cell.DayColor));
    QString text = Utf8(cell.Text);
    bool defaultDraw = true;
    emit OnDrawDateCell(this, cell.Day, &p, l, selected, text, defaultDraw);
    if (defaultDraw)
        DrawLine(p, dayArea, text, Qt::AlignHCenter | Qt::AlignBottom);
    const TMarkPlace mark = MarkOfCell(cell, text, l.size());

    const QRect cnArea(l.left() + 2, half, l.width() - 4, l.height() - 2 - half);
    p.setFont(m_fontCnDate);
    p.setPen(ToQColor(cell.CnColor));
    text = Utf8(cell.CnText);
    defaultDraw = true;
    emit OnDrawCnDateCell(this, cell.Day, &p, l, selected, text, defaultDraw);
    if (defaultDraw) {
        DrawLine(p, cnArea, text, Qt::AlignHCenter | Qt::AlignTop);
        if (showSelection) {
            p.setPen(QPen(ToQColor(m_colorSelectedFrame), 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, l.width() - 1, l.height() - 1);
        }
    }
    if (!mark.Ink.isEmpty())
        DrawWorkdayMark(p, cell, mark, showSelection);
}

namespace {

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

// The mark glyph's ink relative to its drawing origin on the baseline: the small
// bitmap faces reach past their advance, so the metrics cannot be trusted for it.
QRect MarkInk(int pixelSize, TWorkdayMark mark)
{
    static QHash<int, QRect> cache;
    const int key = pixelSize * 4 + int(mark);
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const int room = pixelSize * 3;
    QImage img(room, room, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QPoint origin(pixelSize, pixelSize * 2);
    {
        QPainter p(&img);
        p.setFont(WorkdayMarkFont(pixelSize));
        p.setPen(Qt::black);
        p.drawText(origin, QString::fromUtf8(WorkdayMarkText(mark)));
    }
    const QRect ink = InkBounds(img).translated(-origin);
    cache.insert(key, ink);
    return ink;
}

} // namespace

QRect TChnCalendar::DayNumberInk(const QString &dayText, const QSize &cell) const
{
    const QString key = m_fontDate.key() + QLatin1Char('|') + dayText + QLatin1Char('|') +
                        QString::number(cell.width()) + QLatin1Char('x') + QString::number(cell.height());
    const auto it = m_inkCache.constFind(key);
    if (it != m_inkCache.constEnd())
        return *it;
    // Drawn exactly as the cell draws it.
    QImage img(cell, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setFont(m_fontDate);
        p.setPen(Qt::black);
        DrawLine(p, QRect(2, 0, cell.width() - 4, cell.height() / 2), dayText, Qt::AlignHCenter | Qt::AlignBottom);
    }
    const QRect ink = InkBounds(img);
    if (m_inkCache.size() > 1000)
        m_inkCache.clear();
    m_inkCache.insert(key, ink);
    return ink;
}

TChnCalendar::TMarkPlace TChnCalendar::PlaceMark(TWorkdayMark mark, int pixelSize, const QString &dayText,
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

int TChnCalendar::MarkPixelSize(const QSize &cell) const
{
    // One size for the whole grid: the largest whose marks clear a two-digit day by a
    // pixel, growing a little with the cell.
    const QFontMetrics fm(m_fontDate);
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

TChnCalendar::TMarkPlace TChnCalendar::MarkOfCell(const TcnDateInf &cell, const QString &dayText,
                                                  const QSize &size) const
{
    if (!m_showWorkdayMarks || cell.Workday == TWorkdayMark::None)
        return {};
    // Where it would touch the day number or the lunar line, the cell goes without.
    return PlaceMark(cell.Workday, MarkPixelSize(size), dayText, size);
}

void TChnCalendar::DrawWorkdayMark(QPainter &p, const TcnDateInf &cell, const TMarkPlace &mark, bool onSelection)
{
    p.save();
    // On the selection gradient the mark keeps its colour on a white ground.
    if (onSelection)
        p.fillRect(mark.Ink, Qt::white);
    p.setPen(ToQColor(cell.Workday == TWorkdayMark::Off ? m_colorOffDay : m_colorWorkDay));
    p.setFont(WorkdayMarkFont(mark.PixelSize));
    p.setClipRect(mark.Ink);
    p.drawText(mark.Origin, QString::fromUtf8(WorkdayMarkText(cell.Workday)));
    p.restore();
}

void TChnCalendar::DrawInfoCell(QPainter &p, int k, const QRect &l)
{
    const QString text = Utf8(m_model.Cell(k).Text);
    if (text.isEmpty())
        return;
    const QRect area(l.left(), l.top() + 8, l.width(), l.height() - 8);
    p.setFont(MakeFont(QStringLiteral("宋体"), 9));
    Qt::Alignment align = Qt::AlignHCenter;
    TColor color = m_colorTitleAnimalsYear;
    if (k == TChnCalendarModel::CellConstellation) {
        color = m_colorTitleConstellation;
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

// ---- properties ----

QColor TChnCalendar::ToQColor(TColor c) const
{
    if (clr::IsSystemColor(c)) {
        const QPalette &pal = palette();
        switch (c & 0xFF) {
        case 5:
            return pal.color(QPalette::Base);
        case 8:
            return pal.color(QPalette::WindowText);
        case 13:
            return pal.color(QPalette::Highlight);
        case 14:
            return pal.color(QPalette::HighlightedText);
        case 15:
            return pal.color(QPalette::Button);
        case 18:
            return pal.color(QPalette::ButtonText);
        default:
            return pal.color(QPalette::WindowText);
        }
    }
    return QColor(clr::GetR(c), clr::GetG(c), clr::GetB(c));
}

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

void TChnCalendar::setShowFrame(bool v)
{
    m_showFrame = v;
    RebuildAndShowBackground();
}

void TChnCalendar::setShowBackYearMonth(bool v)
{
    m_showBackYearMonth = v;
    RebuildAndShowBackground();
}

void TChnCalendar::setShowWeekNumLine(bool v)
{
    m_showWeekNumLine = v;
    RepaintGrid();
}

void TChnCalendar::setHideSelection(bool v)
{
    m_hideSelection = v;
    RepaintGrid();
}

void TChnCalendar::setFontDate(const QFont &f)
{
    m_fontDate = f;
    RepaintGrid();
}

void TChnCalendar::setFontCnDate(const QFont &f)
{
    m_fontCnDate = f;
    RepaintGrid();
}

QString TChnCalendar::CnDate() const { return Utf8(m_model.CnDate()); }
void TChnCalendar::setCnDate(const QString &s) { m_model.SetCnDate(s.toStdString()); }
QString TChnCalendar::CnMonth() const { return Utf8(m_model.CnMonth()); }
void TChnCalendar::setCnMonth(const QString &s) { m_model.SetCnMonth(s.toStdString()); }
QString TChnCalendar::CnDay() const { return Utf8(m_model.CnDay()); }
void TChnCalendar::setCnDay(const QString &s) { m_model.SetCnDay(s.toStdString()); }

void TChnCalendar::setBackGround(const QImage &picture)
{
    m_backGround = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    RebuildAndShowBackground();
}

void TChnCalendar::setCenter(bool v)
{
    m_center = v;
    RebuildAndShowBackground();
}

void TChnCalendar::setStretch(bool v)
{
    m_stretch = v;
    RebuildAndShowBackground();
}

void TChnCalendar::setTransparent(bool v)
{
    m_transparent = v;
    RebuildAndShowBackground();
}

void TChnCalendar::setAlphaBlend(int v)
{
    m_alphaBlend = std::clamp(v, 0, 255);
    RebuildAndShowBackground();
}

void TChnCalendar::setColorTitleWeekLine(TColor c)
{
    m_colorTitleWeekLine = c;
    RepaintGrid();
}

void TChnCalendar::setColorTitleWeekEnd(TColor c)
{
    m_colorTitleWeekEnd = c;
    RepaintGrid();
}

void TChnCalendar::setColorTitleWeek(TColor c)
{
    m_colorTitleWeek = c;
    RepaintGrid();
}

void TChnCalendar::setColorCnDate(TColor c)
{
    m_model.ColorCnDate = c;
    m_model.Refresh();
}

void TChnCalendar::setColorDate(TColor c)
{
    m_model.ColorDate = c;
    m_model.Refresh();
}

void TChnCalendar::setColorHoliday(TColor c)
{
    m_model.ColorHoliday = c;
    m_model.Refresh();
}

void TChnCalendar::setColorLunarHolDay(TColor c)
{
    m_model.ColorLunarHolDay = c;
    m_model.Refresh();
}

void TChnCalendar::setColorCnHolDay(TColor c)
{
    m_model.ColorCnHolDay = c;
    m_model.Refresh();
}

void TChnCalendar::setColorSelectedStart(TColor c)
{
    m_colorSelectedStart = c;
    RepaintGrid();
}

void TChnCalendar::setColorSelectedEnd(TColor c)
{
    m_colorSelectedEnd = c;
    RepaintGrid();
}

void TChnCalendar::setColorSelectedFrame(TColor c)
{
    m_colorSelectedFrame = c;
    RepaintGrid();
}

void TChnCalendar::setColorWeekNum(TColor c)
{
    m_colorWeekNum = c;
    if (m_showWeekNum)
        RepaintGrid();
}

void TChnCalendar::setColorShowFrame(TColor c)
{
    m_colorShowFrame = c;
    if (m_showFrame)
        RebuildAndShowBackground();
}

void TChnCalendar::setColorBackYear(TColor c)
{
    m_colorBackYear = c;
    RebuildAndShowBackground();
}

void TChnCalendar::setColorBackMonth(TColor c)
{
    m_colorBackMonth = c;
    RebuildAndShowBackground();
}

TColor TChnCalendar::ColorTitleToday() const { return m_colorTitleToday; }
void TChnCalendar::setColorTitleToday(TColor c)
{
    m_colorTitleToday = c;
    setLabelColor(m_lblToday, c);
}

TColor TChnCalendar::ColorTitleMonth() const { return m_colorTitleMonth; }
void TChnCalendar::setColorTitleMonth(TColor c)
{
    m_colorTitleMonth = c;
    setLabelColor(m_lblMonth, c);
}

TColor TChnCalendar::ColorTitleYear() const { return m_colorTitleYear; }
void TChnCalendar::setColorTitleYear(TColor c)
{
    m_colorTitleYear = c;
    setLabelColor(m_lblYear, c);
}

TColor TChnCalendar::ColorTitleSelected() const { return m_colorTitleSelected; }
void TChnCalendar::setColorTitleSelected(TColor c)
{
    m_colorTitleSelected = c;
    setLabelColor(m_lblSelected, c);
}

void TChnCalendar::setColorTitleConstellation(TColor c)
{
    m_colorTitleConstellation = c;
    RepaintGrid();
}

void TChnCalendar::setColorTitleAnimalsYear(TColor c)
{
    m_colorTitleAnimalsYear = c;
    RepaintGrid();
}

void TChnCalendar::setColorOffDay(TColor c)
{
    m_colorOffDay = c;
    RepaintGrid();
}

void TChnCalendar::setColorWorkDay(TColor c)
{
    m_colorWorkDay = c;
    RepaintGrid();
}

void TChnCalendar::setShowWorkdayMarks(bool v)
{
    m_showWorkdayMarks = v;
    RepaintGrid();
}

void TChnCalendar::setWorkdays(const TCnWorkdays *table)
{
    m_model.SetWorkdays(table);
    RepaintGrid();
}

QRect TChnCalendar::WorkdayMarkRect(int col, int row) const
{
    if (col < 1 || col > 7 || row < 1 || row > 6)
        return {};
    const int k = TChnCalendarModel::CellNo(col, row);
    if (k >= TChnCalendarModel::CellConstellation)
        return {};
    const TcnDateInf &cell = m_model.Cell(k);
    if (!cell.InUse)
        return {};
    return MarkOfCell(cell, Utf8(cell.Text), m_grid->CellRect(col, row).size()).Ink;
}

// ---- the main window's instance ----

void ApplyMainWindowCalendarSettings(TChnCalendar &c)
{
    c.setShowTitle(true);
    c.setShowWeekNum(false);
    c.setShowFrame(true);
    c.setShowWeekNumLine(true);
    c.setHideSelection(false);
    c.setCenter(false);
    c.setStretch(true);
    c.setAlphaBlend(50);

    QFont day = c.FontDate();
    day.setFamily(QStringLiteral("黑体"));
    day.setPixelSize(12);
    day.setBold(true);
    c.setFontDate(day);
    c.setFontDateColor(clr::clWindowText);
    QFont lunar = c.FontCnDate();
    lunar.setFamily(QStringLiteral("宋体"));
    lunar.setPixelSize(12);
    lunar.setBold(false);
    platform::CrispSmallSong(lunar);
    c.setFontCnDate(lunar);
    c.setFontCnDateColor(15658734);

    c.setColorTitleWeekLine(12961221);
    c.setColorTitleWeekEnd(clr::clRed);
    c.setColorTitleWeek(5197647);
    c.setColorDate(5197647);
    c.setColorCnDate(clr::clGreen);
    c.setColorHoliday(33023);
    c.setColorCnHolDay(33023);
    c.setColorLunarHolDay(16733011);
    c.setColorSelectedStart(5484032);
    c.setColorSelectedEnd(6673664);
    c.setColorSelectedFrame(4625152);
    c.setColorWeekNum(clr::clGray);
    c.setColorShowFrame(clr::clGray);
    c.setColorTitleSelected(clr::clGray);
    c.setColorBackYear(14543103);
    c.setColorBackMonth(15461355);
    c.setColorTitleToday(clr::clBlue);
    c.setColorTitleYear(clr::clBlue);
    c.setColorTitleMonth(12615808);
    c.setColorTitleConstellation(clr::clBlack);
    c.setColorTitleAnimalsYear(clr::clBlack);
    c.setBackGround(QImage());
    c.setColorOffDay(TChnCalendar::DefaultColorOffDay);
    c.setColorWorkDay(TChnCalendar::DefaultColorWorkDay);
    c.setWorkdays(&CnWorkdays());
    c.setShowWorkdayMarks(true);
}
