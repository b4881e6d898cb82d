#include "project/custompicture.h"

#include "base/fileio.h"
#include "base/png.h"
#include "render/iconrenderer.h"
#include "render/vectorpicture.h"

#include <QDir>
#include <QHash>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSemaphore>
#include <QThreadPool>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cmath>
#include <vector>
#include <sys/stat.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool withinLimits(QSize size)
{
    return size.isValid() && !size.isEmpty() && size.width() <= maximumPictureSide &&
           size.height() <= maximumPictureSide &&
           qint64(size.width()) * size.height() <= maximumPicturePixels;
}

// The size a picture of `size` is held at: all of it up to heldPicturePixels, else reduced to as
// many, aspect kept.
QSize heldSize(QSize size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels <= heldPicturePixels)
        return size;
    const double f = std::sqrt(double(heldPicturePixels) / double(pixels));
    return QSize(std::max(1, int(size.width() * f)), std::max(1, int(size.height() * f)));
}

int bytesPerPixel(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        return 8;
    default:
        return 4;
    }
}

quint32 bigEndian32(const uchar* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// Icon containers (ICO, CUR, ICNS) may carry PNG or JPEG 2000 pictures whose own headers, not the
// container's, say how big they decode: whether any of those is past the limits.
bool embedsOversizedPicture(QIODevice& file)
{
    const QByteArray data = file.read(64 * 1024 * 1024);
    file.seek(0);
    const uchar* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (int at = data.indexOf("IHDR"); at >= 0; at = data.indexOf("IHDR", at + 4))
        if (at + 12 <= data.size() &&
            !withinLimits(QSize(int(qMin<quint32>(bigEndian32(bytes + at + 4), 1u << 30)),
                                int(qMin<quint32>(bigEndian32(bytes + at + 8), 1u << 30)))))
            return true;
    // A JPEG 2000 image header box: height, then width.
    for (int at = data.indexOf("ihdr"); at >= 0; at = data.indexOf("ihdr", at + 4))
        if (at + 12 <= data.size() &&
            !withinLimits(QSize(int(qMin<quint32>(bigEndian32(bytes + at + 8), 1u << 30)),
                                int(qMin<quint32>(bigEndian32(bytes + at + 4), 1u << 30)))))
            return true;
    return false;
}

// floor(a / divisor) by one multiplication, exact for a below 2^23 and a divisor below 2^17 (the
// error, under a / 2^40, stays below the distance 1 / divisor from any quotient to the next integer).
struct Divider
{
    explicit Divider(quint32 divisor) : multiplier(((quint64(1) << 40) + divisor - 1) / divisor) {}
    quint32 operator()(quint32 a) const { return quint32((quint64(a) * multiplier) >> 40); }
    quint64 multiplier;
};

// Adds a row of 8-bit RGBA pixels to the running sums of the held columns (red, green and blue
// weighted by alpha, then alpha), `perColumn[x]` source pixels to held column x.
void addRow(const uchar* p, const std::vector<int>& perColumn, quint32* s)
{
    const int tw = int(perColumn.size());
    for (int x = 0; x < tw; ++x, s += 4) {
#ifdef __SSE2__
        // A pixel's four bytes as 16-bit lanes times (alpha, alpha, alpha, 1): at most 255 x 255,
        // which a lane holds, then added as 32 bits.
        const __m128i zero = _mm_setzero_si128();
        __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        for (int i = perColumn[size_t(x)]; i > 0; --i, p += 4) {
            quint32 bytes;
            std::memcpy(&bytes, p, 4);
            const __m128i pixel = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(bytes)), zero);
            const __m128i weight = _mm_insert_epi16(_mm_shufflelo_epi16(pixel, 0xff), 1, 3);
            sum = _mm_add_epi32(sum, _mm_unpacklo_epi16(_mm_mullo_epi16(pixel, weight), zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(s), sum);
#else
        quint32 r = 0, g = 0, b = 0, a = 0;
        for (int i = perColumn[size_t(x)]; i > 0; --i, p += 4) {
            r += quint32(p[0]) * p[3];
            g += quint32(p[1]) * p[3];
            b += quint32(p[2]) * p[3];
            a += p[3];
        }
        s[0] += r;
        s[1] += g;
        s[2] += b;
        s[3] += a;
#endif
    }
}

// A picture of `size` reduced, a row at a time as `nextRow` gives them (8-bit RGBA, not
// premultiplied; false when there is none), into a picture of `held` pixels (smaller), each held
// pixel the mean of the source pixels that fall into it (weighted by their alpha): no second whole
// copy of the picture is ever made. Null when a row is missing.
template <class NextRow> QImage reducedRows(QSize size, QSize held, NextRow nextRow)
{
    QImage out(held, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return QImage();
    const int w = size.width(), h = size.height(), tw = held.width(), th = held.height();
    // Source columns each held column takes (a run of them, as the source column x goes to held
    // column x * tw / w), and the most a held pixel takes: with at most maximumPicturePixels
    // reduced to heldPicturePixels, no more than three by three.
    std::vector<int> perColumn(static_cast<size_t>(tw), 0);
    for (int x = 0; x < w; ++x)
        ++perColumn[size_t(qint64(x) * tw / w)];
    const int mostColumns = *std::max_element(perColumn.begin(), perColumn.end());
    const int mostRows = int((h + th - 1) / th) + 1;
    if (qint64(mostColumns) * mostRows * 255 >= (1 << 17))
        return QImage();
    std::vector<uchar> row(size_t(w) * 4);
    std::vector<quint32> sums(size_t(tw) * 4, 0);
    auto flushBand = [&](int band, int rows) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(band));
        int lastN = -1;
        Divider colour(1), alpha(1);
        for (int x = 0; x < tw; ++x) {
            const quint32 n = quint32(perColumn[size_t(x)] * rows);
            if (int(n) != lastN) {
                colour = Divider(n * 255);
                alpha = Divider(n);
                lastN = int(n);
            }
            quint32* s = &sums[size_t(x) * 4];
            const quint32 half = n * 255 / 2;
            line[x] = qRgba(int(colour(s[0] + half)), int(colour(s[1] + half)), int(colour(s[2] + half)),
                            int(alpha(s[3] + n / 2)));
            s[0] = s[1] = s[2] = s[3] = 0;
        }
    };
    int band = 0, rows = 0;
    for (int y = 0; y < h; ++y) {
        if (!nextRow(row.data()))
            return QImage();
        const int target = int(qint64(y) * th / h);
        if (target != band) {
            flushBand(band, rows);
            band = target;
            rows = 0;
        }
        addRow(row.data(), perColumn, sums.data());
        ++rows;
    }
    flushBand(band, rows);
    return out;
}

// Decodes a non-interlaced PNG of `size` a row at a time straight into a picture of `held` pixels,
// so that the whole picture is never in memory. Null when the file is not such a PNG, or damaged.
//
// Two cores share the work: a pool thread inflates and unfilters the rows, a block at a time, into
// a ring of blocks, while this thread converts and reduces them.
QImage readReducedPng(QIODevice& file, QSize size, QSize held)
{
    Png::RowReader reader(file);
    if (!reader.isValid() || reader.size() != size)
        return QImage();
    constexpr int blockRows = 32, blocks = 4;
    // Each row as the file holds it, its filter type byte first: the rows are inflated and
    // unfiltered where they stay until converted.
    const size_t rowBytes = size_t(reader.rawRowBytes()) + 1;
    std::vector<uchar> ring(size_t(blocks * blockRows) * rowBytes);
    int filled[blocks] = {}; // rows in each block; fewer than blockRows at the end or on damage
    QSemaphore free(blocks), ready;
    std::atomic<bool> stop{false};
    QSemaphore done;
    const auto produce = [&] {
        bool sound = true;
        // The row before, still in the ring: its block is let go only once the next one is read.
        const uchar* above = nullptr;
        for (int block = 0, row = 0; sound && row < size.height() && !stop; block = (block + 1) % blocks) {
            free.acquire();
            if (stop)
                break;
            uchar* at = &ring[size_t(block * blockRows) * rowBytes];
            int n = 0;
            while (n < blockRows && row < size.height() &&
                   (sound = reader.readRawRowInPlace(at + size_t(n) * rowBytes, above))) {
                above = at + size_t(n) * rowBytes + 1;
                ++n;
                ++row;
            }
            filled[block] = n;
            ready.release();
        }
        done.release();
    };
    const bool shared = QThreadPool::globalInstance()->tryStart(produce);
    if (!shared)
        return reducedRows(size, held, [&reader](uchar* rgba) { return reader.readRow(rgba); });
    int block = -1, next = blockRows, rows = 0;
    const QImage reduced = reducedRows(size, held, [&](uchar* rgba) {
        if (next == blockRows) {
            if (block >= 0)
                free.release();
            block = (block + 1) % blocks;
            ready.acquire();
            next = 0;
            rows = filled[block];
        }
        if (next >= rows)
            return false;
        reader.convertRow(&ring[size_t(block * blockRows + next++) * rowBytes + 1], rgba);
        return true;
    });
    // Stopped early (damage): the reader is let go once it has stopped too.
    stop = true;
    free.release(blocks);
    done.acquire();
    return reduced;
}

// A decoded picture reduced to `held` pixels, its rows converted one at a time (null when it is).
QImage reducedImage(const QImage& whole, QSize held)
{
    if (whole.isNull())
        return QImage();
    int y = 0;
    return reducedRows(whole.size(), held, [&](uchar* rgba) {
        if (y >= whole.height())
            return false;
        const QImage row(whole.constScanLine(y), whole.width(), 1, whole.bytesPerLine(), whole.format());
        const QImage converted = row.convertToFormat(QImage::Format_RGBA8888);
        std::memcpy(rgba, converted.constBits(), size_t(whole.width()) * 4);
        ++y;
        return true;
    });
}

// The toolkit's JPEG, BMP and GIF readers report success on data that stops short, and draw the
// rest black or grey: the file's structure is walked first. Why it is damaged, or empty.
Reason jpegDamage(const uchar* d, qint64 n)
{
    if (n < 4 || d[0] != 0xff || d[1] != 0xd8)
        return Reason::JpegHeader;
    bool scanned = false;
    for (qint64 i = 2; i + 1 < n;) {
        if (d[i] != 0xff)
            return Reason::JpegCorrupt;
        const uchar marker = d[i + 1];
        if (marker == 0xff) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xd9)
            return scanned ? Reason::None : Reason::NoPictureData;
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            i += 2;
            continue;
        }
        if (i + 4 > n)
            break;
        const qint64 length = d[i + 2] << 8 | d[i + 3];
        if (length < 2 || i + 2 + length > n)
            break;
        i += 2 + length;
        if (marker == 0xda) {
            // The entropy-coded data runs to the next marker that is not a stuffed byte or a restart.
            scanned = true;
            while (i + 1 < n && !(d[i] == 0xff && d[i + 1] != 0 && d[i + 1] != 0xff &&
                                  !(d[i + 1] >= 0xd0 && d[i + 1] <= 0xd7)))
                ++i;
        }
    }
    return Reason::EndsEarly;
}

Reason bmpDamage(const uchar* d, qint64 n)
{
    if (n < 26 || d[0] != 'B' || d[1] != 'M')
        return Reason::None; // not a Windows bitmap file (the reader judges it)
    const quint32 offset = qFromLittleEndian<quint32>(d + 10), header = qFromLittleEndian<quint32>(d + 14);
    qint64 width, height, bits, compression = 0;
    if (header == 12) {
        width = qFromLittleEndian<quint16>(d + 18);
        height = qFromLittleEndian<quint16>(d + 20);
        bits = qFromLittleEndian<quint16>(d + 24);
    } else if (header >= 40 && n >= 34) {
        width = qint32(qFromLittleEndian<quint32>(d + 18));
        height = std::abs(qint64(qint32(qFromLittleEndian<quint32>(d + 22))));
        bits = qFromLittleEndian<quint16>(d + 28);
        compression = qFromLittleEndian<quint32>(d + 30);
    } else {
        return Reason::None;
    }
    // Uncompressed rows (plain or with bit fields) are four-byte aligned: their total is known.
    if (compression != 0 && compression != 3 && compression != 6)
        return Reason::None;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return width > 0 && qint64(offset) + stride * height > n ? Reason::EndsEarly : Reason::None;
}

Reason gifDamage(const uchar* d, qint64 n)
{
    if (n < 13)
        return Reason::EndsEarly;
    qint64 i = 13;
    if (d[10] & 0x80)
        i += 3LL << ((d[10] & 7) + 1);
    auto subBlocks = [&](qint64* bytes) {
        while (i < n && d[i] != 0) {
            *bytes += d[i];
            i += 1 + d[i];
        }
        ++i; // the terminator
        return i <= n;
    };
    while (i < n) {
        qint64 data = 0;
        if (d[i] == 0x21) { // an extension
            i += 2;
            if (!subBlocks(&data))
                return Reason::EndsEarly;
        } else if (d[i] == 0x2c) { // the first frame, the one the program shows
            if (i + 10 > n)
                return Reason::EndsEarly;
            const qint64 pixels =
                qint64(qFromLittleEndian<quint16>(d + i + 5)) * qFromLittleEndian<quint16>(d + i + 7);
            const uchar flags = d[i + 9];
            i += 10;
            if (flags & 0x80)
                i += 3LL << ((flags & 7) + 1);
            ++i; // the LZW code size
            if (!subBlocks(&data))
                return Reason::EndsEarly;
            // Each 12-bit LZW code stands for at most 4096 pixels.
            return data < pixels / 4096 ? Reason::EndsEarly : Reason::None;
        } else {
            return Reason::GifCorrupt;
        }
    }
    return Reason::EndsEarly;
}

Reason structuralDamage(const uchar* d, qint64 n, const QByteArray& format)
{
    if (format != "jpeg" && format != "bmp" && format != "gif")
        return Reason::None;
    if (!d)
        return n > 0 ? Reason::None : Reason::EndsEarly;
    return format == "jpeg" ? jpegDamage(d, n) : format == "bmp" ? bmpDamage(d, n) : gifDamage(d, n);
}

const Problem tooLarge{Reason::PictureTooLarge,
                       {QString::number(maximumPictureSide), QString::number(maximumPicturePixels / 1000000)},
                       QString()};

// A raster picture from `device` (whose `n` bytes are at `bytes`, when they can be seen whole),
// held at most at heldPicturePixels, or a null image with the problem in `why`; `format` is set to
// what its content says it is.
QImage readRaster(QIODevice& device, const uchar* bytes, qint64 n, Problem* why, QSize* ownSize,
                  QByteArray* format = nullptr)
{
    auto refuse = [why](const Problem& problem) {
        *why = problem;
        return QImage();
    };
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const QByteArray kind = reader.format();
    if (format)
        *format = kind;
    // (An SVG the check for one did not take for one, its start tag past the first 4 KiB, is refused.)
    if (kind.isEmpty() || kind == "svg" || kind == "svgz")
        return refuse({Reason::NotAPicture, {}, QString()});
    // The readers allocate what their header declares, so checking it first keeps a picture that
    // is too big from being allocated at all.
    QSize declared = reader.size();
    // A bitmap stored top-down declares a negative height.
    if (kind == "bmp" && declared.height() < 0)
        declared.setHeight(-declared.height());
    if (kind == "gif") {
        // The GIF reader paints each frame onto the logical screen its header declares.
        const QByteArray header = device.peek(10);
        if (header.size() == 10)
            declared = declared.expandedTo(QSize(quint8(header[6]) | quint8(header[7]) << 8,
                                                 quint8(header[8]) | quint8(header[9]) << 8));
    }
    if (!declared.isValid() || declared.isEmpty())
        return refuse({Reason::HeaderUnreadable, {}, QString()});
    if (!withinLimits(declared) ||
        ((kind == "ico" || kind == "cur" || kind == "icns") && embedsOversizedPicture(device)))
        return refuse(tooLarge);
    const Reason damage = structuralDamage(bytes, n, kind);
    if (damage != Reason::None)
        return refuse({damage, {}, QString()});
    const QSize held = heldSize(declared);
    const qint64 decoded = qint64(declared.width()) * declared.height() * bytesPerPixel(reader.imageFormat());
    QImage picture;
    if (held == declared && decoded <= decodingBudget) {
        picture = reader.read();
    } else if (kind == "png") {
        device.seek(0);
        picture = readReducedPng(device, declared, held);
        if (picture.isNull() && decoded <= decodingBudget) {
            // An interlaced PNG is read whole, then reduced without a second whole copy.
            device.seek(0);
            QImageReader whole(&device, "png");
            picture = reducedImage(whole.read(), held);
        }
    } else if (kind == "jpeg") {
        // The JPEG decoder scales while it decodes.
        reader.setScaledSize(held);
        picture = reader.read();
    } else if (decoded <= decodingBudget) {
        picture = reader.read();
        if (picture.size() == declared)
            picture = reducedImage(picture, held);
    } else {
        return refuse({Reason::DecodingBudget, {QString::number(decodingBudget >> 20)}, QString()});
    }
    if (picture.isNull() && !reader.errorString().isEmpty() && reader.error() != QImageReader::UnknownError)
        return refuse({Reason::ReaderError, {reader.errorString().toLower()}, QString()});
    if (picture.size() != held)
        return refuse({Reason::NotReadWhole, {}, QString()});
    if (ownSize)
        *ownSize = declared;
    return picture;
}

// The most pixels an image an SVG shows is held at, and the most its <image> elements hold together:
// the SVG plug-in decodes each element's image again every time the SVG is drawn, and a logo's
// image is shown at most 1024 pixels across.
constexpr qint64 embeddedPixels = 4 * 1024 * 1024;
constexpr qint64 embeddedPixelsInAll = 16 * 1024 * 1024;
// The largest image file an SVG may name.
constexpr qint64 embeddedFileBytes = 64 * 1024 * 1024;

// The bytes a data: URI holds (base64 or percent-encoded).
QByteArray dataOf(const QString& uri)
{
    const int comma = uri.indexOf(QLatin1Char(','));
    if (comma < 0)
        return QByteArray();
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    return uri.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)
               ? QByteArray::fromBase64(payload)
               : QByteArray::fromPercentEncoding(payload);
}

// Judges and embeds the images an SVG in `folder` refers to, as the picture rules judge a custom
// picture: files beside the SVG (never the SVG itself) or data: URIs, raster pictures within the
// limits and the decoding budget, each held at most at embeddedPixels. What the plug-in then
// decodes is a PNG or JPEG checked here.
class Embedder
{
  public:
    Embedder(const QString& folder, const QFile& svg) : folder(folder)
    {
        struct stat info = {};
        if (::fstat(svg.handle(), &info) == 0)
            self = {info.st_dev, info.st_ino};
    }

    QString operator()(const QString& href, Problem* why)
    {
        // An image named by several elements is judged and embedded once, and counted for each.
        if (const auto known = embedded.constFind(href); known != embedded.constEnd())
            return count(known->pixels, why) ? known->uri : QString();
        const QByteArray bytes = fetch(href, why);
        if (bytes.isEmpty())
            return QString();
        if (VectorPicture::looksLikeSvg(bytes)) {
            *why = {Reason::ImageSvg, {}, QString()};
            return QString();
        }
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        QSize own;
        QByteArray format;
        QImage picture = readRaster(device, reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(),
                                    why, &own, &format);
        if (picture.isNull())
            return QString();
        const bool asItIs = (format == "png" || format == "jpeg") && picture.size() == own &&
                            qint64(own.width()) * own.height() <= embeddedPixels &&
                            bytes.size() <= 4 * 1024 * 1024;
        if (!asItIs) {
            const double f = std::sqrt(double(embeddedPixels) / (double(picture.width()) * picture.height()));
            if (f < 1)
                picture = picture.scaled(std::max(1, int(picture.width() * f)),
                                         std::max(1, int(picture.height() * f)), Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
        }
        const qint64 pixels = qint64(picture.width()) * picture.height();
        const QString uri =
            asItIs
                ? QStringLiteral("data:image/%1;base64,").arg(QLatin1String(format)) +
                      QLatin1String(bytes.toBase64())
                : QStringLiteral("data:image/png;base64,") +
                      QLatin1String(Png::encode(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied))
                                        .toBase64());
        embedded.insert(href, {uri, pixels});
        return count(pixels, why) ? uri : QString();
    }

  private:
    // The bytes `href` names, or none with the problem in `why`.
    QByteArray fetch(const QString& href, Problem* why)
    {
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
        if (href.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
            const QByteArray bytes = dataOf(href);
            if (bytes.isEmpty())
                *why = {Reason::ImageDataEmpty, {}, QString()};
            return bytes;
        }
        if (scheme.match(href).hasMatch())
            *why = {Reason::ImageUrl, {}, QString()};
        else if (href.startsWith(QLatin1Char('/')) || href.startsWith(QLatin1Char('\\')))
            *why = {Reason::ImageAbsolute, {}, QString()};
        else if (href.startsWith(QLatin1Char('#')))
            *why = {Reason::ImageNoFile, {}, QString()};
        else if (href.split(QRegularExpression(QStringLiteral("[/\\\\]"))).contains(QStringLiteral("..")))
            *why = {Reason::ImageAbove, {}, QString()};
        if (*why)
            return QByteArray();
        QFile file;
        const Files::Result opened = Files::openBeneath(file, folder, href, embeddedFileBytes);
        struct stat info = {};
        if (opened && ::fstat(file.handle(), &info) == 0 &&
            self == std::make_pair(info.st_dev, info.st_ino)) {
            *why = {Reason::ImageSelf, {}, QString()};
            return QByteArray();
        }
        if (!opened) {
            *why = opened.problem;
            return QByteArray();
        }
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty())
            *why = {Reason::ImageEmpty, {}, QString()};
        return bytes;
    }

    // Adds an element's image to what the images hold together: false, with the reason, once
    // that passes the bound.
    bool count(qint64 pixels, Problem* why)
    {
        held += pixels;
        if (held <= embeddedPixelsInAll)
            return true;
        *why = {Reason::ImagesTooLarge, {QString::number(embeddedPixelsInAll >> 20)}, QString()};
        return false;
    }

    struct Embedded
    {
        QString uri;
        qint64 pixels;
    };
    QString folder;
    std::pair<dev_t, ino_t> self{0, 0};
    QHash<QString, Embedded> embedded;
    qint64 held = 0;
};

} // namespace

QString customPicturePath(const QString& stored, const QString& projectFile)
{
    if (stored.isEmpty())
        return stored;
    const QDir base = projectFile.isEmpty() ? QDir::current() : QFileInfo(projectFile).absoluteDir();
    const QString asStored = base.filePath(stored);
    if (QFileInfo::exists(asStored) || !stored.contains(QLatin1Char('\\')))
        return asStored;
    return base.filePath(QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

bool loadsQuickly(const QString& path)
{
    QFile file;
    if (!Files::openRegular(file, path))
        return true;
    if (VectorPicture::looksLikeSvg(file.peek(4096)))
        return file.size() <= quickSvgBytes;
    // (One too large is refused before its pixels are read.)
    const QSize size = QImageReader(&file).size();
    return !size.isValid() || qint64(size.width()) * size.height() <= quickPicturePixels ||
           !withinLimits(size);
}

QImage loadCustomPicture(const QString& path, Problem* error, QSize* ownSize, QByteArray* vector)
{
    Problem why;
    auto refuse = [error, &why]() {
        if (error)
            *error = why;
        return QImage();
    };
    QFile file;
    const Files::Result opened = Files::openRegular(file, path);
    if (!opened) {
        why = opened.problem;
        return refuse();
    }
    if (vector)
        vector->clear();
    // The content decides, not the name. An SVG is kept as its text, drawn from its vectors at
    // every size; the image is its drawing at its own size (held reduced when that is very large).
    if (VectorPicture::looksLikeSvg(file.peek(4096))) {
        if (file.size() > VectorPicture::maximumBytes) {
            why = {Reason::SvgTooLarge, {QString::number(VectorPicture::maximumBytes >> 20)}, QString()};
            return refuse();
        }
        QSize own;
        const QByteArray svg =
            VectorPicture::read(file.readAll(), &own, &why, Embedder(QFileInfo(path).absolutePath(), file));
        if (svg.isEmpty())
            return refuse();
        // At 100 % the drawing is fitted to the canvas, whatever size it declares.
        own = VectorPicture::fitted(svg, own);
        if (!withinLimits(own)) {
            why = tooLarge;
            return refuse();
        }
        const QImage drawn = VectorPicture::draw(svg, heldSize(own));
        if (drawn.isNull()) {
            why = {Reason::NotDrawn, {}, QString()};
            return refuse();
        }
        if (ownSize)
            *ownSize = own;
        if (vector)
            *vector = svg;
        return drawn;
    }
    const qint64 n = file.size();
    const uchar* bytes = n > 0 ? file.map(0, n) : nullptr;
    const QImage picture = readRaster(file, bytes, n, &why, ownSize);
    if (bytes)
        file.unmap(const_cast<uchar*>(bytes));
    return picture.isNull() ? refuse() : picture;
}
