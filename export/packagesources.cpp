#include "export/packagesources.h"

#include "export/packagelayers.h"
#include "render/iconrenderer.h"

#include <QPainter>

namespace Packages {

Sources::Sources(const IconDesign& design, const Options& options) : d(design), o(options) {}

void Sources::prepare()
{
    icon();
    monochrome();
    reach();
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

const QImage& Sources::icon()
{
    if (!iconImage)
        iconImage = renderIcon(d).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return *iconImage;
}

const QImage& Sources::foreground()
{
    if (!foregroundImage)
        foregroundImage = foregroundLayer(d);
    return *foregroundImage;
}

const QImage& Sources::monochrome()
{
    if (!monochromeImage)
        monochromeImage = monochromeLayer(d);
    return *monochromeImage;
}

double Sources::reach()
{
    // The monochrome shape never reaches past the foreground, so one frame fits both.
    if (!inkReach)
        inkReach = Packages::inkReach(foreground());
    return *inkReach;
}

QImage Sources::adaptiveForeground(int size)
{
    return placed(foreground(), fittedFrame(adaptiveFrame, reach(), adaptiveSafeRadius), size);
}

QImage Sources::adaptiveMonochrome(int size)
{
    return placed(monochrome(), fittedFrame(adaptiveFrame, reach(), adaptiveSafeRadius), size);
}

QImage Sources::adaptiveBackground(int size)
{
    return backgroundLayer(d, adaptiveFrame, size, plate());
}

const QImage& Sources::roundIcon()
{
    if (!roundImage) {
        const QImage content = placed(foreground(), fittedFrame(canvasFrame, reach(), 0.5), canvas);
        QImage round = composed(backgroundLayer(d, canvasFrame, canvas), content);
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
        roundImage = round;
    }
    return *roundImage;
}

QImage Sources::playStoreIcon()
{
    // Google asks for 32 bits even though the icon is opaque.
    return opaqueIcon(512).convertToFormat(QImage::Format_ARGB32);
}

QImage Sources::iosIcon()
{
    return opaqueIcon(canvas);
}

QImage Sources::iosDark()
{
    return darkGlyph(foreground(), o.iosDarkColor);
}

QImage Sources::iosTinted()
{
    return tintedGlyph(foreground(), o.iosTintedColor);
}

const QImage& Sources::macosIcon()
{
    if (!macosImage)
        macosImage = Packages::macosIcon(d, o.macosKeepCorners, plate());
    return *macosImage;
}

QImage Sources::maskableIcon(int size)
{
    const QRectF frame = fittedFrame(canvasFrame, reach(), maskableSafeRadius);
    return composed(backgroundLayer(d, frame, size, plate()), placed(foreground(), frame, size));
}

QImage Sources::opaqueIcon(int size)
{
    return opaque(composed(backgroundLayer(d, canvasFrame, size, plate()), scaled(foreground(), size)),
                  plate());
}

} // namespace Packages
