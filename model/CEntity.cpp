#include "CEntity.h"

#include "BoardServices.h"
#include "Constants.h"
#include "Utilities.h"
#include "platform/CArchive.h"
#include "platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

IMPLEMENT_SERIAL(CEntity, CObject, VERSIONABLE_SCHEMA | 1)

namespace
{

// Resets happen on every thread that makes objects (the board's, the library loader's,
// drawing threads), so each thread counts its own, written only by that thread and
// never shared on the drawing path; the program-wide count sums the counters of the
// threads alive and what the ended threads counted.
struct ResetCounters {
    std::mutex lock;
    std::set<const std::atomic<long>*> live;
    long ended = 0;

    static ResetCounters& All()
    {
        static ResetCounters all;
        return all;
    }
};

class ThreadResetCounter
{
  public:
    ThreadResetCounter()
    {
        ResetCounters& all = ResetCounters::All();
        const std::lock_guard<std::mutex> hold(all.lock);
        all.live.insert(&m_count);
    }
    ~ThreadResetCounter()
    {
        ResetCounters& all = ResetCounters::All();
        const std::lock_guard<std::mutex> hold(all.lock);
        all.ended += m_count.load(std::memory_order_relaxed);
        all.live.erase(&m_count);
    }
    ThreadResetCounter(const ThreadResetCounter&) = delete;
    ThreadResetCounter& operator=(const ThreadResetCounter&) = delete;

    // Only the owning thread writes, so a plain load and store do.
    void Add()
    {
        m_count.store(m_count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }

  private:
    std::atomic<long> m_count{0};
};

ThreadResetCounter& ThisThreadsResets()
{
    thread_local ThreadResetCounter counter;
    return counter;
}

// A number as printf's "%f" writes it in the C locale (six decimals), whatever locale
// the user interface has set.
std::string FormatFixed(double v)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    if (res.ec != std::errc())
        return "0.000000";
    return std::string(buf, res.ptr);
}

std::string FormatPoint(const Position& p)
{
    return "(" + FormatFixed(p.x) + "," + FormatFixed(p.y) + ")";
}

double ReadFinite(CArchive& ar, const char* what)
{
    double v = ar.ReadF64();
    if (!AllFinite({v}))
        CArchive::Throw(CArchiveException::generic,
                        std::string("board object with an invalid ") + what);
    return v;
}

} // namespace

CEntity::CEntity()
{
    CEntity::Reset();
}

CEntity::CEntity(const CEntity& other) : CObject()
{
    CopyCommon(other);
}

CEntity::~CEntity()
{
    ClearStates();
}

void CEntity::CopyCommon(const CEntity& other)
{
    if (this == &other)
        return;
    m_cachedBox = other.m_cachedBox;
    m_inComponent = other.m_inComponent;
    m_exportVariant = other.m_exportVariant;
    m_type = other.m_type;
    m_color = other.m_color;
    m_penStyle = other.m_penStyle;
    m_lineWidth = other.m_lineWidth;
    m_name = other.m_name;
    m_sizeX = other.m_sizeX;
    m_sizeY = other.m_sizeY;
    m_position = other.m_position;
    m_layer = other.m_layer;
    m_rotation = other.m_rotation;
}

// The common part of the document record. The layout is described in
// docs/file-formats.md; writer and reader must stay in step with it.
void CEntity::Serialize(CArchive& ar)
{
    ar.SerializeClass(RUNTIME_CLASS(CEntity));
    if (ar.IsStoring()) {
        m_position.Serialize(ar);
        ar.WriteString(m_name);
        ar.WriteI32(m_layer);
        ar.WriteF64(m_rotation);
        ar.WriteF64(m_lineWidth);
        ar.WriteF64(m_sizeX);
        ar.WriteF64(m_sizeY);
        ar.WriteI32(m_live);
        ar.WriteI32(m_exportVariant);
        ar.WriteI32(m_penStyle);
        ar.WriteU32(m_color);
        return;
    }

    unsigned schema = ar.GetObjectSchema() & 0xFFFFu;
    if (schema != 1 && schema != 2)
        CArchive::Throw(CArchiveException::badSchema,
                        "board object stored with unknown schema " + std::to_string(schema));

    // Everything is read and checked first, so a damaged record changes nothing.
    Position pos;
    pos.Serialize(ar);
    if (!AllFinite({pos.x, pos.y}))
        CArchive::Throw(CArchiveException::generic, "board object with an invalid position");
    std::string name = ar.ReadString();
    int layer = ar.ReadI32();
    if (!IsObjectLayer(layer))
        CArchive::Throw(CArchiveException::generic,
                        "board object on an unknown layer " + std::to_string(layer));
    double rotation = ReadFinite(ar, "rotation");
    double lineWidth = ReadFinite(ar, "line width");
    double sizeX = ReadFinite(ar, "size");
    double sizeY = ReadFinite(ar, "size");
    int live = ar.ReadI32();
    if (live != 0 && live != 1)
        CArchive::Throw(CArchiveException::generic, "board object with an invalid live flag");
    int exportVariant = ar.ReadI32();
    int penStyle = ar.ReadI32();
    COLORREF color = ar.ReadU32();

    m_position = pos;
    m_name = std::move(name);
    m_layer = layer;
    m_rotation = rotation;
    m_lineWidth = lineWidth;
    m_sizeX = sizeX;
    m_sizeY = sizeY;
    m_live = live;
    m_exportVariant = exportVariant;
    m_penStyle = penStyle;
    m_color = color;
}

void CEntity::ClipHatch(CPolygon*, TrackGroups*) {}

int CEntity::GetRecordCount()
{
    return 1;
}

int CEntity::GetRecordSize()
{
    return 0;
}

int CEntity::WriteLibraryRecord(BYTE*, int*)
{
    return 0;
}

CEntity* CEntity::CreateOffset(const Position&, const double*)
{
    return nullptr;
}

void CEntity::CollectLayers(std::map<int, int>& used)
{
    used.emplace(m_layer, 1);
}

int CEntity::GetExtent(BOX2D* out, const HiddenLayers* hidden)
{
    return GetBox(out, hidden);
}

std::string CEntity::GetNameString()
{
    const char* name = GetName();
    return name ? std::string(name) : std::string();
}

std::string CEntity::GetTypeName()
{
    return "Entity";
}

Position CEntity::GetSnapPoint(const Position&)
{
    return Position(0.0, 0.0);
}

void CEntity::ExportText(std::string&, std::map<int, int>& counts)
{
    auto it = counts.find(GetType());
    if (it != counts.end())
        ++it->second;
}

void CEntity::DrawSelected(DrawContext* dc, int mode, Rect clip)
{
    CEntity* highlight = Clone();
    if (!highlight)
        return;
    // The copy must not be selected, or drawing it would ask for its highlight again.
    highlight->m_selected = 0;
    highlight->SetLayer(LAYER_HIGHLIGHT);
    highlight->Draw(dc, mode, clip, nullptr);
    delete highlight;
}

void CEntity::SetAngle(const double& radians)
{
    NotifyBoxChanged();
    m_rotation = CAngle::Normalize(radians);
}

void CEntity::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    m_position.MirrorHorizontal(p);
}

void CEntity::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    m_position.MirrorVertical(p);
}

void CEntity::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    m_position.Rotate(c, a);
    m_rotation = CAngle::Normalize(m_rotation + a);
}

int CEntity::ReadFromLibraryRecord(const BYTE*, int)
{
    return 0;
}

int CEntity::GetFixedRecordSize()
{
    return -1;
}

void CEntity::SetLineWidth(const double* width)
{
    NotifyBoxChanged();
    if (width)
        m_lineWidth = *width;
}

int CEntity::EditProperties(UINT, const Position&)
{
    Invalidate();
    return 0;
}

BOOL CEntity::HitTest(Rect r)
{
    Rect own = GetScreenRect();
    Point scroll = BoardServices::Current().GetViewScrollPosition();
    own.Offset(scroll.x, scroll.y);
    return (own == r || own.Intersects(r)) ? TRUE : FALSE;
}

Rect CEntity::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

namespace
{
thread_local bool theDrawingShared = false;
}

void CEntity::SetDrawingShared(bool shared)
{
    theDrawingShared = shared;
}

bool CEntity::KeepBox(const BOX2D& box)
{
    if (theDrawingShared)
        return false;
    m_cachedBox = box;
    return true;
}

int CEntity::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!out || IsLayerHidden(hidden))
        return 0;
    *out = m_cachedBox;
    return 1;
}

void CEntity::SetLayer(int layer)
{
    NotifyBoxChanged();
    m_layer = layer;
}

void CEntity::SetHoleSize(const double&) {}

Position CEntity::GetPosition()
{
    NotifyBoxChanged();
    return m_position;
}

double CEntity::GetHoleSize()
{
    return 0.0;
}

int CEntity::SetPosition(const Position& p, int)
{
    NotifyBoxChanged();
    m_position = p;
    return 0;
}

int CEntity::Move(const Position& to, const Position& from, int*)
{
    NotifyBoxChanged();
    m_position += to - from;
    return 0;
}

void CEntity::SetSizeY(double size)
{
    NotifyBoxChanged();
    m_sizeY = size;
}

void CEntity::SetSizeX(double size)
{
    NotifyBoxChanged();
    m_sizeX = size;
}

const char* CEntity::GetName()
{
    return m_name.c_str();
}

void CEntity::SetName(std::string name)
{
    NotifyBoxChanged();
    m_name = std::move(name);
}

int CEntity::HitHandle(const Position&, int*)
{
    return -1;
}

BOOL CEntity::HitTestPoint(const Position&, const double*, const HiddenLayers*)
{
    return FALSE;
}

CEntity& CEntity::operator=(const CEntity& other)
{
    if (this == &other)
        return *this;
    NotifyBoxChanged();
    CopyCommon(other);
    return *this;
}

CEntity& CEntity::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CopyCommon(other);
    return *this;
}

int CEntity::GetType()
{
    return m_type;
}

CEntity* CEntity::Clone()
{
    return nullptr;
}

void CEntity::Reset()
{
    m_cachedBox = BOX2D();
    m_inComponent = 0;
    m_exportVariant = 0;
    m_type = -1;
    m_color = 0;
    m_penStyle = 0;
    m_lineWidth = 10.0;
    m_name.clear();
    m_sizeX = 0.0;
    m_sizeY = 0.0;
    m_layer = 0;
    m_rotation = 0.0;
    m_live = 1;
    ThisThreadsResets().Add();
}

void CEntity::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!m_live || !m_selected || mode != DM_NORMAL || IsLayerHidden(hidden))
        return;
    DrawSelected(dc, mode, clip);
}

void CEntity::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    Position d = to - from;
    m_position += d;
    m_cachedBox.x1 += d.x;
    m_cachedBox.x2 += d.x;
    m_cachedBox.y1 += d.y;
    m_cachedBox.y2 += d.y;
}

void CEntity::DragHandle(int*, const Position&) {}

int CEntity::HitEndPoint(const Position&)
{
    NotifyBoxChanged();
    return -1;
}

void CEntity::Activate()
{
    m_live = 1;
    m_activatedAt = Clock::Current().NowMs();
}

void CEntity::ToggleSelect()
{
    m_selected = m_selected ? 0 : 1;
    if (m_boxListener)
        m_boxListener->SelectionChanged(this);
    Invalidate();
}

void CEntity::Invalidate()
{
    BoardServices::Current().InvalidateObject(*this, GetScreenRect());
}

bool CEntity::MeetsClip(const Rect& clip)
{
    if (clip.right <= clip.left || clip.bottom <= clip.top)
        return true;
    const Rect own = ClipReach();
    return own == clip || own.Intersects(clip);
}

BOOL CEntity::IntersectsBox(const BOX2D& box)
{
    BOX2D own;
    GetBox(&own, nullptr);
    return own.Intersects(box);
}

void CEntity::PreparePenAndBrush(DrawContext* dc, int mode, PenSpec* pen, BrushSpec* brush)
{
    if (mode == DM_NONE)
        return;
    if (brush)
        *brush = BrushSpec{BrushStyle::Solid, m_color};

    PenStyle style = PenStyle::Solid;
    COLORREF penColor = m_color;
    switch (mode) {
    case DM_DASHED:
        style = PenStyle::Dash;
        break;
    case DM_ERASE:
        penColor = dc ? dc->GetBkColor() : COLORREF(m_color);
        break;
    case DM_OUTLINE:
        if (brush)
            *brush = BrushSpec{BrushStyle::Hollow, 0};
        break;
    default:
        break;
    }
    if (pen)
        *pen = PenSpec{style, 1, penColor};
}

bool CEntity::SelectPenAndBrush(DrawContext* dc, int mode, int penWidth)
{
    if (mode == DM_NONE || !dc)
        return false;
    dc->SaveState();
    PenSpec pen;
    BrushSpec brush;
    PreparePenAndBrush(dc, mode, &pen, &brush);
    pen.width = std::max(1, penWidth);
    dc->SetPen(pen);
    dc->SetBrush(brush);
    return true;
}

std::string CEntity::GetLayerName() const
{
    return LayerName(m_layer);
}

std::string CEntity::LayerName(int layer)
{
    if (layer == LAYER_TOP)
        return "Top Layer";
    if (layer >= LAYER_MID_FIRST && layer <= LAYER_MID_LAST)
        return "Mid Layer " + std::to_string(layer);
    if (layer >= LAYER_PLANE_FIRST && layer <= LAYER_PLANE_LAST)
        return "Internal Plane " + std::to_string(layer - LAYER_PLANE_FIRST + 1);
    if (layer > LAYER_MECH_FIRST && layer <= LAYER_MECH_LAST)
        return "Mechanical Layer " + std::to_string(layer - LAYER_MECH_FIRST + 1);
    switch (layer) {
    case LAYER_BOTTOM:
        return "Bot Layer 15";
    case LAYER_TOP_OVERLAY:
        return "Top Overlay";
    case LAYER_BOTTOM_OVERLAY:
        return "Bottom Overlay";
    case LAYER_TOP_PASTE:
        return "Top Paste Mask";
    case LAYER_BOTTOM_PASTE:
        return "Bottom Paste Mask";
    case LAYER_TOP_SOLDER:
        return "Top Solider Mask";
    case LAYER_BOTTOM_SOLDER:
        return "Bottom Solider Mask";
    case LAYER_DRILL_GUIDE:
        return "Drill Guide";
    case LAYER_KEEPOUT:
        return "Keepout Lay";
    case LAYER_MECH_FIRST:
        return "Mechanical Layer1";
    case LAYER_DRILL_DRAWING:
        return "Drill Drawing";
    case LAYER_MULTI:
        return "Multi Layer";
    case LAYER_PAD_HOLE:
        return "Pad Hole";
    case LAYER_VIA_HOLE:
        return "Via Hole";
    default:
        return "Unkonwn Layer";
    }
}

std::string CEntity::GetDescription()
{
    std::string text = GetTypeName();
    const char* name = GetName();
    if (name && *name) {
        text += " \"";
        text += name;
        text += "\" " + FormatPoint(m_position) + " ";
    } else {
        text += " " + FormatPoint(GetPosition()) + " ";
    }
    text += GetLayerName();
    return text;
}

CEntity::States& CEntity::KeptStates()
{
    if (!m_states)
        m_states = std::make_unique<States>();
    return *m_states;
}

void CEntity::PushUndoState(CEntity* before)
{
    if (!before)
        return;
    if (CEntity* copy = before->Clone())
        KeptStates().earlier.push_back(copy);
}

void CEntity::MoveStates(const Position& from, const Position& to)
{
    if (!m_states)
        return;
    for (CEntity* s : m_states->earlier)
        s->MoveBy(from, to);
    for (CEntity* s : m_states->later)
        s->MoveBy(from, to);
}

void CEntity::UndoState()
{
    NotifyBoxChanged();
    if (EarlierStateCount() == 0)
        return;
    if (CEntity* now = Clone())
        m_states->later.push_back(now);
    std::unique_ptr<CEntity> state(m_states->earlier.back());
    m_states->earlier.pop_back();
    CopyFrom(*state);
}

void CEntity::DropToEarlierState()
{
    NotifyBoxChanged();
    if (EarlierStateCount() == 0)
        return;
    std::unique_ptr<CEntity> state(m_states->earlier.back());
    m_states->earlier.pop_back();
    CopyFrom(*state);
}

void CEntity::RedoState()
{
    NotifyBoxChanged();
    if (LaterStateCount() == 0)
        return;
    if (CEntity* now = Clone())
        m_states->earlier.push_back(now);
    std::unique_ptr<CEntity> state(m_states->later.back());
    m_states->later.pop_back();
    CopyFrom(*state);
}

CursorShape CEntity::ResizeCursorCode(double angle)
{
    if (!std::isfinite(angle))
        return CursorShape::Arrow;
    // A double arrow looks the same both ways: fold the direction into half a turn.
    double deg = std::fmod(angle * 180.0 / PI, 180.0);
    if (deg < 0.0)
        deg += 180.0;
    if (deg < 22.5 || deg >= 157.5)
        return CursorShape::SizeWE;
    if (deg < 67.5)
        return CursorShape::SizeNESW;
    if (deg < 112.5)
        return CursorShape::SizeNS;
    return CursorShape::SizeNWSE;
}

long CEntity::ResetCount()
{
    ResetCounters& all = ResetCounters::All();
    const std::lock_guard<std::mutex> hold(all.lock);
    long sum = all.ended;
    for (const std::atomic<long>* count : all.live)
        sum += count->load(std::memory_order_relaxed);
    return sum;
}

bool CEntity::IsLayerHidden(const HiddenLayers* hidden) const
{
    return hidden && hidden->count(m_layer) != 0;
}

void CEntity::ClearStates()
{
    if (!m_states)
        return;
    for (CEntity* s : m_states->earlier)
        delete s;
    for (CEntity* s : m_states->later)
        delete s;
    m_states.reset();
}

double NormalizeAngle(double* a)
{
    if (!a)
        return 0.0;
    *a = CAngle::Normalize(*a);
    return *a;
}
