// A variant's badge: a banner, a ribbon across a corner or a corner dot, drawn into each look on the
// 1024 canvas inside the circle every launcher's mask keeps (33 of the adaptive layer's 108 dp is
// 469 canvas pixels from the centre), so that the mask never cuts it and the logo keeps its size;
// or a tint or grey version of the whole design.
#include "packages/variant.h"

#include "packages/darklook.h"
#include "render/artwork.h"
#include "render/vectorpicture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Packages {

namespace {

constexpr double keptRadius = 460;
const QPointF centre(512, 512);

const struct
{
    const char* name;
    Badge::Style style;
} styles[] = {{"banner", Badge::Style::Banner},
              {"ribbon", Badge::Style::Ribbon},
              {"corner", Badge::Style::Corner},
              {"tint", Badge::Style::Tint},
              {"grey", Badge::Style::Grey}};

const struct
{
    const char* name;
    Badge::Place place;
} places[] = {{"bottom", Badge::Place::Bottom},
              {"top", Badge::Place::Top},
              {"top-right", Badge::Place::TopRight},
              {"top-left", Badge::Place::TopLeft},
              {"bottom-right", Badge::Place::BottomRight},
              {"bottom-left", Badge::Place::BottomLeft}};

bool drawn(const Badge& b)
{
    return b.style == Badge::Style::Banner || b.style == Badge::Style::Ribbon ||
           b.style == Badge::Style::Corner;
}

QColor bandColour(const Badge& b)
{
    return b.colour.isValid() ? b.colour : QColor(0xc6, 0x28, 0x28);
}

// White or near-black, whichever stands farther from `band`.
QColor lettersOn(const QColor& band)
{
    const double under = luminanceOf(band.rgb());
    const QColor light(Qt::white), dark(0x1a, 0x1a, 0x1a);
    return contrastRatio(luminanceOf(light.rgb()), under) >= contrastRatio(luminanceOf(dark.rgb()), under)
               ? light
               : dark;
}

// Which way a corner lies from the centre (a unit diagonal), for the ribbon and the dot; the
// banner's top and bottom count as their right-hand corners.
QPointF towards(Badge::Place place)
{
    const double k = 1 / std::sqrt(2.0);
    switch (place) {
    case Badge::Place::TopLeft:
        return {-k, -k};
    case Badge::Place::BottomRight:
    case Badge::Place::Bottom:
        return {k, k};
    case Badge::Place::BottomLeft:
        return {-k, k};
    case Badge::Place::TopRight:
    case Badge::Place::Top:
        break;
    }
    return {k, -k};
}

// The badge's band on the canvas, and the box its letters fill, in a frame turned by `angle`
// degrees about the box's centre.
struct Shape
{
    QPainterPath band;
    QRectF letters;
    double angle = 0;
};

Shape shapeOf(const Badge& b)
{
    QPainterPath kept;
    kept.addEllipse(centre, keptRadius, keptRadius);
    Shape s;
    if (b.style == Badge::Style::Banner) {
        const bool top = b.place == Badge::Place::Top || b.place == Badge::Place::TopLeft ||
                         b.place == Badge::Place::TopRight;
        const double height = 150, inner = 200; // from the centre to the band's inner edge
        const double y = top ? centre.y() - inner - height : centre.y() + inner;
        QPainterPath band;
        band.addRect(QRectF(0, y, 1024, height));
        s.band = band.intersected(kept);
        // The letters within the chord of the band's outer edge.
        const double half = std::sqrt(keptRadius * keptRadius - (inner + height) * (inner + height));
        s.letters = QRectF(centre.x() - half, y, 2 * half, height);
        return s;
    }
    const QPointF way = towards(b.place);
    if (b.style == Badge::Style::Ribbon) {
        // Across the corner, square to its diagonal.
        const double at = 300, thickness = 130;
        const QPointF middle = centre + way * at;
        s.angle = qRadiansToDegrees(std::atan2(way.y(), way.x())) + 90 + 180 * (way.y() > 0);
        QTransform turn;
        turn.translate(middle.x(), middle.y());
        turn.rotate(s.angle);
        QPainterPath band;
        band.addRect(QRectF(-800, -thickness / 2, 1600, thickness));
        s.band = turn.map(band).intersected(kept);
        const double half = std::sqrt(keptRadius * keptRadius - (at + thickness / 2) * (at + thickness / 2));
        s.letters = QRectF(middle.x() - half, middle.y() - thickness / 2, 2 * half, thickness);
        return s;
    }
    // A dot in the corner, touching the kept circle from inside.
    const double radius = 130;
    const QPointF middle = centre + way * (keptRadius - radius);
    s.band.addEllipse(middle, radius, radius);
    s.letters = QRectF(middle.x() - radius * 0.72, middle.y() - radius * 0.6, radius * 1.44, radius * 1.2);
    return s;
}

// The text's outline filling `box` (centred, its turn about the box's centre applied).
QPainterPath lettersIn(const QString& text, const QRectF& box, double angle)
{
    // A bold sans face; the letters are scaled to the box, so its size is the outline's detail.
    QFont font(QStringLiteral("Sans Serif"), 100, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF own = path.boundingRect();
    if (own.isEmpty())
        return QPainterPath();
    const double k = std::min(box.width() * 0.86 / own.width(), box.height() * 0.62 / own.height());
    QTransform place;
    place.translate(box.center().x(), box.center().y());
    place.rotate(angle);
    place.scale(k, k);
    place.translate(-own.center().x(), -own.center().y());
    return place.map(path);
}

// A colour lifted, its hue kept, until it stands 3:1 from `background` (as the dark icon lifts a
// shape).
QColor readableColour(const QColor& colour, const QColor& background)
{
    QImage one(1, 1, QImage::Format_ARGB32);
    one.fill(colour);
    return QColor::fromRgb(readableOn(one, background).pixel(0, 0));
}

QRgb greyOf(QRgb p)
{
    const int g = qGray(p);
    return qRgba(g, g, g, qAlpha(p));
}

// Halfway from `p`'s colour to `tint`'s hue at its own lightness.
QRgb tintOf(QRgb p, const QColor& tint)
{
    const QColor own = QColor::fromRgb(p);
    const QColor toward =
        QColor::fromHsl(tint.hslHue(), std::max(120, tint.hslSaturation()), own.lightness());
    return qRgba((own.red() + toward.red()) / 2, (own.green() + toward.green()) / 2,
                 (own.blue() + toward.blue()) / 2, qAlpha(p));
}

QColor recoloured(const QColor& c, const Badge& b)
{
    if (!c.isValid())
        return c;
    return QColor::fromRgba(b.style == Badge::Style::Grey ? greyOf(c.rgba())
                                                          : tintOf(c.rgba(), bandColour(b)));
}

QImage recoloured(const QImage& image, const Badge& b)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = b.style == Badge::Style::Grey ? greyOf(line[x]) : tintOf(line[x], bandColour(b));
    }
    return out;
}

} // namespace

bool recolours(const Variant& variant)
{
    return variant.isSet() && !drawn(variant.badge);
}

QStringList badgeStyleNames()
{
    QStringList names;
    for (const auto& s : styles)
        names << QLatin1String(s.name);
    return names;
}

QStringList badgePlaceNames()
{
    QStringList names;
    for (const auto& p : places)
        names << QLatin1String(p.name);
    return names;
}

bool badgeStyleNamed(const QString& name, Badge::Style* style)
{
    for (const auto& s : styles)
        if (name == QLatin1String(s.name)) {
            *style = s.style;
            return true;
        }
    return false;
}

bool badgePlaceNamed(const QString& name, Badge::Place* place)
{
    for (const auto& p : places)
        if (name == QLatin1String(p.name)) {
            *place = p.place;
            return true;
        }
    return false;
}

QColor badgeColourFor(const IconDesign& design, const QColor& plate)
{
    QList<QColor> under;
    if (design.useBackgroundGradient)
        under << design.gradientStartColor << design.gradientEndColor;
    else if (design.useBackgroundColor)
        under << design.backgroundColor;
    else
        under << plate;
    const QColor candidates[] = {QColor(0xc6, 0x28, 0x28), QColor(0x15, 0x65, 0xc0), QColor(0x2e, 0x7d, 0x32),
                                 QColor(0xf9, 0xa8, 0x25)};
    // How far apart two colours look: the "redmean" weighting of their channels.
    const auto apart = [](const QColor& a, const QColor& b) {
        const double r = (a.red() + b.red()) / 2.0, dr = a.red() - b.red(), dg = a.green() - b.green(),
                     db = a.blue() - b.blue();
        return std::sqrt((2 + r / 256) * dr * dr + 4 * dg * dg + (2 + (255 - r) / 256) * db * db);
    };
    QColor best = candidates[0];
    double farthest = -1;
    for (const QColor& c : candidates) {
        double nearest = 1e9;
        for (const QColor& u : under)
            nearest = std::min(nearest, apart(c, u));
        if (nearest > farthest + 1e-9) {
            farthest = nearest;
            best = c;
        }
    }
    return best;
}

VectorShapes badgeShapes(const Variant& variant, BadgeLook look)
{
    const Badge& b = variant.badge;
    if (!variant.isSet() || !drawn(b))
        return VectorShapes();
    const Shape shape = shapeOf(b);
    const QPainterPath letters =
        lettersIn(b.text.isEmpty() ? variant.name : b.text, shape.letters, shape.angle);
    QColor band = bandColour(b), ink = b.textColour.isValid() ? b.textColour : lettersOn(band);
    switch (look) {
    case BadgeLook::Light:
        break;
    case BadgeLook::Dark:
        band = readableColour(band, iosDarkPlate);
        ink = lettersOn(band);
        break;
    case BadgeLook::Tinted:
    case BadgeLook::Shape:
        // A light grey (white for the shape) the system tints, its letters cut out.
        band = look == BadgeLook::Shape ? QColor(Qt::white) : QColor(0xe6, 0xe6, 0xe6);
        ink = QColor();
        break;
    }
    VectorShape bandShape, lettersShape;
    bandShape.path = shape.band;
    bandShape.fill = band;
    lettersShape.path = letters;
    // Cut out letters have no colour: they let through what lies under the badge (nothing, on the
    // themed layer's shape).
    lettersShape.fill = ink.isValid() ? QBrush(ink) : QBrush(Qt::transparent);
    return {bandShape, lettersShape};
}

QImage withBadge(const QImage& layer, const Variant& variant, BadgeLook look)
{
    const VectorShapes shapes = badgeShapes(variant, look);
    if (shapes.isEmpty())
        return layer;
    QImage out = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Scaled from the 1024 canvas to the layer's own pixels.
    const double k = out.width() / 1024.0;
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(k, k);
    p.setPen(Qt::NoPen);
    for (const VectorShape& shape : shapes) {
        if (shape.fill.color().alpha() == 0)
            p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(shape.path, shape.fill);
    }
    p.end();
    return out;
}

IconDesign variantDesign(const IconDesign& design, const Variant& variant)
{
    const Badge& b = variant.badge;
    if (!variant.isSet() || drawn(b))
        return design;
    IconDesign d = design;
    for (QColor* c : {&d.backgroundColor, &d.gradientStartColor, &d.gradientEndColor, &d.imageColor,
                      &d.textColor, &d.strokeColor, &d.shadowColor})
        *c = recoloured(*c, b);
    // A picture with colours of its own becomes a raster of the same own size, recoloured.
    if (d.useImageCustom && !d.customVector.isEmpty()) {
        const QSize own = d.customImageSize.isEmpty() ? d.customImage.size() : d.customImageSize;
        d.customImage =
            recoloured(VectorPicture::draw(d.customVector, own.scaled(1024, 1024, Qt::KeepAspectRatio)), b);
        d.customImageSize = own;
        d.customVector.clear();
    } else if (d.useImageCustom && !d.customImage.isNull()) {
        d.customImage = recoloured(d.customImage, b);
    } else if (d.useImageColored) {
        const QImage art = Artwork::libraryImage(Artwork::coloredPath(d.coloredImageRow + 1));
        d.useImageColored = false;
        d.useImageCustom = true;
        d.customImage = recoloured(art, b);
        d.customImageSize = art.size();
    }
    return d;
}

} // namespace Packages
