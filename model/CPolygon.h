// A polygon pour: a closed outline of tracks and arcs filled with a hatch of tracks.
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <vector>

class CPolygon : public CEntity
{
    DECLARE_SERIAL(CPolygon)

  public:
    // Hatch styles.
    enum HatchStyle {
        HATCH_NONE = 0,
        HATCH_90 = 1,         // horizontal and vertical tracks
        HATCH_45 = 2,         // tracks at 45 and 135 degrees
        HATCH_HORIZONTAL = 3, // first family only
        HATCH_VERTICAL = 4,   // second family only
    };
    // However fine the grid, a family of hatch tracks has at most this many scan lines;
    // below that the spacing widens instead.
    static constexpr int kMaxHatchLines = 20000;

    // A new polygon: the prototype's attributes and no elements.
    CPolygon();
    // A full copy: attributes, hatch settings and copies of every element.
    CPolygon(const CPolygon& other);
    CPolygon& operator=(const CPolygon&) = delete;
    ~CPolygon() override;

    // Takes ownership of `seg` (a track or an arc), gives it the pour's width and layer
    // and appends it to the outline; the first segment's start is the reference point.
    void AddOutlineSegment(CEntity* seg);
    void RemoveLastOutlineSegment();
    // Takes ownership of `track`, gives it the pour's width and layer and appends it to
    // the fill list.
    CEntity* AddFillTrack(CEntity* track);
    // Replaces the fill list by copies of the outline and the hatch tracks.
    void RebuildFill();

    // The fill list: copies of the outline segments, then the hatch tracks. Other
    // objects cut their area out of it through their ClipHatch operation.
    std::vector<CEntity*>& GetHatchList() { return m_fill; }
    const std::vector<CEntity*>& GetOutline() const { return m_outline; }
    double GetHatchParam() const { return m_hatchGrid; }
    void SetHatchParam(double grid)
    {
        NotifyBoxChanged();
        m_hatchGrid = grid;
    }
    int GetHatchStyle() const { return m_hatchStyle; }
    void SetHatchStyle(int style)
    {
        NotifyBoxChanged();
        m_hatchStyle = style;
    }

    void Serialize(CArchive& ar) override;
    int GetRecordCount() override;
    int GetRecordSize() override;
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    std::string GetTypeName() override { return "Polygon"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    void SetLineWidth(const double* width) override;
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    PolygonProperties GetProperties();
    void SetProperties(const PolygonProperties& values);
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    void SetLayer(int layer) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_POLYGON; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;

    // Builds the prototype itself (it copies no prototype).
    struct PrototypeTag {
    };
    explicit CPolygon(PrototypeTag);

  protected:
    // The extent of the outline that the hatch covers.
    BOX2D HatchBox() const;
    // The vertex of each outline segment for the text export.
    std::vector<Position> ExportVertices() const;

    std::vector<CEntity*> m_fill;    // owned
    std::vector<CEntity*> m_outline; // owned
    int m_hatchStyle = HATCH_90;
    double m_hatchGrid = 12.0;
};

// The polygon prototype: every new polygon takes its attributes.
extern CPolygon thePrototypePolygon;
