// Runs one pass over many board objects on several threads at once: the boxes of a
// whole board just read, the union of its boxes for a zoom to fit. The objects are cut
// into consecutive chunks, one per thread, and each chunk is worked on by one thread;
// what a pass works out per chunk is merged by the caller, in chunk order, once Run
// returns. The threads are started for the pass and joined before Run returns, so a
// pass of fewer objects than are worth it runs on the calling thread alone.
//
// `work` runs on the calling thread and on the helpers, several at once, each on its own
// chunk; it may change the objects of its chunk and nothing else, and must not throw
// (an exception ends the program). Each helper sees the caller's board services
// (BoardServices::Current) as its own.
#pragma once

#include <cstddef>
#include <functional>

class ParallelChunks final
{
  public:
    // Fewer objects than this per thread are done quicker than threads are started.
    static constexpr std::size_t kLeastPerChunk = 4096;

    // The chunks `count` objects are cut into: one per thread this machine is worth,
    // none of them under kLeastPerChunk objects (at least one chunk).
    static int ChunksFor(std::size_t count);
    using Work = std::function<void(int chunk, std::size_t begin, std::size_t end)>;
    // Calls work(chunk, begin, end) for chunks 0 .. ChunksFor(count) - 1, which cover
    // [0, count) in order; returns when every chunk is done.
    static void Run(std::size_t count, const Work& work);
};
