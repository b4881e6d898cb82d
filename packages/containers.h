#pragma once

#include "base/png.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>

// The file formats of platform icons, written byte by byte where the toolkit's writers fall short.
namespace Packages {

// `image` as a PNG tagged as sRGB (an sRGB chunk with its gAMA fallback right after the header), as
// app stores ask; colour type 6 (RGBA) for an image with an alpha channel, 2 (RGB) without, and
// with `grey`, 4 (grey and alpha) or 0 (grey) when all its pixels are grey; declaring
// `dotsPerMeter`, packed with `effort`. Empty when the image cannot be encoded.
QByteArray pngBytes(const QImage& image, bool grey = false, int dotsPerMeter = Png::standardDotsPerMeter,
                    Png::Effort effort = Png::Effort::Smallest);

// An ICO container: 32-bit BMP entries below 256 pixels, PNG at 256.
QByteArray icoFile(const QList<QImage>& images);
// An ICNS container of PNG entries: (OSType, image) pairs.
QByteArray icnsFile(const QList<QPair<QByteArray, QImage>>& entries);

} // namespace Packages
