#include "render/vectorpicture.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <libdeflate.h>

#include <cmath>
#include <list>
#include <memory>
#include <vector>

namespace VectorPicture {

namespace {

const QString svgNamespace = QStringLiteral("http://www.w3.org/2000/svg");

// A length of the root element: its number and unit ("" for none); 0 for a percentage, nothing,
// or nonsense.
std::pair<double, QString> lengthOf(const QString& length)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?)\\s*(px|pt|pc|mm|cm|in)?\\s*$"));
    const QRegularExpressionMatch m = form.match(length);
    const double value = m.hasMatch() ? m.captured(1).toDouble() : 0;
    return {std::isfinite(value) ? value : 0, m.captured(2)};
}

// A length of the root element in pixels (96 a inch); 0 for a percentage, nothing, or nonsense.
double pixels(const QString& length)
{
    const auto [value, unit] = lengthOf(length);
    const double perUnit = unit == QLatin1String("pt")   ? 96.0 / 72
                           : unit == QLatin1String("pc") ? 16
                           : unit == QLatin1String("mm") ? 96 / 25.4
                           : unit == QLatin1String("cm") ? 96 / 2.54
                           : unit == QLatin1String("in") ? 96
                                                         : 1;
    return value * perUnit;
}

// The same in the picture's own units, as the plug-in reads the root's size when it has no viewBox:
// at 90 a inch, and a pica as a pixel.
double pluginUnits(const QString& length)
{
    const auto [value, unit] = lengthOf(length);
    const double perUnit = unit == QLatin1String("pt")   ? 1.25
                           : unit == QLatin1String("mm") ? 3.543307
                           : unit == QLatin1String("cm") ? 35.43307
                           : unit == QLatin1String("in") ? 90
                                                         : 1;
    return value * perUnit;
}

// The viewBox's width and height; 0 x 0 when there is none, an invalid size when it is
// there but gives no area (or is not four numbers).
QSizeF viewBoxSize(const QString& viewBox)
{
    if (viewBox.trimmed().isEmpty())
        return QSizeF(0, 0);
    const QStringList parts =
        viewBox.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    double values[4] = {};
    for (int i = 0; i < 4 && parts.size() == 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(values[i]))
            return QSizeF(-1, -1);
    }
    if (parts.size() != 4 || !(values[2] > 0 && values[3] > 0))
        return QSizeF(-1, -1);
    return QSizeF(values[2], values[3]);
}

// The value of an element's link: its href attribute in whatever namespace (xlink:href, or SVG 2's
// plain href).
QString linkOf(const QXmlStreamAttributes& attributes)
{
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == QLatin1String("href"))
            return a.value().toString();
    return QString();
}

// The part of the picture's own coordinates its drawing shows: its viewBox, or where it has none
// its width and height as the plug-in reads them. Empty when there is neither.
QRectF userBox(const QXmlStreamAttributes& root)
{
    const QStringList parts = root.value(QLatin1String("viewBox"))
                                  .toString()
                                  .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (parts.size() == 4)
        return QRectF(parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble());
    return QRectF(0, 0, pluginUnits(root.value(QLatin1String("width")).toString()),
                  pluginUnits(root.value(QLatin1String("height")).toString()));
}

// The attributes of the SVG's root element.
QXmlStreamAttributes rootAttributes(const QByteArray& svg)
{
    QXmlStreamReader reader(svg);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.attributes();
    return QXmlStreamAttributes();
}

// Where the root element's start tag is in `svg`: from its "<" to its ">" (past the end when it is
// not found, or the text is not in an encoding of single bytes for its markup).
std::pair<int, int> rootTag(const QByteArray& svg)
{
    const int n = svg.size();
    const auto after = [&svg](int from, const char* end) {
        const int at = svg.indexOf(end, from);
        return at < 0 ? -1 : at + int(qstrlen(end));
    };
    for (int i = svg.indexOf('<'); i >= 0 && i < n; i = svg.indexOf('<', i)) {
        if (svg.mid(i, 4) == "<!--") {
            i = after(i, "-->");
        } else if (svg.mid(i, 2) == "<?") {
            i = after(i, "?>");
        } else if (svg.mid(i, 2) == "<!") {
            // A document type, its internal subset (declarations, quoted text) in brackets.
            int depth = 0;
            char quote = 0;
            int j = i + 2;
            for (; j < n; ++j) {
                const char c = svg[j];
                if (quote) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '[') {
                    ++depth;
                } else if (c == ']') {
                    --depth;
                } else if (c == '>' && depth <= 0) {
                    break;
                }
            }
            i = j < n ? j + 1 : -1;
        } else {
            char quote = 0;
            for (int j = i + 1; j < n; ++j) {
                const char c = svg[j];
                if (quote)
                    quote = c == quote ? 0 : quote;
                else if (c == '"' || c == '\'')
                    quote = c;
                else if (c == '>')
                    return {i, j};
            }
            break;
        }
        if (i < 0)
            break;
    }
    return {n, n};
}

// `svg` with its viewBox widened so that a drawing at `size` scales it by one factor on both axes,
// its picture centred (the plug-in stretches the viewBox onto the size it draws at, so a size
// whose sides are not in the picture's own ratio would draw it wider or taller than it is).
QByteArray uniformly(const QByteArray& svg, QSize size)
{
    const QRectF box = userBox(rootAttributes(svg));
    if (!(box.width() > 0 && box.height() > 0) || size.isEmpty())
        return svg;
    const double sx = size.width() / box.width(), sy = size.height() / box.height();
    if (std::abs(sx - sy) <= 1e-9 * std::max(sx, sy))
        return svg;
    const double scale = std::min(sx, sy);
    const QSizeF shown(size.width() / scale, size.height() / scale);
    const QRectF wide(box.x() - (shown.width() - box.width()) / 2,
                      box.y() - (shown.height() - box.height()) / 2, shown.width(), shown.height());
    const auto [start, end] = rootTag(svg);
    if (end >= svg.size() || svg.indexOf('\0') >= 0)
        return svg;
    const QByteArray value = QStringLiteral("%1 %2 %3 %4")
                                 .arg(wide.x(), 0, 'f', 6)
                                 .arg(wide.y(), 0, 'f', 6)
                                 .arg(wide.width(), 0, 'f', 6)
                                 .arg(wide.height(), 0, 'f', 6)
                                 .toLatin1();
    QByteArray tag = svg.mid(start, end - start);
    static const QRegularExpression viewBox(QStringLiteral("(\\s)viewBox\\s*=\\s*(\"[^\"]*\"|'[^']*')"));
    const QRegularExpressionMatch m = viewBox.match(QString::fromLatin1(tag));
    if (m.hasMatch())
        tag.replace(m.capturedStart(0), m.capturedLength(0), " viewBox=\"" + value + "\"");
    else
        tag.insert(tag.endsWith('/') ? tag.size() - 1 : tag.size(), " viewBox=\"" + value + "\"");
    return svg.left(start) + tag + svg.mid(end);
}

// What one pass of the parser learns of an SVG's elements: the tree, the ids, what each <use>
// repeats, what each element weighs and which images are named.
struct Outline
{
    std::vector<int> parent;    // each element's, in document order (-1 for the root)
    std::vector<int> line;      // where each starts
    std::vector<quint16> name;  // each element's name, as an index into `names`
    std::vector<quint8> weight; // what drawing it costs, in plain elements
    std::vector<QString> uses;  // for a <use>, the id it names ("" for other elements)
    QStringList names;          // the element names met
    QHash<QString, int> nameIndex;
    QHash<QString, int> ids; // the element each id names
    // Each <image> element's reference and line, in document order.
    std::vector<std::pair<QString, int>> images;
    QSizeF own; // the root's size at 100 %
    QString nameOf(int element) const { return names.value(name[size_t(element)]); }
};

// The plug-in lays out every run of text with the font machinery, some sixty times the work of a
// plain shape: a run counts as this many elements.
constexpr int textRunWeight = 64;
bool isTextRun(const QStringRef& name)
{
    return name == QLatin1String("text") || name == QLatin1String("tspan") ||
           name == QLatin1String("textPath") || name == QLatin1String("tref") ||
           name == QLatin1String("textArea") || name == QLatin1String("tbreak");
}

QString elementAt(const QString& name, int line)
{
    return QStringLiteral("its <%1> on line %2").arg(name).arg(line);
}

// How many elements the SVG draws with each <use> expanded and each element weighed (at most
// maximumElements + 1); when that is more than maximumElements, the element in document order at
// which the count passes it. -1 with the reason when it cannot be counted (a <use> that repeats
// itself).
qint64 expandedElements(const Outline& o, Problem* why, int* crossing)
{
    const int n = int(o.parent.size());
    std::vector<std::vector<int>> parts(size_t(n) + 0);
    std::vector<int> repeats(size_t(n), -1); // the element each <use> repeats
    for (int i = 1; i < n; ++i)
        parts[size_t(o.parent[size_t(i)])].push_back(i);
    for (int i = 0; i < n; ++i)
        if (!o.uses[size_t(i)].isEmpty())
            if (const auto target = o.ids.constFind(o.uses[size_t(i)]); target != o.ids.constEnd()) {
                parts[size_t(i)].push_back(*target);
                repeats[size_t(i)] = *target;
            }
    // Depth first without recursion: a chain of <use> elements may be as long as the file.
    std::vector<qint64> total(size_t(n), 0);
    std::vector<char> state(size_t(n), 0); // 0 not met, 1 on the way, 2 counted
    std::vector<std::pair<int, size_t>> stack{{0, 0}};
    state[0] = 1;
    while (!stack.empty()) {
        auto& [at, next] = stack.back();
        const std::vector<int>& those = parts[size_t(at)];
        if (next < those.size()) {
            const int part = those[next++];
            if (state[size_t(part)] == 1) {
                *why = Problem{Reason::SvgRepeatsItself,
                               {elementAt(QStringLiteral("use"), o.line[size_t(at)])},
                               QString()};
                return -1;
            }
            if (state[size_t(part)] == 0) {
                state[size_t(part)] = 1;
                stack.push_back({part, 0});
            }
            continue;
        }
        qint64 sum = o.weight[size_t(at)];
        for (int part : those)
            sum = std::min(sum + total[size_t(part)], maximumElements + 1);
        total[size_t(at)] = sum;
        state[size_t(at)] = 2;
        stack.pop_back();
    }
    if (total[0] > maximumElements) {
        // Each element in document order adds itself and what a <use> repeats: the sum is the whole.
        qint64 sofar = 0;
        for (int i = 0; i < n; ++i) {
            sofar += o.weight[size_t(i)] + (repeats[size_t(i)] >= 0 ? total[size_t(repeats[size_t(i)])] : 0);
            if (sofar > maximumElements) {
                *crossing = i;
                break;
            }
        }
    }
    return total[0];
}

// The SVG with each image reference replaced by its data: URI.
QByteArray withImagesEmbedded(const QByteArray& svg, const QHash<QString, QString>& uris)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    QXmlStreamReader reader(svg);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("image")) {
            writer.writeCurrentToken(reader);
            continue;
        }
        // Written by their names as they stand: the declarations they rely on are written with
        // the elements that make them.
        writer.writeStartElement(reader.qualifiedName().toString());
        for (const QXmlStreamNamespaceDeclaration& n : reader.namespaceDeclarations())
            writer.writeAttribute(n.prefix().isEmpty() ? QStringLiteral("xmlns")
                                                       : QStringLiteral("xmlns:") + n.prefix().toString(),
                                  n.namespaceUri().toString());
        for (const QXmlStreamAttribute& a : reader.attributes())
            writer.writeAttribute(a.qualifiedName().toString(), a.name() == QLatin1String("href")
                                                                    ? uris.value(a.value().toString())
                                                                    : a.value().toString());
    }
    return out;
}

// The SVG text of `bytes`, SVGZ inflated; empty with the reason in `why`.
QByteArray inflated(const QByteArray& bytes, Problem* why)
{
    if (bytes.size() > maximumBytes) {
        *why = Problem{Reason::SvgTooLarge, {QString::number(maximumBytes >> 20)}, QString()};
        return QByteArray();
    }
    if (!bytes.startsWith("\x1f\x8b"))
        return bytes;
    // SVGZ: inflated into at most maximumBytes.
    QByteArray svg(int(maximumBytes), Qt::Uninitialized);
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    size_t size = 0;
    const libdeflate_result result =
        inflater ? libdeflate_gzip_decompress(inflater.get(), bytes.constData(), size_t(bytes.size()),
                                              svg.data(), size_t(svg.size()), &size)
                 : LIBDEFLATE_BAD_DATA;
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE)
        *why = Problem{Reason::SvgTooLargeInflated, {QString::number(maximumBytes >> 20)}, QString()};
    else if (result != LIBDEFLATE_SUCCESS)
        *why = Problem{Reason::SvgCompressedCorrupt, {}, QString()};
    if (result != LIBDEFLATE_SUCCESS)
        return QByteArray();
    svg.resize(int(size));
    return svg;
}

// The root element's own checks: an SVG, a viewBox with area if any, and its size at 100 %.
bool rootOutline(const QXmlStreamReader& reader, Outline& o, Problem* why)
{
    const QString where = elementAt(reader.qualifiedName().toString(), int(reader.lineNumber()));
    if (reader.name() != QLatin1String("svg") || reader.namespaceUri() != svgNamespace) {
        *why = Problem{Reason::SvgNotSvg, {}, where};
        return false;
    }
    const QXmlStreamAttributes a = reader.attributes();
    const QSizeF box = viewBoxSize(a.value(QLatin1String("viewBox")).toString());
    if (!box.isValid()) {
        *why = Problem{Reason::SvgNoArea, {a.value(QLatin1String("viewBox")).toString().left(60)}, where};
        return false;
    }
    const double w = pixels(a.value(QLatin1String("width")).toString()),
                 h = pixels(a.value(QLatin1String("height")).toString());
    o.own = QSizeF(w > 0 ? w : box.width(), h > 0 ? h : box.height());
    if (!(o.own.width() > 0 && o.own.height() > 0)) {
        *why = Problem{Reason::SvgNoSize, {}, QString()};
        return false;
    }
    if (o.own.width() > maximumSide || o.own.height() > maximumSide) {
        *why = Problem{Reason::SvgSizeOutOfRange,
                       {QString::number(o.own.width(), 'g', 6), QString::number(o.own.height(), 'g', 6),
                        QString::number(maximumSide, 'g', 7)},
                       where};
        return false;
    }
    return true;
}

// One pass of the parser: well-formed, no entities, not too deep, gradients of a bounded number of
// stops, an SVG root with a size; its outline, or the reason in `why`.
bool outline(const QByteArray& svg, Outline& o, Problem* why)
{
    QXmlStreamReader reader(svg);
    std::vector<int> open;
    QHash<int, int> stops; // each gradient's so far
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isDTD() && !reader.entityDeclarations().isEmpty()) {
            *why = Problem{Reason::SvgEntities,
                           {},
                           QStringLiteral("its <!DOCTYPE> on line %1").arg(reader.lineNumber())};
            return false;
        }
        if (reader.isEndElement()) {
            open.pop_back();
            continue;
        }
        if (!reader.isStartElement())
            continue;
        const int index = int(o.parent.size());
        const int line = int(reader.lineNumber());
        const QStringRef name = reader.name();
        if (int(open.size()) >= maximumDepth) {
            *why = Problem{Reason::SvgTooDeep,
                           {QString::number(maximumDepth)},
                           elementAt(reader.qualifiedName().toString(), line)};
            return false;
        }
        if (open.empty() && !rootOutline(reader, o, why))
            return false;
        const int parent = open.empty() ? -1 : open.back();
        if (name == QLatin1String("stop") && parent >= 0 &&
            o.nameOf(parent).endsWith(QLatin1String("Gradient")) && ++stops[parent] > maximumStops) {
            *why = Problem{Reason::SvgTooManyStops,
                           {QString::number(maximumStops)},
                           elementAt(o.nameOf(parent), o.line[size_t(parent)])};
            return false;
        }
        const QString tag = name.toString();
        auto known = o.nameIndex.constFind(tag);
        if (known == o.nameIndex.constEnd()) {
            known = o.nameIndex.insert(tag, o.names.size());
            o.names << tag;
        }
        o.parent.push_back(parent);
        o.line.push_back(line);
        o.name.push_back(quint16(std::min(*known, 0xffff)));
        o.weight.push_back(isTextRun(name) ? textRunWeight : 1);
        o.uses.emplace_back();
        const QXmlStreamAttributes a = reader.attributes();
        const QString id = a.value(QLatin1String("id")).toString();
        if (!id.isEmpty() && !o.ids.contains(id))
            o.ids.insert(id, index);
        const QString link = linkOf(a);
        if (name == QLatin1String("use") && link.startsWith(QLatin1Char('#')))
            o.uses.back() = link.mid(1);
        if (name == QLatin1String("image") && !link.isEmpty())
            o.images.emplace_back(link, line);
        open.push_back(index);
    }
    if (reader.hasError()) {
        *why = Problem{Reason::SvgMalformed,
                       {reader.errorString(), QString::number(reader.lineNumber()),
                        QString::number(reader.columnNumber())},
                       QString()};
        return false;
    }
    return true;
}

} // namespace

bool looksLikeSvg(const QByteArray& bytes)
{
    if (bytes.startsWith("\x1f\x8b"))
        return true;
    const QByteArray start = bytes.left(4096);
    return start.contains("<svg") && (start.trimmed().startsWith('<') || start.startsWith("\xef\xbb\xbf"));
}

QByteArray read(const QByteArray& bytes, QSize* size, Problem* error, const ImageEmbedder& embed)
{
    Problem why;
    auto refuse = [error, &why]() {
        if (error)
            *error = why;
        return QByteArray();
    };
    QByteArray svg = inflated(bytes, &why);
    Outline o;
    if (svg.isEmpty() || !outline(svg, o, &why))
        return refuse();
    // Counted before anything draws it: a few kilobytes of nested <use> elements can repeat a
    // shape billions of times.
    int crossing = 0;
    const qint64 elements = expandedElements(o, &why, &crossing);
    if (elements < 0)
        return refuse();
    if (elements > maximumElements) {
        why = Problem{Reason::SvgTooManyElements,
                      {QString::number(maximumElements), QString::number(textRunWeight)},
                      elementAt(o.nameOf(crossing), o.line[size_t(crossing)])};
        return refuse();
    }
    if (!o.images.empty()) {
        // Each <image> element in document order, so that a bound the images pass together is
        // said of the element that passes it.
        QHash<QString, QString> uris;
        for (const auto& [href, line] : o.images) {
            Problem reason;
            const QString uri = embed ? embed(href, &reason) : QString();
            if (!embed)
                reason = Problem{Reason::SvgImagesNotRead, {}, QString()};
            if (uri.isEmpty()) {
                // The image's own problem, said of the element that names it.
                why = reason;
                why.where =
                    QStringLiteral("%1 refers to \"%2\"")
                        .arg(elementAt(QStringLiteral("image"), line),
                             href.startsWith(QLatin1String("data:")) ? href.left(40) + QStringLiteral("...")
                                                                     : href.left(200));
                return refuse();
            }
            uris.insert(href, uri);
        }
        svg = withImagesEmbedded(svg, uris);
    }
    QBuffer buffer(&svg);
    buffer.open(QIODevice::ReadOnly);
    if (!QImageReader(&buffer, "svg").canRead()) {
        why = Problem{Reason::SvgNoReader, {}, QString()};
        return refuse();
    }
    *size =
        QSize(std::max(1, int(std::lround(o.own.width()))), std::max(1, int(std::lround(o.own.height()))));
    return svg;
}

QSize fitted(const QByteArray& svg, QSize declared)
{
    // The drawing at a reference size, and how far its ink reaches from the middle.
    const QSize reference = declared.scaled(256, 256, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage ink = draw(svg, reference);
    double reach = 0;
    const double cx = reference.width() / 2.0, cy = reference.height() / 2.0;
    for (int y = 0; y < ink.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(ink.constScanLine(y));
        for (int x = 0; x < ink.width(); ++x)
            if (qAlpha(line[x]) >= 16)
                reach = std::max(reach, std::hypot(std::max(std::abs(x - cx), std::abs(x + 1 - cx)),
                                                   std::max(std::abs(y - cy), std::abs(y + 1 - cy))));
    }
    if (reach <= 0)
        return declared;
    const double factor = fittedReach / reach;
    return QSize(std::clamp(int(std::lround(reference.width() * factor)), 1, 4096),
                 std::clamp(int(std::lround(reference.height() * factor)), 1, 4096));
}

namespace {

// Drawings already made, the newest first: the window's preview, the device preview and the
// packages ask for the same sizes again and again, and a drawing of a hundred thousand shapes
// takes seconds. An SVG's text decides its drawing, so one is kept with the text it came from.
struct Drawing
{
    QByteArray svg;
    QSize size;
    QRect clip;
    QImage image;
};
constexpr qint64 drawingsBudget = 96LL << 20;
QMutex drawingsMutex;
std::list<Drawing> drawings;
qint64 drawingsBytes = 0;

bool sameText(const QByteArray& a, const QByteArray& b)
{
    // Copies of one text share their bytes; only another text's are compared.
    return a.constData() == b.constData() || a == b;
}

QImage drawNow(const QByteArray& svg, QSize size, const QRect& clip)
{
    QByteArray bytes = uniformly(svg, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(size);
    if (clip.isValid())
        reader.setScaledClipRect(clip);
    const QImage drawn = reader.read();
    return drawn.isNull() ? drawn : drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QImage draw(const QByteArray& svg, QSize size, const QRect& clip)
{
    {
        QMutexLocker lock(&drawingsMutex);
        for (auto d = drawings.begin(); d != drawings.end(); ++d)
            if (d->size == size && d->clip == clip && sameText(d->svg, svg)) {
                drawings.splice(drawings.begin(), drawings, d);
                return d->image;
            }
    }
    const QImage drawn = drawNow(svg, size, clip);
    if (drawn.isNull() || drawn.sizeInBytes() > drawingsBudget / 4)
        return drawn;
    QMutexLocker lock(&drawingsMutex);
    drawings.push_front({svg, size, clip, drawn});
    drawingsBytes += drawn.sizeInBytes();
    while (drawingsBytes > drawingsBudget) {
        drawingsBytes -= drawings.back().image.sizeInBytes();
        drawings.pop_back();
    }
    return drawn;
}

void forgetDrawings()
{
    QMutexLocker lock(&drawingsMutex);
    drawings.clear();
    drawingsBytes = 0;
}

QByteArray placed(const QByteArray& svg, const QRect& placed, QSize canvas)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(false);
    writer.writeStartDocument();
    writer.writeDefaultNamespace(svgNamespace);
    writer.writeStartElement(svgNamespace, QStringLiteral("svg"));
    writer.writeAttribute(QStringLiteral("width"), QString::number(canvas.width()));
    writer.writeAttribute(QStringLiteral("height"), QString::number(canvas.height()));
    writer.writeAttribute(QStringLiteral("viewBox"),
                          QStringLiteral("0 0 %1 %2").arg(canvas.width()).arg(canvas.height()));
    QXmlStreamReader reader(svg);
    bool root = true;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartDocument() || reader.isEndDocument() || reader.isDTD())
            continue;
        if (reader.isStartElement() && root) {
            // The picture's own root becomes a group that maps its viewBox onto the place the
            // design gives it (nested viewports are not drawn by every reader), keeping the root's
            // own presentation attributes.
            root = false;
            writer.writeStartElement(svgNamespace, QStringLiteral("g"));
            for (const QXmlStreamNamespaceDeclaration& n : reader.namespaceDeclarations())
                if (!n.prefix().isEmpty())
                    writer.writeNamespace(n.namespaceUri().toString(), n.prefix().toString());
            // The picture's own coordinates scaled by one factor on both axes, centred in its place.
            const QRectF box = userBox(reader.attributes());
            static const QStringList viewportOnly = {
                QStringLiteral("x"),       QStringLiteral("y"),
                QStringLiteral("width"),   QStringLiteral("height"),
                QStringLiteral("viewBox"), QStringLiteral("preserveAspectRatio"),
                QStringLiteral("version"), QStringLiteral("baseProfile")};
            for (const QXmlStreamAttribute& a : reader.attributes())
                if (!(a.namespaceUri().isEmpty() && viewportOnly.contains(a.name().toString())))
                    writer.writeAttribute(a);
            const double scale = box.width() > 0 && box.height() > 0
                                     ? std::min(placed.width() / box.width(), placed.height() / box.height())
                                     : 1;
            const QPointF origin(placed.x() + (placed.width() - box.width() * scale) / 2,
                                 placed.y() + (placed.height() - box.height() * scale) / 2);
            writer.writeAttribute(QStringLiteral("transform"),
                                  QStringLiteral("translate(%1 %2) scale(%3) translate(%4 %5)")
                                      .arg(origin.x(), 0, 'g', 10)
                                      .arg(origin.y(), 0, 'g', 10)
                                      .arg(scale, 0, 'g', 10)
                                      .arg(-box.x(), 0, 'g', 10)
                                      .arg(-box.y(), 0, 'g', 10));
            continue;
        }
        writer.writeCurrentToken(reader);
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return out;
}

} // namespace VectorPicture
