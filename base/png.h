#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

class QIODevice;

// PNG for the images the program makes and the artwork it carries, on libdeflate (whole-buffer
// deflate, a few times faster than zlib at a smaller size): what the toolkit's PNG writer and
// reader would give, pixel for pixel, in a fraction of the time.
namespace Png {

// The density every image the program writes declares, 96 dpi: the same on every machine, whatever
// the screen the image was made under says. Apple's layered icon document reads density as size
// and wants its layers at 72 dpi.
constexpr int standardDotsPerMeter = 3780;
constexpr int appleLayerDotsPerMeter = 2835;

// Whether every pixel of a 32-bit image is grey (premultiplied or not: grey stays grey).
bool allGrey(const QImage& image);

// Appends a chunk of `type` and `body` to a PNG file being made: its length, type, body and CRC.
void appendChunk(QByteArray& out, const char* type, const QByteArray& body);

// `image` declaring `dotsPerMeter` (a copy only when it declared another density).
QImage withDensity(const QImage& image, int dotsPerMeter = standardDotsPerMeter);

// How hard encode() packs: as tightly as it can (the release icons), or, for the small and medium
// images, in a fraction of the time for a file a few per cent larger (a build variant's icons,
// which never go to a store).
enum class Effort { Smallest, Quick };

// `image` as a PNG: 8 bits a channel, RGBA when it has an alpha channel (unpremultiplied as the
// toolkit's writer does), RGB when not, and with `grey`, grey and alpha or grey when every pixel
// is grey; `dotsPerMeter` as its density in a pHYs chunk; with `srgb`, tagged as sRGB (an sRGB chunk
// and its gAMA fallback). Empty for an image of another format (16 bits a channel, indexed, grey),
// which the caller then gives to the toolkit's writer (after withDensity()).
QByteArray encode(const QImage& image, bool srgb = false, bool grey = false,
                  int dotsPerMeter = standardDotsPerMeter, Effort effort = Effort::Smallest);

// A PNG made by encode() declaring `dotsPerMeter` instead: its pHYs chunk rewritten, the rest
// as it is. Unchanged when it has no pHYs chunk.
QByteArray withDensity(const QByteArray& png, int dotsPerMeter);

// The size a PNG's header declares; invalid when the bytes do not start with a PNG header.
QSize headerSize(const QByteArray& png);

// Decodes a PNG held in memory: non-interlaced, 8 bits a channel, grey, grey and alpha, RGB, RGBA
// or a palette with its alphas (what the artwork holds), into premultiplied ARGB32 (RGB32 without
// alpha): the pixels the toolkit's reader and its conversion give. Null for anything else and for
// anything out of the ordinary (a wrong CRC, a chunk libpng would only warn of), which the caller
// then gives to the toolkit's reader.
QImage decode(const uchar* data, qsizetype size);

// Reads a PNG from a device a row at a time, each as 8-bit RGBA (not premultiplied): exactly the
// bytes libpng gives with its expand, scale-16, grey-to-RGB and filler transformations, for every
// colour type and bit depth, inflated by ISA-L (several times faster than zlib, which is most of
// the time a very large picture takes). Non-interlaced pictures only. It accepts and refuses what
// libpng does: chunk lengths are bounded before anything is read, every critical chunk's CRC is
// checked, and the file is read to its end.
class RowReader
{
  public:
    explicit RowReader(QIODevice& device);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Whether the header was read whole and sound, and the picture is one this reader reads.
    bool isValid() const;
    QSize size() const;
    // The next row into `rgba` (four bytes a pixel). False when the data is damaged or ends before
    // the row, and for every row after that; the last row is false too when what follows the rows
    // to the end of the file is damaged.
    bool readRow(uchar* rgba);

    // The same in two steps, so that they may run on two threads: the next row as the file holds
    // it, its filter type byte first, inflated into `row` (rawRowBytes() + 1 bytes) and unfiltered
    // there against `above`, the row read before it (its bytes after the type byte; null for the
    // first row), which must still hold (false as readRow() is); then a row so read (row + 1) as
    // RGBA. The conversion may run while the next rows are read.
    int rawRowBytes() const;
    bool readRawRowInPlace(uchar* row, const uchar* above);
    void convertRow(const uchar* raw, uchar* rgba) const;

  private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Png
