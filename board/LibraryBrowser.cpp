#include "LibraryBrowser.h"

#include "CLoadLibrary.h"
#include "LibraryList.h"
#include "LibrarySet.h"
#include "model/CComponent.h"
#include "model/UiServices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace
{

char Lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool StartsIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace

LibraryBrowser::LibraryBrowser(LibrarySet& set) : m_set(set)
{
    for (const auto& [path, library] : m_set.LibraryMap)
        AddLibraryToList(path, true);
    m_listener =
        m_set.AddListener([this](LibraryEvent event, const std::string& path,
                                 CLoadLibrary* library) { OnLibraryEvent(event, path, library); });
}

LibraryBrowser::~LibraryBrowser()
{
    m_set.RemoveListener(m_listener);
}

void LibraryBrowser::Changed()
{
    if (m_changed)
        m_changed();
}

void LibraryBrowser::SetPreview(CComponent* component)
{
    m_preview = component;
}

void LibraryBrowser::AddLibraryToList(const std::string& path, bool choose)
{
    if (std::find(m_libraries.begin(), m_libraries.end(), path) == m_libraries.end())
        m_libraries.push_back(path);
    if (choose)
        ChooseLibrary(path);
}

void LibraryBrowser::ChooseLibrary(const std::string& path)
{
    CLoadLibrary* library = m_set.FindLibrary(path);
    if (!library)
        return;
    if (library != m_current)
        SetPreview(nullptr);
    m_current = library;
    m_currentPath = LibraryList::CanonicalPath(path);
    ListComponents();
    Changed();
}

void LibraryBrowser::ListComponents()
{
    m_components.clear();
    if (!m_current)
        return;
    for (std::string name = m_current->GetFirstComponentName(); !name.empty();
         name = m_current->GetNextComponentName())
        m_components.push_back(name);
    std::stable_sort(m_components.begin(), m_components.end(), LessIgnoringCase);
}

void LibraryBrowser::ChooseComponent(const std::string& name)
{
    if (!m_current)
        return;
    SetPreview(m_current->FindComponent(name));
    m_shownName = name;
    Changed();
}

int LibraryBrowser::Find(const std::string& text)
{
    if (text == m_shownName || text.empty())
        return -1;
    const auto it = std::find_if(m_components.begin(), m_components.end(),
                                 [&](const std::string& n) { return StartsIgnoringCase(n, text); });
    if (it == m_components.end())
        return -1;
    const int index = int(it - m_components.begin());
    ChooseComponent(*it);
    return index;
}

std::unique_ptr<CComponent> LibraryBrowser::ClonePreview() const
{
    if (!m_preview)
        return nullptr;
    return std::unique_ptr<CComponent>(static_cast<CComponent*>(m_preview->Clone()));
}

std::string LibraryBrowser::PromptLibrary(bool save)
{
    FilePrompt prompt;
    prompt.filters = {{kLibraryFilter, "*.lib"}, {kAllFilesFilter, "*.*"}};
    prompt.defaultExtension = kExtension;
    prompt.save = save;
    if (!UiServices::Current().Ask(prompt))
        return {};
    return prompt.path;
}

bool LibraryBrowser::Add()
{
    const std::string path = PromptLibrary(false);
    if (path.empty() || !m_set.OpenLibrary(path))
        return false;
    AddLibraryToList(LibraryList::CanonicalPath(path), true);
    return true;
}

bool LibraryBrowser::Create()
{
    const std::string path = PromptLibrary(true);
    if (path.empty())
        return false;
    const std::string key = LibraryList::CanonicalPath(path);
    if (m_set.FindLibrary(key)) {
        UiServices::Current().MessageBox("The library " + key + " is open already.");
        ChooseLibrary(key);
        return false;
    }
    std::error_code ec;
    const bool existed = std::filesystem::exists(key, ec);
    if (!m_set.CreateLibrary(key))
        return false;
    if (existed)
        UiServices::Current().MessageBox("The library " + key +
                                         " exists already; it was opened as it is.");
    AddLibraryToList(key, true);
    return true;
}

void LibraryBrowser::Remove(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        const std::string key = LibraryList::CanonicalPath(path);
        // The set's notice takes the library out of the list, the preview with it.
        m_set.RemoveLibrary(key);
        std::erase(m_libraries, key);
    }
    if (m_libraries.empty())
        m_components.clear();
    Changed();
}

bool LibraryBrowser::DeleteComponent()
{
    if (!m_preview || !m_current)
        return false;
    CComponent* doomed = m_preview;
    // Cleared first: nothing may show the component while it goes.
    SetPreview(nullptr);
    Changed();
    m_set.RemoveComponent(m_currentPath, doomed);
    ListComponents();
    Changed();
    return true;
}

void LibraryBrowser::OnLibraryEvent(LibraryEvent event, const std::string& path,
                                    CLoadLibrary* library)
{
    switch (event) {
    case LibraryEvent::Added:
        // A library that finished loading joins the list; the shown one stays.
        AddLibraryToList(path, false);
        Changed();
        break;
    case LibraryEvent::Removing:
        std::erase(m_libraries, path);
        if (library == m_current) {
            m_current = nullptr;
            m_currentPath.clear();
            SetPreview(nullptr);
        }
        Changed();
        break;
    case LibraryEvent::ComponentsChanging:
        if (library == m_current) {
            SetPreview(nullptr);
            Changed();
        }
        break;
    case LibraryEvent::ComponentsChanged:
        if (library == m_current) {
            ListComponents();
            Changed();
        }
        break;
    }
}
