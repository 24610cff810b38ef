// The stroke font: Hershey glyphs compiled into the program as two binary data blocks
// (the glyphs, and a code table mapping each character code of each of 12 faces to a
// glyph), and the lookup that turns one character into line segments.
//
// Glyph block (id 169), little-endian: u32 glyph count, then per glyph a u32 point
// count n and n points of two f64 (x, y; y pointing down). Point 0 holds the glyph's
// left and right extents and is never drawn; a point with x below -63.5 lifts the pen
// (stored as (-64, 0)); the last point is always (-64, -64) and only ends the glyph.
//
// Code table (id 170): 3072 u32 glyph indexes, 0xFFFFFFFF where a code has no glyph:
// first the codes 0x00..0x7F of face 0, face 1, ... face 11, then the codes 0x80..0xFF
// of faces 0 to 11 in the same way.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

// Ids of the two data blocks (see LoadBinResource).
constexpr UINT kStrokeGlyphResource = 169;
constexpr UINT kStrokeCodeTableResource = 170;

// Registers the font's two data blocks (generated from the Hershey font files at build
// time). Called by RegisterModelClasses.
void RegisterStrokeFontData();

// Names of the two data sets.
inline constexpr char theStrokeGlyphSetName[] = "Hershey.smf";
inline constexpr char theStrokeCodeSetName[] = "Hershey.xtb";

struct GlyphPoint {
    double x = 0.0;
    double y = 0.0;
};

// One stroke segment in glyph units, y pointing up.
struct GlyphSegment {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

// One glyph: its points, header and terminator included.
class SMCharacter
{
  public:
    SMCharacter() = default;
    explicit SMCharacter(std::vector<GlyphPoint> points) : m_points(std::move(points)) {}

    // Reads u32 n and n points at buf + *offset, advancing *offset. False (and nothing
    // read) when the record does not lie wholly within the `size` bytes of buf.
    bool Load(const BYTE* buf, std::size_t size, std::size_t* offset);

    // The walk over the drawn points: 0 move to, 1 draw to, 2 end. The header point and
    // the terminating point are never returned; a pen-up point makes the point after it
    // a move-to.
    int GetFirstPoint(GlyphPoint* out, int* index) const;
    int GetNextPoint(GlyphPoint* out, int* index) const;

    int GetCount() const { return int(m_points.size()); }
    const std::vector<GlyphPoint>& GetPoints() const { return m_points; }

  private:
    // From `index` on, the first point that is not a pen-up, or -1 when the glyph ends first.
    int SkipPenUps(int index) const;

    std::vector<GlyphPoint> m_points;
};

class CStrokeFont
{
  public:
    static constexpr int kFaceCount = 12;
    // The face the board's texts use.
    static constexpr int kTextFace = 2;

    // Loads both data blocks (registering the program's own when none are registered
    // yet). A block that is missing or damaged leaves the font empty: every lookup then
    // gives -1.
    explicit CStrokeFont(const std::string& name = theStrokeGlyphSetName);
    ~CStrokeFont();
    CStrokeFont(const CStrokeFont&) = delete;
    CStrokeFont& operator=(const CStrokeFont&) = delete;

    // Replace the glyphs or the code table from a data block; 0 on success, -1 when the
    // block is missing or damaged (the glyphs, or the table, are then left empty).
    int LoadGlyphs(UINT id);
    int LoadCodeTable(UINT id);
    // The same from bytes in memory.
    int LoadGlyphs(const BYTE* data, std::size_t size);
    int LoadCodeTable(const BYTE* data, std::size_t size);

    const std::string& GetName() const { return m_name; }
    unsigned GetGlyphCount() const { return unsigned(m_glyphs.size()); }
    const SMCharacter* GetGlyph(int index) const;

    // The glyph of a code in a face; -1 for an unknown face or an unmapped code.
    int GlyphIndex(BYTE code, int face) const;

    // The line segments of one character, y pointing up, and the box of every point
    // walked (move-to points included). Returns the number of segments; -1 when the
    // face or code has no glyph (nothing written); -2 when the glyph has more than
    // maxLines strokes (at most maxLines segments written). A glyph with no drawn
    // point leaves the box at min 9999999.9, max -9999999.9. Null pointers are skipped.
    int GetGlyphLines(BYTE code, int face, double* minX, double* minY, double* maxX, double* maxY,
                      GlyphSegment* out, int maxLines) const;

    // A font loaded from the program's data blocks, built on first use (thread-safe) and
    // kept for the whole run. Used when the board services supply no font.
    static const CStrokeFont& Default();

  private:
    std::string m_name;
    std::vector<std::unique_ptr<SMCharacter>> m_glyphs;
    int m_codeTable[kFaceCount][256];
};
