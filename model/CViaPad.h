// The via: a pad that also records the first and last copper layer it joins. Its
// diameter is its x size; its hole lies on the via-hole layer. Drawn as its copper
// shape with a ring around the hole whose halves show the colours of the two layers.
#pragma once

#include "CFreePad.h"
#include "UiServices.h"

class CViaPad : public CFreePad
{
    DECLARE_SERIAL(CViaPad)

  public:
    CViaPad();
    // A via placed at a point: the prototype's values, centred at `at`, numbered one on
    // from the prototype's name (which takes the new number too).
    explicit CViaPad(const Position& at);
    CViaPad(const CViaPad& other);
    CViaPad& operator=(const CViaPad&) = delete;

    int GetStartLayer() const { return m_startLayer; }
    int GetEndLayer() const { return m_endLayer; }
    void SetLayers(int start, int end);

    // The layer-pair choices of the via dialog, in its order; the last entry stands for
    // any other pair.
    static constexpr int kAnyPair = 9;
    // The pair index of (start, end): the first matching entry, else kAnyPair.
    static int LayerPairIndex(int start, int end);

    void Serialize(CArchive& ar) override;
    int GetRecordSize() override { return 32; }
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    void CollectLayers(std::map<int, int>& used) override;
    std::string GetTypeName() override { return "Via"; }
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void Rotate(const Position& c, const double& a) override;
    // Kind 8, 32 bytes.
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 32; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    ViaProperties GetProperties();
    void SetProperties(const ViaProperties& values);
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    void SetLayer(int layer) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_VIA; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;

  private:
    // A via about to be read: as a pad about to be read.
    explicit CViaPad(ToBeRead bare);
    // The via's own defaults.
    void ResetViaFields();

    // A via is hidden only when both of its layers are.
    bool BothLayersHidden(const HiddenLayers* hidden) const;

    int m_startLayer = LAYER_TOP;
    int m_endLayer = LAYER_BOTTOM;
};

// The via prototype: every via placed at a point copies it.
extern CViaPad thePrototypeViaPad;
