#include "CCreateViaPad.h"

#include "model/CViaPad.h"

#include <memory>

CCreateViaPad::CCreateViaPad(CCommand* owner) : CPlaceObject(owner, 1)
{
    Take(std::make_unique<CViaPad>(SnappedCursor()));
}

CCreateViaPad::~CCreateViaPad() = default;

int CCreateViaPad::OnLButtonDown(UINT, const Position& pt)
{
    PlaceCopy();
    Take(std::make_unique<CViaPad>(pt));
    m_curPos = pt;
    return 0;
}
