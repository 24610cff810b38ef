// The edit commands of the board: undo and redo, cut, copy, paste, delete the
// selection, select all and insert objects evenly between two. Each command that
// changes the board first ends a tool that holds board objects, as if the user had
// ended it, so no tool works on objects that changed under it. The paste buffer is
// the board state's own list of the board's objects; the system clipboard is not used.
// GUI thread only.
#pragma once

class CInfomation;
class CNormalStatus;

class EditCommands
{
  public:
    EditCommands(CNormalStatus& dispatcher, CInfomation& board);

    void Undo();
    void Redo();
    void Cut();
    void Copy();
    // Clones of the paste buffer follow the pointer in the copy tool until a press drops
    // them; with `renumber` (Shift) each clone's name number grows by one.
    void Paste(bool renumber);
    void ClearAll();
    // Nothing while a tool other than the area selection is current.
    void SelectAll();
    // Asks a count and a name increment, then adds that many clones of the first
    // selected object evenly between it and the last, in one undo step.
    void Insert();

    bool CanCut() const { return HasSelection(); }
    bool CanCopy() const { return HasSelection(); }
    bool CanClearAll() const { return HasSelection(); }
    bool CanPaste() const;
    // Exactly two objects selected, of one type.
    bool CanInsert() const;

  private:
    bool HasSelection() const;

    CNormalStatus& m_dispatcher;
    CInfomation& m_board;
};
