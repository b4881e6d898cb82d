#pragma once

#include "base/reason.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QFile;
class QIODevice;

// Every file the program writes and every file it reads goes through here: writes that either
// replace a file whole or leave it as it was, and reads that never block and never take more
// than they can hold.
namespace Files {

// Whether an operation succeeded and, when it did not, why: the typed reason, and its sentence for
// a message naming the file.
struct Result
{
    bool ok = false;
    Problem problem;
    explicit operator bool() const { return ok; }
    Reason reason() const { return problem.reason; }
    // The problem's sentence.
    QString error() const { return problem.text(); }
    static Result success() { return {true, Problem()}; }
    static Result failure(const Problem& why) { return {false, why}; }
    static Result failure(Reason reason, const QStringList& details = {})
    {
        return failure(Problem{reason, details, QString()});
    }
    static Result systemError(int error) { return failure(systemProblem(error)); }
    static Result cancelled() { return failure(Reason::Cancelled); }
};

// A file one command could not write, with why.
struct Failure
{
    QString path;
    Problem problem;
    // The problem's sentence.
    QString text() const { return problem.text(); }
};
// "PATH: why": how a failure is told, the file named by its whole path or (with `nameOnly`) by its
// file name alone; and a list of them, a line each. The window and the command line tell failures
// this way alone.
QString failureLine(const Failure& failure, bool nameOnly = false);
QString failureLines(const QList<Failure>& failed, bool namesOnly = false);

struct Outcome
{
    QStringList written;
    QList<Failure> failed;
    QStringList removed; // files of an earlier run that this one replaced by none
    void add(const QString& path, const Result& result);
    void add(const Outcome& other);
};

// Writes all of `bytes` to an open `device`, checking every write and the final flush of a
// buffered device. On failure the device's errorString() says why.
bool writeAll(QIODevice& device, const QByteArray& bytes);

struct WriteOptions
{
    // Executable by whoever may read it (a script).
    bool executable = false;
    // A folder the file must stay in: a symbolic link at the path that leads out of it, or to
    // nothing, is refused, and so is a path whose folder leads out of it. Empty: a link is written
    // through to its target, as editors do.
    QString confinedTo;
    // The permissions the file gets (as chmod takes them), whether it is new or replaced; -1: a
    // replaced file keeps its own, a new one gets the umask's.
    int mode = -1;
};

// Creates or replaces the regular file at `path` with `bytes`. The bytes go to an unnamed
// temporary file in the same folder that takes the old file's place only once all of them are on
// disk, so a failure (a full disk, say) leaves the old file as it was and no partial file behind.
// Where the folder cannot hold unnamed files the temporary is named after the file with a leading
// dot, which build tools skip. A path that names a folder, a device, a pipe or a socket is refused
// and left alone. When the folder takes no new files but the file itself is writable, the file is
// rewritten in place, with its new size reserved first; that one case is not all-or-nothing, as
// an interruption can leave it half old, half new. A new file gets the usual permissions (the
// process's umask), a replaced one keeps its own.
Result write(const QString& path, const QByteArray& bytes, const WriteOptions& options = WriteOptions());

// Files written together and made durable together: each is written beside its place (unnamed
// where the file system allows), then all of them are made durable with one sync of each file
// system they are on, and only then is each named, in their order, taking the old file's place as
// write() does. Until then nothing of them is visible, and a batch let go of without commit()
// leaves nothing behind.
class Batch
{
  public:
    explicit Batch(int count);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Writes file `index` (0 to count - 1) beside `path`, with the checks write() makes. Files of
    // different indices may be staged on different threads at once.
    Result stage(int index, const QString& path, const QByteArray& bytes,
                 const WriteOptions& options = WriteOptions());
    // Records that file `index` at `path` was not made, and why: commit() reports it so.
    void fail(int index, const QString& path, const Result& why);
    // Makes the staged files durable and names them in the order of their indices; `named` is told
    // each index's result as it comes (a file that was not staged keeps its staging failure; an
    // index never staged is passed over).
    Outcome commit(const std::function<void(int, const Result&)>& named = nullptr);
    // The latest result of file `index`.
    Result result(int index) const;

    // How many syncs all batches have asked of the system, for tests.
    static std::atomic<int> syncs;

  private:
    struct Staged;
    Result name(Staged& file);
    std::unique_ptr<Staged[]> files;
    int count;
    std::atomic<int> opened{0};
};

// Makes the folder `path` (and those above it) inside `confinedTo`, which is made first when
// missing: nothing is made through a symbolic link that leads out of `confinedTo`.
Result makeFolder(const QString& path, const QString& confinedTo);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of the writes in flight before the
// process exits with 128 + the signal's number (130, 143, 129).
void removeInFlightOnSignals();

// Opens the regular file at `path` for reading without ever blocking (a pipe or a device is
// refused before anything is read) and, when `maximumSize` is not negative, refuses a larger file.
Result openRegular(QFile& file, const QString& path, qint64 maximumSize = -1);

// Removes the file (or, with `isFolder`, the empty folder) `relative` inside the folder `folder`,
// reaching it without leaving the folder as openBeneath() does; a link is removed as the link.
Result removeBeneath(const QString& folder, const QString& relative, bool isFolder = false);

// Opens `relative`, a path inside the folder `folder`, as openRegular() does, without ever leaving
// the folder on the way: an absolute path, one that climbs out with "..", and one that passes
// through a symbolic link leading out of the folder (or an absolute link) are refused before
// anything outside is opened.
Result openBeneath(QFile& file, const QString& folder, const QString& relative, qint64 maximumSize = -1);

} // namespace Files
