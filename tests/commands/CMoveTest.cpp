#include "commands/CMove.h"

#include "CommandFixture.h"
#include "commands/EditCommands.h"
#include "model/CComponent.h"
#include "model/CFreePad.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{

class MoveTool : public CommandTest
{
  protected:
    // Two selected tracks; a press on the first picks the group up.
    void SetUp() override
    {
        CommandTest::SetUp();
        a = AddTrack({0, 0}, {100, 0});
        b = AddTrack({0, 50}, {100, 50});
        Select(a);
        Select(b);
    }
    void PickUp()
    {
        Move(50, 0);
        Press(50, 0);
        ASSERT_TRUE(ns.HasCommand());
        ASSERT_EQ(ns.GetCurrentCommand()->GetCommandType(), CommandKind::Move);
        Move(50, 0); // the first move after the press carries nothing
    }
    void ExpectAtStart()
    {
        EXPECT_EQ(a->GetStart(), Position(0, 0));
        EXPECT_EQ(a->GetEnd(), Position(100, 0));
        EXPECT_EQ(b->GetStart(), Position(0, 50));
        EXPECT_TRUE(a->IsActive() && b->IsActive());
        EXPECT_TRUE(board().GetTempEntities().empty());
        EXPECT_EQ(Records(), 2u);
    }
    EditCommands Edit() { return EditCommands(ns, board()); }

    CLine* a = nullptr;
    CLine* b = nullptr;
};

TEST_F(MoveTool, DropRecordsOneStepThatUndoesAndRedoes)
{
    PickUp();
    Move(80, 30);
    EXPECT_EQ(a->GetStart(), Position(30, 30)); // the group follows the pointer
    EXPECT_EQ(board().GetTempEntities().size(), 2u);
    Press(90, 40);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(a->GetStart(), Position(40, 40));
    EXPECT_EQ(b->GetEnd(), Position(140, 90));
    EXPECT_EQ(Records(), 3u);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_EQ(board().SelectionList.size(), 2u);

    Edit().Undo();
    ExpectAtStart();
    Edit().Redo();
    EXPECT_EQ(a->GetStart(), Position(40, 40));
}

TEST_F(MoveTool, ADropOnThePressPointRecordsNothingUnlessTheGroupTurned)
{
    PickUp();
    Move(200, 200);
    Press(50, 0);
    ExpectAtStart();

    PickUp();
    PointerAt(50, 0);
    Key(VK::Space);
    // A quarter turn about the pointer.
    EXPECT_NEAR(a->GetEnd().x, 50.0, 1e-4);
    EXPECT_NEAR(a->GetEnd().y, 50.0, 1e-4);
    Press(50, 0);
    EXPECT_EQ(Records(), 3u);
    Edit().Undo();
    ExpectAtStart();
}

// A move that ends without a drop puts everything back, whatever ends it.
TEST_F(MoveTool, EveryEndWithoutADropPutsTheGroupBack)
{
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"right press", [&] { RightClick(); }},
        {"Esc", [&] { Key(VK::Escape); }},
        {"another command", [&] { ns.SetCommand(CommandKind::Measure); }},
        {"double click", [&] { ns.OnLButtonDblClk(0, Position(500, 500)); }},
        {"view closed", [&] { ns.EndCurrentCommand(EndReason::Teardown); }},
        {"undo", [&] { Edit().Undo(); }},
        {"clear all", [&] { Edit().ClearAll(); }},
    };
    for (const auto& [name, end] : ends) {
        SCOPED_TRACE(name);
        PickUp();
        Move(80, 30);
        PointerAt(80, 30);
        Key('X');
        end();
        ns.SetCommand(CommandKind::None);
        if (std::string(name) == "undo") {
            // The group went back first; then the last add was undone.
            EXPECT_FALSE(b->IsActive());
            Edit().Redo();
        } else if (std::string(name) == "clear all") {
            EXPECT_FALSE(a->IsActive());
            Edit().Undo();
            Select(a);
            Select(b);
        }
        ExpectAtStart();
        if (!a->IsSelected()) {
            Select(a);
            Select(b);
        }
    }
}

TEST_F(MoveTool, BoardClearedMidMoveLeavesNothingDangling)
{
    PickUp();
    Move(80, 30);
    // What closing the board does: the tool is torn down first, then the board cleared.
    ns.EndCurrentCommand(EndReason::Teardown);
    EXPECT_EQ(a->GetStart(), Position(0, 0));
    board().ClearBoard();
    EXPECT_TRUE(board().GetTempEntities().empty());
    EXPECT_EQ(Records(), 0u);
}

TEST_F(MoveTool, ATrackChainIsEndedBeforeUndoTakesItsSegmentBack)
{
    ns.SetCommand(CommandKind::Track);
    Click(0, 200);
    Click(100, 200);
    ASSERT_EQ(Records(), 3u);
    Edit().Undo();
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(Records(), 2u);
    // Backspace can no longer reach into the board.
    Key(VK::Back);
    EXPECT_EQ(Records(), 2u);
}

} // namespace

namespace
{

using MovePartTool = CommandTest;

TEST_F(MovePartTool, APressOnAPartOfASelectedComponentMovesThatPartAlone)
{
    auto* part = new CComponent("TWO");
    part->SetLocked(0);
    CFreePad pad(Position(0, 0));
    CFreePad other(Position(200, 0));
    part->AddEntity(&pad, 0);
    part->AddEntity(&other, 0);
    board().AddEntity(part);
    Select(part);
    CEntity* first = part->GetChildren().at(0);
    CEntity* second = part->GetChildren().at(1);

    Press(0, 0);
    ASSERT_TRUE(ns.HasCommand());
    EXPECT_EQ(static_cast<CMove*>(ns.GetCurrentCommand())->Objects(), (std::list<CEntity*>{first}));
    EXPECT_EQ(first->GetPosition(), Position(0, 0)); // not moved by the pick
    Move(0, 0);
    Move(30, 40);
    Press(30, 40);
    EXPECT_EQ(first->GetPosition(), Position(30, 40));
    EXPECT_EQ(second->GetPosition(), Position(200, 0));
    EXPECT_EQ(Records(), 2u);
    EditCommands(ns, board()).Undo();
    EXPECT_EQ(first->GetPosition(), Position(0, 0));
}

} // namespace
