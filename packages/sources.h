#pragma once

#include "design/icondesign.h"
#include "packages/layers.h"
#include "packages/package.h"
#include "packages/vectorshapes.h"
#include "render/downscaler.h"

#include <QColor>
#include <QImage>
#include <QRectF>

#include <initializer_list>
#include <memory>

// The pictures every platform package is made of, drawn once from one design.
namespace Packages {

// Renders the icon, its foreground (picture and text on transparency), the foreground's monochrome
// shape and the ink's reach when constructed (on all cores, back when done); from then on every
// picture derived from it may be made on any thread at once, the costly ones once.
class Sources
{
  public:
    Sources(const IconDesign& design, const Options& options);
    // A build variant's pictures from the release's (`release` has none): the design's layers and
    // looks are shared, and only the badge is drawn on them (a tint or grey variant, which changes
    // every colour, is drawn whole). What it shares it keeps, so `release` may go first.
    Sources(const Sources& release, const Variant& variant);

    const IconDesign& design() const { return d; }
    // The design as the release draws it (a tint or grey variant draws its colours recoloured).
    const IconDesign& releaseDesign() const { return recoloured ? *recoloured : d; }
    const Options& options() const { return o; }
    // A transparent design's plate, and the colour the web manifest names.
    QColor plate() const { return o.background; }
    QColor themeColor() const;

    // The icon as the design draws it, 1024 x 1024.
    const QImage& icon() const { return iconScaler->image(); }
    // The icon scaled to size x size, made once for all the files that show it at that size; with
    // the option smallWithoutText, one of 48 pixels or less is the design without its text.
    QImage iconAt(int size) const;
    QList<QImage> iconsAt(const QList<int>& sizes) const;
    // Picture and text on transparency, and their monochrome shape, on the 1024 canvas, and
    // scaled from there to any size.
    const QImage& foreground() const { return foregroundScaler->image(); }
    const QImage& monochrome() const { return monochromeScaler->image(); }
    const Downscaler& foregroundSizes() const { return *foregroundScaler; }
    const Downscaler& monochromeSizes() const { return *monochromeScaler; }
    // How far the foreground's ink reaches from the canvas centre, in canvas pixels.
    double reach() const { return inkReach; }

    // Android adaptive layers at size x size (108 dp): the foreground and monochrome shrunk, when
    // they reach farther, into the 66 dp safe circle; the background full-bleed and opaque.
    QImage adaptiveForeground(int size) const;
    QImage adaptiveMonochrome(int size) const;
    QImage adaptiveBackground(int size) const;
    // An opaque icon on the plate at size x size (the App Store, Play Store and touch icons); small
    // ones without the text as iconAt().
    QImage opaqueIcon(int size) const;
    // A web maskable icon: full-bleed, opaque, the content inside the central 80 % circle.
    QImage maskableIcon(int size) const;
    // The glyphs of the iOS dark and tinted icons.
    QImage iosDark() const;
    QImage iosTinted() const;
    // The design's layers without its background.
    const DesignLayers& layers() const { return *parts; }
    // The foreground as paths (its SVG picture or none, and its text), read when first asked for;
    // empty, with why in `why` (when given), where it has none.
    const VectorShapes& vectorForeground(Problem* why = nullptr) const;
    // The launch screens' content on the 1024 canvas, made once and scaled from there: the picture
    // (with the text when the options keep it) as the light icon shows it, or as the dark one does;
    // and how far its ink reaches from the centre.
    const Downscaler& launchContent(bool dark) const;
    double launchReach(bool dark) const;

  private:
    IconDesign d;
    std::shared_ptr<const IconDesign> recoloured; // the design before a tint or grey variant's colours
    Options o;
    std::shared_ptr<const DesignLayers> parts;
    std::shared_ptr<const Once[]> glyphs;      // the dark and the tinted one, badged
    std::shared_ptr<const Once[]> plainGlyphs; // and without the badge, shared by the variants
    struct Scaled;
    std::shared_ptr<Scaled> scaledIcons;
    std::shared_ptr<const Downscaler> iconScaler, foregroundScaler, monochromeScaler;
    struct Launch;
    std::shared_ptr<Launch> launch;
    struct Vector;
    std::shared_ptr<Vector> vector;
    // The icon and the foreground without the text, for the small icons, made when first asked for.
    struct Textless;
    std::shared_ptr<Textless> textless;
    // Whether an icon of `size` leaves the text out.
    bool withoutText(int size) const;
    double inkReach = 0;
};

} // namespace Packages
