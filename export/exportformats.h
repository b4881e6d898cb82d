#pragma once

#include "export/fileio.h"

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// Formats, size tables and file naming of the two exports, and the safe image writer they share.
namespace Export {

struct Format
{
    const char* name;      // format name handed to the image writer, also the combo box entry
    const char* extension; // icon set file extension
    const char* filter;    // save dialog filter of the graphic export
    bool usesQuality;      // only JPG takes the quality slider; the others get -1
    bool keepsAlpha;       // JPG and BMP have no alpha: transparency is flattened onto white
};
// comboIconFormat order: PNG, JPG, BMP, TIFF, ICO, ICNS. comboGraphicsFormat uses the first four.
constexpr int iconFormatCount = 6;
constexpr int graphicFormatCount = 4;
extern const Format formats[iconFormatCount];

struct SizeOption
{
    int size;
    const char* control; // check box (icon sets) or radio button (graphic sizes)
};
extern const SizeOption androidSizes[6];
extern const SizeOption iosSizes[12];
extern const SizeOption graphicSizes[9]; // the custom size radio comes after these

// "dd-MM-yyyy hh-mm-ss" of a moment, local time, hours 00 to 23.
QString timeStamp(const QDateTime& moment);
// folder + "/Icon" + size + " " + stamp + "." + extension; an empty stamp leaves out " " + stamp.
QString iconFileName(const QString& folder, int size, const QString& stamp, const QString& extension);
// The text before the last `separator`; the whole text when it holds none.
QString folderOf(const QString& path, QChar separator);

// The format entry of a writer's format name ("PNG" ... "ICNS"), null for any other.
const Format* formatNamed(const char* name);

// Encodes `image` in `format` and writes it to `path` with Files::write, so a failure leaves what
// was at `path` before. A format without alpha gets the image flattened onto white first. The
// file counts as written only when the encoded image reads back at `expected` size (some writers
// silently resize); the result says why a file was not written.
Files::Result writeImageFile(const QString& path, const QPixmap& image, const char* format, int quality,
                             QSize expected);
// The same for an image; safe to call from several threads at once.
Files::Result writeImageFile(const QString& path, const QImage& image, const char* format, int quality,
                             QSize expected);

} // namespace Export

// Loads the user's own picture: a regular file holding a PNG, JPEG, BMP or TIFF image (judged by
// its content, whatever its name says) of at most 16384 pixels on a side and 100 megapixels.
// Anything else gives a null image, and an image too big is refused before its pixels are
// allocated.
QImage loadCustomPicture(const QString& path);
