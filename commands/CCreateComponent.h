// The component tool: places copies of a component chosen in the library browser. The
// designator dialog asks the first designator (cancelled: nothing is placed, the tool
// is not started and the browser shows again); the component then follows the pointer,
// and each press places a copy and asks the designator of the next one (cancelled: the
// tool ends). The tool owns the component in hand and frees it however it ends.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <memory>

class CComponent;

class CCreateComponent : public CCommand
{
  public:
    // Takes over `component` (null: the tool is not started).
    CCreateComponent(CCommand* owner, std::unique_ptr<CComponent> component);
    ~CCreateComponent() override;

    int GetCommandType() override { return CommandKind::Component; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;

    // The component's reference point as it follows the pointer.
    Position lastPoint;

  private:
    // The designator dialog; when confirmed the component in hand takes the text.
    bool AskDesignator();
};
