#include "base/png.h"

#include "base/memory.h"
#include "base/pngchunks.h"

#include <QIODevice>
#include <QtEndian>

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The two decoders: the row reader, for very large pictures read a row at a time (libpng's bytes,
// inflated by ISA-L), and the whole-file decoder, for the artwork.
namespace Png {

namespace {

#ifdef __SSE2__
inline __m128i load(const uchar* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

#ifdef GLYPHWRIGHT_AVX2
#endif

// libpng's scale-16, hi + ((lo - hi + 128) * 65535 >> 24): the 16-bit sample hi:lo to 8 bits,
// rounded. The shifted term is 1 when lo - hi > 128, -1 when lo - hi < -128, else 0; written so,
// the compiler turns the loops below into vector code.
inline uchar scaled16(int hi, int lo)
{
    const int d = lo - hi;
    return uchar(hi + (d > 128) - (d < -128));
}

// `count` big-endian 16-bit samples from `s` to 8 bits each in `out`, as scaled16() does, sixteen
// at a time where the processor can.
void scaled16Samples(const uchar* s, uchar* out, int count)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i low = _mm_set1_epi16(0xff), above = _mm_set1_epi16(128), below = _mm_set1_epi16(-128);
    // Each 16-bit lane holds a sample's high byte in its low half.
    const auto eight = [&](__m128i v) {
        const __m128i hi = _mm_and_si128(v, low), d = _mm_sub_epi16(_mm_srli_epi16(v, 8), hi);
        return _mm_add_epi16(_mm_sub_epi16(hi, _mm_cmpgt_epi16(d, above)), _mm_cmpgt_epi16(below, d));
    };
    for (; i + 16 <= count; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_packus_epi16(eight(load(s + 2 * i)), eight(load(s + 2 * i + 16))));
#endif
    for (; i < count; ++i)
        out[i] = scaled16(s[2 * i], s[2 * i + 1]);
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

struct RowReader::Private
{
    explicit Private(QIODevice& d) : chunks(d) {}

    Header header;
    Transparency t;
    int w = 0, h = 0, depth = 0, colourType = 0;
    int bpp = 0;      // bytes a complete pixel takes (at least 1), for the filters
    int rowBytes = 0; // a row's bytes after its filter type byte
    bool valid = false, failed = false;
    int rowsRead = 0;
    std::vector<uchar> previous, current; // filter type byte and row
    inflate_state inflater;
    // Compressed data is inflated in pieces of libpng's size, so that the stream's end is judged on
    // the same pieces as libpng judges it.
    static constexpr quint32 pieceSize = 8192;
    ChunkReader chunks;
    uchar zlibHeader[2];
    int zlibHeaderSeen = 0;

    // The next chunk's length and type, bounded as libpng bounds them.
    bool chunkHeader(quint32* length, uchar type[4])
    {
        return chunks.next(length, type) && *length <= header.chunkLimit(isType(type, "IDAT"));
    }

    // A chunk's data skipped, its CRC checked when the chunk is critical.
    bool skipChunk(const uchar type[4], quint32 length)
    {
        return chunks.skip(type, length, isCritical(type));
    }

    bool readHeader()
    {
        quint32 length = 0;
        uchar type[4];
        const uchar* body = nullptr;
        bool sound = false;
        if (!chunks.signature() || !chunkHeader(&length, type) || !isType(type, "IHDR") || length != 13 ||
            !chunks.body(type, length, &body, &sound) || !sound || !header.read(body) || header.interlace)
            return false;
        w = header.w;
        h = header.h;
        depth = header.depth;
        colourType = header.colourType;
        bpp = std::max(1, header.channels * depth / 8);
        rowBytes = int((qint64(w) * header.channels * depth + 7) / 8);

        // The chunks before the data: a palette is needed for a palette picture and ignored by
        // the others; an unknown critical chunk is an error.
        for (;;) {
            if (!chunkHeader(&length, type))
                return false;
            if (isType(type, "IDAT")) {
                chunks.begin(type, length);
                break;
            }
            const Transparency::Verdict palette =
                isType(type, "PLTE") ? t.judgePalette(header, length) : Transparency::Verdict::Skip;
            if (palette == Transparency::Verdict::Refuse)
                return false;
            if (palette == Transparency::Verdict::Read) {
                if (!chunks.body(type, length, &body, &sound) || !sound)
                    return false;
                t.takePalette(header, body, length);
            } else if (isType(type, "tRNS") && length <= 256) {
                if (!chunks.body(type, length, &body, &sound))
                    return false;
                if (sound)
                    t.takeAlphas(header, body, length);
            } else if (isType(type, "IHDR") || isType(type, "IEND") ||
                       (isCritical(type) && !isType(type, "PLTE")) || !skipChunk(type, length)) {
                return false;
            }
        }
        if (colourType == 3 && !t.hasPalette)
            return false;
        previous.assign(size_t(rowBytes) + 1, 0);
        current.assign(size_t(rowBytes) + 1, 0);
        isal_inflate_init(&inflater);
        inflater.crc_flag = ISAL_ZLIB;
        inflater.avail_in = 0;
        return true;
    }

    // More of the compressed data, from the current IDAT chunk or the next: false when the data
    // is damaged or ends (libpng's "Not enough image data").
    bool feed()
    {
        while (chunks.left() == 0) {
            quint32 length = 0;
            uchar type[4];
            if (!chunks.end() || !chunkHeader(&length, type) || !isType(type, "IDAT"))
                return false;
            chunks.begin(type, length);
        }
        const uchar* piece = nullptr;
        const quint32 n = std::min(chunks.left(), pieceSize);
        if (chunks.piece(n, &piece) != n)
            return false;
        // zlib's own checks of the stream's header, which libpng relies on: deflate, a window of
        // at most 32 KiB, no preset dictionary and a sound check value.
        for (quint32 i = 0; i < n && zlibHeaderSeen < 2; ++i)
            zlibHeader[zlibHeaderSeen++] = piece[i];
        if (zlibHeaderSeen == 2 && n > 0 && (zlibHeader[0] & 0x0f) == 8 && (zlibHeader[0] >> 4) <= 7 &&
            !(zlibHeader[1] & 0x20) && (zlibHeader[0] << 8 | zlibHeader[1]) % 31 == 0)
            zlibHeaderSeen = 3;
        if (zlibHeaderSeen == 2)
            return false;
        inflater.next_in = const_cast<uchar*>(piece); // read, never written
        inflater.avail_in = n;
        return true;
    }

    bool inflateRow(uchar* into)
    {
        inflater.next_out = into;
        inflater.avail_out = quint32(rowBytes) + 1;
        for (;;) {
            if (isal_inflate(&inflater) < 0)
                return false;
            if (inflater.avail_out == 0)
                return true;
            if (inflater.block_state == ISAL_BLOCK_FINISH || (inflater.avail_in == 0 && !feed()))
                return false;
        }
    }

    // After the last row, what libpng reads to the end of the file: the rest of the compressed
    // stream, then the CRC of the last IDAT chunk and the chunks up to IEND (a critical one must be
    // known and sound). libpng's check of the stream's end is lenient: it stops at the first
    // piece that gives no more rows' worth of data, and a damaged end or data past the rows is
    // only warned of; a stream that runs on past the last IDAT chunk is an error.
    bool finish()
    {
        uchar spare[256];
        // Inflates into `spare`: false on an error (which ends the check), `*gave` whether data came.
        auto inflate = [&](bool* gave) {
            inflater.next_out = spare;
            inflater.avail_out = sizeof spare;
            const bool sound = isal_inflate(&inflater) >= 0;
            *gave = inflater.avail_out < sizeof spare;
            return sound;
        };
        auto finished = [&] { return inflater.block_state == ISAL_BLOCK_FINISH; };
        // The first look is at what is left of the piece the last row came from (and what the
        // inflater holds of it), or else at the next piece; the check goes on only while data
        // keeps coming (data past the rows), to the stream's end.
        bool gave = false;
        if (!finished()) {
            const bool leftOver = inflater.avail_in > 0;
            bool sound = inflate(&gave);
            if (sound && !gave && !leftOver && !finished()) {
                if (!feed())
                    return false;
                sound = inflate(&gave);
            }
            while (sound && gave && !finished()) {
                const quint32 before = inflater.avail_in;
                sound = inflate(&gave);
                if (!sound || gave || finished())
                    continue;
                if (inflater.avail_in == 0) {
                    if (!feed())
                        return false;
                    gave = true;
                } else {
                    gave = inflater.avail_in < before; // input taken, no data yet
                }
            }
        }
        // The rest of the current IDAT chunk is skipped, its CRC checked.
        const uchar* rest = nullptr;
        while (chunks.left() > 0)
            if (chunks.piece(pieceSize, &rest) == 0)
                return false;
        quint32 length = 0;
        uchar type[4];
        if (!chunks.end() || !chunkHeader(&length, type))
            return false;
        for (;;) {
            if (isType(type, "IEND"))
                return skipChunk(type, length);
            if (isType(type, "IHDR") || (isType(type, "PLTE") && t.seenPalette) ||
                (isCritical(type) && !isType(type, "IDAT") && !isType(type, "PLTE")))
                return false;
            if (!skipChunk(type, length) || !chunkHeader(&length, type))
                return false;
        }
    }

    // An unfiltered row `s` as 8-bit RGBA.
    void convert(const uchar* s, uchar* out) const
    {
        if (depth < 8) {
            const int mask = (1 << depth) - 1;
            for (int x = 0; x < w; ++x, out += 4) {
                const int bit = x * depth;
                const int v = (s[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
                if (colourType == 3) {
                    std::memcpy(out, &t.palette[4 * v], 4);
                } else {
                    out[0] = out[1] = out[2] = uchar(v * (255 / mask));
                    out[3] = t.hasKey && v == (t.key[0] & mask) ? 0 : 0xff;
                }
            }
            return;
        }
        const int k0 = t.key[0], k1 = t.key[1], k2 = t.key[2];
        switch (colourType * 100 + depth) {
        case 8: // grey
            for (int x = 0; x < w; ++x, out += 4) {
                out[0] = out[1] = out[2] = s[x];
                out[3] = t.hasKey && s[x] == (k0 & 0xff) ? 0 : 0xff;
            }
            break;
        case 16:
            for (int x = 0; x < w; ++x, out += 4, s += 2) {
                out[0] = out[1] = out[2] = scaled16(s[0], s[1]);
                out[3] = t.hasKey && (s[0] << 8 | s[1]) == k0 ? 0 : 0xff;
            }
            break;
        case 208: // RGB
            for (int x = 0; x < w; ++x, out += 4, s += 3) {
                out[0] = s[0];
                out[1] = s[1];
                out[2] = s[2];
                out[3] =
                    t.hasKey && s[0] == (k0 & 0xff) && s[1] == (k1 & 0xff) && s[2] == (k2 & 0xff) ? 0 : 0xff;
            }
            break;
        case 216:
            for (int x = 0; x < w; ++x, out += 4, s += 6) {
                out[0] = scaled16(s[0], s[1]);
                out[1] = scaled16(s[2], s[3]);
                out[2] = scaled16(s[4], s[5]);
                out[3] = t.hasKey && (s[0] << 8 | s[1]) == k0 && (s[2] << 8 | s[3]) == k1 &&
                                 (s[4] << 8 | s[5]) == k2
                             ? 0
                             : 0xff;
            }
            break;
        case 308: // palette
            for (int x = 0; x < w; ++x, out += 4)
                std::memcpy(out, &t.palette[4 * s[x]], 4);
            break;
        case 408: // grey and alpha
            for (int x = 0; x < w; ++x, out += 4, s += 2) {
                out[0] = out[1] = out[2] = s[0];
                out[3] = s[1];
            }
            break;
        case 416:
            for (int x = 0; x < w; ++x, out += 4, s += 4) {
                out[0] = out[1] = out[2] = scaled16(s[0], s[1]);
                out[3] = scaled16(s[2], s[3]);
            }
            break;
        case 608: // RGBA
            std::memcpy(out, s, size_t(w) * 4);
            break;
        default: // RGBA, 16 bits
            scaled16Samples(s, out, 4 * w);
            break;
        }
    }
};

RowReader::RowReader(QIODevice& device) : d(std::make_unique<Private>(device))
{
    d->valid = d->readHeader();
}

RowReader::~RowReader() = default;

bool RowReader::isValid() const
{
    return d->valid;
}

QSize RowReader::size() const
{
    return d->valid ? QSize(d->w, d->h) : QSize();
}

bool RowReader::readRow(uchar* rgba)
{
    if (!readRawRowInPlace(d->current.data(), d->previous.data() + 1))
        return false;
    d->convert(d->current.data() + 1, rgba);
    std::swap(d->previous, d->current);
    return true;
}

int RowReader::rawRowBytes() const
{
    return d->rowBytes;
}

bool RowReader::readRawRowInPlace(uchar* row, const uchar* above)
{
    if (!d->valid || d->failed || d->rowsRead >= d->h)
        return false;
    if (!d->inflateRow(row) || !unfilter(row + 1, d->rowsRead ? above : nullptr, d->rowBytes, d->bpp) ||
        (++d->rowsRead == d->h && !d->finish())) {
        d->failed = true;
        return false;
    }
    return true;
}

void RowReader::convertRow(const uchar* raw, uchar* rgba) const
{
    d->convert(raw, rgba);
}

namespace {

// A PNG file as the whole-file decoder takes it: its header, palette and compressed data.
struct PlainFile
{
    Header header;
    Transparency t;
    QByteArray zlib;
};

// Walks the chunks of a file held in memory; false for anything out of the ordinary (a CRC that
// does not match, image data in pieces, a chunk libpng would warn of), which is left to the
// toolkit's reader, which judges it as libpng does.
bool readPlainFile(const uchar* data, qsizetype size, PlainFile* file)
{
    Header& header = file->header;
    Transparency& t = file->t;
    ChunkReader chunks(data, size);
    if (!chunks.signature())
        return false;
    bool first = true, seenData = false, dataEnded = false;
    quint32 length = 0;
    uchar type[4];
    while (chunks.next(&length, type)) {
        const uchar* body = nullptr;
        bool sound = false;
        if (!chunks.body(type, length, &body, &sound) || !sound || first != isType(type, "IHDR"))
            return false;
        if (seenData && !isType(type, "IDAT"))
            dataEnded = true;
        if (first) {
            if (length != 13 || !header.read(body) || header.depth != 8 || header.interlace != 0 ||
                header.w > 16384 || header.h > 16384)
                return false;
            first = false;
        } else if (isType(type, "IDAT")) {
            if (dataEnded)
                return false;
            seenData = true;
            file->zlib.append(reinterpret_cast<const char*>(body), int(length));
        } else if (isType(type, "PLTE")) {
            if (seenData || t.judgePalette(header, length) != Transparency::Verdict::Read)
                return false;
            t.takePalette(header, body, length);
        } else if (isType(type, "tRNS")) {
            // A palette's alphas; a single transparent colour is left to the toolkit.
            if (seenData || header.colourType != 3 || !t.hasPalette || t.hasAlphas || length == 0 ||
                int(length) > t.entries)
                return false;
            t.takeAlphas(header, body, length);
        } else if (isType(type, "IEND")) {
            return seenData && length == 0 && header.channels > 0 && !file->zlib.isEmpty() &&
                   (header.colourType != 3 || t.hasPalette);
        } else if (isCritical(type)) {
            return false;
        }
    }
    return false;
}

// An unfiltered row of `channels` 8-bit samples (or palette indexes) as premultiplied pixels;
// false for an index past the palette (left to the toolkit, as anything unusual is).
bool premultipliedRow(const uchar* row, int w, int channels, bool indexed, const QRgb* palette, int entries,
                      QRgb* line)
{
    if (indexed) {
        for (int x = 0; x < w; ++x) {
            if (row[x] >= entries)
                return false;
            line[x] = palette[row[x]];
        }
        return true;
    }
    switch (channels) {
    case 1:
        toPixels<1>(row, line, w);
        return true;
    case 3:
        toPixels<3>(row, line, w);
        return true;
    case 2:
        toPixels<2>(row, line, w);
        break;
    default:
        toPixels<4>(row, line, w);
        break;
    }
    for (int x = 0; x < w; ++x)
        line[x] = qPremultiply(line[x]);
    return true;
}

} // namespace

QImage decode(const uchar* data, qsizetype size)
{
    PlainFile file;
    if (!readPlainFile(data, size, &file))
        return QImage();
    const int w = file.header.w, h = file.header.h, channels = file.header.channels;
    const bool indexed = file.header.colourType == 3;
    const int length = w * channels;
    const size_t rawSize = size_t(h) * size_t(1 + length);
    uchar* raw = Memory::scratch(Memory::Scratch::InflatedRows, rawSize);
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!raw || !decompressor ||
        libdeflate_zlib_decompress(decompressor.get(), file.zlib.constData(), size_t(file.zlib.size()), raw,
                                   rawSize, nullptr) != LIBDEFLATE_SUCCESS)
        return QImage();

    // Straight into premultiplied pixels (qPremultiply, as the toolkit's conversion does): the one
    // image the artwork is kept as.
    const bool alpha = channels == 2 || channels == 4 || indexed;
    QImage out(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (out.isNull())
        return QImage();
    QRgb palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = qPremultiply(qRgba(file.t.palette[4 * i], file.t.palette[4 * i + 1],
                                        file.t.palette[4 * i + 2], file.t.palette[4 * i + 3]));
    for (int y = 0; y < h; ++y) {
        uchar* row = &raw[size_t(y) * size_t(1 + length) + 1];
        if (!unfilter(row, y ? row - (1 + length) : nullptr, length, channels) ||
            !premultipliedRow(row, w, channels, indexed, palette, file.t.entries,
                              reinterpret_cast<QRgb*>(out.scanLine(y))))
            return QImage();
    }
    return out;
}

} // namespace Png
