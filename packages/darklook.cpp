// The iOS dark and tinted looks: how a design's picture and text show on the dark plate (lifted to
// 3:1 where they would vanish, their tones chosen together where the text crosses the picture) and
// in grey for the system's tint; and the contrast rules they are judged by.
#include "packages/darklook.h"

#include "packages/layers.h"

#include <QHash>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace Packages {

namespace {

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

QImage luminance(const QImage& picture)
{
    return recoloured(picture, [](QRgb p) {
        const int g = qGray(p);
        return qRgb(g, g, g);
    });
}

namespace {

// The iOS dark plate at its lightest (the top of its gradient): the tone a glyph must stand out from.
const QColor darkPlate = iosDarkPlate;
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

QColor darkColour(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    if (contrast(luminanceOf(rgb), luminanceOf(darkPlate.rgb())) >= readableContrast)
        return colour;
    const int l = QColor::fromRgb(rgb).toHsl().lightness();
    QColor dark =
        QColor::fromRgb(withLightness(rgb, std::max(255 - l, readableLightness(rgb, liftedContrast))));
    dark.setAlpha(colour.alpha());
    return dark;
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

double contrastRatio(double a, double b)
{
    return contrast(a, b);
}

double meanLuminanceOf(const QImage& image, const QImage* mask, bool outsideMask)
{
    return meanLuminance(image, mask, outsideMask);
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

} // namespace Packages
