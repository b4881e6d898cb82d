#include "packages/vectorshapes.h"

#include "packages/darklook.h"
#include "packages/layers.h"
#include "render/iconrenderer.h"

#include <QColor>
#include <QHash>
#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QRegularExpression>
#include <QTransform>
#include <QtMath>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <optional>

namespace Packages {

namespace {

const QString svgNamespace = QStringLiteral("http://www.w3.org/2000/svg");

// The presentation properties an element inherits from its parents.
struct Style
{
    QString fill = QStringLiteral("black"), stroke = QStringLiteral("none"), color = QStringLiteral("black");
    qreal fillOpacity = 1, strokeOpacity = 1, strokeWidth = 1, miterLimit = 4;
    Qt::FillRule fillRule = Qt::WindingFill;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::SvgMiterJoin;
    bool dashed = false;
};

struct GradientDef
{
    bool radial = false;
    QHash<QString, QString> attributes;
    QGradientStops stops;
    QString href;
};

// Why an element stops the shapes: "its <filter> on line 4" and what it is.
struct Refusal
{
    QString where, what;
};

QString elementAt(const QXmlStreamReader& reader)
{
    return QStringLiteral("its <%1> on line %2").arg(reader.name().toString()).arg(reader.lineNumber());
}

// A number, a length in pixels ("12", "12px"), or with `fraction` a percentage as a fraction.
std::optional<qreal> number(QString text, bool fraction = false)
{
    text = text.trimmed();
    qreal scale = 1;
    if (text.endsWith(QLatin1String("px")))
        text.chop(2);
    else if (fraction && text.endsWith(QLatin1Char('%'))) {
        text.chop(1);
        scale = 0.01;
    }
    bool ok = false;
    const qreal v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<qreal>(v * scale) : std::nullopt;
}

// The numbers of a list ("1,2 3 -4.5e1"), as path data and points give them.
QVector<qreal> numbers(const QString& text)
{
    static const QRegularExpression token(QStringLiteral("[-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?"));
    QVector<qreal> out;
    for (auto m = token.globalMatch(text); m.hasNext();)
        out << m.next().captured(0).toDouble();
    return out;
}

std::optional<QTransform> transformOf(const QString& text)
{
    static const QRegularExpression item(
        QStringLiteral("(matrix|translate|scale|rotate|skewX|skewY)\\s*\\(([^)]*)\\)"));
    QTransform total;
    int consumed = 0;
    for (auto m = item.globalMatch(text); m.hasNext();) {
        const QRegularExpressionMatch one = m.next();
        if (!text.mid(consumed, one.capturedStart() - consumed).trimmed().remove(QLatin1Char(',')).isEmpty())
            return std::nullopt;
        consumed = one.capturedEnd();
        const QString kind = one.captured(1);
        const QVector<qreal> v = numbers(one.captured(2));
        QTransform t;
        if (kind == QLatin1String("matrix") && v.size() == 6)
            t = QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
        else if (kind == QLatin1String("translate") && (v.size() == 1 || v.size() == 2))
            t = QTransform::fromTranslate(v[0], v.value(1, 0));
        else if (kind == QLatin1String("scale") && (v.size() == 1 || v.size() == 2))
            t = QTransform::fromScale(v[0], v.value(1, v[0]));
        else if (kind == QLatin1String("rotate") && (v.size() == 1 || v.size() == 3)) {
            const qreal cx = v.value(1, 0), cy = v.value(2, 0);
            t = QTransform::fromTranslate(-cx, -cy) * QTransform().rotate(v[0]) *
                QTransform::fromTranslate(cx, cy);
        } else if (kind == QLatin1String("skewX") && v.size() == 1)
            t = QTransform(1, 0, std::tan(qDegreesToRadians(v[0])), 1, 0, 0);
        else if (kind == QLatin1String("skewY") && v.size() == 1)
            t = QTransform(1, std::tan(qDegreesToRadians(v[0])), 0, 1, 0, 0);
        else
            return std::nullopt;
        // The list's later items apply first.
        total = t * total;
    }
    if (!text.mid(consumed).trimmed().isEmpty())
        return std::nullopt;
    return total;
}

// An elliptic arc from `from` as cubic curves (the SVG's endpoint form turned to its centre form).
void arcTo(QPainterPath& path, QPointF from, qreal rx, qreal ry, qreal degrees, bool large, bool sweep,
           QPointF to)
{
    if (from == to)
        return;
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0) {
        path.lineTo(to);
        return;
    }
    const qreal phi = qDegreesToRadians(degrees), c = std::cos(phi), s = std::sin(phi);
    const qreal dx = (from.x() - to.x()) / 2, dy = (from.y() - to.y()) / 2;
    const qreal x1 = c * dx + s * dy, y1 = -s * dx + c * dy;
    const qreal lambda = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const qreal num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const qreal den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    qreal k = den > 0 ? std::sqrt(std::max<qreal>(0, num / den)) : 0;
    if (large == sweep)
        k = -k;
    const qreal cx1 = k * rx * y1 / ry, cy1 = -k * ry * x1 / rx;
    const qreal cx = c * cx1 - s * cy1 + (from.x() + to.x()) / 2;
    const qreal cy = s * cx1 + c * cy1 + (from.y() + to.y()) / 2;
    const auto angle = [](qreal ux, qreal uy, qreal vx, qreal vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const qreal start = angle(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
    qreal delta = angle((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
    if (!sweep && delta > 0)
        delta -= 2 * M_PI;
    else if (sweep && delta < 0)
        delta += 2 * M_PI;
    const int segments = int(std::ceil(std::abs(delta) / (M_PI / 2) - 1e-9));
    const qreal step = delta / std::max(1, segments), t = 4.0 / 3 * std::tan(step / 4);
    const auto point = [&](qreal a, qreal ox, qreal oy) {
        const qreal ex = rx * (std::cos(a) + ox), ey = ry * (std::sin(a) + oy);
        return QPointF(cx + c * ex - s * ey, cy + s * ex + c * ey);
    };
    for (int i = 0; i < segments; ++i) {
        const qreal a1 = start + i * step, a2 = a1 + step;
        const QPointF end = i == segments - 1 ? to : point(a2, 0, 0);
        path.cubicTo(point(a1, -t * std::sin(a1), t * std::cos(a1)),
                     point(a2, t * std::sin(a2), -t * std::cos(a2)), end);
    }
}

// SVG path data as a painter path; nothing when it is malformed (as far as it is readable, as SVG
// readers draw it).
QPainterPath pathData(const QString& d)
{
    QPainterPath path;
    QChar command;
    QPointF current, start, control; // the last curve's second control point, for S and T
    QChar last;
    int i = 0;
    const int n = d.size();
    const auto skip = [&] {
        while (i < n && (d[i].isSpace() || d[i] == QLatin1Char(',')))
            ++i;
    };
    const auto readNumber = [&](qreal* v) {
        skip();
        const int begin = i;
        if (i < n && (d[i] == QLatin1Char('-') || d[i] == QLatin1Char('+')))
            ++i;
        bool dot = false, digits = false;
        while (i < n && (d[i].isDigit() || (d[i] == QLatin1Char('.') && !dot))) {
            dot = dot || d[i] == QLatin1Char('.');
            digits = digits || d[i].isDigit();
            ++i;
        }
        if (digits && i < n && (d[i] == QLatin1Char('e') || d[i] == QLatin1Char('E'))) {
            int j = i + 1;
            if (j < n && (d[j] == QLatin1Char('-') || d[j] == QLatin1Char('+')))
                ++j;
            if (j < n && d[j].isDigit()) {
                i = j;
                while (i < n && d[i].isDigit())
                    ++i;
            }
        }
        if (!digits)
            return false;
        *v = d.mid(begin, i - begin).toDouble();
        return true;
    };
    const auto readFlag = [&](bool* f) {
        skip();
        if (i < n && (d[i] == QLatin1Char('0') || d[i] == QLatin1Char('1'))) {
            *f = d[i++] == QLatin1Char('1');
            return true;
        }
        return false;
    };
    while (true) {
        skip();
        if (i >= n)
            break;
        // Every turn reads a command or the numbers of one: what is neither ends the path data.
        const int at = i;
        if (d[i].isLetter()) {
            command = d[i++];
        } else if (command.isNull() || command.toUpper() == QLatin1Char('Z')) {
            break; // numbers after a close, or before any command
        }
        const bool relative = command.isLower();
        const QPointF origin = relative ? current : QPointF();
        const QChar c = command.toUpper();
        qreal v[6];
        bool f1 = false, f2 = false;
        const auto read = [&](int count) {
            for (int k = 0; k < count; ++k)
                if (!readNumber(&v[k]))
                    return false;
            return true;
        };
        if (c == QLatin1Char('Z')) {
            path.closeSubpath();
            current = start;
            last = c;
            continue;
        }
        if (c == QLatin1Char('M')) {
            if (!read(2))
                break;
            current = start = origin + QPointF(v[0], v[1]);
            path.moveTo(current);
            command = relative ? QLatin1Char('l') : QLatin1Char('L'); // later pairs are lines
        } else if (c == QLatin1Char('L')) {
            if (!read(2))
                break;
            current = origin + QPointF(v[0], v[1]);
            path.lineTo(current);
        } else if (c == QLatin1Char('H')) {
            if (!read(1))
                break;
            current.setX((relative ? current.x() : 0) + v[0]);
            path.lineTo(current);
        } else if (c == QLatin1Char('V')) {
            if (!read(1))
                break;
            current.setY((relative ? current.y() : 0) + v[0]);
            path.lineTo(current);
        } else if (c == QLatin1Char('C') || c == QLatin1Char('S')) {
            QPointF c1;
            if (c == QLatin1Char('C')) {
                if (!read(6))
                    break;
                c1 = origin + QPointF(v[0], v[1]);
            } else {
                if (!read(4))
                    break;
                c1 = (last == QLatin1Char('C') || last == QLatin1Char('S')) ? 2 * current - control : current;
                v[4] = v[2], v[5] = v[3], v[2] = v[0], v[3] = v[1];
            }
            control = origin + QPointF(v[2], v[3]);
            current = origin + QPointF(v[4], v[5]);
            path.cubicTo(c1, control, current);
        } else if (c == QLatin1Char('Q') || c == QLatin1Char('T')) {
            QPointF q;
            if (c == QLatin1Char('Q')) {
                if (!read(4))
                    break;
                q = origin + QPointF(v[0], v[1]);
                v[0] = v[2], v[1] = v[3];
            } else {
                if (!read(2))
                    break;
                q = (last == QLatin1Char('Q') || last == QLatin1Char('T')) ? 2 * current - control : current;
            }
            control = q;
            current = origin + QPointF(v[0], v[1]);
            path.quadTo(q, current);
        } else if (c == QLatin1Char('A')) {
            if (!readNumber(&v[0]) || !readNumber(&v[1]) || !readNumber(&v[2]) || !readFlag(&f1) ||
                !readFlag(&f2) || !readNumber(&v[3]) || !readNumber(&v[4]))
                break;
            const QPointF to = origin + QPointF(v[3], v[4]);
            arcTo(path, current, v[0], v[1], v[2], f1, f2, to);
            current = to;
        } else {
            break;
        }
        last = c;
        if (i == at)
            break;
    }
    return path;
}

// The colour of a paint ("#rgb", "#rrggbb", a keyword, "rgb(...)"), its alpha scaled by `opacity`.
std::optional<QColor> colourOf(QString text, const QString& current)
{
    text = text.trimmed();
    if (text == QLatin1String("currentColor"))
        text = current.trimmed();
    static const QRegularExpression rgb(QStringLiteral("^rgba?\\(([^)]*)\\)$"));
    const QRegularExpressionMatch m = rgb.match(text);
    if (m.hasMatch()) {
        const QStringList parts = m.captured(1).split(QLatin1Char(','));
        if (parts.size() != 3 && parts.size() != 4)
            return std::nullopt;
        int channel[3];
        for (int k = 0; k < 3; ++k) {
            const std::optional<qreal> v = number(parts[k], true);
            if (!v)
                return std::nullopt;
            channel[k] = qBound(
                0, int(std::lround(parts[k].trimmed().endsWith(QLatin1Char('%')) ? *v * 255 : *v)), 255);
        }
        const std::optional<qreal> a = parts.size() == 4 ? number(parts[3], true) : std::optional<qreal>(1.0);
        if (!a)
            return std::nullopt;
        return QColor(channel[0], channel[1], channel[2], qBound(0, int(std::lround(*a * 255)), 255));
    }
    const QColor c(text);
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

class Reader
{
  public:
    Reader(const QByteArray& svg, const QRectF& placed) : svg(svg), placed(placed) {}

    VectorShapes read(Problem* problem)
    {
        collectGradients();
        QXmlStreamReader reader(svg);
        while (!reader.atEnd() && !refusal) {
            reader.readNext();
            if (reader.isStartElement()) {
                root(reader);
                break;
            }
        }
        if (reader.hasError() && !refusal)
            refusal = Refusal{QString(), QStringLiteral("the SVG is not well-formed")};
        if (refusal) {
            problem->reason = Reason::NoVectorForm;
            problem->details = QStringList{refusal->what};
            problem->where = refusal->where;
            return {};
        }
        return shapes;
    }

  private:
    const QByteArray& svg;
    QRectF placed;
    QHash<QString, GradientDef> gradients;
    VectorShapes shapes;
    std::optional<Refusal> refusal;
    int points = 0; // the path elements so far

    void refuse(const QXmlStreamReader& reader, const QString& what)
    {
        if (!refusal)
            refusal = Refusal{elementAt(reader), what};
    }

    // An attribute, or the same property in the element's style attribute (which wins).
    static QHash<QString, QString> properties(const QXmlStreamReader& reader)
    {
        QHash<QString, QString> p;
        for (const QXmlStreamAttribute& a : reader.attributes())
            if (a.namespaceUri().isEmpty())
                p.insert(a.name().toString(), a.value().toString());
        for (const QString& declaration : p.value(QStringLiteral("style")).split(QLatin1Char(';'))) {
            const int colon = declaration.indexOf(QLatin1Char(':'));
            if (colon > 0)
                p.insert(declaration.left(colon).trimmed(), declaration.mid(colon + 1).trimmed());
        }
        return p;
    }

    static QString href(const QXmlStreamReader& reader)
    {
        for (const QXmlStreamAttribute& a : reader.attributes())
            if (a.name() == QLatin1String("href"))
                return a.value().toString().trimmed();
        return QString();
    }

    void collectGradients()
    {
        QXmlStreamReader reader(svg);
        GradientDef* open = nullptr;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.namespaceUri() == svgNamespace) {
                const QStringRef name = reader.name();
                if (name == QLatin1String("linearGradient") || name == QLatin1String("radialGradient")) {
                    const QHash<QString, QString> p = properties(reader);
                    GradientDef g;
                    g.radial = name == QLatin1String("radialGradient");
                    g.attributes = p;
                    g.href = href(reader);
                    open = &gradients.insert(p.value(QStringLiteral("id")), g).value();
                } else if (name == QLatin1String("stop") && open) {
                    const QHash<QString, QString> p = properties(reader);
                    const qreal offset = qBound<qreal>(
                        open->stops.isEmpty() ? 0 : open->stops.last().first,
                        number(p.value(QStringLiteral("offset"), QStringLiteral("0")), true).value_or(0), 1);
                    QColor c = colourOf(p.value(QStringLiteral("stop-color"), QStringLiteral("black")),
                                        p.value(QStringLiteral("color"), QStringLiteral("black")))
                                   .value_or(QColor(Qt::black));
                    c.setAlphaF(
                        c.alphaF() *
                        qBound<qreal>(
                            0,
                            number(p.value(QStringLiteral("stop-opacity"), QStringLiteral("1"))).value_or(1),
                            1));
                    open->stops.append({offset, c});
                }
            } else if (reader.isEndElement() && (reader.name() == QLatin1String("linearGradient") ||
                                                 reader.name() == QLatin1String("radialGradient"))) {
                open = nullptr;
            }
        }
    }

    // A gradient's attribute, from the gradients it names when it gives none.
    QString gradientAttribute(const GradientDef& g, const QString& name, const QString& fallback) const
    {
        const GradientDef* at = &g;
        for (int depth = 0; at && depth < 16; ++depth) {
            if (at->attributes.contains(name))
                return at->attributes.value(name);
            at = named(at->href);
        }
        return fallback;
    }

    // The gradient a reference ("#id") names; null for none.
    const GradientDef* named(const QString& reference) const
    {
        if (!reference.startsWith(QLatin1Char('#')))
            return nullptr;
        const auto found = gradients.constFind(reference.mid(1));
        return found == gradients.constEnd() ? nullptr : &*found;
    }

    QGradientStops gradientStops(const GradientDef& g) const
    {
        const GradientDef* at = &g;
        for (int depth = 0; at && depth < 16; ++depth) {
            if (!at->stops.isEmpty())
                return at->stops;
            at = named(at->href);
        }
        return {};
    }

    // The brush of a paint on a shape of `bounds` (in user space), `ctm` taking it to the canvas;
    // nothing for "none".
    std::optional<QBrush> paint(const QXmlStreamReader& reader, const QString& value, const Style& style,
                                const QRectF& bounds, const QTransform& ctm)
    {
        const QString text = value.trimmed();
        if (text == QLatin1String("none") || text == QLatin1String("transparent"))
            return QBrush();
        if (!text.startsWith(QLatin1String("url("))) {
            const std::optional<QColor> c = colourOf(text, style.color);
            if (!c)
                refuse(reader, QStringLiteral("its paint \"%1\", which is not a colour").arg(text));
            return c ? std::optional<QBrush>(QBrush(*c)) : std::nullopt;
        }
        const int close = text.indexOf(QLatin1Char(')'));
        const QString id = text.mid(4, close - 4).trimmed().remove(QLatin1Char('#'));
        const auto found = gradients.constFind(id);
        if (found == gradients.constEnd()) {
            refuse(reader, QStringLiteral("a paint server \"%1\" that is not a gradient").arg(id));
            return std::nullopt;
        }
        const GradientDef& g = *found;
        const QGradientStops stops = gradientStops(g);
        if (stops.isEmpty())
            return QBrush();
        if (stops.size() == 1)
            return QBrush(stops.first().second);
        const bool boxUnits =
            gradientAttribute(g, QStringLiteral("gradientUnits"), QStringLiteral("objectBoundingBox")) !=
            QLatin1String("userSpaceOnUse");
        if (boxUnits && (bounds.width() <= 0 || bounds.height() <= 0)) {
            refuse(reader, QStringLiteral("a gradient across a shape without area"));
            return std::nullopt;
        }
        const std::optional<QTransform> own =
            transformOf(gradientAttribute(g, QStringLiteral("gradientTransform"), QString()));
        const auto coordinate = [&](const char* name, const char* fallback) {
            const QString v = gradientAttribute(g, QLatin1String(name), QLatin1String(fallback));
            if (!boxUnits && v.trimmed().endsWith(QLatin1Char('%')))
                return std::optional<qreal>();
            return number(v, true);
        };
        const QTransform box = boxUnits
                                   ? QTransform(bounds.width(), 0, 0, bounds.height(), bounds.x(), bounds.y())
                                   : QTransform();
        if (!own) {
            refuse(reader, QStringLiteral("a gradient transform that cannot be read"));
            return std::nullopt;
        }
        const QTransform a = *own * box * ctm;
        const QString spreadName =
            gradientAttribute(g, QStringLiteral("spreadMethod"), QStringLiteral("pad"));
        const QGradient::Spread spread = spreadName == QLatin1String("reflect")  ? QGradient::ReflectSpread
                                         : spreadName == QLatin1String("repeat") ? QGradient::RepeatSpread
                                                                                 : QGradient::PadSpread;
        if (!g.radial) {
            const auto x1 = coordinate("x1", "0%"), y1 = coordinate("y1", "0%"),
                       x2 = coordinate("x2", "100%"), y2 = coordinate("y2", "0%");
            if (!x1 || !y1 || !x2 || !y2) {
                refuse(reader, QStringLiteral("a gradient placed in percentages of the viewport"));
                return std::nullopt;
            }
            // Its lines of one colour stay parallel under any affine map, but no longer at right
            // angles to the mapped ends: the direction goes through the inverse transpose.
            const QPointF p1(*x1, *y1), d(*x2 - *x1, *y2 - *y1);
            const qreal length2 = d.x() * d.x() + d.y() * d.y();
            const qreal det = a.m11() * a.m22() - a.m12() * a.m21();
            if (length2 <= 0 || std::abs(det) < 1e-12)
                return QBrush(stops.last().second);
            // x' = m11 x + m21 y, y' = m12 x + m22 y; its inverse transpose is
            // [m22 -m12; -m21 m11] / det.
            const QPointF n((a.m22() * d.x() - a.m12() * d.y()) / det / length2,
                            (-a.m21() * d.x() + a.m11() * d.y()) / det / length2);
            const qreal n2 = n.x() * n.x() + n.y() * n.y();
            const QPointF q1 = a.map(p1);
            QLinearGradient lg(q1, q1 + n / n2);
            lg.setStops(stops);
            lg.setSpread(spread);
            return QBrush(lg);
        }
        const auto cx = coordinate("cx", "50%"), cy = coordinate("cy", "50%"), r = coordinate("r", "50%");
        const QString cxText = gradientAttribute(g, QStringLiteral("cx"), QStringLiteral("50%"));
        const QString cyText = gradientAttribute(g, QStringLiteral("cy"), QStringLiteral("50%"));
        const auto fx = number(gradientAttribute(g, QStringLiteral("fx"), cxText), true);
        const auto fy = number(gradientAttribute(g, QStringLiteral("fy"), cyText), true);
        if (!cx || !cy || !r || !fx || !fy) {
            refuse(reader, QStringLiteral("a gradient placed in percentages of the viewport"));
            return std::nullopt;
        }
        if (std::abs(*fx - *cx) > 1e-9 || std::abs(*fy - *cy) > 1e-9) {
            refuse(reader, QStringLiteral("a radial gradient with a focal point of its own"));
            return std::nullopt;
        }
        // A circle stays one only under a similarity (turns, one scale, mirroring).
        const bool similar =
            (std::abs(a.m11() - a.m22()) < 1e-6 * (std::abs(a.m11()) + std::abs(a.m12()) + 1e-12) &&
             std::abs(a.m12() + a.m21()) < 1e-6 * (std::abs(a.m11()) + std::abs(a.m12()) + 1e-12)) ||
            (std::abs(a.m11() + a.m22()) < 1e-6 * (std::abs(a.m11()) + std::abs(a.m12()) + 1e-12) &&
             std::abs(a.m12() - a.m21()) < 1e-6 * (std::abs(a.m11()) + std::abs(a.m12()) + 1e-12));
        if (!similar) {
            refuse(reader, QStringLiteral("a radial gradient drawn as an ellipse"));
            return std::nullopt;
        }
        const qreal scale = std::sqrt(std::abs(a.m11() * a.m22() - a.m12() * a.m21()));
        QRadialGradient rg(a.map(QPointF(*cx, *cy)), *r * scale);
        rg.setStops(stops);
        rg.setSpread(spread);
        return QBrush(rg);
    }

    // The style an element gives its children, and whether the element is shown at all.
    bool apply(const QXmlStreamReader& reader, const QHash<QString, QString>& p, Style& style)
    {
        const auto opacity = [&p](const char* name, qreal* value) {
            if (p.contains(QLatin1String(name)))
                *value = qBound<qreal>(0, number(p.value(QLatin1String(name)), true).value_or(1), 1);
        };
        if (p.contains(QStringLiteral("fill")))
            style.fill = p.value(QStringLiteral("fill"));
        if (p.contains(QStringLiteral("stroke")))
            style.stroke = p.value(QStringLiteral("stroke"));
        if (p.contains(QStringLiteral("color")))
            style.color = p.value(QStringLiteral("color"));
        opacity("fill-opacity", &style.fillOpacity);
        opacity("stroke-opacity", &style.strokeOpacity);
        if (p.contains(QStringLiteral("stroke-width")))
            style.strokeWidth =
                std::max<qreal>(0, number(p.value(QStringLiteral("stroke-width"))).value_or(1));
        if (p.contains(QStringLiteral("stroke-miterlimit")))
            style.miterLimit =
                std::max<qreal>(1, number(p.value(QStringLiteral("stroke-miterlimit"))).value_or(4));
        if (p.contains(QStringLiteral("fill-rule")))
            style.fillRule = p.value(QStringLiteral("fill-rule")) == QLatin1String("evenodd")
                                 ? Qt::OddEvenFill
                                 : Qt::WindingFill;
        const QString cap = p.value(QStringLiteral("stroke-linecap"));
        if (!cap.isEmpty())
            style.cap = cap == QLatin1String("round")    ? Qt::RoundCap
                        : cap == QLatin1String("square") ? Qt::SquareCap
                                                         : Qt::FlatCap;
        const QString join = p.value(QStringLiteral("stroke-linejoin"));
        if (!join.isEmpty())
            style.join = join == QLatin1String("round")   ? Qt::RoundJoin
                         : join == QLatin1String("bevel") ? Qt::BevelJoin
                                                          : Qt::SvgMiterJoin;
        if (p.contains(QStringLiteral("stroke-dasharray")))
            style.dashed = p.value(QStringLiteral("stroke-dasharray")).trimmed() != QLatin1String("none");
        for (const char* name : {"clip-path", "mask", "filter"}) {
            const QString v = p.value(QLatin1String(name)).trimmed();
            if (!v.isEmpty() && v != QLatin1String("none")) {
                refuse(reader, QStringLiteral("a %1").arg(QLatin1String(name) == QLatin1String("clip-path")
                                                              ? QStringLiteral("clip path")
                                                              : QLatin1String(name)));
                return false;
            }
        }
        return p.value(QStringLiteral("display")).trimmed() != QLatin1String("none") &&
               p.value(QStringLiteral("visibility")).trimmed() != QLatin1String("hidden");
    }

    void root(QXmlStreamReader& reader)
    {
        if (reader.name() != QLatin1String("svg") || reader.namespaceUri() != svgNamespace) {
            refusal = Refusal{QString(), QStringLiteral("the file's root is not an SVG")};
            return;
        }
        const QHash<QString, QString> p = properties(reader);
        QRectF box;
        const QVector<qreal> view = numbers(p.value(QStringLiteral("viewBox")));
        if (view.size() == 4) {
            box = QRectF(view[0], view[1], view[2], view[3]);
        } else {
            const std::optional<qreal> w = number(p.value(QStringLiteral("width"))),
                                       h = number(p.value(QStringLiteral("height")));
            if (!w || !h) {
                refuse(reader, QStringLiteral("a size in units other than pixels, without a viewBox"));
                return;
            }
            box = QRectF(0, 0, *w, *h);
        }
        if (!(box.width() > 0 && box.height() > 0)) {
            refuse(reader, QStringLiteral("a viewBox without area"));
            return;
        }
        const qreal scale = std::min(placed.width() / box.width(), placed.height() / box.height());
        const QPointF origin(placed.x() + (placed.width() - box.width() * scale) / 2,
                             placed.y() + (placed.height() - box.height() * scale) / 2);
        const QTransform ctm = QTransform::fromTranslate(-box.x(), -box.y()) *
                               QTransform::fromScale(scale, scale) *
                               QTransform::fromTranslate(origin.x(), origin.y());
        Style style;
        if (apply(reader, p, style))
            children(reader, style, ctm);
    }

    void children(QXmlStreamReader& reader, const Style& style, const QTransform& ctm)
    {
        while (!refusal && reader.readNextStartElement())
            element(reader, style, ctm);
    }

    void element(QXmlStreamReader& reader, Style style, QTransform ctm)
    {
        if (reader.namespaceUri() != svgNamespace) {
            reader.skipCurrentElement(); // an editor's own (Inkscape's, Sodipodi's): draws nothing
            return;
        }
        const QString name = reader.name().toString();
        static const QStringList unseen = {
            QStringLiteral("defs"),     QStringLiteral("title"),          QStringLiteral("desc"),
            QStringLiteral("metadata"), QStringLiteral("linearGradient"), QStringLiteral("radialGradient"),
            QStringLiteral("clipPath"), QStringLiteral("mask"),           QStringLiteral("filter"),
            QStringLiteral("pattern"),  QStringLiteral("symbol"),         QStringLiteral("marker")};
        if (unseen.contains(name)) {
            // Definitions draw only where something names them; what names them is refused there.
            reader.skipCurrentElement();
            return;
        }
        static const QStringList shapesNamed = {QStringLiteral("path"),   QStringLiteral("rect"),
                                                QStringLiteral("circle"), QStringLiteral("ellipse"),
                                                QStringLiteral("line"),   QStringLiteral("polyline"),
                                                QStringLiteral("polygon")};
        const bool group = name == QLatin1String("g") || name == QLatin1String("a");
        if (!group && !shapesNamed.contains(name)) {
            if (name == QLatin1String("style") && reader.readElementText().trimmed().isEmpty())
                return;
            static const QHash<QString, QString> what = {
                {QStringLiteral("text"), QStringLiteral("text (outline it in the drawing program)")},
                {QStringLiteral("image"), QStringLiteral("an embedded image")},
                {QStringLiteral("use"), QStringLiteral("a <use> of another element")},
                {QStringLiteral("style"), QStringLiteral("a style sheet")},
                {QStringLiteral("svg"), QStringLiteral("a nested viewport")}};
            refuse(reader, what.value(name, QStringLiteral("an element with no vector form")));
            return;
        }
        const QHash<QString, QString> p = properties(reader);
        if (p.contains(QStringLiteral("transform"))) {
            const std::optional<QTransform> t = transformOf(p.value(QStringLiteral("transform")));
            if (!t) {
                refuse(reader, QStringLiteral("a transform that cannot be read"));
                return;
            }
            ctm = *t * ctm;
        }
        const bool shown = apply(reader, p, style);
        if (refusal)
            return;
        if (p.contains(QStringLiteral("opacity")) &&
            number(p.value(QStringLiteral("opacity")), true).value_or(1) < 1 && group) {
            refuse(reader, QStringLiteral("a group's opacity (set it on each shape)"));
            return;
        }
        if (!shown) {
            reader.skipCurrentElement();
            return;
        }
        if (group) {
            children(reader, style, ctm);
            return;
        }
        shape(reader, name, p, style, ctm);
        reader.skipCurrentElement();
    }

    void shape(const QXmlStreamReader& reader, const QString& name, const QHash<QString, QString>& p,
               const Style& style, const QTransform& ctm)
    {
        const int before = shapes.size();
        draw(reader, name, p, style, ctm);
        for (int i = before; i < shapes.size(); ++i)
            points += shapes[i].path.elementCount();
        if (points > maximumVectorPoints)
            refuse(reader, QStringLiteral("a drawing of more than %1 path points (too many for a layer a "
                                          "launcher draws at every frame)")
                               .arg(maximumVectorPoints));
    }

    void draw(const QXmlStreamReader& reader, const QString& name, const QHash<QString, QString>& p,
              const Style& style, const QTransform& ctm)
    {
        const auto value = [&p](const char* key, qreal fallback = 0) {
            return number(p.value(QLatin1String(key)), false).value_or(fallback);
        };
        QPainterPath path;
        if (name == QLatin1String("path")) {
            path = pathData(p.value(QStringLiteral("d")));
        } else if (name == QLatin1String("rect")) {
            const QRectF r(value("x"), value("y"), value("width"), value("height"));
            if (r.width() <= 0 || r.height() <= 0)
                return;
            qreal rx = value("rx", -1), ry = value("ry", -1);
            if (rx < 0)
                rx = ry;
            if (ry < 0)
                ry = rx;
            rx = std::min(std::max<qreal>(rx, 0), r.width() / 2);
            ry = std::min(std::max<qreal>(ry, 0), r.height() / 2);
            if (rx > 0 && ry > 0)
                path.addRoundedRect(r, rx, ry);
            else
                path.addRect(r);
        } else if (name == QLatin1String("circle")) {
            const qreal r = value("r");
            if (r <= 0)
                return;
            path.addEllipse(QPointF(value("cx"), value("cy")), r, r);
        } else if (name == QLatin1String("ellipse")) {
            const qreal rx = value("rx"), ry = value("ry");
            if (rx <= 0 || ry <= 0)
                return;
            path.addEllipse(QPointF(value("cx"), value("cy")), rx, ry);
        } else if (name == QLatin1String("line")) {
            path.moveTo(value("x1"), value("y1"));
            path.lineTo(value("x2"), value("y2"));
        } else {
            const QVector<qreal> v = numbers(p.value(QStringLiteral("points")));
            for (int k = 0; k + 1 < v.size(); k += 2)
                k == 0 ? path.moveTo(v[k], v[k + 1]) : path.lineTo(v[k], v[k + 1]);
            if (name == QLatin1String("polygon") && !path.isEmpty())
                path.closeSubpath();
        }
        if (path.isEmpty())
            return;
        path.setFillRule(style.fillRule);
        const qreal opacity =
            qBound<qreal>(0, number(p.value(QStringLiteral("opacity")), true).value_or(1), 1);
        const QRectF bounds = path.boundingRect();
        VectorShape out;
        out.path = ctm.map(path);
        if (name != QLatin1String("line")) {
            const std::optional<QBrush> fill = paint(reader, style.fill, style, bounds, ctm);
            if (!fill)
                return;
            out.fill = *fill;
            out.fillAlpha = style.fillOpacity * opacity;
        }
        const std::optional<QBrush> stroke = paint(reader, style.stroke, style, bounds, ctm);
        if (!stroke)
            return;
        if (stroke->style() != Qt::NoBrush && style.strokeWidth > 0) {
            if (style.dashed) {
                refuse(reader, QStringLiteral("a dashed stroke"));
                return;
            }
            const qreal det = ctm.m11() * ctm.m22() - ctm.m12() * ctm.m21();
            const bool uniform =
                std::abs(std::hypot(ctm.m11(), ctm.m12()) - std::hypot(ctm.m21(), ctm.m22())) <
                    1e-6 * std::hypot(ctm.m11(), ctm.m12()) &&
                std::abs(ctm.m11() * ctm.m21() + ctm.m12() * ctm.m22()) < 1e-6 * std::abs(det);
            QPen pen(*stroke, style.strokeWidth * std::sqrt(std::abs(det)), Qt::SolidLine, style.cap,
                     style.join);
            pen.setMiterLimit(style.miterLimit);
            if (uniform) {
                out.stroke = pen;
                out.strokeAlpha = style.strokeOpacity * opacity;
            } else {
                // Stretched one way more than the other, the stroke is drawn as its outline.
                QPainterPathStroker stroker;
                stroker.setWidth(style.strokeWidth);
                stroker.setCapStyle(style.cap);
                stroker.setJoinStyle(style.join);
                stroker.setMiterLimit(style.miterLimit);
                VectorShape outline;
                outline.path = ctm.map(stroker.createStroke(path));
                outline.path.setFillRule(Qt::WindingFill);
                outline.fill = *stroke;
                outline.fillAlpha = style.strokeOpacity * opacity;
                shapes << out << outline;
                return;
            }
        }
        shapes << out;
    }
};

// A number as path data and attributes take it: two decimals at most (a hundredth of a dp, a
// twenty-fifth of a pixel at the densest screens), no exponent, never
// starting with a dot, "-0" as "0".
QString num(qreal v)
{
    QString s = QString::number(v, 'f', 2);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString point(const QPointF& p)
{
    return num(p.x()) + QLatin1Char(',') + num(p.y());
}

// The path data of one outline's elements [from, to) of `path`.
QString subpathData(const QPainterPath& path, int from, int to)
{
    QString d;
    const QPointF start = path.elementAt(from);
    for (int i = from; i < to; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            d += QLatin1Char('M') + point(e);
        } else if (e.type == QPainterPath::LineToElement) {
            // A line back to the start that ends the outline closes it.
            if (i == to - 1 && i > from + 1 && QPointF(e) == start)
                d += QLatin1Char('Z');
            else
                d += QLatin1Char('L') + point(e);
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < to) {
            d += QLatin1Char('C') + point(e) + QLatin1Char(' ') + point(path.elementAt(i + 1)) +
                 QLatin1Char(' ') + point(path.elementAt(i + 2));
            i += 2;
            if (i == to - 1 && QPointF(path.elementAt(i)) == start)
                d += QLatin1Char('Z');
        }
    }
    return d;
}

// A path's data in pieces of at most `limit` characters where it can be cut: between its
// outlines, each outline kept with those inside it (a letter's counters with the letter), so that
// every piece fills as the whole did.
QStringList pathPieces(const QPainterPath& path, int limit, const QRectF& shown = QRectF())
{
    struct Outline
    {
        QString data;
        QRectF bounds;
        int group;
    };
    QVector<Outline> outlines;
    const int n = path.elementCount();
    for (int from = 0; from < n;) {
        int to = from + 1;
        while (to < n && path.elementAt(to).type != QPainterPath::MoveToElement)
            ++to;
        QRectF bounds;
        for (int i = from; i < to; ++i)
            bounds |= QRectF(QPointF(path.elementAt(i)), QSizeF(1e-9, 1e-9));
        // An outline wholly outside what is shown adds nothing to any point inside it.
        if (to - from > 1 && (shown.isNull() || shown.intersects(bounds)))
            outlines.append({subpathData(path, from, to), bounds, -1});
        from = to;
    }
    // Each outline goes with the first earlier one whose box holds its own (a counter with its
    // letter); the others each start a group.
    QVector<QRectF> groupBounds;
    for (Outline& o : outlines) {
        for (int g = 0; g < groupBounds.size() && o.group < 0; ++g)
            if (groupBounds[g].contains(o.bounds))
                o.group = g;
        if (o.group < 0) {
            o.group = groupBounds.size();
            groupBounds << o.bounds;
        }
    }
    QVector<QString> groups(groupBounds.size());
    for (const Outline& o : outlines)
        groups[o.group] += o.data;
    QStringList pieces;
    QString piece;
    for (const QString& g : groups) {
        if (!piece.isEmpty() && piece.size() + g.size() > limit) {
            pieces << piece;
            piece.clear();
        }
        piece += g;
    }
    if (!piece.isEmpty())
        pieces << piece;
    return pieces;
}

QString argb(const QColor& c)
{
    return QStringLiteral("#%1").arg(c.rgba(), 8, 16, QLatin1Char('0')).toUpper();
}

// A brush's gradient in the coordinates `map` takes it to (a similarity).
void writeGradient(QXmlStreamWriter& w, const QBrush& brush, const QTransform& map)
{
    const QGradient* g = brush.gradient();
    const qreal scale = std::sqrt(std::abs(map.determinant()));
    w.writeStartElement(QStringLiteral("gradient"));
    if (g->type() == QGradient::LinearGradient) {
        const auto* lg = static_cast<const QLinearGradient*>(g);
        const QPointF a = map.map(lg->start()), b = map.map(lg->finalStop());
        w.writeAttribute(QStringLiteral("android:type"), QStringLiteral("linear"));
        w.writeAttribute(QStringLiteral("android:startX"), num(a.x()));
        w.writeAttribute(QStringLiteral("android:startY"), num(a.y()));
        w.writeAttribute(QStringLiteral("android:endX"), num(b.x()));
        w.writeAttribute(QStringLiteral("android:endY"), num(b.y()));
    } else {
        const auto* rg = static_cast<const QRadialGradient*>(g);
        const QPointF c = map.map(rg->center());
        w.writeAttribute(QStringLiteral("android:type"), QStringLiteral("radial"));
        w.writeAttribute(QStringLiteral("android:centerX"), num(c.x()));
        w.writeAttribute(QStringLiteral("android:centerY"), num(c.y()));
        w.writeAttribute(QStringLiteral("android:gradientRadius"),
                         num(std::max(rg->radius() * scale, 0.001)));
    }
    w.writeAttribute(QStringLiteral("android:tileMode"),
                     g->spread() == QGradient::ReflectSpread  ? QStringLiteral("mirror")
                     : g->spread() == QGradient::RepeatSpread ? QStringLiteral("repeat")
                                                              : QStringLiteral("clamp"));
    for (const QGradientStop& stop : g->stops()) {
        w.writeEmptyElement(QStringLiteral("item"));
        w.writeAttribute(QStringLiteral("android:offset"), num(stop.first));
        w.writeAttribute(QStringLiteral("android:color"), argb(stop.second));
    }
    w.writeEndElement();
}

bool isGradient(const QBrush& b)
{
    return b.gradient() && (b.gradient()->type() == QGradient::LinearGradient ||
                            b.gradient()->type() == QGradient::RadialGradient);
}

QString capName(Qt::PenCapStyle cap)
{
    return cap == Qt::RoundCap    ? QStringLiteral("round")
           : cap == Qt::SquareCap ? QStringLiteral("square")
                                  : QStringLiteral("butt");
}

QString joinName(Qt::PenJoinStyle join)
{
    return join == Qt::RoundJoin   ? QStringLiteral("round")
           : join == Qt::BevelJoin ? QStringLiteral("bevel")
                                   : QStringLiteral("miter");
}

} // namespace

VectorShapes svgShapes(const QByteArray& svg, const QRectF& placed, Problem* problem)
{
    Problem ignored;
    return Reader(svg, placed).read(problem ? problem : &ignored);
}

VectorShapes foregroundShapes(const IconDesign& design, Problem* problem)
{
    *problem = Problem();
    VectorShapes shapes;
    if (design.useImageFlat || design.useImageColored ||
        (design.useImageCustom && design.customVector.isEmpty() && !design.customImage.isNull())) {
        problem->reason = Reason::NoVectorForm;
        problem->details = QStringList{QStringLiteral("a picture of pixels")};
        return {};
    }
    if (design.useImageCustom && !design.customVector.isEmpty()) {
        shapes =
            svgShapes(design.customVector, customPicturePlacement(design, QSize(canvas, canvas)), problem);
        if (*problem)
            return {};
    }
    const TextPaths text = textPaths(design);
    if (design.textShadow && !text.shadow.isEmpty())
        shapes.append({text.shadow, QBrush(design.shadowColor)});
    if (!text.text.isEmpty()) {
        VectorShape letters{text.text, QBrush(design.textColor)};
        if (design.textStroke)
            // The painter's pen as the icon draws it: square caps, bevelled joins.
            letters.stroke = QPen(QBrush(design.strokeColor), design.strokeWidth, Qt::SolidLine,
                                  Qt::SquareCap, Qt::BevelJoin);
        shapes.append(letters);
    }
    return shapes;
}

VectorShapes silhouette(const VectorShapes& shapes)
{
    const auto white = [](const QBrush& brush) {
        if (!isGradient(brush)) {
            QColor c(Qt::white);
            c.setAlpha(brush.color().alpha());
            return brush.style() == Qt::NoBrush ? brush : QBrush(c);
        }
        QGradient g = *brush.gradient();
        QGradientStops stops = g.stops();
        for (QGradientStop& stop : stops) {
            const int alpha = stop.second.alpha();
            stop.second = QColor(255, 255, 255, alpha);
        }
        g.setStops(stops);
        return QBrush(g);
    };
    VectorShapes out = shapes;
    for (VectorShape& s : out) {
        s.fill = white(s.fill);
        if (s.stroke.style() != Qt::NoPen)
            s.stroke.setBrush(white(s.stroke.brush()));
    }
    return out;
}

VectorShapes backgroundShapes(const IconDesign& design, const QRectF& frame, const QColor& plate)
{
    QPainterPath all;
    all.addRect(frame);
    if (transparentBackground(design))
        return plate.isValid() ? VectorShapes{{all, QBrush(plate)}} : VectorShapes();
    return {{all, backgroundBrush(design)}};
}

QByteArray vectorDrawable(const VectorShapes& shapes, const QRectF& frame, const QRectF& clip)
{
    const qreal k = 108.0 / frame.width();
    const QTransform map = QTransform::fromTranslate(-frame.x(), -frame.y()) * QTransform::fromScale(k, k);
    bool gradients = false;
    QRectF reach;
    for (const VectorShape& s : shapes) {
        gradients = gradients || isGradient(s.fill) || isGradient(s.stroke.brush());
        reach |= s.path.boundingRect();
    }
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(4);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("vector"));
    w.writeNamespace(QStringLiteral("http://schemas.android.com/apk/res/android"), QStringLiteral("android"));
    if (gradients)
        w.writeNamespace(QStringLiteral("http://schemas.android.com/aapt"), QStringLiteral("aapt"));
    w.writeAttribute(QStringLiteral("android:width"), QStringLiteral("108dp"));
    w.writeAttribute(QStringLiteral("android:height"), QStringLiteral("108dp"));
    w.writeAttribute(QStringLiteral("android:viewportWidth"), QStringLiteral("108"));
    w.writeAttribute(QStringLiteral("android:viewportHeight"), QStringLiteral("108"));
    // What reaches past the canvas is cut there, as the canvas cuts the picture layers.
    const bool clipped = !clip.isNull() && !clip.contains(reach);
    if (clipped) {
        w.writeStartElement(QStringLiteral("group"));
        QPainterPath box;
        box.addRect(clip);
        w.writeEmptyElement(QStringLiteral("clip-path"));
        w.writeAttribute(QStringLiteral("android:pathData"),
                         pathPieces(map.map(box), 1 << 30).join(QString()));
    }
    for (const VectorShape& s : shapes) {
        const bool filled = s.fill.style() != Qt::NoBrush;
        const bool stroked = s.stroke.style() != Qt::NoPen && s.stroke.brush().style() != Qt::NoBrush;
        if (!filled && !stroked)
            continue;
        // Pieces of a translucent shape would be drawn over each other where its outlines overlap.
        const auto opaque = [](const QBrush& b) {
            if (!isGradient(b))
                return b.color().alpha() == 255;
            for (const QGradientStop& stop : b.gradient()->stops())
                if (stop.second.alpha() != 255)
                    return false;
            return true;
        };
        const bool whole = (filled && (s.fillAlpha < 1 || !opaque(s.fill))) ||
                           (stroked && (s.strokeAlpha < 1 || !opaque(s.stroke.brush())));
        const qreal reachOut = stroked ? s.stroke.widthF() * k : 0;
        const QRectF shown =
            clipped ? map.mapRect(clip).adjusted(-reachOut, -reachOut, reachOut, reachOut) : QRectF();
        for (const QString& data : pathPieces(map.map(s.path), whole ? 1 << 30 : 800, shown)) {
            const bool fillGradient = filled && isGradient(s.fill);
            const bool strokeGradient = stroked && isGradient(s.stroke.brush());
            if (fillGradient || strokeGradient)
                w.writeStartElement(QStringLiteral("path"));
            else
                w.writeEmptyElement(QStringLiteral("path"));
            w.writeAttribute(QStringLiteral("android:pathData"), data);
            if (filled && !fillGradient)
                w.writeAttribute(QStringLiteral("android:fillColor"), argb(s.fill.color()));
            if (filled && s.fillAlpha < 1)
                w.writeAttribute(QStringLiteral("android:fillAlpha"), num(s.fillAlpha));
            if (filled && s.path.fillRule() == Qt::OddEvenFill)
                w.writeAttribute(QStringLiteral("android:fillType"), QStringLiteral("evenOdd"));
            if (stroked) {
                if (!strokeGradient)
                    w.writeAttribute(QStringLiteral("android:strokeColor"), argb(s.stroke.color()));
                if (s.strokeAlpha < 1)
                    w.writeAttribute(QStringLiteral("android:strokeAlpha"), num(s.strokeAlpha));
                w.writeAttribute(QStringLiteral("android:strokeWidth"), num(s.stroke.widthF() * k));
                w.writeAttribute(QStringLiteral("android:strokeLineCap"), capName(s.stroke.capStyle()));
                w.writeAttribute(QStringLiteral("android:strokeLineJoin"), joinName(s.stroke.joinStyle()));
                if (s.stroke.joinStyle() != Qt::RoundJoin && s.stroke.joinStyle() != Qt::BevelJoin)
                    w.writeAttribute(QStringLiteral("android:strokeMiterLimit"), num(s.stroke.miterLimit()));
            }
            for (const auto& [gradient, attribute] :
                 {std::pair<bool, const char*>{fillGradient, "android:fillColor"},
                  std::pair<bool, const char*>{strokeGradient, "android:strokeColor"}}) {
                if (!gradient)
                    continue;
                w.writeStartElement(QStringLiteral("aapt:attr"));
                w.writeAttribute(QStringLiteral("name"), QLatin1String(attribute));
                writeGradient(w,
                              QLatin1String(attribute) == QLatin1String("android:fillColor")
                                  ? s.fill
                                  : s.stroke.brush(),
                              map);
                w.writeEndElement();
            }
            if (fillGradient || strokeGradient)
                w.writeEndElement();
        }
    }
    if (clipped)
        w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray svgElements(const VectorShapes& shapes, const QString& idPrefix)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartElement(QStringLiteral("g")); // (which also closes the last path)
    int next = 0;
    const auto colour = [](const QColor& c) { return c.name(QColor::HexRgb); };
    for (const VectorShape& s : shapes) {
        QString fill = QStringLiteral("none"), stroke = QStringLiteral("none");
        qreal fillOpacity = s.fillAlpha, strokeOpacity = s.strokeAlpha;
        const auto paintOf = [&](const QBrush& brush, QString* paint, qreal* opacity) {
            if (!isGradient(brush)) {
                *paint = colour(brush.color());
                *opacity *= brush.color().alphaF();
                return;
            }
            const QGradient* g = brush.gradient();
            const QString id = idPrefix + QString::number(next++);
            const bool linear = g->type() == QGradient::LinearGradient;
            w.writeStartElement(linear ? QStringLiteral("linearGradient") : QStringLiteral("radialGradient"));
            w.writeAttribute(QStringLiteral("id"), id);
            w.writeAttribute(QStringLiteral("gradientUnits"), QStringLiteral("userSpaceOnUse"));
            if (linear) {
                const auto* lg = static_cast<const QLinearGradient*>(g);
                w.writeAttribute(QStringLiteral("x1"), num(lg->start().x()));
                w.writeAttribute(QStringLiteral("y1"), num(lg->start().y()));
                w.writeAttribute(QStringLiteral("x2"), num(lg->finalStop().x()));
                w.writeAttribute(QStringLiteral("y2"), num(lg->finalStop().y()));
            } else {
                const auto* rg = static_cast<const QRadialGradient*>(g);
                w.writeAttribute(QStringLiteral("cx"), num(rg->center().x()));
                w.writeAttribute(QStringLiteral("cy"), num(rg->center().y()));
                w.writeAttribute(QStringLiteral("r"), num(rg->radius()));
            }
            if (g->spread() != QGradient::PadSpread)
                w.writeAttribute(QStringLiteral("spreadMethod"), g->spread() == QGradient::ReflectSpread
                                                                     ? QStringLiteral("reflect")
                                                                     : QStringLiteral("repeat"));
            for (const QGradientStop& stop : g->stops()) {
                w.writeEmptyElement(QStringLiteral("stop"));
                w.writeAttribute(QStringLiteral("offset"), num(stop.first));
                w.writeAttribute(QStringLiteral("stop-color"), colour(stop.second));
                if (stop.second.alpha() < 255)
                    w.writeAttribute(QStringLiteral("stop-opacity"), num(stop.second.alphaF()));
            }
            w.writeEndElement();
            *paint = QStringLiteral("url(#%1)").arg(id);
        };
        const bool filled = s.fill.style() != Qt::NoBrush;
        const bool stroked = s.stroke.style() != Qt::NoPen && s.stroke.brush().style() != Qt::NoBrush;
        if (filled)
            paintOf(s.fill, &fill, &fillOpacity);
        if (stroked)
            paintOf(s.stroke.brush(), &stroke, &strokeOpacity);
        if (!filled && !stroked)
            continue;
        w.writeEmptyElement(QStringLiteral("path"));
        w.writeAttribute(QStringLiteral("d"), pathPieces(s.path, 1 << 30).join(QString()));
        w.writeAttribute(QStringLiteral("fill"), fill);
        if (filled && fillOpacity < 1)
            w.writeAttribute(QStringLiteral("fill-opacity"), num(fillOpacity));
        if (filled && s.path.fillRule() == Qt::OddEvenFill)
            w.writeAttribute(QStringLiteral("fill-rule"), QStringLiteral("evenodd"));
        if (stroked) {
            w.writeAttribute(QStringLiteral("stroke"), stroke);
            if (strokeOpacity < 1)
                w.writeAttribute(QStringLiteral("stroke-opacity"), num(strokeOpacity));
            w.writeAttribute(QStringLiteral("stroke-width"), num(s.stroke.widthF()));
            w.writeAttribute(QStringLiteral("stroke-linecap"), capName(s.stroke.capStyle()));
            w.writeAttribute(QStringLiteral("stroke-linejoin"), joinName(s.stroke.joinStyle()));
            if (s.stroke.joinStyle() != Qt::RoundJoin && s.stroke.joinStyle() != Qt::BevelJoin)
                w.writeAttribute(QStringLiteral("stroke-miterlimit"), num(s.stroke.miterLimit()));
        }
    }
    w.writeEndElement();
    return out;
}

QByteArray faviconSvg(const IconDesign& design, const VectorShapes& foreground)
{
    VectorShapes light;
    const bool plated = !transparentBackground(design);
    if (plated) {
        QPainterPath plate;
        plate.addRoundedRect(canvasFrame, design.cornerCurvature, design.cornerCurvature, Qt::AbsoluteSize);
        plate.setFillRule(Qt::WindingFill);
        light << VectorShape{plate, backgroundBrush(design)};
    }
    light << foreground;
    // The dark look: the dark plate, and every colour of the glyph readable on it.
    const auto darkened = [](const QBrush& brush) {
        if (!isGradient(brush))
            return brush.style() == Qt::NoBrush ? brush : QBrush(darkColour(brush.color()));
        QGradient g = *brush.gradient();
        QGradientStops stops = g.stops();
        for (QGradientStop& stop : stops)
            stop.second = darkColour(stop.second);
        g.setStops(stops);
        return QBrush(g);
    };
    VectorShapes dark = light;
    for (int i = 0; i < dark.size(); ++i) {
        if (plated && i == 0) {
            dark[i].fill = QBrush(iosDarkPlate);
            continue;
        }
        dark[i].fill = darkened(dark[i].fill);
        if (dark[i].stroke.style() != Qt::NoPen)
            dark[i].stroke.setBrush(darkened(dark[i].stroke.brush()));
    }
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 1024 1024\" width=\"32\" height=\"32\">"
           "<style>.dark{display:none}@media (prefers-color-scheme:dark){.light{display:none}"
           ".dark{display:inline}}</style><g class=\"light\">" +
           svgElements(light, QStringLiteral("l")) + "</g><g class=\"dark\">" +
           svgElements(dark, QStringLiteral("d")) + "</g></svg>\n";
}

} // namespace Packages
