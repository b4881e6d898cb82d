// The preview sheet: the icon as each platform shows it, so that safe zones, themed and dark
// variants are seen rather than read about.
#include "export/packagelayers.h"
#include "export/platformpackages.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace Packages {

namespace {

constexpr int tile = 144; // one shown icon, in sheet pixels
constexpr int cell = 176; // its panel, label excluded
constexpr int gap = 16;
constexpr int labelHeight = 22;
constexpr int sectionHeight = 30;

const QColor lightPanel(0xe8, 0xea, 0xf0), darkPanel(0x20, 0x21, 0x24), ink(0x30, 0x30, 0x36);

QPainterPath roundedSquare(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A circle whose bottom-right corner is a small rounding: the teardrop launchers use.
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

// `glyph` in `colour`, its alpha kept (how launchers and iOS paint themed and tinted glyphs).
QImage painted(const QImage& glyph, const QColor& colour, bool byGrey = false)
{
    QImage out = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int g = byGrey ? qGray(line[x]) : 255;
            line[x] = qRgba(colour.red() * g / 255, colour.green() * g / 255, colour.blue() * g / 255,
                            qAlpha(line[x]));
        }
    }
    return out;
}

class Sheet
{
  public:
    explicit Sheet(int width)
        : image(width, 2 * (sectionHeight + cell + labelHeight) + 3 * gap, QImage::Format_ARGB32)
    {
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

    // A labelled panel; `draw` paints in panel coordinates (0, 0, cell, cell).
    template <class Draw> void panel(const QString& label, const QColor& background, Draw draw)
    {
        p.save();
        p.translate(x, y);
        p.setPen(Qt::NoPen);
        p.setBrush(background);
        p.drawRoundedRect(QRectF(0, 0, cell, cell), 10, 10);
        p.setClipRect(QRectF(0, 0, cell, cell));
        draw(p);
        p.setClipping(false);
        p.setPen(ink);
        p.drawText(QRectF(0, cell, cell, labelHeight), Qt::AlignCenter, label);
        p.restore();
        x += cell + gap;
    }

  private:
    QImage image;
    QPainter p;
    int x = gap, y = gap;
};

// Draws `picture` centred in the panel, `side` pixels wide, clipped to `shape` when it is not empty.
void centred(QPainter& p, const QImage& picture, int side, const QPainterPath& shape = QPainterPath())
{
    p.save();
    if (!shape.isEmpty())
        p.setClipPath(shape, Qt::IntersectClip);
    const int at = (cell - side) / 2;
    p.drawImage(QRect(at, at, side, side), picture);
    p.restore();
}

QRectF tileRect(int side = tile)
{
    const double at = (cell - side) / 2.0;
    return QRectF(at, at, side, side);
}

} // namespace

QImage previewSheet(const IconDesign& design, const Options& options)
{
    Sources s(design, options);
    s.prepare();
    // An adaptive icon shows the central 72 of its 108 dp: layers of 1.5 tiles, masked to a tile.
    const int layer = tile * 3 / 2;
    const QImage adaptive = composed(s.adaptiveBackground(layer), s.adaptiveForeground(layer));
    const QRectF t = tileRect();
    const double dp = tile / 72.0;
    const QPainterPath masks[] = {roundedSquare(t, tile / 2.0), superellipse(t, 4), roundedSquare(t, 12 * dp),
                                  teardrop(t)};
    const char* maskNames[] = {"Circle", "Squircle", "Rounded square", "Teardrop"};

    Sheet sheet(gap + 7 * (cell + gap));
    sheet.section(
        QStringLiteral("Android: adaptive icon under four launcher masks, dashed: the 66 dp safe zone"));
    for (int i = 0; i < 4; ++i)
        sheet.panel(QLatin1String(maskNames[i]), lightPanel, [&](QPainter& p) {
            centred(p, adaptive, layer, masks[i]);
            // White under magenta dashes, so the outline shows on any colour.
            const QRectF safe = tileRect(int(std::round(66 * dp)));
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(255, 255, 255, 190), 3));
            p.drawEllipse(safe);
            p.setPen(QPen(QColor(230, 0, 120), 1.5, Qt::DashLine));
            p.drawEllipse(safe);
        });
    sheet.panel(QStringLiteral("Themed (monochrome)"), QColor(0x3b, 0x4a, 0x6b), [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd3, 0xe3, 0xfd));
        p.drawPath(masks[0]);
        centred(p, painted(s.adaptiveMonochrome(layer), QColor(0x04, 0x1e, 0x49)), layer, masks[0]);
    });
    sheet.panel(QStringLiteral("Legacy square"), lightPanel,
                [&](QPainter& p) { centred(p, scaled(s.icon(), 96), 96); });
    sheet.panel(QStringLiteral("Legacy round"), lightPanel,
                [&](QPainter& p) { centred(p, scaled(s.roundIcon(), 96), 96); });
    sheet.endRow();

    sheet.section(QStringLiteral("iOS light, dark and tinted; macOS on light and dark; favicon at 1:1"));
    const QPainterPath ios = superellipse(t, 5);
    sheet.panel(QStringLiteral("iOS light"), lightPanel,
                [&](QPainter& p) { centred(p, s.iosIcon(), tile, ios); });
    sheet.panel(QStringLiteral("iOS dark"), QColor(0x10, 0x10, 0x12), [&](QPainter& p) {
        QLinearGradient plate(t.topLeft(), t.bottomLeft());
        plate.setColorAt(0, QColor(0x3a, 0x3a, 0x3c));
        plate.setColorAt(1, QColor(0x16, 0x16, 0x18));
        p.fillPath(ios, plate);
        centred(p, s.iosDark(), tile, ios);
    });
    sheet.panel(QStringLiteral("iOS tinted"), QColor(0x10, 0x10, 0x12), [&](QPainter& p) {
        p.fillPath(ios, QColor(0x1c, 0x1c, 0x1e));
        centred(p, painted(s.iosTinted(), QColor(0xff, 0xb3, 0x40), true), tile, ios);
    });
    const QImage mac = s.macosIcon();
    sheet.panel(QStringLiteral("macOS, light"), QColor(0xf0, 0xf0, 0xf2),
                [&](QPainter& p) { centred(p, mac, cell); });
    sheet.panel(QStringLiteral("macOS, dark"), QColor(0x2b, 0x2b, 0x2e),
                [&](QPainter& p) { centred(p, mac, cell); });
    const QImage favicons[] = {scaled(s.icon(), 16), scaled(s.icon(), 32)};
    for (bool dark : {false, true})
        sheet.panel(dark ? QStringLiteral("Favicon, dark tab") : QStringLiteral("Favicon, light tab"),
                    dark ? darkPanel : lightPanel, [&](QPainter& p) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(dark ? QColor(0x35, 0x36, 0x3a) : Qt::white);
                        p.drawRoundedRect(QRectF(12, 40, cell - 24, 34), 8, 8);
                        p.drawRoundedRect(QRectF(12, 100, cell - 24, 50), 8, 8);
                        // Whole pixels, not scaled: exactly what a browser tab and bookmark show.
                        p.drawImage(QPoint(24, 49), favicons[0]);
                        p.drawImage(QPoint(24, 109), favicons[1]);
                        p.setPen(dark ? QColor(0xe8, 0xea, 0xed) : ink);
                        p.drawText(QRectF(48, 40, cell - 60, 34), Qt::AlignVCenter, QStringLiteral("16 px"));
                        p.drawText(QRectF(64, 100, cell - 76, 50), Qt::AlignVCenter, QStringLiteral("32 px"));
                    });
    sheet.endRow();
    return sheet.finish();
}

} // namespace Packages
