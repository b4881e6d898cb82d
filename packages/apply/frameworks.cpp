#include "packages/apply/frameworks.h"

#include "packages/iconcomposer.h"
#include "packages/targets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace Packages::Apply {

// The rows, each defined in its framework's file: a framework is that file, its row here and its
// tree under tests/data/apply/.
extern const Framework androidModule, assetCatalog, webManifest, flutterApp, capacitorApp, reactNativeApp,
    expoApp, tauriApp, electronApp, windowsApp;

const QList<Framework>& frameworks()
{
    // Files are planned in this order, and the first framework to plan a path keeps it.
    static const QList<Framework> table = {androidModule, assetCatalog,   webManifest, flutterApp,
                                           capacitorApp,  reactNativeApp, tauriApp,    electronApp,
                                           windowsApp,    expoApp};
    return table;
}

int frameworkNamed(const char* name)
{
    const QList<Framework>& all = frameworks();
    for (int i = 0; i < all.size(); ++i)
        if (qstrcmp(all[i].name, name) == 0)
            return i;
    Q_ASSERT_X(false, "frameworkNamed", name);
    return -1;
}

QString joined(const QString& dir, const QString& name)
{
    return dir.isEmpty() ? name : dir + QLatin1Char('/') + name;
}

QString folderOf(const QString& path)
{
    const QString folder = QFileInfo(path).path();
    return folder == QLatin1String(".") ? QString() : folder;
}

std::optional<QByteArray> readText(const QString& root, const QString& relative, qint64 largest)
{
    QFile file;
    if (!Files::openBeneath(file, root, relative, largest))
        return std::nullopt;
    return file.readAll();
}

QSize sizeOf(const QString& root, const QString& relative)
{
    QFile file;
    if (!Files::openBeneath(file, root, relative, largestFile))
        return QSize();
    QImageReader reader(&file);
    return reader.size();
}

Problem linkInTheWay(const QString& root, const QString& relative)
{
    const QString inside = QFileInfo(root).canonicalFilePath() + QLatin1Char('/');
    QString at = root;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        at += QLatin1Char('/') + parts[i];
        const QFileInfo here(at);
        if (!here.isSymLink())
            continue;
        if (i == parts.size() - 1)
            return Problem{Reason::IsLink, {relative}, QString()};
        if (!(here.canonicalFilePath() + QLatin1Char('/')).startsWith(inside))
            return Problem{Reason::LinkOnTheWay, {relative}, QString()};
    }
    return Problem();
}

QByteArray Folder::text(const QString& name) const
{
    return readText(root, joined(dir, name)).value_or(QByteArray());
}

QStringList Scan::of(const char* name) const
{
    const int row = frameworkNamed(name);
    QStringList where;
    for (const Place& place : places)
        if (place.framework == row)
            where << place.where;
    return where;
}

const Jobs& TargetFiles::all()
{
    if (!jobs)
        jobs = make(sources);
    return *jobs;
}

Job TargetFiles::at(const QString& path)
{
    for (const Job& job : all())
        if (job.path == path)
            return job;
    Q_ASSERT_X(false, "TargetFiles::at", qPrintable(path));
    return Job{path, [] { return QByteArray(); }}; // reported as a file that could not be made
}

Targets::Targets(const Sources& s)
    : android{s, androidFiles, {}}, ios{s, iosFiles, {}}, macos{s, macosFiles, {}},
      macosCatalog{s, macosCatalogFiles, {}}, windows{s, windowsFiles, {}},
      bundle{s, [](const Sources& s) { return iconBundleFiles(s); }, {}},
      androidPixels{s, [](const Sources& s) { return androidFiles(s, AndroidVector::Never); }, {}}
{
}

bool Draft::planned(const QString& path) const
{
    return std::any_of(jobs.begin(), jobs.end(), [&path](const Job& j) { return j.path == path; });
}

void Draft::add(Job job, const QString& path)
{
    job.path = path;
    if (!planned(path))
        jobs << job;
}

void Draft::replace(Job job, const QString& path)
{
    job.path = path;
    for (Job& j : jobs)
        if (j.path == path) {
            j = job;
            return;
        }
    jobs << job;
}

QByteArray Draft::textSoFar(const QString& path) const
{
    for (const Job& j : jobs)
        if (j.path == path && j.bytes)
            return j.bytes();
    return text(path);
}

bool Draft::exists(const QString& path) const
{
    return QFileInfo::exists(joined(root, path));
}

QByteArray Draft::text(const QString& path) const
{
    return readText(root, path).value_or(QByteArray());
}

namespace {

// Folders that hold build products, downloaded packages or other tools' state, never an app's
// own icons.
bool skipped(const QString& name)
{
    static const QSet<QString> names = {
        QStringLiteral("build"),       QStringLiteral("node_modules"),  QStringLiteral("Pods"),
        QStringLiteral("DerivedData"), QStringLiteral("target"),        QStringLiteral("dist"),
        QStringLiteral("www"),         QStringLiteral("intermediates"), QStringLiteral("generated")};
    return name.startsWith(QLatin1Char('.')) || names.contains(name);
}

void recognise(const Folder& folder, Scan& scan)
{
    const QList<Framework>& all = frameworks();
    for (int i = 0; i < all.size(); ++i)
        for (const Found& f : all[i].recognise(folder, scan))
            scan.places << Place{i, f.where, f.found, f.note};
}

Folder folderAt(const QString& root, const QString& dir)
{
    return {root, dir, QDir(joined(root, dir)).entryList(QDir::Files | QDir::Hidden, QDir::Name)};
}

void look(const QString& root, const QString& dir, int depth, Scan& scan)
{
    if (++scan.folders > largestTree)
        return;
    const Folder here = folderAt(root, dir);
    recognise(here, scan);
    if (here.has("index.html"))
        scan.pages << joined(dir, QStringLiteral("index.html"));
    if (depth == 0)
        return;
    for (const QFileInfo& sub :
         QDir(joined(root, dir))
             .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        const QString name = sub.fileName();
        if (sub.isSymLink() || skipped(name))
            continue;
        const QString path = joined(dir, name);
        if (name.endsWith(QLatin1String(".xcodeproj")))
            scan.xcodeProjects << path;
        else if (name.endsWith(QLatin1String(".xcassets")))
            recognise(folderAt(root, path), scan); // a catalog: its sets are not projects
        else
            look(root, path, depth - 1, scan);
    }
}

} // namespace

Scan scanFolder(const QString& root)
{
    Scan scan;
    look(root, QString(), 8, scan);
    return scan;
}

} // namespace Packages::Apply
