#include "packages/layers.h"

#include "packages/darklook.h"
#include "render/iconrenderer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Packages {

namespace {

IconDesign withoutBackground(const IconDesign& design)
{
    IconDesign bare = design;
    bare.useBackgroundColor = bare.useBackgroundGradient = bare.useBackgroundTransparent = false;
    return bare;
}

} // namespace

QRect inkBounds(const QImage& layer)
{
    int left = layer.width(), top = layer.height(), right = -1, bottom = -1;
    const int layerWidth = layer.width();
    for (int y = 0; y < layer.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < layerWidth; ++x)
            if (qAlpha(line[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage scaled(const QImage& image, int size)
{
    return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage transparentImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

bool transparentBackground(const IconDesign& design)
{
    return !design.useBackgroundColor && !design.useBackgroundGradient;
}

QImage rendered(const IconDesign& design)
{
    return renderIconImage(design);
}

QImage backgroundLayer(const IconDesign& design, const QRectF& frame, int size, const QColor& plate)
{
    QImage out = transparentImage(size);
    if (transparentBackground(design)) {
        if (plate.isValid())
            out.fill(plate);
        return out;
    }
    QPainter p(&out);
    p.scale(size / frame.width(), size / frame.height());
    p.translate(-frame.topLeft());
    // A pixel beyond the image on every side, so its edges are fully covered.
    p.fillRect(p.transform().inverted().mapRect(QRectF(out.rect()).adjusted(-1, -1, 1, 1)),
               backgroundBrush(design));
    return out;
}

QImage foregroundLayer(const IconDesign& design)
{
    return rendered(withoutBackground(design));
}

QImage placed(const Downscaler& layer, const QRectF& frame, int size)
{
    QImage out = transparentImage(size);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const double k = size / frame.width();
    const QRectF target(-frame.x() * k, -frame.y() * k, canvas * k, canvas * k);
    const double whole = std::round(target.width());
    if (std::abs(target.width() - whole) < 1e-9 && whole < canvas &&
        std::abs(target.x() - std::round(target.x())) < 1e-9 &&
        std::abs(target.y() - std::round(target.y())) < 1e-9) {
        // Whole-pixel placements use the smooth downscale, which looks better than the painter's.
        p.drawImage(QPointF(std::round(target.x()), std::round(target.y())), layer.scaled(int(whole)));
    } else {
        p.drawImage(target, layer.image());
    }
    return out;
}

QImage composed(const QImage& background, const QImage& foreground)
{
    QImage out = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.drawImage(0, 0, foreground);
    return out;
}

double inkReach(const QImage& layer)
{
    const QImage pixels = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double cx = pixels.width() / 2.0, cy = pixels.height() / 2.0;
    double reach = 0;
    const int pixelsWidth = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        // The pixel's corner farthest from the centre; in a row, the ink farthest from the centre
        // is its first or its last.
        const double dy = std::max(std::abs(y - cy), std::abs(y + 1 - cy));
        int first = 0, last = pixelsWidth - 1;
        while (first < pixelsWidth && !qAlpha(line[first]))
            ++first;
        if (first == pixelsWidth)
            continue;
        while (!qAlpha(line[last]))
            --last;
        for (int x : {first, last})
            reach = std::max(reach, std::hypot(std::max(std::abs(x - cx), std::abs(x + 1 - cx)), dy));
    }
    return reach;
}

QRectF fittedFrame(const QRectF& base, double reach, double radius)
{
    const double side = std::max(base.width(), reach / radius);
    const QPointF centre(canvas / 2.0, canvas / 2.0);
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

QImage monochrome(const QImage& layer)
{
    QImage out = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int outWidth = out.width();
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
            const int a = qAlpha(line[x]);
            line[x] = qRgba(a, a, a, a); // premultiplied white
        }
    }
    return out;
}

const QImage& DesignLayers::foreground() const
{
    return keptForeground.get([this] { return foregroundLayer(d); });
}

const QImage& DesignLayers::derived(const QString& key, const std::function<QImage()>& make) const
{
    Once* once = nullptr;
    {
        const std::lock_guard<std::mutex> lock(derivedMutex);
        std::unique_ptr<Once>& slot = derivedPictures[key];
        if (!slot)
            slot = std::make_unique<Once>();
        once = slot.get();
    }
    return once->get(make);
}

const QImage& DesignLayers::picture() const
{
    return keptPicture.get([this] { return pictureOnly(d); });
}

const QImage& DesignLayers::text() const
{
    return keptText.get([this] { return textOnly(d); });
}

QImage opaque(const QImage& image, const QColor& plate)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(plate);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

QImage pictureOnly(const IconDesign& design)
{
    IconDesign picture = withoutBackground(design);
    picture.text.clear();
    return rendered(picture);
}

QImage textOnly(const IconDesign& design)
{
    IconDesign text = withoutBackground(design);
    text.useImageFlat = text.useImageColored = text.useImageCustom = false;
    return rendered(text);
}

bool pictureKeepsItsColours(const IconDesign& design)
{
    // The renderer's priority: a flat picture wins over the others.
    return !design.useImageFlat && (design.useImageColored || design.useImageCustom);
}

QPainterPath superellipse(const QRectF& r, double degree)
{
    QPainterPath path;
    constexpr int steps = 720;
    for (int i = 0; i < steps; ++i) {
        const double t = 2 * M_PI * i / steps, ct = std::cos(t), st = std::sin(t);
        const QPointF p(
            r.center().x() + r.width() / 2 * std::copysign(std::pow(std::abs(ct), 2 / degree), ct),
            r.center().y() + r.height() / 2 * std::copysign(std::pow(std::abs(st), 2 / degree), st));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

} // namespace Packages
