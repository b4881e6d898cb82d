#include "export/exportformats.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace Export {

const Format formats[iconFormatCount] = {
    {"PNG", "png", "PNG Image (*.png)", false, true},
    {"JPG", "jpg", "JPG Image (*.jpg *.jpeg)", true, false},
    {"BMP", "bmp", "BMP Image (*.bmp)", false, false},
    {"TIFF", "tiff", "TIFF Image (*.tiff *.tif)", false, true},
    {"ICO", "ico", "ICO Image (*.ico)", false, true},
    {"ICNS", "icns", "ICNS Image (*.icns)", false, true},
};

const SizeOption androidSizes[6] = {
    {48, "checkExportAndroid48"},   {72, "checkExportAndroid72"},   {96, "checkExportAndroid96"},
    {144, "checkExportAndroid144"}, {192, "checkExportAndroid192"}, {512, "checkExportAndroid512"},
};

const SizeOption iosSizes[12] = {
    {29, "checkExportiOS29"},   {40, "checkExportiOS40"},   {58, "checkExportiOS58"},
    {60, "checkExportiOS60"},   {76, "checkExportiOS76"},   {80, "checkExportiOS80"},
    {87, "checkExportiOS87"},   {120, "checkExportiOS120"}, {152, "checkExportiOS152"},
    {167, "checkExportiOS167"}, {180, "checkExportiOS180"}, {1024, "checkExportiOS1024"},
};

const SizeOption graphicSizes[9] = {
    {20, "radioGraphicsSize20"},   {30, "radioGraphicsSize30"},   {40, "radioGraphicsSize40"},
    {50, "radioGraphicsSize50"},   {60, "radioGraphicsSize60"},   {90, "radioGraphicsSize90"},
    {100, "radioGraphicsSize100"}, {120, "radioGraphicsSize120"}, {150, "radioGraphicsSize150"},
};

QString timeStamp(const QDateTime& moment)
{
    return moment.date().toString(QStringLiteral("dd-MM-yyyy")) + QLatin1Char(' ') +
           moment.time().toString(QStringLiteral("hh-mm-ss"));
}

QString iconFileName(const QString& folder, int size, const QString& stamp, const QString& extension)
{
    QString name = folder + QStringLiteral("/Icon") + QString::number(size);
    if (!stamp.isEmpty())
        name += QLatin1Char(' ') + stamp;
    return name + QLatin1Char('.') + extension;
}

QString folderOf(const QString& path, QChar separator)
{
    const int cut = path.lastIndexOf(separator);
    return cut < 0 ? path : path.left(cut);
}

const Format* formatNamed(const char* name)
{
    for (const Format& format : formats)
        if (qstricmp(format.name, name) == 0)
            return &format;
    return nullptr;
}

Files::Result writeImageFile(const QString& path, const QPixmap& image, const char* format, int quality,
                             QSize expected)
{
    return writeImageFile(path, image.toImage(), format, quality, expected);
}

Files::Result writeImageFile(const QString& path, const QImage& image, const char* format, int quality,
                             QSize expected)
{
    if (image.isNull())
        return Files::Result::failure(QStringLiteral("there is no image to write"));
    QImage source = image;
    const Format* known = formatNamed(format);
    if (known && !known->keepsAlpha && source.hasAlphaChannel()) {
        // Left to the writer, transparent pixels would come out black.
        QImage flat(source.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, source);
        painter.end();
        source = flat;
    }
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!source.save(&buffer, format, quality))
            return Files::Result::failure(
                QStringLiteral("the %1 writer cannot encode it").arg(QLatin1String(format)));
    }
    // Read the result back: a writer that cannot hold the size (ICNS rounds down to a power of
    // two, ICO clamps at 256) still reports success.
    QBuffer check(&encoded);
    check.open(QIODevice::ReadOnly);
    QImageReader reader(&check, format);
    QSize written = reader.size();
    if (!written.isValid())
        written = reader.read().size();
    if (written != expected)
        return Files::Result::failure(QStringLiteral("%1 cannot hold %2 x %3 pixels")
                                          .arg(QLatin1String(format))
                                          .arg(expected.width())
                                          .arg(expected.height()));
    return Files::write(path, encoded);
}

} // namespace Export

QImage loadCustomPicture(const QString& path)
{
    QFile file;
    if (!Files::openRegular(file, path))
        return QImage();
    // The content decides, not the name: only what the Browse dialog offers is decoded.
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "bmp" && format != "tiff")
        return QImage();
    // These four readers decode exactly the size their header declares, so checking it here
    // keeps a picture that is too big from being allocated at all.
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > 16384 || declared.height() > 16384 ||
        qint64(declared.width()) * declared.height() > 100000000LL)
        return QImage();
    const QImage picture = reader.read();
    return picture.size() == declared ? picture : QImage();
}
