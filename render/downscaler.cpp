#include "render/downscaler.h"

#include <algorithm>

QImage halved(const QImage& image)
{
    const int w = image.width() / 2, h = image.height() / 2;
    QImage out(w, h, image.format());
    if (out.isNull())
        return out;
    // Two channels at a time in 16-bit lanes: four bytes of at most 255 and the rounding two
    // cannot carry into the next lane.
    constexpr quint32 lanes = 0x00ff00ff;
    for (int y = 0; y < h; ++y) {
        const quint32* a = reinterpret_cast<const quint32*>(image.constScanLine(2 * y));
        const quint32* b = reinterpret_cast<const quint32*>(image.constScanLine(2 * y + 1));
        quint32* o = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 p = a[2 * x], q = a[2 * x + 1], r = b[2 * x], s = b[2 * x + 1];
            const quint32 even = (p & lanes) + (q & lanes) + (r & lanes) + (s & lanes) + 0x00020002;
            const quint32 odd = ((p >> 8) & lanes) + ((q >> 8) & lanes) + ((r >> 8) & lanes) +
                                ((s >> 8) & lanes) + 0x00020002;
            o[x] = ((even >> 2) & lanes) | (((odd >> 2) & lanes) << 8);
        }
    }
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    return out;
}

Downscaler::Downscaler(const QImage& image, int smallest)
{
    levels.append(image);
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_RGB32)
        return;
    smallest = std::max(smallest, 1);
    for (QImage level = image; level.width() % 2 == 0 && level.height() % 2 == 0 &&
                               std::min(level.width(), level.height()) >= 4 * smallest;) {
        level = halved(level);
        if (level.isNull())
            break;
        levels.append(level);
    }
}

QImage Downscaler::scaled(int size) const
{
    const QImage& full = levels.first();
    const QSize target = full.size().scaled(size, size, Qt::KeepAspectRatio);
    if (target == full.size())
        return full;
    for (const QImage& level : levels)
        if (level.size() == target)
            return level;
    // The smallest halving at least twice the target on both sides.
    int k = 0;
    while (k + 1 < levels.size() && levels[k + 1].width() >= 2 * target.width() &&
           levels[k + 1].height() >= 2 * target.height())
        ++k;
    return levels[k].scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
