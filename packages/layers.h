#pragma once

#include "design/icondesign.h"

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

// A design's layers without its background (picture and text together, the picture alone, the
// text alone), each rendered when first asked for and kept: several derived pictures share them,
// from any thread.
class DesignLayers
{
  public:
    explicit DesignLayers(const IconDesign& design) : d(design) {}
    const IconDesign& design() const { return d; }
    const QImage& foreground() const;
    const QImage& picture() const;
    const QImage& text() const;

  private:
    IconDesign d;
    Once kept[3];
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
QImage placed(const QImage& layer, const QRectF& frame, int size);
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
// and text keep their outline. A coloured or custom picture that stands on an opaque plate of its
// own (a photo, a logo on paper) is taken by its tones instead: the plate's tone drops out and
// everything that differs from it stays, so its details and holes survive.
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

// A single-colour shape (a flat picture, the text) as an iOS dark icon shows it on its dark plate:
// as it is, or, when its tones are too dark to read there, with its lightness inverted (black
// turns white, dark red light red). A valid `color` paints the shape in that colour instead.
QImage darkShape(const QImage& shape, const QColor& color = QColor());
// A shape as an iOS tinted icon shows it: its dark form in grey, stretched so its lightest tone is
// white and a one-tone shape is all white. A valid `color` paints it in that colour's grey.
QImage tintedShape(const QImage& shape, const QColor& color = QColor());
// A picture in its own luminance, grey, its alpha kept: never inverted.
QImage luminance(const QImage& picture);

// The glyphs of the iOS dark and tinted icons: a picture with its own colours keeps them on the
// dark plate and shows its own luminance when tinted; the shapes (a flat picture, the text) are
// lifted or painted by darkShape() and tintedShape(), `color` applying to them alone. The text
// stands in front of the picture.
QImage darkGlyph(const DesignLayers& layers, const QColor& color = QColor());
QImage tintedGlyph(const DesignLayers& layers, const QColor& color = QColor());

// The superellipse |x/a|^n + |y/b|^n = 1 filling `r`: a circle for degree 2, rounder squares as
// the degree grows.
QPainterPath superellipse(const QRectF& r, double degree);

} // namespace Packages
