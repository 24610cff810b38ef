#include "ToolTable.h"

#include "CChamferCmd.h"
#include "CCreateLine.h"
#include "CFilletCmd.h"
#include "CMeasure.h"
#include "CNormalStatus.h"
#include "COffsetCmd.h"
#include "CSetArray.h"
#include "CSetOriginPos.h"
#include "CommandKinds.h"

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
    {ArcByCentre, kSnapped, kCross, nullptr},
    {Move, kSnapped, kCross, nullptr},
    {14, kSnapped, kCross, nullptr},
    {Pad, kSnapped, kCross, nullptr},
    {Via, kSnapped, kCross, nullptr},
    {String, kSnapped, kCross, nullptr},
    {Fill, kSnapped, kCross, nullptr},
    {Component, kSnapped, kCross, nullptr},
    {AreaSelect, kFree, kAsIs, nullptr},
    {SetOrigin, kFree, kAsIs, &MakeOfKind<CSetOriginPos>},
    {Polygon, kSnapped, kCross, nullptr},
    {Measure, kSnapped, kCross, &Make<CMeasure>},
    {Array, kFree, kCross, &MakeWithObjects<CSetArray>},
    {Offset, kFree, kCross, &Make<COffsetCmd>},
    {Chamfer, kFree, kCross, &Make<CChamferCmd>},
    {Fillet, kFree, kCross, &Make<CFilletCmd>},
    {ArcBy3Points, kSnapped, kCross, nullptr},
    {Copy, kSnapped, kAsIs, nullptr},
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
