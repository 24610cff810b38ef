#include "CViaPad.h"

#include "BoardServices.h"
#include "CArc.h"
#include "CCircle.h"
#include "Constants.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <cstring>
#include <utility>

IMPLEMENT_SERIAL_MADE_BY(CViaPad, CFreePad, VERSIONABLE_SCHEMA | 1, new CViaPad(ToBeRead{}))

// Built at start-up like any other via; reads no other global.
CViaPad thePrototypeViaPad;

namespace
{

constexpr int kRecordSize = 32;

// The layer pairs the via dialog offers, by index; any other pair is index 9.
constexpr std::pair<int, int> kLayerPairs[CViaPad::kAnyPair] = {
    {0, 15}, {0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}, {12, 13}, {14, 15},
};

bool IsThroughAll(int start, int end)
{
    return (start == LAYER_TOP && end == LAYER_BOTTOM) ||
           (start == LAYER_BOTTOM && end == LAYER_TOP);
}

bool Hidden(const HiddenLayers* hidden, int layer)
{
    return hidden && hidden->count(layer) != 0;
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CViaPad::CViaPad()
{
    CViaPad::Reset();
}

CViaPad::CViaPad(ToBeRead bare) : CFreePad(bare)
{
    ResetViaFields();
}

CViaPad::CViaPad(const Position& at)
{
    CViaPad::Reset();
    CViaPad::CopyFrom(thePrototypeViaPad);
    m_inComponent = 0;
    m_position = at;
    std::string name = m_name;
    IncrementNameNumber(name, 1);
    m_name = name;
    thePrototypeViaPad.SetName(name);
    CFreePad::SetPosition(at, 0);
}

CViaPad::CViaPad(const CViaPad& other)
    : CFreePad(other), m_startLayer(other.m_startLayer), m_endLayer(other.m_endLayer)
{
}

// The pad defaults with fresh parts (so a reset via is the same whatever it was before,
// and its diameter is that of its copper), then the via's own: hole on the via-hole
// layer, no name, from the top to the bottom layer.
void CViaPad::Reset()
{
    CFreePad::Reset();
    if (CEntity* hole = GetPart(HOLE))
        hole->SetLayer(LAYER_VIA_HOLE);
    ResetViaFields();
}

void CViaPad::ResetViaFields()
{
    m_type = ET_VIA;
    m_name.clear();
    m_startLayer = LAYER_TOP;
    m_endLayer = LAYER_BOTTOM;
}

CEntity& CViaPad::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CFreePad::CopyFrom(other);
    if (const auto* via = dynamic_cast<const CViaPad*>(&other)) {
        m_startLayer = via->m_startLayer;
        m_endLayer = via->m_endLayer;
    }
    return *this;
}

CEntity* CViaPad::Clone()
{
    return new CViaPad(*this);
}

void CViaPad::SetLayers(int start, int end)
{
    NotifyBoxChanged();
    m_startLayer = start;
    m_endLayer = end;
}

int CViaPad::LayerPairIndex(int start, int end)
{
    for (int i = 0; i < kAnyPair; ++i)
        if (kLayerPairs[i].first == start && kLayerPairs[i].second == end)
            return i;
    return kAnyPair;
}

// ---------------------------------------------------------------------------------
// Layers, box and hit tests

void CViaPad::SetLayer(int layer)
{
    NotifyBoxChanged();
    CFreePad::SetLayer(layer);
    if (CEntity* hole = GetPart(HOLE))
        hole->SetLayer(LAYER_VIA_HOLE);
}

// The two layers joined and, with a hole, the hole layers; not the layer field, nor
// the layers in between.
void CViaPad::CollectLayers(std::map<int, int>& used)
{
    used.emplace(m_startLayer, 1);
    used.emplace(m_endLayer, 1);
    if (GetHoleSize() > 0.0)
        for (int key : {int(LAYER_VIA_HOLE), int(LAYER_MULTI), int(LAYER_PAD_HOLE)})
            used.emplace(key, 1);
}

bool CViaPad::BothLayersHidden(const HiddenLayers* hidden) const
{
    return Hidden(hidden, m_startLayer) && Hidden(hidden, m_endLayer);
}

int CViaPad::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!out || BothLayersHidden(hidden))
        return 0;
    return CFreePad::GetBox(out, nullptr);
}

BOOL CViaPad::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (BothLayersHidden(hidden))
        return FALSE;
    return CFreePad::HitTestPoint(p, tolerance, nullptr);
}

// ---------------------------------------------------------------------------------
// Transformations

void CViaPad::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position& centre = c;
    const double angle = a;
    CFreePad::Rotate(centre, angle);
    if (PropagatesTo(thePrototypeViaPad, ET_VIA))
        thePrototypeViaPad.Rotate(centre, angle);
}

// ---------------------------------------------------------------------------------
// Drawing

// The copper shape, then a ring about the hole in two halves: in the via-hole colour
// for a via through the whole board, else the left half in the start layer's colour
// and the right half in the end layer's. No number is drawn.
void CViaPad::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || !m_live || BothLayersHidden(hidden))
        return;
    if (CEntity* copper = GetPart(COPPER_TOP))
        copper->Draw(dc, mode, clip, hidden);

    const double r = GetHoleSize() * 0.5;
    CArc left(m_position, r, PI * 0.5, PI * 1.5);
    CArc right(m_position, r, PI * 1.5, PI * 0.5);
    const bool through = IsThroughAll(m_startLayer, m_endLayer);
    left.SetLayer(through ? int(LAYER_VIA_HOLE) : m_startLayer);
    right.SetLayer(through ? int(LAYER_VIA_HOLE) : m_endLayer);
    for (CArc* half : {&left, &right})
        if (!Hidden(hidden, half->GetLayer()))
            half->DrawPath(dc, mode, clip, 1);

    if (mode == DM_OUTLINE) {
        CCircle hole(m_position, r, LAYER_VIA_HOLE);
        hole.Draw(dc, DM_OUTLINE, clip, nullptr);
    }
    CEntity::Draw(dc, mode, clip, nullptr);
}

// ---------------------------------------------------------------------------------
// Property dialog

ViaProperties CViaPad::GetProperties()
{
    ViaProperties values;
    values.diameter = m_sizeX;
    values.hole = GetHoleSize();
    values.startLayer = m_startLayer;
    values.endLayer = m_endLayer;
    values.position = m_position;
    return values;
}

void CViaPad::SetProperties(const ViaProperties& values)
{
    NotifyBoxChanged();
    SetPosition(values.position, 0);
    SetHoleSize(values.hole);
    // The layer field keeps the index of the layer pair chosen (the copper parts keep
    // their layers); "any other pair" is kept as 1.
    const int pair = LayerPairIndex(values.startLayer, values.endLayer);
    m_startLayer = values.startLayer;
    m_endLayer = values.endLayer;
    if (m_startLayer > m_endLayer)
        std::swap(m_startLayer, m_endLayer);
    m_layer = pair == kAnyPair ? 1 : pair;
    SetSizeX(values.diameter);
    SetSizeY(values.diameter);
    BOX2D box;
    GetBox(&box, nullptr);
}

int CViaPad::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    ViaProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        // The next via placed takes every value just entered.
        thePrototypeViaPad.CopyFrom(*this);
        thePrototypeViaPad.SetComponentPart(0);
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

// The whole pad body, then the start and end layers.
void CViaPad::Serialize(CArchive& ar)
{
    CFreePad::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CViaPad));
    if (ar.IsStoring()) {
        ar.WriteI32(m_startLayer);
        ar.WriteI32(m_endLayer);
        return;
    }
    const unsigned schema = ar.GetObjectSchema();
    if (schema != 1 && schema != 2)
        CArchive::Throw(CArchiveException::badSchema,
                        "via stored with unknown schema " + std::to_string(schema));
    const int start = ar.ReadI32();
    const int end = ar.ReadI32();
    if (start < 0 || start > LAYER_HIGHLIGHT || end < 0 || end > LAYER_HIGHLIGHT)
        CArchive::Throw(CArchiveException::generic, "via joining an unknown layer");
    m_startLayer = start;
    m_endLayer = end;
}

// Kind 8, 32 bytes: kind, layer + 1, centre, diameter, hole.
int CViaPad::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    BYTE* rec = buf + *offset;
    *offset += kRecordSize;
    std::memset(rec, 0, kRecordSize);
    LibRecord::PutHeader(rec, LibRecord::Via, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_position.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_position.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(m_sizeX));
    LibRecord::PutI32(rec + 16, LibRecord::ToLength(GetHoleSize()));
    return 1;
}

// The start and end layers keep their defaults; a stored layer of 0 (none) and any
// value that is not a board layer put the via on the multi-layer.
int CViaPad::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    if (!rec || size < kRecordSize)
        return 0;
    const Position at(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                      LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    const double diameter = LibRecord::FromLength(LibRecord::GetI32(rec + 12));
    const double hole = LibRecord::FromLength(LibRecord::GetI32(rec + 16));
    int layer = LibRecord::GetLayer(rec);
    if (layer < 0 || layer >= LAYER_BOARD_COUNT)
        layer = LAYER_MULTI;

    SetHoleSize(hole);
    SetPosition(at, 0);
    SetLayer(layer);
    SetSizeX(diameter);
    SetSizeY(diameter);
    BOX2D box;
    GetBox(&box, nullptr);
    return 1;
}

void CViaPad::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('V', m_inComponent != 0);
    out += Protel::Len(m_position.x) + Protel::Len(m_position.y);
    const CEntity* copper = GetPart(COPPER_FIRST);
    out += Protel::Len(copper ? copper->GetSizeX() : m_sizeX);
    out += Protel::Len(GetHoleSize()) + "0 ";
    if (m_startLayer == LAYER_TOP && m_endLayer == LAYER_BOTTOM)
        out += "0 ";
    else
        out += Protel::Int((m_startLayer + 2) / 2);
    out += "0 0 0 0 1 0 0 ";
    out += std::to_string(m_startLayer + 1) + " " + std::to_string(m_endLayer + 1);
    out += "\n";
}
