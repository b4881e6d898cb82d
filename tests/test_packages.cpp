// Platform icon packages: every file read back, containers checked by the toolkit and by
// independent tools, the layers' geometry and the platforms' alpha rules.
#include "tests/support/testsupport.h"

#include "export/commandline.h"
#include "export/platformpackages.h"
#include "project/projectformat.h"
#include "resources/initresources.h"

#include <QtGui>
#include <QtTest>

#include <cmath>

using namespace TestSupport;

namespace {

QImage image(const QString& path)
{
    QImageReader reader(path);
    const QImage img = reader.read();
    if (img.isNull())
        qWarning("cannot read %s: %s", qPrintable(path), qPrintable(reader.errorString()));
    return img.convertToFormat(QImage::Format_ARGB32);
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
    QProcess p;
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

} // namespace

class TestPackages : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase();
    void android();
    void ios();
    void macos();
    void windowsAndFavicon();
    void web();
    void transparentBackgroundStillGivesOpaqueStoreIcons();
    void commandLine();

  private:
    QTemporaryDir dir;
    QString out;
};

void TestPackages::initTestCase()
{
    initResources();
    out = dir.filePath(QStringLiteral("all"));
    const Packages::Outcome outcome = Packages::writePackage(gradientWithText(), out, QStringLiteral("all"));
    QVERIFY2(outcome.failed.isEmpty(), qPrintable(outcome.failed.value(0).path + QStringLiteral(": ") +
                                                  outcome.failed.value(0).reason));
    QCOMPARE(outcome.written.size(), 5 * 5 + 3 + 4 + 1 + 1 + 6);
}

void TestPackages::android()
{
    const QString res = out + QStringLiteral("/android/res/");
    const struct
    {
        const char* density;
        int legacy, adaptive;
    } densities[] = {{"mdpi", 48, 108},
                     {"hdpi", 72, 162},
                     {"xhdpi", 96, 216},
                     {"xxhdpi", 144, 324},
                     {"xxxhdpi", 192, 432}};
    for (const auto& d : densities) {
        const QString dir = res + QStringLiteral("mipmap-") + QLatin1String(d.density) + QLatin1Char('/');
        QCOMPARE(image(dir + QStringLiteral("ic_launcher.png")).size(), QSize(d.legacy, d.legacy));
        const QImage round = image(dir + QStringLiteral("ic_launcher_round.png"));
        QCOMPARE(round.size(), QSize(d.legacy, d.legacy));
        const int corner = d.legacy / 10; // outside the circle, inside a rounded square
        QCOMPARE(qAlpha(round.pixel(corner, corner)), 0);
        QCOMPARE(qAlpha(round.pixel(d.legacy / 2, 1)), 255);
        const QImage fg = image(dir + QStringLiteral("ic_launcher_foreground.png"));
        const QImage bg = image(dir + QStringLiteral("ic_launcher_background.png"));
        const QImage mono = image(dir + QStringLiteral("ic_launcher_monochrome.png"));
        for (const QImage* layer : {&fg, &bg, &mono})
            QCOMPARE(layer->size(), QSize(d.adaptive, d.adaptive));
        // The design canvas fills the central 72 of 108 dp: nothing of the foreground outside it.
        const int margin = d.adaptive / 6;
        int content = 0;
        for (int y = 0; y < d.adaptive; ++y) {
            for (int x = 0; x < d.adaptive; ++x) {
                const bool inside =
                    x >= margin && x < d.adaptive - margin && y >= margin && y < d.adaptive - margin;
                if (!inside)
                    QCOMPARE(qAlpha(fg.pixel(x, y)), 0);
                content += qAlpha(fg.pixel(x, y)) > 0;
                QCOMPARE(qAlpha(bg.pixel(x, y)), 255); // full-bleed
                const QRgb m = mono.pixel(x, y);
                QCOMPARE(qAlpha(m), qAlpha(fg.pixel(x, y)));
                if (qAlpha(m))
                    QCOMPARE(m | 0xff000000u, 0xffffffffu); // single colour: white
            }
        }
        QVERIFY(content > d.adaptive * d.adaptive / 20);
        // The background is the design's fill, not a cut icon: no rounded corners.
        QCOMPARE(qAlpha(bg.pixel(0, 0)), 255);
    }
    for (const char* name : {"ic_launcher.xml", "ic_launcher_round.xml"}) {
        QFile f(res + QStringLiteral("mipmap-anydpi-v26/") + QLatin1String(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QStringList layers;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() != QLatin1String("adaptive-icon")) {
                const QString drawable =
                    xml.attributes().value(QStringLiteral("android:drawable")).toString();
                layers << xml.name().toString() + QLatin1Char('=') + drawable;
                QVERIFY(QFile::exists(res + QStringLiteral("mipmap-mdpi/") + drawable.mid(8) +
                                      QStringLiteral(".png")));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(layers, QStringList({"background=@mipmap/ic_launcher_background",
                                      "foreground=@mipmap/ic_launcher_foreground",
                                      "monochrome=@mipmap/ic_launcher_monochrome"}));
    }
    const QString store = out + QStringLiteral("/android/playstore-icon.png");
    QCOMPARE(image(store).size(), QSize(512, 512));
    QCOMPARE(pngColourType(store), 2);
    QCOMPARE(qAlpha(image(store).pixel(0, 0)), 255);
}

void TestPackages::ios()
{
    const QString set = out + QStringLiteral("/ios/AppIcon.appiconset/");
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
}

void TestPackages::macos()
{
    const QString path = out + QStringLiteral("/macos/AppIcon.icns");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
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
    // The design is the 824 body centred in 1024.
    const QImage big =
        QImage::fromData(bytes.mid(bytes.indexOf("ic10") + 8), "PNG").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(big.pixel(512, 60)), 0);
    QCOMPARE(qAlpha(big.pixel(512, 140)), 255);
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
    } icos[] = {{"/windows/app.ico", {16, 24, 32, 48, 64, 128, 256}}, {"/web/favicon.ico", {16, 32, 48}}};
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
}

void TestPackages::web()
{
    const QString web = out + QStringLiteral("/web/");
    QCOMPARE(image(web + QStringLiteral("icon-192.png")).size(), QSize(192, 192));
    QCOMPARE(image(web + QStringLiteral("icon-512.png")).size(), QSize(512, 512));
    QCOMPARE(image(web + QStringLiteral("apple-touch-icon.png")).size(), QSize(180, 180));
    QCOMPARE(pngColourType(web + QStringLiteral("apple-touch-icon.png")), 2);
    // Maskable: full-bleed background, and all content inside the central 80 % circle.
    const QImage maskable = image(web + QStringLiteral("icon-maskable-512.png"));
    const QImage background = Packages::backgroundLayer(gradientWithText(), QRectF(0, 0, 1024, 1024), 512)
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
    QFile manifest(web + QStringLiteral("manifest-icons.json"));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    const QJsonArray icons =
        QJsonDocument::fromJson(manifest.readAll()).object().value(QStringLiteral("icons")).toArray();
    QCOMPARE(icons.size(), 3);
    QStringList purposes;
    for (const QJsonValue& v : icons) {
        const QJsonObject o = v.toObject();
        const QImage img = image(web + o.value(QStringLiteral("src")).toString());
        QCOMPARE(o.value(QStringLiteral("sizes")).toString(), QStringLiteral("%1x%1").arg(img.width()));
        QCOMPARE(o.value(QStringLiteral("type")).toString(), QStringLiteral("image/png"));
        purposes << o.value(QStringLiteral("purpose")).toString();
    }
    QCOMPARE(purposes, QStringList({"any", "any", "maskable"}));
}

void TestPackages::transparentBackgroundStillGivesOpaqueStoreIcons()
{
    IconDesign d;
    d.useBackgroundColor = false;
    d.useBackgroundTransparent = true;
    QTemporaryDir other;
    QVERIFY(Packages::writePackage(d, other.path(), QStringLiteral("android")).failed.isEmpty());
    QVERIFY(Packages::writePackage(d, other.path(), QStringLiteral("ios")).failed.isEmpty());
    const QString store = other.filePath(QStringLiteral("playstore-icon.png"));
    QCOMPARE(pngColourType(store), 2);
    QCOMPARE(image(store).pixel(2, 2), qRgb(255, 255, 255));
    QCOMPARE(pngColourType(other.filePath(QStringLiteral("AppIcon.appiconset/AppIcon-1024.png"))), 2);
    // A single target writes straight into the folder, no sub-folder.
    QVERIFY(QFile::exists(other.filePath(QStringLiteral("res/mipmap-mdpi/ic_launcher.png"))));
}

void TestPackages::commandLine()
{
    QTemporaryDir work;
    const QString project = work.filePath(QStringLiteral("p.ipr"));
    QFile f(project);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Project::formatLines(Project::defaultState()));
    f.close();
    QString text, errors;
    QTextStream o(&text), e(&errors);
    QCOMPARE(runCommandLine({QStringLiteral("package"), project, work.filePath(QStringLiteral("w")),
                             QStringLiteral("--target"), QStringLiteral("windows")},
                            o, e),
             0);
    o.flush();
    QCOMPARE(text, QStringLiteral("Wrote ") + work.filePath(QStringLiteral("w/app.ico")) + QLatin1Char('\n'));
    for (const QStringList& bad :
         QList<QStringList>{{QStringLiteral("package"), project, work.filePath(QStringLiteral("x"))},
                            {QStringLiteral("package"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target"), QStringLiteral("symbian")},
                            {QStringLiteral("icons"), project, work.filePath(QStringLiteral("x")),
                             QStringLiteral("--target"), QStringLiteral("web")}}) {
        QCOMPARE(runCommandLine(bad, o, e), 2);
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("x"))));
    }
}

QTEST_MAIN(TestPackages)
#include "test_packages.moc"
