#pragma once

#include "base/fileio.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <iterator>

// The image formats the two exports write, and the one writer every exported picture goes through.
namespace Export {

struct ImageFormat
{
    const char* name;       // the combo box entry and the format name handed to the image writer
    const char* extension;  // of the icon set's file names
    const char* filter;     // the save dialog's filter on the Graphics page
    bool keepsAlpha;        // JPG and BMP have none: transparency is flattened onto white
    bool takesQuality;      // only JPG takes the quality slider; the others get -1
    int largestSide;        // the largest square the container holds, 0 for any
    bool powerOfTwoAbove16; // ICNS entries past 16 pixels come in powers of two only
};

// In the order of the icon format combo box; the Graphics page offers the first four. Append-only:
// project files store the index.
inline constexpr ImageFormat imageFormats[] = {
    {"PNG", "png", "PNG Image (*.png)", true, false, 0, false},
    {"JPG", "jpg", "JPG Image (*.jpg *.jpeg)", false, true, 0, false},
    {"BMP", "bmp", "BMP Image (*.bmp)", false, false, 0, false},
    {"TIFF", "tiff", "TIFF Image (*.tiff *.tif)", true, false, 0, false},
    {"ICO", "ico", "ICO Image (*.ico)", true, false, 256, false},
    {"ICNS", "icns", "ICNS Image (*.icns)", true, false, 1024, true},
};
inline constexpr int iconFormatCount = int(std::size(imageFormats));
inline constexpr int graphicFormatCount = 4;

// The format at a combo box index, null outside the `count` formats the box offers.
const ImageFormat* formatAt(int index, int count = iconFormatCount);
// The format of a writer's format name ("PNG" ... "ICNS", any case), null for any other.
const ImageFormat* formatNamed(const char* name);
// The format a file name's extension names (jpeg and tif too), PNG for any other.
const ImageFormat& formatForPath(const QString& path);
// Why the format's container cannot hold a picture of `size` ("ICO holds at most 256 x 256
// pixels"); empty when it can.
Problem cannotHold(const ImageFormat& format, QSize size);

// `image` encoded in `format` (a format without alpha gets it flattened onto white first), or
// empty bytes with the problem in `why`: the encoded image must read back at `expected` size. Safe to
// call from several threads at once.
QByteArray encodeImageFile(const QImage& image, const ImageFormat& format, int quality, QSize expected,
                           Problem* why);

// Encodes `image` as encodeImageFile() does and writes it to `path` with Files::write, so a
// failure leaves what was at `path` before; the result says why a file was not written.
Files::Result writeImageFile(const QString& path, const QImage& image, const ImageFormat& format, int quality,
                             QSize expected, const Files::WriteOptions& options = Files::WriteOptions());

} // namespace Export
