#include "board/LibraryBrowser.h"

#include "board/CInfomation.h"
#include "board/CLoadLibrary.h"
#include "board/LibraryList.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class LibraryBrowserTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        libs = LibraryList::CanonicalPath(settingsFolder + "libs") + "/";
        fs::create_directories(libs);
    }
    void TearDown() override
    {
        EXPECT_TRUE(ui.AllAnswersUsed());
        browser.reset();
        UiServices::Install(nullptr);
        BoardTest::TearDown();
    }
    // A library file with one component per name, each one track of its own length.
    std::string MakeLibrary(const std::string& name, const Names& components)
    {
        CLoadLibrary lib;
        EXPECT_TRUE(lib.Open(libs + name));
        double length = 100.0;
        for (const std::string& c : components) {
            auto comp = std::make_unique<CComponent>(c);
            CLine track(Position(0, 0), Position(length += 10.0, 0));
            comp->AddEntity(&track, 0);
            EXPECT_TRUE(lib.AddComponent(comp));
        }
        return libs + name;
    }
    std::string OpenLibrary(const std::string& name, const Names& components)
    {
        const std::string path = MakeLibrary(name, components);
        EXPECT_TRUE(board().OpenLibrary(path));
        return path;
    }
    LibraryBrowser& Browse()
    {
        browser = std::make_unique<LibraryBrowser>(board().GetLibrarySet());
        browser->SetChangeHandler([this] { ++changes; });
        return *browser;
    }
    void AnswerFile(bool confirm, const std::string& path)
    {
        ui.Expect<FilePrompt>(confirm, [path](FilePrompt& p) { p.path = path; });
    }

    FakeUiServices ui;
    std::string libs;
    std::unique_ptr<LibraryBrowser> browser;
    int changes = 0;
};

TEST_F(LibraryBrowserTest, ListsEveryOpenLibraryAndTheLastOnesComponentsSorted)
{
    const std::string a = OpenLibrary("a.lib", {"R1", "c2"});
    const std::string b = OpenLibrary("b.lib", {"res", "Cap", "DIP8", "array"});
    LibraryBrowser& br = Browse();
    EXPECT_EQ(br.Libraries(), (Names{a, b}));
    EXPECT_EQ(br.CurrentLibrary(), board().FindLibrary(b));
    EXPECT_EQ(br.Components(), (Names{"array", "Cap", "DIP8", "res"}));
    EXPECT_EQ(br.Preview(), nullptr);

    br.ChooseLibrary(a);
    EXPECT_EQ(br.Components(), (Names{"c2", "R1"}));
    // A path that is not open changes nothing.
    br.ChooseLibrary(libs + "none.lib");
    EXPECT_EQ(br.CurrentLibrary(), board().FindLibrary(a));
}

TEST_F(LibraryBrowserTest, FindPreviewsTheFirstNameThatBeginsWithTheTextIgnoringCase)
{
    OpenLibrary("a.lib", {"Cap", "res", "R1", "DIP8"});
    LibraryBrowser& br = Browse();
    struct Case {
        const char* text;
        int index;
        const char* shown;
    } cases[] = {
        {"r", 2, "R1"},     {"RE", 3, "res"}, {"x", -1, "res"},
        {"res", -1, "res"}, // the name the browser put into the box itself: no echo
        {"d", 1, "DIP8"},   {"", -1, "DIP8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(br.Find(c.text), c.index);
        EXPECT_EQ(br.ShownName(), c.shown);
        ASSERT_NE(br.Preview(), nullptr);
        EXPECT_EQ(br.Preview()->GetPattern(), c.shown);
    }
    // Without a current library choosing a name does nothing.
    board().RemoveLibrary(libs + "a.lib");
    EXPECT_EQ(br.Preview(), nullptr);
    br.ChooseComponent("Cap");
    EXPECT_EQ(br.Preview(), nullptr);
}

TEST_F(LibraryBrowserTest, PlaceHandsOutACopyAndNothingWithoutAPreview)
{
    OpenLibrary("a.lib", {"Cap"});
    LibraryBrowser& br = Browse();
    EXPECT_EQ(br.ClonePreview(), nullptr);
    br.ChooseComponent("cap");
    std::unique_ptr<CComponent> copy = br.ClonePreview();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), br.Preview());
    EXPECT_EQ(copy->GetPattern(), "Cap");
    EXPECT_EQ(copy->GetChildren().size(), br.Preview()->GetChildren().size());
}

TEST_F(LibraryBrowserTest, AddOpensALibraryOnceAndAFailedOneAddsNothing)
{
    LibraryBrowser& br = Browse();
    const std::string path = MakeLibrary("a.lib", {"Cap"});
    AnswerFile(true, path);
    EXPECT_TRUE(br.Add());
    EXPECT_EQ(ui.Received<FilePrompt>().back().defaultExtension, "lib");
    EXPECT_FALSE(ui.Received<FilePrompt>().back().save);
    EXPECT_EQ(br.Libraries(), Names{path});
    EXPECT_EQ(br.Components(), Names{"Cap"});

    // Cancelled, a file that is no library, a library already open.
    const std::string junk = libs + "junk.lib";
    std::ofstream(junk) << "not a library\n";
    AnswerFile(false, path);
    AnswerFile(true, junk);
    AnswerFile(true, path);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(br.Add());
    EXPECT_EQ(br.Libraries(), Names{path});
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(LibraryBrowserTest, CreateMakesANewLibraryAndOpensAnExistingOneUnchanged)
{
    const std::string existing = MakeLibrary("old.lib", {"Cap", "Res"});
    const std::string bytes = [&] {
        std::ifstream in(existing, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    LibraryBrowser& br = Browse();
    AnswerFile(true, existing);
    EXPECT_TRUE(br.Create());
    EXPECT_TRUE(ui.Received<FilePrompt>().back().save);
    EXPECT_EQ(br.Components(), (Names{"Cap", "Res"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("opened as it is"), std::string::npos);
    std::ifstream in(existing, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

    // Without any library list, a created library is listed in "lib.dat" at exit.
    const std::string fresh = libs + "mine.lib";
    AnswerFile(true, fresh);
    EXPECT_TRUE(br.Create());
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(br.Components().empty());
    EXPECT_EQ(br.Libraries(), (Names{existing, fresh}));
    browser.reset();
    CInfomation::Destroy();
    Names listed;
    ASSERT_TRUE(LibraryList::Read(settingsFolder + "lib.dat", &listed, nullptr));
    EXPECT_EQ(listed, (Names{fresh, existing}));
}

TEST_F(LibraryBrowserTest, RemoveTakesExactlyTheGivenLibrariesAndClearsTheirPreview)
{
    const std::string a = OpenLibrary("a.lib", {"A1"});
    const std::string b = OpenLibrary("b.lib", {"B1"});
    const std::string c = OpenLibrary("c.lib", {"C1"});
    const std::string d = OpenLibrary("d.lib", {"D1"});
    LibraryBrowser& br = Browse();
    br.ChooseLibrary(c);
    br.ChooseComponent("C1");
    ASSERT_NE(br.Preview(), nullptr);

    br.Remove({a, c, d});
    EXPECT_EQ(br.Libraries(), Names{b});
    EXPECT_EQ(board().GetLibrarySet().LibraryMap.size(), 1u);
    EXPECT_EQ(br.Preview(), nullptr);
    EXPECT_EQ(br.CurrentLibrary(), nullptr);
    // The names stay listed until another library is chosen or none is left; a click
    // on one previews nothing.
    EXPECT_EQ(br.Components(), Names{"C1"});
    br.ChooseComponent("C1");
    EXPECT_EQ(br.Preview(), nullptr);
    br.Remove({b});
    EXPECT_TRUE(br.Components().empty());
}

TEST_F(LibraryBrowserTest, DeleteClearsThePreviewBeforeTheComponentGoes)
{
    const std::string path = OpenLibrary("a.lib", {"Cap", "Res"});
    LibraryBrowser& br = Browse();
    EXPECT_FALSE(br.DeleteComponent());
    br.ChooseComponent("Res");
    ASSERT_NE(br.Preview(), nullptr);
    // At the moment the library loses the component, nothing previews it any more.
    int checked = 0;
    const int id =
        board().GetLibrarySet().AddListener([&](LibraryEvent e, const std::string&, CLoadLibrary*) {
            if (e == LibraryEvent::ComponentsChanging) {
                EXPECT_EQ(br.Preview(), nullptr);
                ++checked;
            }
        });
    EXPECT_TRUE(br.DeleteComponent());
    board().GetLibrarySet().RemoveListener(id);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(br.Components(), Names{"Cap"});
    EXPECT_FALSE(board().FindLibrary(path)->HasComponent("Res"));
    EXPECT_FALSE(br.DeleteComponent());
}

TEST_F(LibraryBrowserTest, ChangesOfTheSetKeepTheListsUpToDate)
{
    const std::string a = OpenLibrary("a.lib", {"Cap"});
    LibraryBrowser& br = Browse();
    br.ChooseComponent("Cap");
    // A library that joins the set later is listed; the shown one stays current.
    const std::string b = OpenLibrary("b.lib", {"B1"});
    EXPECT_EQ(br.Libraries(), (Names{a, b}));
    EXPECT_EQ(br.CurrentLibrary(), board().FindLibrary(a));
    ASSERT_NE(br.Preview(), nullptr);

    // Add-to-my-library replacing the previewed component: cleared, and listed anew.
    CLine selected(Position(0, 0), Position(40, 0));
    std::list<CEntity*> selection{&selected};
    ui.Expect<ListChoice>(true, [](ListChoice& c) { c.chosen = 0; });
    ui.Expect<Question>(true);
    board().SetPatternPrompt([](std::string& p) {
        p = "Cap";
        return true;
    });
    ASSERT_TRUE(board().AddSelectionToMyLibrary(&selection));
    const Position pin(0, 0);
    board().CompleteAddToMyLibrary(&pin);
    EXPECT_EQ(br.Preview(), nullptr);
    EXPECT_EQ(br.Components(), Names{"Cap"});
    br.ChooseComponent("Cap");
    ASSERT_NE(br.Preview(), nullptr);

    // Choosing another library clears the preview.
    br.ChooseLibrary(b);
    EXPECT_EQ(br.Preview(), nullptr);
    EXPECT_GT(changes, 0);
}

} // namespace
