// Windows: the application's .ico for the resource file, and the tiles of a Store (MSIX) package.
#include "packages/containers.h"
#include "packages/previewsheet.h"
#include "packages/targets.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Packages {

namespace {

// The Store's scale factors, in per cent; a tile's file at each is its size times the factor.
constexpr int storeScales[] = {100, 125, 150, 200, 400};
// The app list icon's target sizes, in pixels, each unscaled.
constexpr int targetSizes[] = {16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256};

// The Store package's logos, named as the manifest designer names them, with their sizes at
// scale-100 and how much of each the logo takes: the tiles leave room around it, and the Start
// menu shows the app's name below it.
const struct
{
    const char* name;
    int width, height;
    double fraction;
} storeLogos[] = {{"Square44x44Logo", 44, 44, 1.0},     {"Square71x71Logo", 71, 71, 0.6},
                  {"Square150x150Logo", 150, 150, 0.6}, {"Wide310x150Logo", 310, 150, 0.6},
                  {"Square310x310Logo", 310, 310, 0.6}, {"StoreLogo", 50, 50, 1.0},
                  {"SplashScreen", 620, 300, 0.5}};

// The VisualElements entry of Package.appxmanifest that names the tiles, with the Store logo's line.
QByteArray visualElements(const Sources& s)
{
    const QString name = s.options().name.toHtmlEscaped();
    return QStringLiteral(
               "<!-- Inside <Application> of Package.appxmanifest; the files are in Assets\\, where\n"
               "     Windows picks the scale and target size each place needs. -->\n"
               "<uap:VisualElements\n"
               "  DisplayName=\"%1\"\n"
               "  Description=\"%1\"\n"
               "  BackgroundColor=\"transparent\"\n"
               "  Square150x150Logo=\"Assets\\Square150x150Logo.png\"\n"
               "  Square44x44Logo=\"Assets\\Square44x44Logo.png\">\n"
               "  <uap:DefaultTile\n"
               "    ShortName=\"%1\"\n"
               "    Wide310x150Logo=\"Assets\\Wide310x150Logo.png\"\n"
               "    Square71x71Logo=\"Assets\\Square71x71Logo.png\"\n"
               "    Square310x310Logo=\"Assets\\Square310x310Logo.png\" />\n"
               "  <uap:SplashScreen Image=\"Assets\\SplashScreen.png\" BackgroundColor=\"%2\" />\n"
               "</uap:VisualElements>\n"
               "<!-- Under <Properties>: <Logo>Assets\\StoreLogo.png</Logo> -->\n")
        .arg(name, colorName(s.themeColor()))
        .toUtf8();
}

} // namespace

bool isStoreLogo(const QString& name)
{
    return name == QLatin1String("LockScreenLogo") || name == QLatin1String("BadgeLogo") ||
           std::any_of(std::begin(storeLogos), std::end(storeLogos),
                       [&name](const auto& logo) { return name == QLatin1String(logo.name); });
}

QImage storeLogo(const Sources& s, const QString& name, QSize size)
{
    double fraction = -1;
    for (const auto& logo : storeLogos)
        if (name == QLatin1String(logo.name))
            fraction = logo.fraction;
    // The lock screen's and the badge's logos are white shapes, as the system shows them.
    if (name == QLatin1String("LockScreenLogo") || name == QLatin1String("BadgeLogo"))
        return painted(s.monochromeSizes().scaled(std::min(size.width(), size.height())), Qt::white);
    if (fraction < 0 || size.isEmpty())
        return QImage();
    QImage tile(size, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    const int side = std::max(1, int(std::lround(std::min(size.width(), size.height()) * fraction)));
    QPainter p(&tile);
    p.drawImage(QPoint((size.width() - side) / 2, (size.height() - side) / 2), s.iconAt(side));
    p.end();
    return tile;
}

Jobs windowsFiles(const Sources& s)
{
    Jobs jobs{{QStringLiteral("app.ico"), [&s] {
                   return icoFile(s.iconsAt(QList<int>(std::begin(targetSizes), std::end(targetSizes))));
               }}};
    // The Store package's tiles at every scale: NAME.scale-N.png.
    for (const auto& logo : storeLogos)
        for (int scale : storeScales) {
            const QSize size(int(std::lround(logo.width * scale / 100.0)),
                             int(std::lround(logo.height * scale / 100.0)));
            const QString name = QLatin1String(logo.name);
            jobs << pngJob(QStringLiteral("Assets/%1.scale-%2.png").arg(name).arg(scale),
                           [&s, name, size] { return storeLogo(s, name, size); });
        }
    // The lock screen's and the badge's logos: white shapes that Windows tints itself, 24 pixels at
    // scale-100.
    for (const char* name : {"LockScreenLogo", "BadgeLogo"})
        for (int scale : storeScales) {
            const int side = int(std::lround(24 * scale / 100.0));
            const QString logo = QLatin1String(name);
            jobs << pngJob(QStringLiteral("Assets/%1.scale-%2.png").arg(logo).arg(scale),
                           [&s, logo, side] { return storeLogo(s, logo, QSize(side, side)); });
        }
    // The exact sizes the shell asks for (the taskbar, the title bar, Start, the task switcher,
    // Explorer's views): on the accent plate, and without it on dark and light taskbars (the icon
    // carries its own background, so all three show it whole).
    for (int size : targetSizes)
        for (const char* form : {"", "_altform-unplated", "_altform-lightunplated"})
            jobs << pngJob(QStringLiteral("Assets/Square44x44Logo.targetsize-%1%2.png")
                               .arg(size)
                               .arg(QLatin1String(form)),
                           [&s, size] { return s.iconAt(size); });
    jobs << textJob(QStringLiteral("VisualElements.xml"), visualElements(s));
    return jobs;
}

QList<Panel> windowsPanels(const Sources& s, qreal ratio)
{
    // Whole pixels, as the taskbar (24) and the Start menu (48) show them at the sheet's scale, on
    // light and dark.
    QImage taskbar = s.iconAt(int(std::lround(24 * ratio))), start = s.iconAt(int(std::lround(48 * ratio)));
    taskbar.setDevicePixelRatio(ratio);
    start.setDevicePixelRatio(ratio);
    QList<Panel> panels;
    for (bool dark : {false, true})
        panels.append({dark ? QStringLiteral("Windows, dark") : QStringLiteral("Windows, light"),
                       dark ? darkPanel : lightPanel, [=](QPainter& p) {
                           p.setPen(Qt::NoPen);
                           p.setBrush(dark ? QColor(0x2c, 0x2c, 0x2c) : QColor(0xf9, 0xf9, 0xf9));
                           p.drawRoundedRect(QRectF(12, 16, cell - 24, 96), 8, 8);
                           p.drawImage(QPoint((cell - 48) / 2, 40), start);
                           p.setBrush(dark ? QColor(0x1c, 0x1c, 0x1c) : QColor(0xee, 0xee, 0xee));
                           p.drawRect(QRectF(0, cell - 44, cell, 44));
                           p.drawImage(QPoint((cell - 24) / 2, cell - 34), taskbar);
                       }});
    return panels;
}

// The target's row of the table: its name, what its folder holds, its files and its preview panels.
const Target windowsTarget = {
    "windows",
    "Windows",
    "app.ico, 16 to 256 pixels; Assets/: the Store (MSIX) package's tiles, logos, lock screen and "
    "badge logos and splash screen at every scale and target size; VisualElements.xml, their entry "
    "for Package.appxmanifest",
    windowsFiles,
    2,
    "Windows taskbar and Start",
    windowsPanels};

} // namespace Packages
