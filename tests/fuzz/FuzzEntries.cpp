#include "FuzzEntries.h"

#include "board/AtomicFile.h"
#include "board/CInfomation.h"
#include "board/CLoadLibrary.h"
#include "board/LayerTable.h"
#include "board/LibraryList.h"
#include "model/CComponent.h"
#include "model/ModelSetup.h"
#include "platform/CArchive.h"
#include "platform/RecordingDrawContext.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

void RegisterOnce()
{
    static const bool registered = [] {
        RegisterModelClasses();
        return true;
    }();
    (void)registered;
}

// The board state to read documents into: the one there is, else one built on an empty
// settings folder that is removed again at once (nothing is written there until the
// board state is destroyed, which the fuzz targets never do).
CInfomation& Board()
{
    RegisterOnce();
    if (!theInfomation) {
        namespace fs = std::filesystem;
        std::string folder = (fs::temp_directory_path() / "vantor-fuzz-XXXXXX").string();
        if (!mkdtemp(folder.data()))
            std::abort();
        CInfomation::Create(folder + "/");
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    return *theInfomation;
}

// A folder for the library files of this process, in memory when the system has such a
// folder; removed when the process ends.
const std::string& LibraryFolder()
{
    namespace fs = std::filesystem;
    // Never destroyed: the exit handler still needs it.
    static const std::string* folder = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string made = (base / "vantor-fuzz-lib-XXXXXX").string();
        if (!mkdtemp(made.data()))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(LibraryFolder(), ignored);
        });
        return new std::string(made + "/");
    }();
    return *folder;
}

// A new, empty library at `path` (whatever was there goes).
std::unique_ptr<CLoadLibrary> NewLibrary(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
    auto library = std::make_unique<CLoadLibrary>(path);
    if (!library->IsOpen())
        std::abort();
    return library;
}

// Every add saves the whole library: copying is held to the first components, so that
// an input listing hundreds of them stays quick.
constexpr int kCopiedComponents = 8;

// Adds a copy of each of the first components of `from` to `to`, in library order; the
// names of the copies `to` took.
std::vector<std::string> CopyComponents(CLoadLibrary& from, CLoadLibrary& to)
{
    std::vector<std::string> added;
    int tried = 0;
    for (std::string name = from.GetFirstComponentName();
         !name.empty() && tried < kCopiedComponents; name = from.GetNextComponentName(), ++tried) {
        CComponent* own = from.FindComponent(name);
        if (!own)
            continue;
        auto copy = std::make_unique<CComponent>(*own);
        if (to.AddComponent(copy.get()))
            added.push_back(copy.release()->GetPattern());
    }
    return added;
}

Bytes FileBytes(const std::string& path)
{
    Bytes bytes;
    std::string error;
    ReadWholeFile(path, &bytes, &error, CLoadLibrary::kMaxFileBytes);
    return bytes;
}

Bytes StoreDocument(CInfomation& board)
{
    CArchive out;
    board.Serialize(out);
    return out.TakeBytes();
}

// The header values a document sets, put back when the input is done with.
class SavedHeader
{
  public:
    explicit SavedHeader(CInfomation& board)
        : m_board(board), m_real1(board.m_headerReal1), m_real2(board.m_headerReal2),
          m_int1(board.m_headerInt1), m_int2(board.m_headerInt2)
    {
        board.GetScreenOrigin(m_origin);
    }
    ~SavedHeader()
    {
        m_board.SetScreenOrigin(m_origin);
        m_board.m_headerReal1 = m_real1;
        m_board.m_headerReal2 = m_real2;
        m_board.m_headerInt1 = m_int1;
        m_board.m_headerInt2 = m_int2;
    }
    SavedHeader(const SavedHeader&) = delete;
    SavedHeader& operator=(const SavedHeader&) = delete;

  private:
    CInfomation& m_board;
    int m_origin[2] = {0, 0};
    double m_real1, m_real2;
    int m_int1, m_int2;
};

} // namespace

FuzzResult FuzzDocument(FuzzBytes data)
{
    CInfomation& board = Board();
    SavedHeader header(board);
    board.ClearBoard();
    FuzzResult result;
    try {
        CArchive in(data);
        board.Serialize(in);
        result.accepted = true;
    } catch (const CArchiveException&) {
    }
    if (result.accepted) {
        // What the program shows once a board is open: its extent and its drawing in a
        // window-sized view.
        BOX2D box;
        board.GetElements().GetBoundingBox(&box);
        RecordingDrawContext dc;
        board.DrawBoard(&dc, Rect{0, 0, 1920, 1080});

        // Saved and opened again, the board is the same board.
        const Bytes first = StoreDocument(board);
        board.ClearBoard();
        try {
            CArchive again(first);
            board.Serialize(again);
            if (StoreDocument(board) != first)
                result.fault = "the document changed when it was saved, opened and saved again";
        } catch (const CArchiveException& e) {
            result.fault = std::string("the document as saved could not be opened: ") + e.what();
        }
    }
    board.ClearBoard();
    return result;
}

FuzzResult FuzzLayerDat(FuzzBytes data)
{
    FuzzResult result;
    LayerTable table;
    std::string error;
    result.accepted = table.ReadBytes(data, &error);

    // Accepted or not, the table holds every key, each with a colour and a shown flag
    // the program can use; a refusal leaves the defaults and says why.
    LayerTable defaults;
    bool sound = table.entries.size() == std::size_t(LayerTable::kKeyCount);
    for (const auto& [key, entry] : table.entries)
        sound = sound && key >= 0 && key < LayerTable::kKeyCount &&
                (entry.color & 0xFF000000u) == 0 && (entry.shown == 0 || entry.shown == 1) &&
                (entry.shown == 1 ||
                 (key != LayerTable::kBackgroundKey && key != LayerTable::kSelectionKey));
    if (!sound)
        result.fault = "the colour table read is not a complete, valid table";
    else if (!result.accepted && (error.empty() || table.entries != defaults.entries))
        result.fault = "a refused file did not leave the defaults with a reason";

    if (result.accepted && result.fault.empty()) {
        const Bytes written = table.ToBytes();
        LayerTable again;
        if (!again.ReadBytes(written, &error))
            result.fault = "the table as written could not be read: " + error;
        else if (again.entries != table.entries)
            result.fault = "the table changed when written and read back";
    }
    return result;
}

FuzzResult FuzzLibDat(FuzzBytes data)
{
    FuzzResult result;
    const std::vector<std::string> before = {"untouched"};
    std::vector<std::string> paths = before;
    std::string error;
    result.accepted = LibraryList::Parse(data, &paths, &error);
    if (!result.accepted) {
        if (paths != before || error.empty())
            result.fault = "a refused list changed the paths or gave no reason";
        return result;
    }
    try {
        std::vector<std::string> again;
        if (!LibraryList::Parse(LibraryList::ToBytes(paths), &again, &error))
            result.fault = "the list as written could not be read: " + error;
        else if (again != paths)
            result.fault = "the list changed when written and read back";
    } catch (const CArchiveException& e) {
        result.fault = std::string("the list read could not be written: ") + e.what();
    }
    return result;
}

FuzzResult FuzzLibrary(FuzzBytes data)
{
    RegisterOnce();
    FuzzResult result;
    const std::string input = LibraryFolder() + "input.lib";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        if (!out)
            std::abort();
    }
    CLoadLibrary library;
    std::string error;
    result.accepted = library.Open(input, {}, nullptr, &error) != FALSE;
    if (!result.accepted) {
        if (error.empty() || library.IsOpen() || library.GetComponentCount() != 0)
            result.fault = "a refused library gave no reason or was not left empty";
        return result;
    }

    // Every name listed can be found, and every component has a box.
    int listed = 0;
    for (std::string name = library.GetFirstComponentName(); !name.empty();
         name = library.GetNextComponentName(), ++listed) {
        CComponent* component = library.FindComponent(name);
        if (!component) {
            result.fault = "a listed component cannot be found by its name";
            return result;
        }
        BOX2D box;
        component->GetBox(&box);
    }
    if (listed > library.GetComponentCount()) {
        result.fault = "more names listed than the library holds";
        return result;
    }

    // Components taken into another library are there when that library is opened.
    // Records keep lengths and angles only to a set precision, so a value read from
    // the input may settle on the next copy; after that, copying changes nothing.
    const std::string paths[] = {LibraryFolder() + "first.lib", LibraryFolder() + "second.lib",
                                 LibraryFolder() + "third.lib"};
    std::unique_ptr<CLoadLibrary> source;
    CLoadLibrary* from = &library;
    for (const std::string& path : paths) {
        std::vector<std::string> added;
        {
            std::unique_ptr<CLoadLibrary> copy = NewLibrary(path);
            added = CopyComponents(*from, *copy);
        }
        auto reopened = std::make_unique<CLoadLibrary>();
        if (!reopened->Open(path, {}, nullptr, &error)) {
            result.fault = "a library made of the components read could not be opened: " + error;
            return result;
        }
        std::vector<std::string> names;
        for (std::string name = reopened->GetFirstComponentName(); !name.empty();
             name = reopened->GetNextComponentName())
            names.push_back(name);
        if (names != added) {
            result.fault = "a library made of the components read does not list them";
            return result;
        }
        source = std::move(reopened);
        from = source.get();
    }
    const Bytes first = FileBytes(paths[0]);
    const Bytes second = FileBytes(paths[1]);
    const auto directoryEnd = std::ptrdiff_t(CLoadLibrary::kDirectoryEnd);
    if (first.size() != second.size() ||
        !std::equal(first.begin(), first.begin() + directoryEnd, second.begin()))
        result.fault =
            "components copied into a library changed in number or size when copied again";
    else if (second != FileBytes(paths[2]))
        result.fault = "components copied into a library did not settle when copied again";
    return result;
}
