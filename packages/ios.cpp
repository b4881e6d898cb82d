// iOS: the App Store icon of the asset catalogue, with its dark and tinted variants, and the layered
// document of iOS 26.
#include "packages/iconcomposer.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Packages {

Jobs iosFiles(const Sources& s)
{
    const QString dir = QStringLiteral("AppIcon.appiconset/");
    // The layered document for iOS 26 beside the asset catalogue's icons for the systems before,
    // and the launch image set when asked for.
    return iconBundleFiles(s) + (s.options().launch ? iosLaunchFiles(s) : Jobs()) +
           Jobs{pngJob(dir + QStringLiteral("AppIcon-1024.png"), [&s] { return s.opaqueIcon(canvas); }),
                pngJob(dir + QStringLiteral("AppIcon-1024-dark.png"), [&s] { return s.iosDark(); }),
                pngJob(
                    dir + QStringLiteral("AppIcon-1024-tinted.png"), [&s] { return s.iosTinted(); }, true),
                textJob(dir + QStringLiteral("Contents.json"), R"({
  "images" : [
    {
      "filename" : "AppIcon-1024.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "dark" } ],
      "filename" : "AppIcon-1024-dark.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "tinted" } ],
      "filename" : "AppIcon-1024-tinted.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    }
  ],
  "info" : {
    "author" : "xcode",
    "version" : 1
  }
}
)")};
}

QList<Panel> iosPanels(const Sources& s, qreal ratio)
{
    const int glassPixels = int(std::lround(tile * ratio));
    const QRectF t = tileRect();
    const QPainterPath shape = superellipse(t, 5);
    const QImage light = s.opaqueIcon(canvas), dark = s.iosDark();
    const QImage tinted = painted(s.iosTinted(), QColor(0xff, 0xb3, 0x40), true);
    const IconDocument document = iconDocument(s);
    return {
        {QStringLiteral("iOS light"), lightPanel, [=](QPainter& p) { centred(p, light, tile, shape); }},
        {QStringLiteral("iOS dark"), QColor(0x10, 0x10, 0x12),
         [=](QPainter& p) {
             QLinearGradient plate(t.topLeft(), t.bottomLeft());
             plate.setColorAt(0, QColor(0x3a, 0x3a, 0x3c));
             plate.setColorAt(1, QColor(0x16, 0x16, 0x18));
             p.fillPath(shape, plate);
             centred(p, dark, tile, shape);
         }},
        {QStringLiteral("iOS tinted"), QColor(0x10, 0x10, 0x12),
         [=](QPainter& p) {
             p.fillPath(shape, QColor(0x1c, 0x1c, 0x1e));
             centred(p, tinted, tile, shape);
         }},
        // The layered document of iOS and macOS 26, its glass only approximated.
        {QStringLiteral("iOS/macOS 26 (approx.)"), lightPanel,
         [glass = approximateGlass(document, glassPixels)](QPainter& p) { centred(p, glass, tile); }},
        {QStringLiteral("iOS 26 dark (approx.)"), QColor(0x10, 0x10, 0x12),
         [glass = approximateGlass(document, glassPixels, QStringLiteral("dark"))](QPainter& p) {
             centred(p, glass, tile);
         }},
        {QStringLiteral("iOS 26 tinted (approx.)"), QColor(0x10, 0x10, 0x12),
         [glass = approximateGlass(document, glassPixels, QStringLiteral("tinted"))](QPainter& p) {
             centred(p, glass, tile);
         }},
    };
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target iosTarget = {
    "ios",
    "iOS",
    "AppIcon.appiconset/: the 1024 App Store icon without alpha, its dark and tinted variants "
    "(glyphs kept legible) and Contents.json; AppIcon.icon/, the layered document of iOS 26",
    iosFiles,
    1,
    "iOS light, dark and tinted, iOS and macOS 26 (glass approximated)",
    iosPanels};

// The launch screens' files.

namespace {

// One image of a launch image set: its scale, its side in pixels and the share of it the canvas
// takes.
struct SetImage
{
    int scale, side;
    double share;
};

// A launch image set of `images`, each light and dark, named by `name` (scale, dark), with its
// Contents.json.
Jobs launchImageSet(const Sources& s, const QString& dir, const QList<SetImage>& images,
                    QString (*name)(int scale, bool dark))
{
    Jobs jobs;
    QStringList entries;
    for (bool dark : {false, true}) {
        std::function<QImage()> made;
        SetImage last{0, 0, 0};
        for (const SetImage& image : images) {
            // Scales that show the same picture share it.
            if (image.side != last.side || image.share != last.share) {
                const QSize size(image.side, image.side);
                const double share = image.share;
                made = madeOnce([&s, size, dark, share] { return launchScreen(s, size, dark, share); });
                last = image;
            }
            jobs << pngJob(dir + name(image.scale, dark), made);
            entries << QStringLiteral(
                           "    {\n%1      \"idiom\" : \"universal\",\n      \"filename\" : \"%2\",\n"
                           "      \"scale\" : \"%3x\"\n    }")
                           .arg(dark ? QStringLiteral(
                                           "      \"appearances\" : [ { \"appearance\" : \"luminosity\", "
                                           "\"value\" : \"dark\" } ],\n")
                                     : QString(),
                                name(image.scale, dark))
                           .arg(image.scale);
        }
    }
    jobs << textJob(
        dir + QStringLiteral("Contents.json"),
        (QStringLiteral("{\n  \"images\" : [\n") + entries.join(QStringLiteral(",\n")) +
         QStringLiteral("\n  ],\n  \"info\" : {\n    \"author\" : \"xcode\",\n    \"version\" : 1\n  }\n}\n"))
            .toUtf8());
    return launchJobs(jobs);
}

} // namespace

Jobs iosLaunchFiles(const Sources& s, const QString& dir)
{
    // One square image for every screen, which the launch storyboard crops to the screen's shape;
    // the same at each scale.
    return launchImageSet(
        s, dir, {{1, 2732, croppedLaunchShare}, {2, 2732, croppedLaunchShare}, {3, 2732, croppedLaunchShare}},
        [](int scale, bool dark) {
            return QStringLiteral("Default@%1x~universal~anyany%2.png")
                .arg(scale)
                .arg(dark ? QStringLiteral("-dark") : QString());
        });
}

Jobs centredLaunchImageFiles(const Sources& s, const QString& dir)
{
    // The storyboard shows the image at its own size in points in the middle of a white screen:
    // each scale's image covers the largest screen of that scale (a 13-inch iPad at 2x, the
    // largest iPhone at 3x), with the canvas the same size in points on every screen, as large as
    // on the cropped set a phone shows.
    const double points = 2732 * croppedLaunchShare / 3;
    return launchImageSet(
        s, dir, {{1, 1376, points / 1376}, {2, 2752, 2 * points / 2752}, {3, 2868, 3 * points / 2868}},
        [](int scale, bool dark) {
            return QStringLiteral("LaunchImage%1%2.png")
                .arg(dark ? QStringLiteral("-dark") : QString(),
                     scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale));
        });
}

} // namespace Packages
