// Which folder the program keeps its files in, and how a user's own folder is made, on
// small trees that stand for a build, a portable copy and a system installation.
#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using programfolder::Kind;

namespace {

void put(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

unsigned mode(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(ProgramFolder, WhereTheFilesAre)
{
    QTemporaryDir t;
    const QString r = t.path() + "/";
    QDir().mkpath(r + "portable/Data");
    QDir().mkpath(r + "bare");
    QDir().mkpath(r + "usr/bin");
    QDir().mkpath(r + "usr/share/tavi/Data");
    QDir().mkpath(r + "build/bin");
    QDir().mkpath(r + "readonly/Data");
    const QString user = r + "home/.local/share";
    const struct {
        const char *what, *named, *exe;
        Kind kind;
        QString dir, shipped;
    } cases[] = {
        {"TAVI_HOME wins", "named//x/..", "usr/bin", Kind::Named, r + "named/", r + "usr/share/tavi/"},
        {"a portable folder", "", "portable", Kind::Portable, r + "portable/", r + "portable/"},
        {"a writable folder without Data yet", "", "bare", Kind::Portable, r + "bare/", r + "bare/"},
        {"a system installation", "", "usr/bin", Kind::UsersOwn, user + "/Tavi/", r + "usr/share/tavi/"},
        {"a bin folder with nothing shared beside it", "", "build/bin", Kind::Portable, r + "build/bin/",
         r + "build/bin/"},
    };
    for (const auto &c : cases) {
        const QString named = *c.named ? r + c.named : QString();
        const programfolder::Place p = programfolder::Resolve(named, r + c.exe, user);
        EXPECT_EQ(p.kind, c.kind) << c.what;
        EXPECT_EQ(p.dir, c.dir) << c.what;
        EXPECT_EQ(p.shipped, c.shipped) << c.what;
    }
}

// Root may write anywhere, so only another user meets a folder it cannot write; the
// package test runs the installed program so.
TEST(ProgramFolder, AReadOnlyPortableFolderSendsTheUserToTheirOwn)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into every folder; the package test covers this as an ordinary user";
    QTemporaryDir t;
    const QString r = t.path() + "/";
    QDir().mkpath(r + "ro/Data");
    QFile::setPermissions(r + "ro/Data", QFile::ReadOwner | QFile::ExeOwner);
    const programfolder::Place p = programfolder::Resolve(QString(), r + "ro", r + "share");
    QFile::setPermissions(r + "ro/Data", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(p.kind, Kind::UsersOwn);
    EXPECT_EQ(p.dir, r + "share/Tavi/");
    EXPECT_EQ(p.shipped, r + "ro/");
}

TEST(ProgramFolder, AUsersOwnFolderStartsAsAPrivateCopyOfTheShippedDefaults)
{
    QTemporaryDir t;
    const QString r = t.path() + "/";
    const QString shipped = r + "usr/share/tavi/";
    put(shipped + "Data/UserData.mdb", "empty database");
    put(shipped + "Data/CnWorkdays.tsv", "2026-10-01\t休\t国庆节\n");
    put(shipped + "source/DeskTopBG/A1.bmp", "BM picture");
    QDir().mkpath(r + "usr/bin");
    // The data folder's parents do not exist yet: they are made the user's alone.
    const programfolder::Place p = programfolder::Resolve(QString(), r + "usr/bin", r + "home/.local/share");
    QString why;
    ASSERT_TRUE(programfolder::Prepare(p, &why)) << why.toStdString();

    for (const char *f : {"Data/UserData.mdb", "Data/CnWorkdays.tsv", "source/DeskTopBG/A1.bmp"}) {
        QFile a(shipped + f), b(p.dir + f);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << f;
        EXPECT_EQ(a.readAll(), b.readAll()) << f;
        EXPECT_EQ(mode(p.dir + f), 0600u) << f;
    }
    for (const QString &d : {p.dir, p.dir + "Data", p.dir + "source", p.dir + "source/DeskTopBG", r + "home/.local",
                             r + "home/.local/share"})
        EXPECT_EQ(mode(d), 0700u) << d.toStdString();
    EXPECT_EQ(QDir(r + "home/.local/share").entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Tavi"})
        << "nothing half-made left beside it";

    // From now on the folder is the user's: a later start, or newer defaults, change nothing.
    put(p.dir + "Data/UserData.mdb", "the user's notes");
    put(shipped + "Data/UserData.mdb", "a newer empty database");
    QFile::remove(p.dir + "Data/CnWorkdays.tsv");
    ASSERT_TRUE(programfolder::Prepare(p));
    QFile notes(p.dir + "Data/UserData.mdb");
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), "the user's notes");
    EXPECT_FALSE(QFile::exists(p.dir + "Data/CnWorkdays.tsv"));
}

TEST(ProgramFolder, PrepareLeavesOtherPlacesAloneAndSaysWhyItFails)
{
    QTemporaryDir t;
    const QString r = t.path() + "/";
    QDir().mkpath(r + "usr/bin");
    QDir().mkpath(r + "usr/share/tavi/Data");
    put(r + "blocked"); // a file where the data folder would go
    const programfolder::Place own = programfolder::Resolve(QString(), r + "usr/bin", r + "blocked/share");
    QString why;
    EXPECT_FALSE(programfolder::Prepare(own, &why));
    EXPECT_TRUE(why.contains(r + "blocked")) << why.toStdString();

    QDir().mkpath(r + "portable");
    for (const auto &p : {programfolder::Resolve(r + "named", r + "usr/bin", r + "share"),
                          programfolder::Resolve(QString(), r + "portable", r + "share")}) {
        EXPECT_TRUE(programfolder::Prepare(p));
        EXPECT_FALSE(QFile::exists(r + "named"));
        EXPECT_FALSE(QFile::exists(r + "share"));
        EXPECT_FALSE(QFile::exists(r + "portable/Data"));
    }
}
