#include "render/artwork.h"

#include <QCache>
#include <algorithm>
#include "base/png.h"

#include <QFile>
#include <QResource>
#include <QMutex>

namespace Artwork {

const Category categories[categoryCount] = {
    {"Add", "add", 15},          {"Remove", "remove", 28},         {"Media Player", "player", 24},
    {"Multimedia", "media", 14}, {"Navigation", "navigation", 22}, {"Share", "share", 31},
    {"Misc", "misc", 40},
};

int listedRows(int category)
{
    if (category < 0 || category >= categoryCount)
        return 0;
    return categories[category].pictures - 1;
}

static QString path(const QString& prefix, int number, bool thumbnail)
{
    return prefix + QString::number(number) +
           (thumbnail ? QStringLiteral("-small.png") : QStringLiteral(".png"));
}

QString flatPath(int number, bool thumbnail)
{
    return path(QStringLiteral(":/Flat/flat"), number, thumbnail);
}

QString coloredPath(int number, bool thumbnail)
{
    return path(QStringLiteral(":/Colored/colored"), number, thumbnail);
}

QString graphicPath(int category, int number, bool thumbnail)
{
    if (category < 0 || category >= categoryCount)
        return QString();
    return path(QStringLiteral(":/Graphics/") + QLatin1String(categories[category].word), number, thumbnail);
}

// Decoded pictures, costed in KiB: room for a dozen full-size pictures.
static QCache<QString, QImage>& cache()
{
    static QCache<QString, QImage> images(48 * 1024);
    return images;
}

// The cache is shared by every thread that renders.
static QMutex cacheMutex;

QImage libraryImage(const QString& path)
{
    {
        QMutexLocker lock(&cacheMutex);
        if (const QImage* hit = cache().object(path))
            return *hit;
    }
    QImage image;
    // The resources are compiled in uncompressed, so the PNG is decoded where it lies. Checking
    // existence first keeps the image reader from warning about unknown paths (row -1 and numbers
    // past the catalogue are normal here).
    const QResource resource(path);
    if (!path.isEmpty() && resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        image = Png::decode(resource.data(), resource.size());
    if (image.isNull() && !path.isEmpty() && QFile::exists(path))
        image.load(path);
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QMutexLocker lock(&cacheMutex);
    cache().insert(path, new QImage(image), std::max(1, int(image.sizeInBytes() / 1024)));
    return image;
}

void clearImageCache()
{
    QMutexLocker lock(&cacheMutex);
    cache().clear();
}

} // namespace Artwork
