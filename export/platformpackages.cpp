#include "export/platformpackages.h"

#include "render/iconrenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cmath>

namespace Packages {

namespace {

constexpr int canvas = 1024;

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

// `layer` (the 1024 canvas) drawn into the square `frame` of a size x size image.
QImage placed(const QImage& layer, const QRectF& frame, int size)
{
    QImage out = transparentImage(size);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const double k = size / frame.width();
    const QRectF target((0 - frame.x()) * k, (0 - frame.y()) * k, canvas * k, canvas * k);
    if (std::abs(target.width() - std::round(target.width())) < 1e-9 && target.width() < canvas) {
        // Whole-pixel placements use the smooth downscale, which looks better than the painter's.
        p.drawImage(target.topLeft(), scaled(layer, int(std::round(target.width()))));
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

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes, Outcome& outcome)
{
    const QString folder = QFileInfo(path).path();
    if (bytes.isEmpty())
        outcome.add(path, Files::Result::failure(QStringLiteral("the image could not be encoded")));
    else if (!QDir().mkpath(folder))
        outcome.add(path,
                    Files::Result::failure(QStringLiteral("the folder %1 could not be created").arg(folder)));
    else
        outcome.add(path, Files::write(path, bytes));
}

void writePng(const QString& path, const QImage& image, Outcome& outcome)
{
    writeBytes(path, pngBytes(image), outcome);
}

// The square of the design canvas that an adaptive layer shows: the canvas fills the central
// 72 of 108 dp.
const QRectF adaptiveFrame(-256, -256, 1536, 1536);
const QRectF canvasFrame(0, 0, canvas, canvas);

void android(const IconDesign& design, const QString& out, Outcome& outcome)
{
    const QImage icon = renderIcon(design).toImage();
    IconDesign round = design;
    round.cornerCurvature = canvas / 2;
    QImage circle = renderIcon(round).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        // Cut picture and text that reach past the circle as well.
        QImage mask = transparentImage(canvas);
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing);
        mp.setBrush(Qt::black);
        mp.setPen(Qt::NoPen);
        mp.drawEllipse(QRectF(0, 0, canvas, canvas));
        mp.end();
        QPainter p(&circle);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    }
    const QImage foreground = foregroundLayer(design);
    const QImage mono = monochrome(foreground);
    const struct
    {
        const char* density;
        int legacy, adaptive;
    } densities[] = {{"mdpi", 48, 108},
                     {"hdpi", 72, 162},
                     {"xhdpi", 96, 216},
                     {"xxhdpi", 144, 324},
                     {"xxxhdpi", 192, 432}};
    for (const auto& d : densities) {
        const QString dir =
            out + QStringLiteral("/res/mipmap-") + QLatin1String(d.density) + QLatin1Char('/');
        writePng(dir + QStringLiteral("ic_launcher.png"), scaled(icon, d.legacy), outcome);
        writePng(dir + QStringLiteral("ic_launcher_round.png"), scaled(circle, d.legacy), outcome);
        writePng(dir + QStringLiteral("ic_launcher_foreground.png"),
                 placed(foreground, adaptiveFrame, d.adaptive), outcome);
        writePng(dir + QStringLiteral("ic_launcher_background.png"),
                 backgroundLayer(design, adaptiveFrame, d.adaptive), outcome);
        writePng(dir + QStringLiteral("ic_launcher_monochrome.png"), placed(mono, adaptiveFrame, d.adaptive),
                 outcome);
    }
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                           "<adaptive-icon xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
                           "    <background android:drawable=\"@mipmap/ic_launcher_background\" />\n"
                           "    <foreground android:drawable=\"@mipmap/ic_launcher_foreground\" />\n"
                           "    <monochrome android:drawable=\"@mipmap/ic_launcher_monochrome\" />\n"
                           "</adaptive-icon>\n";
    writeBytes(out + QStringLiteral("/res/mipmap-anydpi-v26/ic_launcher.xml"), xml, outcome);
    writeBytes(out + QStringLiteral("/res/mipmap-anydpi-v26/ic_launcher_round.xml"), xml, outcome);
    writePng(out + QStringLiteral("/playstore-icon.png"),
             opaque(composed(backgroundLayer(design, canvasFrame, 512), scaled(foreground, 512))), outcome);
}

void ios(const IconDesign& design, const QString& out, Outcome& outcome)
{
    const QString dir = out + QStringLiteral("/AppIcon.appiconset/");
    const QImage foreground = foregroundLayer(design);
    writePng(dir + QStringLiteral("AppIcon-1024.png"),
             opaque(composed(backgroundLayer(design, canvasFrame, canvas), foreground)), outcome);
    writePng(dir + QStringLiteral("AppIcon-1024-dark.png"), foreground, outcome);
    writePng(dir + QStringLiteral("AppIcon-1024-tinted.png"), grayscale(foreground), outcome);
    const QByteArray contents = R"({
  "images" : [
    {
      "filename" : "AppIcon-1024.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "dark" } ],
      "filename" : "AppIcon-1024-dark.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "tinted" } ],
      "filename" : "AppIcon-1024-tinted.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    }
  ],
  "info" : {
    "author" : "xcode",
    "version" : 1
  }
}
)";
    writeBytes(dir + QStringLiteral("Contents.json"), contents, outcome);
}

void macos(const IconDesign& design, const QString& out, Outcome& outcome)
{
    // macOS icons are an 824 x 824 body centred in the 1024 square.
    QImage full = transparentImage(canvas);
    {
        QPainter p(&full);
        p.drawImage(100, 100, scaled(renderIcon(design).toImage(), 824));
    }
    const QList<QPair<QByteArray, int>> types = {{"icp4", 16},  {"icp5", 32},  {"icp6", 64},   {"ic07", 128},
                                                 {"ic08", 256}, {"ic09", 512}, {"ic10", 1024}, {"ic11", 32},
                                                 {"ic12", 64},  {"ic13", 256}, {"ic14", 512}};
    QList<QPair<QByteArray, QImage>> entries;
    for (const auto& t : types)
        entries.append({t.first, t.second == canvas ? full : scaled(full, t.second)});
    writeBytes(out + QStringLiteral("/AppIcon.icns"), icnsFile(entries), outcome);
}

QList<QImage> sizes(const QImage& icon, std::initializer_list<int> list)
{
    QList<QImage> images;
    for (int s : list)
        images.append(scaled(icon, s));
    return images;
}

void windows(const IconDesign& design, const QString& out, Outcome& outcome)
{
    writeBytes(out + QStringLiteral("/app.ico"),
               icoFile(sizes(renderIcon(design).toImage(), {16, 24, 32, 48, 64, 128, 256})), outcome);
}

void web(const IconDesign& design, const QString& out, Outcome& outcome)
{
    const QImage icon = renderIcon(design).toImage();
    writeBytes(out + QStringLiteral("/favicon.ico"), icoFile(sizes(icon, {16, 32, 48})), outcome);
    writePng(out + QStringLiteral("/icon-192.png"), scaled(icon, 192), outcome);
    writePng(out + QStringLiteral("/icon-512.png"), scaled(icon, 512), outcome);

    // Maskable: background full-bleed, content shrunk until it lies inside the central circle of
    // 80 % of the size (the part every platform mask keeps).
    const QImage foreground = foregroundLayer(design).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double reach = 0;
    for (int y = 0; y < canvas; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(foreground.constScanLine(y));
        for (int x = 0; x < canvas; ++x)
            if (qAlpha(line[x])) // the pixel's corner farthest from the centre
                reach = std::max(reach, std::hypot(std::max(std::abs(x - 512), std::abs(x + 1 - 512)),
                                                   std::max(std::abs(y - 512), std::abs(y + 1 - 512))));
    }
    const int size = 512;
    const double side = reach > 0 ? std::min(double(size), 0.4 * size * canvas / reach) : size;
    const QRectF frame(512 - 512 * size / side, 512 - 512 * size / side, canvas * size / side,
                       canvas * size / side);
    writePng(out + QStringLiteral("/icon-maskable-512.png"),
             composed(backgroundLayer(design, frame, size), placed(foreground, frame, size)), outcome);
    writePng(out + QStringLiteral("/apple-touch-icon.png"),
             opaque(composed(backgroundLayer(design, canvasFrame, 180), scaled(foreground, 180))), outcome);
    const QByteArray manifest = R"({
  "icons": [
    { "src": "icon-192.png", "sizes": "192x192", "type": "image/png", "purpose": "any" },
    { "src": "icon-512.png", "sizes": "512x512", "type": "image/png", "purpose": "any" },
    { "src": "icon-maskable-512.png", "sizes": "512x512", "type": "image/png", "purpose": "maskable" }
  ]
}
)";
    writeBytes(out + QStringLiteral("/manifest-icons.json"), manifest, outcome);
}

} // namespace

QImage backgroundLayer(const IconDesign& design, const QRectF& frame, int size)
{
    QImage out = transparentImage(size);
    if (!design.useBackgroundColor && !design.useBackgroundGradient)
        return out;
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / frame.width(), size / frame.height());
    p.translate(-frame.topLeft());
    p.fillRect(frame, backgroundBrush(design));
    return out;
}

QImage foregroundLayer(const IconDesign& design)
{
    IconDesign bare = design;
    bare.useBackgroundColor = bare.useBackgroundGradient = bare.useBackgroundTransparent = false;
    return renderIcon(bare).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
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

QImage grayscale(const QImage& layer)
{
    QImage out = layer.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return out;
}

QImage opaque(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

QByteArray icoFile(const QList<QImage>& images)
{
    auto le16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    QList<QByteArray> blobs;
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        if (img.width() >= 256) {
            blobs.append(pngBytes(img));
            continue;
        }
        // A 32-bit bottom-up DIB, its height doubled for the (unused) AND mask that follows.
        QByteArray dib;
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        le32(dib, 40);
        le32(dib, quint32(w));
        le32(dib, quint32(2 * h));
        le16(dib, 1);
        le16(dib, 32);
        le32(dib, 0);
        le32(dib, quint32(w * h * 4 + maskStride * h));
        for (int i = 0; i < 4; ++i)
            le32(dib, 0);
        for (int y = h - 1; y >= 0; --y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                dib.append(char(qBlue(line[x]))).append(char(qGreen(line[x])));
                dib.append(char(qRed(line[x]))).append(char(qAlpha(line[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, 0);
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(line[x]) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            dib.append(row);
        }
        blobs.append(dib);
    }
    QByteArray ico;
    le16(ico, 0);
    le16(ico, 1);
    le16(ico, quint16(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const int w = images[i].width(), h = images[i].height();
        ico.append(char(w >= 256 ? 0 : w)).append(char(h >= 256 ? 0 : h));
        ico.append(char(0)).append(char(0));
        le16(ico, 1);
        le16(ico, 32);
        le32(ico, quint32(blobs[i].size()));
        le32(ico, offset);
        offset += quint32(blobs[i].size());
    }
    for (const QByteArray& blob : blobs)
        ico.append(blob);
    return ico;
}

QByteArray icnsFile(const QList<QPair<QByteArray, QImage>>& entries)
{
    auto be32 = [](QByteArray& b, quint32 v) {
        for (int i = 3; i >= 0; --i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    QByteArray body;
    for (const auto& entry : entries) {
        const QByteArray png = pngBytes(entry.second);
        body.append(entry.first.left(4));
        be32(body, quint32(png.size() + 8));
        body.append(png);
    }
    QByteArray icns("icns");
    be32(icns, quint32(body.size() + 8));
    return icns + body;
}

const QStringList& targets()
{
    static const QStringList names = {QStringLiteral("android"), QStringLiteral("ios"),
                                      QStringLiteral("macos"), QStringLiteral("windows"),
                                      QStringLiteral("web")};
    return names;
}

Outcome writePackage(const IconDesign& design, const QString& folder, const QString& target)
{
    Outcome outcome;
    const bool all = target == QLatin1String("all");
    // With every target, each gets a folder of its own.
    auto dir = [&](const char* name) {
        return all ? folder + QLatin1Char('/') + QLatin1String(name) : folder;
    };
    if (all || target == QLatin1String("android"))
        android(design, dir("android"), outcome);
    if (all || target == QLatin1String("ios"))
        ios(design, dir("ios"), outcome);
    if (all || target == QLatin1String("macos"))
        macos(design, dir("macos"), outcome);
    if (all || target == QLatin1String("windows"))
        windows(design, dir("windows"), outcome);
    if (all || target == QLatin1String("web"))
        web(design, dir("web"), outcome);
    return outcome;
}

} // namespace Packages
