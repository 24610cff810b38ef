// A hint to the system that a large buffer about to be filled be backed by large pages:
// filling one of tens of megabytes otherwise takes a page fault every 4 KiB, which costs
// more than the filling itself. Only the whole large pages inside [data, data + bytes)
// are concerned; nothing is lost when the hint is not taken.
#pragma once

#include <cstddef>

void AskForLargePages(const void* data, std::size_t bytes);
