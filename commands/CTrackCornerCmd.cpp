#include "CTrackCornerCmd.h"

#include "model/CLine.h"

CTrackCornerCmd::CTrackCornerCmd(CCommand* owner) : CPickCommand(owner) {}

CTrackCornerCmd::~CTrackCornerCmd() = default;

int CTrackCornerCmd::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    DropDeadPick();
    CLine* hit = TrackAt(pt);
    if (!m_pEntity) {
        if (hit) {
            Pick(hit);
            firstPress = pt;
        }
        return 0;
    }
    auto* first = static_cast<CLine*>(m_pEntity);
    Corner corner;
    if (hit && hit != first && FindCorner(*first, firstPress, *hit, pt, &corner))
        Join(first, hit, corner);
    return 0;
}
