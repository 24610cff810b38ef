#include "CManElement.h"

#include "model/BoardServices.h"
#include "model/CComponent.h"
#include "model/CPolygon.h"
#include "model/UiServices.h"
#include "platform/CArchive.h"
#include "platform/DrawContext.h"

#include <algorithm>
#include <memory>

CManElement::~CManElement()
{
    Clear();
}

int CManElement::AddEntity(CEntity* entity)
{
    if (!entity)
        return 1;
    entity->Activate();
    CMutexLock lock(m_lock);
    m_entities.push_front(entity);
    return 1;
}

int CManElement::InsertEntity(CEntity* entity)
{
    if (!entity)
        return 1;
    CMutexLock lock(m_lock);
    m_entities.push_front(entity);
    return 1;
}

int CManElement::InsertEntities(std::list<CEntity*>* list)
{
    if (!list)
        return 0;
    CMutexLock lock(m_lock);
    for (CEntity* e : *list)
        if (e)
            m_entities.push_front(e);
    return 1;
}

void CManElement::BringToFront(CEntity* entity)
{
    if (!entity)
        return;
    const std::size_t before = m_entities.size();
    m_entities.remove(entity);
    // Only an object of this container is put back; a stranger is not adopted.
    if (m_entities.size() != before)
        m_entities.push_front(entity);
}

void CManElement::Clear()
{
    std::list<CEntity*> doomed;
    doomed.swap(m_entities);
    for (CEntity* e : doomed)
        delete e;
}

CEntity* CManElement::GetFirst() const
{
    return m_entities.empty() ? nullptr : m_entities.front();
}

CEntity* CManElement::GetLastAdded() const
{
    for (CEntity* e : m_entities)
        if (e->IsActive())
            return e;
    return nullptr;
}

int CManElement::IsEmpty() const
{
    return GetLastAdded() ? 0 : 1;
}

void CManElement::DrawAll(DrawContext* dc, int mode, Rect clip, int currentLayer)
{
    // The objects test themselves against scrolled-view pixels.
    Rect scrolled = clip;
    const Point scroll = BoardServices::Current().GetViewScrollPosition();
    scrolled.Offset(scroll.x, scroll.y);

    std::list<CEntity*> others;  // newest first
    std::list<CEntity*> current; // oldest first
    std::list<CEntity*> pads;    // oldest first
    for (auto it = m_entities.rbegin(); it != m_entities.rend(); ++it) {
        CEntity* e = *it;
        if (!e->HitTest(scrolled))
            continue;
        const int type = e->GetType();
        if (type == ET_FREEPAD || type == ET_VIA)
            pads.push_back(e);
        else if (e->GetLayer() == currentLayer)
            current.push_back(e);
        else
            others.push_front(e);
    }
    others.splice(others.end(), current);
    others.splice(others.end(), pads);
    for (CEntity* e : others)
        e->Draw(dc, mode, clip, &m_hiddenLayers);
}

int CManElement::PickAll(const Position& p, const double* tolerance, std::vector<CEntity*>* out)
{
    if (!out)
        return 0;
    for (CEntity* e : m_entities)
        if (e->HitTestPoint(p, tolerance, &m_hiddenLayers))
            out->push_back(e);
    return out->empty() ? 0 : 1;
}

CEntity* CManElement::HitTest(const Position& p, const double* tolerance)
{
    std::vector<CEntity*> candidates;
    for (CEntity* e : m_entities) {
        if (!e->HitTestPoint(p, tolerance, &m_hiddenLayers))
            continue;
        if (e->IsSelected())
            return e;
        candidates.push_back(e);
    }
    if (candidates.empty())
        return nullptr;
    if (candidates.size() == 1)
        return candidates.front();
    ListChoice choice;
    for (CEntity* e : candidates)
        choice.items.push_back(e->GetDescription());
    if (!UiServices::Current().Ask(choice))
        return nullptr;
    if (choice.chosen < 0 || std::size_t(choice.chosen) >= candidates.size())
        return nullptr;
    return candidates[std::size_t(choice.chosen)];
}

void CManElement::SelectInBox(std::list<CEntity*>* out, const BOX2D* box,
                              std::list<CEntity*>* selection)
{
    if (!box)
        DeselectAll();
    for (CEntity* e : m_entities) {
        if (!e->IsActive() || IsHidden(e->GetLayer()))
            continue;
        if (!box) {
            e->ToggleSelect();
            if (out)
                out->push_back(e);
            if (selection)
                selection->push_back(e);
        } else if (e->IntersectsBox(*box)) {
            if (!e->IsSelected())
                e->ToggleSelect();
            if (out)
                out->push_back(e);
        } else if (e->IsSelected()) {
            e->ToggleSelect();
        }
    }
}

void CManElement::SelectInBox(std::list<CEntity*>* out, const BOX2D& box, BoxSelect mode)
{
    if (mode == BoxSelect::Replace) {
        SelectInBox(out, &box);
        return;
    }
    for (CEntity* e : m_entities) {
        if (!e->IsActive() || IsHidden(e->GetLayer()) || !e->IntersectsBox(box))
            continue;
        if (!e->IsSelected())
            e->ToggleSelect();
        if (out)
            out->push_back(e);
    }
}

void CManElement::DeselectAll()
{
    for (CEntity* e : m_entities)
        if (e->IsActive() && e->IsSelected())
            e->ToggleSelect();
}

void CManElement::MoveAll(const Position& p)
{
    const Position zero(0.0, 0.0);
    for (CEntity* e : m_entities)
        e->MoveBy(p, zero);
}

int CManElement::GetBoundingBox(BOX2D* out) const
{
    return UnionOfBoxes(m_entities, &m_hiddenLayers, true, out);
}

int CManElement::UnionOfBoxes(const std::list<CEntity*>& entities, const HiddenLayers* hidden,
                              bool liveOnly, BOX2D* out)
{
    bool found = false;
    BOX2D all;
    for (CEntity* e : entities) {
        if (liveOnly && !e->IsActive())
            continue;
        BOX2D b;
        if (!e->GetBox(&b, hidden))
            continue;
        if (found) {
            all.x1 = std::min(all.x1, b.x1);
            all.y1 = std::min(all.y1, b.y1);
            all.x2 = std::max(all.x2, b.x2);
            all.y2 = std::max(all.y2, b.y2);
        } else {
            all = b;
        }
        found = true;
    }
    if (found && out)
        *out = all;
    return found ? 1 : 0;
}

void CManElement::CollectUsedLayers(std::map<int, int>* used) const
{
    if (!used)
        return;
    for (CEntity* e : m_entities)
        if (e->IsActive())
            e->CollectLayers(*used);
}

void CManElement::SetLayerFilter(const std::map<int, int>& hidden)
{
    if (&hidden != &m_hiddenLayers)
        m_hiddenLayers = hidden;
}

namespace
{

// A copy is made live whole, whatever parts of the original were deleted: the parts of
// a pour's fill that are deleted on the board are deleted in its copy too, so that the
// export leaves them out.
void KeepDeletedOut(CEntity& original, CEntity& copy)
{
    auto* pour = dynamic_cast<CPolygon*>(&original);
    auto* pourCopy = dynamic_cast<CPolygon*>(&copy);
    if (!pour || !pourCopy || pour->GetHatchList().size() != pourCopy->GetHatchList().size())
        return;
    for (std::size_t i = 0; i < pour->GetHatchList().size(); ++i)
        if (!pour->GetHatchList()[i]->IsActive())
            pourCopy->GetHatchList()[i]->Deactivate();
}

} // namespace

void CManElement::WriteProtelAscii(std::string& out, std::map<int, int>& counts,
                                   const Position& origin)
{
    CMutexLock lock(m_lock);
    const Position zero(0.0, 0.0);
    std::string components;
    std::string others;
    std::string record;
    for (CEntity* e : m_entities) {
        if (!e->IsActive())
            continue;
        std::unique_ptr<CEntity> copy(e->Clone());
        if (!copy)
            continue;
        KeepDeletedOut(*e, *copy);
        // An object of the board itself always writes the free form of its record.
        copy->SetComponentPart(0);
        copy->MoveBy(origin, zero);
        record.clear();
        copy->ExportText(record, counts);
        (copy->GetType() == ET_COMPONENT ? components : others) += record;
    }
    out += components;
    out += others;
}

void CManElement::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        std::list<CEntity*> live;
        for (CEntity* e : m_entities)
            if (e->IsActive())
                live.push_back(e);
        ar.WriteObjectList(live);
        return;
    }
    ReadEntityList(ar, m_entities);
}

void CManElement::ReadEntityList(CArchive& ar, std::list<CEntity*>& out)
{
    std::list<CEntity*> loaded;
    try {
        ar.ReadObjectList(loaded, RUNTIME_CLASS(CEntity));
        // A null reference in the list carries no object.
        loaded.remove(nullptr);
        // Nothing this program writes holds a bare CEntity, nor a component or a
        // polygon inside a component (a component keeps its parts flat).
        auto isBare = [](const CEntity* e) {
            return e->GetRuntimeClass() == RUNTIME_CLASS(CEntity);
        };
        for (const CEntity* e : loaded) {
            if (isBare(e))
                CArchive::Throw(CArchiveException::badClass,
                                "the board holds an object of the base class CEntity");
            if (const auto* component = dynamic_cast<const CComponent*>(e))
                for (const CEntity* child : component->GetChildren()) {
                    if (isBare(child))
                        CArchive::Throw(CArchiveException::badClass,
                                        "a component holds an object of the base class CEntity");
                    if (child->IsKindOf(RUNTIME_CLASS(CComponent)) ||
                        child->IsKindOf(RUNTIME_CLASS(CPolygon)))
                        CArchive::Throw(CArchiveException::tooDeep,
                                        "a component holds a component or a polygon");
                }
        }
    } catch (...) {
        for (CEntity* e : loaded)
            delete e;
        throw;
    }
    out.splice(out.end(), loaded);
}
