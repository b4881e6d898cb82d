#pragma once

#include <QColor>
#include <QImage>
#include <QString>

struct IconDesign;

// The iOS dark and tinted looks of a design, and the contrast rules they keep: a glyph stands 3:1
// from the dark plate (lifted to 4.5:1 where it would not), text 3:1 from the picture it crosses.
namespace Packages {

class DesignLayers;

// The iOS dark plate at its lightest (the top of its gradient): the tone a glyph must stand out from.
const QColor iosDarkPlate(0x3a, 0x3a, 0x3c);

// How the iOS dark look shows a design's picture and text. A picture with colours of its own keeps
// them, unless it is all one tone (then it is a shape). Shapes are lifted by darkShape() each on its
// own, unless the text crosses the picture and that would make them alike: then both take
// lightnesses chosen together, so that each stands 3:1 from the plate and the text 3:1 from the
// picture under it where it can (over a photograph only the text moves).
struct DarkLook
{
    bool pictureIsShape = true;
    int picture = -1; // the HSL lightness the picture's colours take; -1: as darkShape() gives
    int text = -1;    // the same for the text
};
// The tinted look: each shape's dark form stretched in grey on its own, or, when the dark look
// chose their tones together, both with one stretch so the text stays apart from the picture. A
// photograph shows its own luminance.
struct TintedLook
{
    DarkLook dark;
    bool together = false;
    int low = 0, high = 255; // the grey range stretched to the full one
};
// WCAG's contrast ratio of two relative luminances (1 to 21).
double contrastRatio(double a, double b);
// The mean relative luminance of `image`'s pixels of at least half coverage, where `mask` (when
// given) has coverage too (or, with `outsideMask`, has none); -1 when there are none.
double meanLuminanceOf(const QImage& image, const QImage* mask = nullptr, bool outsideMask = false);
// The relative luminance of an sRGB colour (0 black, 1 white), as contrast ratios count it.
double luminanceOf(QRgb rgb);
// The colour standing for a one-colour shape: its most opaque pixel's.
QRgb typicalColour(const QImage& shape);

// A single-colour shape (a flat picture, the text) as an iOS dark icon shows it on its dark plate:
// as it is, or, when it does not reach 3:1 against the plate, with its lightness inverted (black
// turns white, dark red light red) and raised to 4.5:1 where that is not enough. A valid `color`
// paints the shape in that colour instead.
QImage darkShape(const QImage& shape, const QColor& color = QColor());
// One colour as darkShape() shows a shape of it: as it is at 3:1 or more from the dark plate, else
// its lightness inverted and raised to 4.5:1 where that is not enough; its alpha kept.
QColor darkColour(const QColor& colour);
// A shape as an iOS tinted icon shows it: its dark form in grey, stretched so its lightest tone is
// white and a one-tone shape is all white. A valid `color` paints it in that colour's grey.
QImage tintedShape(const QImage& shape, const QColor& color = QColor());
// A picture in its own luminance, grey, its alpha kept: never inverted.
QImage luminance(const QImage& picture);

// `text`, the design's text layer (with its shadow or without), in the dark and tinted looks.
QImage darkText(const QImage& text, const DarkLook& look);
QImage tintedText(const QImage& text, const TintedLook& look);

// The glyphs of the iOS dark and tinted icons: picture and text in their looks above, the text in
// front. A valid `color` paints the shapes in it (a photograph keeps its colours).
QImage darkGlyph(const DesignLayers& layers, const QColor& color = QColor());
QImage tintedGlyph(const DesignLayers& layers, const QColor& color = QColor());

// `glyph` as it stands on `background` at 3:1 or more: itself when it does, else each colour's
// lightness moved by as much (hue and saturation kept) until its mean does.
QImage readableOn(const QImage& glyph, const QColor& background);

// For a transparent design, a sentence saying that its glyph nearly matches the `plate` it stands on
// wherever a platform wants an opaque icon (white text on the default white plate); empty when it
// stands out, or the design has a background of its own.
QString plateWarning(const IconDesign& design, const QImage& foreground, const QColor& plate);

} // namespace Packages
