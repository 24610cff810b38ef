#include "board/CVantorDoc.h"

#include "model/Utilities.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

namespace
{

struct SwitchSetting {
    explicit SwitchSetting(int on) : saved(thePlatformFlag) { thePlatformFlag = on; }
    ~SwitchSetting() { thePlatformFlag = saved; }
    int saved;
};

class CVantorDocTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
    }
    // A 40 x 30 photograph in `format`.
    std::string SavePhoto(const char* name, const char* format)
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 120, 30));
        const std::string path = settingsFolder + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), format));
        return path;
    }
    // Answers the file prompt with `path`, the resolution with 500 x 500, and confirms.
    void AnswerPhoto(const std::string& path)
    {
        ui.Expect<FilePrompt>(true, [path](FilePrompt& p) { p.path = path; });
        ui.Expect<DpiValues>(true, [](DpiValues& v) { v.horizontal = v.vertical = 500; });
        ui.Expect<Question>(true);
    }

    FakeUiServices ui;
};

TEST_F(CVantorDocTest, OpenBackgroundPhotoPromptsLoadsAndTellsTheBoard)
{
    const std::pair<const char*, const char*> files[] = {
        {"board.BMP", "BMP"}, {"scan.Jpeg", "JPG"}, {"x.jpg", "JPG"}};
    for (const auto& [name, format] : files) {
        SCOPED_TRACE(name);
        CVantorDoc doc;
        int changes = 0;
        doc.SetPhotoChangedHandler([&] { ++changes; });
        const std::string path = SavePhoto(name, format);
        AnswerPhoto(path);

        ASSERT_TRUE(doc.OnOpenBackgroundPhoto());
        const FilePrompt& prompt = ui.filePrompts.back();
        EXPECT_EQ(prompt.title, "Open file");
        EXPECT_FALSE(prompt.save);
        ASSERT_EQ(prompt.filters.size(), 2u);
        EXPECT_EQ(prompt.filters[0],
                  std::make_pair(std::string("bmp files(*.bmp)"), std::string("*.bmp")));
        EXPECT_EQ(prompt.filters[1], std::make_pair(std::string("jpeg files(*.jpeg|*.jpg)"),
                                                    std::string("*.jpg;*.jpeg")));
        EXPECT_TRUE(doc.GetPhoto().HasImage());
        EXPECT_EQ(doc.GetPhoto().GetPath(), path);
        EXPECT_EQ(board().GetPhotoWidth(), 40);
        EXPECT_EQ(board().GetPhotoHeight(), 30);
        EXPECT_EQ(board().GetPhoto(), &doc.GetPhoto());
        EXPECT_GE(changes, 1);
        EXPECT_TRUE(ui.AllAnswersUsed());

        // Closing the photo drops it and its size.
        changes = 0;
        doc.OnClosePhoto();
        EXPECT_FALSE(doc.GetPhoto().HasImage());
        EXPECT_EQ(board().GetPhotoWidth(), 0);
        EXPECT_EQ(changes, 1);
    }
    // The board state forgets a document that goes.
    EXPECT_EQ(board().GetPhoto(), nullptr);
}

TEST_F(CVantorDocTest, RefusedOrFailedOpeningsLoadNothing)
{
    SwitchSetting noBoardWithoutPhoto(0);
    CVantorDoc doc;

    // A cancelled prompt asks nothing more.
    ui.Expect<FilePrompt>(false);
    EXPECT_FALSE(doc.OnOpenBackgroundPhoto());
    EXPECT_TRUE(ui.dpiDialogs.empty());

    // A cancelled resolution leaves no photograph.
    ui.Expect<FilePrompt>(true, [p = SavePhoto("a.bmp", "BMP")](FilePrompt& f) { f.path = p; });
    ui.Expect<DpiValues>(false);
    EXPECT_FALSE(doc.OnOpenBackgroundPhoto());
    EXPECT_FALSE(doc.GetPhoto().IsLoaded());

    // A missing file and a board file without a photograph are reported.
    ui.messages.clear();
    EXPECT_FALSE(doc.OpenFile(settingsFolder + "missing.bmp"));
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string board = settingsFolder + "b.vtx";
    std::ofstream(board) << "not a photograph";
    EXPECT_FALSE(doc.OpenFile(board));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.back(), "Please open the photo before!");
    EXPECT_TRUE(ui.AllAnswersUsed());
}

} // namespace
