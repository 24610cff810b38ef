// The pad: four parts that carry out nearly everything the pad does. Parts 0, 1 and 2
// are the copper shape (three identical CRound or CRectAngle objects on the pad's
// layer), part 3 is the drill hole (a CRound whose x size is the hole diameter, on the
// pad-hole layer). On top of its parts the pad draws its number, and new pads take the
// last edited values through the prototype.
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <vector>

class CFreePad : public CEntity
{
    DECLARE_SERIAL(CFreePad)

  public:
    // Indices into the part array.
    enum PadPart { COPPER_FIRST = 0, COPPER_MIDDLE = 1, COPPER_TOP = 2, HOLE = 3, PART_COUNT = 4 };

    // The pad defaults: four parts, round, 60 x 60 mils with a 30-mil hole, no name.
    CFreePad();
    // A pad placed at a point: the prototype's values, centred at `at`, numbered one on
    // from the prototype's name (which takes the new number too).
    explicit CFreePad(const Position& at);
    CFreePad(const CFreePad& other);
    // Would share the parts; copy with Clone or CopyFrom instead.
    CFreePad& operator=(const CFreePad&) = delete;
    ~CFreePad() override;

    // Sets both radii of a circular first copper part; other shapes are left alone.
    virtual void SetShapeRadius(const double* r);

    // The type code of the first copper part: ET_ROUND or ET_RECTANGLE.
    int GetShapeType();
    // Rebuilds the copper parts as ET_ROUND or ET_RECTANGLE, keeping position, sizes,
    // rotation and layer; another value changes nothing.
    void SetShape(int type);
    // Deletes every part, the last first.
    void RemoveParts();
    int GetPartCount() const { return int(m_parts.size()); }
    CEntity* GetPart(int index) const;

    void Serialize(CArchive& ar) override;
    int GetRecordSize() override { return 96; }
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    void CollectLayers(std::map<int, int>& used) override;
    int GetExtent(BOX2D* out, const HiddenLayers* hidden) override;
    std::string GetTypeName() override { return "Pad"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void SetAngle(const double& radians) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    // Kind 9 (96 bytes) and the older kind 3 (64 bytes).
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 96; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    PadProperties GetProperties();
    void SetProperties(const PadProperties& values);
    BOOL HitTest(Rect r) override;
    Rect GetScreenRect() override;
    // From the parts' centres and sizes, without turning their boxes.
    Rect ClipReach() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    void SetLayer(int layer) override;
    void SetHoleSize(const double& size) override;
    double GetHoleSize() override;
    int SetPosition(const Position& p, int flag) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    void SetSizeY(double size) override;
    void SetSizeX(double size) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_FREEPAD; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;
    int HitEndPoint(const Position& cursor) override;

  protected:
    // A pad about to be read from a document: the defaults without the parts, which the
    // reading brings (objects are read by the hundred thousand).
    struct ToBeRead {
    };
    explicit CFreePad(ToBeRead);
    // The defaults of Reset but the parts, of which there are none afterwards.
    void ResetWithoutParts();
    // Sets the reference point and centres every part there, without the stored box.
    void PlaceParts(const Position& p);
    // Whether turning or mirroring this object should also turn the prototype: not for
    // the prototype itself, and not for the parts of a component, whose turns belong to
    // the component.
    bool PropagatesTo(const CEntity& prototype, int type);

    std::vector<CEntity*> m_parts;
};

// The pad prototype: every pad placed at a point copies it.
extern CFreePad thePrototypeFreePad;
