#pragma once

#include <QString>

// The folders where the file dialogs last went, kept in the per-user settings store.
namespace Folders {
extern const QString imageCustomBrowse; // "ImageCustomBrowseFolder"
extern const QString saveIcons;         // "SaveIconsFolder"
extern const QString saveImage;         // "SaveImageFolder"
extern const QString packages;          // "PackagesFolder", of Export Packages
extern const QString appProject;        // "AppProjectFolder", of Apply to App Project
} // namespace Folders

// The stored folder for `key`, or the user's pictures folder when none is stored.
QString rememberedFolder(const QString& key);
// Stores `folder` under `key` and flushes the store at once.
void rememberFolder(const QString& key, const QString& folder);
