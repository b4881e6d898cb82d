#pragma once

#include "design/icondesign.h"
#include "export/fileio.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QStringList>

// Ready-to-drop icon folders for Android, iOS, macOS, Windows and the web, derived from a design.
namespace Packages {

// The design's background fill over the whole size x size square, no rounded corners. `frame` is
// the part of the design's 1024 canvas coordinates that the square shows (it may reach past the
// canvas: the fill continues there).
QImage backgroundLayer(const IconDesign& design, const QRectF& frame, int size);
// The picture and text on transparency, on the 1024 canvas.
QImage foregroundLayer(const IconDesign& design);
// White wherever `layer` has coverage, with its alpha.
QImage monochrome(const QImage& layer);
// Luminance of `layer` in grey, alpha kept.
QImage grayscale(const QImage& layer);
// `image` flattened onto white and stored without an alpha channel.
QImage opaque(const QImage& image);

// An ICO container: 32-bit BMP entries below 256 pixels, PNG at 256.
QByteArray icoFile(const QList<QImage>& images);
// An ICNS container of PNG entries: (OSType, image) pairs.
QByteArray icnsFile(const QList<QPair<QByteArray, QImage>>& entries);

const QStringList& targets(); // android, ios, macos, windows, web

using Outcome = Files::Outcome;
// Writes the package of `target` (one of targets(), or "all") into `folder`.
Outcome writePackage(const IconDesign& design, const QString& folder, const QString& target);

} // namespace Packages
