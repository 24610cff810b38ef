#include "CCreateLine.h"

#include "board/CInfomation.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "model/Constants.h"

#include <algorithm>
#include <cmath>

int RoutingMode = 0;

namespace
{

// The direction from the origin towards (dx, dy), measured exactly as the cursor's
// direction is, so that a cursor on a diagonal lies exactly on a diagonal bound.
double Direction(double dx, double dy)
{
    return Position(0, 0).AngleTo(Position(dx, dy));
}

// Any angle the cursor's direction can take lies strictly between these.
constexpr double kBelowAll = -1.0;
constexpr double kAboveAll = 7.0;

// The guide track of a rubber band, if one is attached.
CLine* GuideOf(CEntity* band)
{
    CEntity* guide = nullptr;
    if (band->GetType() == ET_LINE)
        guide = static_cast<CLine*>(band)->GetAttachedEntity();
    else if (band->GetType() == ET_ARC)
        guide = static_cast<CArc*>(band)->GetAttachedEntity();
    return guide && guide->GetType() == ET_LINE ? static_cast<CLine*>(guide) : nullptr;
}

void Attach(CEntity* band, CEntity* guide, int repaint)
{
    if (band->GetType() == ET_LINE)
        static_cast<CLine*>(band)->SetAttachedEntity(guide, &repaint);
    else if (band->GetType() == ET_ARC)
        static_cast<CArc*>(band)->SetAttachedEntity(guide, &repaint);
    else
        delete guide;
}

// Copies the width and layer of `from` (when there is one) onto `to`.
void KeepLook(const CEntity* from, CEntity* to)
{
    if (!from)
        return;
    const double width = from->GetLineWidth();
    to->SetLineWidth(&width);
    to->SetLayer(from->GetLayer());
}

} // namespace

CCreateLine::CCreateLine(CCommand* owner)
{
    m_pOwner = owner;
    BuildSectorTables();
    TakeDefaultTrack();
}

CCreateLine::~CCreateLine() = default;

int CCreateLine::NextRoutingMode(int mode)
{
    switch (mode) {
    case 0:
        return 1;
    case 1:
        return 3;
    case 3:
        return 2;
    default:
        return 0;
    }
}

void CCreateLine::BuildSectorTables()
{
    const double east = 0.0;
    const double north = PI * 0.5;
    const double west = PI;
    const double south = PI * 1.5;
    const double ne = Direction(1, 1);
    const double nw = Direction(-1, 1);
    const double sw = Direction(-1, -1);
    const double se = Direction(1, -1);

    // Four directions, each between the neighbouring diagonals.
    sectors90 = {{east, kBelowAll, ne},
                 {north, ne, nw},
                 {west, nw, sw},
                 {south, sw, se},
                 {east, se, kAboveAll}};

    // Eight directions, each between the half-way angles to its neighbours.
    const double half = PI / 8.0;
    const double dirs[8] = {east, ne, north, nw, west, sw, south, se};
    sectors45.clear();
    sectors45.push_back({east, kBelowAll, half});
    for (int k = 1; k < 8; ++k)
        sectors45.push_back({dirs[k], half * (2 * k - 1), half * (2 * k + 1)});
    sectors45.push_back({east, half * 15, kAboveAll});

    // The quarter arc about the corner's centre, from the start to the corner's end,
    // for each half of the four ranges; axis and diagonal directions match nothing.
    sectorsArc = {{east, ne, north, west},  {ne, north, south, east},   {north, nw, west, south},
                  {nw, west, east, north},  {west, sw, south, east},    {sw, south, north, west},
                  {south, se, east, north}, {se, 2.0 * PI, west, south}};
}

CCreateLine::Sector CCreateLine::LookupSector(const std::list<Sector>& table, double angle)
{
    for (const Sector& s : table)
        if (s.low < angle && angle < s.high)
            return s;
    return Sector{};
}

CCreateLine::ArcSector CCreateLine::LookupSector(const std::list<ArcSector>& table, double angle)
{
    for (const ArcSector& s : table)
        if (s.low < angle && angle < s.high)
            return s;
    return ArcSector{};
}

void CCreateLine::AddVertex(const Position& p)
{
    segStart = p;
    vertices.push_back(p);
}

CLine* CCreateLine::NewBandLine(const Position& a, const Position& b)
{
    auto line = std::make_unique<CLine>(a, b, nullptr);
    KeepLook(m_pEntity, line.get());
    return static_cast<CLine*>(HoldEntity(std::move(line)));
}

CLine* CCreateLine::StartSegment(const Position& a, const Position& b)
{
    CLine* line = NewBandLine(a, b);
    if (m_chosenLayer >= 0) {
        line->SetLayer(m_chosenLayer);
        m_chosenLayer = -1;
    }
    return line;
}

void CCreateLine::OnLayerChosen(int layer)
{
    if (GetCommandType() == CommandKind::Track)
        m_chosenLayer = layer;
}

CLine* CCreateLine::BandLine(const Position& pt)
{
    if (m_pEntity && m_pEntity->GetType() == ET_LINE) {
        auto* line = static_cast<CLine*>(m_pEntity);
        if (line->GetStart() != segStart)
            line->SetStart(segStart);
        return line;
    }
    return NewBandLine(segStart, pt);
}

void CCreateLine::TakeDefaultTrack()
{
    HoldEntity(std::make_unique<CLine>(Position(), Position(), nullptr));
}

Position CCreateLine::RebuildPoint() const
{
    return Board().m_snap ? SnappedCursor() : Board().GetCursorPosition();
}

void CCreateLine::Route(const Position& pt)
{
    const Position a = segStart;
    const double theta = a.AngleTo(pt);
    Position b = pt;
    const int repaint = 1;

    if (RoutingMode == 1) {
        const ArcSector s = LookupSector(sectorsArc, theta);
        if (s.start < 0) {
            CLine* line = BandLine(pt);
            b = std::fabs(pt.y - a.y) < std::fabs(pt.x - a.x) ? Position(pt.x, a.y)
                                                              : Position(a.x, pt.y);
            line->SetEnd(b);
            line->SetAttachedEntity(new CLine(b, pt), &repaint);
        } else {
            CArc* arc = nullptr;
            if (m_pEntity && m_pEntity->GetType() == ET_ARC) {
                arc = static_cast<CArc*>(m_pEntity);
            } else {
                auto fresh = std::make_unique<CArc>();
                KeepLook(m_pEntity, fresh.get());
                arc = static_cast<CArc*>(HoldEntity(std::move(fresh)));
            }
            double r = 0.0;
            Position centre;
            if (theta < PI * 0.25 || theta > PI * 1.75) {
                r = std::fabs(pt.y - a.y);
                centre = Position(a.x + r, a.y);
                b = Position(a.x + r, pt.y);
            } else if (theta < PI * 0.75) {
                r = std::fabs(pt.x - a.x);
                centre = Position(a.x, a.y + r);
                b = Position(pt.x, a.y + r);
            } else if (theta < PI * 1.25) {
                r = std::fabs(pt.y - a.y);
                centre = Position(a.x - r, a.y);
                b = Position(a.x - r, pt.y);
            } else {
                r = std::fabs(pt.x - a.x);
                centre = Position(a.x, a.y - r);
                b = Position(pt.x, a.y - r);
            }
            arc->SetGeometry(centre, r, s.start, s.end);
            arc->SetAttachedEntity(new CLine(b, pt), &repaint);
        }
    } else {
        CLine* line = BandLine(pt);
        if (RoutingMode == 3) {
            line->SetAttachedEntity(nullptr, &repaint);
            line->SetEnd(pt);
        } else {
            const Sector s = LookupSector(RoutingMode == 2 ? sectors90 : sectors45, theta);
            const double d = s.direction;
            const double dx = std::fabs(pt.x - a.x);
            const double dy = std::fabs(pt.y - a.y);
            const double ne = Direction(1, 1);
            const double nw = Direction(-1, 1);
            const double sw = Direction(-1, -1);
            const double se = Direction(1, -1);
            if (d == 0.0 || d == PI)
                b = Position(pt.x, a.y);
            else if (d == PI * 0.5 || d == PI * 1.5)
                b = Position(a.x, pt.y);
            else if (d == ne)
                b = theta >= d ? Position(pt.x, a.y + dx) : Position(a.x + dy, pt.y);
            else if (d == nw)
                b = theta < d ? Position(pt.x, a.y + dx) : Position(a.x - dy, pt.y);
            else if (d == sw)
                b = theta < d ? Position(a.x - dy, pt.y) : Position(pt.x, a.y - dx);
            else if (d == se)
                b = theta >= d ? Position(a.x + dy, pt.y) : Position(pt.x, a.y - dx);
            line->SetEnd(b);
            line->SetAttachedEntity(new CLine(b, pt), &repaint);
        }
    }
    corner = b;
}

int CCreateLine::OnLButtonDown(UINT nFlags, const Position& pt)
{
    CCommand::OnLButtonDown(nFlags, pt);
    if (!m_pEntity || m_nStep < 2) {
        // The first click of a chain.
        vertices.clear();
        m_committed.clear();
        StartSegment(pt, pt);
        AddVertex(pt);
    } else if (std::unique_ptr<CEntity> segment = TakeSegment(pt)) {
        m_committed.push_back(Board().AddEntity(std::move(segment)));
    }
    RepaintEntity();
    return 0;
}

std::unique_ptr<CEntity> CCreateLine::TakeSegment(const Position& pt)
{
    // The click takes what the rubber band shows for this very point.
    Route(pt);
    const int type = m_pEntity->GetType();
    if (type != ET_LINE && type != ET_ARC)
        return nullptr;
    CLine* guide = GuideOf(m_pEntity);
    Position vertex = pt;
    if (guide)
        vertex = guide->GetStart();
    else if (type == ET_LINE)
        vertex = static_cast<CLine*>(m_pEntity)->GetEnd();
    AddVertex(vertex);
    Attach(m_pEntity, nullptr, 0);
    std::unique_ptr<CEntity> segment(m_pEntity->Clone());
    StartSegment(segStart, pt);
    return segment;
}

bool CCreateLine::DropLastVertex()
{
    if (vertices.size() < 2)
        return false;
    vertices.pop_back();
    segStart = vertices.back();
    StartSegment(segStart, segStart);
    OnMouseMove(0, RebuildPoint());
    return true;
}

int CCreateLine::OnMouseMove(UINT nFlags, const Position& pt)
{
    CCommand::OnMouseMove(nFlags, pt);
    if (m_pEntity && m_nStep >= 1 && !vertices.empty())
        Route(pt);
    RepaintEntity();
    return 0;
}

int CCreateLine::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK::Space) {
        ++spaceCount;
        RoutingMode = NextRoutingMode(RoutingMode);
        OnMouseMove(0, RebuildPoint());
        return 0;
    }
    if (nChar == VK::Back) {
        if (m_nStep > 1 && !m_committed.empty()) {
            CEntity* segment = m_committed.back();
            m_committed.pop_back();
            // Only the chain's own segment, and only while it is still on the board
            // (an undo may have taken it off already).
            const std::list<CEntity*>& all = Board().GetElements().GetEntities();
            if (std::find(all.begin(), all.end(), segment) != all.end() && segment->IsActive()) {
                Board().SelectionList.remove(segment);
                segment->Invalidate();
                Board().GetRedoUndo().AddAction(segment, UA_DELETE);
                Board().NotifyModified();
            }
        }
        DropLastVertex();
    }
    // Width and layer set in the property dialog win over an earlier choice in the list.
    if (nChar == VK::Tab)
        m_chosenLayer = -1;
    return CCommand::OnKeyDown(nChar, nRepCnt, nFlags);
}

int CCreateLine::OnRButtonDown(UINT, const Position&)
{
    Reset();
    vertices.clear();
    m_committed.clear();
    TakeDefaultTrack();
    return 0;
}

int CCreateLine::OnRButtonDblClk(UINT, const Position&)
{
    Reset();
    return EndCommand();
}

int CCreateLine::OnLButtonUp(UINT, const Position&)
{
    return 0;
}
