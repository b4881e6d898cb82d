#include "export/imageformats.h"

#include "base/png.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace Export {

const ImageFormat* formatAt(int index, int count)
{
    return index >= 0 && index < count && index < iconFormatCount ? &imageFormats[index] : nullptr;
}

const ImageFormat* formatNamed(const char* name)
{
    for (const ImageFormat& format : imageFormats)
        if (qstricmp(format.name, name) == 0)
            return &format;
    return nullptr;
}

const ImageFormat& formatForPath(const QString& path)
{
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpeg"))
        suffix = QStringLiteral("jpg");
    if (suffix == QLatin1String("tif"))
        suffix = QStringLiteral("tiff");
    for (const ImageFormat& format : imageFormats)
        if (suffix == QLatin1String(format.extension))
            return format;
    return imageFormats[0];
}

Problem cannotHold(const ImageFormat& format, QSize size)
{
    if (format.largestSide == 0)
        return Problem();
    const QString name = QLatin1String(format.name);
    const int side = size.width();
    if (size.height() != side)
        return Problem{Reason::FormatSquareOnly, {name}, QString()};
    if (side > format.largestSide)
        return Problem{Reason::FormatHoldsAtMost, {name, QString::number(format.largestSide)}, QString()};
    if (format.powerOfTwoAbove16 && side > 16 && (side & (side - 1)) != 0)
        return Problem{Reason::FormatPowersOfTwo, {name}, QString()};
    return Problem();
}

QByteArray encodeImageFile(const QImage& image, const ImageFormat& format, int quality, QSize expected,
                           Problem* why)
{
    auto refuse = [why](const Problem& problem) {
        *why = problem;
        return QByteArray();
    };
    if (image.isNull())
        return refuse({Reason::NoImage, {}, QString()});
    // The icon containers hold squares of certain sizes only: no need to encode anything else.
    if (const Problem tooBig = cannotHold(format, expected))
        return refuse(tooBig);
    // The same density whatever screen the image was made under.
    QImage source = Png::withDensity(image);
    if (!format.keepsAlpha && source.hasAlphaChannel()) {
        // Left to the writer, transparent pixels would come out black.
        QImage flat = Png::withDensity(QImage(source.size(), QImage::Format_RGB32));
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, source);
        painter.end();
        source = flat;
    }
    // PNG, the common case, goes through the faster encoder (the same pixels); the rest, and PNGs
    // of formats it does not take, through the toolkit's writers.
    QByteArray encoded = qstrcmp(format.name, "PNG") == 0 ? Png::encode(source) : QByteArray();
    if (encoded.isEmpty()) {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!source.save(&buffer, format.name, quality))
            return refuse({Reason::WriterCannot, {QLatin1String(format.name)}, QString()});
    }
    // Read the result back: a writer that cannot hold the size still reports success. A PNG's
    // header says it at once (a reader would first load every image plug-in).
    QSize written = qstrcmp(format.name, "PNG") == 0 ? Png::headerSize(encoded) : QSize();
    if (!written.isValid()) {
        QBuffer check(&encoded);
        check.open(QIODevice::ReadOnly);
        QImageReader reader(&check, format.name);
        written = reader.size();
        if (!written.isValid())
            written = reader.read().size();
    }
    if (written != expected)
        return refuse({Reason::CannotHold,
                       {QLatin1String(format.name), QString::number(expected.width()),
                        QString::number(expected.height())},
                       QString()});
    return encoded;
}

Files::Result writeImageFile(const QString& path, const QImage& image, const ImageFormat& format, int quality,
                             QSize expected, const Files::WriteOptions& options)
{
    Problem why;
    const QByteArray encoded = encodeImageFile(image, format, quality, expected, &why);
    return encoded.isEmpty() ? Files::Result::failure(why) : Files::write(path, encoded, options);
}

} // namespace Export
