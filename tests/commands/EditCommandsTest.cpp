#include "commands/EditCommands.h"

#include "CommandFixture.h"
#include "commands/CMove.h"
#include "model/CFreePad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class EditCommandsTest : public CommandTest
{
  protected:
    EditCommands Edit() { return EditCommands(ns, board()); }
    CFreePad* AddPad(double x, const char* name)
    {
        auto* pad = new CFreePad(Position(x, 0));
        pad->SetName(name);
        board().AddEntity(pad);
        return pad;
    }
    // The live tracks' start points, oldest first.
    std::vector<Position> Starts()
    {
        std::vector<Position> out;
        for (CEntity* e : Live())
            if (auto* t = dynamic_cast<CLine*>(e))
                out.push_back(t->GetStart());
        return out;
    }
};

TEST_F(EditCommandsTest, EnabledStatesFollowTheSelectionAndTheBuffer)
{
    EXPECT_FALSE(Edit().CanCut() || Edit().CanCopy() || Edit().CanClearAll());
    EXPECT_FALSE(Edit().CanPaste());
    CLine* t = AddTrack({0, 0}, {10, 0});
    Select(t);
    EXPECT_TRUE(Edit().CanCut() && Edit().CanCopy() && Edit().CanClearAll());
    EXPECT_FALSE(Edit().CanInsert());
    Edit().Copy();
    EXPECT_TRUE(Edit().CanPaste());
    Select(AddPad(50, "P1"));
    EXPECT_FALSE(Edit().CanInsert()); // two objects, two types
}

// After Copy, Paste puts the clones over the copied objects; after a drop, the next
// Paste keeps the offset between the last drop and the pointer.
TEST_F(EditCommandsTest, PasteOffsetsFollowTheLastDrop)
{
    CLine* t = AddTrack({0, 0}, {10, 0});
    Select(t);
    Edit().Copy();
    EXPECT_EQ(board().m_pasteAnchor, nullptr);

    PointerAt(100, 100);
    Edit().Paste(false);
    ASSERT_TRUE(ns.HasCommand());
    EXPECT_EQ(static_cast<CMove*>(ns.GetCurrentCommand())->GetMode(), CMove::CopyMode);
    EXPECT_TRUE(board().SelectionList.empty());
    ASSERT_EQ(board().GetTempEntities().size(), 1u);
    EXPECT_EQ(static_cast<CLine*>(Band())->GetStart(), Position(0, 0));
    Move(100, 100);
    Move(100, 100);
    Move(130, 120);
    Press(130, 120);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(Starts(), (std::vector<Position>{{0, 0}, {30, 20}}));
    ASSERT_NE(board().m_pasteAnchor, nullptr);
    EXPECT_EQ(*board().m_pasteAnchor, Position(130, 120));
    EXPECT_EQ(Records(), 2u);
    EXPECT_EQ(board().PasteBuffer, (std::list<CEntity*>{t})); // left alone

    PointerAt(200, 300);
    Edit().Paste(false);
    EXPECT_EQ(static_cast<CLine*>(Band())->GetStart(), Position(70, 180));
    Press(200, 300);
    EXPECT_EQ(Starts(), (std::vector<Position>{{0, 0}, {30, 20}, {70, 180}}));
    EXPECT_EQ(Records(), 3u);
    Edit().Undo();
    Edit().Undo();
    EXPECT_EQ(Starts(), (std::vector<Position>{{0, 0}}));
}

TEST_F(EditCommandsTest, ShiftPasteRenumbersAndAnyEndWithoutADropFreesTheClones)
{
    CFreePad* pad = AddPad(0, "P7");
    Select(pad);
    Edit().Copy();
    for (int end = 0; end < 3; ++end) {
        Edit().Paste(true);
        ASSERT_EQ(board().GetTempEntities().size(), 1u);
        EXPECT_STREQ(Band()->GetName(), "P8");
        if (end == 0)
            RightClick();
        else if (end == 1)
            ns.SetCommand(CommandKind::Measure);
        else
            ns.EndCurrentCommand(EndReason::Teardown);
        ns.SetCommand(CommandKind::None);
        EXPECT_TRUE(board().GetTempEntities().empty());
    }
    // Nothing reached the board; the sanitizer build catches a clone not freed.
    EXPECT_EQ(Live().size(), 1u);
    EXPECT_EQ(Records(), 1u);
}

TEST_F(EditCommandsTest, InsertSpacesRenamedCopiesAndACountOfZeroRecordsNothing)
{
    CFreePad* p1 = AddPad(0, "P1");
    CFreePad* p5 = AddPad(400, "P5");
    Select(p1);
    Select(p5);
    ASSERT_TRUE(Edit().CanInsert());

    ui.Expect<InsertValues>(true, [](InsertValues& v) { v.count = 0; });
    ui.Expect<InsertValues>(false);
    Edit().Insert();
    Edit().Insert();
    EXPECT_EQ(Records(), 2u);

    ui.Expect<InsertValues>(true, [](InsertValues& v) {
        v.count = 3;
        v.increment = 1;
    });
    Edit().Insert();
    EXPECT_EQ(ui.Received<InsertValues>().at(2).count, 0); // remembered from the last OK
    EXPECT_EQ(Records(), 3u);
    std::vector<std::pair<double, std::string>> pads;
    for (CEntity* e : Live())
        pads.emplace_back(e->GetPosition().x, e->GetName());
    EXPECT_EQ(pads, (std::vector<std::pair<double, std::string>>{
                        {0, "P1"}, {400, "P5"}, {100, "P2"}, {200, "P3"}, {300, "P4"}}));
    Edit().Undo();
    EXPECT_EQ(Live().size(), 2u);
}

TEST_F(EditCommandsTest, CutClearAndSelectAllKeepTheSelectionListTrue)
{
    CLine* t = AddTrack({0, 0}, {10, 0});
    CLine* u = AddTrack({0, 50}, {10, 50});
    Edit().SelectAll();
    EXPECT_EQ(board().SelectionList.size(), 2u);

    Edit().Cut();
    EXPECT_FALSE(t->IsActive() || u->IsActive());
    EXPECT_TRUE(board().SelectionList.empty());
    Edit().Undo();
    EXPECT_TRUE(t->IsActive());
    EXPECT_FALSE(t->IsSelected()); // back, and not selected behind the list's back
    EXPECT_EQ(Records(), 2u);

    // While another tool is current, Select all does nothing.
    ns.SetCommand(CommandKind::Measure);
    Edit().SelectAll();
    EXPECT_TRUE(board().SelectionList.empty());
    ns.SetCommand(CommandKind::AreaSelect);
    Edit().SelectAll();
    EXPECT_EQ(board().SelectionList.size(), 2u);
    ns.SetCommand(CommandKind::None);

    Edit().ClearAll();
    EXPECT_FALSE(t->IsActive());
    EXPECT_EQ(Records(), 3u);
    Edit().Undo();
    EXPECT_TRUE(t->IsActive() && u->IsActive());
}

} // namespace
