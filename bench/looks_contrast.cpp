// How well each look keeps a logo's shapes apart: for logos of the kinds designers bring (a flat
// logo with white details, a two-colour logo, line art, a photograph, and text over each), the
// contrast between a logo's parts in the themed (monochrome) layer, the iOS dark and tinted
// glyphs and the Windows unplated icon. Prints a table: for the monochrome layer the difference of
// the parts' mean alpha (0 to 255), for the others the WCAG contrast ratio of their mean luminance.
//
//   build/bench/looks_contrast
#include "design/icondesign.h"
#include "packages/sources.h"
#include "project/custompicture.h"
#include "resources/initresources.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const char* const head =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" viewBox=\"0 0 100 100\">";

struct Logo
{
    const char* name;
    QByteArray svg; // empty: the photograph
    // Which of the light icon's pixels are the logo's body and which its detail.
    std::function<bool(QRgb)> body, detail;
};

double linear(int c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(QRgb p)
{
    return 0.2126 * linear(qRed(p)) + 0.7152 * linear(qGreen(p)) + 0.0722 * linear(qBlue(p));
}

// `mask` shrunk by `by` pixels: away from antialiased edges.
std::vector<bool> eroded(const std::vector<bool>& mask, int size, int by)
{
    std::vector<bool> out(mask.size(), false);
    for (int y = by; y < size - by; ++y)
        for (int x = by; x < size - by; ++x) {
            bool all = true;
            for (int dy = -by; dy <= by && all; dy += by)
                for (int dx = -by; dx <= by && all; dx += by)
                    all = mask[size_t((y + dy) * size + x + dx)];
            out[size_t(y * size + x)] = all;
        }
    return out;
}

// `mask` grown by `by` pixels.
std::vector<bool> dilated(const std::vector<bool>& mask, int size, int by)
{
    std::vector<bool> out(mask.size(), false);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (mask[size_t(y * size + x)])
                for (int dy = -by; dy <= by; ++dy)
                    for (int dx = -by; dx <= by; ++dx) {
                        const int u = x + dx, v = y + dy;
                        if (u >= 0 && v >= 0 && u < size && v < size && dx * dx + dy * dy <= by * by)
                            out[size_t(v * size + u)] = true;
                    }
    return out;
}

// The mean of `value` over the pixels of `mask`.
double meanOver(const QImage& image, const std::vector<bool>& mask, const std::function<double(QRgb)>& value)
{
    double sum = 0;
    long n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (mask[size_t(y * image.width() + x)]) {
                sum += value(image.pixel(x, y));
                ++n;
            }
    return n ? sum / double(n) : -1;
}

double ratio(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QImage over(const QImage& glyph, QColor plate)
{
    QImage out(glyph.size(), QImage::Format_RGB32);
    out.fill(plate);
    QPainter p(&out);
    p.drawImage(0, 0, glyph);
    return out;
}

void measure(const char* name, IconDesign design, const std::function<bool(QRgb)>& isBody,
             const std::function<bool(QRgb)>& isDetail, bool textOnly, bool lineArt)
{
    Packages::Options options;
    const Packages::Sources s(design, options);
    const QImage light = s.icon().convertToFormat(QImage::Format_ARGB32);
    const int size = light.width();
    std::vector<bool> body(size_t(size * size)), detail(size_t(size * size));
    const QImage text = s.layers().text().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = light.pixel(x, y);
            const bool isText = qAlpha(text.pixel(x, y)) > 200;
            const bool isPicture = qAlpha(s.layers().picture().pixel(x, y)) > 250;
            // With text: the text where it crosses the picture, against the picture around it.
            // (Line art's detail is the hole its strokes enclose: no picture near the centre.)
            const bool enclosed = qAlpha(s.layers().picture().pixel(x, y)) == 0 &&
                                  std::hypot(x - size / 2, y - size / 2) < size * 0.17;
            body[size_t(y * size + x)] = textOnly ? isPicture && !isText && qAlpha(text.pixel(x, y)) == 0
                                                  : isPicture && isBody(p) && !isText;
            detail[size_t(y * size + x)] =
                textOnly ? isText && isPicture
                         : ((isPicture && isDetail(p)) || (lineArt && enclosed)) && !isText;
        }
    if (textOnly) {
        // The picture just around the text (a ring 5 to 12 pixels out), against the text on it.
        std::vector<bool> textMask(detail.size());
        for (int i = 0; i < size * size; ++i)
            textMask[size_t(i)] = qAlpha(text.pixel(i % size, i / size)) > 128;
        const std::vector<bool> inner = dilated(textMask, size, 5), outer = dilated(textMask, size, 12);
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = body[i] && outer[i] && !inner[i];
    } else {
        body = eroded(body, size, 4);
    }
    detail = eroded(detail, size, 3);
    const QImage mono = s.monochrome().convertToFormat(QImage::Format_ARGB32);
    const auto alpha = [](QRgb p) { return double(qAlpha(p)); };
    const auto lum = [](QRgb p) { return luminance(p); };
    const QImage dark = over(s.iosDark(), QColor(0x1c, 0x1c, 0x1e));
    const QImage tinted = over(s.iosTinted(), Qt::black);
    // Text against the picture right beside it (within 20 pixels), pixel by pixel; a logo's detail
    // against its body as a whole.
    const auto apart = [&](const QImage& look, const std::function<double(QRgb)>& value, bool asRatio) {
        if (!textOnly)
            return asRatio ? ratio(meanOver(look, detail, value), meanOver(look, body, value))
                           : std::abs(meanOver(look, detail, value) - meanOver(look, body, value));
        double sum = 0;
        long n = 0;
        for (int y = 0; y < size; y += 2)
            for (int x = 0; x < size; x += 2) {
                if (!detail[size_t(y * size + x)])
                    continue;
                double around = 0;
                int k = 0;
                for (int v = std::max(0, y - 20); v <= std::min(size - 1, y + 20); v += 2)
                    for (int u = std::max(0, x - 20); u <= std::min(size - 1, x + 20); u += 2)
                        if (body[size_t(v * size + u)]) {
                            around += value(look.pixel(u, v));
                            ++k;
                        }
                if (k == 0)
                    continue;
                const double here = value(look.pixel(x, y));
                sum += asRatio ? ratio(here, around / k) : std::abs(here - around / k);
                ++n;
            }
        return n ? sum / double(n) : -1.0;
    };
    std::printf("%-34s %9.0f %9.2f %9.2f %9.2f\n", name, apart(mono, alpha, false), apart(dark, lum, true),
                apart(tinted, lum, true), apart(over(light, Qt::black), lum, true));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    initResources();
    QTemporaryDir folder;
    const auto isWhite = [](QRgb p) { return qGray(p) > 235; };
    const auto isDarker = [](QRgb p) { return qGray(p) < 200; };
    const Logo logos[] = {
        {"flat logo, white details",
         QByteArray(head) +
             "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"><stop offset=\"0\" "
             "stop-color=\"#1e3a8a\"/><stop offset=\"1\" stop-color=\"#60a5fa\"/></linearGradient></defs>"
             "<circle cx=\"50\" cy=\"50\" r=\"48\" fill=\"url(#g)\"/>"
             "<polygon points=\"30,62 50,26 70,62\" fill=\"#fff\"/><circle cx=\"50\" cy=\"72\" r=\"5\" "
             "fill=\"#fff\"/>"
             "<path d=\"M32 78 Q50 92 68 78\" stroke=\"#fff\" stroke-width=\"4\" fill=\"none\"/></svg>",
         isDarker, isWhite},
        {"two-colour logo",
         QByteArray(head) + "<rect x=\"8\" y=\"8\" width=\"84\" height=\"84\" rx=\"12\" fill=\"#f97316\"/>"
                            "<circle cx=\"50\" cy=\"50\" r=\"24\" fill=\"#1d4ed8\"/></svg>",
         [](QRgb p) { return qRed(p) > 200 && qBlue(p) < 100; },
         [](QRgb p) { return qBlue(p) > 150 && qRed(p) < 100; }},
        {"line-art logo",
         QByteArray(head) +
             "<circle cx=\"50\" cy=\"50\" r=\"40\" stroke=\"#111\" stroke-width=\"7\" fill=\"none\"/>"
             "<path d=\"M30 52 L45 66 L72 36\" stroke=\"#111\" stroke-width=\"7\" fill=\"none\"/></svg>",
         [](QRgb p) { return qGray(p) < 60; }, [](QRgb) { return false; }},
        {"photo", QByteArray(), [](QRgb p) { return qGray(p) < 120; }, [](QRgb p) { return qGray(p) > 200; }},
    };
    std::printf("%-34s %9s %9s %9s %9s\n", "logo", "themed", "iOS dark", "tinted", "unplated");
    for (const Logo& logo : logos) {
        QString path = folder.filePath(QStringLiteral("logo.svg"));
        if (logo.svg.isEmpty()) {
            // A photograph: a bright disc on a darker, textured ground, its edge opaque.
            QImage photo(640, 480, QImage::Format_RGB32);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    const bool disc = (x - 320) * (x - 320) + (y - 240) * (y - 240) < 120 * 120;
                    const int t = disc ? 235 + (x * y) % 20 : 40 + (x * 7 + y * 13) % 50;
                    photo.setPixel(x, y, qRgb(t, t - 10 < 0 ? 0 : t - 10, t / 2 + 20));
                }
            path = folder.filePath(QStringLiteral("photo.png"));
            photo.save(path);
        } else {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(logo.svg);
        }
        IconDesign d;
        d.useImageFlat = false;
        d.useImageCustom = true;
        d.customImage = loadCustomPicture(path, nullptr, &d.customImageSize, &d.customVector);
        // About 600 pixels wide on the canvas, whatever its own size means.
        d.imageScale = std::max(1, int(std::lround(600.0 * 100 / d.customImageSize.width())));
        d.backgroundColor = QColor(0xf1, 0xf5, 0xf9);
        const bool lineArt = QByteArray(logo.name).startsWith("line");
        measure(logo.name, d, logo.body, logo.detail, false, lineArt);
        // The same with text crossing it: the text against the picture around it.
        d.text = QStringLiteral("AB");
        d.fontSize = 260;
        d.textColor = logo.svg.isEmpty() ? Qt::white : Qt::black;
        measure((QByteArray(logo.name) + ", text over it").constData(), d, logo.body, logo.detail, true,
                lineArt);
    }
    return 0;
}
