// Android: legacy and round launcher icons, the adaptive icon's three layers at every density, the
// XML that ties them together, and the Play Store icon.
#include "packages/android.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"
#include "packages/vectorshapes.h"

#include <QPainter>

#include <cmath>

namespace Packages {

namespace {

// The legacy round icon (1024): the design in a circle, its content shrunk to fit it.
QImage roundIcon(const Sources& s)
{
    const QImage content = placed(s.foregroundSizes(), fittedFrame(canvasFrame, s.reach(), 0.5), canvas);
    QImage round = composed(backgroundLayer(s.design(), canvasFrame, canvas), content);
    QImage mask(canvas, canvas, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(canvasFrame);
    }
    QPainter p(&round);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, mask);
    p.end();
    return round;
}

// What each density's mipmap folder holds: the file, its side in dp and what it shows.
enum class Launcher { Icon, Round, Foreground, Background, Monochrome };
const struct
{
    const char* file;
    int dp;
    Launcher shows;
} launcherFiles[] = {
    {"ic_launcher.png", 48, Launcher::Icon},
    {"ic_launcher_round.png", 48, Launcher::Round},
    {"ic_launcher_foreground.png", 108, Launcher::Foreground},
    {"ic_launcher_background.png", 108, Launcher::Background},
    {"ic_launcher_monochrome.png", 108, Launcher::Monochrome},
};

} // namespace

const AndroidDensity androidDensities[6] = {
    {"ldpi", 0.75, false, {240, 320}}, {"mdpi", 1, true, {320, 480}},    {"hdpi", 1.5, true, {480, 800}},
    {"xhdpi", 2, true, {720, 1280}},   {"xxhdpi", 3, true, {960, 1600}}, {"xxxhdpi", 4, true, {1280, 1920}}};

namespace {

// Whether the themed layer `mono` is the silhouette of `foreground`: every pixel white, with the
// foreground's alpha within a level.
bool isSilhouette(const QImage& mono, const QImage& foreground)
{
    if (mono.size() != foreground.size())
        return false;
    const QImage m = mono.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 f = foreground.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < m.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(m.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(f.constScanLine(y));
        for (int x = 0; x < m.width(); ++x)
            if (std::abs(qAlpha(a[x]) - qAlpha(b[x])) > 1 || qRed(a[x]) != qAlpha(a[x]))
                return false;
    }
    return true;
}

} // namespace

Problem androidVectorProblem(const IconDesign& design, const Options& options)
{
    if (options.variant.isSet())
        return Problem{Reason::NoVectorForm, {QStringLiteral("a build variant's badge")}, QString()};
    Problem why;
    foregroundShapes(design, &why);
    return why;
}

Jobs androidFiles(const Sources& s)
{
    return androidFiles(s, s.options().androidVector);
}

Jobs androidFiles(const Sources& s, AndroidVector vector)
{
    const auto round = scaledOnce([&s] { return roundIcon(s); });
    Jobs jobs;
    // The foreground and background as vector drawables where the design has them as paths, placed
    // as the PNG layers place them; the themed layer too where it is the foreground's silhouette
    // (no part of it told apart from another: a one-colour logo, the text alone).
    Problem why;
    const bool asked = vector != AndroidVector::Never && !s.options().variant.isSet();
    if (asked)
        s.vectorForeground(&why);
    const bool vectors = asked && !why;
    const bool themedVector = vectors && isSilhouette(s.monochrome(), s.foreground());
    if (vectors) {
        // Written with the pictures, on all cores.
        const QRectF frame = fittedFrame(adaptiveFrame, s.reach(), adaptiveSafeRadius);
        jobs << Job{QStringLiteral("res/drawable/ic_launcher_foreground.xml"),
                    [&s, frame] { return vectorDrawable(s.vectorForeground(), frame, canvasFrame); }}
             << Job{QStringLiteral("res/drawable/ic_launcher_background.xml"), [&s] {
                        return vectorDrawable(backgroundShapes(s.design(), adaptiveFrame, s.plate()),
                                              adaptiveFrame);
                    }};
        if (themedVector)
            jobs << Job{QStringLiteral("res/drawable/ic_launcher_monochrome.xml"), [&s, frame] {
                            return vectorDrawable(silhouette(s.vectorForeground()), frame, canvasFrame);
                        }};
    }
    for (const AndroidDensity& d : androidDensities) {
        if (!d.launcherIcons)
            continue;
        const QString dir = QStringLiteral("res/mipmap-") + QLatin1String(d.name) + QLatin1Char('/');
        for (const auto& f : launcherFiles) {
            if ((vectors && (f.shows == Launcher::Foreground || f.shows == Launcher::Background)) ||
                (themedVector && f.shows == Launcher::Monochrome))
                continue;
            const int side = d.pixels(f.dp);
            const Launcher shows = f.shows;
            jobs << pngJob(dir + QLatin1String(f.file), [&s, round, side, shows] {
                switch (shows) {
                case Launcher::Icon:
                    return s.iconAt(side);
                case Launcher::Round:
                    return round(side);
                case Launcher::Foreground:
                    return s.adaptiveForeground(side);
                case Launcher::Background:
                    return s.adaptiveBackground(side);
                case Launcher::Monochrome:
                    break;
                }
                return s.adaptiveMonochrome(side);
            });
        }
    }
    const QByteArray layers = vectors ? "@drawable/" : "@mipmap/",
                     themed = themedVector ? "@drawable/" : "@mipmap/";
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                           "<adaptive-icon xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
                           "    <background android:drawable=\"" +
                           layers +
                           "ic_launcher_background\" />\n"
                           "    <foreground android:drawable=\"" +
                           layers +
                           "ic_launcher_foreground\" />\n"
                           "    <monochrome android:drawable=\"" +
                           themed +
                           "ic_launcher_monochrome\" />\n"
                           "</adaptive-icon>\n";
    jobs << textJob(QStringLiteral("res/mipmap-anydpi-v26/ic_launcher.xml"), xml)
         << textJob(QStringLiteral("res/mipmap-anydpi-v26/ic_launcher_round.xml"), xml)
         // Google asks for 32 bits even though the icon is opaque.
         << pngJob(QStringLiteral("playstore-icon.png"),
                   [&s] { return s.opaqueIcon(512).convertToFormat(QImage::Format_ARGB32); });
    if (s.options().launch)
        jobs += androidLaunchFiles(s);
    return jobs;
}

QList<Panel> androidPanels(const Sources& s, qreal ratio)
{
    // An adaptive icon shows the central 72 of its 108 dp: layers of 1.5 tiles, masked to a tile,
    // made at the sheet's device pixels.
    const int layer = tile * 3 / 2, layerPixels = int(std::lround(layer * ratio));
    const QImage adaptive = composed(s.adaptiveBackground(layerPixels), s.adaptiveForeground(layerPixels));
    const QRectF t = tileRect();
    const double dp = tile / 72.0;
    const QPainterPath masks[] = {roundedSquare(t, tile / 2.0), superellipse(t, 4), roundedSquare(t, 12 * dp),
                                  teardrop(t)};
    const char* maskNames[] = {"Circle", "Squircle", "Rounded square", "Teardrop"};
    QList<Panel> panels;
    for (int i = 0; i < 4; ++i) {
        const QPainterPath mask = masks[i];
        panels.append({QLatin1String(maskNames[i]), lightPanel, [=](QPainter& p) {
                           centred(p, adaptive, layer, mask);
                           // White under magenta dashes, so the outline shows on any colour.
                           const QRectF safe = tileRect(int(std::round(66 * dp)));
                           p.setBrush(Qt::NoBrush);
                           p.setPen(QPen(QColor(255, 255, 255, 190), 3));
                           p.drawEllipse(safe);
                           p.setPen(QPen(QColor(230, 0, 120), 1.5, Qt::DashLine));
                           p.drawEllipse(safe);
                       }});
    }
    const QImage themed = painted(s.adaptiveMonochrome(layerPixels), QColor(0x04, 0x1e, 0x49));
    const QPainterPath circle = masks[0];
    panels.append({QStringLiteral("Themed (monochrome)"), QColor(0x3b, 0x4a, 0x6b), [=](QPainter& p) {
                       p.setPen(Qt::NoPen);
                       p.setBrush(QColor(0xd3, 0xe3, 0xfd));
                       p.drawPath(circle);
                       centred(p, themed, layer, circle);
                   }});
    const int legacyPixels = int(std::lround(96 * ratio));
    const QImage legacy = s.iconAt(legacyPixels), round = scaled(roundIcon(s), legacyPixels);
    panels.append(
        {QStringLiteral("Legacy square"), lightPanel, [=](QPainter& p) { centred(p, legacy, 96); }});
    panels.append({QStringLiteral("Legacy round"), lightPanel, [=](QPainter& p) { centred(p, round, 96); }});
    // Google Play rounds its store icon's corners by a fifth of the side.
    const QImage store = s.opaqueIcon(512);
    const QPainterPath storeShape = roundedSquare(t, tile / 5.0);
    panels.append(
        {QStringLiteral("Play Store"), Qt::white, [=](QPainter& p) { centred(p, store, tile, storeShape); }});
    return panels;
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target androidTarget = {
    "android",
    "Android",
    "res/mipmap-*/: launcher and round icons, the adaptive foreground (fitted into the 66 dp safe zone), "
    "background (opaque) and monochrome layers and their XML; playstore-icon.png (512, 32-bit, opaque)",
    androidFiles,
    0,
    "Android: adaptive icon under four launcher masks, dashed: the 66 dp safe zone",
    androidPanels};

// The launch screens' files.

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

} // namespace Packages
