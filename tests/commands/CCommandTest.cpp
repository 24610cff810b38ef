#include "commands/CCommand.h"

#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <cmath>

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

using Snapping = CommandTest;

struct SnapProbe : CCommand {
    using CCommand::SnapPoint;
};

TEST_F(Snapping, PutsPointsOnTheGridAtEveryZoom)
{
    for (const double milsPerPixel : {4.0, 2.0, 1.0, 0.25}) {
        board().SetScaleX(milsPerPixel);
        board().SetScaleY(milsPerPixel);
        for (const double step : {1.0, 10.0, 20.0}) {
            board().GetGrid().SetStep(step);
            for (const Point pixel : {Point{118, 237}, Point{3, 599}, Point{401, 17}}) {
                const Position p = SnapProbe::SnapPoint(board().ScreenToBoard(pixel));
                EXPECT_EQ(std::fmod(p.x, step), 0.0) << milsPerPixel << " " << step << " " << p.x;
                EXPECT_EQ(std::fmod(p.y, step), 0.0) << milsPerPixel << " " << step << " " << p.y;
            }
        }
    }
}

} // namespace
