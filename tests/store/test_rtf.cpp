// The RTF writer and reader: round trips, the bytes written, and what other programs write.
#include "RtfCodec.h"
#include "rtf_support.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QTextBlock>
#include <QTextImageFormat>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Fonts need an application object; the plain store tests run without one.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "store_tests";
        static char *argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QGuiApplication *m_app = nullptr;
};
[[maybe_unused]] auto *const gEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

QString u8(const char *s) { return QString::fromUtf8(s); }

QTextCharFormat fmt(std::function<void(QTextCharFormat &)> set)
{
    QTextCharFormat f;
    set(f);
    return f;
}

// A document built from paragraphs of (text, format) pieces.
struct Piece {
    QString text;
    QTextCharFormat format;
};
using Para = std::vector<Piece>;

void build(QTextDocument &doc, const std::vector<Para> &paras)
{
    PrepareNoteDocument(doc);
    QTextCursor c(&doc);
    for (size_t i = 0; i < paras.size(); ++i) {
        if (i > 0)
            c.insertBlock();
        for (const Piece &p : paras[i])
            c.insertText(p.text, p.format);
    }
}

Look roundTrip(const QTextDocument &doc, QByteArray *bytes = nullptr)
{
    const QByteArray rtf = rtf::Write(doc);
    if (bytes)
        *bytes = rtf;
    QTextDocument back;
    PrepareNoteDocument(back);
    EXPECT_TRUE(rtf::Read(rtf, back));
    return LookOf(back);
}

Look readRtf(const QByteArray &rtf)
{
    QTextDocument doc;
    PrepareNoteDocument(doc);
    EXPECT_TRUE(rtf::Read(rtf, doc));
    return LookOf(doc);
}

QString plainOf(const QByteArray &rtf)
{
    QTextDocument doc;
    PrepareNoteDocument(doc);
    rtf::Load(rtf, doc);
    return doc.toPlainText();
}

// --- round trips -----------------------------------------------------------------

struct RoundTripCase {
    const char *name;
    std::vector<Para> paras;
};

std::vector<RoundTripCase> roundTripCases()
{
    const auto bold = fmt([](QTextCharFormat &f) { f.setFontWeight(QFont::Bold); });
    const auto italic = fmt([](QTextCharFormat &f) { f.setFontItalic(true); });
    const auto under = fmt([](QTextCharFormat &f) { f.setFontUnderline(true); });
    const auto strike = fmt([](QTextCharFormat &f) { f.setFontStrikeOut(true); });
    const auto all = fmt([](QTextCharFormat &f) {
        f.setFontWeight(QFont::Bold);
        f.setFontItalic(true);
        f.setFontUnderline(true);
        f.setFontStrikeOut(true);
    });
    const auto red = fmt([](QTextCharFormat &f) { f.setForeground(QColor(255, 0, 0)); });
    const auto marker = fmt([](QTextCharFormat &f) {
        f.setForeground(QColor(255, 0, 255));
        f.setBackground(QColor(0, 0, 255));
    });
    const auto hei30 = fmt([](QTextCharFormat &f) {
        f.setFontFamilies({u8("黑体")});
        f.setProperty(QTextFormat::FontPixelSize, 30);
    });
    const auto arial = fmt([](QTextCharFormat &f) {
        f.setFontFamilies({QStringLiteral("Arial")});
        f.setFontPointSize(11.5);
    });
    const auto courier = fmt([](QTextCharFormat &f) {
        f.setFontFamilies({QStringLiteral("Courier New")});
        f.setFontFixedPitch(true);
        f.setFontPointSize(20);
    });
    const auto yahei = fmt([](QTextCharFormat &f) { f.setFontFamilies({u8("微软雅黑")}); });
    const QTextCharFormat none;
    return {
        {"Ascii", {{{"Hello, world", none}}}},
        {"EmptyDocument", {{}}},
        {"ParagraphsWithEmptyOnes", {{{"one", none}}, {}, {{"three", none}}, {}}},
        {"Chinese", {{{u8("今天是 2010年6月1日(二)，下午三点开会。"), none}}, {{u8("√×█　全角空格"), none}}}},
        {"OutsideGbk", {{{u8("한국어 😀 ₩ ê ĉ ǹ"), none}}}},
        {"Specials", {{{u8("a\\b{c}d\te f\u2028g h\u00a0i ~"), none}}}},
        {"Styles",
         {{{"b", bold}, {"i", italic}, {"u", under}, {"s", strike}, {"all", all}, {u8("粗体"), bold}, {"x", none}}}},
        {"FacesAndSizes",
         {{{u8("黑体三十"), hei30}, {"Arial", arial}, {"mono", courier}, {u8("雅黑"), yahei}, {u8("宋体"), none}}}},
        {"Colours", {{{u8("红字"), red}, {"plain", none}, {u8("标注"), marker}}}},
        {"FormatsAcrossParagraphs", {{{u8("红"), red}}, {{u8("还是红"), red}, {"bold", bold}}, {{"x", none}}}},
    };
}

class RtfRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RtfRoundTrip, ReadingWhatWasWrittenGivesTheSameDocument)
{
    QTextDocument doc;
    build(doc, GetParam().paras);
    QByteArray bytes;
    EXPECT_EQ(roundTrip(doc, &bytes), LookOf(doc)) << bytes.constData();
    // Our own reading of it writes the very same bytes again.
    QTextDocument back;
    PrepareNoteDocument(back);
    ASSERT_TRUE(rtf::Read(bytes, back));
    EXPECT_EQ(rtf::Write(back), bytes);
    // Seven-bit bytes only, as the control writes them.
    for (const char c : bytes)
        ASSERT_LT(uint8_t(c), 0x80);
}

INSTANTIATE_TEST_SUITE_P(Documents, RtfRoundTrip, ::testing::ValuesIn(roundTripCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RtfWriter, WritesWhatTheWindowsControlWrites)
{
    QTextDocument doc;
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    build(doc, {{{u8("今天"), QTextCharFormat()}, {u8("√"), red}, {"Ab", bold}, {u8("😀한"), QTextCharFormat()}}});
    const QByteArray rtf = rtf::Write(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}"));
    EXPECT_TRUE(rtf.contains("\\uc1"));
    EXPECT_TRUE(rtf.contains("\\fs23"));
    EXPECT_TRUE(rtf.contains("\\'bd\\'f1\\'cc\\'ec\\cf1 \\'a1\\'cc\\cf0\\b Ab"));
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?\\u-10916?"));
    EXPECT_TRUE(rtf.endsWith("\\par\r\n}\r\n"));
    EXPECT_EQ(rtf::Write(doc), rtf); // the same document, the same bytes
}

TEST(RtfWriter, LatinFacesUseTheWesternCodePage)
{
    QTextDocument doc;
    QTextCharFormat arial;
    arial.setFontFamilies({QStringLiteral("Arial")});
    build(doc, {{{u8("café 中"), arial}}});
    const QByteArray rtf = rtf::Write(doc);
    EXPECT_TRUE(rtf.contains("{\\f1\\fnil\\fcharset0 Arial;}"));
    EXPECT_TRUE(rtf.contains("caf\\'e9 \\u20013?"));
    EXPECT_EQ(LookOf(doc), readRtf(rtf));
}

// Text and the bytes of its font's code page, both ways.
struct CodePageCase {
    const char *face;
    int charset;
    const char *text; // UTF-8
    const char *bytes; // as written between the formatting words
};

const CodePageCase kCodePages[] = {
    {"宋体", 134, "今天是 2010年6月1日(二)",
     "\\'bd\\'f1\\'cc\\'ec\\'ca\\'c7 2010\\'c4\\'ea6\\'d4\\'c21\\'c8\\'d5(\\'b6\\'fe)"},
    {"宋体", 134, "√×█", "\\'a1\\'cc\\'a1\\'c1\\'a8\\'80"},
    {"宋体", 134, "한", "\\u-10916?"}, // not in GBK
    {"Arial", 0, "café€", "caf\\'e9\\'80"},
    {"Arial", 204, "Привет", "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2"},
    {"Arial", 161, "αβγ", "\\'e1\\'e2\\'e3"},
};

TEST(RtfCodePages, TextAndBytesBothWays)
{
    for (const CodePageCase &c : kCodePages) {
        SCOPED_TRACE(c.text);
        QTextCharFormat f;
        f.setFontFamilies({u8(c.face)});
        f.setProperty(rtf::CharsetProperty, c.charset);
        QTextDocument doc;
        build(doc, {{{u8(c.text), f}}});
        const QByteArray written = rtf::Write(doc);
        EXPECT_TRUE(written.contains(QByteArray(" ") + c.bytes + "\\par")) << written.constData();

        const QByteArray read = QByteArray("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset")
                                + QByteArray::number(c.charset) + " X;}}\\f0 " + c.bytes + "\\par}";
        EXPECT_EQ(plainOf(read), u8(c.text));
    }
}

// --- documents of the Windows control ----------------------------------------------

TEST(RtfReader, ReadsAWeekNoteOfTheWindowsControl)
{
    const Look look = readRtf(ReadFixture("richedit_week.rtf"));
    ASSERT_EQ(look.size(), 6u);
    auto text = [&](size_t b) {
        QString t;
        for (const LookRun &r : look[b])
            t += r.text;
        return t;
    };
    EXPECT_EQ(text(0), u8("今天是 2010年6月1日(二)"));
    EXPECT_EQ(text(1), u8("重要: 下午三点开会 Room 3"));
    EXPECT_EQ(text(2), u8("█记得买菜 √×"));
    EXPECT_EQ(text(3), u8("会议 会议 会议 한😀"));
    EXPECT_EQ(text(4), QString());
    EXPECT_EQ(text(5), u8("end"));

    const LookRun &first = look[0][0];
    EXPECT_EQ(first.face, u8("宋体"));
    EXPECT_EQ(first.size, "pt11");
    EXPECT_FALSE(first.fg.isValid());
    const LookRun &important = look[1][0];
    EXPECT_EQ(important.text, u8("重要"));
    EXPECT_EQ(important.face, u8("黑体"));
    EXPECT_EQ(important.size, "pt16");
    EXPECT_TRUE(important.bold);
    EXPECT_EQ(important.fg, QColor(255, 0, 0));
    EXPECT_FALSE(look[1][1].bold);
    EXPECT_EQ(look[1].back().text, "Room 3");
    EXPECT_EQ(look[1].back().face, "Arial");
    EXPECT_EQ(look[2][0].text, u8("█"));
    EXPECT_EQ(look[2][0].fg, QColor(0, 0, 255));
    ASSERT_GE(look[3].size(), 5u);
    EXPECT_TRUE(look[3][0].italic);
    EXPECT_TRUE(look[3][2].underline);
    EXPECT_TRUE(look[3][4].strike);
    EXPECT_EQ(look[5][0].fg, QColor(255, 0, 255));
    EXPECT_EQ(look[5][0].bg, QColor(0, 0, 255));
}

TEST(RtfReader, ReadsPlainResetsTabsLineBreaksAndAMissingFinalPar)
{
    QTextDocument doc;
    PrepareNoteDocument(doc);
    ASSERT_TRUE(rtf::Read(ReadFixture("richedit_plain.rtf"), doc));
    EXPECT_EQ(doc.toPlainText(), u8("一\t二\n三\ncode 后"));
    const Look look = LookOf(doc);
    ASSERT_EQ(look.size(), 2u);
    EXPECT_EQ(look[0][0].size, "pt9");
    EXPECT_EQ(look[0][0].fg, QColor(0, 0, 0)); // this colour table has no empty first entry
    EXPECT_EQ(look[1][0].text, "code");
    EXPECT_EQ(look[1][0].face, "Courier New");
    EXPECT_TRUE(look[1][0].bold);
    EXPECT_EQ(look[1][0].fg, QColor(0, 128, 0));
    EXPECT_FALSE(look[1][1].bold); // \plain
    EXPECT_EQ(look[1][1].face, u8("宋体"));
}

TEST(RtfReader, ReadsOtherCodePagesFromCharsetAndCpg)
{
    EXPECT_EQ(plainOf(ReadFixture("codepages.rtf")), u8("café Привет 日本語 繁體 αβγ"));
    QTextDocument doc;
    ASSERT_TRUE(rtf::Read(ReadFixture("codepages.rtf"), doc));
    // The Japanese face name itself is in its own code page.
    bool found = false;
    for (const LookBlock &b : LookOf(doc))
        for (const LookRun &r : b)
            found = found || r.face == u8("ＭＳ 明朝");
    EXPECT_TRUE(found);
}

// --- documents of other programs -------------------------------------------------------

struct FixtureCase {
    const char *file;
    const char *text; // UTF-8, as plain text
};

const FixtureCase kFixtures[] = {
    {"richedit_week.rtf", "今天是 2010年6月1日(二)\n重要: 下午三点开会 Room 3\n█记得买菜 √×\n会议 会议 会议 한😀\n\nend"},
    {"richedit_plain.rtf", "一\t二\n三\ncode 后"},
    {"codepages.rtf", "café Привет 日本語 繁體 αβγ"},
    // LibreOffice Writer's own document (saved from HTML), with \uN and double-byte fallbacks.
    {"libreoffice_note.rtf", "今天是 2010年6月1日(二)\n重要: 下午三点开会 Room 3\n█记得买菜 √×\n第二行\n会议 会议 会议 한😀"},
    // A numbered list and a table.
    {"libreoffice_list.rtf", "清单：\n 1.\t第一项\n 2.\t第二项\n周一\t开会\t\n周二\t出差\t\n完"},
    // Our own document as LibreOffice read it and saved it again.
    {"libreoffice_resave.rtf",
     "今天是 2010年6月1日(二)\n重要: 下午三点开会 Room 3\n█记得买菜 √×\n第二行\n会议 会议 会议 한😀 a\\b{c}\td"},
    {"pandoc_note.rtf", "今天是 2010年6月1日(二)\n重要: 下午三点开会 Room 3\n█记得买菜 √×\n第二行\n会议 会议 代码 한😀\n•\t第一项\n•\t第二项"},
};

class RtfFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(RtfFixture, LoadsWithTheRightText)
{
    const QByteArray bytes = ReadFixture(GetParam().file);
    ASSERT_FALSE(bytes.isEmpty()) << GetParam().file;
    EXPECT_EQ(plainOf(bytes), u8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Programs, RtfFixture, ::testing::ValuesIn(kFixtures), [](const auto &info) {
    std::string n = info.param.file;
    return n.substr(0, n.find('.'));
});

// The run of a document that holds the text.
LookRun runWith(const Look &look, const QString &text)
{
    for (const LookBlock &b : look)
        for (const LookRun &r : b)
            if (r.text == text)
                return r;
    ADD_FAILURE() << "no run " << text.toStdString();
    return LookRun();
}

TEST(RtfReader, KeepsTheFormattingOfLibreOfficeAndPandoc)
{
    // LibreOffice gives Chinese runs their size, face and weight through \dbch\afs\af\ab.
    const Look lo = readRtf(ReadFixture("libreoffice_note.rtf"));
    const LookRun important = runWith(lo, u8("重要"));
    EXPECT_TRUE(important.bold);
    EXPECT_EQ(important.size, "pt16");
    EXPECT_EQ(important.fg, QColor(255, 0, 0));
    EXPECT_EQ(runWith(lo, u8("█")).fg, QColor(0, 0, 255));
    EXPECT_TRUE(runWith(lo, u8("会议")).italic);
    EXPECT_EQ(runWith(lo, "Room 3").face, "Arial");

    const Look again = readRtf(ReadFixture("libreoffice_resave.rtf"));
    const LookRun big = runWith(again, u8("重要"));
    EXPECT_TRUE(big.bold);
    EXPECT_EQ(big.size, "pt18"); // our 24 pixels
    EXPECT_EQ(big.fg, QColor(255, 0, 0));
    EXPECT_EQ(runWith(again, "Room 3").size, "pt12");

    const Look pd = readRtf(ReadFixture("pandoc_note.rtf"));
    EXPECT_TRUE(runWith(pd, u8("重要")).bold);
    EXPECT_EQ(runWith(pd, u8("代码")).face, "Courier");
    EXPECT_EQ(runWith(pd, u8("会议")).face, "Helvetica");
}

// --- small documents, one feature each ------------------------------------------------

struct ReadCase {
    const char *name;
    const char *rtf;
    const char *text; // UTF-8, paragraphs joined by '\n'
};

const ReadCase kReadCases[] = {
    {"UnicodeWithFallback", R"({\rtf1\ansi\uc1 a\u20320?\u22909?b})", "a你好b"},
    {"UcTwoSkipsAGbkPair", R"({\rtf1\ansi\ansicpg936\uc2 \u20320\'c4\'e3\u22909\'ba\'c3!})", "你好!"},
    {"UcZeroSkipsNothing", R"({\rtf1\ansi\uc0 \u20320 x})", "你x"},
    {"UcIsScopedByGroups", R"({\rtf1\ansi\uc1{\uc3 \u20320 abcd}\u22909 ef})", "你d好f"},
    {"FallbackEndsAtABrace", R"({\rtf1\ansi\uc4 \u20320 a{b}c})", "你bc"},
    {"NegativeUnicodeAndSurrogates", R"({\rtf1\ansi\u-10916?\u-10179?\u-8704?})", "한😀"},
    {"ParLineTab", R"({\rtf1 a\par b\line c\tab d\par})", "a\nb\nc\td"},
    {"BackslashNewlineIsPar", "{\\rtf1 a\\\nb\\\r\nc}", "a\nb\nc"},
    {"OnlyTheLastParIsDropped", R"({\rtf1 a\par\par\par})", "a\n\n"},
    {"EscapedSymbols", R"({\rtf1 \\ \{ \} a\~b\_c\-d})", "\\ { } a b\u2011cd"}, // plain text shows a no-break space as a blank
    {"NamedCharacters", R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})", "—–•‘’“”"},
    {"IgnorableDestinationSkipped", R"({\rtf1 a{\*\foo secret {nested} more}b})", "ab"},
    {"KnownDestinationsSkipped",
     R"({\rtf1{\stylesheet{\s0 Normal;}}{\info{\title T}{\author A}}{\*\generator G;}a{\pict\pngblip 89504e47}b})",
     "a\xef\xbf\xbc" "b"}, // a picture that cannot be shown keeps its place
    {"UnknownWordsIgnored", R"({\rtf1\foo12\bar-3 a\zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz b})", "ab"},
    {"BinSkipsBracesAndBackslashes", "{\\rtf1 a{\\*\\blob\\bin6 }{\\x\\}}b}", "ab"},
    {"BinInTextIsNotText", "{\\rtf1 a\\bin3 {}\\b}", "ab"},
    {"UprTakesTheUnicodePart", R"({\rtf1\ansi{\upr{ansi}{\*\ud{\u20320?}}}})", "你"},
    {"FieldShowsItsResult",
     R"({\rtf1{\field{\*\fldinst{HYPERLINK "http://x"}}{\fldrslt{\ul link}}} after})", "link after"},
    {"FieldInstructionWithoutStar", R"({\rtf1{\field{\fldinst{ PAGE }}{\fldrslt 3}}})", "3"},
    {"HiddenTextIsNotShown", R"({\rtf1 a{\v hidden}b\v c\v0 d})", "abd"},
    {"ListTextIsKept", R"({\rtf1{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb x}}item})", "·\titem"},
    {"RawGbkBytes", "{\\rtf1\\ansi\\ansicpg936 \xc4\xe3\xba\xc3}", "你好"},
    // Bytes outside the font's code page read as U+FFFD, and so does a lead byte
    // whose second byte is a control byte.
    {"BytesOutsideShiftJis", R"({\rtf1\ansi{\fonttbl{\f0\fcharset128 X;}}\f0 \'82\'a0\'80\'a0\'81\'7f!})",
     "あ\uFFFD\uFFFD\uFFFD!"},
    {"TrailByteWrittenRaw", "{\\rtf1\\ansi\\ansicpg950{\\fonttbl{\\f0\\fcharset136 M;}}\\f0 \\'c1c}", "繁"},
    {"InvalidHexIsDropped", R"({\rtf1 a\'zzb\'4})", "azzb4"},
    {"TextAfterTheDocumentIgnored", R"({\rtf1 a}b{c})", "a"},
    {"TableCells", R"({\rtf1\trowd\cellx100\cellx200 a\cell b\cell\row c})", "a\tb\t\nc"},
    {"ControlCharactersAreNotText", "{\\rtf1 a\x01\x07\\u7?\\u0?b\x09\x7f}", "ab\t"},
    {"StructureMarksAreNotText", R"({\rtf1 a\u-560?\u-559?\u-4?b})", "ab"},
    {"PlainBeforeAnyFontTable", R"({\rtf1\plain\b a\b0 b})", "ab"},
    {"LeadingBlanksAndBom", "\xEF\xBB\xBF \r\n{\\rtf1 x}", "x"},
};

class RtfReadCase : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RtfReadCase, GivesTheText)
{
    EXPECT_EQ(plainOf(QByteArray(GetParam().rtf)), u8(GetParam().text)) << GetParam().rtf;
}

INSTANTIATE_TEST_SUITE_P(Features, RtfReadCase, ::testing::ValuesIn(kReadCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RtfReader, GroupsRestoreTheirStateAndTogglesSwitchOff)
{
    const Look look = readRtf(R"({\rtf1{\colortbl;\red0\green0\blue255;}a{\b\i\ul\strike\cf1 b}c\b d\b0 e\i f\i0 )"
                              R"(\ul g\ulnone h\ul0 i\strike j\strike0 k\cf1 l\cf0 m})");
    ASSERT_EQ(look.size(), 1u);
    std::vector<std::pair<QString, int>> seen; // text, style bits
    for (const LookRun &r : look[0])
        seen.emplace_back(r.text, r.bold * 1 + r.italic * 2 + r.underline * 4 + r.strike * 8 + r.fg.isValid() * 16);
    const std::vector<std::pair<QString, int>> expected = {{"a", 0},  {"b", 31}, {"c", 0}, {"d", 1}, {"e", 0},
                                                           {"f", 2},  {"g", 4},  {"hi", 0}, {"j", 8},
                                                           {"k", 0},  {"l", 16}, {"m", 0}};
    EXPECT_EQ(seen, expected);
}

TEST(RtfReader, AnEmptyParagraphKeepsItsFormatting)
{
    QTextDocument doc;
    PrepareNoteDocument(doc);
    ASSERT_TRUE(rtf::Read(R"({\rtf1{\fonttbl{\f0\fcharset134 \'ba\'da\'cc\'e5;}}\f0\fs40\b\par})", doc));
    EXPECT_TRUE(doc.isEmpty());
    const QFont f = doc.begin().charFormat().font();
    EXPECT_EQ(f.families().value(0), u8("黑体"));
    EXPECT_EQ(f.pointSizeF(), 20);
    EXPECT_TRUE(f.bold());
}

// --- not RTF, and empty ---------------------------------------------------------------

TEST(RtfLoad, NotRtfIsPlainTextAndEmptyIsEmpty)
{
    QTextDocument doc;
    doc.setPlainText("old");
    EXPECT_FALSE(rtf::Read("plain {\\rtf1 x}", doc));
    EXPECT_EQ(doc.toPlainText(), "old"); // untouched

    rtf::Load(QByteArray(), doc);
    EXPECT_TRUE(doc.isEmpty());
    rtf::Load(QByteArray::fromHex("bdf1ccec0d0ac3f7ccec0dbaf3ccec"), doc); // GBK, CR LF and a lone CR
    EXPECT_EQ(doc.toPlainText(), u8("今天\n明天\n后天"));
    EXPECT_EQ(doc.blockCount(), 3);
    rtf::Load(u8("今天\n明天").toUtf8(), doc);
    EXPECT_EQ(doc.toPlainText(), u8("今天\n明天"));
    rtf::Load(QByteArray("\xFF\xFE\x60\x4f\x7d\x59", 6), doc);
    EXPECT_EQ(doc.toPlainText(), u8("你好"));
    rtf::Load("{\\rtf1 x}", doc);
    EXPECT_EQ(doc.toPlainText(), "x");
}

// --- bad input ------------------------------------------------------------------------

TEST(RtfReader, EveryTruncationReadsWithoutHarm)
{
    for (const FixtureCase &fixture : kFixtures) {
        const char *name = fixture.file;
        const QByteArray full = ReadFixture(name);
        ASSERT_FALSE(full.isEmpty()) << name;
        const QString whole = plainOf(full);
        for (qsizetype n = 0; n <= full.size(); ++n) {
            QTextDocument doc;
            rtf::Load(full.left(n), doc);
            ASSERT_LE(doc.toPlainText().size(), whole.size() + 16) << name << " at " << n;
        }
    }
}

TEST(RtfReader, DeepNestingUnbalancedAndHugeInput)
{
    // A million open groups, text inside, never closed.
    QByteArray deep = "{\\rtf1 a";
    deep += QByteArray(1000000, '{');
    deep += "\\b deep";
    EXPECT_EQ(plainOf(deep), "adeep");

    // Closed again, then text after the inner groups.
    QByteArray balanced = "{\\rtf1 a" + QByteArray(5000, '{') + "b" + QByteArray(5000, '}') + "c}";
    EXPECT_EQ(plainOf(balanced), "abc");

    // More closing than opening ends the document.
    EXPECT_EQ(plainOf("{\\rtf1 a}}}}b"), "a");

    // Eight megabytes of text with formatting switches.
    QByteArray huge = "{\\rtf1\\ansi\\ansicpg936 ";
    const QByteArray chunk = "\\b x\\b0 \\'c4\\'e3\\par ";
    huge.reserve(8 << 20);
    while (huge.size() < (8 << 20))
        huge += chunk;
    QTextDocument doc;
    ASSERT_TRUE(rtf::Read(huge, doc));
    EXPECT_GT(doc.blockCount(), 300000);

    // Huge numbers and lengths.
    EXPECT_EQ(plainOf("{\\rtf1 a\\bin99999999999999 bc}"), "a");
    EXPECT_EQ(plainOf("{\\rtf1 \\uc99999999 \\u99999999999 a\\u-99999999999 b}"), "");
    EXPECT_EQ(plainOf("{\\rtf1 \\fs99999999 \\tavipx-5 \\cf99999 \\f-7 x}"), "x");
}

TEST(RtfWriter, OutOfRangeCharsetsAndSizesAreWrittenSanely)
{
    // Found by fuzzing: a character set beyond any real one.
    const QByteArray found = QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset") + QByteArray(200, '9')
                             + " Courier New;}}\\f1 x}";
    QTextDocument doc;
    ASSERT_TRUE(rtf::Read(found, doc));
    EXPECT_EQ(doc.toPlainText(), "x");
    EXPECT_TRUE(rtf::Write(doc).contains("\\fcharset0 Courier New;"));

    QTextDocument odd;
    QTextCharFormat f;
    f.setProperty(rtf::CharsetProperty, 2147483647);
    f.setProperty(QTextFormat::FontPixelSize, 2147483647);
    QTextCursor(&odd).insertText("y", f);
    const QByteArray rtf = rtf::Write(odd);
    EXPECT_TRUE(rtf.contains("\\fs3072\\tavipx2048 y")) << rtf.constData();
    EXPECT_EQ(readRtf(rtf).at(0).at(0).size, "px2048");
}

TEST(RtfReader, RandomBytesNeverCrash)
{
    QRandomGenerator rng(20100601);
    const QByteArray alphabet = "{}\\'*;0123456789abcdefu- \r\nrtfparbinucplainfonttbl\x80\xc4\xe3";
    for (int round = 0; round < 400; ++round) {
        QByteArray data = "{\\rtf1";
        const int len = int(rng.bounded(2000));
        for (int i = 0; i < len; ++i)
            data += round % 2 ? char(rng.bounded(256)) : alphabet[rng.bounded(int(alphabet.size()))];
        QTextDocument doc;
        rtf::Load(data, doc);
        // Whatever came out writes and reads again.
        QTextDocument again;
        ASSERT_TRUE(rtf::Read(rtf::Write(doc), again));
        ASSERT_EQ(again.toPlainText(), doc.toPlainText()) << data.toHex().constData();
    }
}

} // namespace

// --- pictures ----------------------------------------------------------------------

namespace {

// A small picture with a different colour in each corner, so that a flip or a
// scale shows.
QImage cornerImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(200, 200, 200));
    img.setPixelColor(0, 0, Qt::red);
    img.setPixelColor(w - 1, 0, Qt::green);
    img.setPixelColor(0, h - 1, Qt::blue);
    return img;
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, 95);
    return bytes;
}

struct ShownPicture {
    QSizeF size;
    QByteArray bytes;
    QImage image;
};

std::vector<ShownPicture> picturesOf(const QTextDocument &doc)
{
    std::vector<ShownPicture> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            const QTextImageFormat img = f.toImageFormat();
            const QUrl name(img.name());
            for (int i = 0; i < it.fragment().length(); ++i)
                out.push_back({QSizeF(img.width(), img.height()),
                               doc.resource(rtf::PictureBytesResource, rtf::PictureBytesName(img.name())).toByteArray(),
                               doc.resource(QTextDocument::ImageResource, name).value<QImage>()});
        }
    return out;
}

QByteArray hexLines(const QByteArray &bytes) { return bytes.toHex() + "\r\n"; }

} // namespace

TEST(RtfPictures, PngAndJpegWriteAsBlipsAndReadBackAsTheSamePicture)
{
    const QImage img = cornerImage(7, 5);
    for (const char *kind : {"png", "jpeg"}) {
        SCOPED_TRACE(kind);
        const QByteArray bytes = encoded(img, kind);
        QTextDocument doc;
        PrepareNoteDocument(doc);
        QTextCursor c(&doc);
        c.insertText(u8("图前"));
        QTextImageFormat pict = rtf::AddPicture(doc, bytes, QSizeF(21, 15));
        ASSERT_FALSE(pict.name().isEmpty());
        pict.setForeground(QColor(255, 0, 0));
        c.insertText(QString(QChar::ObjectReplacementCharacter), pict);
        c.insertText(u8("图后"), QTextCharFormat());
        c.insertBlock();
        c.insertText(QString(QChar::ObjectReplacementCharacter), rtf::AddPicture(doc, bytes));

        const QByteArray rtfBytes = rtf::Write(doc);
        EXPECT_TRUE(rtfBytes.contains(QByteArray("{\\pict\\") + kind + "blip\\picw7\\pich5\\picwgoal315\\pichgoal225"))
            << rtfBytes.left(400).toStdString();
        EXPECT_TRUE(rtfBytes.contains(bytes.left(32).toHex())) << "the picture's own bytes, in hex";

        QTextDocument back;
        PrepareNoteDocument(back);
        ASSERT_TRUE(rtf::Read(rtfBytes, back));
        EXPECT_EQ(back.toPlainText(), doc.toPlainText());
        const auto pictures = picturesOf(back);
        ASSERT_EQ(pictures.size(), 2u);
        EXPECT_EQ(pictures[0].size, QSizeF(21, 15));
        EXPECT_EQ(pictures[1].size, QSizeF(7, 5)) << "without a size of its own a picture shows at its pixels";
        for (const ShownPicture &p : pictures) {
            EXPECT_EQ(p.bytes, bytes) << "stored byte for byte, never re-encoded";
            ASSERT_EQ(p.image.size(), QSize(7, 5));
            EXPECT_EQ(p.image, QImage::fromData(bytes).convertToFormat(p.image.format()));
        }
        // Writing what was read gives the same bytes again.
        EXPECT_EQ(rtf::Write(back), rtfBytes);
    }
}

TEST(RtfPictures, ReadsWhatWordProcessorsWrite)
{
    const QByteArray png = encoded(cornerImage(40, 20), "png");
    const QByteArray jpeg = encoded(cornerImage(40, 20), "jpeg");
    struct Case {
        const char *name;
        QByteArray body;
        const char *text;
        std::vector<QSizeF> sizes;
    };
    const Case cases[] = {
        {"ShapePictureBesideItsMetafile",
         "a{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn wzName}{\\sv Picture 1}}}\\picscalex100\\picscaley100"
         "\\picw1058\\pich529\\picwgoal600\\pichgoal300\\pngblip{\\*\\blipuid 0123}\r\n" + hexLines(png) +
             "}}{\\nonshppict{\\pict\\wmetafile8\\picw1058\\pich529 0102030405}}b",
         "a\xef\xbf\xbc" "b", {QSizeF(40, 20)}},
        {"ScaledWithoutGoal", "{\\pict\\jpegblip\\picscalex50\\picscaley200 " + hexLines(jpeg) + "}", "\xef\xbf\xbc",
         {QSizeF(20, 40)}},
        {"BinaryData", "x{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) + " " + png + "}y",
         "x\xef\xbf\xbcy", {QSizeF(40, 20)}},
        {"SamePictureTwiceInARow", "{\\pict\\pngblip " + hexLines(png) + "}{\\pict\\pngblip " + hexLines(png) + "}",
         "\xef\xbf\xbc\xef\xbf\xbc", {QSizeF(40, 20), QSizeF(40, 20)}},
        // The bytes say what they are.
        {"JpegBytesCalledPng", "a{\\pict\\pngblip " + hexLines(jpeg) + "}b", "a\xef\xbf\xbc" "b", {QSizeF(40, 20)}},
        {"InASkippedDestination", "a{\\*\\generator {\\pict\\pngblip " + hexLines(png) + "}}b", "ab", {}},
        {"Hidden", "a{\\v{\\pict\\pngblip " + hexLines(png) + "}}b", "ab", {}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        QTextDocument doc;
        PrepareNoteDocument(doc);
        ASSERT_TRUE(rtf::Read("{\\rtf1\\ansi\\ansicpg936 " + k.body + "\\par}", doc));
        EXPECT_EQ(doc.toPlainText(), u8(k.text));
        EXPECT_EQ(plainOf(rtf::Write(doc)), doc.toPlainText()) << "what was read writes and reads back";
        const auto pictures = picturesOf(doc);
        ASSERT_EQ(pictures.size(), k.sizes.size());
        for (size_t i = 0; i < pictures.size(); ++i) {
            EXPECT_EQ(pictures[i].size, k.sizes[i]);
            EXPECT_EQ(pictures[i].image.size(), QSize(40, 20));
        }
    }
}

TEST(RtfPictures, APictureWithoutItsBytesOrOfAnotherKindIsNotWritten)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText("a");
    QTextImageFormat loose;
    loose.setName(QStringLiteral("file:///etc/passwd"));
    c.insertImage(loose);
    doc.addResource(QTextDocument::ImageResource, QUrl("gif:1"), cornerImage(3, 3));
    doc.addResource(rtf::PictureBytesResource, rtf::PictureBytesName("gif:1"), encoded(cornerImage(3, 3), "gif"));
    QTextImageFormat gif;
    gif.setName(QStringLiteral("gif:1"));
    c.insertImage(gif);
    c.insertText("b");
    const QByteArray bytes = rtf::Write(doc);
    EXPECT_FALSE(bytes.contains("\\pict"));
    EXPECT_EQ(plainOf(bytes), QStringLiteral("ab"));
    EXPECT_FALSE(rtf::AddPicture(doc, "GIF89a").isValid() && !rtf::AddPicture(doc, "GIF89a").name().isEmpty());
}

TEST(RtfPictures, EveryTruncationOfAPictureReadsWithoutHarm)
{
    const QByteArray whole = "{\\rtf1 a{\\pict\\pngblip\\picwgoal150\\pichgoal75 "
                             + hexLines(encoded(cornerImage(10, 5), "png")) + "}b\\par}";
    const qsizetype close = whole.indexOf("}b");
    for (qsizetype n = 8; n <= whole.size(); ++n) {
        QTextDocument doc;
        ASSERT_TRUE(rtf::Read(whole.left(n), doc));
        const QString text = doc.toPlainText();
        ASSERT_TRUE(text.startsWith(QLatin1Char('a'))) << n;
        // The picture is there once its group is closed, and only then.
        ASSERT_EQ(picturesOf(doc).size(), n > close ? 1u : 0u) << n;
    }
}

namespace {

// A PNG that says it is width x height pixels and has nothing else.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    for (quint32 v : {width, height})
        for (int shift : {24, 16, 8, 0})
            ihdr.append(char((v >> shift) & 0xff));
    ihdr.append("\x08\x06\x00\x00\x00", 5);
    QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png.append(ihdr);
    quint32 crc = 0xffffffff;
    for (const char c : ihdr) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    crc = ~crc;
    for (int shift : {24, 16, 8, 0})
        png.append(char((crc >> shift) & 0xff));
    return png;
}

} // namespace

TEST(RtfPictures, WhatCannotBeShownIsKeptByteForByteAndShownAsAPlaceholder)
{
    const QByteArray png = encoded(cornerImage(40, 20), "png");
    QByteArray strayDigit = png.toHex();
    strayDigit.insert(strayDigit.size() / 2, '7');
    struct Case {
        const char *name;
        QByteArray group;
    };
    const Case cases[] = {
        {"Metafile", "{\\pict\\wmetafile8\\picw10\\pich10\\picwgoal150\\pichgoal150 0102030405}"},
        {"Emf", "{\\pict\\emfblip\\picw10\\pich10 01000000}"},
        {"DamagedPng", "{\\pict\\pngblip 89504e470d0a1a0a0000}"},
        {"TruncatedPng", "{\\pict\\pngblip\\picwgoal600\\pichgoal300\r\n" + png.left(png.size() / 2).toHex() + "}"},
        {"StrayHexDigit", "{\\pict\\pngblip\\picwgoal600\\pichgoal300\r\n" + strayDigit + "\r\n}"},
        {"UnknownGroups", "{\\pict{\\*\\picprop{\\sp{\\sn wzName}{\\sv Bild}}}{\\*\\blipuid 0123}{\\*\\taviunknown{\\x 1}}"
                          "\\wbitmap0\\picw2\\pich2 00ff00ff}"},
        {"BinaryMetafile", "{\\pict\\wmetafile8\\bin4 " + QByteArray("\x00{}\\", 4) + "}"},
        // A backslash before a line end is a paragraph in text, nothing inside a picture.
        {"ParagraphSymbolInside", "{\\pict\\wmetafile8\\picw10\\pich10 01\\\n02}"},
        {"HeaderControlsInside", "{\\pict\\wmetafile8\\ansicpg1251\\mac\\deff3 0102}"},
        {"TablesInside", "{\\pict\\wmetafile8{\\fonttbl{\\f0\\fcharset204 X;}}{\\colortbl;\\red255;} 0102}"},
        {"TooManyPixels", "{\\pict\\pngblip\\picwgoal1500\\pichgoal1500 " + pngHeaderOnly(30000, 30000).toHex() + "}"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        const QByteArray stored = "{\\rtf1\\ansi\\ansicpg936 a" + k.group + "\\'d2\\'d2\\par}";
        QTextDocument doc;
        PrepareNoteDocument(doc);
        ASSERT_TRUE(rtf::Read(stored, doc));
        EXPECT_EQ(doc.toPlainText(), u8("a\xef\xbf\xbc乙")) << "the picture keeps its place";
        const QByteArray written = rtf::Write(doc);
        QTextDocument back;
        ASSERT_TRUE(rtf::Read(written, back));
        EXPECT_EQ(back.toPlainText(), doc.toPlainText()) << "the kept group changes nothing around it";
        EXPECT_TRUE(written.contains(k.group)) << written.toStdString();
        // An edit elsewhere in the note writes it back unchanged again.
        QTextDocument again;
        PrepareNoteDocument(again);
        ASSERT_TRUE(rtf::Read(written, again));
        QTextCursor(&again).insertText(u8("改"));
        EXPECT_TRUE(rtf::Write(again).contains(k.group));

        const auto pictures = picturesOf(doc);
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_FALSE(pictures[0].image.isNull()) << "a placeholder is painted";
        EXPECT_LE(pictures[0].image.width(), 128);
        EXPECT_LE(pictures[0].image.height(), 128);
    }
}

TEST(RtfPictures, APictureIsDecodedAtMostAtTheSizeItIsShown)
{
    const QByteArray png = encoded(cornerImage(800, 400), "png");
    const QByteArray jpeg = encoded(cornerImage(800, 400), "jpeg");
    struct Case {
        const char *name;
        QByteArray group;
        QSize decoded;
    };
    const Case cases[] = {
        {"PngShownSmaller", "{\\pict\\pngblip\\picwgoal1500\\pichgoal750 " + png.toHex() + "}", QSize(100, 50)},
        {"JpegShownSmaller", "{\\pict\\jpegblip\\picwgoal1500\\pichgoal750 " + jpeg.toHex() + "}", QSize(100, 50)},
        {"StretchedKeepsTheLongerSide", "{\\pict\\pngblip\\picwgoal1500\\pichgoal3000 " + png.toHex() + "}",
         QSize(400, 200)},
        {"ShownLargerIsNotBlownUp", "{\\pict\\pngblip\\picwgoal24000\\pichgoal12000 " + png.toHex() + "}",
         QSize(800, 400)},
        {"NoSizeShowsItsPixels", "{\\pict\\pngblip " + png.toHex() + "}", QSize(800, 400)},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        QTextDocument doc;
        ASSERT_TRUE(rtf::Read("{\\rtf1 " + k.group + "}", doc));
        const auto pictures = picturesOf(doc);
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_EQ(pictures[0].image.size(), k.decoded);
        EXPECT_EQ(pictures[0].bytes, k.group.contains("jpeg") ? jpeg : png) << "its bytes are kept whole";
    }
}

TEST(RtfLoad, AtMostSoManyCharactersOfANote)
{
    const QByteArray rtfLines = "{\\rtf1\\ansi\\ansicpg936 " + QByteArray("\\'d6\\'dc abc\\par\r\n").repeated(1000) + "}";
    const QByteArray utf8Lines = QByteArray("周 abc\n").repeated(1000);
    const struct {
        const char *name;
        QByteArray bytes;
        qsizetype max;
        bool whole;
        qsizetype chars; // of the document's plain text
    } cases[] = {
        {"RtfWithin", rtfLines, 6000, true, 5999},
        {"RtfCut", rtfLines, 100, false, 100},
        {"PlainWithin", utf8Lines, 6000, true, 6000},
        {"PlainCutAtALine", utf8Lines, 100, false, 100},
        {"Empty", QByteArray(), 10, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        EXPECT_EQ(rtf::LoadAtMost(c.bytes, doc, c.max), c.whole);
        const QString text = doc.toPlainText();
        EXPECT_LE(text.size(), c.chars);
        EXPECT_GE(text.size(), c.chars - 6) << "cut no earlier than the line before";
        EXPECT_TRUE(text.isEmpty() || text.startsWith(u8("周 abc"))) << "no character cut in two";
    }
}
