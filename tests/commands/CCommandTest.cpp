#include "commands/CCommand.h"

#include "CommandFixture.h"

#include <gtest/gtest.h>

namespace
{

using ObjectInHand = CommandTest;

TEST_F(ObjectInHand, KeysTurnAndMirrorItAboutTheSnappedPointerAndKeepItsNewBox)
{
    ns.fakeKinds[CommandKind::Pad] = true;
    ns.SetCommand(CommandKind::Pad);
    RecordingTool* tool = ns.made.back();
    Key(VK::Space); // nothing in hand: nothing happens

    struct Case {
        UINT key;
        Position end;
    } cases[] = {{VK::Space, {50, 200}}, {'X', {0, 150}}, {'Y', {200, 50}}};
    for (const Case& c : cases) {
        auto* line = static_cast<CLine*>(
            tool->Hold(std::make_unique<CLine>(Position(100, 100), Position(200, 150), nullptr)));
        tool->Repaint();
        tool->m_nStep = 3;
        PointerAt(103, 98); // snapped: (100, 100)
        Key(c.key);
        EXPECT_NEAR(line->GetStart().Distance(Position(100, 100)), 0, 1e-4) << c.key;
        EXPECT_NEAR(line->GetEnd().Distance(c.end), 0, 1e-4) << c.key;
        EXPECT_EQ(tool->m_nStep, 3) << c.key;
        // Later repaints cover the object where it is now.
        BOX2D now;
        line->GetBox(&now, nullptr);
        EXPECT_NEAR(tool->m_box.Center().Distance(now.Center()), 0, 1e-3) << c.key;
        EXPECT_NEAR(tool->m_box.Width(), now.Width(), 1e-3) << c.key;
    }
    Key(VK::Back);
    Key(VK::Back);
    Key(VK::Back);
    EXPECT_EQ(tool->m_nStep, 1);
}

} // namespace
