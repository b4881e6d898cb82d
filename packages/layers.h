#pragma once

#include "design/icondesign.h"
#include "packages/darklook.h"
#include "render/downscaler.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

// The pictures platform packages are made of, derived from a design: its layers, their frames and
// how they are composed; the looks derived from them are in darklook.h (iOS dark and tinted) and
// themedlook.h (the monochrome shape). Pure functions on images; all sizes in pixels, all frames in
// the design's 1024 canvas coordinates.
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
    // A picture made from these layers, named by `key` (what it is, and what beyond the design it
    // depends on), made once and kept for every package drawn from them: a release's and its build
    // variants'.
    const QImage& derived(const QString& key, const std::function<QImage()>& make) const;

  private:
    IconDesign d;
    mutable std::mutex derivedMutex;
    mutable std::map<QString, std::unique_ptr<Once>> derivedPictures;
    // Each picture above, made once.
    Once keptForeground, keptPicture, keptText, keptDarkPicture, keptDarkText, keptTintedPicture,
        keptTintedText;
    mutable std::once_flag darkMade, tintedMade;
    mutable DarkLook dark;
    mutable TintedLook tinted;
};

// The smallest rectangle holding every pixel with coverage; empty for a blank layer.
QRect inkBounds(const QImage& layer);
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
// `image` flattened onto `plate` and stored without an alpha channel.
QImage opaque(const QImage& image, const QColor& plate = Qt::white);

// The design's picture alone, and its text alone (shadow and outline with it), on the 1024 canvas.
QImage pictureOnly(const IconDesign& design);
QImage textOnly(const IconDesign& design);
// Whether the design's picture carries its own colours (a coloured or custom picture), rather than
// being a shape in one colour (a flat picture).
bool pictureKeepsItsColours(const IconDesign& design);

// The superellipse |x/a|^n + |y/b|^n = 1 filling `r`: a circle for degree 2, rounder squares as
// the degree grows.
QPainterPath superellipse(const QRectF& r, double degree);

} // namespace Packages
