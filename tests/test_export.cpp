// Exports through the real window: icon sets in every format, the pictogram image, the custom
// picture and the remembered folders. Real files in temporary folders, read back.
#include "tests/support/testsupport.h"
#include "tests/support/pngreference.h"

#include "base/png.h"
#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "export/iconset.h"
#include "export/imageformats.h"
#include "project/custompicture.h"
#include "project/projectformat.h"
#include "ui/settings.h"
#include "render/graphicrenderer.h"

#include <QtTest>
#include <QtWidgets>

#include <png.h>

#include <csetjmp>
#include <zlib.h>

using namespace TestSupport;

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Unchecks every radio button of an exclusive group.
void uncheckAll(const QList<QRadioButton*>& group)
{
    for (QRadioButton* r : group) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
}

// A PNG of w x h with the given colour type and bit depth, its samples pseudo-random (the first
// pixels equal to the transparent key, when there is one), each row under any of the five filters.
struct PngKind
{
    int colourType, depth;
    bool key;        // a tRNS colour key (grey, RGB) or alphas for part of the palette
    int paletteSize; // entries of a palette picture's PLTE
};

void appendBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), int(length));
}

QByteArray writePng(const PngKind& kind, int w, int h)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return QByteArray();
    }
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), kind.depth, kind.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_ALL_FILTERS);
    png_set_check_for_invalid_index(png, 0); // indexes past the palette are written too
    const int channels = kind.colourType == 2 ? 3 : kind.colourType == 4 ? 2 : kind.colourType == 6 ? 4 : 1;
    const int rowBytes = (w * channels * kind.depth + 7) / 8;
    quint32 seed = 12345u + quint32(kind.colourType * 100 + kind.depth);
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<png_byte> key(size_t(channels * 2), 0);
    for (png_byte& b : key)
        b = png_byte(next());
    png_color_16 trans{};
    if (kind.colourType == 3) {
        std::vector<png_color> palette(size_t(kind.paletteSize));
        for (png_color& c : palette)
            c = {png_byte(next()), png_byte(next()), png_byte(next())};
        png_set_PLTE(png, info, palette.data(), kind.paletteSize);
        if (kind.key) {
            std::vector<png_byte> alphas(size_t(kind.paletteSize / 2));
            for (png_byte& a : alphas)
                a = png_byte(next());
            png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
        }
    } else if (kind.key) {
        const int mask = kind.depth == 16 ? 0xffff : (1 << kind.depth) - 1;
        auto sample = [&](int i) {
            return png_uint_16((key[size_t(2 * i)] << 8 | key[size_t(2 * i + 1)]) & mask);
        };
        trans.gray = sample(0);
        trans.red = sample(0);
        trans.green = sample(1);
        trans.blue = sample(2);
        png_set_tRNS(png, info, nullptr, 0, &trans);
    }
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(rowBytes));
    const png_uint_16 keySamples[3] = {kind.colourType == 0 ? trans.gray : trans.red, trans.green,
                                       trans.blue};
    for (int y = 0; y < h; ++y) {
        for (png_byte& b : row)
            b = png_byte(next() % 7 == 0 ? 0 : next());
        if (kind.colourType == 3 && kind.depth == 8)
            for (png_byte& b : row)
                b = png_byte(b % kind.paletteSize); // past it only at 4 bits, for the row reader
        if (kind.key && kind.colourType != 3 && kind.depth >= 8 && y % 3 == 0) {
            // Some pixels exactly the key.
            const int sampleBytes = kind.depth / 8;
            for (int x = 0; x < w; x += 5)
                for (int c = 0; c < channels; ++c) {
                    png_byte* sample = &row[size_t((x * channels + c) * sampleBytes)];
                    if (sampleBytes == 2) {
                        sample[0] = png_byte(keySamples[c] >> 8);
                        sample[1] = png_byte(keySamples[c]);
                    } else {
                        sample[0] = png_byte(keySamples[c]);
                    }
                }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The row reader's rows, as many as it gives.
QByteArray rowReaderRows(const QByteArray& file, bool* whole)
{
    QBuffer buffer(const_cast<QByteArray*>(&file));
    buffer.open(QIODevice::ReadOnly);
    Png::RowReader reader(buffer);
    QByteArray rows, row(reader.size().width() * 4, 0);
    int read = 0;
    while (reader.isValid() && reader.readRow(reinterpret_cast<uchar*>(row.data()))) {
        rows += row;
        ++read;
    }
    *whole = reader.isValid() && read == reader.size().height();
    return rows;
}

// A PNG file of `header` (IHDR's body) and rows `raw` (filter bytes included), with `before` and
// `after` the image data.
QByteArray pngFile(const QByteArray& header, const QByteArray& before, const QByteArray& raw,
                   const QByteArray& after = QByteArray())
{
    QByteArray packed(int(compressBound(uLong(raw.size()))), 0);
    uLongf packedSize = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()), 9);
    packed.resize(int(packedSize));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngReference::chunk("IHDR", header) + before +
           PngReference::chunk("IDAT", packed) + after + PngReference::chunk("IEND", QByteArray());
}

QByteArray ihdr(int w, int h, int depth, int colourType)
{
    QByteArray body(13, 0);
    qToBigEndian(quint32(w), reinterpret_cast<uchar*>(body.data()));
    qToBigEndian(quint32(h), reinterpret_cast<uchar*>(body.data()) + 4);
    body[8] = char(depth);
    body[9] = char(colourType);
    return body;
}

} // namespace

class TestExport : public WindowTest
{
    Q_OBJECT

  private slots:
    void init();
    void defaultAndroidSet();
    void timeStampIsDayMonthYear();
    void pngsAreAsSmallAsTheToolkitsWriter_data();
    void pngsAreAsSmallAsTheToolkitsWriter();
    void iconSetsAreTheScaledCopy_data();
    void iconSetsAreTheScaledCopy();
    void everyFormatReadsBack_data();
    void everyFormatReadsBack();
    void sizesAFormatCannotHoldFail();
    void jpgQualityComesFromTheSlider();
    void iosSetAndUntickedBoxes();
    void nothingChosenWritesNothing();
    void unwritableFolderLeavesNothing();
    void graphicSizesAndFormats();
    void failedGraphicWriteKeepsTheOldFile();
    void rememberedFoldersAreIndependent();
    void browsingForACustomPicture();
    void oversizedPictureIsRefusedUnread();
    void eachSizeControlWritesTheSizeItsCaptionNames();
    void pngCodecsMatchTheReferenceDecoders_data();
    void pngCodecsMatchTheReferenceDecoders();
    void pngReadersAgreeWithLibpng_data();
    void pngReadersAgreeWithLibpng();
};

void TestExport::init()
{
    WindowTest::init();
    QSettings().clear(); // every test starts with nothing remembered
}

void TestExport::defaultAndroidSet()
{
    const QString pictures = homeFolder() + QStringLiteral("/Pictures");
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].kind, QStringLiteral("folder"));
    QCOMPARE(calls[0].caption, QStringLiteral("Select Folder"));
    QCOMPARE(calls[0].text, pictures); // first run: the pictures folder
    QCOMPARE(calls[0].options, QFileDialog::Options(QFileDialog::ShowDirsOnly));
    QCOMPARE(calls[1].kind, QStringLiteral("information"));
    QCOMPARE(calls[1].text, QStringLiteral("Icon(s) saved successfully."));
    QVERIFY(calls[1].caption.isEmpty());

    const QStringList files = filesIn(dir->path());
    QCOMPARE(files.size(), 6);
    const QRegularExpression name(
        QStringLiteral("^Icon(\\d+) (\\d\\d-\\d\\d-\\d{4} \\d\\d-\\d\\d-\\d\\d)\\.png$"));
    QSet<QString> stamps;
    QSet<int> sizes;
    for (const QString& file : files) {
        const QRegularExpressionMatch m = name.match(file);
        QVERIFY2(m.hasMatch(), qPrintable(file));
        stamps.insert(m.captured(2));
        const int size = m.captured(1).toInt();
        sizes.insert(size);
        const QImage img(dir->filePath(file), "PNG");
        QCOMPARE(img.size(), QSize(size, size));
    }
    QCOMPARE(stamps.size(), 1);
    QCOMPARE(sizes, QSet<int>({48, 72, 96, 144, 192, 512}));
    QCOMPARE(rememberedFolder(Folders::saveIcons), dir->path());
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright")); // exporting does not mark
}

// The encoder packs what icons hold at least as tightly as the toolkit's own writer (zlib's default
// level and libpng's filters): a smooth gradient, flat colour with text, a small photo and a large
// one; the level rule once packed a gradient at twice the size.
void TestExport::pngsAreAsSmallAsTheToolkitsWriter_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("percent"); // the most its file may be of the toolkit's
    QImage gradient(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    gradient.fill(Qt::transparent);
    {
        QPainter p(&gradient);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient fill(100, 0, 900, 1024);
        fill.setColorAt(0, QColor(0x20, 0x60, 0xd0));
        fill.setColorAt(1, QColor(0xf0, 0x90, 0x30));
        p.setBrush(fill);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, 1024, 1024), 120, 120);
    }
    // (zlib's lazy matching finds a gradient's long repeats a little better than libdeflate's.)
    QTest::newRow("gradient, 1024") << gradient << 105;
    QImage text(512, 512, QImage::Format_ARGB32_Premultiplied);
    text.fill(QColor(0x0e, 0x7c, 0x86));
    {
        QPainter p(&text);
        p.setPen(Qt::white);
        QFont font;
        font.setPixelSize(120);
        p.setFont(font);
        p.drawText(text.rect(), Qt::AlignCenter, QStringLiteral("Ab"));
    }
    QTest::newRow("flat colour and text, 512") << text << 101;
    QImage photo(1024, 1024, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y,
                           qRgb(int(127 + 120 * std::sin(x / 37.0) * std::cos(y / 53.0)) + (x * y % 7),
                                (x + 2 * y) / 12 % 256, int(128 + 100 * std::sin((x + y) / 91.0)) + (x % 5)));
    QTest::newRow("photo, 192") << photo.scaled(192, 192, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                << 101;
    QTest::newRow("photo, 1024") << photo << 101;
}

void TestExport::pngsAreAsSmallAsTheToolkitsWriter()
{
    QFETCH(QImage, image);
    QFETCH(int, percent);
    QByteArray toolkit;
    QBuffer buffer(&toolkit);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "PNG"));
    const QByteArray ours = Png::encode(image);
    QVERIFY2(
        ours.size() <= toolkit.size() * percent / 100,
        qPrintable(QStringLiteral("%1 bytes against the toolkit's %2").arg(ours.size()).arg(toolkit.size())));
    // The quick effort (a build variant's icons): the same pixels, still no larger than the toolkit's.
    const QByteArray quick = Png::encode(image, false, false, Png::standardDotsPerMeter, Png::Effort::Quick);
    QCOMPARE(QImage::fromData(quick), QImage::fromData(ours));
    QVERIFY2(quick.size() <= toolkit.size() * percent / 100,
             qPrintable(QStringLiteral("quick: %1 bytes against the toolkit's %2, %3 at the smallest")
                            .arg(quick.size())
                            .arg(toolkit.size())
                            .arg(ours.size())));
}

// Every size of the Android and iOS sets is the toolkit's smooth scaled copy of the whole icon,
// pixel for pixel, from the window and the command line alike.
void TestExport::iconSetsAreTheScaledCopy_data()
{
    QTest::addColumn<QString>("design"); // line=value changes of the start-up project
    QTest::addColumn<bool>("ios");
    const QString gradient = QStringLiteral("2=0 6=1 13=100 14=0 15=900 16=1024 1=200");
    const QString photo = QStringLiteral("18=0 22=1 23=photo.png 25=150 29=-40");
    for (bool ios : {false, true}) {
        const QByteArray set = ios ? " iOS" : " Android";
        QTest::newRow("default" + set) << QString() << ios;
        QTest::newRow("gradient" + set) << gradient << ios;
        QTest::newRow("photo" + set) << photo << ios;
    }
}

void TestExport::iconSetsAreTheScaledCopy()
{
    QFETCH(QString, design);
    QFETCH(bool, ios);
    // A photo of smooth tones and sharp edges, 640 x 480.
    QImage photo(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * x + y) % 256, (x + 3 * y) % 256, (x ^ y) % 256));
    photo.save(dir->filePath(QStringLiteral("photo.png")));
    QMap<int, QString> lines{{Project::lineOf(Project::Key::ExportAndroid), ios ? "0" : "1"},
                             {Project::lineOf(Project::Key::ExportIos), ios ? "1" : "0"}};
    for (const QString& change : design.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        lines.insert(change.section(QLatin1Char('='), 0, 0).toInt(), change.section(QLatin1Char('='), 1));
    const QString project = projectFile(dir->path(), QStringLiteral("set.ipr"), lines);
    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    const QString viaWindow = dir->filePath(QStringLiteral("window")),
                  viaCli = dir->filePath(QStringLiteral("cli"));
    QDir().mkpath(viaWindow);
    Dialogs::queueAnswer(viaWindow);
    click(window, "buttonSaveIcons");
    QCOMPARE(
        cli({QStringLiteral("-q"), QStringLiteral("icons"), project, viaCli, QStringLiteral("--no-stamp")})
            .status,
        0);
    const QStringList files = filesIn(viaCli);
    QCOMPARE(files.size(), ios ? 12 : 6);
    for (const QString& file : files) {
        const int size = file.mid(4, file.size() - 8).toInt();
        const QImage expected =
            window->iconPixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .toImage()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(QImage(QDir(viaCli).filePath(file)).convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 expected);
        const QStringList same = QDir(viaWindow).entryList({QStringLiteral("Icon%1 *").arg(size)});
        QCOMPARE(readAll(QDir(viaWindow).filePath(same.value(0))), readAll(QDir(viaCli).filePath(file)));
    }
}

void TestExport::timeStampIsDayMonthYear()
{
    // Day and month told apart, hours from 00 to 23.
    QCOMPARE(Export::timeStamp(QDateTime(QDate(2026, 3, 14), QTime(21, 5, 7))),
             QStringLiteral("14-03-2026 21-05-07"));
    QCOMPARE(Export::timeStamp(QDateTime(QDate(2027, 11, 2), QTime(0, 0, 9))),
             QStringLiteral("02-11-2027 00-00-09"));
    QCOMPARE(Export::iconFileName(QStringLiteral("/out"), 48, QStringLiteral("14-03-2026 21-05-07"),
                                  QStringLiteral("png")),
             QStringLiteral("/out/Icon48 14-03-2026 21-05-07.png"));
}

void TestExport::everyFormatReadsBack_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("size");
    QTest::newRow("PNG") << 0 << "png" << 100;
    QTest::newRow("JPG") << 1 << "jpg" << 100;
    QTest::newRow("BMP") << 2 << "bmp" << 100;
    QTest::newRow("TIFF") << 3 << "tiff" << 100;
    QTest::newRow("ICO") << 4 << "ico" << 100;
    QTest::newRow("ICNS") << 5 << "icns" << 128;
}

void TestExport::everyFormatReadsBack()
{
    QFETCH(int, index);
    QFETCH(QString, extension);
    QFETCH(int, size);
    control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(index);
    click(window, "radioExportCustomSize");
    control<QSpinBox>(window, "spinExportCustomSize")->setValue(size);
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().last().kind, QStringLiteral("information"));
    const QStringList files = filesIn(dir->path());
    QCOMPARE(files.size(), 1);
    QVERIFY2(files[0].startsWith(QStringLiteral("Icon%1 ").arg(size)) &&
                 files[0].endsWith(QLatin1Char('.') + extension),
             qPrintable(files[0]));
    QImageReader reader(dir->filePath(files[0]));
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(img.size(), QSize(size, size));
    // The default icon: white camera body left of its centre, dark red in the corner's curve.
    const QRgb body = img.pixel(size * 35 / 100, size / 2);
    QVERIFY(qRed(body) > 200 && qGreen(body) > 200);
    const QRgb edge = img.pixel(size / 2, size / 20);
    QVERIFY(qRed(edge) > 140 && qGreen(edge) < 40);
}

void TestExport::sizesAFormatCannotHoldFail()
{
    // ICNS holds powers of two only, ICO at most 256: such sizes fail and leave no file.
    struct
    {
        int format, size;
    } cases[] = {{5, 48}, {4, 512}};
    for (const auto& c : cases) {
        QTemporaryDir out;
        control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(c.format);
        click(window, "radioExportCustomSize");
        control<QSpinBox>(window, "spinExportCustomSize")->setValue(c.size);
        Dialogs::queueAnswer(out.path());
        click(window, "buttonSaveIcons");
        const QList<Dialogs::Call> calls = Dialogs::takeCalls();
        QCOMPARE(calls.last().kind, QStringLiteral("warning"));
        QCOMPARE(calls.last().text, QStringLiteral("Some icons could not be saved."));
        QVERIFY(filesIn(out.path()).isEmpty());
    }
    // The Android set in ICO writes every size but 512, then warns.
    control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(4);
    click(window, "radioExportAndroid");
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().last().kind, QStringLiteral("warning"));
    QCOMPARE(filesIn(dir->path()).size(), 5);
}

void TestExport::jpgQualityComesFromTheSlider()
{
    auto exportAt = [this](int format, int quality) {
        QTemporaryDir out;
        control<QComboBox>(window, "comboIconFormat")->setCurrentIndex(format);
        control<QSlider>(window, "sliderIconQuality")->setValue(quality);
        click(window, "radioExportCustomSize");
        Dialogs::queueAnswer(out.path());
        click(window, "buttonSaveIcons");
        Dialogs::takeCalls();
        return readAll(out.filePath(filesIn(out.path()).value(0)));
    };
    const QByteArray low = exportAt(1, 10), high = exportAt(1, 90);
    QVERIFY(!low.isEmpty() && !high.isEmpty());
    QVERIFY2(high.size() > low.size() * 1.5,
             qPrintable(QStringLiteral("%1 %2").arg(low.size()).arg(high.size())));
    // Other formats ignore the slider.
    QCOMPARE(exportAt(0, 10), exportAt(0, 90));

    // The pictogram's JPG takes the Graphics page's own slider, not the icon's.
    auto saveAt = [this](int graphicQuality, int iconQuality) {
        control<QComboBox>(window, "comboGraphicsFormat")->setCurrentIndex(1);
        control<QSlider>(window, "sliderGraphicsQuality")->setValue(graphicQuality);
        control<QSlider>(window, "sliderIconQuality")->setValue(iconQuality);
        const QString path = dir->filePath(QStringLiteral("g%1-%2.jpg").arg(graphicQuality).arg(iconQuality));
        Dialogs::queueAnswer(path);
        click(window, "buttonSaveImage");
        Dialogs::takeCalls();
        return readAll(path);
    };
    QCOMPARE(saveAt(10, 90), saveAt(10, 5));
    QVERIFY(saveAt(90, 5).size() > saveAt(10, 5).size());
}

void TestExport::iosSetAndUntickedBoxes()
{
    click(window, "radioExportiOS");
    control<QCheckBox>(window, "checkExportiOS58")->setChecked(false);
    control<QCheckBox>(window, "checkExportiOS167")->setChecked(false);
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    QSet<int> sizes;
    QString big;
    for (const QString& file : filesIn(dir->path())) {
        sizes.insert(file.mid(4, file.indexOf(QLatin1Char(' ')) - 4).toInt());
        if (file.startsWith(QStringLiteral("Icon1024 ")))
            big = dir->filePath(file);
    }
    QCOMPARE(sizes, QSet<int>({29, 40, 60, 76, 80, 87, 120, 152, 180, 1024}));
    // The 1024 file is the stored icon itself.
    QCOMPARE(QImage(big).convertToFormat(QImage::Format_ARGB32_Premultiplied),
             window->iconPixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // The custom size's name carries the size in decimal, even 1.
    QTemporaryDir one;
    click(window, "radioExportCustomSize");
    control<QSpinBox>(window, "spinExportCustomSize")->setValue(1);
    Dialogs::queueAnswer(one.path());
    click(window, "buttonSaveIcons");
    QVERIFY(filesIn(one.path()).value(0).startsWith(QStringLiteral("Icon1 ")));
    QCOMPARE(QImage(one.filePath(filesIn(one.path()).value(0))).size(), QSize(1, 1));
}

void TestExport::nothingChosenWritesNothing()
{
    for (const char* box : {"checkExportAndroid48", "checkExportAndroid72", "checkExportAndroid96",
                            "checkExportAndroid144", "checkExportAndroid192", "checkExportAndroid512"})
        control<QCheckBox>(window, box)->setChecked(false);
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().last().text, QStringLiteral("Icon(s) saved successfully."));
    uncheckAll({control<QRadioButton>(window, "radioExportAndroid"),
                control<QRadioButton>(window, "radioExportiOS"),
                control<QRadioButton>(window, "radioExportCustomSize")});
    Dialogs::queueAnswer(dir->path());
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().last().text, QStringLiteral("Icon(s) saved successfully."));
    QVERIFY(filesIn(dir->path()).isEmpty());
    // A cancelled folder dialog writes, remembers and reports nothing.
    const QString before = rememberedFolder(Folders::saveIcons);
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().size(), 1);
    QCOMPARE(rememberedFolder(Folders::saveIcons), before);
}

void TestExport::unwritableFolderLeavesNothing()
{
    // A folder below a regular file cannot be written, not even by root.
    writeFile(dir->filePath(QStringLiteral("plain")), "x");
    Dialogs::queueAnswer(dir->filePath(QStringLiteral("plain/icons")));
    click(window, "buttonSaveIcons");
    QCOMPARE(Dialogs::takeCalls().last().text, QStringLiteral("Some icons could not be saved."));
    QCOMPARE(filesIn(dir->path()), QStringList({"plain"}));
}

void TestExport::graphicSizesAndFormats()
{
    const QString target = dir->filePath(QStringLiteral("pictogram.png"));
    Dialogs::queueAnswer(target);
    click(window, "buttonSaveImage");
    QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls[0].kind, QStringLiteral("save"));
    QCOMPARE(calls[0].caption, QStringLiteral("Save Image"));
    QCOMPARE(calls[0].filter, QStringLiteral("PNG Image (*.png)"));
    QCOMPARE(calls[1].kind, QStringLiteral("information"));
    QCOMPARE(calls[1].text, QStringLiteral("Image saved successfully."));
    QCOMPARE(QImage(target).size(), QSize(200, 200));
    QCOMPARE(rememberedFolder(Folders::saveImage), dir->path());
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright")); // saving marks nothing

    // A fixed size wins whatever the spin box holds.
    click(window, "radioGraphicsSize20");
    control<QSpinBox>(window, "spinGraphicsCustomSize")->setValue(333);
    Dialogs::queueAnswer(target);
    click(window, "buttonSaveImage");
    QCOMPARE(QImage(target).size(), QSize(20, 20));
    click(window, "radioGraphicsSize150");
    Dialogs::queueAnswer(target);
    click(window, "buttonSaveImage");
    QCOMPARE(QImage(target).size(), QSize(150, 150));
    // Custom 420 is the stored graphic itself.
    click(window, "radioGraphicsSizeCustom");
    control<QSpinBox>(window, "spinGraphicsCustomSize")->setValue(420);
    Dialogs::queueAnswer(target);
    click(window, "buttonSaveImage");
    QCOMPARE(QImage(target).convertToFormat(QImage::Format_ARGB32_Premultiplied),
             window->graphicPixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    Dialogs::takeCalls();

    // Each format's filter; the name is used as returned, even without an extension.
    const char* filters[] = {"PNG Image (*.png)", "JPG Image (*.jpg *.jpeg)", "BMP Image (*.bmp)",
                             "TIFF Image (*.tiff *.tif)"};
    const char* formats[] = {"png", "jpeg", "bmp", "tiff"};
    for (int i = 0; i < 4; ++i) {
        control<QComboBox>(window, "comboGraphicsFormat")->setCurrentIndex(i);
        const QString bare = dir->filePath(QStringLiteral("noext%1").arg(i));
        Dialogs::queueAnswer(bare);
        click(window, "buttonSaveImage");
        calls = Dialogs::takeCalls();
        QCOMPARE(calls[0].filter, QLatin1String(filters[i]));
        QCOMPARE(calls[1].kind, QStringLiteral("information"));
        QImageReader reader(bare);
        QCOMPARE(reader.format(), QByteArray(formats[i]));
        QCOMPARE(reader.size(), QSize(420, 420));
    }
}

void TestExport::failedGraphicWriteKeepsTheOldFile()
{
    const QString target = dir->filePath(QStringLiteral("keep.png"));
    writeFile(target, "precious");
    // No size chosen: the image is empty and cannot be written; the old file stays.
    uncheckAll(window->findChildren<QRadioButton*>(QRegularExpression(QStringLiteral("^radioGraphicsSize"))));
    Dialogs::queueAnswer(target);
    click(window, "buttonSaveImage");
    QCOMPARE(Dialogs::takeCalls().last().text, QStringLiteral("The image could not be saved."));
    QCOMPARE(readAll(target), QByteArray("precious"));
    QCOMPARE(filesIn(dir->path()), QStringList({"keep.png"}));
    // A writer that cannot hold the size leaves the old icon file untouched too.
    const QString icon = dir->filePath(QStringLiteral("old.icns"));
    writeFile(icon, "old icon");
    QVERIFY(!Export::writeImageFile(icon, scaledCopy(window->iconPixmap, 48, 48).toImage(),
                                    *Export::formatNamed("ICNS"), -1, QSize(48, 48)));
    QCOMPARE(readAll(icon), QByteArray("old icon"));
    // A successful write replaces it whole.
    QVERIFY(Export::writeImageFile(icon, scaledCopy(window->iconPixmap, 64, 64).toImage(),
                                   *Export::formatNamed("ICNS"), -1, QSize(64, 64)));
    QCOMPARE(QImage(icon).size(), QSize(64, 64));
    QCOMPARE(filesIn(dir->path()), QStringList({"keep.png", "old.icns"}));
}

void TestExport::rememberedFoldersAreIndependent()
{
    const QString pictures = homeFolder() + QStringLiteral("/Pictures");
    QCOMPARE(rememberedFolder(Folders::imageCustomBrowse), pictures);
    QCOMPARE(rememberedFolder(Folders::saveImage), pictures);
    QDir(dir->path()).mkpath(QStringLiteral("set"));
    Dialogs::queueAnswer(dir->filePath(QStringLiteral("set")));
    click(window, "buttonSaveIcons");
    QCOMPARE(rememberedFolder(Folders::saveIcons), dir->filePath(QStringLiteral("set")));
    QCOMPARE(rememberedFolder(Folders::saveImage), pictures);
    // The next graphic save still opens in the pictures folder; a cancel leaves its key alone.
    Dialogs::takeCalls();
    click(window, "buttonSaveImage");
    QCOMPARE(Dialogs::takeCalls().value(0).text, pictures);
    QCOMPARE(rememberedFolder(Folders::saveImage), pictures);
    // The store is the real per-user one, flushed at once.
    QSettings settings(QStringLiteral("Mossgate Software"), QStringLiteral("Glyphwright"));
    QCOMPARE(settings.value(QStringLiteral("SaveIconsFolder")).toString(),
             dir->filePath(QStringLiteral("set")));
    QVERIFY(settings.fileName().startsWith(homeFolder()));
    // The other two keys by their own names.
    Dialogs::queueAnswer(dir->filePath(QStringLiteral("set/image.png")));
    click(window, "buttonSaveImage");
    writeFile(dir->filePath(QStringLiteral("set/p.png")), "not a picture");
    Dialogs::queueAnswer(dir->filePath(QStringLiteral("set/p.png")));
    click(window, "buttonImageCustomBrowse");
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("SaveImageFolder")).toString(),
             dir->filePath(QStringLiteral("set")));
    QCOMPARE(settings.value(QStringLiteral("ImageCustomBrowseFolder")).toString(),
             dir->filePath(QStringLiteral("set")));
}

void TestExport::browsingForACustomPicture()
{
    QDir(dir->path()).mkpath(QStringLiteral("art/logos"));
    const QString path = dir->filePath(QStringLiteral("art/logos/a.png"));
    QImage picture(64, 32, QImage::Format_ARGB32);
    picture.fill(QColor(0, 255, 0));
    QVERIFY(picture.save(path));

    click(window, "radioImageCustom");
    window->setWindowTitle(QStringLiteral("Glyphwright"));
    Dialogs::queueAnswer(path);
    click(window, "buttonImageCustomBrowse");
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    QCOMPARE(calls[0].kind, QStringLiteral("open"));
    QCOMPARE(calls[0].caption, QStringLiteral("Select Image"));
    QCOMPARE(calls[0].filter, QStringLiteral("Image Files (*.jpg *.jpeg *.png *.bmp *.tiff *tif)"));
    QCOMPARE(calls[0].text, homeFolder() + QStringLiteral("/Pictures"));
    QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), path);
    QCOMPARE(window->customImage.size(), QSize(64, 32));
    QCOMPARE(rememberedFolder(Folders::imageCustomBrowse), dir->filePath(QStringLiteral("art/logos")));
    QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(0, 255, 0));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));

    // The next browse opens there; cancelling changes nothing.
    window->setWindowTitle(QStringLiteral("Glyphwright"));
    click(window, "buttonImageCustomBrowse");
    QCOMPARE(Dialogs::takeCalls().value(0).text, dir->filePath(QStringLiteral("art/logos")));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright"));
    QCOMPARE(window->customImage.size(), QSize(64, 32));

    // An unreadable file leaves no picture and no message.
    const QString junk = dir->filePath(QStringLiteral("junk.png"));
    writeFile(junk, "not a picture");
    Dialogs::queueAnswer(junk);
    click(window, "buttonImageCustomBrowse");
    QCOMPARE(Dialogs::takeCalls().size(), 1);
    QVERIFY(window->customImage.isNull());
    QCOMPARE(window->iconPixmap.toImage().pixel(512, 512), qRgb(170, 0, 0));
}

void TestExport::oversizedPictureIsRefusedUnread()
{
    const QString bomb = dir->filePath(QStringLiteral("bomb.png"));
    writeFile(bomb, pngClaiming(100000, 100000));
    QCOMPARE(QImageReader(bomb).size(), QSize(100000, 100000));
    const long before = peakKilobytes();
    QVERIFY(loadCustomPicture(bomb).isNull());
    writeFile(bomb, pngClaiming(16385, 10));
    QVERIFY(loadCustomPicture(bomb).isNull());
    writeFile(bomb, pngClaiming(12000, 9000)); // 108 megapixels
    QVERIFY(loadCustomPicture(bomb).isNull());
    QVERIFY(peakKilobytes() - before < 50 * 1024);
    // Through the window: the picture stays null, exactly as for any unreadable file.
    Dialogs::queueAnswer(bomb);
    click(window, "buttonImageCustomBrowse");
    QVERIFY(window->customImage.isNull());
    QCOMPARE(control<QLineEdit>(window, "editImageCustom")->text(), bomb);
}

void TestExport::eachSizeControlWritesTheSizeItsCaptionNames()
{
    // Every Android and iOS box alone, and every fixed pictogram size: the file's size is the
    // number the caption starts with.
    const QList<QCheckBox*> boxes =
        window->findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^checkExport")));
    QCOMPARE(boxes.size(), 18);
    for (QCheckBox* box : boxes) {
        const bool android = box->objectName().startsWith(QStringLiteral("checkExportAndroid"));
        click(window, android ? "radioExportAndroid" : "radioExportiOS");
        for (QCheckBox* other : boxes)
            other->setChecked(other == box);
        QTemporaryDir out;
        Dialogs::queueAnswer(out.path());
        click(window, "buttonSaveIcons");
        const QStringList files = filesIn(out.path());
        QCOMPARE(files.size(), 1);
        const int size = box->text().section(QLatin1Char('x'), 0, 0).toInt();
        QVERIFY2(size > 0, qPrintable(box->text()));
        QCOMPARE(QImage(out.filePath(files[0])).size(), QSize(size, size));
    }
    const QList<QRadioButton*> radios =
        window->findChildren<QRadioButton*>(QRegularExpression(QStringLiteral("^radioGraphicsSize[0-9]")));
    QCOMPARE(radios.size(), 9);
    for (QRadioButton* radio : radios) {
        radio->click();
        const QString path = dir->filePath(radio->objectName() + QStringLiteral(".png"));
        Dialogs::queueAnswer(path);
        click(window, "buttonSaveImage");
        const int size = radio->text().section(QLatin1Char('x'), 0, 0).toInt();
        QCOMPARE(QImage(path).size(), QSize(size, size));
    }
    Dialogs::takeCalls();
}

void TestExport::pngCodecsMatchTheReferenceDecoders_data()
{
    QTest::addColumn<int>("colourType");
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("key");
    QTest::addColumn<int>("paletteSize");
    const struct
    {
        const char* name;
        PngKind kind;
    } kinds[] = {
        {"grey 1", {0, 1, false, 0}},
        {"grey 2, key", {0, 2, true, 0}},
        {"grey 4", {0, 4, false, 0}},
        {"grey 8", {0, 8, false, 0}},
        {"grey 8, key", {0, 8, true, 0}},
        {"grey 16", {0, 16, false, 0}},
        {"grey 16, key", {0, 16, true, 0}},
        {"RGB 8", {2, 8, false, 0}},
        {"RGB 8, key", {2, 8, true, 0}},
        {"RGB 16", {2, 16, false, 0}},
        {"RGB 16, key", {2, 16, true, 0}},
        {"palette 1", {3, 1, false, 2}},
        {"palette 4", {3, 4, true, 9}},
        {"palette 8", {3, 8, false, 200}},
        {"palette 8, alphas", {3, 8, true, 37}},
        {"grey, alpha 8", {4, 8, false, 0}},
        {"grey, alpha 16", {4, 16, false, 0}},
        {"RGBA 8", {6, 8, false, 0}},
        {"RGBA 16", {6, 16, false, 0}},
    };
    for (const auto& k : kinds)
        QTest::newRow(k.name) << k.kind.colourType << k.kind.depth << k.kind.key << k.kind.paletteSize;
}

// The row reader (very large pictures) gives libpng's bytes, the whole-file decoder (the artwork)
// the toolkit's pixels, and the encoder's files read back as the image written.
void TestExport::pngCodecsMatchTheReferenceDecoders()
{
    QFETCH(int, colourType);
    QFETCH(int, depth);
    QFETCH(bool, key);
    QFETCH(int, paletteSize);
    const QByteArray file = writePng({colourType, depth, key, paletteSize}, 203, 61);
    QVERIFY(!file.isEmpty());
    const QByteArray reference = PngReference::read(file).rows;
    QCOMPARE(reference.size(), 203 * 61 * 4);
    bool whole = false;
    QCOMPARE(rowReaderRows(file, &whole), reference);
    QVERIFY(whole);
    // Cut short: the rows before the cut, then no more.
    const QByteArray rows = rowReaderRows(file.left(file.size() / 2), &whole);
    QVERIFY(!whole);
    QVERIFY(reference.startsWith(rows));

    const QImage decoded = Png::decode(reinterpret_cast<const uchar*>(file.constData()), file.size());
    if (depth == 8 && (!key || colourType == 3)) {
        const QImage toolkit = QImage::fromData(file, "PNG").convertToFormat(decoded.format());
        QVERIFY(!decoded.isNull());
        QCOMPARE(decoded, toolkit);
    } else {
        QVERIFY(decoded.isNull()); // left to the toolkit
    }

    if (colourType == 6 && depth == 8) {
        QImage image(300, 200, QImage::Format_ARGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                image.setPixel(x, y, qRgba(x & 255, y, (x * y) & 255, (x + 3 * y) & 255));
        for (const QImage& source : {image.convertToFormat(QImage::Format_ARGB32_Premultiplied), image,
                                     image.convertToFormat(QImage::Format_RGB32)}) {
            const QByteArray encoded = Png::encode(source, true);
            QVERIFY(!encoded.isEmpty());
            QCOMPARE(QImage::fromData(encoded, "PNG").convertToFormat(QImage::Format_ARGB32),
                     source.convertToFormat(QImage::Format_ARGB32));
            // Asked to store grey, a picture with colour stays RGB(A)...
            QCOMPARE(Png::encode(source, true, true), encoded);
        }
        // ... and a grey one is stored as grey (and alpha), the same pixels read back.
        const QImage grey =
            image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
        for (const QImage& source : {grey, grey.convertToFormat(QImage::Format_ARGB32_Premultiplied)}) {
            QImage withAlpha = source;
            if (source.hasAlphaChannel())
                for (int y = 0; y < 200; ++y)
                    for (int x = 0; x < 300; ++x)
                        withAlpha.setPixel(
                            x, y,
                            qPremultiply(qRgba(qGray(source.pixel(x, y)), qGray(source.pixel(x, y)),
                                               qGray(source.pixel(x, y)), (x + y) & 255)));
            const QByteArray encoded = Png::encode(withAlpha, false, true);
            QCOMPARE(int(quint8(encoded[25])), withAlpha.hasAlphaChannel() ? 4 : 0); // the colour type
            QCOMPARE(QImage::fromData(encoded, "PNG").convertToFormat(QImage::Format_ARGB32),
                     withAlpha.convertToFormat(QImage::Format_ARGB32));
        }
    }
}

void TestExport::pngReadersAgreeWithLibpng_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("corrupt");
    // The PNG conformance suite: its x*.png files are corrupt, the others pictures libpng reads.
    const QString suite = qEnvironmentVariable("GLYPHWRIGHT_PNGSUITE",
                                               QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/../shared/pngsuite"));
    const QStringList names = QDir(suite).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        qWarning("The PNG conformance suite is not in %s (set GLYPHWRIGHT_PNGSUITE): only the made "
                 "pictures are compared.",
                 qPrintable(suite));
    for (const QString& name : names) {
        QFile f(suite + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(name)) << f.readAll() << name.startsWith(QLatin1Char('x'));
    }

    // Palettes longer than their depth indexes, with as many alphas: libpng cuts the palette to
    // 2^depth entries and then ignores the alphas.
    for (int depth : {1, 2, 4}) {
        const int entries = (1 << depth) + 1;
        QByteArray palette, alphas(entries, 0), raw;
        for (int i = 0; i < entries; ++i)
            palette.append(char(40 * i)).append(char(255 - 20 * i)).append(char(7 * i));
        for (int y = 0; y < 3; ++y)
            raw.append(char(0)).append(QByteArray(4, char(0x1b * (y + 1))));
        QTest::newRow(
            qPrintable(QStringLiteral("%1-bit palette of %2 entries and alphas").arg(depth).arg(entries)))
            << pngFile(ihdr(32 / depth, 3, depth, 3),
                       PngReference::chunk("PLTE", palette) + PngReference::chunk("tRNS", alphas), raw)
            << false;
    }

    QByteArray raw;
    for (int y = 0; y < 5; ++y)
        raw.append(char(y % 5)).append(QByteArray(8 * 3, char(y * 50 + 1)));
    const QByteArray good = pngFile(ihdr(8, 5, 8, 2), QByteArray(), raw);
    QTest::newRow("RGB") << good << false;
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 13] = char(badCrc[badCrc.size() - 13] ^ 1); // the last byte of IDAT's CRC
    QTest::newRow("a wrong CRC on the last IDAT") << badCrc << true;
    QTest::newRow("an invalid chunk type after the data")
        << pngFile(ihdr(8, 5, 8, 2), QByteArray(), raw, PngReference::chunk("tE#t", "a")) << true;
    QTest::newRow("junk after the rows")
        << pngFile(ihdr(8, 5, 8, 2), QByteArray(), raw, QByteArray("\0\0\0\1junk", 8)) << true;
    QTest::newRow("an unknown critical chunk after the data")
        << pngFile(ihdr(8, 5, 8, 2), QByteArray(), raw, PngReference::chunk("JUNK", "a")) << true;
    QTest::newRow("an ancillary chunk with a wrong CRC")
        << pngFile(ihdr(8, 5, 8, 2), PngReference::chunk("teXt", "a").replace(9, 1, "z"), raw) << false;
    QTest::newRow("rows past the image") << pngFile(ihdr(8, 4, 8, 2), QByteArray(), raw) << false;
    QTest::newRow("rows short of the image") << pngFile(ihdr(8, 6, 8, 2), QByteArray(), raw) << true;
    // The rows and one more, flushed but not ended: libpng reads on for the stream's end and
    // finds the file's end instead.
    QByteArray unended(256, 0);
    z_stream stream{};
    deflateInit(&stream, 9);
    stream.next_in = reinterpret_cast<Bytef*>(raw.data());
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(unended.data());
    stream.avail_out = uInt(unended.size());
    deflate(&stream, Z_SYNC_FLUSH);
    unended.resize(int(stream.total_out));
    deflateEnd(&stream);
    QTest::newRow("a stream that runs past the last data chunk")
        << QByteArray("\x89PNG\r\n\x1a\n", 8) + PngReference::chunk("IHDR", ihdr(8, 4, 8, 2)) +
               PngReference::chunk("IDAT", unended) + PngReference::chunk("IEND", QByteArray())
        << true;
    QTest::newRow("a palette chunk in an RGB picture, repeated")
        << pngFile(ihdr(8, 5, 8, 2), PngReference::chunk("PLTE", "abc") + PngReference::chunk("PLTE", "abc"),
                   raw)
        << true;
    // A palette chunk declaring 2 GiB in a file of 133 bytes: refused before anything is made of it.
    QByteArray huge = good.left(33) + QByteArray::fromHex("7fffffff") + "PLTE" + QByteArray(88, 'x');
    QTest::newRow("a palette chunk declaring 2 GiB") << huge << true;
    QTest::newRow("an image data chunk past libpng's limit")
        << good.left(33) + QByteArray::fromHex("7fffff00") + "IDAT" + QByteArray(88, 'x') << true;
    QTest::newRow("an empty header at the end")
        << QByteArray("\x89PNG\r\n\x1a\n", 8) + PngReference::chunk("gAMA", "abcd") + QByteArray(4, 0) +
               "IHDR"
        << true;
}

// The row reader (pictures above the held size) and the whole-file decoder (the artwork) accept
// what libpng accepts, refuse what it refuses, and give its pixels; the program refuses a corrupt
// picture whatever its size.
void TestExport::pngReadersAgreeWithLibpng()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, corrupt);
    const PngReference::Reading reference = PngReference::read(file);
    QCOMPARE(reference.accepted, !corrupt);
    QCOMPARE(PngReference::disagreement(file), QString());
    QTemporaryDir folder;
    QFile picture(folder.filePath(QStringLiteral("p.png")));
    QVERIFY(picture.open(QIODevice::WriteOnly) && picture.write(file) == file.size());
    picture.close();
    QCOMPARE(loadCustomPicture(picture.fileName()).isNull(), corrupt);
}

QTEST_MAIN(TestExport)
#include "test_export.moc"
