// Platform icon packages: every file read back, containers checked by the toolkit and by
// independent tools, the layers' geometry and the platforms' alpha rules.
#include "tests/support/testsupport.h"

#include "base/png.h"
#include "cli/commandline.h"
#include "packages/android.h"
#include "packages/iconcomposer.h"
#include "packages/launch.h"
#include "packages/layers.h"
#include "packages/themedlook.h"
#include "packages/darklook.h"
#include "packages/variant.h"
#include "packages/package.h"
#include "packages/targets.h"
#include "packages/previewsheet.h"
#include "project/projectformat.h"
#include "render/iconrenderer.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QtGui>
#include <QtTest>

#include <cmath>

using namespace TestSupport;

Q_DECLARE_METATYPE(IconDesign)

namespace {

QImage image(const QString& path)
{
    QImageReader reader(path);
    const QImage img = reader.read();
    if (img.isNull())
        qWarning("cannot read %s: %s", qPrintable(path), qPrintable(reader.errorString()));
    return img.convertToFormat(QImage::Format_ARGB32);
}

// The names of a PNG's chunks, in file order.
QStringList pngChunks(const QString& path)
{
    const QByteArray bytes = readAll(path);
    QStringList names;
    for (int at = 8; at + 8 <= bytes.size();) {
        names << QString::fromLatin1(bytes.mid(at + 4, 4));
        at += 12 + int(qFromBigEndian<quint32>(bytes.constData() + at));
    }
    return names;
}

// The colour type byte of a PNG's header: 2 is RGB without alpha, 6 RGBA.
int pngColourType(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray head = f.read(26);
    return head.size() == 26 ? quint8(head[25]) : -1;
}

QString run(const QString& program, const QStringList& arguments)
{
    Process p;
    p.start(program, arguments);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

IconDesign gradientWithText()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundGradient = true;
    d.gradientEndX = 1024;
    d.text = QStringLiteral("Hi");
    d.fontSize = 300;
    d.textColor = QColor(250, 200, 0);
    d.imageScale = 80;
    return d;
}

IconDesign withPicture(bool coloured)
{
    IconDesign d;
    d.useImageFlat = false;
    if (coloured) {
        d.useImageColored = true;
        d.coloredImageRow = 4;
    } else {
        // A logo on its own white plate: a black ring with a hole, the kind of picture users bring.
        d.useImageCustom = true;
        QImage logo(600, 600, QImage::Format_ARGB32);
        logo.fill(Qt::white);
        QPainter p(&logo);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 60));
        p.drawEllipse(QRectF(150, 150, 300, 300));
        p.end();
        d.customImage = logo;
    }
    return d;
}

QMap<QString, IconDesign> designs()
{
    QMap<QString, IconDesign> all;
    all.insert(QStringLiteral("default"), IconDesign());
    all.insert(QStringLiteral("gradient with text"), gradientWithText());
    IconDesign big;
    big.imageScale = 150;
    all.insert(QStringLiteral("picture at 150 %"), big);
    IconDesign text;
    text.backgroundColor = Qt::white;
    text.useImageFlat = false;
    text.text = QStringLiteral("Ab");
    text.textColor = Qt::black;
    all.insert(QStringLiteral("black 600 pt Ab on white"), text);
    IconDesign clear = withPicture(true);
    clear.useBackgroundColor = false;
    clear.useBackgroundTransparent = true;
    all.insert(QStringLiteral("transparent, coloured picture"), clear);
    all.insert(QStringLiteral("custom picture on a plate"), withPicture(false));
    return all;
}

void addDesignRows(const QStringList& names)
{
    QTest::addColumn<QString>("design");
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << name;
}

// Alpha-weighted share of a layer's ink outside the circle of `radius` (a fraction of the side).
double shareOutside(const QImage& layer, double radius)
{
    double outside = 0, all = 0;
    const double c = layer.width() / 2.0;
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x) {
            const int a = qAlpha(layer.pixel(x, y));
            all += a;
            if (std::hypot(x + 0.5 - c, y + 0.5 - c) > radius * layer.width())
                outside += a;
        }
    return all > 0 ? outside / all : 0;
}

// Mean luminance of the pixels at least half opaque.
double visibleLuminance(const QImage& image)
{
    double sum = 0;
    long count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) >= 128) {
                sum += qGray(image.pixel(x, y));
                ++count;
            }
    return count ? sum / count : -1;
}

// A VectorDrawable read back as an SVG of its viewport at `side` pixels: its paths with their fills,
// strokes and gradients as the XML gives them, for the SVG reader to draw independently of the
// writer's own shapes.
QByteArray drawableAsSvg(const QByteArray& xml, int side)
{
    QXmlStreamReader r(xml);
    QByteArray out = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                                    "viewBox=\"0 0 108 108\">")
                         .arg(side)
                         .toUtf8();
    const auto colour = [](const QString& argb, QByteArray* opacity) {
        *opacity = QByteArray::number(argb.mid(1, 2).toInt(nullptr, 16) / 255.0);
        return ("#" + argb.mid(3)).toUtf8();
    };
    QXmlStreamAttributes path;
    QByteArray gradients, paint[2]; // fill, stroke
    bool toFill = true;             // the aapt:attr a gradient is in names the fill colour
    int id = 0;
    while (!r.atEnd()) {
        r.readNext();
        const QString name = r.name().toString();
        if (r.isStartElement() && name == QLatin1String("path")) {
            path = r.attributes();
            paint[0] = paint[1] = QByteArray();
        } else if (r.isStartElement() && name == QLatin1String("attr")) {
            toFill = r.attributes().value(QLatin1String("name")) == QLatin1String("android:fillColor");
        } else if (r.isStartElement() && name == QLatin1String("gradient")) {
            const QXmlStreamAttributes g = r.attributes();
            const bool linear = g.value(QLatin1String("android:type")) == QLatin1String("linear");
            const QString tile = g.value(QLatin1String("android:tileMode")).toString();
            QByteArray e = linear ? "<linearGradient" : "<radialGradient";
            e += " id=\"g" + QByteArray::number(++id) + "\" gradientUnits=\"userSpaceOnUse\"";
            const char* attributes[][2] = {{"x1", "android:startX"},       {"y1", "android:startY"},
                                           {"x2", "android:endX"},         {"y2", "android:endY"},
                                           {"cx", "android:centerX"},      {"cy", "android:centerY"},
                                           {"r", "android:gradientRadius"}};
            for (const auto& a : attributes)
                if (g.hasAttribute(QLatin1String(a[1])))
                    e += " " + QByteArray(a[0]) + "=\"" + g.value(QLatin1String(a[1])).toUtf8() + "\"";
            if (tile == QLatin1String("mirror") || tile == QLatin1String("repeat"))
                e += tile == QLatin1String("mirror") ? " spreadMethod=\"reflect\""
                                                     : " spreadMethod=\"repeat\"";
            e += ">";
            while (r.readNextStartElement()) {
                QByteArray opacity;
                const QByteArray c =
                    colour(r.attributes().value(QLatin1String("android:color")).toString(), &opacity);
                e += "<stop offset=\"" + r.attributes().value(QLatin1String("android:offset")).toUtf8() +
                     "\" stop-color=\"" + c + "\" stop-opacity=\"" + opacity + "\"/>";
                r.skipCurrentElement();
            }
            e += linear ? "</linearGradient>" : "</radialGradient>";
            gradients += e;
            paint[toFill ? 0 : 1] = "url(#g" + QByteArray::number(id) + ")";
        } else if (r.isEndElement() && name == QLatin1String("path")) {
            const auto v = [&path](const char* n) { return path.value(QLatin1String(n)).toUtf8(); };
            QByteArray e = "<path d=\"" + v("android:pathData") + "\"";
            QByteArray opacity = "1";
            const QByteArray fill =
                path.hasAttribute(QLatin1String("android:fillColor"))
                    ? colour(path.value(QLatin1String("android:fillColor")).toString(), &opacity)
                    : paint[0];
            e += " fill=\"" + (fill.isEmpty() ? QByteArray("none") : fill) + "\"";
            const double fillOpacity =
                opacity.toDouble() * (path.hasAttribute(QLatin1String("android:fillAlpha"))
                                          ? v("android:fillAlpha").toDouble()
                                          : 1);
            e += " fill-opacity=\"" + QByteArray::number(fillOpacity) + "\"";
            if (v("android:fillType") == "evenOdd")
                e += " fill-rule=\"evenodd\"";
            opacity = "1";
            const QByteArray stroke =
                path.hasAttribute(QLatin1String("android:strokeColor"))
                    ? colour(path.value(QLatin1String("android:strokeColor")).toString(), &opacity)
                    : paint[1];
            if (!stroke.isEmpty()) {
                const double strokeOpacity =
                    opacity.toDouble() * (path.hasAttribute(QLatin1String("android:strokeAlpha"))
                                              ? v("android:strokeAlpha").toDouble()
                                              : 1);
                e += " stroke=\"" + stroke + "\" stroke-opacity=\"" + QByteArray::number(strokeOpacity) +
                     "\" stroke-width=\"" + v("android:strokeWidth") + "\" stroke-linecap=\"" +
                     v("android:strokeLineCap") + "\" stroke-linejoin=\"" + v("android:strokeLineJoin") +
                     "\"";
                if (path.hasAttribute(QLatin1String("android:strokeMiterLimit")))
                    e += " stroke-miterlimit=\"" + v("android:strokeMiterLimit") + "\"";
            }
            out += gradients + e + "/>";
            gradients.clear();
        }
    }
    return out + "</svg>";
}

// How many of `drawn`'s pixels stand more than 2 levels from `reference` in any channel, counting
// only the pixels inside a shape in both (within 3 levels of themselves all around): not an
// anti-aliased edge of either, nor a seam where two shapes meet.
int unfaithfulPixels(const QImage& drawn, const QImage& reference)
{
    const auto near = [](QRgb a, QRgb b, int levels) {
        return std::abs(qRed(a) - qRed(b)) <= levels && std::abs(qGreen(a) - qGreen(b)) <= levels &&
               std::abs(qBlue(a) - qBlue(b)) <= levels && std::abs(qAlpha(a) - qAlpha(b)) <= levels;
    };
    const QImage a = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 b = reference.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const auto inside = [&near](const QImage& image, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (!near(image.pixel(x + dx, y + dy), image.pixel(x, y), 3))
                    return false;
        return true;
    };
    int off = 0;
    for (int y = 1; y + 1 < b.height(); ++y)
        for (int x = 1; x + 1 < b.width(); ++x)
            off += inside(b, x, y) && inside(a, x, y) && !near(a.pixel(x, y), b.pixel(x, y), 2);
    return off;
}

} // namespace

class TestPackages : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase();
    void defaultAppId_data();
    void defaultAppId();
    void android_data();
    void android();
    void aaptPackagesTheResources();
    void ios_data();
    void ios();
    void svgPictureIsAVectorLayer();
    void androidVectorLayers_data();
    void androidVectorLayers();
    void picturesShownTwiceAreEncodedOnce_data();
    void picturesShownTwiceAreEncodedOnce();
    void iconComposerDocument_data();
    void iconComposerDocument();
    void derivedLooksStayLegible_data();
    void derivedLooksStayLegible();
    void logoDetailsStayApart_data();
    void logoDetailsStayApart();
    void picturesKeepTheirTones_data();
    void picturesKeepTheirTones();
    void macos_data();
    void macos();
    void windowsAndFavicon();
    void web_data();
    void web();
    void linuxDesktop();
    void transparentBackgroundStillGivesOpaqueStoreIcons();
    void previewSheet();
    void launchScreens();
    void variantsAreBadgedInEveryLook_data();
    void variantsAreBadgedInEveryLook();
    void commandLine();

  private:
    QTemporaryDir dir;
    QString out;
};

void TestPackages::initTestCase()
{
    initResources();
    out = dir.filePath(QStringLiteral("all"));
    Packages::Options options;
    options.appId = QStringLiteral("example.Hi");
    const Files::Outcome outcome =
        Packages::writePackage(gradientWithText(), out, Packages::targetNames(), options);
    QVERIFY2(outcome.failed.isEmpty(), qPrintable(outcome.failed.value(0).path + QStringLiteral(": ") +
                                                  outcome.failed.value(0).text()));
    // Android 5 x 5 + 2 + 1, iOS 4, macOS 1, Windows 1 + 35 Store tiles + 10 lock screen and badge
    // logos + 42 target sizes + their manifest entry, web 11, Linux 10; iOS and macOS each the
    // layered document too (icon.json, the picture, the text and its tinted variant).
    QCOMPARE(outcome.written.size(), 28 + 4 + 1 + 89 + 11 + 10 + 2 * 4);
}

void TestPackages::android_data()
{
    addDesignRows(designs().keys());
}

void TestPackages::android()
{
    QFETCH(QString, design);
    const IconDesign d = designs().value(design);
    QTemporaryDir work;
    Packages::Options pixels; // the adaptive layers as PNG, whatever the design
    pixels.androidVector = Packages::AndroidVector::Never;
    QVERIFY(Packages::writePackage(d, work.path(), QStringList{QStringLiteral("android")}, pixels)
                .failed.isEmpty());
    const QString res = work.filePath(QStringLiteral("res/"));
    const struct
    {
        const char* density;
        int legacy, adaptive;
    } densities[] = {{"mdpi", 48, 108},
                     {"hdpi", 72, 162},
                     {"xhdpi", 96, 216},
                     {"xxhdpi", 144, 324},
                     {"xxxhdpi", 192, 432}};
    for (const auto& density : densities) {
        const QString mipmap =
            res + QStringLiteral("mipmap-") + QLatin1String(density.density) + QLatin1Char('/');
        QCOMPARE(image(mipmap + QStringLiteral("ic_launcher.png")).size(),
                 QSize(density.legacy, density.legacy));
        const QImage round = image(mipmap + QStringLiteral("ic_launcher_round.png"));
        QCOMPARE(round.size(), QSize(density.legacy, density.legacy));
        const int corner = density.legacy / 10; // outside the circle, inside a rounded square
        QCOMPARE(qAlpha(round.pixel(corner, corner)), 0);
        const QImage fg = image(mipmap + QStringLiteral("ic_launcher_foreground.png"));
        const QImage bg = image(mipmap + QStringLiteral("ic_launcher_background.png"));
        const QImage mono = image(mipmap + QStringLiteral("ic_launcher_monochrome.png"));
        for (const QImage* layer : {&fg, &bg, &mono})
            QCOMPARE(layer->size(), QSize(density.adaptive, density.adaptive));
        // Picture and text inside the 66 dp safe circle, whatever their size (antialiasing aside).
        QVERIFY2(shareOutside(fg, 33.0 / 108) < 0.002,
                 qPrintable(QString::number(shareOutside(fg, 33.0 / 108))));
        QVERIFY(shareOutside(fg, 0.5) < 1); // not blank
        for (int y = 0; y < density.adaptive; ++y)
            for (int x = 0; x < density.adaptive; ++x) {
                QCOMPARE(qAlpha(bg.pixel(x, y)), 255); // opaque and full-bleed, whatever the design
                const QRgb m = mono.pixel(x, y);
                QVERIFY(qAlpha(m) <= qAlpha(fg.pixel(x, y)));
                if (qAlpha(m))
                    QCOMPARE(m | 0xff000000u, 0xffffffffu); // single colour: white
            }
        if (d.useBackgroundTransparent)
            QCOMPARE(bg.pixel(0, 0), qRgb(255, 255, 255));
    }
    // The themed icon keeps the picture's details: a picture on an opaque plate is not a square.
    const QImage mono = image(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_monochrome.png"));
    const QImage fg = image(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png"));
    long covered = 0, faint = 0;
    for (int y = 0; y < 432; ++y)
        for (int x = 0; x < 432; ++x)
            if (qAlpha(fg.pixel(x, y)) == 255) {
                ++covered;
                faint += qAlpha(mono.pixel(x, y)) < 128;
            }
    if (d.useImageCustom)
        QVERIFY2(faint > covered / 3, qPrintable(QStringLiteral("%1 of %2").arg(faint).arg(covered)));
    else if (d.useImageFlat && d.text.isEmpty()) // text is cut out of the picture it crosses
        QCOMPARE(faint, 0L);
    const QString store = work.filePath(QStringLiteral("playstore-icon.png"));
    QCOMPARE(image(store).size(), QSize(512, 512));
    QCOMPARE(pngColourType(store), 6); // 32-bit, as Google asks, yet opaque
    QCOMPARE(pngChunks(store).mid(0, 3), QStringList({"IHDR", "sRGB", "gAMA"}));
    const QImage storeIcon = image(store);
    for (int y = 0; y < 512; y += 3)
        for (int x = 0; x < 512; x += 3)
            QCOMPARE(qAlpha(storeIcon.pixel(x, y)), 255);
}

void TestPackages::aaptPackagesTheResources()
{
    const QString aapt = QStandardPaths::findExecutable(QStringLiteral("aapt"));
    const QString framework = QStringLiteral("/usr/share/android-framework-res/framework-res.apk");
    QVERIFY2(!aapt.isEmpty() && QFile::exists(framework),
             "scripts/setup.sh installs aapt and android-framework-res");
    QTemporaryDir work;
    QVERIFY(Packages::writePackage(designs().value(QStringLiteral("picture at 150 %")), work.path(),
                                   QStringList{QStringLiteral("android")})
                .failed.isEmpty());
    writeFile(
        work.filePath(QStringLiteral("AndroidManifest.xml")),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" package=\"example.icons\">\n"
        "    <uses-sdk android:minSdkVersion=\"21\" android:targetSdkVersion=\"29\" />\n"
        "    <application android:icon=\"@mipmap/ic_launcher\" "
        "android:roundIcon=\"@mipmap/ic_launcher_round\"\n"
        "                 android:label=\"Icons\" />\n"
        "</manifest>\n");
    const QString apk = work.filePath(QStringLiteral("icons.apk"));
    Process p;
    p.start(aapt, {QStringLiteral("package"), QStringLiteral("-f"), QStringLiteral("-M"),
                   work.filePath(QStringLiteral("AndroidManifest.xml")), QStringLiteral("-S"),
                   work.filePath(QStringLiteral("res")), QStringLiteral("-I"), framework,
                   QStringLiteral("-F"), apk});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    const QString badging = run(aapt, {QStringLiteral("dump"), QStringLiteral("badging"), apk});
    QVERIFY2(badging.contains(QStringLiteral("application-icon-640:'res/mipmap-anydpi-v26/ic_launcher.xml'")),
             qPrintable(badging));
    const QString resources = run(aapt, {QStringLiteral("dump"), QStringLiteral("resources"), apk});
    for (const char* name : {"ic_launcher", "ic_launcher_round", "ic_launcher_foreground",
                             "ic_launcher_background", "ic_launcher_monochrome"})
        QVERIFY2(resources.contains(QStringLiteral("mipmap/%1:").arg(QLatin1String(name))), name);
}

void TestPackages::ios_data()
{
    addDesignRows(designs().keys());
}

void TestPackages::ios()
{
    QFETCH(QString, design);
    QTemporaryDir work;
    QVERIFY(Packages::writePackage(designs().value(design), work.path(), QStringList{QStringLiteral("ios")})
                .failed.isEmpty());
    const QString set = work.filePath(QStringLiteral("AppIcon.appiconset/"));
    QFile json(set + QStringLiteral("Contents.json"));
    QVERIFY(json.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.readAll(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QStringList appearances;
    for (const QJsonValue& entry : doc.object().value(QStringLiteral("images")).toArray()) {
        const QJsonObject o = entry.toObject();
        QCOMPARE(o.value(QStringLiteral("size")).toString(), QStringLiteral("1024x1024"));
        QCOMPARE(o.value(QStringLiteral("platform")).toString(), QStringLiteral("ios"));
        const QString file = set + o.value(QStringLiteral("filename")).toString();
        QCOMPARE(image(file).size(), QSize(1024, 1024));
        const QJsonArray a = o.value(QStringLiteral("appearances")).toArray();
        appearances << (a.isEmpty() ? QStringLiteral("any")
                                    : a[0].toObject().value(QStringLiteral("appearance")).toString() +
                                          QLatin1Char(':') +
                                          a[0].toObject().value(QStringLiteral("value")).toString());
    }
    QCOMPARE(appearances, QStringList({"any", "luminosity:dark", "luminosity:tinted"}));
    QCOMPARE(pngColourType(set + QStringLiteral("AppIcon-1024.png")), 2); // App Store Connect refuses alpha
    const QImage main = image(set + QStringLiteral("AppIcon-1024.png"));
    QCOMPARE(qAlpha(main.pixel(0, 0)), 255); // full-bleed: iOS applies its own mask
    const QImage dark = image(set + QStringLiteral("AppIcon-1024-dark.png"));
    QCOMPARE(qAlpha(dark.pixel(0, 0)), 0);
    const QImage tinted = image(set + QStringLiteral("AppIcon-1024-tinted.png"));
    for (int y = 0; y < 1024; y += 7)
        for (int x = 0; x < 1024; x += 7) {
            const QRgb p = tinted.pixel(x, y);
            QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
        }
    // Shapes are legible on the dark plate whatever the design's colours: black text comes out light.
    // (Pictures with colours of their own keep them: see picturesKeepTheirTones.)
    const bool shapes = !Packages::pictureKeepsItsColours(designs().value(design));
    if (shapes) {
        QVERIFY2(visibleLuminance(dark) > 128, qPrintable(QString::number(visibleLuminance(dark))));
        QVERIFY2(visibleLuminance(tinted) > 128, qPrintable(QString::number(visibleLuminance(tinted))));
    }
    // The shapes' colours can be chosen instead; a picture's own colours stay.
    Packages::Options chosen;
    chosen.iosDarkColor = QColor(0, 200, 100);
    chosen.iosTintedColor = QColor(255, 0, 0); // counts by its grey: 87
    QVERIFY(Packages::writePackage(designs().value(design), work.path(), QStringList{QStringLiteral("ios")},
                                   chosen)
                .failed.isEmpty());
    const QImage darkChosen = image(set + QStringLiteral("AppIcon-1024-dark.png"));
    const QImage tintedChosen = image(set + QStringLiteral("AppIcon-1024-tinted.png"));
    if (!shapes) {
        QCOMPARE(darkChosen, dark);
        QCOMPARE(tintedChosen, tinted);
        return;
    }
    for (int y = 0; y < 1024; y += 5)
        for (int x = 0; x < 1024; x += 5) {
            if (qAlpha(darkChosen.pixel(x, y)) >= 128)
                QCOMPARE(darkChosen.pixel(x, y) | 0xff000000u, qRgb(0, 200, 100));
            if (qAlpha(tintedChosen.pixel(x, y)) >= 128)
                QCOMPARE(tintedChosen.pixel(x, y) | 0xff000000u, qRgb(87, 87, 87));
        }
}

void TestPackages::iconComposerDocument_data()
{
    QTest::addColumn<IconDesign>("design");
    IconDesign gradientFlatText = gradientWithText();
    gradientFlatText.gradientStartY = 100;
    gradientFlatText.textStroke = true;
    gradientFlatText.strokeColor = QColor(10, 20, 30);
    gradientFlatText.textShadow = true;
    IconDesign transparentColoured = withPicture(true);
    transparentColoured.useBackgroundColor = false;
    transparentColoured.useBackgroundTransparent = true;
    IconDesign solidCustomText = withPicture(false);
    solidCustomText.text = QStringLiteral("Ab");
    solidCustomText.fontSize = 200;
    solidCustomText.textColor = Qt::black;
    IconDesign gradientColouredText = withPicture(true);
    gradientColouredText.useBackgroundColor = false;
    gradientColouredText.useBackgroundGradient = true;
    gradientColouredText.text = QStringLiteral("Hi");
    gradientColouredText.fontSize = 250;
    IconDesign transparentFlatText;
    transparentFlatText.useBackgroundColor = false;
    transparentFlatText.useBackgroundTransparent = true;
    transparentFlatText.imageColor = QColor(20, 20, 90);
    transparentFlatText.text = QStringLiteral("X");
    transparentFlatText.textColor = QColor(5, 5, 5);
    IconDesign textOnly;
    textOnly.useImageFlat = false;
    textOnly.text = QStringLiteral("Shop");
    textOnly.fontSize = 260;
    QTest::newRow("solid, flat picture") << IconDesign();
    QTest::newRow("gradient, flat picture, text with stroke and shadow") << gradientFlatText;
    QTest::newRow("transparent, coloured picture") << transparentColoured;
    QTest::newRow("solid, custom picture, dark text") << solidCustomText;
    QTest::newRow("gradient, coloured picture, text") << gradientColouredText;
    QTest::newRow("transparent, dark flat picture, dark text") << transparentFlatText;
    QTest::newRow("solid, text alone") << textOnly;
}

void TestPackages::iconComposerDocument()
{
    QFETCH(IconDesign, design);
    QTemporaryDir work;
    QVERIFY(Packages::writePackage(design, work.path(), {QStringLiteral("ios"), QStringLiteral("macos")})
                .failed.isEmpty());
    const QString bundle = work.filePath(QStringLiteral("ios/AppIcon.icon/"));
    const QByteArray text = readAll(bundle + QStringLiteral("icon.json"));
    QCOMPARE(text, readAll(work.filePath(QStringLiteral("macos/AppIcon.icon/icon.json"))));
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(text, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    // As Icon Composer writes it: sorted keys, two-space indentation, " : ".
    QCOMPARE(text, Packages::iconJson(root));
    QVERIFY(text.contains("\n  \"groups\" : ["));

    // Only the fields and value forms the format has.
    const QStringList assets = QDir(bundle + QStringLiteral("Assets")).entryList(QDir::Files);
    const QRegularExpression colour(
        QStringLiteral("^srgb:([01]\\.[0-9]{5}),([01]\\.[0-9]{5}),([01]\\.[0-9]{5}),([01]\\.[0-9]{5})$"));
    std::function<void(const QJsonObject&, const QStringList&)> fields;
    auto checkColour = [&](const QString& c) {
        const QRegularExpressionMatch m = colour.match(c);
        QVERIFY2(m.hasMatch(), qPrintable(c));
        for (int i = 1; i <= 4; ++i)
            QVERIFY(m.captured(i).toDouble() >= 0 && m.captured(i).toDouble() <= 1);
    };
    auto checkFill = [&](const QJsonValue& fill) {
        if (fill.isString()) {
            QVERIFY2(
                QStringList({"automatic", "system-light", "system-dark", "none"}).contains(fill.toString()),
                qPrintable(fill.toString()));
            return;
        }
        const QJsonObject f = fill.toObject();
        if (f.contains(QStringLiteral("solid"))) {
            QCOMPARE(f.keys(), QStringList({"solid"}));
            checkColour(f.value(QStringLiteral("solid")).toString());
        } else {
            QCOMPARE(f.keys(), QStringList({"linear-gradient", "orientation"}));
            const QJsonArray colours = f.value(QStringLiteral("linear-gradient")).toArray();
            QCOMPARE(colours.size(), 2);
            for (const QJsonValue& c : colours)
                checkColour(c.toString());
            for (const char* end : {"start", "stop"})
                for (const char* axis : {"x", "y"}) {
                    const double v = f.value(QStringLiteral("orientation"))
                                         .toObject()
                                         .value(QLatin1String(end))
                                         .toObject()
                                         .value(QLatin1String(axis))
                                         .toDouble(-1);
                    QVERIFY(v >= 0 && v <= 1);
                }
        }
    };
    // A property written plain or as specializations (never both); `check` sees every value.
    auto property = [&](const QJsonObject& o, const QString& key,
                        const std::function<void(const QJsonValue&)>& check) {
        const QString special = key + QStringLiteral("-specializations");
        QVERIFY2(!(o.contains(key) && o.contains(special)), qPrintable(key));
        if (o.contains(key))
            check(o.value(key));
        const QJsonArray entries = o.value(special).toArray();
        for (int i = 0; i < entries.size(); ++i) {
            const QJsonObject e = entries.at(i).toObject();
            for (const QString& k : e.keys())
                QVERIFY(QStringList({"appearance", "idiom", "value"}).contains(k));
            QCOMPARE(e.contains(QStringLiteral("appearance")), i > 0); // the plain value first
            if (i > 0)
                QVERIFY(QStringList({"light", "dark", "tinted"})
                            .contains(e.value(QStringLiteral("appearance")).toString()));
            check(e.value(QStringLiteral("value")));
        }
    };
    for (const QString& k : root.keys())
        QVERIFY2(QStringList({"fill", "fill-specializations", "groups", "supported-platforms"}).contains(k),
                 qPrintable(k));
    QVERIFY(root.contains(QStringLiteral("supported-platforms")));
    property(root, QStringLiteral("fill"), checkFill);
    const QJsonArray groups = root.value(QStringLiteral("groups")).toArray();
    QVERIFY(!groups.isEmpty());
    for (const QJsonValue& g : groups) {
        const QJsonObject group = g.toObject();
        for (const QString& k : group.keys())
            QVERIFY2(QStringList({"layers", "name", "shadow", "specular", "translucency"}).contains(k),
                     qPrintable(k));
        const QJsonObject shadow = group.value(QStringLiteral("shadow")).toObject();
        QVERIFY(QStringList({"neutral", "layer-color", "none"})
                    .contains(shadow.value(QStringLiteral("kind")).toString()));
        QVERIFY(shadow.contains(QStringLiteral("opacity")));
        QVERIFY(group.value(QStringLiteral("specular")).isBool());
        QVERIFY(
            group.value(QStringLiteral("translucency")).toObject().value(QStringLiteral("enabled")).isBool());
        for (const QJsonValue& l : group.value(QStringLiteral("layers")).toArray()) {
            const QJsonObject layer = l.toObject();
            for (const QString& k : layer.keys())
                QVERIFY2(QStringList({"fill", "fill-specializations", "glass", "image-name",
                                      "image-name-specializations", "name", "position"})
                             .contains(k),
                         qPrintable(k));
            QVERIFY(layer.value(QStringLiteral("glass")).isBool());
            property(layer, QStringLiteral("fill"), checkFill);
            property(layer, QStringLiteral("image-name"), [&](const QJsonValue& name) {
                QVERIFY2(assets.contains(name.toString()), qPrintable(name.toString()));
            });
        }
    }
    // Every layer declares 72 dpi, which the document reads as its size, even where its pixels are
    // those of a 96 dpi file beside it (the dark and tinted icons share their encoding with it).
    for (const QString& asset : assets) {
        const QImage layer = image(bundle + QStringLiteral("Assets/") + asset);
        QCOMPARE(layer.size(), QSize(1024, 1024));
        QCOMPARE(layer.dotsPerMeterX(), Png::appleLayerDotsPerMeter);
    }
    for (const char* variant : {"AppIcon-1024-dark.png", "AppIcon-1024-tinted.png"})
        QCOMPARE(image(work.filePath(QStringLiteral("ios/AppIcon.appiconset/")) + QLatin1String(variant))
                     .dotsPerMeterX(),
                 Png::standardDotsPerMeter);

    // The layers over the fill, front to back, are the design itself, without its rounded corners
    // (and without the text's shadow, which the text group's shadow stands for).
    Packages::IconDocument read{root, {}, {}};
    for (const QString& asset : assets)
        read.assets.append({asset, image(bundle + QStringLiteral("Assets/") + asset)});
    const QImage layers = Packages::recomposed(read).convertToFormat(QImage::Format_ARGB32);
    IconDesign square = design;
    square.cornerCurvature = 0;
    square.textShadow = false;
    QImage expected(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Packages::transparentBackground(design) ? QColor(0xf2, 0xf2, 0xf7)
                                                          : QColor(Qt::transparent));
    QPainter p(&expected);
    p.drawImage(0, 0, renderIconImage(square));
    p.end();
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    double total = 0;
    int worst = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const QRgb a = layers.pixel(x, y), b = expected.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            total += d;
            worst = std::max(worst, d);
        }
    QVERIFY2(total / (1024 * 1024) < 0.5 && worst <= 16,
             qPrintable(QStringLiteral("mean %1, worst %2").arg(total / (1024 * 1024)).arg(worst)));
}

void TestPackages::derivedLooksStayLegible_data()
{
    QTest::addColumn<IconDesign>("design");
    QTest::addColumn<bool>("liftedAlone"); // a one-colour picture with no text: lifted well clear
    IconDesign camera;                     // the default design's white camera with black "AB" across it
    camera.text = QStringLiteral("AB");
    camera.fontSize = 150;
    camera.textColor = Qt::black;
    QTest::newRow("black text on a white picture") << camera << false;
    IconDesign navy; // thin navy lines of a logo on transparency
    navy.useBackgroundColor = false;
    navy.useBackgroundTransparent = true;
    navy.useImageFlat = false;
    navy.useImageCustom = true;
    QImage lines(512, 512, QImage::Format_ARGB32);
    lines.fill(Qt::transparent);
    QPainter p(&lines);
    p.setPen(QPen(QColor(0x1a, 0x23, 0x7e), 6));
    for (int i = 0; i < 8; ++i)
        p.drawLine(40 + 60 * i, 40, 472 - 60 * i, 472);
    p.end();
    navy.customImage = lines;
    QTest::newRow("navy lines") << navy << true;
    IconDesign dark; // a dark picture on a dark plate, white text across it
    dark.backgroundColor = QColor(20, 24, 40);
    dark.imageColor = QColor(40, 50, 90);
    dark.text = QStringLiteral("AB");
    dark.fontSize = 150;
    QTest::newRow("dark design") << dark << false;
    IconDesign photo = withPicture(false); // black text across a photograph-like picture
    QImage sky(600, 600, QImage::Format_RGB32);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            sky.setPixel(x, y, qRgb(200 + (x + y) % 40, 210 + x % 30, 230 + y % 20));
    photo.customImage = sky;
    photo.text = QStringLiteral("AB");
    photo.fontSize = 150;
    photo.textColor = Qt::black;
    QTest::newRow("photo") << photo << false;
}

void TestPackages::derivedLooksStayLegible()
{
    // Text that crosses the picture keeps at least 80 levels of lightness from the picture in the
    // dark and tinted glyphs, and 150 levels of alpha in the themed (monochrome) layer; a picture
    // alone stands at least 100 levels over the dark plate and is no near-black grey when tinted.
    QFETCH(IconDesign, design);
    QFETCH(bool, liftedAlone);
    const Packages::DesignLayers layers(design);
    const QImage picture = layers.picture().convertToFormat(QImage::Format_ARGB32);
    const QImage text = layers.text().convertToFormat(QImage::Format_ARGB32);
    struct Look
    {
        const char* name;
        QImage image;
        int (*value)(QRgb);
        int textApart, pictureAtLeast;
    } looks[] = {
        {"dark", Packages::darkGlyph(layers), qGray, 80, 0x3a + 100},
        {"tinted", Packages::tintedGlyph(layers), qGray, 80, 100},
        {"monochrome", Packages::monochromeLayer(layers), qAlpha, 150, 0},
    };
    for (Look& look : looks) {
        const QImage img = look.image.convertToFormat(QImage::Format_ARGB32);
        double underText = 0, pictureAlone = 0;
        long nText = 0, nPicture = 0;
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x) {
                const int pa = qAlpha(picture.pixel(x, y)), ta = qAlpha(text.pixel(x, y));
                if (pa == 255 && ta == 255) {
                    underText += look.value(img.pixel(x, y));
                    ++nText;
                } else if (pa == 255 && ta == 0) {
                    pictureAlone += look.value(img.pixel(x, y));
                    ++nPicture;
                }
            }
        QVERIFY(nPicture > 1000);
        pictureAlone /= nPicture;
        const QString figures = QStringLiteral("%1: text %2, picture %3")
                                    .arg(QLatin1String(look.name))
                                    .arg(nText ? underText / nText : -1)
                                    .arg(pictureAlone);
        qInfo("%s", qPrintable(figures));
        if (nText)
            QVERIFY2(std::abs(underText / nText - pictureAlone) >= look.textApart, qPrintable(figures));
        QVERIFY2(!liftedAlone || pictureAlone >= look.pictureAtLeast, qPrintable(figures));
    }
}

// WCAG's relative luminance of a colour (its alpha ignored).
double relativeLuminance(QRgb p)
{
    const auto linear = [](int c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(p)) + 0.7152 * linear(qGreen(p)) + 0.0722 * linear(qBlue(p));
}

// A logo as designers bring it: a gradient disc with a white triangle, dot and smile, on
// transparency. Every look keeps the details apart from the disc: holes in the themed layer, at
// 3:1 or more in the dark and tinted glyphs.
void TestPackages::logoDetailsStayApart_data()
{
    QTest::addColumn<int>("look"); // 0 themed, 1 dark, 2 tinted
    // The logo, and the grey above which its pixels are its details (below, its body).
    QTest::addColumn<QByteArray>("logo");
    QTest::addColumn<int>("split");
    QTest::addColumn<bool>("raster"); // brought as a PNG of the logo's own size, not as its SVG
    QTest::addColumn<bool>("holes");  // the details stand apart from the body (or are ink with it)
    const QByteArray disc =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" viewBox=\"0 0 100 100\">"
        "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"><stop offset=\"0\" "
        "stop-color=\"#1e3a8a\"/><stop offset=\"1\" stop-color=\"#60a5fa\"/></linearGradient></defs>"
        "<circle cx=\"50\" cy=\"50\" r=\"48\" fill=\"url(#g)\"/><polygon points=\"30,62 50,26 70,62\" "
        "fill=\"#fff\"/>"
        "<circle cx=\"50\" cy=\"72\" r=\"5\" fill=\"#fff\"/>"
        "<path d=\"M32 78 Q50 92 68 78\" stroke=\"#fff\" stroke-width=\"4\" fill=\"none\"/></svg>";
    QTest::newRow("themed") << 0 << disc << 235 << false << true;
    QTest::newRow("iOS dark") << 1 << disc << 235 << false << true;
    QTest::newRow("iOS tinted") << 2 << disc << 235 << false << true;
    // A detail more than half the body's width: a yellow disc on a teal square.
    QTest::newRow("themed, a large detail")
        << 0
        << QByteArray(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" viewBox=\"0 0 24 24\">"
               "<rect x=\"2\" y=\"2\" width=\"20\" height=\"20\" rx=\"4\" fill=\"#0e7c86\"/>"
               "<circle cx=\"12\" cy=\"12\" r=\"6\" fill=\"#ffca28\"/></svg>")
        << 150 << false << true;
    // A rounded green plate inside a darker outline, a yellow disc and a pale triangle on it: the
    // plate is the body (larger than the stroke around it), whatever format the logo comes in.
    const QByteArray plate =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" viewBox=\"0 0 600 600\">"
        "<rect x=\"40\" y=\"40\" width=\"520\" height=\"520\" rx=\"110\" fill=\"#4caf50\" stroke=\"#1b5e20\" "
        "stroke-width=\"16\"/><circle cx=\"300\" cy=\"230\" r=\"110\" fill=\"#ffeb3b\"/>"
        "<polygon points=\"150,470 300,300 450,470\" fill=\"#a5d6a7\"/></svg>";
    QTest::newRow("themed, a raster plate inside its outline") << 0 << plate << 180 << true << true;
    QTest::newRow("themed, the same plate as SVG") << 0 << plate << 180 << false << true;
    // The threshold of standing apart: a grey disc 40 tones lighter than its body is a hole; one
    // 30 tones lighter is ink with it.
    const auto disc40 = [](const char* detail) {
        return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" "
                          "viewBox=\"0 0 24 24\"><circle cx=\"12\" cy=\"12\" r=\"11\" fill=\"#606060\"/>"
                          "<circle cx=\"12\" cy=\"12\" r=\"5\" fill=\"") +
               detail + "\"/></svg>";
    };
    QTest::newRow("a part 40 tones from its body stays a hole")
        << 0 << disc40("#888888") << 116 << false << true;
    QTest::newRow("a part 30 tones from its body stays ink")
        << 0 << disc40("#7e7e7e") << 111 << false << false;
    // Coverage is kept: a disc fading out over its outer third is as faint in the themed layer.
    QTest::newRow("a feathered picture's layer")
        << 0
        << QByteArray(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" viewBox=\"0 0 24 24\">"
               "<defs><radialGradient id=\"f\"><stop offset=\"0.66\" stop-color=\"#1e3a8a\"/>"
               "<stop offset=\"1\" stop-color=\"#1e3a8a\" stop-opacity=\"0\"/></radialGradient></defs>"
               "<circle cx=\"12\" cy=\"12\" r=\"12\" fill=\"url(#f)\"/>"
               "<polygon points=\"8,15 12,7 16,15\" fill=\"#fff\"/></svg>")
        << 235 << false << true;
}

void TestPackages::logoDetailsStayApart()
{
    QFETCH(int, look);
    QFETCH(QByteArray, logo);
    QFETCH(int, split);
    QFETCH(bool, raster);
    QFETCH(bool, holes);
    IconDesign d;
    d.useImageFlat = false;
    d.useImageCustom = true;
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    d.customVector = logo;
    d.customImageSize = QSize(100, 100);
    d.customImage = VectorPicture::draw(logo, QSize(100, 100));
    d.imageScale = 800;
    if (raster) {
        // As a PNG of 600 pixels at Scale 100.
        d.customVector.clear();
        d.customImageSize = QSize();
        d.customImage = VectorPicture::draw(logo, QSize(600, 600));
        d.imageScale = 100;
    }
    const Packages::DesignLayers layers(d);
    const QImage picture = layers.picture().convertToFormat(QImage::Format_ARGB32);
    const QImage shown = (look == 0   ? Packages::monochromeLayer(layers)
                          : look == 1 ? Packages::darkGlyph(layers)
                                      : Packages::tintedGlyph(layers))
                             .convertToFormat(QImage::Format_ARGB32);
    // The details are what is light in the logo, the body what is not; both away from their edges
    // (where a 5 by 5 square around a pixel is all of one).
    const auto is = [&](int x, int y, bool white) {
        for (int v = y - 2; v <= y + 2; ++v)
            for (int u = x - 2; u <= x + 2; ++u) {
                const QRgb p = picture.pixel(u, v);
                if (qAlpha(p) < 255 || (qGray(p) > split) != white)
                    return false;
            }
        return true;
    };
    double detail = 0, disc = 0;
    long nDetail = 0, nDisc = 0;
    for (int y = 2; y < 1022; y += 2)
        for (int x = 2; x < 1022; x += 2) {
            const double value = look == 0 ? qAlpha(shown.pixel(x, y)) : relativeLuminance(shown.pixel(x, y));
            if (is(x, y, true)) {
                detail += value;
                ++nDetail;
            } else if (is(x, y, false)) {
                disc += value;
                ++nDisc;
            }
        }
    QVERIFY(nDetail > 1000 && nDisc > 10000);
    detail /= nDetail;
    disc /= nDisc;
    if (look == 0) {
        QVERIFY2((holes ? detail <= 0.1 * 255 : detail >= 0.9 * 255) && disc >= 0.9 * 255,
                 qPrintable(QStringLiteral("%1 %2").arg(detail).arg(disc)));
        // Where the picture is faint the layer is as faint: never more, and on the body's own
        // soft edges about as much.
        double faint = 0;
        long nFaint = 0;
        for (int y = 0; y < 1024; y += 2)
            for (int x = 0; x < 1024; x += 2) {
                const int a = qAlpha(picture.pixel(x, y)), b = qAlpha(shown.pixel(x, y));
                QVERIFY2(b <= a + 2,
                         qPrintable(QStringLiteral("%1, %2: %3 over %4").arg(x).arg(y).arg(b).arg(a)));
                if (a > 20 && a < 235 && qGray(picture.pixel(x, y)) <= split) {
                    faint += a - b;
                    ++nFaint;
                }
            }
        QVERIFY2(nFaint == 0 || faint / nFaint < 12,
                 qPrintable(QString::number(faint / std::max(1L, nFaint))));
    } else {
        const double ratio = (std::max(detail, disc) + 0.05) / (std::min(detail, disc) + 0.05);
        QVERIFY2(ratio >= 3, qPrintable(QString::number(ratio)));
    }
}

void TestPackages::picturesKeepTheirTones_data()
{
    QTest::addColumn<IconDesign>("design");
    // A photo whose mean tone is dark: brown mountains under a strip of dusk sky.
    IconDesign photo;
    photo.useImageFlat = false;
    photo.useImageCustom = true;
    QImage mountains(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int ridge = 90 + int(40 * std::sin(x / 40.0) + 15 * std::sin(x / 7.0));
            const int t = (x * 7 + y * 13) % 40;
            mountains.setPixel(
                x, y, y < ridge ? qRgb(70 + y / 2, 80 + y / 2, 120 + t) : qRgb(71 + t, 48 + t / 2, 25));
        }
    photo.customImage = mountains;
    photo.imageScale = 150;
    QTest::newRow("photo") << photo;
    IconDesign globe = withPicture(true);
    globe.coloredImageRow = 18;
    QTest::newRow("coloured picture: the globe") << globe;
}

void TestPackages::picturesKeepTheirTones()
{
    // The dark and tinted icons show a picture's own tones, so its luminance follows the light
    // icon's there (never inverted): a correlation above 0.9 over the picture's pixels.
    QFETCH(IconDesign, design);
    QTemporaryDir work;
    QVERIFY(Packages::writePackage(design, work.path(), QStringList{QStringLiteral("ios")}).failed.isEmpty());
    const QString set = work.filePath(QStringLiteral("AppIcon.appiconset/"));
    const QImage light = image(set + QStringLiteral("AppIcon-1024.png"));
    const QImage picture = Packages::pictureOnly(design).convertToFormat(QImage::Format_ARGB32);
    for (const char* variant : {"AppIcon-1024-dark.png", "AppIcon-1024-tinted.png"}) {
        const QImage other = image(set + QLatin1String(variant));
        double n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        for (int y = 0; y < 1024; y += 2)
            for (int x = 0; x < 1024; x += 2)
                if (qAlpha(picture.pixel(x, y)) == 255) {
                    const double a = qGray(light.pixel(x, y)), b = qGray(other.pixel(x, y));
                    n += 1;
                    sa += a;
                    sb += b;
                    saa += a * a;
                    sbb += b * b;
                    sab += a * b;
                }
        QVERIFY(n > 1000);
        const double r = (n * sab - sa * sb) / std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb));
        QVERIFY2(r > 0.9,
                 qPrintable(QStringLiteral("%1: correlation %2").arg(QLatin1String(variant)).arg(r)));
    }
}

void TestPackages::macos_data()
{
    QTest::addColumn<QString>("design");
    QTest::addColumn<bool>("keepCorners");
    QTest::newRow("default, macOS shape") << "default" << false;
    QTest::newRow("transparent, macOS shape") << "transparent, coloured picture" << false;
    QTest::newRow("default, own corners") << "default" << true;
    QTest::newRow("transparent, own corners") << "transparent, coloured picture" << true;
}

void TestPackages::macos()
{
    QFETCH(QString, design);
    QFETCH(bool, keepCorners);
    QTemporaryDir work;
    Packages::Options options;
    options.macosKeepCorners = keepCorners;
    QVERIFY(Packages::writePackage(designs().value(design), work.path(), QStringList{QStringLiteral("macos")},
                                   options)
                .failed.isEmpty());
    const QString path = work.filePath(QStringLiteral("AppIcon.icns"));
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.left(4), QByteArray("icns"));
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 4), quint32(bytes.size()));
    // Walk the entries: each a PNG of its type's size.
    const QMap<QByteArray, int> sizes = {{"icp4", 16},  {"icp5", 32},  {"icp6", 64},   {"ic07", 128},
                                         {"ic08", 256}, {"ic09", 512}, {"ic10", 1024}, {"ic11", 32},
                                         {"ic12", 64},  {"ic13", 256}, {"ic14", 512}};
    QStringList seen;
    for (int at = 8; at < bytes.size();) {
        const QByteArray type = bytes.mid(at, 4);
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at + 4);
        const QImage entry = QImage::fromData(bytes.mid(at + 8, int(length) - 8), "PNG");
        QCOMPARE(entry.size(), QSize(sizes.value(type), sizes.value(type)));
        seen << QString::fromLatin1(type);
        at += int(length);
    }
    QCOMPARE(seen.size(), sizes.size());
    // The body fills the 824 square of the 1024 grid, in the macOS shape or the design's corners,
    // on a plate even when the design is transparent, with a soft shadow below.
    const QImage big =
        QImage::fromData(bytes.mid(bytes.indexOf("ic10") + 8), "PNG").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(big.pixel(512, 60)), 0);
    QCOMPARE(qAlpha(big.pixel(512, 104)), 255);
    QCOMPARE(qAlpha(big.pixel(104, 512)), 255);
    QCOMPARE(qAlpha(big.pixel(103, 103)), 0);
    // Inside a corner of radius 102 (the default's 128 on 824 / 1024), outside the macOS shape.
    QCOMPARE(qAlpha(big.pixel(140, 140)) == 255, keepCorners);
    QVERIFY(qAlpha(big.pixel(512, 934)) > 0 && qAlpha(big.pixel(512, 934)) < 100);
    if (design.startsWith(QLatin1String("transparent")))
        QCOMPARE(big.pixel(512, 110), qRgb(255, 255, 255));
    // The toolkit reads it, and so does an independent tool.
    QImageReader reader(path);
    QVERIFY(reader.canRead());
    QVERIFY(reader.imageCount() >= 1);
    const QString listing = run(QStringLiteral("icns2png"), {QStringLiteral("-l"), path});
    for (const QString& type : seen)
        QVERIFY2(listing.contains(QLatin1Char('\'') + type + QLatin1Char('\'')), qPrintable(listing));
    QVERIFY(listing.contains(QStringLiteral("11 elements")));
}

void TestPackages::windowsAndFavicon()
{
    const struct
    {
        const char* file;
        QList<int> sizes;
    } icos[] = {{"/windows/app.ico", {16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256}},
                {"/web/favicon.ico", {16, 32, 48}}};
    for (const auto& ico : icos) {
        const QString path = out + QLatin1String(ico.file);
        QImageReader reader(path);
        QCOMPARE(reader.imageCount(), ico.sizes.size());
        QList<int> read;
        for (int i = 0; i < reader.imageCount(); ++i) {
            reader.jumpToImage(i);
            const QImage img = reader.read();
            QCOMPARE(img.width(), img.height());
            read << img.width();
            // The rounded corners' transparency survives in every entry (BMP ones included).
            const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
            QVERIFY(qAlpha(argb.pixel(0, 0)) < (img.width() >= 24 ? 40 : 128));
            QCOMPARE(qAlpha(argb.pixel(img.width() / 2, 0)), 255);
        }
        QCOMPARE(read, ico.sizes);
        const QString listing = run(QStringLiteral("icotool"), {QStringLiteral("-l"), path});
        for (int size : ico.sizes)
            QVERIFY2(listing.contains(QStringLiteral("--width=%1 --height=%1 --bit-depth=32").arg(size)),
                     qPrintable(listing));
    }
    // The lock screen's and the badge's logos: white shapes on transparency, for Windows to tint.
    for (const char* logo : {"LockScreenLogo.scale-200.png", "BadgeLogo.scale-100.png"}) {
        const QImage shape = image(out + QStringLiteral("/windows/Assets/") + QLatin1String(logo));
        int inked = 0, clear = 0;
        for (int y = 0; y < shape.height(); ++y)
            for (int x = 0; x < shape.width(); ++x) {
                const QRgb p = shape.pixel(x, y);
                if (qAlpha(p) > 0)
                    QCOMPARE(p | 0xff000000u, 0xffffffffu);
                (qAlpha(p) > 128 ? inked : clear) += 1;
            }
        QVERIFY(inked > 0 && clear > 0);
    }
}

void TestPackages::web_data()
{
    addDesignRows({QStringLiteral("gradient with text"), QStringLiteral("transparent, coloured picture")});
}

void TestPackages::web()
{
    QFETCH(QString, design);
    const IconDesign d = designs().value(design);
    QTemporaryDir work;
    Packages::Options options;
    options.name = QStringLiteral("Shop \"Spring\"");
    QVERIFY(
        Packages::writePackage(d, work.path(), QStringList{QStringLiteral("web")}, options).failed.isEmpty());
    const QString web = work.path() + QLatin1Char('/');
    for (int size : {16, 32, 192, 512}) {
        const QString name = QLatin1String(size < 100 ? "favicon-%1.png" : "icon-%1.png");
        QCOMPARE(image(web + name.arg(size)).size(), QSize(size, size));
    }
    QCOMPARE(image(web + QStringLiteral("apple-touch-icon.png")).size(), QSize(180, 180));
    QCOMPARE(pngColourType(web + QStringLiteral("apple-touch-icon.png")), 2);
    // Maskable: full-bleed and opaque (a transparent design on its plate), all content inside the
    // central 80 % circle.
    const QImage maskable = image(web + QStringLiteral("icon-maskable-512.png"));
    const QImage background = Packages::backgroundLayer(d, QRectF(0, 0, 1024, 1024), 512, Qt::white)
                                  .convertToFormat(QImage::Format_ARGB32);
    int inside = 0;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            QCOMPARE(qAlpha(maskable.pixel(x, y)), 255);
            const double r = std::hypot(x + 0.5 - 256, y + 0.5 - 256);
            const bool differs = maskable.pixel(x, y) != background.pixel(x, y);
            if (r > 0.4 * 512 + 1)
                QVERIFY2(!differs || std::abs(qRed(maskable.pixel(x, y)) - qRed(background.pixel(x, y))) <= 2,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            inside += differs;
        }
    }
    QVERIFY(inside > 512 * 512 / 20);
    // The monochrome icon: one colour, its shape in the alpha.
    const QImage mono = image(web + QStringLiteral("icon-monochrome-512.png"));
    QCOMPARE(mono.size(), QSize(512, 512));
    for (int y = 0; y < 512; y += 3)
        for (int x = 0; x < 512; x += 3)
            if (qAlpha(mono.pixel(x, y)))
                QCOMPARE(mono.pixel(x, y) | 0xff000000u, 0xffffffffu);
    // A complete manifest whose every icon exists at its stated size.
    QFile manifest(web + QStringLiteral("manifest.webmanifest"));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject m = QJsonDocument::fromJson(manifest.readAll(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(m.value(QStringLiteral("name")).toString(), options.name);
    QCOMPARE(m.value(QStringLiteral("start_url")).toString(), QStringLiteral("/"));
    QCOMPARE(m.value(QStringLiteral("display")).toString(), QStringLiteral("standalone"));
    QCOMPARE(m.value(QStringLiteral("theme_color")).toString(),
             d.useBackgroundGradient ? d.gradientStartColor.name() : QStringLiteral("#ffffff"));
    QVERIFY(QColor(m.value(QStringLiteral("background_color")).toString()).isValid());
    QStringList purposes;
    for (const QJsonValue& v : m.value(QStringLiteral("icons")).toArray()) {
        const QJsonObject o = v.toObject();
        const QImage img = image(web + o.value(QStringLiteral("src")).toString());
        QCOMPARE(o.value(QStringLiteral("sizes")).toString(), QStringLiteral("%1x%1").arg(img.width()));
        QCOMPARE(o.value(QStringLiteral("type")).toString(), QStringLiteral("image/png"));
        purposes << o.value(QStringLiteral("purpose")).toString();
    }
    QCOMPARE(purposes, QStringList({"any", "any", "maskable", "maskable", "monochrome"}));
    // The HTML snippet links files that are there.
    const QString head = QString::fromUtf8(readAll(web + QStringLiteral("head-snippet.html")));
    const QRegularExpression link(QStringLiteral("href=\"/([^\"]+)\""));
    int links = 0;
    for (auto it = link.globalMatch(head); it.hasNext(); ++links)
        QVERIFY2(QFile::exists(web + it.next().captured(1)), qPrintable(head));
    QCOMPARE(links, 5);
    QVERIFY(head.contains(QStringLiteral("<meta name=\"theme-color\" content=\"") +
                          m.value(QStringLiteral("theme_color")).toString()));
}

void TestPackages::linuxDesktop()
{
    const QString base = out + QStringLiteral("/linux/");
    const QList<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};
    for (int size : sizes)
        QCOMPARE(image(base + QStringLiteral("hicolor/%1x%1/apps/example.Hi.png").arg(size)).size(),
                 QSize(size, size));
    // The script runs as its usage line says, and the install lines put each icon where the icon
    // theme looks. It makes no icon cache where there was none (one would hide icons other programs
    // install there later).
    QTemporaryDir prefix;
    QVERIFY(QFileInfo(base + QStringLiteral("install-icons.sh")).isExecutable());
    Process p;
    p.start(base + QStringLiteral("install-icons.sh"), {prefix.path()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    for (int size : sizes)
        QVERIFY(QFile::exists(
            prefix.filePath(QStringLiteral("icons/hicolor/%1x%1/apps/example.Hi.png").arg(size))));
    QVERIFY(!QFile::exists(prefix.filePath(QStringLiteral("icons/hicolor/icon-theme.cache"))));
}

void TestPackages::transparentBackgroundStillGivesOpaqueStoreIcons()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    QTemporaryDir other;
    QVERIFY(Packages::writePackage(d, other.path(), QStringList{QStringLiteral("android")}).failed.isEmpty());
    QVERIFY(Packages::writePackage(d, other.path(), QStringList{QStringLiteral("ios")}).failed.isEmpty());
    const QString store = other.filePath(QStringLiteral("playstore-icon.png"));
    QCOMPARE(pngColourType(store), 6);
    QCOMPARE(image(store).pixel(2, 2), qRgb(255, 255, 255));
    QCOMPARE(pngColourType(other.filePath(QStringLiteral("AppIcon.appiconset/AppIcon-1024.png"))), 2);
    // A single target writes straight into the folder, no sub-folder.
    QVERIFY(QFile::exists(other.filePath(QStringLiteral("res/mipmap-mdpi/ic_launcher.png"))));
    // Another plate can be chosen.
    Packages::Options options;
    options.background = QColor(20, 30, 40);
    QVERIFY(Packages::writePackage(d, other.path(), QStringList{QStringLiteral("android")}, options)
                .failed.isEmpty());
    QCOMPARE(image(store).pixel(2, 2), qRgb(20, 30, 40));
    QCOMPARE(image(other.filePath(QStringLiteral("res/mipmap-mdpi/ic_launcher_background.png"))).pixel(2, 2),
             qRgb(20, 30, 40));
}

void TestPackages::previewSheet()
{
    const QImage sheet = Packages::previewSheet(gradientWithText()).convertToFormat(QImage::Format_ARGB32);
    // Four rows of at most eight panels: Android with its Play Store icon; iOS with its 26 looks
    // and macOS; Windows, the web and Linux; the launch screens.
    QCOMPARE(sheet.size(), QSize(16 + 8 * (176 + 16), 4 * (30 + 176 + 22) + 5 * 16));
    // The circle mask's panel: panel colour in its corner, the icon at its centre.
    const QPoint panel(16, 16 + 30);
    QCOMPARE(sheet.pixel(panel + QPoint(20, 20)), qRgb(0xe8, 0xea, 0xf0));
    const QRgb centre = sheet.pixel(panel + QPoint(88, 88 + 40));
    QVERIFY(centre != qRgb(0xe8, 0xea, 0xf0) && qAlpha(centre) == 255);

    // The launch screens: Android 12's one colour, the iPhone's gradient, near-black when dark, and
    // no text on any.
    const int launchRow = 16 + 3 * (30 + 176 + 22 + 16) + 30;
    const auto screen = [&sheet, launchRow](int panel, int y) {
        return sheet.pixel(16 + panel * (176 + 16) + 88, launchRow + y);
    };
    QCOMPARE(screen(0, 20), screen(0, 150));
    QVERIFY(screen(1, 20) != screen(1, 150));
    QCOMPARE(screen(3, 20), qRgb(0x12, 0x12, 0x14));
    for (int y = launchRow; y < launchRow + 176; ++y)
        for (int x = 0; x < sheet.width(); ++x)
            QVERIFY(!(qRed(sheet.pixel(x, y)) > 200 && qGreen(sheet.pixel(x, y)) > 150 &&
                      qBlue(sheet.pixel(x, y)) < 60));

    // White text on a transparent design would vanish on the default white plate: said, and a
    // line of the sheet says so.
    IconDesign white;
    white.useBackgroundColor = false;
    white.useBackgroundTransparent = true;
    white.useImageFlat = false;
    white.text = QStringLiteral("Hi");
    const QImage glyph = Packages::foregroundLayer(white);
    QVERIFY(Packages::plateWarning(white, glyph, Qt::white).contains(QLatin1String("#ffffff")));
    QCOMPARE(Packages::plateWarning(white, glyph, Qt::black), QString());
    QCOMPARE(Packages::previewSheet(white).height(), sheet.height() + 30);

    // A variant's sheet ends with home screens: the release in its own colours beside the grey
    // variant and two others, each as its launcher shows it.
    Packages::Options grey;
    grey.variant.name = QStringLiteral("debug");
    grey.variant.badge.style = Packages::Badge::Style::Grey;
    const QImage varied = Packages::previewSheet(gradientWithText(), grey, 1.0, 0, {},
                                                 {QStringLiteral("debug"), QStringLiteral("beta")})
                              .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(varied.height(), sheet.height() + 30 + 176 + 22 + 16);
    const QPoint home(16, sheet.height() + 30);
    const auto saturated = [](QRgb p) {
        return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 40;
    };
    for (const QPoint& icon : {QPoint(56, 30), QPoint(120, 30)}) // release, debug: near their top edge
        QCOMPARE(saturated(varied.pixel(home + icon)), icon.x() == 56);
}

// The launch screens of a design with a gradient, a picture and text, light and dark: Android's
// before and after Android 12 and iOS's, at their sizes, the text left out unless asked for.
void TestPackages::launchScreens()
{
    const IconDesign d = gradientWithText();
    const auto yellow = [](const QImage& screen) { // the text's colour, (250, 200, 0)
        for (int y = 0; y < screen.height(); y += 2)
            for (int x = 0; x < screen.width(); x += 2)
                if (qRed(screen.pixel(x, y)) > 200 && qGreen(screen.pixel(x, y)) > 150 &&
                    qBlue(screen.pixel(x, y)) < 60)
                    return true;
        return false;
    };
    Packages::Options options;
    options.launch = true;
    QTemporaryDir work;
    QVERIFY(
        Packages::writePackage(d, work.path(), {QStringLiteral("android"), QStringLiteral("ios")}, options)
            .failed.isEmpty());
    const QString android = work.filePath(QStringLiteral("android/"));
    // Before Android 12, full screens as Capacitor lays them out; the gradient runs from corner to
    // corner as on the icon, the dark screens are near-black.
    for (const Packages::LaunchFile& f : Packages::legacySplashFiles()) {
        const QImage screen = image(android + f.path);
        QCOMPARE(screen.size(), f.size);
        const QRgb corner = screen.pixel(0, 0), far = screen.pixel(f.size.width() - 1, f.size.height() - 1);
        if (f.dark) {
            QCOMPARE(corner, qRgb(0x12, 0x12, 0x14));
        } else {
            QVERIFY2(qGreen(corner) > 160 && qBlue(corner) > 245, qPrintable(QString::number(corner, 16)));
            QVERIFY2(qGreen(far) < 10 && qBlue(far) < 135, qPrintable(QString::number(far, 16)));
        }
        // The white camera in the middle.
        bool white = false;
        for (int x = 0; x < f.size.width(); ++x)
            white = white || qGray(screen.pixel(x, f.size.height() / 2 - f.size.height() / 40)) > 235;
        QVERIFY(white);
    }
    QVERIFY(!yellow(image(android + QStringLiteral("res/drawable-port-xhdpi/splash.png"))));
    // Android 12: the icon at 288 dp, its ink inside the 192 dp circle, and the screen's colour.
    for (const auto& [density, side] : {std::pair{"mdpi", 288}, {"xxxhdpi", 1152}})
        for (const char* night : {"", "night-"}) {
            const QImage icon = image(android + QStringLiteral("res/drawable-%1%2/splash_icon.png")
                                                    .arg(QLatin1String(night), QLatin1String(density)));
            QCOMPARE(icon.size(), QSize(side, side));
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
            QVERIFY(shareOutside(icon, 1.0 / 3) < 0.002);
            QVERIFY(shareOutside(icon, 0.5) < 1);
        }
    QVERIFY(readAll(android + QStringLiteral("res/values/splash_background.xml")).contains("#0055bf"));
    QVERIFY(readAll(android + QStringLiteral("res/values-night/splash_background.xml")).contains("#121214"));
    // aapt2 takes the resources (the theme's items need Android 12's own resources, which Debian
    // does not carry).
    QTemporaryDir built;
    writeFile(
        built.filePath(QStringLiteral("AndroidManifest.xml")),
        "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" package=\"com.example.t\">"
        "<application android:icon=\"@mipmap/ic_launcher\"/></manifest>");
    Process aapt;
    aapt.start(QStringLiteral("aapt2"),
               {QStringLiteral("compile"), QStringLiteral("--dir"), android + QStringLiteral("res"),
                QStringLiteral("-o"), built.filePath(QStringLiteral("res.zip"))});
    QVERIFY(aapt.waitForFinished(60000) && aapt.exitCode() == 0);
    aapt.start(QStringLiteral("aapt2"),
               {QStringLiteral("link"), built.filePath(QStringLiteral("res.zip")), QStringLiteral("-I"),
                QStringLiteral("/usr/share/android-framework-res/framework-res.apk"),
                QStringLiteral("--manifest"), built.filePath(QStringLiteral("AndroidManifest.xml")),
                QStringLiteral("-o"), built.filePath(QStringLiteral("app.apk"))});
    QVERIFY(aapt.waitForFinished(60000));
    QVERIFY2(aapt.exitCode() == 0, aapt.readAllStandardError().constData());
    // iOS: one square image at each scale, light and dark, as the image set names them.
    const QString set = work.filePath(QStringLiteral("ios/Splash.imageset/"));
    const QJsonArray images = QJsonDocument::fromJson(readAll(set + QStringLiteral("Contents.json")))
                                  .object()
                                  .value(QStringLiteral("images"))
                                  .toArray();
    QCOMPARE(images.size(), 6);
    int dark = 0;
    for (const QJsonValue& v : images) {
        const QJsonObject entry = v.toObject();
        QCOMPARE(image(set + entry.value(QStringLiteral("filename")).toString()).size(), QSize(2732, 2732));
        dark += entry.contains(QStringLiteral("appearances"));
    }
    QCOMPARE(dark, 3);
    // The web app starts on the same colour.
    const Packages::Sources sources(d, options);
    int manifests = 0;
    for (const Packages::Target& target : Packages::targets())
        if (qstrcmp(target.name, "web") == 0)
            for (const Packages::Job& job : target.files(sources))
                if (job.path == QLatin1String("manifest.webmanifest"))
                    manifests += job.bytes().contains("\"background_color\": \"#0055bf\"");
    QCOMPARE(manifests, 1);
    // The text, when kept.
    options.launchText = true;
    QVERIFY(yellow(Packages::launchScreen(Packages::Sources(d, options), QSize(720, 1280), false)));
    // [res/drawable/splash.png at its orientation]: the default folder's screens are portrait.
    QCOMPARE(image(android + QStringLiteral("res/drawable/splash.png")).size(), QSize(320, 480));
    QCOMPARE(image(android + QStringLiteral("res/drawable-land-hdpi/splash.png")).size(), QSize(800, 480));
    // [the launch colour of an odd pair]: a gradient's middle rounds half up.
    IconDesign odd;
    odd.useBackgroundColor = false;
    odd.useBackgroundGradient = true;
    odd.gradientStartColor = QColor(10, 20, 31);
    odd.gradientEndColor = QColor(11, 21, 32);
    QCOMPARE(Packages::launchColour(Packages::Sources(odd, options), false), QColor(11, 21, 32));

    // A navy logo keeps 3:1 from the dark screen, lifted as the dark icon lifts a shape; a chosen
    // dark colour paints the screen.
    IconDesign navy;
    navy.useImageFlat = false;
    navy.useImageCustom = true;
    navy.text.clear();
    navy.customVector = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                        "<circle cx=\"50\" cy=\"50\" r=\"45\" fill=\"#1a237e\"/>"
                        "<circle cx=\"50\" cy=\"50\" r=\"20\" fill=\"#283593\"/></svg>";
    navy.customImageSize = QSize(600, 600);
    navy.customImage = VectorPicture::draw(navy.customVector, QSize(600, 600));
    for (const QColor& screenColour : {QColor(), QColor(0x20, 0x10, 0x30)}) {
        Packages::Options dark = options;
        dark.splashDarkColor = screenColour;
        const QImage screen = Packages::launchScreen(Packages::Sources(navy, dark), QSize(600, 600), true);
        const QColor expected = screenColour.isValid() ? screenColour : QColor(0x12, 0x12, 0x14);
        QCOMPARE(screen.pixel(0, 0), expected.rgb());
        const QRgb middle = screen.pixel(300, 300 - 65); // on the outer disc
        const double ratio = (relativeLuminance(middle) + 0.05) / (relativeLuminance(expected.rgb()) + 0.05);
        QVERIFY2(ratio >= 3,
                 qPrintable(
                     QStringLiteral("%1 on %2: %3").arg(QColor(middle).name(), expected.name()).arg(ratio)));
    }
}

void TestPackages::variantsAreBadgedInEveryLook_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("place");
    using S = Packages::Badge::Style;
    using P = Packages::Badge::Place;
    QTest::newRow("banner at the bottom") << int(S::Banner) << int(P::Bottom);
    QTest::newRow("banner at the top") << int(S::Banner) << int(P::Top);
    QTest::newRow("ribbon across the top-left corner") << int(S::Ribbon) << int(P::TopLeft);
    QTest::newRow("dot in the bottom-right corner") << int(S::Corner) << int(P::BottomRight);
    QTest::newRow("grey") << int(S::Grey) << int(P::Bottom);
    QTest::newRow("tint") << int(S::Tint) << int(P::Bottom);
}

// A variant's badge is drawn into every look: inside the safe circle of the adaptive foreground (the
// logo keeping its size), in the themed layer as a shape with its letters cut out, 3:1 from the
// plate in the iOS dark and tinted icons; a grey variant is grey throughout; a store listing's
// picture is never badged.
void TestPackages::variantsAreBadgedInEveryLook()
{
    QFETCH(int, style);
    QFETCH(int, place);
    IconDesign design;
    design.text = QStringLiteral("Go");
    design.fontSize = 300;
    design.textOffsetY = -200;
    Packages::Options badged;
    badged.variant.name = QStringLiteral("beta");
    badged.variant.badge.style = Packages::Badge::Style(style);
    badged.variant.badge.place = Packages::Badge::Place(place);
    const Packages::Sources release(design, Packages::Options()), variant(design, badged);
    const bool drawn = style <= int(Packages::Badge::Style::Corner);
    // Badged on the release's pictures, as several builds in one run are, it is the variant drawn whole.
    const Packages::Sources derived(release, badged.variant);
    QCOMPARE(derived.icon(), variant.icon());
    QCOMPARE(derived.iconAt(48), variant.iconAt(48));
    QCOMPARE(derived.adaptiveMonochrome(432), variant.adaptiveMonochrome(432));
    QCOMPARE(derived.iosDark(), variant.iosDark());
    QCOMPARE(derived.iosTinted(), variant.iosTinted());
    // Where the two differ, and how.
    const auto differing = [](const QImage& a, const QImage& b) {
        QList<QPoint> at;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    at << QPoint(x, y);
        return at;
    };
    const QImage fr = release.adaptiveForeground(432), fb = variant.adaptiveForeground(432);
    QCOMPARE(Packages::fittedFrame(Packages::adaptiveFrame, variant.reach(), Packages::adaptiveSafeRadius),
             Packages::fittedFrame(Packages::adaptiveFrame, release.reach(), Packages::adaptiveSafeRadius));
    const QList<QPoint> badge = differing(fr, fb);
    QVERIFY(drawn ? badge.size() > 3000 : differing(release.icon(), variant.icon()).size() > 300000);
    for (const QPoint& p : badge)
        QVERIFY2(std::hypot(p.x() + 0.5 - 216, p.y() + 0.5 - 216) <= 33 * 4 + 1,
                 "the badge reaches past 33 dp");
    if (drawn) {
        // The themed shape gains the band and keeps holes for the letters inside it.
        const QImage mr = release.adaptiveMonochrome(432), mb = variant.adaptiveMonochrome(432);
        int gained = 0, cut = 0;
        for (const QPoint& p : differing(mr, mb))
            (qAlpha(mb.pixel(p)) > qAlpha(mr.pixel(p)) ? gained : cut) += 1;
        QVERIFY2(gained > 1000 && cut > 50, qPrintable(QStringLiteral("%1 %2").arg(gained).arg(cut)));
        // The band 3:1 from the dark icon's plate, and from the black the tinted glyph stands on.
        for (const auto& [look, plate] :
             {std::pair{std::pair{release.iosDark(), variant.iosDark()}, Packages::iosDarkPlate},
              {std::pair{release.iosTinted(), variant.iosTinted()}, QColor(Qt::black)}}) {
            QList<double> tones;
            for (const QPoint& p : differing(look.first, look.second))
                if (qAlpha(look.second.pixel(p)) == 255)
                    tones << Packages::luminanceOf(look.second.pixel(p));
            std::sort(tones.begin(), tones.end());
            QVERIFY(tones.size() > 1000);
            QVERIFY2(Packages::contrastRatio(tones[tones.size() / 2], Packages::luminanceOf(plate.rgb())) >=
                         3,
                     qPrintable(QString::number(tones[tones.size() / 2])));
        }
    }
    // The macOS icon too.
    const auto icns = [](const Packages::Sources& s) {
        for (const Packages::Target& t : Packages::targets())
            for (const Packages::Job& job :
                 QLatin1String(t.name) == QLatin1String("macos") ? t.files(s) : Packages::Jobs())
                if (job.path == QLatin1String("AppIcon.icns"))
                    return job.bytes();
        return QByteArray();
    };
    QVERIFY(!icns(release).isEmpty() && icns(release) != icns(variant));
    // The layered document shows it in front of the rest, as vectors that draw what the icons show
    // in each appearance.
    const Packages::IconDocument document = Packages::iconDocument(variant);
    const QJsonObject front = document.json.value(QStringLiteral("groups")).toArray().at(0).toObject();
    QCOMPARE(front.value(QStringLiteral("name")).toString() == QLatin1String("Badge"), drawn);
    QCOMPARE(document.vectors.size(), drawn ? 3 : 0);
    const QMap<QString, Packages::BadgeLook> looks = {
        {QStringLiteral("Badge.svg"), Packages::BadgeLook::Light},
        {QStringLiteral("Badge Dark.svg"), Packages::BadgeLook::Dark},
        {QStringLiteral("Badge Tinted.svg"), Packages::BadgeLook::Tinted}};
    for (const auto& [name, svg] : document.vectors) {
        QVERIFY(looks.contains(name));
        const QImage drawnBack = VectorPicture::draw(svg, QSize(1024, 1024));
        const QImage shown = Packages::withBadge(Packages::transparentImage(1024), variant.options().variant,
                                                 looks.value(name));
        int apart = 0, opaque = 0;
        for (int y = 0; y < 1024; y += 2)
            for (int x = 0; x < 1024; x += 2) {
                const QRgb a = drawnBack.pixel(x, y), b = shown.pixel(x, y);
                opaque += qAlpha(b) == 255;
                apart += std::abs(qAlpha(a) - qAlpha(b)) > 128 || std::abs(qGray(a) - qGray(b)) > 24;
            }
        QVERIFY2(opaque > 5000 && apart < opaque / 50,
                 qPrintable(QStringLiteral("%1: %2 of %3").arg(name).arg(apart).arg(opaque)));
    }
    if (style == int(Packages::Badge::Style::Grey)) {
        const QImage icon = variant.icon().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < icon.height(); y += 7)
            for (int x = 0; x < icon.width(); x += 7) {
                const QRgb p = icon.pixel(x, y);
                QVERIFY2(std::abs(qRed(p) - qGreen(p)) <= 1 && std::abs(qGreen(p) - qBlue(p)) <= 1,
                         "not grey");
            }
    }
    // No listing picture for a variant; the release keeps its own.
    QTemporaryDir folder;
    QVERIFY(Packages::writePackage(design, folder.filePath(QStringLiteral("beta")),
                                   {QStringLiteral("android")}, badged)
                .failed.isEmpty());
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("beta/playstore-icon.png"))));
    QVERIFY(QFileInfo::exists(folder.filePath(QStringLiteral("beta/res/mipmap-xxxhdpi/ic_launcher.png"))));
}

void TestPackages::commandLine()
{
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("Shop Icon.ipr"), {});
    Run run = cli({QStringLiteral("package"), project, work.filePath(QStringLiteral("w")),
                   QStringLiteral("--target"), QStringLiteral("windows")});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith(QStringLiteral("Wrote ") + work.filePath(QStringLiteral("w/app.ico")) +
                               QLatin1Char('\n')));
    QCOMPARE(run.out.count(QStringLiteral("Wrote ")), 89);
    // The Store package's tiles, at the sizes their names promise.
    const struct
    {
        const char* file;
        QSize size;
    } tiles[] = {{"Square44x44Logo.scale-200.png", {88, 88}},
                 {"Square44x44Logo.targetsize-24_altform-unplated.png", {24, 24}},
                 {"Square44x44Logo.targetsize-256_altform-lightunplated.png", {256, 256}},
                 {"Square44x44Logo.targetsize-20_altform-lightunplated.png", {20, 20}},
                 {"Square44x44Logo.targetsize-96.png", {96, 96}},
                 {"LockScreenLogo.scale-400.png", {96, 96}},
                 {"BadgeLogo.scale-125.png", {30, 30}},
                 {"Square150x150Logo.scale-100.png", {150, 150}},
                 {"Square71x71Logo.scale-125.png", {89, 89}},
                 {"Wide310x150Logo.scale-100.png", {310, 150}},
                 {"StoreLogo.scale-100.png", {50, 50}},
                 {"SplashScreen.scale-400.png", {2480, 1200}}};
    for (const auto& tile : tiles)
        QCOMPARE(image(work.filePath(QStringLiteral("w/Assets/") + QLatin1String(tile.file))).size(),
                 tile.size);
    const QString elements =
        QString::fromUtf8(readAll(work.filePath(QStringLiteral("w/VisualElements.xml"))));
    QVERIFY(elements.contains(QStringLiteral("Square44x44Logo=\"Assets\\Square44x44Logo.png\"")));
    QVERIFY(elements.contains(QStringLiteral("DisplayName=\"Shop Icon\"")));
    // A comma list and --option=value; names taken from the project file; JSON for scripts.
    run = cli({QStringLiteral("--json"), QStringLiteral("package"), project,
               work.filePath(QStringLiteral("two")), QStringLiteral("--target=linux,web"),
               QStringLiteral("--background=#102030")});
    QCOMPARE(run.status, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(json.value(QStringLiteral("failed")).toArray().size(), 0);
    const QJsonArray written = json.value(QStringLiteral("written")).toArray();
    QCOMPARE(written.size(), 10 + 11);
    for (const QJsonValue& v : written) {
        const QJsonObject o = v.toObject();
        const QString path = o.value(QStringLiteral("path")).toString();
        QVERIFY2(path.startsWith(work.filePath(QStringLiteral("two/linux/"))) ||
                     path.startsWith(work.filePath(QStringLiteral("two/web/"))),
                 qPrintable(path));
        QCOMPARE(o.value(QStringLiteral("bytes")).toInt(), int(QFileInfo(path).size()));
        if (path.endsWith(QLatin1String(".png")))
            QCOMPARE(
                QSize(o.value(QStringLiteral("width")).toInt(), o.value(QStringLiteral("height")).toInt()),
                QImage(path).size());
        else if (!path.endsWith(QLatin1String(".ico")) && !path.endsWith(QLatin1String(".icns")))
            QVERIFY(o.value(QStringLiteral("width")).isNull());
    }
    QVERIFY(QFile::exists(work.filePath(QStringLiteral("two/linux/hicolor/48x48/apps/Shop-Icon.png"))));
    QVERIFY(readAll(work.filePath(QStringLiteral("two/web/manifest.webmanifest")))
                .contains("\"name\": \"Shop Icon\""));
    // The preview sheet.
    const QString sheet = work.filePath(QStringLiteral("sheet.png"));
    QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("preview"), project, sheet}).status, 0);
    QCOMPARE(QImage(sheet).size(), Packages::previewSheet(IconDesign()).size());
    for (const QStringList& bad :
         QList<QStringList>{{QStringLiteral("package"), project, work.filePath(QStringLiteral("x"))},
                            {QStringLiteral("package"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target"), QStringLiteral("symbian")},
                            {QStringLiteral("package"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target=ios,")},
                            {QStringLiteral("package"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target=ios"), QStringLiteral("--background=notacolour")},
                            {QStringLiteral("package"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target=linux"), QStringLiteral("--app-id=../evil")},
                            {QStringLiteral("icons"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target"), QStringLiteral("web")},
                            {QStringLiteral("render"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--name=x")},
                            {QStringLiteral("icons"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--no-stamp=1")}}) {
        QCOMPARE(cli(bad).status, 2);
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("x"))));
    }
}

void TestPackages::defaultAppId_data()
{
    QTest::addColumn<QString>("projectFile");
    QTest::addColumn<QString>("id");
    QTest::newRow("case kept") << QStringLiteral("/p/Tidewater.ipr") << QStringLiteral("Tidewater");
    QTest::newRow("spaces and symbols") << QStringLiteral("/p/My App (2)!.ipr") << QStringLiteral("My-App-2");
    QTest::newRow("dots kept inside")
        << QStringLiteral("/p/org.example.App.ipr") << QStringLiteral("org.example.App");
    QTest::newRow("no dot or dash at the start") << QStringLiteral("/p/..-x.ipr") << QStringLiteral("x");
    QTest::newRow("no dash at the end") << QStringLiteral("/p/app-.ipr") << QStringLiteral("app");
    QTest::newRow("letters outside ASCII") << QStringLiteral("/p/Ünïcode.ipr") << QStringLiteral("n-code");
    QTest::newRow("nothing left") << QStringLiteral("/p/%%%.ipr") << QStringLiteral("app");
    QTest::newRow("unsaved") << QString() << QStringLiteral("app");
    QTest::newRow("cut at 250") << QStringLiteral("/p/") + QString(300, QLatin1Char('a')) +
                                       QStringLiteral(".ipr")
                                << QString(250, QLatin1Char('a'));
    QTest::newRow("cut before a dash is dropped")
        << QStringLiteral("/p/") + QString(249, QLatin1Char('a')) + QStringLiteral(" b.ipr")
        << QString(249, QLatin1Char('a'));
}

// The Linux icon name and app id a project's file name gives.
void TestPackages::defaultAppId()
{
    QFETCH(QString, projectFile);
    QFETCH(QString, id);
    QCOMPARE(Packages::defaultAppId(projectFile), id);
}

// The layered document keeps an SVG picture as an SVG layer, placed where the icon shows it.
void TestPackages::androidVectorLayers_data()
{
    QTest::addColumn<QString>("svg");     // inside <svg viewBox="0 0 100 100">; empty: no picture
    QTest::addColumn<QString>("refused"); // what keeps it in pixels; empty: it maps
    const QString gradient = QStringLiteral(
        "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"><stop offset=\"0\" "
        "stop-color=\"#f80\"/><stop offset=\"1\" stop-color=\"#06c\"/></linearGradient></defs>");
    QTest::newRow("linear gradient, turned and skewed")
        << gradient + QStringLiteral("<g transform=\"rotate(20 50 50) skewX(12)\"><rect x=\"22\" y=\"22\" "
                                     "width=\"56\" height=\"56\" rx=\"8\" fill=\"url(#g)\"/></g>")
        << QString();
    QTest::newRow("radial gradient in user space, translucent stop")
        << QStringLiteral(
               "<defs><radialGradient id=\"r\" gradientUnits=\"userSpaceOnUse\" cx=\"45\" cy=\"45\" "
               "r=\"40\"><stop offset=\"0.2\" stop-color=\"#fff\"/><stop offset=\"1\" "
               "stop-color=\"rgb(0,80,160)\" stop-opacity=\"0.5\"/></radialGradient></defs>"
               "<circle cx=\"50\" cy=\"50\" r=\"38\" fill=\"url(#r)\"/>")
        << QString();
    QTest::newRow("strokes: an arc with round caps, a mitred polyline")
        << QStringLiteral(
               "<path d=\"M20 70 A30 30 0 0 1 80 70\" fill=\"none\" stroke=\"#0a0\" stroke-width=\"8\" "
               "stroke-linecap=\"round\"/><polyline points=\"20,35 50,12 80,35\" fill=\"none\" "
               "style=\"stroke:#333;stroke-width:6;stroke-linejoin:miter\"/>")
        << QString();
    QTest::newRow("a stroke stretched one way (drawn as its outline)")
        << QStringLiteral("<g transform=\"scale(1 0.5)\"><circle cx=\"50\" cy=\"100\" r=\"32\" fill=\"#fc0\" "
                          "stroke=\"#c00\" stroke-width=\"8\"/></g>")
        << QString();
    QTest::newRow("even-odd ring at 60 % opacity, relative commands")
        << QStringLiteral("<path d=\"M50 14a36 36 0 1 0 .1 0zm0 16a20 20 0 1 0 .1 0z\" fill=\"#036\" "
                          "fill-rule=\"evenodd\" opacity=\"0.6\"/>")
        << QString();
    QTest::newRow("text as paths, with its shadow and outline") << QString() << QString();
    // (Numbers after a close once had the reader loop for ever: drawn as far as readable.)
    QTest::newRow("path data read as far as it is sound")
        << QStringLiteral("<path d=\"M20 20L80 20L50 80Z 5 5\" fill=\"#333\"/><path d=\"M10 90h80v5h-80z.5\" "
                          "fill=\"#c00\"/>")
        << QString();
    QTest::newRow("filter")
        << QStringLiteral("<defs><filter id=\"f\"><feGaussianBlur stdDeviation=\"2\"/></filter></defs>\n"
                          "<circle cx=\"50\" cy=\"50\" r=\"30\" filter=\"url(#f)\"/>")
        << QStringLiteral("its <circle> on line 2: a filter has no form");
    QTest::newRow("clip path") << QStringLiteral(
                                      "<clipPath id=\"c\"><rect width=\"50\" height=\"100\"/></clipPath>\n"
                                      "<g clip-path=\"url(#c)\"><circle cx=\"50\" cy=\"50\" r=\"30\"/></g>")
                               << QStringLiteral("its <g> on line 2: a clip path");
    QTest::newRow("text in the SVG") << QStringLiteral("<text x=\"10\" y=\"50\">Hi</text>")
                                     << QStringLiteral("its <text> on line 1: text (outline it");
    QTest::newRow("a drawing too detailed for a layer")
        << QStringLiteral("<circle cx=\"50\" cy=\"50\" r=\"9\"/>").repeated(1600)
        << QStringLiteral("its <circle> on line 1: a drawing of more than 20000 path points");
    QTest::newRow("a group's opacity")
        << QStringLiteral("<g opacity=\"0.5\"><rect width=\"9\" height=\"9\"/></g>")
        << QStringLiteral("its <g> on line 1: a group's opacity");
}

// The adaptive icon's foreground and background as vector drawables: lint-clean, taken by aapt2,
// and drawn back, the PNG layers they replace within 2 levels inside their shapes; an SVG element
// with no form as paths keeps the PNG layers and is named.
void TestPackages::androidVectorLayers()
{
    QFETCH(QString, svg);
    QFETCH(QString, refused);
    IconDesign d;
    d.useImageFlat = false;
    if (!svg.isEmpty()) {
        d.useImageCustom = true;
        d.customVector =
            ("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\">" + svg + "</svg>").toUtf8();
        d.customImageSize = QSize(560, 560);
        d.customImage = VectorPicture::draw(d.customVector, d.customImageSize);
        d.useBackgroundColor = false;
        d.useBackgroundGradient = true;
        d.gradientEndY = 1024;
    } else {
        d.text = QStringLiteral("Go");
        d.fontSize = 260;
        d.textShadow = true;
        d.textStroke = true;
        d.strokeWidth = 6;
        d.strokeColor = QColor(20, 40, 90);
    }
    const Packages::Options options;
    const Problem why = Packages::androidVectorProblem(d, options);
    QTemporaryDir work;
    QVERIFY(Packages::writePackage(d, work.path(), {QStringLiteral("android")}, options).failed.isEmpty());
    const QString res = work.filePath(QStringLiteral("res/"));
    const QByteArray adaptive = readAll(res + QStringLiteral("mipmap-anydpi-v26/ic_launcher.xml"));
    if (!refused.isEmpty()) {
        QVERIFY2(why.text().startsWith(refused), qPrintable(why.text()));
        QVERIFY(!QFile::exists(res + QStringLiteral("drawable")));
        QVERIFY(QFile::exists(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png")));
        QVERIFY(adaptive.contains("@mipmap/ic_launcher_foreground"));
        return;
    }
    QVERIFY2(!why, qPrintable(why.text()));
    QVERIFY(adaptive.contains("@drawable/ic_launcher_foreground") &&
            adaptive.contains("@drawable/ic_launcher_background"));
    QVERIFY(!QFile::exists(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png")));
    const Packages::Sources sources(d, options);
    const bool themed = QFile::exists(res + QStringLiteral("drawable/ic_launcher_monochrome.xml"));
    QCOMPARE(adaptive.contains("@drawable/ic_launcher_monochrome"), themed);
    QCOMPARE(QFile::exists(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_monochrome.png")), !themed);
    for (const char* layer : {"foreground", "background", "monochrome"}) {
        if (!themed && qstrcmp(layer, "monochrome") == 0)
            continue;
        const QByteArray xml =
            readAll(res + QStringLiteral("drawable/ic_launcher_%1.xml").arg(QLatin1String(layer)));
        // What lint takes: no exponents, no number starting with a dot, paths under 800 characters,
        // colours of eight digits, a 108 viewport.
        QVERIFY(xml.contains("android:viewportWidth=\"108\"") &&
                xml.contains("android:viewportHeight=\"108\""));
        static const QRegularExpression data(QStringLiteral("android:pathData=\"([^\"]*)\""));
        for (auto m = data.globalMatch(QString::fromUtf8(xml)); m.hasNext();) {
            const QString d = m.next().captured(1);
            QVERIFY2(!d.contains(QRegularExpression(QStringLiteral("[eE]|(^|[^0-9])\\."))), qPrintable(d));
            QVERIFY2(d.size() <= 800, qPrintable(QString::number(d.size())));
        }
        static const QRegularExpression colours(
            QStringLiteral("android:(fill|stroke)?[cC]olor=\"([^\"]*)\""));
        for (auto m = colours.globalMatch(QString::fromUtf8(xml)); m.hasNext();)
            QVERIFY(
                QRegularExpression(QStringLiteral("^#[0-9A-F]{8}$")).match(m.next().captured(2)).hasMatch());
        // Drawn back at xxxhdpi, it is the PNG layer it replaces.
        const QImage drawn = VectorPicture::draw(drawableAsSvg(xml, 432), QSize(432, 432));
        const QImage png = qstrcmp(layer, "foreground") == 0   ? sources.adaptiveForeground(432)
                           : qstrcmp(layer, "background") == 0 ? sources.adaptiveBackground(432)
                                                               : sources.adaptiveMonochrome(432);
        QVERIFY(!drawn.isNull());
        QCOMPARE(unfaithfulPixels(drawn, png), 0);
    }
    // aapt2 compiles and links them.
    writeFile(
        work.filePath(QStringLiteral("AndroidManifest.xml")),
        "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" package=\"com.example.v\">"
        "<uses-sdk android:minSdkVersion=\"21\"/><application "
        "android:icon=\"@mipmap/ic_launcher\"/></manifest>");
    Process aapt;
    aapt.start(QStringLiteral("aapt2"), {QStringLiteral("compile"), QStringLiteral("--dir"), res,
                                         QStringLiteral("-o"), work.filePath(QStringLiteral("res.zip"))});
    QVERIFY(aapt.waitForFinished(60000));
    QVERIFY2(aapt.exitCode() == 0, aapt.readAllStandardError().constData());
    aapt.start(QStringLiteral("aapt2"),
               {QStringLiteral("link"), work.filePath(QStringLiteral("res.zip")), QStringLiteral("-I"),
                QStringLiteral("/usr/share/android-framework-res/framework-res.apk"),
                QStringLiteral("--manifest"), work.filePath(QStringLiteral("AndroidManifest.xml")),
                QStringLiteral("-o"), work.filePath(QStringLiteral("app.apk"))});
    QVERIFY(aapt.waitForFinished(60000));
    QVERIFY2(aapt.exitCode() == 0, aapt.readAllStandardError().constData());
}

void TestPackages::svgPictureIsAVectorLayer()
{
    IconDesign d = svgLogoDesign();
    d.imageScale = 500;
    d.imageOffsetX = 60;
    QTemporaryDir out;
    Packages::Options options;
    options.name = options.appId = QStringLiteral("Logo");
    QVERIFY(Packages::writePackage(d, out.path(), {QStringLiteral("ios")}, options).failed.isEmpty());
    const QString assets = out.filePath(QStringLiteral("AppIcon.icon/Assets/"));
    QVERIFY(QFile::exists(assets + QStringLiteral("Picture.svg")));
    QVERIFY(!QFile::exists(assets + QStringLiteral("Picture.png")));
    QVERIFY(readAll(out.filePath(QStringLiteral("AppIcon.icon/icon.json"))).contains("\"Picture.svg\""));
    // Drawn at 1024, the layer is the picture as the icon places it.
    QSize size;
    Problem why;
    const QByteArray layer =
        VectorPicture::read(readAll(assets + QStringLiteral("Picture.svg")), &size, &why);
    QVERIFY2(!layer.isEmpty(), qPrintable(why.text()));
    QCOMPARE(size, QSize(1024, 1024));
    const QImage drawn = VectorPicture::draw(layer, size);
    const QRect placed = customPicturePlacement(d, QSize(1024, 1024));
    QCOMPARE(placed, QRect((1024 - 120) / 2 + 60, (1024 - 120) / 2, 120, 120));
    QCOMPARE(drawn.pixel(placed.center()), qRgb(0xff, 0xca, 0x28));
    // The square is inset 4 of 24 units: 20 of 120 pixels.
    QCOMPARE(drawn.pixel(placed.left() + 23, placed.top() + 23), qRgb(0x15, 0x65, 0xc0));
    QCOMPARE(qAlpha(drawn.pixel(placed.left() + 17, placed.top() + 17)), 0);
}

// Two files of a package: the second shares the first's encoding only where it shows the same
// pixels stored the same way, and declares its own density either way.
void TestPackages::picturesShownTwiceAreEncodedOnce_data()
{
    QTest::addColumn<QImage>("first");
    QTest::addColumn<QImage>("second");
    QTest::addColumn<bool>("secondGrey");
    QTest::addColumn<bool>("shared");
    // Premultiplied, half covered: what the looks hand the encoder.
    const auto picture = [](QRgb corner) {
        QImage image(512, 512, QImage::Format_ARGB32_Premultiplied);
        image.fill(qRgba(40, 40, 40, 128));
        image.setPixel(511, 511, corner);
        return image;
    };
    const QImage one = picture(qRgba(0, 0, 0, 0));
    QTest::newRow("one image") << one << one << true << true;
    QTest::newRow("the same pixels, made apart") << one << picture(qRgba(0, 0, 0, 0)) << true << true;
    QTest::newRow("a pixel apart") << one << picture(qRgba(9, 9, 9, 255)) << true << false;
    QTest::newRow("the same pixels, one stored in colour")
        << one << picture(qRgba(0, 0, 0, 0)) << false << false;
}

void TestPackages::picturesShownTwiceAreEncodedOnce()
{
    QFETCH(QImage, first);
    QFETCH(QImage, second);
    QFETCH(bool, secondGrey);
    QFETCH(bool, shared);
    Packages::Jobs jobs{Packages::pngJob(
                            QStringLiteral("a.png"), [first] { return first; }, true),
                        Packages::pngJob(
                            QStringLiteral("b.png"), [second] { return second; }, secondGrey)};
    jobs[1].dotsPerMeter = Png::appleLayerDotsPerMeter;
    const QVector<QByteArray> bytes = Packages::fileBytes(jobs);
    QCOMPARE(bytes[1] == Png::withDensity(bytes[0], Png::appleLayerDotsPerMeter), shared);
    const QImage read = QImage::fromData(bytes[1], "PNG");
    QCOMPARE(read.dotsPerMeterX(), Png::appleLayerDotsPerMeter);
    QCOMPARE(read.convertToFormat(QImage::Format_ARGB32), second.convertToFormat(QImage::Format_ARGB32));
    // Grey is stored as grey (PNG colour type 4), colour as RGBA (6).
    QCOMPARE(int(bytes[1][25]), secondGrey && qIsGray(second.pixel(511, 511)) ? 4 : 6);
}

QTEST_MAIN(TestPackages)
#include "test_packages.moc"
