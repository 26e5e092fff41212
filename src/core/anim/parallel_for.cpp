#include "core/anim/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace orv {

void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex guard;
    const auto run = [&] {
        for (size_t k = next++; k < count && !failed; k = next++) {
            try {
                work(k);
            } catch (...) {
                std::lock_guard lock(guard);
                if (!error) error = std::current_exception();
                failed = true;
            }
        }
    };
    const size_t helpers = std::min<size_t>(std::max(threads, 1u), count) - (count > 0 ? 1 : 0);
    std::vector<std::thread> pool;
    for (size_t t = 0; t < helpers; ++t)
        pool.emplace_back(run);
    run(); // the calling thread takes its share
    for (std::thread& t : pool)
        t.join();
    if (error) std::rethrow_exception(error);
}

} // namespace orv
