// The archive of persistent objects used by the board document and the settings files.
//
// Encoding (all numbers little-endian):
//   count            u16; 0xFFFF or more: u16 0xFFFF then u32
//   new class        u16 0xFFFF, u16 schema, u16 name length, name bytes (no terminator)
//   class seen       u16 0x8000 | index (index < 0x7FFF); else u16 0x7FFF, u32 0x80000000 | index
//   object seen      u16 index (index < 0x7FFF); else u16 0x7FFF, u32 index
//   null object      u16 0
//   string           u8 length (< 255); else 0xFF, u16 length (< 0xFFFE);
//                    else 0xFF, u16 0xFFFF, u32 length; then the bytes
// Classes and objects share one running index, from 1, in the order they first appear;
// a new object's class is entered before the object itself.
//
// A storing archive writes into a byte buffer; a loading archive reads from a byte
// span that must outlive it. Every read checks its length against the bytes that
// remain and every failure raises CArchiveException.
#pragma once

#include "CObject.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

class CArchiveException : public std::runtime_error
{
  public:
    enum Cause {
        generic,
        badSchema, // an object's schema is not one its class reads
        badClass,  // unknown class name, or a class not derived from the one expected
        badIndex,  // a class or object index that was never entered, or a refused back-reference
        endOfFile, // fewer bytes remain than a field needs
        tooDeep,   // objects nested deeper than the archive allows
        tooLarge,  // a count or length larger than the bytes that remain could hold
        writeOnly, // a read on a storing archive
        readOnly,  // a write on a loading archive
    };

    CArchiveException(Cause cause, const std::string& what);
    Cause m_cause;

    static const char* CauseName(Cause cause);
};

class CArchive
{
  public:
    enum Mode { store = 0, load = 1 };

    // Objects nested deeper than this (an object inside a component inside ...) are refused.
    static constexpr int kMaxDepth = 16;

    // A storing archive.
    CArchive();
    // A loading archive over the given bytes.
    explicit CArchive(std::span<const std::uint8_t> data);

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // The name (without folder) of the file this archive belongs to, if any.
    const std::string& GetFileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }

    // Storing: what has been written so far.
    const std::vector<std::uint8_t>& Bytes() const { return m_out; }
    std::vector<std::uint8_t> TakeBytes();
    // Room for this many bytes in all, so that a large file is not copied as it grows
    // (in large pages, see LargePages.h).
    void Reserve(std::size_t bytes);

    // Loading: the read position and what remains.
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_in.size() - m_pos; }
    bool AtEnd() const { return Remaining() == 0; }

    // Object back-references. Loading refuses them (badIndex) unless allowed here; storing
    // writes a repeated object whole again unless they are allowed, so that a reader that
    // refuses them reads it (and the archive need not remember every object it wrote).
    void AllowBackReferences(bool allow) { m_allowBackRefs = allow; }

    // Plain values.
    void WriteU8(std::uint8_t v);
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v);
    void WriteF64(double v);
    void WriteBytes(const void* data, std::size_t n);
    // The reads of fixed size are inline: a board's objects are read a field at a time.
    std::uint8_t ReadU8() { return std::uint8_t(ReadLittleEndian<1>()); }
    std::uint16_t ReadU16() { return std::uint16_t(ReadLittleEndian<2>()); }
    std::uint32_t ReadU32() { return std::uint32_t(ReadLittleEndian<4>()); }
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
    double ReadF64() { return std::bit_cast<double>(ReadLittleEndian<8>()); }
    void ReadBytes(void* data, std::size_t n);

    // Store or load a value in place, by the archive's direction.
    void Exchange(std::int32_t& v) { IsStoring() ? WriteI32(v) : void(v = ReadI32()); }
    void Exchange(double& v) { IsStoring() ? WriteF64(v) : void(v = ReadF64()); }
    void Exchange(std::string& v) { IsStoring() ? WriteString(v) : void(v = ReadString()); }
    // An int field stored as i32.
    void ExchangeInt(int& v)
    {
        std::int32_t t = v;
        Exchange(t);
        v = t;
    }

    void WriteString(const std::string& s);
    std::string ReadString();

    void WriteCount(std::size_t n);
    // Reads a count and refuses one that the remaining bytes could not hold, taking
    // each item to need at least minItemBytes bytes.
    std::size_t ReadCount(std::size_t minItemBytes = 2);

    // Writes a reference to the object: null, a back-reference when it was written
    // before, else its class tag, then its body (its Serialize).
    void WriteObject(CObject* ob);
    // Reads an object reference. Returns null for a null reference; otherwise a new
    // object of a class derived from `expected` (null expected: any class), owned by
    // the caller. A failure inside the object's body deletes the half-read object.
    CObject* ReadObject(const CRuntimeClass* expected);

    // A class record inside an object's body. Storing writes the class tag; loading
    // reads one, refuses a class that is not `rc` or derived from it, and makes its
    // schema the current object schema.
    void SerializeClass(const CRuntimeClass* rc);
    void WriteClass(const CRuntimeClass* rc);
    const CRuntimeClass* ReadClass(const CRuntimeClass* expected, unsigned* schema = nullptr);

    // The schema of the class record read last (loading). Reading it resets it to
    // 0xFFFFFFFF, as a second read means nothing was read in between.
    unsigned GetObjectSchema();
    void SetObjectSchema(unsigned schema) { m_schema = schema; }

    // Lists of objects: a count, then one object reference per element.
    template <class T> void WriteObjectList(const std::list<T*>& items)
    {
        WriteCount(items.size());
        for (T* p : items)
            WriteObject(p);
    }
    // Appends the objects read to `out`; on failure the objects read so far stay in
    // `out` for the caller to delete.
    template <class T> void ReadObjectList(std::list<T*>& out, const CRuntimeClass* expected)
    {
        std::size_t n = ReadCount();
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(static_cast<T*>(ReadObject(expected)));
    }

    [[noreturn]] static void Throw(CArchiveException::Cause cause, const std::string& what);

  private:
    // Fails (throws) unless this archive is loading and n more bytes are left.
    void Need(std::size_t n);
    // The next N bytes, least significant first; fails as Need does.
    template <std::size_t N> std::uint64_t ReadLittleEndian()
    {
        if (m_mode != load || m_in.size() - m_pos < N) [[unlikely]]
            Need(N);
        std::uint64_t v = 0;
        for (std::size_t i = N; i-- > 0;)
            v = (v << 8) | m_in[m_pos + i];
        m_pos += N;
        return v;
    }
    void CheckStoring();
    void CheckLoading();
    // Reads a tag: a class (returned, with its schema) or an object index.
    const CRuntimeClass* ReadTag(std::uint32_t* objectIndex, unsigned* schema);

    Mode m_mode;
    std::string m_fileName;
    // storing
    std::vector<std::uint8_t> m_out;
    std::unordered_map<const void*, std::uint32_t> m_storeMap;
    // loading
    std::span<const std::uint8_t> m_in;
    std::size_t m_pos = 0;
    struct LoadEntry {
        const CRuntimeClass* cls = nullptr; // set for a class entry
        CObject* obj = nullptr;             // set for an object entry
        unsigned schema = 0;                // a class entry: the schema read with it
    };
    std::vector<LoadEntry> m_loadMap; // index 0 is the null entry
    // A board file holds an object or class entry for about every 90 bytes.
    static constexpr std::size_t kBytesPerEntry = 64;
    static constexpr std::size_t kMostReservedEntries = std::size_t(1) << 21;
    bool m_allowBackRefs = false;
    int m_depth = 0;
    // both
    std::uint32_t m_mapCount = 1;
    unsigned m_schema = 0xFFFFFFFFu;
};
