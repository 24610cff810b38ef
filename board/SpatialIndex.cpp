#include "SpatialIndex.h"

#include "ParallelChunks.h"
#include "model/CEntity.h"

#include <boost/iterator/function_output_iterator.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

SpatialIndex::Box2 SpatialIndex::AreaOf(const BOX2D& box)
{
    return Box2(Point2(std::min(box.x1, box.x2), std::min(box.y1, box.y2)),
                Point2(std::max(box.x1, box.x2), std::max(box.y1, box.y2)));
}

SpatialIndex::~SpatialIndex()
{
    Clear();
}

bool SpatialIndex::IndexBox(CEntity* entity, BOX2D* out)
{
    BOX2D box;
    if (!entity->GetBox(&box, nullptr))
        return false;
    // Merged by hand: a box without size still counts.
    const double reach = std::max(0.0, entity->GetLineWidth());
    *out = BOX2D(std::min(box.x1, box.x2) - reach, std::min(box.y1, box.y2) - reach,
                 std::max(box.x1, box.x2) + reach, std::max(box.y1, box.y2) + reach);
    return std::isfinite(out->x1) && std::isfinite(out->y1) && std::isfinite(out->x2) &&
           std::isfinite(out->y2);
}

void SpatialIndex::Add(CEntity* entity, bool atFront)
{
    auto [it, added] = m_slots.try_emplace(entity);
    if (!added)
        return;
    it->second.order = atFront ? --m_front : ++m_back;
    m_objects.push_back(entity);
    entity->SetBoxListener(this);
    if (entity->IsSelected())
        m_selected.insert(entity);
    Place(*it);
}

void SpatialIndex::AddAtBack(const std::vector<CEntity*>& entities)
{
    if (!m_tree.empty() || !m_unboxed.empty()) {
        for (CEntity* e : entities)
            Add(e, false);
        return;
    }
    std::vector<Entry*> added;
    added.reserve(entities.size());
    m_slots.reserve(m_slots.size() + entities.size());
    for (CEntity* e : entities) {
        auto [it, fresh] = m_slots.try_emplace(e);
        if (!fresh)
            continue;
        it->second.order = ++m_back;
        m_objects.push_back(e);
        added.push_back(&*it);
    }
    Pack(added);
}

void SpatialIndex::MoveToFront(CEntity* entity)
{
    auto it = m_slots.find(entity);
    if (it != m_slots.end())
        it->second.order = --m_front;
}

void SpatialIndex::Clear()
{
    for (auto& slot : m_slots)
        slot.first->SetBoxListener(nullptr);
    m_slots.clear();
    m_objects.clear();
    m_tree.clear();
    m_unboxed.clear();
    m_marked.clear();
    m_selected.clear();
    m_front = 0;
    m_back = 0;
}

void SpatialIndex::AllChanged()
{
    for (auto& slot : m_slots)
        Mark(slot.first, slot.second);
}

void SpatialIndex::BoxChanged(CEntity* entity)
{
    auto it = m_slots.find(entity);
    if (it != m_slots.end())
        Mark(entity, it->second);
}

void SpatialIndex::SelectionChanged(CEntity* entity)
{
    if (entity->IsSelected())
        m_selected.insert(entity);
    else
        m_selected.erase(entity);
}

void SpatialIndex::Mark(CEntity* entity, Slot& slot)
{
    if (slot.marked)
        return;
    slot.marked = true;
    m_marked.push_back(entity);
}

// Takes the object out of the tree (or the unboxed list) and puts it back with its box
// as it is now.
void SpatialIndex::Place(Entry& entry)
{
    CEntity* const entity = entry.first;
    Slot& slot = entry.second;
    if (slot.boxed)
        m_tree.remove(Value(slot.box, &entry));
    else
        m_unboxed.erase(std::remove(m_unboxed.begin(), m_unboxed.end(), entity), m_unboxed.end());
    BOX2D box;
    slot.boxed = IndexBox(entity, &box);
    slot.marked = false;
    if (!slot.boxed) {
        m_unboxed.push_back(entity);
        return;
    }
    slot.box = Box2(Point2(box.x1, box.y1), Point2(box.x2, box.y2));
    m_tree.insert(Value(slot.box, &entry));
}

void SpatialIndex::Refresh()
{
    if (m_marked.empty())
        return;
    std::vector<CEntity*> marked;
    marked.swap(m_marked);
    // Many changed at once (the origin moved, a board was placed): packing the tree
    // anew is quicker than taking each one out and putting it back.
    if (marked.size() > m_slots.size() / 4) {
        Repack();
        return;
    }
    for (CEntity* e : marked) {
        auto it = m_slots.find(e);
        if (it != m_slots.end() && it->second.marked)
            Place(*it);
    }
}

void SpatialIndex::Repack()
{
    std::vector<Entry*> all;
    all.reserve(m_slots.size());
    for (Entry& entry : m_slots)
        all.push_back(&entry);
    Pack(all);
}

void SpatialIndex::Pack(const std::vector<Entry*>& objects)
{
    m_unboxed.clear();
    // What each object is asked and told is done on several threads (each object's own
    // fields: a whole board's objects lie far apart in memory), and taken into the
    // slots, the selection and the tree on this one.
    std::vector<BOX2D> boxes(objects.size());
    enum : char { kBoxed = 1, kSelected = 2 };
    std::vector<char> flags(objects.size());
    ParallelChunks::Run(objects.size(), [&](int, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            CEntity* e = objects[i]->first;
            e->SetBoxListener(this);
            flags[i] =
                char((IndexBox(e, &boxes[i]) ? kBoxed : 0) | (e->IsSelected() ? kSelected : 0));
        }
    });
    std::vector<Value> values;
    values.reserve(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        CEntity* const entity = objects[i]->first;
        Slot* const slot = &objects[i]->second;
        if (flags[i] & kSelected)
            m_selected.insert(entity);
        slot->boxed = (flags[i] & kBoxed) != 0;
        slot->marked = false;
        if (!slot->boxed) {
            m_unboxed.push_back(entity);
            continue;
        }
        const BOX2D& box = boxes[i];
        slot->box = Box2(Point2(box.x1, box.y1), Point2(box.x2, box.y2));
        values.emplace_back(slot->box, objects[i]);
    }
    m_tree = Tree(values.begin(), values.end());
}

void SpatialIndex::Query(const BOX2D& box, std::vector<CEntity*>* out) const
{
    const std::size_t first = out->size();
    // Kept from one query to the next, one for each drawing thread.
    thread_local std::vector<std::pair<std::int64_t, CEntity*>> ordered;
    ordered.clear();
    // Through an output iterator, which the tree's query inlines (its own iterators
    // call through a pointer for every answer).
    m_tree.query(bgi::intersects(AreaOf(box)),
                 boost::make_function_output_iterator([](const Value& v) {
                     ordered.emplace_back(v.second->second.order, v.second->first);
                 }));
    for (CEntity* e : m_unboxed)
        ordered.emplace_back(m_slots.at(e).order, e);
    out->resize(first + ordered.size());
    std::sort(ordered.begin(), ordered.end());
    for (std::size_t i = 0; i < ordered.size(); ++i)
        (*out)[first + i] = ordered[i].second;
}

std::size_t SpatialIndex::Count(const BOX2D& box) const
{
    return m_unboxed.size() +
           m_tree.query(bgi::intersects(AreaOf(box)),
                        boost::make_function_output_iterator([](const Value&) {}));
}

std::vector<std::size_t> SpatialIndex::CountEach(const std::vector<BOX2D>& boxes) const
{
    const std::size_t n = boxes.size();
    if (n == 0)
        return {};
    std::vector<double> lows;
    std::vector<double> highs;
    BOX2D all = boxes.front();
    for (const BOX2D& b : boxes) {
        lows.push_back(std::min(b.y1, b.y2));
        highs.push_back(std::max(b.y1, b.y2));
        all = all.Union(b);
    }
    const bool falling = lows.front() > lows.back();
    if (falling) {
        std::reverse(lows.begin(), lows.end());
        std::reverse(highs.begin(), highs.end());
    }
    // Taken rising, an object from y1 to y2 meets the boxes from the first that reaches
    // up to y1 to the last that starts no higher than y2: one more from the first on,
    // one fewer after the last.
    std::vector<std::ptrdiff_t> change(n + 1, 0);
    m_tree.query(
        bgi::intersects(AreaOf(all)), boost::make_function_output_iterator([&](const Value& v) {
            const double y1 = v.first.min_corner().get<1>();
            const double y2 = v.first.max_corner().get<1>();
            const auto first = std::lower_bound(highs.begin(), highs.end(), y1) - highs.begin();
            const auto end = std::upper_bound(lows.begin(), lows.end(), y2) - lows.begin();
            if (first < end) {
                ++change[std::size_t(first)];
                --change[std::size_t(end)];
            }
        }));
    std::vector<std::size_t> counts(n);
    std::ptrdiff_t running = 0;
    for (std::size_t j = 0; j < n; ++j) {
        running += change[j];
        counts[falling ? n - 1 - j : j] = std::size_t(running) + m_unboxed.size();
    }
    return counts;
}

bool SpatialIndex::Covers(const BOX2D& box) const
{
    if (m_tree.empty())
        return true;
    const Box2 all = m_tree.bounds();
    return std::min(box.x1, box.x2) <= all.min_corner().get<0>() &&
           std::min(box.y1, box.y2) <= all.min_corner().get<1>() &&
           std::max(box.x1, box.x2) >= all.max_corner().get<0>() &&
           std::max(box.y1, box.y2) >= all.max_corner().get<1>();
}

bool SpatialIndex::KeptBox(CEntity* entity, BOX2D* out) const
{
    auto it = m_slots.find(entity);
    if (it == m_slots.end() || !it->second.boxed)
        return false;
    const Box2& b = it->second.box;
    *out = BOX2D(b.min_corner().get<0>(), b.min_corner().get<1>(), b.max_corner().get<0>(),
                 b.max_corner().get<1>());
    return true;
}
