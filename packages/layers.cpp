#include "packages/layers.h"

#include "render/iconrenderer.h"

#include <QHash>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

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

// A logo's parts, as logoShape() finds them: the regions of even colour its edges divide it into,
// each pixel labelled with its part, and each part ink or hole.
class LogoParts
{
  public:
    LogoParts(const QImage& pixels, const QRect& box)
        : w(box.width()), h(box.height()), n(size_t(w) * size_t(h)), tone(n), alpha(n), core(n, false),
          label(n, -1), speck(std::max<size_t>(16, n / 2000))
    {
        for (int y = 0; y < h; ++y) {
            const QRgb* line =
                reinterpret_cast<const QRgb*>(pixels.constScanLine(box.top() + y)) + box.left();
            for (int x = 0; x < w; ++x) {
                tone[index(x, y)] = uchar(qGray(line[x]));
                alpha[index(x, y)] = uchar(qAlpha(line[x]));
            }
        }
        findEven();
        join();
        absorbSpecks();
        decide();
    }

    // The logo as one colour in `out`'s `box`: ink opaque, holes clear.
    void paint(QImage& out, const QRect& box) const;

  private:
    // Pixels within a few levels of every solid neighbour are even; parts whose lightness differs
    // by this much stand apart.
    static constexpr int even = 10;
    static constexpr double apart = 40;

    size_t index(int x, int y) const { return size_t(y) * size_t(w) + size_t(x); }
    double meanTone(size_t r) const { return toneSum[r] / double(std::max<size_t>(1, area[r])); }
    // Calls `f(u, v)` for the pixel's neighbours left, right, above and below, inside the logo.
    template <typename F> void neighbours(size_t i, F f) const
    {
        const int x = int(i % size_t(w)), y = int(i / size_t(w));
        if (x > 0)
            f(x - 1, y);
        if (x + 1 < w)
            f(x + 1, y);
        if (y > 0)
            f(x, y - 1);
        if (y + 1 < h)
            f(x, y + 1);
    }
    void findEven();
    void join();
    void absorbSpecks();
    void decide();

    const int w, h;
    const size_t n;
    std::vector<uchar> tone, alpha;
    std::vector<bool> core;   // even pixels: solid, not on an edge
    std::vector<int> label;   // each pixel's part, or -1
    std::vector<size_t> area; // each part's
    std::vector<double> toneSum;
    const size_t speck;     // parts smaller are no parts
    std::vector<int> state; // each part's: 1 ink, 0 hole
};

void LogoParts::findEven()
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = index(x, y);
            if (alpha[i] < 250)
                continue;
            bool flat = true;
            for (int v = std::max(0, y - 1); v <= std::min(h - 1, y + 1) && flat; ++v)
                for (int u = std::max(0, x - 1); u <= std::min(w - 1, x + 1) && flat; ++u)
                    flat = alpha[index(u, v)] < 250 || std::abs(tone[index(u, v)] - tone[i]) <= even;
            core[i] = flat;
        }
}

// The parts: even pixels joined to their even neighbours.
void LogoParts::join()
{
    std::vector<size_t> queue;
    queue.reserve(n);
    for (size_t start = 0; start < n; ++start) {
        if (!core[start] || label[start] >= 0)
            continue;
        const int id = int(area.size());
        area.push_back(0);
        toneSum.push_back(0);
        queue.clear();
        queue.push_back(start);
        label[start] = id;
        for (size_t q = 0; q < queue.size(); ++q) {
            const size_t i = queue[q];
            ++area[size_t(id)];
            toneSum[size_t(id)] += tone[i];
            neighbours(i, [&](int u, int v) {
                const size_t j = index(u, v);
                if (core[j] && label[j] < 0 && std::abs(tone[j] - tone[i]) <= even) {
                    label[j] = id;
                    queue.push_back(j);
                }
            });
        }
    }
}

// Specks are no parts: every other pixel with coverage takes the nearest part.
void LogoParts::absorbSpecks()
{
    std::vector<size_t> queue;
    for (size_t i = 0; i < n; ++i) {
        if (label[i] >= 0 && area[size_t(label[i])] < speck)
            label[i] = -1;
        if (label[i] >= 0)
            queue.push_back(i);
    }
    for (size_t q = 0; q < queue.size(); ++q) {
        const size_t i = queue[q];
        neighbours(i, [&](int u, int v) {
            const size_t j = index(u, v);
            if (alpha[j] && label[j] < 0) {
                label[j] = label[i];
                queue.push_back(j);
            }
        });
    }
}

// Ink or hole: parts that reach the outline are ink; an enclosed part takes the state of the part
// it shares the longest border with, turned over when the two stand apart in lightness and it is
// the smaller.
void LogoParts::decide()
{
    const size_t parts = area.size();
    std::vector<bool> outer(parts, false);
    std::vector<std::map<int, size_t>> border(parts);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int l = label[index(x, y)];
            if (l < 0)
                continue;
            const auto meet = [&](int u, int v) {
                if (u < 0 || v < 0 || u >= w || v >= h) {
                    outer[size_t(l)] = true;
                    return;
                }
                const int m = label[index(u, v)];
                if (m < 0)
                    outer[size_t(l)] = true;
                else if (m != l)
                    ++border[size_t(l)][m];
            };
            meet(x + 1, y);
            meet(x - 1, y);
            meet(x, y + 1);
            meet(x, y - 1);
        }
    state.assign(parts, -1);
    std::vector<int> around(parts, -1);
    for (size_t r = 0; r < parts; ++r) {
        if (outer[r] || area[r] < speck) {
            state[r] = 1;
            continue;
        }
        size_t longest = 0;
        for (const auto& [other, length] : border[r])
            if (length > longest && area[size_t(other)] >= speck) {
                longest = length;
                around[r] = other;
            }
        if (around[r] < 0)
            state[r] = 1;
    }
    for (bool settled = false; !settled;) {
        settled = true;
        for (size_t r = 0; r < parts; ++r)
            if (state[r] < 0 && state[size_t(around[r])] >= 0) {
                // A hole is smaller than what it is cut from: a part larger than the one around it
                // (a plate inside its outline's stroke) is that part's body, of its state.
                const size_t a = size_t(around[r]);
                const bool differs = std::abs(meanTone(r) - meanTone(a)) >= apart && area[r] <= area[a];
                state[r] = differs ? 1 - state[a] : state[a];
                settled = false;
            }
    }
    for (int& s : state)
        if (s < 0)
            s = 1; // parts that enclose each other only: ink
}

void LogoParts::paint(QImage& out, const QRect& box) const
{
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(box.top() + y)) + box.left();
        for (int x = 0; x < w; ++x) {
            const size_t i = index(x, y);
            if (label[i] < 0) {
                if (alpha[i])
                    line[x] = qRgba(255, 255, 255, alpha[i]); // no part at all: the silhouette
                continue;
            }
            // Beside a part of the other state, shaded between the two parts' tones.
            double ink = state[size_t(label[i])];
            if (!core[i]) {
                double inkTone = -1, holeTone = -1;
                for (int v = std::max(0, y - 1); v <= std::min(h - 1, y + 1); ++v)
                    for (int u = std::max(0, x - 1); u <= std::min(w - 1, x + 1); ++u) {
                        const int m = label[index(u, v)];
                        if (m >= 0)
                            (state[size_t(m)] ? inkTone : holeTone) = meanTone(size_t(m));
                    }
                if (inkTone >= 0 && holeTone >= 0 && std::abs(inkTone - holeTone) > 1)
                    ink = std::clamp((tone[i] - holeTone) / (inkTone - holeTone), 0.0, 1.0);
            }
            line[x] = qRgba(255, 255, 255, int(std::lround(alpha[i] * ink)));
        }
    }
}

// A logo drawn on transparency (a disc with a white triangle, dot and smile; a square with a disc
// inside) as one colour keeps it: its parts are the regions of even colour its edges divide it
// into; the parts that reach its outline are ink, and a part enclosed by another is a hole where
// it stands apart from it in lightness, ink where it does not (so a disc inside a ring inside a
// body is ink again), as a themed icon shows a logo's details. Gradients stay one part; specks and
// antialiased edges take the part nearest them, an edge between ink and hole shading from one to
// the other.
QImage logoShape(const QImage& pixels, const QRect& box)
{
    QImage out(pixels.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    LogoParts(pixels, box).paint(out, box);
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The tones of a picture standing on a plate of its own: alpha scaled by how far each pixel's
// luminance is from the plate's (the mean of the picture's edge), stretched so the strongest
// details are fully opaque. A picture whose edge is mostly transparent, or whose corners are, is a
// logo on transparency: its body ink and its details holes (logoShape()).
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
    // On transparency: the edge of its box mostly clear, or its corners (a plate with rounded or cut
    // corners is the logo's body, not a plate it stands on).
    int clearCorners = 0;
    for (const QPoint& corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
        const QPoint inside(std::clamp(corner.x(), box.left() + 1, box.right() - 1),
                            std::clamp(corner.y(), box.top() + 1, box.bottom() - 1));
        clearCorners += box.width() > 2 && box.height() > 2 && qAlpha(pixels.pixel(inside)) < 128;
    }
    if (edgeAlpha < 0.5 * 255 * edge || clearCorners >= 3)
        return logoShape(pixels, box);
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
    const int outWidth = out.width();
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
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
    const int outWidth = out.width();
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
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

QImage monochromeLayer(const IconDesign& design)
{
    return monochromeLayer(DesignLayers(design));
}

QImage monochromeLayer(const DesignLayers& layers)
{
    const IconDesign& design = layers.design();
    // The picture by its outline (a flat one) or its tones, and the text cut out of it where it
    // crosses it: one colour has nothing else to tell them apart. Off the picture the text is ink.
    QImage out = pictureKeepsItsColours(design) ? toneShape(layers.picture()) : monochrome(layers.picture());
    if (design.text.isEmpty())
        return out;
    const QImage text = monochrome(layers.text());
    const int outWidth = out.width();
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* t = reinterpret_cast<const QRgb*>(text.constScanLine(y));
        for (int x = 0; x < outWidth; ++x) {
            // Where the text crosses the picture it is cut out of it, cleanly: a picture in part
            // ink (a photo's tones) counts as ink there, so the text never merges into it.
            const int a = qAlpha(line[x]), b = qAlpha(t[x]);
            const int ink = std::clamp((a - 90) * 255 / 76, 0, 255);
            const int v = (a * (255 - b) + b * (255 - ink) + 127) / 255;
            line[x] = qRgba(v, v, v, v);
        }
    }
    return out;
}

const QImage& DesignLayers::foreground() const
{
    return keptForeground.get([this] { return foregroundLayer(d); });
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

QImage luminance(const QImage& picture)
{
    return recoloured(picture, [](QRgb p) {
        const int g = qGray(p);
        return qRgb(g, g, g);
    });
}

namespace {

// The iOS dark plate at its lightest (the top of its gradient): the tone a glyph must stand out from.
const QColor darkPlate(0x3a, 0x3a, 0x3c);
// Contrast a lifted shape aims at against the plate, and the least that counts as readable.
constexpr double liftedContrast = 4.5;
constexpr double readableContrast = 3.0;

// sRGB's transfer function undone, one entry a channel value: luminance is taken of every pixel.
const std::array<double, 256>& linear()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[size_t(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

// WCAG's contrast ratio of two relative luminances.
double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// A colour's lightness set to `lightness`, its hue and saturation kept.
QRgb withLightness(QRgb rgb, int lightness)
{
    const QColor c = QColor::fromRgb(rgb).toHsl();
    return QColor::fromHsl(c.hslHue(), c.hslSaturation(), std::clamp(lightness, 0, 255)).rgb();
}

// The least lightness at which a colour of `rgb`'s hue and saturation reaches `ratio` against the
// dark plate.
int readableLightness(QRgb rgb, double ratio)
{
    const double plate = luminanceOf(darkPlate.rgb());
    int l = 0;
    while (l < 255 && contrast(luminanceOf(withLightness(rgb, l)), plate) < ratio)
        ++l;
    return l;
}

// Coverage-weighted mean luminance of `image`'s pixels where `mask` (when given) has coverage too;
// -1 when there are none.
double meanLuminance(const QImage& image, const QImage* mask = nullptr, bool outsideMask = false)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    double sum = 0, weight = 0;
    // Neighbours mostly share a colour: its luminance is worked out again only when it changes.
    QRgb last = 0;
    double lastLuminance = luminanceOf(last);
    const int pixelsWidth = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        const QRgb* m = mask ? reinterpret_cast<const QRgb*>(mask->constScanLine(y)) : nullptr;
        for (int x = 0; x < pixelsWidth; ++x) {
            if (qAlpha(line[x]) < 128 || (m && (qAlpha(m[x]) >= 128) == outsideMask))
                continue;
            if (line[x] != last) {
                last = line[x];
                lastLuminance = luminanceOf(last);
            }
            sum += lastLuminance;
            weight += 1;
        }
    }
    return weight > 0 ? sum / weight : -1;
}

// Share of `image`'s ink (pixels of at least half coverage) that `mask` covers too.
double overlap(const QImage& image, const QImage& mask)
{
    long ink = 0, covered = 0;
    const int imageWidth = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const QRgb* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < imageWidth; ++x)
            if (qAlpha(line[x]) >= 128) {
                ++ink;
                covered += qAlpha(m[x]) >= 128;
            }
    }
    return ink ? double(covered) / ink : 0;
}

// The tone range of `image`'s clearly visible pixels, ignoring the outermost 2 % at either end.
struct ToneRange
{
    int low = 0, high = 255;
    bool oneTone() const { return high - low < 16; }
    // A grey stretched so the range's top is white and its bottom a quarter bright (every part of a
    // glyph takes the tint); a one-tone glyph all white.
    int stretched(int grey) const
    {
        return oneTone() ? 255 : 64 + std::clamp(grey - low, 0, high - low) * 191 / (high - low);
    }
};

ToneRange toneRange(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    int histogram[256] = {};
    long counted = 0;
    const int pixelsWidth = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixelsWidth; ++x)
            if (qAlpha(line[x]) >= 128) {
                ++histogram[qGray(line[x])];
                ++counted;
            }
    }
    ToneRange r;
    for (long seen = 0; r.low < 255 && (seen += histogram[r.low]) <= counted / 50;)
        ++r.low;
    for (long seen = 0; r.high > 0 && (seen += histogram[r.high]) <= counted / 50;)
        --r.high;
    return r;
}

QImage stretchedGrey(const QImage& glyph, const ToneRange& range)
{
    return recoloured(glyph, [range](QRgb p) {
        const int g = range.stretched(qGray(p));
        return qRgb(g, g, g);
    });
}

// A picture with colours of its own that is all one tone (a logo in one ink) is a shape too: the
// dark and tinted looks lift and tint it as they do a flat picture.
bool actsAsShape(const IconDesign& design, const QImage& picture)
{
    return !pictureKeepsItsColours(design) || toneRange(picture).oneTone();
}

// Every colour of `part` given the lightness `lightness` (a one-tone part), or shifted so that its
// mean lands there (a part of several tones).
QImage atLightness(const QImage& part, int lightness)
{
    const ToneRange range = toneRange(part);
    const int mean = [&] {
        const double lum = meanLuminance(part);
        const QImage pixels = part.convertToFormat(QImage::Format_ARGB32);
        // The lightness of the part's typical colour.
        const int pixelsWidth = pixels.width();
        for (int y = 0; y < pixels.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
            for (int x = 0; x < pixelsWidth; ++x)
                if (qAlpha(line[x]) >= 128 && std::abs(luminanceOf(line[x]) - lum) < 0.02)
                    return QColor::fromRgb(line[x]).toHsl().lightness();
        }
        return lightness;
    }();
    return recoloured(
        part,
        [&](QRgb p) {
            return withLightness(
                p, range.oneTone() ? lightness : QColor::fromRgb(p).toHsl().lightness() + lightness - mean);
        },
        true);
}

} // namespace

QRgb typicalColour(const QImage& part)
{
    const QImage pixels = part.convertToFormat(QImage::Format_ARGB32);
    QRgb best = qRgba(255, 255, 255, 0);
    const int pixelsWidth = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixelsWidth; ++x)
            if (qAlpha(line[x]) > qAlpha(best)) {
                best = line[x];
                if (qAlpha(best) == 255)
                    return best;
            }
    }
    return best;
}

double luminanceOf(QRgb rgb)
{
    const std::array<double, 256>& l = linear();
    return 0.2126 * l[size_t(qRed(rgb))] + 0.7152 * l[size_t(qGreen(rgb))] + 0.0722 * l[size_t(qBlue(rgb))];
}

QImage darkShape(const QImage& foreground, const QColor& color)
{
    if (color.isValid())
        return recoloured(foreground, [&color](QRgb) { return color.rgb(); });
    const double plate = luminanceOf(darkPlate.rgb());
    const double mean = meanLuminance(foreground);
    if (mean < 0 || contrast(mean, plate) >= readableContrast)
        return foreground.convertToFormat(QImage::Format_ARGB32);
    // Too dark for the plate: its lightness inverted (black turns white, dark red light red), and
    // raised further where that is still not clearly readable.
    return recoloured(
        foreground,
        [](QRgb p) {
            const int l = QColor::fromRgb(p).toHsl().lightness();
            return withLightness(p, std::max(255 - l, readableLightness(p, liftedContrast)));
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
    return stretchedGrey(glyph, toneRange(glyph));
}

namespace {

DarkLook chooseDarkLook(const DesignLayers& layers)
{
    const IconDesign& design = layers.design();
    const QImage& picture = layers.picture();
    const QImage& text = layers.text();
    DarkLook look;
    look.pictureIsShape = actsAsShape(design, picture);
    if (design.text.isEmpty() || inkBounds(picture).isEmpty() || overlap(text, picture) < 0.05)
        return look;
    // Text over the picture: the two must stay apart. Each lifted on its own first; when that makes
    // them alike (black text on a white picture both end up white), their tones are chosen together.
    const QImage darkPicture =
        look.pictureIsShape ? darkShape(picture) : picture.convertToFormat(QImage::Format_ARGB32);
    const QImage darkText = darkShape(text);
    const double pictureUnder = meanLuminance(darkPicture, &text);
    // What the light icon shows is kept: the difference it has (up to readable), and its order of
    // tones (dark text on a light picture stays the darker one).
    const double lightText = meanLuminance(text, &picture), lightPicture = meanLuminance(picture, &text);
    if (contrast(meanLuminance(darkText, &picture), pictureUnder) >=
        std::min(readableContrast, contrast(lightText, lightPicture)) - 0.01)
        return look;
    const double plate = luminanceOf(darkPlate.rgb());
    const bool textOffPicture = meanLuminance(text, &picture, true) >= 0;
    const bool textDarker = lightText < lightPicture;
    const QRgb textColour = typicalColour(darkText), pictureColour = typicalColour(darkPicture);
    double best = -1;
    auto consider = [&](int pictureLightness, int textLightness) {
        const double i =
            pictureLightness < 0 ? pictureUnder : luminanceOf(withLightness(pictureColour, pictureLightness));
        const double t = luminanceOf(withLightness(textColour, textLightness));
        if (pictureLightness >= 0 && (t < i) != textDarker)
            return;
        double worst = contrast(t, i);
        if (pictureLightness >= 0)
            worst = std::min(worst, contrast(i, plate));
        if (textOffPicture)
            worst = std::min(worst, contrast(t, plate));
        if (worst > best + 1e-9) {
            best = worst;
            look.picture = pictureLightness;
            look.text = textLightness;
        }
    };
    for (int t = 0; t <= 255; t += 5) {
        if (!look.pictureIsShape)
            consider(-1, t); // a photograph keeps its colours: only the text moves
        else
            for (int i = 0; i <= 255; i += 5)
                consider(i, t);
    }
    return look;
}

} // namespace

QImage darkText(const QImage& text, const DarkLook& look)
{
    return look.text >= 0 ? atLightness(text, look.text) : darkShape(text);
}

namespace {

// A picture part over which the text part is drawn.
QImage together(const QImage& picture, const QImage& text)
{
    QImage glyph = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&glyph);
    p.drawImage(0, 0, text);
    p.end();
    return glyph.convertToFormat(QImage::Format_ARGB32);
}

// A shape's dark form in grey for the tinted look: stretched by the tones chosen together, or on
// its own so that its lightest tone is white.
QImage tintedForm(const QImage& dark, const TintedLook& look)
{
    return stretchedGrey(dark, look.together ? ToneRange{look.low, look.high} : toneRange(dark));
}

TintedLook chooseTintedLook(const DesignLayers& layers)
{
    TintedLook tinted;
    tinted.dark = layers.darkLook();
    if (tinted.dark.picture >= 0 || tinted.dark.text >= 0) {
        // Tones chosen together are stretched together, so the text stays apart from the picture.
        const ToneRange range = toneRange(together(layers.darkPicture(), layers.darkText()));
        tinted.low = range.low;
        tinted.high = range.high;
        tinted.together = true;
    }
    return tinted;
}

} // namespace

QImage darkGlyph(const DesignLayers& layers, const QColor& color)
{
    const IconDesign& design = layers.design();
    // One chosen colour for every shape paints them as one.
    if (color.isValid() && !pictureKeepsItsColours(design))
        return darkShape(layers.foreground(), color);
    if (color.isValid())
        return together(layers.picture(), darkShape(layers.text(), color));
    return together(layers.darkPicture(), layers.darkText());
}

const DarkLook& DesignLayers::darkLook() const
{
    std::call_once(darkMade, [this] { dark = chooseDarkLook(*this); });
    return dark;
}

const TintedLook& DesignLayers::tintedLook() const
{
    std::call_once(tintedMade, [this] { tinted = chooseTintedLook(*this); });
    return tinted;
}

const QImage& DesignLayers::darkPicture() const
{
    return keptDarkPicture.get([this] {
        const DarkLook& look = darkLook();
        if (look.picture >= 0)
            return atLightness(picture(), look.picture);
        return look.pictureIsShape ? darkShape(picture()) : picture().convertToFormat(QImage::Format_ARGB32);
    });
}

const QImage& DesignLayers::darkText() const
{
    return keptDarkText.get([this] { return Packages::darkText(text(), darkLook()); });
}

const QImage& DesignLayers::tintedPicture() const
{
    return keptTintedPicture.get([this] {
        // A photograph shows its own luminance.
        const TintedLook& look = tintedLook();
        return look.dark.pictureIsShape ? tintedForm(darkPicture(), look) : luminance(picture());
    });
}

const QImage& DesignLayers::tintedText() const
{
    return keptTintedText.get([this] {
        const TintedLook& look = tintedLook();
        return look.together && !look.dark.pictureIsShape ? luminance(darkText())
                                                          : tintedForm(darkText(), look);
    });
}

QImage tintedText(const QImage& text, const TintedLook& look)
{
    // Over a photograph, which shows its own luminance, the text shows its own grey.
    const QImage dark = darkText(text, look.dark);
    return look.together && !look.dark.pictureIsShape ? luminance(dark) : tintedForm(dark, look);
}

QImage tintedGlyph(const DesignLayers& layers, const QColor& color)
{
    const IconDesign& design = layers.design();
    if (color.isValid() && !pictureKeepsItsColours(design))
        return tintedShape(layers.foreground(), color);
    if (color.isValid())
        return together(luminance(layers.picture()), tintedShape(layers.text(), color));
    return together(layers.tintedPicture(), layers.tintedText());
}

QImage readableOn(const QImage& glyph, const QColor& background)
{
    const double under = luminanceOf(background.rgb());
    const double mean = meanLuminance(glyph);
    if (mean < 0 || contrast(mean, under) >= readableContrast)
        return glyph;
    // Every colour's lightness moved by as much, its hue and saturation kept, the least that brings
    // the glyph's mean to 3:1: lighter on a dark screen, darker on a light one.
    const bool lighter = under < 0.18;
    const QRgb typical = typicalColour(glyph);
    const int from = QColor::fromRgb(typical).toHsl().lightness();
    QImage lifted = glyph;
    for (int step = 8; step <= 255; step += 8) {
        const int target = std::clamp(lighter ? from + step : from - step, 0, 255);
        if (contrast(luminanceOf(withLightness(typical, target)), under) < readableContrast && target % 255)
            continue;
        lifted = atLightness(glyph, target);
        if (contrast(meanLuminance(lifted), under) >= readableContrast || target % 255 == 0)
            break;
    }
    return lifted;
}

QString plateWarning(const IconDesign& design, const QImage& foreground, const QColor& plate)
{
    if (!transparentBackground(design))
        return QString();
    const double glyph = meanLuminance(foreground);
    if (glyph < 0 || contrast(glyph, luminanceOf(plate.rgb())) >= 1.5)
        return QString();
    return QStringLiteral("The glyph is nearly the colour of the plate (%1) it stands on in the store and "
                          "touch icons: choose another plate colour.")
        .arg(plate.name());
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
