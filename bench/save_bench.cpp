// What one keystroke costs: the key press into a note box, its change notification,
// the save of all six boxes (RTF writing, lookups, updates) up to the committed
// transaction on disk, for a realistic week and a heavy one; beside it one bare
// durable commit of the same engine in the same folder, and the RTF writing alone.
//   save_bench [folder]   (default: a temporary folder beside the build's program folder)
#include "NoteBox.h"
#include "ProgramFolder.h"
#include "RtfCodec.h"
#include "WeekBoxes.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Figures {
    double median, p99;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5))]; };
    return {at(0.5), at(0.99)};
}

bool makeDatabase(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    const QString shipped = QStringLiteral(TAVI_APP_DIR "/Data/UserData.mdb");
    if (QFile::exists(shipped))
        return QFile::copy(shipped, path);
    sqlite3 *db = nullptr;
    const bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK
                    && sqlite3_exec(db,
                                    "CREATE TABLE tb_NewTavi (YearMonthStr VARCHAR(8), Content BLOB, ContentBak TEXT);"
                                    "CREATE INDEX ix_tb_NewTavi_YearMonthStr ON tb_NewTavi (YearMonthStr);",
                                    nullptr, nullptr, nullptr)
                           == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// About `bytes` of note text (UTF-8), Chinese with marks, in runs of several looks.
void fill(TNoteBox &box, int bytes)
{
    static const char *const lines[] = {
        "上午九点部门例会，讨论下季度预算和人员安排。", "下午三点去三楼会议室见客户，带上合同草稿。",
        "记得买菜：白菜、豆腐、鸡蛋、牛奶。√", "给妈妈打电话 ×", "Room 301 报告截止周五 17:00",
    };
    QTextCharFormat plain, red, bold, hei;
    red.setForeground(QColor(255, 0, 0));
    bold.setFontWeight(QFont::Bold);
    hei.setFontFamilies({QStringLiteral("黑体")});
    hei.setProperty(QTextFormat::FontPixelSize, 20);
    const QTextCharFormat *looks[] = {&plain, &red, &plain, &bold, &hei};
    QTextCursor c(box.document());
    int i = 0;
    while (box.toPlainText().toUtf8().size() < bytes) {
        c.insertText(QStringLiteral(" %1:%2 ").arg(8 + i % 10, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')),
                     plain);
        c.insertText(QString::fromUtf8("█"), red);
        c.insertText(QString::fromUtf8(lines[i % 5]), *looks[i % 5]);
        c.insertBlock(QTextBlockFormat(), plain);
        ++i;
    }
}

void press(TNoteBox *box, const QString &ch)
{
    QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
    QApplication::sendEvent(box, &down);
    QApplication::sendEvent(box, &up);
}

// One bare durable commit: a tiny update in its own transaction, on a file of its own.
class BareCommit {
public:
    explicit BareCommit(const QString &path)
    {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_exec(m_db, "create table if not exists t(id integer primary key, v integer); insert or ignore into t values(1, 0);",
                     nullptr, nullptr, nullptr);
    }
    ~BareCommit() { sqlite3_close(m_db); }
    double once()
    {
        QElapsedTimer t;
        t.start();
        sqlite3_exec(m_db, "begin; update t set v = v + 1 where id = 1; commit;", nullptr, nullptr, nullptr);
        return double(t.nsecsElapsed()) / 1e6;
    }

private:
    sqlite3 *m_db = nullptr;
};

// Keystroke to committed save, one key after the other, spread over the six boxes;
// a bare commit runs before each key so that both see the disk in the same state.
std::vector<double> keystrokes(TWeekNotes &week, std::array<TNoteBox *, 6> &boxes, int count, BareCommit &bare,
                               std::vector<double> &bareMs)
{
    std::vector<double> ms;
    int saves = 0;
    QObject::connect(&week, &TWeekNotes::saved, [&] { ++saves; });
    for (int k = 0; k < count; ++k) {
        TNoteBox *box = boxes[k % 6];
        box->moveCursor(QTextCursor::End);
        bareMs.push_back(bare.once());
        const int before = saves;
        QElapsedTimer t;
        t.start();
        press(box, QString::fromUtf8(k % 2 ? "字" : "a"));
        const double elapsed = double(t.nsecsElapsed()) / 1e6;
        if (saves != before + 1 || week.SaveFailed()) {
            std::fprintf(stderr, "a keystroke did not save\n");
            std::exit(1);
        }
        ms.push_back(elapsed);
    }
    return ms;
}

void report(const char *what, const Figures &f) { std::printf("  %-52s median %8.3f ms   p99 %8.3f ms\n", what, f.median, f.p99); }

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAVI_APP_DIR "/..");
    QTemporaryDir dir(QDir(base).absoluteFilePath(QStringLiteral("save-bench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    qputenv("TAVI_HOME", dir.path().toUtf8());
    std::printf("folder: %s\n", qPrintable(dir.path()));

    BareCommit bare(dir.filePath(QStringLiteral("bare.db")));
    std::printf("(the engine's defaults everywhere: rollback journal, synchronous full)\n");

    struct Week {
        const char *name;
        int bytes;
        int keys;
    };
    for (const Week &w : {Week{"realistic week: six boxes of ~1 KB formatted Chinese", 1024, 300},
                          Week{"heavy week: six boxes of ~50 KB", 50 * 1024, 120}}) {
        std::printf("%s\n", w.name);
        for (const bool transaction : {true, false}) {
            const QString db = DataDir() + QStringLiteral("UserData.mdb");
            QFile::remove(db);
            if (!makeDatabase(db)) {
                std::fprintf(stderr, "cannot make %s\n", qPrintable(db));
                return 1;
            }
            TDM dm;
            if (!dm.ConnectDatabase())
                return 1;
            QWidget window;
            std::array<TNoteBox *, 6> boxes{};
            for (auto &b : boxes)
                b = new TNoteBox(&window);
            TWeekBoxes week(boxes, dm);
            week.UseTransaction = transaction;
            WeekConList.assign(7, TWeekConList());
            week.LoadWeek(tdt::EncodeDate(2010, 6, 1));
            for (TNoteBox *b : boxes)
                fill(*b, w.bytes);
            week.FormShown = true;
            week.SaveWeek(); // the rows exist from here on, as after the week's first keystroke
            std::vector<double> bareMs;
            const Figures keys = figures(keystrokes(week, boxes, w.keys, bare, bareMs));
            const Figures bareFig = figures(bareMs);
            report(transaction ? "keystroke to committed, one transaction per save"
                               : "keystroke to committed, each update commits",
                   keys);
            report("one bare durable commit, interleaved", bareFig);
            std::printf("  %-52s %.2f x the bare commit\n", "median save", keys.median / bareFig.median);
            if (transaction) {
                // A focus loss with nothing changed: the same six rows again.
                std::vector<double> again;
                for (int k = 0; k < 50; ++k) {
                    QElapsedTimer t;
                    t.start();
                    week.SaveWeek();
                    again.push_back(double(t.nsecsElapsed()) / 1e6);
                }
                report("save with nothing changed (focus loss)", figures(again));
            }
            if (transaction) {
                std::vector<double> writes;
                for (int k = 0; k < 200; ++k) {
                    QElapsedTimer t;
                    t.start();
                    const QByteArray rtf = boxes[k % 6]->RtfContent();
                    writes.push_back(double(t.nsecsElapsed()) / 1e6);
                    if (rtf.isEmpty())
                        return 1;
                }
                char label[96];
                std::snprintf(label, sizeof label, "RTF writing of one box (%d KB text, %d KB RTF)",
                              int(boxes[0]->toPlainText().toUtf8().size() / 1024),
                              int(boxes[0]->RtfContent().size() / 1024));
                report(label, figures(writes));
            }
        }
    }
    return 0;
}
