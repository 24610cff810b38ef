#pragma once
// A board with the document and the main window over it, for tests of the user interface.
// The fake dialogs are installed before the window is made; the window goes before the
// document, both before the board. The window is neither sized nor shown.

#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include "board/CVantorDoc.h"
#include "ui/CMainFrame.h"

#include <memory>

class FrameTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        doc = std::make_unique<CVantorDoc>();
        frame = std::make_unique<CMainFrame>(doc.get());
    }
    void TearDown() override
    {
        frame.reset();
        doc.reset();
        BoardTest::TearDown();
    }

    FakeUiServices ui;
    std::unique_ptr<CVantorDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};
