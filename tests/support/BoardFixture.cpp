#include "BoardFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

bool FakeViewPort::ZoomStep(bool zoomIn, const Position& about)
{
    zoomSteps.emplace_back(zoomIn, about);
    CInfomation* info = theInfomation;
    if (!info)
        return false;
    const double sx = info->GetScaleX();
    const double next = zoomIn ? sx / zoomFactor : sx * zoomFactor;
    if (next < minScale || next > maxScale)
        return false;
    const double ratio = next / sx;
    info->SetScaleX(next);
    info->SetScaleY(info->GetScaleY() * ratio);
    return true;
}

int FakeViewPort::NoticeCount(int code) const
{
    return int(std::count_if(notices.begin(), notices.end(),
                             [code](const auto& n) { return n.first == code; }));
}

void BoardTest::SetUp()
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "vantor-board-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    settingsFolder = pattern + "/";
    ASSERT_NE(CInfomation::Create(settingsFolder), nullptr);
    theInfomation->SetView(&view);
}

void BoardTest::TearDown()
{
    if (theInfomation) {
        // Whatever the test did, the board's index still knows where every object is.
        std::vector<CEntity*> stale;
        EXPECT_TRUE(theInfomation->GetElements().IndexMatchesObjects(&stale))
            << stale.size() << " object(s) changed without telling the index, the first a "
            << (stale.empty() ? std::string("?") : stale.front()->GetTypeName());
        theInfomation->SetView(nullptr);
    }
    CInfomation::Destroy();
    std::error_code ec;
    std::filesystem::remove_all(settingsFolder, ec);
}
