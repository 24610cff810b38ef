#include "commands/CSetArray.h"

#include "CommandFixture.h"
#include "model/CFreePad.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

class ArrayTool : public CommandTest
{
  protected:
    CFreePad* Pad(Position at, const std::string& name)
    {
        auto* pad = new CFreePad(at);
        pad->SetName(name);
        board().AddEntity(pad);
        return pad;
    }
    // Starts the array tool on `objects` with the dialog edited by `edit`.
    void Start(std::list<CEntity*> objects, std::function<void(ArrayValues&)> edit)
    {
        ui.Expect<ArrayValues>(true, std::move(edit));
        ns.SetCommand(CommandKind::Array, CommandParam(std::move(objects)));
    }
    // The copies added after the first `before` live objects: places and names.
    std::vector<std::pair<Position, std::string>> Copies(std::size_t before)
    {
        std::vector<std::pair<Position, std::string>> out;
        const std::vector<CEntity*> live = Live();
        for (std::size_t i = before; i < live.size(); ++i)
            out.emplace_back(live[i]->GetPosition(), live[i]->GetName());
        return out;
    }
    using Places = std::vector<std::pair<Position, std::string>>;
};

TEST_F(ArrayTool, LinearAndRectangularArraysWithNames)
{
    struct Case {
        const char* what;
        std::function<void(ArrayValues&)> edit;
        Places copies;
    } cases[] = {
        {"linear",
         [](ArrayValues& v) {
             v.count = 3;
             v.xSpacing = 50;
             v.textIncrement = 1;
         },
         {{{250, 100}, "P2"}, {{300, 100}, "P3"}, {{350, 100}, "P4"}}},
        {"linear from the object's place, step 2",
         [](ArrayValues& v) {
             v.count = 2;
             v.ySpacing = 10;
             v.textIncrement = 2;
             v.beginAtCurrent = 1;
         },
         {{{200, 100}, "P3"}, {{200, 110}, "P5"}}},
        {"rectangle without its corner",
         [](ArrayValues& v) {
             v.linear = 0;
             v.rectangle = 1;
             v.count = 2;
             v.xSpacing = 10;
             v.ySpacing = 20;
         },
         {{{210, 100}, "P1"}, {{200, 120}, "P1"}, {{210, 120}, "P1"}}},
    };
    for (const Case& c : cases) {
        board().GetToolParameters().Reset();
        CFreePad* pad = Pad({100, 100}, "P1");
        const std::size_t start = Records();
        Start({pad}, c.edit);
        ASSERT_TRUE(ns.HasCommand()) << c.what;
        Press(200, 100);
        EXPECT_FALSE(ns.HasCommand());
        EXPECT_EQ(Copies(1), c.copies) << c.what;
        EXPECT_EQ(Records(), start + 1);
        board().Undo();
        EXPECT_EQ(Live(), std::vector<CEntity*>{pad});
        board().ClearBoard();
    }
    // The first dialog offered the dialog's own defaults.
    const ArrayValues& first = ui.Received<ArrayValues>().at(0);
    EXPECT_EQ(first.linear, 1);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(first.rotateItems, 1);
}

TEST_F(ArrayTool, CircularArrayAboutTheFirstPressTurnsEachCopyAboutItself)
{
    CFreePad* pad = Pad({100, 0}, "P1");
    Start({pad}, [](ArrayValues& v) {
        v.linear = 0;
        v.circular = 1;
        v.count = 4;
        v.angle = PI / 2;
    });
    Press(0, 0);
    EXPECT_TRUE(ns.HasCommand());
    Press(500, 500); // the second press places; its point does not matter
    EXPECT_FALSE(ns.HasCommand());
    const std::vector<Position> at{{100, 0}, {0, 100}, {-100, 0}, {0, -100}};
    const std::vector<CEntity*> live = Live();
    ASSERT_EQ(live.size(), 5u);
    for (std::size_t i = 0; i < at.size(); ++i) {
        EXPECT_NEAR(live[i + 1]->GetPosition().Distance(at[i]), 0, 1e-4) << i;
        EXPECT_NEAR(live[i + 1]->GetRotation(), double(i) * PI / 2, 1e-6) << i;
    }
}

TEST_F(ArrayTool, SeveralObjectsKeepTheirNames)
{
    CFreePad* a = Pad({0, 0}, "A7");
    CFreePad* b = Pad({100, 0}, "B3");
    Start({a, b}, [](ArrayValues& v) {
        v.count = 1;
        v.ySpacing = 50;
        v.textIncrement = 1;
    });
    EXPECT_EQ(board().GetToolParameters().ArrayTextIncrement, 0);
    Press(50, 0);
    EXPECT_EQ(Copies(2), (Places{{{0, 50}, "A7"}, {{100, 50}, "B3"}}));
}

TEST_F(ArrayTool, EmptyOrOversizedArraysRecordNothing)
{
    struct Case {
        std::function<void(ArrayValues&)> edit;
        bool refused;
    } cases[] = {
        {[](ArrayValues& v) { v.count = 0; }, false},
        {[](ArrayValues& v) {
             v.linear = 0;
             v.rectangle = 1;
         },
         false}, // one place, the object's own, skipped
        {[](ArrayValues& v) {
             v.linear = 0;
             v.rectangle = 1;
             v.count = 101;
         },
         true},
    };
    CFreePad* pad = Pad({0, 0}, "P1");
    for (const Case& c : cases) {
        ui.messages.clear();
        const std::size_t start = Records();
        Start({pad}, c.edit);
        Press(10, 10);
        EXPECT_FALSE(ns.HasCommand());
        EXPECT_EQ(Records(), start);
        EXPECT_EQ(Live().size(), 1u);
        EXPECT_EQ(ui.messages, c.refused ? std::vector<std::string>{CSetArray::kTooMany}
                                         : std::vector<std::string>{});
    }
}

TEST_F(ArrayTool, NoObjectsOrACancelledDialogLeaveTheEditorIdle)
{
    ns.SetCommand(CommandKind::Array, CommandParam(std::list<CEntity*>{}));
    EXPECT_FALSE(ns.HasCommand());
    CFreePad* pad = Pad({0, 0}, "P1");
    ui.Expect<ArrayValues>(false, [](ArrayValues& v) { v.count = 9; });
    ns.SetCommand(CommandKind::Array, CommandParam(std::list<CEntity*>{pad}));
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(board().GetToolParameters().ArrayCount, 1);

    // Tab asks again; a right press ends without copies.
    Start({pad}, nullptr);
    ui.Expect<ArrayValues>(true, [](ArrayValues& v) { v.count = 5; });
    Key(VK::Tab);
    EXPECT_EQ(board().GetToolParameters().ArrayCount, 5);
    const std::size_t start = Records();
    RightClick();
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(Records(), start);
}

} // namespace
