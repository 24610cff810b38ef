// One change of existing board objects as one undo step. Made before the change, it
// stores the state of each object; Commit records the change (one undo record, as
// CInfomation::RecordEntityChange does); a scope that ends uncommitted puts every
// object back as it was stored, repainted, and records nothing. The objects belong to
// the board and must outlive the scope. The GUI thread only.
//
//   UndoScope change(board, selection);
//   for (CEntity* e : selection) e->Rotate(about, PI / 2);
//   change.Commit();
#pragma once

#include <list>

class CEntity;
class CInfomation;

class UndoScope
{
  public:
    UndoScope(CInfomation& board, std::list<CEntity*> objects);
    UndoScope(const UndoScope&) = delete;
    UndoScope& operator=(const UndoScope&) = delete;
    ~UndoScope();

    void Commit();
    const std::list<CEntity*>& Objects() const { return m_objects; }

  private:
    CInfomation& m_board;
    std::list<CEntity*> m_objects;
    bool m_committed = false;
};
