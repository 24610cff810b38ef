#include "CPickCommand.h"

#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "model/CLine.h"
#include "model/Constants.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

// Directions closer than this count as one (radians).
constexpr double kAngleTolerance = 0.0001745329;
// A cut point this close to a track's end (mils) still lies on the track.
constexpr double kEndTolerance = 1e-4;

} // namespace

CPickCommand::CPickCommand(CCommand* owner)
{
    m_pOwner = owner;
}

CPickCommand::~CPickCommand() = default;

int CPickCommand::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar != VK::Tab)
        return 0;
    if (ViewPort* view = Board().GetView())
        view->ReleaseCapture();
    EditParameters();
    return 0;
}

int CPickCommand::OnRButtonDown(UINT, const Position&)
{
    Release();
    return EndCommand();
}

int CPickCommand::OnLButtonUp(UINT, const Position&)
{
    return 0;
}

void CPickCommand::OnEndCommand(EndReason)
{
    Release();
}

CLine* CPickCommand::TrackAt(const Position& pt)
{
    CEntity* hit = Board().GetElements().HitTest(pt, nullptr);
    return hit && hit->IsActive() && hit->GetType() == ET_LINE ? static_cast<CLine*>(hit) : nullptr;
}

void CPickCommand::Pick(CEntity* entity)
{
    m_pEntity = entity;
    m_wasSelected = entity->IsSelected() != 0;
    if (m_wasSelected)
        return;
    entity->ToggleSelect();
    Board().SelectionList.push_back(entity);
}

void CPickCommand::Release()
{
    CEntity* held = m_pEntity;
    m_pEntity = nullptr;
    if (!held || m_wasSelected)
        return;
    if (held->IsSelected())
        held->ToggleSelect();
    Board().SelectionList.remove(held);
}

void CPickCommand::DropDeadPick()
{
    if (m_pEntity && !m_pEntity->IsActive())
        Release();
}

void CPickCommand::Tell(const std::string& text) const
{
    if (ViewPort* view = Board().GetView())
        view->ShowStatusMessage(text);
}

bool CPickCommand::FindCorner(const CLine& a, const Position& pa, const CLine& b,
                              const Position& pb, Corner* out)
{
    std::vector<Position> crossing;
    if (!a.IntersectLine(b, crossing) || crossing.empty())
        return false;
    const Position p = crossing.front();
    const Position footA = a.FootPoint(pa);
    const Position footB = b.FootPoint(pb);
    if (footA.IsNear(p) || footB.IsNear(p))
        return false;
    out->crossing = p;
    out->first = p.AngleTo(footA);
    out->second = p.AngleTo(footB);
    double between = std::fabs(out->first - out->second);
    if (between > PI)
        between = 2 * PI - between;
    out->opening = between;
    return between >= kAngleTolerance;
}

CLine* CPickCommand::TrimmedPiece(CLine& track, const Position& crossing, double dir,
                                  const Position& cut)
{
    // How far each end reaches from the crossing point along the picked side.
    auto reach = [&](const Position& e) {
        return (e.x - crossing.x) * std::cos(dir) + (e.y - crossing.y) * std::sin(dir);
    };
    const bool endIsFar = reach(track.GetEnd()) >= reach(track.GetStart());
    const Position far = endIsFar ? track.GetEnd() : track.GetStart();
    if (reach(far) < crossing.Distance(cut) - kEndTolerance)
        return nullptr;
    auto* piece = static_cast<CLine*>(track.Clone());
    if (endIsFar)
        piece->SetStart(cut);
    else
        piece->SetEnd(cut);
    return piece;
}
