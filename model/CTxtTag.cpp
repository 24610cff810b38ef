#include "CTxtTag.h"

#include "BoardServices.h"
#include "CLine.h"
#include "CRectAngle.h"
#include "CStrokeFont.h"
#include "Constants.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

IMPLEMENT_SERIAL(CTxtTag, CEntity, VERSIONABLE_SCHEMA | 1)

// Built at start-up with the defaults; reads no other global.
CTxtTag thePrototypeTxtTag;

namespace {

constexpr int kHeadSize = 32;
// Segments asked of the font per character.
constexpr int kMaxGlyphLines = 64;
// Glyph units between two characters, and the glyph units of one text height.
constexpr double kCharGap = 8.0;
constexpr double kUnitsPerHeight = 22.0;
constexpr double kBaselineUnits = 9.0;
// The box a character without a glyph lays out with when no earlier character has
// one: the extent of the face's space (16 units) and the height of its capitals.
constexpr double kNoGlyphMinX = -8.0;
constexpr double kNoGlyphMaxX = 8.0;
constexpr double kNoGlyphMinY = -9.0;
constexpr double kNoGlyphMaxY = 12.0;

// Truncation toward zero, held within the int range (NaN gives 0).
int TruncInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return int(v);
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CTxtTag::CTxtTag()
{
    Reset();
}

CTxtTag::CTxtTag(const Position& p)
{
    Reset();
    CopyFrom(thePrototypeTxtTag);
    m_position = p;
    BuildGlyphLines();
}

CTxtTag::CTxtTag(FromPrototype)
{
    Reset();
    CEntity::CopyFrom(thePrototypeTxtTag);
    m_style = thePrototypeTxtTag.m_style;
    m_hidden = thePrototypeTxtTag.m_hidden;
    m_mirror = thePrototypeTxtTag.m_mirror;
}

CTxtTag::CTxtTag(const CTxtTag& other)
    : CEntity(other), m_mirror(other.m_mirror), m_hidden(other.m_hidden),
      m_style(other.m_style), m_textWidth(other.m_textWidth), m_charHeight(other.m_charHeight)
{
    CopyGlyphLines(other);
}

CTxtTag& CTxtTag::operator=(const CTxtTag& other)
{
    if (this == &other)
        return *this;
    CEntity::operator=(other);
    m_style = other.m_style;
    m_hidden = other.m_hidden;
    m_mirror = other.m_mirror;
    m_textWidth = other.m_textWidth;
    m_charHeight = other.m_charHeight;
    CopyGlyphLines(other);
    return *this;
}

CEntity& CTxtTag::operator=(const CEntity& other)
{
    if (const auto* text = dynamic_cast<const CTxtTag*>(&other))
        return operator=(*text);
    return CEntity::operator=(other);
}

CTxtTag::~CTxtTag()
{
    ClearGlyphLines();
}

void CTxtTag::Reset()
{
    CEntity::Reset();
    m_type = ET_TEXT;
    m_style = 1;
    m_rotation = 0.0;
    m_sizeY = 60.0;
    m_sizeX = 10.0;
    m_lineWidth = 20.0;
    m_color = 0xFFFF;
    m_hidden = 0;
    m_mirror = 0;
    // The text is gone, and its tracks with it.
    ClearGlyphLines();
    m_textWidth = 0;
    m_charHeight = 0;
}

CEntity& CTxtTag::CopyFrom(const CEntity& other)
{
    if (this == &other)
        return *this;
    CEntity::CopyFrom(other);
    if (const auto* text = dynamic_cast<const CTxtTag*>(&other)) {
        m_style = text->m_style;
        m_hidden = text->m_hidden;
        m_mirror = text->m_mirror;
        m_textWidth = text->m_textWidth;
        m_charHeight = text->m_charHeight;
        CopyGlyphLines(*text);
    }
    return *this;
}

CEntity* CTxtTag::Clone()
{
    auto* copy = new CTxtTag();
    copy->CopyFrom(*this);
    return copy;
}

bool CTxtTag::IsPrototype() const
{
    return this == &thePrototypeTxtTag;
}

// ---------------------------------------------------------------------------------
// Glyph tracks

void CTxtTag::ClearGlyphLines()
{
    for (CLine* line : m_glyphLines)
        delete line;
    m_glyphLines.clear();
}

void CTxtTag::AppendGlyphLine(CLine* line)
{
    if (m_glyphLines.size() == m_glyphLines.capacity()) {
        const std::size_t cap = m_glyphLines.capacity();
        m_glyphLines.reserve(std::max(std::size_t(double(cap) * 1.3), cap + 10));
    }
    m_glyphLines.push_back(line);
}

void CTxtTag::CopyGlyphLines(const CTxtTag& other)
{
    ClearGlyphLines();
    m_glyphLines.reserve(other.m_glyphLines.size());
    for (CLine* line : other.m_glyphLines)
        m_glyphLines.push_back(static_cast<CLine*>(line->Clone()));
}

const CStrokeFont& CTxtTag::Font()
{
    const CStrokeFont* font = BoardServices::Current().GetStrokeFont();
    return font ? *font : CStrokeFont::Default();
}

// The characters become tracks, in glyph units scaled by s = height / 22 with the
// baseline (glyph y = -9) on the reference point. Each character advances the pen by
// its box width plus 8 units. A character without a glyph (or whose glyph draws no
// point, or has more strokes than a character may have) makes no track and advances by
// the box of the character before it, or by a space's box when it comes first. A
// mirrored text is laid out from its last character, each glyph flipped within its own
// box, and then moved back by its width so that it ends at the reference point.
bool CTxtTag::BuildGlyphLines()
{
    ClearGlyphLines();
    if (m_name.empty())
        return false;

    const CStrokeFont& font = Font();
    const double s = m_sizeY * (1.0 / kUnitsPerHeight);
    const double yOff = kBaselineUnits * s;
    const double x = m_position.x;
    const double y = m_position.y;
    double xPos = 0.0;
    double heightSum = 0.0;
    const std::size_t n = m_name.size();

    double minX = kNoGlyphMinX, minY = kNoGlyphMinY, maxX = kNoGlyphMaxX, maxY = kNoGlyphMaxY;
    GlyphSegment segments[kMaxGlyphLines];
    for (std::size_t i = 0; i < n; ++i) {
        const char c = m_mirror ? m_name[n - 1 - i] : m_name[i];
        double gx0 = 0, gy0 = 0, gx1 = 0, gy1 = 0;
        const int count = font.GetGlyphLines(static_cast<BYTE>(c), CStrokeFont::kTextFace, &gx0,
                                             &gy0, &gx1, &gy1, segments, kMaxGlyphLines);
        if (count >= 0 && gx0 <= gx1 && gy0 <= gy1) {
            minX = gx0;
            minY = gy0;
            maxX = gx1;
            maxY = gy1;
            for (int k = 0; k < count; ++k) {
                const GlyphSegment& g = segments[k];
                const int x1 = m_mirror ? TruncInt((maxX - g.x1) * s) : TruncInt((g.x1 - minX) * s);
                const int x2 = m_mirror ? TruncInt((maxX - g.x2) * s) : TruncInt((g.x2 - minX) * s);
                const int y1 = TruncInt(s * g.y1 + yOff);
                const int y2 = TruncInt(s * g.y2 + yOff);
                const int a = TruncInt(x1 + xPos);
                const int b = TruncInt(x2 + xPos);
                Position p1(double(a) + x, double(y1) + y);
                Position p2(double(b) + x, double(y2) + y);
                p1.Rotate(m_position, m_rotation);
                p2.Rotate(m_position, m_rotation);
                auto* line = new CLine(p1, p2);
                line->SetLayer(m_layer);
                line->SetLineWidth(&m_sizeX);
                // The tracks are the text's own: turning or mirroring them must not
                // turn the track prototype.
                line->SetComponentPart(1);
                AppendGlyphLine(line);
            }
        }
        xPos += (maxX - minX + kCharGap) * s;
        heightSum += (maxY - minY + kCharGap) * s;
    }
    m_textWidth = TruncInt(xPos - kCharGap * s);
    m_charHeight = TruncInt((heightSum - kCharGap * s) / double(n));

    if (m_mirror) {
        const Position end = m_position.PolarOffset(double(m_textWidth), m_rotation);
        for (CLine* line : m_glyphLines)
            line->MoveBy(end, m_position);
    }
    // Keep the cached box in step with the new tracks.
    BOX2D box;
    GetBox(&box);
    return !m_glyphLines.empty();
}

void CTxtTag::SetName(std::string name)
{
    m_name = std::move(name);
    BuildGlyphLines();
}

// ---------------------------------------------------------------------------------
// Box and hit tests

int CTxtTag::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    if (m_glyphLines.empty())
        return 1;
    BOX2D box;
    m_glyphLines.front()->GetBox(&box);
    for (std::size_t i = 1; i < m_glyphLines.size(); ++i) {
        BOX2D part;
        m_glyphLines[i]->GetBox(&part);
        box.Merge(part);
    }
    m_cachedBox = box;
    *out = box;
    return 1;
}

int CTxtTag::GetExtent(BOX2D* out, const HiddenLayers* hidden)
{
    if (!out || IsLayerHidden(hidden))
        return 0;
    *out = m_cachedBox;
    return 1;
}

Rect CTxtTag::GetScreenRect()
{
    return m_cachedBox.ToDeviceRect();
}

BOOL CTxtTag::HitTestPoint(const Position& p, const double* /*tolerance*/,
                           const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live || m_hidden)
        return FALSE;
    BOX2D box;
    if (!GetBox(&box))
        return FALSE;
    return p.IsInBox(box);
}

// ---------------------------------------------------------------------------------
// Transformations

void CTxtTag::SetLayer(int layer)
{
    CEntity::SetLayer(layer);
    for (CLine* line : m_glyphLines)
        line->SetLayer(layer);
}

void CTxtTag::SetAngle(const double& radians)
{
    m_rotation = radians;
}

int CTxtTag::SetPosition(const Position& p, int /*flag*/)
{
    const Position from = m_position;
    for (CLine* line : m_glyphLines)
        line->MoveBy(from, p);
    m_cachedBox.Move(p, from);
    m_position = p;
    return 0;
}

int CTxtTag::Move(const Position& to, const Position& from, int* /*flag*/)
{
    m_position += to - from;
    for (CLine* line : m_glyphLines)
        line->MoveBy(from, to);
    m_cachedBox.Move(to, from);
    return 0;
}

void CTxtTag::MoveBy(const Position& from, const Position& to)
{
    CEntity::MoveBy(from, to);
    for (CLine* line : m_glyphLines)
        line->MoveBy(from, to);
}

void CTxtTag::Rotate(const Position& c, const double& a)
{
    const Position centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.Rotate(centre, angle);
    for (CLine* line : m_glyphLines)
        line->Rotate(centre, angle);
    m_cachedBox.Rotate(centre, angle);
}

// A mirrored text runs backwards from its reference point (along rotation + pi) with
// flipped glyphs. A reflection across a vertical axis turns a direction d into pi - d,
// one across a horizontal axis into -d; so that laying the reflected text out again
// gives back the reflected tracks, the rotation r becomes -r across a vertical axis and
// pi - r across a horizontal one. For an unrotated text that is the rotation kept
// (vertical axis) or turned by pi (horizontal axis).
void CTxtTag::MirrorY(const Position& p)
{
    const Position axis = p;
    CEntity::MirrorY(axis);
    m_rotation = CAngle(PI - m_rotation).GetValue();
    m_mirror = m_mirror ? 0 : 1;
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.MirrorY(axis);
    for (CLine* line : m_glyphLines)
        line->MirrorY(axis);
    m_cachedBox.MirrorY(axis);
}

void CTxtTag::MirrorX(const Position& p)
{
    const Position axis = p;
    CEntity::MirrorX(axis);
    m_rotation = CAngle(0.0 - m_rotation).GetValue();
    m_mirror = m_mirror ? 0 : 1;
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.MirrorX(axis);
    for (CLine* line : m_glyphLines)
        line->MirrorX(axis);
    m_cachedBox.MirrorX(axis);
}

// The text clears a rectangle over its laid-out line: as long as its box's diagonal,
// as high as its characters, starting at the reference point along the rotation.
void CTxtTag::ClipHatch(CPolygon* pour, TrackGroups* groups)
{
    if (!pour)
        return;
    const double length = m_cachedBox.Diagonal();
    const double height = m_sizeY;
    const Position centre = m_position.PolarOffset(length / 2.0, m_rotation)
                                .PolarOffset(height / 2.0, m_rotation + PI / 2.0);
    CRectAngle area(centre, length, height);
    area.SetAngle(m_rotation);
    area.ClipHatch(pour, groups);
}

// ---------------------------------------------------------------------------------
// Drawing

void CTxtTag::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live || m_hidden)
        return;
    m_color = BoardServices::Current().GetLayerColor(m_layer);
    for (CLine* line : m_glyphLines)
        line->Draw(dc, mode, clip, hidden);
    CEntity::Draw(dc, mode, clip, hidden);
}

void CTxtTag::DrawSelected(DrawContext* dc, int mode, Rect clip)
{
    CEntity::DrawSelected(dc, mode, clip);
}

// ---------------------------------------------------------------------------------
// Property dialog

int CTxtTag::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    TextProperties values;
    values.position = GetPosition();
    values.text = m_name;
    values.layer = m_layer;
    values.width = m_sizeX;
    values.height = m_sizeY;
    values.rotation = m_rotation;
    values.mirror = m_mirror;

    int result = 0;
    if (UiServices::Current().EditText(values)) {
        SetPosition(values.position, 0);
        SetLayer(values.layer);
        m_sizeX = values.width;
        m_sizeY = values.height;
        m_name = values.text;
        SetAngle(values.rotation);
        // The dialog gives rotation and mirror flag as they are to be: the flag is taken
        // as it is (mirroring about the reference point would also reflect the rotation
        // just set), and the layout below flips the glyphs.
        m_mirror = values.mirror ? 1 : 0;
        thePrototypeTxtTag.CopyFrom(*this);
        thePrototypeTxtTag.SetComponentPart(0);
        BuildGlyphLines();
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    BOX2D box;
    GetBox(&box);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

// The three numbers are written twice; a reader of schema 1 or 2 takes the second set.
void CTxtTag::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CTxtTag));
    if (ar.IsStoring()) {
        for (int copy = 0; copy < 2; ++copy) {
            ar.WriteI32(m_hidden);
            ar.WriteI32(m_mirror);
            ar.WriteI32(m_style);
        }
        return;
    }
    const unsigned schema = ar.GetObjectSchema() & 0xFFFFu;
    // Every character becomes up to dozens of glyph tracks: a text far longer than any
    // board carries is a damaged file, not something to lay out.
    if (m_name.size() > kMaxLoadedLength)
        CArchive::Throw(CArchiveException::tooLarge,
                        "text string of " + std::to_string(m_name.size()) + " characters");
    int hidden = ar.ReadI32();
    int mirror = ar.ReadI32();
    int style = ar.ReadI32();
    if (schema == 1 || schema == 2) {
        hidden = ar.ReadI32();
        mirror = ar.ReadI32();
        style = ar.ReadI32();
    }
    m_hidden = hidden;
    m_mirror = mirror;
    m_style = style;
    BuildGlyphLines();
}

int CTxtTag::RecordSizeFor(int length)
{
    // Lengths beyond any record a file can hold are held to a size that still fits an int.
    const long long len = std::clamp<long long>(length, 0, INT_MAX - 2 * kHeadSize);
    return int(((len + 31) / 32 + 1) * 32);
}

int CTxtTag::GetRecordSize()
{
    return RecordSizeFor(int(std::min<std::size_t>(m_name.size(), INT_MAX)));
}

// Kind 6: kind, layer + 1, position, height, style, rotation in degrees as a 6-byte
// real, text length, then the text from byte 32 followed by a zero byte when the record
// has room for one (a text whose length is a multiple of 32 fills its record exactly).
int CTxtTag::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    const int size = GetRecordSize();
    BYTE* rec = buf + *offset;
    *offset += size;
    std::memset(rec, 0, std::size_t(size));

    LibRecord::PutHeader(rec, LibRecord::Text, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_position.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_position.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(m_sizeY));
    LibRecord::PutU16(rec + 16, std::uint16_t(m_style));
    if (!DoubleToReal48(RadToDeg(m_rotation), rec + 18)) {
        std::memset(rec, 0, std::size_t(size));
        return 0;
    }
    const std::size_t room = std::size_t(size - kHeadSize);
    const std::size_t length = std::min(m_name.size(), room);
    LibRecord::PutI32(rec + 24, std::int32_t(length));
    std::memcpy(rec + kHeadSize, m_name.data(), length);
    return 1;
}

// The text's length comes from its field, held to the bytes the record has after its
// head; the text also ends at a zero byte.
int CTxtTag::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    if (!rec || size < kHeadSize)
        return 0;
    m_position = Position(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                          LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    m_sizeY = LibRecord::FromLength(LibRecord::GetI32(rec + 12));
    m_sizeX = 10.0;
    m_style = LibRecord::GetU16(rec + 16);
    m_rotation = Real48ToAngle(rec + 18);
    const std::int32_t stored = LibRecord::GetI32(rec + 24);
    std::size_t length = stored > 0 ? std::size_t(stored) : 0;
    length = std::min(length, std::size_t(size - kHeadSize));
    const BYTE* text = rec + kHeadSize;
    const BYTE* zero = static_cast<const BYTE*>(std::memchr(text, 0, length));
    if (zero)
        length = std::size_t(zero - text);
    SetName(std::string(reinterpret_cast<const char*>(text), length));
    SetLayer(LibRecord::GetLayer(rec));
    return 1;
}

void CTxtTag::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('S', m_inComponent != 0);
    out += Protel::Len(m_position.x) + Protel::Len(m_position.y);
    out += Protel::Len(m_sizeY);
    out += Protel::Deg(m_rotation);
    out += m_mirror ? "1 " : "0 ";
    out += "1 ";
    out += Protel::Int(m_layer + 1);
    out += "0 0 0 0 ";
    out += Protel::Len(m_sizeX);
    out += "1 0 0\n";
    out += Protel::TextLine(m_name);
    out += "\n";
}
