// Data/loginstr.db read and written as files, without the windows.
#include "base_fixture.h"

#include "LoginFile.h"

#include <QFile>

namespace {

class LoginFileTest : public ProgramFolderTest {
protected:
    void writeLogin(const QByteArray &bytes) const { writeFile(loginfile::Path(), bytes); }
    void copyLogin(const QString &fixture) const
    {
        QFile f(QStringLiteral(TAVI_TEST_DATA "/lock/") + fixture);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fixture.toStdString();
        writeLogin(f.readAll());
    }
    std::optional<QByteArray> loginBytes() const { return fileBytes(loginfile::Path()); }
};

} // namespace

TEST_F(LoginFileTest, FileIsRewrittenWholeWithCrLf)
{
    writeLogin("a much longer old password\r\nsame\r\n-1\r\nstray fourth line\r\n");
    ASSERT_TRUE(loginfile::WritePassword(QStringLiteral("pw"), QStringLiteral("pw")));
    EXPECT_EQ(loginBytes(), QByteArray("pw\r\npw\r\n-1\r\n"));
    ASSERT_TRUE(loginfile::WriteNoPassword());
    EXPECT_EQ(loginBytes(), QByteArray("QZKVT4817306\r\nQZKVT4817306\r\n0\r\n"));
}

TEST_F(LoginFileTest, LineZeroReadsAsStored)
{
    copyLogin(QStringLiteral("trailing_blanks.db"));
    QString line0;
    ASSERT_EQ(loginfile::ReadLine0(line0), settings::Status::Ok);
    EXPECT_EQ(line0, "open sesame  ");
    EXPECT_FALSE(loginfile::IsNoPassword(line0));

    copyLogin(QStringLiteral("gbk_password.db"));
    ASSERT_EQ(loginfile::ReadLine0(line0), settings::Status::Ok);
    EXPECT_EQ(line0, QString::fromUtf8("周记2010"));
}

TEST_F(LoginFileTest, MarkerIsRecognisedOnlyExactly)
{
    EXPECT_TRUE(loginfile::IsNoPassword(QStringLiteral("QZKVT4817306")));
    for (const char *other : {"qzkvt4817306", "QZKVT4817306 ", " QZKVT4817306", "QZKVT481730", "QZKVT48173066", ""})
        EXPECT_FALSE(loginfile::IsNoPassword(QString::fromLatin1(other))) << other;
}

TEST_F(LoginFileTest, FileStatusesAtStartUp)
{
    QString line0;
    EXPECT_EQ(loginfile::ReadLine0(line0), settings::Status::NoFile);
    writeLogin("");
    EXPECT_EQ(loginfile::ReadLine0(line0), settings::Status::NoLine);
    writeLogin("\r\n");
    EXPECT_EQ(loginfile::ReadLine0(line0), settings::Status::Ok);
    EXPECT_EQ(line0, "");
}
