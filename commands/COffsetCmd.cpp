#include "COffsetCmd.h"

#include "board/CInfomation.h"
#include "model/CEntity.h"
#include "model/UiServices.h"

#include <algorithm>
#include <list>

COffsetCmd::COffsetCmd(CCommand* owner) : CPickCommand(owner) {}

COffsetCmd::~COffsetCmd() = default;

void COffsetCmd::EditParameters()
{
    ToolParameters& params = Board().GetToolParameters();
    OffsetValues values;
    values.distance = params.OffsetDistance;
    values.millimetres = Board().GetUnitName() == "MM";
    if (UiServices::Current().Ask(values))
        params.OffsetDistance = std::max(0.0, values.distance);
}

int COffsetCmd::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    DropDeadPick();
    if (!m_pEntity) {
        CEntity* hit = Board().GetElements().HitTest(pt, nullptr);
        if (hit && hit->IsActive() && (hit->GetType() == ET_LINE || hit->GetType() == ET_ARC))
            Pick(hit);
        return 0;
    }
    const double distance = std::max(0.0, Board().GetToolParameters().OffsetDistance);
    CEntity* copy = m_pEntity->CreateOffset(pt, &distance);
    if (!copy)
        return 0;
    std::list<CEntity*> added{copy};
    Board().AddEntities(&added);
    Release();
    return 0;
}
