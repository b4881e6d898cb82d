// The compiled-in artwork: paths, sizes, placement, the vendored sources and the picture lists.
#include "tests/support/testsupport.h"

#include "app/mainwindow.h"
#include "render/artwork.h"
#include "resources/initresources.h"

#include <QtTest>
#include <QtWidgets>

using namespace TestSupport;

namespace {

struct Ink
{
    QRect box;
    bool whiteOnly = true;
    int colours = 0;
};

Ink inspect(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = line[x];
            if (qAlpha(px) > 0 && (qRed(px) != 255 || qGreen(px) != 255 || qBlue(px) != 255))
                ink.whiteOnly = false;
            if (qAlpha(px) > 8) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
            if (qAlpha(px) == 255 && seen.size() < 64)
                seen.insert(px & 0xF0F0F0); // coarse colours, ignoring antialiasing shades
        }
    }
    ink.box = x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
    ink.colours = seen.size();
    return ink;
}

// Lines of a vendored SOURCES file, without comments.
QList<QStringList> sources(const QString& set)
{
    QFile f(QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/resources/artwork/") + set + QStringLiteral("/SOURCES"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return rows;
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase() { initResources(); }
    void pictures_data();
    void pictures();
    void colouredSetIsMulticoloured();
    void boxshot();
    void vendoredSourcesMatchTheLists();
    void vendoredSvgsAvoidWhatTheRasteriserGetsWrong();
    void listsAfterStartUp();
    void categoryLists_data();
    void categoryLists();
};

void TestArtwork::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("kind"); // "flat", "colored", "pictogram"
    for (int n = 1; n <= Artwork::flatCount; ++n)
        QTest::newRow(qPrintable(Artwork::flatPath(n))) << Artwork::flatPath(n) << 1024 << "flat";
    for (int n = 1; n <= Artwork::coloredCount; ++n)
        QTest::newRow(qPrintable(Artwork::coloredPath(n))) << Artwork::coloredPath(n) << 1024 << "colored";
    for (int c = 0; c < Artwork::categoryCount; ++c)
        for (int n = 1; n <= Artwork::categories[c].pictures; ++n)
            QTest::newRow(qPrintable(Artwork::graphicPath(c, n)))
                << Artwork::graphicPath(c, n) << 420 << "pictogram";
}

void TestArtwork::pictures()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    QFETCH(QString, kind);
    QString thumbPath = path;
    thumbPath.replace(QStringLiteral(".png"), QStringLiteral("-small.png"));
    const QImage full(path), thumb(thumbPath);
    QCOMPARE(full.size(), QSize(size, size));
    QCOMPARE(thumb.size(), QSize(100, 100));
    // Tintable thumbnails are dark grey so that they show on the white lists.
    if (kind != QLatin1String("colored")) {
        const QImage argb = thumb.convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (qAlpha(argb.pixel(x, y)) == 255) {
                    ++opaque;
                    QCOMPARE(argb.pixel(x, y), qRgb(60, 60, 60));
                }
        QVERIFY(opaque > 0);
    }
    for (const QImage* img : {&full, &thumb}) {
        const Ink ink = inspect(*img);
        QVERIFY2(!ink.box.isNull(), "blank picture");
        if (kind != QLatin1String("colored") && img == &full)
            QVERIFY2(ink.whiteOnly, "tintable picture must be white with the shape in alpha");
        if (kind != QLatin1String("pictogram")) {
            // Fitted on the ink box: longer side 66 % of the canvas, centred, within a pixel or two.
            const int side = img->width();
            const double expected = 0.66 * side;
            const double longer = std::max(ink.box.width(), ink.box.height());
            QVERIFY2(std::abs(longer - expected) <= 2.0 + side / 256.0, qPrintable(QString::number(longer)));
            const QPointF centre = QRectF(ink.box).center();
            QVERIFY(std::abs(centre.x() + 0.5 - side / 2.0) <= 2.0 + side / 256.0);
            QVERIFY(std::abs(centre.y() + 0.5 - side / 2.0) <= 2.0 + side / 256.0);
        } else {
            // Pictograms sit inside a 5 % margin.
            QVERIFY(ink.box.left() >= img->width() * 0.05 - 1);
            QVERIFY(ink.box.right() <= img->width() * 0.95 + 1);
        }
    }
    if (kind == QLatin1String("colored")) {
        // Drawn in its own colours: not a white shape like the tintable sets.
        QVERIFY(!inspect(full).whiteOnly);
        QVERIFY(inspect(full).colours >= 1);
    }
}

void TestArtwork::colouredSetIsMulticoloured()
{
    // A few emoji are one flat colour (a star, a key, a bolt); the set as a whole is not.
    int multicoloured = 0;
    for (int n = 1; n <= Artwork::coloredCount; ++n)
        multicoloured += inspect(QImage(Artwork::coloredPath(n))).colours >= 2 ? 1 : 0;
    QVERIFY2(multicoloured >= 30, qPrintable(QString::number(multicoloured)));
}

void TestArtwork::boxshot()
{
    const QImage img(QStringLiteral(":/Resources/Boxshot.png"));
    QCOMPARE(img.size(), QSize(240, 253));
    QVERIFY(inspect(img).colours >= 2);
}

void TestArtwork::vendoredSourcesMatchTheLists()
{
    QCOMPARE(sources(QStringLiteral("flat")).size(), Artwork::flatCount + 1); // + the About picture's wand
    QCOMPARE(sources(QStringLiteral("colored")).size(), Artwork::coloredCount);
    const QList<QStringList> pictograms = sources(QStringLiteral("pictograms"));
    // Numbered 1 ... count in order, category by category.
    int index = 0;
    for (int c = 0; c < Artwork::categoryCount; ++c) {
        for (int n = 1; n <= Artwork::categories[c].pictures; ++n, ++index) {
            QVERIFY(index < pictograms.size());
            QCOMPARE(pictograms[index][0], QLatin1String(Artwork::categories[c].word));
            QCOMPARE(pictograms[index][1].toInt(), n);
        }
    }
    QCOMPARE(pictograms.size(), index);
    // Spot checks against the published numbered lists.
    QCOMPARE(sources(QStringLiteral("flat"))[0][1], QStringLiteral("01-camera.svg"));
    QCOMPARE(sources(QStringLiteral("flat"))[42][1], QStringLiteral("43-paw-print.svg"));
    QCOMPARE(sources(QStringLiteral("colored"))[34][1], QStringLiteral("35-party-popper.svg"));
    QCOMPARE(pictograms[15 + 28 + 24 + 13][2], QStringLiteral("media/14-podcasts.svg"));
    for (const char* set : {"flat", "colored", "pictograms"}) {
        QVERIFY(QFile::exists(QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/resources/artwork/") +
                              QLatin1String(set) + QStringLiteral("/LICENSE")));
    }
}

void TestArtwork::vendoredSvgsAvoidWhatTheRasteriserGetsWrong()
{
    // QtSvg silently mis-renders these; none of the vendored files may use them.
    const QStringList forbidden = {"clipPath", "clip-path", "mask",  "filter", "rgba(",
                                   "hsl(",     " href=",    "<text", "<image"};
    const QStringList forbiddenTintable = {"stroke=", "opacity"};
    QDirIterator it(QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/resources/artwork"), {QStringLiteral("*.svg")},
                    QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    const QRegularExpression viewBox(QStringLiteral("viewBox=\"([-\\d.]+) ([-\\d.]+) ([\\d.]+) ([\\d.]+)\""));
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(f.readAll());
        ++files;
        for (const QString& word : forbidden)
            QVERIFY2(!svg.contains(word), qPrintable(path + QStringLiteral(": ") + word));
        if (!path.contains(QLatin1String("/colored/")))
            for (const QString& word : forbiddenTintable)
                QVERIFY2(!svg.contains(word), qPrintable(path + QStringLiteral(": ") + word));
        const QRegularExpressionMatch m = viewBox.match(svg);
        QVERIFY2(m.hasMatch(), qPrintable(path + QStringLiteral(": no viewBox")));
        QCOMPARE(m.captured(3), m.captured(4));
    }
    QCOMPARE(files, 43 + 1 + 35 + 174);
}

void TestArtwork::listsAfterStartUp()
{
    QScopedPointer<MainWindow> window(makeWindow());
    struct
    {
        const char* name;
        int rows;
    } lists[] = {{"listImageFlat", 43}, {"listImageColored", 35}, {"listGraphics", 14}};
    for (const auto& l : lists) {
        auto* list = control<QListWidget>(window.data(), l.name);
        QCOMPARE(list->count(), l.rows);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->row(list->selectedItems().first()), 0);
        for (int r = 0; r < list->count(); ++r) {
            QVERIFY(list->item(r)->text().isEmpty());
            QVERIFY(!list->item(r)->icon().pixmap(95).isNull());
        }
    }
    // New refills without leaving old rows behind.
    triggerAction(window.data(), "actionNew");
    QCOMPARE(control<QListWidget>(window.data(), "listImageFlat")->count(), 43);
    QCOMPARE(control<QListWidget>(window.data(), "listImageColored")->count(), 35);
}

void TestArtwork::categoryLists_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("last");
    QTest::newRow("Add") << 0 << 14 << ":/Graphics/add14-small.png";
    QTest::newRow("Remove") << 1 << 27 << ":/Graphics/remove27-small.png";
    QTest::newRow("Media Player") << 2 << 23 << ":/Graphics/player23-small.png";
    QTest::newRow("Multimedia") << 3 << 13 << ":/Graphics/media13-small.png";
    QTest::newRow("Navigation") << 4 << 21 << ":/Graphics/navigation21-small.png";
    QTest::newRow("Share") << 5 << 30 << ":/Graphics/share30-small.png";
    QTest::newRow("Misc") << 6 << 39 << ":/Graphics/misc39-small.png";
}

void TestArtwork::categoryLists()
{
    QFETCH(int, category);
    QFETCH(int, rows);
    QFETCH(QString, last);
    QScopedPointer<MainWindow> window(makeWindow());
    auto* combo = control<QComboBox>(window.data(), "comboGraphicsCategory");
    auto* list = control<QListWidget>(window.data(), "listGraphics");
    list->setCurrentRow(5);
    // Choose the category as the user does, twice: the second pick refills in the same way.
    for (int pass = 0; pass < 2; ++pass) {
        combo->setCurrentIndex(category);
        emit combo->activated(category);
        QCOMPARE(list->count(), rows);
        QCOMPARE(list->currentRow(), 0);
        list->setCurrentRow(rows - 1);
    }
    QCOMPARE(Artwork::graphicPath(category, rows, true), last);
    QCOMPARE(Artwork::listedRows(category), rows);
}

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"
