#pragma once

#include "base/reason.h"

#include <QImage>
#include <QString>

// The user's own picture: where a project's path leads, and loading it.

// The file a picture path stored in a project names: the window's "\" separators read as "/", and
// a relative path taken from the folder of `projectFile` (from the current folder when it is
// empty).
QString customPicturePath(const QString& stored, const QString& projectFile);

// The largest picture accepted: at most this many pixels a side and in all.
constexpr int maximumPictureSide = 16384;
constexpr qint64 maximumPicturePixels = 100000000;
// A picture of more pixels than this is held reduced to this many (aspect kept, smoothly), with its
// own size kept beside it (IconDesign::customImageSize): what the icon shows of it is at most 1024
// pixels across, and holding every pixel of the largest would take 400 MB or more.
constexpr qint64 heldPicturePixels = 16 * 1024 * 1024;
// The most memory decoding a picture may take at once.
constexpr qint64 decodingBudget = 400LL * 1024 * 1024;

// Loads the picture at `path`: a regular file holding a raster image of any format the image
// readers read, judged by its content whatever its name says (the first frame of an animation),
// within the size limits above; PNG and JPEG of any size within them are decoded a band at a time
// or at a reduced scale, other formats only when their decoded pixels fit the budget. Anything
// else gives a null image and, in `error`, why; an image too big is refused before its pixels are
// allocated. `ownSize` is set to the picture's own size (larger than the image's when it is held
// reduced). An SVG or SVGZ (judged by content too) gives its drawing at its own size (its drawing
// fitted to the canvas, VectorPicture::fitted()) and, in `vector`, its SVG text, from which the icons
// draw it at every size.
QImage loadCustomPicture(const QString& path, Problem* error = nullptr, QSize* ownSize = nullptr,
                         QByteArray* vector = nullptr);

// Whether loading the picture at `path` takes only milliseconds, by a look at its start: a quick
// picture to draw (a raster one of at most a megapixel, an SVG of at most 64 KB), or a file that
// is no picture at all. The others (a large SVG's first drawing takes seconds) are for a worker.
bool loadsQuickly(const QString& path);
