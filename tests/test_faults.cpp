// Real faults: a device that fails, a full disk, targets that are not plain files, project files
// and pictures that are not what they claim, formats without alpha. Each must end in a clear
// failure that loses nothing, quickly and in bounded memory.
#include "tests/support/testsupport.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "export/imageformats.h"
#include "project/custompicture.h"
#include "base/fileio.h"
#include "project/projectformat.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

// Takes at most `chunk` bytes a call and fails once it holds `capacity` bytes.
class FailingDevice : public QIODevice
{
  public:
    FailingDevice(qint64 capacity, qint64 chunk) : capacity(capacity), chunk(chunk) {}
    QByteArray data;

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* bytes, qint64 size) override
    {
        if (data.size() >= capacity) {
            setErrorString(QStringLiteral("device full"));
            return -1;
        }
        const qint64 n = qMin(size, qMin(chunk, capacity - data.size()));
        data.append(bytes, int(n));
        return n;
    }

  private:
    qint64 capacity, chunk;
};

QString sh(const QString& command)
{
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    p.waitForFinished(30000);
    return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError()) + QStringLiteral(" ");
}

bool isRoot()
{
    return ::geteuid() == 0;
}

// Keeps new files out of `folder` while its files stay writable: immutable for root (who ignores
// permissions), read-only for anyone else.
bool lockFolder(const QString& folder, bool locked)
{
    if (isRoot())
        return sh(QStringLiteral("chattr %1i '%2'").arg(locked ? '+' : '-').arg(folder)).isEmpty();
    return QFile::setPermissions(folder, locked ? QFile::ReadOwner | QFile::ExeOwner
                                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Every entry under `folder`, hidden ones included, with its size and first bytes.
QStringList snapshot(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        entries << path.mid(folder.size()) + QLatin1Char(' ') + QString::number(info.size()) +
                       (info.isFile() ? QLatin1Char(' ') + QString::fromLatin1(readAll(path).left(16).toHex())
                                      : QString());
    }
    entries.sort();
    return entries;
}

QByteArray gifWithHugeScreen()
{
    // A 1 x 1 frame on a 16383 x 16383 logical screen: 35 bytes that decode to 1 GB.
    return QByteArray::fromHex("474946383961ff3fff3f800000000000ffffff2c00000000010001000002024401003b");
}

QByteArray icoWithBigPng()
{
    // One entry that claims 256 x 256 and embeds a PNG of 23000 x 23000.
    const QByteArray png = pngClaiming(23000, 23000);
    const QByteArray ico = QByteArray::fromHex("0000010001000000000001002000");
    auto le32 = [](quint32 v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
        return b;
    };
    return ico + le32(quint32(png.size())) + le32(22) + png;
}

QByteArray imageBytes(const char* format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The latest message box the window showed, "" when none.
QString lastMessage()
{
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    return calls.isEmpty() ? QString() : calls.last().text;
}

} // namespace

class TestFaults : public WindowTest
{
    Q_OBJECT

  private slots:
    void writesSeeEveryDeviceFailure_data();
    void writesSeeEveryDeviceFailure();
    void fullDiskKeepsOldFilesAndSaysSo();
    void targetsThatAreNotPlainFilesAreLeftAlone();
    void lockedFolderRewritesInPlace();
    void hostileProjectFilesAreRefusedQuickly_data();
    void hostileProjectFilesAreRefusedQuickly();
    void picturesAreCheckedBeforeDecoding_data();
    void picturesAreCheckedBeforeDecoding();
    void formatsWithoutAlphaGetWhite_data();
    void formatsWithoutAlphaGetWhite();
    void commandLineCutsTheTextAsTheWindowDoes();

  private:
    QTemporaryDir inputs; // made before the data functions run, unlike `dir`
};

void TestFaults::writesSeeEveryDeviceFailure_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<qint64>("chunk");
    QTest::addColumn<bool>("ok");
    QTest::newRow("fails at once") << qint64(0) << qint64(1 << 20) << false;
    QTest::newRow("fails after one byte") << qint64(1) << qint64(1 << 20) << false;
    QTest::newRow("fails in the middle") << qint64(5000) << qint64(1 << 20) << false;
    QTest::newRow("fails at the last byte") << qint64(9999) << qint64(1 << 20) << false;
    QTest::newRow("short writes, room enough") << qint64(10000) << qint64(7) << true;
}

void TestFaults::writesSeeEveryDeviceFailure()
{
    QFETCH(qint64, capacity);
    QFETCH(qint64, chunk);
    QFETCH(bool, ok);
    const QByteArray bytes(10000, 'x');
    FailingDevice device(capacity, chunk);
    device.open(QIODevice::WriteOnly);
    QCOMPARE(Files::writeAll(device, bytes), ok);
    QCOMPARE(device.errorString() == QLatin1String("device full"), !ok);
    if (ok)
        QCOMPARE(device.data, bytes);
}

void TestFaults::fullDiskKeepsOldFilesAndSaysSo()
{
    if (!isRoot())
        QSKIP("mounting a small tmpfs needs root; run the suite as root (CI does) to check a full disk");
    const QString full = dir->filePath(QStringLiteral("full"));
    QDir().mkpath(full);
    const QString mounted = sh(QStringLiteral("mount -t tmpfs -o size=256k tmpfs '%1'").arg(full));
    if (!mounted.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mounted));
    struct Unmount
    {
        QString path;
        ~Unmount() { sh(QStringLiteral("umount '%1'").arg(path)); }
    } unmount{full};

    // What stood there before the disk filled up.
    const QString project = projectFile(full, QStringLiteral("project.ipr"), {});
    const QString icons = full + QStringLiteral("/icons");
    QDir().mkpath(icons);
    for (int size : {48, 72, 96, 144, 192, 512})
        writeFile(icons + QStringLiteral("/Icon%1.png").arg(size), "old icon");
    const QString image = full + QStringLiteral("/pictogram.png");
    writeFile(image, "old pictogram");
    const QString locked = full + QStringLiteral("/locked");
    QDir().mkpath(locked);
    writeFile(locked + QStringLiteral("/icon.png"), "tiny");
    QVERIFY(lockFolder(locked, true));
    QFile filler(full + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) > 0) {
    }
    filler.close();
    const QStringList before = snapshot(full);

    // The command-line program: every file named with the reason, status 1.
    Run run = cli({QStringLiteral("icons"), project, icons, QStringLiteral("--no-stamp")});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err.count(QStringLiteral("No space left on device")), 6);
    QVERIFY(run.out.isEmpty());
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("render"), project, image},
          QStringList{QStringLiteral("image"), project, image},
          QStringList{QStringLiteral("render"), project, locked + QStringLiteral("/icon.png")},
          QStringList{QStringLiteral("package"), project, full + QStringLiteral("/pkg"),
                      QStringLiteral("--target"), QStringLiteral("all")}}) {
        run = cli(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("No space left on device")), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }
    QDir(full).rmdir(QStringLiteral("pkg/android/res/mipmap-anydpi-v26")); // empty folders may stay

    // The window: the specified warnings, the change marker kept.
    window->projectFilePath = project;
    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(3);
    triggerAction(window, "actionSaveProject");
    QCOMPARE(lastMessage(), QStringLiteral("The project file could not be created."));
    QVERIFY(window->windowTitle().endsWith(QLatin1Char('*')));
    Dialogs::queueAnswer(icons);
    click(window, "buttonSaveIcons");
    QCOMPARE(lastMessage(), QStringLiteral("Some icons could not be saved."));
    Dialogs::queueAnswer(image);
    click(window, "buttonSaveImage");
    QCOMPARE(lastMessage(), QStringLiteral("The image could not be saved."));

    QVERIFY(lockFolder(locked, false));
    sh(QStringLiteral("rm -rf '%1/pkg'").arg(full));
    QCOMPARE(snapshot(full), before);
}

void TestFaults::targetsThatAreNotPlainFilesAreLeftAlone()
{
    QStringList targets;
    const QString fifo = dir->filePath(QStringLiteral("pipe.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    targets << fifo;
    if (isRoot()) {
        const QString device = dir->filePath(QStringLiteral("null.png"));
        QCOMPARE(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)), 0);
        targets << device;
    }
    const QString project = projectFile(dir->path(), QStringLiteral("p.ipr"), {});
    for (const QString& target : targets) {
        const Run run = cli({QStringLiteral("render"), project, target});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(target + QStringLiteral(": it is not a regular file")),
                 qPrintable(run.err));
        Dialogs::queueAnswer(target);
        click(window, "buttonSaveImage");
        QCOMPARE(lastMessage(), QStringLiteral("The image could not be saved."));
        Dialogs::queueAnswer(target);
        triggerAction(window, "actionSaveProjectAs");
        QCOMPARE(lastMessage(), QStringLiteral("The project file could not be created."));
        QVERIFY(!QFileInfo(target).isFile());
    }
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({"p.ipr"}));
    // Empty names are usage errors, not the current or the root folder.
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("icons"), project, QString(), QStringLiteral("--no-stamp")},
          QStringList{QStringLiteral("render"), project, QString()},
          QStringList{QStringLiteral("package"), project, QString(), QStringLiteral("--target"),
                      QStringLiteral("ios")},
          QStringList{QStringLiteral("render"), QString(), dir->filePath(QStringLiteral("x.png"))}})
        QCOMPARE(cli(arguments).status, 2);
}

void TestFaults::lockedFolderRewritesInPlace()
{
    const QString folder = dir->filePath(QStringLiteral("locked"));
    QDir().mkpath(folder);
    const QString existing = folder + QStringLiteral("/icon.png");
    writeFile(existing, "old");
    if (!lockFolder(folder, true))
        QSKIP("cannot lock a folder against new files here");
    const QString project = projectFile(dir->path(), QStringLiteral("p.ipr"), {});
    const Run run =
        cli({QStringLiteral("render"), project, existing, QStringLiteral("--size"), QStringLiteral("32")});
    const Run refused = cli({QStringLiteral("render"), project, folder + QStringLiteral("/new.png")});
    lockFolder(folder, false);
    QCOMPARE(run.status, 0);
    QCOMPARE(QImage(existing).size(), QSize(32, 32));
    QCOMPARE(refused.status, 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"icon.png"}));
}

void TestFaults::hostileProjectFilesAreRefusedQuickly_data()
{
    QTest::addColumn<QString>("path");
    const QString fifo = inputs.filePath(QStringLiteral("pipe.ipr"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("pipe") << fifo;
    QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero");
    const QString sparse = inputs.filePath(QStringLiteral("sparse.ipr"));
    QFile file(sparse);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
    file.close();
    QTest::newRow("sparse 1 GB") << sparse;
    QByteArray noise(4096, 0);
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    writeFile(inputs.filePath(QStringLiteral("noise.ipr")), noise);
    QTest::newRow("binary noise") << inputs.filePath(QStringLiteral("noise.ipr"));
    writeFile(inputs.filePath(QStringLiteral("picture.ipr")), imageBytes("PNG", QSize(64, 64)));
    QTest::newRow("a picture") << inputs.filePath(QStringLiteral("picture.ipr"));
    writeFile(inputs.filePath(QStringLiteral("line.ipr")), QByteArray(2 << 20, '7') + '\n');
    QTest::newRow("2 MB line") << inputs.filePath(QStringLiteral("line.ipr"));
    writeFile(inputs.filePath(QStringLiteral("nul.ipr")), Project::format(Project::State()) + '\0');
    QTest::newRow("text with a NUL") << inputs.filePath(QStringLiteral("nul.ipr"));
    writeFile(inputs.filePath(QStringLiteral("latin1.ipr")), "128\n1\ncaf\xe9\n");
    QTest::newRow("invalid UTF-8") << inputs.filePath(QStringLiteral("latin1.ipr"));
}

void TestFaults::hostileProjectFilesAreRefusedQuickly()
{
    QFETCH(QString, path);
    const long memory = peakKilobytes();
    QElapsedTimer clock;
    clock.start();
    const QString out = dir->filePath(QStringLiteral("out.png"));
    const Run run = cli({QStringLiteral("render"), path, out});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.startsWith(QStringLiteral("The project file ") + path +
                                QStringLiteral(" could not be opened: ")),
             qPrintable(run.err));
    QVERIFY(!QFile::exists(out));

    control<QSlider>(window, "sliderBackgroundCornerCurvature")->setValue(5);
    window->projectFilePath = QStringLiteral("/kept/current.ipr");
    const QStringList state = window->projectState().lines();
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(lastMessage(), QStringLiteral("The project file could not be opened."));
    QCOMPARE(window->projectState().lines(), state);
    QCOMPARE(window->projectFilePath, QStringLiteral("/kept/current.ipr"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(peakKilobytes() - memory < 64 * 1024);
}

void TestFaults::picturesAreCheckedBeforeDecoding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size"); // empty: refused
    auto file = [this](const char* name, const QByteArray& bytes) {
        writeFile(inputs.filePath(QLatin1String(name)), bytes);
        return inputs.filePath(QLatin1String(name));
    };
    QTest::newRow("GIF with a huge screen") << file("screen.gif", gifWithHugeScreen()) << QSize();
    QTest::newRow("GIF named PNG") << file("screen.png", gifWithHugeScreen()) << QSize();
    QTest::newRow("ICO hiding a huge PNG") << file("big.ico", icoWithBigPng()) << QSize();
    QTest::newRow("PNG claiming 16385 wide") << file("wide.png", pngClaiming(16385, 4)) << QSize();
    const QString fifo = inputs.filePath(QStringLiteral("pipe.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("pipe") << fifo << QSize();
    QTest::newRow("folder") << inputs.path() << QSize();
    QTest::newRow("PNG named JPG") << file("real.jpg", imageBytes("PNG", QSize(40, 30))) << QSize(40, 30);
    QTest::newRow("JPEG") << file("photo.jpeg", imageBytes("JPG", QSize(24, 16))) << QSize(24, 16);
    QTest::newRow("BMP") << file("plain.bmp", imageBytes("BMP", QSize(8, 9))) << QSize(8, 9);
    QTest::newRow("TIFF") << file("scan.tif", imageBytes("TIFF", QSize(12, 5))) << QSize(12, 5);
}

void TestFaults::picturesAreCheckedBeforeDecoding()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const long memory = peakKilobytes();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(loadCustomPicture(path).size(), size.isEmpty() ? QSize(0, 0) : size);
    // The command line loads it the same way, at the largest scale.
    const QString project =
        projectFile(dir->path(), QStringLiteral("p.ipr"), {{18, "0"}, {22, "1"}, {23, path}, {25, "999"}});
    QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"), project,
                  dir->filePath(QStringLiteral("o.png")), QStringLiteral("--size"), QStringLiteral("16")})
                 .status,
             0);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(peakKilobytes() - memory < 64 * 1024);
}

void TestFaults::formatsWithoutAlphaGetWhite_data()
{
    QTest::addColumn<QString>("command"); // window "image" or "icons", or a command-line command
    QTest::addColumn<int>("format");
    for (int format : {1, 2}) {
        const QByteArray name = format == 1 ? "JPG" : "BMP";
        QTest::newRow("Save Image " + name) << "window image" << format;
        QTest::newRow("Save Icon(s) " + name) << "window icons" << format;
        QTest::newRow("image " + name) << "image" << format;
        QTest::newRow("icons " + name) << "icons" << format;
        QTest::newRow("render " + name) << "render" << format;
    }
}

void TestFaults::formatsWithoutAlphaGetWhite()
{
    QFETCH(QString, command);
    QFETCH(int, format);
    const bool pictogram = command.endsWith(QLatin1String("image"));
    // The black pictogram at its own size, or the default icon (transparent corners) at 256.
    const QString project = projectFile(dir->path(), QStringLiteral("p.ipr"),
                                        {{52, "0"},
                                         {72, "1"},
                                         {73, "256"},
                                         {74, QString::number(format)},
                                         {91, "420"},
                                         {92, QString::number(format)}});
    const QString out = dir->filePath(format == 1 ? QStringLiteral("out.jpg") : QStringLiteral("out.bmp"));
    if (command.startsWith(QLatin1String("window"))) {
        Dialogs::queueAnswer(project);
        triggerAction(window, "actionLoadProject");
        Dialogs::queueAnswer(pictogram ? out : dir->path());
        click(window, pictogram ? "buttonSaveImage" : "buttonSaveIcons");
        QCOMPARE(Dialogs::takeCalls().last().kind, QStringLiteral("information"));
    } else {
        QStringList arguments = {command, project, command == QLatin1String("icons") ? dir->path() : out};
        if (command == QLatin1String("icons"))
            arguments << QStringLiteral("--no-stamp");
        else if (command == QLatin1String("render"))
            arguments << QStringLiteral("--size") << QStringLiteral("256");
        QCOMPARE(cli(arguments).status, 0);
    }
    QString written = out;
    if (command.endsWith(QLatin1String("icons")))
        written = dir->filePath(QDir(dir->path()).entryList({QStringLiteral("Icon256*")}).value(0));
    const QImage image(written);
    QVERIFY2(!image.isNull(), qPrintable(written));
    const int tolerance = format == 1 ? 12 : 0; // JPEG is lossy
    auto near = [tolerance](QRgb pixel, int grey) {
        return qAbs(qRed(pixel) - grey) <= tolerance && qAbs(qGreen(pixel) - grey) <= tolerance &&
               qAbs(qBlue(pixel) - grey) <= tolerance;
    };
    // Transparent corners are white, not black; the picture keeps its colour.
    QVERIFY(near(image.pixel(0, 0), 255));
    QVERIFY(near(image.pixel(image.width() - 1, image.height() - 1), 255));
    if (pictogram) {
        const QImage source = window->graphicPixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        QPoint ink(-1, -1);
        for (int y = 0; y < source.height() && ink.x() < 0; ++y)
            for (int x = 4; x < source.width() - 4 && ink.x() < 0; ++x)
                if (qAlpha(source.pixel(x - 4, y)) == 255 && qAlpha(source.pixel(x + 4, y)) == 255)
                    ink = QPoint(x, y);
        QVERIFY(ink.x() >= 0);
        QVERIFY(near(image.pixel(ink), 0));
    } else {
        const QRgb edge = image.pixel(image.width() / 2, 4);
        QVERIFY(qRed(edge) > 140 && qGreen(edge) < 40);
    }
}

void TestFaults::commandLineCutsTheTextAsTheWindowDoes()
{
    const QString project = projectFile(dir->path(), QStringLiteral("t.ipr"), {{31, QString(40000, 'W')}});
    Project::State state;
    Project::apply(state, Project::readFile(project).values, 1);
    QCOMPARE(state.text(Project::Key::Text).size(), 32767);
    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(window->projectState().text(Project::Key::Text), state.text(Project::Key::Text));
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
