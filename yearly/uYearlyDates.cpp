#include "uYearlyDates.h"

#include "ChnCalendarUse.h"
#include "Clock.h"
#include "CnCalendar.h"
#include "Dialogs.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "YearlyDatesStore.h"
#include "uDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

using winkit::PixelFont;

namespace {

constexpr int W = 520;
constexpr int H = 330;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

} // namespace

QString TYearlyDatesFrm::WhenText(const TYearlyDate &d)
{
    if (!d.Lunar)
        return QStringLiteral("公历%1月%2日").arg(d.Month).arg(d.Day);
    const QString month = d.Month == 1 && !d.Leap ? QStringLiteral("正") : Utf8(CnMonthName(d.Month));
    return QStringLiteral("农历%1%2月%3").arg(d.Leap ? QStringLiteral("闰") : QString(), month, Utf8(CnDayName(d.Day)));
}

TYearlyDatesFrm::TYearlyDatesFrm(TDM &dm, QWidget *owner) : TBorderlessDialog(owner, W, H), m_dm(dm)
{
    setObjectName(QStringLiteral("YearlyDatesFrm"));
    setWindowTitle(QStringLiteral("纪念日"));

    auto *shpFrame = new TShape(this, QColor(247, 247, 247), QColor(128, 128, 128));
    shpFrame->setGeometry(0, 0, W, H);

    lblTitle = new QLabel(QStringLiteral("纪念日与生日"), shpFrame);
    lblTitle->setFont(PixelFont(QStringLiteral("微软雅黑"), 14, true));
    lblTitle->setGeometry(16, 10, 160, 22);

    imgClose = new TCloseButton(shpFrame);
    imgClose->move(W - 1 - imgClose->width() - 3, 4);
    connect(imgClose, &TCloseButton::clicked, this, &QDialog::close);

    const QFont song = PixelFont(QStringLiteral("宋体"), 12);
    // Spin boxes and combo boxes keep the style's own arrows.
    const QString edits = QStringLiteral(
        "QLineEdit, QListWidget { background: white; border: 1px solid #a0a0a0; }"
        "QLineEdit { padding: 0 3px; }"
        "QLineEdit:focus, QListWidget:focus { border-color: #5a8ad6; }");
    shpFrame->setStyleSheet(edits);

    lstDates = new QListWidget(shpFrame);
    lstDates->setObjectName(QStringLiteral("lstDates"));
    lstDates->setFont(song);
    lstDates->setGeometry(16, 44, 230, H - 44 - 16);

    auto label = [&](const char *text, int y) {
        auto *l = new QLabel(QString::fromUtf8(text), shpFrame);
        l->setFont(song);
        l->setGeometry(262, y, 70, 22);
        return l;
    };
    auto named = [&](auto *w, const char *name, int x, int y, int width) {
        w->setObjectName(QString::fromLatin1(name));
        w->setFont(song);
        w->setGeometry(x, y, width, 22);
        return w;
    };
    const int x = 334;
    label("名称：", 44);
    edtName = named(new QLineEdit(shpFrame), "edtName", x, 44, 170);
    edtName->setMaxLength(40);
    label("类别：", 74);
    cbKind = named(new QComboBox(shpFrame), "cbKind", x, 74, 80);
    cbKind->addItems({QStringLiteral("纪念日"), QStringLiteral("生日")});
    label("历法：", 104);
    cbCalendar = named(new QComboBox(shpFrame), "cbCalendar", x, 104, 80);
    cbCalendar->addItems({QStringLiteral("农历"), QStringLiteral("公历")});
    label("月：", 134);
    spnMonth = named(new QSpinBox(shpFrame), "spnMonth", x, 134, 60);
    spnMonth->setRange(1, 12);
    chkLeap = named(new QCheckBox(QStringLiteral("闰月"), shpFrame), "chkLeap", x + 70, 134, 70);
    label("日：", 164);
    spnDay = named(new QSpinBox(shpFrame), "spnDay", x, 164, 60);
    spnDay->setRange(1, 30);
    label("起始年：", 194);
    spnFirstYear = named(new QSpinBox(shpFrame), "spnFirstYear", x, 194, 80);
    spnFirstYear->setRange(0, 2100);
    spnFirstYear->setSpecialValueText(QStringLiteral("无"));
    label("提前提醒：", 224);
    spnLead = named(new QSpinBox(shpFrame), "spnLead", x, 224, 80);
    spnLead->setRange(0, yearly::MaxLeadDays);
    spnLead->setSuffix(QStringLiteral(" 天"));
    lblNext = named(new QLabel(shpFrame), "lblNext", 262, 252, W - 262 - 16);
    lblNext->setStyleSheet(QStringLiteral("color: #808080"));

    const QString look = QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6e6e6);"
        " border: 1px solid #a0a0a0; border-radius: 3px; }"
        "QPushButton:hover { border-color: #5a8ad6; }"
        "QPushButton:pressed { background: #d8d8d8; }"
        "QPushButton:disabled { color: #a0a0a0; background: #f0f0f0; border-color: #c8c8c8; }");
    btnNew = new QPushButton(QStringLiteral("新建"), shpFrame);
    btnSave = new QPushButton(QStringLiteral("保存"), shpFrame);
    btnDelete = new QPushButton(QStringLiteral("删除"), shpFrame);
    int bx = 262;
    for (auto [b, name] : {std::pair{btnNew, "btnNew"}, {btnSave, "btnSave"}, {btnDelete, "btnDelete"}}) {
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(song);
        b->setAutoDefault(false);
        b->setStyleSheet(look);
        b->setGeometry(bx, H - 16 - 28, 74, 28);
        bx += 82;
    }

    connect(btnNew, &QPushButton::clicked, this, &TYearlyDatesFrm::btnNewClick);
    connect(btnSave, &QPushButton::clicked, this, &TYearlyDatesFrm::btnSaveClick);
    connect(btnDelete, &QPushButton::clicked, this, &TYearlyDatesFrm::btnDeleteClick);
    connect(cbCalendar, &QComboBox::currentIndexChanged, this, [this] { calendarChanged(); });
    for (QSpinBox *s : {spnMonth, spnDay, spnFirstYear})
        connect(s, &QSpinBox::valueChanged, this, [this] { updateNext(); });
    connect(chkLeap, &QCheckBox::toggled, this, [this] { updateNext(); });
    connect(cbKind, &QComboBox::currentIndexChanged, this, [this] { updateNext(); });
    connect(edtName, &QLineEdit::textChanged, this, [this] { updateNext(); });
    connect(lstDates, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(m_dates.size())) {
            m_prefilled = false;
            showDate(m_dates[size_t(row)]);
        }
    });

    dragBy({shpFrame});
    btnNewClick();
}

bool TYearlyDatesFrm::Reload()
{
    try {
        m_dates = TYearlyDatesStore(m_dm).Load();
    } catch (const std::exception &e) {
        m_dates.clear();
        fillList(0);
        dialogs::ShowError(QString::fromUtf8(e.what()), this);
        return false;
    }
    fillList(m_editId);
    return true;
}

void TYearlyDatesFrm::fillList(long long selectId)
{
    const QSignalBlocker block(lstDates);
    lstDates->clear();
    for (const TYearlyDate &d : m_dates) {
        lstDates->addItem(QStringLiteral("%1  %2").arg(QString::fromStdString(d.Name), WhenText(d)));
        if (d.Id == selectId)
            lstDates->setCurrentRow(lstDates->count() - 1);
    }
    btnDelete->setEnabled(m_editId != 0);
}

void TYearlyDatesFrm::showDate(const TYearlyDate &d)
{
    m_editId = d.Id;
    const QSignalBlocker b1(cbCalendar);
    edtName->setText(QString::fromStdString(d.Name));
    cbKind->setCurrentIndex(d.Birthday ? 1 : 0);
    cbCalendar->setCurrentIndex(d.Lunar ? 0 : 1);
    chkLeap->setEnabled(d.Lunar);
    spnDay->setMaximum(d.Lunar ? 30 : 31);
    spnMonth->setValue(d.Month);
    spnDay->setValue(d.Day);
    chkLeap->setChecked(d.Leap);
    spnFirstYear->setValue(d.FirstYear);
    spnLead->setValue(d.LeadDays);
    btnDelete->setEnabled(m_editId != 0);
    updateNext();
}

void TYearlyDatesFrm::calendarChanged()
{
    const bool lunar = cbCalendar->currentIndex() == 0;
    TYearlyDate d = FormDate();
    if (m_prefilled) {
        const TYearlyDate &from = lunar ? m_prefillLunar : m_prefillCivil;
        d.Month = from.Month;
        d.Day = from.Day;
        d.Leap = from.Leap;
        d.FirstYear = from.FirstYear;
    } else {
        d.Leap = d.Leap && lunar;
        d.Day = std::min(d.Day, lunar ? 30 : tdt::DaysInMonth(2000, d.Month));
    }
    d.Lunar = lunar;
    showDate(d);
}

TYearlyDate TYearlyDatesFrm::FormDate() const
{
    TYearlyDate d;
    d.Id = m_editId;
    d.Name = edtName->text().trimmed().toStdString();
    d.Birthday = cbKind->currentIndex() == 1;
    d.Lunar = cbCalendar->currentIndex() == 0;
    d.Month = spnMonth->value();
    d.Day = spnDay->value();
    d.Leap = d.Lunar && chkLeap->isChecked();
    d.FirstYear = spnFirstYear->value();
    d.LeadDays = spnLead->value();
    return d;
}

void TYearlyDatesFrm::updateNext()
{
    const TYearlyDate d = FormDate();
    const tdt::YMD today = tdt::DecodeDate(platform::Now());
    QString text;
    for (int y = today.year; y <= today.year + 1 && text.isEmpty(); ++y)
        for (const yearly::TOccurrence &o : yearly::OccurrencesIn(d, y))
            if (tdt::EncodeDate(o.Civil.year, o.Civil.month, o.Civil.day)
                >= tdt::EncodeDate(today.year, today.month, today.day)) {
                text = QStringLiteral("下次：%1-%2-%3 %4")
                           .arg(o.Civil.year)
                           .arg(o.Civil.month, 2, 10, QLatin1Char('0'))
                           .arg(o.Civil.day, 2, 10, QLatin1Char('0'))
                           .arg(QString::fromStdString(yearly::CountText(d, o.Year)));
                break;
            }
    lblNext->setText(text);
}

void TYearlyDatesFrm::btnNewClick()
{
    m_prefilled = false;
    TYearlyDate d;
    d.LeadDays = yearly::DefaultLeadDays;
    {
        const QSignalBlocker block(lstDates);
        lstDates->setCurrentRow(-1);
    }
    showDate(d);
    edtName->setFocus();
}

void TYearlyDatesFrm::PrefillFrom(tdt::TDateTime day)
{
    btnNewClick();
    const tdt::YMD c = tdt::DecodeDate(day);
    m_prefillCivil = TYearlyDate{};
    m_prefillCivil.Lunar = false;
    m_prefillCivil.Month = c.month;
    m_prefillCivil.Day = c.day;
    m_prefillCivil.FirstYear = c.year;
    m_prefillLunar = m_prefillCivil;
    int ly, lm, ld;
    bool leap;
    m_prefilled = true;
    if (DateToLunar(day, ly, lm, ld, leap)) {
        m_prefillLunar.Lunar = true;
        m_prefillLunar.Month = lm;
        m_prefillLunar.Day = ld;
        m_prefillLunar.Leap = leap;
        m_prefillLunar.FirstYear = ly;
        cbCalendar->setCurrentIndex(1); // so that the switch below fills the fields
        cbCalendar->setCurrentIndex(0);
    } else {
        cbCalendar->setCurrentIndex(0);
        cbCalendar->setCurrentIndex(1);
    }
}

void TYearlyDatesFrm::btnSaveClick()
{
    const TYearlyDate d = FormDate();
    if (d.Name.empty()) {
        dialogs::ShowMessage(QStringLiteral("请输入名称。"), this);
        edtName->setFocus();
        return;
    }
    if (!yearly::IsValid(d)) {
        dialogs::ShowMessage(QStringLiteral("没有这样的日期：%1。").arg(WhenText(d)), this);
        return;
    }
    try {
        TYearlyDatesStore store(m_dm);
        if (d.Id == 0)
            m_editId = store.Add(d);
        else
            store.Update(d);
    } catch (const std::exception &e) {
        dialogs::ShowError(QString::fromUtf8(e.what()), this);
        return;
    }
    m_prefilled = false;
    Reload();
    emit DatesChanged();
}

void TYearlyDatesFrm::btnDeleteClick()
{
    if (m_editId == 0)
        return;
    try {
        TYearlyDatesStore(m_dm).Remove(m_editId);
    } catch (const std::exception &e) {
        dialogs::ShowError(QString::fromUtf8(e.what()), this);
        return;
    }
    m_editId = 0;
    Reload();
    btnNewClick();
    emit DatesChanged();
}
