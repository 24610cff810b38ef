#include "CSetArray.h"

#include "board/CInfomation.h"
#include "model/CEntity.h"
#include "model/UiServices.h"
#include "model/Utilities.h"

#include <algorithm>

CSetArray::CSetArray(CCommand* owner, std::list<CEntity*> list) : objects(std::move(list))
{
    m_pOwner = owner;
    if (objects.empty() || !Setup())
        m_ready = 0;
}

CSetArray::~CSetArray() = default;

namespace
{

// Copies the remembered array settings into the dialog's values, or back.
void ExchangeArrayValues(ToolParameters& params, ArrayValues& values, bool toDialog)
{
    const auto pass = [toDialog](auto& kept, auto& shown) {
        if (toDialog)
            shown = kept;
        else
            kept = shown;
    };
    pass(params.ArrayCircular, values.circular);
    pass(params.ArrayLinear, values.linear);
    pass(params.ArrayRectangle, values.rectangle);
    pass(params.ArrayXSpacing, values.xSpacing);
    pass(params.ArrayYSpacing, values.ySpacing);
    pass(params.ArrayAngle, values.angle);
    pass(params.ArrayCount, values.count);
    pass(params.ArrayTextIncrement, values.textIncrement);
    pass(params.ArrayBeginAtCurrent, values.beginAtCurrent);
    pass(params.ArrayRotateItems, values.rotateItems);
}

} // namespace

bool CSetArray::Setup()
{
    ToolParameters& params = Board().GetToolParameters();
    ArrayValues values;
    ExchangeArrayValues(params, values, true);
    values.millimetres = Board().GetUnitName() == "MM";
    if (!UiServices::Current().Ask(values))
        return false;
    values.count = std::max(0, values.count);
    ExchangeArrayValues(params, values, false);
    if (objects.size() == 1) {
        const char* name = objects.front()->GetName();
        nameBase = name ? name : "";
    } else {
        // Copies of several objects keep their own names.
        params.ArrayTextIncrement = 0;
    }
    return true;
}

int CSetArray::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar == VK::Tab)
        Setup();
    return 0;
}

int CSetArray::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    const ToolParameters& params = Board().GetToolParameters();
    if (params.ArrayLinear || params.ArrayRectangle) {
        Place(pt);
    } else if (params.ArrayCircular) {
        if (m_nStep == 1) {
            centre = pt;
            return 0;
        }
        Place(centre);
    } else {
        return 0; // no type chosen: nothing to place
    }
    return EndCommand();
}

int CSetArray::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CSetArray::OnLButtonUp(UINT, const Position&)
{
    return 0;
}

long CSetArray::CopiesPerObject(const ToolParameters& params)
{
    const long n = std::max(0, params.ArrayCount);
    if (params.ArrayLinear)
        return n;
    if (params.ArrayRectangle)
        return n * n - (params.ArrayBeginAtCurrent || n == 0 ? 0 : 1);
    return params.ArrayCircular ? n : 0;
}

std::vector<Position> CSetArray::Places(const ToolParameters& params, const Position& p,
                                        const Position& mean, const Position& pt) const
{
    std::vector<Position> places;
    const int n = std::max(0, params.ArrayCount);
    const Position step(params.ArrayXSpacing, params.ArrayYSpacing);
    const Position base = p + (pt - mean);
    if (params.ArrayLinear) {
        const Position start = params.ArrayBeginAtCurrent ? base - step : base;
        for (int i = 1; i <= n; ++i)
            places.push_back(start + Position(step.x * i, step.y * i));
    } else if (params.ArrayRectangle) {
        for (int r = 0; r < n; ++r)
            for (int k = 0; k < n; ++k)
                if (r || k || params.ArrayBeginAtCurrent)
                    places.push_back(base + Position(step.x * k, step.y * r));
    } else if (params.ArrayCircular) {
        const double radius = mean.Distance(pt);
        const double a0 = pt.AngleTo(mean);
        for (int i = 0; i < n; ++i)
            places.push_back(pt.PolarOffset(radius, a0 + i * params.ArrayAngle) + (p - mean));
    }
    return places;
}

void CSetArray::Place(const Position& pt)
{
    ToolParameters& params = Board().GetToolParameters();
    std::vector<CEntity*> live;
    std::copy_if(objects.begin(), objects.end(), std::back_inserter(live),
                 [](CEntity* e) { return e && e->IsActive(); });
    if (live.empty())
        return;
    if (long(live.size()) * CopiesPerObject(params) > kMaxCopies) {
        UiServices::Current().MessageBox(kTooMany);
        return;
    }
    Position mean;
    for (CEntity* e : live)
        mean += e->GetPosition();
    mean = Position(mean.x / double(live.size()), mean.y / double(live.size()));
    std::list<CEntity*> copies;
    for (CEntity* e : live) {
        const Position p = e->GetPosition();
        int i = 0;
        for (const Position& place : Places(params, p, mean, pt)) {
            CEntity* copy = e->Clone();
            if (!copy)
                break;
            copy->MoveBy(p, place);
            if (params.ArrayCircular && !params.ArrayLinear && !params.ArrayRectangle &&
                params.ArrayRotateItems)
                copy->Rotate(place, i * params.ArrayAngle);
            if (params.ArrayTextIncrement)
                copy->SetName(IncrementNameNumber(nameBase, params.ArrayTextIncrement));
            copies.push_back(copy);
            ++i;
        }
    }
    Board().AddEntities(&copies);
}
