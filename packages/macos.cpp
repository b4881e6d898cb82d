// macOS: the application's .icns, the design as the body of the platform's icon grid in its
// continuous-curvature shape with the template's shadow.
#include "packages/containers.h"
#include "packages/iconcomposer.h"
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"

#include <QMap>
#include <QPainter>

namespace Packages {

namespace {

// The macOS icon shape: a rounded square with continuous curvature (a superellipse of degree 5,
// whose corners match the platform template's 22.5 % radius) filling `body`.
QPainterPath macosShape(const QRectF& body)
{
    return superellipse(body, 5);
}

// The 1024 macOS icon: the design as the 824 x 824 body of the platform's grid, in its icon shape
// with the template's soft shadow below, from the pictures drawn already (a variant's badged). A
// transparent design stands on the plate. With the option macosKeepCorners the body keeps the
// design's own corners instead of the macOS shape.
QImage macosIcon(const Sources& s)
{
    const IconDesign& design = s.design();
    const bool keepCorners = s.options().macosKeepCorners;
    // The template's grid: an 824 body 100 pixels in, a shadow 12 down that softens over ~10.
    const QRectF body(100, 100, 824, 824);
    const double k = body.width() / canvas;
    QPainterPath shape;
    if (keepCorners)
        shape.addRoundedRect(body, design.cornerCurvature * k, design.cornerCurvature * k);
    else
        shape = macosShape(body);

    QImage front = transparentImage(canvas);
    {
        QPainter p(&front);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (transparentBackground(design))
            p.fillPath(shape, s.plate());
        if (keepCorners) {
            // The design as it is, corners and all, only smaller.
            p.drawImage(body.topLeft(), scaled(s.icon(), int(body.width())));
        } else {
            p.setClipPath(shape);
            const QImage fill = backgroundLayer(design, canvasFrame, int(body.width()));
            p.drawImage(body.topLeft(), composed(fill, scaled(s.foreground(), int(body.width()))));
        }
    }
    QImage mask = transparentImage(canvas);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(shape, QColor(0, 0, 0, 77)); // 30 % black
    }
    // Blurred by going down to a sixteenth and smoothly back up.
    const QImage shadow =
        mask.scaled(canvas / 16, canvas / 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .scaled(canvas, canvas, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage out = transparentImage(canvas);
    QPainter p(&out);
    p.drawImage(0, 12, shadow);
    p.drawImage(0, 0, front);
    return out;
}

// The .icns of the icon at `full`'s sizes. Several types share a size: each size is scaled once
// and, being the same image, encoded once.
QByteArray icns(const std::function<QImage(int)>& full)
{
    const QList<QPair<QByteArray, int>> types = {{"icp4", 16},  {"icp5", 32},  {"icp6", 64},   {"ic07", 128},
                                                 {"ic08", 256}, {"ic09", 512}, {"ic10", 1024}, {"ic11", 32},
                                                 {"ic12", 64},  {"ic13", 256}, {"ic14", 512}};
    QMap<int, QImage> bySize;
    QList<QPair<QByteArray, QImage>> entries;
    for (const auto& t : types) {
        if (!bySize.contains(t.second))
            bySize.insert(t.second, full(t.second));
        entries.append({t.first, bySize.value(t.second)});
    }
    return icnsFile(entries);
}

} // namespace

Jobs macosFiles(const Sources& s)
{
    const auto full = scaledOnce([&s] { return macosIcon(s); });
    // The layered document for macOS 26 beside the .icns for the systems before.
    return iconBundleFiles(s) + Jobs{{QStringLiteral("AppIcon.icns"), [full] { return icns(full); }}};
}

Jobs macosCatalogFiles(const Sources& s)
{
    // An Xcode macOS app icon set: each point size at 1x and 2x, one file a pixel size.
    const auto full = scaledOnce([&s] { return macosIcon(s); });
    const QString dir = QStringLiteral("AppIcon.appiconset/");
    Jobs jobs;
    for (int size : {16, 32, 64, 128, 256, 512, 1024})
        jobs << pngJob(dir + QStringLiteral("AppIcon-%1.png").arg(size), [full, size] { return full(size); });
    QStringList images;
    for (int points : {16, 32, 128, 256, 512})
        for (int scale : {1, 2})
            images << QStringLiteral(
                          "    {\n      \"filename\" : \"AppIcon-%1.png\",\n      \"idiom\" : \"mac\",\n"
                          "      \"scale\" : \"%2x\",\n      \"size\" : \"%3x%3\"\n    }")
                          .arg(points * scale)
                          .arg(scale)
                          .arg(points);
    jobs << textJob(
        dir + QStringLiteral("Contents.json"),
        (QStringLiteral("{\n  \"images\" : [\n") + images.join(QStringLiteral(",\n")) +
         QStringLiteral("\n  ],\n  \"info\" : {\n    \"author\" : \"xcode\",\n    \"version\" : 1\n  }\n}\n"))
            .toUtf8());
    return jobs;
}

QList<Panel> macosPanels(const Sources& s, qreal)
{
    const QImage mac = macosIcon(s);
    return {
        {QStringLiteral("macOS, light"), QColor(0xf0, 0xf0, 0xf2),
         [=](QPainter& p) { centred(p, mac, cell); }},
        {QStringLiteral("macOS, dark"), QColor(0x2b, 0x2b, 0x2e),
         [=](QPainter& p) { centred(p, mac, cell); }},
    };
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target macosTarget = {
    "macos",
    "macOS",
    "AppIcon.icns, 16 to 1024 pixels: the body in the macOS shape with its shadow; AppIcon.icon/, the "
    "layered document of macOS 26",
    macosFiles,
    1,
    "macOS on light and dark",
    macosPanels};

} // namespace Packages
