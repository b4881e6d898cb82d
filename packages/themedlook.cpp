// The themed (monochrome) look: a design as one colour, the shape Android's themed icons, the web's
// monochrome icon and Windows' badge and lock-screen logos tint. A logo on transparency is taken by
// its parts, regions of even colour; a picture on a plate of its own by its tones.
#include "packages/themedlook.h"

#include "packages/layers.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace Packages {

namespace {

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

} // namespace

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

} // namespace Packages
