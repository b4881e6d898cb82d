// Icon and pictogram composition: pixel facts, and the fast routes against a plain painter version.
#include "tests/support/testsupport.h"

#include "project/custompicture.h"
#include "render/artwork.h"
#include "render/downscaler.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

using namespace TestSupport;

namespace {

QRgb at(const QPixmap& p, int x, int y)
{
    return p.toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, y);
}

IconDesign plain()
{
    IconDesign d;
    d.useImageFlat = false; // background only
    return d;
}

// The composition done step by step with the painter and full-size layers, as a reference.
QPixmap referenceIcon(const IconDesign& d)
{
    QPixmap canvas(1024, 1024);
    canvas.fill(QColor(0, 0, 0, 0));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, 1024, 1024), d.cornerCurvature, d.cornerCurvature, Qt::AbsoluteSize);
    if (d.useBackgroundColor) {
        p.fillPath(shape, QBrush(d.backgroundColor));
    } else if (d.useBackgroundGradient) {
        QLinearGradient g(d.gradientStartX, d.gradientStartY, d.gradientEndX, d.gradientEndY);
        g.setColorAt(0.0, d.gradientStartColor);
        g.setColorAt(1.0, d.gradientEndColor);
        p.fillPath(shape, QBrush(g));
    } else if (d.useBackgroundTransparent) {
        p.fillPath(shape, QBrush(QColor(0, 0, 0, 0)));
    }
    QPixmap picture;
    if (d.useImageFlat)
        picture = QPixmap(Artwork::flatPath(d.flatImageRow + 1));
    else if (d.useImageColored)
        picture = QPixmap(Artwork::coloredPath(d.coloredImageRow + 1));
    else if (d.useImageCustom && !d.customImage.isNull())
        picture = QPixmap::fromImage(d.customImage);
    if (!picture.isNull()) {
        const int w1 = picture.width() * d.imageScale / 100, h1 = picture.height() * d.imageScale / 100;
        picture = picture.scaled(w1, h1, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmap layer(picture.size());
        layer.fill(QColor(0, 0, 0, 0));
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        if (d.useImageFlat) {
            lp.fillRect(layer.rect(), d.imageColor);
            lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        } else {
            lp.setCompositionMode(QPainter::CompositionMode_DestinationAtop);
        }
        lp.drawPixmap(layer.rect(), picture);
        lp.end();
        p.drawPixmap(QRect((1024 - layer.width()) / 2 + d.imageOffsetX,
                           (1024 - layer.height()) / 2 + d.imageOffsetY, layer.width(), layer.height()),
                     layer);
    }
    if (!d.text.isEmpty()) {
        // The whole text as one path, however far it reaches beyond the canvas.
        const QFont font(d.fontFamily, d.fontSize, d.textBold ? 61 : 60, d.textItalic);
        const QRect tight = QFontMetrics(font).tightBoundingRect(d.text);
        const int x = int((1024 - tight.width()) * 0.5 + d.textOffsetX);
        const int y = int((tight.height() + 1024) * 0.5 + d.textOffsetY);
        if (d.textShadow) {
            const double a = d.shadowAngle * 3.14 / 180.0;
            QPainterPath shadow;
            shadow.addText(QPointF(x + std::cos(a) * d.shadowOffset, y + std::sin(a) * d.shadowOffset), font,
                           d.text);
            p.fillPath(shadow, QBrush(d.shadowColor));
        }
        QPainterPath path;
        path.addText(QPointF(x, y), font, d.text);
        p.fillPath(path, QBrush(d.textColor));
        if (d.textStroke) {
            p.setPen(QPen(d.strokeColor, d.strokeWidth));
            p.drawPath(path);
        }
    }
    p.end();
    return canvas;
}

int maxChannelDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    for (int r = 0; r < x.height(); ++r) {
        const uchar* p = x.constScanLine(r);
        const uchar* q = y.constScanLine(r);
        for (int i = 0; i < x.width() * 4; ++i)
            worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
    }
    return worst;
}

// A custom picture with colours and partial transparency.
QImage customPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         qRgba((x * 255) / w, (y * 255) / h, ((x + y) * 7) & 255, (x * 13 + y * 3) % 256));
    return img;
}

// Bounding box of pixels whose alpha differs from the background-only icon.
QRect textBox(const IconDesign& withText)
{
    IconDesign bare = withText;
    bare.text.clear();
    const QImage a = renderIcon(withText).toImage(), b = renderIcon(bare).toImage();
    QRect box;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase() { initResources(); }
    void textFontWeights_data();
    void textFontWeights();
    void backgroundShapes();
    void gradientStops();
    void flatPictureIsTintedColoredKeepsColours();
    void svgPictureIsDrawnFromItsVectors();
    void svgLogoFitsTheCanvasWhateverItsUnits();
    void scaleAndPlacement();
    void matchesPainterReference_data();
    void matchesPainterReference();
    void cachesDoNotChangeOutput();
    void longTextsMatchTheWholeText_data();
    void longTextsMatchTheWholeText();
    void textPlacementShadowAndStroke();
    void emptyAndMissingDrawNothing();
    void graphicTint();
    void scaledCopySizes();
    void downscalerLooksLikeScalingStraight();
};

void TestRender::backgroundShapes()
{
    IconDesign d = plain();
    const QPixmap rounded = renderIcon(d);
    QCOMPARE(rounded.size(), QSize(1024, 1024));
    QVERIFY(rounded.hasAlphaChannel());
    QCOMPARE(qAlpha(at(rounded, 0, 0)), 0); // corner outside the radius-128 curve
    QCOMPARE(qAlpha(at(rounded, 1023, 1023)), 0);
    QCOMPARE(at(rounded, 512, 512), qRgba(170, 0, 0, 255));
    QCOMPARE(at(rounded, 512, 0), qRgba(170, 0, 0, 255)); // edge middle is inside
    d.cornerCurvature = 0;
    const QPixmap square = renderIcon(d);
    QCOMPARE(at(square, 0, 0), qRgba(170, 0, 0, 255));
    QCOMPARE(at(square, 1023, 1023), qRgba(170, 0, 0, 255));
    d.cornerCurvature = 512;
    const QPixmap circle = renderIcon(d);
    QCOMPARE(qAlpha(at(circle, 120, 120)), 0); // outside the circle, inside a 128 corner's square
    QCOMPARE(at(circle, 512, 2), qRgba(170, 0, 0, 255));
    QCOMPARE(at(circle, 2, 512), qRgba(170, 0, 0, 255));
    // Transparent: nothing opaque at all; first true switch wins when several are set.
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    const QImage clear = renderIcon(d).toImage();
    for (int y = 0; y < 1024; y += 31)
        for (int x = 0; x < 1024; x += 31)
            QCOMPARE(qAlpha(clear.pixel(x, y)), 0);
    d.useBackgroundColor = true;
    d.useBackgroundGradient = true;
    QCOMPARE(at(renderIcon(d), 512, 512), qRgba(170, 0, 0, 255));
}

void TestRender::gradientStops()
{
    IconDesign d = plain();
    d.useBackgroundColor = false;
    d.useBackgroundGradient = true;
    d.cornerCurvature = 0;
    const QPixmap icon = renderIcon(d);
    // Default gradient runs straight down from #00aaff to #00007f.
    const QRgb top = at(icon, 512, 0), bottom = at(icon, 512, 1023);
    QVERIFY(std::abs(qBlue(top) - 255) <= 1 && std::abs(qGreen(top) - 170) <= 1 && qRed(top) == 0);
    QVERIFY(std::abs(qBlue(bottom) - 127) <= 1 && qGreen(bottom) <= 1);
    QCOMPARE(at(icon, 0, 300), at(icon, 1023, 300)); // constant along a row
    // A horizontal gradient ends past its stop with the end colour (pad spread).
    d.gradientEndX = 512;
    d.gradientEndY = 0;
    const QPixmap sideways = renderIcon(d);
    QCOMPARE(at(sideways, 900, 10), qRgba(0, 0, 127, 255));
}

void TestRender::flatPictureIsTintedColoredKeepsColours()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    d.imageColor = QColor(10, 200, 30);
    const QImage flat = renderIcon(d).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < 1024; y += 3) {
        for (int x = 0; x < 1024; x += 3) {
            const QRgb px = flat.pixel(x, y);
            if (qAlpha(px) == 255) {
                ++opaque;
                QCOMPARE(px, qRgba(10, 200, 30, 255));
            }
        }
    }
    QVERIFY(opaque > 1000);
    d.useImageFlat = false;
    d.useImageColored = true;
    d.coloredImageRow = 1; // red heart, whatever the tint says
    const QImage colored = renderIcon(d).toImage();
    const QImage source =
        QImage(Artwork::coloredPath(2)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(colored.convertToFormat(QImage::Format_ARGB32_Premultiplied), source);
}

void TestRender::scaleAndPlacement()
{
    // A 100 x 100 custom picture, opaque white: its footprint on a transparent canvas is exact.
    IconDesign d;
    d.useBackgroundColor = false;
    d.useImageFlat = false;
    d.useImageCustom = true;
    QImage square(1024, 1024, QImage::Format_ARGB32);
    square.fill(Qt::white);
    d.customImage = square;
    auto footprint = [](const IconDesign& design) {
        const QImage img = renderIcon(design).toImage();
        QRect box;
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x)
                if (qAlpha(img.pixel(x, y)) > 0)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    d.imageScale = 50;
    QCOMPARE(footprint(d), QRect(256, 256, 512, 512));
    d.customImage = square.copy(0, 0, 1026, 1026).copy(0, 0, 1026, 1026);
    d.customImage = QImage(1026, 1026, QImage::Format_ARGB32);
    d.customImage.fill(Qt::white);
    QCOMPARE(footprint(d), QRect(255, 255, 513, 513)); // (1024 - 513) / 2 truncates to 255
    d.customImage = square;
    d.imageScale = 150;
    QCOMPARE(footprint(d), QRect(0, 0, 1024, 1024)); // 1536 at -256, cut by the canvas
    d.imageScale = 10;
    d.imageOffsetX = -300;
    d.imageOffsetY = 200;
    QCOMPARE(footprint(d), QRect(461 - 300, 461 + 200, 102, 102));
    d.imageOffsetX = 10000;
    QCOMPARE(footprint(d), QRect());
    // A picture is not clipped to the background shape: it covers the transparent corners.
    d.useBackgroundColor = true;
    d.imageScale = 100;
    d.imageOffsetX = d.imageOffsetY = 0;
    QCOMPARE(qAlpha(at(renderIcon(d), 0, 0)), 255);
}

void TestRender::matchesPainterReference_data()
{
    QTest::addColumn<int>("kind"); // 0 flat, 1 coloured, 2 custom
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("flat default") << 0 << 100 << 0 << 0 << 0;
    QTest::newRow("flat 50") << 0 << 50 << 0 << 0 << 0;
    QTest::newRow("flat 33 shifted") << 0 << 33 << 123 << -77 << 0;
    QTest::newRow("flat 150") << 0 << 150 << -40 << 15 << 0;
    QTest::newRow("flat 199 off the edge") << 0 << 199 << 700 << 0 << 0;
    QTest::newRow("coloured 80") << 1 << 80 << 5 << 9 << 0;
    QTest::newRow("custom 100") << 2 << 100 << 0 << 0 << 0;
    QTest::newRow("custom 257") << 2 << 257 << -3 << 11 << 0;
    QTest::newRow("custom 7") << 2 << 7 << 0 << 0 << 0;
    // Large enlargements are computed only where they land on the canvas; smooth filtering makes
    // bit-exactness with the whole-picture route impossible, so allow 2 per channel.
    QTest::newRow("custom 999") << 2 << 999 << 0 << 0 << 2;
    QTest::newRow("custom 700 shifted") << 2 << 700 << 900 << -1300 << 2;
    QTest::newRow("custom 450 far corner") << 2 << 450 << -300 << 400 << 2;
    QTest::newRow("flat 999 shifted") << 0 << 999 << 2345 << -1234 << 2;
    QTest::newRow("coloured 400") << 1 << 400 << 0 << 77 << 2;
}

void TestRender::matchesPainterReference()
{
    QFETCH(int, kind);
    QFETCH(int, scale);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, tolerance);
    IconDesign d;
    d.useImageFlat = kind == 0;
    d.useImageColored = kind == 1;
    d.useImageCustom = kind == 2;
    d.flatImageRow = 4;
    d.coloredImageRow = 6;
    d.imageColor = QColor(30, 60, 250);
    d.customImage = customPicture(301, 203);
    d.imageScale = scale;
    d.imageOffsetX = dx;
    d.imageOffsetY = dy;
    const int difference = maxChannelDifference(renderIcon(d).toImage(), referenceIcon(d).toImage());
    QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
}

void TestRender::cachesDoNotChangeOutput()
{
    IconDesign d;
    d.text = QStringLiteral("Q");
    const QImage warm = renderIcon(d).toImage();
    clearRenderCaches();
    QCOMPARE(renderIcon(d).toImage(), warm);
    // Each change of the picture's inputs after a kept layer shows in the next icon.
    d.text.clear();
    for (const QColor& tint : {QColor(0, 0, 255), QColor(255, 255, 255), QColor(12, 34, 56)}) {
        d.imageColor = tint;
        QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
    }
    d.flatImageRow = 9;
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
    d.imageOffsetY = 40;
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
    d.useImageFlat = false;
    d.useImageCustom = true;
    d.customImage = customPicture(64, 64);
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
    d.customImage = customPicture(65, 64); // a new picture with the same settings
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
}

void TestRender::longTextsMatchTheWholeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("strokeWidth");
    QTest::newRow("32767 characters at 999 pt") << QString(32767, QLatin1Char('W')) << 999 << 0 << 10;
    QTest::newRow("200 characters at 600 pt")
        << QStringLiteral("Glyphwright AV fi ").repeated(12).left(200) << 600 << 0 << 10;
    QTest::newRow("shifted, wide stroke")
        << QStringLiteral("Hello, World! ").repeated(15) << 600 << 3000 << 50;
    QTest::newRow("mixed scripts") << QStringLiteral("שלום مرحبا 漢字 Ωμέγα ").repeated(8) << 400 << -700
                                   << 20;
    QTest::newRow("5000 characters at 10 pt")
        << QStringLiteral("Wy ").repeated(1667).left(5000) << 10 << 0 << 3;
    QTest::newRow("just past the edge") << QStringLiteral("Ab") << 600 << 0 << 10;
}

// Only the outlines that meet the canvas are drawn: the same pixels as the whole text.
void TestRender::longTextsMatchTheWholeText()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(int, dx);
    QFETCH(int, strokeWidth);
    IconDesign d;
    d.text = text;
    d.fontSize = size;
    d.textOffsetX = dx;
    d.textStroke = d.textShadow = true;
    d.strokeWidth = strokeWidth;
    d.textColor = QColor(250, 250, 240);
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
    d.text.chop(1); // the kept outlines follow the text
    d.shadowAngle = 300;
    QCOMPARE(renderIcon(d).toImage(), referenceIcon(d).toImage());
}

void TestRender::textPlacementShadowAndStroke()
{
    IconDesign d = plain();
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    d.text = QStringLiteral("H");
    d.fontSize = 200;
    d.textColor = QColor(255, 0, 0);
    const QRect base = textBox(d);
    QVERIFY(!base.isEmpty());
    // Centred by the tight box's size only: the left side bearing shifts the ink right and
    // anything below the baseline shifts it down.
    const QRect tight = QFontMetrics(QFont(QString(), 200, 60, false)).tightBoundingRect(d.text);
    const double centreX = 512 + tight.left() - 0.5, centreY = 512 + tight.bottom() + 0.5;
    QVERIFY2(std::abs(QRectF(base).center().x() - centreX) <= 2,
             qPrintable(QString::number(base.center().x())));
    QVERIFY2(std::abs(QRectF(base).center().y() - centreY) <= 2,
             qPrintable(QString::number(base.center().y())));
    QCOMPARE(at(renderIcon(d), base.left() + 3, base.top() + 3), qRgba(255, 0, 0, 255));

    d.textOffsetX = 100;
    d.textOffsetY = -50;
    QCOMPARE(textBox(d), base.translated(100, -50));
    d.textOffsetX = d.textOffsetY = 0;

    // Shadow at 0 degrees lies exactly 50 px to the right; at 90 degrees 50 px below.
    d.textShadow = true;
    d.shadowColor = QColor(0, 0, 255);
    d.shadowAngle = 0;
    QCOMPARE(textBox(d), base.united(base.translated(50, 0)));
    QCOMPARE(at(renderIcon(d), base.right() + 45, base.top() + 3), qRgba(0, 0, 255, 255));
    d.shadowAngle = 90;
    const QRect down = textBox(d);
    QCOMPARE(down.bottom(), base.bottom() + 50);
    QVERIFY(std::abs(down.left() - base.left()) <= 1);
    d.textShadow = false;

    // The outline straddles the contour: a 20 px pen grows the ink by about 10 px each side.
    d.textStroke = true;
    d.strokeWidth = 20;
    d.strokeColor = QColor(0, 255, 0);
    const QRect stroked = textBox(d);
    QVERIFY(std::abs(stroked.left() - (base.left() - 10)) <= 2);
    QVERIFY(std::abs(stroked.top() - (base.top() - 10)) <= 2);
    // Width 0 is a cosmetic one-pixel pen: still drawn.
    d.strokeWidth = 0;
    const QImage hairline = renderIcon(d).toImage();
    int green = 0;
    for (int y = base.top() - 2; y <= base.bottom() + 2; ++y)
        for (int x = base.left() - 2; x <= base.right() + 2; ++x)
            green += qGreen(hairline.pixel(x, y)) > 100 ? 1 : 0;
    QVERIFY(green > 100);

    // Offsets of 10000 leave no text pixels at all.
    d.textOffsetX = 10000;
    QCOMPARE(textBox(d), QRect());
    d.textOffsetX = -10000;
    d.textOffsetY = 10000;
    QCOMPARE(textBox(d), QRect());
}

void TestRender::emptyAndMissingDrawNothing()
{
    WarningCatcher catcher;
    IconDesign d = plain();
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    d.useImageFlat = true;
    d.flatImageRow = -1; // no row selected: picture 0 does not exist
    const QImage none = renderIcon(d).toImage();
    d.flatImageRow = 43; // past the catalogue
    const QImage past = renderIcon(d).toImage();
    d.useImageFlat = false;
    d.useImageCustom = true; // with a null custom picture
    const QImage nullCustom = renderIcon(d).toImage();
    for (const QImage* img : {&none, &past, &nullCustom})
        for (int y = 0; y < 1024; y += 17)
            for (int x = 0; x < 1024; x += 17)
                QCOMPARE(qAlpha(img->pixel(x, y)), 0);
    const QPixmap missingGraphic = renderGraphic(0, Qt::red, -1);
    const QPixmap badCategory = renderGraphic(7, Qt::red, 0);
    QCOMPARE(missingGraphic.size(), QSize(420, 420));
    QCOMPARE(qAlpha(at(badCategory, 210, 210)), 0);
    QCOMPARE(qAlpha(at(missingGraphic, 210, 210)), 0);

    QVERIFY2(catcher.messages().isEmpty(), qPrintable(catcher.messages().join(QLatin1Char('\n'))));
}

void TestRender::graphicTint()
{
    const QImage shape = QImage(QStringLiteral(":/Graphics/add1.png")).convertToFormat(QImage::Format_ARGB32);
    const QImage red =
        renderGraphic(0, QColor(255, 0, 0), 0).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage half =
        renderGraphic(0, QColor(255, 0, 0, 128), 0).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(red.size(), QSize(420, 420));
    int inside = 0, edge = 0;
    for (int y = 0; y < 420; ++y) {
        for (int x = 0; x < 420; ++x) {
            const int a = qAlpha(shape.pixel(x, y));
            const QRgb r = red.pixel(x, y), h = half.pixel(x, y);
            QVERIFY(std::abs(qAlpha(r) - a) <= 1);
            if (a == 255) {
                ++inside;
                QCOMPARE(r, qRgba(255, 0, 0, 255));
                QVERIFY(std::abs(qAlpha(h) - 128) <= 1);
            } else if (a > 0) {
                ++edge;
                QCOMPARE(qRed(r), 255);
            }
        }
    }
    QVERIFY(inside > 1000 && edge > 10);
    // Category 2 opens "player", 3 opens "media".
    const QImage player = renderGraphic(2, Qt::black, 0).toImage();
    const QImage media = renderGraphic(3, Qt::black, 0).toImage();
    auto alphaOf = [](const QString& path) {
        return QImage(path).convertToFormat(QImage::Format_ARGB32).pixel(210, 210) >> 24;
    };
    QCOMPARE(uint(qAlpha(player.pixel(210, 210))), alphaOf(QStringLiteral(":/Graphics/player1.png")));
    QCOMPARE(uint(qAlpha(media.pixel(210, 210))), alphaOf(QStringLiteral(":/Graphics/media1.png")));
    QVERIFY(player != media);
}

void TestRender::scaledCopySizes()
{
    const QPixmap g = renderGraphic(0, Qt::black, 0);
    QCOMPARE(scaledCopy(g, 20, 20).size(), QSize(20, 20));
    QCOMPARE(scaledCopy(g, 420, 420).toImage(), g.toImage());
    QVERIFY(scaledCopy(QPixmap(), 20, 20).isNull());
    QCOMPARE(scaledCopy(renderIcon(IconDesign()), 300, 200).size(), QSize(200, 200));
}

void TestRender::textFontWeights_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<int>("weight");
    QTest::newRow("plain") << false << false << 60;
    QTest::newRow("bold") << true << false << 61;
    QTest::newRow("bold italic") << true << true << 61;
}

// The weights saved designs were drawn with (between Normal and DemiBold), not the toolkit's Bold
// and Normal: changing them moves the text of every stored design to another face.
void TestRender::textFontWeights()
{
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(int, weight);
    IconDesign design;
    design.fontFamily = QStringLiteral("DejaVu Sans");
    design.fontSize = 600;
    design.textBold = bold;
    design.textItalic = italic;
    const QFont font = textFont(design);
    QCOMPARE(font.weight(), weight);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(font.pointSize(), 600);
    QCOMPARE(font.family(), design.fontFamily);
}

namespace {

// A transparent design whose picture is the custom one at `path`, at 100 %.
IconDesign transparentWithPicture(const QString& path)
{
    IconDesign d = plain();
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    d.useImageFlat = false;
    d.useImageCustom = true;
    d.imageScale = 100;
    d.customImage = loadCustomPicture(path, nullptr, &d.customImageSize, &d.customVector);
    return d;
}

} // namespace

// At 100 % an SVG logo is its drawing fitted to the canvas, whatever size it declares: the same
// drawing saved at 24 units, 100 units or 1024 points shows the same, inside the circle every
// Android launcher keeps (66 of 108 dp), and large enough to read.
void TestRender::svgLogoFitsTheCanvasWhateverItsUnits()
{
    QTemporaryDir folder;
    const QByteArray drawing =
        "viewBox=\"0 0 100 100\"><circle cx=\"50\" cy=\"50\" r=\"48\" fill=\"#1e3a8a\"/>"
        "<polygon points=\"30,62 50,26 70,62\" fill=\"#fff\"/></svg>";
    QImage first;
    for (const char* size : {"width=\"24\" height=\"24\"", "width=\"100\" height=\"100\"",
                             "width=\"1024pt\" height=\"1024pt\""}) {
        const QString path = folder.filePath(QStringLiteral("logo.svg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" " + QByteArray(size) + " " + drawing);
        file.close();
        IconDesign d = transparentWithPicture(path);
        QVERIFY(!d.customVector.isEmpty());
        const QImage icon = renderIconImage(d).convertToFormat(QImage::Format_ARGB32);
        if (first.isNull())
            first = icon;
        QCOMPARE(icon, first);
    }
    int left = 1024, right = -1;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            if (qAlpha(first.pixel(x, y)) > 0) {
                QVERIFY2(std::hypot(x + 0.5 - 512, y + 0.5 - 512) <= 1024.0 * 66 / 108 / 2,
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QVERIFY2(right - left + 1 >= 0.4 * 1024, qPrintable(QString::number(right - left + 1)));

    // Sides not in the ratio of whole pixels (64 x 40 mm) are drawn at one scale: a circle stays
    // round, on the canvas and in the layered document's vector layer.
    const QString wide = folder.filePath(QStringLiteral("wide.svg"));
    QFile file(wide);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64mm\" height=\"40mm\" viewBox=\"0 0 64 40\">"
        "<circle cx=\"32\" cy=\"20\" r=\"18\"/></svg>");
    file.close();
    const IconDesign d = transparentWithPicture(wide);
    const QImage round = renderIconImage(d).convertToFormat(QImage::Format_ARGB32);
    const QPoint centre = customPicturePlacement(d, QSize(1024, 1024)).center();
    double across = 0, down = 0;
    for (int i = 0; i < 1024; ++i) {
        across += qAlpha(round.pixel(i, centre.y())) / 255.0;
        down += qAlpha(round.pixel(centre.x(), i)) / 255.0;
    }
    QVERIFY2(std::abs(across - down) < 0.5, qPrintable(QStringLiteral("%1 x %2").arg(across).arg(down)));
    const QByteArray layer = VectorPicture::placed(
        d.customVector, customPicturePlacement(d, QSize(1024, 1024)), QSize(1024, 1024));
    QVERIFY2(
        QRegularExpression(QStringLiteral("scale\\([0-9.]+\\)")).match(QString::fromUtf8(layer)).hasMatch(),
        layer.constData());
}

// An SVG picture enlarged tenfold is drawn from its vectors: its square's edge is one blended pixel
// wide (a 24-pixel bitmap enlarged so would blur across ten).
void TestRender::svgPictureIsDrawnFromItsVectors()
{
    IconDesign d = svgLogoDesign();
    d.imageScale = 999;
    const QImage icon = renderIconImage(d);
    // Row 440 crosses the square's left and right edges above the circle (the square spans
    // 16 x 9.99 pixels).
    int square = 0, blended = 0;
    for (int x = 300; x < 724; ++x) {
        const QRgb p = icon.pixel(x, 440);
        if (p == qRgb(0x15, 0x65, 0xc0))
            ++square;
        else if (p != d.backgroundColor.rgb())
            ++blended;
    }
    QVERIFY2(square >= 158 && square <= 160, qPrintable(QString::number(square)));
    QVERIFY2(blended <= 2, qPrintable(QString::number(blended)));
    QCOMPARE(icon.pixel(512, 512), qRgb(0xff, 0xca, 0x28));
}

// Many sizes from halvings of the icon: each pixel of a halving is the rounded mean of four, and
// every size differs from scaling straight from the icon by no more than a step or two a channel on
// average, with its size as the toolkit gives it.
void TestRender::downscalerLooksLikeScalingStraight()
{
    QImage four(2, 2, QImage::Format_ARGB32_Premultiplied);
    four.setPixel(0, 0, qRgba(255, 0, 0, 255));
    four.setPixel(1, 0, qRgba(0, 0, 0, 0));
    four.setPixel(0, 1, qRgba(0, 101, 0, 101));
    four.setPixel(1, 1, qRgba(0, 0, 2, 255));
    QCOMPARE(halved(four).pixel(0, 0), qRgba(64, 25, 1, 153));

    const QImage icon = renderIconImage(IconDesign());
    const Downscaler scaler(icon);
    QCOMPARE(scaler.scaled(1024), icon);
    QCOMPARE(scaler.scaled(512), halved(icon));
    for (int size : {16, 29, 48, 87, 180, 300, 1000}) {
        const QImage ours = scaler.scaled(size).convertToFormat(QImage::Format_ARGB32);
        const QImage straight = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(ours.size(), straight.size());
        double difference = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb a = ours.pixel(x, y), b = straight.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        QVERIFY2(difference / (4.0 * size * size) < 1.5, qPrintable(QString::number(size)));
    }
    // A wide picture keeps its aspect ratio.
    QCOMPARE(Downscaler(icon.copy(0, 0, 1024, 512)).scaled(100).size(), QSize(100, 50));
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
