#include "commands/CCreateComponent.h"

#include "CommandFixture.h"
#include "model/CComponent.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace
{

// A component that counts its own end; its copies are plain components.
class CountedComponent : public CComponent
{
  public:
    explicit CountedComponent(int* freed) : CComponent("DIP8"), m_freed(freed)
    {
        CLine body(Position(0, 0), Position(100, 0), nullptr);
        AddEntity(&body, 0);
        SetName("U?");
    }
    ~CountedComponent() override { ++*m_freed; }

  private:
    int* m_freed;
};

class ComponentTool : public CommandTest
{
  protected:
    void Start() { ns.SetCommand(CommandKind::Component, CommandParam(Make())); }
    std::unique_ptr<CComponent> Make() { return std::make_unique<CountedComponent>(&freed); }
    CCommand* Tool() { return ns.GetCurrentCommand(); }
    static std::string Name(CEntity* e) { return e->GetNameString(); }
    int freed = 0;
};

TEST_F(ComponentTool, EachPressPlacesACopyAndAsksTheNextDesignator)
{
    ui.Expect<DesignatorValues>(true, [](DesignatorValues& v) { v.text = "U1"; });
    Start();
    ASSERT_NE(Tool(), nullptr);
    EXPECT_EQ(ui.Received<DesignatorValues>().at(0).text, "U?");
    Move(100, 100);
    Move(250, 40);
    EXPECT_EQ(Band()->GetPosition(), Position(250, 40));
    // The repaint box follows the component exactly.
    BOX2D box;
    Band()->GetBox(&box, nullptr);
    const BOX2D& held = Tool()->m_box;
    for (auto [a, b] : {std::pair(held.x1, box.x1), std::pair(held.y1, box.y1),
                        std::pair(held.x2, box.x2), std::pair(held.y2, box.y2)})
        EXPECT_NEAR(a, b, 1e-9);

    ui.Expect<DesignatorValues>(true, [](DesignatorValues& v) { v.text = "U2"; });
    Click(250, 40);
    Move(400, 40);
    ui.Expect<DesignatorValues>(false);
    Click(400, 40);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(view.NoticeCount(BN_SHOW_BROWSER), 1);

    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(Name(live[0]), "U1");
    EXPECT_EQ(live[0]->GetPosition(), Position(250, 40));
    EXPECT_EQ(Name(live[1]), "U2");
    EXPECT_EQ(live[1]->GetPosition(), Position(400, 40));
    EXPECT_EQ(Records(), 2u);
    board().Undo();
    board().Undo();
    EXPECT_TRUE(Live().empty());
}

TEST_F(ComponentTool, ACancelledFirstDesignatorPlacesNothingAndShowsTheBrowserAgain)
{
    ui.Expect<DesignatorValues>(false);
    Start();
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(Band(), nullptr);
    EXPECT_EQ(view.NoticeCount(BN_SHOW_BROWSER), 1);
    EXPECT_EQ(Records(), 0u);
    // Without a component there is no tool and no dialog.
    ns.SetCommand(CommandKind::Component);
    EXPECT_FALSE(ns.HasCommand());
}

TEST_F(ComponentTool, TheComponentInHandIsFreedHoweverTheToolEnds)
{
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"right press", [this] { RightClick(); }},
        {"Esc", [this] { Key(VK::Escape); }},
        {"another tool", [this] { ns.SetCommand(CommandKind::Track); }},
        {"board closed", [this] { ns.EndCurrentCommand(EndReason::Teardown); }},
    };
    for (const auto& [way, end] : ends) {
        SCOPED_TRACE(way);
        freed = 0;
        ui.Expect<DesignatorValues>(true);
        Start();
        Move(10, 10);
        end();
        ns.EndCurrentCommand(EndReason::Teardown);
        EXPECT_EQ(freed, 1);
        EXPECT_TRUE(Live().empty());
        EXPECT_EQ(Band(), nullptr);
    }
}

} // namespace
