#include "project/custompicture.h"

#include "base/fileio.h"
#include "base/memory.h"
#include "base/png.h"
#include "render/iconrenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <vector>

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
bool embedsOversizedPicture(QFile& file)
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

// Decodes a non-interlaced PNG of `size` a row at a time straight into a picture of `held` pixels
// (smaller), each held pixel the mean of the source pixels that fall into it (weighted by their
// alpha), so that the whole picture is never in memory. Null when the file is not such a PNG, or
// damaged.
QImage readReducedPng(QFile& file, QSize size, QSize held)
{
    Png::RowReader reader(file);
    QImage out = Memory::image(held, QImage::Format_ARGB32_Premultiplied);
    if (!reader.isValid() || reader.size() != size || out.isNull())
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
        if (!reader.readRow(row.data()))
            return QImage();
        const int target = int(qint64(y) * th / h);
        if (target != band) {
            flushBand(band, rows);
            band = target;
            rows = 0;
        }
        const uchar* p = row.data();
        quint32* s = sums.data();
        for (int x = 0; x < tw; ++x, s += 4) {
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
        }
        ++rows;
    }
    flushBand(band, rows);
    return out;
}

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

QImage loadCustomPicture(const QString& path, QString* error)
{
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    QFile file;
    const Files::Result opened = Files::openRegular(file, path);
    if (!opened)
        return refuse(opened.error);
    // The content decides, not the name.
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty() || format == "svg" || format == "svgz")
        return refuse(QStringLiteral("it is not a picture the program can read"));
    // The readers allocate what their header declares, so checking it first keeps a picture that
    // is too big from being allocated at all.
    QSize declared = reader.size();
    if (format == "gif") {
        // The GIF reader paints each frame onto the logical screen its header declares.
        const QByteArray header = file.peek(10);
        if (header.size() == 10)
            declared = declared.expandedTo(QSize(quint8(header[6]) | quint8(header[7]) << 8,
                                                 quint8(header[8]) | quint8(header[9]) << 8));
    }
    if (!withinLimits(declared) ||
        ((format == "ico" || format == "cur" || format == "icns") && embedsOversizedPicture(file)))
        return refuse(QStringLiteral("it is larger than %1 pixels a side or %2 megapixels")
                          .arg(maximumPictureSide)
                          .arg(maximumPicturePixels / 1000000));
    const QSize held = heldSize(declared);
    const qint64 decoded = qint64(declared.width()) * declared.height() * bytesPerPixel(reader.imageFormat());
    QImage picture;
    if (held == declared && decoded <= decodingBudget) {
        picture = reader.read();
    } else if (format == "png") {
        file.seek(0);
        picture = readReducedPng(file, declared, held);
        if (picture.isNull() && decoded <= decodingBudget) {
            // An interlaced PNG is read whole, then reduced.
            file.seek(0);
            QImageReader whole(&file, "png");
            picture = whole.read().scaled(held, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    } else if (format == "jpeg") {
        // The JPEG decoder scales while it decodes.
        reader.setScaledSize(held);
        picture = reader.read();
    } else if (decoded <= decodingBudget) {
        picture = reader.read();
        if (picture.size() == declared)
            picture = picture.scaled(held, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        return refuse(QStringLiteral("it would take more than %1 MB to decode").arg(decodingBudget >> 20));
    }
    if (picture.size() != held)
        return refuse(QStringLiteral("it could not be read whole"));
    setOwnSize(picture, declared);
    return picture;
}
