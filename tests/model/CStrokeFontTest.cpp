#include "model/CStrokeFont.h"

#include "model/Utilities.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{

constexpr GlyphPoint kPenUp{-64.0, 0.0};
constexpr GlyphPoint kEnd{-64.0, -64.0};

void PutLE(std::vector<BYTE>& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(BYTE(v >> (8 * i)));
}

void PutU32(std::vector<BYTE>& out, std::uint32_t v)
{
    PutLE(out, v, 4);
}

std::vector<BYTE> GlyphBlock(const std::vector<std::vector<GlyphPoint>>& glyphs)
{
    std::vector<BYTE> out;
    PutU32(out, std::uint32_t(glyphs.size()));
    for (const auto& g : glyphs) {
        PutU32(out, std::uint32_t(g.size()));
        for (const GlyphPoint& p : g)
            for (double d : {p.x, p.y})
                PutLE(out, std::bit_cast<std::uint64_t>(d), 8);
    }
    return out;
}

struct Mapping {
    int face;
    int code;
    std::uint32_t glyph;
};

// The 3072-entry table: codes below 0x80 of faces 0..11, then codes from 0x80.
std::vector<BYTE> CodeTable(const std::vector<Mapping>& mappings)
{
    std::vector<std::uint32_t> table(3072, 0xFFFFFFFFu);
    for (const Mapping& m : mappings)
        table[m.code < 0x80 ? m.face * 128 + m.code : 1536 + m.face * 128 + (m.code - 0x80)] =
            m.glyph;
    std::vector<BYTE> out;
    for (std::uint32_t v : table)
        PutU32(out, v);
    return out;
}

struct Walk {
    int result;
    double minX, minY, maxX, maxY;
    std::vector<GlyphSegment> segments;
};

Walk WalkGlyph(const CStrokeFont& font, int code, int face, int maxLines)
{
    Walk w{0, 0, 0, 0, 0, std::vector<GlyphSegment>(std::size_t(std::max(maxLines, 0)))};
    w.result = font.GetGlyphLines(BYTE(code), face, &w.minX, &w.minY, &w.maxX, &w.maxY,
                                  w.segments.data(), maxLines);
    w.segments.resize(std::size_t(std::max(w.result, 0)));
    return w;
}

class SyntheticFont : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::vector<GlyphPoint> comb{{-9, 9}, {0, 0}};
        for (int i = 1; i <= 65; ++i)
            comb.push_back(GlyphPoint{double(i), double(i % 2)});
        comb.push_back(kEnd);
        glyphs = {
            // 0: header and terminator only
            {{-5, 5}, kEnd},
            // 1: two strokes; the second starts at a move-to point that widens the box
            {{-9, 9}, {-3, 4}, {2, 4}, kPenUp, {7, -6}, {7, -2}, kEnd},
            // 2: 65 strokes in one line
            comb,
            // 3: pen-ups first, doubled and last are passed over
            {{-9, 9}, kPenUp, {0, 0}, {1, 0}, kPenUp, kPenUp, {2, 0}, {3, 0}, kPenUp, kEnd},
        };
        const std::vector<BYTE> block = GlyphBlock(glyphs);
        const std::vector<BYTE> table =
            CodeTable({{0, 'a', 0}, {2, 'b', 1}, {11, 'c', 2}, {5, 0xC9, 3}, {1, 'z', 99}});
        ASSERT_EQ(0, font.LoadGlyphs(block.data(), block.size()));
        ASSERT_EQ(0, font.LoadCodeTable(table.data(), table.size()));
    }

    std::vector<std::vector<GlyphPoint>> glyphs;
    CStrokeFont font{"test"};
};

TEST_F(SyntheticFont, GlyphWalkAndLookupsOutsideTheData)
{
    // Header and terminator only: nothing walked, the box stays at its start values.
    Walk w = WalkGlyph(font, 'a', 0, 64);
    EXPECT_EQ(0, w.result);
    EXPECT_EQ(9999999.9, w.minX);
    EXPECT_EQ(-9999999.9, w.maxX);

    // A pen-up starts a new stroke without a segment between; y is turned upwards; the
    // box covers the move-to points (-3, -4) and (7, 6) too.
    w = WalkGlyph(font, 'b', 2, 64);
    ASSERT_EQ(2, w.result);
    auto coords = [](const GlyphSegment& g) { return std::tuple(g.x1, g.y1, g.x2, g.y2); };
    EXPECT_EQ(coords(w.segments[0]), std::tuple(-3.0, -4.0, 2.0, -4.0));
    EXPECT_EQ(coords(w.segments[1]), std::tuple(7.0, 6.0, 7.0, 2.0));
    EXPECT_EQ(std::tuple(w.minX, w.minY, w.maxX, w.maxY), std::tuple(-3.0, -4.0, 7.0, 6.0));

    // More strokes than allowed: -2, and no segment written past the buffer.
    EXPECT_EQ(-2, WalkGlyph(font, 'c', 11, 64).result);
    EXPECT_EQ(65, WalkGlyph(font, 'c', 11, 65).result);
    EXPECT_EQ(-2, font.GetGlyphLines('c', 11, nullptr, nullptr, nullptr, nullptr, nullptr, 0));

    // Stray pen-ups never become points: two strokes, box from x 0 to 3.
    w = WalkGlyph(font, 0xC9, 5, 64);
    ASSERT_EQ(2, w.result);
    EXPECT_EQ(0.0, w.minX);
    EXPECT_EQ(3.0, w.maxX);
    EXPECT_EQ(1.0, w.segments[0].x2);
    EXPECT_EQ(2.0, w.segments[1].x1);

    // Lookups outside the data give -1 and write nothing.
    EXPECT_EQ(1, font.GlyphIndex('b', 2));
    EXPECT_EQ(3, font.GlyphIndex(0xC9, 5));
    double box[4] = {1, 2, 3, 4};
    GlyphSegment seg[4];
    const int probes[][2] = {{'b', 12}, {'b', -1}, {'b', 1}, {'a', 1}, {'z', 1}};
    for (const auto& probe : probes) {
        SCOPED_TRACE(testing::Message() << probe[0] << " face " << probe[1]);
        EXPECT_EQ(-1, font.GlyphIndex(BYTE(probe[0]), probe[1]));
        EXPECT_EQ(-1, font.GetGlyphLines(BYTE(probe[0]), probe[1], &box[0], &box[1], &box[2],
                                         &box[3], seg, 4));
        EXPECT_EQ(1.0, box[0]); // nothing written
    }
}

TEST(CStrokeFontData, DamagedBlocksLeaveAnEmptyFontAndAreNeverReadPastTheirEnd)
{
    const std::vector<BYTE> good =
        GlyphBlock({{{-5, 5}, {0, 0}, {1, 1}, kEnd}, {{-5, 5}, {2, 2}, {3, 3}, kEnd}});
    CStrokeFont font{"test"};
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        // Each cut copy lives in a buffer of exactly its size.
        std::vector<BYTE> bytes(good.begin(), good.begin() + std::ptrdiff_t(cut));
        EXPECT_EQ(-1, font.LoadGlyphs(bytes.data(), bytes.size())) << cut;
        EXPECT_EQ(0u, font.GetGlyphCount());
    }
    ASSERT_EQ(0, font.LoadGlyphs(good.data(), good.size()));
    EXPECT_EQ(2u, font.GetGlyphCount());

    std::vector<BYTE> bytes = good;
    bytes[0] = 0xFF; // a glyph count the block cannot hold
    EXPECT_EQ(-1, font.LoadGlyphs(bytes.data(), bytes.size()));
    bytes = good;
    bytes[4] = 0xFF; // a point count running past the end
    bytes[7] = 0x7F;
    EXPECT_EQ(-1, font.LoadGlyphs(bytes.data(), bytes.size()));
    bytes = good;
    const double nan = std::nan("");
    std::memcpy(bytes.data() + 8 + 16, &nan, 8); // a coordinate that is not a number
    EXPECT_EQ(-1, font.LoadGlyphs(bytes.data(), bytes.size()));
    EXPECT_EQ(0u, font.GetGlyphCount());

    // A short code table fills what it holds; a table naming glyphs that are missing
    // maps nothing.
    ASSERT_EQ(0, font.LoadGlyphs(good.data(), good.size()));
    const std::vector<BYTE> table = CodeTable({{0, 'a', 1}, {0, 'b', 2}, {3, 'c', 0}});
    ASSERT_EQ(0, font.LoadCodeTable(table.data(), 4 * ('a' + 1)));
    EXPECT_EQ(1, font.GlyphIndex('a', 0));
    EXPECT_EQ(-1, font.GlyphIndex('b', 0));
    ASSERT_EQ(0, font.LoadCodeTable(table.data(), table.size()));
    EXPECT_EQ(-1, font.GlyphIndex('b', 0));
    EXPECT_EQ(0, font.GlyphIndex('c', 3));
}

// The data compiled into the program.
TEST(CStrokeFontData, BlocksFollowTheirLayout)
{
    EXPECT_EQ(12288u, LoadBinResource(nullptr, kStrokeCodeTableResource));
    const CStrokeFont& font = CStrokeFont::Default();
    ASSERT_GT(font.GetGlyphCount(), 12u * 94u);
    std::size_t bytes = 4;
    for (unsigned i = 0; i < font.GetGlyphCount(); ++i) {
        const std::vector<GlyphPoint>& p = font.GetGlyph(int(i))->GetPoints();
        bytes += 4 + 16 * p.size();
        ASSERT_GE(p.size(), 2u);
        EXPECT_LE(p[0].x, p[0].y) << "extents of glyph " << i;
        EXPECT_EQ(-64.0, p.back().x);
        EXPECT_EQ(-64.0, p.back().y);
        // Pen-ups stand only between two drawn points, as (-64, 0).
        for (std::size_t k = 1; k + 1 < p.size(); ++k) {
            if (p[k].x >= -63.5)
                continue;
            EXPECT_EQ(0.0, p[k].y);
            EXPECT_TRUE(k > 1 && k + 2 < p.size() && p[k - 1].x > -63.5 && p[k + 1].x > -63.5)
                << "glyph " << i << " point " << k;
        }
    }
    EXPECT_EQ(bytes, LoadBinResource(nullptr, kStrokeGlyphResource));
}

TEST(CStrokeFontData, EveryFaceMapsPrintableAsciiAndTheTextFaceItsAccentedLetters)
{
    const CStrokeFont& font = CStrokeFont::Default();
    for (int face = 0; face < CStrokeFont::kFaceCount; ++face)
        for (int code = 0x21; code <= 0x7E; ++code)
            EXPECT_GE(font.GlyphIndex(BYTE(code), face), 0) << face << " " << code;

    EXPECT_EQ(-1, font.GlyphIndex(' ', CStrokeFont::kTextFace));
    for (int code = 0x21; code <= 0x7E; ++code)
        EXPECT_GT(WalkGlyph(font, code, CStrokeFont::kTextFace, 64).result, 0) << code;

    // Accented letters: the base letter's strokes plus an accent above (or, for the
    // cedilla, below) it.
    const int accented[][2] = {{0xC9, 'E'}, {0xD1, 'N'}, {0xFC, 'u'}, {0xEE, 'i'}, {0xE7, 'c'}};
    for (const auto& pair : accented) {
        SCOPED_TRACE(testing::Message() << std::hex << pair[0]);
        const Walk letter = WalkGlyph(font, pair[0], CStrokeFont::kTextFace, 64);
        const Walk base = WalkGlyph(font, pair[1], CStrokeFont::kTextFace, 64);
        ASSERT_GT(letter.result, 0);
        if (pair[1] == 'c') {
            EXPECT_LT(letter.minY, base.minY);
        } else if (pair[1] != 'i') { // the i loses its dot to the accent
            EXPECT_GT(letter.maxY, base.maxY);
        }
        if (pair[1] != 'i') {
            EXPECT_GT(letter.result, base.result);
        }
    }
    int mapped = 0;
    for (int code = 0x80; code <= 0xFF; ++code)
        mapped += font.GlyphIndex(BYTE(code), CStrokeFont::kTextFace) >= 0;
    EXPECT_EQ(51, mapped);
}

} // namespace
