#pragma once

// The preview sheet, and what the targets' preview panels draw with: the panel's size and the
// shapes and tints the platforms put on an icon.
#include "packages/package.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QStringList>

class QPainter;

namespace Packages {

class Sources;

// One picture of the icon as the platforms show it, each target's panels in its row under a
// title, each labelled.
// At `pixelRatio` device pixels a sheet pixel (a high-density screen's), with that ratio set on the
// image: every panel drawn at those pixels, and what is shown "at 1:1" one device pixel a pixel.
// With `columns`, a row holds at most that many panels, the others on lines below (0: a row's panels
// on one line).
// With `marks`, the panels a mark names are outlined and badged, and its box drawn on their icon.
struct Mark
{
    QStringList panels; // the labels of the panels it concerns
    QRect box;          // where it stands, on the 1024 canvas (empty: nowhere in particular)
    bool error = false; // an error (red), else a warning (amber)
};
// A build variant's sheet (options.variant) ends with home screens where its icon stands beside the
// release's and those of the variants `alongside` names (badged as it is), four at most.
QImage previewSheet(const IconDesign& design, const Options& options = Options(), qreal pixelRatio = 1.0,
                    int columns = 0, const QList<Mark>& marks = {}, const QStringList& alongside = {});
// The same from pictures drawn already (the design check's, say); a variant's with the release's it
// was drawn from (`release`, drawn here when not given).
QImage previewSheet(const Sources& sources, qreal pixelRatio, int columns, const QList<Mark>& marks,
                    const QStringList& alongside = {}, const Sources* release = nullptr);
// How many panels a line of a sheet `width` sheet pixels wide holds (at least one).
int sheetColumns(int width);

constexpr int tile = 144; // one shown icon, in sheet pixels
constexpr int cell = 176; // its panel, label excluded
const QColor lightPanel(0xe8, 0xea, 0xf0), darkPanel(0x20, 0x21, 0x24), ink(0x30, 0x30, 0x36);

// The square of `side` sheet pixels centred in the panel.
QRectF tileRect(int side = tile);
// Draws `picture` centred in the panel, `side` pixels wide, masked by `shape` (smooth-edged) when it
// is not empty.
void centred(QPainter& p, const QImage& picture, int side, const QPainterPath& shape = QPainterPath());
// `glyph` in `colour`, its alpha kept (how launchers and iOS paint themed and tinted glyphs); by
// its grey, each pixel darkened by its own tone.
QImage painted(const QImage& glyph, const QColor& colour, bool byGrey = false);

QPainterPath roundedSquare(const QRectF& r, double radius);
// A circle whose bottom-right corner is a small rounding: the teardrop launchers use.
QPainterPath teardrop(const QRectF& r);

} // namespace Packages
