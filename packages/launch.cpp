#include "packages/launch.h"

#include "packages/android.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"
#include "render/iconrenderer.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Packages {

namespace {

// `jobs` marked as the launch screens' files.
Jobs launchJobs(Jobs jobs)
{
    for (Job& job : jobs)
        job.launch = true;
    return jobs;
}

} // namespace

QColor launchColour(const Sources& s, bool dark)
{
    const IconDesign& d = s.design();
    if (dark)
        return s.options().splashDarkColor.isValid() ? s.options().splashDarkColor : darkLaunch;
    if (d.useBackgroundColor)
        return d.backgroundColor;
    if (d.useBackgroundGradient) {
        const QColor a = d.gradientStartColor.toRgb(), b = d.gradientEndColor.toRgb();
        return QColor((a.red() + b.red() + 1) / 2, (a.green() + b.green() + 1) / 2,
                      (a.blue() + b.blue() + 1) / 2);
    }
    return s.plate();
}

QImage launchScreen(const Sources& s, QSize size, bool dark, double share)
{
    QImage screen(size, QImage::Format_RGB32);
    QPainter p(&screen);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const IconDesign& d = s.design();
    if (!dark && d.useBackgroundGradient) {
        // The gradient's canvas stretched over the screen: its colours meet the same corners.
        p.save();
        p.scale(size.width() / double(canvas), size.height() / double(canvas));
        p.fillRect(canvasFrame, backgroundBrush(d));
        p.restore();
    } else {
        screen.fill(launchColour(s, dark));
    }
    const int side = std::max(1, int(std::lround(std::min(size.width(), size.height()) * share)));
    const Downscaler& shown = s.launchContent(dark);
    const QRect at((size.width() - side) / 2, (size.height() - side) / 2, side, side);
    // Smaller than the canvas through the smooth downscale; larger by the painter.
    if (side <= canvas)
        p.drawImage(at.topLeft(), shown.scaled(side));
    else
        p.drawImage(at, shown.image());
    p.end();
    return screen;
}

QImage launchIcon(const Sources& s, int size, bool dark)
{
    // The canvas fills the icon's square; ink that reaches past the 192 of 288 dp circle is
    // shrunk into it.
    const QRectF frame = fittedFrame(canvasFrame, s.launchReach(dark), 1.0 / 3);
    return placed(s.launchContent(dark), frame, size);
}

QList<LaunchFile> legacySplashFiles()
{
    QList<LaunchFile> files{{QStringLiteral("res/drawable/splash.png"), QSize(320, 480), false},
                            {QStringLiteral("res/drawable-night/splash.png"), QSize(320, 480), true}};
    for (bool dark : {false, true})
        for (bool land : {false, true})
            for (const AndroidDensity& l : androidDensities)
                files.append({QStringLiteral("res/drawable-%1%2-%3/splash.png")
                                  .arg(land ? QStringLiteral("land") : QStringLiteral("port"),
                                       dark ? QStringLiteral("-night") : QString(), QLatin1String(l.name)),
                              land ? l.splashPortrait.transposed() : l.splashPortrait, dark});
    return files;
}

QString androidLaunchThemeItems()
{
    return QStringLiteral(
        "<item name=\"android:windowSplashScreenBackground\">@color/splash_background</item>\n"
        "<item name=\"android:windowSplashScreenAnimatedIcon\">@drawable/splash_icon</item>\n");
}

Jobs androidLaunchFiles(const Sources& s)
{
    Jobs jobs;
    // Android 12: the icon (288 dp) at every density and the screen's colour, light and dark.
    for (bool dark : {false, true}) {
        for (const AndroidDensity& density : androidDensities) {
            if (!density.launcherIcons)
                continue;
            const int side = density.pixels(288);
            jobs << pngJob(QStringLiteral("res/drawable-%1%2/splash_icon.png")
                               .arg(dark ? QStringLiteral("night-") : QString(), QLatin1String(density.name)),
                           [&s, side, dark] { return launchIcon(s, side, dark); });
        }
        jobs << textJob(QStringLiteral("res/values%1/splash_background.xml")
                            .arg(dark ? QStringLiteral("-night") : QString()),
                        QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n"
                                       "    <color name=\"splash_background\">%1</color>\n</resources>\n")
                            .arg(colorName(launchColour(s, dark)))
                            .toUtf8());
    }
    jobs << textJob(
        QStringLiteral("splash-theme.xml"),
        (QStringLiteral("<!-- Android 12 and later draw the launch screen from the launch theme: add these\n"
                        "     items to it in res/values-v31/ (the colour and the icon follow night mode by\n"
                        "     themselves). -->\n") +
         androidLaunchThemeItems())
            .toUtf8());
    // Before Android 12: full-screen bitmaps, portrait and landscape, light and dark.
    for (const LaunchFile& f : legacySplashFiles()) {
        const QSize size = f.size;
        const bool dark = f.dark;
        jobs << pngJob(f.path, [&s, size, dark] { return launchScreen(s, size, dark); });
    }
    return launchJobs(jobs);
}

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

namespace {

// Today's iPhones and iPads: each distinct screen in portrait pixels, and its scale.
const struct
{
    int width, height, scale;
} appleScreens[] = {{640, 1136, 2},  {750, 1334, 2},  {828, 1792, 2},  {1080, 2340, 3}, {1125, 2436, 3},
                    {1170, 2532, 3}, {1179, 2556, 3}, {1206, 2622, 3}, {1242, 2208, 3}, {1242, 2688, 3},
                    {1260, 2736, 3}, {1284, 2778, 3}, {1290, 2796, 3}, {1320, 2868, 3}, {1488, 2266, 2},
                    {1536, 2048, 2}, {1620, 2160, 2}, {1640, 2360, 2}, {1668, 2224, 2}, {1668, 2388, 2},
                    {1668, 2420, 2}, {2048, 2732, 2}, {2064, 2752, 2}};

// A start-up image's file, inside the web folder.
QString startupImage(QSize size, bool dark)
{
    return QStringLiteral("splash/apple-splash-%1%2-%3.png")
        .arg(dark ? QStringLiteral("dark-") : QString())
        .arg(size.width())
        .arg(size.height());
}

// Each start-up image: a screen in one orientation and appearance, its image's pixels.
struct StartupScreen
{
    int width, height, scale; // the screen in portrait pixels
    bool land, dark;
    QSize size() const { return land ? QSize(height, width) : QSize(width, height); }
};
QList<StartupScreen> startupScreens()
{
    QList<StartupScreen> screens;
    for (bool dark : {false, true})
        for (const auto& screen : appleScreens)
            for (bool land : {false, true})
                screens.append({screen.width, screen.height, screen.scale, land, dark});
    return screens;
}

} // namespace

Jobs webLaunchFiles(const Sources& s)
{
    Jobs jobs;
    for (const StartupScreen& screen : startupScreens()) {
        const QSize size = screen.size();
        const bool dark = screen.dark;
        jobs << pngJob(startupImage(size, dark), [&s, size, dark] { return launchScreen(s, size, dark); });
    }
    return launchJobs(jobs);
}

QString startupImageLinks(const QString& base)
{
    QString links;
    // The media query keeps the portrait device size in points in both orientations.
    for (const StartupScreen& screen : startupScreens())
        links += QStringLiteral("<link rel=\"apple-touch-startup-image\" href=\"%1%2\" "
                                "media=\"(prefers-color-scheme: "
                                "%3) and (device-width: %4px) and (device-height: %5px) and "
                                "(-webkit-device-pixel-ratio: %6) and (orientation: %7)\">\n")
                     .arg(base, startupImage(screen.size(), screen.dark),
                          screen.dark ? QStringLiteral("dark") : QStringLiteral("light"))
                     .arg(screen.width / screen.scale)
                     .arg(screen.height / screen.scale)
                     .arg(screen.scale)
                     .arg(screen.land ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    return links;
}

namespace {

// What `draw` paints on a transparent image of `size`, kept inside `shape` with smooth edges.
template <typename Draw> QImage inside(QSize size, const QPainterPath& shape, Draw draw)
{
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter m(&out);
    m.setRenderHint(QPainter::Antialiasing);
    m.fillPath(shape, Qt::black);
    m.setCompositionMode(QPainter::CompositionMode_SourceIn);
    draw(m);
    m.end();
    return out;
}

// `screen` (device pixels) shown at `at` on the panel as a device shows it: in a bezel (lighter on a
// dark panel), its corners rounded by `radius` sheet pixels, with smooth edges.
void onDevice(QPainter& p, const QImage& screen, const QRectF& at, double radius, qreal ratio, bool dark)
{
    p.setPen(Qt::NoPen);
    p.setBrush(dark ? QColor(0x4a, 0x4a, 0x50) : QColor(0x1b, 0x1b, 0x1f));
    p.drawRoundedRect(at.adjusted(-4, -4, 4, 4), radius + 4, radius + 4);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(screen.size())), radius * ratio, radius * ratio);
    QImage shown = inside(screen.size(), corners, [&screen](QPainter& m) { m.drawImage(0, 0, screen); });
    shown.setDevicePixelRatio(ratio);
    p.drawImage(at.topLeft(), shown);
}

// A device's screen of `points` (its shape) `height` sheet pixels tall, centred in the panel.
QRectF screenRect(QSizeF points, double height)
{
    const double width = std::round(height * points.width() / points.height());
    return QRectF(std::round((cell - width) / 2), std::round((cell - height) / 2), width, height);
}

// Android 12's launch screen at `size` device pixels on a screen `dp` wide: the colour, and the
// launch icon (288 dp) seen through the 192 dp circle the system keeps.
QImage androidLaunch(const Sources& s, QSize size, double dp, bool dark)
{
    QImage screen(size, QImage::Format_ARGB32_Premultiplied);
    screen.fill(launchColour(s, dark));
    const int icon = std::max(3, int(std::lround(288 * size.width() / dp)));
    const QRectF frame((size.width() - icon) / 2.0, (size.height() - icon) / 2.0, icon, icon);
    QPainterPath circle;
    circle.addEllipse(frame.center(), icon / 3.0, icon / 3.0);
    const QImage seen = launchIcon(s, icon, dark);
    QPainter p(&screen);
    p.drawImage(0, 0, inside(size, circle, [&](QPainter& m) { m.drawImage(frame.topLeft(), seen); }));
    p.end();
    return screen;
}

} // namespace

QList<Panel> launchPanels(const Sources& s, qreal ratio)
{
    // A phone of 412 x 915 dp, an iPhone of 430 x 932 points, an iPad Air of 820 x 1180 points.
    const QRectF android = screenRect({412, 915}, 150), iphone = screenRect({430, 932}, 150),
                 ipad = screenRect({820, 1180}, 140);
    const auto pixels = [ratio](const QRectF& r) { return (r.size() * ratio).toSize(); };
    QList<Panel> panels;
    for (bool dark : {false, true}) {
        const QString suffix = dark ? QStringLiteral(", dark") : QString();
        const QColor background = dark ? darkPanel : lightPanel;
        const QImage a = androidLaunch(s, pixels(android), 412, dark);
        panels.append({QStringLiteral("Android 12") + suffix, background,
                       [=](QPainter& p) { onDevice(p, a, android, 8, ratio, dark); }});
        // The square image iOS crops to the screen's shape, as tall as the screen.
        const QSize phone = pixels(iphone);
        const QImage i = launchScreen(s, QSize(phone.height(), phone.height()), dark, croppedLaunchShare)
                             .copy((phone.height() - phone.width()) / 2, 0, phone.width(), phone.height());
        panels.append({QStringLiteral("iPhone") + suffix, background,
                       [=](QPainter& p) { onDevice(p, i, iphone, 10, ratio, dark); }});
        const QImage w = launchScreen(s, pixels(ipad), dark);
        panels.append({QStringLiteral("Web app on iPad") + suffix, background,
                       [=](QPainter& p) { onDevice(p, w, ipad, 6, ratio, dark); }});
    }
    return panels;
}

} // namespace Packages
