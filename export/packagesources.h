#pragma once

#include "design/icondesign.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

// The pictures of every platform package, drawn from one design: what the package writers write
// and what the preview sheet shows.
namespace Packages {

// Choices a design does not make itself.
struct Options
{
    QColor background = Qt::white;        // behind a transparent design wherever a platform wants opaque
    QString name = QStringLiteral("App"); // the web app's name
    QColor themeColor;  // the web app's theme colour; invalid: the design's background colour
    QColor splashColor; // the web manifest's background_color; invalid: as the theme colour
    QString appId = QStringLiteral("app"); // the Linux icon name
    bool macosKeepCorners = false;         // the design's own corners instead of the macOS shape
    QColor iosDarkColor;   // the glyph colour of the iOS dark icon; invalid: the design's, lifted
    QColor iosTintedColor; // the grey of the iOS tinted glyph (a colour counts by its grey)
};

// Renders each picture once, on first use. Rendering goes through QPixmap, so it must happen on
// the GUI thread: call prepare() there before other threads ask for the derived pictures (the
// adaptive layers, store icons and variants), which are then safe to make on any thread.
class Sources
{
  public:
    Sources(const IconDesign& design, const Options& options);
    // Renders the icon, the foreground and its monochrome shape, and measures the ink's reach.
    void prepare();

    const IconDesign& design() const { return d; }
    const Options& options() const { return o; }
    // A transparent design's plate, and the colour the web manifest names.
    QColor plate() const { return o.background; }
    QColor themeColor() const;

    // The icon as the design draws it, 1024 x 1024.
    const QImage& icon();
    // Picture and text on transparency, and their monochrome shape, on the 1024 canvas.
    const QImage& foreground();
    const QImage& monochrome();

    // Android adaptive layers at size x size (108 dp): the foreground and monochrome shrunk, when
    // they reach farther, into the 66 dp safe circle; the background full-bleed and opaque.
    QImage adaptiveForeground(int size);
    QImage adaptiveMonochrome(int size);
    QImage adaptiveBackground(int size);
    // The legacy round icon (1024): the design in a circle, its content shrunk to fit it.
    const QImage& roundIcon();
    // The Play Store icon (512): full square, opaque, 32-bit.
    QImage playStoreIcon();
    // iOS: the opaque 1024 App Store icon and its dark and tinted variants.
    QImage iosIcon();
    QImage iosDark();
    QImage iosTinted();
    // The 1024 macOS icon, body and shadow on transparency.
    const QImage& macosIcon();
    // A web maskable icon: full-bleed, opaque, the content inside the central 80 % circle.
    QImage maskableIcon(int size);
    // An opaque icon on the plate at size x size (apple-touch-icon).
    QImage opaqueIcon(int size);

    // How far the foreground's ink reaches from the canvas centre, in canvas pixels.
    double reach();

  private:
    IconDesign d;
    Options o;
    std::optional<QImage> iconImage, foregroundImage, monochromeImage, roundImage, macosImage;
    std::optional<double> inkReach;
};

} // namespace Packages
