#include "commands/ToolTable.h"

#include "CommandFixture.h"
#include "commands/CommandKinds.h"
#include "model/CComponent.h"

#include <gtest/gtest.h>

namespace
{

using ToolKinds = CommandTest;

TEST_F(ToolKinds, EveryKindWithAFactoryStartsItsOwnToolAndNoOtherKindStartsOne)
{
    for (int kind = 0; kind < 32; ++kind) {
        SCOPED_TRACE(kind);
        // What some tools need to start: a text, a component with its designator.
        CommandParam param;
        if (kind == CommandKind::Polygon) // asks the pour's properties first
            ui.Expect<PolygonProperties>(true);
        if (kind == CommandKind::String)
            ui.Expect<TextProperties>(true, [](TextProperties& v) { v.text = "T"; });
        if (kind == CommandKind::Component) {
            ui.Expect<DesignatorValues>(true);
            param = CommandParam(std::make_unique<CComponent>());
        }
        if (kind == CommandKind::Array) { // starts on objects, through its dialog
            ui.Expect<ArrayValues>(true);
            param = CommandParam({AddTrack({0, 0}, {10, 0})});
        }
        ns.SetCommand(kind, std::move(param));
        CCommand* tool = ns.GetCurrentCommand();
        const ToolInfo* row = ToolTable::Find(kind);
        const bool built = row && row->make;
        EXPECT_EQ(CNormalStatus::HasTool(kind), built || kind == CommandKind::None);
        ASSERT_EQ(tool != nullptr, built);
        // A copy is the move tool in its second mode and says so.
        if (tool) {
            EXPECT_EQ(tool->GetCommandType(), kind == CommandKind::Copy ? CommandKind::Move : kind);
        }
        ns.SetCommand(CommandKind::None);
    }
}

TEST(ToolTableRows, KindsAreUniqueAndUnknownKindsSnapAndKeepTheCursor)
{
    for (const ToolInfo& t : ToolTable::All())
        EXPECT_EQ(ToolTable::Find(t.kind), &t) << t.kind;
    CursorShape shape = CursorShape::Cross;
    EXPECT_TRUE(ToolTable::TakesSnappedPoints(99));
    EXPECT_FALSE(ToolTable::CursorFor(true, 99, &shape));
    EXPECT_TRUE(ToolTable::CursorFor(false, 99, &shape));
    EXPECT_EQ(shape, CursorShape::Arrow);
}

} // namespace
