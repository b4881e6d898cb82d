#include "packages/apply/appproject.h"

#include "packages/apply/frameworks.h"

#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <iterator>

namespace Packages {

int AppPlan::count(AppChange::Action action) const
{
    return int(std::count_if(changes.begin(), changes.end(),
                             [action](const AppChange& c) { return c.action == action; }));
}

QString AppPlan::summary() const
{
    return changeCounts(changes) + QStringLiteral(", %1 already up to date").arg(count(AppChange::Same));
}

QList<AppChange> AppPlan::part(bool launch) const
{
    QList<AppChange> those;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(those),
                 [launch](const AppChange& c) { return c.launch == launch; });
    return those;
}

QString changeCounts(const QList<AppChange>& changes, bool undo)
{
    int counts[AppChange::Restore + 1] = {};
    for (const AppChange& c : changes) {
        if (!c.path.endsWith(QLatin1Char('/')))
            ++counts[c.action];
    }
    if (undo)
        return QStringLiteral("%1 restored, %2 removed")
            .arg(counts[AppChange::Restore])
            .arg(counts[AppChange::Remove]);
    return QStringLiteral("%1 added, %2 replaced, %3 edited, %4 removed")
        .arg(counts[AppChange::Add])
        .arg(counts[AppChange::Replace])
        .arg(counts[AppChange::Edit])
        .arg(counts[AppChange::Remove]);
}

QString actionName(AppChange::Action action)
{
    switch (action) {
    case AppChange::Add:
        return QStringLiteral("add");
    case AppChange::Replace:
        return QStringLiteral("replace");
    case AppChange::Edit:
        return QStringLiteral("edit");
    case AppChange::Remove:
        return QStringLiteral("remove");
    case AppChange::Restore:
        return QStringLiteral("restore");
    case AppChange::Same:
        break;
    }
    return QStringLiteral("unchanged");
}

QStringList appProjectMarkers()
{
    QStringList markers;
    for (const Apply::Framework& f : Apply::frameworks())
        markers << QLatin1String(f.lookedFor);
    return markers;
}

AppPlan planAppUpdate(const IconDesign& design, const QString& folder, const Options& options,
                      const QStringList& variants)
{
    AppPlan plan;
    plan.folder = QFileInfo(folder).absoluteFilePath();
    const Apply::Scan scan = Apply::scanFolder(plan.folder);
    if (scan.folders > Apply::largestTree) {
        plan.refused = Problem{Reason::TooManyFolders, {QString::number(Apply::largestTree)}, QString()};
        return plan;
    }
    for (const Apply::Place& place : scan.places)
        (place.note.isEmpty() ? plan.found : plan.notes) << (place.note.isEmpty() ? place.found : place.note);
    if (plan.found.isEmpty()) {
        // A web page without a manifest (a fresh Vite app): what would make it an app project.
        plan.hint =
            scan.pages.isEmpty()
                ? QStringLiteral("To write the icons into a folder of their own instead: glyphwright-cli "
                                 "package PROJECT.ipr OUTDIR --target all")
                : QStringLiteral("%1 is a web page without a web app manifest. Add one with an icon list "
                                 "(public/manifest.webmanifest for Vite, linked from the page) and apply "
                                 "puts the icons into it; or write the web package into a folder of its "
                                 "own: glyphwright-cli package PROJECT.ipr OUTDIR --target web")
                      .arg(scan.pages.first());
        return plan;
    }
    // A variant's badge may show the app's version, as its project gives it.
    Options chosen = options;
    if (!variants.isEmpty())
        chosen.variant.name = variants.first();
    QString& badge = chosen.variant.badge.text;
    if (chosen.variant.isSet() && badge.contains(QLatin1String("{version}"))) {
        const QString version = Apply::appVersion(plan.folder, scan);
        if (version.isEmpty()) {
            plan.refused = Problem{Reason::NoAppVersion, {}, QString()};
            return plan;
        }
        badge.replace(QLatin1String("{version}"), version);
    }
    // The pictures of each variant asked for (kept here while the jobs draw from them): of several,
    // each badged on the release's, drawn once.
    std::deque<Sources> drawn;
    if (variants.size() < 2) {
        drawn.emplace_back(design, chosen);
    } else {
        Options release = chosen;
        release.variant.name.clear();
        const Sources once(design, release);
        for (const QString& name : variants) {
            Variant v = chosen.variant;
            v.name = name;
            drawn.emplace_back(once, v);
        }
    }
    std::deque<Apply::Targets> targets;
    Apply::Draft d{plan.folder, drawn.front(), targets.emplace_back(drawn.front()), scan, {}, {}, {}, {}, {}};
    // Each framework in the table's order, each of its projects in the order the walk met them; the
    // variants one after another, each seeing the files as the ones before left them (one Xcode
    // project choosing each one's set).
    const QList<Apply::Framework>& frameworks = Apply::frameworks();
    for (size_t b = 0; b < drawn.size(); ++b) {
        Apply::Draft v{plan.folder,
                       drawn[b],
                       b == 0 ? targets.front() : targets.emplace_back(drawn[b]),
                       scan,
                       std::move(d.jobs),
                       std::move(d.edited),
                       std::move(d.removed),
                       std::move(d.launchFiles),
                       std::move(d.notes),
                       {}};
        for (const Sources& each : drawn)
            if (each.options().variant.isSet())
                v.variants << each.options().variant.name;
        const Variant& variant = drawn[b].options().variant;
        for (int row = 0; row < frameworks.size(); ++row)
            for (const Apply::Place& place : scan.places) {
                if (place.framework != row || !place.note.isEmpty() || !frameworks[row].write)
                    continue;
                if (variant.isSet() && !frameworks[row].takesVariants) {
                    v.notes << QStringLiteral(
                                   "%1: a build variant's icons are not put in here (package --variant "
                                   "%2 writes them into a folder of their own); it was left as it is.")
                                   .arg(place.found, variant.name);
                    continue;
                }
                frameworks[row].write(v, place.where);
            }
        d.jobs = std::move(v.jobs);
        d.edited = std::move(v.edited);
        d.removed = std::move(v.removed);
        d.launchFiles = std::move(v.launchFiles);
        d.notes = std::move(v.notes);
    }
    // A file that is a link stays one, and nothing goes through a link out of the app's folder.
    const auto clear = [&plan](const QString& path) {
        const Problem why = Apply::linkInTheWay(plan.folder, path);
        if (why)
            plan.skipped << why.text() + QLatin1Char('.');
        return !why;
    };
    Jobs jobs;
    std::copy_if(d.jobs.begin(), d.jobs.end(), std::back_inserter(jobs),
                 [&clear](const Job& job) { return clear(job.path); });
    d.jobs = jobs;
    QStringList removed;
    std::copy_if(d.removed.begin(), d.removed.end(), std::back_inserter(removed), clear);
    d.removed = removed;

    const QVector<QByteArray> bytes = fileBytes(
        d.jobs, [] { return false; }, encodingEffort(chosen));
    for (int i = 0; i < d.jobs.size(); ++i) {
        const QString& path = d.jobs[i].path;
        AppChange change{AppChange::Add, path, bytes[i], d.jobs[i].launch || d.launchFiles.contains(path)};
        if (d.exists(path))
            change.action = Apply::readText(plan.folder, path, Apply::largestFile) == bytes[i]
                                ? AppChange::Same
                            : d.edited.contains(path) ? AppChange::Edit
                                                      : AppChange::Replace;
        plan.changes << change;
    }
    d.removed.removeDuplicates();
    for (const QString& path : d.removed)
        if (!d.planned(path))
            plan.changes << AppChange{AppChange::Remove, path, {}, d.launchFiles.contains(path)};
    plan.notes += d.notes;
    plan.notes.removeDuplicates();
    return plan;
}

} // namespace Packages
