#include "CMeasure.h"

#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "model/CLine.h"
#include "model/Constants.h"
#include "model/UiServices.h"

#include <cstdio>
#include <memory>

CMeasure::CMeasure(CCommand* owner)
{
    m_pOwner = owner;
}

CMeasure::~CMeasure() = default;

int CMeasure::OnKeyDown(UINT, UINT, UINT)
{
    return 0;
}

std::string CMeasure::Report(const Position& from, const Position& to, const std::string& unitName)
{
    double dx = from.DeltaX(to);
    double dy = from.DeltaY(to);
    double d = from.Distance(to);
    const bool mm = unitName == "MM";
    if (mm) {
        dx /= MILS_PER_MM;
        dy /= MILS_PER_MM;
        d /= MILS_PER_MM;
    }
    const char* format =
        mm ? "x Distance = %fmm\ty Distance = %fmm\nDistance Measured = %fmm"
           : "x Distance = %fmils\ty Distance = %fmils\nDistance Measured = %fmils";
    const int n = std::snprintf(nullptr, 0, format, dx, dy, d);
    if (n <= 0)
        return std::string();
    std::string text(std::size_t(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, dx, dy, d);
    text.resize(std::size_t(n));
    return text;
}

int CMeasure::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (!waitingForEnd) {
        start = pt;
        auto line = std::make_unique<CLine>(start, start);
        line->SetLayer(LAYER_HIGHLIGHT);
        const double width = Board().PixelsToBoard(1);
        line->SetLineWidth(&width);
        HoldEntity(std::move(line));
        m_box = BOX2D();
        RepaintEntity();
    } else {
        // The board repaints the line's place as it lets it go.
        HoldEntity(nullptr);
        UiServices::Current().MessageBox(Report(start, pt, Board().GetUnitName()));
    }
    waitingForEnd = waitingForEnd ? 0 : 1;
    CCommand::OnLButtonDown(nFlags, pt);
    return 0;
}

int CMeasure::OnMouseMove(UINT nFlags, const Position& pt)
{
    CCommand::OnMouseMove(nFlags, pt);
    if (auto* line = static_cast<CLine*>(m_pEntity)) {
        line->SetEnd(pt);
        RepaintEntity();
    }
    return 0;
}

int CMeasure::OnRButtonDown(UINT, const Position&)
{
    return EndCommand();
}

int CMeasure::OnLButtonUp(UINT, const Position&)
{
    return 0;
}

int CMeasure::OnTimer(const Position& cursor)
{
    ViewPort* view = Board().GetView();
    if (view && view->IsKeyDown(VK::Control))
        JumpToObjectPoint(cursor, std::string(), std::string());
    return 0;
}
