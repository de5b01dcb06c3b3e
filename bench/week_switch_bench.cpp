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

#include "RealisticNotes.h"

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
    if (!bench::fillDatabase(db, today - days / 2, days)) {
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
