#include "base/png.h"

#include "base/memory.h"
#include "base/pngchunks.h"

#include <QtEndian>

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define GLYPHWRIGHT_AVX2 1
#endif

namespace Png {

namespace {

// How hard the rows are deflated. Small and medium images (up to 340 x 340, the icons of a package)
// take libdeflate's near-optimal parsing (level 10), which packs them 4 to 8 % tighter than its
// greedy levels; but a flat colour gains nothing from it and packs tighter at level 3 or 7, so an
// image whose filtered bytes are nearly all zero is packed at both of those and the smaller kept.
// Large images take level 7, which packs smooth gradients half the size of level 3, or level 5
// where that packs them as tightly (photographs), judged on bands of their rows. At the quick effort
// small and medium images take level 7 too: in a fraction of the time, a few per cent larger.
constexpr qint64 mediumImage = 340 * 340;
constexpr int mediumLevel = 10, flatLevel = 3, largeLevel = 7, quickLevel = 5;
// The share of filtered bytes that are not zero under which an image is a flat colour.
constexpr double flatBusy = 0.002;

// libdeflate's compressor at `level` (its tables are large: one a level and thread, kept).
libdeflate_compressor* compressor(int level)
{
    struct Free
    {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    thread_local std::unique_ptr<libdeflate_compressor, Free> kept[13];
    if (!kept[level])
        kept[level].reset(libdeflate_alloc_compressor(level));
    return kept[level].get();
}

// `raw` deflated at `level` into scratch memory of `purpose`; 0 on failure.
size_t deflated(const uchar* raw, size_t rawSize, int level, Memory::Scratch purpose, uchar** out)
{
    libdeflate_compressor* c = compressor(level);
    if (!c)
        return 0;
    const size_t bound = libdeflate_zlib_compress_bound(c, rawSize);
    *out = Memory::scratch(purpose, bound);
    return *out ? libdeflate_zlib_compress(c, raw, rawSize, *out, bound) : 0;
}

// Whether the quick level packs the filtered rows within a per cent of the large level's size,
// judged on four bands of rows (a sixteenth of them) across the image.
bool quickLevelPacksAsWell(const uchar* raw, int rows, size_t rowBytes)
{
    const int band = std::max(1, rows / 64);
    size_t quick = 0, slow = 0;
    for (int b = 0; b < 4; ++b) {
        const uchar* start = raw + size_t((2 * b + 1) * rows / 8) * rowBytes;
        uchar* out = nullptr;
        quick += deflated(start, size_t(band) * rowBytes, quickLevel, Memory::Scratch::Trial, &out);
        slow += deflated(start, size_t(band) * rowBytes, largeLevel, Memory::Scratch::Trial, &out);
    }
    return quick > 0 && slow > 0 && quick * 100 <= slow * 101;
}

// The filtered rows of an image of `pixels` (`rows` of `rowBytes`, `busy` the share of their bytes
// that are not zero) deflated as tightly as the levels above make them, into scratch memory; 0 on
// failure.
size_t packed(const uchar* raw, size_t rawSize, qint64 pixels, int rows, double busy, Effort effort,
              uchar** out)
{
    if (pixels > mediumImage)
        return deflated(raw, rawSize,
                        quickLevelPacksAsWell(raw, rows, rawSize / size_t(rows)) ? quickLevel : largeLevel,
                        Memory::Scratch::Deflated, out);
    const bool flat = busy < flatBusy;
    size_t size = deflated(raw, rawSize, flat || effort == Effort::Quick ? largeLevel : mediumLevel,
                           Memory::Scratch::Deflated, out);
    if (flat) {
        uchar* other = nullptr;
        const size_t packedFlat = deflated(raw, rawSize, flatLevel, Memory::Scratch::Trial, &other);
        if (packedFlat > 0 && (size == 0 || packedFlat < size)) {
            size = packedFlat;
            *out = other;
        }
    }
    return size;
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

inline unsigned magnitude(int difference)
{
    return unsigned(std::abs(int(qint8(uchar(difference)))));
}

// The row's bytes under the filter whose bytes cost the least, written to `out` after its type
// byte; the cost of a row is the sum of its bytes read as signed (libpng's heuristic), and a tie
// goes to the earlier filter. The costs of all five are summed in one pass, the winner written in
// a second. Returns how many of the written bytes are not zero.
#ifdef __SSE2__
// The bytes of `d` read as signed, made positive (-128 gives 128, as an unsigned byte).
inline __m128i absSigned(__m128i d)
{
    const __m128i sign = _mm_cmpgt_epi8(_mm_setzero_si128(), d);
    return _mm_sub_epi8(_mm_xor_si128(d, sign), sign);
}

// Adds to `sum` the cost of the filtered bytes `x - prediction`.
inline void addCost(__m128i& sum, __m128i x, __m128i prediction)
{
    sum = _mm_add_epi64(sum, _mm_sad_epu8(absSigned(_mm_sub_epi8(x, prediction)), _mm_setzero_si128()));
}

inline unsigned total(__m128i sum)
{
    return unsigned(_mm_cvtsi128_si32(sum) + _mm_cvtsi128_si32(_mm_srli_si128(sum, 8)));
}

// Paeth's predictions for eight bytes widened to 16 bits.
inline __m128i paeth16(__m128i a, __m128i b, __m128i c)
{
    const __m128i zero = _mm_setzero_si128();
    const auto magnitude16 = [zero](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
    const __m128i pa = magnitude16(bc), pb = magnitude16(ac), pc = magnitude16(_mm_add_epi16(bc, ac));
    // a where pa <= pb and pa <= pc, else b where pb <= pc, else c.
    const __m128i takeA =
        _mm_andnot_si128(_mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
    const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
    const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
    return _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, bOrC));
}

// The average filter's predictions, (a + b) / 2 rounded down: the rounded-up average less the bit
// it rounded up by.
inline __m128i averagePrediction(__m128i a, __m128i b)
{
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// Paeth's predictions for sixteen bytes.
inline __m128i paethPrediction(__m128i a, __m128i b, __m128i c)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_packus_epi16(
        paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero)),
        paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero)));
}

inline __m128i load(const uchar* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

#ifdef GLYPHWRIGHT_AVX2
// The same sums thirty-two bytes at a time, on processors with AVX2 (chosen when the program runs):
// each helper is its 16-byte namesake widened, lane for lane.
namespace wide {

#define AVX2 __attribute__((target("avx2")))

AVX2 inline __m256i load(const uchar* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

AVX2 inline void addCost(__m256i& sum, __m256i x, __m256i prediction)
{
    const __m256i d = _mm256_sub_epi8(x, prediction);
    const __m256i sign = _mm256_cmpgt_epi8(_mm256_setzero_si256(), d);
    sum = _mm256_add_epi64(
        sum, _mm256_sad_epu8(_mm256_sub_epi8(_mm256_xor_si256(d, sign), sign), _mm256_setzero_si256()));
}

AVX2 inline unsigned total(__m256i sum)
{
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
    return unsigned(_mm_cvtsi128_si32(half) + _mm_cvtsi128_si32(_mm_srli_si128(half, 8)));
}

AVX2 inline __m256i paeth16(__m256i a, __m256i b, __m256i c)
{
    const __m256i all = _mm256_set1_epi16(-1);
    const __m256i bc = _mm256_sub_epi16(b, c), ac = _mm256_sub_epi16(a, c);
    const __m256i pa = _mm256_abs_epi16(bc), pb = _mm256_abs_epi16(ac),
                  pc = _mm256_abs_epi16(_mm256_add_epi16(bc, ac));
    const __m256i takeA =
        _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpgt_epi16(pa, pb), _mm256_cmpgt_epi16(pa, pc)), all);
    const __m256i takeB = _mm256_andnot_si256(_mm256_cmpgt_epi16(pb, pc), all);
    const __m256i bOrC = _mm256_or_si256(_mm256_and_si256(takeB, b), _mm256_andnot_si256(takeB, c));
    return _mm256_or_si256(_mm256_and_si256(takeA, a), _mm256_andnot_si256(takeA, bOrC));
}

// Unpacking and packing both work within each 16-byte half, so the bytes come back in order.
AVX2 inline __m256i paethPrediction(__m256i a, __m256i b, __m256i c)
{
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_packus_epi16(
        paeth16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero), _mm256_unpacklo_epi8(c, zero)),
        paeth16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero), _mm256_unpackhi_epi8(c, zero)));
}

AVX2 inline __m256i averagePrediction(__m256i a, __m256i b)
{
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b),
                           _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

template <int Bpp>
AVX2 int filterCosts(const uchar* row, const uchar* above, int start, int length, unsigned costs[5])
{
    int i = start;
    __m256i none = _mm256_setzero_si256(), sub = none, up = none, average = none, paethCost = none;
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 32 <= length; i += 32) {
        const __m256i x = load(row + i), a = load(row + i - Bpp);
        addCost(none, x, zero);
        addCost(sub, x, a);
        if (!above)
            continue;
        const __m256i b = load(above + i), c = load(above + i - Bpp);
        addCost(up, x, b);
        addCost(average, x, averagePrediction(a, b));
        addCost(paethCost, x, paethPrediction(a, b, c));
    }
    costs[0] += total(none);
    costs[1] += total(sub);
    costs[2] += total(up);
    costs[3] += total(average);
    costs[4] += total(paethCost);
    return i;
}

#undef AVX2

// Asked from a static initialiser, which may run before the compiler's own start-up has looked at
// the processor: hence the explicit look first.
const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

} // namespace wide
#endif

// The five filters' costs of a row of `Bpp` bytes a pixel, summed in `costs` from byte `start`
// (past the first pixel) to the end, thirty-two or sixteen bytes at a time where the processor can.
template <int Bpp>
int filterCostsWide(const uchar* row, const uchar* above, int start, int length, unsigned costs[5])
{
    int i = start;
#ifdef GLYPHWRIGHT_AVX2
    if (wide::available)
        i = wide::filterCosts<Bpp>(row, above, i, length, costs);
#endif
#ifdef __SSE2__
    __m128i none = _mm_setzero_si128(), sub = none, up = none, average = none, paethCost = none;
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        const __m128i x = load(row + i), a = load(row + i - Bpp);
        addCost(none, x, zero);
        addCost(sub, x, a);
        if (!above)
            continue;
        const __m128i b = load(above + i), c = load(above + i - Bpp);
        addCost(up, x, b);
        addCost(average, x, averagePrediction(a, b));
        addCost(paethCost, x, paethPrediction(a, b, c));
    }
    costs[0] += total(none);
    costs[1] += total(sub);
    costs[2] += total(up);
    costs[3] += total(average);
    costs[4] += total(paethCost);
#endif
    return i;
}

// The five filters' costs of a row of `Bpp` bytes a pixel: with the pixel's size known, the
// sums run sixteen bytes at a time.
template <int Bpp> void filterCosts(const uchar* row, const uchar* above, int length, unsigned costs[5])
{
    const int first = std::min(Bpp, length);
    for (int i = 0; i < first; ++i) {
        const int x = row[i], b = above ? above[i] : 0;
        costs[0] += magnitude(x);
        costs[1] += magnitude(x);
        costs[2] += magnitude(x - b);
        costs[3] += magnitude(x - b / 2);
        costs[4] += magnitude(x - b);
    }
    for (int i = filterCostsWide<Bpp>(row, above, first, length, costs); i < length; ++i) {
        const int x = row[i], a = row[i - Bpp], b = above ? above[i] : 0, c = above ? above[i - Bpp] : 0;
        costs[0] += magnitude(x);
        costs[1] += magnitude(x - a);
        costs[2] += magnitude(x - b);
        costs[3] += magnitude(x - (a + b) / 2);
        costs[4] += magnitude(x - paeth(a, b, c));
    }
    // Up, average and Paeth of the first row are none and sub again: not chosen.
    if (!above)
        costs[2] = costs[3] = costs[4] = ~0u;
}

// How many of `length` bytes are not zero.
unsigned nonZero(const uchar* bytes, int length)
{
    unsigned count = 0;
    int i = 0;
#ifdef __SSE2__
    // Each zero byte adds one to a lane of `zeros`, summed into its two halves as they go.
    __m128i zeros = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    for (; i + 16 <= length; i += 16)
        zeros = _mm_add_epi64(
            zeros, _mm_sad_epu8(_mm_and_si128(_mm_cmpeq_epi8(load(bytes + i), _mm_setzero_si128()), one),
                                _mm_setzero_si128()));
    count = unsigned(i) - total(zeros);
#endif
    for (; i < length; ++i)
        count += bytes[i] != 0;
    return count;
}

// Whether every byte of a row is zero (a transparent row of an RGBA image).
bool allZero(const uchar* row, int length)
{
    int i = 0;
    uchar any = 0;
#ifdef __SSE2__
    __m128i bits = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16)
        bits = _mm_or_si128(bits, load(row + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bits, _mm_setzero_si128())) != 0xffff)
        return false;
#endif
    for (; i < length; ++i)
        any |= row[i];
    return any == 0;
}

unsigned filterRow(const uchar* row, const uchar* above, int length, int bpp, uchar* out)
{
    // A row of zeros costs nothing unfiltered, the least any filter can cost (and the first type
    // wins a tie): the common transparent margin skips the five trials.
    if (allZero(row, length)) {
        out[0] = 0;
        std::memset(out + 1, 0, size_t(length));
        return 0;
    }
    unsigned costs[5] = {0, 0, 0, 0, 0};
    const int first = std::min(bpp, length);
    switch (bpp) {
    case 1:
        filterCosts<1>(row, above, length, costs);
        break;
    case 2:
        filterCosts<2>(row, above, length, costs);
        break;
    case 3:
        filterCosts<3>(row, above, length, costs);
        break;
    default:
        filterCosts<4>(row, above, length, costs);
        break;
    }
    int type = 0;
    for (int t = 1; t < 5; ++t)
        if (costs[t] < costs[type])
            type = t;
    out[0] = uchar(type);
    uchar* to = out + 1;
    switch (type) {
    case 0:
        std::memcpy(to, row, size_t(length));
        break;
    case 1:
        for (int i = 0; i < first; ++i)
            to[i] = row[i];
        for (int i = first; i < length; ++i)
            to[i] = uchar(row[i] - row[i - bpp]);
        break;
    case 2:
        for (int i = 0; i < length; ++i)
            to[i] = uchar(row[i] - above[i]);
        break;
    case 3: {
        for (int i = 0; i < first; ++i)
            to[i] = uchar(row[i] - above[i] / 2);
        int i = first;
#ifdef __SSE2__
        for (; i + 16 <= length; i += 16)
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(to + i),
                _mm_sub_epi8(load(row + i), averagePrediction(load(row + i - bpp), load(above + i))));
#endif
        for (; i < length; ++i)
            to[i] = uchar(row[i] - (row[i - bpp] + above[i]) / 2);
        break;
    }
    default: {
        for (int i = 0; i < first; ++i)
            to[i] = uchar(row[i] - above[i]);
        int i = first;
#ifdef __SSE2__
        for (; i + 16 <= length; i += 16)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                             _mm_sub_epi8(load(row + i), paethPrediction(load(row + i - bpp), load(above + i),
                                                                         load(above + i - bpp))));
#endif
        for (; i < length; ++i)
            to[i] = uchar(row[i] - paeth(row[i - bpp], above[i], above[i - bpp]));
        break;
    }
    }
    return nonZero(to, length);
}

} // namespace

bool allGrey(const QImage& image)
{
    const int imageWidth = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // A pixel is grey when blue equals green and green equals red: the low 16 bits of
        // p ^ (p >> 8) are zero. Gathered over the row, which the compiler runs in vectors.
        quint32 differs = 0;
        for (int x = 0; x < imageWidth; ++x)
            differs |= line[x] ^ (line[x] >> 8);
        if (differs & 0xffffu)
            return false;
    }
    return true;
}

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

QImage withDensity(const QImage& image, int dotsPerMeter)
{
    if (image.dotsPerMeterX() == dotsPerMeter && image.dotsPerMeterY() == dotsPerMeter)
        return image;
    QImage out = image;
    out.setDotsPerMeterX(dotsPerMeter);
    out.setDotsPerMeterY(dotsPerMeter);
    return out;
}

// A row of `w` pixels in PNG's byte order, `Channels` bytes a pixel: grey or red, green and blue,
// then alpha when there are two or four.
template <int Channels> void packRow(const QRgb* line, int w, uchar* out)
{
    if (Channels == 4 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        // Red and blue change places in each 32-bit pixel (which is blue, green, red, alpha in
        // memory): whole pixels at a time.
        for (int x = 0; x < w; ++x) {
            const quint32 pixel = line[x];
            const quint32 rgba = (pixel & 0xff00ff00u) | ((pixel >> 16) & 0xffu) | ((pixel & 0xffu) << 16);
            std::memcpy(out + 4 * x, &rgba, 4);
        }
        return;
    }
    for (int x = 0; x < w; ++x) {
        const QRgb pixel = line[x];
        *out++ = uchar(qRed(pixel));
        if (Channels == 3) {
            *out++ = uchar(qGreen(pixel));
            *out++ = uchar(qBlue(pixel));
        }
        if (Channels % 2 == 0)
            *out++ = uchar(qAlpha(pixel));
    }
}

// The image's rows in PNG's byte order (`channels` a pixel: grey or RGB, then alpha), each filtered
// behind its filter type byte, in the thread's scratch memory (`*busy` counts the filtered bytes
// that are not zero); null when there is none.
uchar* filteredRows(const QImage& source, int channels, size_t* rawSize, quint64* busy)
{
    const QImage::Format format = source.format();
    const bool premultiplied = format == QImage::Format_ARGB32_Premultiplied;
    const int w = source.width(), h = source.height(), bpp = channels, length = w * bpp;
    // The buffers stay with the thread: fresh memory costs a page fault a page, a large part of
    // the work here.
    thread_local std::vector<uchar> previous, current;
    *rawSize = size_t(h) * size_t(1 + length);
    uchar* raw = Memory::scratch(Memory::Scratch::FilteredRows, *rawSize);
    if (!raw)
        return nullptr;
    previous.resize(size_t(length));
    current.resize(size_t(length));
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
        switch (channels) {
        case 1:
            packRow<1>(line, w, current.data());
            break;
        case 2:
            packRow<2>(line, w, current.data());
            break;
        case 3:
            packRow<3>(line, w, current.data());
            break;
        default:
            packRow<4>(line, w, current.data());
            break;
        }
        *busy += filterRow(current.data(), y ? previous.data() : nullptr, length, bpp,
                           &raw[size_t(y) * size_t(1 + length)]);
        std::swap(previous, current);
    }
    return raw;
}

QByteArray withDensity(const QByteArray& png, int dotsPerMeter)
{
    // The chunks before the image data: the header, the colour space and the density.
    ChunkReader chunks(reinterpret_cast<const uchar*>(png.constData()), png.size());
    quint32 length = 0;
    uchar type[4];
    if (!chunks.signature())
        return png;
    for (int at = 8; chunks.next(&length, type) && !isType(type, "IDAT"); at += int(length) + 12) {
        if (isType(type, "pHYs") && length == 9) {
            QByteArray chunk;
            appendChunk(chunk, "pHYs",
                        bigEndian({quint32(dotsPerMeter), quint32(dotsPerMeter)}) + QByteArray(1, 1));
            QByteArray out = png;
            out.replace(at, int(length) + 12, chunk);
            return out;
        }
        if (!chunks.skip(type, length, false))
            break;
    }
    return png;
}

QSize headerSize(const QByteArray& png)
{
    const auto* b = reinterpret_cast<const uchar*>(png.constData());
    if (png.size() < 24 || memcmp(b, signature, 8) != 0 || memcmp(b + 12, "IHDR", 4) != 0)
        return QSize();
    const quint32 w = qFromBigEndian<quint32>(b + 16), h = qFromBigEndian<quint32>(b + 20);
    return w > 0 && h > 0 && w <= 0x7fffffff && h <= 0x7fffffff ? QSize(int(w), int(h)) : QSize();
}

QByteArray encode(const QImage& image, bool srgb, bool grey, int dotsPerMeter, Effort effort)
{
    const QImage::Format format = image.format();
    if (image.isNull() || (format != QImage::Format_ARGB32 && format != QImage::Format_ARGB32_Premultiplied &&
                           format != QImage::Format_RGB32))
        return QByteArray();
    const bool alpha = image.hasAlphaChannel();
    const QImage& source = image;
    if (grey)
        grey = allGrey(source);
    const int channels = (grey ? 1 : 3) + (alpha ? 1 : 0);
    const int w = source.width(), h = source.height();
    size_t rawSize = 0;
    quint64 busy = 0;
    const uchar* raw = filteredRows(source, channels, &rawSize, &busy);
    uchar* data = nullptr;
    const size_t size =
        raw ? packed(raw, rawSize, qint64(w) * h, h, double(busy) / double(rawSize), effort, &data) : 0;
    if (size == 0)
        return QByteArray();

    QByteArray out(reinterpret_cast<const char*>(signature), 8);
    QByteArray header = bigEndian({quint32(w), quint32(h)});
    const char colourType = grey ? (alpha ? 4 : 0) : (alpha ? 6 : 2);
    header.append(char(8)).append(colourType).append(char(0)).append(char(0)).append(char(0));
    appendChunk(out, "IHDR", header);
    if (srgb) {
        appendChunk(out, "sRGB", QByteArray(1, 0));
        appendChunk(out, "gAMA", bigEndian({45455}));
    }
    appendChunk(out, "pHYs", bigEndian({quint32(dotsPerMeter), quint32(dotsPerMeter)}) + QByteArray(1, 1));
    appendChunk(out, "IDAT", QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));
    appendChunk(out, "IEND", QByteArray());
    return out;
}

} // namespace Png
