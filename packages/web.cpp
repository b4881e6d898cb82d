// The web: favicons, the touch icon, the manifest's icons (any, maskable, monochrome), the
// manifest itself and the head snippet that links them.
#include "packages/containers.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"
#include "packages/vectorshapes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Packages {

namespace {

QByteArray webManifest(const Sources& s)
{
    QJsonArray icons;
    auto entry = [&icons](const char* src, int size, const char* purpose) {
        icons.append(QJsonObject{{QStringLiteral("src"), QLatin1String(src)},
                                 {QStringLiteral("sizes"), QStringLiteral("%1x%1").arg(size)},
                                 {QStringLiteral("type"), QStringLiteral("image/png")},
                                 {QStringLiteral("purpose"), QLatin1String(purpose)}});
    };
    entry("icon-192.png", 192, "any");
    entry("icon-512.png", 512, "any");
    entry("icon-maskable-192.png", 192, "maskable");
    entry("icon-maskable-512.png", 512, "maskable");
    entry("icon-monochrome-512.png", 512, "monochrome");
    // What a browser paints while the app starts: with launch screens, their colour.
    const QColor splash = s.options().splashColor.isValid() ? s.options().splashColor
                          : s.options().launch              ? launchColour(s, false)
                                                            : s.themeColor();
    const QJsonObject manifest{
        {QStringLiteral("name"), s.options().name},
        {QStringLiteral("short_name"), s.options().name},
        {QStringLiteral("start_url"), s.options().basePath},
        {QStringLiteral("display"), QStringLiteral("standalone")},
        {QStringLiteral("theme_color"), colorName(s.themeColor())},
        {QStringLiteral("background_color"), colorName(splash)},
        {QStringLiteral("icons"), icons},
    };
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

} // namespace

QByteArray vectorFavicon(const Sources& s)
{
    if (s.options().variant.isSet())
        return QByteArray(); // its badge is drawn on the pixels
    // At favicon size, as the small icons are: without the text when they leave it out.
    Problem why;
    if (s.options().smallWithoutText && !s.design().text.isEmpty()) {
        IconDesign shown = s.design();
        shown.text.clear();
        const VectorShapes foreground = foregroundShapes(shown, &why);
        return why ? QByteArray() : faviconSvg(shown, foreground);
    }
    const VectorShapes& foreground = s.vectorForeground(&why);
    return why ? QByteArray() : faviconSvg(s.design(), foreground);
}

Jobs webFiles(const Sources& s)
{
    Jobs jobs;
    // An SVG favicon, with its dark look, where the design is paths; browsers that draw it take it
    // before the fallbacks.
    const QByteArray svg = vectorFavicon(s);
    if (!svg.isEmpty())
        jobs << textJob(QStringLiteral("favicon.svg"), svg);
    jobs << Job{QStringLiteral("favicon.ico"), [&s] { return icoFile(s.iconsAt({16, 32, 48})); }};
    for (int size : {16, 32})
        jobs << pngJob(QStringLiteral("favicon-%1.png").arg(size), [&s, size] { return s.iconAt(size); });
    for (int size : {192, 512}) {
        jobs << pngJob(QStringLiteral("icon-%1.png").arg(size), [&s, size] { return s.iconAt(size); })
             << pngJob(QStringLiteral("icon-maskable-%1.png").arg(size),
                       [&s, size] { return s.maskableIcon(size); });
    }
    jobs << pngJob(QStringLiteral("icon-monochrome-512.png"),
                   [&s] { return s.monochromeSizes().scaled(512); })
         << pngJob(QStringLiteral("apple-touch-icon.png"), [&s] { return s.opaqueIcon(180); })
         << textJob(QStringLiteral("manifest.webmanifest"), webManifest(s))
         << textJob(
                QStringLiteral("head-snippet.html"),
                (svg.isEmpty()
                     ? QByteArray()
                     : QStringLiteral("<link rel=\"icon\" href=\"%1favicon.svg\" type=\"image/svg+xml\">\n")
                           .arg(s.options().basePath)
                           .toUtf8()) +
                    QStringLiteral(
                        "<link rel=\"icon\" href=\"%1favicon.ico\" sizes=\"16x16 32x32 48x48\">\n"
                        "<link rel=\"icon\" href=\"%1favicon-32.png\" type=\"image/png\" sizes=\"32x32\">\n"
                        "<link rel=\"icon\" href=\"%1favicon-16.png\" type=\"image/png\" sizes=\"16x16\">\n"
                        "<link rel=\"apple-touch-icon\" href=\"%1apple-touch-icon.png\">\n"
                        "<link rel=\"manifest\" href=\"%1manifest.webmanifest\">\n"
                        "<meta name=\"theme-color\" content=\"%2\">\n%3")
                        .arg(s.options().basePath, colorName(s.themeColor()),
                             s.options().launch ? startupImageLinks(s.options().basePath) : QString())
                        .toUtf8());
    if (s.options().launch)
        jobs += webLaunchFiles(s);
    return jobs;
}

QList<Panel> webPanels(const Sources& s, qreal ratio)
{
    const QImage favicons[] = {s.iconAt(16), s.iconAt(32)};
    const QImage small = favicons[0], large = favicons[1];
    QList<Panel> panels;
    for (bool dark : {false, true})
        panels.append(
            {dark ? QStringLiteral("Favicon, dark tab") : QStringLiteral("Favicon, light tab"),
             dark ? darkPanel : lightPanel, [=](QPainter& p) {
                 p.setPen(Qt::NoPen);
                 p.setBrush(dark ? QColor(0x35, 0x36, 0x3a) : Qt::white);
                 p.drawRoundedRect(QRectF(12, 40, cell - 24, 34), 8, 8);
                 p.drawRoundedRect(QRectF(12, 100, cell - 24, 50), 8, 8);
                 // Whole pixels, not scaled: exactly what a browser tab and bookmark show, one device
                 // pixel a pixel on a high-density sheet too; each in the middle of its bar, its
                 // label beside it.
                 QImage tab = small, bookmark = large;
                 tab.setDevicePixelRatio(ratio);
                 bookmark.setDevicePixelRatio(ratio);
                 p.setPen(dark ? QColor(0xe8, 0xea, 0xed) : ink);
                 const QRectF bars[] = {QRectF(12, 40, cell - 24, 34), QRectF(12, 100, cell - 24, 50)};
                 const QImage* shown[] = {&tab, &bookmark};
                 for (int i = 0; i < 2; ++i) {
                     const QSizeF side = QSizeF(shown[i]->size()) / ratio;
                     const QPointF at(24, bars[i].center().y() - side.height() / 2);
                     p.drawImage(at, *shown[i]);
                     p.drawText(QRectF(at.x() + side.width() + 8, bars[i].y(), cell, bars[i].height()),
                                Qt::AlignVCenter, QStringLiteral("%1 px").arg(shown[i]->width()));
                 }
             }});
    const QImage maskable = s.maskableIcon(int(std::lround(tile * ratio)));
    const QImage touch = s.opaqueIcon(std::max(180, int(std::lround(120 * ratio))));
    const QPainterPath circle = roundedSquare(tileRect(), tile / 2.0);
    panels.append({QStringLiteral("Maskable, circle"), lightPanel,
                   [=](QPainter& p) { centred(p, maskable, tile, circle); }});
    // iOS rounds a touch icon to its home-screen shape.
    const QPainterPath shape = superellipse(tileRect(120), 5);
    panels.append({QStringLiteral("apple-touch-icon"), QColor(0x3a, 0x5f, 0x8f),
                   [=](QPainter& p) { centred(p, touch, 120, shape); }});
    return panels;
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target webTarget = {
    "web",
    "Web",
    "favicon.ico, favicon-16/32.png, apple-touch-icon.png, icon-192/512.png, full-bleed "
    "icon-maskable-192/512.png, icon-monochrome-512.png, manifest.webmanifest and head-snippet.html",
    webFiles,
    2,
    "web: favicon at 1:1, maskable and touch icons",
    webPanels};

// The launch screens' files.

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

} // namespace Packages
