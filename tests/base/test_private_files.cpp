// The files under Data are their user's alone: written 0600 in a 0700 folder, older open
// ones narrowed at start, and another ordinary user reads nothing of them.
#include "base_fixture.h"

#include "LoginFile.h"
#include "PrivateFiles.h"
#include "ProgramFolder.h"
#include "SettingsFile.h"
#include "WorkdaysFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void setMode(const QString &path, mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }

// What `nobody`, an ordinary user, gets from a command run on the path: true when it succeeds.
// Empty when no other user can be taken on (the tests run as an ordinary user themselves).
std::optional<bool> asAnotherUser(const QStringList &command)
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                   QStringLiteral("--clear-groups"), QStringLiteral("--")}
                                           + command);
    if (!p.waitForFinished(10000))
        return std::nullopt;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class PrivateFilesTest : public ProgramFolderTest {
protected:
    PrivateFilesTest()
    {
        // The program folder as a shared place would have it: open to all, so that only the
        // program's own modes stand between the notes and the neighbours.
        setMode(home(), 0755);
        QDir(home()).rmdir(QStringLiteral("Data"));
    }
};

TEST_F(PrivateFilesTest, WhatTheProgramWritesIsItsOwnersAlone)
{
    ASSERT_TRUE(privatefiles::MakeFolder(DataDir() + "more/deeper"));
    ASSERT_TRUE(loginfile::WritePassword("secret", "secret"));
    ASSERT_TRUE(settings::Write(DataDir() + "FormSize.ini", {"1", "906", "540", "0", "0", "6"}));
    ASSERT_TRUE(workdaysfile::Write(workdaysfile::Path(), "2027-10-01\t休\t国庆节\n"));
    // A file another user could read before is narrowed when it is written again.
    writeFile(DataDir() + "SetTrans.ini", "0\r\n");
    setMode(DataDir() + "SetTrans.ini", 0644);
    ASSERT_TRUE(settings::Write(DataDir() + "SetTrans.ini", {"1"}));

    for (const QString &dir : {DataDir(), DataDir() + "more", DataDir() + "more/deeper"})
        EXPECT_EQ(modeOf(dir), 0700u) << dir.toStdString();
    for (const QString &file : {loginfile::Path(), DataDir() + "FormSize.ini", workdaysfile::Path(),
                                DataDir() + "SetTrans.ini"})
        EXPECT_EQ(modeOf(file), 0600u) << file.toStdString();

    const std::optional<bool> listed = asAnotherUser({"ls", DataDir()});
    if (!listed)
        GTEST_SKIP() << "no other user to try with: the test does not run as root";
    EXPECT_FALSE(*listed) << "another user lists the Data folder";
    // Even with the folder open to passers-by, the files themselves stay shut.
    setMode(DataDir(), 0711);
    EXPECT_EQ(asAnotherUser({"true"}), true) << "the other user runs commands at all";
    for (const QString &file : {loginfile::Path(), DataDir() + "FormSize.ini", DataDir() + "SetTrans.ini"})
        EXPECT_EQ(asAnotherUser({"cat", file}), false) << file.toStdString();
}

TEST_F(PrivateFilesTest, OpenFilesAreNarrowedAtStartAndNamed)
{
    QDir().mkpath(DataDir());
    setMode(DataDir(), 0755);
    writeFile(DataDir() + "UserData.mdb", "notes");
    writeFile(DataDir() + "loginstr.db", "secret\r\nsecret\r\n-1\r\n");
    writeFile(DataDir() + "FormSize.ini", "1\r\n");
    setMode(DataDir() + "UserData.mdb", 0664);
    setMode(DataDir() + "loginstr.db", 0444); // read-only to its owner too: stays so for the owner
    setMode(DataDir() + "FormSize.ini", 0600);

    const QStringList names = privatefiles::TightenDataFolder();
    EXPECT_EQ(names, QStringList({"Data", "loginstr.db", "UserData.mdb"}));
    EXPECT_EQ(modeOf(DataDir()), 0700u);
    EXPECT_EQ(modeOf(DataDir() + "UserData.mdb"), 0600u);
    EXPECT_EQ(modeOf(DataDir() + "loginstr.db"), 0400u);
    EXPECT_EQ(fileBytes(DataDir() + "UserData.mdb"), QByteArray("notes")) << "contents untouched";
    const QString notice = privatefiles::TightenedNotice(names);
    for (const QString &name : names)
        EXPECT_TRUE(notice.contains(name)) << notice.toStdString();
    // Once narrowed, nothing is left to say.
    EXPECT_EQ(privatefiles::TightenDataFolder(), QStringList());
    EXPECT_EQ(privatefiles::TightenedNotice({}), QString());

    setMode(DataDir(), 0711);
    const std::optional<bool> read = asAnotherUser({"cat", DataDir() + "UserData.mdb"});
    if (!read)
        GTEST_SKIP() << "no other user to try with: the test does not run as root";
    EXPECT_FALSE(*read);
}

} // namespace
