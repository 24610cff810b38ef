#include "CStrokeFont.h"

#include "Utilities.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

// Points below this x lift the pen.
constexpr double kPenUpLimit = -63.5;
// Glyph coordinates lie within a few dozen units; anything beyond this is damage.
constexpr double kCoordinateLimit = 1000.0;
constexpr std::size_t kTableEntries = 3072;
constexpr double kBoxStartMin = 9999999.9;
constexpr double kBoxStartMax = -9999999.9;

std::uint32_t ReadU32(const BYTE* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

double ReadF64(const BYTE* p)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double d = 0.0;
    std::memcpy(&d, &bits, sizeof(d));
    return d;
}

bool IsPenUp(const GlyphPoint& p)
{
    return p.x < kPenUpLimit;
}

// A data block copied out of the program's resources; empty when it is missing.
std::vector<BYTE> LoadBlock(UINT id)
{
    const unsigned size = LoadBinResource(nullptr, id);
    if (size == 0xFFFFFFFFu || size == 0)
        return {};
    std::vector<BYTE> data(size);
    if (LoadBinResource(data.data(), id) != size)
        return {};
    return data;
}

} // namespace

// ---------------------------------------------------------------------------------
// SMCharacter

bool SMCharacter::Load(const BYTE* buf, std::size_t size, std::size_t* offset)
{
    if (!buf || !offset || *offset > size || size - *offset < 4)
        return false;
    const std::uint64_t n = ReadU32(buf + *offset);
    const std::size_t start = *offset + 4;
    if (n * 16 > std::uint64_t(size - start))
        return false;
    std::vector<GlyphPoint> points(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const BYTE* p = buf + start + i * 16;
        points[i].x = ReadF64(p);
        points[i].y = ReadF64(p + 8);
        if (!AllFinite({points[i].x, points[i].y}) || std::fabs(points[i].x) > kCoordinateLimit ||
            std::fabs(points[i].y) > kCoordinateLimit)
            return false;
    }
    m_points = std::move(points);
    *offset = start + std::size_t(n) * 16;
    return true;
}

// The header (point 0) and the terminator (the last point) are never walked. Pen-up
// points only separate strokes: one that would begin the glyph, follow another or end
// it is passed over, so no pen-up point is ever returned.
int SMCharacter::SkipPenUps(int index) const
{
    const int last = GetCount() - 1;
    while (index < last && IsPenUp(m_points[std::size_t(index)]))
        ++index;
    return index < last ? index : -1;
}

int SMCharacter::GetFirstPoint(GlyphPoint* out, int* index) const
{
    const int first = SkipPenUps(1);
    if (first < 0)
        return 2;
    *index = first;
    *out = m_points[std::size_t(first)];
    return 0;
}

int SMCharacter::GetNextPoint(GlyphPoint* out, int* index) const
{
    *index += 1;
    if (*index >= GetCount() - 1)
        return 2;
    const GlyphPoint& p = m_points[std::size_t(*index)];
    if (!IsPenUp(p)) {
        *out = p;
        return 1;
    }
    const int next = SkipPenUps(*index + 1);
    if (next < 0) {
        *index = GetCount() - 1;
        return 2;
    }
    *index = next;
    *out = m_points[std::size_t(next)];
    return 0;
}

// ---------------------------------------------------------------------------------
// CStrokeFont

CStrokeFont::CStrokeFont(const std::string& name) : m_name(name)
{
    for (auto& face : m_codeTable)
        for (int& entry : face)
            entry = -1;
    // The data blocks are part of the program: a font built before the model's start-up
    // registered them (a global board state, say) registers them itself. Blocks already
    // registered, the program's or others, are left as they are.
    if (LoadBinResource(nullptr, kStrokeGlyphResource) == 0xFFFFFFFFu &&
        LoadBinResource(nullptr, kStrokeCodeTableResource) == 0xFFFFFFFFu)
        RegisterStrokeFontData();
    LoadGlyphs(kStrokeGlyphResource);
    LoadCodeTable(kStrokeCodeTableResource);
}

CStrokeFont::~CStrokeFont() = default;

int CStrokeFont::LoadGlyphs(UINT id)
{
    const std::vector<BYTE> data = LoadBlock(id);
    return LoadGlyphs(data.data(), data.size());
}

int CStrokeFont::LoadCodeTable(UINT id)
{
    const std::vector<BYTE> data = LoadBlock(id);
    return LoadCodeTable(data.data(), data.size());
}

// All or nothing: a glyph count the block cannot hold, or any glyph running past the
// block's end, leaves the font without glyphs.
int CStrokeFont::LoadGlyphs(const BYTE* data, std::size_t size)
{
    m_glyphs.clear();
    if (!data || size < 4)
        return -1;
    const std::uint32_t count = ReadU32(data);
    // Every glyph needs at least its 4-byte point count.
    if (std::uint64_t(count) * 4 > size - 4)
        return -1;
    std::vector<std::unique_ptr<SMCharacter>> glyphs;
    glyphs.reserve(count);
    std::size_t offset = 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        auto glyph = std::make_unique<SMCharacter>();
        if (!glyph->Load(data, size, &offset))
            return -1;
        glyphs.push_back(std::move(glyph));
    }
    m_glyphs = std::move(glyphs);
    return 0;
}

// Entries are taken 4 bytes at a time while the block lasts; the rest stay -1. An entry
// beyond the int range (0xFFFFFFFF among them) means no glyph.
int CStrokeFont::LoadCodeTable(const BYTE* data, std::size_t size)
{
    for (auto& face : m_codeTable)
        for (int& entry : face)
            entry = -1;
    if (!data)
        return -1;
    for (std::size_t i = 0; i < kTableEntries && (i + 1) * 4 <= size; ++i) {
        const std::uint32_t v = ReadU32(data + i * 4);
        const std::size_t half = i / 1536; // 0: codes 0x00..0x7F, 1: 0x80..0xFF
        const std::size_t face = (i % 1536) / 128;
        const std::size_t code = half * 128 + i % 128;
        m_codeTable[face][code] = v > 0x7FFFFFFFu ? -1 : int(v);
    }
    return 0;
}

const SMCharacter* CStrokeFont::GetGlyph(int index) const
{
    if (index < 0 || std::size_t(index) >= m_glyphs.size())
        return nullptr;
    return m_glyphs[std::size_t(index)].get();
}

// A table entry naming a glyph the data does not hold counts as unmapped.
int CStrokeFont::GlyphIndex(BYTE code, int face) const
{
    if (face < 0 || face >= kFaceCount)
        return -1;
    const int g = m_codeTable[face][code];
    return GetGlyph(g) ? g : -1;
}

int CStrokeFont::GetGlyphLines(BYTE code, int face, double* minX, double* minY, double* maxX,
                               double* maxY, GlyphSegment* out, int maxLines) const
{
    const SMCharacter* glyph = GetGlyph(GlyphIndex(code, face));
    if (!glyph)
        return -1;

    double x0 = kBoxStartMin, y0 = kBoxStartMin;
    double x1 = kBoxStartMax, y1 = kBoxStartMax;
    double penX = 0.0, penY = 0.0;
    int count = 0;
    GlyphPoint p;
    int index = 0;
    for (int step = glyph->GetFirstPoint(&p, &index); step != 2;
         step = glyph->GetNextPoint(&p, &index)) {
        const double x = p.x;
        const double y = -p.y;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
        if (step == 1) {
            if (count >= maxLines)
                return -2;
            if (out)
                out[count] = GlyphSegment{penX, penY, x, y};
            ++count;
        }
        penX = x;
        penY = y;
    }
    if (minX)
        *minX = x0;
    if (minY)
        *minY = y0;
    if (maxX)
        *maxX = x1;
    if (maxY)
        *maxY = y1;
    return count;
}

// Built once, on first use; the language guarantees that one thread builds it while
// any other caller waits.
const CStrokeFont& CStrokeFont::Default()
{
    static const CStrokeFont font;
    return font;
}
