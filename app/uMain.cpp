#include "uMain.h"

#include "ActionTable.h"
#include "AnchorTable.h"
#include "AutoWallpaper.h"
#include "AutoWallpaperFile.h"
#include "CalendarLook.h"
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "CnWorkdaysFile.h"
#include "CnWorkdaysImport.h"
#include "Dialogs.h"
#include "EditCommands.h"
#include "FormSizeFile.h"
#include "FormSizeMemory.h"
#include "NoteBox.h"
#include "OpenPage.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "PrivateFiles.h"
#include "ProgramFolder.h"
#include "QuitGuard.h"
#include "SettingsFile.h"
#include "StatusLine.h"
#include "TImage.h"
#include "WallpaperApply.h"
#include "WeekBoxes.h"
#include "WeekExport.h"
#include "WeekView.h"
#include "YearlyDatesMain.h"
#include "loginLock.h"
#include "uDM.h"
#include "SyncMain.h"
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
#include <QShortcut>
#include <QTextBrowser>
#include <QSignalBlocker>
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
const int kPixelsPerEdge = 5;    // width of the invisible sizing edge

constexpr Qt::Edges TopLeft = Qt::TopEdge | Qt::LeftEdge;
constexpr Qt::Edges TopRight = Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges AllEdges = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;

// A palette rather than a style sheet: a style sheet puts every label through the slow
// style-sheet machinery when it is polished, and again whenever the sheet changes.
void setTextColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

} // namespace

void TMainFrm::PreloadPictures()
{
    initPictures();
    TImage::PreloadFolder(QStringLiteral(":/main"));
}

TMainFrm::TMainFrm(QWidget *parent)
    : QWidget(parent), m_anchors(std::make_unique<TAnchorTable>(QSize(DesignWidth, DesignHeight))),
      m_actions(new TActionTable(this))
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
    m_anchors->Add(imgBG, {1, 1, DesignWidth - 2, DesignHeight - 2}, AllEdges);
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
    m_anchors->Add(imgLogo, {55, 11, 260, 48}, TopLeft);

    lblDateTime = new QLabel(this);
    m_anchors->Add(lblDateTime, {343, 19, 300, 20}, TopLeft);
    lblDateTime->setFont(winkit::CrispPixelFont(QStringLiteral("微软雅黑"), 12, true));
    setTextColor(lblDateTime, QColor(0x80, 0, 0));

    lblStatus = new TStatusLine(this);
    // Under today's date, where both week messages fit side by side, clear of the tool row.
    m_anchors->Add(lblStatus, {343, 38, 470, 16}, TopLeft | Qt::RightEdge);
    lblStatus->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
    setTextColor(lblStatus, QColor(0xc0, 0, 0));

    lblSet = new QLabel(QStringLiteral("|  选项"), this);
    m_anchors->Add(lblSet, {761, 60, 60, 14}, TopRight);
    lblSet->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12));
    lblSet->setCursor(Qt::PointingHandCursor);
    lblSet->installEventFilter(this);

    imgAppToDesk = new TImage(this, QStringLiteral(":/main/apptodesk.png"), false);
    m_anchors->Add(imgAppToDesk, {825, 49, 80, 26}, TopRight);
    imgAppToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAppToDesk, &TImage::clicked, this, &TMainFrm::imgAppToDeskClick);

    // Tool row.
    imgFont = new TImage(this, QStringLiteral(":/main/font.png"), false);
    m_anchors->Add(imgFont, {317, 58, 20, 17}, TopLeft);
    imgFont->setToolTip(QStringLiteral("字体大小设置"));
    imgFont->setCursor(Qt::PointingHandCursor);
    connect(imgFont, &TImage::clicked, this, &TMainFrm::imgFontClick);

    btnGou = new QToolButton(this);
    btnGou->setText(QStringLiteral("√"));
    // Both marks are in the mapped Latin faces; without merging no fallback faces are looked up.
    QFont tickFont = winkit::CrispPixelFont(QStringLiteral("Arial Black"), 14);
    tickFont.setStyleStrategy(QFont::NoFontMerging);
    btnGou->setFont(tickFont);
    m_anchors->Add(btnGou, {341, 55, 23, 22}, TopLeft);
    btnGou->setAutoRaise(true);
    btnGou->setFocusPolicy(Qt::NoFocus);
    connect(btnGou, &QToolButton::clicked, this, &TMainFrm::btnGouClick);

    btnX = new QToolButton(this);
    btnX->setText(QStringLiteral("X"));
    tickFont.setPixelSize(12);
    btnX->setFont(tickFont);
    m_anchors->Add(btnX, {365, 55, 23, 22}, TopLeft);
    btnX->setAutoRaise(true);
    btnX->setFocusPolicy(Qt::NoFocus);
    connect(btnX, &QToolButton::clicked, this, &TMainFrm::btnXClick);

    imgDate = new TImage(this, QStringLiteral(":/main/date.png"), false);
    m_anchors->Add(imgDate, {395, 54, 37, 21}, TopLeft);
    imgDate->setToolTip(QStringLiteral("插入时间"));
    imgDate->setCursor(Qt::PointingHandCursor);
    connect(imgDate, &TImage::clicked, this, &TMainFrm::imgDateClick);

    imgRedColor = new TImage(this, QStringLiteral(":/main/redcolor.png"), false);
    m_anchors->Add(imgRedColor, {441, 61, 20, 11}, TopLeft);
    imgRedColor->setToolTip(QStringLiteral("字体颜色"));
    imgRedColor->setCursor(Qt::PointingHandCursor);
    connect(imgRedColor, &TImage::clicked, this, &TMainFrm::imgRedColorClick);

    // Left panel: calendar, web panel, the picture list button.
    pnlLeft = new QWidget(this);
    m_anchors->Add(pnlLeft, {2, 80, 311, 441}, TopLeft);
    pnlLeft->setAutoFillBackground(true);
    pnlLeft->setPalette(pal);

    chnRili = new TChnCalendar(pnlLeft);
    m_anchors->Add(chnRili, {0, 0, 311, 253}, TopLeft);
    ApplyMainWindowCalendarSettings(*chnRili);

    pnlWeb = new QWidget(pnlLeft);
    m_anchors->Add(pnlWeb, {2, 253, 311, 70}, TopLeft);
    pnlWeb->setAutoFillBackground(true);
    pnlWeb->setPalette(pal);
    webLink = new QTextBrowser(pnlWeb);
    m_anchors->Add(webLink, {-14, -19, 2013, 844}, TopLeft);
    webLink->setFrameShape(QFrame::NoFrame);
    webLink->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    webLink->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    webLink->setOpenLinks(false);
    webLink->setContextMenuPolicy(Qt::NoContextMenu);
    connect(webLink, &QTextBrowser::anchorClicked, this,
            [](const QUrl &url) { platform::OpenPage(url.toString()); });

    auto *filler = new QWidget(pnlLeft);
    m_anchors->Add(filler, {0, 323, 311, 441 - 323}, TopLeft);
    filler->setAutoFillBackground(true);
    QPalette fp = filler->palette();
    fp.setColor(QPalette::Window, storedColor(kOutline));
    filler->setPalette(fp);
    imgAddToDesk = new TImage(pnlLeft, QStringLiteral(":/main/addtodesk.png"));
    m_anchors->Add(imgAddToDesk, {63, 340, 176, 50}, TopLeft);
    imgAddToDesk->setCursor(Qt::PointingHandCursor);
    connect(imgAddToDesk, &TImage::clicked, this, [this] { ::imgAddToDeskClick(this); });

    buildWeekView();
    buildMenus();
    buildFrame();
    qApp->installEventFilter(this);
    m_anchors->Apply(this);
}

void TMainFrm::buildWeekView()
{
    pnlRight = new TWeekView(this);
    m_anchors->Add(pnlRight, {317, 80, 594, 445}, AllEdges);
    redt = pnlRight->redt;
    m_edit = std::make_unique<TEditCommands>(redt, this);
    m_week = std::make_unique<TWeekBoxes>(redt, *DM);
    connect(m_week.get(), &TWeekNotes::statusChanged, this, &TMainFrm::showWeekStatus);
}

void TMainFrm::buildMenus()
{
    TActionTable &a = *m_actions;
    auto command = [&a, this](const char *name, const char *caption, void (TMainFrm::*slot)()) {
        connect(a.Add(QString::fromLatin1(name), QString::fromUtf8(caption)), &QAction::triggered, this, slot);
    };
    command("N_DataOut", "内   容   导   出", &TMainFrm::N_DataOutClick);
    command("N_BgTransparent", "背景透明度调节", &TMainFrm::N_BgTransparentClick);
    command("N_Searche", "检 索 关 键 字", &TMainFrm::N_SearcheClick);
    a.Find(QStringLiteral("N_Searche"))->setVisible(false);
    connect(a.Add(QStringLiteral("N_ImportWorkdays"), ImportWorkdaysCaption() + QStringLiteral("…")),
            &QAction::triggered, this, [this] {
                if (ImportWorkdays(this, chnRili))
                    MarkWorkdays();
            });
    a.AddSeparator(QStringLiteral("N8"));
    command("N7", "登陆密码", &TMainFrm::N7Click);
    command("N_help", "帮助说明", &TMainFrm::N_helpClick);
    command("N_Submit", "意见反馈", &TMainFrm::N_SubmitClick);
    a.AddSeparator(QStringLiteral("N4"));
    command("N_ExitPrj", "退出程序", &TMainFrm::N_ExitPrjClick);
    popSysset = new QMenu(this);
    buildAutoWallpaper();
    N_AutoWallpaper = a.Add(QStringLiteral("N_AutoWallpaper"), QStringLiteral("自动更新壁纸"));
    N_AutoWallpaper->setCheckable(true);
    connect(N_AutoWallpaper, &QAction::toggled, this, &TMainFrm::N_AutoWallpaperClick);
    a.DefineMenu(QStringLiteral("popSysset"), popSysset,
                 {"N_DataOut", "N_BgTransparent", "N_Searche", "N_ImportWorkdays", "N_AutoWallpaper", "N8", "N7",
                  "N_help", "N_Submit", "N4", "N_ExitPrj"});

    command("N1", "复制", &TMainFrm::N1Click);
    command("N2", "粘贴", &TMainFrm::N2Click);
    command("N9", "删除", &TMainFrm::N9Click);
    command("N3", "剪切", &TMainFrm::N3Click);
    a.AddSeparator(QStringLiteral("N6"));
    command("V1", "打V", &TMainFrm::V1Click);
    command("X1", "打X", &TMainFrm::X1Click);
    a.AddSeparator(QStringLiteral("N5"));
    command("CtrlZ1", "撤销(Ctrl+Z)", &TMainFrm::CtrlZ1Click);
    command("N11", "蓝", &TMainFrm::N11Click);
    command("N12", "红", &TMainFrm::N12Click);
    command("N13", "粉色", &TMainFrm::N13Click);
    pmDeskTopMonCal = new QMenu(this);
    auto *marker = new QMenu(QStringLiteral("添加标注"), pmDeskTopMonCal);
    a.Register(QStringLiteral("N10"), marker->menuAction());
    a.DefineMenu(QStringLiteral("N10"), marker, {"N11", "N12", "N13"});
    a.DefineMenu(QStringLiteral("pmDeskTopMonCal"), pmDeskTopMonCal,
                 {"N1", "N2", "N9", "N3", "N6", "V1", "X1", "N5", "CtrlZ1", "N10"});
    for (TNoteBox *box : redt)
        box->setPopupMenu(pmDeskTopMonCal);
    a.DefineMenu(QStringLiteral("DayMenu"), chnRili->DayMenu());
    new QShortcut(QKeySequence::Find, this, this, &TMainFrm::N_SearcheClick);
    ConnectKeywordSearch(chnRili, redt, *m_week, *DM);
}

void TMainFrm::buildFrame()
{
    img_close = new TPictureButton(this, QStringLiteral(":/main/close_normal.png"),
                                   QStringLiteral(":/main/close_highlight.png"), QStringLiteral(":/main/close_down.png"));
    m_anchors->Add(img_close, {873, 1, 39, 20}, TopRight);
    connect(img_close, &TPictureButton::clicked, this, &TMainFrm::img_close_highlightClick);
    // The minimise button's lit pictures stand one pixel left of its normal one.
    img_mini = new TPictureButton(this, QStringLiteral(":/main/mini_normal.png"),
                                  QStringLiteral(":/main/mini_highlight.png"), QStringLiteral(":/main/mini_down.png"));
    img_mini->setPictureOffset(TPictureButton::State::Normal, QPoint(1, 0));
    m_anchors->Add(img_mini, {843, 1, 29, 20}, TopRight);
    connect(img_mini, &TPictureButton::clicked, this, &TMainFrm::img_mini_highlightClick);
}

void TMainFrm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_anchors->Apply(this);
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
            navigateWeb(platform::WebServerAddress(ReadOnlyDir(QStringLiteral("web")))
                        + QStringLiteral("rs/Tavi4.htm"));
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

    // Notes and password files left readable by others by an older version or a copy.
    lblStatus->Set(TStatusLine::Information, privatefiles::TightenedNotice(privatefiles::TightenDataFolder()));

    connect(chnRili, &TChnCalendar::OnChange, this, &TMainFrm::chnRiliChange);
    yearlyDates = new TYearlyDatesMain({this, m_actions, chnRili, pnlRight, lblStatus});
    chnRili->setDateTime(platform::Now());

    if (!CheckLoginLock(this)) {
        m_unlocked = false;
        return;
    }
    // Only an unlocked program syncs: the notes go nowhere before the password.
    auto *sync = new TSyncMain({this, m_actions, lblStatus, m_week.get(), redt});
    connect(sync, &TSyncMain::yearlyDatesChanged, yearlyDates, &TYearlyDatesMain::DatesChangedElsewhere);

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
    {
        const QSignalBlocker quiet(N_AutoWallpaper);
        N_AutoWallpaper->setChecked(autowallpaperfile::ReadOn());
    }
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
    // A start that only sets the wallpaper reminds of nothing and refreshes nothing.
    if (m_unshown)
        return;
    if (yearlyDates)
        yearlyDates->StartReminders();
    // After the first picture of the window, not before it.
    if (N_AutoWallpaper->isChecked())
        QTimer::singleShot(1000, autoWallpaper, [this] { autoWallpaper->setOn(true); });
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

void TMainFrm::showWeekStatus()
{
    lblStatus->Set(TStatusLine::SaveFailure,
                   m_week->SaveFailed() ? QString::fromUtf8(TWeekNotes::SaveFailedText) : QString());
    QStringList read;
    if (m_week->WeekReadFailed())
        read << QString::fromUtf8(TWeekNotes::WeekReadFailedText);
    if (const QString cut = m_week->CutText(); !cut.isEmpty())
        read << cut;
    lblStatus->Set(TStatusLine::ReadFailure, read.join(QStringLiteral("；")));
}

// --- week view ---------------------------------------------------------------------

void TMainFrm::chnRiliChange()
{
    const tdt::TDateTime d = chnRili->DateTime();
    m_week->LoadWeek(d);
    MarkSelectedDay(d);
    MarkWorkdays();
    if (autoWallpaper)
        autoWallpaper->weekShown();
}

void TMainFrm::buildAutoWallpaper()
{
    auto mondayOfToday = [] {
        const tdt::TDateTime now = platform::Now();
        return qint64(tdt::DayNumber(now) - (tdt::DayOfTheWeek(now) - 1));
    };
    TAutoWallpaper::Host host;
    host.refresh = [this] { return ApplyWeekToDesktop(this, pnlRight, ApplyMode::Refresh); };
    host.showsCurrentWeek = [mondayOfToday] {
        return !WeekConList.empty() && qint64(tdt::DayNumber(WeekConList[0].DayDate)) == mondayOfToday();
    };
    host.editing = [this] { return FocusedBox() != nullptr; };
    host.showCurrentWeek = [this] { chnRili->setDateTime(platform::Now()); };
    host.tell = [this](ApplyResult r) {
        if (r == ApplyResult::NotSet)
            ShowNotSetMessage(this);
        else
            dialogs::ShowMessage(QStringLiteral("自动更新壁纸没有成功：壁纸图片没能合成。"), this);
    };
    host.mondayOfToday = mondayOfToday;
    autoWallpaper = new TAutoWallpaper(std::move(host), this);
    // Only the user's own edits count: a week loaded into the boxes changes them too.
    for (TNoteBox *box : redt)
        connect(box, &TNoteBox::changed, this, [this, box] {
            if (box->hasFocus())
                autoWallpaper->noteEdited();
        });
}

void TMainFrm::N_AutoWallpaperClick(bool on)
{
    if (!autowallpaperfile::WriteOn(on))
        dialogs::ShowError(QStringLiteral("无法写入文件 configAutoBg.ini"), this);
    autoWallpaper->setOn(on);
}

void TMainFrm::MarkWorkdays()
{
    std::array<QString, 6> marks;
    for (size_t i = 0; i < 6; ++i)
        marks[i] = i < 5 ? WorkdayMarkTextOf(WeekConList[i].DayDate)
                         : WorkdayMarkTextOf(WeekConList[5].DayDate, WeekConList[6].DayDate);
    pnlRight->SetWorkdayMarks(marks);
    if (yearlyDates)
        yearlyDates->MarkWeek();
}

void TMainFrm::FormResize()
{
    LayoutWeekView();
    QCoreApplication::processEvents();
}

void TMainFrm::LayoutWeekView()
{
    pnlRight->LayoutWeekView();
    MarkSelectedDay(chnRili->DateTime());
}

void TMainFrm::MarkSelectedDay(tdt::TDateTime date)
{
    int day = -1;
    if (WeekConList.size() == 7) {
        const QString key = DayKeyOf(date);
        for (int i = 0; i < 7 && day < 0; ++i)
            if (DayKeyOf(WeekConList[size_t(i)].DayDate) == key)
                day = i;
    }
    pnlRight->MarkSelected(day);
}

// --- options menu --------------------------------------------------------------------

void TMainFrm::lblSetClick()
{
    popSysset->popup(lblSet->mapToGlobal(QPoint(0, lblSet->height())));
}

void TMainFrm::N_helpClick()
{
    platform::OpenPage(platform::WebServerAddress(ReadOnlyDir(QStringLiteral("web")))
                       + QStringLiteral("help4/tavi1.htm"));
}

void TMainFrm::N_SubmitClick()
{
    platform::OpenPage(platform::WebServerAddress(ReadOnlyDir(QStringLiteral("web")))
                       + QStringLiteral("help4/tavi2.htm"));
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

ApplyResult TMainFrm::ApplyWallpaperUnshown()
{
    m_unshown = true;
    setAttribute(Qt::WA_DontShowOnScreen);
    show();
    AskBeforeApply = false;
    return ApplyWeekToDesktop(this, pnlRight);
}

void TMainFrm::imgAppToDeskClick()
{
    if (ApplyWeekToDesktop(this, pnlRight) == ApplyResult::NotSet)
        ShowNotSetMessage(this);
}

QList<QTextEdit *> TMainFrm::boxes() const
{
    QList<QTextEdit *> list;
    for (TNoteBox *b : redt)
        list << b;
    return list;
}

QStringList TMainFrm::ExportLines() const
{
    std::array<tdt::TDateTime, 6> days{};
    std::array<QStringList, 6> lines;
    for (int i = 0; i < 6; ++i) {
        days[i] = WeekConList[i].DayDate;
        lines[i] = redt[i]->PlainLines();
    }
    return weekexport::Lines(days, lines);
}

void TMainFrm::N_DataOutClick() { weekexport::Export(this, ExportLines(), chnRili->DateTime()); }

// --- editing commands --------------------------------------------------------------

TNoteBox *TMainFrm::FocusedBox() const { return m_edit->FocusedBox(); }

void TMainFrm::N1Click() { m_edit->Copy(); }
void TMainFrm::N2Click() { m_edit->Paste(); }
void TMainFrm::N9Click() { m_edit->Delete(); }
void TMainFrm::N3Click() { m_edit->Cut(); }
void TMainFrm::V1Click() { m_edit->InsertMark(QStringLiteral("√")); }
void TMainFrm::X1Click() { m_edit->InsertMark(QStringLiteral("×")); }
void TMainFrm::btnGouClick() { m_edit->InsertMark(QStringLiteral("√")); }
void TMainFrm::btnXClick() { m_edit->InsertMark(QStringLiteral("×")); }
void TMainFrm::CtrlZ1Click() { m_edit->Undo(); }
void TMainFrm::N11Click() { m_edit->InsertMarker(storedColor(16711680)); }
void TMainFrm::N12Click() { m_edit->InsertMarker(storedColor(255)); }
void TMainFrm::N13Click() { m_edit->InsertMarker(storedColor(16711935)); }
void TMainFrm::imgDateClick() { m_edit->InsertTime(platform::Now()); }
void TMainFrm::imgRedColorClick() { m_edit->ChooseColor(); }
void TMainFrm::imgFontClick() { m_edit->ChooseFont(); }

// --- frame and size memory -------------------------------------------------------

void TMainFrm::LoadFormSize()
{
    formsizememory::Load(*this, QSize(MinWidth, MinHeight), sizeState, lblMonthCaption, udMonthPosition);
}

bool TMainFrm::writeSizeFile(const QString &monthLine) const { return formsizefile::Write(sizeState, monthLine); }

bool TMainFrm::SaveFormSize() { return writeSizeFile(lblMonthCaption); }

void TMainFrm::img_close_highlightClick()
{
    if (!m_quitGuard->MayQuit())
        return;
    formsizememory::Remember(*this, sizeState);
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
