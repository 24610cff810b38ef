#include "CAreaSelect.h"

#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "model/CFillArea.h"

#include <memory>

CAreaSelect::CAreaSelect(CCommand* owner)
{
    m_pOwner = owner;
    auto frame = std::make_unique<CFillArea>();
    frame->Deactivate();
    frame->SetSelectionFrame();
    HoldEntity(std::move(frame));
}

CAreaSelect::~CAreaSelect() = default;

CFillArea& CAreaSelect::Frame() const
{
    return *static_cast<CFillArea*>(m_pEntity);
}

int CAreaSelect::OnRButtonDblClk(UINT, const Position&)
{
    return EndCommand();
}

int CAreaSelect::OnKeyDown(UINT, UINT, UINT)
{
    return 0;
}

int CAreaSelect::OnLButtonDblClk(UINT, const Position&)
{
    m_nStep = 0;
    if (ViewPort* view = Board().GetView())
        view->ReleaseCapture();
    return 0;
}

int CAreaSelect::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    CFillArea& frame = Frame();
    if (m_nStep == 1) {
        frame.SetCorner1(pt);
        frame.Activate();
        frame.SetCorner2(pt);
        return 0;
    }
    if (m_nStep != 2)
        return 0;
    frame.SetCorner2(pt);
    BOX2D box;
    frame.GetBox(&box, nullptr);
    m_found.clear();
    const BoxSelect mode = (nFlags & MK::Shift) ? BoxSelect::Add : BoxSelect::Replace;
    Board().SelectInBox(&m_found, box, mode);
    Board().GetDrawingQueue().AddArea(box.Union(m_box));
    return EndCommand();
}

int CAreaSelect::OnMouseMove(UINT nFlags, const Position& pt)
{
    CCommand::OnMouseMove(nFlags, pt);
    if (m_nStep == 1)
        Frame().SetCorner2(pt);
    RepaintEntity();
    return 0;
}

int CAreaSelect::OnRButtonDown(UINT, const Position&)
{
    Frame().Deactivate();
    RepaintEntity();
    return EndCommand();
}

int CAreaSelect::OnLButtonUp(UINT, const Position&)
{
    if (m_nStep == 3)
        m_nStep = 0;
    return 0;
}
