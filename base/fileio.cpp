#include "base/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files {

namespace {

// Rewrites an existing file where it stands, for a folder that takes no new (temporary) files.
Result rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    // ReadWrite, unlike WriteOnly, does not truncate on opening: nothing changes until it must.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Result::failure(file.errorString());
    if (!bytes.isEmpty()) {
        const int reserved = posix_fallocate(file.handle(), 0, bytes.size());
        // Reserving the new size first means a full disk fails here, before the old bytes change.
        if (reserved != 0 && reserved != EOPNOTSUPP)
            return Result::failure(qt_error_string(reserved));
    }
    if (!writeAll(file, bytes) || !file.resize(bytes.size()) || !file.flush())
        return Result::failure(file.errorString());
    return Result::success();
}

} // namespace

void Outcome::add(const QString& path, const Result& result)
{
    if (result.ok)
        written.append(path);
    else
        failed.append({path, result.error});
}

void Outcome::add(const Outcome& other)
{
    written += other.written;
    failed += other.failed;
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

Result write(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return Result::failure(QStringLiteral("no file name was given"));
    const QFileInfo target(path);
    if (target.isDir())
        return Result::failure(QStringLiteral("a folder of that name is in the way"));
    if (target.exists() && !target.isFile())
        return Result::failure(
            QStringLiteral("it is not a regular file (a device, pipe or socket) and is left alone"));

    QSaveFile file(path);
    // Unbuffered, so that every write's error reaches us; a buffered save file loses the error of
    // its last flush and would publish a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (target.isFile() && target.isWritable())
            return rewriteInPlace(path, bytes);
        return Result::failure(file.errorString());
    }
    if (!writeAll(file, bytes)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Result::failure(why);
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return Result::success();
}

Result openRegular(QFile& file, const QString& path, qint64 maximumSize)
{
    if (path.isEmpty())
        return Result::failure(QStringLiteral("no file name was given"));
    // Opened without blocking: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Result::failure(qt_error_string(errno));
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int why = errno;
        ::close(fd);
        return Result::failure(qt_error_string(why));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result::failure(S_ISDIR(info.st_mode) ? QStringLiteral("it is a folder")
                                                     : QStringLiteral("it is not a regular file"));
    }
    if (maximumSize >= 0 && info.st_size > maximumSize) {
        ::close(fd);
        return Result::failure(QStringLiteral("it is larger than %1 bytes").arg(maximumSize));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result::failure(file.errorString());
    }
    return Result::success();
}

} // namespace Files
