#include "ui/CBrowserLibDlg.h"

#include "board/CLoadLibrary.h"
#include "board/CVantorDoc.h"
#include "board/LibraryBrowser.h"
#include "board/LibraryList.h"
#include "commands/CommandKinds.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"
#include "ui/CMainFrame.h"
#include "ui/CPreViewStatic.h"
#include "ui/CVantorView.h"
#include "ui/CommandIds.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace Cmd;

namespace
{

class CBrowserLibDlgTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        libs = LibraryList::CanonicalPath(settingsFolder + "libs") + "/";
        std::filesystem::create_directories(libs);
        CLoadLibrary lib;
        ASSERT_TRUE(lib.Open(libs + "a.lib"));
        for (const char* name : {"Cap", "res", "R1"}) {
            auto comp = std::make_unique<CComponent>(name);
            CLine track(Position(0, 0), Position(300, 100));
            track.SetLayer(0);
            comp->AddEntity(&track, 0);
            ASSERT_TRUE(lib.AddComponent(comp));
        }
        ASSERT_TRUE(board().OpenLibrary(libs + "a.lib"));
    }
    void TearDown() override
    {
        EXPECT_TRUE(ui.AllAnswersUsed());
        frame.reset();
        doc.reset();
        BoardTest::TearDown();
    }
    static int NonBlackPixels(QWidget* w)
    {
        const QImage image = w->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += (image.pixel(x, y) & 0xFFFFFF) != 0;
        return count;
    }

    FakeUiServices ui;
    std::string libs;
    std::unique_ptr<CVantorDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(CBrowserLibDlgTest, ControlsCarryTheirNumbersAndTexts)
{
    CBrowserLibDlg dlg(board().GetLibrarySet());
    EXPECT_EQ(dlg.windowTitle(), "Browser libraries");
    EXPECT_EQ(dlg.property("dialogId").toInt(), 145);
    const std::pair<int, const char*> buttons[] = {{1022, "&Add"},    {1024, "&Remove"},
                                                   {1026, "&Create"}, {1029, "&Del"},
                                                   {1025, "&Place"},  {1, "&Close"}};
    for (const auto& [id, text] : buttons) {
        ASSERT_NE(dlg.Button(id), nullptr) << id;
        EXPECT_EQ(dlg.Button(id)->text(), text);
    }
    std::map<int, QString> numbered;
    for (QWidget* w : dlg.findChildren<QWidget*>())
        if (w->property("controlId").isValid())
            numbered[w->property("controlId").toInt()] = w->metaObject()->className();
    EXPECT_EQ(numbered[1023], "QListWidget");
    EXPECT_EQ(numbered[1027], "QListWidget");
    EXPECT_EQ(numbered[1028], "CPreViewStatic");
    EXPECT_EQ(numbered[1116], "QLabel");
    EXPECT_EQ(numbered[1197], "QLineEdit");
    EXPECT_EQ(dlg.LibraryList()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(CBrowserLibDlgTest, TypingPreviewsAndDoubleClickPlacesACopy)
{
    CBrowserLibDlg dlg(board().GetLibrarySet());
    std::vector<std::unique_ptr<CComponent>> placed;
    dlg.SetPlaceHandler([&](std::unique_ptr<CComponent> c) { placed.push_back(std::move(c)); });
    dlg.resize(500, 400);
    dlg.show();
    EXPECT_EQ(dlg.LibraryList()->count(), 1);
    EXPECT_EQ(dlg.ComponentList()->count(), 3);
    EXPECT_EQ(NonBlackPixels(dlg.Preview()), 0);

    // "&Place" with nothing previewed does nothing and the window stays.
    dlg.Button(1025)->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(placed.empty());

    dlg.FindBox()->setText("r");
    EXPECT_EQ(dlg.FindBox()->text(), "R1");
    ASSERT_NE(dlg.Preview()->GetComponent(), nullptr);
    EXPECT_EQ(dlg.Preview()->GetComponent()->GetPattern(), "R1");
    EXPECT_EQ(dlg.ComponentList()->selectedItems().size(), 0);
    EXPECT_GT(NonBlackPixels(dlg.Preview()), 50);
    QDir().mkpath(QStringLiteral("screenshots"));
    EXPECT_TRUE(dlg.grab().save(QStringLiteral("screenshots/browser.png")));
    // The board's view transform is as it was.
    EXPECT_DOUBLE_EQ(board().GetScaleX(), 1.0);

    QListWidgetItem* cap = dlg.ComponentList()->item(0);
    dlg.ComponentList()->setCurrentItem(cap);
    EXPECT_EQ(dlg.FindBox()->text(), "Cap");
    emit dlg.ComponentList()->itemDoubleClicked(cap);
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0]->GetPattern(), "Cap");
    EXPECT_NE(placed[0].get(), dlg.Preview()->GetComponent());
}

TEST_F(CBrowserLibDlgTest, DeleteAndRemoveLeaveNothingInThePreview)
{
    CBrowserLibDlg dlg(board().GetLibrarySet());
    dlg.show();
    dlg.FindBox()->setText("c");
    ASSERT_NE(dlg.Preview()->GetComponent(), nullptr);
    int checked = 0;
    const int id =
        board().GetLibrarySet().AddListener([&](LibraryEvent e, const std::string&, CLoadLibrary*) {
            if (e == LibraryEvent::ComponentsChanging || e == LibraryEvent::Removing) {
                EXPECT_EQ(dlg.Preview()->GetComponent(), nullptr);
                ++checked;
            }
        });
    dlg.Button(1029)->click();
    EXPECT_EQ(dlg.ComponentList()->count(), 2);
    dlg.FindBox()->setText("res");
    ASSERT_NE(dlg.Preview()->GetComponent(), nullptr);
    dlg.LibraryList()->item(0)->setSelected(true);
    dlg.Button(1024)->click();
    board().GetLibrarySet().RemoveListener(id);
    EXPECT_EQ(checked, 2);
    EXPECT_EQ(dlg.LibraryList()->count(), 0);
    EXPECT_EQ(dlg.ComponentList()->count(), 0);
    EXPECT_EQ(NonBlackPixels(dlg.Preview()), 0);
}

TEST_F(CBrowserLibDlgTest, TheLibraryCommandShowsOneBrowserAgainAndAgain)
{
    doc = std::make_unique<CVantorDoc>();
    frame = std::make_unique<CMainFrame>(doc.get());
    CVantorView* boardView = frame->GetActiveView();
    const std::string photo = settingsFolder + "photo.bmp";
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(QString::fromStdString(photo)));
    ui.Expect<DpiValues>(true);
    ui.Expect<Question>(true);
    ASSERT_TRUE(doc->OpenFile(photo));

    frame->UpdateCommands();
    ASSERT_TRUE(frame->Action(ID_PLACE_COMPONENT)->isEnabled());
    EXPECT_TRUE(frame->OnCommand(ID_PLACE_COMPONENT));
    auto* browser = qobject_cast<CBrowserLibDlg*>(boardView->BrowserDialog());
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(board().IsBrowserVisible(), 1);
    browser->Button(1)->click();
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(board().IsBrowserVisible(), 0);
    EXPECT_TRUE(frame->OnCommand(ID_PLACE_COMPONENT));
    EXPECT_EQ(boardView->BrowserDialog(), browser);
    EXPECT_EQ(frame->findChildren<CBrowserLibDlg*>().size(), 1);

    // Placing hides it and starts the component tool; the tool's end shows it again.
    browser->FindBox()->setText("cap");
    ui.Expect<DesignatorValues>(true);
    browser->Button(1025)->click();
    EXPECT_FALSE(browser->isVisible());
    // The copy went to the view, which started the component tool with it.
    ASSERT_NE(boardView->Dispatcher().GetCurrentCommand(), nullptr);
    EXPECT_EQ(boardView->Dispatcher().GetCurrentCommand()->GetCommandType(),
              CommandKind::Component);
    boardView->OnBoardNotify(BN_SHOW_BROWSER, 0);
    EXPECT_TRUE(browser->isVisible());
}

} // namespace
