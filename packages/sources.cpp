#include "packages/sources.h"

#include "base/parallel.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/themedlook.h"
#include "render/iconrenderer.h"

#include <map>
#include <mutex>

namespace Packages {

// The icon's scaled copies, one a size.
struct Sources::Scaled
{
    std::mutex mutex;
    std::map<int, std::shared_ptr<Once>> bySize;
};

// The design without its text, for the small icons.
struct Sources::Textless
{
    std::once_flag made;
    std::unique_ptr<const Downscaler> icon, foreground;
};

// The launch screens' content, light and dark, each made when first asked for.
struct Sources::Launch
{
    explicit Launch(const IconDesign& design) : layers(design) {}
    DesignLayers layers;
    std::once_flag made[2];
    std::unique_ptr<const Downscaler> content[2];
    double reach[2] = {0, 0};
};

// The foreground as paths, read once.
struct Sources::Vector
{
    std::once_flag read;
    VectorShapes shapes;
    Problem why;
};

namespace {

// The design the launch screens show: without its text unless it is kept.
IconDesign launchDesign(IconDesign design, const Options& options)
{
    if (!options.launchText)
        design.text.clear();
    return design;
}

} // namespace

Sources::Sources(const IconDesign& design, const Options& options)
    : d(variantDesign(design, options.variant)), o(options), parts(std::make_shared<DesignLayers>(d)),
      glyphs(new Once[2]), plainGlyphs(new Once[2]), scaledIcons(std::make_shared<Scaled>()),
      launch(std::make_shared<Launch>(launchDesign(design, options))), vector(std::make_shared<Vector>()),
      textless(std::make_shared<Textless>())
{
    if (recolours(o.variant))
        recoloured = std::make_shared<const IconDesign>(design);
    if (o.variant.isSet() && !o.variant.badge.colour.isValid())
        o.variant.badge.colour = badgeColourFor(d, o.background);
    parallelFor(3, [this](int i) {
        if (i == 0) {
            iconScaler = std::make_shared<const Downscaler>(
                withBadge(renderIconImage(d), o.variant, BadgeLook::Light));
        } else if (i == 1) {
            foregroundScaler = std::make_shared<const Downscaler>(
                withBadge(parts->foreground(), o.variant, BadgeLook::Light));
        } else {
            // The badge is in the themed layer as a shape, its letters cut out.
            monochromeScaler = std::make_shared<const Downscaler>(
                withBadge(monochromeLayer(*parts), o.variant, BadgeLook::Shape));
        }
    });
    // The monochrome shape never reaches past the foreground, so one frame fits both.
    inkReach = Packages::inkReach(foreground());
}

Sources::Sources(const Sources& release, const Variant& variant)
    : d(release.d), o(release.o), parts(release.parts), glyphs(new Once[2]), plainGlyphs(release.plainGlyphs),
      scaledIcons(std::make_shared<Scaled>()), launch(release.launch), vector(std::make_shared<Vector>()),
      textless(std::make_shared<Textless>())
{
    o.variant = variant;
    if (!variant.isSet() || recolours(variant)) {
        *this = Sources(release.releaseDesign(), o);
        return;
    }
    if (!o.variant.badge.colour.isValid())
        o.variant.badge.colour = badgeColourFor(d, o.background);
    parallelFor(3, [this, &release](int i) {
        if (i == 0)
            iconScaler =
                std::make_shared<const Downscaler>(withBadge(release.icon(), o.variant, BadgeLook::Light));
        else if (i == 1)
            foregroundScaler = std::make_shared<const Downscaler>(
                withBadge(release.foreground(), o.variant, BadgeLook::Light));
        else
            monochromeScaler = std::make_shared<const Downscaler>(
                withBadge(release.monochrome(), o.variant, BadgeLook::Shape));
    });
    inkReach = Packages::inkReach(foreground());
}

bool Sources::withoutText(int size) const
{
    if (!o.smallWithoutText || size > 48 || d.text.isEmpty())
        return false;
    std::call_once(textless->made, [this] {
        IconDesign bare = d;
        bare.text.clear();
        textless->icon =
            std::make_unique<const Downscaler>(withBadge(renderIconImage(bare), o.variant, BadgeLook::Light));
        textless->foreground =
            std::make_unique<const Downscaler>(withBadge(foregroundLayer(bare), o.variant, BadgeLook::Light));
    });
    return true;
}

QImage Sources::iconAt(int size) const
{
    const bool bare = withoutText(size);
    std::shared_ptr<Once> kept;
    {
        const std::lock_guard<std::mutex> lock(scaledIcons->mutex);
        // (The textless ones under the negative sizes.)
        std::shared_ptr<Once>& slot = scaledIcons->bySize[bare ? -size : size];
        if (!slot)
            slot = std::make_shared<Once>();
        kept = slot;
    }
    return kept->get([this, size, bare] { return (bare ? *textless->icon : *iconScaler).scaled(size); });
}

QList<QImage> Sources::iconsAt(const QList<int>& sizes) const
{
    QList<QImage> images;
    for (int size : sizes)
        images.append(iconAt(size));
    return images;
}

QColor Sources::themeColor() const
{
    if (o.themeColor.isValid())
        return o.themeColor;
    if (d.useBackgroundColor)
        return d.backgroundColor;
    if (d.useBackgroundGradient)
        return d.gradientStartColor;
    return o.background;
}

QImage Sources::adaptiveForeground(int size) const
{
    return placed(foregroundSizes(), fittedFrame(adaptiveFrame, reach(), adaptiveSafeRadius), size);
}

QImage Sources::adaptiveMonochrome(int size) const
{
    return placed(monochromeSizes(), fittedFrame(adaptiveFrame, reach(), adaptiveSafeRadius), size);
}

QImage Sources::adaptiveBackground(int size) const
{
    return backgroundLayer(d, adaptiveFrame, size, plate());
}

QImage Sources::opaqueIcon(int size) const
{
    const Downscaler& content = withoutText(size) ? *textless->foreground : foregroundSizes();
    return opaque(composed(backgroundLayer(d, canvasFrame, size, plate()), content.scaled(size)), plate());
}

QImage Sources::maskableIcon(int size) const
{
    const QRectF frame = fittedFrame(canvasFrame, reach(), maskableSafeRadius);
    return composed(backgroundLayer(d, frame, size, plate()), placed(foregroundSizes(), frame, size));
}

const Downscaler& Sources::launchContent(bool dark) const
{
    const int i = dark ? 1 : 0;
    std::call_once(launch->made[i], [this, dark, i] {
        // The dark screen shows the dark icon's glyph, lifted where it would stand under 3:1 from the
        // screen's colour (a navy logo keeps its colours on the dark icon's grey plate, but would
        // all but vanish on near-black).
        const QImage shown = dark ? readableOn(darkGlyph(launch->layers, o.iosDarkColor),
                                               o.splashDarkColor.isValid() ? o.splashDarkColor : darkLaunch)
                                  : launch->layers.foreground();
        launch->reach[i] = Packages::inkReach(shown);
        launch->content[i] = std::make_unique<const Downscaler>(shown);
    });
    return *launch->content[i];
}

double Sources::launchReach(bool dark) const
{
    launchContent(dark);
    return launch->reach[dark ? 1 : 0];
}

const VectorShapes& Sources::vectorForeground(Problem* why) const
{
    std::call_once(vector->read, [this] { vector->shapes = foregroundShapes(d, &vector->why); });
    if (why)
        *why = vector->why;
    return vector->shapes;
}

QImage Sources::iosDark() const
{
    const QImage& plain = plainGlyphs[0].get([this] { return darkGlyph(*parts, o.iosDarkColor); });
    return glyphs[0].get([this, &plain] { return withBadge(plain, o.variant, BadgeLook::Dark); });
}

QImage Sources::iosTinted() const
{
    const QImage& plain = plainGlyphs[1].get([this] { return tintedGlyph(*parts, o.iosTintedColor); });
    return glyphs[1].get([this, &plain] { return withBadge(plain, o.variant, BadgeLook::Tinted); });
}

} // namespace Packages
