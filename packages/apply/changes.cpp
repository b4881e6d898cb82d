// Making an apply's changes as one, keeping what they replace, and undoing them: the lock, the
// backup with its list of what was added, the writing and the putting back.
#include "packages/apply/appproject.h"

#include "packages/apply/frameworks.h"

#include <QCollator>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Packages {

using Apply::folderOf;
using Apply::joined;
using Apply::largestFile;
using Apply::linkInTheWay;
using Apply::readText;

namespace {

const QString backups = QStringLiteral(".glyphwright-backup");
// The list of what an apply did, in its backup folder beside the old files, and the mark an apply
// leaves beside it once all its changes are made.
const QString journalName = QStringLiteral("undo.json");
const QString completeName = QStringLiteral("complete");

QByteArray hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// What an apply did, as its backup lists it: enough to put the folder back exactly.
struct Journal
{
    QStringList kept;                  // files replaced, edited or removed: their old bytes are in the backup
    QMap<QString, QByteArray> written; // files written (added, replaced or edited), with their bytes' hash
    QStringList added;                 // files that were not there before
    QStringList folders;               // folders made, each before those inside it

    QByteArray toJson() const
    {
        QJsonObject hashes;
        for (auto it = written.begin(); it != written.end(); ++it)
            hashes.insert(it.key(), QString::fromLatin1(it.value()));
        return QJsonDocument(QJsonObject{{QStringLiteral("version"), 1},
                                         {QStringLiteral("kept"), QJsonArray::fromStringList(kept)},
                                         {QStringLiteral("written"), hashes},
                                         {QStringLiteral("added"), QJsonArray::fromStringList(added)},
                                         {QStringLiteral("folders"), QJsonArray::fromStringList(folders)}})
            .toJson();
    }

    // The journal in `bytes`, or none when they are not one this program wrote (or its paths leave
    // the folder).
    static std::optional<Journal> fromJson(const QByteArray& bytes)
    {
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        if (o.value(QStringLiteral("version")).toInt() != 1)
            return std::nullopt;
        Journal j;
        const auto list = [&o](const char* key) {
            QStringList paths;
            for (const QJsonValue& v : o.value(QLatin1String(key)).toArray())
                paths << v.toString();
            return paths;
        };
        j.kept = list("kept");
        j.added = list("added");
        j.folders = list("folders");
        const QJsonObject hashes = o.value(QStringLiteral("written")).toObject();
        for (auto it = hashes.begin(); it != hashes.end(); ++it)
            j.written.insert(it.key(), it.value().toString().toLatin1());
        QStringList all = j.kept + j.added + j.folders + j.written.keys();
        for (const QString& path : all)
            if (path.isEmpty() || QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path ||
                path.startsWith(QLatin1String("..")))
                return std::nullopt;
        return j;
    }
};

// Pictures go first, the catalogs, manifests and other text that list them last: a catalog never
// names a picture that is not yet there.
bool listsOthers(const QString& path)
{
    static const QStringList pictures = {QStringLiteral("png"),  QStringLiteral("ico"),
                                         QStringLiteral("icns"), QStringLiteral("svg"),
                                         QStringLiteral("webp"), QStringLiteral("jpg")};
    return !pictures.contains(QFileInfo(path).suffix().toLower());
}

// The temporaries an earlier run (stopped by SIGKILL, or a power cut) left beside the files this
// one writes: ".NAME.XXXXXX", as the file writer names them.
void removeStaleTemporaries(const QString& root, const QStringList& paths)
{
    static const QRegularExpression temporary(QStringLiteral("^\\.(.+)\\.[A-Za-z0-9]{6}$"));
    QMap<QString, QSet<QString>> names;
    for (const QString& path : paths)
        names[folderOf(path)] << QFileInfo(path).fileName();
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (!it.key().isEmpty() && linkInTheWay(root, it.key()))
            continue;
        for (const QString& file :
             QDir(joined(root, it.key())).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QRegularExpressionMatch m = temporary.match(file);
            if (m.hasMatch() && it.value().contains(m.captured(1)))
                Files::removeBeneath(root, joined(it.key(), file));
        }
    }
}

// The folders above `path` that are not there yet, each before those inside it.
QStringList missingFolders(const QString& root, const QString& path)
{
    QStringList missing;
    for (QString folder = folderOf(path); !folder.isEmpty(); folder = folderOf(folder)) {
        const QFileInfo info(joined(root, folder));
        if (info.exists() || info.isSymLink())
            break;
        missing.prepend(folder);
    }
    return missing;
}

// The permissions of the file `relative` in `root` (its link's own for a link).
mode_t modeOf(const QString& root, const QString& relative)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(joined(root, relative)).constData(), &info) == 0 ? info.st_mode & 07777
                                                                                      : 0;
}

Files::Result failure(Reason reason, const QStringList& details = {})
{
    return Files::Result::failure(reason, details);
}

// Puts `root` back as it was before the apply the journal in `backup` tells of: its old files
// back with their modes, what it added removed, and the folders it made once empty. Paths that are
// already as they were (a file it added and that is gone) are fine. The backup is removed once all
// is back.
Files::Outcome putBack(const QString& root, const QString& backup, const Journal& journal)
{
    Files::Outcome outcome;
    Files::Batch restored(journal.kept.size());
    for (int i = 0; i < journal.kept.size(); ++i) {
        const QString& path = journal.kept[i];
        QFile old;
        Files::Result result = Files::openBeneath(old, root, joined(backup, path), largestFile);
        struct stat info = {};
        if (result && ::fstat(old.handle(), &info) != 0)
            result = failure(Reason::System, {old.errorString()});
        const QByteArray bytes = result ? old.readAll() : QByteArray();
        // A file that is as it was (one a stopped apply had not reached yet) is left alone.
        if (result && readText(root, path, largestFile) == bytes &&
            modeOf(root, path) == (info.st_mode & 07777))
            continue;
        if (result) {
            Files::WriteOptions options;
            options.confinedTo = root;
            options.mode = int(info.st_mode & 07777);
            const Files::Result folder = Files::makeFolder(QFileInfo(joined(root, path)).path(), root);
            result = folder ? restored.stage(i, joined(root, path), bytes, options) : folder;
        }
        if (!result)
            outcome.add(joined(root, path), failure(Reason::NotPutBack, {result.error()}));
    }
    if (!outcome.failed.isEmpty())
        return outcome;
    outcome.add(restored.commit());
    for (const QString& path : journal.added) {
        const Files::Result removed = Files::removeBeneath(root, path);
        if (removed || QFileInfo(joined(root, path)).exists() == false)
            outcome.written << joined(root, path);
        else
            outcome.add(joined(root, path), removed);
    }
    for (auto it = journal.folders.crbegin(); it != journal.folders.crend(); ++it)
        Files::removeBeneath(root, *it, true); // one that holds files of someone else's stays
    if (outcome.failed.isEmpty() && !linkInTheWay(root, backup)) {
        QDir(joined(root, backup)).removeRecursively();
        ::rmdir(QFile::encodeName(joined(root, backups)).constData()); // when nothing else is kept there
    }
    return outcome;
}

// Copies the files the apply replaces, edits or removes into `backup`, their modes kept, with the
// journal, all made durable together. Empty when done.
Files::Outcome keep(const QString& root, const QString& backup, const Journal& journal)
{
    Files::Outcome outcome;
    Files::Batch saved(journal.kept.size() + 1);
    Files::WriteOptions confined;
    confined.confinedTo = root;
    if (const Files::Result made = Files::makeFolder(joined(root, backup), root); !made) {
        outcome.add(joined(root, backup), made);
        return outcome;
    }
    for (int i = 0; i < journal.kept.size(); ++i) {
        const QString& path = journal.kept[i];
        QFile old;
        Files::Result result = Files::openBeneath(old, root, path, largestFile);
        struct stat info = {};
        if (result && ::fstat(old.handle(), &info) != 0)
            result = failure(Reason::System, {old.errorString()});
        Files::WriteOptions options = confined;
        options.mode = int(info.st_mode & 07777);
        const QString copy = joined(root, joined(backup, path));
        if (result)
            result = Files::makeFolder(QFileInfo(copy).path(), root);
        if (result)
            result = saved.stage(i, copy, old.readAll(), options);
        if (!result)
            outcome.add(joined(root, path), failure(Reason::NotKept, {backup, result.error()}));
    }
    const Files::Result listed = saved.stage(journal.kept.size(), joined(root, joined(backup, journalName)),
                                             journal.toJson(), confined);
    if (!listed)
        outcome.add(joined(root, joined(backup, journalName)), listed);
    if (outcome.failed.isEmpty())
        for (const Files::Failure& f : saved.commit().failed)
            outcome.failed << f;
    return outcome;
}

// The backup folders in `root`, newest last.
QStringList backupsIn(const QString& root)
{
    QStringList names = QDir(joined(root, backups)).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QCollator numbers;
    numbers.setNumericMode(true);
    std::sort(names.begin(), names.end(), numbers);
    return names;
}

} // namespace

bool Apply::asLastApplied(const QString& root, const QString& relative)
{
    const QStringList all = backupsIn(root);
    for (auto b = all.crbegin(); b != all.crend(); ++b) {
        const std::optional<Journal> journal = Journal::fromJson(
            readText(root, joined(joined(backups, *b), journalName)).value_or(QByteArray()));
        if (!journal || !journal->written.contains(relative))
            continue;
        const std::optional<QByteArray> now = readText(root, relative, largestFile);
        return now && hashOf(*now) == journal->written.value(relative);
    }
    return false;
}

AppLock::AppLock(const QString& appFolder) : folder(QFileInfo(appFolder).absoluteFilePath())
{
    const QString dir = joined(folder, backups);
    path = joined(dir, QStringLiteral("lock"));
    // The run that held the lock may remove the file as it finishes: the lock held must be on the
    // file the name leads to.
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        const Files::Result made = Files::makeFolder(dir, folder);
        const int f = made ? ::open(QFile::encodeName(path).constData(),
                                    O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644)
                           : -1;
        if (f < 0) {
            refusal =
                Problem{Reason::LockNotMade, {path, made ? qt_error_string(errno) : made.error()}, QString()};
            if (made && errno == ENOENT)
                continue;
            return;
        }
        if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
            char holder[256] = {};
            const ssize_t n = ::pread(f, holder, sizeof holder - 1, 0);
            refusal = Problem{Reason::LockHeld,
                              {QString::fromUtf8(holder, int(std::max<ssize_t>(n, 0))).trimmed()},
                              QString()};
            ::close(f);
            return;
        }
        struct stat held = {}, named = {};
        if (::fstat(f, &held) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            fd = f;
        else
            ::close(f);
    }
    if (fd < 0)
        return;
    refusal = Problem();
    recoverStoppedApply();
    const QByteArray who =
        QStringLiteral("process %1 on %2, since %3\n")
            .arg(::getpid())
            .arg(QSysInfo::machineHostName(),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .toUtf8();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, who.constData(), size_t(who.size()), 0) < 0)
        refusal = Problem(); // the lock holds; only the words for another run are missing
}

void AppLock::recoverStoppedApply()
{
    QStringList names = backupsIn(folder);
    // A run stopped while it kept the old files had changed nothing yet: its copies, without the
    // list that marks a backup complete, go.
    for (auto it = names.begin(); it != names.end();) {
        const QString backup = joined(backups, *it);
        const bool partial =
            !linkInTheWay(folder, backup) &&
            !QFileInfo::exists(joined(folder, joined(backup, completeName))) &&
            !Journal::fromJson(readText(folder, joined(backup, journalName)).value_or(QByteArray()));
        if (partial)
            QDir(joined(folder, backup)).removeRecursively();
        it = partial ? names.erase(it) : std::next(it);
    }
    if (names.isEmpty())
        return;
    const QString backup = joined(backups, names.last());
    if (linkInTheWay(folder, backup) || QFileInfo::exists(joined(folder, joined(backup, completeName))))
        return;
    const std::optional<Journal> journal =
        Journal::fromJson(readText(folder, joined(backup, journalName)).value_or(QByteArray()));
    if (!journal)
        return;
    // A run stopped (killed, or the power gone) after it kept the old files: the temporaries it
    // left go, and the folder goes back to how it was before it.
    removeStaleTemporaries(folder, journal->kept + journal->written.keys());
    const Files::Outcome back = putBack(folder, backup, *journal);
    recovered =
        back.failed.isEmpty()
            ? QStringLiteral("An apply was stopped before it finished; what it had changed was put back "
                             "first.")
            : QStringLiteral("An apply was stopped before it finished, and what it had changed could not "
                             "all be put back; its backup is %1.")
                  .arg(joined(folder, backup));
}

AppLock::~AppLock()
{
    if (fd < 0)
        return;
    // The backup folder goes when nothing but the lock is in it; the name goes before the lock, so
    // that a run that opened the file meanwhile sees it is no longer the one named.
    const QString dir = joined(folder, backups);
    if (QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) ==
        QStringList{QStringLiteral("lock")}) {
        ::unlink(QFile::encodeName(path).constData());
        ::rmdir(QFile::encodeName(dir).constData());
    }
    ::close(fd);
}

QString backupFolder(const QString& folder, const QDateTime& when)
{
    const QString base = backups + QLatin1Char('/') + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(joined(folder, name)); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

namespace {

// The plan's changes sorted out: the files to write (pictures first) and to remove, and the journal
// of what the apply does; the paths that a link leads out through, as failures.
Files::Outcome sorted(const AppPlan& plan, QList<AppChange>* writes, QList<AppChange>* removes,
                      Journal* journal)
{
    const QString& root = plan.folder;
    Files::Outcome refused;
    for (const AppChange& change : plan.changes) {
        // The tree may have changed since the plan was made.
        const Problem why = linkInTheWay(root, change.path);
        if (change.action != AppChange::Same && why)
            refused.add(joined(root, change.path), Files::Result::failure(why));
        if (change.action == AppChange::Replace || change.action == AppChange::Edit ||
            change.action == AppChange::Remove)
            journal->kept << change.path;
        if (change.action == AppChange::Remove)
            *removes << change;
        if (change.action == AppChange::Add || change.action == AppChange::Replace ||
            change.action == AppChange::Edit) {
            *writes << change;
            journal->written.insert(change.path, hashOf(change.bytes));
        }
        if (change.action == AppChange::Add) {
            journal->added << change.path;
            for (const QString& folder : missingFolders(root, change.path))
                if (!journal->folders.contains(folder))
                    journal->folders << folder;
        }
    }
    std::stable_partition(writes->begin(), writes->end(),
                          [](const AppChange& c) { return !listsOthers(c.path); });
    return refused;
}

} // namespace

Files::Outcome applyAppPlan(const AppPlan& plan, const QString& backup)
{
    const QString& root = plan.folder;
    QList<AppChange> writes, removes;
    Journal journal;
    Files::Outcome outcome = sorted(plan, &writes, &removes, &journal);
    if (!outcome.failed.isEmpty() || writes.size() + removes.size() == 0)
        return outcome;
    QStringList touched;
    for (const AppChange& change : writes)
        touched << change.path;
    removeStaleTemporaries(root, touched);

    // The old files and the list of what is added, durable before anything changes.
    outcome = keep(root, backup, journal);
    if (!outcome.failed.isEmpty()) {
        QDir(joined(root, backup)).removeRecursively();
        return outcome;
    }
    // Every new file written beside its place, and named only once all of them are written.
    Files::Batch files(writes.size());
    Files::WriteOptions confined;
    confined.confinedTo = root;
    for (const QString& folder : journal.folders)
        if (const Files::Result made = Files::makeFolder(joined(root, folder), root); !made)
            outcome.add(joined(root, folder), made);
    for (int i = 0; i < writes.size() && outcome.failed.isEmpty(); ++i) {
        const AppChange& change = writes[i];
        const Files::Result staged = change.bytes.isEmpty()
                                         ? failure(Reason::ImageNotEncoded)
                                         : files.stage(i, joined(root, change.path), change.bytes, confined);
        if (!staged)
            outcome.add(joined(root, change.path), staged);
    }
    if (!outcome.failed.isEmpty()) {
        // Nothing was changed but the folders: they go, and so does the backup.
        for (auto it = journal.folders.crbegin(); it != journal.folders.crend(); ++it)
            Files::removeBeneath(root, *it, true);
        QDir(joined(root, backup)).removeRecursively();
        return outcome;
    }
    outcome = files.commit();
    // The files moved out go last, once what replaces them is in place.
    for (const AppChange& change : removes)
        if (outcome.failed.isEmpty())
            outcome.add(joined(root, change.path), Files::removeBeneath(root, change.path));
    if (!outcome.failed.isEmpty()) {
        // Nothing half done: what was changed is put back, and the failures are what is told; what
        // could not be put back is what stays changed.
        const Files::Outcome back = putBack(root, backup, journal);
        outcome.written.clear();
        for (const Files::Failure& f : back.failed) {
            outcome.failed << f;
            outcome.written << f.path;
        }
        return outcome;
    }
    // Done: a run that finds this backup without the mark knows its apply was stopped half way.
    QFile mark(joined(root, joined(backup, completeName)));
    if (!linkInTheWay(root, joined(backup, completeName)) && mark.open(QIODevice::WriteOnly))
        mark.close();
    return outcome;
}

int AppUndo::count(AppChange::Action action) const
{
    return int(std::count_if(changes.begin(), changes.end(), [action](const AppChange& c) {
        return c.action == action && !c.path.endsWith(QLatin1Char('/'));
    }));
}

AppUndo planAppUndo(const QString& folder)
{
    AppUndo undo;
    undo.folder = QFileInfo(folder).absoluteFilePath();
    const QString& root = undo.folder;
    std::optional<Journal> journal;
    const QStringList names = backupsIn(root);
    for (auto it = names.crbegin(); it != names.crend() && !journal; ++it) {
        const QString backup = joined(backups, *it);
        if (linkInTheWay(root, backup))
            continue;
        journal = Journal::fromJson(readText(root, joined(backup, journalName)).value_or(QByteArray()));
        if (journal)
            undo.backup = backup;
    }
    if (!journal) {
        undo.refused = Problem{Reason::NothingToUndo, {joined(root, backups)}, QString()};
        return undo;
    }
    // A file that is neither what the apply wrote nor what was there before is someone's work
    // since: it is not overwritten.
    const auto changedSince = [&](const QString& path) {
        const QFileInfo info(joined(root, path));
        if (!info.exists() && !info.isSymLink())
            return false;
        const std::optional<QByteArray> now = readText(root, path, largestFile);
        if (!now)
            return true;
        if (journal->written.contains(path) && hashOf(*now) == journal->written.value(path))
            return false;
        return !journal->kept.contains(path) || now != readText(root, joined(undo.backup, path), largestFile);
    };
    for (const QString& path : journal->kept) {
        undo.changes << AppChange{AppChange::Restore, path, {}};
        if (changedSince(path))
            undo.conflicts << path;
    }
    for (const QString& path : journal->added) {
        if (!QFileInfo(joined(root, path)).exists() && !QFileInfo(joined(root, path)).isSymLink())
            continue;
        undo.changes << AppChange{AppChange::Remove, path, {}};
        if (changedSince(path))
            undo.conflicts << path;
    }
    for (auto it = journal->folders.crbegin(); it != journal->folders.crend(); ++it)
        if (QFileInfo(joined(root, *it)).isDir())
            undo.changes << AppChange{AppChange::Remove, *it + QLatin1Char('/'), {}};
    return undo;
}

Files::Outcome undoApp(const AppUndo& undo)
{
    Files::Outcome outcome;
    for (const QString& path : undo.conflicts)
        outcome.add(joined(undo.folder, path), failure(Reason::ChangedSince));
    if (undo.refused)
        outcome.add(undo.folder, Files::Result::failure(undo.refused));
    if (!outcome.failed.isEmpty())
        return outcome;
    const std::optional<Journal> journal =
        Journal::fromJson(readText(undo.folder, joined(undo.backup, journalName)).value_or(QByteArray()));
    if (!journal) {
        outcome.add(joined(undo.folder, undo.backup), failure(Reason::UndoListUnreadable));
        return outcome;
    }
    return putBack(undo.folder, undo.backup, *journal);
}

} // namespace Packages
