#include "base/png.h"

#include "base/memory.h"

#include <QtEndian>

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace Png {

namespace {

// libdeflate's level 7 makes files about the size zlib's default level makes (the toolkit's): from
// a tenth smaller to a few per cent larger, smooth gradients alike, in a fraction of its time.
constexpr int compressionLevel = 7;
// The most pixels of an image left to the toolkit's writer.
constexpr qint64 smallImage = 128 * 128;

const uchar signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

void appendChunk(QByteArray& out, const char* type, const QByteArray& body)
{
    uchar length[4];
    qToBigEndian(quint32(body.size()), length);
    out.append(reinterpret_cast<const char*>(length), 4);
    const int start = out.size();
    out.append(type, 4);
    out.append(body);
    uchar crc[4];
    qToBigEndian(quint32(libdeflate_crc32(0, out.constData() + start, size_t(out.size() - start))), crc);
    out.append(reinterpret_cast<const char*>(crc), 4);
}

QByteArray bigEndian(std::initializer_list<quint32> words)
{
    QByteArray bytes;
    for (quint32 w : words) {
        uchar b[4];
        qToBigEndian(w, b);
        bytes.append(reinterpret_cast<const char*>(b), 4);
    }
    return bytes;
}

inline uchar paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uchar(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Sum of the bytes read as signed: how well a filtered row will compress (libpng's heuristic).
inline unsigned cost(const uchar* bytes, int n)
{
    unsigned sum = 0;
    for (int i = 0; i < n; ++i)
        sum += unsigned(std::abs(int(qint8(bytes[i]))));
    return sum;
}

// The row's bytes under each of the five filters, the one whose bytes cost the least written to
// `out` after its type byte. `trial` holds room for one row.
void filterRow(const uchar* row, const uchar* above, int length, int bpp, uchar* out, uchar* trial)
{
    uchar* best = out + 1;
    std::memcpy(best, row, size_t(length));
    unsigned lowest = cost(row, length);
    out[0] = 0;
    auto consider = [&](uchar type) {
        const unsigned sum = cost(trial, length);
        if (sum < lowest) {
            lowest = sum;
            out[0] = type;
            std::memcpy(best, trial, size_t(length));
        }
    };
    // Sub
    for (int i = 0; i < bpp; ++i)
        trial[i] = row[i];
    for (int i = bpp; i < length; ++i)
        trial[i] = uchar(row[i] - row[i - bpp]);
    consider(1);
    if (!above)
        return; // up, average and Paeth of the first row are none and sub again
    // Up
    for (int i = 0; i < length; ++i)
        trial[i] = uchar(row[i] - above[i]);
    consider(2);
    // Average
    for (int i = 0; i < bpp; ++i)
        trial[i] = uchar(row[i] - above[i] / 2);
    for (int i = bpp; i < length; ++i)
        trial[i] = uchar(row[i] - (row[i - bpp] + above[i]) / 2);
    consider(3);
    // Paeth
    for (int i = 0; i < bpp; ++i)
        trial[i] = uchar(row[i] - above[i]);
    for (int i = bpp; i < length; ++i)
        trial[i] = uchar(row[i] - paeth(row[i - bpp], above[i], above[i - bpp]));
    consider(4);
}

// A row of decoded samples as pixels.
template <int channels> void toPixels(const uchar* p, QRgb* line, int w)
{
    for (int x = 0; x < w; ++x, p += channels) {
        if (channels == 1)
            line[x] = qRgb(p[0], p[0], p[0]);
        else if (channels == 2)
            line[x] = qRgba(p[0], p[0], p[0], p[1]);
        else if (channels == 3)
            line[x] = qRgb(p[0], p[1], p[2]);
        else
            line[x] = qRgba(p[0], p[1], p[2], p[3]);
    }
}

} // namespace

QByteArray encode(const QImage& image, bool srgb)
{
    const QImage::Format format = image.format();
    if (image.isNull() || (format != QImage::Format_ARGB32 && format != QImage::Format_ARGB32_Premultiplied &&
                           format != QImage::Format_RGB32))
        return QByteArray();
    // Small images take zlib next to no time, and it packs them a little tighter: left to the
    // toolkit's writer.
    if (qint64(image.width()) * image.height() <= smallImage)
        return QByteArray();
    const bool alpha = image.hasAlphaChannel();
    const QImage& source = image;
    const bool premultiplied = format == QImage::Format_ARGB32_Premultiplied;
    const int w = source.width(), h = source.height(), bpp = alpha ? 4 : 3, length = w * bpp;

    // The rows in PNG's byte order, each filtered behind its filter type byte. The buffers stay
    // with the thread: fresh memory costs a page fault a page, a large part of the work here.
    thread_local std::vector<uchar> previous, current, trial;
    const size_t rawSize = size_t(h) * size_t(1 + length);
    uchar* raw = Memory::scratch(0, rawSize);
    if (!raw)
        return QByteArray();
    previous.resize(size_t(length));
    current.resize(size_t(length));
    trial.resize(size_t(length));
    // Premultiplied pixels are unpremultiplied by the toolkit's own conversion (the toolkit's writer
    // converts them so), a band of rows at a time.
    constexpr int band = 16;
    QImage rows;
    for (int y = 0; y < h; ++y) {
        if (y % band == 0) {
            const QImage wrapped(source.constScanLine(y), w, std::min(band, h - y), source.bytesPerLine(),
                                 format);
            rows = premultiplied ? wrapped.convertToFormat(QImage::Format_ARGB32) : wrapped;
        }
        const QRgb* line = reinterpret_cast<const QRgb*>(rows.constScanLine(y % band));
        uchar* p = current.data();
        for (int x = 0; x < w; ++x) {
            const QRgb pixel = line[x];
            *p++ = uchar(qRed(pixel));
            *p++ = uchar(qGreen(pixel));
            *p++ = uchar(qBlue(pixel));
            if (alpha)
                *p++ = uchar(qAlpha(pixel));
        }
        filterRow(current.data(), y ? previous.data() : nullptr, length, bpp,
                  &raw[size_t(y) * size_t(1 + length)], trial.data());
        std::swap(previous, current);
    }

    // The compressor's tables are large too: one a thread, kept.
    thread_local std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        nullptr, libdeflate_free_compressor);
    if (!compressor)
        compressor.reset(libdeflate_alloc_compressor(compressionLevel));
    if (!compressor)
        return QByteArray();
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), rawSize);
    uchar* deflated = Memory::scratch(1, bound);
    const size_t size =
        deflated ? libdeflate_zlib_compress(compressor.get(), raw, rawSize, deflated, bound) : 0;
    if (size == 0)
        return QByteArray();

    QByteArray out(reinterpret_cast<const char*>(signature), 8);
    QByteArray header = bigEndian({quint32(w), quint32(h)});
    header.append(char(8)).append(char(alpha ? 6 : 2)).append(char(0)).append(char(0)).append(char(0));
    appendChunk(out, "IHDR", header);
    if (srgb) {
        appendChunk(out, "sRGB", QByteArray(1, 0));
        appendChunk(out, "gAMA", bigEndian({45455}));
    }
    if (source.dotsPerMeterX() > 0 || source.dotsPerMeterY() > 0)
        appendChunk(out, "pHYs",
                    bigEndian({quint32(source.dotsPerMeterX()), quint32(source.dotsPerMeterY())}) +
                        QByteArray(1, 1));
    appendChunk(out, "IDAT", QByteArray::fromRawData(reinterpret_cast<const char*>(deflated), int(size)));
    appendChunk(out, "IEND", QByteArray());
    return out;
}

QImage decode(const uchar* data, qsizetype size)
{
    if (size < 8 + 25 || std::memcmp(data, signature, 8) != 0)
        return QImage();
    int w = 0, h = 0, channels = 0;
    bool indexed = false;
    QRgb palette[256];
    std::fill(std::begin(palette), std::end(palette), qRgba(0, 0, 0, 255));
    QByteArray zlib;
    for (qsizetype at = 8; at + 12 <= size;) {
        const quint32 length = qFromBigEndian<quint32>(data + at);
        const uchar* type = data + at + 4;
        const uchar* body = data + at + 8;
        if (length > quint32(size - at - 12))
            return QImage();
        if (std::memcmp(type, "IHDR", 4) == 0) {
            w = int(qFromBigEndian<quint32>(body));
            h = int(qFromBigEndian<quint32>(body + 4));
            const int depth = body[8], colourType = body[9], interlace = body[12];
            channels = colourType == 0 || colourType == 3 ? 1
                       : colourType == 4                  ? 2
                       : colourType == 2                  ? 3
                       : colourType == 6                  ? 4
                                                          : 0;
            indexed = colourType == 3;
            if (depth != 8 || interlace != 0 || channels == 0 || w <= 0 || h <= 0 || w > 16384 || h > 16384)
                return QImage();
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            zlib.append(reinterpret_cast<const char*>(body), int(length));
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            for (quint32 i = 0; i < std::min<quint32>(length / 3, 256); ++i)
                palette[i] = qRgb(body[3 * i], body[3 * i + 1], body[3 * i + 2]);
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            // A palette's alphas; a single transparent colour of the other types is left to the
            // toolkit.
            if (!indexed)
                return QImage();
            for (quint32 i = 0; i < std::min<quint32>(length, 256); ++i)
                palette[i] = (palette[i] & 0x00ffffffu) | (QRgb(body[i]) << 24);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at += 12 + qsizetype(length);
    }
    if (channels == 0 || zlib.isEmpty())
        return QImage();
    const int length = w * channels;
    const size_t rawSize = size_t(h) * size_t(1 + length);
    uchar* raw = Memory::scratch(2, rawSize);
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!raw || !decompressor ||
        libdeflate_zlib_decompress(decompressor.get(), zlib.constData(), size_t(zlib.size()), raw, rawSize,
                                   nullptr) != LIBDEFLATE_SUCCESS)
        return QImage();

    // Straight into premultiplied pixels (qPremultiply, as the toolkit's conversion does): the one
    // image the artwork is kept as.
    const bool alpha = channels == 2 || channels == 4 || indexed;
    QImage out =
        Memory::image(QSize(w, h), alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (indexed)
        for (QRgb& entry : palette)
            entry = qPremultiply(entry);
    if (out.isNull())
        return QImage();
    const int bpp = channels;
    for (int y = 0; y < h; ++y) {
        uchar* row = &raw[size_t(y) * size_t(1 + length) + 1];
        const uchar* above = y ? row - (1 + length) : nullptr;
        switch (row[-1]) {
        case 0:
            break;
        case 1:
            for (int i = bpp; i < length; ++i)
                row[i] = uchar(row[i] + row[i - bpp]);
            break;
        case 2:
            if (above)
                for (int i = 0; i < length; ++i)
                    row[i] = uchar(row[i] + above[i]);
            break;
        case 3:
            for (int i = 0; i < length; ++i)
                row[i] = uchar(row[i] + ((i >= bpp ? row[i - bpp] : 0) + (above ? above[i] : 0)) / 2);
            break;
        case 4:
            for (int i = 0; i < length; ++i) {
                const int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0,
                          c = above && i >= bpp ? above[i - bpp] : 0;
                row[i] = uchar(row[i] + paeth(a, b, c));
            }
            break;
        default:
            return QImage();
        }
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (indexed) {
            for (int x = 0; x < w; ++x)
                line[x] = palette[row[x]];
            continue;
        }
        switch (channels) {
        case 1:
            toPixels<1>(row, line, w);
            break;
        case 2:
            toPixels<2>(row, line, w);
            break;
        case 3:
            toPixels<3>(row, line, w);
            break;
        default:
            toPixels<4>(row, line, w);
            break;
        }
        if (alpha && !indexed)
            for (int x = 0; x < w; ++x)
                line[x] = qPremultiply(line[x]);
    }
    return out;
}

} // namespace Png
