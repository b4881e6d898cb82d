#pragma once

#include "design/icondesign.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>

// Composes one icon on a 1024 x 1024 canvas with alpha: rounded background, picture, text shadow,
// text fill, text outline. Pure: reads only the design and the compiled-in artwork, keeps nothing
// between calls but decoded library pictures. Parts that cannot be drawn are left out.
QPixmap renderIcon(IconDesign design);
// The same on an image (premultiplied ARGB32), which any thread may render: the caches it keeps are
// shared under a lock.
QImage renderIconImage(const IconDesign& design);

// A picture quick to draw at any scale: a raster one of at most this many pixels, an SVG of at most
// this many bytes (some thousand shapes).
constexpr qint64 quickPicturePixels = 1024 * 1024, quickSvgBytes = 64 * 1024;

// Whether renderIconImage() takes only milliseconds for `design`: its picture layer is the one kept
// from the last icon, or is quick to make at any scale (no custom picture, a raster one of at most a
// megapixel, an SVG of at most 64 KB). A large SVG drawn at a new size takes seconds.
bool renderIsQuick(const IconDesign& design);

// The icon in milliseconds whatever its picture, for showing while renderIconImage() is at work: a
// custom picture that is not quick to make is its held image enlarged or reduced in place, without
// smoothing (an SVG's drawing at its own size, not its vectors); everything else is exact.
QImage renderIconDraft(const IconDesign& design);

// The brush of the design's background (solid colour or linear gradient in canvas pixels), or
// Qt::NoBrush when the background is transparent or switched off.
QBrush backgroundBrush(const IconDesign& design);

// The custom picture's own size, in which its scale counts: customImageSize, or the image's.
QSize customPictureSize(const IconDesign& design);

// Where the design's custom picture lands on a canvas of `canvas` pixels (it may reach past it).
QRect customPicturePlacement(const IconDesign& design, QSize canvas);

// The font the design's text is drawn in, at 96 dpi.
QFont textFont(const IconDesign& design);
// The outlines renderIcon fills for the design's text and its shadow (empty without one), on the
// 1024 canvas, cut to what lands there.
struct TextPaths
{
    QPainterPath text, shadow;
};
TextPaths textPaths(const IconDesign& design);

// Forgets decoded pictures, SVG drawings and the last picture layer (output never depends on them).
void clearRenderCaches();

// The picture layer's scaling step: `source` scaled by `percent` of `own`, its own size (larger
// than its pixels when a very large picture is held reduced; integer
// arithmetic, aspect ratio kept, smooth filtering), cut to the part that lands on a canvas of
// `canvas` pixels when placed centred and shifted by `offset`. Returns the visible part and, in
// `topLeft`, where it goes on the canvas. Large enlargements are computed only for the visible part.
QImage scaledPictureOnCanvas(const QImage& source, QSize own, int percent, QPoint offset, QSize canvas,
                             QPoint* topLeft);

// The same, always scaling the whole picture first (the reference for the clipped route).
QImage scaledPictureOnCanvasDirect(const QImage& source, QSize own, int percent, QPoint offset, QSize canvas,
                                   QPoint* topLeft);
