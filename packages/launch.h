#pragma once

// Launch screens drawn from the design: its background (the colour, or the gradient stretched over
// the screen) with its picture in the middle, the text left out unless asked for; the dark ones
// the dark look's glyph on a near-black screen.
#include "packages/sources.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace Packages {

// The near-black of a dark launch screen.
const QColor darkLaunch(0x12, 0x12, 0x14);

// How much of a full-screen launch image's shorter side the design's 1024 canvas takes: a logo
// filling its safe zone is about a third of the screen's width.
constexpr double launchShare = 0.5;
// The same for the square image iOS crops to the screen's shape (2732 x 2732 for every device):
// what a phone in portrait shows of it is about 46 % of its width.
constexpr double croppedLaunchShare = 0.23;

// One colour for the whole screen, as Android 12 paints it: the design's colour, the middle of its
// gradient, or the plate behind a transparent design; for the dark screen near-black, or the colour
// the options choose.
QColor launchColour(const Sources& s, bool dark);
// A launch screen of `size` pixels, the design's canvas centred at `share` of the shorter side.
QImage launchScreen(const Sources& s, QSize size, bool dark, double share = launchShare);
// Android 12's launch icon, size x size (288 dp): the picture on transparency, shrunk where it
// reaches farther into the 192 dp circle the system keeps.
QImage launchIcon(const Sources& s, int size, bool dark);

// The Android legacy launch bitmaps, as Capacitor's template and its asset tool lay them out: each
// density's portrait size (androidDensities; landscape is the same turned), also under "-night".
// "res/drawable-port-night-hdpi/splash.png" and the rest, with each file's size and whether it is
// dark: the whole set, drawable/splash.png and drawable-night/splash.png included.
struct LaunchFile
{
    QString path;
    QSize size;
    bool dark;
};
QList<LaunchFile> legacySplashFiles();

// `jobs` marked as the launch screens' files.
Jobs launchJobs(Jobs jobs);

// Each platform's launch files, as their packages hold them (each defined beside its platform's
// other files, in android.cpp, ios.cpp and web.cpp): Android's (Android 12's icon and
// colour for light and dark, the snippet for the launch theme, the legacy bitmaps), iOS's launch
// image set, the web's start-up images for every iPhone and iPad.
Jobs androidLaunchFiles(const Sources& s);
Jobs iosLaunchFiles(const Sources& s, const QString& dir = QStringLiteral("Splash.imageset/"));
Jobs webLaunchFiles(const Sources& s);
// The launch image set Flutter's template shows centred at its own size (LaunchImage.imageset):
// LaunchImage.png, @2x and @3x, light and dark, with its Contents.json.
Jobs centredLaunchImageFiles(const Sources& s, const QString& dir);
// The head snippet's lines that name the web's start-up images, one a device size, orientation and
// appearance, each file named from `base` ("/", or "" beside the page).
QString startupImageLinks(const QString& base);
// The Device Preview's launch screens: Android 12's, the iPhone's and the web app's on an iPad,
// light and dark, at `ratio` device pixels a sheet pixel.
QList<Panel> launchPanels(const Sources& s, qreal ratio);
// The theme items Android 12 reads the launch screen from, for the app's launch theme.
QString androidLaunchThemeItems();

} // namespace Packages
