#pragma once

#include "export/fileio.h"
#include "project/projectformat.h"

#include <QList>
#include <QPixmap>
#include <QStringList>

// What the two exports write for a saved state, and the writing itself. The window and the
// command-line program both go through these, so they write the same files.
namespace Export {

struct IconPlan
{
    QList<int> sizes; // in the order written
    int format = 0;   // index into formats, -1 when the state names no format
    int quality = -1; // the slider's value for JPG, -1 otherwise
};
// The chosen set (Android, iOS or custom, the first checked radio) and its ticked sizes.
IconPlan iconPlan(const Project::State& state);

struct ImagePlan
{
    int size = 0;   // 0 when no size radio is checked
    int format = 0; // index into the first four formats, -1 when none
    int quality = -1;
};
ImagePlan imagePlan(const Project::State& state);

using Outcome = Files::Outcome;
// Writes `icon` scaled to each size of the plan into `folder`, named with `stamp` (which may be
// empty). A size that fails leaves no file and the rest are still written.
Outcome writeIconSet(const QPixmap& icon, const QString& folder, const IconPlan& plan, const QString& stamp);
// Writes `graphic` scaled to the plan's size at `path`.
Files::Result writeGraphic(const QPixmap& graphic, const QString& path, const ImagePlan& plan);

} // namespace Export
