// The track: a straight segment of a given width on one layer. Also used all over the
// program as a temporary geometric segment (edges, guides, measurements).
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <vector>

class CLine : public CEntity
{
    DECLARE_SERIAL(CLine)

  public:
    CLine();
    // A bare segment for temporary geometry.
    CLine(const Position& a, const Position& b);
    // A new track: the prototype's attributes, the two points, then the layer.
    CLine(const Position& a, const Position& b, const int* layer);
    CLine(const CLine& other);
    // Would share the owned guide object; copy with Clone or CopyFrom instead.
    CLine& operator=(const CLine&) = delete;
    ~CLine() override;

    Position GetStart() const { return m_start; }
    Position GetEnd() const { return m_end; }
    void SetStart(const Position& p);
    void SetEnd(const Position& p);
    double GetAngle() const;
    double GetSlope() const;
    double GetLength() const;
    Position GetMidPoint() const;
    Position FootPoint(const Position& p) const;
    void Reverse();
    // 1 and the crossing appended when the two segments cross in a single point.
    int IntersectSegment(const CLine& other, std::vector<Position>& out) const;
    // The same for the infinite lines through the two tracks.
    int IntersectLine(const CLine& other, std::vector<Position>& out) const;
    // Replaces (and deletes) the attached guide object; repaints around it when *repaint.
    void SetAttachedEntity(CEntity* entity, const int* repaint);
    CEntity* GetAttachedEntity() const { return m_attached; }
    void DrawThin(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden);

    void Serialize(CArchive& ar) override;
    void ClipHatch(CPolygon* pour, TrackGroups* groups = nullptr) override;
    int GetRecordSize() override { return 32; }
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    CEntity* CreateOffset(const Position& side, const double* distance) override;
    std::string GetTypeName() override { return "Track"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 32; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    TrackProperties GetProperties();
    void SetProperties(const TrackProperties& values);
    Rect GetScreenRect() override;
    // From the ends and the width, without turning the track's box.
    Rect ClipReach() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    Position GetPosition() override { return GetMidPoint(); }
    int Move(const Position& to, const Position& from, int* flag) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_LINE; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;
    void DragHandle(int*, const Position&) override {}
    int HitEndPoint(const Position& cursor) override;

  private:
    CEntity* m_attached = nullptr;
    Position m_start;
    Position m_end;
};

// The track prototype: every new track copies its attributes.
extern CLine theDefaultLine;
