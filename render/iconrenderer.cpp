#include "render/iconrenderer.h"

#include "base/png.h"
#include "render/artwork.h"
#include "render/vectorpicture.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int canvasSize = 1024;

// The size QImage::scaled gives for a keep-aspect-ratio request, or an empty size when the
// request itself is empty (which QImage::scaled answers with a null image).
QSize keepAspectSize(QSize source, int w, int h)
{
    if (w <= 0 || h <= 0)
        return QSize();
    QSize s = source.scaled(w, h, Qt::KeepAspectRatio);
    return QSize(std::max(s.width(), 1), std::max(s.height(), 1));
}

// Sample positions of the toolkit's smooth enlargement along one axis: source index and an 8-bit
// weight towards the next source pixel, for destination pixels first ... first + count - 1.
void upscalePoints(int src, int dst, int first, int count, std::vector<int>& pos, std::vector<int>& weight)
{
    pos.resize(count);
    weight.resize(count);
    const qint64 inc = (qint64(src) << 16) / dst;
    qint64 val = qint64(0x8000) * src / dst - 0x8000 + inc * first;
    for (int i = 0; i < count; ++i, val += inc) {
        const int p = int(val >> 16);
        pos[i] = std::max(p, 0);
        weight[i] = (p < 0 || p >= src - 1) ? 0 : int((val >> 8) & 0xff);
    }
}

inline uint lerp256(uint a, uint b, uint w)
{
    // Per channel a * (256 - w) + b * w over 256, on premultiplied ARGB.
    const uint iw = 256 - w;
    uint rb = ((a & 0x00ff00ff) * iw + (b & 0x00ff00ff) * w) >> 8;
    uint ag = (((a >> 8) & 0x00ff00ff) * iw + ((b >> 8) & 0x00ff00ff) * w) >> 8;
    return (rb & 0x00ff00ff) | ((ag & 0x00ff00ff) << 8);
}

// Bilinear enlargement of `src` (premultiplied) to dw x dh, computing only `part` of the result.
QImage enlargePart(const QImage& src, int dw, int dh, const QRect& part)
{
    std::vector<int> xp, xa, yp, ya;
    upscalePoints(src.width(), dw, part.x(), part.width(), xp, xa);
    upscalePoints(src.height(), dh, part.y(), part.height(), yp, ya);
    QImage out(part.size(), QImage::Format_ARGB32_Premultiplied);
    const int sw = src.width();
    const int partWidth = part.width();
    for (int y = 0; y < part.height(); ++y) {
        const uint* top = reinterpret_cast<const uint*>(src.constScanLine(yp[y]));
        const uint* below = ya[y] > 0 ? reinterpret_cast<const uint*>(src.constScanLine(yp[y] + 1)) : top;
        uint* d = reinterpret_cast<uint*>(out.scanLine(y));
        for (int x = 0; x < partWidth; ++x) {
            const int p = xp[x];
            const int next = xa[x] > 0 && p + 1 < sw ? p + 1 : p;
            const uint t = xa[x] > 0 ? lerp256(top[p], top[next], xa[x]) : top[p];
            if (ya[y] > 0) {
                const uint b = xa[x] > 0 ? lerp256(below[p], below[next], xa[x]) : below[p];
                d[x] = lerp256(t, b, ya[y]);
            } else {
                d[x] = t;
            }
        }
    }
    return out;
}

QRect placement(QSize scaled, QPoint offset, QSize canvas)
{
    // Integer halving truncates toward zero, as C++ division does.
    return QRect((canvas.width() - scaled.width()) / 2 + offset.x(),
                 (canvas.height() - scaled.height()) / 2 + offset.y(), scaled.width(), scaled.height());
}

struct PictureKey
{
    QString source; // library path, empty for a custom picture
    qint64 custom = 0;
    QSize own; // a custom picture's own size
    bool tinted = false;
    QRgb tint = 0;
    int scale = 0;
    QPoint offset;
    bool operator==(const PictureKey& o) const
    {
        return source == o.source && custom == o.custom && own == o.own && tinted == o.tinted &&
               tint == o.tint && scale == o.scale && offset == o.offset;
    }
};

// x * a / 255 per channel of premultiplied ARGB, rounded as the raster engine's compositing does.
inline uint byteMul(uint x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

// The picture as it lands on the canvas. A tinted picture keeps only its alpha, filled with the
// tint: the same pixels as filling a layer with an opaque tint and masking it with the picture in
// DestinationIn mode. An untinted picture drawn in DestinationAtop mode onto an empty layer is the
// picture itself.
// An SVG picture drawn from its vectors at the size it takes, only its part on the canvas.
QImage vectorOnCanvas(const QByteArray& svg, QSize own, int percent, QPoint offset, QSize canvas,
                      QPoint* topLeft)
{
    const QSize size = keepAspectSize(own, own.width() * percent / 100, own.height() * percent / 100);
    if (size.isEmpty())
        return QImage();
    const QRect placed = placement(size, offset, canvas);
    const QRect visible = placed.intersected(QRect(QPoint(0, 0), canvas));
    if (visible.isEmpty())
        return QImage();
    *topLeft = visible.topLeft();
    return VectorPicture::draw(svg, size,
                               visible == placed ? QRect() : visible.translated(-placed.topLeft()));
}

QImage pictureLayer(const QImage& picture, QSize own, const QByteArray& vector, const PictureKey& key,
                    QSize canvas, QPoint* at)
{
    QImage visible = vector.isEmpty() ? scaledPictureOnCanvas(picture, own, key.scale, key.offset, canvas, at)
                                      : vectorOnCanvas(vector, own, key.scale, key.offset, canvas, at);
    if (visible.isNull())
        return QImage();
    if (visible.format() != QImage::Format_ARGB32_Premultiplied)
        visible = visible.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!key.tinted)
        return visible;
    if (qAlpha(key.tint) != 255) {
        // Translucent tints are rare; let the painter do them.
        QImage layer(visible.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(QColor(0, 0, 0, 0));
        QPainter lp(&layer);
        lp.fillRect(layer.rect(), QColor::fromRgba(key.tint));
        lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        lp.drawImage(layer.rect(), visible);
        return layer;
    }
    // Into an image of its own: the visible part may still be the picture itself, shared.
    const uint tint = key.tint;
    QImage layer(visible.size(), QImage::Format_ARGB32_Premultiplied);
    const int visibleWidth = visible.width();
    for (int y = 0; y < visible.height(); ++y) {
        const uint* in = reinterpret_cast<const uint*>(visible.constScanLine(y));
        uint* line = reinterpret_cast<uint*>(layer.scanLine(y));
        for (int x = 0; x < visibleWidth; ++x) {
            const uint a = qAlpha(in[x]);
            line[x] = a == 0 ? 0 : a == 255 ? tint : byteMul(tint, a);
        }
    }
    return layer;
}

struct LayerCache
{
    PictureKey key;
    QImage layer;
    QPoint at;
    bool valid = false;
};

// The last picture layer, shared by every thread that renders.
QMutex layerMutex;
LayerCache& layerCache()
{
    static LayerCache cache;
    return cache;
}

// The last layer when it is the one `key` asks for; one marked not valid otherwise.
LayerCache lastLayer(const PictureKey& key)
{
    QMutexLocker lock(&layerMutex);
    const LayerCache& last = layerCache();
    return last.valid && last.key == key ? last : LayerCache();
}

void keepLayer(const LayerCache& layer)
{
    QMutexLocker lock(&layerMutex);
    layerCache() = layer;
}

// The design's picture, what its layer is made from and the key it is kept by.
struct PictureSource
{
    PictureKey key;
    QImage image;
    QSize own; // the size its scale counts in
    QByteArray vector;
};

PictureSource pictureOf(const IconDesign& design)
{
    PictureSource s;
    s.key.tinted = design.useImageFlat;
    s.key.tint = design.useImageFlat ? design.imageColor.rgba() : 0;
    s.key.scale = design.imageScale;
    s.key.offset = QPoint(design.imageOffsetX, design.imageOffsetY);
    if (design.useImageFlat) {
        s.key.source = Artwork::flatPath(design.flatImageRow + 1);
        s.image = Artwork::libraryImage(s.key.source);
        s.own = s.image.size();
    } else if (design.useImageColored) {
        s.key.source = Artwork::coloredPath(design.coloredImageRow + 1);
        s.image = Artwork::libraryImage(s.key.source);
        s.own = s.image.size();
    } else if (design.useImageCustom) {
        s.image = design.customImage;
        s.own = customPictureSize(design);
        s.vector = design.customVector;
        s.key.custom = s.image.cacheKey();
        s.key.own = s.own;
    }
    return s;
}

// Whether the picture's layer is made in a few milliseconds whatever its scale: a library
// picture, or a quick custom one.
bool isQuick(const PictureSource& picture)
{
    if (!picture.vector.isEmpty())
        return picture.vector.size() <= quickSvgBytes;
    return qint64(picture.image.width()) * picture.image.height() <= quickPicturePixels;
}

// The closed outlines of `path` that come within `margin` of `area`, with their points untouched,
// and the outermost ones (so that the painter treats the path's extent as before: a path reaching
// far beyond the canvas is clipped to it before it is filled). The others draw nothing there. A long
// text is far wider than the canvas: at 999 pt a line of 32767 characters has a few outlines on it
// and some hundred thousand beside it.
QPainterPath outlinesNear(const QPainterPath& path, const QRectF& area, qreal margin)
{
    const QRectF near = area.adjusted(-margin, -margin, margin, margin);
    if (near.contains(path.controlPointRect()))
        return path;
    struct Outline
    {
        int start, end;
        qreal left, top, right, bottom;
    };
    std::vector<Outline> outlines;
    const int count = path.elementCount();
    for (int start = 0; start < count;) {
        Outline o{start,
                  start + 1,
                  path.elementAt(start).x,
                  path.elementAt(start).y,
                  path.elementAt(start).x,
                  path.elementAt(start).y};
        for (; o.end < count && path.elementAt(o.end).type != QPainterPath::MoveToElement; ++o.end) {
            const QPainterPath::Element& e = path.elementAt(o.end);
            o.left = std::min(o.left, e.x);
            o.right = std::max(o.right, e.x);
            o.top = std::min(o.top, e.y);
            o.bottom = std::max(o.bottom, e.y);
        }
        outlines.push_back(o);
        start = o.end;
    }
    size_t outermost[4] = {0, 0, 0, 0};
    for (size_t i = 1; i < outlines.size(); ++i) {
        const Outline& o = outlines[i];
        if (o.left < outlines[outermost[0]].left)
            outermost[0] = i;
        if (o.top < outlines[outermost[1]].top)
            outermost[1] = i;
        if (o.right > outlines[outermost[2]].right)
            outermost[2] = i;
        if (o.bottom > outlines[outermost[3]].bottom)
            outermost[3] = i;
    }
    QPainterPath kept;
    kept.setFillRule(path.fillRule());
    for (size_t i = 0; i < outlines.size(); ++i) {
        const Outline& o = outlines[i];
        const bool isNear = o.left <= near.right() && o.right >= near.left() && o.top <= near.bottom() &&
                            o.bottom >= near.top();
        if (!isNear && std::find(std::begin(outermost), std::end(outermost), i) == std::end(outermost))
            continue;
        kept.moveTo(path.elementAt(o.start));
        for (int e = o.start + 1; e < o.end; ++e) {
            const QPainterPath::Element& element = path.elementAt(e);
            if (element.type == QPainterPath::CurveToElement) {
                kept.cubicTo(element, path.elementAt(e + 1), path.elementAt(e + 2));
                e += 2;
            } else {
                kept.lineTo(element);
            }
        }
    }
    return kept;
}

// The outlines of a design's text and of its shadow, cut to what lands on the canvas.
struct TextOutlines
{
    QPainterPath text;
    QPainterPath shadow;
};

struct TextKey
{
    QString text;
    QString family;
    int size = 0;
    bool bold = false;
    bool italic = false;
    QPoint offset;
    bool shadow = false;
    int shadowAngle = 0;
    int shadowOffset = 0;
    int margin = 0;
    bool operator==(const TextKey& o) const
    {
        return text == o.text && family == o.family && size == o.size && bold == o.bold &&
               italic == o.italic && offset == o.offset && shadow == o.shadow &&
               shadowAngle == o.shadowAngle && shadowOffset == o.shadowOffset && margin == o.margin;
    }
};

// Text is measured and drawn at 96 dpi, whatever the screen (or QT_FONT_DPI) says, so every machine
// and every front end gives the same pixels: the font takes its resolution from a device of that
// density, not from the screen.
const QImage& fixedResolutionDevice()
{
    static const QImage device = [] {
        QImage d(1, 1, QImage::Format_ARGB32_Premultiplied);
        d.setDotsPerMeterX(Png::standardDotsPerMeter);
        d.setDotsPerMeterY(Png::standardDotsPerMeter);
        return d;
    }();
    return device;
}

} // namespace

QFont textFont(const IconDesign& design)
{
    // Weights 61/60 rather than Bold/Normal: stored designs were drawn with them, and the nearest
    // face they pick is what those designs look like.
    return QFont(QFont(design.fontFamily, design.fontSize, design.textBold ? 61 : 60, design.textItalic),
                 &fixedResolutionDevice());
}

namespace {

TextOutlines textOutlines(const IconDesign& design, const QRectF& area, int margin)
{
    const QFont font = textFont(design);
    const QRect tight = QFontMetrics(font, &fixedResolutionDevice()).tightBoundingRect(design.text);
    const int x = int((area.width() - tight.width()) * 0.5 + design.textOffsetX);
    const int y = int((tight.height() + area.height()) * 0.5 + design.textOffsetY);
    TextOutlines outlines;
    if (design.textShadow) {
        // 3.14, not pi: stored designs were drawn with it and keep their shadows where they were.
        const double a = design.shadowAngle * 3.14 / 180.0;
        QPainterPath shadow;
        shadow.addText(QPointF(x + std::cos(a) * design.shadowOffset, y + std::sin(a) * design.shadowOffset),
                       font, design.text);
        outlines.shadow = outlinesNear(shadow, area, margin);
    }
    QPainterPath text;
    text.addText(QPointF(x, y), font, design.text);
    outlines.text = outlinesNear(text, area, margin);
    return outlines;
}

// How far past the canvas the text's outlines are kept: an outline's stroke reaches half the pen's
// width beyond it, its smoothing a pixel more.
int textMargin(const IconDesign& design)
{
    return (design.textStroke ? design.strokeWidth : 0) + 4;
}

// Most edits leave the text alone: each thread keeps the outlines it drew last (painter paths
// fill lazily computed data of their own, so they are not shared between threads).
const TextOutlines& cachedTextOutlines(const IconDesign& design, const QRectF& area)
{
    thread_local TextKey lastKey;
    thread_local TextOutlines last;
    TextKey key;
    key.text = design.text;
    key.family = design.fontFamily;
    key.size = design.fontSize;
    key.bold = design.textBold;
    key.italic = design.textItalic;
    key.offset = QPoint(design.textOffsetX, design.textOffsetY);
    key.shadow = design.textShadow;
    key.shadowAngle = design.shadowAngle;
    key.shadowOffset = design.shadowOffset;
    key.margin = textMargin(design);
    if (!(key == lastKey)) {
        last = textOutlines(design, area, key.margin);
        lastKey = key;
    }
    return last;
}

} // namespace

TextPaths textPaths(const IconDesign& design)
{
    if (design.text.isEmpty())
        return TextPaths();
    const TextOutlines outlines =
        textOutlines(design, QRectF(0, 0, canvasSize, canvasSize), textMargin(design));
    return {outlines.text, outlines.shadow};
}

void clearRenderCaches()
{
    keepLayer(LayerCache());
    Artwork::clearImageCache();
    VectorPicture::forgetDrawings();
}

QImage scaledPictureOnCanvasDirect(const QImage& source, QSize own, int percent, QPoint offset, QSize canvas,
                                   QPoint* topLeft)
{
    const int w1 = own.width() * percent / 100;
    const int h1 = own.height() * percent / 100;
    if (source.isNull() || w1 <= 0 || h1 <= 0)
        return QImage();
    const QImage scaled = source.scaled(w1, h1, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QRect placed = placement(scaled.size(), offset, canvas);
    const QRect visible = placed.intersected(QRect(QPoint(0, 0), canvas));
    if (visible.isEmpty())
        return QImage();
    *topLeft = visible.topLeft();
    // All of it on the canvas: the image itself, no copy.
    return visible == placed ? scaled : scaled.copy(visible.translated(-placed.topLeft()));
}

QImage scaledPictureOnCanvas(const QImage& source, QSize own, int percent, QPoint offset, QSize canvas,
                             QPoint* topLeft)
{
    const int w1 = own.width() * percent / 100;
    const int h1 = own.height() * percent / 100;
    if (source.isNull())
        return QImage();
    const QSize size = keepAspectSize(source.size(), w1, h1);
    if (size.isEmpty())
        return QImage();
    const bool enlarged = size.width() > source.width() && size.height() > source.height();
    const qint64 area = qint64(size.width()) * size.height();
    // Moderate sizes go the toolkit's way; only big enlargements, which would build a layer many
    // times the canvas, are computed for their visible part alone.
    if (!enlarged || area <= 4LL * canvas.width() * canvas.height())
        return scaledPictureOnCanvasDirect(source, own, percent, offset, canvas, topLeft);
    const QRect placed = placement(size, offset, canvas);
    const QRect visible = placed.intersected(QRect(QPoint(0, 0), canvas));
    if (visible.isEmpty())
        return QImage();
    *topLeft = visible.topLeft();
    QImage src = source;
    if (src.format() != QImage::Format_ARGB32_Premultiplied)
        src = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return enlargePart(src, size.width(), size.height(), visible.translated(-placed.topLeft()));
}

QSize customPictureSize(const IconDesign& design)
{
    return design.customImageSize.isEmpty() ? design.customImage.size() : design.customImageSize;
}

QRect customPicturePlacement(const IconDesign& design, QSize canvas)
{
    const QSize own = customPictureSize(design);
    return placement(
        keepAspectSize(own, own.width() * design.imageScale / 100, own.height() * design.imageScale / 100),
        QPoint(design.imageOffsetX, design.imageOffsetY), canvas);
}

QBrush backgroundBrush(const IconDesign& design)
{
    if (design.useBackgroundColor)
        return QBrush(design.backgroundColor);
    if (!design.useBackgroundGradient)
        return QBrush();
    QLinearGradient gradient(design.gradientStartX, design.gradientStartY, design.gradientEndX,
                             design.gradientEndY);
    gradient.setColorAt(0.0, design.gradientStartColor);
    gradient.setColorAt(1.0, design.gradientEndColor);
    return QBrush(gradient);
}

QPixmap renderIcon(IconDesign design)
{
    return QPixmap::fromImage(renderIconImage(design));
}

namespace {

QImage composeIcon(const IconDesign& design, bool draft)
{
    QImage canvas(canvasSize, canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(0, 0, 0, 0));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0.0, 0.0, canvas.width(), canvas.height());

    // Background: the first true switch decides. A transparent fill over a transparent canvas
    // changes nothing, so that case draws nothing at all.
    if (design.useBackgroundColor || design.useBackgroundGradient) {
        QPainterPath shape;
        shape.addRoundedRect(area, design.cornerCurvature, design.cornerCurvature, Qt::AbsoluteSize);
        p.fillPath(shape, backgroundBrush(design));
    }

    // Picture: flat pictures are tinted (only their alpha survives), the others keep their colours.
    const PictureSource picture = pictureOf(design);
    if (!picture.image.isNull()) {
        // Most edits change the background or the text: keep the last picture layer.
        LayerCache layer = lastLayer(picture.key);
        if (layer.valid) {
            p.drawImage(layer.at, layer.layer);
        } else if (draft && !isQuick(picture)) {
            // The picture as it is held, drawn straight into its place.
            p.drawImage(placement(keepAspectSize(picture.own, picture.own.width() * picture.key.scale / 100,
                                                 picture.own.height() * picture.key.scale / 100),
                                  picture.key.offset, canvas.size()),
                        picture.image);
        } else {
            layer.layer = pictureLayer(picture.image, picture.own, picture.vector, picture.key, canvas.size(),
                                       &layer.at);
            layer.key = picture.key;
            layer.valid = true;
            keepLayer(layer);
            if (!layer.layer.isNull())
                p.drawImage(layer.at, layer.layer);
        }
    }

    if (!design.text.isEmpty()) {
        const TextOutlines& outlines = cachedTextOutlines(design, area);
        if (design.textShadow)
            p.fillPath(outlines.shadow, QBrush(design.shadowColor));
        p.fillPath(outlines.text, QBrush(design.textColor));
        if (design.textStroke) {
            QPen pen;
            pen.setWidth(design.strokeWidth);
            pen.setColor(design.strokeColor);
            p.setPen(pen);
            p.drawPath(outlines.text);
        }
    }
    p.end();
    return canvas;
}

} // namespace

bool renderIsQuick(const IconDesign& design)
{
    const PictureSource picture = pictureOf(design);
    return picture.image.isNull() || isQuick(picture) || lastLayer(picture.key).valid;
}

QImage renderIconImage(const IconDesign& design)
{
    return composeIcon(design, false);
}

QImage renderIconDraft(const IconDesign& design)
{
    return composeIcon(design, true);
}
