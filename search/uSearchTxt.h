#pragma once
// The keyword search window: "查找下一个" and "上一个" go through the days whose notes
// hold the keyword (SearchDates, SearchPos), move the calendar there as a pick does and
// select the keyword in that day's box.
#include "Frame.h"
#include "KeywordSearch.h"
#include "TDateTime.h"
#include "uGlobal.h"

#include <QTimer>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextCursor;
class TChnCalendar;
class TCloseButton;
class TDM;
class TNoteBox;
class TWeekNotes;

// What the search works on: the main window's calendar and boxes, the notes table.
// Without them the window only reads the keyword.
struct TSearchTarget {
    TChnCalendar *calendar = nullptr;
    std::array<TNoteBox *, 6> boxes{};
    TDM *dm = nullptr;
};

class TSearchTxtFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    // Created once at start with the main window as parent; shown not modal.
    explicit TSearchTxtFrm(QWidget *mainWindow = nullptr);
    ~TSearchTxtFrm() override;

    TSearchTarget Target;
    static const char *const WrappedForwardText;
    static const char *const WrappedBackText;
    static const char *const LookUpFailedText;

    TShape *shpFrame = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblKey = nullptr;
    QLineEdit *edtSearchKey = nullptr;
    QPushButton *btnLast = nullptr;     // "上一个"
    QPushButton *btnqryNetxt = nullptr; // "查找下一个"
    TCloseButton *imgClose = nullptr;
    QLabel *lblPos = nullptr;    // "3 / 17": the occurrence shown among all
    QLabel *lblNotice = nullptr; // a brief word when the search starts over

public slots:
    void FormCreate();
    void FormShow();
    // Takes the keyword, blanks trimmed at both ends, shows its next occurrence and
    // returns it. The first press after showing or after a change of the keyword looks
    // the days up and starts on or after the calendar's date.
    QString btnqryNetxtClick();
    // "上一个": the occurrence before the one shown.
    void btnLastClick();
    void imgCloseClick();

protected:
    void showEvent(QShowEvent *e) override;

private:
    bool startSearch(const QString &keyword);
    // Shows the occurrence the search stands on, passing over days whose box no longer
    // holds the keyword in the given direction; false when none is left.
    bool showCurrent(int direction, bool &wrapped);
    // Moves the calendar to the day at SearchPos; how often its box holds the keyword.
    int openCurrentDay(TNoteBox *&box, std::vector<int> &at);
    // Moves the window off the keyword just found and off its day in the calendar.
    void keepClear(TNoteBox *box, const QTextCursor &found);
    void notice(const QString &text);
    void nothingFound(const QString &keyword);

    TKeywordSearch m_search;
    QTimer m_noticeTimer;
};

// Gives the search window its target and the calendar its marks of the days with notes.
void ConnectKeywordSearch(TChnCalendar *calendar, const std::array<TNoteBox *, 6> &boxes, TWeekNotes &week,
                          TDM &dm);

// The one search window of the run; the main window creates it last of its secondary windows.
extern TSearchTxtFrm *SearchTxtFrm;

// The (hidden) options item "检 索 关 键 字": shows the search window, not modal
// (creating it first when it does not exist yet).
void N_SearcheClick(QWidget *mainWindow);
