#include "commands/CNormalStatus.h"

#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Dispatcher = CommandTest;
using Log = std::vector<std::string>;

TEST_F(Dispatcher, StartsOnlyBuiltAndReadyToolsAndTellsEachWhyItEnds)
{
    for (int kind : {0, 2, 14, 19, 31, -1}) {
        ns.SetCommand(kind);
        EXPECT_FALSE(ns.HasCommand()) << kind;
    }
    ns.SetCommand(CommandKind::Track);
    ASSERT_TRUE(ns.HasCommand());
    EXPECT_EQ(ns.GetCurrentCommand()->GetCommandType(), CommandKind::Track);

    ns.fakeKinds = {{CommandKind::Pad, true}, {CommandKind::Via, false}};
    ns.SetCommand(CommandKind::Via); // set-up cancelled: freed at once
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(ns.alive, 0);

    ns.SetCommand(CommandKind::Pad);
    ns.SetCommand(CommandKind::None);
    ns.SetCommand(CommandKind::Pad);
    Key(VK::Escape); // a right click first, then the end
    ns.SetCommand(CommandKind::Pad);
    ns.EndCurrentCommand(EndReason::Teardown);
    EXPECT_EQ(ns.log,
              (Log{"tool15 end:user", "tool15 right", "tool15 end:user", "tool15 end:teardown"}));
    EXPECT_EQ(ns.alive, 0);
}

TEST_F(Dispatcher, ShiftClickTogglesSelectionAndAPlainPressOnItStartsTheMove)
{
    ns.fakeKinds[CommandKind::Move] = true;
    CLine* t = AddTrack({100, 100}, {300, 100});
    CLine* u = AddTrack({100, 300}, {300, 300});
    Click(200, 100, MK::Shift);
    Click(200, 300, MK::Shift);
    Click(200, 300, MK::Shift);
    EXPECT_TRUE(t->IsSelected());
    EXPECT_FALSE(u->IsSelected());
    EXPECT_EQ(board().SelectionList, (std::list<CEntity*>{t}));
    EXPECT_TRUE(ns.made.empty());

    Press(200, 300); // not selected: nothing starts
    EXPECT_FALSE(ns.HasCommand());
    Press(200, 100);
    ASSERT_EQ(ns.alive, 1);
    RecordingTool* move = ns.made.front();
    EXPECT_EQ(move->GetCommandType(), CommandKind::Move);
    EXPECT_EQ(move->param.entities, (std::list<CEntity*>{t}));
    EXPECT_EQ(move->presses, (std::vector<Position>{Position(200, 100)}));
}

TEST_F(Dispatcher, ArrowsMoveTheSelectionOneGridStepOrElseThePointer)
{
    struct Case {
        UINT key;
        Position step;
    } cases[] = {
        {VK::Left, {-20, 0}}, {VK::Up, {0, 20}}, {VK::Right, {20, 0}}, {VK::Down, {0, -20}}};
    CLine* t = AddTrack({100, 100}, {300, 100});
    Select(t);
    for (const Case& c : cases) {
        const Position before = t->GetStart();
        const auto records = Records();
        Key(c.key);
        EXPECT_EQ(t->GetStart(), before + c.step) << c.key;
        EXPECT_EQ(Records(), records + 1) << c.key;
    }
    board().ClearSelection();
    for (const Case& c : cases) {
        PointerAt(407, 493); // snapped: (400, 500)
        Key(c.key);
        EXPECT_EQ(Pointer(), Position(400, 500) + c.step) << c.key;
    }
}

TEST_F(Dispatcher, PointsReachToolsSnappedUnlessTheKindOrAModifierSaysOtherwise)
{
    board().m_snap = 1;
    struct Case {
        int kind;
        UINT flags;
        bool snapped;
    } cases[] = {{CommandKind::Pad, 0, true},
                 {CommandKind::Pad, MK::Control, false},
                 {CommandKind::AreaSelect, 0, false},
                 {CommandKind::Fillet, 0, false}};
    for (const Case& c : cases) {
        ns.fakeKinds[c.kind] = true;
        ns.SetCommand(c.kind);
        Press(107, 93, c.flags);
        const Position want = c.snapped ? Position(100, 100) : Position(107, 93);
        EXPECT_EQ(ns.made.back()->presses, (std::vector<Position>{want}))
            << c.kind << " " << c.flags;
    }
    // Moves: the left Alt key keeps the point as it is.
    ns.SetCommand(CommandKind::Pad);
    Move(107, 93);
    Move(107, 93, MK_LALT);
    EXPECT_EQ(ns.made.back()->moves,
              (std::vector<Position>{Position(100, 100), Position(107, 93)}));
}

TEST_F(Dispatcher, AToolEndedInsideItsOwnHandlerIsFreedAfterwardsAndTheNewToolGetsTheKey)
{
    ns.fakeKinds = {{CommandKind::Pad, true}, {CommandKind::Via, true}};
    ns.SetCommand(CommandKind::Pad);
    ns.made.back()->onPress = [](RecordingTool& self) { self.EndCommand(); };
    Click(100, 100);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(ns.alive, 0);

    // Enter clicks at the pointer; that press starts the via tool, which gets the key.
    ns.SetCommand(CommandKind::Pad);
    ns.made.back()->onPress = [](RecordingTool& self) {
        self.m_pOwner->SetCommand(CommandKind::Via, CommandParam());
    };
    ns.log.clear();
    Key(VK::Return);
    ASSERT_TRUE(ns.HasCommand());
    EXPECT_EQ(ns.GetCurrentCommand()->GetCommandType(), CommandKind::Via);
    EXPECT_EQ(ns.alive, 1);
    EXPECT_EQ(ns.log, (Log{"tool15 end:user", "tool16 key 13"}));
}

TEST_F(Dispatcher, HoldingTheButtonOnAnObjectJumpsToItsPointOnlyAfterTheDelay)
{
    CLine* t = AddTrack({100, 100}, {300, 100});
    Move(180, 100, MK::LButton);
    Press(180, 100);
    ns.OnTimer(Position(180, 100)); // at 0 ms: too soon
    EXPECT_EQ(Pointer(), Position(180, 100));

    clock.Set(CNormalStatus::kHoverDelayMs + 1);
    bool modal = true;
    ns.SetModalQuery([&modal] { return modal; });
    ns.OnTimer(Position(180, 100)); // a dialog is open elsewhere
    EXPECT_EQ(Pointer(), Position(180, 100));
    modal = false;
    ns.OnTimer(Position(180, 100));
    EXPECT_EQ(Pointer(), t->GetStart());
    EXPECT_EQ(ns.acceptMove, 0); // the move the jump causes is ignored
    Move(100, 100, MK::LButton);
    EXPECT_EQ(ns.acceptMove, 1);

    ns.OnLButtonUp(0, Position(100, 100));
    Move(180, 100);
    clock.Advance(10 * CNormalStatus::kHoverDelayMs);
    ns.OnTimer(Position(180, 100)); // button up: no jump
    EXPECT_EQ(Pointer(), Position(180, 100));
}

TEST_F(Dispatcher, CtrlMoveJumpsToAChosenSnapPointUnlessAlreadyOnOne)
{
    AddTrack({100, 100}, {300, 100});
    AddTrack({200, 0}, {200, 400});
    ui.Expect<ListChoice>(true, [](ListChoice& c) { c.chosen = 0; }); // the newest: the vertical
    Move(200, 104, MK::Control);
    ASSERT_EQ(ui.Received<ListChoice>().size(), 1u);
    EXPECT_EQ(ui.Received<ListChoice>()[0].items.size(), 2u);
    EXPECT_EQ(Pointer(), Position(200, 0));

    AddTrack({150, 0}, {250, 0});
    Move(200, 0, MK::Control); // on the vertical's end: no menu
    EXPECT_EQ(ui.Received<ListChoice>().size(), 1u);
}

} // namespace
