#include "ParallelChunks.h"

#include "BandedDrawing.h"
#include "model/BoardServices.h"

#include <algorithm>
#include <thread>
#include <vector>

int ParallelChunks::ChunksFor(std::size_t count)
{
    const auto worth = std::max<std::size_t>(1, count / kLeastPerChunk);
    return int(std::min<std::size_t>(worth, std::size_t(BandedDrawing::ThreadsForThisMachine())));
}

void ParallelChunks::Run(std::size_t count, const Work& work)
{
    const int chunks = ChunksFor(count);
    auto begin = [&](int chunk) { return count * std::size_t(chunk) / std::size_t(chunks); };
    BoardServices* services = &BoardServices::Current();
    std::vector<std::jthread> helpers;
    helpers.reserve(std::size_t(chunks - 1));
    for (int chunk = 1; chunk < chunks; ++chunk)
        helpers.emplace_back([&, chunk] {
            BoardServices::UseOnThisThread(services);
            work(chunk, begin(chunk), begin(chunk + 1));
            BoardServices::UseOnThisThread(nullptr);
        });
    work(0, 0, begin(1));
}
