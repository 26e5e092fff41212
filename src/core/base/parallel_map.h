// fn(0) .. fn(count - 1) on several threads, the results in index order: for independent
// pieces of work of similar size (one file each, say). The first error raised by fn is raised
// again once every thread has stopped; the work not started by then is dropped.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace orv {

template <typename T, typename F> std::vector<T> ParallelMap(size_t count, unsigned threads, const F& fn) {
    std::vector<T> results(count);
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (size_t k; (k = next.fetch_add(1)) < count;) {
            try {
                results[k] = fn(k);
            } catch (...) {
                const std::lock_guard lock(failureLock);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    const size_t helpers = std::min<size_t>(std::max(threads, 1u), count) - (count > 0 ? 1 : 0);
    std::vector<std::thread> pool;
    for (size_t t = 0; t < helpers; ++t)
        pool.emplace_back(work);
    work(); // the calling thread takes its share
    for (std::thread& t : pool)
        t.join();
    if (failure) std::rethrow_exception(failure);
    return results;
}

} // namespace orv
