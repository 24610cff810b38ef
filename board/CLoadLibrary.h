// One component library file ("PROTEL PCBLIB 22"), held in memory as its byte image.
//
// The file is a 32-byte header, a directory of 2000 entries of 32 bytes, and then the
// bodies of the components, each a run of primitive records (docs/file-formats.md gives
// the layout). The library keeps one CComponent per directory entry, built from its
// body, and changes the image in place when a component is added or removed; every
// change is written back at once, through a temporary file renamed over the library.
#pragma once

#include "platform/WinTypes.h"

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CComponent;

class CLoadLibrary
{
  public:
    // Told before each component is read: step "Load component", item the component's
    // pattern name, total the number of components, current 1 for the first.
    using ProgressSink = std::function<void(const std::string& step, const std::string& item,
                                            int total, int current)>;

    static constexpr int kHeaderSize = 32;
    static constexpr int kEntrySize = 32;
    static constexpr int kMaxEntries = 2000;
    static constexpr int kDirectoryEnd = kHeaderSize + kMaxEntries * kEntrySize; // 64032
    static constexpr int kNameSize = 12;
    static constexpr int kBlockSize = 32;
    // The largest file read: a body can start no later than block 65535.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

    static constexpr const char* kFormatError = "the format of lib is incorrect!";
    static constexpr const char* kFullError =
        "the maximized(2000) of library Capability is reached!";

    // An empty library without an image; Open or CreateEmpty gives it one.
    CLoadLibrary();
    // Stores the path and opens it (a missing file is created as an empty library);
    // IsOpen and GetLastError tell how that went.
    explicit CLoadLibrary(const std::string& path);
    CLoadLibrary(const CLoadLibrary&) = delete;
    CLoadLibrary& operator=(const CLoadLibrary&) = delete;
    // Saves the library when it holds unsaved changes, then frees its components.
    ~CLoadLibrary();

    // Reads the library at `path`. A missing file is created there as an empty library.
    // A file that exists but cannot be read, has a wrong first line, or whose directory
    // or bodies do not fit the file is refused and left untouched; so is a load cancelled
    // through `cancel`. On failure the library is as it was before, `error` (and
    // GetLastError) tell why, and FALSE is returned. Shows no message itself: it may run
    // on a worker thread.
    BOOL Open(const std::string& path, const ProgressSink& progress = {},
              const std::atomic<bool>* cancel = nullptr, std::string* error = nullptr);
    // TRUE for exactly "PROTEL PCBLIB 20" or "PROTEL PCBLIB 22".
    static BOOL IsValidHeader(const char* line);

    // The pattern names in library order; an empty string after the last one.
    std::string GetFirstComponentName();
    std::string GetNextComponentName();
    // The library's own component of that pattern name, ignoring case; null when none.
    CComponent* FindComponent(const std::string& name) const;
    BOOL HasComponent(const std::string& name) const;
    int GetComponentCount() const { return int(m_components.size()); }

    // Appends the component's records to the library under its pattern name, renamed
    // to a free name when that one is taken, and saves. On TRUE the library owns the
    // component (its pattern is the stored name); on FALSE the caller keeps it. Refused
    // when the library has no image, its next directory entry is a placeholder, the
    // component has no records, the directory is full, or the file's block or record
    // count fields cannot hold it (the last three with a message).
    BOOL AddComponent(CComponent* comp);
    // The same, taking `comp` over only on TRUE (it is left as it was on FALSE).
    BOOL AddComponent(std::unique_ptr<CComponent>& comp);
    // Takes the component's body and directory entry out of the library and saves. The
    // component is handed back to the caller; null when it is not in this library.
    std::unique_ptr<CComponent> RemoveComponent(CComponent* comp);
    // Removes and deletes the component of that name (ignoring case).
    BOOL RemoveComponentByName(const std::string& name);

    // Writes the image over the library file; FALSE (and GetLastError) when there is no
    // image or the file cannot be written, which leaves the file as it was.
    BOOL Save();
    // Makes and saves a new empty library at the library path; FALSE when the library
    // already has an image or the file cannot be written.
    BOOL CreateEmpty();
    // TRUE when the next free directory entry is a placeholder: named "A" with both
    // numbers 0.
    BOOL IsDummyEntry() const;

    bool IsOpen() const { return !m_image.empty(); }
    bool IsModified() const { return m_modified; }
    const std::string& GetPath() const { return m_path; }
    const std::string& GetLastError() const { return m_lastError; }

  private:
    void Clear();
    // Saves, and reports a failure to the user.
    void SaveAndReport();
    // The directory entry whose body starts at `offset`; -1 when none.
    int FindEntry(int offset) const;
    // The bytes the body starting at the given sorted position spans in the image.
    int BodyExtent(std::size_t sortedIndex) const;

    std::vector<BYTE> m_image;
    std::vector<std::unique_ptr<CComponent>> m_components;
    std::size_t m_iteration = 0;
    std::vector<int> m_bodyOffsets; // ascending
    int m_directoryPos = kHeaderSize;
    std::string m_path;
    bool m_modified = false;
    std::string m_lastError;
};
