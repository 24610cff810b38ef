#include "CRedoUndo.h"

#include "CManElement.h"
#include "model/CEntity.h"

CRedoUndo::CRedoUndo(CManElement* container) : m_container(container) {}

CRedoUndo::~CRedoUndo()
{
    Clear();
}

void CRedoUndo::Free(std::list<UndoAction>& stack)
{
    for (UndoAction& a : stack)
        delete a.entities;
    stack.clear();
}

void CRedoUndo::Clear()
{
    Free(m_redo);
    Free(m_undo);
}

void CRedoUndo::AddAction(std::list<CEntity*>* list, int kind)
{
    if (!list)
        return;
    auto* entities = new std::list<CEntity*>;
    for (CEntity* e : *list) {
        if (!e)
            continue;
        if (kind == UA_INSERT) {
            if (m_container)
                m_container->InsertEntity(e);
            e->Invalidate();
        } else if (kind == UA_DELETE) {
            e->ToggleSelect();
        }
        entities->push_back(e);
    }
    TrimToDepth(&m_undo);
    switch (kind) {
    case UA_CUT:
    case UA_DELETE:
        SetLive(entities, 0);
        break;
    case UA_INSERT:
    case UA_PROPERTY:
        break;
    default:
        SetLive(entities, 1);
        break;
    }
    m_undo.push_back(UndoAction{entities, kind});
}

void CRedoUndo::AddAction(CEntity* entity, int kind)
{
    std::list<CEntity*> one{entity};
    AddAction(&one, kind);
}

void CRedoUndo::Undo(std::list<CEntity*>* affected)
{
    if (m_undo.empty())
        return;
    UndoAction action = m_undo.back();
    switch (action.kind) {
    case UA_ADD:
    case UA_INSERT:
        SetLive(action.entities, 0);
        break;
    case UA_CUT:
    case UA_DELETE:
        SetLive(action.entities, 1);
        break;
    case UA_PROPERTY:
        for (CEntity* e : *action.entities)
            e->UndoState();
        break;
    default:
        break;
    }
    m_undo.pop_back();
    TrimToDepth(&m_redo);
    m_redo.push_back(action);
    if (affected)
        *affected = *action.entities;
}

void CRedoUndo::Redo(std::list<CEntity*>* affected)
{
    if (m_redo.empty())
        return;
    UndoAction action = m_redo.back();
    switch (action.kind) {
    case UA_ADD:
    case UA_INSERT:
        SetLive(action.entities, 1);
        break;
    case UA_CUT:
    case UA_DELETE:
        SetLive(action.entities, 0);
        break;
    case UA_PROPERTY:
        for (CEntity* e : *action.entities)
            e->RedoState();
        break;
    default:
        break;
    }
    m_redo.pop_back();
    TrimToDepth(&m_undo);
    m_undo.push_back(action);
    if (affected)
        *affected = *action.entities;
}

void CRedoUndo::TrimToDepth(std::list<UndoAction>* stack)
{
    if (!stack || int(stack->size()) <= m_depth)
        return;
    delete stack->front().entities;
    stack->pop_front();
}

void CRedoUndo::SetLive(std::list<CEntity*>* list, int live)
{
    if (!list)
        return;
    for (CEntity* e : *list) {
        if (e->IsSelected())
            e->ToggleSelect();
        if (live)
            e->Activate();
        else
            e->Deactivate();
    }
}
