#include "uSearchTxt.h"

#include "ChnCalendarPicker.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "NotedDays.h"
#include "NotesRepository.h"
#include "PictureButton.h"
#include "PixelFont.h"
#include "uDM.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextCursor>

#include <cmath>

TSearchTxtFrm *SearchTxtFrm = nullptr;
namespace {
TSearchTarget SearchTarget;
} // namespace

const char *const TSearchTxtFrm::WrappedForwardText = "已查到最后，从第一个重新开始";
const char *const TSearchTxtFrm::WrappedBackText = "已查到第一个，从最后一个重新开始";
const char *const TSearchTxtFrm::LookUpFailedText = "无法读取记事数据库，查找没有完成。";

using winkit::PixelFont;

TSearchTxtFrm::TSearchTxtFrm(QWidget *mainWindow) : TBorderlessDialog(mainWindow, 564, 179)
{
    setWindowTitle(QStringLiteral("查找"));

    shpFrame = new TShape(this, QColor(247, 247, 247), QColor(128, 128, 128));
    shpFrame->setGeometry(0, 0, 564, 179);

    lblTitle = new QLabel(QStringLiteral("查找"), shpFrame);
    lblTitle->setFont(PixelFont(QStringLiteral("微软雅黑"), 14, true));
    lblTitle->setGeometry(16, 10, 120, 22);

    imgClose = new TCloseButton(shpFrame);
    imgClose->move(564 - 1 - imgClose->width() - 3, 4);

    const QFont song = PixelFont(QStringLiteral("宋体"), 12);
    lblKey = new QLabel(QStringLiteral("关键字："), shpFrame);
    lblKey->setFont(song);
    lblKey->setGeometry(40, 70, 60, 22);

    edtSearchKey = new QLineEdit(shpFrame);
    edtSearchKey->setFont(song);
    edtSearchKey->setStyleSheet(QStringLiteral(
        "QLineEdit { background: white; border: 1px solid #a0a0a0; padding: 0 3px; }"
        "QLineEdit:focus { border-color: #5a8ad6; }"));
    edtSearchKey->setGeometry(104, 68, 420, 26);

    const QString look = QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6e6e6);"
        " border: 1px solid #a0a0a0; border-radius: 3px; }"
        "QPushButton:hover { border-color: #5a8ad6; }"
        "QPushButton:pressed { background: #d8d8d8; }"
        "QPushButton:disabled { color: #a0a0a0; background: #f0f0f0; border-color: #c8c8c8; }");
    btnLast = new QPushButton(QStringLiteral("上一个"), shpFrame);
    btnqryNetxt = new QPushButton(QStringLiteral("查找下一个"), shpFrame);
    for (QPushButton *b : {btnLast, btnqryNetxt}) {
        b->setFont(song);
        b->setAutoDefault(false);
        b->setStyleSheet(look);
    }
    btnqryNetxt->setGeometry(564 - 40 - 90, 179 - 20 - 28, 90, 28);
    btnLast->setGeometry(564 - 40 - 90 - 10 - 80, 179 - 20 - 28, 80, 28);

    lblPos = new QLabel(shpFrame);
    lblPos->setObjectName(QStringLiteral("lblPos"));
    lblPos->setFont(song);
    lblPos->setGeometry(40, 179 - 20 - 28, 200, 28);
    lblNotice = new QLabel(shpFrame);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setFont(song);
    lblNotice->setGeometry(104, 98, 420, 20);
    for (QLabel *l : {lblPos, lblNotice}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0x4f, 0x4f, 0x4f));
        l->setPalette(p);
    }
    lblNotice->hide();
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(2500);
    connect(&m_noticeTimer, &QTimer::timeout, lblNotice, &QLabel::hide);

    edtSearchKey->setObjectName(QStringLiteral("edtSearchKey"));
    btnLast->setObjectName(QStringLiteral("btnLast"));
    btnqryNetxt->setObjectName(QStringLiteral("btnqryNetxt"));

    connect(btnqryNetxt, &QPushButton::clicked, this, &TSearchTxtFrm::btnqryNetxtClick);
    connect(edtSearchKey, &QLineEdit::returnPressed, btnqryNetxt, &QPushButton::click);
    connect(btnLast, &QPushButton::clicked, this, &TSearchTxtFrm::btnLastClick);
    connect(imgClose, &TCloseButton::clicked, this, &TSearchTxtFrm::imgCloseClick);

    dragBy({shpFrame});
    FormCreate();
}

TSearchTxtFrm::~TSearchTxtFrm()
{
    if (SearchTxtFrm == this)
        SearchTxtFrm = nullptr;
}

void TSearchTxtFrm::FormCreate()
{
    SearchPos = -1;
    SearchDates.clear();
}

void TSearchTxtFrm::showEvent(QShowEvent *e)
{
    TBorderlessDialog::showEvent(e);
    if (e->spontaneous())
        return; // restored from minimised: not a new showing
    FormShow();
}

void TSearchTxtFrm::FormShow()
{
    edtSearchKey->clear();
    btnLast->setEnabled(false);
    m_search.Reset();
    SearchPos = -1;
    SearchDates.clear();
    lblPos->clear();
    lblNotice->hide();
    edtSearchKey->setFocus();
}

QString TSearchTxtFrm::btnqryNetxtClick()
{
    const QString keyword = edtSearchKey->text().trimmed();
    if (keyword.isEmpty() || !Target.calendar || !Target.dm)
        return keyword;
    lblNotice->hide();
    bool wrapped = false;
    if (!m_search.Started() || m_search.Keyword() != keyword) {
        if (!startSearch(keyword))
            return keyword;
    } else {
        TNoteBox *box = nullptr;
        std::vector<int> at;
        wrapped = m_search.Next(openCurrentDay(box, at));
    }
    if (!showCurrent(+1, wrapped))
        nothingFound(keyword);
    else if (wrapped)
        notice(QString::fromUtf8(WrappedForwardText));
    return keyword;
}

void TSearchTxtFrm::btnLastClick()
{
    if (!m_search.Started() || !Target.calendar)
        return;
    lblNotice->hide();
    TNoteBox *box = nullptr;
    std::vector<int> at;
    bool wrapped = m_search.Previous(openCurrentDay(box, at));
    if (!showCurrent(-1, wrapped))
        nothingFound(m_search.Keyword());
    else if (wrapped)
        notice(QString::fromUtf8(WrappedBackText));
}

bool TSearchTxtFrm::startSearch(const QString &keyword)
{
    std::vector<TNotesRepository::KeywordDay> found;
    try {
        found = TNotesRepository(*Target.dm).FindKeyword(keyword);
    } catch (const std::exception &) {
        // Not the same as finding nothing: the notes could not be read.
        m_search.Reset();
        btnLast->setEnabled(false);
        lblPos->clear();
        dialogs::ShowMessage(QString::fromUtf8(LookUpFailedText), this);
        return false;
    }
    std::vector<tdt::TDateTime> days;
    std::vector<int> counts;
    for (const TNotesRepository::KeywordDay &day : found) {
        tdt::TDateTime date;
        const QString &k = day.key;
        if (k.size() != 8 || !tdt::TryEncodeDate(k.left(4).toInt(), k.mid(4, 2).toInt(), k.mid(6, 2).toInt(), date))
            continue;
        // No box shows a Sunday's own row: the weekend box is Saturday's.
        if (tdt::DayOfTheWeek(date) == 7)
            continue;
        days.push_back(date);
        counts.push_back(std::max(1, day.count));
    }
    m_search.Start(keyword, days, counts, Target.calendar->DateTime());
    if (!m_search.Started()) {
        nothingFound(keyword);
        return false;
    }
    return true;
}

int TSearchTxtFrm::openCurrentDay(TNoteBox *&box, std::vector<int> &at)
{
    const tdt::TDateTime day = std::floor(SearchDates[SearchPos]);
    // As a pick in the calendar: the date at midnight; its change event loads the week.
    Target.calendar->setDateTime(day);
    box = Target.boxes[std::min(tdt::DayOfTheWeek(day), 6) - 1];
    at = box ? KeywordOccurrences(box->toPlainText(), m_search.Keyword()) : std::vector<int>{};
    return int(at.size());
}

bool TSearchTxtFrm::showCurrent(int direction, bool &wrapped)
{
    for (size_t tries = 0; tries <= SearchDates.size(); ++tries) {
        TNoteBox *box = nullptr;
        std::vector<int> at;
        const int inBox = openCurrentDay(box, at);
        const int occurrence = m_search.Occurrence(inBox);
        if (occurrence >= 0) {
            QTextCursor c(box->document());
            c.setPosition(at[occurrence]);
            c.setPosition(at[occurrence] + int(m_search.Keyword().size()), QTextCursor::KeepAnchor);
            box->setTextCursor(c);
            box->ensureCursorVisible();
            keepClear(box, c);
            lblPos->setText(QStringLiteral("%1 / %2").arg(m_search.Ordinal(inBox)).arg(m_search.Total()));
            btnLast->setEnabled(true);
            return true;
        }
        wrapped = (direction > 0 ? m_search.Next(0) : m_search.Previous(0)) || wrapped;
    }
    return false;
}

void TSearchTxtFrm::keepClear(TNoteBox *box, const QTextCursor &found)
{
    QList<QRect> avoid;
    // The keyword with a little of what surrounds it.
    QTextCursor from(found), to(found);
    from.setPosition(found.selectionStart());
    to.setPosition(found.selectionEnd());
    const QRect match = box->cursorRect(from).united(box->cursorRect(to));
    avoid.append(QRect(box->viewport()->mapToGlobal(match.topLeft()), match.size()).adjusted(-8, -4, 8, 4));
    // Its day in the calendar.
    const TChnCalendar *cal = Target.calendar;
    const int day = tdt::DecodeDate(cal->DateTime()).day;
    for (int k = 1; k <= 42; ++k) {
        const TcnDateInf &cell = cal->Model().Cell(k);
        if (cell.InUse && cell.Day == day) {
            const QRect r = cal->Grid()->CellRect((k - 1) % 7 + 1, (k - 1) / 7 + 1);
            avoid.append(QRect(cal->Grid()->mapToGlobal(r.topLeft()), r.size()));
            break;
        }
    }
    const QWidget *owner = parentWidget() ? parentWidget()->window() : window();
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
    move(winkit::ClearPlace(frameGeometry(), owner->frameGeometry(), screen, avoid));
}

void TSearchTxtFrm::notice(const QString &text)
{
    lblNotice->setText(text);
    lblNotice->show();
    m_noticeTimer.start();
}

void TSearchTxtFrm::nothingFound(const QString &keyword)
{
    m_search.Reset();
    btnLast->setEnabled(false);
    lblPos->clear();
    dialogs::ShowMessage(QStringLiteral("找不到“%1”。").arg(keyword), this);
}

void TSearchTxtFrm::imgCloseClick()
{
    close();
}

void N_SearcheClick(QWidget *mainWindow)
{
    if (!SearchTxtFrm) {
        SearchTxtFrm = new TSearchTxtFrm(mainWindow);
        SearchTxtFrm->Target = SearchTarget;
    }
    SearchTxtFrm->show();
    SearchTxtFrm->raise();
    SearchTxtFrm->activateWindow();
    // Also when it was open already: the keyword is what comes next.
    SearchTxtFrm->edtSearchKey->setFocus();
}

void ConnectKeywordSearch(TChnCalendar *calendar, const std::array<TNoteBox *, 6> &boxes, TWeekNotes &week,
                          TDM &dm)
{
    SearchTarget = {calendar, boxes, &dm};
    QObject::connect(calendar, &QObject::destroyed, [calendar] {
        if (SearchTarget.calendar == calendar)
            SearchTarget = {};
    });
    ConnectNotedDays(*calendar, week, dm);
}
