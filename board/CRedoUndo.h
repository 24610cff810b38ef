// The edit history of the board: two stacks of records, each naming a group of board
// objects and what was done to them. Objects are never deleted by an edit: deleting
// clears the live flag, and a change of properties is undone by swapping the object's
// stored states. The records own their lists, never the objects.
#pragma once

#include <list>

class CEntity;
class CManElement;

// What a record did to its objects.
enum UndoActionKind {
    UA_ADD = 0,      // made live; undo: not live
    UA_CUT = 1,      // made not live; undo: live
    UA_KEEP = 2,     // made live; undo and redo change nothing
    UA_INSERT = 3,   // inserted into the container and repainted; undo: not live
    UA_DELETE = 4,   // deselected, made not live; undo: live
    UA_PROPERTY = 5, // undo and redo swap the object's stored states
};

struct UndoAction {
    std::list<CEntity*>* entities = nullptr; // owned by the record
    int kind = UA_ADD;
};

class CRedoUndo
{
  public:
    // `container` receives the objects of kind-3 records; it may be null when no such
    // record is made.
    explicit CRedoUndo(CManElement* container = nullptr);
    CRedoUndo(const CRedoUndo&) = delete;
    CRedoUndo& operator=(const CRedoUndo&) = delete;
    virtual ~CRedoUndo();

    void SetContainer(CManElement* container) { m_container = container; }

    void AddAction(std::list<CEntity*>* list, int kind);
    void AddAction(CEntity* entity, int kind);
    void Undo(std::list<CEntity*>* affected);
    void Redo(std::list<CEntity*>* affected);
    int CanUndo() const { return m_undo.empty() ? 0 : 1; }
    int CanRedo() const { return m_redo.empty() ? 0 : 1; }
    void SetMaxDepth(const int& depth) { m_depth = depth; }
    int GetMaxDepth() const { return m_depth; }
    // Drops the oldest record when the stack holds more than the depth.
    void TrimToDepth(std::list<UndoAction>* stack);
    // Deselects each object, then makes it live or not.
    static void SetLive(std::list<CEntity*>* list, int live);
    // Forgets every record of both stacks.
    void Clear();

    std::size_t UndoCount() const { return m_undo.size(); }
    std::size_t RedoCount() const { return m_redo.size(); }

  private:
    static void Free(std::list<UndoAction>& stack);

    std::list<UndoAction> m_redo;
    std::list<UndoAction> m_undo;
    int m_depth = 20;
    CManElement* m_container = nullptr;
};
