// A component (footprint) on the board: a group of primitive board objects (tracks,
// arcs, pads, vias, area fills and texts), its children, with two texts of its own, the
// designator (the component's name) and the comment, and the name of the pattern under
// which it is kept in a component library. The component's reference point is the point
// it is placed by, its rotation the angle the group has been turned by, and its layer
// the side of the board it sits on (top layer 0 or bottom layer 15).
//
// Every child and both texts are flagged as component parts: they export in their
// component form and do not hand their transformations on to their class prototypes.
#pragma once

#include "CEntity.h"
#include "CTxtTag.h"
#include "UiServices.h"

#include <cstddef>
#include <list>
#include <map>
#include <span>
#include <string>
#include <vector>

class CComponent : public CEntity
{
    DECLARE_SERIAL(CComponent)

  public:
    // What reading a component's body from a library image came to.
    enum class LibraryReadResult {
        // No image, or an end offset below 1: nothing was read or changed.
        Nothing,
        // The body was read up to its record count, to the end of the body (record count
        // 0), or to a record kind without a size (4, 7 and unknown kinds end a body).
        Read,
        // A record did not lie wholly inside the body and the image, a text record gave
        // a negative length, a record was refused by its reader, or the body ended before
        // the record count was reached. The records before the fault are kept as
        // children; nothing after it is read.
        Damaged,
    };

    // Empty, locked, on the top layer, the comment hidden.
    CComponent();
    // The same, under the given pattern name.
    explicit CComponent(std::string pattern);
    // A deep copy: copies of every child and of both texts.
    CComponent(const CComponent& other);
    CComponent& operator=(const CComponent&) = delete;
    ~CComponent() override;

    // Appends copies of e as children (a component contributes copies of its live
    // children, and with withTexts its comment and then its designator; a polygon pour
    // copies of its live fill elements). e is never taken over. 0 for a null e, else 1.
    int AddEntity(CEntity* e, int withTexts);
    // AddEntity of each element in order; 0 for a null array, else 1.
    int AddCopies(CEntity* const* items, int count, int withTexts);
    int AddCopiesFromList(const std::list<CEntity*>& items, int withTexts);

    // Builds children from the library records of this component's body. The body starts
    // at the body offset and ends at endOffset or at the end of the image, whichever comes
    // first; at most the record count of records are read (all records of the body when
    // the count is 0). Each record is checked to lie wholly inside the body before it is
    // read. Unless nothing was read, the reference point becomes (0, 0). On Damaged,
    // `error` (when given) receives a description of the fault.
    LibraryReadResult ReadLibraryRecords(std::span<const BYTE> image, int endOffset,
                                         std::string* error = nullptr);
    void SetLibraryOffset(const int& offset) { m_bodyOffset = offset; }
    int GetLibraryOffset() const { return m_bodyOffset; }
    void SetRecordCount(const int& count) { m_recordCount = count; }
    // Byte size of a library record kind; -1 for a kind without a size. Text records
    // (kind 6) have the size of their head here; their real size follows their length.
    static int LookupMap(int kind);

    void SetPattern(const std::string& pattern);
    std::string GetPattern() const { return m_pattern; }
    bool IsPatternEmpty() const { return m_pattern.empty(); }
    int IsLocked() const { return m_locked; }
    void SetLocked(int locked) { m_locked = locked; }

    // Places the designator at pt and recomputes the component's box.
    void SetDesignatorPosition(const Position& pt);
    CTxtTag& GetDesignator() { return m_designator; }
    CTxtTag& GetComment() { return m_comment; }
    const std::vector<CEntity*>& GetChildren() const { return m_children; }
    // The part under the cursor: a child (only when unlocked), else the designator, else
    // the comment; null when none.
    CEntity* HitTestPart(const Position& pt, const double* tolerance, const HiddenLayers* hidden);
    // Deletes the children, the last first.
    void DeleteChildren();

    void Serialize(CArchive& ar) override;
    int GetRecordCount() override;
    int GetRecordSize() override;
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    void CollectLayers(std::map<int, int>& used) override;
    int GetExtent(BOX2D* out, const HiddenLayers* hidden) override;
    std::string GetNameString() override;
    std::string GetTypeName() override { return "Component"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void SetAngle(const double& radians) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    ComponentProperties GetProperties();
    void SetProperties(const ComponentProperties& values);
    Rect GetScreenRect() override;
    // The union of the boxes of the children and the shown texts; the cached box always
    // holds the union of every part, while `out` leaves out parts on hidden layers (0
    // when every part is on a hidden layer).
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    void SetLayer(int layer) override;
    // Moves the reference point, both texts and the box to p; the children stay.
    int SetPosition(const Position& p, int flag) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    const char* GetName() override;
    void SetName(std::string name) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_COMPONENT; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;

    // Sets the comment's text.
    virtual void SetCommentText(std::string text);

  private:
    void AppendChild(CEntity* child);
    // A copy of a part, flagged as a component part.
    static CEntity* CopyPart(CEntity* part);
    // True when there is no hidden-layer map or some child's layer is not hidden.
    bool HasShownChild(const HiddenLayers* hidden) const;
    template <class F> void ForEachPart(F f);

    CTxtTag m_designator;
    CTxtTag m_comment;
    std::string m_pattern;
    std::vector<CEntity*> m_children; // owned
    int m_bodyOffset = 0;
    int m_recordCount = 0;
    int m_locked = 1;
};
