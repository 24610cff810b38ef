// Board services for model tests: the settable transform and colours of the plain
// implementation, and a record of the repaints, notices and capture releases asked of it.
#pragma once

#include "model/BoardServices.h"

#include <vector>

class FakeBoardServices : public SimpleBoardServices
{
  public:
    void InvalidateRect(const Rect& clientRect) override { invalidated.push_back(clientRect); }
    void NotifyModified() override { ++modifiedNotices; }
    void ReleaseCapture() override { ++captureReleases; }

    std::vector<Rect> invalidated;
    int modifiedNotices = 0;
    int captureReleases = 0;
};
