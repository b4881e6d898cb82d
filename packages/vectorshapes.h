#pragma once

#include "base/reason.h"
#include "design/icondesign.h"

#include <QBrush>
#include <QByteArray>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QString>

// A design's layers as filled and stroked paths, for the files that take vectors (Android's
// VectorDrawable, the SVG favicon): an SVG picture read into paths, the text's outlines, the
// background's colour or gradient, each in the 1024 canvas's coordinates.
namespace Packages {

// One shape: a path, filled (its fill rule the path's own) and stroked. The fill and the stroke's
// brush are a colour or a linear or radial gradient (its spread kept) in the path's coordinates;
// `alpha` multiplies both, as a layer's opacity does.
struct VectorShape
{
    QPainterPath path;
    QBrush fill = Qt::NoBrush;
    QPen stroke = Qt::NoPen;
    qreal fillAlpha = 1, strokeAlpha = 1;
};
using VectorShapes = QList<VectorShape>;

// The most path points (a curve counts three) an SVG may draw as vector layers: some 300 KB of
// path data.
constexpr int maximumVectorPoints = 20000;

// The shapes an SVG draws, its own coordinates (its viewBox, or its width and height) scaled by one
// factor on both axes and centred in `placed` as the picture is drawn there. Empty, with why in
// `problem`, when any element has no form as paths: text, images, filters, masks, patterns, clip
// paths, <use>, style sheets, a group's opacity, dashed strokes, a radial gradient made elliptic,
// more than maximumVectorPoints;
// the problem names the element and its line. The paths keep the SVG's curves (an arc becomes
// cubic curves), transforms applied.
VectorShapes svgShapes(const QByteArray& svg, const QRectF& placed, Problem* problem);

// The design's foreground as its layer draws it on the canvas: its SVG picture, then its text's
// shadow, fill and outline. Empty, with why in `problem`, when its picture is a raster image or has
// an element with no form as paths.
VectorShapes foregroundShapes(const IconDesign& design, Problem* problem);
// The design's background fill over the whole of `frame` (no rounded corners, as an adaptive layer
// takes it): its colour or gradient, or `plate` behind a transparent design.
VectorShapes backgroundShapes(const IconDesign& design, const QRectF& frame, const QColor& plate);

// The same shapes in white, each keeping its alpha (its colour's, its gradient stops'): the
// silhouette a themed icon shows when it takes every part of the foreground as ink.
VectorShapes silhouette(const VectorShapes& shapes);

// The design as an SVG favicon: its plate (rounded as the icon's) and `foreground` on the 1024
// canvas, shown at 32 pixels, and inside a prefers-color-scheme: dark block its dark look: the
// iOS dark plate behind it, each colour that stands under 3:1 from that plate inverted in
// lightness and raised to 4.5:1, as the dark icon does.
QByteArray faviconSvg(const IconDesign& design, const VectorShapes& foreground);

// `shapes` as an Android VectorDrawable of 108 x 108 dp whose viewport shows `frame` of the canvas
// (what a 108 dp adaptive layer shows), clipped to `clip` (in canvas coordinates; null: none):
// lint-clean path data (no exponent, no number that starts with a dot, each path under 800
// characters, split between its outlines), colours as #AARRGGBB, gradients as aapt:attr.
QByteArray vectorDrawable(const VectorShapes& shapes, const QRectF& frame, const QRectF& clip = QRectF());

// `shapes` as a group of an SVG (paths and the gradients they use, ids from `idPrefix`) in the
// same coordinates: what a VectorDrawable of them draws, for an SVG file or to draw it back.
QByteArray svgElements(const VectorShapes& shapes, const QString& idPrefix);

} // namespace Packages
