#include "CTxtTag.h"

#include "BoardServices.h"
#include "CRectAngle.h"
#include "CRound.h"
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

namespace
{

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
// Strokes of room the layout buffer keeps between layouts.
constexpr std::size_t kKeptGatherRoom = 4096;

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

// Strokes are drawn and boxed as tracks are: through an obround half a width longer
// than the stroke at each end, turned along it. One body serves every stroke in turn.
class StrokeBody
{
  public:
    StrokeBody(double width, int layer) : m_width(width), m_body(Position(), 0.0, 0.0, layer) {}

    CRound& Over(const GlyphStroke& s)
    {
        const Position start = s.Start();
        const Position end = s.End();
        m_body.SetPosition(start.MidPoint(end), 0);
        m_body.SetSizeX(start.Distance(end) + m_width);
        m_body.SetSizeY(m_width);
        m_body.SetAngle(start.AngleTo(end));
        return m_body;
    }

    // Whether the body over s may light a pixel of `clip` (client pixels; an empty clip is
    // the whole view): its box, a whole width wider than the stroke on every side, meets
    // it.
    bool MayMeet(const GlyphStroke& s, const Rect& clip) const
    {
        if (clip.IsEmpty())
            return true;
        const double w = std::fabs(m_width);
        const Rect r = BOX2D(std::min(s.x1, s.x2) - w, std::min(s.y1, s.y2) - w,
                             std::max(s.x1, s.x2) + w, std::max(s.y1, s.y2) + w)
                           .ToDeviceRect();
        return r == clip || r.Intersects(clip);
    }

    BOX2D BoxOver(const GlyphStroke& s)
    {
        BOX2D box;
        Over(s).GetBox(&box);
        return box;
    }

    // A box that the body's box over s cannot reach beyond, worked out without turning
    // corners. That box is the one of a rectangle about the stroke's middle (the obround
    // lengthened by its width) turned along the stroke: on each axis its corners lie no
    // further from the middle than the rectangle's half sides projected on the axis, nor
    // than its half diagonal. The slack covers the rounding of the turned corners and of
    // the program's value of pi in the angles, many times over.
    BOX2D ReachOver(const GlyphStroke& s) const
    {
        const Position start = s.Start();
        const Position end = s.End();
        const double strokeLength = start.Distance(end);
        const double sizeX = strokeLength + m_width;
        const double sizeY = m_width;
        const double length = std::fabs(sizeX > sizeY ? sizeX + sizeY : sizeX);
        const double width = std::fabs(sizeY > sizeX ? sizeY + sizeX : sizeY);
        const double halfDiagonal = std::sqrt(length * length + width * width) * 0.5;
        double reachX = halfDiagonal;
        double reachY = halfDiagonal;
        if (strokeLength > 0.0) {
            const double alongX = std::fabs(end.x - start.x) / strokeLength;
            const double alongY = std::fabs(end.y - start.y) / strokeLength;
            reachX = std::min(reachX, (length * alongX + width * alongY) * 0.5);
            reachY = std::min(reachY, (length * alongY + width * alongX) * 0.5);
        }
        const Position middle = start.MidPoint(end);
        const double slack = halfDiagonal * 1e-5 +
                             (std::fabs(middle.x) + std::fabs(middle.y) + halfDiagonal) * 1e-12;
        reachX += slack;
        reachY += slack;
        return BOX2D(middle.x - reachX, middle.y - reachY, middle.x + reachX, middle.y + reachY);
    }

  private:
    double m_width;
    CRound m_body;
};

// Comparisons with NaN fail: nothing with a NaN lies inside.
bool Inside(const BOX2D& inner, const BOX2D& outer)
{
    return inner.x1 >= outer.x1 && inner.x2 <= outer.x2 && inner.y1 >= outer.y1 &&
           inner.y2 <= outer.y2;
}

bool Moderate(double v)
{
    return std::fabs(v) <= 1e100; // false for NaN
}

// The union of the strokes' body boxes as merging them one after the other gives it.
// Merging skips bare points (unless the union so far is one) and keeps the least and
// greatest coordinates of the others, so while no coordinate can be NaN (nor a zero of
// either sign at an edge) the order does not matter: the strokes reaching furthest each
// way are measured first, and then only the strokes that might still widen the union.
// Coordinates or widths so large that they might overflow, widths so small that a
// corner might round to a signed zero, and a union that is still a bare point are
// merged in order.
BOX2D UnionOfBodies(const std::vector<GlyphStroke>& strokes, double width, int layer)
{
    StrokeBody body(width, layer);
    const std::size_t n = strokes.size();
    auto inOrder = [&] {
        BOX2D box = body.BoxOver(strokes.front());
        for (std::size_t i = 1; i < n; ++i)
            box.Merge(body.BoxOver(strokes[i]));
        return box;
    };
    if (n < 8 || !Moderate(width) || std::fabs(width) < 1e-100)
        return inOrder();

    // Left, bottom, right, top.
    std::size_t furthest[4] = {0, 0, 0, 0};
    BOX2D extreme = body.ReachOver(strokes.front());
    for (std::size_t i = 0; i < n; ++i) {
        const GlyphStroke& s = strokes[i];
        if (!Moderate(s.x1) || !Moderate(s.y1) || !Moderate(s.x2) || !Moderate(s.y2))
            return inOrder();
        const BOX2D reach = body.ReachOver(s);
        if (reach.x1 < extreme.x1) {
            extreme.x1 = reach.x1;
            furthest[0] = i;
        }
        if (reach.y1 < extreme.y1) {
            extreme.y1 = reach.y1;
            furthest[1] = i;
        }
        if (reach.x2 > extreme.x2) {
            extreme.x2 = reach.x2;
            furthest[2] = i;
        }
        if (reach.y2 > extreme.y2) {
            extreme.y2 = reach.y2;
            furthest[3] = i;
        }
    }
    auto isFurthest = [&](std::size_t i) {
        return std::find(std::begin(furthest), std::end(furthest), i) != std::end(furthest);
    };
    BOX2D box = body.BoxOver(strokes[furthest[0]]);
    for (int k = 1; k < 4; ++k)
        if (std::find(furthest, furthest + k, furthest[k]) == furthest + k)
            box.Merge(body.BoxOver(strokes[furthest[k]]));
    for (std::size_t i = 0; i < n; ++i) {
        if (isFurthest(i) || (!box.IsEmpty() && Inside(body.ReachOver(strokes[i]), box)))
            continue;
        box.Merge(body.BoxOver(strokes[i]));
    }
    return box.IsEmpty() ? inOrder() : box;
}

// Applies a transformation of points to both ends of every stroke.
template <class Transform>
void TransformEnds(std::vector<GlyphStroke>& strokes, Transform transform)
{
    for (GlyphStroke& s : strokes) {
        Position start = s.Start();
        Position end = s.End();
        transform(start);
        transform(end);
        s = GlyphStroke{start.x, start.y, end.x, end.y};
    }
}

// Position::Rotate with the cosine and sine worked out once for a whole text.
void RotateAbout(Position& p, const Position& c, double cs, double sn)
{
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    p.x = c.x + dx * cs - dy * sn;
    p.y = c.y + dx * sn + dy * cs;
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
    : CEntity(other), m_mirror(other.m_mirror), m_hidden(other.m_hidden), m_style(other.m_style),
      m_glyphStrokes(other.m_glyphStrokes), m_textWidth(other.m_textWidth),
      m_charHeight(other.m_charHeight), m_strokesBox(other.m_strokesBox),
      m_strokesBoxWidth(other.m_strokesBoxWidth)
{
}

CTxtTag& CTxtTag::operator=(const CTxtTag& other)
{
    NotifyBoxChanged();
    if (this == &other)
        return *this;
    CEntity::operator=(other);
    m_style = other.m_style;
    m_hidden = other.m_hidden;
    m_mirror = other.m_mirror;
    m_textWidth = other.m_textWidth;
    m_charHeight = other.m_charHeight;
    m_glyphStrokes = other.m_glyphStrokes;
    m_strokesBox = other.m_strokesBox;
    m_strokesBoxWidth = other.m_strokesBoxWidth;
    return *this;
}

CEntity& CTxtTag::operator=(const CEntity& other)
{
    NotifyBoxChanged();
    if (const auto* text = dynamic_cast<const CTxtTag*>(&other))
        return operator=(*text);
    return CEntity::operator=(other);
}

CTxtTag::~CTxtTag() = default;

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
    // The text is gone, and its strokes with it.
    ClearGlyphLines();
    m_textWidth = 0;
    m_charHeight = 0;
}

CEntity& CTxtTag::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    if (this == &other)
        return *this;
    CEntity::CopyFrom(other);
    if (const auto* text = dynamic_cast<const CTxtTag*>(&other)) {
        m_style = text->m_style;
        m_hidden = text->m_hidden;
        m_mirror = text->m_mirror;
        m_textWidth = text->m_textWidth;
        m_charHeight = text->m_charHeight;
        m_glyphStrokes = text->m_glyphStrokes;
        m_strokesBox = text->m_strokesBox;
        m_strokesBoxWidth = text->m_strokesBoxWidth;
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
// Glyph strokes

void CTxtTag::ClearGlyphLines()
{
    NotifyBoxChanged();
    StrokesChanged();
    std::vector<GlyphStroke>().swap(m_glyphStrokes);
}

void CTxtTag::ShiftStrokes(const Position& shift)
{
    NotifyBoxChanged();
    StrokesChanged();
    for (GlyphStroke& s : m_glyphStrokes) {
        s.x1 += shift.x;
        s.y1 += shift.y;
        s.x2 += shift.x;
        s.y2 += shift.y;
    }
}

const CStrokeFont& CTxtTag::Font()
{
    const CStrokeFont* font = BoardServices::Current().GetStrokeFont();
    return font ? *font : CStrokeFont::Default();
}

// The characters become strokes, in glyph units scaled by s = height / 22 with the
// baseline (glyph y = -9) on the reference point. Each character advances the pen by
// its box width plus 8 units. A character without a glyph (or whose glyph draws no
// point, or has more strokes than a character may have) makes no stroke and advances by
// the box of the character before it, or by a space's box when it comes first. A
// mirrored text is laid out from its last character, each glyph flipped within its own
// box, and then moved back by its width so that it ends at the reference point.
bool CTxtTag::BuildGlyphLines()
{
    NotifyBoxChanged();
    ClearGlyphLines();
    if (m_name.empty())
        return false;
    // The strokes are gathered in a buffer kept by each thread and then copied into
    // storage of their exact size: a board holds many texts, and growing every text's
    // store step by step would leave each with spare room and the heap fragmented.
    thread_local std::vector<GlyphStroke> gathered;
    gathered.clear();

    const CStrokeFont& font = Font();
    const double s = m_sizeY * (1.0 / kUnitsPerHeight);
    const double yOff = kBaselineUnits * s;
    const double x = m_position.x;
    const double y = m_position.y;
    double xPos = 0.0;
    double heightSum = 0.0;
    const std::size_t n = m_name.size();

    const double cs = std::cos(m_rotation);
    const double sn = std::sin(m_rotation);
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
                RotateAbout(p1, m_position, cs, sn);
                RotateAbout(p2, m_position, cs, sn);
                gathered.push_back(GlyphStroke{p1.x, p1.y, p2.x, p2.y});
            }
        }
        xPos += (maxX - minX + kCharGap) * s;
        heightSum += (maxY - minY + kCharGap) * s;
    }
    m_textWidth = TruncInt(xPos - kCharGap * s);
    m_charHeight = TruncInt((heightSum - kCharGap * s) / double(n));
    m_glyphStrokes.assign(gathered.begin(), gathered.end());
    StrokesChanged();
    // An unusually long text does not keep its room in the buffer.
    if (gathered.capacity() > kKeptGatherRoom)
        std::vector<GlyphStroke>().swap(gathered);

    if (m_mirror) {
        const Position end = m_position.PolarOffset(double(m_textWidth), m_rotation);
        ShiftStrokes(m_position - end);
    }
    // Keep the cached box in step with the new strokes.
    BOX2D box;
    GetBox(&box);
    return !m_glyphStrokes.empty();
}

void CTxtTag::SetName(std::string name)
{
    NotifyBoxChanged();
    m_name = std::move(name);
    BuildGlyphLines();
}

// ---------------------------------------------------------------------------------
// Box and hit tests

int CTxtTag::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    if (m_glyphStrokes.empty())
        return 1;
    if (m_strokesBoxWidth != m_sizeX || m_sizeX == kNoStrokesBox) {
        const BOX2D box = UnionOfBodies(m_glyphStrokes, m_sizeX, m_layer);
        *out = box;
        if (KeepBox(box)) {
            m_strokesBox = box;
            m_strokesBoxWidth = m_sizeX;
        }
        return 1;
    }
    KeepBox(m_strokesBox);
    *out = m_strokesBox;
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
    NotifyBoxChanged();
    // The strokes are on the text's layer.
    CEntity::SetLayer(layer);
}

void CTxtTag::SetAngle(const double& radians)
{
    NotifyBoxChanged();
    m_rotation = radians;
}

int CTxtTag::SetPosition(const Position& p, int /*flag*/)
{
    NotifyBoxChanged();
    const Position from = m_position;
    ShiftStrokes(p - from);
    m_cachedBox.Move(p, from);
    m_position = p;
    return 0;
}

int CTxtTag::Move(const Position& to, const Position& from, int* /*flag*/)
{
    NotifyBoxChanged();
    m_position += to - from;
    ShiftStrokes(to - from);
    m_cachedBox.Move(to, from);
    return 0;
}

void CTxtTag::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    CEntity::MoveBy(from, to);
    ShiftStrokes(to - from);
}

void CTxtTag::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.Rotate(centre, angle);
    TransformEnds(m_glyphStrokes, [&](Position& e) { e.Rotate(centre, angle); });
    StrokesChanged();
    m_cachedBox.Rotate(centre, angle);
}

// A mirrored text runs backwards from its reference point (along rotation + pi) with
// flipped glyphs. A reflection across a vertical axis turns a direction d into pi - d,
// one across a horizontal axis into -d; so that laying the reflected text out again
// gives back the reflected strokes, the rotation r becomes -r across a vertical axis and
// pi - r across a horizontal one. For an unrotated text that is the rotation kept
// (vertical axis) or turned by pi (horizontal axis).
void CTxtTag::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorY(axis);
    m_rotation = CAngle(PI - m_rotation).GetValue();
    m_mirror = m_mirror ? 0 : 1;
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.MirrorY(axis);
    TransformEnds(m_glyphStrokes, [&](Position& e) { e.MirrorHorizontal(axis); });
    StrokesChanged();
    m_cachedBox.MirrorY(axis);
}

void CTxtTag::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorX(axis);
    m_rotation = CAngle(0.0 - m_rotation).GetValue();
    m_mirror = m_mirror ? 0 : 1;
    if (!IsPrototype() && !IsComponentPart())
        thePrototypeTxtTag.MirrorX(axis);
    TransformEnds(m_glyphStrokes, [&](Position& e) { e.MirrorVertical(axis); });
    StrokesChanged();
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
    StrokeBody body(m_sizeX, m_layer);
    // Every stroke's ends lie within the box of the strokes' bodies: where that lies
    // within the clip, every stroke meets it.
    bool allMeet = clip.IsEmpty();
    if (!allMeet && m_strokesBoxWidth == m_sizeX && m_sizeX != kNoStrokesBox) {
        const Rect r = m_strokesBox.ToDeviceRect();
        allMeet = !r.IsEmpty() && clip.Contains(r);
    }
    for (const GlyphStroke& s : m_glyphStrokes)
        if ((allMeet || body.MayMeet(s, clip)) &&
            !CRound::DrawFilledSegment(dc, mode, s.Start(), s.End(), m_sizeX, m_color))
            body.Over(s).Draw(dc, mode, clip, hidden);
    CEntity::Draw(dc, mode, clip, hidden);
}

void CTxtTag::DrawSelected(DrawContext* dc, int mode, Rect clip)
{
    CEntity::DrawSelected(dc, mode, clip);
}

// ---------------------------------------------------------------------------------
// Property dialog

TextProperties CTxtTag::GetProperties()
{
    TextProperties values;
    values.position = GetPosition();
    values.text = m_name;
    values.layer = m_layer;
    values.width = m_sizeX;
    values.height = m_sizeY;
    values.rotation = m_rotation;
    values.mirror = m_mirror;
    return values;
}

void CTxtTag::SetProperties(const TextProperties& values)
{
    NotifyBoxChanged();
    SetPosition(values.position, 0);
    SetLayer(values.layer);
    m_sizeX = values.width;
    m_sizeY = values.height;
    m_name = values.text;
    SetAngle(values.rotation);
    // The dialog gives rotation and mirror flag as they are to be: the flag is taken as it
    // is (mirroring about the reference point would also reflect the rotation just set),
    // and the layout below flips the glyphs.
    m_mirror = values.mirror ? 1 : 0;
    BuildGlyphLines();
}

int CTxtTag::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    TextProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        thePrototypeTxtTag.CopyFrom(*this);
        thePrototypeTxtTag.SetComponentPart(0);
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
    // Every character becomes up to dozens of glyph strokes: a text far longer than any
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
    if (!DoubleToReal48(AngleToRecordDegrees(m_rotation), rec + 18)) {
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
    // Refused: a board holding an object on a layer outside the board could be saved
    // but not opened again.
    const int layer = LibRecord::GetLayer(rec);
    if (!IsObjectLayer(layer))
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
    SetLayer(layer);
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
