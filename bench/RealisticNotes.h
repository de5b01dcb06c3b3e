#pragma once
// Two benchmarks fill a throw-away notes database with notes as users write them.
#include "NoteBox.h"
#include "TDateTime.h"
#include "uGlobal.h"

#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <sqlite3.h>

namespace bench {

// A day's note as users write them: a few lines, some ticked, some in colour, ~300-900 bytes.
inline QByteArray realisticNote(TNoteBox &box, int day)
{
    box.SetTextEmpty();
    QTextCursor c(box.document());
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
    return box.RtfContent();
}

inline bool fillDatabase(const QString &path, tdt::TDateTime first, int days)
{
    TNoteBox box;
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "insert into tb_NewTavi (YearMonthStr, Content, ContentBak) values (?, ?, ?)", -1, &st, nullptr);
    bool ok = st != nullptr;
    for (int d = 0; ok && d < days; ++d) {
        if (tdt::DayOfTheWeek(first + d) == 7)
            continue; // Sunday shares Saturday's row
        const QByteArray key = DayKeyOf(first + d).toUtf8();
        const QByteArray rtf = realisticNote(box, d);
        const QByteArray plain = box.PlainText().toUtf8();
        sqlite3_bind_text(st, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, rtf.constData(), int(rtf.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, plain.constData(), int(plain.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return ok;
}

} // namespace bench
