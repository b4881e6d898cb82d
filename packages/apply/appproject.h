#pragma once

#include "base/fileio.h"
#include "design/icondesign.h"
#include "packages/package.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Puts a design's icons straight into an app's own project: the frameworks found in its folder
// (Android, Xcode asset catalogs, Flutter, Capacitor, React Native, Expo, Tauri, Electron, packaged
// Windows apps, a web app) get
// the icons where their templates keep them, under their templates' names, and the icon entries
// of their manifests and catalogs; nothing else is touched, and every file replaced or moved out
// is kept in a backup inside the app's folder.
namespace Packages {

// One file the update changes, its path relative to the app's folder.
struct AppChange
{
    enum Action { Add, Replace, Edit, Remove, Same };
    Action action = Add;
    QString path;
    QByteArray bytes; // the file's new bytes; none for Remove
};

// What an update of an app's folder would do, worked out without writing anything.
struct AppPlan
{
    QString folder;    // the app's folder, absolute
    QStringList found; // what was found there, one line each: "Flutter app (pubspec.yaml)"
    QList<AppChange> changes;
    QStringList notes; // what is left to the developer, and what was left as it is
    QString refused;   // why the folder was not searched (nothing was looked for then)
    int count(AppChange::Action action) const;
};

// What the update looks for, one line each (told when a folder has none of them).
QStringList appProjectMarkers();

// The changes that put the design's icons into the app in `folder`. `options` name the app and
// choose the colours, as for the packages.
AppPlan planAppUpdate(const IconDesign& design, const QString& folder, const Options& options = Options());

// Makes the plan's changes: each file replaced whole or left as it was, nothing through a link
// out of the app's folder, every replaced, edited or removed file first copied to
// `backup` (relative to the folder, see backupFolder()). The outcome names the changed files.
Files::Outcome applyAppPlan(const AppPlan& plan, const QString& backup);

// A new backup folder's path relative to the app's folder, named after `when`:
// ".glyphwright-backup/2026-12-07_14-05-09".
QString backupFolder(const QString& folder, const QDateTime& when);

} // namespace Packages
