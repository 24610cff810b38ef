#include "CLoadLibrary.h"

#include "AtomicFile.h"
#include "model/CComponent.h"
#include "model/LibraryRecord.h"
#include "model/UiServices.h"
#include "model/Utilities.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace
{

constexpr const char* kMagic22 = "PROTEL PCBLIB 22";
constexpr const char* kMagic20 = "PROTEL PCBLIB 20";
// Directory entry fields.
constexpr int kCountField = 12;
constexpr int kBlockField = 14;
constexpr int kMaxField = 0xFFFF;

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The name of a directory entry: up to 12 bytes, ending at the first zero byte.
std::string EntryName(const BYTE* entry)
{
    const char* p = reinterpret_cast<const char*>(entry);
    return std::string(p, strnlen(p, CLoadLibrary::kNameSize));
}

// A renumbered name that grew past the name field keeps its whole number and gives up
// the end of its stem instead.
void FitNameField(std::string& name)
{
    if (name.size() <= std::size_t(CLoadLibrary::kNameSize))
        return;
    std::size_t stem = name.size();
    while (stem > 0 && name[stem - 1] >= '0' && name[stem - 1] <= '9')
        --stem;
    const std::size_t digits = name.size() - stem;
    const std::size_t keep =
        digits < std::size_t(CLoadLibrary::kNameSize) ? CLoadLibrary::kNameSize - digits : 0;
    name = name.substr(0, std::min(stem, keep)) + name.substr(stem);
    if (name.size() > std::size_t(CLoadLibrary::kNameSize))
        name.erase(0, name.size() - CLoadLibrary::kNameSize);
}

} // namespace

CLoadLibrary::CLoadLibrary() = default;

CLoadLibrary::CLoadLibrary(const std::string& path) : m_path(path)
{
    Open(path);
}

CLoadLibrary::~CLoadLibrary()
{
    if (m_modified)
        Save();
}

void CLoadLibrary::Clear()
{
    m_image.clear();
    m_components.clear();
    m_iteration = 0;
    m_bodyOffsets.clear();
    m_directoryPos = kHeaderSize;
    m_modified = false;
}

BOOL CLoadLibrary::IsValidHeader(const char* line)
{
    return line && (std::strcmp(line, kMagic22) == 0 || std::strcmp(line, kMagic20) == 0);
}

BOOL CLoadLibrary::Open(const std::string& path, const ProgressSink& progress,
                        const std::atomic<bool>* cancel, std::string* error)
{
    auto fail = [&](const std::string& why) {
        m_lastError = why;
        if (error)
            *error = why;
        return FALSE;
    };

    // Everything is read into a second library first; this one changes only on success.
    CLoadLibrary fresh;
    fresh.m_path = path;

    // Only a file that is not there is created; one that exists but cannot be read is
    // left alone.
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
        if (!fresh.CreateEmpty())
            return fail(fresh.m_lastError);
    } else {
        std::string readError;
        if (!ReadWholeFile(path, &fresh.m_image, &readError, kMaxFileBytes))
            return fail(readError);
        std::vector<BYTE>& image = fresh.m_image;

        // The first line, as a line reader returns it: at most 31 characters, ending
        // after a line break; the text itself ends at the first zero byte.
        char line[32] = {};
        for (std::size_t n = 0; n < 31 && n < image.size(); ++n) {
            line[n] = char(image[n]);
            if (image[n] == '\n')
                break;
        }
        if (!IsValidHeader(line) || image.size() < std::size_t(kDirectoryEnd))
            return fail(kFormatError);

        // The directory, up to the first entry without a name or a body. Every body must
        // start after the directory and inside the file, and no two at the same place.
        const std::size_t imageSize = image.size();
        for (int i = 0; i < kMaxEntries; ++i) {
            const BYTE* entry = image.data() + kHeaderSize + i * kEntrySize;
            std::string name = EntryName(entry);
            const int block = LibRecord::GetU16(entry + kBlockField);
            if (name.empty() || block == 0)
                break;
            const int offset = block * kBlockSize;
            if (offset < kDirectoryEnd || std::size_t(offset) >= imageSize)
                return fail(kFormatError);
            auto comp = std::make_unique<CComponent>(std::move(name));
            comp->SetRecordCount(LibRecord::GetU16(entry + kCountField));
            comp->SetLibraryOffset(offset);
            fresh.m_bodyOffsets.push_back(offset);
            fresh.m_components.push_back(std::move(comp));
            fresh.m_directoryPos += kEntrySize;
        }
        std::vector<int>& offsets = fresh.m_bodyOffsets;
        std::sort(offsets.begin(), offsets.end());
        if (std::adjacent_find(offsets.begin(), offsets.end()) != offsets.end())
            return fail(kFormatError);

        // The bodies: each ends where the next one starts, the last at the end of the
        // file, and must hold its records within that span.
        const int total = int(fresh.m_components.size());
        for (int i = 0; i < total; ++i) {
            if (cancel && cancel->load())
                return fail("Loading " + path + " was cancelled.");
            CComponent& comp = *fresh.m_components[std::size_t(i)];
            if (progress)
                progress("Load component", comp.GetPattern(), total, i + 1);
            const auto next =
                std::upper_bound(offsets.begin(), offsets.end(), comp.GetLibraryOffset());
            const int end = next == offsets.end() ? int(imageSize) : *next;
            if (comp.ReadLibraryRecords(image, end) != CComponent::LibraryReadResult::Read)
                return fail(kFormatError);
        }
    }

    Clear();
    m_image = std::move(fresh.m_image);
    m_components = std::move(fresh.m_components);
    m_bodyOffsets = std::move(fresh.m_bodyOffsets);
    m_directoryPos = fresh.m_directoryPos;
    m_path = path;
    m_modified = false;
    m_lastError.clear();
    return TRUE;
}

std::string CLoadLibrary::GetFirstComponentName()
{
    m_iteration = 0;
    return GetNextComponentName();
}

std::string CLoadLibrary::GetNextComponentName()
{
    if (m_iteration >= m_components.size())
        return std::string();
    return m_components[m_iteration++]->GetPattern();
}

CComponent* CLoadLibrary::FindComponent(const std::string& name) const
{
    for (const auto& comp : m_components)
        if (SameNameIgnoringCase(comp->GetPattern(), name))
            return comp.get();
    return nullptr;
}

BOOL CLoadLibrary::HasComponent(const std::string& name) const
{
    return FindComponent(name) ? TRUE : FALSE;
}

BOOL CLoadLibrary::IsDummyEntry() const
{
    if (m_image.empty() || m_directoryPos < kHeaderSize ||
        m_directoryPos + kEntrySize > kDirectoryEnd ||
        std::size_t(m_directoryPos) + kEntrySize > m_image.size())
        return FALSE;
    const BYTE* entry = m_image.data() + m_directoryPos;
    return entry[0] == 'A' && entry[1] == 0 && LibRecord::GetU16(entry + kCountField) == 0 &&
                   LibRecord::GetU16(entry + kBlockField) == 0
               ? TRUE
               : FALSE;
}

BOOL CLoadLibrary::AddComponent(std::unique_ptr<CComponent>& comp)
{
    if (!AddComponent(comp.get()))
        return FALSE;
    (void)comp.release(); // the library owns it now
    return TRUE;
}

BOOL CLoadLibrary::AddComponent(CComponent* comp)
{
    if (!comp || m_image.empty() || IsDummyEntry())
        return FALSE;
    for (const auto& own : m_components)
        if (own.get() == comp)
            return FALSE;

    const int size = comp->GetRecordSize();
    if (size < 1)
        return FALSE;
    if (m_directoryPos + kEntrySize > kDirectoryEnd) {
        UiServices::Current().MessageBox(kFullError);
        return FALSE;
    }
    const int count = comp->GetRecordCount();
    if (count > kMaxField) {
        UiServices::Current().MessageBox("The component has " + std::to_string(count) +
                                         " records; a library entry holds at most " +
                                         std::to_string(kMaxField) + ".");
        return FALSE;
    }
    // A body starts on a 32-byte block whose number must fit its 16-bit field.
    const std::size_t start = (m_image.size() + kBlockSize - 1) / kBlockSize * kBlockSize;
    if (start / kBlockSize > std::size_t(kMaxField) || start + std::size_t(size) > kMaxFileBytes) {
        UiServices::Current().MessageBox("The library " + m_path +
                                         " is too large to hold another component.");
        return FALSE;
    }

    // The pattern without any zero padding, at most 12 bytes, renumbered while taken.
    std::string name = comp->GetPattern();
    name.resize(strnlen(name.c_str(), name.size()));
    if (name.size() > std::size_t(kNameSize))
        name.resize(kNameSize);
    while (name.empty() || HasComponent(name)) {
        IncrementNameNumber(name, 1);
        FitNameField(name);
    }

    std::vector<BYTE> image(start + std::size_t(size), 0);
    std::copy(m_image.begin(), m_image.end(), image.begin());
    int end = int(start);
    if (!comp->WriteLibraryRecord(image.data(), &end) || end != int(start) + size) {
        UiServices::Current().MessageBox("The component " + name +
                                         " holds a part that a library cannot store.");
        return FALSE;
    }

    BYTE* entry = image.data() + m_directoryPos;
    std::memset(entry, 0, kEntrySize);
    // A fixed-width field, padded with the zeros above, not a C string.
    std::memcpy(entry, name.data(), name.size()); // NOLINT(bugprone-not-null-terminated-result)
    LibRecord::PutU16(entry + kCountField, std::uint16_t(count));
    LibRecord::PutU16(entry + kBlockField, std::uint16_t(start / kBlockSize));

    comp->SetPattern(name);
    comp->SetLibraryOffset(int(start));
    comp->SetRecordCount(count);
    m_image.swap(image);
    m_bodyOffsets.push_back(int(start)); // the new body is the last one
    m_directoryPos += kEntrySize;
    m_components.emplace_back(comp);
    m_modified = true;
    SaveAndReport();
    return TRUE;
}

int CLoadLibrary::FindEntry(int offset) const
{
    const int used = (m_directoryPos - kHeaderSize) / kEntrySize;
    for (int i = 0; i < used; ++i) {
        const BYTE* entry = m_image.data() + kHeaderSize + i * kEntrySize;
        if (LibRecord::GetU16(entry + kBlockField) * kBlockSize == offset)
            return i;
    }
    return -1;
}

int CLoadLibrary::BodyExtent(std::size_t sortedIndex) const
{
    const int next = sortedIndex + 1 < m_bodyOffsets.size() ? m_bodyOffsets[sortedIndex + 1]
                                                            : int(m_image.size());
    return next - m_bodyOffsets[sortedIndex];
}

std::unique_ptr<CComponent> CLoadLibrary::RemoveComponent(CComponent* comp)
{
    const auto own = std::find_if(m_components.begin(), m_components.end(),
                                  [comp](const auto& c) { return c.get() == comp; });
    if (!comp || own == m_components.end() || m_bodyOffsets.empty())
        return nullptr;

    const int off = comp->GetLibraryOffset();
    const auto pos = std::lower_bound(m_bodyOffsets.begin(), m_bodyOffsets.end(), off);
    const int entryIndex = FindEntry(off);
    if (pos == m_bodyOffsets.end() || *pos != off || entryIndex < 0)
        return nullptr;
    // The body's span as it lies in the file: up to the next body, or the end of the
    // file for the last one. Between two bodies it is a whole number of blocks.
    const std::size_t p = std::size_t(pos - m_bodyOffsets.begin());
    const int extent = BodyExtent(p);

    // Every entry whose body lies behind the removed one moves down with it.
    const int used = (m_directoryPos - kHeaderSize) / kEntrySize;
    BYTE* directory = m_image.data() + kHeaderSize;
    for (int i = 0; i < used; ++i) {
        BYTE* entry = directory + i * kEntrySize;
        const int block = LibRecord::GetU16(entry + kBlockField);
        if (block * kBlockSize > off)
            LibRecord::PutU16(entry + kBlockField, std::uint16_t(block - extent / kBlockSize));
    }
    std::memmove(directory + entryIndex * kEntrySize, directory + (entryIndex + 1) * kEntrySize,
                 std::size_t(used - entryIndex - 1) * kEntrySize);
    std::memset(directory + (used - 1) * kEntrySize, 0, kEntrySize);

    m_image.erase(m_image.begin() + off, m_image.begin() + off + extent);
    m_bodyOffsets.erase(pos);
    for (std::size_t i = p; i < m_bodyOffsets.size(); ++i)
        m_bodyOffsets[i] -= extent;
    m_directoryPos -= kEntrySize;

    std::unique_ptr<CComponent> removed = std::move(*own);
    m_components.erase(own);
    for (const auto& c : m_components)
        if (c->GetLibraryOffset() > off)
            c->SetLibraryOffset(c->GetLibraryOffset() - extent);
    m_iteration = 0;
    m_modified = true;
    SaveAndReport();
    return removed;
}

BOOL CLoadLibrary::RemoveComponentByName(const std::string& name)
{
    return RemoveComponent(FindComponent(name)) ? TRUE : FALSE;
}

BOOL CLoadLibrary::Save()
{
    if (m_image.empty()) {
        m_lastError = "The library " + m_path + " holds nothing to save.";
        return FALSE;
    }
    std::string error;
    if (!WriteFileAtomically(m_path, m_image.data(), m_image.size(), &error)) {
        m_lastError = error;
        return FALSE;
    }
    m_modified = false;
    return TRUE;
}

void CLoadLibrary::SaveAndReport()
{
    if (!Save())
        UiServices::Current().MessageBox(m_lastError);
}

BOOL CLoadLibrary::CreateEmpty()
{
    if (!m_image.empty())
        return FALSE;
    Clear();
    m_image.assign(kDirectoryEnd, 0);
    std::memcpy(m_image.data(), kMagic22, std::strlen(kMagic22) + 1);
    m_directoryPos = kHeaderSize;
    if (!Save()) {
        m_image.clear();
        return FALSE;
    }
    return TRUE;
}
