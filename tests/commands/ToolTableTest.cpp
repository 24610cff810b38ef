#include "commands/ToolTable.h"

#include "CommandFixture.h"
#include "commands/CommandKinds.h"

#include <gtest/gtest.h>

namespace
{

using ToolKinds = CommandTest;

TEST_F(ToolKinds, EveryKindWithAFactoryStartsItsOwnToolAndNoOtherKindStartsOne)
{
    for (int kind = 0; kind < 32; ++kind) {
        SCOPED_TRACE(kind);
        if (kind == CommandKind::Array) {
            // The array tool starts on objects, through its dialog.
            ui.Expect<ArrayValues>(true);
            ns.SetCommand(kind, CommandParam({AddTrack({0, 0}, {10, 0})}));
        } else {
            ns.SetCommand(kind);
        }
        CCommand* tool = ns.GetCurrentCommand();
        const ToolInfo* row = ToolTable::Find(kind);
        const bool built = row && row->make;
        EXPECT_EQ(CNormalStatus::HasTool(kind), built || kind == CommandKind::None);
        ASSERT_EQ(tool != nullptr, built);
        if (tool) {
            EXPECT_EQ(tool->GetCommandType(), kind);
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
