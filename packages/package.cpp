#include "packages/package.h"

#include "base/parallel.h"
#include "packages/containers.h"
#include "packages/layers.h"
#include "packages/targets.h"

#include <QDir>
#include <QMap>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <memory>
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

Job textJob(const QString& path, const QByteArray& bytes)
{
    return {path, [bytes] { return bytes; }};
}

QList<QImage> sizes(const QImage& icon, std::initializer_list<int> list)
{
    QList<QImage> images;
    for (int s : list)
        images.append(scaled(icon, s));
    return images;
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

bool allGrey(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qRed(line[x]) != qGreen(line[x]) || qGreen(line[x]) != qBlue(line[x]))
                return false;
    }
    return true;
}

} // namespace

Files::Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& chosen,
                            const Options& options, Progress* progress)
{
    const Sources sources(design, options);
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

    // The folders first, on this thread; then the files on all cores.
    std::set<QString> folders;
    for (const Job& job : jobs)
        folders.insert(QFileInfo(job.path).path());
    QMap<QString, QString> missing; // folder: why it could not be made
    for (const QString& f : folders) {
        const Files::Result made = Files::makeFolder(f, folder);
        if (!made)
            missing.insert(f, made.error);
    }
    QVector<Files::Result> results(jobs.size());
    if (progress)
        progress->total = jobs.size();
    const auto cancelled = [progress] { return progress && progress->cancelled; };

    // The pictures, on all cores, as the encoder reads them (unpremultiplied), and whether each is
    // to be stored as grey.
    const int n = jobs.size();
    QVector<QImage> pictures(n);
    QVector<bool> grey(n);
    QVector<uint> hashes(n);
    parallelFor(n, [&](int i) {
        if (!jobs[i].picture || cancelled())
            return;
        const QImage picture = jobs[i].picture();
        pictures[i] = picture.format() == QImage::Format_ARGB32_Premultiplied
                          ? picture.convertToFormat(QImage::Format_ARGB32)
                          : picture;
        grey[i] = jobs[i].grey && allGrey(pictures[i]);
        if (qint64(pictures[i].width()) * pictures[i].height() >= sharedEncoding)
            hashes[i] = qHashBits(pictures[i].constBits(), size_t(pictures[i].sizeInBytes()));
    });
    // A large picture that several files show (the layered document of iOS and of macOS, the dark
    // icon of a photograph and its layer there) is encoded once.
    QVector<int> original(n);
    for (int i = 0; i < n; ++i) {
        original[i] = i;
        if (!jobs[i].picture || qint64(pictures[i].width()) * pictures[i].height() < sharedEncoding)
            continue;
        for (int j = 0; j < i; ++j)
            if (original[j] == j && jobs[j].picture && hashes[j] == hashes[i] && grey[j] == grey[i] &&
                jobs[j].dotsPerMeter == jobs[i].dotsPerMeter && pictures[j] == pictures[i]) {
                original[i] = j;
                pictures[i] = QImage();
                break;
            }
    }
    // Then the bytes of every file that is not a copy, on all cores: the files that are not one
    // picture (containers of several) first, then the pictures, the largest first, so that the cores
    // finish together.
    std::vector<int> order;
    for (int i = 0; i < n; ++i)
        if (original[i] == i)
            order.push_back(i);
    const auto weight = [&](int i) {
        return jobs[i].picture ? qint64(pictures[i].width()) * pictures[i].height()
                               : std::numeric_limits<qint64>::max();
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return weight(a) > weight(b); });
    QVector<QByteArray> bytes(n);
    parallelFor(int(order.size()), [&](int k) {
        const int i = order[size_t(k)];
        if (!cancelled())
            bytes[i] =
                jobs[i].picture ? pngBytes(pictures[i], grey[i], jobs[i].dotsPerMeter) : jobs[i].bytes();
        pictures[i] = QImage();
    });
    // Then the files.
    parallelFor(n, [&](int i) {
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
        const QByteArray& made = bytes[original[i]];
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
