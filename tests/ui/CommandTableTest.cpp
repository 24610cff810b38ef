#include "ui/CommandTable.h"

#include "commands/ToolTable.h"

#include <gtest/gtest.h>

namespace
{

TEST(CommandTableRoutes, ToolCommandsNameAKindOfTheToolTableAndNoOtherCommandDoes)
{
    for (const CommandInfo& c : CommandTable::All()) {
        const bool tool = c.route == CommandRoute::Tool || c.route == CommandRoute::CheckedTool;
        EXPECT_EQ(tool, c.toolKind != 0) << c.id;
        if (tool) {
            EXPECT_NE(ToolTable::Find(c.toolKind), nullptr) << c.id;
        }
    }
}

} // namespace
