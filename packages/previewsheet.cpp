// The preview sheet: the icon as each platform shows it, so that safe zones, themed and dark
// variants are seen rather than read about.
#include "packages/previewsheet.h"

#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/package.h"
#include "packages/sources.h"

#include <QPainter>

#include <algorithm>
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

void centred(QPainter& p, const QImage& picture, int side, const QPainterPath& shape)
{
    const int at = (cell - side) / 2;
    if (shape.isEmpty()) {
        p.drawImage(QRect(at, at, side, side), picture);
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
    m.drawImage(QRect(at, at, side, side), picture);
    m.end();
    p.drawImage(QPoint(0, 0), masked);
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
                    const QList<Mark>& marks)
{
    return previewSheet(Sources(design, options), pixelRatio, columns, marks);
}

QImage previewSheet(const Sources& sources, qreal pixelRatio, int columns, const QList<Mark>& marks)
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
