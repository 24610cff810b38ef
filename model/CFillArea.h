// The area fill: a solid copper rectangle between two opposite corners on one layer.
// Switched into frame mode the same class draws the dashed rectangle of area selection.
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <vector>

class CFillArea : public CEntity
{
    DECLARE_SERIAL(CFillArea)

  public:
    // A new fill: the defaults, then the prototype's attributes (layer, width, style
    // and colour); its corners and reference point stay at (0, 0).
    CFillArea();
    // The common attributes and both corners; the selection-frame flag is not copied.
    CFillArea(const CFillArea& other);
    CFillArea& operator=(const CFillArea&) = delete;

    // Corner 1 and the reference point; the sizes keep describing the old rectangle.
    void SetCorner1(const Position& p);
    // Corner 2; the sizes are recomputed.
    void SetCorner2(const Position& p);
    Position GetCorner1() const { return m_corner1; }
    Position GetCorner2() const { return m_corner2; }
    // Draws as the area selection's dashed red frame from now on.
    void SetSelectionFrame() { m_selectionFrame = 1; }
    bool IsSelectionFrame() const { return m_selectionFrame != 0; }

    void Serialize(CArchive& ar) override;
    // Cuts the pour's hatch tracks around this rectangle grown by 25 mils on every side.
    void ClipHatch(CPolygon* pour, TrackGroups* groups = nullptr) override;
    int GetRecordSize() override { return 32; }
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    std::string GetTypeName() override { return "Area Fill"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 32; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    FillProperties GetProperties();
    void SetProperties(const FillProperties& values);
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_FILLAREA; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;

    // Builds the prototype itself (it copies no prototype).
    struct PrototypeTag {
    };
    explicit CFillArea(PrototypeTag);

  private:
    void RecomputeSizes();
    // The box of the two corners, smaller values first.
    BOX2D OrderedBox() const;

    int m_selectionFrame = 0;
    Position m_corner1;
    Position m_corner2;
};

// The area fill prototype: every new fill takes its attributes.
extern CFillArea thePrototypeFillArea;
