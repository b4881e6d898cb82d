// The check of a design: each look measured on the pixels the packages would write for the targets
// chosen, nothing written.
#include "packages/check/check.h"

#include "packages/darklook.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/sources.h"
#include "packages/targets.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Packages::Check {

namespace {

// The least share of the logo's ink the themed layer may lose before its shape is lost: holes cut
// for details take some, a plate read as a hole far more.
constexpr double mostLost = 0.5;
// The most of it the themed layer may show partly transparent (an edge's smoothing takes a little):
// launchers paint such parts as a pale ghost of the shape.
constexpr double mostFaded = 0.25;
// The least glyph height, in pixels, at which a line of text is read.
constexpr double legibleHeight = 6;
constexpr double readable = 3.0;

QString figure(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

// The share of the image's pixels with coverage in each row and column, walked once.
struct Ink
{
    QRect box;
    double radius = 0, width = 0;
};

Ink inkOf(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    int left = pixels.width(), right = -1, top = pixels.height(), bottom = -1;
    const double cx = pixels.width() / 2.0, cy = pixels.height() / 2.0;
    double reach = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if (qAlpha(line[x]) >= 16) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                reach = std::max(reach, std::hypot(x + 0.5 - cx, y + 0.5 - cy));
            }
    }
    if (right < 0)
        return ink;
    ink.box = QRect(QPoint(left, top), QPoint(right, bottom));
    ink.radius = reach / pixels.width();
    ink.width = double(std::max(ink.box.width(), ink.box.height())) / pixels.width();
    return ink;
}

// A rectangle of an image of `side` pixels placed into `frame` of the canvas, in canvas pixels.
QRect onCanvas(const QRect& box, int side, const QRectF& frame)
{
    const double k = frame.width() / side;
    return QRectF(frame.x() + box.x() * k, frame.y() + box.y() * k, box.width() * k, box.height() * k)
        .toAlignedRect()
        .intersected(QRect(0, 0, canvas, canvas));
}

// The file a target's package writes a look to, for the finding's reader.
QString androidFile(const char* name)
{
    return QStringLiteral("res/mipmap-xxxhdpi/") + QLatin1String(name);
}

void adaptive(const Sources& s, QList<Finding>& found)
{
    const QImage fg = s.adaptiveForeground(432);
    const Ink ink = inkOf(fg);
    if (ink.box.isEmpty())
        return;
    const QRect box = onCanvas(ink.box, 432, adaptiveFrame);
    // A logo that already reaches the safe circle (a square one is 46.7 dp across there) is as large
    // as it can be.
    if (ink.width * 108 < 47 && ink.radius * 108 < 32)
        found << finding("android-adaptive-small", {figure(ink.width * 108)}, QStringLiteral("android"),
                         androidFile("ic_launcher_foreground.png"), box);
    if (ink.radius * 108 > 33.5)
        found << finding("android-adaptive-safe-zone", {figure(ink.radius * 108)}, QStringLiteral("android"),
                         androidFile("ic_launcher_foreground.png"), box);
}

void themed(const Sources& s, const QString& target, const QString& file, QList<Finding>& found)
{
    const QImage& foreground = s.foreground();
    const QImage& shape = s.monochrome();
    const QRect box = inkBounds(foreground);
    if (box.isEmpty())
        return;
    const double lost = lostShare(foreground, shape);
    if (lost > mostLost)
        found << finding("themed-silhouette-lost", {figure(lost * 100, 0)}, target, file, box);
    const double faded = fadedShare(foreground, shape);
    if (faded > mostFaded)
        found << finding("themed-silhouette-faded", {figure(faded * 100, 0)}, target, file, box);
    const double filled = filledShare(shape), own = filledShare(foreground);
    if (filled > 0.97 && own < 0.85)
        found << finding("themed-silhouette-flooded", {figure(filled * 100, 0), figure(own * 100, 0)}, target,
                         file, box);
}

// A glyph's contrast against a plate of luminance `plate`; 21 for a glyph with no ink.
double against(const QImage& glyph, double plate)
{
    const double mean = meanLuminanceOf(glyph);
    return mean < 0 ? 21 : contrastRatio(mean, plate);
}

void iosLooks(const Sources& s, QList<Finding>& found)
{
    const QRect box = inkBounds(s.foreground());
    const DesignLayers& layers = s.layers();
    // With text beside it, the picture is measured on its own too (the glyph outside the text): a
    // light name would carry a glyph whose picture all but vanishes.
    const bool hasText = !s.design().text.isEmpty() && !inkBounds(layers.text()).isEmpty();
    const auto worst = [&](const QImage& glyph, double plate) {
        const double whole = against(glyph, plate);
        const double picture = hasText ? meanLuminanceOf(glyph, &layers.text(), true) : -1;
        return picture < 0 ? whole : std::min(whole, contrastRatio(picture, plate));
    };
    const double dark = worst(s.iosDark(), luminanceOf(iosDarkPlate.rgb()));
    if (dark < readable)
        found << finding("ios-dark-contrast", {figure(dark)}, QStringLiteral("ios"),
                         QStringLiteral("AppIcon.appiconset/AppIcon-1024-dark.png"), box);
    // A chosen dark colour paints the text (and a flat picture, one shape with it).
    const QColor chosen = s.options().iosDarkColor;
    if (!s.design().text.isEmpty() && !inkBounds(layers.picture()).isEmpty() &&
        (!chosen.isValid() || pictureKeepsItsColours(s.design()))) {
        const QImage& text = layers.darkText();
        const QImage& picture = chosen.isValid() ? layers.picture() : layers.darkPicture();
        const double t = chosen.isValid() ? luminanceOf(chosen.rgb()) : meanLuminanceOf(text, &picture),
                     p = meanLuminanceOf(picture, &layers.text());
        if (t >= 0 && p >= 0 && contrastRatio(t, p) < readable)
            found << finding("ios-dark-text-contrast", {figure(contrastRatio(t, p))}, QStringLiteral("ios"),
                             QStringLiteral("AppIcon.appiconset/AppIcon-1024-dark.png"),
                             inkBounds(layers.text()).intersected(inkBounds(layers.picture())));
    }
    // The system tints the grey glyph and lays it on its own near-black.
    const double tinted = worst(s.iosTinted(), 0);
    if (tinted < readable)
        found << finding("ios-tinted-contrast", {figure(tinted)}, QStringLiteral("ios"),
                         QStringLiteral("AppIcon.appiconset/AppIcon-1024-tinted.png"), box);
}

void launchLook(const Sources& s, const QString& target, QList<Finding>& found)
{
    const QImage& content = s.launchContent(true).image();
    const QColor colour = launchColour(s, true);
    const double ratio = against(content, luminanceOf(colour.rgb()));
    if (ratio < readable)
        found << finding("launch-dark-contrast", {figure(ratio), colorName(colour)}, target,
                         target == QLatin1String("ios") ? QStringLiteral("Splash.imageset/") : QString(),
                         inkBounds(content));
}

void smallText(const Sources& s, const QString& target, QList<Finding>& found)
{
    if (s.design().text.isEmpty() || s.options().smallWithoutText)
        return;
    const QRect box = inkBounds(s.layers().text());
    if (box.isEmpty())
        return;
    // The icon is the canvas scaled down whole: the text shrinks with it.
    const double at16 = box.height() * 16.0 / canvas, at32 = box.height() * 32.0 / canvas;
    if (at16 >= legibleHeight)
        return;
    const int below = int(std::ceil(legibleHeight * canvas / box.height()));
    found << finding("small-text-illegible", {figure(at16), figure(at32), QString::number(below)}, target,
                     target == QLatin1String("web") ? QStringLiteral("favicon-16.png") : QString(), box);
}

void plate(const Sources& s, const QString& target, QList<Finding>& found)
{
    if (!transparentBackground(s.design()))
        return;
    const double ratio = against(s.foreground(), luminanceOf(s.plate().rgb()));
    if (ratio < 1.5)
        found << finding("plate-matches-glyph", {figure(ratio), s.plate().name()}, target, QString(),
                         inkBounds(s.foreground()));
}

void playIcon(const Sources& s, QList<Finding>& found)
{
    // Encoded as the package encodes it: its size is the store's bound. (The layers' form does not
    // change it: no vector layer is made for this.)
    for (const Job& job : androidFiles(s, AndroidVector::Never))
        if (job.path == QLatin1String("playstore-icon.png")) {
            const QByteArray bytes = fileBytes({job}).value(0);
            if (bytes.size() > 1024 * 1024)
                found << finding("play-icon-size",
                                 {QStringLiteral("%1 KB").arg((bytes.size() + 1023) / 1024)},
                                 QStringLiteral("android"), job.path);
        }
}

} // namespace

namespace {

// The share of `shape`'s ink (half coverage or more, every other pixel) where `kept`'s coverage
// counts as `counted` says.
template <class Counted> double shareOfInk(const QImage& shape, const QImage& kept, Counted counted)
{
    const QImage a = shape.convertToFormat(QImage::Format_ARGB32), b = kept.convertToFormat(QImage::Format_ARGB32);
    double ink = 0, hits = 0;
    for (int y = 0; y < a.height() && y < b.height(); y += 2) {
        const QRgb* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width() && x < b.width(); x += 2)
            if (qAlpha(p[x]) >= 128) {
                ink += 1;
                hits += counted(qAlpha(q[x]));
            }
    }
    return ink > 0 ? hits / ink : 0;
}

} // namespace

double lostShare(const QImage& shape, const QImage& kept)
{
    return shareOfInk(shape, kept, [](int alpha) { return alpha < 64; });
}

double fadedShare(const QImage& shape, const QImage& kept)
{
    return shareOfInk(shape, kept, [](int alpha) { return alpha >= 32 && alpha < 192; });
}

double filledShare(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const QRect box = inkBounds(pixels);
    if (box.isEmpty())
        return 0;
    double filled = 0, all = 0;
    for (int y = box.top(); y <= box.bottom(); y += 2) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = box.left(); x <= box.right(); x += 2) {
            all += 1;
            filled += qAlpha(line[x]) >= 128;
        }
    }
    return filled / all;
}

double inkRadius(const QImage& image)
{
    return inkOf(image).radius;
}

double inkWidth(const QImage& image)
{
    return inkOf(image).width;
}

QList<Finding> checkDesign(const IconDesign& design, const QStringList& targets, const Options& options)
{
    return checkDesign(Sources(design, options), targets);
}

QList<Finding> checkDesign(const Sources& s, const QStringList& targets)
{
    const Options& options = s.options();
    QList<Finding> found;
    const auto has = [&targets](const char* name) { return targets.contains(QLatin1String(name)); };
    if (has("android")) {
        adaptive(s, found);
        playIcon(s, found);
    }
    // The themed shape is Android's monochrome layer, the web's monochrome icon and Windows'
    // badge: told once, of the first of them chosen.
    for (const auto& [target, file] : {std::pair{"android", "res/mipmap-xxxhdpi/ic_launcher_monochrome.png"},
                                       {"web", "icon-monochrome-512.png"},
                                       {"windows", "Assets/BadgeLogo.scale-400.png"}})
        if (has(target)) {
            themed(s, QLatin1String(target), QLatin1String(file), found);
            break;
        }
    if (has("ios"))
        iosLooks(s, found);
    if (options.launch)
        for (const char* target : {"android", "ios", "web"})
            if (has(target)) {
                launchLook(s, QLatin1String(target), found);
                break;
            }
    for (const char* target : {"web", "windows", "linux", "android"})
        if (has(target)) {
            smallText(s, QLatin1String(target), found);
            break;
        }
    for (const char* target : {"ios", "android", "web"})
        if (has(target)) {
            plate(s, QLatin1String(target), found);
            break;
        }
    return found;
}

} // namespace Packages::Check
