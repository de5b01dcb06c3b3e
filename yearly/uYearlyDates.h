#pragma once
// The list of the user's yearly dates (纪念日 and 生日): listed, added, edited and deleted
// in a small borderless window. Every change goes straight to the notes file.
#include "Frame.h"
#include "TDateTime.h"
#include "YearlyDates.h"

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class TCloseButton;
class TDM;

class TYearlyDatesFrm : public TBorderlessDialog {
    Q_OBJECT
public:
    TYearlyDatesFrm(TDM &dm, QWidget *owner = nullptr);

    QLabel *lblTitle = nullptr;
    QListWidget *lstDates = nullptr;
    QLineEdit *edtName = nullptr;
    QComboBox *cbKind = nullptr;     // 纪念日, 生日
    QComboBox *cbCalendar = nullptr; // 农历, 公历
    QSpinBox *spnMonth = nullptr;
    QCheckBox *chkLeap = nullptr;
    QSpinBox *spnDay = nullptr;
    QSpinBox *spnFirstYear = nullptr; // 0 shows "无"
    QSpinBox *spnLead = nullptr;
    QLabel *lblNext = nullptr; // where the date falls next
    QPushButton *btnNew = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnDelete = nullptr;
    TCloseButton *imgClose = nullptr;

    // The dates as last read from the notes file.
    const std::vector<TYearlyDate> &Dates() const { return m_dates; }
    // Reads the list again; false (and an empty list) when the notes file cannot give it.
    bool Reload();
    // A new date for that day: both its lunar and its civil date are at hand, and the
    // calendar choice picks the one that repeats (lunar first).
    void PrefillFrom(tdt::TDateTime day);
    // The form as a date (Id of the one being edited, 0 for a new one).
    TYearlyDate FormDate() const;

    // A description of the month and day: "农历闰四月初八", "公历2月29日".
    static QString WhenText(const TYearlyDate &d);

public slots:
    void btnNewClick();
    void btnSaveClick();
    void btnDeleteClick();

signals:
    // The list in the notes file changed.
    void DatesChanged();

private:
    void showDate(const TYearlyDate &d);
    void calendarChanged();
    void updateNext();
    void fillList(long long selectId);

    TDM &m_dm;
    std::vector<TYearlyDate> m_dates;
    long long m_editId = 0;
    // The day a new date was taken from, in both calendars.
    bool m_prefilled = false;
    TYearlyDate m_prefillLunar, m_prefillCivil;
};
