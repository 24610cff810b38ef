#include "board/CInfomation.h"

#include "board/CLoadLibrary.h"
#include "board/LibraryList.h"
#include "board/LibraryProgressWindow.h"
#include "board/ViewPort.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "model/LibraryRecord.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>

namespace
{

namespace fs = std::filesystem;

// Stands in for the start-up window. It records the notices and counts the loading
// thread's wakes, so that the test thread can play the GUI thread; it can hold the
// loading thread in its first wake.
class RecordingWindow : public LibraryProgressWindow
{
  public:
    void WakeLibraryLoading() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_wakes;
        m_changed.notify_all();
        if (hold && m_wakes == 1)
            m_changed.wait(lock, [this] { return !hold; });
    }
    void OnLibraryLoadNotify(int code, const LibraryLoadProgress* p) override
    {
        done = code == BN_LOAD_DONE;
        notices.push_back(done ? "done"
                               : p->step + " " + p->item + " " + std::to_string(p->current) + "/" +
                                     std::to_string(p->total));
    }
    // Waits for wakes (at most a minute each: a guard against hanging, not a timing)
    // and takes in what was handed over, until the end notice.
    bool PumpUntilDone(CInfomation& board)
    {
        while (!done) {
            if (!WaitForWake())
                return false;
            board.PumpLibraryLoading();
        }
        return true;
    }
    bool WaitForWake()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::minutes(1), [this] { return m_wakes > m_seen; }))
            return false;
        m_seen = m_wakes;
        return true;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hold = false;
        m_changed.notify_all();
    }

    bool hold = false;
    bool done = false;
    std::vector<std::string> notices;

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_wakes = 0;
    int m_seen = 0;
};

class LibrarySet : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        libs = LibraryList::CanonicalPath(settingsFolder + "libs") + "/";
        fs::create_directories(libs);
        board().SetPatternPrompt([this](std::string& pattern) {
            if (patterns.empty() || patterns.front() == "<cancel>") {
                EXPECT_FALSE(patterns.empty()) << "unexpected pattern prompt";
                patterns.clear();
                return false;
            }
            pattern = patterns.front();
            patterns.pop_front();
            return true;
        });
    }
    void TearDown() override
    {
        EXPECT_TRUE(ui.AllAnswersUsed());
        EXPECT_TRUE(patterns.empty());
        BoardTest::TearDown();
    }

    // A library holding one component per name, each one track from (0, 0) to (length, 0).
    std::string MakeLibrary(const std::string& name, const std::vector<std::string>& components,
                            double length = 100.0)
    {
        CLoadLibrary lib;
        EXPECT_TRUE(lib.Open(libs + name));
        for (const std::string& c : components) {
            auto* comp = new CComponent(c);
            CLine track(Position(0, 0), Position(length, 0));
            comp->AddEntity(&track, 0);
            EXPECT_TRUE(lib.AddComponent(comp));
        }
        return libs + name;
    }
    void WriteList(const std::vector<std::string>& paths)
    {
        std::string error;
        EXPECT_TRUE(LibraryList::Write(settingsFolder + "lib.dat", paths, &error)) << error;
    }
    std::vector<std::string> ReadList()
    {
        std::vector<std::string> paths;
        std::string error;
        EXPECT_TRUE(LibraryList::Read(settingsFolder + "lib.dat", &paths, &error)) << error;
        return paths;
    }
    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Each component on disk: "name x,y" with the end of its first track in whole mils.
    static std::vector<std::string> Stored(const std::string& path)
    {
        CLoadLibrary lib;
        EXPECT_TRUE(lib.Open(path));
        std::vector<std::string> out;
        for (std::string n = lib.GetFirstComponentName(); !n.empty();
             n = lib.GetNextComponentName()) {
            const Position end =
                static_cast<CLine*>(lib.FindComponent(n)->GetChildren().at(0))->GetEnd();
            out.push_back(n + " " + std::to_string(std::lround(end.x)) + "," +
                          std::to_string(std::lround(end.y)));
        }
        return out;
    }
    // The flow up to the pin pick: the library menu's item, the pattern names given,
    // the answers to the replace question.
    BOOL StartFlow(int item, std::vector<std::string> names, std::vector<bool> replies = {})
    {
        ui.Expect<ListChoice>(true, [item](ListChoice& c) { c.chosen = item; });
        for (bool yes : replies)
            ui.Expect<Question>(yes);
        patterns.assign(names.begin(), names.end());
        return board().AddSelectionToMyLibrary(&selection);
    }

    FakeUiServices ui;
    RecordingWindow window;
    std::string libs;
    std::deque<std::string> patterns;
    CLine selected{Position(100, 50), Position(300, 50)};
    std::list<CEntity*> selection{&selected};
};

TEST(LibraryListFile, LayoutRoundTripAndDamage)
{
    EXPECT_EQ(LibraryList::ToBytes({"ab"}), (std::vector<std::uint8_t>{1, 0, 2, 'a', 'b'}));
    const std::vector<std::string> paths = {"/x/a.lib", std::string(254, 'p'),
                                            std::string(255, 'q'), std::string(70000, 'r')};
    std::vector<std::string> back;
    std::string error;
    ASSERT_TRUE(LibraryList::Parse(LibraryList::ToBytes(paths), &back, &error)) << error;
    EXPECT_EQ(back, paths);

    // No count; a path cut short; a count beyond the bytes; bytes after the last path.
    const std::vector<std::vector<std::uint8_t>> damaged = {
        {}, {1, 0, 5, 'a'}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 7}};
    for (const auto& bytes : damaged) {
        std::vector<std::string> kept = {"kept"};
        EXPECT_FALSE(LibraryList::Parse(bytes, &kept, &error)) << bytes.size();
        EXPECT_EQ(kept, std::vector<std::string>{"kept"});
    }
    error = "x";
    EXPECT_FALSE(LibraryList::Read("/nonexistent/lib.dat", &back, &error));
    EXPECT_TRUE(error.empty());
}

TEST_F(LibrarySet, WithoutAListOnlyTheEndNoticeComes)
{
    board().StartLoadLibraries(&window);
    ASSERT_TRUE(window.PumpUntilDone(board()));
    EXPECT_EQ(window.notices, std::vector<std::string>{"done"});
    EXPECT_TRUE(board().GetLibrarySet().LibraryMap.empty());
}

TEST_F(LibrarySet, ListedLibrariesLoadInOrderABadOneIsReportedAndLeftAlone)
{
    const std::string a = MakeLibrary("a.lib", {"R1", "C1"});
    const std::string b = MakeLibrary("b.lib", {"U1"});
    const std::string bad = libs + "bad.lib";
    std::ofstream(bad, std::ios::binary) << "PROTEL PCBLIB 21\nnot a library";
    const std::string missing = libs + "new.lib";
    WriteList({a, bad, b, missing});

    board().StartLoadLibraries(&window);
    ASSERT_TRUE(window.PumpUntilDone(board()));
    EXPECT_EQ(window.notices,
              (std::vector<std::string>{"Load library " + a + " 1/4", "Load component R1 1/2",
                                        "Load component C1 2/2", "Load library " + bad + " 2/4",
                                        "Load library " + b + " 3/4", "Load component U1 1/1",
                                        "Load library " + missing + " 4/4", "done"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(CLoadLibrary::kFormatError), std::string::npos);
    EXPECT_NE(ui.messages[0].find(bad), std::string::npos);
    EXPECT_EQ(Bytes(bad), "PROTEL PCBLIB 21\nnot a library");
    EXPECT_TRUE(board().FindLibrary(a)->HasComponent("c1"));
    EXPECT_EQ(board().FindLibrary(bad), nullptr);
    EXPECT_EQ(fs::file_size(missing), std::uintmax_t(CLoadLibrary::kDirectoryEnd));

    // At exit the list names the open libraries in path order.
    CInfomation::Destroy();
    EXPECT_EQ(ReadList(), (std::vector<std::string>{a, b, missing}));
}

TEST_F(LibrarySet, OneFileIsNeverInTheSetTwice)
{
    const std::string a = MakeLibrary("a.lib", {"R1"});
    const std::string dotted = libs + "./../libs/a.lib";
    const std::string linked = libs + "link.lib";
    fs::create_symlink(a, linked);
    ASSERT_TRUE(board().OpenLibrary(a));
    CLoadLibrary* first = board().FindLibrary(a);
    for (const std::string& spelling : {a, dotted, linked}) {
        EXPECT_FALSE(board().OpenLibrary(spelling)) << spelling;
        EXPECT_FALSE(board().CreateLibrary(spelling)) << spelling;
        CLoadLibrary other;
        EXPECT_FALSE(board().AddLibrary(spelling, &other)) << spelling;
        EXPECT_EQ(board().FindLibrary(spelling), first) << spelling;
    }
    EXPECT_EQ(board().GetLibrarySet().LibraryMap.size(), 1u);

    // Listed twice in other spellings, it loads once, quietly.
    board().RemoveLibrary(dotted);
    EXPECT_TRUE(board().GetLibrarySet().LibraryMap.empty());
    WriteList({dotted, linked});
    board().StartLoadLibraries(&window);
    ASSERT_TRUE(window.PumpUntilDone(board()));
    EXPECT_EQ(board().GetLibrarySet().LibraryMap.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LibrarySet, ExitCancelsJoinsAndKeepsThePathsNotLoaded)
{
    const std::vector<std::string> listed = {MakeLibrary("a.lib", {"R1", "R2"}),
                                             MakeLibrary("b.lib", {"U1"}),
                                             MakeLibrary("c.lib", {"C1"})};
    WriteList(listed);
    window.hold = true;
    board().StartLoadLibraries(&window);
    ASSERT_TRUE(window.WaitForWake());
    // The program ends while the loading thread is still in its first step.
    board().CancelLoadLibraries();
    window.Release();
    CInfomation::Destroy();
    const std::vector<std::string> written = ReadList();
    EXPECT_EQ(written.size(), 3u);
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()),
              std::set<std::string>(listed.begin(), listed.end()));

    // A run that ends before loading starts keeps the list too, after its own library.
    ASSERT_NE(CInfomation::Create(settingsFolder), nullptr);
    const std::string d = MakeLibrary("d.lib", {"D1"});
    ASSERT_TRUE(board().OpenLibrary(d));
    CInfomation::Destroy();
    EXPECT_EQ(ReadList().front(), d);
    EXPECT_EQ(ReadList().size(), 4u);
}

TEST_F(LibrarySet, AddToMyLibraryStoresThePickedPinAtTheOriginInTheLibraryOfThePath)
{
    const std::string a = MakeLibrary("a.lib", {"R1"});
    const std::string b = MakeLibrary("b.lib", {});
    ASSERT_TRUE(board().OpenLibrary(a));
    ASSERT_TRUE(board().OpenLibrary(b));

    EXPECT_FALSE(StartFlow(1, {"<cancel>"}));
    EXPECT_EQ(ui.Received<ListChoice>()[0].items,
              (std::vector<std::string>{"add to " + a + " library as my component...",
                                        "add to " + b + " library as my component..."}));
    EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr);

    // A cancelled pick stores nothing. The library chosen last is ticked, also when
    // it is the last one.
    ASSERT_TRUE(StartFlow(1, {"DIP8"}));
    EXPECT_EQ(ui.Received<ListChoice>()[0].checked, -1);
    EXPECT_EQ(ui.Received<ListChoice>()[1].checked, 1);
    board().CompleteAddToMyLibrary(nullptr);
    EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr);
    EXPECT_TRUE(Stored(b).empty());

    // Closed and opened again during the pick, the library still gets the component,
    // with the picked point as its (0, 0).
    ASSERT_TRUE(StartFlow(1, {"DIP8"}));
    EXPECT_EQ(board().GetLibrarySet().m_pendingLibraryPath, b);
    board().RemoveLibrary(b);
    ASSERT_TRUE(board().OpenLibrary(b));
    const Position pin(100, 50);
    board().CompleteAddToMyLibrary(&pin);
    EXPECT_EQ(Stored(b), std::vector<std::string>{"DIP8 200,0"});
    EXPECT_TRUE(board().FindLibrary(b)->HasComponent("dip8"));

    // Closed for good: told, nothing stored.
    ASSERT_TRUE(StartFlow(0, {"U7"}));
    board().RemoveLibrary(a);
    board().CompleteAddToMyLibrary(&pin);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(a), std::string::npos);
    EXPECT_EQ(Stored(a).size(), 1u);
    EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr);
}

TEST_F(LibrarySet, ReplacingKeepsTheOldComponentUntilTheNewOneIsStored)
{
    const std::string a = MakeLibrary("a.lib", {"R1", "DIP8", "C1"}, 500.0);
    ASSERT_TRUE(board().OpenLibrary(a));
    // No asks for the name again; yes replaces under that name.
    ASSERT_TRUE(StartFlow(0, {"dip8", "dip8"}, {false, true}));
    EXPECT_EQ(ui.Received<Question>()[0].text, CInfomation::kReplaceQuestion);
    const Position pin(100, 50);
    board().CompleteAddToMyLibrary(&pin);
    EXPECT_EQ(Stored(a), (std::vector<std::string>{"R1 500,0", "C1 500,0", "dip8 200,0"}));

    // A full directory cannot take the new one: the old one stays, the file unchanged.
    const std::string full = libs + "full.lib";
    std::string image(CLoadLibrary::kDirectoryEnd + CLoadLibrary::kMaxEntries * 32, '\0');
    std::memcpy(image.data(), "PROTEL PCBLIB 22", 16);
    for (int i = 0; i < CLoadLibrary::kMaxEntries; ++i) {
        auto* entry = reinterpret_cast<BYTE*>(image.data()) + 32 + 32 * i;
        const std::string name = i == 0 ? "DIP8" : "C" + std::to_string(i);
        std::memcpy(entry, name.data(), name.size());
        LibRecord::PutU16(entry + 12, 1);
        LibRecord::PutU16(entry + 14, std::uint16_t(CLoadLibrary::kDirectoryEnd / 32 + i));
        BYTE* body = entry + CLoadLibrary::kDirectoryEnd - 32;
        LibRecord::PutU16(body, 5); // one track
        LibRecord::PutU16(body + 2, 1);
    }
    std::ofstream(full, std::ios::binary) << image;
    ASSERT_TRUE(board().OpenLibrary(full));
    ASSERT_TRUE(StartFlow(1, {"DIP8"}, {true}));
    board().CompleteAddToMyLibrary(&pin);
    EXPECT_EQ(ui.messages, std::vector<std::string>{CLoadLibrary::kFullError});
    EXPECT_TRUE(board().FindLibrary(full)->HasComponent("DIP8"));
    EXPECT_EQ(Bytes(full), image);
}

} // namespace
