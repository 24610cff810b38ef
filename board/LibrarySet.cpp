#include "LibrarySet.h"

#include "CLoadLibrary.h"
#include "LibraryList.h"
#include "LibraryLoader.h"
#include "LibraryProgressWindow.h"
#include "ViewPort.h"
#include "model/CComponent.h"
#include "model/CEntity.h"
#include "model/UiServices.h"

#include <algorithm>
#include <utility>

LibrarySet::LibrarySet(std::string settingsFolder) : m_settingsFolder(std::move(settingsFolder)) {}

LibrarySet::~LibrarySet()
{
    // The loading thread goes first: it may still be reading a library.
    StopLoadLibraries();
    m_libraryLoader.reset();
    DeleteLibraryPending();
    DeleteLibraries();
}

void LibrarySet::DeleteLibraryPending()
{
    m_pendingComponent.reset();
    m_pendingLibraryPath.clear();
}

void LibrarySet::StartLoadLibraries(LibraryProgressWindow* window)
{
    if (m_libraryLoader)
        return;
    m_progressWindow = window;
    std::vector<std::string> listed;
    std::string error;
    const std::string file = m_settingsFolder + LibraryList::kFileName;
    if (!LibraryList::Read(file, &listed, &error) && !error.empty())
        UiServices::Current().MessageBox(error);
    m_libraryListRead = true;
    std::erase(listed, std::string());
    m_unloadedLibraries = listed;

    m_libraryLoader = std::make_unique<LibraryLoader>();
    std::function<void()> wake;
    if (window)
        wake = [window] { window->WakeLibraryLoading(); };
    m_libraryLoader->Start(std::move(listed), std::move(wake));
}

int LibrarySet::PumpLibraryLoading()
{
    // A message box shown here runs the event loop, which may call again: the outer
    // call goes on taking what arrives meanwhile.
    if (!m_libraryLoader || m_pumpingLibraries)
        return 0;
    m_pumpingLibraries = true;
    int taken = 0;
    for (;;) {
        std::vector<LibraryLoadEvent> events = m_libraryLoader->TakeEvents();
        if (events.empty())
            break;
        for (LibraryLoadEvent& e : events) {
            ++taken;
            switch (e.kind) {
            case LibraryLoadEvent::Progress:
                if (m_progressWindow)
                    m_progressWindow->OnLibraryLoadNotify(BN_LOAD_PROGRESS, &e.progress);
                break;
            case LibraryLoadEvent::Opened:
                SettleLibraryPath(e.path);
                // A library already in the set stays as it is; the second copy goes.
                if (e.library)
                    AddLibrary(e.library->GetPath(), e.library);
                break;
            case LibraryLoadEvent::Failed:
                SettleLibraryPath(e.path);
                UiServices::Current().MessageBox(e.error + "\n" + e.path);
                break;
            case LibraryLoadEvent::Finished:
                m_libraryLoader->Join();
                if (m_progressWindow)
                    m_progressWindow->OnLibraryLoadNotify(BN_LOAD_DONE, nullptr);
                break;
            }
        }
    }
    m_pumpingLibraries = false;
    return taken;
}

void LibrarySet::CancelLoadLibraries()
{
    if (m_libraryLoader)
        m_libraryLoader->Cancel();
}

void LibrarySet::StopLoadLibraries()
{
    m_progressWindow = nullptr;
    if (!m_libraryLoader)
        return;
    m_libraryLoader->Cancel();
    m_libraryLoader->Join();
    for (LibraryLoadEvent& e : m_libraryLoader->TakeEvents()) {
        if (e.kind == LibraryLoadEvent::Opened) {
            SettleLibraryPath(e.path);
            if (e.library)
                AddLibrary(e.library->GetPath(), e.library);
        } else if (e.kind == LibraryLoadEvent::Failed) {
            SettleLibraryPath(e.path);
        }
    }
}

void LibrarySet::SettleLibraryPath(const std::string& path)
{
    auto it = std::find(m_unloadedLibraries.begin(), m_unloadedLibraries.end(), path);
    if (it != m_unloadedLibraries.end())
        m_unloadedLibraries.erase(it);
}

BOOL LibrarySet::OpenAndAddLibrary(const std::string& path,
                                   const CLoadLibrary::ProgressSink& progress)
{
    const std::string key = LibraryList::CanonicalPath(path);
    if (key.empty() || FindLibrary(key))
        return FALSE;
    auto library = std::make_unique<CLoadLibrary>();
    std::string error;
    if (!library->Open(key, progress, nullptr, &error)) {
        UiServices::Current().MessageBox(error + "\n" + key);
        return FALSE;
    }
    return AddLibrary(key, library);
}

BOOL LibrarySet::OpenLibrary(const std::string& path)
{
    CLoadLibrary::ProgressSink progress;
    if (m_progressWindow)
        progress = [this](const std::string& step, const std::string& item, int total,
                          int current) {
            LibraryLoadProgress p{step, item, total, current};
            if (m_progressWindow)
                m_progressWindow->OnLibraryLoadNotify(BN_LOAD_PROGRESS, &p);
        };
    return OpenAndAddLibrary(path, progress);
}

BOOL LibrarySet::CreateLibrary(const std::string& path)
{
    return OpenAndAddLibrary(path, {});
}

BOOL LibrarySet::AddLibrary(const std::string& path, CLoadLibrary* library)
{
    const std::string key = LibraryList::CanonicalPath(path);
    if (!library || key.empty() || LibraryMap.count(key))
        return FALSE;
    LibraryMap[key] = library;
    Notify(LibraryEvent::Added, key, library);
    return TRUE;
}

BOOL LibrarySet::AddLibrary(const std::string& path, std::unique_ptr<CLoadLibrary>& library)
{
    if (!AddLibrary(path, library.get()))
        return FALSE;
    (void)library.release(); // the set owns it now
    return TRUE;
}

CLoadLibrary* LibrarySet::FindLibrary(const std::string& path) const
{
    if (path.empty())
        return nullptr;
    auto it = LibraryMap.find(LibraryList::CanonicalPath(path));
    return it == LibraryMap.end() ? nullptr : it->second;
}

void LibrarySet::RemoveLibrary(const std::string& path)
{
    if (path.empty())
        return;
    auto it = LibraryMap.find(LibraryList::CanonicalPath(path));
    if (it == LibraryMap.end())
        return;
    const std::string key = it->first;
    CLoadLibrary* library = it->second;
    Notify(LibraryEvent::Removing, key, library);
    LibraryMap.erase(key);
    delete library;
}

BOOL LibrarySet::RemoveComponent(const std::string& path, CComponent* comp)
{
    CLoadLibrary* library = FindLibrary(path);
    if (!library || !comp)
        return FALSE;
    const std::string key = LibraryList::CanonicalPath(path);
    Notify(LibraryEvent::ComponentsChanging, key, library);
    const bool removed = library->RemoveComponent(comp) != nullptr;
    Notify(LibraryEvent::ComponentsChanged, key, library);
    return removed ? TRUE : FALSE;
}

int LibrarySet::AddListener(Listener listener)
{
    const int id = m_nextListener++;
    m_listeners[id] = std::move(listener);
    return id;
}

void LibrarySet::RemoveListener(int id)
{
    m_listeners.erase(id);
}

void LibrarySet::Notify(LibraryEvent event, const std::string& path, CLoadLibrary* library)
{
    // A listener may remove itself or another one while it is told.
    const std::map<int, Listener> listeners = m_listeners;
    for (const auto& [id, listener] : listeners)
        if (m_listeners.count(id))
            listener(event, path, library);
}

void LibrarySet::DeleteLibraries()
{
    std::map<std::string, CLoadLibrary*> libraries;
    libraries.swap(LibraryMap);
    for (auto& [path, library] : libraries)
        delete library;
}

bool LibrarySet::WriteLibraryList(std::string* error)
{
    const std::string file = m_settingsFolder + LibraryList::kFileName;
    // Loading never started: every listed library is one not loaded.
    if (!m_libraryListRead) {
        std::vector<std::string> listed;
        if (LibraryList::Read(file, &listed, nullptr)) {
            std::erase(listed, std::string());
            m_unloadedLibraries = listed;
        }
        m_libraryListRead = true;
    }
    std::vector<std::string> paths;
    for (const auto& [path, library] : LibraryMap)
        paths.push_back(path);
    for (const std::string& path : m_unloadedLibraries) {
        if (FindLibrary(path) || std::find(paths.begin(), paths.end(), path) != paths.end())
            continue;
        paths.push_back(path);
    }
    return LibraryList::Write(file, paths, error);
}

BOOL LibrarySet::AddSelectionToMyLibrary(const std::list<CEntity*>* list)
{
    if (!list || list->empty() || LibraryMap.empty())
        return FALSE;

    // The library menu: every open library that can take another component.
    std::vector<std::string> targets;
    ListChoice menu;
    for (const auto& [path, library] : LibraryMap) {
        if (library->IsDummyEntry())
            continue;
        targets.push_back(path);
        menu.items.push_back("add to " + path + " library as my component...");
    }
    // The library chosen last time keeps its tick (wrapped round when libraries have
    // been closed since).
    if (!targets.empty() && m_lastLibraryChoice > 0)
        menu.checked = (m_lastLibraryChoice - 1) % int(targets.size());
    if (targets.empty() || !UiServices::Current().Ask(menu) || menu.chosen < 0 ||
        menu.chosen >= int(targets.size()))
        return FALSE;
    m_lastLibraryChoice = menu.chosen + 1;
    const std::string target = targets[std::size_t(menu.chosen)];
    CLoadLibrary* library = FindLibrary(target);

    std::string pattern;
    for (;;) {
        if (!m_patternPrompt || !m_patternPrompt(pattern))
            return FALSE;
        if (pattern.size() > std::size_t(CLoadLibrary::kNameSize))
            pattern.resize(CLoadLibrary::kNameSize);
        if (!library->HasComponent(pattern))
            break;
        Question replace{kReplaceQuestion};
        if (UiServices::Current().Ask(replace))
            break;
    }

    auto component = std::make_unique<CComponent>(pattern);
    component->AddCopiesFromList(*list, 0);
    // A library keeps only primitive records; a component without any would be refused
    // after the pick with nothing said.
    if (component->GetRecordSize() < 1) {
        UiServices::Current().MessageBox(
            "The selection holds nothing a component library can store.");
        return FALSE;
    }
    DeleteLibraryPending();
    m_pendingComponent = std::move(component);
    m_pendingLibraryPath = target;
    return TRUE;
}

void LibrarySet::CompleteAddToMyLibrary(const Position* picked)
{
    std::unique_ptr<CComponent> component = std::move(m_pendingComponent);
    const std::string target = std::move(m_pendingLibraryPath);
    m_pendingLibraryPath.clear();
    if (!component || target.empty() || !picked)
        return;
    CLoadLibrary* library = FindLibrary(target);
    if (!library) {
        UiServices::Current().MessageBox("The library " + target +
                                         " is no longer open; the component was not stored.");
        return;
    }

    // Pin 1 becomes the component's (0, 0).
    const Position pin = *picked;
    component->SetPosition(pin, 0);
    int flag = 0;
    component->Move(Position(0.0, 0.0), pin, &flag);

    // Nothing may go on showing the component that is replaced.
    const std::string key = LibraryList::CanonicalPath(target);
    Notify(LibraryEvent::ComponentsChanging, key, library);
    StoreReplacing(library, std::move(component));
    Notify(LibraryEvent::ComponentsChanged, key, library);
}

void LibrarySet::StoreReplacing(CLoadLibrary* library, std::unique_ptr<CComponent> component)
{
    const std::string pattern = component->GetPattern();
    CComponent* old = library->FindComponent(pattern);
    CComponent* stored = component.get();
    // The one it replaces goes only once the new one is stored (under a free name, as
    // long as the old one holds this one).
    if (!library->AddComponent(component) || !old)
        return;
    library->RemoveComponent(old);
    if (stored->GetPattern() == pattern)
        return;
    // The name is free now: the new component takes it.
    std::unique_ptr<CComponent> renamed = library->RemoveComponent(stored);
    if (!renamed)
        return;
    renamed->SetPattern(pattern);
    library->AddComponent(renamed);
}
