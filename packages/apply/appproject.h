#pragma once

#include "base/fileio.h"
#include "base/reason.h"
#include "design/icondesign.h"
#include "packages/package.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// Puts a design's icons straight into an app's own project: the frameworks found in its folder
// (Android, Xcode asset catalogs, Flutter, Capacitor, React Native, Expo, Tauri, Electron, packaged
// Windows apps, a web app) get the icons where their templates keep them, under their templates'
// names, and the icon entries of their manifests and catalogs; nothing else is touched, and every
// file replaced or moved out is kept in a backup inside the app's folder, with the list of what was
// added, so that the change can be undone.
namespace Packages {

// One file the update changes, its path relative to the app's folder.
struct AppChange
{
    // Restore: an undo puts back the file as it was before the apply.
    enum Action { Add, Replace, Edit, Remove, Same, Restore };
    Action action = Add;
    QString path;
    QByteArray bytes;    // the file's new bytes; none for Remove
    bool launch = false; // part of the launch screens, not of the icons
};

// How an apply counts its changes, "3 added, 2 replaced, 1 edited, 0 removed", and (with `undo`)
// an undo, "3 restored, 2 removed"; folders are not counted.
QString changeCounts(const QList<AppChange>& changes, bool undo = false);

// The word a report gives an action: "add", "replace", "edit", "remove", "unchanged", "restore".
QString actionName(AppChange::Action action);

// What an update of an app's folder would do, worked out without writing anything.
struct AppPlan
{
    QString folder;    // the app's folder, absolute
    QStringList found; // what was found there, one line each: "Flutter app (pubspec.yaml)"
    QList<AppChange> changes;
    QStringList notes;   // what is left to the developer, and what was left as it is
    QStringList skipped; // parts that could not be put in place, each with why (an apply then fails)
    Problem refused;     // why the folder was not searched (nothing was looked for then)
    QString hint;        // when nothing was found, what would make the folder one apply knows
    int count(AppChange::Action action) const;
    // "3 added, 2 replaced, 1 edited, 0 removed, 4 already up to date"
    QString summary() const;
    // The changes to the launch screens (`launch`) or to the icons.
    QList<AppChange> part(bool launch) const;
};

// What the update looks for, one line each (told when a folder has none of them).
QStringList appProjectMarkers();

// The changes that put the design's icons into the app in `folder`. `options` name the app and
// choose the colours, as for the packages. Nothing is read through a symbolic link that leads out
// of the folder; a file that is itself a link, or lies beyond one leading out, is left as it is,
// with a note.
// With `variants`, each of those build variants is put in (as options.variant would be, by that
// name), all in one plan, in order.
AppPlan planAppUpdate(const IconDesign& design, const QString& folder, const Options& options = Options(),
                      const QStringList& variants = QStringList());

// One run of apply (or undo) at a time in an app's folder: a lock on APPDIR/.glyphwright-backup/lock,
// held while the object lives and let go when it goes (or when the process ends, however it ends).
// A run that finds the last apply stopped half way puts back what that one changed first.
class AppLock
{
  public:
    explicit AppLock(const QString& folder);
    ~AppLock();
    AppLock(const AppLock&) = delete;
    AppLock& operator=(const AppLock&) = delete;
    // Whether this run holds the folder; when not, why: the run that holds it (its process and
    // when it started), or the reason the lock could not be made.
    bool isHeld() const { return fd >= 0; }
    QString whyNot() const { return refusal.text(); }
    // Taking the lock finishes what a stopped run left: when the last apply was stopped half way,
    // its temporaries are removed and what it changed is put back. What was done then, or empty.
    QString recoveredNote() const { return recovered; }

  private:
    void recoverStoppedApply();
    QString folder, path, recovered;
    Problem refusal;
    int fd = -1;
};

// Makes the plan's changes as one, while an AppLock of its folder is held: the temporaries its
// earlier runs left behind are removed; every file it replaces, edits or removes is first copied
// (its mode kept) to `backup` (relative to the folder, see backupFolder()) with the list of what it
// adds and the folders it makes, all made durable; then every new file is written beside its place
// and, only once all are written, named (images before the catalogs and manifests that list them),
// and the files moved out are removed last. When a file cannot be written nothing is changed; when
// one cannot be named or removed, what was done is put back. Nothing is read, written or removed
// through a link out of the folder. The outcome names the changed files, or those that failed.
Files::Outcome applyAppPlan(const AppPlan& plan, const QString& backup);

// A new backup folder's path relative to the app's folder, named after `when`:
// ".glyphwright-backup/2026-12-07_14-05-09".
QString backupFolder(const QString& folder, const QDateTime& when);

// What undoing the last apply in a folder would do.
struct AppUndo
{
    QString folder;           // the app's folder, absolute
    QString backup;           // the backup of the apply undone, relative to the folder
    QList<AppChange> changes; // Restore (put back as it was) or Remove (added by it, or a folder it made)
    QStringList conflicts;    // files changed since the apply: with any, nothing is undone
    Problem refused;          // why there is nothing to undo
    // Files only (the folders the apply made are put back with them, uncounted).
    int count(AppChange::Action action) const;
};

// The undo of the last apply in `folder` whose backup lists what it added.
AppUndo planAppUndo(const QString& folder);

// Puts the folder back as it was before that apply, while an AppLock of it is held: the files it
// replaced, edited or removed come back from the backup with their modes, the files it added and
// the folders it made (once empty) go, and then the backup itself. Refused, changing nothing,
// when the undo has conflicts. The outcome names the files put back or removed, and those that
// could not be.
Files::Outcome undoApp(const AppUndo& undo);

} // namespace Packages
