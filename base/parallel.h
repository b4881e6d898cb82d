#pragma once

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

// Runs work(i) for every i in 0 ... count - 1, shared out in index order among the calling thread
// and the toolkit's thread pool (whose threads, and what they keep, live on between calls), and
// returns once all have run. Only idle pool threads are taken, so a call from a pool thread never
// waits for the pool. `work` must be safe to run on several threads at once; painting on QImage
// is, QPixmap is not.
template <class Work> void parallelFor(int count, const Work& work)
{
    std::atomic<int> next{0};
    auto run = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore done;
    int helpers = 0;
    while (helpers + 1 < std::min(count, pool->maxThreadCount()) && pool->tryStart([&] {
        run();
        done.release();
    }))
        ++helpers;
    run();
    done.acquire(helpers);
}
