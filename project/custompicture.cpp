#include "project/custompicture.h"

#include "base/fileio.h"

#include <QFile>
#include <QImageReader>

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
