#include "commands/CSetOriginPos.h"

#include "CommandFixture.h"
#include "board/CLoadLibrary.h"
#include "model/CComponent.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace
{

class OriginTool : public CommandTest
{
  protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        board().m_snap = 1;
        board().SetPatternPrompt([this](std::string& pattern) {
            if (patterns.empty())
                return false;
            pattern = patterns.front();
            patterns.pop_front();
            return true;
        });
    }

    // An empty library of the user's, open on the board.
    std::string OpenMyLibrary()
    {
        const std::string path = settingsFolder + "mine.lib";
        EXPECT_TRUE(board().CreateLibrary(path));
        return path;
    }
    // A right press at (x, y) that picks the first library and names the component.
    void RightPressPicking(double x, double y, const std::string& pattern)
    {
        ui.Expect<ListChoice>(true, [](ListChoice& c) { c.chosen = 0; });
        patterns.push_back(pattern);
        PointerAt(x, y);
        ns.OnRButtonDown(MK::RButton, Position(x, y));
    }

    std::deque<std::string> patterns;
};

TEST_F(OriginTool, TheUnsnappedPressBecomesTheOriginAndEndsTheTool)
{
    CLine* t = AddTrack({123, 207}, {223, 207});
    ns.SetCommand(CommandKind::SetOrigin);
    ASSERT_TRUE(ns.HasCommand());
    const int repaintsBefore = view.invalidatedAll;
    Press(123, 207);

    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(t->GetStart(), Position(0, 0));
    EXPECT_EQ(t->GetEnd(), Position(100, 0));
    EXPECT_GT(view.NoticeCount(BN_MODIFIED), 0);
    EXPECT_GT(view.invalidatedAll, repaintsBefore);
}

TEST_F(OriginTool, ARightPressOnTheSelectionStoresItWithThePickedPinAtTheOrigin)
{
    const std::string path = OpenMyLibrary();
    CLine* t = AddTrack({100, 60}, {300, 60});

    // Off the selection (or with nothing selected) the right button offers nothing.
    ns.OnRButtonDown(MK::RButton, Position(200, 60));
    Select(t);
    ns.OnRButtonDown(MK::RButton, Position(200, 400));
    EXPECT_TRUE(ui.Received<ListChoice>().empty());
    EXPECT_FALSE(ns.HasCommand());

    RightPressPicking(200, 60, "MINE");
    ASSERT_TRUE(ns.HasCommand());
    EXPECT_EQ(ns.GetCurrentCommand()->GetCommandType(), CommandKind::PinOne);
    EXPECT_EQ(ui.Received<ListChoice>().at(0).items,
              std::vector<std::string>{"add to " + path + " library as my component..."});

    // Pin 1 is picked on the grid (20 mils).
    Press(103, 57);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr);
    CComponent* stored = board().FindLibrary(path)->FindComponent("MINE");
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(stored->GetChildren().size(), 1u);
    const auto* track = static_cast<const CLine*>(stored->GetChildren()[0]);
    EXPECT_EQ(track->GetStart(), Position(0, 0));
    EXPECT_EQ(track->GetEnd(), Position(200, 0));
    // The board keeps its own track where it was.
    EXPECT_EQ(t->GetStart(), Position(100, 60));
}

TEST_F(OriginTool, EndingThePinPickAnyWayStoresNothing)
{
    const std::string path = OpenMyLibrary();
    CLine* t = AddTrack({100, 50}, {300, 50});
    Select(t);
    for (int way = 0; way < 3; ++way) {
        RightPressPicking(200, 50, "GONE");
        ASSERT_TRUE(ns.HasCommand()) << way;
        if (way == 0)
            RightClick();
        else if (way == 1)
            Key(VK::Escape);
        else
            ns.SetCommand(CommandKind::Track);
        EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr) << way;
        EXPECT_EQ(board().FindLibrary(path)->FindComponent("GONE"), nullptr) << way;
    }
}

TEST_F(OriginTool, ADoubleClickStartsTheCountAgain)
{
    CSetOriginPos tool(&ns, CommandKind::SetOrigin);
    tool.m_nStep = 3;
    view.captured = true;
    tool.OnLButtonDblClk(0, Position(5, 5));
    EXPECT_EQ(tool.m_nStep, 0);
    EXPECT_FALSE(view.captured);
}

} // namespace
