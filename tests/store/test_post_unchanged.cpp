// Posting what a row already holds leaves the file as it is; anything else is written.
#include "store_fixture.h"
#include "SqliteStatement.h"
#include "uDM.h"

#include <QBuffer>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

void post(TDM &dm, const QString &key, QByteArray content, const QString &bak)
{
    dm.RunLookup(key);
    ASSERT_EQ(dm.qryData.RecordCount(), 1);
    QBuffer stream(&content);
    stream.open(QIODevice::ReadOnly);
    dm.qryData.Edit();
    dm.qryData.SetContentFromStream(stream);
    dm.qryData.SetContentBak(bak);
    dm.qryData.Post();
}

TEST(PostUnchanged, AnIdenticalRowIsNotRewritten)
{
    TempProgramDir home;
    TDM dm;
    DMMessageSink = nullptr;
    ASSERT_TRUE(dm.ConnectDatabase());
    dm.RunInsert("20100601");
    const auto changes = [&] { return sqlite3_total_changes(dm.AdoCon->handle()); };

    int before = changes();
    post(dm, "20100601", QByteArray(), QString()); // the new row's columns are null: written
    EXPECT_EQ(changes(), before + 1);
    before = changes();
    post(dm, "20100601", QByteArray(), QString()); // now an empty blob and an empty text: the same
    EXPECT_EQ(changes(), before);

    const QByteArray big(200000, 'x');
    post(dm, "20100601", big, "bak");
    EXPECT_EQ(changes(), before + 1);
    post(dm, "20100601", big, "bak");
    EXPECT_EQ(changes(), before + 1);
    post(dm, "20100601", big, "bak2"); // the plain text alone differs
    EXPECT_EQ(changes(), before + 2);
    QByteArray other = big;
    other[199999] = 'y'; // one byte at the very end
    post(dm, "20100601", other, "bak2");
    EXPECT_EQ(changes(), before + 3);

    dm.RunLookup("20100601");
    EXPECT_EQ(dm.qryData.ReadContent(), other);
}

} // namespace
