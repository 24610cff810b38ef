#include "CManElement.h"

#include "ParallelChunks.h"
#include "SpatialIndex.h"
#include "model/BoardServices.h"
#include "model/CComponent.h"
#include "model/CPolygon.h"
#include "model/UiServices.h"
#include "platform/CArchive.h"
#include "platform/DrawContext.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

CManElement::CManElement() : m_index(std::make_unique<SpatialIndex>()) {}

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
    m_index->Add(entity, true);
    return 1;
}

int CManElement::InsertEntity(CEntity* entity)
{
    if (!entity)
        return 1;
    CMutexLock lock(m_lock);
    m_entities.push_front(entity);
    m_index->Add(entity, true);
    return 1;
}

int CManElement::InsertEntities(std::list<CEntity*>* list)
{
    if (!list)
        return 0;
    CMutexLock lock(m_lock);
    for (CEntity* e : *list)
        if (e) {
            m_entities.push_front(e);
            m_index->Add(e, true);
        }
    return 1;
}

void CManElement::AppendEntities(std::list<CEntity*>& list)
{
    // One pass over the list: a whole board's list nodes lie far apart in memory.
    std::vector<CEntity*> objects;
    objects.reserve(list.size());
    for (auto it = list.begin(); it != list.end();) {
        if (*it) {
            objects.push_back(*it);
            ++it;
        } else {
            it = list.erase(it);
        }
    }
    CMutexLock lock(m_lock);
    m_index->AddAtBack(objects);
    m_entities.splice(m_entities.end(), list);
}

void CManElement::BringToFront(CEntity* entity)
{
    if (!entity)
        return;
    const std::size_t before = m_entities.size();
    m_entities.remove(entity);
    // Only an object of this container is put back; a stranger is not adopted.
    if (m_entities.size() != before) {
        m_entities.push_front(entity);
        m_index->MoveToFront(entity);
    }
}

void CManElement::Clear()
{
    m_index->Clear();
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

void CManElement::Candidates(const BOX2D& area, std::vector<CEntity*>* out)
{
    m_index->Refresh();
    if (m_index->Covers(area))
        out->assign(m_entities.begin(), m_entities.end());
    else
        m_index->Query(area, out);
}

void CManElement::RefreshIndex()
{
    m_index->Refresh();
}

BOX2D CManElement::AreaUnder(const Rect& clip)
{
    // A few pixels wider than the widest rounding of an object's screen rectangle.
    constexpr int kMargin = BOX2D::kDeviceMargin + 2;
    const Point scroll = BoardServices::Current().GetViewScrollPosition();
    const Position a(Point{clip.left + scroll.x - kMargin, clip.top + scroll.y - kMargin});
    const Position b(Point{clip.right + scroll.x + kMargin, clip.bottom + scroll.y + kMargin});
    return BOX2D(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

std::size_t CManElement::CountUnder(Rect clip)
{
    m_index->Refresh();
    const BOX2D area = AreaUnder(clip);
    return m_index->Covers(area) ? m_entities.size() : m_index->Count(area);
}

std::vector<std::size_t> CManElement::CountUnderRows(Rect clip, const std::vector<int>& rows)
{
    m_index->Refresh();
    std::vector<BOX2D> strips;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        clip.top = rows[i - 1];
        clip.bottom = rows[i];
        strips.push_back(AreaUnder(clip));
    }
    return m_index->CountEach(strips);
}

void CManElement::DrawAll(DrawContext* dc, int mode, Rect clip, int currentLayer,
                          const std::unordered_set<const CEntity*>* leftOut)
{
    thread_local std::vector<CEntity*> hits;
    hits.clear();
    Candidates(AreaUnder(clip), &hits);
    if (leftOut)
        std::erase_if(hits, [leftOut](const CEntity* e) { return leftOut->count(e) != 0; });

    // Other layers newest first, then the current layer oldest first, then pads and vias
    // oldest first; `hits` is newest first.
    const auto isPad = [](CEntity* e) {
        const int type = e->GetType();
        return type == ET_FREEPAD || type == ET_VIA;
    };
    for (CEntity* e : hits)
        if (!isPad(e) && e->GetLayer() != currentLayer)
            e->Draw(dc, mode, clip, &m_hiddenLayers);
    for (auto it = hits.rbegin(); it != hits.rend(); ++it)
        if (!isPad(*it) && (*it)->GetLayer() == currentLayer)
            (*it)->Draw(dc, mode, clip, &m_hiddenLayers);
    for (auto it = hits.rbegin(); it != hits.rend(); ++it)
        if (isPad(*it))
            (*it)->Draw(dc, mode, clip, &m_hiddenLayers);
}

std::vector<CEntity*> CManElement::CandidatesAt(const Position& p, const double* tolerance)
{
    const double reach = tolerance && *tolerance > 0.0 ? *tolerance : 0.0;
    std::vector<CEntity*> near;
    Candidates(BOX2D(p.x - reach, p.y - reach, p.x + reach, p.y + reach), &near);
    return near;
}

int CManElement::PickAll(const Position& p, const double* tolerance, std::vector<CEntity*>* out)
{
    if (!out)
        return 0;
    for (CEntity* e : CandidatesAt(p, tolerance))
        if (e->HitTestPoint(p, tolerance, &m_hiddenLayers))
            out->push_back(e);
    return out->empty() ? 0 : 1;
}

CEntity* CManElement::HitTest(const Position& p, const double* tolerance)
{
    std::vector<CEntity*> candidates;
    for (CEntity* e : CandidatesAt(p, tolerance)) {
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
    if (box) {
        SelectInBox(out, *box, BoxSelect::Replace);
        return;
    }
    DeselectAll();
    for (CEntity* e : m_entities) {
        if (!e->IsActive() || IsHidden(e->GetLayer()))
            continue;
        e->ToggleSelect();
        if (out)
            out->push_back(e);
        if (selection)
            selection->push_back(e);
    }
}

void CManElement::SelectInBox(std::list<CEntity*>* out, const BOX2D& box, BoxSelect mode)
{
    std::vector<CEntity*> near;
    Candidates(box, &near);
    std::unordered_set<CEntity*> caught;
    for (CEntity* e : near) {
        if (!e->IsActive() || IsHidden(e->GetLayer()) || !e->IntersectsBox(box))
            continue;
        caught.insert(e);
        if (!e->IsSelected())
            e->ToggleSelect();
        if (out)
            out->push_back(e);
    }
    if (mode == BoxSelect::Add)
        return;
    const std::vector<CEntity*> selected(m_index->Selected().begin(), m_index->Selected().end());
    for (CEntity* e : selected)
        if (e->IsActive() && !IsHidden(e->GetLayer()) && !caught.count(e))
            e->ToggleSelect();
}

void CManElement::DeselectAll()
{
    const std::vector<CEntity*> selected(m_index->Selected().begin(), m_index->Selected().end());
    for (CEntity* e : selected)
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
    // The index holds every object of the container; a union does not depend on order.
    return UnionOfBoxes(m_index->Objects(), &m_hiddenLayers, true, out);
}

int CManElement::UnionOfBoxes(const std::list<CEntity*>& entities, const HiddenLayers* hidden,
                              bool liveOnly, BOX2D* out)
{
    return UnionOfBoxes(std::vector<CEntity*>(entities.begin(), entities.end()), hidden, liveOnly,
                        out);
}

int CManElement::UnionOfBoxes(const std::vector<CEntity*>& all, const HiddenLayers* hidden,
                              bool liveOnly, BOX2D* out)
{
    // A whole board's boxes are worked out on several threads, a part of the objects
    // each; the parts' unions are merged in order.
    struct Union {
        BOX2D box;
        bool found = false;
        void Take(const BOX2D& b)
        {
            if (found) {
                box.x1 = std::min(box.x1, b.x1);
                box.y1 = std::min(box.y1, b.y1);
                box.x2 = std::max(box.x2, b.x2);
                box.y2 = std::max(box.y2, b.y2);
            } else {
                box = b;
            }
            found = true;
        }
    };
    std::vector<Union> unions(std::size_t(ParallelChunks::ChunksFor(all.size())));
    ParallelChunks::Run(all.size(), [&](int chunk, std::size_t begin, std::size_t end) {
        Union& mine = unions[std::size_t(chunk)];
        for (std::size_t i = begin; i < end; ++i) {
            BOX2D b;
            if ((!liveOnly || all[i]->IsActive()) && all[i]->GetBox(&b, hidden))
                mine.Take(b);
        }
    });
    Union whole;
    for (const Union& part : unions)
        if (part.found)
            whole.Take(part.box);
    if (whole.found && out)
        *out = whole.box;
    return whole.found ? 1 : 0;
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
    std::list<CEntity*> loaded;
    ReadEntityList(ar, loaded);
    AppendEntities(loaded);
}

bool CManElement::IndexMatchesObjects(std::vector<CEntity*>* stale)
{
    m_index->Refresh();
    bool same = m_index->Size() == m_entities.size();
    for (CEntity* e : m_entities) {
        BOX2D kept;
        BOX2D now;
        const bool hasKept = m_index->KeptBox(e, &kept);
        const bool hasNow = SpatialIndex::IndexBox(e, &now);
        const bool equal =
            hasKept == hasNow && (!hasNow || (kept.x1 == now.x1 && kept.y1 == now.y1 &&
                                              kept.x2 == now.x2 && kept.y2 == now.y2));
        const bool selectionKnown = e->IsSelected() == (m_index->Selected().count(e) != 0);
        if (equal && selectionKnown && e->GetBoxListener() == m_index.get())
            continue;
        same = false;
        if (stale)
            stale->push_back(e);
    }
    return same;
}

void CManElement::ReadEntityList(CArchive& ar, std::list<CEntity*>& out)
{
    std::list<CEntity*> loaded;
    // Nothing this program writes holds a bare CEntity, nor a component or a polygon
    // inside a component (a component keeps its parts flat). Each object is checked as
    // soon as it is read, while it is still at hand in the processor's cache.
    auto isBare = [](const CEntity* e) { return e->GetRuntimeClass() == RUNTIME_CLASS(CEntity); };
    auto check = [&](const CEntity* e) {
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
    };
    try {
        const std::size_t count = ar.ReadCount();
        for (std::size_t i = 0; i < count; ++i) {
            auto* e = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
            // A null reference in the list carries no object.
            if (!e)
                continue;
            loaded.push_back(e);
            check(e);
        }
    } catch (...) {
        for (CEntity* e : loaded)
            delete e;
        throw;
    }
    out.splice(out.end(), loaded);
}
