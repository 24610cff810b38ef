#include "LayerTable.h"

#include "AtomicFile.h"
#include "platform/CArchive.h"

#include <array>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace
{

// The standard colour of every key, as the layer dialog's "Reset All" sets them.
constexpr std::array<COLORREF, LayerTable::kKeyCount> kDefaultColors = {
    MakeRGB(255, 0, 0),     // 0 Top Layer
    MakeRGB(128, 0, 0),     // 1 MidLayer 1
    MakeRGB(0, 128, 0),     // 2 MidLayer 2
    MakeRGB(0, 255, 0),     // 3 MidLayer 3
    MakeRGB(0, 0, 128),     // 4 MidLayer 4
    MakeRGB(0, 255, 255),   // 5 MidLayer 5
    MakeRGB(128, 0, 128),   // 6 MidLayer 6
    MakeRGB(255, 0, 255),   // 7 MidLayer 7
    MakeRGB(128, 128, 0),   // 8 MidLayer 8
    MakeRGB(255, 255, 0),   // 9 MidLayer 9
    MakeRGB(128, 128, 128), // 10 MidLayer 10
    MakeRGB(255, 255, 255), // 11 MidLayer 11
    MakeRGB(128, 0, 128),   // 12 MidLayer 12
    MakeRGB(0, 128, 128),   // 13 MidLayer 13
    MakeRGB(192, 192, 192), // 14 MidLayer 14
    MakeRGB(0, 0, 255),     // 15 Bottom Layer
    MakeRGB(255, 255, 0),   // 16 Top Overlay
    MakeRGB(128, 128, 0),   // 17 Bottom Overlay
    MakeRGB(128, 128, 128), // 18 Top Paste Mask
    MakeRGB(128, 0, 0),     // 19 Bottom Paste Mask
    MakeRGB(128, 0, 128),   // 20 Top Solider Mask
    MakeRGB(255, 0, 255),   // 21 Bottom Solider Mask
    MakeRGB(0, 128, 0),     // 22 Internal Plane 1
    MakeRGB(128, 0, 0),     // 23 Internal Plane 2
    MakeRGB(128, 0, 128),   // 24 Internal Plane 3
    MakeRGB(0, 128, 128),   // 25 Internal Plane 4
    MakeRGB(128, 0, 0),     // 26 Drill Guide
    MakeRGB(255, 0, 255),   // 27 Keep Out Layer
    MakeRGB(255, 0, 255),   // 28 Mechanical Layer 1
    MakeRGB(128, 0, 0),     // 29 Mechanical Layer 2
    MakeRGB(0, 128, 0),     // 30 Mechanical Layer 3
    MakeRGB(128, 128, 0),   // 31 Mechanical Layer 4
    MakeRGB(255, 0, 42),    // 32 Drill Drawing
    MakeRGB(192, 192, 192), // 33 Multi-Layer
    MakeRGB(0, 0, 128),     // 34 pad holes
    MakeRGB(128, 0, 0),     // 35 via holes
    MakeRGB(0, 255, 255),   // 36 grid 1
    MakeRGB(0, 128, 128),   // 37 grid 2
    MakeRGB(0, 0, 0),       // 38 background
    MakeRGB(255, 0, 255),   // 39 selection
};

// A colour is 0x00BBGGRR; the top byte is not part of it.
constexpr COLORREF kColorMask = 0x00FFFFFFu;
constexpr std::size_t kRecordBytes = 12;
// Far more than any valid file: header, count and kMaxRecords records.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

// Parses a whole "layer.dat" into `table`, which starts at the defaults. Throws
// CArchiveException on damage.
void Parse(std::span<const std::uint8_t> bytes, LayerTable& table)
{
    CArchive ar(bytes);
    if (ar.Remaining() < 8 || ar.ReadU32() != LayerTable::kFileMagic)
        CArchive::Throw(CArchiveException::generic, "Not a layer settings file.");
    const std::uint32_t version = ar.ReadU32();
    if (version != LayerTable::kFileVersion)
        CArchive::Throw(CArchiveException::badSchema,
                        "Unsupported version " + std::to_string(version) + ".");
    const std::size_t count = ar.ReadCount(kRecordBytes);
    if (count > LayerTable::kMaxRecords)
        CArchive::Throw(CArchiveException::tooLarge,
                        "Too many colour records (" + std::to_string(count) + ").");
    for (std::size_t i = 0; i < count; ++i) {
        tagCOLORTAB rec;
        rec.key = ar.ReadI32();
        rec.color = ar.ReadU32();
        rec.shown = ar.ReadI32();
        if (rec.key < 0 || rec.key >= LayerTable::kKeyCount)
            continue; // a key this program does not know
        LayerEntry& entry = table.entries[rec.key];
        entry.color = rec.color & kColorMask;
        // Background and selection cannot be hidden; the others are checked or not.
        const bool alwaysShown =
            rec.key == LayerTable::kBackgroundKey || rec.key == LayerTable::kSelectionKey;
        entry.shown = (alwaysShown || rec.shown != 0) ? 1 : 0;
    }
    if (!ar.AtEnd())
        CArchive::Throw(CArchiveException::generic, "Unexpected data after the colour table.");
}

} // namespace

COLORREF LayerTable::DefaultColor(int key)
{
    if (key < 0 || key >= kKeyCount)
        return kMissingColor;
    return kDefaultColors[std::size_t(key)];
}

void LayerTable::SetDefaults()
{
    entries.clear();
    for (int key = 0; key < kKeyCount; ++key)
        entries[key] = LayerEntry{DefaultColor(key), 1};
}

COLORREF LayerTable::GetColor(int key) const
{
    auto it = entries.find(key);
    return it == entries.end() ? kMissingColor : it->second.color;
}

std::map<int, int> LayerTable::HiddenKeys() const
{
    std::map<int, int> hidden;
    for (const auto& [key, entry] : entries)
        if (entry.shown == 0)
            hidden[key] = 1;
    return hidden;
}

bool LayerTable::Read(const std::string& path, std::string* error)
{
    if (error)
        error->clear();
    SetDefaults();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return false;

    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, &bytes, &why, kMaxFileBytes)) {
        if (error)
            *error = why;
        return false;
    }
    if (!ReadBytes(bytes, &why)) {
        if (error)
            *error = "The layer settings file " + path + " is damaged: " + why;
        return false;
    }
    return true;
}

bool LayerTable::ReadBytes(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (error)
        error->clear();
    LayerTable parsed;
    try {
        Parse(bytes, parsed);
    } catch (const CArchiveException& e) {
        SetDefaults();
        if (error)
            *error = e.what();
        return false;
    }
    entries = std::move(parsed.entries);
    return true;
}

bool LayerTable::Write(const std::string& path, std::string* error) const
{
    const std::vector<std::uint8_t> bytes = ToBytes();
    return WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}

std::vector<std::uint8_t> LayerTable::ToBytes() const
{
    CArchive ar;
    ar.WriteU32(kFileMagic);
    ar.WriteU32(kFileVersion);
    // Only the keys the reader takes back.
    auto first = entries.lower_bound(0);
    auto end = entries.lower_bound(kKeyCount);
    ar.WriteCount(std::size_t(std::distance(first, end)));
    for (auto it = first; it != end; ++it) {
        const auto& [key, entry] = *it;
        ar.WriteI32(key);
        ar.WriteU32(entry.color);
        ar.WriteI32(entry.shown);
    }
    return ar.TakeBytes();
}
