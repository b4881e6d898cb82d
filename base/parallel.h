#pragma once

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

// Runs work(i) for every i in 0 ... count - 1, shared out in index order on `pool`, by default the
// toolkit's thread pool (whose threads, and what they keep, live on between calls), and returns
// once all have run.
// Only idle pool threads are taken, so a call never waits for the pool: with none idle, the caller
// does the work. `work` must be safe to run on several threads at once; painting on QImage
// is, QPixmap is not.
template <class Work>
void parallelFor(int count, const Work& work, QThreadPool* pool = QThreadPool::globalInstance())
{
    std::atomic<int> next{0};
    auto run = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    // From outside the pool the work goes to pool threads alone, the caller waiting: the toolkit's
    // own parallel scaling and conversion then stay on the thread that asks for them instead of
    // splitting again onto the pool. From a pool thread, the caller takes part.
    const bool inPool = pool->contains(QThread::currentThread());
    QSemaphore done;
    int helpers = 0;
    while (helpers + (inPool ? 1 : 0) < std::min(count, pool->maxThreadCount()) && pool->tryStart([&] {
        run();
        done.release();
    }))
        ++helpers;
    if (inPool || helpers == 0)
        run();
    done.acquire(helpers);
}
