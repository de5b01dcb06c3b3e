// What one keystroke costs, in six real note boxes tied by the week's load and save to a
// copy of the shipped notes database, for the weeks that make saving expensive:
//   returned  the key press handled (what the window waits for);
//   saved     the key press up to the writer's durable commit of its day;
//   floor     one bare durable commit of the changed day's bytes into the same schema,
//             run just before each key so that both meet the disk in the same state.
// Also: the first keystroke of a session, a focus loss with nothing changed, and the RTF
// writing of one box.
//   save_bench [folder] [keys]   (default: a temporary folder beside the build's program
//                                 folder, 200 keys per case)
#include "NoteBox.h"
#include "ProgramFolder.h"
#include "RtfCodec.h"
#include "WeekBoxes.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Figures {
    double median, p99, max;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5))]; };
    return {at(0.5), at(0.99), ms.back()};
}

bool makeDatabase(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    const QString shipped = QStringLiteral(TAVI_APP_DIR "/Data/UserData.mdb");
    if (QFile::exists(shipped))
        return QFile::copy(shipped, path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
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
    c.movePosition(QTextCursor::End);
    int i = 0, made = 0;
    while (made < bytes) {
        const QString time =
            QStringLiteral(" %1:%2 ").arg(8 + i % 10, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        c.insertText(time, plain);
        c.insertText(QString::fromUtf8("█"), red);
        c.insertText(QString::fromUtf8(lines[i % 5]), *looks[i % 5]);
        c.insertBlock(QTextBlockFormat(), plain);
        made += int(time.size()) + 3 + int(qstrlen(lines[i % 5])) + 1;
        ++i;
    }
}

// A picture as a paste brings it: its stored bytes, shown at most 400 pixels wide.
void addPicture(TNoteBox &box, const QByteArray &bytes)
{
    const QImage image = QImage::fromData(bytes);
    const QSizeF shown = image.width() > 400 ? QSizeF(400, 400.0 * image.height() / image.width()) : QSizeF(image.size());
    const QTextImageFormat f = rtf::AddPicture(*box.document(), bytes, shown);
    if (!f.isValid()) {
        std::fprintf(stderr, "the picture does not decode\n");
        std::exit(1);
    }
    QTextCursor c(box.document());
    c.movePosition(QTextCursor::End);
    c.insertImage(f);
    c.insertBlock();
}

// A 1024 pixel photo: smooth light with grain, as a camera gives it, as JPEG.
QByteArray photo()
{
    QImage img(1024, 768, QImage::Format_RGB32);
    auto *rng = QRandomGenerator::global();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int n = int(rng->bounded(24));
            img.setPixel(x, y, qRgb(qMin(255, x / 5 + n), qMin(255, y / 4 + n), qMin(255, 120 + (x + y) / 20 + n)));
        }
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPEG", 90);
    return bytes;
}

// A picture at the bound a paste keeps (about 4 MB stored): noise does not compress.
QByteArray boundPicture()
{
    QImage img(1160, 1160, QImage::Format_RGB888);
    auto *rng = QRandomGenerator::global();
    for (int y = 0; y < img.height(); ++y) {
        uchar *line = img.scanLine(y);
        for (int x = 0; x < img.width() * 3; ++x)
            line[x] = uchar(rng->bounded(256));
    }
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG", 0);
    return bytes;
}

void press(TNoteBox *box, const QString &ch)
{
    QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
    QApplication::sendEvent(box, &down);
    QApplication::sendEvent(box, &up);
}

// One bare durable commit of a day's bytes into the notes schema, on a file of its own.
class BareCommit {
public:
    explicit BareCommit(const QString &path)
    {
        makeDatabase(path);
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_exec(m_db, "insert into tb_NewTavi(YearMonthStr) values('20100601')", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_db, "update tb_NewTavi set Content = ?1, ContentBak = ?2 where YearMonthStr = '20100601'", -1,
                           &m_update, nullptr);
    }
    ~BareCommit()
    {
        sqlite3_finalize(m_update);
        sqlite3_close(m_db);
    }
    double once(QByteArray bytes, const QString &plain)
    {
        bytes[bytes.size() / 2] = char('a' + m_n++ % 26); // never the bytes it holds
        const QByteArray text = plain.toUtf8();
        QElapsedTimer t;
        t.start();
        sqlite3_exec(m_db, "begin", nullptr, nullptr, nullptr);
        sqlite3_bind_blob(m_update, 1, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
        sqlite3_bind_text(m_update, 2, text.constData(), int(text.size()), SQLITE_STATIC);
        sqlite3_step(m_update);
        sqlite3_reset(m_update);
        sqlite3_exec(m_db, "commit", nullptr, nullptr, nullptr);
        return double(t.nsecsElapsed()) / 1e6;
    }

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_update = nullptr;
    int m_n = 0;
};

void report(const char *what, const Figures &f)
{
    std::printf("  %-44s median %8.3f   p99 %8.3f   max %8.3f ms\n", what, f.median, f.p99, f.max);
}

struct Case {
    const char *name;
    int textBytes;      // of each of the six boxes
    QByteArray picture; // on Monday
    int typeInto;       // the box typed into
};

// Six boxes on the week of 2010-06-01 in a shown window, over a fresh copy of the database.
struct Desk {
    Desk()
    {
        makeDatabase(DataDir() + QStringLiteral("UserData.mdb"));
        dm.ConnectDatabase();
        for (auto &b : boxes)
            b = new TNoteBox(&window);
        for (int i = 0; i < 6; ++i)
            boxes[i]->setGeometry(10 + (i % 3) * 260, 10 + (i / 3) * 240, 250, 230);
        window.resize(800, 500);
        week = std::make_unique<TWeekBoxes>(boxes, dm);
        WeekConList.assign(7, TWeekConList());
        week->LoadWeek(tdt::EncodeDate(2010, 6, 1));
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        week->FormShown = true;
    }
    TDM dm;
    QWidget window;
    std::array<TNoteBox *, 6> boxes{};
    std::unique_ptr<TWeekBoxes> week;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAVI_APP_DIR "/..");
    const int keys = argc > 2 ? qMax(10, QByteArray(argv[2]).toInt()) : 200;
    QTemporaryDir dir(QDir(base).absoluteFilePath(QStringLiteral("save-bench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    qputenv("TAVI_HOME", dir.path().toUtf8());
    std::printf("folder: %s; %d keys per case\n", qPrintable(dir.path()), keys);
    std::printf("(the engine's defaults everywhere: rollback journal, synchronous full)\n");
    BareCommit bare(dir.filePath(QStringLiteral("bare/UserData.mdb")));

    {
        // The first keystroke of the session: nothing of the writing was used before.
        Desk desk;
        desk.boxes[1]->setFocus();
        QTest::qWait(300); // the user's eye finds the box
        QElapsedTimer t;
        t.start();
        press(desk.boxes[1], QString::fromUtf8("字"));
        const double returned = double(t.nsecsElapsed()) / 1e6;
        desk.week->WaitForWriter();
        const double saved = double(t.nsecsElapsed()) / 1e6;
        std::printf("first keystroke of the session (Chinese): returned %.3f ms, saved %.3f ms\n", returned, saved);
    }

    const QByteArray photoBytes = photo();
    const QByteArray boundBytes = boundPicture();
    const Case cases[] = {
        {"realistic week: six ~1 KB notes", 1024, {}, 1},
        {"six 50 KB notes", 50 * 1024, {}, 1},
        {"a 1024 px photo on Monday, typing on Tuesday", 1024, photoBytes, 1},
        {"a picture at the bound on Monday, typing on Monday", 1024, boundBytes, 0},
        {"a picture at the bound on Monday, typing on Tuesday", 1024, boundBytes, 1},
    };
    for (const Case &c : cases) {
        Desk desk;
        for (TNoteBox *b : desk.boxes)
            fill(*b, c.textBytes);
        if (!c.picture.isEmpty())
            addPicture(*desk.boxes[0], c.picture);
        desk.week->SaveWeek(); // the rows exist and hold the week, as after its first keystrokes
        desk.week->WaitForWriter();
        qsizetype weekRtf = 0;
        for (TNoteBox *b : desk.boxes)
            weekRtf += b->RtfContent().size();
        TNoteBox *box = desk.boxes[c.typeInto];
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        const QByteArray dayRtf = box->RtfContent();
        const QString dayPlain = box->PlainText();
        std::printf("%s (RTF of the week %lld KB, of the day typed into %lld KB)\n", c.name, (long long)weekRtf / 1024,
                    (long long)dayRtf.size() / 1024);

        std::vector<double> returned, saved, floor;
        int overFrame = 0;
        for (int k = 0; k < keys; ++k) {
            floor.push_back(bare.once(dayRtf, dayPlain));
            QElapsedTimer t;
            t.start();
            press(box, QString::fromUtf8(k % 2 ? "字" : "a"));
            returned.push_back(double(t.nsecsElapsed()) / 1e6);
            desk.week->WaitForWriter();
            saved.push_back(double(t.nsecsElapsed()) / 1e6);
            overFrame += returned.back() > 1000.0 / 60;
            QApplication::processEvents();
            if (desk.week->SaveFailed()) {
                std::fprintf(stderr, "a keystroke was not saved\n");
                return 1;
            }
        }
        const Figures r = figures(returned), s = figures(saved), f = figures(floor);
        report("keystroke to returned", r);
        report("keystroke to saved", s);
        report("floor: bare commit of the day's bytes", f);
        std::printf("  %-44s %.2f x the floor; %d of %d keys over one 60 Hz frame\n", "median saved", s.median / f.median,
                    overFrame, keys);

        // A focus loss with nothing changed.
        std::vector<double> again;
        for (int k = 0; k < 50; ++k) {
            QElapsedTimer t;
            t.start();
            desk.week->redt1Exit();
            desk.week->WaitForWriter();
            again.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        report("focus loss with nothing changed", figures(again));

        std::vector<double> writes;
        for (int k = 0; k < 50; ++k) {
            QElapsedTimer t;
            t.start();
            const rtf::Encoded e = box->noteDocument()->RtfEncoded();
            writes.push_back(double(t.nsecsElapsed()) / 1e6);
            if (e.pieces.empty())
                return 1;
        }
        report("RTF writing of the day, on the key press", figures(writes));
    }
    return 0;
}
