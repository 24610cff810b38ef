// The container of every board object of the open board, live or not, newest first.
// It answers the board-wide questions: drawing order, what lies under the pointer,
// what a selection box catches, the board's box, the layers in use, and which objects
// go into the document. Deleting an object only clears its live flag, so that undo can
// bring it back; the container owns the objects and frees them in Clear.
#pragma once

#include "CMutex.h"
#include "model/CEntity.h"
#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class CArchive;
class DrawContext;
class SpatialIndex;

// What a selection box does to the objects outside it: Replace deselects them, Add
// leaves them as they are.
enum class BoxSelect { Replace, Add };

class CManElement
{
  public:
    CManElement();
    CManElement(const CManElement&) = delete;
    CManElement& operator=(const CManElement&) = delete;
    virtual ~CManElement();

    // Makes the object live and puts it at the front. Null does nothing; returns 1.
    int AddEntity(CEntity* entity);
    // Puts the object at the front as it is (live or not).
    int InsertEntity(CEntity* entity);
    // Puts each object of the list at the front in turn; null returns 0.
    int InsertEntities(std::list<CEntity*>* list);
    // Takes over the objects of the list, as they are, at the back in list order.
    void AppendEntities(std::list<CEntity*>& list);
    // Moves the object to the front (once); it must already be in the container.
    void BringToFront(CEntity* entity);
    // Frees every object.
    void Clear();
    CEntity* GetFirst() const;
    // The most recently added live object, or null.
    CEntity* GetLastAdded() const;
    // 1 when no object is live.
    int IsEmpty() const;

    // Draws the objects meeting `clip` (client pixels): other layers first (newest
    // first), then the current layer (oldest first), then pads and vias (oldest first);
    // none of `leftOut` (objects drawn elsewhere, over the board), when given.
    void DrawAll(DrawContext* dc, int mode, Rect clip, int currentLayer,
                 const std::unordered_set<const CEntity*>* leftOut = nullptr);
    // Every object under p, front first; 1 when there is at least one.
    int PickAll(const Position& p, const double* tolerance, std::vector<CEntity*>* out);
    // The object under p: a selected one at once, else the only candidate, else the
    // one the user chooses from a list (null when the choice is dismissed).
    CEntity* HitTest(const Position& p, const double* tolerance);
    // With a box: the live objects on shown layers meeting it are selected and listed,
    // the others on shown layers deselected. Without one: every object is deselected,
    // then everything live and shown is selected, listed in `out` and in `selection`.
    void SelectInBox(std::list<CEntity*>* out, const BOX2D* box,
                     std::list<CEntity*>* selection = nullptr);
    // The live objects on shown layers meeting `box` are selected and listed in `out`;
    // in the Add form the others keep their selection.
    void SelectInBox(std::list<CEntity*>* out, const BOX2D& box, BoxSelect mode);
    void DeselectAll();
    // Moves every object, live or not, by -p.
    void MoveAll(const Position& p);
    // The union of the live objects' boxes; 0 when there is none.
    int GetBoundingBox(BOX2D* out) const;
    // The union of the boxes of `entities` (of the live ones only with `liveOnly`), each
    // taken with `hidden`: an object that gives no box adds nothing, a box without size
    // still counts. 0 when none gives a box.
    static int UnionOfBoxes(const std::list<CEntity*>& entities, const HiddenLayers* hidden,
                            bool liveOnly, BOX2D* out);
    static int UnionOfBoxes(const std::vector<CEntity*>& entities, const HiddenLayers* hidden,
                            bool liveOnly, BOX2D* out);
    void CollectUsedLayers(std::map<int, int>* used) const;
    void SetLayerFilter(const std::map<int, int>& hidden);
    const HiddenLayers& GetHiddenLayers() const { return m_hiddenLayers; }
    // Storing writes the live objects, front first; loading appends the objects read at
    // the back in file order, and only once the whole list has been read.
    void Serialize(CArchive& ar);
    // Reads an object list as Serialize stores it and checks it: on success the objects
    // (null references dropped) are appended to `out` and belong to the caller; on
    // failure those read are freed, `out` is left alone and the archive's exception
    // goes on.
    static void ReadEntityList(CArchive& ar, std::list<CEntity*>& out);
    // Appends the Protel ASCII records of the live objects to `out`, each counted in
    // `counts`: every component first, then every other object, each group newest
    // first. The records are those of copies moved by -origin, so that `origin` is the
    // file's (0, 0); the objects themselves are left untouched.
    void WriteProtelAscii(std::string& out, std::map<int, int>& counts,
                          const Position& origin = Position(0.0, 0.0));

    const std::list<CEntity*>& GetEntities() const { return m_entities; }

    // Reads again the boxes of the objects changed since the last query. Drawing runs it
    // before it draws from several threads at once.
    void RefreshIndex();
    // How many objects may show in `clip` (client pixels): those DrawAll would visit.
    std::size_t CountUnder(Rect clip);
    // For each strip of `clip` between two neighbouring `rows` (client rows, rising), how
    // many objects may show there, all in one look at the index.
    std::vector<std::size_t> CountUnderRows(Rect clip, const std::vector<int>& rows);
    // Whether the index keeps, for every object, the box the object has now; the objects
    // that differ are listed in `stale` when given. For tests.
    bool IndexMatchesObjects(std::vector<CEntity*>* stale = nullptr);

  private:
    bool IsHidden(int layer) const { return m_hiddenLayers.count(layer) != 0; }
    // The board area under a clip (client pixels), with a margin for rounding.
    static BOX2D AreaUnder(const Rect& clip);
    // The objects that may meet `area` (board mils), in container order.
    void Candidates(const BOX2D& area, std::vector<CEntity*>* out);
    // The objects that may be under p (within the tolerance), in container order.
    std::vector<CEntity*> CandidatesAt(const Position& p, const double* tolerance);

    std::list<CEntity*> m_entities;
    CMutex m_lock;
    HiddenLayers m_hiddenLayers;
    std::unique_ptr<SpatialIndex> m_index;
};
