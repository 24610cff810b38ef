// The board's text string: a line of characters drawn with the stroke font on one
// layer. The characters are laid out as strokes that the text owns: straight segments
// drawn and boxed like tracks on the text's layer, as wide as the text's stroke width.
// Drawing, boxes and transformations work on those strokes.
//
// Attributes: the name holds the characters, size X is the stroke width, size Y the
// character height, the reference point the start of the baseline and the rotation its
// direction. The line width is kept and copied but not used for drawing.
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <string>
#include <vector>

class CStrokeFont;

// One stroke of a laid-out text: the segment from (x1, y1) to (x2, y2); its layer and
// width are the text's. Bare numbers rather than two Positions (which carry a table
// pointer each): a large board holds a million strokes.
struct GlyphStroke {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;

    Position Start() const { return Position(x1, y1); }
    Position End() const { return Position(x2, y2); }
};

class CTxtTag : public CEntity
{
    DECLARE_SERIAL(CTxtTag)

  public:
    // Empty text with the defaults (no prototype involved; the archive's factory and
    // the prototype itself use it).
    CTxtTag();
    // A new text at p: the prototype's attributes and characters, laid out.
    explicit CTxtTag(const Position& p);
    // The prototype's common attributes, style, hidden and mirror flags, not laid out.
    struct FromPrototype {
    };
    explicit CTxtTag(FromPrototype);
    // Copies the attributes, the flags, the text and every glyph stroke.
    CTxtTag(const CTxtTag& other);
    CTxtTag& operator=(const CTxtTag& other);
    ~CTxtTag() override;

    // Non-virtual operations.
    void SetHidden(const int& hidden)
    {
        NotifyBoxChanged();
        m_hidden = hidden;
    }
    int IsHidden() const { return m_hidden; }
    void SetMirror(const int& mirror)
    {
        NotifyBoxChanged();
        m_mirror = mirror;
    }
    int GetMirror() const { return m_mirror; }
    double GetAngle() const { return m_rotation; }
    void SetStyle(int style)
    {
        NotifyBoxChanged();
        m_style = style;
    }
    int GetStyle() const { return m_style; }
    // Lays the text out again with the stroke font; true when any stroke was made.
    bool BuildGlyphLines();
    // Drops every glyph stroke.
    void ClearGlyphLines();
    const std::vector<GlyphStroke>& GetGlyphStrokes() const { return m_glyphStrokes; }
    // Width and average character height of the last layout, in mils.
    int GetTextWidth() const { return m_textWidth; }
    int GetCharHeight() const { return m_charHeight; }
    // The font texts are laid out with: the board's, or the shared default when the
    // board services have none.
    static const CStrokeFont& Font();

    // Document record body: the common part, the class record, the hidden, mirror and
    // style numbers written twice. Works on an embedded text too (body only).
    void Serialize(CArchive& ar) override;
    void ClipHatch(CPolygon* pour, TrackGroups* groups = nullptr) override;
    int GetRecordSize() override;
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    std::string GetTypeName() override { return "Text"; }
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void DrawSelected(DrawContext* dc, int mode, Rect clip) override;
    void SetAngle(const double& radians) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 32; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    TextProperties GetProperties();
    void SetProperties(const TextProperties& values);
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    int GetExtent(BOX2D* out, const HiddenLayers* hidden) override;
    void SetLayer(int layer) override;
    int SetPosition(const Position& p, int flag) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    void SetName(std::string name) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& operator=(const CEntity& other) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_TEXT; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void MoveBy(const Position& from, const Position& to) override;

    // The record size for a text of `length` characters: 32 bytes per started block of
    // 32 characters, plus the 32-byte head.
    static int RecordSizeFor(int length);

    // The longest text a document may hold.
    static constexpr std::size_t kMaxLoadedLength = 4096;

  private:
    // Moves every stroke by `shift`.
    void ShiftStrokes(const Position& shift);
    // The strokes changed: their box is to be worked out again.
    void StrokesChanged() { m_strokesBoxWidth = kNoStrokesBox; }
    bool IsPrototype() const;

    static constexpr double kNoStrokesBox = -1.0;

    int m_mirror = 0;
    int m_hidden = 0;
    int m_style = 1;
    std::vector<GlyphStroke> m_glyphStrokes;
    int m_textWidth = 0;
    int m_charHeight = 0;
    // The union of the strokes' bodies as last worked out, and the stroke width it was
    // worked out for (kNoStrokesBox: not since the strokes last changed). A text's box
    // is asked for far more often than its strokes change.
    BOX2D m_strokesBox;
    double m_strokesBoxWidth = kNoStrokesBox;
};

// The text prototype: new texts copy it, a confirmed text dialog writes into it, and
// rotating or mirroring any other text turns it the same way.
extern CTxtTag thePrototypeTxtTag;
