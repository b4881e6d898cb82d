#include "packages/iconcomposer.h"

#include "packages/containers.h"
#include "packages/layers.h"
#include "packages/previewsheet.h"
#include "packages/sources.h"
#include "packages/targets.h"
#include "render/iconrenderer.h"
#include "render/vectorpicture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace Packages {

namespace {

QJsonObject solid(const QColor& colour)
{
    return QJsonObject{{QStringLiteral("solid"), srgb(colour)}};
}

// A colour kept in its hue, darkened for the dark appearance.
QColor darkened(const QColor& colour)
{
    const QColor hsl = colour.toHsl();
    return QColor::fromHslF(std::max(0.0, hsl.hslHueF()), hsl.hslSaturationF(), hsl.lightnessF() * 0.45);
}

// The document's fill of the design's background in the light or the dark appearance: its colour,
// its gradient along the design's own start and end points, or, for a transparent design, the
// system's fill.
QJsonValue fillOf(const IconDesign& d, bool dark)
{
    if (transparentBackground(d))
        return dark ? QStringLiteral("system-dark") : QStringLiteral("automatic");
    auto shade = [dark](const QColor& c) { return dark ? darkened(c) : c; };
    if (d.useBackgroundColor)
        return solid(shade(d.backgroundColor));
    // A gradient whose ends meet has no axis: the renderer paints its start colour all over.
    if (d.gradientStartX == d.gradientEndX && d.gradientStartY == d.gradientEndY)
        return solid(shade(d.gradientStartColor));
    auto point = [](int x, int y) {
        return QJsonObject{{QStringLiteral("x"), x / double(canvas)},
                           {QStringLiteral("y"), y / double(canvas)}};
    };
    return QJsonObject{
        {QStringLiteral("linear-gradient"),
         QJsonArray{srgb(shade(d.gradientStartColor)), srgb(shade(d.gradientEndColor))}},
        {QStringLiteral("orientation"),
         QJsonObject{{QStringLiteral("start"), point(d.gradientStartX, d.gradientStartY)},
                     {QStringLiteral("stop"), point(d.gradientEndX, d.gradientEndY)}}},
    };
}

// "X-specializations": the plain value first, then one a named appearance.
QJsonArray specializations(const QJsonValue& value, const QList<QPair<QString, QJsonValue>>& appearances)
{
    QJsonArray list{QJsonObject{{QStringLiteral("value"), value}}};
    for (const auto& a : appearances)
        list.append(
            QJsonObject{{QStringLiteral("appearance"), a.first}, {QStringLiteral("value"), a.second}});
    return list;
}

QJsonObject layer(const QString& name, bool glass)
{
    return QJsonObject{
        {QStringLiteral("glass"), glass},
        {QStringLiteral("name"), name},
        {QStringLiteral("position"),
         QJsonObject{{QStringLiteral("scale"), 1},
                     {QStringLiteral("translation-in-points"), QJsonArray{0, 0}}}},
    };
}

QJsonObject group(const QString& name, const QJsonObject& layer, bool shadow, bool glass)
{
    return QJsonObject{
        {QStringLiteral("layers"), QJsonArray{layer}},
        {QStringLiteral("name"), name},
        {QStringLiteral("shadow"),
         QJsonObject{{QStringLiteral("kind"), shadow ? QStringLiteral("neutral") : QStringLiteral("none")},
                     {QStringLiteral("opacity"), shadow ? 0.5 : 0.0}}},
        {QStringLiteral("specular"), glass},
        // The design's colours as they are: no see-through.
        {QStringLiteral("translucency"),
         QJsonObject{{QStringLiteral("enabled"), false}, {QStringLiteral("value"), 0.5}}},
    };
}

// The grey a flat picture takes in the tinted icon: the chosen colour's, or its tinted look's.
QColor tintedGrey(const QColor& chosen, const DesignLayers& layers)
{
    const int g = qGray(chosen.isValid() ? chosen.rgb() : typicalColour(layers.tintedPicture()));
    return QColor(g, g, g);
}

bool blank(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int pixelsWidth = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixelsWidth; ++x)
            if (qAlpha(line[x]))
                return false;
    }
    return true;
}

QColor parseSrgb(const QString& text)
{
    const QStringList parts = text.mid(5).split(QLatin1Char(','));
    if (!text.startsWith(QLatin1String("srgb:")) || parts.size() != 4)
        return QColor();
    return QColor::fromRgbF(parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(),
                            parts[3].toDouble());
}

// A property's value in `appearance` (empty: the light one), written plain or as specializations:
// the appearance's own entry, else the plain one.
QJsonValue inAppearance(const QJsonObject& object, const QString& key, const QString& appearance = QString())
{
    if (object.contains(key))
        return object.value(key);
    QJsonValue plain;
    for (const QJsonValue& entry : object.value(key + QStringLiteral("-specializations")).toArray()) {
        const QJsonObject e = entry.toObject();
        if (!e.contains(QStringLiteral("appearance")))
            plain = e.value(QStringLiteral("value"));
        else if (!appearance.isEmpty() && e.value(QStringLiteral("appearance")).toString() == appearance)
            return e.value(QStringLiteral("value"));
    }
    return plain;
}

void paintFill(QImage& canvasImage, const QJsonValue& fill)
{
    QPainter p(&canvasImage);
    const QJsonObject f = fill.toObject();
    if (f.contains(QStringLiteral("solid"))) {
        p.fillRect(canvasImage.rect(), parseSrgb(f.value(QStringLiteral("solid")).toString()));
    } else if (f.contains(QStringLiteral("linear-gradient"))) {
        const QJsonArray colours = f.value(QStringLiteral("linear-gradient")).toArray();
        const QJsonObject o = f.value(QStringLiteral("orientation")).toObject();
        auto at = [&](const char* end) {
            const QJsonObject point = o.value(QLatin1String(end)).toObject();
            return QPointF(point.value(QStringLiteral("x")).toDouble() * canvasImage.width(),
                           point.value(QStringLiteral("y")).toDouble() * canvasImage.height());
        };
        QLinearGradient gradient(at("start"), at("stop"));
        gradient.setColorAt(0, parseSrgb(colours.at(0).toString()));
        gradient.setColorAt(1, parseSrgb(colours.at(1).toString()));
        p.fillRect(canvasImage.rect(), gradient);
    } else if (fill.toString() == QLatin1String("automatic")) {
        // The system's own light fill: a near-white.
        p.fillRect(canvasImage.rect(), QColor(0xf2, 0xf2, 0xf7));
    }
}

} // namespace

QString srgb(const QColor& colour)
{
    return QStringLiteral("srgb:%1,%2,%3,%4")
        .arg(colour.redF(), 0, 'f', 5)
        .arg(colour.greenF(), 0, 'f', 5)
        .arg(colour.blueF(), 0, 'f', 5)
        .arg(colour.alphaF(), 0, 'f', 5);
}

namespace {

// The text's group (its shadow the group's), with its dark and tinted looks; the looks of picture
// and text are chosen together, as the iOS icons show them.
void addTextGroup(const Sources& s, IconDocument& doc, QJsonArray& groups)
{
    const IconDesign& d = s.design();
    const QColor darkChosen = s.options().iosDarkColor, tintedChosen = s.options().iosTintedColor;
    const DesignLayers& layers = s.layers();
    if (!d.text.isEmpty()) {
        // Its shadow is the group's, not drawn into the layer; without one, the layer and its looks
        // are the glyphs' own.
        IconDesign unshadowed = d;
        unshadowed.textShadow = false;
        const bool own = !d.textShadow;
        // (Each picture made once for a release and its variants.)
        const QImage text =
            own ? layers.text()
                : layers.derived(QStringLiteral("text unshadowed"), [&] { return textOnly(unshadowed); });
        if (!blank(text)) {
            QJsonObject l = layer(QStringLiteral("Text"), true);
            l.insert(QStringLiteral("fill"), QStringLiteral("none"));
            doc.assets.append({QStringLiteral("Text.png"), text});
            QList<QPair<QString, QJsonValue>> variants;
            const QImage darkForm =
                own && !darkChosen.isValid()
                    ? layers.darkText()
                    : layers.derived(QStringLiteral("text dark ") + darkChosen.name(QColor::HexArgb) +
                                         (own ? QStringLiteral(" own") : QString()),
                                     [&] {
                                         return darkChosen.isValid() ? darkShape(text, darkChosen)
                                                                     : darkText(text, layers.darkLook());
                                     });
            if (darkForm != text.convertToFormat(QImage::Format_ARGB32)) {
                doc.assets.append({QStringLiteral("Text Dark.png"), darkForm});
                variants.append({QStringLiteral("dark"), QStringLiteral("Text Dark.png")});
            }
            doc.assets.append(
                {QStringLiteral("Text Tinted.png"),
                 own && !tintedChosen.isValid()
                     ? layers.tintedText()
                     : layers.derived(QStringLiteral("text tinted ") + tintedChosen.name(QColor::HexArgb) +
                                          (own ? QStringLiteral(" own") : QString()),
                                      [&] {
                                          return tintedChosen.isValid()
                                                     ? tintedShape(text, tintedChosen)
                                                     : tintedText(text, layers.tintedLook());
                                      })});
            variants.append({QStringLiteral("tinted"), QStringLiteral("Text Tinted.png")});
            l.insert(QStringLiteral("image-name-specializations"),
                     specializations(QStringLiteral("Text.png"), variants));
            groups.append(group(QStringLiteral("Text"), l, d.textShadow, true));
        }
    }
}

// The picture's group: a coloured picture or a photo as it is, a flat one as a shape.
void addPictureGroup(const Sources& s, IconDocument& doc, QJsonArray& groups)
{
    const IconDesign& d = s.design();
    const QColor darkChosen = s.options().iosDarkColor, tintedChosen = s.options().iosTintedColor;
    const DarkLook& dark = s.layers().darkLook();
    const QImage& picture = s.layers().picture();
    if (!blank(picture)) {
        if (pictureKeepsItsColours(d)) {
            // A coloured picture or a photo keeps its colours, unglazed; tinted, its own luminance.
            // One all in one dark tone is lifted for the dark appearance, as a shape is.
            QJsonObject l = layer(QStringLiteral("Picture"), false);
            l.insert(QStringLiteral("fill"), QStringLiteral("none"));
            // An SVG picture stays a vector layer.
            const QString main = d.customVector.isEmpty() || !d.useImageCustom
                                     ? QStringLiteral("Picture.png")
                                     : QStringLiteral("Picture.svg");
            doc.assets.append({main, picture});
            if (main.endsWith(QLatin1String(".svg")))
                doc.vectors.append(
                    {main,
                     VectorPicture::placed(d.customVector, customPicturePlacement(d, QSize(canvas, canvas)),
                                           QSize(canvas, canvas))});
            QList<QPair<QString, QJsonValue>> variants;
            const QImage& darkForm = s.layers().darkPicture();
            if (dark.pictureIsShape && darkForm != picture.convertToFormat(QImage::Format_ARGB32)) {
                doc.assets.append({QStringLiteral("Picture Dark.png"), darkForm});
                variants.append({QStringLiteral("dark"), QStringLiteral("Picture Dark.png")});
            }
            doc.assets.append({QStringLiteral("Picture Tinted.png"), s.layers().tintedPicture()});
            variants.append({QStringLiteral("tinted"), QStringLiteral("Picture Tinted.png")});
            l.insert(QStringLiteral("image-name-specializations"), specializations(main, variants));
            groups.append(group(QStringLiteral("Picture"), l, true, false));
        } else {
            // A flat picture is a shape: white, in the colour its fill gives it, for the system to
            // recolour and glaze.
            QJsonObject l = layer(QStringLiteral("Picture"), true);
            doc.assets.append(
                {QStringLiteral("Picture.png"),
                 s.layers().derived(QStringLiteral("picture shape"), [&] { return monochrome(picture); })});
            l.insert(QStringLiteral("image-name"), QStringLiteral("Picture.png"));
            l.insert(QStringLiteral("fill-specializations"),
                     specializations(
                         solid(d.imageColor),
                         {{QStringLiteral("dark"),
                           solid(darkChosen.isValid() ? darkChosen
                                                      : QColor(typicalColour(s.layers().darkPicture())))},
                          {QStringLiteral("tinted"), solid(tintedGrey(tintedChosen, s.layers()))}}));
            groups.append(group(QStringLiteral("Picture"), l, true, true));
        }
    }
}

// A build variant's badge as a group in front of the rest, in its colours in each appearance as the
// iOS icons show it (its letters cut out in the tinted one), as vectors.
void addBadgeGroup(const Sources& s, IconDocument& doc, QJsonArray& groups)
{
    const Variant& variant = s.options().variant;
    QList<QPair<QString, QJsonValue>> variants;
    const struct
    {
        const char* appearance;
        BadgeLook look;
        const char* name;
    } looks[] = {{"", BadgeLook::Light, "Badge.svg"},
                 {"dark", BadgeLook::Dark, "Badge Dark.svg"},
                 {"tinted", BadgeLook::Tinted, "Badge Tinted.svg"}};
    for (const auto& l : looks) {
        VectorShapes shapes = badgeShapes(variant, l.look);
        if (shapes.isEmpty())
            return;
        // Letters cut out of the band are holes in its outline (a transparent fill would not cut).
        if (shapes.size() == 2 && shapes[1].fill.color().alpha() == 0)
            shapes = {VectorShape{shapes[0].path.subtracted(shapes[1].path), shapes[0].fill}};
        const QString name = QLatin1String(l.name);
        doc.vectors.append({name, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1024\" height=\"1024\" "
                                  "viewBox=\"0 0 1024 1024\">" +
                                      svgElements(shapes, QStringLiteral("badge")) + "</svg>\n"});
        if (*l.appearance)
            variants.append({QLatin1String(l.appearance), name});
    }
    QJsonObject l = layer(QStringLiteral("Badge"), false);
    l.insert(QStringLiteral("fill"), QStringLiteral("none"));
    l.insert(QStringLiteral("image-name-specializations"),
             specializations(QStringLiteral("Badge.svg"), variants));
    groups.append(group(QStringLiteral("Badge"), l, false, false));
}

} // namespace

IconDocument iconDocument(const Sources& s)
{
    const IconDesign& d = s.design();
    IconDocument doc;
    QJsonArray groups;
    // Front to back: a variant's badge, then the text.
    addBadgeGroup(s, doc, groups);
    addTextGroup(s, doc, groups);
    addPictureGroup(s, doc, groups);
    doc.json = QJsonObject{
        {QStringLiteral("fill-specializations"),
         specializations(fillOf(d, false), {{QStringLiteral("dark"), fillOf(d, true)}})},
        {QStringLiteral("groups"), groups},
        {QStringLiteral("supported-platforms"),
         QJsonObject{{QStringLiteral("circles"), QJsonArray{QStringLiteral("watchOS")}},
                     {QStringLiteral("squares"), QStringLiteral("shared")}}},
    };
    return doc;
}

QByteArray iconJson(const QJsonObject& json)
{
    std::function<void(QByteArray&, const QJsonValue&, int)> write = [&](QByteArray& out, const QJsonValue& v,
                                                                         int depth) {
        const QByteArray indent(2 * depth, ' '), inner(2 * (depth + 1), ' ');
        switch (v.type()) {
        case QJsonValue::Object: {
            const QJsonObject o = v.toObject();
            out += "{\n";
            int n = 0;
            // QJsonObject keeps its keys sorted.
            for (auto it = o.begin(); it != o.end(); ++it, ++n) {
                out += inner + '"' + it.key().toUtf8() + "\" : ";
                write(out, it.value(), depth + 1);
                out += n + 1 < o.size() ? ",\n" : "\n";
            }
            out += indent + '}';
            break;
        }
        case QJsonValue::Array: {
            const QJsonArray a = v.toArray();
            out += "[\n";
            for (int i = 0; i < a.size(); ++i) {
                out += inner;
                write(out, a.at(i), depth + 1);
                out += i + 1 < a.size() ? ",\n" : "\n";
            }
            out += indent + ']';
            break;
        }
        case QJsonValue::String:
            // The values here need no escapes beyond what a one-string document gives.
            out += QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
            break;
        case QJsonValue::Double:
            out += QByteArray::number(v.toDouble(), 'g', 12);
            break;
        case QJsonValue::Bool:
            out += v.toBool() ? "true" : "false";
            break;
        default:
            out += "null";
            break;
        }
    };
    QByteArray out;
    write(out, json, 0);
    return out + '\n';
}

Jobs iconBundleFiles(const Sources& sources, const QString& name)
{
    const IconDocument doc = iconDocument(sources);
    const QString bundle = name + QStringLiteral(".icon/");
    Jobs jobs{textJob(bundle + QStringLiteral("icon.json"), iconJson(doc.json))};
    for (const auto& vector : doc.vectors)
        jobs << textJob(bundle + QStringLiteral("Assets/") + vector.first, vector.second);
    for (const auto& asset : doc.assets) {
        if (asset.first.endsWith(QLatin1String(".svg")))
            continue;
        const QImage image = asset.second;
        // Tinted layers and flat shapes are grey, and stored so.
        Job job = pngJob(
            bundle + QStringLiteral("Assets/") + asset.first, [image] { return image; }, true);
        // Icon Composer's own assets are 1024 pixels at 72 dpi: a reader that takes density as
        // size then sees 1024 points, as it should.
        job.dotsPerMeter = Png::appleLayerDotsPerMeter;
        jobs << job;
    }
    return jobs;
}

QImage recomposed(const IconDocument& document, const QString& appearance)
{
    const bool tinted = appearance == QLatin1String("tinted");
    QImage out(canvas, canvas, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    // Tinted, the system shows the glyphs' greys in the tint on its own dark plate.
    if (tinted)
        out.fill(QColor(0x1c, 0x1c, 0x1e));
    else
        paintFill(out, inAppearance(document.json, QStringLiteral("fill"), appearance));
    QImage glyphs(canvas, canvas, QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    auto asset = [&](const QString& name) {
        for (const auto& a : document.assets)
            if (a.first == name)
                return a.second;
        // (A vector with no drawing among the assets, a badge's, drawn here.)
        for (const auto& v : document.vectors)
            if (v.first == name)
                return VectorPicture::draw(v.second, QSize(canvas, canvas));
        return QImage();
    };
    QPainter p(&glyphs);
    const QJsonArray groups = document.json.value(QStringLiteral("groups")).toArray();
    for (int g = groups.size() - 1; g >= 0; --g) {
        const QJsonArray layers = groups.at(g).toObject().value(QStringLiteral("layers")).toArray();
        for (int i = layers.size() - 1; i >= 0; --i) {
            const QJsonObject l = layers.at(i).toObject();
            QImage image = asset(inAppearance(l, QStringLiteral("image-name"), appearance).toString())
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QJsonObject fill = inAppearance(l, QStringLiteral("fill"), appearance).toObject();
            if (fill.contains(QStringLiteral("solid"))) {
                // The fill recolours the shape, keeping its alpha.
                QPainter shape(&image);
                shape.setCompositionMode(QPainter::CompositionMode_SourceIn);
                shape.fillRect(image.rect(), parseSrgb(fill.value(QStringLiteral("solid")).toString()));
            }
            p.drawImage(0, 0, image);
        }
    }
    p.end();
    p.begin(&out);
    p.drawImage(0, 0, tinted ? painted(glyphs, QColor(0xff, 0xb3, 0x40), true) : glyphs);
    p.end();
    return out;
}

QImage approximateGlass(const IconDocument& document, int size, const QString& appearance)
{
    const QImage flat = scaled(recomposed(document, appearance), size);
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = superellipse(QRectF(0, 0, size, size), 5);
    p.setClipPath(shape);
    p.drawImage(0, 0, flat);
    // The glass: a sheen over the top, a light rim round the edge.
    QLinearGradient sheen(0, 0, 0, size * 0.6);
    sheen.setColorAt(0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(out.rect(), sheen);
    p.setClipping(false);
    p.setPen(QPen(QColor(255, 255, 255, 150), std::max(1.0, size / 96.0)));
    p.drawPath(shape);
    return out;
}

} // namespace Packages
