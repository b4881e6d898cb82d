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

} // namespace Packages
