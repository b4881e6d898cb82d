#pragma once

#include <QColor>
#include <QPixmap>

// Draws library pictogram row + 1 of `category` (0 ... 6) tinted with `color` on a transparent
// 420 x 420 canvas, unscaled at the top-left corner. Only the pictogram's alpha shapes the result;
// the colour's own alpha multiplies in. An unknown category or row leaves the canvas transparent.
QPixmap renderGraphic(int category, const QColor& color, int row);

// `pixmap` scaled to fit width x height, aspect ratio kept, smooth filtering. Null stays null.
QPixmap scaledCopy(QPixmap pixmap, int width, int height);
// The same scaling of an image, which needs no window system: the pixels QPixmap::scaled gives for
// a pixmap of it (the raster pixmaps scale their image).
QImage scaledCopy(const QImage& image, int width, int height);
