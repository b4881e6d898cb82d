#include "packages/package.h"

#include "base/parallel.h"
#include "base/png.h"
#include "packages/containers.h"
#include "packages/layers.h"
#include "packages/record.h"
#include "packages/targets.h"

#include <QDir>
#include <QMap>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <libdeflate.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <tuple>
#include <vector>

namespace Packages {

const QList<Target>& targets()
{
    // Each target's row is declared beside its writer.
    static const QList<Target> table = {androidTarget, iosTarget, macosTarget,
                                        windowsTarget, webTarget, linuxTarget};
    return table;
}

QStringList targetNames()
{
    QStringList names;
    for (const Target& target : targets())
        names << QLatin1String(target.name);
    return names;
}

Job pngJob(const QString& path, std::function<QImage()> image, bool grey)
{
    Job job{path, nullptr};
    job.picture = image;
    job.grey = grey;
    return job;
}

std::function<QImage()> madeOnce(std::function<QImage()> make)
{
    auto kept = std::make_shared<Once>();
    return [kept, make] { return kept->get(make); };
}

std::function<QImage(int)> scaledOnce(std::function<QImage()> make)
{
    struct Kept
    {
        std::once_flag flag;
        std::unique_ptr<const Downscaler> sizes;
    };
    auto kept = std::make_shared<Kept>();
    return [kept, make](int size) {
        std::call_once(kept->flag, [&] { kept->sizes = std::make_unique<const Downscaler>(make()); });
        return kept->sizes->scaled(size);
    };
}

Job textJob(const QString& path, const QByteArray& bytes)
{
    return {path, [bytes] { return bytes; }};
}

QString colorName(const QColor& color)
{
    return color.name(QColor::HexRgb);
}

QString defaultName(const QString& projectFile)
{
    const QString name = QFileInfo(projectFile).completeBaseName();
    return name.isEmpty() ? QStringLiteral("App") : name;
}

QString defaultAppId(const QString& projectFile)
{
    // App ids are case-sensitive (Flatpak exports only icons named exactly as the app): the case is kept.
    QString id = QFileInfo(projectFile).completeBaseName().left(250);
    id.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]+")), QStringLiteral("-"));
    id.remove(QRegularExpression(QStringLiteral("^[.-]+|-+$")));
    return id.isEmpty() ? QStringLiteral("app") : id;
}

namespace {

// Pictures of fewer pixels are cheaper to encode again than to compare.
constexpr qint64 sharedEncoding = 256 * 256;

// The chosen targets' files, their paths in `folder` (in a folder of each target's name when there
// are several).
// Play's listing icon: never badged.
bool isStoreListing(const QString& path)
{
    return path == QLatin1String("playstore-icon.png");
}

Jobs chosenJobs(const Sources& sources, const QString& folder, const QStringList& chosen)
{
    Jobs jobs;
    for (const Target& target : targets()) {
        if (!chosen.contains(QLatin1String(target.name)))
            continue;
        const QString dir =
            chosen.size() > 1 ? folder + QLatin1Char('/') + QLatin1String(target.name) : folder;
        for (Job job : target.files(sources)) {
            // A store listing's picture belongs to the release: a variant writes none.
            if (sources.options().variant.isSet() && isStoreListing(job.path))
                continue;
            job.path = dir + QLatin1Char('/') + job.path;
            job.target = target.name;
            jobs.append(job);
        }
    }
    return jobs;
}

// Makes the jobs' folders inside `folder`, one level at a time; the ones that could not be made,
// with why.
QMap<QString, QString> makeFolders(const Jobs& jobs, const QString& folder)
{
    std::set<QString> folders;
    for (const Job& job : jobs)
        folders.insert(QFileInfo(job.path).path());
    QMap<QString, QString> missing;
    for (const QString& f : folders) {
        const Files::Result made = Files::makeFolder(f, folder);
        if (!made)
            missing.insert(f, made.error());
    }
    return missing;
}

// What tells one picture from another: the image it was made from, or, for a large one, its size
// and its pixels' two checksums (pictures of one design, alike in size, do not share both by
// chance), with whether it is stored as grey.
struct PictureKey
{
    qint64 image = 0;
    int width = 0, height = 0;
    quint32 crc = 0, adler = 0;
    bool grey = false;
    int format = 0;
    bool operator<(const PictureKey& o) const
    {
        return std::tie(image, width, height, crc, adler, grey, format) <
               std::tie(o.image, o.width, o.height, o.crc, o.adler, o.grey, o.format);
    }
};

// The key of a picture's pixels.
PictureKey contentKey(const QImage& image, bool grey)
{
    const auto* pixels = image.constBits();
    const size_t size = size_t(image.sizeInBytes());
    PictureKey content;
    content.width = image.width();
    content.height = image.height();
    content.crc = libdeflate_crc32(0, pixels, size);
    content.adler = libdeflate_adler32(1, pixels, size);
    content.grey = grey;
    content.format = int(image.format());
    return content;
}

} // namespace

// Every file's bytes, on all cores: the files that are not one picture (containers of several)
// first, then the pictures in the order of the jobs, each encoded as soon as it is made and let
// go, so that a package never holds all its pictures at once. A picture that several files show
// (the layered document's picture of iOS and of macOS and the dark icon, a launcher icon that is
// also a web icon) is encoded once, whatever density each file declares: the first job to make it
// encodes it, and the others take its bytes.
Png::Effort encodingEffort(const Options& options)
{
    return options.variant.isSet() ? Png::Effort::Quick : Png::Effort::Smallest;
}

namespace {

// fileBytes() with each job's effort its own; with `everySize`, small pictures shown by several
// jobs are compared by their pixels too (those of a variant that the badge leaves as the release
// has them, its background layers, the layered document's pictures). A job takes the bytes of an
// earlier one only when they were packed at least as tightly as it asks: a release's icons never
// take a variant's quicker encoding.
QVector<QByteArray> encodedFiles(const Jobs& jobs, const std::function<bool()>& cancelled,
                                 const std::function<Png::Effort(int)>& effortOf, bool everySize)
{
    const int n = jobs.size();
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_partition(order.begin(), order.end(), [&](int i) { return !jobs[i].picture; });
    QVector<QByteArray> bytes(n);
    QVector<int> original(n);
    std::iota(original.begin(), original.end(), 0);
    std::mutex mutex;
    std::map<PictureKey, int> seen;
    // The first job that shows the picture of `key` packed at least as tightly as job `i` asks;
    // `i` when there is none (it is then the one later jobs take).
    const auto firstWith = [&](const PictureKey& key, int i) {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto [it, added] = seen.emplace(key, i);
        if (added || effortOf(it->second) == effortOf(i) || effortOf(it->second) == Png::Effort::Smallest)
            return it->second;
        it->second = i;
        return i;
    };
    parallelFor(n, [&](int k) {
        const int i = order[size_t(k)];
        if (cancelled())
            return;
        if (!jobs[i].picture) {
            bytes[i] = jobs[i].bytes();
            return;
        }
        // Premultiplied pixels are compared and tested for grey as they are (unpremultiplying
        // keeps both), and the encoder converts them a band of rows at a time.
        const QImage image = jobs[i].picture();
        if (image.isNull())
            return;
        const bool grey = jobs[i].grey && Png::allGrey(image);
        PictureKey key;
        key.image = image.cacheKey();
        key.grey = grey;
        original[i] = firstWith(key, i);
        if (original[i] != i)
            return;
        if (everySize || qint64(image.width()) * image.height() >= sharedEncoding) {
            original[i] = firstWith(contentKey(image, grey), i);
            if (original[i] != i)
                return;
        }
        bytes[i] = pngBytes(image, grey, jobs[i].dotsPerMeter, effortOf(i));
    });
    for (int i = 0; i < n; ++i) {
        const int first = original[i];
        if (first == i)
            continue;
        bytes[i] = jobs[i].dotsPerMeter == jobs[first].dotsPerMeter
                       ? bytes[first] // shared, not copied
                       : Png::withDensity(bytes[first], jobs[i].dotsPerMeter);
    }
    return bytes;
}

} // namespace

QVector<QByteArray> fileBytes(const Jobs& jobs, const std::function<bool()>& cancelled, Png::Effort effort)
{
    return encodedFiles(
        jobs, cancelled, [effort](int) { return effort; }, false);
}

namespace {

// A package's files to be written into `folder`, and the folders among theirs that could not be
// made (with why).
struct Planned
{
    QString folder;
    Jobs jobs;
    QMap<QString, QString> missing;
};

Planned planned(const Sources& sources, const QString& folder, const QStringList& chosen)
{
    Planned p{folder, chosenJobs(sources, folder, chosen), {}};
    // The folders first, on this thread; then the files on all cores.
    p.missing = makeFolders(p.jobs, folder);
    return p;
}

// The planned files with their bytes written, and the folder's record.
Files::Outcome committed(const Planned& planned, const QVector<QByteArray>& bytes, const QStringList& chosen,
                         Progress* progress)
{
    const Jobs& jobs = planned.jobs;
    const QString& folder = planned.folder;
    const QMap<QString, QString>& missing = planned.missing;
    const std::function<bool()> cancelled = [progress] { return progress && progress->cancelled; };
    // Every file written beside its place, then all made durable at once and named in the jobs'
    // order (of two that land on one file, the later wins, as were they written in turn).
    Files::Batch files(jobs.size() + 1);
    parallelFor(jobs.size(), [&](int i) {
        const QString dir = QFileInfo(jobs[i].path).path();
        Files::WriteOptions write;
        write.executable = jobs[i].executable;
        write.confinedTo = folder;
        if (cancelled())
            files.fail(i, jobs[i].path, Files::Result::cancelled());
        else if (missing.contains(dir))
            files.fail(i, jobs[i].path,
                       Files::Result::failure(Reason::FolderNotMade, {dir, missing.value(dir)}));
        else if (bytes[i].isEmpty())
            files.fail(i, jobs[i].path, Files::Result::failure(Reason::ImageNotEncoded));
        else
            files.stage(i, jobs[i].path, bytes[i], write);
    });
    // The folder's record of what was written there: this export's files (those that failed keep
    // what an earlier one recorded of them) and the earlier files still to be judged, written last.
    const QList<Record::Entry> earlier = Record::read(folder);
    QHash<QString, Record::Entry> earlierAt;
    for (const Record::Entry& e : earlier)
        earlierAt.insert(e.path, e);
    const QDir root(folder);
    QList<Record::Entry> now, record;
    for (int i = 0; i < jobs.size(); ++i) {
        const QString path = jobs[i].path.mid(folder.size() + 1); // (each made as folder/path)
        if (files.result(i))
            now << Record::entry(path, QLatin1String(jobs[i].target), bytes[i]);
        else if (earlierAt.contains(path))
            now << earlierAt.take(path);
        earlierAt.remove(path);
    }
    record = now;
    for (const Record::Entry& e : earlier)
        if (earlierAt.contains(e.path) && QFileInfo::exists(root.filePath(e.path)))
            record << e;
    const QString recordPath = root.filePath(Record::fileName);
    Files::WriteOptions write;
    write.confinedTo = folder;
    if (!cancelled())
        files.stage(jobs.size(), recordPath, Record::bytes(record), write);
    Files::Outcome outcome = files.commit([progress, &jobs](int i, const Files::Result&) {
        if (progress && i < jobs.size())
            ++progress->done;
    });
    outcome.written.removeOne(recordPath);
    // Only a whole export replaces an earlier one, of the targets it writes.
    if (outcome.failed.isEmpty())
        for (const QString& path : Record::removeStale(folder, earlier, now, chosen))
            outcome.removed << root.filePath(path);
    return outcome;
}

Files::Outcome written(const Sources& sources, const QString& folder, const QStringList& chosen,
                       Progress* progress)
{
    const Planned p = planned(sources, folder, chosen);
    if (progress)
        progress->total = p.jobs.size();
    const QVector<QByteArray> bytes = fileBytes(
        p.jobs, [progress] { return progress && progress->cancelled; }, encodingEffort(sources.options()));
    return committed(p, bytes, chosen, progress);
}

} // namespace

Files::Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& chosen,
                            const Options& options, Progress* progress)
{
    return written(Sources(design, options), folder, chosen, progress); // the jobs draw from it as they run
}

Files::Outcome writePackages(const IconDesign& design, const QList<Build>& builds, const QStringList& chosen,
                             const Options& options)
{
    Options release = options;
    release.variant.name.clear();
    const Sources drawn(design, release);
    // Each build's pictures drawn from the release's (kept here while their jobs run), and all the
    // builds' files encoded on all cores at once: what the badge leaves as the release has it (the
    // background layers, the layered document's pictures) is encoded once for all.
    std::deque<Sources> drawnFor;
    QList<Planned> plans;
    Jobs all;
    QVector<Png::Effort> efforts;
    for (const Build& build : builds) {
        if (build.variant.isSet())
            drawnFor.emplace_back(drawn, build.variant);
        else
            drawnFor.push_back(drawn);
        plans << planned(drawnFor.back(), build.folder, chosen);
        all += plans.last().jobs;
        efforts.insert(efforts.size(), plans.last().jobs.size(), encodingEffort(drawnFor.back().options()));
    }
    const QVector<QByteArray> bytes = encodedFiles(
        all, [] { return false; }, [&efforts](int i) { return efforts[i]; }, builds.size() > 1);
    Files::Outcome outcome;
    int first = 0;
    for (const Planned& p : plans) {
        outcome.add(committed(p, bytes.mid(first, p.jobs.size()), chosen, nullptr));
        first += p.jobs.size();
    }
    return outcome;
}

} // namespace Packages
