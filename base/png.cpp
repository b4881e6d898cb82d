#include "base/png.h"

#include "base/memory.h"

#include <QIODevice>
#include <QtEndian>

#include <isa-l/igzip_lib.h>
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
// where that packs them as tightly (photographs), judged on bands of their rows.
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
size_t packed(const uchar* raw, size_t rawSize, qint64 pixels, int rows, double busy, uchar** out)
{
    if (pixels > mediumImage)
        return deflated(raw, rawSize,
                        quickLevelPacksAsWell(raw, rows, rawSize / size_t(rows)) ? quickLevel : largeLevel,
                        Memory::Scratch::Deflated, out);
    size_t size =
        deflated(raw, rawSize, busy < flatBusy ? largeLevel : mediumLevel, Memory::Scratch::Deflated, out);
    if (busy < flatBusy) {
        uchar* other = nullptr;
        const size_t flat = deflated(raw, rawSize, flatLevel, Memory::Scratch::Trial, &other);
        if (flat > 0 && (size == 0 || flat < size)) {
            size = flat;
            *out = other;
        }
    }
    return size;
}

const uchar signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

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

// Undoes a row's filter in place (`row` follows its filter type byte; `above` is the row before,
// null for the first). False for a filter type PNG does not have.
bool unfilter(uchar* row, const uchar* above, int length, int bpp)
{
    switch (row[-1]) {
    case 0:
        return true;
    case 1:
        for (int i = bpp; i < length; ++i)
            row[i] = uchar(row[i] + row[i - bpp]);
        return true;
    case 2:
        if (above)
            for (int i = 0; i < length; ++i)
                row[i] = uchar(row[i] + above[i]);
        return true;
    case 3:
        for (int i = 0; i < length; ++i)
            row[i] = uchar(row[i] + ((i >= bpp ? row[i - bpp] : 0) + (above ? above[i] : 0)) / 2);
        return true;
    case 4:
        for (int i = 0; i < length; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0,
                      c = above && i >= bpp ? above[i - bpp] : 0;
            row[i] = uchar(row[i] + paeth(a, b, c));
        }
        return true;
    default:
        return false;
    }
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
    for (int at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint32(png.size() - at - 12))
            break;
        if (memcmp(png.constData() + at + 4, "pHYs", 4) == 0 && length == 9) {
            QByteArray chunk;
            appendChunk(chunk, "pHYs",
                        bigEndian({quint32(dotsPerMeter), quint32(dotsPerMeter)}) + QByteArray(1, 1));
            QByteArray out = png;
            out.replace(at, int(length) + 12, chunk);
            return out;
        }
        if (memcmp(png.constData() + at + 4, "IDAT", 4) == 0)
            break;
        at += int(length) + 12;
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

QByteArray encode(const QImage& image, bool srgb, bool grey, int dotsPerMeter)
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
        raw ? packed(raw, rawSize, qint64(w) * h, h, double(busy) / double(rawSize), &data) : 0;
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

namespace {

// What libpng makes of a file's header and of the chunks before the image data, shared by both
// readers so that they accept and refuse what libpng does.
struct Header
{
    int w = 0, h = 0, depth = 0, colourType = 0, interlace = 0, channels = 0;

    // IHDR's thirteen bytes; false where libpng stops with an error (its default limit of a
    // million pixels a side included).
    bool read(const uchar* body)
    {
        const quint32 width = qFromBigEndian<quint32>(body), height = qFromBigEndian<quint32>(body + 4);
        depth = body[8];
        colourType = body[9];
        interlace = body[12];
        static const struct
        {
            int type, channels, depths; // depths: a bit for each allowed depth
        } kinds[] = {{0, 1, 1 | 2 | 4 | 8 | 16},
                     {2, 3, 8 | 16},
                     {3, 1, 1 | 2 | 4 | 8},
                     {4, 2, 8 | 16},
                     {6, 4, 8 | 16}};
        channels = 0;
        for (const auto& k : kinds)
            if (k.type == colourType && (k.depths & depth) && (depth & (depth - 1)) == 0)
                channels = k.channels;
        if (channels == 0 || width == 0 || height == 0 || width > 1000000 || height > 1000000 ||
            body[10] != 0 || body[11] != 0 || interlace > 1)
            return false;
        w = int(width);
        h = int(height);
        return true;
    }

    // The most data a chunk may declare before libpng refuses it: 8,000,000 bytes, and for image
    // data what the rows could take deflated at worst.
    quint32 chunkLimit(bool imageData) const
    {
        quint64 limit = 8000000;
        if (imageData) {
            quint64 rowFactor =
                quint64(w) * quint64(channels) * (depth > 8 ? 2 : 1) + 1 + (interlace ? 6 : 0);
            quint64 data = quint64(h) > 0xffffffffu / rowFactor ? 0x7fffffffu : quint64(h) * rowFactor;
            rowFactor = std::min<quint64>(rowFactor, 32566);
            data += 6 + 5 * (data / rowFactor + 1);
            limit = std::max<quint64>(limit, std::min<quint64>(data, 0x7fffffffu));
        }
        return quint32(limit);
    }
};

// A chunk type is four ASCII letters.
bool validChunkType(const uchar* type)
{
    for (int i = 0; i < 4; ++i)
        if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z')))
            return false;
    return true;
}

bool isCritical(const uchar* type)
{
    return !(type[0] & 0x20);
}

bool isType(const uchar* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// The palette with its alphas, and a single transparent grey or colour, as libpng keeps them.
struct Transparency
{
    uchar palette[256 * 4]; // RGBA; entries past the palette black and opaque
    int entries = 0;
    bool seenPalette = false, hasPalette = false, hasAlphas = false;
    bool hasKey = false;
    quint16 key[3] = {0, 0, 0};

    Transparency()
    {
        for (int i = 0; i < 256; ++i) {
            palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = 0;
            palette[4 * i + 3] = 0xff;
        }
    }

    // What libpng does with a PLTE chunk of `length` bytes: a second one, a palette picture's
    // of a wrong length and an empty one are errors; a grey picture's, and a malformed one of a
    // colour picture, are skipped (their CRC still checked, the chunk being critical).
    enum class Verdict { Read, Skip, Refuse };
    Verdict judgePalette(const Header& header, quint32 length)
    {
        const bool seen = seenPalette;
        seenPalette = true;
        if (seen)
            return Verdict::Refuse;
        if (!(header.colourType & 2))
            return Verdict::Skip;
        if (length > 768 || length % 3 != 0)
            return header.colourType == 3 ? Verdict::Refuse : Verdict::Skip;
        return length == 0 ? Verdict::Refuse : Verdict::Read;
    }

    // A PLTE chunk's body; a palette picture's palette is cut to the entries its depth can index.
    void takePalette(const Header& header, const uchar* body, quint32 length)
    {
        hasPalette = true;
        entries = int(length / 3);
        if (header.colourType == 3) {
            entries = std::min(entries, 1 << header.depth);
            for (int i = 0; i < entries; ++i)
                std::memcpy(&palette[4 * i], &body[size_t(3 * i)], 3);
        }
    }

    // A tRNS chunk's body (a sound CRC); libpng ignores one that is misplaced, repeated or of the
    // wrong length.
    void takeAlphas(const Header& header, const uchar* body, quint32 length)
    {
        if (hasAlphas || hasKey)
            return;
        if (header.colourType == 3 && hasPalette && length > 0 && int(length) <= entries) {
            hasAlphas = true;
            for (quint32 i = 0; i < length; ++i)
                palette[4 * i + 3] = body[i];
        } else if ((header.colourType == 0 && length == 2) || (header.colourType == 2 && length == 6)) {
            hasKey = true;
            for (quint32 i = 0; i < length / 2; ++i)
                key[i] = qFromBigEndian<quint16>(body + 2 * i);
        }
    }
};

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

} // namespace

struct RowReader::Private
{
    explicit Private(QIODevice& d) : device(d) {}

    QIODevice& device;
    Header header;
    Transparency t;
    int w = 0, h = 0, depth = 0, colourType = 0;
    int bpp = 0;      // bytes a complete pixel takes (at least 1), for the filters
    int rowBytes = 0; // a row's bytes after its filter type byte
    bool valid = false, failed = false;
    int rowsRead = 0;
    std::vector<uchar> previous, current; // filter type byte and row
    inflate_state inflater;
    // The file is read a megabyte at a time into `block`, and its chunks are taken from there in
    // place: writers cut the image data into chunks of 8 KiB, and reading each through the device's
    // own buffer copied every byte once more. Compressed data is inflated in pieces of libpng's size,
    // so that the stream's end is judged on the same pieces as libpng judges it.
    static constexpr quint32 pieceSize = 8192;
    std::vector<uchar> block = std::vector<uchar>(size_t(1) << 20);
    size_t blockAt = 0, blockEnd = 0; // the block's bytes not yet taken
    quint32 chunkLeft = 0;            // of the current IDAT chunk's data, not yet taken
    quint32 crc = 0;                  // of the current IDAT chunk so far
    uchar zlibHeader[2];
    int zlibHeaderSeen = 0;

    // The next `n` bytes of the file (at most a block's), where they lie in the block, valid until
    // the next call; fewer where the file ends.
    quint32 take(quint32 n, const uchar** at)
    {
        if (blockEnd - blockAt < n) {
            std::memmove(block.data(), block.data() + blockAt, blockEnd - blockAt);
            blockEnd -= blockAt;
            blockAt = 0;
            while (blockEnd < n) {
                const qint64 got = device.read(reinterpret_cast<char*>(block.data() + blockEnd),
                                               qint64(block.size() - blockEnd));
                if (got <= 0)
                    break;
                blockEnd += size_t(got);
            }
        }
        const quint32 k = quint32(std::min<size_t>(n, blockEnd - blockAt));
        *at = block.data() + blockAt;
        blockAt += k;
        return k;
    }

    bool read(void* to, qint64 n)
    {
        const uchar* at = nullptr;
        if (n > qint64(block.size()) || take(quint32(n), &at) != quint32(n))
            return false;
        std::memcpy(to, at, size_t(n));
        return true;
    }

    // The next chunk's length and type: false where libpng stops (a length past 2^31 - 1 or past
    // its limit, a type that is not four letters).
    bool chunkHeader(quint32* length, uchar type[4])
    {
        uchar bytes[8];
        if (!read(bytes, 8))
            return false;
        *length = qFromBigEndian<quint32>(bytes);
        std::memcpy(type, bytes + 4, 4);
        return *length <= 0x7fffffffu && validChunkType(type) &&
               *length <= header.chunkLimit(isType(type, "IDAT"));
    }

    // A whole chunk's data and whether its CRC matches; `length` is bounded by the caller.
    bool chunkBody(const uchar type[4], quint32 length, std::vector<uchar>& body, bool* sound)
    {
        body.resize(length + 4);
        if (!read(body.data(), qint64(length) + 4))
            return false;
        const quint32 sum = quint32(libdeflate_crc32(libdeflate_crc32(0, type, 4), body.data(), length));
        *sound = sum == qFromBigEndian<quint32>(body.data() + length);
        return true;
    }

    // A chunk's data skipped, its CRC checked when the chunk is critical (libpng ignores an
    // ancillary chunk whose CRC is wrong).
    bool skipChunk(const uchar type[4], quint32 length)
    {
        if (!isCritical(type))
            return readSummed(length + 4, nullptr);
        quint32 sum = quint32(libdeflate_crc32(0, type, 4));
        uchar stored[4];
        return readSummed(length, &sum) && read(stored, 4) && qFromBigEndian<quint32>(stored) == sum;
    }

    // `length` bytes read past, and added to the CRC `*sum` unless it is null.
    bool readSummed(quint32 length, quint32* sum)
    {
        for (quint32 left = length; left > 0;) {
            const uchar* at = nullptr;
            const quint32 n = take(std::min<quint32>(left, pieceSize), &at);
            if (n == 0)
                return false;
            if (sum)
                *sum = quint32(libdeflate_crc32(*sum, at, n));
            left -= n;
        }
        return true;
    }

    bool readHeader()
    {
        uchar start[8];
        if (!read(start, 8) || std::memcmp(start, signature, 8) != 0)
            return false;
        quint32 length = 0;
        uchar type[4];
        std::vector<uchar> body;
        bool sound = false;
        if (!chunkHeader(&length, type) || !isType(type, "IHDR") || length != 13 ||
            !chunkBody(type, length, body, &sound) || !sound || !header.read(body.data()) || header.interlace)
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
                chunkLeft = length;
                crc = quint32(libdeflate_crc32(0, type, 4));
                break;
            }
            const Transparency::Verdict palette =
                isType(type, "PLTE") ? t.judgePalette(header, length) : Transparency::Verdict::Skip;
            if (palette == Transparency::Verdict::Refuse)
                return false;
            if (palette == Transparency::Verdict::Read) {
                if (!chunkBody(type, length, body, &sound) || !sound)
                    return false;
                t.takePalette(header, body.data(), length);
            } else if (isType(type, "tRNS") && length <= 256) {
                if (!chunkBody(type, length, body, &sound))
                    return false;
                if (sound)
                    t.takeAlphas(header, body.data(), length);
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
        while (chunkLeft == 0) {
            uchar sum[4];
            quint32 length = 0;
            uchar type[4];
            if (!read(sum, 4) || qFromBigEndian<quint32>(sum) != crc || !chunkHeader(&length, type) ||
                !isType(type, "IDAT"))
                return false;
            chunkLeft = length;
            crc = quint32(libdeflate_crc32(0, type, 4));
        }
        const uchar* piece = nullptr;
        const quint32 n = std::min(chunkLeft, pieceSize);
        if (take(n, &piece) != n)
            return false;
        crc = quint32(libdeflate_crc32(crc, piece, n));
        chunkLeft -= n;
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
        if (!readSummed(chunkLeft, &crc))
            return false;
        chunkLeft = 0;
        uchar sum[4];
        quint32 length = 0;
        uchar type[4];
        if (!read(sum, 4) || qFromBigEndian<quint32>(sum) != crc || !chunkHeader(&length, type))
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
    if (size < 8 || std::memcmp(data, signature, 8) != 0)
        return false;
    bool afterData = false, ended = false;
    for (qsizetype at = 8; at + 12 <= size && !ended;) {
        const quint32 length = qFromBigEndian<quint32>(data + at);
        const uchar* type = data + at + 4;
        const uchar* body = data + at + 8;
        if (length > quint32(size - at - 12) || !validChunkType(type) ||
            qFromBigEndian<quint32>(body + length) != quint32(libdeflate_crc32(0, type, length + 4)))
            return false;
        const bool first = at == 8;
        at += 12 + qsizetype(length);
        if (first != isType(type, "IHDR"))
            return false;
        if (first) {
            if (length != 13 || !header.read(body) || header.depth != 8 || header.interlace != 0 ||
                header.w > 16384 || header.h > 16384)
                return false;
        } else if (isType(type, "IDAT")) {
            if (afterData)
                return false;
            file->zlib.append(reinterpret_cast<const char*>(body), int(length));
            afterData = at + 8 <= size && !isType(data + at + 4, "IDAT");
        } else if (isType(type, "PLTE")) {
            if (afterData || t.judgePalette(header, length) != Transparency::Verdict::Read)
                return false;
            t.takePalette(header, body, length);
        } else if (isType(type, "tRNS")) {
            // A palette's alphas; a single transparent colour is left to the toolkit.
            if (afterData || header.colourType != 3 || !t.hasPalette || t.hasAlphas || length == 0 ||
                int(length) > t.entries)
                return false;
            t.takeAlphas(header, body, length);
        } else if (isType(type, "IEND")) {
            ended = afterData && length == 0;
            if (!ended)
                return false;
        } else if (isCritical(type)) {
            return false;
        }
    }
    return ended && header.channels > 0 && !file->zlib.isEmpty() && (header.colourType != 3 || t.hasPalette);
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
