#include "ui/CDlgStartUpWindow.h"

#include "board/CLoadLibrary.h"
#include "board/CVantorDoc.h"
#include "board/LibraryList.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "platform/Clock.h"
#include "support/BoardFixture.h"
#include "support/FakeClock.h"
#include "support/FakeUiServices.h"
#include "ui/CAboutDlg.h"
#include "ui/CMainFrame.h"
#include "ui/CVantorApp.h"
#include "ui/CommandIds.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace Cmd;

namespace
{

// Screenshots for review go to "screenshots" in the test's working folder.
void SaveScreenshot(QWidget* w, const QString& name)
{
    QDir().mkpath(QStringLiteral("screenshots"));
    EXPECT_TRUE(w->grab().save(QStringLiteral("screenshots/") + name + QStringLiteral(".png")));
}

class StartUpTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        Clock::Install(&clock);
        doc = std::make_unique<CVantorDoc>();
        frame = std::make_unique<CMainFrame>(doc.get());
    }
    void TearDown() override
    {
        theInfomation->StopLoadLibraries();
        frame.reset();
        doc.reset();
        Clock::Install(nullptr);
        BoardTest::TearDown();
    }
    // Opens the start-up form and loads the listed libraries into it, running the event
    // loop until loading has ended (at most a minute: a guard against hanging, not a
    // timing).
    QPointer<CDlgStartUpWindow> OpenAndLoad()
    {
        QPointer<CDlgStartUpWindow> window =
            new CDlgStartUpWindow(frame.get(), CDlgStartUpWindow::StartUp);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(frame->isVisible());
        theInfomation->StartLoadLibraries(window);
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (window && !window->IsLoadingDone() && std::chrono::steady_clock::now() < end)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_TRUE(window && window->IsLoadingDone());
        return window;
    }
    static void Click(QWidget* w)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    // Steps the clock and fires the window's timer as its QTimer would.
    static void Step(FakeClock& c, QPointer<CDlgStartUpWindow>& w, int ms)
    {
        c.Advance(std::uint64_t(ms));
        if (w)
            w->OnTimer();
        // The deferred deletion, then the notice it posts to the frame.
        QApplication::processEvents();
        QApplication::processEvents();
    }

    FakeUiServices ui;
    FakeClock clock{1000};
    std::unique_ptr<CVantorDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(StartUpTest, WithoutALibraryListTheWindowClosesAfterTwoWaitsAndShowsTheFrame)
{
    QPointer<CDlgStartUpWindow> window = OpenAndLoad();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->size(), QSize(CDlgStartUpWindow::kWidth, CDlgStartUpWindow::kHeight));
    // Clicks and keys during the first wait change nothing.
    Click(window);
    Step(clock, window, CDlgStartUpWindow::kCompleteDelayMs - 1);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->IsClosable());
    EXPECT_EQ(window->Line1(), "");
    Step(clock, window, 1);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->IsClosable());
    EXPECT_EQ(window->Line1(), "             Complete successful!       ");
    Step(clock, window, CDlgStartUpWindow::kCloseDelayMs - 1);
    ASSERT_TRUE(window);
    EXPECT_FALSE(frame->isVisible());
    Step(clock, window, 1);
    EXPECT_FALSE(window);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMaximized());
}

TEST_F(StartUpTest, ListedLibrariesShowTheirProgressAndAClickAfterCompletionCloses)
{
    const std::string lib = LibraryList::CanonicalPath(settingsFolder + "a.lib");
    {
        CLoadLibrary library;
        ASSERT_TRUE(library.Open(lib));
        for (const char* name : {"Cap", "Res"}) {
            auto comp = std::make_unique<CComponent>(name);
            CLine track(Position(0, 0), Position(100, 0));
            comp->AddEntity(&track, 0);
            ASSERT_TRUE(library.AddComponent(comp));
        }
    }
    std::string error;
    ASSERT_TRUE(LibraryList::Write(settingsFolder + "lib.dat", {lib}, &error)) << error;

    QPointer<CDlgStartUpWindow> window = OpenAndLoad();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Line1(), "Loading 1 of 1 librarys: ");
    EXPECT_EQ(window->Line2(), "2 of 2 components");
    EXPECT_NE(theInfomation->FindLibrary(lib), nullptr);
    SaveScreenshot(window, QStringLiteral("startup-loading"));
    Step(clock, window, CDlgStartUpWindow::kCompleteDelayMs);
    ASSERT_TRUE(window && window->IsClosable());
    SaveScreenshot(window, QStringLiteral("startup-complete"));
    Step(clock, window, 0);
    ASSERT_TRUE(window);
    Click(window);
    Step(clock, window, 0);
    EXPECT_FALSE(window);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(StartUpTest, PicturesAndTextPositionsFollowTheLanguageFile)
{
    const struct {
        QString path;
        const char* picture;
        QPoint version;
        QPoint year;
    } cases[] = {
        {QString(), "EN", {158, 252}, {285, 307}},
        {QStringLiteral("/x/Language/English.lang"), "EN", {158, 252}, {285, 307}},
        {QStringLiteral("/x/Language/\u7B80\u4F53\u4E2D\u6587.lang"),
         "STARTUP",
         {148, 252},
         {273, 307}},
        {QStringLiteral("/x/Language/\u7E41\u9AD4\u4E2D\u6587.lang"), "FT", {148, 252}, {273, 307}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(CDlgStartUpWindow::PictureName(c.path), c.picture);
        CDlgStartUpWindow about(nullptr, CDlgStartUpWindow::About, c.path);
        EXPECT_EQ(about.VersionPosition(), c.version);
        EXPECT_EQ(about.YearPosition(), c.year);
        SaveScreenshot(&about, QStringLiteral("about-") + c.picture);
    }
}

TEST_F(StartUpTest, TheAboutFormClosesOnTheFirstKeyAndLeavesTheFrameAlone)
{
    QTemporaryDir home;
    qputenv("VANTOR_HOME", (home.path() + "/").toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    frame.reset();
    theInfomation->SetView(nullptr);
    CInfomation::Destroy();
    CVantorApp app;
    ASSERT_TRUE(app.InitInstance({"vantor"}));
    CMainFrame* main = app.GetMainFrame();
    EXPECT_FALSE(main->isVisible());
    for (int id : {ID_APP_ABOUT, ID_FILE_PRINT_SETUP}) {
        main->UpdateCommands();
        EXPECT_TRUE(main->Action(id)->isEnabled()) << id;
    }

    QPointer<CDlgStartUpWindow> about = app.OnAppAbout();
    ASSERT_TRUE(about && about->IsClosable());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(about, &key);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(about);
    EXPECT_FALSE(main->isVisible());

    // Print Setup is the system's page setup dialog.
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    EXPECT_TRUE(main->OnCommand(ID_FILE_PRINT_SETUP));
    EXPECT_TRUE(seen);
    app.ExitInstance();
    ASSERT_NE(CInfomation::Create(settingsFolder), nullptr);
}

TEST(CAboutDlgTest, ShowsTheNameVersionAndAnOkButton)
{
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "About Vantor");
    EXPECT_EQ(dlg.property("dialogId").toInt(), 100);
    QStringList texts;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Vantor  Version 1.0"));
    QPushButton* ok = dlg.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "ok");
    EXPECT_EQ(ok->property("controlId").toInt(), 1);
    dlg.show();
    SaveScreenshot(&dlg, QStringLiteral("about-dialog"));
    ok->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

} // namespace
