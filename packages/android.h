#pragma once

#include "base/reason.h"

#include <QSize>
#include <QString>

struct IconDesign;

// Android's screen densities, one table for everything the android package writes at each: the
// launcher icons and adaptive layers, Android 12's launch icon and the full-screen launch bitmaps
// of the systems before it.
namespace Packages {

struct AndroidDensity
{
    const char* name;     // the resource qualifier: "mdpi"
    double pixelsPerDp;   // 1 at mdpi
    bool launcherIcons;   // the launcher icons and launch icon are written for it (ldpi: none)
    QSize splashPortrait; // the full-screen launch bitmap in portrait, as Capacitor's template has it
    int pixels(int dp) const { return int(dp * pixelsPerDp + 0.5); }
};

// From ldpi to xxxhdpi.
extern const AndroidDensity androidDensities[6];

struct Options;
// Why the adaptive icon's foreground and background of `design` cannot be vector drawables (a
// picture of pixels, an SVG element with no form as paths, a build variant's badge, which is drawn
// on the pixels); none when they can. With options.androidVector Auto the package then writes PNG
// layers, as with Never.
Problem androidVectorProblem(const IconDesign& design, const Options& options);

} // namespace Packages
