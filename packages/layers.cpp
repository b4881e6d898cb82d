#include "packages/layers.h"

#include "render/iconrenderer.h"

#include <QHash>
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

// The smallest rectangle holding every pixel with coverage; empty for a blank layer.
QRect inkBounds(const QImage& layer)
{
    int left = layer.width(), top = layer.height(), right = -1, bottom = -1;
    for (int y = 0; y < layer.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < layer.width(); ++x)
            if (qAlpha(line[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The tones of a picture standing on a plate of its own: alpha scaled by how far each pixel's
// luminance is from the plate's (the mean of the picture's edge), stretched so the strongest
// details are fully opaque. A picture whose edge is mostly transparent is a shape already, and
// keeps its alpha.
QImage toneShape(const QImage& picture)
{
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
    const QRect box = inkBounds(pixels);
    if (box.isEmpty())
        return monochrome(picture);
    double edgeAlpha = 0, edgeTone = 0;
    int edge = 0;
    auto visit = [&](int x, int y) {
        const QRgb p = pixels.pixel(x, y);
        edgeAlpha += qAlpha(p);
        edgeTone += qAlpha(p) * qGray(p);
        ++edge;
    };
    for (int x = box.left(); x <= box.right(); ++x) {
        visit(x, box.top());
        visit(x, box.bottom());
    }
    for (int y = box.top() + 1; y < box.bottom(); ++y) {
        visit(box.left(), y);
        visit(box.right(), y);
    }
    if (edgeAlpha < 0.5 * 255 * edge)
        return monochrome(picture);
    const int paper = int(std::lround(edgeTone / edgeAlpha));

    // The 98th percentile of the tone differences is taken as full ink, so a few extreme pixels
    // do not leave the rest faint; a nearly flat picture is not stretched into noise.
    int histogram[256] = {};
    long counted = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb p = pixels.pixel(x, y);
            if (qAlpha(p) >= 128) {
                ++histogram[std::abs(qGray(p) - paper)];
                ++counted;
            }
        }
    int full = 255;
    for (long seen = 0; full > 0; --full) {
        seen += histogram[full];
        if (seen > counted / 50)
            break;
    }
    full = std::max(full, 20);

    QImage out(pixels.size(), QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int ink = std::min(255, std::abs(qGray(in[x]) - paper) * 255 / full);
            line[x] = qRgba(255, 255, 255, qAlpha(in[x]) * ink / 255);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Visits every pixel of an unpremultiplied copy of `image`, replacing it by `recolour(pixel)`
// (alpha kept). A costly recolouring (`memoized`) is worked out once a colour: shapes have few.
template <class F> QImage recoloured(const QImage& image, F recolour, bool memoized = false)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, QRgb> memo;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a == 0)
                continue;
            const QRgb rgb = line[x] | 0xff000000u;
            QRgb result;
            if (memoized) {
                auto hit = memo.constFind(rgb);
                if (hit == memo.constEnd())
                    hit = memo.insert(rgb, recolour(rgb));
                result = *hit;
            } else {
                result = recolour(rgb);
            }
            line[x] = (result & 0x00ffffffu) | (QRgb(a) << 24);
        }
    }
    return out;
}

// Alpha-weighted mean of qGray over the pixels of `image`; -1 when it has no coverage.
double meanTone(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    double sum = 0, weight = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            sum += double(qAlpha(line[x])) * qGray(line[x]);
            weight += qAlpha(line[x]);
        }
    }
    return weight > 0 ? sum / weight : -1;
}

} // namespace

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
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / frame.width(), size / frame.height());
    p.translate(-frame.topLeft());
    p.fillRect(frame, backgroundBrush(design));
    return out;
}

QImage foregroundLayer(const IconDesign& design)
{
    return rendered(withoutBackground(design));
}

QImage placed(const QImage& layer, const QRectF& frame, int size)
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
        p.drawImage(QPointF(std::round(target.x()), std::round(target.y())), scaled(layer, int(whole)));
    } else {
        p.drawImage(target, layer);
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
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        // The pixel's corner farthest from the centre.
        const double dy = std::max(std::abs(y - cy), std::abs(y + 1 - cy));
        for (int x = 0; x < pixels.width(); ++x)
            if (qAlpha(line[x]))
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
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(line[x]);
            line[x] = qRgba(a, a, a, a); // premultiplied white
        }
    }
    return out;
}

QImage monochromeLayer(const IconDesign& design)
{
    return monochromeLayer(DesignLayers(design));
}

QImage monochromeLayer(const DesignLayers& layers)
{
    const IconDesign& design = layers.design();
    if (!design.useImageColored && !design.useImageCustom)
        return monochrome(layers.foreground());
    // The picture by its tones, the text by its outline, the text on top.
    QImage out = toneShape(layers.picture());
    if (!design.text.isEmpty()) {
        QPainter p(&out);
        p.drawImage(0, 0, monochrome(layers.text()));
    }
    return out;
}

const QImage& DesignLayers::foreground() const
{
    return kept[0].get([this] { return foregroundLayer(d); });
}

const QImage& DesignLayers::picture() const
{
    return kept[1].get([this] { return pictureOnly(d); });
}

const QImage& DesignLayers::text() const
{
    return kept[2].get([this] { return textOnly(d); });
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

QImage luminance(const QImage& picture)
{
    return recoloured(picture, [](QRgb p) {
        const int g = qGray(p);
        return qRgb(g, g, g);
    });
}

namespace {

// A glyph of the picture's part with the text's part in front, each made from its own layer; a
// part alone when the other has no ink.
template <class PicturePart, class TextPart>
QImage glyphOf(const DesignLayers& layers, PicturePart picturePart, TextPart textPart)
{
    const IconDesign& design = layers.design();
    const QImage& picture = layers.picture();
    const bool hasPicture = !inkBounds(picture).isEmpty();
    if (design.text.isEmpty() || !hasPicture)
        return hasPicture || design.text.isEmpty() ? picturePart(picture) : textPart(layers.text());
    QImage glyph = picturePart(picture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&glyph);
    p.drawImage(0, 0, textPart(layers.text()));
    p.end();
    return glyph.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage darkGlyph(const DesignLayers& layers, const QColor& color)
{
    const IconDesign& design = layers.design();
    // One chosen colour for every shape paints them as one.
    if (color.isValid() && !pictureKeepsItsColours(design))
        return darkShape(layers.foreground(), color);
    return glyphOf(
        layers,
        [&](const QImage& picture) {
            return pictureKeepsItsColours(design) ? picture.convertToFormat(QImage::Format_ARGB32)
                                                  : darkShape(picture, color);
        },
        [&](const QImage& text) { return darkShape(text, color); });
}

QImage tintedGlyph(const DesignLayers& layers, const QColor& color)
{
    const IconDesign& design = layers.design();
    if (color.isValid() && !pictureKeepsItsColours(design))
        return tintedShape(layers.foreground(), color);
    return glyphOf(
        layers,
        [&](const QImage& picture) {
            return pictureKeepsItsColours(design) ? luminance(picture) : tintedShape(picture, color);
        },
        [&](const QImage& text) { return tintedShape(text, color); });
}

QImage darkShape(const QImage& foreground, const QColor& color)
{
    if (color.isValid())
        return recoloured(foreground, [&color](QRgb) { return color.rgb(); });
    // The dark plate is near black: a glyph whose tones average below this reads poorly on it.
    if (meanTone(foreground) >= 100)
        return foreground.convertToFormat(QImage::Format_ARGB32);
    return recoloured(
        foreground,
        [](QRgb p) {
            const QColor c = QColor::fromRgb(p).toHsl();
            return QColor::fromHsl(c.hslHue(), c.hslSaturation(), 255 - c.lightness()).rgb();
        },
        true);
}

QImage tintedShape(const QImage& foreground, const QColor& color)
{
    if (color.isValid()) {
        const int g = qGray(color.rgb());
        return recoloured(foreground, [g](QRgb) { return qRgb(g, g, g); });
    }
    const QImage glyph = darkShape(foreground);
    // The tone range of the clearly visible pixels, ignoring the outermost 2 % at either end.
    int histogram[256] = {};
    long counted = 0;
    for (int y = 0; y < glyph.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(glyph.constScanLine(y));
        for (int x = 0; x < glyph.width(); ++x)
            if (qAlpha(line[x]) >= 128) {
                ++histogram[qGray(line[x])];
                ++counted;
            }
    }
    int low = 0, high = 255;
    for (long seen = 0; low < 255 && (seen += histogram[low]) <= counted / 50;)
        ++low;
    for (long seen = 0; high > 0 && (seen += histogram[high]) <= counted / 50;)
        --high;
    const bool oneTone = high - low < 16;
    return recoloured(glyph, [=](QRgb p) {
        // The darkest tone stays a quarter bright, so every part of the glyph takes the tint.
        const int g = oneTone ? 255 : 64 + std::clamp(qGray(p) - low, 0, high - low) * 191 / (high - low);
        return qRgb(g, g, g);
    });
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
