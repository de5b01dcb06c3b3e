// Pasting into a note box: what the box shows after a paste is what it shows again after
// its note is written and read back, and pictures are bounded.
#include "NoteBox.h"
#include "NotePaste.h"
#include "RtfCodec.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextImageFormat>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

QImage picture(int w, int h, QColor c = QColor(30, 120, 200))
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The pictures of a box: shown size and the pixel size of what is stored.
std::vector<std::pair<QSizeF, QSize>> picturesOf(const QTextDocument &doc)
{
    std::vector<std::pair<QSizeF, QSize>> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            const QTextImageFormat img = f.toImageFormat();
            const QByteArray bytes =
                doc.resource(rtf::PictureBytesResource, rtf::PictureBytesName(img.name())).toByteArray();
            for (int i = 0; i < it.fragment().length(); ++i)
                out.push_back({QSizeF(img.width(), img.height()), QImage::fromData(bytes).size()});
        }
    return out;
}

struct PasteCase {
    const char *name;
    std::function<QMimeData *(const QString &dir)> source;
    QString plain; // the box's plain text after the paste
    std::vector<std::pair<QSizeF, QSize>> pictures;
};

QMimeData *html(const QString &h)
{
    auto *m = new QMimeData;
    m->setHtml(h);
    return m;
}

QString dataUri(const QImage &img) { return "data:image/png;base64," + QString::fromLatin1(encoded(img, "PNG").toBase64()); }

std::vector<PasteCase> cases()
{
    return {
        {"HtmlTableAndDataPicture",
         [](const QString &) {
             return html("<html><body><!--StartFragment--><p>before <img src=\"" + dataUri(picture(40, 20))
                         + "\"> after</p><table><tr><td>A</td><td>B <b>b</b></td></tr>"
                           "<tr><td colspan=2>wide</td></tr></table><!--EndFragment--></body></html>");
         },
         QStringLiteral("before  after\r\nA\tB b\r\nwide\t"), {{QSizeF(40, 20), QSize(40, 20)}}},
        {"HtmlOfABrowserStartsAtItsFirstLine",
         [](const QString &) {
             return html(QString::fromUtf8("<meta charset='utf-8'><p style=\"margin-top:0\">第一行</p><p>第二行</p>"));
         },
         QString::fromUtf8("第一行\r\n第二行"), {}},
        {"HtmlOfAnEditorStartsAtItsFirstLine",
         [](const QString &) {
             return html(QString::fromUtf8("<html><head><meta http-equiv=\"content-type\" content=\"text/html; "
                                           "charset=utf-8\"></head><body>\n<!--StartFragment--><div>第一行</div>"
                                           "<div>第二行</div><!--EndFragment-->\n</body></html>"));
         },
         QString::fromUtf8("第一行\r\n第二行"), {}},
        {"PictureFileTooWideForTheBox",
         [](const QString &dir) {
             picture(3000, 1500).save(dir + "/big.png");
             return html("<img src=\"file://" + dir + "/big.png\" width=\"900\">x");
         },
         QStringLiteral("x"), {{QSizeF(210, 105), QSize(1024, 512)}}}, // the box's text width
        {"NoDeviceNoAddressNoLeftovers",
         [](const QString &) {
             return html(QString::fromUtf8("<img src=\"file:///dev/zero\"><img src=\"http://example.invalid/a.png\">"
                                           "<ul><li>one</li><li>two</li></ul><ol><li>x\xef\xbf\xbcy</li></ol>"));
         },
         QString::fromUtf8("• one\r\n• two\r\n1. xy"), {}},
        {"BrowserPictureBesideItsAddress",
         [](const QString &) {
             QMimeData *m = html("<img src=\"https://example.invalid/cat.jpg\">");
             m->setImageData(picture(30, 10));
             return m;
         },
         QString(), {{QSizeF(30, 10), QSize(30, 10)}}},
        {"ImageOnly",
         [](const QString &) {
             auto *m = new QMimeData;
             m->setImageData(picture(8, 8));
             return m;
         },
         QString(), {{QSizeF(8, 8), QSize(8, 8)}}},
        {"RtfOfAWordProcessor",
         [](const QString &) {
             auto *m = new QMimeData;
             m->setData("text/rtf", "{\\rtf1\\ansi r1\\cell r2\\cell\\row {\\pict\\pngblip\\picwgoal300\\pichgoal150 "
                                        + encoded(picture(20, 10), "PNG").toHex() + "}\\par}");
             m->setHtml("<p>not this</p>");
             return m;
         },
         QStringLiteral("r1\tr2\t\r\n"), {{QSizeF(20, 10), QSize(20, 10)}}},
        {"PlainTextWithObjectAndControlCharacters",
         [](const QString &) {
             auto *m = new QMimeData;
             m->setText(QString::fromUtf8("a\xef\xbf\xbc\x01" "b\r\nc\td"));
             return m;
         },
         QStringLiteral("ab\r\nc\td"), {}},
    };
}

class PasteTest : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteTest, WhatIsShownIsWhatIsStored)
{
    QTemporaryDir dir;
    TNoteBox box;
    box.resize(220, 200);
    box.show();
    QMimeData *source = GetParam().source(dir.path());
    ASSERT_TRUE(notepaste::CanInsert(source));
    // The box's own paste road: the clipboard's data reach insertFromMimeData.
    QApplication::clipboard()->setMimeData(source);
    box.setFocus();
    box.paste();
    EXPECT_EQ(box.PlainText(), GetParam().plain);
    EXPECT_FALSE(box.PlainText().contains(QChar::ObjectReplacementCharacter));
    EXPECT_EQ(picturesOf(*box.document()), GetParam().pictures);

    // Written and read again, the note shows the same.
    TNoteBox again;
    again.LoadFromBytes(box.RtfContent());
    EXPECT_EQ(again.document()->toPlainText(), box.document()->toPlainText());
    EXPECT_EQ(picturesOf(*again.document()), GetParam().pictures);
}

INSTANTIATE_TEST_SUITE_P(NoteBox, PasteTest, ::testing::ValuesIn(cases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PasteLimits, PicturesAreBoundedOneByOneAndPerPaste)
{
    notepaste::Limits limits;
    limits.maxSide = 300;
    limits.maxPictureBytes = 60 * 1024;
    limits.maxPasteBytes = 100 * 1024;
    // Noise does not compress: scaled to the side's bound, it is stored as a JPEG within the bound.
    QImage noise(600, 450, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x ^ y) & 255));
    QSize pixels;
    const QByteArray stored = notepaste::BoundedPicture(encoded(noise, "PNG"), limits, &pixels);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_LE(stored.size(), limits.maxPictureBytes);
    EXPECT_GT(stored.size(), limits.maxPasteBytes / 4) << "so that four do not fit in one paste";
    EXPECT_EQ(rtf::PictureKind(stored), "jpeg");
    EXPECT_EQ(pixels, QSize(300, 225));
    EXPECT_TRUE(notepaste::BoundedPicture(QByteArray(limits.maxSourceBytes + 1, 'x'), limits).isEmpty());
    EXPECT_TRUE(notepaste::BoundedPicture("not a picture", limits).isEmpty());

    // Six such pictures in one paste: only what fits the paste's bound is kept.
    QString h;
    const QString uri = "data:image/png;base64," + QString::fromLatin1(encoded(noise, "PNG").toBase64());
    for (int i = 0; i < 6; ++i)
        h += "<img src=\"" + uri + "\">";
    QMimeData m;
    m.setHtml(h);
    QTextDocument doc;
    QTextCursor c(&doc);
    notepaste::Insert(&m, c, limits);
    EXPECT_EQ(picturesOf(doc).size(), size_t(limits.maxPasteBytes / stored.size()));
}

} // namespace
