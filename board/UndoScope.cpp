#include "UndoScope.h"

#include "CInfomation.h"
#include "model/CEntity.h"

#include <utility>

UndoScope::UndoScope(CInfomation& board, std::list<CEntity*> objects)
    : m_board(board), m_objects(std::move(objects))
{
    for (CEntity* e : m_objects)
        e->PushUndoState(e);
}

UndoScope::~UndoScope()
{
    if (m_committed)
        return;
    for (CEntity* e : m_objects) {
        e->Invalidate();
        e->DropToEarlierState();
        e->Invalidate();
    }
}

void UndoScope::Commit()
{
    if (m_committed)
        return;
    m_committed = true;
    m_board.RecordEntityChange(&m_objects);
}
