#include "CArchive.h"

#include "LargePages.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

namespace
{

constexpr std::uint16_t kNullTag = 0;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
// The largest index the running count may reach: a class index must leave the top
// bit of its 32-bit tag free.
constexpr std::uint32_t kMaxMapCount = 0x7FFFFFFEu;

constexpr std::uint8_t kStringEscape8 = 0xFF;
constexpr std::uint16_t kStringEscape16 = 0xFFFF;
constexpr std::uint16_t kWideStringMark = 0xFFFE;
constexpr std::uint16_t kCountEscape = 0xFFFF;

// A class name as it may appear in a message: printable ASCII only, kept short.
std::string Printable(std::string_view name)
{
    constexpr std::size_t kMax = 64;
    std::string out;
    for (std::size_t i = 0; i < name.size() && i < kMax; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        out += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    }
    if (name.size() > kMax)
        out += "...";
    return out;
}

[[noreturn]] void Fail(const CArchive& ar, CArchiveException::Cause cause, const std::string& what)
{
    if (ar.GetFileName().empty())
        CArchive::Throw(cause, what);
    CArchive::Throw(cause, ar.GetFileName() + ": " + what);
}

// Keeps the nesting depth right whichever way a body is left.
class DepthGuard
{
  public:
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

  private:
    int& m_depth;
};

} // namespace

// ---------------------------------------------------------------------------
// CArchiveException

CArchiveException::CArchiveException(Cause cause, const std::string& what)
    : std::runtime_error(what), m_cause(cause)
{
}

const char* CArchiveException::CauseName(Cause cause)
{
    switch (cause) {
    case generic:
        return "generic";
    case badSchema:
        return "badSchema";
    case badClass:
        return "badClass";
    case badIndex:
        return "badIndex";
    case endOfFile:
        return "endOfFile";
    case tooDeep:
        return "tooDeep";
    case tooLarge:
        return "tooLarge";
    case writeOnly:
        return "writeOnly";
    case readOnly:
        return "readOnly";
    }
    return "unknown";
}

// ---------------------------------------------------------------------------
// Construction

CArchive::CArchive() : m_mode(store) {}

CArchive::CArchive(std::span<const std::uint8_t> data) : m_mode(load), m_in(data)
{
    // Room for about as many entries as a board's records of this size make, so that
    // the map is not copied again and again as it grows (within reason: beyond, it grows).
    m_loadMap.reserve(1 + std::min(data.size() / kBytesPerEntry, kMostReservedEntries));
    m_loadMap.emplace_back(); // index 0: the null object
}

void CArchive::Reserve(std::size_t bytes)
{
    m_out.reserve(bytes);
    AskForLargePages(m_out.data(), m_out.capacity());
}

std::vector<std::uint8_t> CArchive::TakeBytes()
{
    std::vector<std::uint8_t> out = std::move(m_out);
    m_out.clear();
    return out;
}

void CArchive::Throw(CArchiveException::Cause cause, const std::string& what)
{
    throw CArchiveException(cause, what);
}

void CArchive::CheckStoring()
{
    if (!IsStoring())
        Fail(*this, CArchiveException::readOnly, "Cannot write to an archive that is being read.");
}

void CArchive::CheckLoading()
{
    if (!IsLoading())
        Fail(*this, CArchiveException::writeOnly,
             "Cannot read from an archive that is being written.");
}

void CArchive::Need(std::size_t n)
{
    CheckLoading();
    if (n > Remaining())
        Fail(*this, CArchiveException::endOfFile,
             "Unexpected end of file: " + std::to_string(n) + " byte(s) needed at offset " +
                 std::to_string(m_pos) + ", " + std::to_string(Remaining()) + " left.");
}

// ---------------------------------------------------------------------------
// Plain values

void CArchive::WriteU8(std::uint8_t v)
{
    CheckStoring();
    m_out.push_back(v);
}

namespace
{

// Appends a number's bytes, least significant first, in one block.
template <class T> void AppendLittleEndian(std::vector<std::uint8_t>& out, T v)
{
    std::uint8_t bytes[sizeof(T)];
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes, &v, sizeof(T));
    } else {
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bytes[i] = std::uint8_t(v >> (8 * i));
    }
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

} // namespace

void CArchive::WriteU16(std::uint16_t v)
{
    CheckStoring();
    AppendLittleEndian(m_out, v);
}

void CArchive::WriteU32(std::uint32_t v)
{
    CheckStoring();
    AppendLittleEndian(m_out, v);
}

void CArchive::WriteI32(std::int32_t v)
{
    WriteU32(static_cast<std::uint32_t>(v));
}

void CArchive::WriteF64(double v)
{
    CheckStoring();
    AppendLittleEndian(m_out, std::bit_cast<std::uint64_t>(v));
}

void CArchive::WriteBytes(const void* data, std::size_t n)
{
    CheckStoring();
    if (n == 0)
        return;
    const auto* p = static_cast<const std::uint8_t*>(data);
    m_out.insert(m_out.end(), p, p + n);
}

void CArchive::ReadBytes(void* data, std::size_t n)
{
    Need(n);
    if (n == 0)
        return;
    std::memcpy(data, m_in.data() + m_pos, n);
    m_pos += n;
}

// ---------------------------------------------------------------------------
// Strings and counts

void CArchive::WriteString(const std::string& s)
{
    CheckStoring();
    const std::size_t n = s.size();
    if (n < kStringEscape8) {
        WriteU8(std::uint8_t(n));
    } else if (n < kWideStringMark) {
        WriteU8(kStringEscape8);
        WriteU16(std::uint16_t(n));
    } else {
        if (n > 0xFFFFFFFFu)
            Fail(*this, CArchiveException::tooLarge,
                 "A string of " + std::to_string(n) + " bytes is too long to be stored.");
        WriteU8(kStringEscape8);
        WriteU16(kStringEscape16);
        WriteU32(std::uint32_t(n));
    }
    WriteBytes(s.data(), n);
}

std::string CArchive::ReadString()
{
    CheckLoading();
    const std::size_t start = m_pos;
    std::size_t n = ReadU8();
    if (n == kStringEscape8) {
        const std::uint16_t n16 = ReadU16();
        if (n16 == kWideStringMark)
            Fail(*this, CArchiveException::generic,
                 "Unsupported string encoding at offset " + std::to_string(start) + ".");
        n = n16 == kStringEscape16 ? ReadU32() : n16;
    }
    if (n > Remaining())
        Fail(*this, CArchiveException::tooLarge,
             "A string of " + std::to_string(n) + " bytes at offset " + std::to_string(start) +
                 " is longer than the " + std::to_string(Remaining()) + " byte(s) left.");
    std::string s(n, '\0');
    ReadBytes(s.data(), n);
    return s;
}

void CArchive::WriteCount(std::size_t n)
{
    CheckStoring();
    if (n < kCountEscape) {
        WriteU16(std::uint16_t(n));
        return;
    }
    if (n > 0xFFFFFFFFu)
        Fail(*this, CArchiveException::tooLarge,
             "A count of " + std::to_string(n) + " is too large to be stored.");
    WriteU16(kCountEscape);
    WriteU32(std::uint32_t(n));
}

std::size_t CArchive::ReadCount(std::size_t minItemBytes)
{
    CheckLoading();
    const std::size_t start = m_pos;
    std::size_t n = ReadU16();
    if (n == kCountEscape)
        n = ReadU32();
    if (minItemBytes > 0 && n > Remaining() / minItemBytes)
        Fail(*this, CArchiveException::tooLarge,
             "A count of " + std::to_string(n) + " at offset " + std::to_string(start) +
                 " is more than the " + std::to_string(Remaining()) + " byte(s) left can hold.");
    return n;
}

// ---------------------------------------------------------------------------
// Classes

void CArchive::WriteClass(const CRuntimeClass* rc)
{
    CheckStoring();
    if (auto it = m_storeMap.find(rc); it != m_storeMap.end()) {
        const std::uint32_t index = it->second;
        if (index < kBigObjectTag) {
            WriteU16(std::uint16_t(kClassTag | index));
        } else {
            WriteU16(kBigObjectTag);
            WriteU32(kBigClassTag | index);
        }
        return;
    }
    const std::size_t len = std::strlen(rc->m_lpszClassName);
    if (len > 0xFFFF)
        Fail(*this, CArchiveException::tooLarge, "A class name is too long to be stored.");
    if (m_mapCount > kMaxMapCount)
        Fail(*this, CArchiveException::tooLarge, "Too many classes and objects in one archive.");
    m_storeMap.emplace(rc, m_mapCount++);
    WriteU16(kNewClassTag);
    WriteU16(rc->StoredSchema());
    WriteU16(std::uint16_t(len));
    WriteBytes(rc->m_lpszClassName, len);
}

const CRuntimeClass* CArchive::ReadTag(std::uint32_t* objectIndex, unsigned* schema)
{
    const std::size_t start = m_pos;
    const std::uint16_t tag = ReadU16();
    std::uint32_t classIndex = 0;
    if (tag == kBigObjectTag) {
        const std::uint32_t big = ReadU32();
        if ((big & kBigClassTag) == 0) {
            *objectIndex = big;
            return nullptr;
        }
        classIndex = big & ~kBigClassTag;
    } else if (tag == kNewClassTag) {
        const std::uint16_t stored = ReadU16();
        const std::uint16_t len = ReadU16();
        if (len > Remaining())
            Fail(*this, CArchiveException::tooLarge,
                 "A class name of " + std::to_string(len) + " bytes at offset " +
                     std::to_string(start) + " is longer than the " + std::to_string(Remaining()) +
                     " byte(s) left.");
        std::string name(len, '\0');
        ReadBytes(name.data(), len);
        const CRuntimeClass* rc = CRuntimeClass::Find(name);
        if (!rc)
            Fail(*this, CArchiveException::badClass,
                 "Unknown class \"" + Printable(name) + "\" at offset " + std::to_string(start) +
                     ".");
        if (!rc->IsVersionable() && stored != rc->StoredSchema())
            Fail(*this, CArchiveException::badSchema,
                 "Class \"" + Printable(name) + "\" has schema " + std::to_string(stored) +
                     ", which this program cannot read (it reads schema " +
                     std::to_string(rc->StoredSchema()) + ").");
        LoadEntry entry;
        entry.cls = rc;
        entry.schema = stored;
        m_loadMap.push_back(entry);
        ++m_mapCount;
        *schema = stored;
        return rc;
    } else if (tag & kClassTag) {
        classIndex = tag & ~kClassTag;
    } else {
        *objectIndex = tag;
        return nullptr;
    }
    if (classIndex == 0 || classIndex >= m_loadMap.size() || !m_loadMap[classIndex].cls)
        Fail(*this, CArchiveException::badIndex,
             "Class index " + std::to_string(classIndex) + " at offset " + std::to_string(start) +
                 " does not name a class read before.");
    *schema = m_loadMap[classIndex].schema;
    return m_loadMap[classIndex].cls;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* expected, unsigned* schema)
{
    CheckLoading();
    const std::size_t start = m_pos;
    std::uint32_t objectIndex = 0;
    unsigned stored = 0;
    const CRuntimeClass* rc = ReadTag(&objectIndex, &stored);
    if (!rc)
        Fail(*this, CArchiveException::badIndex,
             "An object reference at offset " + std::to_string(start) +
                 " stands where a class record belongs.");
    if (expected && !rc->IsDerivedFrom(expected))
        Fail(*this, CArchiveException::badClass,
             "Class \"" + Printable(rc->m_lpszClassName) + "\" at offset " + std::to_string(start) +
                 " is not a kind of \"" + Printable(expected->m_lpszClassName) + "\".");
    if (schema)
        *schema = stored;
    else
        m_schema = stored;
    return rc;
}

void CArchive::SerializeClass(const CRuntimeClass* rc)
{
    if (IsStoring())
        WriteClass(rc);
    else
        ReadClass(rc, nullptr);
}

unsigned CArchive::GetObjectSchema()
{
    const unsigned schema = m_schema;
    m_schema = 0xFFFFFFFFu;
    return schema;
}

// ---------------------------------------------------------------------------
// Objects

void CArchive::WriteObject(CObject* ob)
{
    CheckStoring();
    if (!ob) {
        WriteU16(kNullTag);
        return;
    }
    // Objects are remembered only where a reader will accept a reference back to one.
    if (auto it = m_allowBackRefs ? m_storeMap.find(ob) : m_storeMap.end();
        it != m_storeMap.end()) {
        const std::uint32_t index = it->second;
        if (index < kBigObjectTag) {
            WriteU16(std::uint16_t(index));
        } else {
            WriteU16(kBigObjectTag);
            WriteU32(index);
        }
        return;
    }
    // A file nested deeper than a reader accepts would not open again: refuse it here.
    if (m_depth >= kMaxDepth)
        Fail(*this, CArchiveException::tooDeep,
             "Objects are nested more than " + std::to_string(kMaxDepth) + " deep.");
    WriteClass(ob->GetRuntimeClass());
    if (m_mapCount > kMaxMapCount)
        Fail(*this, CArchiveException::tooLarge, "Too many classes and objects in one archive.");
    if (m_allowBackRefs)
        m_storeMap.emplace(ob, m_mapCount);
    ++m_mapCount;
    DepthGuard guard(m_depth);
    ob->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* expected)
{
    CheckLoading();
    const std::size_t start = m_pos;
    std::uint32_t objectIndex = 0;
    unsigned schema = 0;
    const CRuntimeClass* rc = ReadTag(&objectIndex, &schema);

    if (!rc) {
        if (objectIndex == 0)
            return nullptr;
        if (objectIndex >= m_loadMap.size() || !m_loadMap[objectIndex].obj)
            Fail(*this, CArchiveException::badIndex,
                 "Object index " + std::to_string(objectIndex) + " at offset " +
                     std::to_string(start) + " does not name an object read before.");
        if (!m_allowBackRefs)
            Fail(*this, CArchiveException::badIndex,
                 "A second reference to an object at offset " + std::to_string(start) +
                     " is not accepted here.");
        CObject* ob = m_loadMap[objectIndex].obj;
        if (expected && !ob->IsKindOf(expected))
            Fail(*this, CArchiveException::badClass,
                 "The object referred to at offset " + std::to_string(start) +
                     " is not a kind of \"" + Printable(expected->m_lpszClassName) + "\".");
        return ob;
    }

    if (expected && !rc->IsDerivedFrom(expected))
        Fail(*this, CArchiveException::badClass,
             "Class \"" + Printable(rc->m_lpszClassName) + "\" at offset " + std::to_string(start) +
                 " is not a kind of \"" + Printable(expected->m_lpszClassName) + "\".");
    if (m_depth >= kMaxDepth)
        Fail(*this, CArchiveException::tooDeep,
             "Objects are nested more than " + std::to_string(kMaxDepth) + " deep (offset " +
                 std::to_string(start) + ").");
    CObject* ob = rc->CreateObject();
    if (!ob)
        Fail(*this, CArchiveException::badClass,
             "Objects of class \"" + Printable(rc->m_lpszClassName) + "\" cannot be created.");

    const std::size_t index = m_loadMap.size();
    LoadEntry entry;
    entry.obj = ob;
    m_loadMap.push_back(entry);
    ++m_mapCount;

    const unsigned savedSchema = m_schema;
    m_schema = schema;
    try {
        DepthGuard guard(m_depth);
        ob->Serialize(*this);
    } catch (...) {
        // The object and everything read inside it are gone: no later reference may
        // reach them.
        for (std::size_t i = index; i < m_loadMap.size(); ++i)
            m_loadMap[i].obj = nullptr;
        m_schema = savedSchema;
        delete ob;
        throw;
    }
    m_schema = savedSchema;
    return ob;
}
