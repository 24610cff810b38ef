#include "CFilletCmd.h"

#include "board/CInfomation.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/Constants.h"
#include "model/UiServices.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

namespace
{

// The arc about `centre` from a to b the short way, on the layer and in the width of
// `like`.
CArc* ShortArc(const Position& centre, double radius, const Position& a, const Position& b,
               const CLine& like)
{
    double start = centre.AngleTo(a);
    double end = centre.AngleTo(b);
    if (CAngle(end).SweepFrom(CAngle(start)) > PI)
        std::swap(start, end);
    auto* arc = new CArc(centre, radius, start, end);
    arc->SetLayer(like.GetLayer());
    const double width = like.GetLineWidth();
    arc->SetLineWidth(&width);
    return arc;
}

} // namespace

CFilletCmd::CFilletCmd(CCommand* owner) : CTrackCornerCmd(owner) {}

CFilletCmd::~CFilletCmd() = default;

void CFilletCmd::EditParameters()
{
    ToolParameters& params = Board().GetToolParameters();
    FilletValues values;
    values.radius = params.FilletRadius;
    values.trim = params.FilletTrim;
    values.millimetres = Board().GetUnitName() == "MM";
    if (!UiServices::Current().Ask(values))
        return;
    params.FilletRadius = std::max(0.0, values.radius);
    params.FilletTrim = values.trim ? 1 : 0;
}

void CFilletCmd::Join(CLine* first, CLine* second, const Corner& corner)
{
    const ToolParameters& params = Board().GetToolParameters();
    const double radius = std::max(0.0, params.FilletRadius);
    const double d = radius / std::sin(corner.opening * 0.5);
    const double t = std::sqrt(std::max(0.0, d * d - radius * radius));
    const double bisector = std::atan2(std::sin(corner.first) + std::sin(corner.second),
                                       std::cos(corner.first) + std::cos(corner.second));
    const Position& p = corner.crossing;
    const Position centre = p.PolarOffset(d, bisector);
    const Position t1 = p.PolarOffset(t, corner.first);
    const Position t2 = p.PolarOffset(t, corner.second);
    std::unique_ptr<CLine> piece1(TrimmedPiece(*first, p, corner.first, t1));
    std::unique_ptr<CLine> piece2(TrimmedPiece(*second, p, corner.second, t2));
    if (!piece1 || !piece2) {
        Tell(kBeyondEnd);
        return;
    }
    if (!params.FilletTrim) {
        piece1.reset(static_cast<CLine*>(first->Clone()));
        piece2.reset(static_cast<CLine*>(second->Clone()));
    }
    CArc* arc = ShortArc(centre, radius, t1, t2, *first);
    Release();
    Board().DeleteEntities({first, second});
    std::list<CEntity*> added{piece1.release(), piece2.release(), arc};
    Board().AddEntities(&added);
}
