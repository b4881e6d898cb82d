#include "packages/apply/appproject.h"

#include "packages/apply/frameworks.h"

#include <QFileInfo>

#include <algorithm>

namespace Packages {

int AppPlan::count(AppChange::Action action) const
{
    return int(std::count_if(changes.begin(), changes.end(),
                             [action](const AppChange& c) { return c.action == action; }));
}

QStringList appProjectMarkers()
{
    QStringList markers;
    for (const Apply::Framework& f : Apply::frameworks())
        markers << QLatin1String(f.lookedFor);
    return markers;
}

AppPlan planAppUpdate(const IconDesign& design, const QString& folder, const Options& options)
{
    AppPlan plan;
    plan.folder = QFileInfo(folder).absoluteFilePath();
    const Apply::Scan scan = Apply::scanFolder(plan.folder);
    if (scan.folders > Apply::largestTree) {
        plan.refused = QStringLiteral("it holds more than %1 folders, more than an app's project: choose the "
                                      "app's own folder")
                           .arg(Apply::largestTree);
        return plan;
    }
    for (const Apply::Place& place : scan.places)
        plan.found << place.found;
    if (plan.found.isEmpty())
        return plan;
    const Sources sources(design, options);
    Apply::Targets targets(sources);
    Apply::Draft d{plan.folder, sources, targets, scan, {}, {}, {}, {}};
    // Each framework in the table's order, each of its projects in the order the walk met them.
    const QList<Apply::Framework>& frameworks = Apply::frameworks();
    for (int row = 0; row < frameworks.size(); ++row)
        for (const Apply::Place& place : scan.places)
            if (place.framework == row && frameworks[row].write)
                frameworks[row].write(d, place.where);

    const QVector<QByteArray> bytes = fileBytes(d.jobs);
    for (int i = 0; i < d.jobs.size(); ++i) {
        const QString& path = d.jobs[i].path;
        AppChange change{AppChange::Add, path, bytes[i]};
        if (d.exists(path))
            change.action = Apply::readText(Apply::joined(plan.folder, path), Apply::largestFile) == bytes[i]
                                ? AppChange::Same
                            : d.edited.contains(path) ? AppChange::Edit
                                                      : AppChange::Replace;
        plan.changes << change;
    }
    d.removed.removeDuplicates();
    for (const QString& path : d.removed)
        if (!d.planned(path))
            plan.changes << AppChange{AppChange::Remove, path, {}};
    plan.notes = d.notes;
    return plan;
}

} // namespace Packages
