#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// Runs work(i) for every i in 0 ... count - 1, shared out among the cores (the calling thread
// among them) in index order, and returns once all have run. `work` must be safe to run on
// several threads at once; painting on QImage is, QPixmap is not.
template <class Work> void parallelFor(int count, const Work& work)
{
    std::atomic<int> next{0};
    auto run = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    const int helpers = std::min(count, int(std::max(1u, std::thread::hardware_concurrency()))) - 1;
    std::vector<std::thread> threads;
    for (int t = 0; t < helpers; ++t)
        threads.emplace_back(run);
    run();
    for (std::thread& t : threads)
        t.join();
}
