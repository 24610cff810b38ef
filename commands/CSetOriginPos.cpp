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
    if (!theInfomation)
        return;
    if (ViewPort* view = theInfomation->GetView())
        view->InvalidateAll();
    // Ended without a pick: the waiting component is dropped. After a pick nothing is
    // waiting any more and this does nothing.
    if (mode == CommandKind::PinOne)
        theInfomation->CompleteAddToMyLibrary(nullptr);
}

int CSetOriginPos::OnLButtonDblClk(UINT, const Position&)
{
    m_nStep = 0;
    if (theInfomation)
        if (ViewPort* view = theInfomation->GetView())
            view->ReleaseCapture();
    return 0;
}

int CSetOriginPos::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (m_nStep != 1 || !theInfomation)
        return 0;
    if (mode == CommandKind::SetOrigin)
        theInfomation->SetOrigin(pt);
    else
        theInfomation->CompleteAddToMyLibrary(&pt);
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
