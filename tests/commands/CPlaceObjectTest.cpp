#include "commands/CCreateFreePad.h"
#include "commands/CCreateTxt.h"
#include "commands/CCreateViaPad.h"

#include "CommandFixture.h"
#include "model/CFreePad.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{

class PlaceTools : public CommandTest
{
  protected:
    void UndoAll()
    {
        while (board().CanUndo())
            board().Undo();
        EXPECT_TRUE(Live().empty());
    }
    static std::string Name(CEntity* e) { return e ? e->GetNameString() : "(none)"; }
};

TEST_F(PlaceTools, ThreePadsThenARightPressGiveTheDiscardedNumberToTheNextPad)
{
    ns.SetCommand(CommandKind::Pad);
    for (int i = 1; i <= 3; ++i) {
        Move(100.0 * i, 100);
        Click(100.0 * i, 100);
    }
    EXPECT_EQ(Name(Band()), "4");
    RightClick();
    EXPECT_FALSE(ns.HasCommand());
    auto live = Live();
    ASSERT_EQ(live.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Name(live[std::size_t(i)]), std::to_string(i + 1));
        EXPECT_EQ(live[std::size_t(i)]->GetPosition(), Position(100.0 * (i + 1), 100));
    }
    EXPECT_EQ(Records(), 3u);
    ns.SetCommand(CommandKind::Pad);
    EXPECT_EQ(Name(Band()), "4");
    UndoAll();
}

TEST_F(PlaceTools, ThePadNumberIsGivenBackExactlyOnceHoweverTheToolEnds)
{
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"right press", [this] { RightClick(); }},
        {"Esc", [this] { Key(VK::Escape); }},
        {"another tool", [this] { ns.SetCommand(CommandKind::Via); }},
        {"double click", [this] { ns.OnLButtonDblClk(0, Position(900, 900)); }},
        {"board closed", [this] { ns.EndCurrentCommand(EndReason::Teardown); }},
    };
    for (const auto& [way, end] : ends) {
        SCOPED_TRACE(way);
        ns.SetCommand(CommandKind::Pad);
        Click(50, 50);
        const std::string discarded = Name(Band());
        end();
        ns.EndCurrentCommand(EndReason::Teardown); // a second end gives nothing back
        ns.SetCommand(CommandKind::Pad);
        EXPECT_EQ(Name(Band()), discarded);
        ns.EndCurrentCommand(EndReason::User);
    }
}

TEST_F(PlaceTools, WhatTabAndSpaceSetOnThePadInHandHoldsForEveryCopy)
{
    ns.SetCommand(CommandKind::Pad);
    Move(100, 100);
    ui.Expect<PadProperties>(true, [](PadProperties& v) { v.width = 80; });
    Key(VK::Tab);
    Key(VK::Space); // a quarter turn about the pointer, the pad's own centre
    Click(100, 100);
    Move(300, 100);
    Click(300, 100);
    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    for (CEntity* e : live) {
        auto* pad = dynamic_cast<CFreePad*>(e);
        ASSERT_NE(pad, nullptr);
        EXPECT_DOUBLE_EQ(pad->GetProperties().width, 80.0);
        EXPECT_NEAR(pad->GetRotation(), PI / 2, 1e-6);
    }
    EXPECT_EQ(live[1]->GetPosition(), Position(300, 100));
    UndoAll();
}

TEST_F(PlaceTools, EachPressPlacesAVia)
{
    ns.SetCommand(CommandKind::Via);
    Move(100, 100);
    Click(100, 100);
    Move(200, 50);
    Click(200, 50);
    RightClick();
    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_NE(dynamic_cast<CViaPad*>(live[1]), nullptr);
    EXPECT_EQ(live[1]->GetPosition(), Position(200, 50));
    EXPECT_EQ(Records(), 2u);
    UndoAll();
}

TEST_F(PlaceTools, StringsAskTheirTextFirstAndPlaceNothingWhileItIsEmpty)
{
    // A cancelled first dialog: no tool, nothing shown or placed.
    ui.Expect<TextProperties>(false);
    ns.SetCommand(CommandKind::String);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(Band(), nullptr);

    ui.Expect<TextProperties>(true, [](TextProperties& v) { v.text.clear(); });
    ns.SetCommand(CommandKind::String);
    ASSERT_TRUE(ns.HasCommand());
    Move(100, 100);
    ui.Expect<TextProperties>(false); // empty: the press asks again
    Click(100, 100);
    ui.Expect<TextProperties>(true, [](TextProperties& v) { v.text = "R12"; });
    Click(100, 100);
    EXPECT_TRUE(Live().empty());
    Click(100, 100);
    Move(150, 40);
    Click(150, 40);
    RightClick();
    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(Name(live[0]), "R12");
    EXPECT_EQ(Name(live[1]), "R12");
    EXPECT_EQ(live[1]->GetPosition(), Position(150, 40));
    EXPECT_EQ(ui.Received<TextProperties>().size(), 4u);
    UndoAll();
}

TEST_F(PlaceTools, TabEditsTheObjectInHandAndThePlacedCopyKeepsTheLayer)
{
    constexpr int kLayer = 17;
    const std::pair<int, std::function<void()>> rows[] = {
        {CommandKind::Pad,
         [this] { ui.Expect<PadProperties>(true, [](PadProperties& v) { v.layer = kLayer; }); }},
        {CommandKind::Fill,
         [this] { ui.Expect<FillProperties>(true, [](FillProperties& v) { v.layer = kLayer; }); }},
        {CommandKind::ArcByCentre,
         [this] { ui.Expect<ArcProperties>(true, [](ArcProperties& v) { v.layer = kLayer; }); }},
    };
    for (const auto& [kind, expect] : rows) {
        SCOPED_TRACE(kind);
        ns.SetCommand(kind);
        expect();
        Key(VK::Tab);
        Click(100, 100);
        Move(200, 100);
        Click(200, 100);
        Move(200, 200);
        Click(200, 200);
        ASSERT_FALSE(Live().empty());
        EXPECT_EQ(Live().front()->GetLayer(), kLayer);
        ns.EndCurrentCommand(EndReason::User);
        UndoAll();
    }
}

} // namespace
