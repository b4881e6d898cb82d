// The preview sheet: the icon as each platform shows it, so that safe zones, themed and dark
// variants are seen rather than read about.
#include "packages/previewsheet.h"

#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/package.h"
#include "packages/sources.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

namespace Packages {

namespace {

constexpr int gap = 16;
constexpr int labelHeight = 22;
constexpr int sectionHeight = 30;

class Sheet
{
  public:
    // `lines`: the lines of panels in all; `ratio`: device pixels a sheet pixel (the painter works in
    // sheet pixels).
    Sheet(int columns, int sections, int lines, bool note, qreal ratio, const QList<Mark>& marks)
        : marks(marks), image(QSize(gap + columns * (cell + gap), sections * sectionHeight +
                                                                      lines * (cell + labelHeight + gap) +
                                                                      gap + (note ? sectionHeight : 0)) *
                                  ratio,
                              QImage::Format_ARGB32)
    {
        image.setDevicePixelRatio(ratio);
        image.fill(QColor(0xf7, 0xf7, 0xf9));
        p.begin(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        QFont font = p.font();
        font.setPixelSize(13);
        p.setFont(font);
    }
    QImage finish()
    {
        p.end();
        return image;
    }

    void section(const QString& title)
    {
        x = gap;
        QFont bold = p.font();
        bold.setBold(true);
        p.save();
        p.setFont(bold);
        p.setPen(ink);
        p.drawText(QRectF(gap, y, image.width(), sectionHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
        p.restore();
        y += sectionHeight;
    }
    void endRow() { y += cell + labelHeight + gap; }
    void note(const QString& text)
    {
        p.setPen(QColor(0xb0, 0x20, 0x20));
        p.drawText(QRectF(gap, y, image.width() - 2 * gap, sectionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
    }

    // The next panel, on a new line when the last one is full.
    void panel(const Panel& panel, int columns)
    {
        if (x + cell + gap > gap + columns * (cell + gap)) {
            endRow();
            x = gap;
        }
        p.save();
        p.translate(x, y);
        p.setPen(Qt::NoPen);
        p.setBrush(panel.background);
        p.drawRoundedRect(QRectF(0, 0, cell, cell), 10, 10);
        p.setClipRect(QRectF(0, 0, cell, cell));
        panel.draw(p);
        p.setClipping(false);
        p.setPen(ink);
        p.drawText(QRectF(0, cell, cell, labelHeight), Qt::AlignCenter, panel.label);
        for (const Mark& mark : marks)
            if (mark.panels.contains(panel.label))
                marked(mark);
        p.restore();
        x += cell + gap;
    }

  private:
    // A finding on the panel: its outline and badge in the severity's colour, its box on the tile.
    void marked(const Mark& mark)
    {
        const QColor colour = mark.error ? QColor(0xc6, 0x28, 0x28) : QColor(0xe0, 0x8a, 0x00);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 3));
        p.drawRoundedRect(QRectF(1.5, 1.5, cell - 3, cell - 3), 9, 9);
        if (!mark.box.isEmpty()) {
            const QRectF t = tileRect();
            const double k = t.width() / 1024;
            p.setPen(QPen(colour, 2, Qt::DashLine));
            p.drawRect(QRectF(t.x() + mark.box.x() * k, t.y() + mark.box.y() * k, mark.box.width() * k,
                              mark.box.height() * k));
        }
        const QRectF badge(cell - 26, 6, 20, 20);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        QFont bold = p.font();
        bold.setBold(true);
        p.save();
        p.setFont(bold);
        p.drawText(badge, Qt::AlignCenter, QStringLiteral("!"));
        p.restore();
    }

    const QList<Mark>& marks;
    QImage image;
    QPainter p;
    int x = gap, y = gap;
};

struct Row
{
    QStringList titles;
    QList<Panel> panels;
};

} // namespace

QRectF tileRect(int side)
{
    const double at = (cell - side) / 2.0;
    return QRectF(at, at, side, side);
}

namespace {

// Draws `picture` into `rect` of the panel, masked by `shape` (smooth-edged) when it is not empty.
void drawnIn(QPainter& p, const QImage& picture, const QRectF& rect, const QPainterPath& shape)
{
    if (shape.isEmpty()) {
        p.drawImage(rect, picture);
        return;
    }
    // Masked with smooth edges (a clip path's are stepped), at the sheet's device pixels.
    const qreal ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    QImage masked(QSize(cell, cell) * ratio, QImage::Format_ARGB32_Premultiplied);
    masked.setDevicePixelRatio(ratio);
    masked.fill(Qt::transparent);
    QPainter m(&masked);
    m.setRenderHint(QPainter::Antialiasing);
    m.setRenderHint(QPainter::SmoothPixmapTransform);
    m.fillPath(shape, Qt::black);
    m.setCompositionMode(QPainter::CompositionMode_SourceIn);
    m.drawImage(rect, picture);
    m.end();
    p.drawImage(QPoint(0, 0), masked);
}

// The release's icon and its build variants' side by side on an Android and an iPhone home
// screen, each under its name, as testers tell the builds apart: up to four a screen.
QList<Panel> homeScreenPanels(const QList<const Sources*>& builds, qreal ratio)
{
    constexpr int side = 52; // an icon, 72 dp of the adaptive icon's 108
    const int shown = std::min(int(builds.size()), 4);
    QList<QPointF> at; // each icon's top left
    for (int i = 0; i < shown; ++i)
        at << QPointF(shown == 1   ? (cell - side) / 2.0
                      : i % 2 == 0 ? 30
                                   : cell - 30 - side,
                      shown <= 2 ? (cell - side) / 2.0 - 8
                      : i < 2    ? 22
                                 : 98);
    QList<QImage> android, iphone;
    QStringList names;
    const int layerPixels = int(std::lround(side * 1.5 * ratio)), iconPixels = int(std::lround(side * ratio));
    for (int i = 0; i < shown; ++i) {
        const Sources& s = *builds[i];
        android << composed(s.adaptiveBackground(layerPixels), s.adaptiveForeground(layerPixels));
        iphone << s.opaqueIcon(iconPixels);
        names << (s.options().variant.isSet() ? s.options().variant.name : QStringLiteral("release"));
    }
    const auto screen = [=](const QList<QImage>& icons, bool round, const QColor& top, const QColor& bottom) {
        return [=](QPainter& p) {
            QLinearGradient wallpaper(0, 0, 0, cell);
            wallpaper.setColorAt(0, top);
            wallpaper.setColorAt(1, bottom);
            p.fillRect(QRectF(0, 0, cell, cell), wallpaper);
            QFont font = p.font();
            font.setPixelSize(11);
            p.setFont(font);
            for (int i = 0; i < icons.size(); ++i) {
                const QRectF icon(at[i], QSizeF(side, side));
                // The adaptive icon shows the central 72 of its 108 dp.
                const QRectF layer =
                    round ? icon.adjusted(-side / 4.0, -side / 4.0, side / 4.0, side / 4.0) : icon;
                QPainterPath shape;
                if (round)
                    shape.addEllipse(icon);
                else
                    shape = superellipse(icon, 5);
                drawnIn(p, icons[i], layer, shape);
                const QRectF label(icon.left() - 14, icon.bottom() + 3, side + 28, 16);
                p.setPen(QColor(0, 0, 0, 110));
                p.drawText(label.translated(0, 1), Qt::AlignHCenter | Qt::AlignTop, names[i]);
                p.setPen(Qt::white);
                p.drawText(label, Qt::AlignHCenter | Qt::AlignTop, names[i]);
            }
        };
    };
    return {{QStringLiteral("Android home screen"), lightPanel,
             screen(android, true, QColor(0x2b, 0x5d, 0x8a), QColor(0x13, 0x2a, 0x40))},
            {QStringLiteral("iPhone home screen"), lightPanel,
             screen(iphone, false, QColor(0x7a, 0x4f, 0x9e), QColor(0x2e, 0x1f, 0x4a))}};
}

} // namespace

void centred(QPainter& p, const QImage& picture, int side, const QPainterPath& shape)
{
    const int at = (cell - side) / 2;
    drawnIn(p, picture, QRectF(at, at, side, side), shape);
}

QImage painted(const QImage& glyph, const QColor& colour, bool byGrey)
{
    QImage out = glyph.convertToFormat(QImage::Format_ARGB32);
    const int outWidth = out.width();
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
            const int g = byGrey ? qGray(line[x]) : 255;
            line[x] = qRgba(colour.red() * g / 255, colour.green() * g / 255, colour.blue() * g / 255,
                            qAlpha(line[x]));
        }
    }
    return out;
}

QPainterPath roundedSquare(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath teardrop(const QRectF& r)
{
    const double big = r.width() / 2, small = r.width() / 10;
    QPainterPath path;
    path.moveTo(r.left() + big, r.top());
    path.arcTo(QRectF(r.left(), r.top(), 2 * big, 2 * big), 90, 90);
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * big, 2 * big, 2 * big), 180, 90);
    path.lineTo(r.right() - small, r.bottom());
    path.arcTo(QRectF(r.right() - 2 * small, r.bottom() - 2 * small, 2 * small, 2 * small), 270, 90);
    path.arcTo(QRectF(r.right() - 2 * big, r.top(), 2 * big, 2 * big), 0, 90);
    path.closeSubpath();
    return path;
}

int sheetColumns(int width)
{
    return std::max(1, (width - gap) / (cell + gap));
}

QImage previewSheet(const IconDesign& design, const Options& options, qreal pixelRatio, int columns,
                    const QList<Mark>& marks, const QStringList& alongside)
{
    // A variant's pictures badged on the release's, which its home screens show too.
    Options plain = options;
    plain.variant = Variant();
    const Sources release(design, plain);
    if (!options.variant.isSet())
        return previewSheet(release, pixelRatio, columns, marks);
    return previewSheet(Sources(release, options.variant), pixelRatio, columns, marks, alongside, &release);
}

QImage previewSheet(const Sources& sources, qreal pixelRatio, int columns, const QList<Mark>& marks,
                    const QStringList& alongside, const Sources* release)
{
    const IconDesign& design = sources.design();
    std::map<int, Row> rows;
    for (const Target& target : targets()) {
        if (!target.panels)
            continue;
        Row& row = rows[target.previewRow];
        row.titles << QLatin1String(target.previewTitle);
        row.panels += target.panels(sources, pixelRatio);
    }
    // The launch screens the packages can hold, in a row of their own.
    Row& launch = rows[rows.empty() ? 0 : rows.rbegin()->first + 1];
    launch.titles << QStringLiteral(
        "Launch screens: Android 12, iPhone and the web app on iPad, light and dark");
    launch.panels += launchPanels(sources, pixelRatio);
    // A build variant beside the release (and the others named), on home screens.
    if (sources.options().variant.isSet()) {
        std::deque<Sources> others;
        if (!release) {
            Options plain = sources.options();
            plain.variant = Variant();
            release = &others.emplace_back(sources.releaseDesign(), plain);
        }
        QList<const Sources*> builds{release, &sources};
        for (const QString& name : alongside) {
            Variant v = sources.options().variant;
            v.name = name;
            if (name != sources.options().variant.name)
                builds << &others.emplace_back(*release, v);
        }
        Row& home = rows[rows.rbegin()->first + 1];
        home.titles << QStringLiteral("Home screens: the release and its build variants");
        home.panels += homeScreenPanels(builds, pixelRatio);
    }
    int widest = 0;
    for (const auto& row : rows)
        widest = std::max(widest, int(row.second.panels.size()));
    columns = columns > 0 ? std::min(columns, widest) : widest;
    int lines = 0;
    for (const auto& row : rows)
        lines += (int(row.second.panels.size()) + columns - 1) / columns;
    const QString warning = plateWarning(design, sources.foreground(), sources.plate());
    Sheet sheet(columns, int(rows.size()), lines, !warning.isEmpty(), pixelRatio, marks);
    for (const auto& row : rows) {
        sheet.section(row.second.titles.join(QStringLiteral("; ")));
        for (const Panel& panel : row.second.panels)
            sheet.panel(panel, columns);
        sheet.endRow();
    }
    if (!warning.isEmpty())
        sheet.note(warning);
    return sheet.finish();
}

} // namespace Packages
