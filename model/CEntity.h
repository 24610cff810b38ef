// The base class of every board object: the shared attributes, the 49 virtual
// operations through which the board, the undo store, the tools, the view and the
// file writers treat every object alike, the shared drawing set-up and the per-object
// history of property changes.
#pragma once

#include "BoxListener.h"
#include "Geometry.h"
#include "LayerId.h"
#include "LibraryRecord.h"
#include "platform/CObject.h"
#include "platform/DrawContext.h"
#include "platform/Relaxed.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CLine;
class CPolygon;

// Hidden layer keys (value unused): objects on these layers are neither drawn, hit nor boxed.
using HiddenLayers = std::map<int, int>;
// Groups of new outline tracks made while clearing a polygon pour's hatch; the tracks
// belong to whoever holds the list.
using TrackGroups = std::vector<std::vector<CLine*>>;

// Type codes returned by GetType.
enum EntityType {
    ET_ROUND = 0,
    ET_RECTANGLE = 1,
    ET_LINE = 2,
    ET_FREEPAD = 3,
    ET_CIRCLE = 4,
    ET_ARC = 5,
    ET_TEXT = 8,
    ET_VIA = 11,
    ET_FILLAREA = 14,
    ET_COMPONENT = 15,
    ET_POLYGON = 16,
};

// Drawing modes.
enum DrawMode {
    DM_NORMAL = 0, // solid pen and brush in the object's colour
    DM_DASHED = 2, // dashed pen
    DM_ERASE = 5,  // pen in the background colour
    DM_NONE = 7,   // pen, brush and context left as they are
    DM_OUTLINE = 9 // solid pen, hollow brush
};

class CEntity : public CObject
{
    DECLARE_SERIAL(CEntity)

  public:
    CEntity();
    // Copies the common attributes (not the state lists, the selection or the live flag).
    CEntity(const CEntity& other);
    // slot 1
    ~CEntity() override;

    // slot 2: the common part of the document record.
    void Serialize(CArchive& ar) override;
    // slots 3, 4 come from CObject.

    // slot 5: cut this object's area, with clearance, out of a polygon pour's hatch.
    virtual void ClipHatch(CPolygon* pour, TrackGroups* groups = nullptr);
    // slot 6
    virtual int GetRecordCount();
    // slot 7: bytes of this object's component-library record(s); 0: none.
    virtual int GetRecordSize();
    // slot 8: writes the record at buf + *offset and advances *offset.
    virtual int WriteLibraryRecord(BYTE* buf, int* offset);
    // slot 9: a copy offset towards `side` by `distance`, owned by the caller; null: none.
    virtual CEntity* CreateOffset(const Position& side, const double* distance);
    // slot 10
    virtual void CollectLayers(std::map<int, int>& used);
    // slot 11
    virtual int GetExtent(BOX2D* out, const HiddenLayers* hidden);
    // slot 12
    virtual std::string GetNameString();
    // slot 13
    virtual std::string GetTypeName();
    // slot 14
    virtual Position GetSnapPoint(const Position& cursor);
    // slot 15: counts itself, then sets `out` to its Protel ASCII record.
    virtual void ExportText(std::string& out, std::map<int, int>& counts);
    // slot 16: the selection highlight.
    virtual void DrawSelected(DrawContext* dc, int mode, Rect clip);
    // slot 17
    virtual void SetAngle(const double& radians);
    // slot 18: mirror across the horizontal line through p.
    virtual void MirrorY(const Position& p);
    // slot 19: mirror across the vertical line through p.
    virtual void MirrorX(const Position& p);
    // slot 20
    virtual void Rotate(const Position& c, const double& a);
    // slot 21: reads a component-library record of `size` bytes.
    virtual int ReadFromLibraryRecord(const BYTE* rec, int size);
    // slot 22: -1 when the class has no fixed-size record.
    virtual int GetFixedRecordSize();
    // slot 23
    virtual void SetLineWidth(const double* width);
    // slot 24: the property dialog; 1 when the user confirmed it.
    virtual int EditProperties(UINT nFlags, const Position& at);
    // slot 25: whether the object's screen rectangle meets `r` (scrolled-view pixels).
    virtual BOOL HitTest(Rect r);
    // slot 26: client pixels.
    virtual Rect GetScreenRect();
    // slot 27: the bounding box, also kept as the cached box; 0 when there is none
    // (null out, or the object's layer is hidden).
    virtual int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr);
    // slot 28
    virtual void SetLayer(int layer);
    // slot 29
    virtual void SetHoleSize(const double& size);
    // slot 30
    virtual Position GetPosition();
    // slot 31
    virtual double GetHoleSize();
    // slot 32
    virtual int SetPosition(const Position& p, int flag);
    // slot 33: moves by (to - from).
    virtual int Move(const Position& to, const Position& from, int* flag);
    // slot 34
    virtual void SetSizeY(double size);
    // slot 35
    virtual void SetSizeX(double size);
    // slot 36
    virtual const char* GetName();
    // slot 37
    virtual void SetName(std::string name);
    // slot 38: which stretch handle is under the cursor; -1: none.
    virtual int HitHandle(const Position& cursor, int* cursorKind);
    // slot 39
    virtual BOOL HitTestPoint(const Position& p, const double* tolerance,
                              const HiddenLayers* hidden);
    // slot 40
    virtual CEntity& operator=(const CEntity& other);
    // slot 41: the attributes a prototype hands on (and that property undo restores).
    virtual CEntity& CopyFrom(const CEntity& other);
    // slot 42
    virtual int GetType();
    // slot 43: null for the base.
    virtual CEntity* Clone();
    // slot 44: the common defaults; makes the object live.
    virtual void Reset();
    // slot 45: for a live object in mode 0, the selection highlight.
    virtual void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden);
    // slot 46: moves by (to - from), the reference point and the cached box.
    virtual void MoveBy(const Position& from, const Position& to);
    // slot 47
    virtual void DragHandle(int* handle, const Position& cursor);
    // slot 48: which end point is under the cursor; -1: none.
    virtual int HitEndPoint(const Position& cursor);

    // Non-virtual operations.
    int GetLayer() const { return m_layer; }
    double GetLineWidth() const { return m_lineWidth; }
    double GetSizeX() const { return m_sizeX; }
    double GetSizeY() const { return m_sizeY; }
    double GetRotation() const { return m_rotation; }
    COLORREF GetColor() const { return m_color; }
    void SetColor(COLORREF color) { m_color = color; }
    int GetPenStyle() const { return m_penStyle; }
    void SetPenStyle(int style) { m_penStyle = style; }
    int GetExportVariant() const { return m_exportVariant; }
    void SetExportVariant(int v) { m_exportVariant = v; }
    int IsComponentPart() const { return m_inComponent; }
    void SetComponentPart(const int& flag) { m_inComponent = flag; }
    const BOX2D& GetCachedBox() const { return m_cachedBox; }
    BOOL IsActive() const { return m_live; }
    void Deactivate() { m_live = 0; }
    void Activate();
    std::uint64_t GetActivationTime() const { return m_activatedAt; }
    BOOL IsSelected() const { return m_selected; }
    void ToggleSelect();
    void Invalidate();
    BOOL IntersectsBox(const BOX2D& box);
    // Whether the object's screen rectangle meets `clip` (client pixels); an empty clip
    // means the whole view. For the parts of a component or a pour, so that a thin
    // strip draws only the parts in it.
    bool MeetsClip(const Rect& clip);
    // The rectangle MeetsClip tests: the screen rectangle, or one holding it that a kind
    // works out more cheaply (a part is then drawn for nothing now and then, never left
    // out).
    virtual Rect ClipReach() { return GetScreenRect(); }
    // Fills `pen` and `brush` (when given) for the drawing mode; mode 7 touches nothing.
    void PreparePenAndBrush(DrawContext* dc, int mode, PenSpec* pen, BrushSpec* brush);
    std::string GetLayerName() const;
    static std::string LayerName(int layer);
    std::string GetDescription();
    void PushUndoState(CEntity* before);
    void UndoState();
    void RedoState();
    // Goes back to the last state stored by PushUndoState and forgets it, as if the
    // change since had never been made (no later state is kept).
    void DropToEarlierState();
    // Moves every stored earlier and later state by (to - from), so that undo after the
    // board's origin moved puts the object back where it belongs.
    void MoveStates(const Position& from, const Position& to);
    std::size_t EarlierStateCount() const { return m_states ? m_states->earlier.size() : 0; }
    std::size_t LaterStateCount() const { return m_states ? m_states->later.size() : 0; }
    // The resize cursor for a direction (radians): 22.5-degree sectors around the
    // horizontal, the two diagonals and the vertical.
    static CursorShape ResizeCursorCode(double angle);
    // How many times Reset has run, program-wide.
    static long ResetCount();
    // Whether the calling thread draws objects that other threads draw at the same time
    // (a band of the view): what GetBox works out is then not stored in the object, so
    // that drawing only reads objects. Set by whoever starts such threads.
    static void SetDrawingShared(bool shared);
    // The listener told of every change of this object's box or selection; null for an
    // object outside the board's container. Not copied with the object.
    void SetBoxListener(BoxListener* listener) { m_boxListener = listener; }
    BoxListener* GetBoxListener() const { return m_boxListener; }
    // Every operation that may change the box calls this (first, or at any point).
    void NotifyBoxChanged()
    {
        if (m_boxListener)
            m_boxListener->BoxChanged(this);
    }
    // Whether a board object may be on `layer` (the layers a document can hold).
    static bool IsObjectLayer(int layer) { return layer >= 0 && layer <= LAYER_HIGHLIGHT; }

  protected:
    // True when a hidden-layer map is given and holds this object's layer.
    bool IsLayerHidden(const HiddenLayers* hidden) const;
    // Pen and brush for the mode, selected into dc; the previous state is saved. Returns
    // false in mode 7, where nothing was changed and nothing is to be restored.
    bool SelectPenAndBrush(DrawContext* dc, int mode, int penWidth);
    void ClearStates();
    // Stores the box GetBox worked out, unless this thread draws shared objects (false:
    // not stored, and nothing else of the object is to be stored either).
    bool KeepBox(const BOX2D& box);

    // The fields of four bytes come in pairs, so that an object of which the board holds
    // many carries no padding.
    BOX2D m_cachedBox;
    int m_inComponent = 0;
    int m_exportVariant = 0;
    int m_type = -1;
    // Set by drawing, which may run on several threads at once.
    Relaxed<COLORREF> m_color = 0;
    int m_penStyle = 0; // 0 solid, 1 dashed, 5 none
    int m_layer = 0;
    double m_lineWidth = 0.0;
    std::string m_name;
    double m_sizeX = 0.0;
    double m_sizeY = 0.0;
    Position m_position;
    double m_rotation = 0.0;
    int m_live = 1;
    int m_selected = 0;
    std::uint64_t m_activatedAt = 0;

  private:
    // Copies of the object as it was before changes that can be undone, and as it was
    // before they were undone; made with the first copy kept, since most objects never
    // have one.
    struct States {
        std::vector<CEntity*> earlier;
        std::vector<CEntity*> later;
    };
    std::unique_ptr<States> m_states;
    States& KeptStates();
    BoxListener* m_boxListener = nullptr;

    void CopyCommon(const CEntity& other);
};

// The one-step wrap into [0, 2 pi] applied in place; returns the new value.
double NormalizeAngle(double* a);
