// Tool scenarios driven through the dispatcher, as the view drives it: a fresh board
// whose view shows board point (x, y) at client pixel (x, 600 - y) at one mil per
// pixel, scripted dialogs and a fake clock.
#pragma once

#include "commands/CCreateLine.h"
#include "commands/CNormalStatus.h"
#include "commands/CommandKinds.h"
#include "model/CLine.h"
#include "platform/Clock.h"
#include "support/BoardFixture.h"
#include "support/FakeClock.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// A tool that logs what reaches it into its dispatcher's log (which outlives it).
class RecordingTool : public CCommand
{
  public:
    RecordingTool(CCommand* owner, int kind, CommandParam p, int* alive,
                  std::vector<std::string>* logSink)
        : param(std::move(p)), m_kind(kind), m_alive(alive), m_log(*logSink)
    {
        m_pOwner = owner;
        ++*m_alive;
    }
    ~RecordingTool() override { --*m_alive; }

    int GetCommandType() override { return m_kind; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override
    {
        presses.push_back(pt);
        if (onPress)
            onPress(*this);
        ++afterPress; // touches the tool after a reaction that may have ended it
        return CCommand::OnLButtonDown(nFlags, pt);
    }
    int OnLButtonUp(UINT, const Position&) override { return 0; }
    int OnMouseMove(UINT nFlags, const Position& pt) override
    {
        moves.push_back(pt);
        return CCommand::OnMouseMove(nFlags, pt);
    }
    int OnRButtonDown(UINT, const Position&) override { return Log(" right"), 0; }
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override
    {
        Log(" key " + std::to_string(nChar));
        return CCommand::OnKeyDown(nChar, nRepCnt, nFlags);
    }
    void OnEndCommand(EndReason why) override
    {
        Log(why == EndReason::User ? " end:user" : " end:teardown");
    }
    CEntity* Hold(std::unique_ptr<CEntity> e) { return HoldEntity(std::move(e)); }
    void Repaint() { RepaintEntity(); }

    CommandParam param;
    std::function<void(RecordingTool&)> onPress;
    std::vector<Position> presses;
    std::vector<Position> moves;
    int afterPress = 0;

  private:
    void Log(const std::string& what) { m_log.push_back("tool" + std::to_string(m_kind) + what); }

    int m_kind;
    int* m_alive;
    std::vector<std::string>& m_log;
};

// The dispatcher with recording tools for the kinds a test asks for.
class TestDispatcher : public CNormalStatus
{
  public:
    std::map<int, bool> fakeKinds;    // kind -> ready
    std::vector<RecordingTool*> made; // valid while `alive` says so
    int alive = 0;
    std::vector<std::string> log;

  protected:
    std::unique_ptr<CCommand> CreateTool(int kind, CommandParam& param) override
    {
        auto it = fakeKinds.find(kind);
        if (it == fakeKinds.end())
            return CNormalStatus::CreateTool(kind, param);
        auto tool = std::make_unique<RecordingTool>(this, kind, std::move(param), &alive, &log);
        tool->m_ready = it->second ? 1 : 0;
        made.push_back(tool.get());
        return tool;
    }
};

class CommandTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        const int origin[2] = {0, 600};
        board().SetScreenOrigin(origin);
        RoutingMode = 0;
        UiServices::Install(&ui);
        Clock::Install(&clock);
    }
    void TearDown() override
    {
        ns.EndCurrentCommand(EndReason::Teardown);
        EXPECT_TRUE(ui.AllAnswersUsed());
        Clock::Install(nullptr);
        BoardTest::TearDown();
    }

    void PointerAt(double x, double y) { view.cursor = Point{int(x), 600 - int(y)}; }
    Position Pointer() { return board().GetCursorPosition(); }
    void Move(double x, double y, UINT flags = 0)
    {
        PointerAt(x, y);
        ns.OnMouseMove(flags, Position(x, y));
    }
    void Press(double x, double y, UINT flags = 0)
    {
        PointerAt(x, y);
        ns.OnLButtonDown(flags | MK::LButton, Position(x, y));
    }
    void Click(double x, double y, UINT flags = 0)
    {
        Press(x, y, flags);
        ns.OnLButtonUp(flags, Position(x, y));
    }
    void RightClick() { ns.OnRButtonDown(MK::RButton, Pointer()); }
    void Key(UINT vk) { ns.OnKeyDown(vk, 1, 0); }

    CLine* AddTrack(Position a, Position b)
    {
        auto* t = new CLine(a, b, nullptr);
        board().AddEntity(t);
        return t;
    }
    void Select(CEntity* e)
    {
        e->ToggleSelect();
        board().SelectionList.push_back(e);
    }
    // The live board objects, oldest first.
    std::vector<CEntity*> Live()
    {
        std::vector<CEntity*> out;
        for (CEntity* e : board().GetElements().GetEntities())
            if (e->IsActive())
                out.insert(out.begin(), e);
        return out;
    }
    // The rubber band registered with the board, if any.
    CEntity* Band()
    {
        const auto& temp = board().GetTempEntities();
        return temp.empty() ? nullptr : temp.front();
    }
    std::size_t Records() { return board().GetRedoUndo().UndoCount(); }

    FakeUiServices ui;
    FakeClock clock{0};
    TestDispatcher ns;
};
