#include "base/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QVector>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files {

namespace {

// The named temporary files of the writes in flight, for a signal handler to remove: fixed slots,
// so that the handler touches nothing but atomics, plain bytes and unlink().
// (No initialisers: the array stays in zeroed pages that are not touched until a slot is used,
// where a constructor would write all 4 MB of it at every start.)
struct InFlight
{
    std::atomic<bool> taken;
    std::atomic<bool> armed;
    char path[4096];
};
InFlight inFlight[1024];
// Set once linking an unnamed file into a folder has failed for want of /proc or of support.
std::atomic<bool> namedTemporariesOnly{false};

// Registers a temporary's name until the returned slot is released; -1 when every slot is taken
// (the temporary then simply is not cleaned up by a signal).
int track(const QByteArray& path)
{
    if (path.size() >= int(sizeof inFlight[0].path))
        return -1;
    for (int i = 0; i < int(std::size(inFlight)); ++i) {
        bool free = false;
        if (inFlight[i].taken.compare_exchange_strong(free, true)) {
            std::memcpy(inFlight[i].path, path.constData(), size_t(path.size()) + 1);
            inFlight[i].armed.store(true);
            return i;
        }
    }
    return -1;
}

void untrack(int slot)
{
    if (slot < 0)
        return;
    inFlight[slot].armed.store(false);
    inFlight[slot].taken.store(false);
}

// Set by the signal handler: writers name no new temporaries from then on.
std::atomic<bool> stopping{false};
// Writers between registering a temporary's name and creating it (or giving it up).
std::atomic<int> naming{0};

// Registers `path` and runs `create` (which makes the file of that name), unless a signal is being
// handled; the handler waits for those in between, so none is created after it has looked.
template <class Create> int trackAndCreate(const QByteArray& path, int* slot, Create create)
{
    ++naming;
    if (stopping.load()) {
        --naming;
        for (;;)
            ::pause(); // the handler ends the process
    }
    *slot = track(path);
    const int result = create();
    if (result < 0)
        untrack(*slot);
    --naming;
    return result;
}

void removeInFlightAndExit(int signal)
{
    stopping.store(true);
    // Writers naming a temporary finish doing so (a few system calls), then are seen below.
    for (long spins = 0; naming.load() > 0 && spins < 100000000L; ++spins) {
    }
    for (InFlight& f : inFlight)
        if (f.armed.load())
            ::unlink(f.path);
    ::_exit(128 + signal);
}

// Writes every byte to `fd`, however many calls it takes.
bool writeFully(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// A name beside `file` for its temporary: ".NAME.XXXXXX".
QByteArray temporaryName(const QString& file)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, 'x');
    for (char& c : suffix)
        c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    const QFileInfo info(file);
    return QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName()) + '.' + suffix;
}

// Where a path leads when its links are followed; a dangling link's target all the same.
QString resolved(const QString& path)
{
    QString current = path;
    for (int hops = 0; hops < 40 && QFileInfo(current).isSymLink(); ++hops)
        current = QFileInfo(current).symLinkTarget();
    return current;
}

bool inside(const QString& path, const QString& folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

} // namespace

Result makeFolder(const QString& path, const QString& confinedTo)
{
    if (!QDir().mkpath(confinedTo))
        return Result::systemError(errno);
    const QString root = QFileInfo(confinedTo).canonicalFilePath();
    const QString relative =
        QDir(QFileInfo(confinedTo).absoluteFilePath()).relativeFilePath(QFileInfo(path).absoluteFilePath());
    if (relative.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(relative))
        return Result::failure(Reason::LeadsOut, {confinedTo});
    // One level at a time, each checked before the next is made in it: a link that leads out of
    // the folder gets nothing made beyond it.
    QString at = QFileInfo(confinedTo).absoluteFilePath();
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        at += QLatin1Char('/') + part;
        if (!QFileInfo(at).exists() && !QFileInfo(at).isSymLink() &&
            ::mkdir(QFile::encodeName(at).constData(), 0777) != 0 && errno != EEXIST)
            return Result::systemError(errno);
        const QString real = QFileInfo(at).canonicalFilePath();
        if (real.isEmpty() || !inside(real, root))
            return Result::failure(Reason::LeadsOut, {confinedTo});
        if (!QFileInfo(real).isDir())
            return Result::failure(Reason::NotAFolder);
    }
    return Result::success();
}

namespace {

// The file to write for `path` when writes must stay in `folder`, or why there is none.
Result confine(QString& path, const QString& folder)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    if (parent.isEmpty() && !QFileInfo(path).isSymLink() &&
        !QFileInfo::exists(QFileInfo(path).absolutePath()))
        return Result::failure(Reason::FolderMissing, {QFileInfo(path).absolutePath()});
    if (root.isEmpty() || parent.isEmpty() || !inside(parent, root))
        return Result::failure(Reason::FolderLeadsOut, {folder});
    if (!QFileInfo(path).isSymLink())
        return Result::success();
    const QString target = resolved(path);
    if (!QFileInfo::exists(target))
        return Result::failure(Reason::LinkToNothing, {target});
    const QString canonical = QFileInfo(target).canonicalFilePath();
    if (!inside(canonical, root))
        return Result::failure(Reason::LinkOutside, {target, folder});
    path = canonical;
    return Result::success();
}

// Rewrites an existing file where it stands, for a folder that takes no new (temporary) files.
Result rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    // ReadWrite, unlike WriteOnly, does not truncate on opening: nothing changes until it must.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Result::failure(Reason::System, {file.errorString()});
    if (!bytes.isEmpty()) {
        const int reserved = posix_fallocate(file.handle(), 0, bytes.size());
        // Reserving the new size first means a full disk fails here, before the old bytes change.
        if (reserved != 0 && reserved != EOPNOTSUPP)
            return Result::systemError(reserved);
    }
    if (!writeAll(file, bytes) || !file.resize(bytes.size()) || !file.flush())
        return Result::failure(Reason::System, {file.errorString()});
    return Result::success();
}

} // namespace

void Outcome::add(const QString& path, const Result& result)
{
    if (result.ok)
        written.append(path);
    else
        failed.append({path, result.problem});
}

QString failureLine(const Failure& failure, bool nameOnly)
{
    return (nameOnly ? QFileInfo(failure.path).fileName() : QDir::toNativeSeparators(failure.path)) +
           QStringLiteral(": ") + failure.text();
}

QString failureLines(const QList<Failure>& failed, bool namesOnly)
{
    QStringList lines;
    for (const Failure& f : failed)
        lines << failureLine(f, namesOnly);
    return lines.join(QLatin1Char('\n'));
}

void Outcome::add(const Outcome& other)
{
    written += other.written;
    failed += other.failed;
    removed += other.removed;
}

bool writeAll(QIODevice& device, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    // A buffered file holds the last bytes back until it is flushed, and only the flush sees
    // their write fail.
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        return file->flush();
    return true;
}

namespace {

// Where a write goes: `requested` kept inside the folder it is confined to (or its links followed),
// and refused when a folder, a device, a pipe or a socket is in the way.
Result writeTarget(const QString& requested, const WriteOptions& options, QString* path)
{
    if (requested.isEmpty())
        return Result::failure(Reason::NoName);
    *path = requested;
    if (!options.confinedTo.isEmpty()) {
        const Result confined = confine(*path, options.confinedTo);
        if (!confined)
            return confined;
    } else {
        *path = resolved(*path);
    }
    const QFileInfo target(*path);
    if (target.isDir())
        return Result::failure(Reason::FolderInTheWay);
    if (target.exists() && !target.isFile())
        return Result::failure(Reason::NotRegularFile);
    return Result::success();
}

// Creates a temporary named after `path` with a leading dot, tracked from its creation; its
// descriptor, or -1 with the reason in `*why`.
int createNamedTemporary(const QString& path, mode_t created, QByteArray* temporary, int* slot, int* why)
{
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        *temporary = temporaryName(path);
        fd = trackAndCreate(*temporary, slot, [&] {
            const int made = ::open(temporary->constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, created);
            *why = errno;
            return made;
        });
        if (fd < 0 && *why != EEXIST)
            break;
    }
    return fd;
}

// Names the unnamed file `fd` with a temporary name beside `path`, tracked from then on: 0, or the
// reason it could not be.
int nameTemporarily(int fd, const QString& path, QByteArray* temporary, int* slot)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    int why = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = temporaryName(path);
        const int linked = trackAndCreate(*temporary, slot, [&] {
            const int made =
                ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary->constData(), AT_SYMLINK_FOLLOW);
            why = errno;
            return made;
        });
        if (linked == 0)
            return 0;
        temporary->clear();
        if (why != EEXIST)
            return why;
    }
    return EEXIST;
}

} // namespace

// One file of a batch: written beside its place, then named.
struct Batch::Staged
{
    QString requested; // the path as asked for, for a retry
    QString path;      // where it goes, links resolved as write() resolves them
    QByteArray name;   // `path` in the file system's encoding
    QByteArray bytes;  // kept for a retry through a named temporary
    WriteOptions options;
    int fd = -1;          // the written file while it is open: unnamed, or a named temporary
    QByteArray temporary; // its temporary name, once it has one
    int slot = -1;        // its place in the signal handler's list
    bool replacing = false;
    bool inPlace = false;  // the folder takes no new files: rewritten where it stands when named
    bool deferred = false; // a link to a file of the folder still to be made: written when named
    dev_t device = 0;
    Result result = Result::failure(Reason::NotWritten);
    bool staged = false;
    // Lets go of the temporary: closed, and removed when it has a name.
    void discard()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (!temporary.isEmpty()) {
            ::unlink(temporary.constData());
            untrack(slot);
        }
        temporary.clear();
        slot = -1;
        staged = false;
    }
};

Batch::Batch(int count) : files(new Staged[size_t(std::max(count, 0))]), count(std::max(count, 0)) {}

Batch::~Batch()
{
    for (int i = 0; i < count; ++i)
        files[size_t(i)].discard();
}

// Files the batch keeps open at once; the rest are named temporaries until they are named.
static constexpr int openAtMost = 256;

Result Batch::stage(int index, const QString& requested, const QByteArray& bytes, const WriteOptions& options)
{
    Staged& f = files[size_t(index)];
    f.discard();
    f.requested = requested;
    f.bytes = bytes;
    f.options = options;
    f.inPlace = f.deferred = false;
    // A link inside the folder to a file not made yet (one an earlier file of the batch makes) is
    // written through once the files before it are named.
    const QFileInfo link(requested);
    if (!options.confinedTo.isEmpty() && link.isSymLink() && !link.exists() &&
        inside(QFileInfo(resolved(requested)).absoluteFilePath(),
               QFileInfo(options.confinedTo).absoluteFilePath())) {
        f.deferred = f.staged = true;
        return f.result = Result::success();
    }
    f.result = writeTarget(requested, options, &f.path);
    if (!f.result)
        return f.result;
    const QFileInfo target(f.path);
    f.name = QFile::encodeName(f.path);
    // The new file's permissions: those asked for, or a replaced file's own, or the umask's.
    struct stat old = {};
    f.replacing = ::stat(f.name.constData(), &old) == 0;
    const mode_t created = options.executable ? 0777 : 0666;
    const QByteArray folder = QFile::encodeName(target.absolutePath());

    // An unnamed file first: nothing is left behind whatever happens while it is written.
    f.fd = namedTemporariesOnly ? -1 : ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, created);
    // errno is taken at the failing call: the checks below make calls of their own.
    int why = f.fd < 0 ? errno : 0;
    const bool refused = why == EACCES || why == EPERM || why == EROFS;
    if (f.fd < 0 && !namedTemporariesOnly && !refused)
        f.fd = createNamedTemporary(f.path, created, &f.temporary, &f.slot, &why); // no unnamed files here
    if (f.fd < 0) {
        if ((why == EACCES || why == EPERM || why == EROFS) && target.isFile() && target.isWritable()) {
            // The folder takes no new files, but the file itself may be rewritten.
            f.inPlace = f.staged = true;
            return f.result = Result::success();
        }
        return f.result = Result::systemError(why);
    }
    mode_t mode = options.mode >= 0 ? mode_t(options.mode) : f.replacing ? old.st_mode & 07777 : 0;
    if (f.replacing && options.executable && options.mode < 0)
        mode |= (mode & 0444) >> 2;
    struct stat made = {};
    if (((f.replacing || options.mode >= 0) && ::fchmod(f.fd, mode) != 0) || !writeFully(f.fd, bytes) ||
        ::fstat(f.fd, &made) != 0) {
        why = errno;
        f.discard();
        return f.result = Result::systemError(why);
    }
    f.device = made.st_dev;
    // Past the batch's share of descriptors a file waits under a temporary name instead.
    if (opened.fetch_add(1) >= openAtMost) {
        why = f.temporary.isEmpty() ? nameTemporarily(f.fd, f.path, &f.temporary, &f.slot) : 0;
        if (why != 0) {
            f.discard();
            return f.result = Result::systemError(why);
        }
        ::close(f.fd);
        f.fd = -1;
        opened.fetch_sub(1);
    }
    f.staged = true;
    return f.result = Result::success();
}

void Batch::fail(int index, const QString& path, const Result& why)
{
    Staged& f = files[size_t(index)];
    f.discard();
    f.requested = path;
    f.result = why;
}

Result Batch::name(Staged& f)
{
    if (f.deferred)
        return write(f.requested, f.bytes, f.options);
    if (f.inPlace)
        return rewriteInPlace(f.path, f.bytes);
    if (f.temporary.isEmpty()) {
        // A file that did not exist is named straight away: complete, and no temporary to leave.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(f.fd);
        if (!f.replacing &&
            ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, f.name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return Result::success();
        // Named at last, with a leading dot, just long enough to take the old file's place.
        const int why = nameTemporarily(f.fd, f.path, &f.temporary, &f.slot);
        if (why == EEXIST)
            return Result::systemError(why);
        if (why != 0) {
            // No way to name an unnamed file here: write again, through a named one.
            namedTemporariesOnly = true;
            f.discard();
            return write(f.requested, f.bytes, f.options);
        }
    }
    if (::rename(f.temporary.constData(), f.name.constData()) != 0)
        return Result::systemError(errno);
    untrack(f.slot);
    f.temporary.clear();
    return Result::success();
}

Result Batch::result(int index) const
{
    return files[size_t(index)].result;
}

std::atomic<int> Batch::syncs{0};

Outcome Batch::commit(const std::function<void(int, const Result&)>& named)
{
    // Durable first, all together: one sync of each file system the files are on (each file's own
    // where there are only one or two).
    QHash<dev_t, QVector<int>> devices;
    for (int i = 0; i < count; ++i)
        if (files[size_t(i)].staged && !files[size_t(i)].inPlace && !files[size_t(i)].deferred)
            devices[files[size_t(i)].device] << i;
    for (auto it = devices.begin(); it != devices.end(); ++it) {
        const QVector<int>& on = it.value();
        bool open = true;
        for (int i : on)
            open = open && files[size_t(i)].fd >= 0;
        int failed = 0;
        if (open && on.size() <= 2) {
            for (int i : on)
                if (++syncs, ::fdatasync(files[size_t(i)].fd) != 0)
                    failed = errno;
        } else {
            const Staged& any = files[size_t(on.first())];
            const int fd = any.fd >= 0 ? any.fd : ::open(any.temporary.constData(), O_RDONLY | O_CLOEXEC);
            ++syncs;
            failed = fd < 0 || ::syncfs(fd) != 0 ? errno : 0;
            if (any.fd < 0 && fd >= 0)
                ::close(fd);
        }
        if (failed != 0)
            for (int i : on) {
                files[size_t(i)].discard();
                files[size_t(i)].result = Result::systemError(failed);
            }
    }
    // Then named, in their order.
    Outcome outcome;
    for (int i = 0; i < count; ++i) {
        Staged& f = files[size_t(i)];
        if (f.staged) {
            f.result = name(f);
            f.discard();
            f.bytes.clear();
        }
        if (f.requested.isEmpty())
            continue; // never asked for
        if (named)
            named(i, f.result);
        outcome.add(f.requested, f.result);
    }
    opened = 0;
    return outcome;
}

Result write(const QString& requested, const QByteArray& bytes, const WriteOptions& options)
{
    Batch batch(1);
    const Result staged = batch.stage(0, requested, bytes, options);
    if (!staged)
        return staged;
    batch.commit();
    return batch.result(0);
}

void removeInFlightOnSignals()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = removeInFlightAndExit;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

namespace {

// Gives `file` the descriptor `fd` once it is known to be a regular file of at most `maximumSize`
// bytes (when that is not negative); closes it otherwise.
Result adoptRegular(QFile& file, int fd, qint64 maximumSize)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int why = errno;
        ::close(fd);
        return Result::systemError(why);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result::failure(S_ISDIR(info.st_mode) ? Reason::IsFolder : Reason::NotRegular);
    }
    if (maximumSize >= 0 && info.st_size > maximumSize) {
        ::close(fd);
        return Result::failure(Reason::FileLarger, {QString::number(maximumSize)});
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result::failure(Reason::System, {file.errorString()});
    }
    return Result::success();
}

// Opens `relative` below the folder `dir` one component at a time, refusing every symbolic link:
// for kernels without openat2().
int openEachBeneath(int dir, const QByteArray& relative, int flags)
{
    const QList<QByteArray> parts = relative.split('/');
    int at = ::dup(dir);
    for (int i = 0; i < parts.size() && at >= 0; ++i) {
        const bool last = i == parts.size() - 1;
        if (parts[i].isEmpty() || parts[i] == ".") {
            if (!last)
                continue;
            ::close(at);
            errno = ENOENT;
            return -1;
        }
        const int next = ::openat(at, parts[i].constData(),
                                  last ? flags | O_NOFOLLOW : O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int why = errno;
        ::close(at);
        errno = why;
        at = next;
    }
    return at;
}

} // namespace

Result openRegular(QFile& file, const QString& path, qint64 maximumSize)
{
    if (path.isEmpty())
        return Result::failure(Reason::NoName);
    // Opened without blocking: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Result::systemError(errno);
    return adoptRegular(file, fd, maximumSize);
}

namespace {

// `relative` below the folder `dir` opened with `flags`, never leaving the folder on the way; -1
// with errno set when it cannot be.
int openBeneathAt(int dir, const QByteArray& relative, int flags)
{
    // The kernel resolves the path and refuses any step out of the folder, links included.
    open_how how = {};
    how.flags = quint64(flags);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const int fd = int(::syscall(SYS_openat2, dir, relative.constData(), &how, sizeof how));
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        return openEachBeneath(dir, relative, flags);
    return fd;
}

Result beneathError(int why, const QString& folder)
{
    return why == EXDEV || why == ELOOP ? Result::failure(Reason::LinkLeadsOut, {folder})
                                        : Result::systemError(why);
}

bool outside(const QString& relative)
{
    return QDir::isAbsolutePath(relative) || QDir::cleanPath(relative).startsWith(QLatin1String(".."));
}

} // namespace

Result removeBeneath(const QString& folder, const QString& relative, bool isFolder)
{
    if (relative.isEmpty() || outside(relative))
        return Result::failure(Reason::LeadsOut, {folder});
    const QString clean = QDir::cleanPath(relative);
    const int dir = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return Result::systemError(errno);
    const QString parent = QFileInfo(clean).path();
    const int at = parent == QLatin1String(".")
                       ? ::dup(dir)
                       : openBeneathAt(dir, QFile::encodeName(parent), O_PATH | O_DIRECTORY | O_CLOEXEC);
    int why = errno;
    ::close(dir);
    if (at < 0)
        return beneathError(why, folder);
    const int removed = ::unlinkat(at, QFile::encodeName(QFileInfo(clean).fileName()).constData(),
                                   isFolder ? AT_REMOVEDIR : 0);
    why = errno;
    ::close(at);
    return removed == 0 ? Result::success() : Result::systemError(why);
}

Result openBeneath(QFile& file, const QString& folder, const QString& relative, qint64 maximumSize)
{
    if (relative.isEmpty())
        return Result::failure(Reason::NoName);
    if (outside(relative))
        return Result::failure(Reason::LeadsOut, {folder});
    const int dir = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return Result::systemError(errno);
    const int fd =
        openBeneathAt(dir, QFile::encodeName(relative), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const int why = errno;
    ::close(dir);
    if (fd < 0)
        return beneathError(why, folder);
    return adoptRegular(file, fd, maximumSize);
}

} // namespace Files
