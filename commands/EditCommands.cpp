#include "EditCommands.h"

#include "CNormalStatus.h"
#include "CommandKinds.h"
#include "board/CInfomation.h"
#include "model/CEntity.h"
#include "model/UiServices.h"
#include "model/Utilities.h"

#include <list>
#include <memory>
#include <string>

EditCommands::EditCommands(CNormalStatus& dispatcher, CInfomation& board)
    : m_dispatcher(dispatcher), m_board(board)
{
}

bool EditCommands::HasSelection() const
{
    return !m_board.SelectionList.empty();
}

bool EditCommands::CanPaste() const
{
    return m_board.CanPaste() != 0;
}

bool EditCommands::CanInsert() const
{
    const std::list<CEntity*>& selection = m_board.SelectionList;
    return selection.size() == 2 && selection.front()->GetType() == selection.back()->GetType();
}

void EditCommands::Undo()
{
    m_dispatcher.EndToolHoldingObjects();
    if (m_board.CanUndo())
        m_board.Undo();
}

void EditCommands::Redo()
{
    m_dispatcher.EndToolHoldingObjects();
    if (m_board.CanRedo())
        m_board.Redo();
}

void EditCommands::Cut()
{
    if (!CanCut())
        return;
    m_dispatcher.EndToolHoldingObjects();
    m_board.CutSelection();
}

void EditCommands::Copy()
{
    if (CanCopy())
        m_board.CopySelection();
}

void EditCommands::Paste(bool renumber)
{
    if (!CanPaste())
        return;
    const Position cursor = m_board.GetCursorPosition();
    const Position* anchor = m_board.m_pasteAnchor.get();
    std::list<CEntity*> clones;
    for (CEntity* source : m_board.PasteBuffer) {
        CEntity* clone = source->Clone();
        if (renumber) {
            std::string name = clone->GetName();
            clone->SetName(IncrementNameNumber(name, 1));
        }
        if (anchor) {
            int flag = 0;
            clone->Move(cursor, *anchor, &flag);
        }
        clone->Activate();
        clones.push_back(clone);
    }
    if (!anchor)
        m_board.m_pasteAnchor = std::make_unique<Position>(cursor);
    // The copy tool owns the clones from here.
    m_dispatcher.SetCommand(CommandKind::Copy, CommandParam(std::move(clones)));
}

void EditCommands::ClearAll()
{
    if (!CanClearAll())
        return;
    m_dispatcher.EndToolHoldingObjects();
    m_board.DeleteSelection();
}

void EditCommands::SelectAll()
{
    if (m_dispatcher.IsBusy())
        return;
    m_board.SelectInBox(nullptr, nullptr);
}

void EditCommands::Insert()
{
    m_dispatcher.EndToolHoldingObjects();
    if (!CanInsert())
        return;
    ToolParameters& remembered = m_board.GetToolParameters();
    InsertValues values;
    values.count = remembered.InsertCount;
    values.increment = remembered.InsertTextIncrement;
    if (!UiServices::Current().Ask(values))
        return;
    remembered.InsertCount = values.count;
    remembered.InsertTextIncrement = values.increment;
    if (values.count < 1 || values.count > InsertValues::kMaxCount)
        return;

    CEntity* first = m_board.SelectionList.front();
    const Position from = first->GetPosition();
    const Position span = m_board.SelectionList.back()->GetPosition() - from;
    const double parts = double(values.count) + 1.0;
    std::string name = first->GetName();
    std::list<CEntity*> inserted;
    for (int i = 1; i <= values.count; ++i) {
        std::unique_ptr<CEntity> copy(first->Clone());
        copy->MoveBy(from, from + Position(span.x * i / parts, span.y * i / parts));
        copy->SetName(IncrementNameNumber(name, values.increment));
        inserted.push_back(copy.release()); // the board's once added
    }
    m_board.AddEntities(&inserted);
}
