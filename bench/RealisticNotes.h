#pragma once
// The benchmarks fill a throw-away notes database with notes as users write them.
#include "NoteBox.h"
#include "NoteText.h"
#include "TDateTime.h"
#include "uGlobal.h"

#include <QString>
#include <QTextCursor>

#include <functional>

#include <sqlite3.h>

namespace bench {

// A day's note as users write them, in a note box.
inline QByteArray realisticNote(TNoteBox &box, int day)
{
    box.SetTextEmpty();
    QTextCursor c(box.document());
    writeNote(c, day);
    return box.RtfContent();
}

// A row for every day from `first` on (Sunday shares Saturday's), each day's note as
// `note` writes it into the box and hands back its RTF.
inline bool fillDatabase(const QString &path, tdt::TDateTime first, int days,
                         const std::function<QByteArray(TNoteBox &, int)> &note = realisticNote)
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
        const QByteArray rtf = note(box, d);
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
