// Xcode asset catalogs (*.xcassets/AppIcon.appiconset: Flutter's ios/Runner and macos/Runner,
// Capacitor's ios/App/App, React Native's ios/NAME): the iOS or macOS set (or both) with its
// Contents.json, the icons it no longer names moved out, the launch image sets, and the layered
// document beside the Xcode project.
#include "packages/apply/frameworks.h"
#include "packages/launch.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan& sofar)
{
    if (!folder.dir.endsWith(QLatin1String(".xcassets")))
        return {};
    const QString set = joined(folder.dir, QStringLiteral("AppIcon.appiconset"));
    const QFileInfo info(joined(folder.root, set));
    if (!info.isDir() || info.isSymLink())
        return {};
    if (const QString generated = generatedNatively(folder, sofar); !generated.isEmpty())
        return {Found{set, QString(), generated}};
    return {Found{set, QStringLiteral("Xcode asset catalog %1").arg(set)}};
}

// The idioms the set's Contents.json names.
QSet<QString> idiomsOf(const Draft& d, const QString& set)
{
    QSet<QString> idioms;
    for (const QJsonValue& image : QJsonDocument::fromJson(d.text(set + QStringLiteral("/Contents.json")))
                                       .object()
                                       .value(QStringLiteral("images"))
                                       .toArray())
        idioms << image.toObject().value(QStringLiteral("idiom")).toString();
    return idioms;
}

// The layered document beside the Xcode project the catalog belongs to.
void layeredDocument(Draft& d, const QString& set)
{
    for (const QString& project : d.scan.xcodeProjects) {
        const QString beside = folderOf(project);
        if (!beside.isEmpty() && !set.startsWith(beside + QLatin1Char('/')))
            continue;
        const QString document = joined(beside, QStringLiteral("AppIcon.icon"));
        if (d.planned(joined(document, QStringLiteral("icon.json"))))
            continue;
        for (const Job& job : d.targets.bundle.all())
            d.add(job, joined(beside, job.path));
        d.notes << QStringLiteral(
                       "For iOS and macOS 26, add %1 to the app's target in %2 (Xcode: File > Add Files) "
                       "and keep AppIcon as the app icon's name.")
                       .arg(document, QFileInfo(project).fileName());
    }
}

// A launch image set the catalog has (`files`, named inside the set): its images and Contents.json,
// the images it no longer names moved out.
void launchImages(Draft& d, const QString& set, const Jobs& files)
{
    const QFileInfo info(joined(d.root, set));
    if (!info.isDir() || info.isSymLink())
        return;
    QSet<QString> ours;
    for (const Job& job : files) {
        ours << job.path;
        d.add(job, joined(set, job.path));
    }
    for (const QString& name : QDir(joined(d.root, set)).entryList(QDir::Files | QDir::Hidden))
        if (!ours.contains(name)) {
            d.removed << joined(set, name);
            d.launchFiles << joined(set, name);
        }
}

// The launch image sets of Capacitor's template (Splash.imageset, under the names Capacitor's asset
// tool gives them) and Flutter's (LaunchImage.imageset), where the catalog has them.
void launchImageSets(Draft& d, const QString& catalog)
{
    Jobs splash;
    for (Job job : d.targets.ios.all())
        if (job.path.startsWith(QLatin1String("Splash.imageset/"))) {
            job.path = job.path.mid(int(qstrlen("Splash.imageset/")));
            splash << job;
        }
    launchImages(d, joined(catalog, QStringLiteral("Splash.imageset")), splash);
    const bool centred =
        QFileInfo(joined(d.root, joined(catalog, QStringLiteral("LaunchImage.imageset")))).isDir();
    if (centred)
        launchImages(d, joined(catalog, QStringLiteral("LaunchImage.imageset")),
                     centredLaunchImageFiles(d.sources, QString()));
    // A catalog with no launch image set (React Native's): its launch storyboard shows none, and
    // changing a storyboard is the developer's.
    if (!centred && !QFileInfo(joined(d.root, joined(catalog, QStringLiteral("Splash.imageset")))).isDir())
        d.notes << QStringLiteral(
                       "%1 has no launch image set (Splash.imageset or LaunchImage.imageset) for "
                       "--launch to fill: its launch storyboard was left as it is; add an image set "
                       "named Splash and show it in the storyboard, and the next apply --launch fills it.")
                       .arg(catalog);
}

// A build variant's set, "AppIcon-Debug" beside "AppIcon" in the same catalog, and the build
// configuration of its name (if the Xcode project has one) set to use it.
void chooseVariantSet(Draft& d, const QString& set, const QString& variantSet)
{
    const QString name = d.sources.options().variant.name;
    const QString catalog = folderOf(set), setName = QFileInfo(variantSet).completeBaseName();
    // The Xcode project beside the catalog's folder or above it (ios/App/App.xcodeproj for
    // ios/App/App/Assets.xcassets, ios/Runner.xcodeproj for ios/Runner/Assets.xcassets).
    QString project;
    for (QString dir = folderOf(catalog); project.isEmpty() && !dir.isEmpty();
         dir = dir.contains(QLatin1Char('/')) ? folderOf(dir) : QString()) {
        for (const QString& p :
             QDir(joined(d.root, dir)).entryList({QStringLiteral("*.xcodeproj")}, QDir::Dirs))
            if (d.exists(joined(dir, p + QStringLiteral("/project.pbxproj"))))
                project = joined(dir, p + QStringLiteral("/project.pbxproj"));
        if (dir == folderOf(folderOf(catalog)))
            break;
    }
    if (project.isEmpty()) {
        d.notes << QStringLiteral("No Xcode project was found beside %1: choose %2 as the app icon set of "
                                  "the %3 configuration in Xcode.")
                       .arg(catalog, setName, name);
        return;
    }
    const QString before = QString::fromUtf8(d.textSoFar(project));
    const std::optional<QString> after = withAppIconSet(before, name, setName);
    if (!after)
        d.notes << QStringLiteral("%1 does not read as an Xcode project: it was left as it is; choose %2 as "
                                  "the app icon set of the %3 configuration in Xcode.")
                       .arg(project, setName, name);
    else if (*after == before && !before.contains(QStringLiteral("\"%1\"").arg(setName)))
        d.notes << QStringLiteral("%1 has no build configuration named %2 that names an app icon set: %3 "
                                  "is there for one to choose.")
                       .arg(project, name, setName);
    else if (*after != before) {
        d.replace(textJob(QString(), after->toUtf8()), project);
        d.edited << project;
    }
}

void write(Draft& d, const QString& mainSet)
{
    // A build variant's icons go into a set of their own beside the main one, which stays as it is.
    const QString& variant = d.sources.options().variant.name;
    // (Named as flutter_flavorizr names a flavour's set in a Flutter app, AppIcon-flavor; else as
    // Xcode's configurations are named, AppIcon-Debug.)
    const QStringList flutterApps = d.scan.of("Flutter");
    const bool flutter = std::any_of(flutterApps.begin(), flutterApps.end(), [&mainSet](const QString& app) {
        return app.isEmpty() || mainSet.startsWith(app + QLatin1Char('/'));
    });
    const QString set =
        variant.isEmpty() ? mainSet
                          : joined(folderOf(mainSet),
                                   QStringLiteral("AppIcon-%1.appiconset")
                                       .arg(flutter ? variant : variant.left(1).toUpper() + variant.mid(1)));
    const QSet<QString> idioms = idiomsOf(d, mainSet);
    QSet<QString> phones = idioms;
    phones.subtract({QStringLiteral("mac"), QStringLiteral("watch"), QStringLiteral("watch-marketing")});
    if (!idioms.isEmpty() && phones.isEmpty() && !idioms.contains(QStringLiteral("mac"))) {
        d.notes << QStringLiteral("%1 is a watchOS icon set; it was left as it is.").arg(set);
        return;
    }
    // A set of one platform gets that platform's icons; a set for iOS and macOS both.
    const bool mac = idioms.contains(QStringLiteral("mac")), ios = !phones.isEmpty() || !mac;
    QList<TargetFiles*> platforms;
    if (ios)
        platforms << &d.targets.ios;
    if (mac)
        platforms << &d.targets.macosCatalog;
    QSet<QString> ours{QStringLiteral("Contents.json")};
    QJsonArray entries;
    for (TargetFiles* files : platforms)
        for (const Job& job : files->all()) {
            if (!job.path.startsWith(QLatin1String("AppIcon.appiconset/")))
                continue;
            const QString name = job.path.mid(int(qstrlen("AppIcon.appiconset/")));
            if (name == QLatin1String("Contents.json")) {
                for (const QJsonValue& entry :
                     QJsonDocument::fromJson(job.bytes()).object().value(QStringLiteral("images")).toArray())
                    entries << entry;
                if (platforms.size() == 1)
                    d.add(job, joined(set, name));
                continue;
            }
            ours << name;
            d.add(job, joined(set, name));
        }
    if (platforms.size() > 1)
        d.add(textJob(
                  QString(),
                  QJsonDocument(QJsonObject{{QStringLiteral("images"), entries},
                                            {QStringLiteral("info"),
                                             QJsonObject{{QStringLiteral("author"), QStringLiteral("xcode")},
                                                         {QStringLiteral("version"), 1}}}})
                      .toJson()),
              joined(set, QStringLiteral("Contents.json")));
    // Files the catalog no longer names would be reported by Xcode as unassigned.
    for (const QString& name : QDir(joined(d.root, set)).entryList(QDir::Files | QDir::Hidden))
        if (!ours.contains(name))
            d.removed << joined(set, name);
    if (!variant.isEmpty())
        return chooseVariantSet(d, mainSet, set);
    if (ios && d.sources.options().launch)
        launchImageSets(d, folderOf(set));
    layeredDocument(d, set);
}

} // namespace

extern const Framework assetCatalog = {"Xcode", "an Xcode asset catalog (*.xcassets/AppIcon.appiconset)",
                                       recognise, write, true};

} // namespace Packages::Apply
