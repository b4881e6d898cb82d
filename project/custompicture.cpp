#include "project/custompicture.h"

#include "base/fileio.h"
#include "render/iconrenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <png.h>

#include <cmath>
#include <csetjmp>
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

void readFromFile(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<QFile*>(png_get_io_ptr(png));
    if (file->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length))
        png_error(png, "the file ends early");
}

void quietWarning(png_structp, png_const_charp) {}

// What averaging a PNG's rows into a smaller picture needs, allocated before libpng may jump back
// on an error (no object is made after that point, so none is left undestroyed).
struct Reduction
{
    int w, h, tw, th;
    png_byte* row;        // one decoded row, RGBA
    const int* column;    // the held column of each source column
    const int* perColumn; // source columns a held column takes
    quint64* sums;        // a band's sums, four a held column
    QImage* out;
};

void flushBand(const Reduction& r, int band, int rows)
{
    QRgb* line = reinterpret_cast<QRgb*>(r.out->scanLine(band));
    for (int x = 0; x < r.tw; ++x) {
        const quint64 n = quint64(r.perColumn[x]) * quint64(rows);
        quint64* s = r.sums + size_t(x) * 4;
        const quint64 half = n * 255 / 2;
        line[x] = qRgba(int((s[0] + half) / (n * 255)), int((s[1] + half) / (n * 255)),
                        int((s[2] + half) / (n * 255)), int((s[3] + n / 2) / n));
        s[0] = s[1] = s[2] = s[3] = 0;
    }
}

bool streamRows(png_structp png, png_infop info, QFile& file, const Reduction& r)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_set_read_fn(png, &file, readFromFile);
    png_read_info(png, info);
    png_set_expand(png);   // palette and low-bit grey to 8 bits, transparency to alpha
    png_set_scale_16(png); // 16 bits to 8, rounded
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    if (png_set_interlace_handling(png) > 1)
        return false;
    png_read_update_info(png, info);
    if (int(png_get_image_width(png, info)) != r.w || int(png_get_image_height(png, info)) != r.h ||
        png_get_rowbytes(png, info) != size_t(r.w) * 4)
        return false;
    int band = 0, rows = 0;
    for (int y = 0; y < r.h; ++y) {
        png_read_row(png, r.row, nullptr);
        const int target = int(qint64(y) * r.th / r.h);
        if (target != band) {
            flushBand(r, band, rows);
            band = target;
            rows = 0;
        }
        const png_byte* p = r.row;
        for (int x = 0; x < r.w; ++x, p += 4) {
            quint64* s = r.sums + size_t(r.column[x]) * 4;
            s[0] += quint64(p[0]) * p[3];
            s[1] += quint64(p[1]) * p[3];
            s[2] += quint64(p[2]) * p[3];
            s[3] += p[3];
        }
        ++rows;
    }
    flushBand(r, band, rows);
    return true;
}

// Decodes a non-interlaced PNG of `size` a row at a time straight into a picture of `held` pixels
// (smaller), each held pixel the mean of the source pixels that fall into it (weighted by their
// alpha), so that the whole picture is never in memory. Null when the file is not such a PNG.
QImage readReducedPng(QFile& file, QSize size, QSize held)
{
    QImage out(held, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return QImage();
    std::vector<png_byte> row(size_t(size.width()) * 4);
    std::vector<int> column(static_cast<size_t>(size.width())),
        perColumn(static_cast<size_t>(held.width()), 0);
    std::vector<quint64> sums(size_t(held.width()) * 4, 0);
    for (int x = 0; x < size.width(); ++x) {
        column[size_t(x)] = int(qint64(x) * held.width() / size.width());
        ++perColumn[size_t(column[size_t(x)])];
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, quietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool ok = info && streamRows(png, info, file,
                                       {size.width(), size.height(), held.width(), held.height(), row.data(),
                                        column.data(), perColumn.data(), sums.data(), &out});
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return ok ? out : QImage();
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
