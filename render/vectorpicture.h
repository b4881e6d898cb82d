#pragma once

#include "base/reason.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// An SVG picture, drawn from its vectors at whatever size it takes, by the toolkit's SVG image
// plug-in (loaded only when an SVG is drawn, so the program does not link the SVG module).
namespace VectorPicture {

// The most an SVG may hold, as a file and, for SVGZ, once inflated.
constexpr qint64 maximumBytes = 8 * 1024 * 1024;
// The deepest nesting of elements accepted.
constexpr int maximumDepth = 256;
// The most elements an SVG may draw, each <use> counted as the elements it repeats: half a million
// plain elements are read and drawn in about a second, and a command draws the picture twice.
constexpr qint64 maximumElements = 500000;
// The most stops a gradient may have: the plug-in inserts each stop into a sorted list, a time that
// grows with the square of their number (100,000 stops took over ten seconds).
constexpr int maximumStops = 1024;
// The largest width or height an SVG may declare, in pixels.
constexpr double maximumSide = 1e6;

// Whether `bytes` start as an SVG or a gzip-compressed one would.
bool looksLikeSvg(const QByteArray& bytes);

// What an image an SVG refers to becomes (`href` as the SVG names it): a data: URI that takes the
// reference's place, once the caller has judged the picture, or an empty string with the problem in
// `why`. It is asked once for each <image> element, in document order (the same reference again
// for each element naming it), so that it can bound what the images hold together.
using ImageEmbedder = std::function<QString(const QString& href, Problem* why)>;

// The SVG text of `bytes` (SVGZ inflated), checked as a whole before anything draws it, and the size
// it declares: its width and height in pixels (units converted at 96 per inch), or its viewBox's
// when it gives none. Empty, with the problem in `error`, for anything else: malformed
// XML (the parser's reason, line and column), entity declarations, nesting deeper than maximumDepth, more
// than maximumBytes, more than maximumElements once its <use> elements are expanded and each run of
// text counted as the work it takes (or a <use> that repeats itself), a gradient of more than
// maximumStops stops, a viewBox without area, a size that is not positive or larger than
// maximumSide, or no picture the plug-in can draw. Every <image> reference is replaced by what `embed` makes
// of it, so the plug-in reads no file and the text is self-contained; without `embed`, an SVG that refers to
// images is refused. A reason that comes from one element names it and its line: for a bound, the
// element at which it is passed.
QByteArray read(const QByteArray& bytes, QSize* size, Problem* error, const ImageEmbedder& embed = nullptr);

// How far an SVG's drawing reaches from the middle of the 1024 canvas at 100 %: the 66 dp circle
// of Android's 108 dp adaptive icon, which every launcher's mask keeps (313 pixels), less a margin.
constexpr double fittedReach = 1024.0 * 66 / 108 / 2 * 0.94;

// The size an SVG takes at 100 % on the 1024 canvas: its drawing's, not its declared size's, so
// the same drawing saved at 24 units, 100 units or 1024 points shows the same. Its declared size
// (width and height in pixels, units at 96 per inch, or its viewBox's) gives the proportions; the
// drawing is scaled so that its ink reaches fittedReach from the middle: a round logo that fills
// its box is about 60 % of the canvas wide, inside every platform's safe zone. An empty drawing
// keeps its declared size.
QSize fitted(const QByteArray& svg, QSize declared);

// The picture drawn at `size` pixels; with `clip`, only that part of it (at that size). The
// drawings made last are kept (up to 96 MB, under a lock, for every thread), so a size asked for
// again is not drawn again.
QImage draw(const QByteArray& svg, QSize size, const QRect& clip = QRect());

// Forgets the drawings kept.
void forgetDrawings();

// The SVG placed on a canvas of `canvas` pixels, its picture (its own viewBox, or its size where it
// has none) scaled by one factor on both axes to fit `placed`, centred there: the form a layer of
// a layered document takes.
QByteArray placed(const QByteArray& svg, const QRect& placed, QSize canvas);

} // namespace VectorPicture
