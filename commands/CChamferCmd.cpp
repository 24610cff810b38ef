#include "CChamferCmd.h"

#include "board/CInfomation.h"
#include "model/CLine.h"
#include "model/UiServices.h"

#include <algorithm>
#include <list>
#include <memory>

CChamferCmd::CChamferCmd(CCommand* owner) : CTrackCornerCmd(owner) {}

CChamferCmd::~CChamferCmd() = default;

void CChamferCmd::EditParameters()
{
    ToolParameters& params = Board().GetToolParameters();
    ChamferValues values;
    values.distance1 = params.ChamferDistance1;
    values.distance2 = params.ChamferDistance2;
    values.trim = params.ChamferTrim;
    values.millimetres = Board().GetUnitName() == "MM";
    if (!UiServices::Current().Ask(values))
        return;
    params.ChamferDistance1 = std::max(0.0, values.distance1);
    params.ChamferDistance2 = std::max(0.0, values.distance2);
    params.ChamferTrim = values.trim ? 1 : 0;
}

void CChamferCmd::Join(CLine* first, CLine* second, const Corner& corner)
{
    const ToolParameters& params = Board().GetToolParameters();
    const Position a =
        corner.crossing.PolarOffset(std::max(0.0, params.ChamferDistance1), corner.first);
    const Position b =
        corner.crossing.PolarOffset(std::max(0.0, params.ChamferDistance2), corner.second);
    std::unique_ptr<CLine> piece1(TrimmedPiece(*first, corner.crossing, corner.first, a));
    std::unique_ptr<CLine> piece2(TrimmedPiece(*second, corner.crossing, corner.second, b));
    if (!piece1 || !piece2) {
        Tell(kBeyondEnd);
        return;
    }
    auto* bevel = static_cast<CLine*>(first->Clone());
    bevel->SetStart(a);
    bevel->SetEnd(b);
    Release();
    std::list<CEntity*> added;
    if (params.ChamferTrim) {
        Board().DeleteEntities({first, second});
        added.push_back(piece1.release());
        added.push_back(piece2.release());
    }
    added.push_back(bevel);
    Board().AddEntities(&added);
}
