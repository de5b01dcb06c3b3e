// The real clipboard under an X server: another program (xclip) offers an HTML fragment
// with a picture and a table; the paste command puts it into a note box, the week saves,
// and a window built anew from the database shows the picture and the table's text.
#include "../store/store_fixture.h"

#include "Clock.h"
#include "Dialogs.h"
#include "NoteBox.h"
#include "RtfCodec.h"
#include "uDM.h"
#include "WeekNotes.h"
#include "uMain.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextImageFormat>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tdt;

namespace {

QString storedPlain(const QString &db, const char *key)
{
    sqlite3 *h = nullptr;
    sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "select ContentBak from tb_NewTavi where YearMonthStr = ?1", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, key, -1, SQLITE_STATIC);
    QString r;
    if (sqlite3_step(st) == SQLITE_ROW)
        r = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close_v2(h);
    return r;
}

QImage shownPicture(const QTextDocument &doc, QSizeF *size)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat f = it.fragment().charFormat().toImageFormat();
                *size = QSizeF(f.width(), f.height());
                return doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
            }
    return {};
}

TEST(RealClipboard, APastedPictureAndTableSurviveAWindowBuiltAnewFromTheDatabase)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "xclip is not installed";

    TempProgramDir home;
    platform::SetNow(EncodeDateTime(2010, 6, 1, 9, 5, 0));
    dialogs::SetScripted(true);
    DMMessageSink = nullptr;
    TDM dm;
    ASSERT_TRUE(dm.ConnectDatabase());
    DM = &dm;

    // A picture file of two halves, red and blue, named by a file address in the fragment.
    QImage picture(48, 24, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 24; ++y)
        for (int x = 24; x < 48; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    const QString pictureFile = home.path() + QStringLiteral("pasted.png");
    ASSERT_TRUE(picture.save(pictureFile));
    const QString html = QStringLiteral("<html><body><p>图：<img src=\"file://%1\"></p><table border=1>"
                                        "<tr><td>甲</td><td>乙</td></tr><tr><td>1</td><td>2</td></tr>"
                                        "</table></body></html>")
                             .arg(pictureFile);
    const QString htmlFile = home.path() + QStringLiteral("fragment.html");
    {
        QFile f(htmlFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html.toUtf8());
    }
    // xclip stays behind as the clipboard's owner until another program takes it.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "text/html", "-i", htmlFile});
    ASSERT_TRUE(xclip.waitForFinished(10000));
    bool offered = false;
    for (int i = 0; i < 100 && !offered; ++i) {
        QTest::qWait(50);
        const QMimeData *m = QApplication::clipboard()->mimeData();
        offered = m && m->hasHtml() && m->html().contains(QStringLiteral("甲"));
    }
    ASSERT_TRUE(offered) << "the clipboard does not offer xclip's fragment";

    auto frm = std::make_unique<TMainFrm>();
    frm->terminate = [] {};
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->redt[1]->setFocus();
    QApplication::processEvents();
    frm->N2Click(); // "粘贴"
    const QString expected = QStringLiteral("图：\r\n甲\t乙\r\n1\t2");
    EXPECT_EQ(frm->redt[1]->PlainText(), expected);
    QSizeF size;
    ASSERT_FALSE(shownPicture(*frm->redt[1]->document(), &size).isNull()) << "the picture is not shown";
    frm->weekNotes().WaitForWriter();
    EXPECT_EQ(storedPlain(home.dbPath(), "20100601"), expected) << "no object character in the plain text";

    // The window again, from the database only.
    frm.reset();
    frm = std::make_unique<TMainFrm>();
    frm->terminate = [] {};
    EXPECT_EQ(frm->redt[1]->PlainText(), expected);
    const QImage again = shownPicture(*frm->redt[1]->document(), &size);
    ASSERT_EQ(again.size(), QSize(48, 24));
    EXPECT_EQ(size, QSizeF(48, 24));
    EXPECT_EQ(QColor(again.pixel(5, 12)), QColor(Qt::red));
    EXPECT_EQ(QColor(again.pixel(40, 12)), QColor(Qt::blue));

    // Taking the clipboard back ends xclip.
    QApplication::clipboard()->setText(QStringLiteral("done"));
    frm.reset();
    DM = nullptr;
    platform::SetNow(std::nullopt);
    dialogs::SetScripted(false);
}

} // namespace
