#include "CComponent.h"

#include "BoardServices.h"
#include "CArc.h"
#include "CFillArea.h"
#include "CFreePad.h"
#include "CLine.h"
#include "CPolygon.h"
#include "CViaPad.h"
#include "Constants.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

IMPLEMENT_SERIAL(CComponent, CEntity, VERSIONABLE_SCHEMA | 1)

namespace
{

// Byte sizes of the library record kinds. A text record is longer than its 32-byte head
// when it holds text: its size follows from the length stored in it.
const std::map<int, int> kRecordSizes = {
    {LibRecord::Arc, 32},  {LibRecord::Fill, 32}, {LibRecord::PadOld, 64}, {LibRecord::Track, 32},
    {LibRecord::Text, 32}, {LibRecord::Via, 32},  {LibRecord::Pad, 96},
};

// Offset of the text length inside a text record.
constexpr int kTextLengthField = 24;

// An empty object for a record kind. Only constructors that copy no prototype are used:
// the record's reader resets the object anyway, and libraries are read on a thread of
// their own, which must not read the prototypes the user edits meanwhile.
CEntity* NewForRecord(int kind)
{
    switch (kind) {
    case LibRecord::Arc:
        return new CArc(Position(), 0.0, 0.0, 0.0);
    case LibRecord::Fill:
        return new CFillArea(CFillArea::PrototypeTag{});
    case LibRecord::PadOld:
    case LibRecord::Pad:
        return new CFreePad();
    case LibRecord::Track:
        return new CLine();
    case LibRecord::Text:
        return new CTxtTag();
    case LibRecord::Via:
        return new CViaPad();
    default:
        return nullptr;
    }
}

// The layer a part takes when its component changes side.
int OtherSide(int layer)
{
    switch (layer) {
    case LAYER_TOP_OVERLAY:
        return LAYER_BOTTOM_OVERLAY;
    case LAYER_BOTTOM_OVERLAY:
        return LAYER_TOP_OVERLAY;
    case LAYER_TOP:
        return LAYER_BOTTOM;
    case LAYER_BOTTOM:
        return LAYER_TOP;
    default:
        return layer;
    }
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CComponent::CComponent()
{
    Reset();
}

CComponent::CComponent(std::string pattern)
{
    Reset();
    m_pattern = std::move(pattern);
}

CComponent::CComponent(const CComponent& other) : CEntity(other)
{
    CopyFrom(other);
}

CComponent::~CComponent()
{
    DeleteChildren();
}

void CComponent::Reset()
{
    CEntity::Reset();
    m_type = ET_COMPONENT;
    m_bodyOffset = 0;
    m_designator.SetLayer(LAYER_TOP_OVERLAY);
    m_comment.SetLayer(LAYER_TOP_OVERLAY);
    m_comment.SetHidden(1);
    m_designator.SetComponentPart(1);
    m_comment.SetComponentPart(1);
    // Stored directly: no part changes side.
    m_layer = LAYER_TOP;
    m_locked = 1;
}

CEntity& CComponent::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CEntity::CopyFrom(other);
    const auto* source = dynamic_cast<const CComponent*>(&other);
    if (!source || source == this)
        return *this;

    DeleteChildren();
    for (CEntity* child : source->m_children) {
        CEntity* copy = CopyPart(child);
        if (!copy)
            continue;
        // A faithful copy: a removed child stays removed in the copy.
        if (!child->IsActive())
            copy->Deactivate();
        AppendChild(copy);
    }
    m_position = source->m_position;
    m_locked = source->m_locked;
    m_designator.CopyFrom(source->m_designator);
    m_comment.CopyFrom(source->m_comment);
    m_designator.SetComponentPart(1);
    m_comment.SetComponentPart(1);
    m_pattern = source->m_pattern;
    return *this;
}

CEntity* CComponent::Clone()
{
    return new CComponent(*this);
}

// ---------------------------------------------------------------------------------
// Children

void CComponent::AppendChild(CEntity* child)
{
    NotifyBoxChanged();
    if (!child)
        return;
    if (m_children.size() == m_children.capacity()) {
        const std::size_t capacity = m_children.capacity();
        m_children.reserve(std::max(std::size_t(double(capacity) * 1.3), capacity + 10));
    }
    m_children.push_back(child);
}

CEntity* CComponent::CopyPart(CEntity* part)
{
    if (!part)
        return nullptr;
    CEntity* copy = part->Clone();
    if (copy)
        copy->SetComponentPart(1);
    return copy;
}

void CComponent::DeleteChildren()
{
    NotifyBoxChanged();
    while (!m_children.empty()) {
        delete m_children.back();
        m_children.pop_back();
    }
}

int CComponent::AddEntity(CEntity* e, int withTexts)
{
    NotifyBoxChanged();
    if (!e)
        return 0;

    // Composite sources give their parts; a removed part is not brought back to life.
    // Indices, not iterators: a component may be added to itself.
    auto addParts = [this](auto& parts) {
        const std::size_t n = parts.size();
        for (std::size_t i = 0; i < n; ++i) {
            CEntity* part = parts[i];
            if (part && part->IsActive())
                if (CEntity* copy = CopyPart(part))
                    AppendChild(copy);
        }
    };

    if (e->GetType() == ET_COMPONENT) {
        if (auto* comp = dynamic_cast<CComponent*>(e)) {
            addParts(comp->m_children);
            if (withTexts) {
                AppendChild(CopyPart(&comp->m_comment));
                AppendChild(CopyPart(&comp->m_designator));
            }
            return 1;
        }
    }
    if (e->GetType() == ET_POLYGON) {
        if (auto* pour = dynamic_cast<CPolygon*>(e)) {
            addParts(pour->GetHatchList());
            return 1;
        }
    }
    if (CEntity* copy = CopyPart(e))
        AppendChild(copy);
    return 1;
}

int CComponent::AddCopies(CEntity* const* items, int count, int withTexts)
{
    if (!items)
        return 0;
    for (int i = 0; i < count; ++i)
        AddEntity(items[i], withTexts);
    return 1;
}

int CComponent::AddCopiesFromList(const std::list<CEntity*>& items, int withTexts)
{
    NotifyBoxChanged();
    for (CEntity* e : items)
        AddEntity(e, withTexts);
    return 1;
}

template <class F> void CComponent::ForEachPart(F f)
{
    for (CEntity* child : m_children)
        f(*child);
    f(static_cast<CEntity&>(m_designator));
    f(static_cast<CEntity&>(m_comment));
}

bool CComponent::HasShownChild(const HiddenLayers* hidden) const
{
    if (!hidden)
        return true;
    return std::any_of(m_children.begin(), m_children.end(),
                       [hidden](CEntity* child) { return hidden->count(child->GetLayer()) == 0; });
}

// ---------------------------------------------------------------------------------
// Attributes

void CComponent::SetPattern(const std::string& pattern)
{
    NotifyBoxChanged();
    if (&pattern != &m_pattern)
        m_pattern = pattern;
}

void CComponent::SetDesignatorPosition(const Position& pt)
{
    NotifyBoxChanged();
    m_designator.SetPosition(pt, 0);
    BOX2D box;
    GetBox(&box);
}

const char* CComponent::GetName()
{
    return m_designator.GetName();
}

void CComponent::SetName(std::string name)
{
    NotifyBoxChanged();
    CEntity::SetName(name);
    m_designator.SetName(std::move(name));
}

std::string CComponent::GetNameString()
{
    const char* name = m_designator.GetName();
    return name ? std::string(name) : std::string();
}

void CComponent::SetCommentText(std::string text)
{
    NotifyBoxChanged();
    m_comment.SetName(std::move(text));
}

void CComponent::SetLayer(int layer)
{
    NotifyBoxChanged();
    if (layer == m_layer)
        return;
    m_layer = layer;
    // The parts change side by their own layer, whatever the new value is.
    ForEachPart([layer](CEntity& part) {
        part.SetLayer(layer == LAYER_HIGHLIGHT ? LAYER_HIGHLIGHT : OtherSide(part.GetLayer()));
    });
}

void CComponent::CollectLayers(std::map<int, int>& used)
{
    ForEachPart([&used](CEntity& part) { used.emplace(part.GetLayer(), 1); });
}

// ---------------------------------------------------------------------------------
// Box and hit tests

int CComponent::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    BOX2D all;
    BOX2D shown;
    bool anyAll = false;
    bool anyShown = false;
    auto merge = [](BOX2D& into, bool& any, const BOX2D& box) {
        if (box.IsEmpty())
            return;
        into = any ? into.Union(box) : box;
        any = true;
    };
    auto add = [&](CEntity& part) {
        // Parts that are not drawn (removed, or hidden texts) do not widen the component.
        if (!part.IsActive())
            return;
        if (auto* text = dynamic_cast<CTxtTag*>(&part); text && text->IsHidden())
            return;
        BOX2D box;
        if (!part.GetBox(&box, nullptr))
            return;
        merge(all, anyAll, box);
        if (hidden && part.GetBox(&box, hidden))
            merge(shown, anyShown, box);
    };
    ForEachPart(add);

    if (!anyAll)
        all = BOX2D(m_position.x, m_position.y, m_position.x, m_position.y);
    KeepBox(all);
    if (!out)
        return 0;
    if (!hidden) {
        *out = all;
        return 1;
    }
    if (!anyShown)
        return 0;
    *out = shown;
    return 1;
}

int CComponent::GetExtent(BOX2D* out, const HiddenLayers*)
{
    if (!out)
        return 0;
    *out = m_cachedBox;
    return 1;
}

Rect CComponent::GetScreenRect()
{
    return m_cachedBox.ToDeviceRect();
}

BOOL CComponent::HitTestPoint(const Position& p, const double* tolerance,
                              const HiddenLayers* hidden)
{
    if (!m_live || !HasShownChild(hidden))
        return FALSE;
    const double tol = tolerance ? *tolerance : 0.0;
    const BOX2D grown(m_cachedBox.x1 - tol, m_cachedBox.y1 - tol, m_cachedBox.x2 + tol,
                      m_cachedBox.y2 + tol);
    if (p.IsInBox(grown))
        return TRUE;
    if (m_designator.HitTestPoint(p, tolerance, hidden))
        return TRUE;
    return m_comment.HitTestPoint(p, tolerance, hidden);
}

CEntity* CComponent::HitTestPart(const Position& pt, const double* tolerance,
                                 const HiddenLayers* hidden)
{
    if (!m_live || !HasShownChild(hidden))
        return nullptr;
    if (!m_locked) {
        for (CEntity* child : m_children)
            if (child->HitTestPoint(pt, tolerance, hidden))
                return child;
    }
    if (m_designator.HitTestPoint(pt, tolerance, hidden))
        return &m_designator;
    if (m_comment.HitTestPoint(pt, tolerance, hidden))
        return &m_comment;
    return nullptr;
}

Position CComponent::GetSnapPoint(const Position& cursor)
{
    const double exact = 0.0;
    if (m_designator.HitTestPoint(cursor, &exact, nullptr))
        return m_designator.GetSnapPoint(cursor);
    if (m_comment.HitTestPoint(cursor, &exact, nullptr))
        return m_comment.GetSnapPoint(cursor);
    for (CEntity* child : m_children)
        if (child->HitTestPoint(cursor, &exact, nullptr))
            return child->GetSnapPoint(cursor);
    return m_position;
}

// ---------------------------------------------------------------------------------
// Transformations

void CComponent::SetAngle(const double& radians)
{
    NotifyBoxChanged();
    const double target = radians;
    if (target == m_rotation)
        return;
    // Turn forward by the difference, a whole turn added when the target is smaller.
    const double d = target < m_rotation ? target + TWO_PI : target;
    const double delta = std::abs(d - m_rotation);
    const Position centre = m_position;
    Rotate(centre, delta);
}

void CComponent::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    // Copies: c or a may live inside one of the parts.
    const Position centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    ForEachPart([&](CEntity& part) { part.Rotate(centre, angle); });
    m_cachedBox.Rotate(centre, angle);
}

void CComponent::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorY(axis);
    ForEachPart([&](CEntity& part) { part.MirrorY(axis); });
    m_cachedBox.MirrorY(axis);
}

void CComponent::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorX(axis);
    ForEachPart([&](CEntity& part) { part.MirrorX(axis); });
    m_cachedBox.MirrorX(axis);
}

int CComponent::Move(const Position& to, const Position& from, int* flag)
{
    NotifyBoxChanged();
    const Position target = to;
    const Position origin = from;
    const int result = CEntity::Move(target, origin, flag);
    ForEachPart([&](CEntity& part) {
        int partFlag = 0;
        part.Move(target, origin, &partFlag);
    });
    m_cachedBox.Move(target, origin);
    return result;
}

void CComponent::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    const Position origin = from;
    const Position target = to;
    ForEachPart([&](CEntity& part) { part.MoveBy(origin, target); });
    CEntity::MoveBy(origin, target);
}

int CComponent::SetPosition(const Position& p, int flag)
{
    NotifyBoxChanged();
    const Position& target = p;
    const Position before = m_position;
    const int result = CEntity::SetPosition(target, flag);
    m_designator.SetPosition(target, flag);
    m_comment.SetPosition(target, flag);
    m_cachedBox.Move(target, before);
    return result;
}

// ---------------------------------------------------------------------------------
// Drawing

void CComponent::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!m_live)
        return;
    m_designator.Draw(dc, mode, clip, hidden);
    m_comment.Draw(dc, mode, clip, hidden);
    // Every part lies within the component's box: where that lies within the clip, every
    // part meets it.
    const bool allMeet = clip.Contains(GetScreenRect());
    for (CEntity* child : m_children)
        if (allMeet || child->MeetsClip(clip))
            child->Draw(dc, mode, clip, hidden);
    CEntity::Draw(dc, mode, clip, hidden);
}

// ---------------------------------------------------------------------------------
// Property dialog

namespace
{

void FillTextValues(CTxtTag& text, ComponentTextProperties& v)
{
    v.hidden = text.IsHidden();
    v.mirror = text.GetMirror();
    v.layer = text.GetLayer();
    v.rotation = text.GetAngle();
    v.text = text.GetName();
    v.width = text.GetSizeX();
    v.height = text.GetSizeY();
    v.position = text.GetPosition();
}

void TakeTextValues(CTxtTag& text, const ComponentTextProperties& v)
{
    text.SetHidden(v.hidden);
    text.SetMirror(v.mirror);
    text.SetLayer(v.layer);
    text.SetName(v.text);
    text.SetSizeX(v.width);
    text.SetSizeY(v.height);
    text.SetPosition(v.position, 0);
}

} // namespace

ComponentProperties CComponent::GetProperties()
{
    ComponentProperties values;
    values.position = m_position;
    values.locked = m_locked;
    values.side = m_layer == LAYER_BOTTOM ? 1 : 0;
    values.rotation = m_rotation;
    values.pattern = m_pattern;
    FillTextValues(m_designator, values.designator);
    FillTextValues(m_comment, values.comment);
    return values;
}

void CComponent::SetProperties(const ComponentProperties& values)
{
    NotifyBoxChanged();
    m_locked = values.locked;
    TakeTextValues(m_designator, values.designator);
    TakeTextValues(m_comment, values.comment);
    m_designator.SetAngle(values.designator.rotation);
    m_designator.BuildGlyphLines();
    m_comment.SetAngle(values.comment.rotation);
    m_comment.BuildGlyphLines();
    // The whole group turns about the reference point, then moves.
    SetAngle(values.rotation);
    const Position from = m_position;
    MoveBy(from, values.position);
    SetPattern(values.pattern);
    // A component moved to the other side is mirrored and its parts change side.
    const int layer = values.side == 1 ? LAYER_BOTTOM : LAYER_TOP;
    if (layer != m_layer) {
        const Position axis = m_position;
        MirrorX(axis);
        SetLayer(layer);
    }
    BOX2D box;
    GetBox(&box);
}

int CComponent::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    int result = 0;

    if (!m_locked && !(nFlags & MK::Control)) {
        // An unlocked component edits the part under the cursor on its own.
        const double exact = 0.0;
        CEntity* hit = nullptr;
        for (CEntity* child : m_children) {
            if (child->HitTestPoint(at, &exact, nullptr)) {
                hit = child;
                break;
            }
        }
        if (!hit && m_designator.HitTestPoint(at, &exact, nullptr))
            hit = &m_designator;
        if (hit)
            result = hit->EditProperties(nFlags, at);
    } else {
        // Hidden while the dialog is open.
        Deactivate();
        Invalidate();

        ComponentProperties values = GetProperties();

        if (UiServices::Current().Ask(values)) {
            SetProperties(values);
            result = 1;
        }
        Activate();
    }
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

void CComponent::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CComponent));
    if (ar.IsStoring()) {
        std::list<CEntity*> live;
        for (CEntity* child : m_children)
            if (child->IsActive())
                live.push_back(child);
        ar.WriteObjectList(live);
        ar.WriteI32(m_locked);
        ar.WriteString(m_pattern);
        m_comment.Serialize(ar);
        m_designator.Serialize(ar);
        return;
    }

    const unsigned schema = ar.GetObjectSchema() & 0xFFFFu;
    // The parts are read into local objects first, so that a damaged record leaves the
    // children and the texts as they were.
    std::list<CEntity*> loaded;
    auto dropLoaded = [&loaded] {
        for (CEntity* e : loaded)
            delete e;
        loaded.clear();
    };
    int locked = m_locked;
    std::string pattern = m_pattern;
    CTxtTag comment;
    CTxtTag designator;
    try {
        ar.ReadObjectList(loaded, RUNTIME_CLASS(CEntity));
        if (schema == 1 || schema == 2) {
            locked = ar.ReadI32();
            pattern = ar.ReadString();
        }
        comment.Serialize(ar);
        designator.Serialize(ar);
    } catch (...) {
        dropLoaded();
        throw;
    }

    DeleteChildren();
    for (CEntity* child : loaded) {
        if (!child)
            continue;
        child->SetComponentPart(1);
        AppendChild(child);
    }
    loaded.clear();
    m_locked = locked;
    m_pattern = std::move(pattern);
    auto take = [](CTxtTag& into, const CTxtTag& from) {
        into.CopyFrom(from);
        if (from.IsActive())
            into.Activate();
        else
            into.Deactivate();
        into.SetComponentPart(1);
    };
    take(m_comment, comment);
    take(m_designator, designator);
    BOX2D box;
    GetBox(&box);
}

int CComponent::GetRecordCount()
{
    int count = 0;
    // A child without a library record (a primitive shape) writes nothing and so is
    // not counted either: the count must match the records written.
    for (CEntity* child : m_children)
        if (child->GetRecordSize() > 0)
            count += child->GetRecordCount();
    return count;
}

int CComponent::GetRecordSize()
{
    int size = 0;
    for (CEntity* child : m_children)
        size += child->GetRecordSize();
    return size;
}

int CComponent::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    // A child whose record cannot be written fails the whole body: stored without it,
    // the component would read back short of a part. Children without a record (the
    // primitive shapes) write nothing.
    for (CEntity* child : m_children)
        if (child->GetRecordSize() > 0 && !child->WriteLibraryRecord(buf, offset))
            return 0;
    return 1;
}

int CComponent::LookupMap(int kind)
{
    auto it = kRecordSizes.find(kind);
    return it == kRecordSizes.end() ? -1 : it->second;
}

CComponent::LibraryReadResult CComponent::ReadLibraryRecords(std::span<const BYTE> image,
                                                             int endOffset, std::string* error)
{
    if (!image.data() || image.empty() || endOffset < 1)
        return LibraryReadResult::Nothing;

    const std::int64_t imageSize = std::int64_t(image.size());
    const std::int64_t limit = std::min<std::int64_t>(endOffset, imageSize);
    std::int64_t offset = m_bodyOffset;
    int n = 0;

    auto fail = [&](const std::string& why) {
        if (error) {
            *error = "Component \"" + m_pattern + "\": record " + std::to_string(n + 1) +
                     " at byte " + std::to_string(offset) + " " + why + ".";
        }
        m_position = Position(0.0, 0.0);
        return LibraryReadResult::Damaged;
    };
    auto pastEnd = [&](std::int64_t end) {
        return end > imageSize ? std::string("runs past the end of the file")
                               : std::string("runs past the end of the component's body");
    };

    if (offset < 0)
        return fail("lies before the start of the file");
    for (;;) {
        if (offset >= limit) {
            // A body read to its end is complete only when no record count promised more.
            if (m_recordCount > 0)
                return fail("is missing: the body ends after " + std::to_string(n) + " of " +
                            std::to_string(m_recordCount) + " records");
            break;
        }
        if (offset + 2 > limit)
            return fail(pastEnd(offset + 2));
        const BYTE* rec = image.data() + offset;
        const int kind = LibRecord::GetU16(rec);
        std::int64_t size = LookupMap(kind);
        if (size < 0)
            break; // a kind without a size ends the body
        if (kind == LibRecord::Text) {
            if (offset + kTextLengthField + 4 > limit)
                return fail(pastEnd(offset + kTextLengthField + 4));
            const std::int64_t length = LibRecord::GetI32(rec + kTextLengthField);
            if (length < 0)
                return fail("gives a negative text length");
            size = ((length + 31) / 32 + 1) * 32;
        }
        if (offset + size > limit)
            return fail(pastEnd(offset + size));

        std::unique_ptr<CEntity> part(NewForRecord(kind));
        if (!part || !part->ReadFromLibraryRecord(rec, int(size)))
            return fail("could not be read");
        part->SetComponentPart(1);
        AppendChild(part.release());

        ++n;
        if (n == m_recordCount)
            break;
        offset += size;
    }
    m_position = Position(0.0, 0.0);
    return LibraryReadResult::Read;
}

void CComponent::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = "COMP\n";
    out += Protel::TextLine(m_pattern);
    out += "\n0 0 ";
    out += Protel::Len(m_position.x) + Protel::Len(m_position.y);
    out += m_designator.IsHidden() ? "0 " : "1 ";
    out += m_comment.IsHidden() ? "0 " : "1 ";
    out += "0 0 0 0 0 ";
    out += Protel::Deg(m_rotation);
    out += "1 1 ";
    out += std::to_string(m_layer + 1) + "\n";

    std::string record;
    m_designator.ExportText(record, counts);
    out += record;
    record.clear();
    m_comment.ExportText(record, counts);
    out += record;
    // Removed children stay out of the file.
    for (CEntity* child : m_children) {
        if (!child->IsActive())
            continue;
        record.clear();
        child->ExportText(record, counts);
        out += record;
    }
    out += "ENDCOMP\n";
}
