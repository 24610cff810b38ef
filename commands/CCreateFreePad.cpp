#include "CCreateFreePad.h"

#include "model/CFreePad.h"
#include "model/Utilities.h"

#include <memory>
#include <string>

CCreateFreePad::CCreateFreePad(CCommand* owner) : CPlaceObject(owner, 0)
{
    Take(std::make_unique<CFreePad>(SnappedCursor()));
}

CCreateFreePad::~CCreateFreePad() = default;

int CCreateFreePad::OnLButtonDown(UINT, const Position& pt)
{
    PlaceCopy();
    auto next = std::make_unique<CFreePad>(pt);
    // Turned in hand: the next pad is turned the same way, about its own centre.
    if (m_pEntity) {
        const double turn = m_pEntity->GetRotation() - next->GetRotation();
        if (turn != 0.0)
            next->Rotate(pt, turn);
    }
    Take(std::move(next));
    m_curPos = pt;
    return 0;
}

void CCreateFreePad::OnEndCommand(EndReason)
{
    if (m_numberGivenBack || !m_pEntity)
        return;
    m_numberGivenBack = true;
    // Only while the last number handed out is still the one in hand.
    std::string number = thePrototypeFreePad.GetNameString();
    if (number != m_pEntity->GetNameString())
        return;
    IncrementNameNumber(number, -1);
    thePrototypeFreePad.SetName(number);
}
