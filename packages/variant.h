#pragma once

#include "design/icondesign.h"
#include "packages/vectorshapes.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// Build variants (debug, beta, staging, a flavour): the same design with a badge drawn into every
// look, inside the circle every mask keeps, or the whole icon tinted or grey.
namespace Packages {

struct Badge
{
    enum class Style { Banner, Ribbon, Corner, Tint, Grey };
    enum class Place { Bottom, Top, TopRight, TopLeft, BottomRight, BottomLeft };
    Style style = Style::Banner;
    QString text;      // as shown ({version} filled in); empty: the variant's name
    QColor colour;     // invalid: a strong red
    QColor textColour; // invalid: white or near-black, whichever stands farther from the colour
    Place place = Place::Bottom;
};

struct Variant
{
    QString name; // empty: the release icons, no badge
    Badge badge;
    bool isSet() const { return !name.isEmpty(); }
};

// Whether the variant recolours the whole design (a tint or grey one) rather than drawing a badge.
bool recolours(const Variant& variant);

// The styles and places by the command line's names: "banner", "ribbon", "corner", "tint",
// "grey"; "bottom", "top", "top-right", "top-left", "bottom-right", "bottom-left".
QStringList badgeStyleNames();
QStringList badgePlaceNames();
bool badgeStyleNamed(const QString& name, Badge::Style* style);
bool badgePlaceNamed(const QString& name, Badge::Place* place);

// How a look shows the badge: in its colours, on the iOS dark icon (kept 3:1 from the dark plate),
// in the tinted icon's greys, or as the themed layer's shape (its letters cut out).
enum class BadgeLook { Light, Dark, Tinted, Shape };

// The variant's badge in `look` on the 1024 canvas: its band, then its letters in their colour or,
// cut out of the band (the tinted look, the themed shape), transparent. Empty for a tint or grey
// variant, or none.
VectorShapes badgeShapes(const Variant& variant, BadgeLook look);
// `layer` (the 1024 canvas) with the variant's badge drawn over it in `look` (cut out letters
// clear what lies under them); as it is for a tint or grey variant, or none.
QImage withBadge(const QImage& layer, const Variant& variant, BadgeLook look);
// The badge colour of a variant that names none: of a strong red, blue, green and amber, the one
// farthest from the design's plate (its colour, both ends of its gradient, or `plate` behind a
// transparent design).
QColor badgeColourFor(const IconDesign& design, const QColor& plate);
// The design as a tint or grey variant shows it (its colours and its picture recoloured); as it
// is for the other styles.
IconDesign variantDesign(const IconDesign& design, const Variant& variant);

} // namespace Packages
