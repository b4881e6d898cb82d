#pragma once

#include <QByteArray>
#include <QImage>

// PNG for the images the program makes and the artwork it carries, on libdeflate (whole-buffer
// deflate, a few times faster than zlib at a smaller size): what the toolkit's PNG writer and
// reader would give, pixel for pixel, in a fraction of the time.
namespace Png {

// `image` as a PNG: 8 bits a channel, RGBA when it has an alpha channel (unpremultiplied as the
// toolkit's writer does), RGB when not; its resolution in a pHYs chunk; with `srgb`, tagged as
// sRGB (an sRGB chunk and its gAMA fallback). Empty for an image of another format (16 bits a
// channel, indexed, grey) or of at most 128 x 128 pixels, which the caller then gives to the
// toolkit's writer.
QByteArray encode(const QImage& image, bool srgb = false);

// Decodes a PNG held in memory: non-interlaced, 8 bits a channel, grey, grey and alpha, RGB, RGBA
// or a palette with its alphas (what the artwork holds), into premultiplied ARGB32 (RGB32 without
// alpha): the pixels the toolkit's reader and its conversion give. Null for anything else, which
// the caller then gives to the toolkit's reader.
QImage decode(const uchar* data, qsizetype size);

} // namespace Png
