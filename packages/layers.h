#pragma once

#include "design/icondesign.h"
#include "render/downscaler.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include <mutex>

// The pictures platform packages are made of, derived from a design: its layers, shapes and the
// variants platforms show. Pure functions on images; all sizes in pixels, all frames in the
// design's 1024 canvas coordinates.
namespace Packages {

constexpr int canvas = 1024;
// The whole design canvas.
const QRectF canvasFrame(0, 0, canvas, canvas);
// The square of the canvas an Android adaptive layer shows: the canvas fills its central 72 of
// 108 dp, and the launcher's mask keeps at least the central circle of 66 dp.
const QRectF adaptiveFrame(-256, -256, 1536, 1536);
constexpr double adaptiveSafeRadius = 33.0 / 108; // of the layer's side
// Web maskable icons keep the central circle of 80 % of their side.
constexpr double maskableSafeRadius = 0.4;

// An image made once, by the first thread that asks for it, the others waiting for it.
class Once
{
  public:
    template <class Make> const QImage& get(Make make) const
    {
        std::call_once(flag, [&] { image = make(); });
        return image;
    }

  private:
    mutable std::once_flag flag;
    mutable QImage image;
};

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
// A design's layers without its background (picture and text together, the picture alone, the
// text alone) and its dark and tinted looks, each made when first asked for and kept: several
// derived pictures share them, from any thread.
class DesignLayers
{
  public:
    explicit DesignLayers(const IconDesign& design) : d(design) {}
    const IconDesign& design() const { return d; }
    const QImage& foreground() const;
    const QImage& picture() const;
    const QImage& text() const;
    const DarkLook& darkLook() const;
    const TintedLook& tintedLook() const;
    // The picture and the text in the dark and tinted looks.
    const QImage& darkPicture() const;
    const QImage& darkText() const;
    const QImage& tintedPicture() const;
    const QImage& tintedText() const;

  private:
    IconDesign d;
    // Each picture above, made once.
    Once keptForeground, keptPicture, keptText, keptDarkPicture, keptDarkText, keptTintedPicture,
        keptTintedText;
    mutable std::once_flag darkMade, tintedMade;
    mutable DarkLook dark;
    mutable TintedLook tinted;
};

// `image` scaled to size x size, smoothly.
QImage scaled(const QImage& image, int size);
// A transparent size x size image.
QImage transparentImage(int size);
// Whether the design leaves its background transparent (no colour, no gradient).
bool transparentBackground(const IconDesign& design);
// The design rendered, on a premultiplied image.
QImage rendered(const IconDesign& design);

// The design's background fill over the whole size x size square, no rounded corners. `frame` is
// the part of the canvas the square shows (it may reach past the canvas: the fill continues
// there). A transparent design gets `plate` there instead, or stays transparent when `plate` is
// not a valid colour.
QImage backgroundLayer(const IconDesign& design, const QRectF& frame, int size,
                       const QColor& plate = QColor());
// The picture and text on transparency, on the 1024 canvas.
QImage foregroundLayer(const IconDesign& design);
// `layer`, a 1024 canvas, drawn into the square `frame` of a size x size image.
QImage placed(const Downscaler& layer, const QRectF& frame, int size);
// `foreground` drawn over `background` (same size).
QImage composed(const QImage& background, const QImage& foreground);

// How far the ink of a 1024 canvas reaches from its centre, in canvas pixels; 0 when it has none.
double inkReach(const QImage& layer);
// `base`, widened about the canvas centre just enough that ink reaching `reach` canvas pixels from
// the centre lands within `radius` (a fraction of the side) of the square's centre. Never
// narrower than `base`: content is shrunk to fit, never enlarged.
QRectF fittedFrame(const QRectF& base, double reach, double radius);

// White wherever `layer` has coverage, with its alpha.
QImage monochrome(const QImage& layer);
// The design's monochrome (themed icon) shape on the 1024 canvas, white with alpha. Flat pictures
// and text keep their outline, the text cut out of the picture where it crosses it. A coloured or
// custom picture that stands on an opaque plate of its own (a photo, a logo on paper) is taken by
// its tones instead: the plate's tone drops out and everything that differs from it stays, so its
// details and holes survive.
QImage monochromeLayer(const IconDesign& design);
QImage monochromeLayer(const DesignLayers& layers);
// `image` flattened onto `plate` and stored without an alpha channel.
QImage opaque(const QImage& image, const QColor& plate = Qt::white);

// The design's picture alone, and its text alone (shadow and outline with it), on the 1024 canvas.
QImage pictureOnly(const IconDesign& design);
QImage textOnly(const IconDesign& design);
// Whether the design's picture carries its own colours (a coloured or custom picture), rather than
// being a shape in one colour (a flat picture).
bool pictureKeepsItsColours(const IconDesign& design);

// The relative luminance of an sRGB colour (0 black, 1 white), as contrast ratios count it.
double luminanceOf(QRgb rgb);
// The colour standing for a one-colour shape: its most opaque pixel's.
QRgb typicalColour(const QImage& shape);

// A single-colour shape (a flat picture, the text) as an iOS dark icon shows it on its dark plate:
// as it is, or, when it does not reach 3:1 against the plate, with its lightness inverted (black
// turns white, dark red light red) and raised to 4.5:1 where that is not enough. A valid `color`
// paints the shape in that colour instead.
QImage darkShape(const QImage& shape, const QColor& color = QColor());
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

// The superellipse |x/a|^n + |y/b|^n = 1 filling `r`: a circle for degree 2, rounder squares as
// the degree grows.
QPainterPath superellipse(const QRectF& r, double degree);

} // namespace Packages
