#pragma once
// The keyword search window. It keeps its state and reads the keyword; the search
// itself is not settled yet, so nothing is looked for.
#include "Frame.h"
#include "TDateTime.h"

#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class TCloseButton;

// The dates of the hits, kept by the search window; nothing else writes them.
extern std::vector<tdt::TDateTime> SearchDates;
// The position in SearchDates; -1 is none.
extern std::int32_t SearchPos;

class TSearchTxtFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    // Created once at start with the main window as parent; shown not modal.
    explicit TSearchTxtFrm(QWidget *mainWindow = nullptr);

    TShape *shpFrame = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblKey = nullptr;
    QLineEdit *edtSearchKey = nullptr;
    QPushButton *btnLast = nullptr;     // "上一个"
    QPushButton *btnqryNetxt = nullptr; // "查找下一个"
    TCloseButton *imgClose = nullptr;

public slots:
    void FormCreate();
    void FormShow();
    // Takes the keyword, blanks trimmed at both ends, and returns it; nothing is searched.
    QString btnqryNetxtClick();
    void imgCloseClick();

protected:
    void showEvent(QShowEvent *e) override;
};

// The one search window of the run; the main window creates it last of its secondary windows.
extern TSearchTxtFrm *SearchTxtFrm;

// The (hidden) options item "检 索 关 键 字": shows the search window, not modal
// (creating it first when it does not exist yet).
void N_SearcheClick(QWidget *mainWindow);
