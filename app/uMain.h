#pragma once
// The main window: the week view beside the month calendar, the options menu, the
// editing commands, the export, the borderless frame and its size memory.
#include "FormSizeFile.h"
#include "TDateTime.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

enum class ApplyResult;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTextBrowser;
class QTextEdit;
class QToolButton;
class TActionTable;
class TAnchorTable;
class TAutoWallpaper;
class TChnCalendar;
class TEditCommands;
class TImage;
class TNoteBox;
class TPictureButton;
class TQuitGuard;
class TStatusLine;
class TWeekView;
class TWeekNotes;
class TYearlyDatesMain;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    explicit TMainFrm(QWidget *parent = nullptr);
    // Starts reading the window's pictures on a second thread, ahead of the window.
    static void PreloadPictures();
    ~TMainFrm() override;

    static constexpr int DesignWidth = 913;
    static constexpr int DesignHeight = 530;
    static constexpr int MinWidth = 906;
    static constexpr int MinHeight = 540;

    // Creation and show steps; the constructor runs FormCreate.
    void FormCreate();
    void FormShow();
    bool FormShown() const;
    // False when the start-up password was refused: the program ends.
    bool Unlocked() const { return m_unlocked; }

    // Week view.
    void chnRiliChange();
    void LayoutWeekView();
    void MarkSelectedDay(tdt::TDateTime date);
    void FormResize();
    // The 休/班 marks and the yearly dates of the displayed week beside the captions.
    void MarkWorkdays();

    // Options menu.
    void lblSetClick();
    void N_helpClick();
    void N_SubmitClick();
    void N_ExitPrjClick();
    void N7Click();
    void N_BgTransparentClick();
    void N_DataOutClick();
    void N_SearcheClick();
    // "自动更新壁纸": stored at once; on refreshes the wallpaper now and from then on.
    void N_AutoWallpaperClick(bool on);
    // The wallpaper button.
    void imgAppToDeskClick();
    // The same apply without the window on screen and without the question, for a start
    // that only sets the wallpaper; the window is laid out but never shown.
    ApplyResult ApplyWallpaperUnshown();

    // Editing commands on the focused note box.
    void N1Click();
    void N2Click();
    void N9Click();
    void N3Click();
    void V1Click();
    void X1Click();
    void CtrlZ1Click();
    void N11Click();
    void N12Click();
    void N13Click();
    void imgFontClick();
    void btnGouClick();
    void btnXClick();
    void imgDateClick();
    void imgRedColorClick();

    // Frame and size memory.
    void LoadFormSize();
    // False when the file cannot be written.
    bool SaveFormSize();
    void img_close_highlightClick();
    void img_mini_highlightClick();

    // Components the other subsystems and the tests reach.
    TChnCalendar *chnRili = nullptr;
    std::array<TNoteBox *, 6> redt{};
    QWidget *pnlLeft = nullptr;
    // The week view: boxes, title strips, captions and their marks.
    TWeekView *pnlRight = nullptr;
    QWidget *pnlWeb = nullptr;
    QTextBrowser *webLink = nullptr;
    QLabel *lblDateTime = nullptr;
    QLabel *lblSet = nullptr;
    // One message per source, by weight: the week's read and save faults, sync, reminders.
    TStatusLine *lblStatus = nullptr;
    QMenu *popSysset = nullptr;
    QMenu *pmDeskTopMonCal = nullptr;
    TImage *imgBG = nullptr;
    TImage *imgLogo = nullptr;
    TImage *imgAppToDesk = nullptr;
    TImage *imgAddToDesk = nullptr;
    TImage *imgFont = nullptr, *imgDate = nullptr, *imgRedColor = nullptr;
    QToolButton *btnGou = nullptr, *btnX = nullptr;
    TPictureButton *img_close = nullptr, *img_mini = nullptr;
    TYearlyDatesMain *yearlyDates = nullptr;
    QAction *N_AutoWallpaper = nullptr;
    TAutoWallpaper *autoWallpaper = nullptr;

    TWeekNotes &weekNotes() { return *m_week; }
    // Every menu command by name: the options menu "popSysset", the note boxes' menu
    // "pmDeskTopMonCal" and the calendar's day menu "DayMenu".
    TActionTable &actions() { return *m_actions; }
    TFormSizeState sizeState;
    // The hidden month controls: only their texts reach the size file.
    QString lblMonthCaption = QStringLiteral("4");
    int udMonthPosition = 1;
    QString edtMonthText = QStringLiteral("1");

    // The note box with the input focus, or none.
    TNoteBox *FocusedBox() const;
    // Today's label text for a date.
    static QString TodayLabel(tdt::TDateTime date);
    // The exported lines of the displayed week.
    QStringList ExportLines() const;

    // Called instead of quitting the application (tests replace it).
    std::function<void()> terminate;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void buildComposition();
    void buildWeekView();
    void buildMenus();
    void buildAutoWallpaper();
    void buildFrame();
    // The six lines of Data/FormSize.ini; the last one differs between first start and close.
    bool writeSizeFile(const QString &monthLine) const;
    void navigateWeb(const QString &address);
    QList<QTextEdit *> boxes() const;
    // The week's read and save faults into the status line.
    void showWeekStatus();
    Qt::Edges edgesAt(const QPoint &pos) const;

    std::unique_ptr<TAnchorTable> m_anchors;
    TActionTable *m_actions = nullptr;
    std::unique_ptr<TEditCommands> m_edit;
    std::unique_ptr<TWeekNotes> m_week;
    TQuitGuard *m_quitGuard = nullptr;
    bool m_unlocked = true;
    bool m_showDone = false;
    bool m_webPagePending = false;
    bool m_created = false;
    bool m_unshown = false;
};
