// The open component libraries, their loading thread and the add-to-my-library flow.
// Owned by the board state (CInfomation), which forwards the names the rest of the
// program uses. The GUI thread only; the loading thread reaches none of this, it hands
// its results over through LibraryLoader.
#pragma once

#include "CLoadLibrary.h"
#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CComponent;
class CEntity;
class LibraryLoader;
class LibraryProgressWindow;

// What happens to a library of the set, told to its listeners on the GUI thread.
// Removing and ComponentsChanging come before the change, while everything still stands,
// so that nothing is left pointing at what goes; Added and ComponentsChanged after it.
enum class LibraryEvent { Added, Removing, ComponentsChanging, ComponentsChanged };

class LibrarySet
{
  public:
    // `path` is the library's name in the set.
    using Listener = std::function<void(LibraryEvent, const std::string& path, CLoadLibrary*)>;

    // `settingsFolder` ends in '/' (empty: the working folder); "lib.dat" lives there.
    explicit LibrarySet(std::string settingsFolder = {});
    LibrarySet(const LibrarySet&) = delete;
    LibrarySet& operator=(const LibrarySet&) = delete;
    // Stops the loading thread, then deletes the libraries (each saves itself first
    // when it was modified) and a component still waiting.
    ~LibrarySet();

    void SetSettingsFolder(const std::string& folder) { m_settingsFolder = folder; }

    // Reads "lib.dat" from the settings folder and starts the loading thread over the
    // listed libraries (once). The loader hands its results over; `window` (may be
    // null) is woken for each batch, and PumpLibraryLoading takes them in: each opened
    // library joins the set, each failure is shown, each step goes to the window, and
    // BN_LOAD_DONE ends it. A damaged list is shown and loads nothing.
    void StartLoadLibraries(LibraryProgressWindow* window);
    // Takes in what the loading thread has handed over; the number of items taken.
    int PumpLibraryLoading();
    // Asks the loading thread to stop, without waiting for it.
    void CancelLoadLibraries();
    // Cancels the loading thread and waits for it; libraries it had opened by then join
    // the set, without notices. Listed paths not loaded stay in "lib.dat". The progress
    // window is forgotten.
    void StopLoadLibraries();
    // Opens a library and enters it under its canonical path; with a progress window,
    // its components report their steps. FALSE when a library of that path is already
    // open, or when it cannot be opened (shown to the user); a missing file is created
    // as an empty library.
    BOOL OpenLibrary(const std::string& path);
    // The same without progress: a missing file becomes a new empty library; an
    // existing file that cannot be read is refused and left as it is.
    BOOL CreateLibrary(const std::string& path);
    // Enters an opened library (taken over on TRUE) under the canonical form of
    // `path`; FALSE when that path is already in the set.
    BOOL AddLibrary(const std::string& path, CLoadLibrary* library);
    // The same, taking `library` over only on TRUE (it is left as it was on FALSE).
    BOOL AddLibrary(const std::string& path, std::unique_ptr<CLoadLibrary>& library);
    // The open library of that path, however spelled; null for an empty path or none.
    CLoadLibrary* FindLibrary(const std::string& path) const;
    // Takes the library out of the set and deletes it (it saves itself when modified).
    void RemoveLibrary(const std::string& path);
    // Takes the component out of the open library of `path` and deletes it; FALSE when
    // it is not there.
    BOOL RemoveComponent(const std::string& path, CComponent* comp);

    // Listeners are told every change of the set; the id removes the listener again.
    int AddListener(Listener listener);
    void RemoveListener(int id);
    // Writes "lib.dat": the open libraries in set order, then the listed paths not
    // loaded. Destroy calls it after stopping the loader.
    bool WriteLibraryList(std::string* error);
    // The listed paths the loader has not yet opened or reported.
    const std::vector<std::string>& GetUnloadedLibraryPaths() const { return m_unloadedLibraries; }

    // Asks for the pattern name of a component going to a library; false when
    // cancelled. The user interface installs it.
    using PatternPrompt = std::function<bool(std::string& pattern)>;
    void SetPatternPrompt(PatternPrompt prompt) { m_patternPrompt = std::move(prompt); }
    // The add-to-my-library flow: the library menu, the pattern name and the replace
    // question; TRUE when a component of copies of `list` waits for its reference
    // point (then the pin-1 pick follows).
    BOOL AddSelectionToMyLibrary(const std::list<CEntity*>* list);
    // Ends the flow: with a point, the waiting component is moved so that the point
    // becomes its (0, 0) and stored in its library, replacing one of the same name only
    // once it is stored; without one it is dropped. Nothing waits afterwards.
    void CompleteAddToMyLibrary(const Position* picked);

    // Open component libraries by canonical path (owned), and the add-to-my-library
    // flow: the component (owned) waiting for its reference point and the path of the
    // library it goes to.
    std::map<std::string, CLoadLibrary*> LibraryMap;
    std::string m_pendingLibraryPath;
    std::unique_ptr<CComponent> m_pendingComponent;
    // The library menu's last choice, from 1; 0 before the first.
    int m_lastLibraryChoice = 0;

    // Drops a component waiting for its reference point.
    void DeleteLibraryPending();

    static constexpr const char* kReplaceQuestion =
        "Component name is already used,Replace existing Component?";

  private:
    // The listed path is settled (opened or failed): it leaves the unloaded paths.
    void SettleLibraryPath(const std::string& path);
    void DeleteLibraries();
    // Stores the component, replacing one of the same name once it is stored.
    static void StoreReplacing(CLoadLibrary* library, std::unique_ptr<CComponent> component);
    void Notify(LibraryEvent event, const std::string& path, CLoadLibrary* library);
    // Opens the library file at `path` and enters it: FALSE for a path already open or
    // without a name, and, with a message, for a file that cannot be opened.
    BOOL OpenAndAddLibrary(const std::string& path, const CLoadLibrary::ProgressSink& progress);

    std::string m_settingsFolder;
    std::unique_ptr<LibraryLoader> m_libraryLoader;
    LibraryProgressWindow* m_progressWindow = nullptr;
    // The paths of "lib.dat" (once it was read) not yet opened or reported.
    std::vector<std::string> m_unloadedLibraries;
    bool m_libraryListRead = false;
    bool m_pumpingLibraries = false;
    PatternPrompt m_patternPrompt;
    std::map<int, Listener> m_listeners;
    int m_nextListener = 1;
};
