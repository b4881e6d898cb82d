#include "packages/package.h"

#include "base/parallel.h"
#include "base/png.h"
#include "packages/containers.h"
#include "packages/layers.h"
#include "packages/targets.h"

#include <QDir>
#include <QMap>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <libdeflate.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
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

} // namespace

namespace {

// The chosen targets' files, their paths in `folder` (in a folder of each target's name when there
// are several).
Jobs chosenJobs(const Sources& sources, const QString& folder, const QStringList& chosen)
{
    Jobs jobs;
    for (const Target& target : targets()) {
        if (!chosen.contains(QLatin1String(target.name)))
            continue;
        const QString dir =
            chosen.size() > 1 ? folder + QLatin1Char('/') + QLatin1String(target.name) : folder;
        for (Job job : target.files(sources)) {
            job.path = dir + QLatin1Char('/') + job.path;
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
            missing.insert(f, made.error);
    }
    return missing;
}

// The jobs' pictures as the encoder reads them (unpremultiplied), whether each is to be stored as
// grey, and for each job the one whose bytes it takes: a picture that several files show (the
// layered document's picture of iOS and of macOS and the dark icon, a launcher icon that is also a
// web icon) is encoded once, whatever density each file declares. Copies are found by the image
// they were made from, and among large pictures by their pixels.
struct Pictures
{
    QVector<QImage> images;
    QVector<bool> grey;
    QVector<int> original;
};

Pictures makePictures(const Jobs& jobs, const std::function<bool()>& cancelled)
{
    const int n = jobs.size();
    Pictures p{QVector<QImage>(n), QVector<bool>(n), QVector<int>(n)};
    QVector<uint> hashes(n);
    QVector<qint64> made(n);
    parallelFor(n, [&](int i) {
        if (!jobs[i].picture || cancelled())
            return;
        const QImage picture = jobs[i].picture();
        made[i] = picture.cacheKey();
        p.images[i] = picture.format() == QImage::Format_ARGB32_Premultiplied
                          ? picture.convertToFormat(QImage::Format_ARGB32)
                          : picture;
        p.grey[i] = jobs[i].grey && Png::allGrey(p.images[i]);
        if (qint64(p.images[i].width()) * p.images[i].height() >= sharedEncoding)
            hashes[i] = uint(libdeflate_crc32(0, p.images[i].constBits(), size_t(p.images[i].sizeInBytes())));
    });
    const auto large = [&](int i) {
        return qint64(p.images[i].width()) * p.images[i].height() >= sharedEncoding;
    };
    for (int i = 0; i < n; ++i) {
        p.original[i] = i;
        if (!jobs[i].picture || p.images[i].isNull())
            continue;
        for (int j = 0; j < i; ++j)
            if (p.original[j] == j && jobs[j].picture && p.grey[j] == p.grey[i] &&
                (made[j] == made[i] || (large(i) && hashes[j] == hashes[i] && p.images[j] == p.images[i]))) {
                p.original[i] = j;
                p.images[i] = QImage();
                break;
            }
    }
    return p;
}

// The bytes of every file that is not a copy, on all cores: the files that are not one picture
// (containers of several) first, then the pictures, the largest first, so that the cores finish
// together. The pictures are let go as they are encoded.
QVector<QByteArray> encode(const Jobs& jobs, Pictures& p, const std::function<bool()>& cancelled)
{
    const int n = jobs.size();
    std::vector<int> order;
    for (int i = 0; i < n; ++i)
        if (p.original[i] == i)
            order.push_back(i);
    const auto weight = [&](int i) {
        return jobs[i].picture ? qint64(p.images[i].width()) * p.images[i].height()
                               : std::numeric_limits<qint64>::max();
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return weight(a) > weight(b); });
    QVector<QByteArray> bytes(n);
    parallelFor(int(order.size()), [&](int k) {
        const int i = order[size_t(k)];
        if (!cancelled())
            bytes[i] =
                jobs[i].picture ? pngBytes(p.images[i], p.grey[i], jobs[i].dotsPerMeter) : jobs[i].bytes();
        p.images[i] = QImage();
    });
    return bytes;
}

} // namespace

QVector<QByteArray> fileBytes(const Jobs& jobs, const std::function<bool()>& cancelled)
{
    Pictures pictures = makePictures(jobs, cancelled);
    QVector<QByteArray> bytes = encode(jobs, pictures, cancelled);
    for (int i = 0; i < jobs.size(); ++i) {
        const int original = pictures.original[i];
        if (original == i)
            continue;
        bytes[i] = jobs[i].dotsPerMeter == jobs[original].dotsPerMeter
                       ? bytes[original] // shared, not copied
                       : Png::withDensity(bytes[original], jobs[i].dotsPerMeter);
    }
    return bytes;
}

Files::Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& chosen,
                            const Options& options, Progress* progress)
{
    const Sources sources(design, options); // the jobs draw from it as they run
    const Jobs jobs = chosenJobs(sources, folder, chosen);
    // The folders first, on this thread; then the files on all cores.
    const QMap<QString, QString> missing = makeFolders(jobs, folder);
    if (progress)
        progress->total = jobs.size();
    const std::function<bool()> cancelled = [progress] { return progress && progress->cancelled; };
    const QVector<QByteArray> bytes = fileBytes(jobs, cancelled);
    QVector<Files::Result> results(jobs.size());
    QStringList paths;
    for (const Job& job : jobs)
        paths.append(job.path);
    Files::writeEach(paths, [&](int i) {
        if (cancelled()) {
            results[i] = Files::Result::cancelled();
            return;
        }
        const QString dir = QFileInfo(jobs[i].path).path();
        if (missing.contains(dir)) {
            results[i] = Files::Result::failure(
                QStringLiteral("the folder %1 could not be created: %2").arg(dir, missing.value(dir)));
            return;
        }
        Files::WriteOptions write;
        write.executable = jobs[i].executable;
        write.confinedTo = folder;
        const QByteArray& made = bytes[i];
        results[i] = made.isEmpty() ? Files::Result::failure(QStringLiteral("the image could not be encoded"))
                                    : Files::write(jobs[i].path, made, write);
        if (progress)
            ++progress->done;
    });
    Files::Outcome outcome;
    for (int i = 0; i < jobs.size(); ++i)
        outcome.add(jobs[i].path, results[i]);
    return outcome;
}

} // namespace Packages
