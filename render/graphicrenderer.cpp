#include "render/graphicrenderer.h"

#include "render/artwork.h"

#include <QPainter>

QPixmap renderGraphic(int category, const QColor& color, int row)
{
    QPixmap canvas(420, 420);
    canvas.fill(QColor(0, 0, 0, 0));
    const QImage picture = Artwork::libraryImage(Artwork::graphicPath(category, row + 1));
    if (picture.isNull())
        return canvas;

    QPixmap work(picture.size());
    work.fill(QColor(0, 0, 0, 0));
    QPainter wp(&work);
    wp.setRenderHint(QPainter::Antialiasing);
    const QRect r(QPoint(0, 0), picture.size());
    wp.fillRect(r, color);
    wp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    wp.drawImage(r, picture);
    wp.end();

    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawPixmap(r, work, r);
    p.end();
    return canvas;
}

QPixmap scaledCopy(QPixmap pixmap, int width, int height)
{
    if (pixmap.isNull() || width <= 0 || height <= 0)
        return QPixmap();
    return pixmap.scaled(width, height, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage scaledCopy(const QImage& image, int width, int height)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return QImage();
    return image.scaled(width, height, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
