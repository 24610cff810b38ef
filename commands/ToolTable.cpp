#include "ToolTable.h"

#include "CAreaSelect.h"
#include "CChamferCmd.h"
#include "CCreateArc.h"
#include "CCreateArcBy3pt.h"
#include "CCreateComponent.h"
#include "CCreateFillArea.h"
#include "CCreateFreePad.h"
#include "CCreateLine.h"
#include "CCreatePolygon.h"
#include "CCreateTxt.h"
#include "CCreateViaPad.h"
#include "CFilletCmd.h"
#include "CMeasure.h"
#include "CMove.h"
#include "CNormalStatus.h"
#include "COffsetCmd.h"
#include "CSetArray.h"
#include "CSetOriginPos.h"
#include "CommandKinds.h"
#include "model/CComponent.h"

#include <algorithm>
#include <iterator>

using namespace CommandKind;

namespace
{

template <class Tool> std::unique_ptr<CCommand> Make(CNormalStatus* owner, int, CommandParam&)
{
    return std::make_unique<Tool>(owner);
}

// Tools that serve two kinds and are told which.
template <class Tool>
std::unique_ptr<CCommand> MakeOfKind(CNormalStatus* owner, int kind, CommandParam&)
{
    return std::make_unique<Tool>(owner, kind);
}

// The component tool takes over the component handed to it.
std::unique_ptr<CCommand> MakeComponentTool(CNormalStatus* owner, int, CommandParam& param)
{
    return std::make_unique<CCreateComponent>(owner, std::move(param.component));
}

// The move tool in its two modes; a copy takes over the clones it is given.
std::unique_ptr<CCommand> MakeMove(CNormalStatus* owner, int kind, CommandParam& param)
{
    return std::make_unique<CMove>(owner, std::move(param.entities),
                                   kind == Copy ? CMove::CopyMode : CMove::MoveMode);
}

// Tools that work on the objects they are started with.
template <class Tool>
std::unique_ptr<CCommand> MakeWithObjects(CNormalStatus* owner, int, CommandParam& param)
{
    return std::make_unique<Tool>(owner, std::move(param.entities));
}

constexpr bool kSnapped = true;
constexpr bool kFree = false;
constexpr bool kCross = true;
constexpr bool kAsIs = false;

const ToolInfo kTools[] = {
    {Track, kSnapped, kCross, &Make<CCreateLine>},
    {ArcByCentre, kSnapped, kCross, &Make<CCreateArc>},
    {Move, kSnapped, kCross, &MakeMove},
    {14, kSnapped, kCross, nullptr},
    {Pad, kSnapped, kCross, &Make<CCreateFreePad>},
    {Via, kSnapped, kCross, &Make<CCreateViaPad>},
    {String, kSnapped, kCross, &Make<CCreateTxt>},
    {Fill, kSnapped, kCross, &Make<CCreateFillArea>},
    {Component, kSnapped, kCross, &MakeComponentTool},
    {AreaSelect, kFree, kAsIs, &Make<CAreaSelect>},
    {SetOrigin, kFree, kAsIs, &MakeOfKind<CSetOriginPos>},
    {Polygon, kSnapped, kCross, &Make<CCreatePolygon>},
    {Measure, kSnapped, kCross, &Make<CMeasure>},
    {Array, kFree, kCross, &MakeWithObjects<CSetArray>},
    {Offset, kFree, kCross, &Make<COffsetCmd>},
    {Chamfer, kFree, kCross, &Make<CChamferCmd>},
    {Fillet, kFree, kCross, &Make<CFilletCmd>},
    {ArcBy3Points, kSnapped, kCross, &Make<CCreateArcBy3pt>},
    {Copy, kSnapped, kAsIs, &MakeMove},
    {PinOne, kSnapped, kCross, &MakeOfKind<CSetOriginPos>},
};

} // namespace

std::span<const ToolInfo> ToolTable::All()
{
    return kTools;
}

const ToolInfo* ToolTable::Find(int kind)
{
    const auto it = std::find_if(std::begin(kTools), std::end(kTools),
                                 [kind](const ToolInfo& t) { return t.kind == kind; });
    return it == std::end(kTools) ? nullptr : &*it;
}

bool ToolTable::HasTool(int kind)
{
    const ToolInfo* tool = Find(kind);
    return kind == None || (tool && tool->make);
}

std::unique_ptr<CCommand> ToolTable::Make(CNormalStatus* owner, int kind, CommandParam& param)
{
    const ToolInfo* tool = Find(kind);
    return tool && tool->make ? tool->make(owner, kind, param) : nullptr;
}

bool ToolTable::TakesSnappedPoints(int kind)
{
    const ToolInfo* tool = Find(kind);
    return !tool || tool->snapped;
}

bool ToolTable::CursorFor(bool hasTool, int kind, CursorShape* shape)
{
    if (!hasTool) {
        *shape = CursorShape::Arrow;
        return true;
    }
    const ToolInfo* tool = Find(kind);
    if (!tool || !tool->cross)
        return false;
    *shape = CursorShape::Cross;
    return true;
}
