#include "CSetOriginPos.h"

#include "CommandKinds.h"
#include "board/CInfomation.h"
#include "board/ViewPort.h"

CSetOriginPos::CSetOriginPos(CCommand* owner, int kind) : mode(kind)
{
    m_pOwner = owner;
}

CSetOriginPos::~CSetOriginPos()
{
    if (ViewPort* view = Board().GetView())
        view->InvalidateAll();
    // Ended without a pick: the waiting component is dropped. After a pick nothing is
    // waiting any more and this does nothing.
    if (mode == CommandKind::PinOne)
        Board().CompleteAddToMyLibrary(nullptr);
}

int CSetOriginPos::OnLButtonDblClk(UINT, const Position&)
{
    m_nStep = 0;
    if (ViewPort* view = Board().GetView())
        view->ReleaseCapture();
    return 0;
}

int CSetOriginPos::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (m_nStep != 1)
        return 0;
    if (mode == CommandKind::SetOrigin)
        Board().SetOrigin(pt);
    else
        Board().CompleteAddToMyLibrary(&pt);
    if (m_pOwner)
        m_pOwner->SetCommand(CommandKind::None, CommandParam());
    return 0;
}

int CSetOriginPos::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CSetOriginPos::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
