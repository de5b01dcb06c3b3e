#pragma once
// The text of the benchmarks' notes, for the program's note boxes and for the yardstick
// window alike: Qt Gui only.
#include <QColor>
#include <QDate>
#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

namespace bench {

// The filled notes start this many weeks before today's week day.
inline constexpr int kWeeksBefore = 8;

// Day number (0 = the first filled day) of a date.
inline int noteDayOf(const QDate &date)
{
    return int(QDate::currentDate().addDays(-7 * kWeeksBefore).daysTo(date));
}

// A day's note as users write them: a few lines, some ticked, some in colour, ~300-900 bytes.
inline void writeNote(QTextCursor &c, int day)
{
    const char *lines[] = {"09:30 周例会，准备上周的数据", "给印刷厂打电话确认交货时间", "√ 交水电费",
                           "下午 3 点 牙医", "× 取快递（改到明天）", "买菜：西红柿、鸡蛋、青菜", "回复客户的邮件 re: 报价单"};
    const int n = 2 + day % 5;
    for (int i = 0; i < n; ++i) {
        QTextCharFormat f;
        if ((day + i) % 4 == 0)
            f.setForeground(QColor(255, 0, 0));
        if ((day + i) % 5 == 0)
            f.setFontWeight(QFont::Bold);
        c.insertText(QString::fromUtf8(lines[(day + i) % 7]), f);
        c.insertBlock();
    }
}

} // namespace bench
