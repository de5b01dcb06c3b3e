#include "WeekView.h"

#include "NoteBox.h"
#include "PixelFont.h"
#include "TImage.h"

#include <QFrame>
#include <QLabel>

#include <algorithm>

namespace {

const QColor kLineColour(220, 227, 255);
const QColor kDayOffColour(0xe0, 0x20, 0x20);
const QColor kWorkingDayColour(0x4f, 0x4f, 0x4f);
const QColor kOwnDateColour(214, 0, 110);
const int kTitleHeight = 26;
const int kMarkGap = 6;

void setTextColour(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QLabel *titleLabel(QWidget *parent, bool bold)
{
    auto *l = new QLabel(parent);
    l->setFont(winkit::CrispPixelFont(QStringLiteral("宋体"), 12, bold));
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QFrame *linePanel(QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, kLineColour);
    f->setPalette(p);
    return f;
}

} // namespace

TWeekView::Places TWeekView::PlacesFor(QSize size)
{
    const int W = size.width();
    const int H = size.height();
    Places p;
    p.lineX = {2, (W - 4) / 3 + 1, ((W - 4) / 3) * 2 + 2, W - 3};
    p.bottomLineY = H - 5;
    p.titles[0] = QRect(4, 0, W - 7, kTitleHeight);
    p.titles[1] = QRect(4, (H - 50) / 2 + 18, W - 8, kTitleHeight - 1);
    const int boxWidth = (W - 5) / 3;
    for (int c = 0; c < 3; ++c) {
        const int w = c < 2 ? boxWidth : boxWidth - 4;
        const int left = p.lineX[c] + 1;
        const int upperTop = p.titles[0].y() + kTitleHeight;
        const int lowerTop = p.titles[1].y() + kTitleHeight;
        p.boxes[c] = QRect(left, upperTop, w, p.titles[1].y() - upperTop);
        p.boxes[c + 3] = QRect(left, lowerTop, w, p.bottomLineY - lowerTop);
        p.captions[c] = QPoint(p.lineX[c] + 10, (kTitleHeight - 12) / 2);
        p.captions[c + 3] = QPoint(p.lineX[c] + 10, p.titles[1].y() + 8);
    }
    return p;
}

QRect TWeekView::Places::Highlight(int day) const
{
    if (day < 0 || day > 6)
        return {};
    // Saturday and Sunday share the lower right box.
    const int column = day < 3 ? day : (day < 5 ? day - 3 : 2);
    const int left = lineX[size_t(column)];
    const int right = lineX[size_t(column) + 1];
    return QRect(left + 1, titles[day < 3 ? 0 : 1].y(), right - left - 2, kTitleHeight);
}

TWeekView::TWeekView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlRight"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    imgtitle_year1 = new TImage(this, QStringLiteral(":/main/title.png"));
    imgtitle_year2 = new TImage(this, QStringLiteral(":/main/title.png"));
    imgSelColor = new TImage(this, QStringLiteral(":/main/selcolor.png"));
    imgSelColor->hide();

    const char *captions[6] = {"周 一", "周 二", "周 三", "周 四", "周 五", "周 六/日"};
    for (size_t i = 0; i < 6; ++i) {
        lblweek[i] = titleLabel(this, false);
        lblweek[i]->setText(QString::fromUtf8(captions[i]));
        lblweek[i]->adjustSize();
        lblWorkday[i] = titleLabel(this, true);
        lblWorkday[i]->hide();
        lblYearly[i] = titleLabel(this, false);
        lblYearly[i]->setObjectName(QStringLiteral("lblYearly%1").arg(i + 1));
        setTextColour(lblYearly[i], kOwnDateColour);
        lblYearly[i]->hide();
    }

    for (size_t i = 0; i < 6; ++i) {
        auto *box = new TNoteBox(this);
        box->setKeepSelectionVisible(i == 0 || i == 5);
        box->setObjectName(QStringLiteral("redt%1").arg(i + 1));
        redt[i] = box;
    }
    // Tab order follows the days.
    for (size_t i = 1; i < 6; ++i)
        setTabOrder(redt[i - 1], redt[i]);

    pnl_yearLine0 = linePanel(this);
    pnl_yearLine1 = linePanel(this);
    pnl_yearLine2 = linePanel(this);
    pnl_yearLineREdge = linePanel(this);
    pnl_buttonline = linePanel(this);
    imgSelColor->raise();
    for (auto *labels : {&lblweek, &lblWorkday, &lblYearly})
        for (QLabel *l : *labels)
            l->raise();
    LayoutWeekView();
}

void TWeekView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutWeekView();
}

void TWeekView::LayoutWeekView()
{
    const Places p = PlacesFor(size());
    const int H = height();
    pnl_yearLine0->setGeometry(p.lineX[0], 0, 1, H);
    pnl_yearLine1->setGeometry(p.lineX[1], 3, 1, H - 3);
    pnl_yearLine2->setGeometry(p.lineX[2], 3, 1, H - 3);
    pnl_yearLineREdge->setGeometry(p.lineX[3], 0, 1, H);
    pnl_buttonline->setGeometry(0, p.bottomLineY, width(), 1);
    imgtitle_year1->setGeometry(p.titles[0]);
    imgtitle_year2->setGeometry(p.titles[1]);
    for (size_t i = 0; i < 6; ++i) {
        redt[i]->setGeometry(p.boxes[i]);
        lblweek[i]->move(p.captions[i]);
    }
    placeMarks();
    MarkSelected(m_selected);
}

void TWeekView::MarkSelected(int day)
{
    m_selected = day >= 0 && day <= 6 ? day : -1;
    imgSelColor->setVisible(m_selected >= 0);
    if (m_selected >= 0)
        imgSelColor->setGeometry(PlacesFor(size()).Highlight(m_selected));
}

void TWeekView::SetWorkdayMarks(const std::array<QString, 6> &marks)
{
    for (size_t i = 0; i < 6; ++i) {
        QLabel *l = lblWorkday[i];
        l->setText(marks[i]);
        setTextColour(l, marks[i] == QStringLiteral("休") ? kDayOffColour : kWorkingDayColour);
        l->adjustSize();
        l->setVisible(!marks[i].isEmpty());
    }
    placeMarks();
}

void TWeekView::SetOwnDates(const std::array<QString, 6> &texts)
{
    m_ownDates = texts;
    placeMarks();
}

void TWeekView::placeMarks()
{
    const Places p = PlacesFor(size());
    for (size_t i = 0; i < 6; ++i) {
        const QLabel *caption = lblweek[i];
        QLabel *mark = lblWorkday[i];
        mark->move(caption->x() + caption->width() + kMarkGap, caption->y());
        const QLabel *after = mark->text().isEmpty() ? caption : mark;
        const int x = after->x() + after->width() + kMarkGap;
        // The dates stop short of the column's right-hand line.
        const int right = p.lineX[i % 3 + 1] - 4;
        QLabel *own = lblYearly[i];
        const QString &full = m_ownDates[i];
        own->setText(own->fontMetrics().elidedText(full, Qt::ElideRight, std::max(0, right - x)));
        own->setToolTip(full);
        own->adjustSize();
        own->move(x, caption->y());
        own->setVisible(!full.isEmpty());
    }
}
