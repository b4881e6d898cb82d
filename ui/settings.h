#pragma once

#include "packages/package.h"

#include <QString>
#include <QStringList>

// Everything the program remembers between runs, in the per-user settings store: the folders the
// file dialogs last went to, and what Export Packages was last set to. The keys are named here
// only; nothing else reads or writes the store.

// The remembered folders' keys.
namespace Folders {
extern const QString imageCustomBrowse; // "ImageCustomBrowseFolder"
extern const QString saveIcons;         // "SaveIconsFolder"
extern const QString saveImage;         // "SaveImageFolder"
extern const QString packages;          // "PackagesFolder", of Export Packages
extern const QString appProject;        // "AppProjectFolder", of Apply to App Project
} // namespace Folders

// The stored folder for `key`, or the user's pictures folder when none is stored.
QString rememberedFolder(const QString& key);
// The stored folder for `key`, or an empty string when none is stored.
QString storedFolder(const QString& key);
// Stores `folder` under `key` and flushes the store at once.
void rememberFolder(const QString& key, const QString& folder);

// What Export Packages remembers of one project file (by its whole path): the app's name and id as
// typed, and the folder it last exported into. A design without a file has none.
struct ProjectApp
{
    QString name, appId, folder;
    // The build variant its packages and applies are for (none: the release icons), with its badge.
    QString variant, badgeStyle, badgeText;
    Packages::Variant buildVariant() const;
    // Every variant the project has been given, the latest first, each with its badge as last chosen
    // (what save() adds the chosen one to).
    struct Remembered
    {
        QString variant, badgeStyle, badgeText;
    };
    QList<Remembered> variants = {};

    static ProjectApp load(const QString& projectFile);
    void save(const QString& projectFile) const;
};

// What the Export Packages dialog remembers between runs, in the settings store: the targets and
// every option but the app's name and id, which belong to the project.
struct PackageChoices
{
    QStringList targets;
    Packages::Options options;

    static PackageChoices load();
    void save() const;
    // The same targets and the same remembered options.
    bool operator==(const PackageChoices& other) const;
    // The options for a project file: its name and id where none is typed.
    Packages::Options optionsFor(const QString& projectFile, const QString& name = QString(),
                                 const QString& appId = QString()) const;
    // The options for a project file with the app's name and id last typed for it.
    Packages::Options rememberedFor(const QString& projectFile) const;
};
