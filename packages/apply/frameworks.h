#pragma once

// What the writers of each framework `apply` knows share: the table of frameworks (each declared
// in a file of its own with its row), what a walk through the app's folder found, the plan being
// drafted, and reading the app's own files.
#include "packages/apply/appproject.h"
#include "packages/targets.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace Packages::Apply {

// Manifests, catalogs and projects are small; anything larger is not one.
constexpr qint64 largestText = 4 * 1024 * 1024;
// The largest file compared with a new one or kept in the backup.
constexpr qint64 largestFile = 512 * 1024 * 1024;

// "dir/name", or "name" when `dir` is empty.
QString joined(const QString& dir, const QString& name);
// The folder part of a relative path: "" for a bare name.
QString folderOf(const QString& path);
// The bytes of the regular file `relative` inside the app's folder `root`, of at most `largest`
// bytes, or none; nothing is read through a link that leads out of `root`.
std::optional<QByteArray> readText(const QString& root, const QString& relative,
                                   qint64 largest = largestText);
// The pixel size of the picture `relative` inside `root` (read as readText() reads), or an invalid
// size.
QSize sizeOf(const QString& root, const QString& relative);
// Why the app's files must not be touched at `relative`: it is a symbolic link (kept as one), or
// the way to it passes through a link that leads out of `root`. None when it may be.
Problem linkInTheWay(const QString& root, const QString& relative);

// Whether the file `relative` in the app's folder `root` holds what an earlier apply there wrote
// (the last one to write it, as its backup's list says), unchanged since.
bool asLastApplied(const QString& root, const QString& relative);

// One folder of the app's tree as the walk sees it.
struct Folder
{
    QString root;      // the app's folder, absolute
    QString dir;       // this folder, relative to it ("" for the app's folder)
    QStringList files; // the names of its files, hidden ones included
    QString path() const { return joined(root, dir); }
    bool has(const char* name) const { return files.contains(QLatin1String(name)); }
    // The text of its file `name`, empty when there is none or it is not a small regular file.
    QByteArray text(const QString& name) const;
    // `dir` as a report names it.
    QString where() const { return dir.isEmpty() ? QStringLiteral("the app's folder") : dir; }
};

// What a framework's recognise() found in a folder: a project of it.
struct Found
{
    QString where;            // its folder (or file) relative to the app's folder
    QString found;            // the report's line: "Flutter app (pubspec.yaml)"
    QString note = QString(); // for a place left alone (nothing written), why
};

// A place the walk found a framework's project: what was found, and the framework's row.
struct Place
{
    int framework; // its row in frameworks()
    QString where, found, note;
};

// What a walk through the app's folder found, each path relative to it.
struct Scan
{
    QList<Place> places;       // in the order the walk met them
    QStringList xcodeProjects; // every *.xcodeproj, where the layered document goes beside
    QStringList pages;         // every index.html (a web app without a manifest has one)
    int folders = 0;           // looked into so far
    // The places of the framework `name`.
    QStringList of(const char* name) const;
};

// A target's files, each made only when asked for.
struct TargetFiles
{
    const Sources& sources;
    Jobs (*make)(const Sources&);
    std::optional<Jobs> jobs;
    const Jobs& all();
    Job at(const QString& path);
};

// The package targets' files the frameworks put in place.
struct Targets
{
    explicit Targets(const Sources& s);
    TargetFiles android, ios, macos, macosCatalog, windows, bundle;
    // The android package with PNG layers whatever the options: for a folder copied into a
    // project by a tool that may take only the mipmaps (Tauri's icons/android).
    TargetFiles androidPixels;
};

// The plan being made: files to write (made on all cores at the end) and files to move out.
struct Draft
{
    QString root;
    const Sources& sources;
    Targets& targets;
    const Scan& scan;
    Jobs jobs;                 // paths relative to the app's folder
    QSet<QString> edited;      // jobs that change a file of the developer's (a manifest)
    QStringList removed;       // files moved out to the backup
    QSet<QString> launchFiles; // paths (planned or removed) that belong to the launch screens
    QStringList notes;
    QStringList variants = {}; // the build variants the apply puts in, all of them (none: the release)
    bool planned(const QString& path) const;
    // Plans `job` at `path` unless a file is planned there already.
    void add(Job job, const QString& path);
    // Plans `job` at `path` in place of what is planned there (a second edit of the same file).
    void replace(Job job, const QString& path);
    // The text the plan gives the file at `path` so far: a planned edit's, or the file's own.
    QByteArray textSoFar(const QString& path) const;
    bool exists(const QString& path) const;
    // The text of the app's file at `path`, empty when it is not a small regular file.
    QByteArray text(const QString& path) const;
};

// A framework `apply` knows: how its project is recognised and what it writes. A framework is a
// file with these and a row of the table.
struct Framework
{
    const char* name;      // "Flutter"
    const char* lookedFor; // what a folder without any is told was looked for
    // The places `folder` holds (for most, the folder itself), each with the report's line; none
    // when it holds no project of this framework. A catalog's folder ("X.xcassets") is looked into
    // but not walked further.
    // `sofar` holds what the walk found before (the folders above this one among them).
    QList<Found> (*recognise)(const Folder& folder, const Scan& sofar);
    // Plans this framework's files for the project at `where`; null for a framework whose files
    // the others write (Capacitor's Android and iOS projects, say).
    void (*write)(Draft& d, const QString& where);
    // Whether it puts a build variant's icons where its build picks them up (else a variant's apply
    // leaves it alone, with a note).
    bool takesVariants = false;
};

// The app's version as its project gives it (versionName in an Android module's build.gradle,
// MARKETING_VERSION in an Xcode project, version in pubspec.yaml or package.json); empty if none.
QString appVersion(const QString& root, const Scan& scan);
// `pbxproj` with the app icon set of the build configuration named `configuration` (its case
// aside) set to `set`, quoted, that line alone changed; none when the file holds no build
// configuration as Xcode writes them, the same text when it has none of that name.
std::optional<QString> withAppIconSet(const QString& pbxproj, const QString& configuration,
                                      const QString& set);

// In the order their files are planned.
const QList<Framework>& frameworks();
// The row named `name`.
int frameworkNamed(const char* name);

// Walks the app's folder (build outputs, packages and hidden folders skipped).
Scan scanFolder(const QString& root);
// More folders than an app's project holds (outside its build outputs and packages): a home
// folder or a disk, chosen by mistake.
constexpr int largestTree = 20000;

// Whether `folder` holds a React Native app (app.json beside a package.json naming react-native),
// and one made with Expo (its app.json has an expo object).
bool isReactNativeApp(const Folder& folder);
bool isExpoApp(const Folder& folder);
// Why `folder` is left alone when it lies in a native folder "expo prebuild" makes (an Expo app's
// android/ or ios/ its .gitignore lists); empty when it is the app's own.
QString generatedNatively(const Folder& folder, const Scan& sofar);

} // namespace Packages::Apply
