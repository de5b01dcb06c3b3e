// The second yardstick for the start-up figures: a window of the main window's size that
// shows the Chinese text the program shows at start, in the same fonts and sizes, and
// nothing else: the date strip, a month calendar with day numbers and lunar day names,
// the six day captions and this week's notes. Against it, the program's figures show
// its own cost rather than the cost of drawing Chinese.
#include "FirstPaint.h"
#include "FontMap.h"
#include "NoteText.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QTextEdit>
#include <QWidget>

namespace {

QFont pixelFont(const QString &family, int px, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    platform::CrispSmallSong(f);
    return f;
}

// This month as the calendar shows it: six weeks from a Sunday, the day number in 黑体 and
// a lunar day name below it in 宋体.
class MonthGrid : public QWidget {
public:
    explicit MonthGrid(QWidget *parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        static const char *const lunar[] = {"初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八",
                                            "初九", "初十", "十一", "十二", "十三", "十四", "十五", "十六",
                                            "十七", "十八", "十九", "二十", "廿一", "廿二", "廿三", "廿四",
                                            "廿五", "廿六", "廿七", "廿八", "廿九", "三十", "冬月", "大雪"};
        QPainter p(this);
        const QDate today = QDate::currentDate();
        const QFont caption = pixelFont(QStringLiteral("宋体"), 12);
        p.setFont(caption);
        p.drawText(QRect(0, 0, width(), 24), Qt::AlignCenter,
                   QStringLiteral("%1年%2月").arg(today.year()).arg(today.month()));
        const QString names = QStringLiteral("日一二三四五六");
        const int cw = width() / 7, ch = (height() - 48) / 6;
        for (int c = 0; c < 7; ++c)
            p.drawText(QRect(c * cw, 24, cw, 24), Qt::AlignCenter, names.mid(c, 1));
        QDate day = today.addDays(1 - today.day());
        day = day.addDays(-(day.dayOfWeek() % 7));
        const QFont number = pixelFont(QStringLiteral("黑体"), 12, true);
        const QFont cn = pixelFont(QStringLiteral("宋体"), 12);
        for (int i = 0; i < 42; ++i, day = day.addDays(1)) {
            const QRect cell((i % 7) * cw, 48 + (i / 7) * ch, cw, ch);
            p.setPen(day.month() == today.month() ? Qt::black : Qt::gray);
            p.setFont(number);
            p.drawText(cell.adjusted(0, 2, 0, -ch / 2), Qt::AlignCenter, QString::number(day.day()));
            p.setFont(cn);
            p.drawText(cell.adjusted(0, ch / 2, 0, 0), Qt::AlignCenter,
                       QString::fromUtf8(lunar[(day.dayOfYear() + 3) % 32]));
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    platform::TFontWarmUp fonts;
    QApplication app(argc, argv);
    platform::InstallFontMapping();
    fonts.wait();

    QWidget w;
    w.setWindowTitle(QStringLiteral("yardstick window"));
    w.resize(913, 540);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, Qt::white);
    w.setPalette(pal);

    const QDate today = QDate::currentDate();
    static const char *const days[7] = {"一", "二", "三", "四", "五", "六", "日"};
    auto *date = new QLabel(QStringLiteral("今天是 %1年%2月%3日(%4)")
                                .arg(today.year())
                                .arg(today.month())
                                .arg(today.day())
                                .arg(QString::fromUtf8(days[today.dayOfWeek() - 1])),
                            &w);
    date->setGeometry(343, 19, 300, 20);
    date->setFont(pixelFont(QStringLiteral("微软雅黑"), 12, true));
    auto *options = new QLabel(QStringLiteral("|  选项"), &w);
    options->setGeometry(761, 60, 60, 14);
    options->setFont(pixelFont(QStringLiteral("宋体"), 12));

    (new MonthGrid(&w))->setGeometry(2, 80, 311, 253);

    // The week: a caption and a note box per day, Monday to Saturday.
    const char *captions[6] = {"周 一", "周 二", "周 三", "周 四", "周 五", "周 六/日"};
    QFont noteFont(QStringLiteral("宋体"));
    noteFont.setPixelSize(15);
    noteFont.setHintingPreference(QFont::PreferNoHinting);
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    for (int i = 0; i < 6; ++i) {
        const int x = 317 + (i % 3) * 198, y = 80 + (i / 3) * 216;
        auto *caption = new QLabel(QString::fromUtf8(captions[i]), &w);
        caption->setFont(pixelFont(QStringLiteral("宋体"), 12));
        caption->move(x + 10, y + 7);
        auto *box = new QTextEdit(&w);
        box->setFrameShape(QFrame::NoFrame);
        box->setFont(noteFont);
        box->document()->setDefaultFont(noteFont);
        box->setGeometry(x + 2, y + 26, 190, 186);
        QTextCursor c(box->document());
        bench::writeNote(c, bench::noteDayOf(monday.addDays(i)));
    }

    TFirstPaintProbe::Watch(&w);
    w.show();
    return app.exec();
}
