// A program killed at any moment of an apply leaves every picture the desktop or the user
// may read whole: the old one or the new one, never a cut one.
#include "wallpaper_fixture.h"

#include "BmpFile.h"
#include "PicListFile.h"
#include "ProgramFolder.h"
#include "WallpaperApply.h"
#include "uDeskBGSet.h"
#include "uInfoFrm.h"
#include "uPicSel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>

namespace {

const char *const ChildVariable = "TAVI_APPLY_UNTIL_KILLED";

// Whole: a BMP whose header gives the file's own size and that reads; a JPEG that ends
// with its end marker and decodes.
QString cutPicture(const QString &dir)
{
    for (const char *name : {ContentPictureName, MixPictureName}) {
        QFile f(dir + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            return QStringLiteral("%1 missing").arg(name);
        const QByteArray head = f.read(6);
        const qint64 said = head.size() < 6 ? -1
                                            : qint64(uchar(head[2]) | uchar(head[3]) << 8 | uchar(head[4]) << 16
                                                     | quint32(uchar(head[5])) << 24);
        TPicture p;
        if (said != f.size() || !pictures::ReadBmp(f.fileName(), p))
            return QStringLiteral("%1: %2 of %3 bytes").arg(name).arg(f.size()).arg(said);
    }
    QFile jpg(dir + QLatin1String(MixJpegName));
    if (!jpg.open(QIODevice::ReadOnly))
        return QStringLiteral("Mix.Jpg missing");
    const QByteArray bytes = jpg.readAll();
    if (!bytes.endsWith("\xff\xd9") || QImage::fromData(bytes, "JPEG").isNull())
        return QStringLiteral("Mix.Jpg: %1 bytes, cut").arg(bytes.size());
    return {};
}

} // namespace

// Run by the test below as a program of its own: applies over and over, in the program
// folder it is given, until it is killed.
TEST(ApplyUntilKilled, Child)
{
    if (qEnvironmentVariableIsEmpty(ChildVariable))
        GTEST_SKIP() << "started only by ApplyKill";
    platform::SetWallpaperBackend(std::make_shared<RecordingWallpaper>());
    ResetPictureState();
    ASSERT_TRUE(LoadPicList(false));
    AskBeforeApply = false;
    TestWeekPanel panel;
    for (int round = 0;; ++round) {
        ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
        if (round == 0) {
            std::puts("applied");
            std::fflush(stdout);
        }
    }
}

class ApplyKill : public WallpaperTest {};

TEST_F(ApplyKill, AHundredKillsDuringAnApplyLeaveNoCutPicture)
{
    writeSolidBmp("A1.bmp", 1600, 1000, QColor(30, 90, 160));
    writeSolidBmp("B2.bmp", 1600, 1000, QColor(160, 90, 30));
    ASSERT_TRUE(piclistfile::Write("A1.bmp", {"A1.bmp", "B2.bmp"}));
    ASSERT_TRUE(LoadPicList(false));
    AskBeforeApply = false;
    TestWeekPanel panel;
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    const int applyMs = int(qMax<qint64>(20, clock.elapsed()));
    ASSERT_EQ(cutPicture(PictureDir()), QString());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(ChildVariable), QStringLiteral("1"));
    QRandomGenerator random(20100601);
    int kills = 0;
    QStringList cut;
    for (int i = 0; i < 100; ++i) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--gtest_filter=ApplyUntilKilled.Child")});
        child.start();
        ASSERT_TRUE(child.waitForStarted(10000));
        // Killed anywhere in the rounds after its first one, as often inside a write as not.
        while (!child.readAllStandardOutput().contains("applied") && child.state() == QProcess::Running)
            child.waitForReadyRead(100);
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        QThread::msleep(random.bounded(2 * applyMs));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        ++kills;
        if (const QString why = cutPicture(PictureDir()); !why.isEmpty())
            cut << why;
    }
    std::printf("kills during an apply: %d, cut pictures after them: %lld (one apply: %d ms)\n", kills,
                static_cast<long long>(cut.size()), applyMs);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1String("; ")).toStdString();
    // Whatever the kills left half-written goes at the next apply.
    ASSERT_EQ(ApplyWeekToDesktop(nullptr, &panel), ApplyResult::Applied);
    EXPECT_EQ(QDir(PictureDir()).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden), QStringList());
}
