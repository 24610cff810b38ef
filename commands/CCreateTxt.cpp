#include "CCreateTxt.h"

#include "board/CInfomation.h"
#include "model/CTxtTag.h"

#include <memory>

CCreateTxt::CCreateTxt(CCommand* owner) : CPlaceObject(owner, 1)
{
    Take(std::make_unique<CTxtTag>(SnappedCursor()));
    if (!AskText())
        m_ready = 0;
}

CCreateTxt::~CCreateTxt() = default;

bool CCreateTxt::AskText()
{
    const bool confirmed = m_pEntity->EditProperties(0, Position(0, 0)) != 0;
    RepaintEntity();
    return confirmed;
}

bool CCreateTxt::TextIsEmpty() const
{
    return static_cast<CTxtTag*>(m_pEntity)->GetNameString().empty();
}

int CCreateTxt::OnLButtonDown(UINT, const Position& pt)
{
    if (TextIsEmpty()) {
        AskText();
        return 0;
    }
    PlaceCopy();
    // The next text is the one in hand again, with any turn or mirror it was given.
    std::unique_ptr<CEntity> next(m_pEntity->Clone());
    next->SetPosition(pt, 1);
    Take(std::move(next));
    m_curPos = pt;
    return 0;
}
