// The track tool: draws a chain of tracks. The first click fixes the start; every
// further click commits the segment the rubber band shows and starts the next one at
// the committed end. The routing mode shapes the rubber band into a 45-degree, arc,
// straight or 90-degree route from the last vertex to the pointer; Space cycles it.
// A right click ends the chain and keeps the tool for the next one.
#pragma once

#include "CCommand.h"
#include "CommandKinds.h"

#include <list>
#include <memory>
#include <vector>

class CLine;

// The routing mode of the track and polygon tools, kept for the whole run:
// 0 45-degree route, 1 arc corner, 2 90-degree route, 3 straight.
extern int RoutingMode;

class CCreateLine : public CCommand
{
  public:
    explicit CCreateLine(CCommand* owner);
    ~CCreateLine() override;

    int OnRButtonDblClk(UINT nFlags, const Position& pt) override;
    int OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    int GetCommandType() override { return CommandKind::Track; }
    int OnLButtonDown(UINT nFlags, const Position& pt) override;
    int OnMouseMove(UINT nFlags, const Position& pt) override;
    int OnRButtonDown(UINT nFlags, const Position& pt) override;
    int OnLButtonUp(UINT nFlags, const Position& pt) override;
    // The layer chosen in the list goes to the next segment the track tool starts; the
    // segment in progress keeps its layer. (The polygon tool's segments take the
    // polygon's layer, so it ignores the list.)
    void OnLayerChosen(int layer) override;
    // The chain's committed segments, which Backspace takes back.
    bool HoldsBoardObjects() const override { return !m_committed.empty(); }

    // The mode Space switches to from `mode`: 0 -> 1 -> 3 -> 2 -> 0.
    static int NextRoutingMode(int mode);

    // A direction sector: directions strictly between low and high.
    struct Sector {
        double direction = -1.0; // radians, -1 for none
        double low = 0.0;
        double high = 0.0;
    };
    struct ArcSector {
        double low = 0.0;
        double high = 0.0;
        double start = -1.0; // the corner arc's angles, -1 for none
        double end = -1.0;
    };

    int spaceCount = 0;
    // The bend point of the current route, and its start (the last committed vertex).
    Position corner;
    Position segStart;
    std::list<Sector> sectors90;
    std::list<Sector> sectors45;
    std::list<ArcSector> sectorsArc;
    // The chain's vertices in click order.
    std::list<Position> vertices;

  protected:
    // The sector of `table` whose open interval holds `angle`; direction -1 when none.
    static Sector LookupSector(const std::list<Sector>& table, double angle);
    static ArcSector LookupSector(const std::list<ArcSector>& table, double angle);
    void AddVertex(const Position& p);
    // Shapes the rubber band from segStart to pt in the current routing mode.
    void Route(const Position& pt);
    // A new track from a to b in hand, with the width and layer of the object in hand.
    CLine* NewBandLine(const Position& a, const Position& b);
    // The rubber band as a track from segStart (a new one unless it is one already).
    CLine* BandLine(const Position& pt);
    // A new segment from a to b in hand: NewBandLine, on the layer chosen in the list
    // since the last segment started, if one was.
    CLine* StartSegment(const Position& a, const Position& b);
    // The object in hand becomes a fresh default track (the prototype's attributes).
    void TakeDefaultTrack();
    // A later click of a chain: the rubber band is routed to pt, the vertex where its
    // route bends is added, and a copy of the route's first leg (a track or an arc) is
    // returned; the next rubber band starts at that vertex. Null, with nothing changed
    // but the route, when the object in hand is neither a track nor an arc.
    std::unique_ptr<CEntity> TakeSegment(const Position& pt);
    // The last vertex is dropped and the rubber band starts again at the one before;
    // false when the chain has no more than its first vertex.
    bool DropLastVertex();
    // Where the rubber band is rebuilt after a key: the pointer, snapped as the
    // dispatcher snaps it.
    Position RebuildPoint() const;

  private:
    void BuildSectorTables();

    // The layer chosen in the list for the next segment; -1 for none.
    int m_chosenLayer = -1;
    // The segments this chain committed, oldest first (board-owned).
    std::vector<CEntity*> m_committed;
};
