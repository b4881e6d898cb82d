#pragma once

#include <QApplication>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <functional>
#include <utility>

// One piece of the window's background work (a picture loading, a preview drawing, an apply's
// step), where the newest request wins: start() runs the work on the toolkit's pool, one at a time;
// a request made while another runs waits for it and replaces any request still waiting, and the
// running one's result, no longer wanted, is dropped. What a request makes is handed to its
// continuation on the window's thread. settle() hands it over at once, waiting for it (or making
// it there), before anything reads what it makes; drop() forgets it when something else took its
// place. While a request is outstanding, the job may show a busy cursor.
template <class T> class BackgroundJob
{
  public:
    using Work = std::function<T()>;
    using Then = std::function<void(const T&)>;

    // `cursor`: the cursor shown while a request is outstanding; Qt::ArrowCursor shows none.
    explicit BackgroundJob(Qt::CursorShape cursor = Qt::ArrowCursor) : cursor(cursor)
    {
        QObject::connect(&watcher, &QFutureWatcher<T>::finished, [this] { finished(); });
    }
    ~BackgroundJob()
    {
        watcher.waitForFinished();
        showCursor(false);
    }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Asks for `work`, whose result goes to `then`: begun at once, or when the request running
    // ends (and then only if no newer one came meanwhile).
    void start(Work work, Then then)
    {
        wanted = {std::move(work), std::move(then)};
        ++asked;
        outstanding = true;
        showCursor(true);
        if (!watcher.isRunning())
            begin();
    }
    // Forgets the outstanding request: nothing it makes is handed over.
    void drop()
    {
        outstanding = false;
        wanted = Request();
        showCursor(false);
    }
    // Whether a request is outstanding (running, or waiting for the one running).
    bool running() const { return outstanding; }
    // Hands the outstanding request's result to its continuation now: the running one's when it is
    // the newest, else the newest made here once the running one has ended.
    void settle()
    {
        if (!outstanding)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        watcher.waitForFinished();
        const bool newest = begun == asked && watcher.future().resultCount() > 0;
        const T result = newest ? watcher.result() : wanted.work();
        QApplication::restoreOverrideCursor();
        deliver(result);
    }

  private:
    struct Request
    {
        Work work;
        Then then;
    };

    void begin()
    {
        begun = asked;
        watcher.setFuture(QtConcurrent::run(wanted.work));
    }
    void finished()
    {
        // (The signal of a future a newer one replaced, or a request dropped or settled.)
        if (watcher.isRunning() || !outstanding)
            return;
        if (begun == asked)
            deliver(watcher.result());
        else
            begin();
    }
    void deliver(const T& result)
    {
        // The continuation may start the next request.
        const Then then = std::move(wanted.then);
        drop();
        then(result);
    }
    void showCursor(bool on)
    {
        if (cursor == Qt::ArrowCursor || on == cursorShown)
            return;
        cursorShown = on;
        if (on)
            QApplication::setOverrideCursor(cursor);
        else
            QApplication::restoreOverrideCursor();
    }

    QFutureWatcher<T> watcher;
    Request wanted;
    quint64 asked = 0, begun = 0; // requests made, and the one running (or last run)
    bool outstanding = false;
    const Qt::CursorShape cursor;
    bool cursorShown = false;
};
