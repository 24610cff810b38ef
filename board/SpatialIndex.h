// The boxes of the board's top-level objects in an R-tree, so that drawing, picking and
// area selection look only at the objects near a place instead of at every object.
//
// Units: board mils. Each object is kept with its box grown by its line width (a hit test
// may reach that far past the drawn box), and with its place in the container's order,
// so that queries answer in container order (front first) as a full scan would.
// Objects tell the index of every change of their box or selection (BoxListener); a
// notice only marks the object, and the marked boxes are read again at the next query.
// The index does not own the objects; the container frees them only after Clear.
// Threads: the board's thread changes and queries; several drawing threads may query at
// once (Query is safe against itself once Refresh has run on the board's thread).
#pragma once

#include "model/BoxListener.h"
#include "model/Geometry.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include <cstdint>
#include <list>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class CEntity;

class SpatialIndex final : public BoxListener
{
  public:
    SpatialIndex() = default;
    SpatialIndex(const SpatialIndex&) = delete;
    SpatialIndex& operator=(const SpatialIndex&) = delete;
    ~SpatialIndex();

    // A new object at the front (or the back) of the container's order. It becomes this
    // index's listener.
    void Add(CEntity* entity, bool atFront);
    // New objects at the back of the order, in list order: the tree is packed anew when
    // it was empty (opening a board), which is quicker and gives a better tree.
    void AddAtBack(const std::vector<CEntity*>& entities);
    // The object goes to the front of the order.
    void MoveToFront(CEntity* entity);
    // Forgets every object (they stop telling this index anything).
    void Clear();
    // Marks every object, as after a change of all of them (the origin moved).
    void AllChanged();

    // Reads the boxes of the marked objects again. Queries do this themselves; a caller
    // that queries from several threads at once runs it first, on the board's thread.
    void Refresh();
    // The objects whose box (grown as above) meets `box`, in container order, plus every
    // object that has no box to index. Appended to `out`.
    void Query(const BOX2D& box, std::vector<CEntity*>* out) const;
    // How many objects Query would answer, without ordering them.
    std::size_t Count(const BOX2D& box) const;
    // What Count would answer for each of `boxes`, in one pass over the tree however many
    // they are: boxes of one width, one after the other along y (their lower edges and
    // their upper edges both rising, or both falling), such as the strips of a view.
    std::vector<std::size_t> CountEach(const std::vector<BOX2D>& boxes) const;
    // Whether `box` holds every indexed box, so that a query would answer every object.
    bool Covers(const BOX2D& box) const;
    // The objects that are selected now (in no particular order).
    const std::unordered_set<CEntity*>& Selected() const { return m_selected; }
    std::size_t Size() const { return m_slots.size(); }
    // Every object the index knows (the container's), in the order they came.
    const std::vector<CEntity*>& Objects() const { return m_objects; }

    // The box kept for `entity` (after Refresh); false when it has none or is unknown.
    bool KeptBox(CEntity* entity, BOX2D* out) const;
    // The box the index would keep for `entity` as it is now; false when it has none.
    static bool IndexBox(CEntity* entity, BOX2D* out);

    void BoxChanged(CEntity* entity) override;
    void SelectionChanged(CEntity* entity) override;

  private:
    using Point2 = boost::geometry::model::point<double, 2, boost::geometry::cs::cartesian>;
    using Box2 = boost::geometry::model::box<Point2>;
    struct Slot {
        Box2 box;
        std::int64_t order = 0;
        bool boxed = false;
        bool marked = false;
    };
    // A box of board mils with its corners in either order, as the tree takes it.
    static Box2 AreaOf(const BOX2D& box);
    // The tree holds the slots' map entries (which never move), so that a query finds
    // each object's order without looking it up.
    using Entry = std::pair<CEntity* const, Slot>;
    using Value = std::pair<Box2, Entry*>;
    using Tree = boost::geometry::index::rtree<Value, boost::geometry::index::rstar<16>>;

    void Mark(CEntity* entity, Slot& slot);
    void Place(Entry& entry);
    // Reads every box again and builds the tree anew.
    void Repack();
    // Works out the boxes of `objects` into their slots (on several threads for many),
    // becomes their listener, and builds the tree anew of them; those without a box
    // become the unboxed.
    void Pack(const std::vector<Entry*>& objects);

    std::unordered_map<CEntity*, Slot> m_slots;
    // The same objects in a row: a pass over all of them need not chase the map's nodes.
    std::vector<CEntity*> m_objects;
    Tree m_tree;
    std::vector<CEntity*> m_unboxed;
    std::vector<CEntity*> m_marked;
    std::unordered_set<CEntity*> m_selected;
    std::int64_t m_front = 0;
    std::int64_t m_back = 0;
};
