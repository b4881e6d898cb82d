#include "export/exportformats.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

namespace Export {

const Format formats[iconFormatCount] = {
    {"PNG", "png", "PNG Image (*.png)", false}, {"JPG", "jpg", "JPG Image (*.jpg *.jpeg)", true},
    {"BMP", "bmp", "BMP Image (*.bmp)", false}, {"TIFF", "tiff", "TIFF Image (*.tiff *.tif)", false},
    {"ICO", "ico", "ICO Image (*.ico)", false}, {"ICNS", "icns", "ICNS Image (*.icns)", false},
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

bool writeImageFile(const QString& path, const QPixmap& image, const char* format, int quality,
                    QSize expected)
{
    return writeImageFile(path, image.toImage(), format, quality, expected);
}

bool writeImageFile(const QString& path, const QImage& image, const char* format, int quality, QSize expected)
{
    if (image.isNull())
        return false;
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, format, quality))
            return false;
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
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(encoded) != encoded.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace Export

QImage loadCustomPicture(const QString& path)
{
    if (path.isEmpty() || !QFile::exists(path))
        return QImage();
    QImageReader reader(path);
    const QSize declared = reader.size();
    if (declared.isValid() && (declared.width() > 16384 || declared.height() > 16384 ||
                               qint64(declared.width()) * declared.height() > 100000000LL))
        return QImage();
    return reader.read();
}
