#include "CFreePad.h"

#include "BoardServices.h"
#include "CCircle.h"
#include "CRectAngle.h"
#include "CRound.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <list>

IMPLEMENT_SERIAL_MADE_BY(CFreePad, CEntity, VERSIONABLE_SCHEMA | 1, new CFreePad(ToBeRead{}))

// Built at start-up like any other pad; reads no other global.
CFreePad thePrototypeFreePad;

namespace
{

constexpr int kRecordSize = 96;
constexpr int kOldRecordSize = 64;
// Where the three shape entries of a kind-9 record lie, and how long each is.
constexpr int kShapeEntries[3] = {66, 76, 86};
constexpr int kNameBytes = 4;

// The pad defaults.
constexpr double kDefaultSize = 60.0;
constexpr double kDefaultHole = 30.0;

// Shape codes of library records. Code 3 (an older round) and unknown codes read as round.
constexpr std::uint16_t kRecordRound = 1;
constexpr std::uint16_t kRecordRectangle = 2;

// The layer a library record stands for. A stored 0 (no layer) and anything that is
// not a board layer put the object on the multi-layer.
int RecordLayer(const BYTE* rec)
{
    const int layer = LibRecord::GetLayer(rec);
    return (layer < 0 || layer >= LAYER_BOARD_COUNT) ? int(LAYER_MULTI) : layer;
}

// Whether an object read as a pad part is one of the shapes a pad is made of.
bool IsPartClass(const CObject* ob)
{
    return ob && (ob->GetRuntimeClass() == RUNTIME_CLASS(CRound) ||
                  ob->GetRuntimeClass() == RUNTIME_CLASS(CRectAngle) ||
                  ob->GetRuntimeClass() == RUNTIME_CLASS(CCircle));
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CFreePad::CFreePad()
{
    CFreePad::Reset();
}

CFreePad::CFreePad(ToBeRead)
{
    ResetWithoutParts();
}

CFreePad::CFreePad(const Position& at)
{
    CFreePad::Reset();
    CFreePad::CopyFrom(thePrototypeFreePad);
    // A pad placed by the user belongs to no component, whatever the prototype copied last.
    m_inComponent = 0;
    m_position = at;
    std::string name = m_name;
    IncrementNameNumber(name, 1);
    m_name = name;
    thePrototypeFreePad.SetName(name);
    CFreePad::SetPosition(at, 0);
}

CFreePad::CFreePad(const CFreePad& other) : CEntity(other)
{
    for (CEntity* part : other.m_parts)
        if (CEntity* copy = part->Clone())
            m_parts.push_back(copy);
}

CFreePad::~CFreePad()
{
    RemoveParts();
}

void CFreePad::ResetWithoutParts()
{
    CEntity::Reset();
    m_type = ET_FREEPAD;
    m_sizeX = kDefaultSize;
    m_sizeY = kDefaultSize;
    RemoveParts();
}

void CFreePad::Reset()
{
    ResetWithoutParts();
    for (int i = COPPER_FIRST; i <= COPPER_TOP; ++i)
        m_parts.push_back(new CRound(m_position, kDefaultSize, kDefaultSize, m_layer));
    m_parts.push_back(new CRound(m_position, kDefaultHole, kDefaultHole, LAYER_PAD_HOLE));
    BOX2D box;
    CFreePad::GetBox(&box, nullptr);
}

void CFreePad::RemoveParts()
{
    NotifyBoxChanged();
    while (!m_parts.empty()) {
        delete m_parts.back();
        m_parts.pop_back();
    }
}

CEntity* CFreePad::GetPart(int index) const
{
    return (index >= 0 && index < int(m_parts.size())) ? m_parts[std::size_t(index)] : nullptr;
}

CEntity& CFreePad::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    if (this == &other)
        return *this;
    CEntity::CopyFrom(other);
    if (const auto* pad = dynamic_cast<const CFreePad*>(&other)) {
        std::vector<CEntity*> copies;
        copies.reserve(pad->m_parts.size());
        for (CEntity* part : pad->m_parts)
            if (CEntity* copy = part->Clone())
                copies.push_back(copy);
        RemoveParts();
        m_parts = std::move(copies);
    }
    return *this;
}

CEntity* CFreePad::Clone()
{
    return new CFreePad(*this);
}

// ---------------------------------------------------------------------------------
// Shape, sizes and layers

int CFreePad::GetShapeType()
{
    CEntity* copper = GetPart(COPPER_FIRST);
    return copper ? copper->GetType() : ET_ROUND;
}

void CFreePad::SetShape(int type)
{
    NotifyBoxChanged();
    if (type != ET_ROUND && type != ET_RECTANGLE)
        return;
    for (int i = COPPER_FIRST; i <= COPPER_TOP; ++i) {
        CEntity* shape = type == ET_ROUND ? static_cast<CEntity*>(new CRound)
                                          : static_cast<CEntity*>(new CRectAngle);
        CEntity* old = GetPart(i);
        // The old part's attributes carry over (its layer may differ from the pad's own
        // layer field, as in a via); the geometry is the pad's.
        if (old)
            shape->CEntity::CopyFrom(*old);
        else
            shape->SetLayer(m_layer);
        shape->SetPosition(m_position, 0);
        shape->SetSizeX(m_sizeX);
        shape->SetSizeY(m_sizeY);
        shape->SetAngle(m_rotation);
        if (old) {
            m_parts[std::size_t(i)] = shape;
            delete old;
        } else {
            m_parts.push_back(shape);
        }
    }
}

void CFreePad::SetShapeRadius(const double* r)
{
    NotifyBoxChanged();
    if (!r)
        return;
    if (auto* circle = dynamic_cast<CCircle*>(GetPart(COPPER_FIRST)))
        circle->SetRadius(*r);
}

void CFreePad::SetLayer(int layer)
{
    NotifyBoxChanged();
    CEntity::SetLayer(layer);
    for (int i = COPPER_FIRST; i <= COPPER_TOP; ++i)
        if (CEntity* copper = GetPart(i))
            copper->SetLayer(layer);
    if (CEntity* hole = GetPart(HOLE))
        hole->SetLayer(LAYER_PAD_HOLE);
}

void CFreePad::SetHoleSize(const double& size)
{
    NotifyBoxChanged();
    if (CEntity* hole = GetPart(HOLE)) {
        hole->SetSizeX(size);
        hole->SetSizeY(size);
    }
}

double CFreePad::GetHoleSize()
{
    CEntity* hole = GetPart(HOLE);
    return hole ? hole->GetSizeX() : 0.0;
}

void CFreePad::SetSizeX(double size)
{
    NotifyBoxChanged();
    CEntity::SetSizeX(size);
    for (int i = COPPER_FIRST; i <= COPPER_TOP; ++i)
        if (CEntity* copper = GetPart(i))
            copper->SetSizeX(size);
}

void CFreePad::SetSizeY(double size)
{
    NotifyBoxChanged();
    CEntity::SetSizeY(size);
    for (int i = COPPER_FIRST; i <= COPPER_TOP; ++i)
        if (CEntity* copper = GetPart(i))
            copper->SetSizeY(size);
}

void CFreePad::CollectLayers(std::map<int, int>& used)
{
    CEntity::CollectLayers(used);
    if (GetHoleSize() > 0.0)
        for (int key : {int(LAYER_PAD_HOLE), int(LAYER_VIA_HOLE), int(LAYER_MULTI)})
            used.emplace(key, 1);
}

// ---------------------------------------------------------------------------------
// Box and hit tests

int CFreePad::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    BOX2D box(m_position.x, m_position.y, m_position.x, m_position.y);
    bool first = true;
    for (CEntity* part : m_parts) {
        BOX2D b;
        if (!part->GetBox(&b, nullptr))
            continue;
        if (first) {
            box = b;
            first = false;
            continue;
        }
        box.x1 = std::min(box.x1, b.x1);
        box.y1 = std::min(box.y1, b.y1);
        box.x2 = std::max(box.x2, b.x2);
        box.y2 = std::max(box.y2, b.y2);
    }
    KeepBox(box);
    *out = box;
    return 1;
}

Rect CFreePad::ClipReach()
{
    // A round or rectangular part's box, turned or not, lies within its two sizes of its
    // centre (a round one's is a short side longer than itself).
    constexpr double kInf = std::numeric_limits<double>::infinity();
    BOX2D reach(kInf, kInf, -kInf, -kInf);
    for (CEntity* part : m_parts) {
        const int type = part->GetType();
        const double r = std::fabs(part->GetSizeX()) + std::fabs(part->GetSizeY());
        const Position c = part->GetPosition();
        if ((type != ET_ROUND && type != ET_RECTANGLE) || !std::isfinite(r + c.x + c.y))
            return GetScreenRect();
        reach = BOX2D(std::min(reach.x1, c.x - r), std::min(reach.y1, c.y - r),
                      std::max(reach.x2, c.x + r), std::max(reach.y2, c.y + r));
    }
    return m_parts.empty() ? GetScreenRect() : reach.ToDeviceRect();
}

int CFreePad::GetExtent(BOX2D* out, const HiddenLayers*)
{
    if (!out)
        return 0;
    *out = m_cachedBox;
    return 1;
}

Rect CFreePad::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

BOOL CFreePad::HitTest(Rect r)
{
    for (CEntity* part : m_parts)
        if (part->HitTest(r))
            return TRUE;
    return FALSE;
}

BOOL CFreePad::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return FALSE;
    for (CEntity* part : m_parts)
        if (part->HitTestPoint(p, tolerance, nullptr))
            return TRUE;
    return FALSE;
}

int CFreePad::HitEndPoint(const Position& cursor)
{
    for (CEntity* part : m_parts) {
        const int hit = part->HitEndPoint(cursor);
        if (hit != -1)
            return hit;
    }
    return -1;
}

Position CFreePad::GetSnapPoint(const Position&)
{
    return m_position;
}

// ---------------------------------------------------------------------------------
// Transformations

void CFreePad::PlaceParts(const Position& p)
{
    NotifyBoxChanged();
    CEntity::SetPosition(p, 0);
    for (CEntity* part : m_parts)
        part->SetPosition(p, 0);
}

// The stored box is worked out once every part stands at its new place.
int CFreePad::SetPosition(const Position& p, int)
{
    NotifyBoxChanged();
    PlaceParts(p);
    BOX2D box;
    GetBox(&box, nullptr);
    return 0;
}

int CFreePad::Move(const Position& to, const Position& from, int*)
{
    NotifyBoxChanged();
    PlaceParts(m_position + (to - from));
    m_cachedBox.Move(to, from);
    return 0;
}

void CFreePad::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    for (CEntity* part : m_parts)
        part->MoveBy(from, to);
    CEntity::MoveBy(from, to);
}

void CFreePad::SetAngle(const double& radians)
{
    NotifyBoxChanged();
    const double angle = radians;
    CEntity::SetAngle(angle);
    for (CEntity* part : m_parts)
        part->SetAngle(angle);
}

bool CFreePad::PropagatesTo(const CEntity& prototype, int type)
{
    return this != &prototype && GetType() == type && !IsComponentPart();
}

void CFreePad::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorY(axis);
    for (CEntity* part : m_parts)
        part->MirrorY(axis);
    m_cachedBox.MirrorY(axis);
    if (PropagatesTo(thePrototypeFreePad, ET_FREEPAD))
        thePrototypeFreePad.MirrorY(axis);
}

void CFreePad::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorX(axis);
    for (CEntity* part : m_parts)
        part->MirrorX(axis);
    m_cachedBox.MirrorX(axis);
    if (PropagatesTo(thePrototypeFreePad, ET_FREEPAD))
        thePrototypeFreePad.MirrorX(axis);
}

void CFreePad::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position& centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    for (CEntity* part : m_parts)
        part->Rotate(centre, angle);
    m_cachedBox.Rotate(centre, angle);
    if (PropagatesTo(thePrototypeFreePad, ET_FREEPAD))
        thePrototypeFreePad.Rotate(centre, angle);
}

// ---------------------------------------------------------------------------------
// Drawing

// The copper shape and the hole, then the pad's number in white across the hole,
// sized by the smaller of the two parts.
void CFreePad::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || !m_live)
        return;
    CEntity* copper = GetPart(COPPER_TOP);
    CEntity* hole = GetPart(HOLE);
    if (copper)
        copper->Draw(dc, mode, clip, hidden);
    if (hole)
        hole->Draw(dc, mode, clip, hidden);

    const BoardServices& board = BoardServices::Current();
    int s = 0;
    for (CEntity* part : {copper, hole}) {
        if (!part)
            continue;
        for (double size : {part->GetSizeX(), part->GetSizeY()}) {
            const int pixels = board.BoardToPixels(size);
            if (pixels > 0 && (s == 0 || pixels < s))
                s = pixels;
        }
    }
    if (s == 0 || IsLayerHidden(hidden))
        return;

    dc->SaveState();
    PenSpec pen = dc->GetPen();
    PreparePenAndBrush(dc, mode, &pen, nullptr);
    dc->SetPen(pen);

    const int n = int(m_name.size());
    if (hole && n > 0 && s > 1) {
        const Point centre = hole->GetPosition().ToClient();
        FontSpec font;
        font.pixelHeight = s / 2;
        dc->SetFont(font);
        const TextMetrics metrics = dc->MeasureText(m_name);
        const Point at{centre.x - metrics.width / 2, centre.y - metrics.height / 2};
        dc->SetTextColor(MakeRGB(255, 255, 255));
        if (mode != DM_OUTLINE)
            dc->TextOut(at, m_name);
    }

    dc->RestoreState();
    CEntity::Draw(dc, mode, clip, nullptr);
}

// ---------------------------------------------------------------------------------
// Property dialog

PadProperties CFreePad::GetProperties()
{
    PadProperties values;
    values.name = m_name;
    values.shape = GetShapeType() == ET_RECTANGLE ? 1 : 0;
    values.width = m_sizeX;
    values.height = m_sizeY;
    values.hole = GetHoleSize();
    values.layer = m_layer;
    values.rotation = m_rotation;
    values.position = m_position;
    return values;
}

void CFreePad::SetProperties(const PadProperties& values)
{
    NotifyBoxChanged();
    SetShape(values.shape == 1 ? ET_RECTANGLE : ET_ROUND);
    SetPosition(values.position, 0);
    SetHoleSize(values.hole);
    m_name = values.name;
    SetLayer(values.layer);
    SetSizeX(values.width);
    SetSizeY(values.height);
    SetAngle(values.rotation);
    BOX2D box;
    GetBox(&box, nullptr);
}

int CFreePad::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    // Hidden while the dialog is open.
    Deactivate();
    Invalidate();

    PadProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        Invalidate();
        SetProperties(values);
        // The next pad placed takes every value just entered.
        thePrototypeFreePad.CopyFrom(*this);
        thePrototypeFreePad.SetComponentPart(0);
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

// The common part, then the live parts. Loading reads the whole list before the pad
// changes, and refuses a list that does not hold the four shapes a pad is made of.
void CFreePad::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CFreePad));
    if (ar.IsStoring()) {
        std::size_t live = 0;
        for (CEntity* part : m_parts)
            live += part->IsActive() ? 1 : 0;
        ar.WriteCount(live);
        for (CEntity* part : m_parts)
            if (part->IsActive())
                ar.WriteObject(part);
        return;
    }

    const unsigned schema = ar.GetObjectSchema();
    std::list<CEntity*> loaded;
    auto discard = [&loaded] {
        for (CEntity* part : loaded)
            delete part;
        loaded.clear();
    };
    try {
        ar.ReadObjectList(loaded, RUNTIME_CLASS(CEntity));
    } catch (...) {
        discard();
        throw;
    }
    if (schema != 1 && schema != 2) {
        discard();
        CArchive::Throw(CArchiveException::badSchema,
                        "pad stored with unknown schema " + std::to_string(schema));
    }
    if (loaded.size() < PART_COUNT) {
        const std::size_t count = loaded.size();
        discard();
        CArchive::Throw(CArchiveException::generic,
                        "pad record with " + std::to_string(count) + " parts instead of four");
    }
    for (CEntity* part : loaded) {
        if (!IsPartClass(part)) {
            discard();
            CArchive::Throw(CArchiveException::badClass,
                            "pad record with a part that is not a pad shape");
        }
        // Only live parts are stored: a removed one would be lost on the next save and
        // leave a pad that cannot be read back.
        if (!part->IsActive()) {
            discard();
            CArchive::Throw(CArchiveException::generic, "pad record with a removed part");
        }
    }

    RemoveParts();
    m_parts.assign(loaded.begin(), loaded.end());
    loaded.clear();
    BOX2D box;
    GetBox(&box, nullptr);
}

// Kind 9, 96 bytes: kind, layer + 1, centre, hole, rotation in degrees as a 6-byte
// real, name length and up to four name bytes, and three equal shape entries. A
// rotation that cannot be encoded leaves the whole record zero and fails.
int CFreePad::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    BYTE* rec = buf + *offset;
    *offset += kRecordSize;
    std::memset(rec, 0, kRecordSize);

    BYTE rotation[6];
    if (!DoubleToReal48(AngleToRecordDegrees(m_rotation), rotation))
        return 0;

    LibRecord::PutHeader(rec, LibRecord::Pad, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_position.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_position.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(GetHoleSize()));
    std::memcpy(rec + 16, rotation, sizeof rotation);
    const std::size_t nameLength = std::min<std::size_t>(m_name.size(), kNameBytes);
    rec[32] = BYTE(nameLength);
    std::memcpy(rec + 33, m_name.data(), nameLength);
    const std::uint16_t shape = GetShapeType() == ET_ROUND ? kRecordRound : kRecordRectangle;
    for (int entry : kShapeEntries) {
        LibRecord::PutI32(rec + entry, LibRecord::ToLength(m_sizeX));
        LibRecord::PutI32(rec + entry + 4, LibRecord::ToLength(m_sizeY));
        LibRecord::PutU16(rec + entry + 8, shape);
    }
    return 1;
}

// Kind 9, or the older kind 3 (64 bytes, no rotation). A record shorter than its kind
// needs is refused; the hole keeps its fractional mils.
int CFreePad::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    if (!rec || size < 4)
        return 0;
    const std::uint16_t kind = LibRecord::GetU16(rec);
    const bool old = kind == LibRecord::PadOld;
    if (kind != LibRecord::Pad && !old)
        return 0;
    if (size < (old ? kOldRecordSize : kRecordSize))
        return 0;

    const Position at(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                      LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    double hole = 0.0;
    double sizeX = 0.0;
    double sizeY = 0.0;
    std::uint16_t shape = kRecordRound;
    double rotation = 0.0;
    if (old) {
        sizeX = LibRecord::FromLength(LibRecord::GetI32(rec + 12));
        sizeY = LibRecord::FromLength(LibRecord::GetI32(rec + 16));
        hole = LibRecord::FromLength(LibRecord::GetI32(rec + 20));
        shape = LibRecord::GetU16(rec + 24);
    } else {
        hole = LibRecord::FromLength(LibRecord::GetI32(rec + 12));
        rotation = Real48ToAngle(rec + 16);
        sizeX = LibRecord::FromLength(LibRecord::GetI32(rec + kShapeEntries[0]));
        sizeY = LibRecord::FromLength(LibRecord::GetI32(rec + kShapeEntries[0] + 4));
        shape = LibRecord::GetU16(rec + kShapeEntries[0] + 8);
    }
    const BYTE* nameBytes = rec + 33;
    const BYTE* nameEnd = std::find(nameBytes, nameBytes + kNameBytes, BYTE(0));
    m_name.assign(nameBytes, nameEnd);

    // Codes 1 and 3 are round, 2 rectangular; any other code is read as round.
    SetShape(shape == kRecordRectangle ? ET_RECTANGLE : ET_ROUND);
    SetPosition(at, 0);
    SetLayer(RecordLayer(rec));
    SetHoleSize(hole);
    SetSizeX(sizeX);
    SetSizeY(sizeY);
    if (!old)
        SetAngle(rotation);
    BOX2D box;
    GetBox(&box, nullptr);
    return 1;
}

void CFreePad::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('P', m_inComponent != 0);
    out += Protel::Len(m_position.x) + Protel::Len(m_position.y);
    CEntity* copper = GetPart(COPPER_FIRST);
    std::string shapeGroup;
    if (copper) {
        shapeGroup = Protel::Len(copper->GetSizeX()) + Protel::Len(copper->GetSizeY());
        if (copper->GetType() == ET_ROUND)
            shapeGroup += "1 ";
        else if (copper->GetType() == ET_RECTANGLE)
            shapeGroup += "2 ";
    }
    out += shapeGroup + shapeGroup + shapeGroup;
    out += Protel::Len(GetHoleSize());
    out += "0 ";
    out += Protel::Int(m_layer + 1);
    out += "0 0 ";
    out += Protel::Deg(m_rotation);
    out += "2000 0 10000 10000 10000 4 ";
    for (int i = 0; i < 8; ++i)
        out += "1 ";
    out += "\n";
    out += Protel::TextLine(m_name);
    out += "\n";
}
