#include "render/vectorpicture.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <libdeflate.h>

#include <cmath>
#include <memory>

namespace VectorPicture {

namespace {

const QString svgNamespace = QStringLiteral("http://www.w3.org/2000/svg");

// A length of the root element in pixels (96 a inch); 0 for a percentage, nothing, or nonsense.
double pixels(const QString& length)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?)\\s*(px|pt|pc|mm|cm|in)?\\s*$"));
    const QRegularExpressionMatch m = form.match(length);
    if (!m.hasMatch())
        return 0;
    const double value = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    const double perUnit = unit == QLatin1String("pt")   ? 96.0 / 72
                           : unit == QLatin1String("pc") ? 16
                           : unit == QLatin1String("mm") ? 96 / 25.4
                           : unit == QLatin1String("cm") ? 96 / 2.54
                           : unit == QLatin1String("in") ? 96
                                                         : 1;
    return std::isfinite(value) ? value * perUnit : 0;
}

// The viewBox's width and height, or an empty size.
QSizeF viewBoxSize(const QString& viewBox)
{
    const QStringList parts =
        viewBox.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return QSizeF();
    return QSizeF(parts[2].toDouble(), parts[3].toDouble());
}

// Whether an image reference is a path on this disk relative to the SVG (not a data: URI, not a
// fragment, not a URL of some scheme, not absolute).
bool relativeReference(const QString& href)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return !href.isEmpty() && !href.startsWith(QLatin1Char('#')) && !href.startsWith(QLatin1Char('/')) &&
           !scheme.match(href).hasMatch();
}

// The SVG with each image reference made absolute from `folder`: the toolkit's reader would take
// it from the program's working folder.
QByteArray withReferencesFrom(const QByteArray& svg, const QString& folder)
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
        writer.writeStartElement(reader.namespaceUri().toString(), reader.name().toString());
        for (const QXmlStreamNamespaceDeclaration& n : reader.namespaceDeclarations())
            writer.writeNamespace(n.namespaceUri().toString(), n.prefix().toString());
        for (QXmlStreamAttribute a : reader.attributes()) {
            if (a.name() == QLatin1String("href") && relativeReference(a.value().toString()))
                a = QXmlStreamAttribute(a.namespaceUri().toString(), a.name().toString(),
                                        QDir(folder).absoluteFilePath(a.value().toString()));
            writer.writeAttribute(a);
        }
    }
    return out;
}

} // namespace

bool looksLikeSvg(const QByteArray& bytes)
{
    if (bytes.startsWith("\x1f\x8b"))
        return true;
    const QByteArray start = bytes.left(4096);
    return start.contains("<svg") && (start.trimmed().startsWith('<') || start.startsWith("\xef\xbb\xbf"));
}

QByteArray read(const QByteArray& bytes, QSize* size, QString* error, const QString& folder)
{
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (bytes.size() > maximumBytes)
        return refuse(QStringLiteral("it is larger than %1 MB").arg(maximumBytes >> 20));
    QByteArray svg = bytes;
    if (bytes.startsWith("\x1f\x8b")) {
        // SVGZ: inflated into at most maximumBytes.
        svg = QByteArray(int(maximumBytes), Qt::Uninitialized);
        std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
            libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
        size_t inflated = 0;
        const libdeflate_result result =
            inflater ? libdeflate_gzip_decompress(inflater.get(), bytes.constData(), size_t(bytes.size()),
                                                  svg.data(), size_t(svg.size()), &inflated)
                     : LIBDEFLATE_BAD_DATA;
        if (result == LIBDEFLATE_INSUFFICIENT_SPACE)
            return refuse(QStringLiteral("it is larger than %1 MB once inflated").arg(maximumBytes >> 20));
        if (result != LIBDEFLATE_SUCCESS)
            return refuse(QStringLiteral("it is damaged: its compressed data is corrupt"));
        svg.resize(int(inflated));
    }

    // One pass of the parser: well-formed, no entities, not too deep, an SVG root with a size.
    QXmlStreamReader reader(svg);
    int depth = 0;
    QSizeF own;
    bool references = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isDTD() && !reader.entityDeclarations().isEmpty())
            return refuse(QStringLiteral("it declares entities, which are refused (their expansion has no "
                                         "bound)"));
        if (reader.isStartElement()) {
            if (++depth > maximumDepth)
                return refuse(QStringLiteral("its elements are nested more than %1 deep").arg(maximumDepth));
            if (depth == 1) {
                if (reader.name() != QLatin1String("svg") || reader.namespaceUri() != svgNamespace)
                    return refuse(QStringLiteral("it is not an SVG picture"));
                const QXmlStreamAttributes a = reader.attributes();
                const QSizeF box = viewBoxSize(a.value(QLatin1String("viewBox")).toString());
                const double w = pixels(a.value(QLatin1String("width")).toString()),
                             h = pixels(a.value(QLatin1String("height")).toString());
                own = QSizeF(w > 0 ? w : box.width(), h > 0 ? h : box.height());
            }
            if (reader.name() == QLatin1String("image"))
                for (const QXmlStreamAttribute& a : reader.attributes())
                    references |=
                        a.name() == QLatin1String("href") && relativeReference(a.value().toString());
        } else if (reader.isEndElement()) {
            --depth;
        }
    }
    if (reader.hasError())
        return refuse(QStringLiteral("it is not well-formed SVG: %1 (line %2, column %3)")
                          .arg(reader.errorString())
                          .arg(reader.lineNumber())
                          .arg(reader.columnNumber()));
    if (!(own.width() > 0 && own.height() > 0) || own.width() > 1e6 || own.height() > 1e6)
        return refuse(QStringLiteral("it gives no size (a width and height, or a viewBox)"));
    if (references && !folder.isEmpty())
        svg = withReferencesFrom(svg, folder);
    QBuffer buffer(&svg);
    buffer.open(QIODevice::ReadOnly);
    if (!QImageReader(&buffer, "svg").canRead())
        return refuse(QStringLiteral("no SVG reader is installed (the Qt SVG image plug-in)"));
    *size = QSize(std::max(1, int(std::lround(own.width()))), std::max(1, int(std::lround(own.height()))));
    return svg;
}

QImage draw(const QByteArray& svg, QSize size, const QRect& clip)
{
    QByteArray bytes = svg;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(size);
    if (clip.isValid())
        reader.setScaledClipRect(clip);
    const QImage drawn = reader.read();
    return drawn.isNull() ? drawn : drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QByteArray placed(const QByteArray& svg, QSize ownSize, const QRect& placed, QSize canvas)
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
            QRectF box(QPointF(0, 0), QSizeF(ownSize));
            static const QStringList viewportOnly = {
                QStringLiteral("x"),       QStringLiteral("y"),
                QStringLiteral("width"),   QStringLiteral("height"),
                QStringLiteral("viewBox"), QStringLiteral("preserveAspectRatio"),
                QStringLiteral("version"), QStringLiteral("baseProfile")};
            for (const QXmlStreamAttribute& a : reader.attributes()) {
                const QString name = a.name().toString();
                if (a.namespaceUri().isEmpty() && name == QLatin1String("viewBox")) {
                    const QStringList parts = a.value().toString().split(
                        QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
                    if (parts.size() == 4)
                        box = QRectF(parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(),
                                     parts[3].toDouble());
                }
                if (!(a.namespaceUri().isEmpty() && viewportOnly.contains(name)))
                    writer.writeAttribute(a);
            }
            writer.writeAttribute(QStringLiteral("transform"),
                                  QStringLiteral("translate(%1 %2) scale(%3 %4) translate(%5 %6)")
                                      .arg(placed.x())
                                      .arg(placed.y())
                                      .arg(placed.width() / box.width(), 0, 'g', 10)
                                      .arg(placed.height() / box.height(), 0, 'g', 10)
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
