#include "uMain.h"

#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "CnWorkdaysFile.h"
#include "Clock.h"
#include "Dialogs.h"
#include "FormSizeFile.h"
#include "NoteBox.h"
#include "OpenPage.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "QuitGuard.h"
#include "ProgramFolder.h"
#include "SettingsFile.h"
#include "TImage.h"
#include "WallpaperApply.h"
#include "WeekBoxes.h"
#include "loginLock.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uInfoFrm.h"
#include "uPicSel.h"
#include "uSearchTxt.h"
#include "uSetTrans.h"
#include "untPWSet.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

// The pictures live in this static library; nothing else would pull them in.
static void initPictures() { Q_INIT_RESOURCE(pics); }

namespace {

// Stored colours hold red in the low byte.
QColor storedColor(int v)
{
    return QColor(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff);
}

const int kOutline = 15983576;   // RGB(216, 227, 243)
const int kLineColor = 16770012; // RGB(220, 227, 255)
const int kPixelsPerEdge = 5;    // width of the invisible sizing edge

// A palette rather than a style sheet: a style sheet puts every label through the slow
// style-sheet machinery when it is polished, and again whenever the sheet changes.
void setTextColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QFrame *linePanel(QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, storedColor(kLineColor));
    f->setPalette(p);
    return f;
}

QString dateText(tdt::TDateTime d, const char *sep)
{
    const tdt::YMD ymd = tdt::DecodeDate(d);
    const QLatin1String s(sep);
    return QStringLiteral("%1").arg(ymd.year, 4, 10, QLatin1Char('0')) + s
           + QStringLiteral("%1").arg(ymd.month, 2, 10, QLatin1Char('0')) + s
           + QStringLiteral("%1").arg(ymd.day, 2, 10, QLatin1Char('0'));
}

} // namespace

void TMainFrm::PreloadPictures()
{
    initPictures();
    TImage::PreloadFolder(QStringLiteral(":/main"));
}

TMainFrm::TMainFrm(QWidget *parent) : QWidget(parent)
{
    initPictures();
    terminate = [] { QCoreApplication::exit(0); };
    setWindowTitle(QStringLiteral("Tavi桌面记事"));
    setWindowFlag(Qt::FramelessWindowHint);
    // Named as PNG so that no picture plugin is loaded to guess the format.
    setWindowIcon(QIcon(QPixmap(QStringLiteral(":/main/tavi-64.png"), "PNG")));
    setMinimumSize(MinWidth, MinHeight);
    setMouseTracking(true);
    resize(DesignWidth, DesignHeight);
    buildComposition();
    m_quitGuard = new TQuitGuard(this, *m_week, [this] { N_DataOutClick(); });
    FormCreate();
}

TMainFrm::~TMainFrm() = default;

bool TMainFrm::FormShown() const { return m_week->FormShown; }

// --- composition ---------------------------------------------------------------

void TMainFrm::buildComposition()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    imgBG = new TImage(this, QStringLiteral(":/main/bg.png"));
    imgBG->setDesignHeight(DesignHeight);
    imgBG->setGeometry(1, 1, DesignWidth - 2, DesignHeight - 2);
    connect(imgBG, &TImage::mousePressed, this, [this](Qt::MouseButton button) {
        if (!windowHandle())
            return;
        // The edges of the borderless window still resize it; elsewhere any button
        // on the background moves it, as if its caption were grabbed.
        const Qt::Edges e = edgesAt(mapFromGlobal(QCursor::pos()));
        if (e && button == Qt::LeftButton)
            windowHandle()->startSystemResize(e);
        else
            windowHandle()->startSystemMove();
    });

    imgLogo = new TImage(this, QStringLiteral(":/main/logo.png"), false);
    imgLogo->setGeometry(55, 11, 260, 48);

    lblDateTime = new QLabel(this);
    lblDateTime->setGeometry(343, 19, 300, 20);
    lblDateTime->setFont(winkit::CrispPixelFont(QStringLiteral("微软雅黑"), 12, true));
    setTextColor(lblDateTime, QColor(0x80, 0, 0));

    lblStatus = new QLabel(this);
    lblStatus->setGeometry(480, 58, 270, 16);
    lblStatus->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
    setTextColor(lblStatus, QColor(0xc0, 0, 0));
    lblStatus->hide();

    lblSet = new QLabel(QStringLiteral("|  选项"), this);
    lblSet->setGeometry(761, 60, 60, 14);
    lblSet->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
    lblSet->setCursor(Qt::PointingHandCursor);
    lblSet->installEventFilter(this);

    imgAppToDesk = new TImage(this, QStringLiteral(":/main/apptodesk.png"), false);
    imgAppToDesk->setGeometry(825, 49, 80, 26);
    imgAppToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAppToDesk, &TImage::clicked, this, &TMainFrm::imgAppToDeskClick);

    // Tool row.
    imgFont = new TImage(this, QStringLiteral(":/main/font.png"), false);
    imgFont->setGeometry(317, 58, 20, 17);
    imgFont->setToolTip(QStringLiteral("字体大小设置"));
    imgFont->setCursor(Qt::PointingHandCursor);
    connect(imgFont, &TImage::clicked, this, &TMainFrm::imgFontClick);

    btnGou = new QToolButton(this);
    btnGou->setText(QStringLiteral("√"));
    // Both marks are in the mapped Latin faces; without merging no fallback faces are looked up.
    QFont tickFont = winkit::CrispPixelFont(QStringLiteral("Arial Black"), 14);
    tickFont.setStyleStrategy(QFont::NoFontMerging);
    btnGou->setFont(tickFont);
    btnGou->setGeometry(341, 55, 23, 22);
    btnGou->setAutoRaise(true);
    btnGou->setFocusPolicy(Qt::NoFocus);
    connect(btnGou, &QToolButton::clicked, this, &TMainFrm::btnGouClick);

    btnX = new QToolButton(this);
    btnX->setText(QStringLiteral("X"));
    tickFont.setPixelSize(12);
    btnX->setFont(tickFont);
    btnX->setGeometry(365, 55, 23, 22);
    btnX->setAutoRaise(true);
    btnX->setFocusPolicy(Qt::NoFocus);
    connect(btnX, &QToolButton::clicked, this, &TMainFrm::btnXClick);

    imgDate = new TImage(this, QStringLiteral(":/main/date.png"), false);
    imgDate->setGeometry(395, 54, 37, 21);
    imgDate->setToolTip(QStringLiteral("插入时间"));
    imgDate->setCursor(Qt::PointingHandCursor);
    connect(imgDate, &TImage::clicked, this, &TMainFrm::imgDateClick);

    imgRedColor = new TImage(this, QStringLiteral(":/main/redcolor.png"), false);
    imgRedColor->setGeometry(441, 61, 20, 11);
    imgRedColor->setToolTip(QStringLiteral("字体颜色"));
    imgRedColor->setCursor(Qt::PointingHandCursor);
    connect(imgRedColor, &TImage::clicked, this, &TMainFrm::imgRedColorClick);

    // Left panel: calendar, web panel, the picture list button.
    pnlLeft = new QWidget(this);
    pnlLeft->setGeometry(2, 80, 311, 441);
    pnlLeft->setAutoFillBackground(true);
    pnlLeft->setPalette(pal);

    chnRili = new TChnCalendar(pnlLeft);
    chnRili->setGeometry(0, 0, 311, 253);
    ApplyMainWindowCalendarSettings(*chnRili);

    pnlWeb = new QWidget(pnlLeft);
    pnlWeb->setGeometry(2, 253, 311, 70);
    pnlWeb->setAutoFillBackground(true);
    pnlWeb->setPalette(pal);
    webLink = new QTextBrowser(pnlWeb);
    webLink->setGeometry(-14, -19, 2013, 844);
    webLink->setFrameShape(QFrame::NoFrame);
    webLink->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    webLink->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    webLink->setOpenLinks(false);
    webLink->setContextMenuPolicy(Qt::NoContextMenu);
    connect(webLink, &QTextBrowser::anchorClicked, this,
            [](const QUrl &url) { platform::OpenPage(url.toString()); });

    auto *filler = new QWidget(pnlLeft);
    filler->setGeometry(0, 323, 311, 441 - 323);
    filler->setAutoFillBackground(true);
    QPalette fp = filler->palette();
    fp.setColor(QPalette::Window, storedColor(kOutline));
    filler->setPalette(fp);
    imgAddToDesk = new TImage(pnlLeft, QStringLiteral(":/main/addtodesk.png"));
    imgAddToDesk->setGeometry(63, 340, 176, 50);
    imgAddToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAddToDesk, &TImage::clicked, this, [this] { ::imgAddToDeskClick(this); });

    buildWeekView();
    buildMenus();
    buildFrame();
    qApp->installEventFilter(this);
    layoutAnchors();
}

void TMainFrm::buildWeekView()
{
    pnlRight = new QWidget(this);
    pnlRight->setGeometry(317, 80, 594, 445);
    pnlRight->setAutoFillBackground(true);
    QPalette pal = pnlRight->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pnlRight->setPalette(pal);

    imgtitle_year1 = new TImage(pnlRight, QStringLiteral(":/main/title.png"));
    imgtitle_year1->setGeometry(4, 0, 587, 26);
    imgtitle_year2 = new TImage(pnlRight, QStringLiteral(":/main/title.png"));
    imgtitle_year2->setGeometry(4, 216, 586, 25);
    imgSelColor = new TImage(pnlRight, QStringLiteral(":/main/selcolor.png"));
    imgSelColor->setGeometry(396, 216, 193, 26);
    imgSelColor->hide();

    const char *captions[6] = {"周 一", "周 二", "周 三", "周 四", "周 五", "周 六/日"};
    for (int i = 0; i < 6; ++i) {
        lblweek[i] = new QLabel(QString::fromUtf8(captions[i]), pnlRight);
        lblweek[i]->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
        lblweek[i]->setAttribute(Qt::WA_TranslucentBackground);
        lblweek[i]->adjustSize();
        lblweek[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // The official day-off or working-day mark beside a caption, which itself stays as it is.
    for (int i = 0; i < 6; ++i) {
        lblWorkday[i] = new QLabel(pnlRight);
        lblWorkday[i]->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12, true));
        lblWorkday[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        lblWorkday[i]->hide();
    }

    for (int i = 0; i < 6; ++i) {
        auto *box = new TNoteBox(pnlRight);
        box->setKeepSelectionVisible(i == 0 || i == 5);
        box->setObjectName(QStringLiteral("redt%1").arg(i + 1));
        redt[i] = box;
    }
    // Tab order follows the days.
    for (int i = 1; i < 6; ++i)
        setTabOrder(redt[i - 1], redt[i]);

    pnl_yearLine0 = linePanel(pnlRight);
    pnl_yearLine1 = linePanel(pnlRight);
    pnl_yearLine2 = linePanel(pnlRight);
    pnl_yearLineREdge = linePanel(pnlRight);
    pnl_buttonline = linePanel(pnlRight);
    pnl_yearLine0->setGeometry(2, 0, 1, 445);
    pnl_yearLine1->setGeometry(184, 3, 1, 442);
    pnl_yearLine2->setGeometry(393, 3, 1, 442);
    pnl_yearLineREdge->setGeometry(591, 0, 1, 445);
    pnl_buttonline->setGeometry(0, 440, 594, 1);
    imgSelColor->raise();
    for (QLabel *l : lblweek)
        l->raise();
    for (QLabel *l : lblWorkday)
        l->raise();

    pnlRight->installEventFilter(this);
    m_week = std::make_unique<TWeekBoxes>(redt, *DM);
    connect(m_week.get(), &TWeekNotes::statusChanged, this, [this] { showWeekStatus(m_week->statusText()); });
}

void TMainFrm::buildMenus()
{
    popSysset = new QMenu(this);
    popSysset->addAction(QStringLiteral("内   容   导   出"), this, &TMainFrm::N_DataOutClick);
    popSysset->addAction(QStringLiteral("背景透明度调节"), this, &TMainFrm::N_BgTransparentClick);
    QAction *search = popSysset->addAction(QStringLiteral("检 索 关 键 字"), this, &TMainFrm::N_SearcheClick);
    search->setVisible(false);
    popSysset->addSeparator();
    popSysset->addAction(QStringLiteral("登陆密码"), this, &TMainFrm::N7Click);
    popSysset->addAction(QStringLiteral("帮助说明"), this, &TMainFrm::N_helpClick);
    popSysset->addAction(QStringLiteral("意见反馈"), this, &TMainFrm::N_SubmitClick);
    popSysset->addSeparator();
    popSysset->addAction(QStringLiteral("退出程序"), this, &TMainFrm::N_ExitPrjClick);

    pmDeskTopMonCal = new QMenu(this);
    pmDeskTopMonCal->addAction(QStringLiteral("复制"), this, &TMainFrm::N1Click);
    pmDeskTopMonCal->addAction(QStringLiteral("粘贴"), this, &TMainFrm::N2Click);
    pmDeskTopMonCal->addAction(QStringLiteral("删除"), this, &TMainFrm::N9Click);
    pmDeskTopMonCal->addAction(QStringLiteral("剪切"), this, &TMainFrm::N3Click);
    pmDeskTopMonCal->addSeparator();
    pmDeskTopMonCal->addAction(QStringLiteral("打V"), this, &TMainFrm::V1Click);
    pmDeskTopMonCal->addAction(QStringLiteral("打X"), this, &TMainFrm::X1Click);
    pmDeskTopMonCal->addSeparator();
    pmDeskTopMonCal->addAction(QStringLiteral("撤销(Ctrl+Z)"), this, &TMainFrm::CtrlZ1Click);
    QMenu *marker = pmDeskTopMonCal->addMenu(QStringLiteral("添加标注"));
    marker->addAction(QStringLiteral("蓝"), this, &TMainFrm::N11Click);
    marker->addAction(QStringLiteral("红"), this, &TMainFrm::N12Click);
    marker->addAction(QStringLiteral("粉色"), this, &TMainFrm::N13Click);
    for (TNoteBox *box : redt)
        box->setPopupMenu(pmDeskTopMonCal);
}

void TMainFrm::buildFrame()
{
    img_close = new TPictureButton(this, QStringLiteral(":/main/close_normal.png"),
                                   QStringLiteral(":/main/close_highlight.png"), QStringLiteral(":/main/close_down.png"));
    img_close->setGeometry(873, 1, 39, 20);
    connect(img_close, &TPictureButton::clicked, this, &TMainFrm::img_close_highlightClick);
    // The minimise button's lit pictures stand one pixel left of its normal one.
    img_mini = new TPictureButton(this, QStringLiteral(":/main/mini_normal.png"),
                                  QStringLiteral(":/main/mini_highlight.png"), QStringLiteral(":/main/mini_down.png"));
    img_mini->setPictureOffset(TPictureButton::State::Normal, QPoint(1, 0));
    img_mini->setGeometry(843, 1, 29, 20);
    connect(img_mini, &TPictureButton::clicked, this, &TMainFrm::img_mini_highlightClick);
}

// Components anchored to the right or to all sides follow the window's size.
void TMainFrm::layoutAnchors()
{
    const int dx = width() - DesignWidth;
    const int dy = height() - DesignHeight;
    imgBG->setGeometry(1, 1, width() - 2, height() - 2);
    lblSet->move(761 + dx, 60);
    imgAppToDesk->move(825 + dx, 49);
    img_close->move(873 + dx, 1);
    img_mini->move(843 + dx, 1);
    pnlRight->setGeometry(317, 80, 594 + dx, 445 + dy);
}

// The week panel's children anchored to its right or bottom follow its size.
void TMainFrm::layoutPanelAnchors()
{
    const int pw = pnlRight->width(), ph = pnlRight->height();
    const int ddx = pw - 594, ddy = ph - 445;
    imgtitle_year1->setGeometry(4, 0, 587 + ddx, 26);
    imgtitle_year2->resize(586 + ddx, 25);
    pnl_yearLine0->setGeometry(2, 0, 1, ph);
    pnl_yearLine1->resize(1, ph - 3);
    pnl_yearLine2->resize(1, ph - 3);
    pnl_yearLineREdge->setGeometry(591 + ddx, 0, 1, ph);
    pnl_buttonline->setGeometry(0, 440 + ddy, pw, 1);
}

void TMainFrm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutAnchors();
    FormResize();
}

void TMainFrm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(storedColor(kOutline));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_webPagePending) {
        m_webPagePending = false;
        QTimer::singleShot(0, this, [this] {
            navigateWeb(QStringLiteral("about:blank"));
            navigateWeb(platform::WebServerAddress(ProgramDir()) + QStringLiteral("rs/Tavi4.htm"));
        });
    }
}

// --- creation and show -----------------------------------------------------------

void TMainFrm::FormCreate()
{
    ResetPictureState();
    WeekConList.assign(7, TWeekConList{});
    m_week->WeekLoaded = false;
    m_week->FormShown = false;
    sizeState.LetterNo = 1;

    connect(chnRili, &TChnCalendar::OnChange, this, &TMainFrm::chnRiliChange);
    chnRili->setDateTime(platform::Now());

    if (!CheckLoginLock(this)) {
        m_unlocked = false;
        return;
    }

    const tdt::TDateTime now = platform::Now();
    lblDateTime->setText(TodayLabel(now));
    lblDateTime->adjustSize();

    const int month = tdt::DecodeDate(now).month;
    sizeState.MonthText = QString::number(month);
    udMonthPosition = month;
    edtMonthText = sizeState.MonthText;

    QString error;
    if (!ReadApplyConfirmation(error)) {
        dialogs::ShowError(error, this);
        return;
    }
    LoadPicList(false);
    LoadFormSize();
    m_created = true;
}

void TMainFrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_showDone && !event->spontaneous()) {
        m_showDone = true;
        FormShow();
    }
}

void TMainFrm::FormShow()
{
    // As a browser would, the panel shows its page once read: the page is read after the
    // window's first picture, which it would otherwise hold back (see paintEvent).
    m_webPagePending = true;
    QString error;
    if (LoadTransMode(&error))
        RecolourBoxes(boxes());
    else
        dialogs::ShowError(error, this);
    m_week->FormShown = true;
}

void TMainFrm::navigateWeb(const QString &address)
{
    // Navigation errors leave the panel blank; nothing is reported. The panel reads pages
    // from a folder only: a web address stays blank here, though the help and feedback
    // pages still open from it in the browser.
    if (address == QLatin1String("about:blank")) {
        webLink->clear();
        return;
    }
    const QUrl url(address);
    if (url.isLocalFile() && QFile::exists(url.toLocalFile()))
        webLink->setSource(url);
}

QString TMainFrm::TodayLabel(tdt::TDateTime date)
{
    static const char *const days[7] = {"一", "二", "三", "四", "五", "六", "日"};
    const tdt::YMD d = tdt::DecodeDate(date);
    return QStringLiteral("今天是 %1年%2月%3日(%4)")
        .arg(d.year)
        .arg(d.month)
        .arg(d.day)
        .arg(QString::fromUtf8(days[tdt::DayOfTheWeek(date) - 1]));
}

void TMainFrm::showWeekStatus(const QString &text)
{
    lblStatus->setText(text);
    lblStatus->setVisible(!text.isEmpty());
}

// --- week view ---------------------------------------------------------------------

void TMainFrm::chnRiliChange()
{
    const tdt::TDateTime d = chnRili->DateTime();
    m_week->LoadWeek(d);
    MarkSelectedDay(d);
    MarkWorkdays();
}

void TMainFrm::MarkWorkdays()
{
    for (int i = 0; i < 6; ++i) {
        const QString mark = i < 5 ? WorkdayMarkTextOf(WeekConList[i].DayDate)
                                   : WorkdayMarkTextOf(WeekConList[5].DayDate, WeekConList[6].DayDate);
        QLabel *l = lblWorkday[i];
        l->setText(mark);
        setTextColor(l, mark == QStringLiteral("休") ? QColor(0xe0, 0x20, 0x20) : QColor(0x4f, 0x4f, 0x4f));
        l->adjustSize();
        l->move(lblweek[i]->x() + lblweek[i]->width() + 6, lblweek[i]->y());
        l->setVisible(!mark.isEmpty());
    }
}

void TMainFrm::FormResize()
{
    LayoutWeekView();
    QCoreApplication::processEvents();
}

void TMainFrm::LayoutWeekView()
{
    // Hidden widgets get their resize events late; the anchored lines must be in place first.
    layoutPanelAnchors();
    const int W = pnlRight->width();
    const int H = pnlRight->height();
    pnl_yearLine1->move((W - 4) / 3 + 1, pnl_yearLine1->y());
    pnl_yearLine2->move(((W - 4) / 3) * 2 + 2, pnl_yearLine2->y());
    imgtitle_year2->move(imgtitle_year2->x(), (H - 50) / 2 + 18);

    const QFrame *lines[3] = {pnl_yearLine0, pnl_yearLine1, pnl_yearLine2};
    const int boxWidth = (W - 5) / 3;
    for (int c = 0; c < 3; ++c) {
        const int w = c < 2 ? boxWidth : boxWidth - 4;
        const int left = lines[c]->x() + 1;
        const int upperTop = imgtitle_year1->y() + 26;
        redt[c]->setGeometry(left, upperTop, w, imgtitle_year2->y() - imgtitle_year1->y() - 26);
        const int lowerTop = imgtitle_year2->y() + 26;
        redt[c + 3]->setGeometry(left, lowerTop, w, pnl_buttonline->y() - imgtitle_year2->y() - 26);
        lblweek[c]->move(lines[c]->x() + 10, (imgtitle_year1->height() - 12) / 2);
        lblweek[c + 3]->move(lines[c]->x() + 10, imgtitle_year2->y() + 8);
    }
    for (int i = 0; i < 6; ++i)
        lblWorkday[i]->move(lblweek[i]->x() + lblweek[i]->width() + 6, lblweek[i]->y());
    MarkSelectedDay(chnRili->DateTime());
}

void TMainFrm::MarkSelectedDay(tdt::TDateTime date)
{
    imgSelColor->hide();
    if (WeekConList.size() != 7)
        return;
    const QString key = DayKeyOf(date);
    int element = -1;
    for (int i = 0; i < 7; ++i) {
        if (DayKeyOf(WeekConList[i].DayDate) == key) {
            element = i;
            break;
        }
    }
    if (element < 0)
        return;
    const int column = element < 3 ? element : (element < 5 ? element - 3 : 2);
    const bool upper = element < 3;
    const QFrame *lines[4] = {pnl_yearLine0, pnl_yearLine1, pnl_yearLine2, pnl_yearLineREdge};
    const QFrame *L = lines[column];
    const QFrame *R = lines[column + 1];
    imgSelColor->setGeometry(L->x() + 1, (upper ? imgtitle_year1 : imgtitle_year2)->y(), R->x() - L->x() - 2, 26);
    imgSelColor->show();
}

// --- options menu --------------------------------------------------------------------

void TMainFrm::lblSetClick()
{
    popSysset->popup(lblSet->mapToGlobal(QPoint(0, lblSet->height())));
}

void TMainFrm::N_helpClick()
{
    platform::OpenPage(platform::WebServerAddress(ProgramDir()) + QStringLiteral("help4/tavi1.htm"));
}

void TMainFrm::N_SubmitClick()
{
    platform::OpenPage(platform::WebServerAddress(ProgramDir()) + QStringLiteral("help4/tavi2.htm"));
}

void TMainFrm::N_ExitPrjClick()
{
    // The size file is written by the close button only.
    if (m_quitGuard->MayQuit())
        terminate();
}

void TMainFrm::N7Click() { ::N7Click(this); }

void TMainFrm::N_BgTransparentClick() { ::N_BgTransparentClick(this, boxes()); }

void TMainFrm::N_SearcheClick() { ::N_SearcheClick(this); }

void TMainFrm::imgAppToDeskClick() { ApplyWeekToDesktop(this, pnlRight); }

QList<QTextEdit *> TMainFrm::boxes() const
{
    QList<QTextEdit *> list;
    for (TNoteBox *b : redt)
        list << b;
    return list;
}

QStringList TMainFrm::ExportLines() const
{
    static const char *const captions[6] = {"星期一 ", "星期二 ", "星期三 ", "星期四 ", "星期五 ", "星期六/日 "};
    QStringList lines;
    for (int i = 0; i < 6; ++i) {
        lines << QString::fromUtf8(captions[i]) + dateText(WeekConList[i].DayDate, ".");
        lines << QStringLiteral("  ");
        lines << redt[i]->PlainLines();
        lines << QStringLiteral("  ");
    }
    return lines;
}

void TMainFrm::N_DataOutClick()
{
    const QStringList lines = ExportLines();
    const tdt::TDateTime d = chnRili->DateTime();
    const tdt::HMS t = tdt::DecodeTime(d);
    const QString defaultName = QStringLiteral("周 ") + dateText(d, "")
                                + QStringLiteral("%1%2%3")
                                      .arg(t.hour, 2, 10, QLatin1Char('0'))
                                      .arg(t.minute, 2, 10, QLatin1Char('0'))
                                      .arg(t.second, 2, 10, QLatin1Char('0'));
    const QString name = dialogs::GetSaveFileName(this, QString(), defaultName, QStringLiteral("*.Txt"));
    if (name.isNull())
        return;
    if (name.isEmpty()) {
        dialogs::ShowMessage(QStringLiteral("文件名不能为空！"), this);
        return;
    }
    if (!settings::Write(name + QStringLiteral(".txt"), lines))
        dialogs::ShowError(QStringLiteral("无法写入文件 %1.txt").arg(name), this);
}

// --- editing commands --------------------------------------------------------------

TNoteBox *TMainFrm::FocusedBox() const
{
    for (TNoteBox *box : redt)
        if (box->HasInputFocus())
            return box;
    return nullptr;
}

void TMainFrm::N1Click()
{
    if (TNoteBox *b = FocusedBox())
        b->copy();
}

void TMainFrm::N2Click()
{
    if (TNoteBox *b = FocusedBox())
        b->paste();
}

void TMainFrm::N9Click()
{
    if (TNoteBox *b = FocusedBox())
        b->ClearSelection();
}

void TMainFrm::N3Click()
{
    if (TNoteBox *b = FocusedBox())
        b->cut();
}

void TMainFrm::insertMark(const QString &mark)
{
    if (TNoteBox *b = FocusedBox())
        b->ReplaceSelection(mark);
}

void TMainFrm::V1Click() { insertMark(QStringLiteral("√")); }
void TMainFrm::X1Click() { insertMark(QStringLiteral("×")); }
void TMainFrm::btnGouClick() { insertMark(QStringLiteral("√")); }
void TMainFrm::btnXClick() { insertMark(QStringLiteral("×")); }

void TMainFrm::CtrlZ1Click()
{
    if (TNoteBox *b = FocusedBox())
        b->undo();
}

void TMainFrm::insertMarker(int stored)
{
    TNoteBox *b = FocusedBox();
    if (!b)
        return;
    b->SetSelectionColor(storedColor(stored));
    b->ReplaceSelection(QStringLiteral("█"));
}

void TMainFrm::N11Click() { insertMarker(16711680); }
void TMainFrm::N12Click() { insertMarker(255); }
void TMainFrm::N13Click() { insertMarker(16711935); }

void TMainFrm::imgDateClick()
{
    TNoteBox *b = FocusedBox();
    if (!b)
        return;
    const tdt::HMS t = tdt::DecodeTime(platform::Now());
    b->ReplaceSelection(QStringLiteral(" %1:%2 ")
                            .arg(t.hour, 2, 10, QLatin1Char('0'))
                            .arg(t.minute, 2, 10, QLatin1Char('0')));
}

void TMainFrm::imgRedColorClick()
{
    TNoteBox *b = FocusedBox();
    if (!b)
        return;
    if (const auto c = dialogs::GetColor(b->SelectionColor(), this))
        b->SetSelectionColor(*c);
}

void TMainFrm::imgFontClick()
{
    TNoteBox *b = FocusedBox();
    if (!b)
        return;
    QFont initial(QStringLiteral("宋体"));
    initial.setPixelSize(16);
    if (const auto f = dialogs::GetFont(initial, this))
        b->SetSelectionFont(*f, Qt::black);
}

// --- frame and size memory -------------------------------------------------------

void TMainFrm::LoadFormSize()
{
    TFormSizeState &s = sizeState;
    const bool firstStart = !formsizefile::Exists();
    if (!firstStart) {
        const formsizefile::TContent file = formsizefile::Read();
        if (file.status != settings::Status::Ok) {
            dialogs::ShowError(file.error(), this);
            return;
        }
        const QString monthText = s.MonthText;
        s = file.size;
        s.MonthText = file.month.value_or(monthText);
        if (file.month && file.monthNo) {
            udMonthPosition = *file.monthNo;
            lblMonthCaption = *file.month;
        }
    } else {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        s.SavedWidth = MinWidth;
        s.SavedHeight = MinHeight;
        s.SavedLeft = (screen.width() - MinWidth) / 2;
        s.SavedTop = (screen.height() - 30 - MinHeight) / 2;
        s.LetterNo = 1;
    }
    resize(std::max(s.SavedWidth, MinWidth), std::max(s.SavedHeight, MinHeight));
    QPoint place(s.SavedLeft, s.SavedTop);
    // A place on a screen that is gone would leave the window out of reach.
    bool visible = false;
    for (QScreen *sc : QGuiApplication::screens())
        visible = visible || sc->geometry().intersects(QRect(place, size()));
    if (!visible) {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        place = QPoint(avail.x() + std::max(0, (avail.width() - width()) / 2),
                       avail.y() + std::max(0, (avail.height() - height()) / 2));
    }
    move(place);
    if (firstStart && !writeSizeFile(s.MonthText))
        dialogs::ShowError(QStringLiteral("无法写入文件 FormSize.ini"), this);
}

bool TMainFrm::writeSizeFile(const QString &monthLine) const { return formsizefile::Write(sizeState, monthLine); }

bool TMainFrm::SaveFormSize() { return writeSizeFile(lblMonthCaption); }

void TMainFrm::img_close_highlightClick()
{
    if (!m_quitGuard->MayQuit())
        return;
    sizeState.SavedWidth = width();
    sizeState.SavedHeight = height();
    sizeState.SavedLeft = x();
    sizeState.SavedTop = y();
    if (!SaveFormSize()) {
        dialogs::ShowError(QStringLiteral("无法写入文件 FormSize.ini"), this);
        return;
    }
    terminate();
}

void TMainFrm::img_mini_highlightClick()
{
    showMinimized();
    img_mini->reset();
}

// --- events --------------------------------------------------------------------------

bool TMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlRight && event->type() == QEvent::Resize)
        layoutPanelAnchors();
    if (watched == lblSet && event->type() == QEvent::MouseButtonRelease) {
        lblSetClick();
        return true;
    }
    // The web panel never opens a context menu of its own.
    const QEvent::Type t = event->type();
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::ContextMenu) {
        auto *w = qobject_cast<QWidget *>(watched);
        const bool right = t == QEvent::ContextMenu || static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
        if (right && w && (w == webLink || webLink->isAncestorOf(w)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

Qt::Edges TMainFrm::edgesAt(const QPoint &pos) const
{
    Qt::Edges e;
    if (pos.x() < kPixelsPerEdge)
        e |= Qt::LeftEdge;
    if (pos.x() >= width() - kPixelsPerEdge)
        e |= Qt::RightEdge;
    if (pos.y() < kPixelsPerEdge)
        e |= Qt::TopEdge;
    if (pos.y() >= height() - kPixelsPerEdge)
        e |= Qt::BottomEdge;
    return e;
}

void TMainFrm::mousePressEvent(QMouseEvent *event)
{
    // The edges of the borderless window still resize it.
    const Qt::Edges e = edgesAt(event->position().toPoint());
    if (e && event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemResize(e);
    QWidget::mousePressEvent(event);
}

void TMainFrm::mouseMoveEvent(QMouseEvent *event)
{
    const Qt::Edges e = edgesAt(event->position().toPoint());
    if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (e & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (e & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}
