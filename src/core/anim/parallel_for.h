// Independent pieces of work shared among threads, each piece taken by the first free thread:
// the steadying's look at every file before the animation is made.
#pragma once

#include <cstddef>
#include <functional>

namespace orv {

// Runs work(0) .. work(count - 1) on `threads` threads (at least one, at most count) and
// returns when all are done. The first error a piece raises is raised here once the others
// have stopped; pieces not started by then are skipped.
void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& work);

} // namespace orv
