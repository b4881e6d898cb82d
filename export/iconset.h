#pragma once

#include "base/fileio.h"
#include "export/imageformats.h"

#include <QDateTime>
#include <QList>
#include <QPixmap>
#include <QString>

// The two exports: the icon scaled to a set of sizes, and the pictogram at one size. The window
// and the command line both write through these, so they write the same files.
namespace Export {

struct IconPlan
{
    QList<int> sizes;                    // in the order written
    const ImageFormat* format = nullptr; // null when the project names no format
    int quality = -1;                    // the slider's value for JPG, -1 otherwise
};

struct ImagePlan
{
    int size = 0;                        // 0 when no size is chosen
    const ImageFormat* format = nullptr; // null when the project names no format
    int quality = -1;
};

// "dd-MM-yyyy hh-mm-ss" of a moment, local time, hours 00 to 23.
QString timeStamp(const QDateTime& moment);
// folder + "/Icon" + size + " " + stamp + "." + extension; an empty stamp leaves out " " + stamp.
QString iconFileName(const QString& folder, int size, const QString& stamp, const QString& extension);
// The text before the last `separator`; the whole text when it holds none.
QString folderOf(const QString& path, QChar separator);

// Writes `icon` scaled to each size of the plan into `folder`, named with `stamp` (which may be
// empty). A size that fails leaves no file and the rest are still written; none is written through
// a symbolic link that leads out of `folder`.
Files::Outcome writeIconSet(const QImage& icon, const QString& folder, const IconPlan& plan,
                            const QString& stamp);
// Writes `graphic` scaled to the plan's size at `path`.
Files::Result writeGraphic(const QPixmap& graphic, const QString& path, const ImagePlan& plan);

} // namespace Export
