#include "board/UndoScope.h"

#include "model/CLine.h"
#include "support/BoardFixture.h"

#include <gtest/gtest.h>

namespace
{

class UndoScopeTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        board().AddEntity(line);
        records = board().GetRedoUndo().UndoCount();
    }
    // Moves the track by (10, 0) inside a scope, committed or not.
    void MoveTrack(bool commit)
    {
        UndoScope change(board(), {line});
        int flag = 1;
        line->Move(Position(10, 0), Position(0, 0), &flag);
        if (commit)
            change.Commit();
    }

    CLine* line = new CLine(Position(0, 0), Position(100, 0));
    std::size_t records = 0;
};

TEST_F(UndoScopeTest, ACommittedChangeIsOneUndoStepBackToTheStart)
{
    MoveTrack(true);
    EXPECT_EQ(line->GetStart(), Position(10, 0));
    EXPECT_EQ(board().GetRedoUndo().UndoCount(), records + 1);
    board().Undo();
    EXPECT_EQ(line->GetStart(), Position(0, 0));
    board().Redo();
    EXPECT_EQ(line->GetStart(), Position(10, 0));
}

TEST_F(UndoScopeTest, AChangeLeftUncommittedIsPutBackAndRecordsNothing)
{
    MoveTrack(false);
    EXPECT_EQ(line->GetStart(), Position(0, 0));
    EXPECT_EQ(line->GetEnd(), Position(100, 0));
    EXPECT_EQ(board().GetRedoUndo().UndoCount(), records);
    EXPECT_EQ(line->EarlierStateCount(), 0u);
    EXPECT_EQ(line->LaterStateCount(), 0u);
}

} // namespace
