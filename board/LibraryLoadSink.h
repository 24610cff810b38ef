// What the library loading thread hands on while it opens the listed libraries. The
// loader calls these on its own thread, one at a time and in order.
#pragma once

#include <memory>
#include <string>

class CLoadLibrary;

// One loading step, before it is taken: step "Load library" (item: the library's path,
// total: the number of listed libraries) or "Load component" (item: the component's
// pattern name, total: the number of components of the library being read); current is
// 1 for the first item.
struct LibraryLoadProgress {
    std::string step;
    std::string item;
    int total = 0;
    int current = 0;
};

class LibraryLoadSink
{
  public:
    static constexpr const char* kLoadLibrary = "Load library";
    static constexpr const char* kLoadComponent = "Load component";

    virtual ~LibraryLoadSink() = default;

    virtual void OnProgress(const LibraryLoadProgress& progress) = 0;
    // The library listed as `path` is open; its own path is its name in the library set.
    virtual void OnOpened(const std::string& path, std::unique_ptr<CLoadLibrary> library) = 0;
    // The library listed as `path` could not be opened, for the reason given.
    virtual void OnFailed(const std::string& path, const std::string& error) = 0;
    // Called last, whether every path was taken or the loading was cancelled. Paths
    // neither opened nor failed by then were not loaded.
    virtual void OnFinished() = 0;
};
