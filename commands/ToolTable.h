// Every kind of tool the dispatcher knows, in one table: whether its points are snapped
// to the grid, the cursor it shows and how it is made. A kind with no row starts
// nothing, takes snapped points and leaves the cursor as it is; a row without a
// factory is a kind whose tool is not built (its menu item stays disabled).
//
// Adding a tool: its class, and one row in ToolTable.cpp.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <span>

class CCommand;
class CNormalStatus;
struct CommandParam;

struct ToolInfo {
    // Makes the tool of `kind` for `owner`; `param` carries what the tool starts with
    // (objects, a component), which the tool may take over.
    using Factory = std::unique_ptr<CCommand> (*)(CNormalStatus* owner, int kind,
                                                  CommandParam& param);

    int kind;
    // Points reach the tool snapped to the grid while snapping is on.
    bool snapped;
    // The cross cursor while the tool is current; else the cursor is left as it is.
    bool cross;
    Factory make; // null: not built
};

class ToolTable
{
  public:
    static std::span<const ToolInfo> All();
    // Null for a kind without a row.
    static const ToolInfo* Find(int kind);

    // True when `kind` makes a tool (or is kind 0, the idle dispatcher itself).
    static bool HasTool(int kind);
    // The tool of `kind`; null when the kind makes none.
    static std::unique_ptr<CCommand> Make(CNormalStatus* owner, int kind, CommandParam& param);
    static bool TakesSnappedPoints(int kind);
    // The cursor shape for the current tool's kind (`hasTool` false: idle). False when the
    // cursor is to be left as it is.
    static bool CursorFor(bool hasTool, int kind, CursorShape* shape);
};
