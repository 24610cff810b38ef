// The display colour and shown flag of every colour key: the board layers 0..33, pad
// holes 34, via holes 35, grid 1 36, grid 2 37, background 38 and selection 39. The
// table persists in "layer.dat" (layout in docs/file-formats.md).
#pragma once

#include "model/LayerId.h"
#include "model/UiServices.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

// One colour-table record as stored: 12 bytes, little-endian.
struct tagCOLORTAB {
    std::int32_t key = 0;
    std::uint32_t color = 0;
    std::int32_t shown = 1;
};

class LayerTable
{
  public:
    static constexpr int kKeyCount = 40;
    static constexpr int kBackgroundKey = LAYER_BACKGROUND;
    static constexpr int kSelectionKey = LAYER_HIGHLIGHT;
    // The colour of a key that is not in the table: red, as the layer dialog shows a
    // row it has no entry for.
    static constexpr COLORREF kMissingColor = MakeRGB(255, 0, 0);
    // "layer.dat": the archive starts with these two u32 values.
    static constexpr std::uint32_t kFileMagic = 0x59414C56u; // "VLAY"
    static constexpr std::uint32_t kFileVersion = 1;
    // A file announcing more records than this is refused.
    static constexpr std::size_t kMaxRecords = 1024;

    LayerTable() { SetDefaults(); }

    // The 40 keys, all shown, in their standard colours.
    void SetDefaults();
    static COLORREF DefaultColor(int key);

    COLORREF GetColor(int key) const;
    // Every key whose shown flag is 0, each with value 1.
    std::map<int, int> HiddenKeys() const;

    // Reads "layer.dat". On success the table holds the defaults overlaid with the
    // file's records for keys 0..39 (other keys are skipped). On failure the table is
    // set to the defaults and false returned; `error` is left empty when the file does
    // not exist and otherwise says what is wrong.
    bool Read(const std::string& path, std::string* error);
    // The same from the file's bytes; `error` says what is wrong, without a file name.
    bool ReadBytes(std::span<const std::uint8_t> bytes, std::string* error);
    // The bytes Write stores.
    std::vector<std::uint8_t> ToBytes() const;
    // Writes the table through a temporary file renamed over `path`; on failure the
    // old file stays as it was and `error` says why.
    bool Write(const std::string& path, std::string* error) const;

    std::map<int, LayerEntry> entries;
};
