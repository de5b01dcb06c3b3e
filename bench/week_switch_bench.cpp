// The week switch as a click on a day of another week costs it: the six boxes of that
// week read from the database and shown, and the calendar and the window repainted.
// Real main window, offscreen, on a throw-away program folder with two years of notes.
//   week_switch_bench [switches]
#include "ChnCalendarPicker.h"
#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tdt;

namespace {

// A day's note as users write them: a few lines, some ticked, some in colour, ~300-900 bytes.
QByteArray realisticNote(TNoteBox &box, int day)
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

bool fillDatabase(const QString &path, TDateTime first, int days)
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
        if (DayOfTheWeek(first + d) == 7)
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

double at(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int switches = argc > 1 ? std::max(10, atoi(argv[1])) : 400;

    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Data"));
    QDir(home.path()).mkpath(QStringLiteral("source/DeskTopBG"));
    const QString db = home.path() + QStringLiteral("/Data/UserData.mdb");
    QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/UserData.mdb"), db);
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    QFile::copy(QStringLiteral(TAVI_APP_DIR "/Data/CnWorkdays.tsv"), home.path() + QStringLiteral("/Data/CnWorkdays.tsv"));
    qputenv("TAVI_HOME", home.path().toUtf8());

    const TDateTime today = EncodeDate(2026, 6, 2);
    const int days = 2 * 365;
    if (!fillDatabase(db, today - days / 2, days)) {
        std::fprintf(stderr, "could not fill %s\n", qPrintable(db));
        return 1;
    }
    platform::SetNow(today + 0.4);
    dialogs::SetScripted(true);

    TDM dm;
    DM = &dm;
    if (!dm.ConnectDatabase()) {
        std::fprintf(stderr, "no database\n");
        return 1;
    }
    TMainFrm frm;
    frm.show();
    QApplication::processEvents();

    // Clicks on a day of another week, back and forth across the filled year.
    std::vector<double> ms;
    ms.reserve(size_t(switches));
    for (int i = 0; i < switches; ++i) {
        const int weeks = 1 + (i * 7) % 40;
        const TDateTime target = today + ((i % 2) ? weeks * 7 : -weeks * 7) + (i % 6);
        const auto t0 = std::chrono::steady_clock::now();
        frm.chnRili->setDateTime(target);
        frm.repaint();
        QApplication::processEvents();
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    qint64 bytes = 0;
    for (TNoteBox *b : frm.redt)
        bytes += b->RtfContent().size();
    std::printf("week switch (%d switches, ~%lld bytes of RTF in the last week): median %.2f ms, p99 %.2f ms "
                "(target <= 16.7 ms)\n",
                switches, (long long)bytes, at(ms, 0.5), at(ms, 0.99));
    return 0;
}
