#include "board/CRedoUndo.h"

#include "board/CManElement.h"
#include "model/CLine.h"

#include <gtest/gtest.h>

#include <list>
#include <vector>

namespace
{

// The objects of a test, owned by a container as on the board.
class Undo : public ::testing::Test
{
  protected:
    CLine* AddLine(double x)
    {
        auto* line = new CLine(Position(x, 0), Position(x + 100, 0));
        container.AddEntity(line);
        return line;
    }

    CManElement container;
    CRedoUndo history{&container};
};

TEST_F(Undo, DepthTwentyKeepsTwentyOneRecordsAndDropsTheOldest)
{
    std::vector<CLine*> lines;
    for (int i = 0; i < 25; ++i) {
        lines.push_back(AddLine(i * 200.0));
        history.AddAction(lines.back(), UA_ADD);
    }
    EXPECT_EQ(history.UndoCount(), 21u);
    int undone = 0;
    while (history.CanUndo()) {
        history.Undo(nullptr);
        ++undone;
    }
    EXPECT_EQ(undone, 21);
    EXPECT_EQ(history.RedoCount(), 21u);
    // The four oldest edits can no longer be undone.
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(lines[std::size_t(i)]->IsActive(), i < 4 ? TRUE : FALSE) << i;
}

TEST_F(Undo, RedoStackSurvivesANewEdit)
{
    CLine* first = AddLine(0);
    history.AddAction(first, UA_ADD);
    history.Undo(nullptr);
    ASSERT_FALSE(first->IsActive());

    CLine* second = AddLine(500);
    history.AddAction(second, UA_ADD);
    ASSERT_TRUE(history.CanRedo());
    history.Redo(nullptr);
    EXPECT_TRUE(first->IsActive());
    EXPECT_TRUE(second->IsActive());
    // Both edits are now on the undo stack, the redone one on top.
    history.Undo(nullptr);
    EXPECT_FALSE(first->IsActive());
    EXPECT_TRUE(second->IsActive());
}

// The live flag after recording, undo and redo, for every kind; every object starts
// live and selected, and every switch of the live state deselects it.
TEST_F(Undo, EveryKindSwitchesTheLiveStateAsRecorded)
{
    struct Case {
        int kind;
        bool recorded, undone, redone;
    } cases[] = {
        {UA_ADD, true, false, true},     {UA_CUT, false, true, false},
        {UA_KEEP, true, true, true},     {UA_INSERT, true, false, true},
        {UA_DELETE, false, true, false}, {77, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        // Kind 3 puts the object into the container itself.
        auto* line = new CLine(Position(0, 0), Position(100, 0));
        if (c.kind != UA_INSERT)
            container.AddEntity(line);
        line->ToggleSelect();
        std::list<CEntity*> group{line};
        history.AddAction(&group, c.kind);
        EXPECT_EQ(bool(line->IsActive()), c.recorded);
        // Insertion leaves the live state, and so the selection, alone.
        EXPECT_EQ(bool(line->IsSelected()), c.kind == UA_INSERT);

        line->ToggleSelect();
        std::list<CEntity*> affected;
        history.Undo(&affected);
        EXPECT_EQ(bool(line->IsActive()), c.undone);
        EXPECT_EQ(affected, group);
        history.Redo(&affected);
        EXPECT_EQ(bool(line->IsActive()), c.redone);
        EXPECT_EQ(affected, group);
        history.Clear();
    }
}

} // namespace
