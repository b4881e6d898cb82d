#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// An SVG picture, drawn from its vectors at whatever size it takes, by the toolkit's SVG image
// plug-in (loaded only when an SVG is drawn, so the program does not link the SVG module).
namespace VectorPicture {

// The most an SVG may hold, as a file and, for SVGZ, once inflated.
constexpr qint64 maximumBytes = 8 * 1024 * 1024;
// The deepest nesting of elements accepted.
constexpr int maximumDepth = 256;

// Whether `bytes` start as an SVG or a gzip-compressed one would.
bool looksLikeSvg(const QByteArray& bytes);

// The SVG text of `bytes` (SVGZ inflated), and its size at 100 %: its width and height in pixels
// (units converted at 96 per inch), or its viewBox's when it gives none. Empty, with the reason in
// `error`, for anything else: malformed XML (the parser's reason, line and column), entity
// declarations, nesting deeper than maximumDepth, more than maximumBytes, a size that is not
// positive, or no picture the plug-in can draw. An image it refers to by a relative path is taken
// from `folder` (the SVG's own); nothing is fetched from the network.
QByteArray read(const QByteArray& bytes, QSize* size, QString* error, const QString& folder = QString());

// The picture drawn at `size` pixels; with `clip`, only that part of it (at that size).
QImage draw(const QByteArray& svg, QSize size, const QRect& clip = QRect());

// The SVG placed on a canvas of `canvas` pixels, its picture filling `placed` (its own viewBox
// kept): the form a layer of a layered document takes.
QByteArray placed(const QByteArray& svg, QSize ownSize, const QRect& placed, QSize canvas);

} // namespace VectorPicture
