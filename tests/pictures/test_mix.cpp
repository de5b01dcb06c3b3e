#include "uPicMix.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Px = std::array<int, 4>;

TPicture solid(int w, int h, Px c)
{
    TPicture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 4; ++k)
                p.pixel(x, y)[k] = std::uint8_t(c[size_t(k)]);
    return p;
}

Px at(const TPicture &p, int x, int y)
{
    const std::uint8_t *q = p.pixel(x, y);
    return {q[0], q[1], q[2], q[3]};
}

void put(TPicture &p, int x, int y, Px c)
{
    for (int k = 0; k < 4; ++k)
        p.pixel(x, y)[k] = std::uint8_t(c[size_t(k)]);
}

// Rows and columns of `after` that differ from `before`.
struct Changed {
    int minX = INT_MAX, maxX = -1, minY = INT_MAX, maxY = -1;
};
Changed changed(const TPicture &before, const TPicture &after)
{
    Changed c;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x)
            if (at(before, x, y) != at(after, x, y)) {
                c.minX = std::min(c.minX, x);
                c.maxX = std::max(c.maxX, x);
                c.minY = std::min(c.minY, y);
                c.maxY = std::max(c.maxY, y);
            }
    return c;
}

} // namespace

TEST(MixPictures, NotesPanelLandsAtColumn380Row30OfA1024x768Background)
{
    TPicture base = solid(1024, 768, {100, 100, 100, 0});
    TPicture overlay = solid(594, 445, {0, 0, 0, 0});
    put(overlay, 0, 0, {20, 40, 60, 0});
    put(overlay, 593, 444, {200, 200, 200, 0});
    const TPicture before = base;

    const MixResult r = MixPictures(overlay, base, 50, 30);

    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.picture, &base);
    EXPECT_EQ(r.rowsMixed, 445);
    EXPECT_EQ(at(base, 380, 30), (Px{60, 70, 80, 0}));
    EXPECT_EQ(at(base, 973, 474), (Px{150, 150, 150, 0}));
    EXPECT_EQ(at(base, 381, 30), (Px{50, 50, 50, 0}));
    const Changed c = changed(before, base);
    EXPECT_EQ(c.minX, 380);
    EXPECT_EQ(c.maxX, 973); // columns 974 ... 1023 never change
    EXPECT_EQ(c.minY, 30);
    EXPECT_EQ(c.maxY, 474);
}

TEST(MixPictures, AllWhiteOverlayLeavesTheBaseUnchangedAndReturnsIt)
{
    TPicture base = solid(1024, 768, {1, 2, 3, 0});
    TPicture overlay = solid(594, 445, {255, 255, 255, 0});
    const TPicture before = base;
    const MixResult r = MixPictures(overlay, base, 50, 30);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.picture, &base);
    EXPECT_EQ(base.bits, before.bits);
}

TEST(MixPictures, AlmostWhiteIsMixed)
{
    TPicture base = solid(1024, 768, {0, 0, 0, 0});
    TPicture overlay = solid(594, 445, {255, 255, 255, 0});
    put(overlay, 10, 10, {255, 255, 254, 0});
    MixPictures(overlay, base, 50, 30);
    EXPECT_EQ(at(base, 390, 40), (Px{127, 127, 127, 0}));
    EXPECT_EQ(at(base, 391, 40), (Px{0, 0, 0, 0}));
}

struct FormulaCase {
    int d, s, w, expected;
};
class MixFormula : public ::testing::TestWithParam<FormulaCase> {};

// The result stays between D and S and truncates toward zero (toward D).
TEST_P(MixFormula, SignedTruncatingMidpoint)
{
    const FormulaCase c = GetParam();
    TPicture base = solid(100, 20, {c.d, c.d, c.d, 0});
    TPicture overlay = solid(10, 5, {c.s, 0, 0, 0}); // never white
    MixPictures(overlay, base, c.w, 3);
    EXPECT_EQ(at(base, 40, 3)[0], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MixFormula,
                         ::testing::Values(FormulaCase{10, 13, 50, 11}, FormulaCase{13, 10, 50, 12},
                                           FormulaCase{0, 255, 50, 127}, FormulaCase{255, 0, 50, 128},
                                           FormulaCase{100, 0, 100, 0}, FormulaCase{100, 200, 0, 100},
                                           FormulaCase{0, 254, 33, 83}, FormulaCase{254, 0, 33, 171}));

TEST(MixPictures, TallerOverlayReceivesTheBase)
{
    TPicture base = solid(1024, 768, {255, 255, 255, 0});
    put(base, 0, 0, {10, 20, 30, 0});
    put(base, 1023, 767, {40, 50, 60, 0});
    TPicture overlay = solid(1600, 1000, {100, 100, 100, 0});
    const TPicture before = overlay;

    const MixResult r = MixPictures(overlay, base, 50, 30);

    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.picture, &overlay);
    EXPECT_EQ(at(overlay, 526, 0), (Px{55, 60, 65, 0}));      // no top offset
    EXPECT_EQ(at(overlay, 1549, 767), (Px{70, 75, 80, 0}));   // 50 columns short of the right edge
    const Changed c = changed(before, overlay);               // white base pixels are left out
    EXPECT_EQ(c.minX, 526);
    EXPECT_EQ(c.maxX, 1549);
    EXPECT_EQ(c.minY, 0);
    EXPECT_EQ(c.maxY, 767);
}

TEST(MixPictures, EqualHeightsLetTheOverlayReceive)
{
    TPicture base = solid(1024, 445, {0, 0, 0, 0});
    TPicture overlay = solid(594, 445, {200, 200, 200, 0});
    const MixResult r = MixPictures(overlay, base, 50, 30);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.picture, &overlay);
    // Base columns would land from overlay column 380 on; those past the overlay's edge are left out.
    EXPECT_EQ(at(overlay, 379, 0), (Px{200, 200, 200, 0}));
    EXPECT_EQ(at(overlay, 380, 0), (Px{100, 100, 100, 0}));
    EXPECT_EQ(at(overlay, 593, 444), (Px{100, 100, 100, 0}));
}

TEST(MixPictures, RowsPastTheBottomStopWithTheMixedRowsKept)
{
    TPicture base = solid(1024, 500, {0, 0, 0, 0});
    TPicture overlay = solid(594, 480, {100, 100, 100, 0});
    const TPicture before = base;

    const MixResult r = MixPictures(overlay, base, 50, 30);

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.picture, &base);
    EXPECT_EQ(r.rowsMixed, 470);
    const Changed c = changed(before, base);
    EXPECT_EQ(c.minY, 30);
    EXPECT_EQ(c.maxY, 499);
    EXPECT_EQ(at(base, 380, 499), (Px{50, 50, 50, 0}));
}

// Widths the placement does not provide for: whatever lands outside either picture is left out.
struct WidthCase {
    int baseW, overlayW;
    int firstRecvCol, lastRecvCol; // receiving columns that change; -1 when none
};
class MixWidths : public ::testing::TestWithParam<WidthCase> {};

TEST_P(MixWidths, StayInsideBothPictures)
{
    const WidthCase c = GetParam();
    TPicture base = solid(c.baseW, 60, {0, 0, 0, 0});
    TPicture overlay = solid(c.overlayW, 20, {100, 100, 100, 0});
    const TPicture before = base;
    const MixResult r = MixPictures(overlay, base, 50, 30);
    EXPECT_TRUE(r.ok);
    const Changed ch = changed(before, base);
    EXPECT_EQ(ch.minX == INT_MAX ? -1 : ch.minX, c.firstRecvCol);
    EXPECT_EQ(ch.maxX, c.lastRecvCol);
}

INSTANTIATE_TEST_SUITE_P(Cases, MixWidths,
                         ::testing::Values(WidthCase{100, 50, 0, 49},      // 50 wider: ends at the right margin
                                           WidthCase{600, 594, 0, 549},    // 6 wider: the left 44 laid columns fall off
                                           WidthCase{594, 594, 0, 543},    // equal
                                           WidthCase{544, 594, 0, 543},    // 50 narrower: covers the whole width
                                           WidthCase{300, 594, 244, 299},  // much narrower: clipped on the right
                                           WidthCase{40, 30, -1, -1},      // laid would start left of column 0 entirely
                                           WidthCase{1, 594, -1, -1}));

// The laid row is walked byte by byte: three 255 bytes skip four, wherever they start.
TEST(MixPictures, ByteWalkSkipsFourFromAnyRunOfThree)
{
    TPicture base = solid(2, 5, {0, 0, 0, 0}); // laid (not taller)
    put(base, 0, 0, {10, 255, 255, 255});
    put(base, 1, 0, {20, 30, 40, 255});
    TPicture overlay = solid(52, 5, {100, 100, 100, 100}); // receives; columns 0 and 1
    MixPictures(overlay, base, 50, 30);
    // p0 mixed; p1..p3 = 255 255 255 skip to p5; p5, p6, p7 mixed (no run of three from there).
    EXPECT_EQ(at(overlay, 0, 0), (Px{55, 100, 100, 100}));
    EXPECT_EQ(at(overlay, 1, 0), (Px{100, 65, 70, 177}));
}

TEST(MixPictures, EmptyPicturesMixNothing)
{
    TPicture empty;
    TPicture base = solid(10, 10, {1, 1, 1, 0});
    const MixResult r = MixPictures(empty, base, 50, 30);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.picture, &base);
    EXPECT_EQ(r.rowsMixed, 0);
}
