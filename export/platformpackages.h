#pragma once

#include "design/icondesign.h"
#include "export/fileio.h"
#include "export/packagesources.h"

#include <QImage>
#include <QStringList>

// Ready-to-drop icon folders for Android, iOS, macOS, Windows, the web and the Linux desktop,
// derived from a design.
namespace Packages {

// android, ios, macos, windows, web, linux
const QStringList& targets();

using Outcome = Files::Outcome;
// Writes the packages of `targets` (names from targets()) into `folder`: a single target straight
// into it, several each into a sub-folder of its own name. The files are encoded and written on
// all cores; each is written whole or not at all.
Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& targets,
                     const Options& options = Options());
// The same for one target, or "all" for every one.
Outcome writePackage(const IconDesign& design, const QString& folder, const QString& target,
                     const Options& options = Options());

// One picture of the icon as the platforms show it: Android under the circle, squircle,
// rounded-square and teardrop masks with the safe zone outlined, its themed icon on a wallpaper,
// the legacy square and round icons, iOS light, dark and tinted, macOS on light and dark, and the
// favicon at 16 and 32 pixels at 1:1, each labelled.
QImage previewSheet(const IconDesign& design, const Options& options = Options());

} // namespace Packages
