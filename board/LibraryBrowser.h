// What the library browser shows and does, without a window: the listed libraries, the
// component names of the current library, the previewed component and the find box's
// text, and the rules of finding, placing, adding, creating, removing and deleting. The
// window (ui/CBrowserLibDlg) shows this state and calls it; it is told of every change
// through the change handler. GUI thread only.
//
// The preview never points at a freed component: it is cleared before a component of
// the current library is deleted or replaced, whenever the current library changes and
// when that library is removed. Libraries that join the set while the browser is open,
// and libraries whose components change, are shown up to date.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CComponent;
class CLoadLibrary;
class LibrarySet;
enum class LibraryEvent;

class LibraryBrowser
{
  public:
    // The file chooser's filters.
    static constexpr const char* kLibraryFilter = "pcb2.8lib(*.lib)";
    static constexpr const char* kAllFilesFilter = "All Files (*.*)";
    static constexpr const char* kExtension = "lib";

    // Lists every library of `set` (in the set's order) and listens to it. `set` must
    // outlive the browser.
    explicit LibraryBrowser(LibrarySet& set);
    ~LibraryBrowser();
    LibraryBrowser(const LibraryBrowser&) = delete;
    LibraryBrowser& operator=(const LibraryBrowser&) = delete;

    // Called after every change of what the browser shows.
    void SetChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    // The library list (names in the set), in list order.
    const std::vector<std::string>& Libraries() const { return m_libraries; }
    // The component names of the current library, sorted ascending without regard to
    // case; left as they were when the current library is removed.
    const std::vector<std::string>& Components() const { return m_components; }
    // The library whose components are listed; null for none. Not owned.
    CLoadLibrary* CurrentLibrary() const { return m_current; }
    const std::string& CurrentPath() const { return m_currentPath; }
    // The previewed component (the current library's own); null for none. Not owned.
    CComponent* Preview() const { return m_preview; }
    // The name last put into the find box.
    const std::string& ShownName() const { return m_shownName; }

    // Lists the library's components; a path not open changes nothing.
    void ChooseLibrary(const std::string& path);
    // Previews the current library's component of that name (null when absent) and
    // puts the name into the find box. Without a current library nothing happens.
    void ChooseComponent(const std::string& name);
    // The find box's text changed: the first listed component whose name begins with
    // `text` (without regard to case) is previewed. Returns its index in Components(),
    // -1 when none was found or the text is the name the browser put there itself.
    int Find(const std::string& text);
    // A copy of the previewed component for the board; null when none is previewed.
    std::unique_ptr<CComponent> ClonePreview() const;
    // Asks for an existing library file and opens it; true when it was added.
    bool Add();
    // Asks for a library file to create. A new file becomes an empty library; an existing
    // library is opened unchanged, and the user is told so. True when one was added.
    bool Create();
    // Removes these libraries from the set (each saves itself when modified).
    void Remove(const std::vector<std::string>& paths);
    // Deletes the previewed component from the current library; false when there is
    // nothing to delete.
    bool DeleteComponent();

  private:
    void OnLibraryEvent(LibraryEvent event, const std::string& path, CLoadLibrary* library);
    // Appends a library to the list (once) and, when asked, lists its components.
    void AddLibraryToList(const std::string& path, bool choose);
    void ListComponents();
    void SetPreview(CComponent* component);
    // Asks for a library file; empty when cancelled.
    static std::string PromptLibrary(bool save);
    void Changed();

    LibrarySet& m_set;
    int m_listener = 0;
    std::function<void()> m_changed;
    std::vector<std::string> m_libraries;
    std::vector<std::string> m_components;
    CLoadLibrary* m_current = nullptr;
    std::string m_currentPath;
    CComponent* m_preview = nullptr;
    std::string m_shownName;
};
