#pragma once

#include <QImage>
#include <QVector>

// Smooth downscaling of one image to many sizes. The image is halved again and again (each pixel
// the mean of the four it covers), and each size is scaled from the smallest halving still at
// least twice as large, with the toolkit's smooth (area-averaging) scaling: the look of scaling
// straight from the image, for a fraction of the work when a dozen sizes are made from one icon.
// Read-only once made, so any number of threads may scale from it at once.
class Downscaler
{
  public:
    // Halves `image` while both sides stay even and at least twice `smallest`. Premultiplied ARGB32
    // and RGB32 are halved; any other format is scaled straight from the image.
    explicit Downscaler(const QImage& image, int smallest = 16);

    // The image scaled to fit size x size, its aspect ratio kept (as QImage::scaled with
    // Qt::KeepAspectRatio and Qt::SmoothTransformation); the image itself at its own size.
    QImage scaled(int size) const;
    // The image itself.
    const QImage& image() const { return levels.first(); }

  private:
    QVector<QImage> levels; // the image, then each halving
};

// One 2 x 2 mean of a premultiplied ARGB32 or RGB32 image with even sides.
QImage halved(const QImage& image);
