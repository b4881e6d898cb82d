#include "export/iconset.h"

#include "base/parallel.h"
#include "render/graphicrenderer.h"

#include <algorithm>
#include <vector>

namespace Export {

QString timeStamp(const QDateTime& moment)
{
    return moment.date().toString(QStringLiteral("dd-MM-yyyy")) + QLatin1Char(' ') +
           moment.time().toString(QStringLiteral("hh-mm-ss"));
}

QString iconFileName(const QString& folder, int size, const QString& stamp, const QString& extension)
{
    QString name = folder + QStringLiteral("/Icon") + QString::number(size);
    if (!stamp.isEmpty())
        name += QLatin1Char(' ') + stamp;
    return name + QLatin1Char('.') + extension;
}

QString folderOf(const QString& path, QChar separator)
{
    const int cut = path.lastIndexOf(separator);
    return cut < 0 ? path : path.left(cut);
}

Files::Outcome writeIconSet(const QImage& source, const QString& folder, const IconPlan& plan,
                            const QString& stamp)
{
    const QString extension = plan.format ? QLatin1String(plan.format->extension) : QString();
    const int count = plan.sizes.size();
    // The names are the program's own, so a link standing at one may not lead out of the folder.
    Files::WriteOptions confined;
    confined.confinedTo = folder;
    // Each size is the scaled copy of the whole icon, scaled, encoded and written beside its place
    // on its own, so the sizes are shared out among the cores, largest first; then all are made
    // durable at once and named in the plan's order, so the files are the same as written one
    // after another.
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return plan.sizes[a] > plan.sizes[b]; });
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(iconFileName(folder, plan.sizes[i], stamp, extension));
    Files::Batch files(count);
    parallelFor(count, [&](int k) {
        const int i = order[size_t(k)];
        const int size = plan.sizes[i];
        Problem why{Reason::NoFormat, {}, QString()};
        const QByteArray bytes = plan.format ? encodeImageFile(scaledCopy(source, size, size), *plan.format,
                                                               plan.quality, QSize(size, size), &why)
                                             : QByteArray();
        if (bytes.isEmpty())
            files.fail(i, paths[i], Files::Result::failure(why));
        else
            files.stage(i, paths[i], bytes, confined);
    });
    return files.commit();
}

Files::Result writeGraphic(const QPixmap& graphic, const QString& path, const ImagePlan& plan)
{
    if (plan.size <= 0)
        return Files::Result::failure(Reason::NoSize);
    if (!plan.format)
        return Files::Result::failure(Reason::NoFormat);
    return writeImageFile(path, scaledCopy(graphic, plan.size, plan.size).toImage(), *plan.format,
                          plan.quality, QSize(plan.size, plan.size));
}

} // namespace Export
