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

QString cannotHold(const ImageFormat& format, QSize size)
{
    if (format.largestSide == 0)
        return QString();
    const QString name = QLatin1String(format.name);
    const int side = size.width();
    if (size.height() != side)
        return QStringLiteral("%1 holds square pictures only").arg(name);
    if (side > format.largestSide)
        return QStringLiteral("%1 holds at most %2 x %2 pixels").arg(name).arg(format.largestSide);
    if (format.powerOfTwoAbove16 && side > 16 && (side & (side - 1)) != 0)
        return QStringLiteral("%1 holds 16 x 16 pixels or less, or 32, 64, 128, 256, 512 or 1024 a side")
            .arg(name);
    return QString();
}

QByteArray encodeImageFile(const QImage& image, const ImageFormat& format, int quality, QSize expected,
                           QString* why)
{
    auto refuse = [why](const QString& reason) {
        *why = reason;
        return QByteArray();
    };
    if (image.isNull())
        return refuse(QStringLiteral("there is no image to write"));
    // The icon containers hold squares of certain sizes only: no need to encode anything else.
    const QString tooBig = cannotHold(format, expected);
    if (!tooBig.isEmpty())
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
            return refuse(QStringLiteral("the %1 writer cannot encode it").arg(QLatin1String(format.name)));
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
        return refuse(QStringLiteral("%1 cannot hold %2 x %3 pixels")
                          .arg(QLatin1String(format.name))
                          .arg(expected.width())
                          .arg(expected.height()));
    return encoded;
}

Files::Result writeImageFile(const QString& path, const QImage& image, const ImageFormat& format, int quality,
                             QSize expected, const Files::WriteOptions& options)
{
    QString why;
    const QByteArray encoded = encodeImageFile(image, format, quality, expected, &why);
    return encoded.isEmpty() ? Files::Result::failure(why) : Files::write(path, encoded, options);
}

} // namespace Export
