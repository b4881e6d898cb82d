// Real faults: a device that fails, a full disk, targets that are not plain files, project files
// and pictures that are not what they claim, formats without alpha. Each must end in a clear
// failure that loses nothing, quickly and in bounded memory.
#include "tests/support/testsupport.h"
#include "tests/support/faildevice.h"
#include "tests/support/pngreference.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "export/imageformats.h"
#include "project/custompicture.h"
#include "base/fileio.h"
#include "project/projectformat.h"
#include "packages/record.h"

#include <QtTest>
#include <QtWidgets>

#include "render/iconrenderer.h"
#include "render/vectorpicture.h"
#include "ui/packagesdialog.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <zlib.h>

using namespace TestSupport;

namespace {

bool isRoot()
{
    return ::geteuid() == 0;
}

// Keeps new files out of `folder` while its files stay writable: immutable for root (who ignores
// permissions), read-only for anyone else.
bool lockFolder(const QString& folder, bool locked)
{
    if (isRoot())
        return shell(QStringLiteral("chattr %1i '%2'").arg(locked ? '+' : '-').arg(folder)).isEmpty();
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

QByteArray le(quint32 v, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
    return b;
}

// A 24-bit Windows bitmap of w x h (negative: stored top-down) followed by `data` bytes of rows.
QByteArray bmp24(qint32 w, qint32 h, int data)
{
    return "BM" + le(quint32(54 + data), 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(quint32(w), 4) +
           le(quint32(h), 4) + le(1, 2) + le(24, 2) + le(0, 4) + le(quint32(data), 4) + le(2835, 4) +
           le(2835, 4) + le(0, 4) + le(0, 4) + QByteArray(data, char(0x7f));
}

// `bytes` in gzip's format, as an SVGZ file holds its SVG.
QByteArray gzipped(const QByteArray& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(bytes.size()))) + 32, 0);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
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

// A 16-bit RGBA PNG of w x h: a horizontal ramp, the same on every row, deflated a row at a time.
QByteArray rampPng16(quint32 w, quint32 h)
{
    auto chunk = [](const QByteArray& type, const QByteArray& body) {
        QByteArray c(4, 0);
        qToBigEndian(quint32(body.size()), c.data());
        c += type + body;
        QByteArray crc(4, 0);
        const QByteArray both = type + body;
        qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(both.constData()), uInt(both.size()))),
                     crc.data());
        return c + crc;
    };
    QByteArray row(1 + int(w) * 8, 0), zero(1 + int(w) * 8, 0);
    for (quint32 x = 0; x < w; ++x) {
        const quint16 v = quint16(x * 65535 / (w - 1));
        const quint16 pixel[4] = {v, quint16(65535 - v), 20000, 65535};
        for (int c = 0; c < 4; ++c)
            qToBigEndian(pixel[c], row.data() + 1 + x * 8 + c * 2);
    }
    zero[0] = 2; // later rows: "up", all zero
    QByteArray deflated(1 << 20, 0);
    z_stream z = {};
    deflateInit(&z, 1);
    auto feed = [&](const QByteArray& bytes, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
        z.avail_in = uInt(bytes.size());
        do {
            if (z.total_out + 65536 > quint64(deflated.size()))
                deflated.resize(deflated.size() * 2);
            z.next_out = reinterpret_cast<Bytef*>(deflated.data() + z.total_out);
            z.avail_out = uInt(deflated.size() - int(z.total_out));
            deflate(&z, flush);
        } while (z.avail_in > 0 || (flush == Z_FINISH && z.avail_out == 0));
    };
    feed(row, Z_NO_FLUSH);
    for (quint32 y = 1; y < h; ++y)
        feed(zero, y + 1 == h ? Z_FINISH : Z_NO_FLUSH);
    deflated.resize(int(z.total_out));
    deflateEnd(&z);
    QByteArray header(13, 0);
    qToBigEndian(w, header.data());
    qToBigEndian(h, header.data() + 4);
    header[8] = 16;
    header[9] = 6;
    return QByteArray::fromHex("89504e470d0a1a0a") + chunk("IHDR", header) + chunk("IDAT", deflated) +
           chunk("IEND", QByteArray());
}

// Runs the real command-line program; `shell` is a command line in which "$cli" names it.
Run realCli(const QString& shell, const QString& folder)
{
    Process p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("cli"), QStringLiteral(GLYPHWRIGHT_CLI));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), shell});
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Every file under `folder` whose name starts with a dot, but the record of what was exported.
QStringList hiddenFiles(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (QFileInfo(it.next()).fileName().startsWith(QLatin1Char('.')) &&
            it.fileName() != Packages::Record::fileName)
            found << it.filePath();
    return found;
}

// Whether the window warned since the calls were last taken.
bool warned()
{
    for (const Dialogs::Call& call : Dialogs::takeCalls())
        if (call.kind == QLatin1String("warning"))
            return true;
    return false;
}

// The latest message box the window showed, "" when none.
QString lastMessage()
{
    const QList<Dialogs::Call> calls = Dialogs::takeCalls();
    return calls.isEmpty() ? QString() : calls.last().text;
}

} // namespace

Q_DECLARE_METATYPE(Reason)

class TestFaults : public WindowTest
{
    Q_OBJECT

  private:
    QStringList* caseNames = nullptr; // set while the data functions list their cases

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
    void hostileSvgLogos_data();
    void hostileSvgLogos();
    void picturesAboveTheHeldSizeAreJudgedAsLibpngJudges_data();
    void picturesAboveTheHeldSizeAreJudgedAsLibpngJudges();
    void formatsWithoutAlphaGetWhite_data();
    void formatsWithoutAlphaGetWhite();
    void commandLineCutsTheTextAsTheWindowDoes();
    void processesEndWithTheirTest();
    void whatUsersHaveAndWhatPackagesMeet_data();
    void whatUsersHaveAndWhatPackagesMeet();

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
    const QString mounted = shell(QStringLiteral("mount -t tmpfs -o size=256k tmpfs '%1'").arg(full));
    if (!mounted.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mounted));
    struct Unmount
    {
        QString path;
        ~Unmount() { shell(QStringLiteral("umount '%1'").arg(path)); }
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
    // Platforms > Export Packages: every file named with its reason, in the dialog.
    {
        PackagesDialog packages(window->currentDesign(), project, window);
        Dialogs::queueAnswer(full + QStringLiteral("/pkg"));
        packages.findChild<QPushButton*>(QStringLiteral("buttonChooseFolder"))->click();
        packages.findChild<QPushButton*>(QStringLiteral("buttonExport"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(packages.isIdle(), 30000);
        QVERIFY(packages.findChild<QLabel*>(QStringLiteral("labelOutcome"))
                    ->text()
                    .startsWith(QStringLiteral("Wrote 0 files to ")));
        const QString failures =
            packages.findChild<QPlainTextEdit*>(QStringLiteral("textFailures"))->toPlainText();
        QVERIFY(failures.count(QStringLiteral("No space left on device")) > 50);
        QCOMPARE(failures.count(QStringLiteral("No space left on device")),
                 failures.count(QLatin1Char('\n')) + 1);
    }
    shell(QStringLiteral("rm -rf '%1/pkg'").arg(full));

    QVERIFY(lockFolder(locked, false));
    shell(QStringLiteral("rm -rf '%1/pkg'").arg(full));
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
    // (A file in a one-byte encoding, once refused here as not UTF-8, now loads: see
    // TestFaults::whatUsersHaveAndWhatPackagesMeet.)
}

void TestFaults::hostileProjectFilesAreRefusedQuickly()
{
    QFETCH(QString, path);
    const long memory = peakKilobytes();
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
    Dialogs::queueAnswer(int(QMessageBox::Yes)); // drop the unsaved change
    Dialogs::queueAnswer(path);
    triggerAction(window, "actionLoadProject");
    QCOMPARE(lastMessage(), QStringLiteral("The project file could not be opened."));
    QCOMPARE(window->projectState().lines(), state);
    QCOMPARE(window->projectFilePath, QStringLiteral("/kept/current.ipr"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Glyphwright*"));
    QVERIFY(peakKilobytes() - memory < 64 * 1024); // how long it takes: BM_RefuseTwoMegabyteLine
}

void TestFaults::picturesAreCheckedBeforeDecoding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");    // empty: refused
    QTest::addColumn<Reason>("reason"); // why it is refused (None: loaded)
    auto file = [this](const char* name, const QByteArray& bytes) {
        writeFile(inputs.filePath(QLatin1String(name)), bytes);
        return inputs.filePath(QLatin1String(name));
    };
    const Reason tooLarge = Reason::PictureTooLarge, early = Reason::EndsEarly;
    QTest::newRow("GIF with a huge screen") << file("screen.gif", gifWithHugeScreen()) << QSize() << tooLarge;
    QTest::newRow("GIF named PNG") << file("screen.png", gifWithHugeScreen()) << QSize() << tooLarge;
    QTest::newRow("ICO hiding a huge PNG") << file("big.ico", icoWithBigPng()) << QSize() << tooLarge;
    QTest::newRow("PNG claiming 16385 wide")
        << file("wide.png", pngClaiming(16385, 4)) << QSize() << tooLarge;
    QTest::newRow("real PNG 16385 wide")
        << file("real16385.png", imageBytes("PNG", QSize(16385, 2))) << QSize() << tooLarge;
    QTest::newRow("real PNG 16384 wide")
        << file("real16384.png", imageBytes("PNG", QSize(16384, 2))) << QSize(16384, 2) << Reason::None;
    const QString fifo = inputs.filePath(QStringLiteral("pipe.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("pipe") << fifo << QSize() << Reason::NotRegular;
    QTest::newRow("folder") << inputs.path() << QSize() << Reason::IsFolder;
    QTest::newRow("PNG named JPG") << file("real.jpg", imageBytes("PNG", QSize(40, 30))) << QSize(40, 30)
                                   << Reason::None;
    QTest::newRow("JPEG") << file("photo.jpeg", imageBytes("JPG", QSize(24, 16))) << QSize(24, 16)
                          << Reason::None;
    QTest::newRow("BMP") << file("plain.bmp", imageBytes("BMP", QSize(8, 9))) << QSize(8, 9) << Reason::None;
    QTest::newRow("TIFF") << file("scan.tif", imageBytes("TIFF", QSize(12, 5))) << QSize(12, 5)
                          << Reason::None;
    // SVG pictures, drawn at their own size: width and height (units at 96 a inch) or the viewBox.
    const QByteArray logo = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
                            "<rect x=\"4\" y=\"4\" width=\"16\" height=\"16\" fill=\"#1565c0\"/></svg>";
    QTest::newRow("SVG, sized") << file("logo.svg", logo) << QSize(24, 24) << Reason::None;
    QTest::newRow("SVG, viewBox only")
        << file("box.png", QByteArray(logo).replace("width=\"24\" height=\"24\"", "viewBox=\"0 0 48 32\""))
        << QSize(48, 32) << Reason::None;
    QTest::newRow("SVG in inches") << file("inch.svg",
                                           QByteArray(logo).replace("width=\"24\" height=\"24\"",
                                                                    "width=\"1in\" height=\"0.5in\""))
                                   << QSize(96, 48) << Reason::None;
    // 50 mm are 189 pixels: a square.
    QTest::newRow("SVG in millimetres")
        << file("mm.svg", QByteArray(logo).replace("width=\"24\" height=\"24\"",
                                                   "width=\"50mm\" height=\"189\" viewBox=\"0 0 24 24\""))
        << QSize(189, 189) << Reason::None;
    QTest::newRow("SVGZ") << file("logo.svgz", gzipped(logo)) << QSize(24, 24) << Reason::None;
    QTest::newRow("SVG, malformed") << file("bad.svg", QByteArray(logo).replace("</svg>", "</g>")) << QSize()
                                    << Reason::SvgMalformed;
    QTest::newRow("SVG, nested entities")
        << file("bomb.svg",
                "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\">"
                "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
                "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"><text>&c;</text></svg>")
        << QSize() << Reason::SvgEntities;
    // The root and 255 groups are 256 levels, the most accepted; the rectangle is the 257th.
    const auto nested = [&logo](int groups) {
        return QByteArray(logo)
            .replace("<rect", QByteArray("<g>").repeated(groups) + "<rect")
            .replace("</svg>", QByteArray("</g>").repeated(groups) + "</svg>");
    };
    QTest::newRow("SVG, nested 256 deep")
        << file("deep256.svg", nested(254)) << QSize(24, 24) << Reason::None;
    QTest::newRow("SVG, nested 257 deep")
        << file("deep257.svg", nested(255)) << QSize() << Reason::SvgTooDeep;
    QTest::newRow("SVGZ inflating past 8 MB") << file("big.svgz", gzipped(logo + QByteArray(9 << 20, ' ')))
                                              << QSize() << Reason::SvgTooLargeInflated;
    // Damaged or short data is refused with what is wrong, never drawn as a block; a bitmap stored
    // top-down is whole.
    QTest::newRow("top-down BMP") << file("down.bmp", bmp24(200, -150, 600 * 150)) << QSize(200, 150)
                                  << Reason::None;
    QImage noise(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            noise.setPixel(x, y, qRgb(x * 37 % 256, y * 53 % 256, (x * y) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "JPG", 95);
    QTest::newRow("JPEG cut to a third") << file("third.jpg", jpeg.left(jpeg.size() / 3)) << QSize() << early;
    QTest::newRow("JPEG frame without a scan")
        << file("noscan.jpg", QByteArray::fromHex("ffd8ffc0000b08003000400103011100ffd9")) << QSize()
        << Reason::HeaderUnreadable;
    QTest::newRow("BMP of 16384 x 6000 in 100 bytes")
        << file("short.bmp", bmp24(16384, 6000, 100)) << QSize() << early;
    QTest::newRow("BMP of width 0") << file("zero.bmp", bmp24(0, 10, 40)) << QSize()
                                    << Reason::HeaderUnreadable;
    QTest::newRow("GIF frame of 9000 x 9000 on a 0 x 0 screen")
        << file("frame.gif", QByteArray::fromHex("4749463839610000000080000000000000ffffff2c0000000028232823"
                                                 "0002024401003b"))
        << QSize() << Reason::HeaderUnreadable;
    QTest::newRow("PNG of signature and header only")
        << file("head.png", pngClaiming(40, 30)) << QSize() << Reason::ReaderError;
}

void TestFaults::picturesAreCheckedBeforeDecoding()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(Reason, reason);
    const long memory = peakKilobytes();
    Problem why;
    QByteArray vector;
    const QSize loaded = loadCustomPicture(path, &why, nullptr, &vector).size();
    QVERIFY2(why.reason == reason, qPrintable(why.text()));
    if (vector.isEmpty()) {
        QCOMPARE(loaded, size.isEmpty() ? QSize(0, 0) : size);
    } else {
        // An SVG takes the proportions it declares, its drawing fitted to the canvas: the logo's
        // square, 16 of its 24 units, reaches the safe circle.
        QVERIFY2(std::abs(double(loaded.width()) / loaded.height() - double(size.width()) / size.height()) <=
                     0.01 * size.width() / size.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(loaded.width()).arg(loaded.height())));
        QVERIFY(loaded.width() >= 400);
    }
    // The command line loads it the same way, at the largest scale (told to go on without a picture
    // it refuses).
    const QString project =
        projectFile(dir->path(), QStringLiteral("p.ipr"), {{18, "0"}, {22, "1"}, {23, path}, {25, "999"}});
    QCOMPARE(
        cli({QStringLiteral("-q"), QStringLiteral("--allow-missing-picture"), QStringLiteral("render"),
             project, dir->filePath(QStringLiteral("o.png")), QStringLiteral("--size"), QStringLiteral("16")})
            .status,
        0);
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

// What users bring (pictures in any format, the largest picture, old project files, pictures that
// moved) and what a build pipeline meets (signals, links at output paths, option values): one row
// each, with its outcome.
void TestFaults::whatUsersHaveAndWhatPackagesMeet()
{
    const QString d = caseNames ? QString() : dir->path(); // no folder while the cases are listed
    auto project = [&](const QString& name, const QMap<int, QString>& changes) {
        return projectFile(d, name, changes);
    };
    auto customPicture = [](const QString& path) {
        return QMap<int, QString>{{18, "0"}, {22, "1"}, {23, path}};
    };
    auto centre = [&](const QString& png) { return QImage(png).pixel(512, 512); };
    const struct
    {
        const char* name;
        std::function<void()> check;
    } rows[] = {
        {"a GIF picture: its first frame",
         [&] {
             // A 1 x 1 red GIF.
             writeFile(d + QStringLiteral("/red.gif"),
                       QByteArray::fromHex(
                           "47494638396101000100800000ff000000000021f90400000000002c000000000100010000"
                           "02024401003b"));
             const QImage picture = loadCustomPicture(d + QStringLiteral("/red.gif"));
             QCOMPARE(picture.size(), QSize(1, 1));
             QCOMPARE(picture.pixel(0, 0) | 0xff000000u, qRgb(255, 0, 0));
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"),
                           project("gif.ipr", customPicture("red.gif")), d + QStringLiteral("/gif.png")})
                          .status,
                      0);
         }},
        {"a WEBP saved under a .png name",
         [&] {
             QImage green(300, 200, QImage::Format_RGB32);
             green.fill(QColor(0, 200, 0));
             QVERIFY(green.save(d + QStringLiteral("/web.png"), "WEBP", 100));
             QCOMPARE(QImageReader(d + QStringLiteral("/web.png")).format(), QByteArray("webp"));
             QCOMPARE(loadCustomPicture(d + QStringLiteral("/web.png")).size(), QSize(300, 200));
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"),
                           project("webp.ipr", customPicture("web.png")), d + QStringLiteral("/webp.png")})
                          .status,
                      0);
             QVERIFY(qGreen(centre(d + QStringLiteral("/webp.png"))) > 150);
         }},
        {"the largest picture, 16-bit: held reduced, in bounded memory",
         [&] {
             writeFile(d + QStringLiteral("/big.png"), rampPng16(16384, 6103));
             const long before = peakKilobytes();
             Problem why;
             QSize own;
             const QImage picture = loadCustomPicture(d + QStringLiteral("/big.png"), &why, &own);
             QVERIFY2(!picture.isNull(), qPrintable(why.text()));
             QCOMPARE(own, QSize(16384, 6103));
             QVERIFY(qint64(picture.width()) * picture.height() <= heldPicturePixels);
             IconDesign design;
             design.useImageFlat = false;
             design.useImageCustom = true;
             design.customImage = picture;
             design.customImageSize = own;
             design.imageScale = 60;
             const QImage icon = renderIcon(design).toImage();
             QVERIFY(qAlpha(icon.pixel(512, 512)) == 255);
             QVERIFY2(peakKilobytes() - before < 400 * 1024,
                      qPrintable(QString::number(peakKilobytes() - before)));
         }},
        {"a project in Latin-1: every value loads",
         [&] {
             QByteArray file = Project::format(Project::State());
             QList<QByteArray> lines = file.split('\n');
             lines[30] = "Caf\xe9";
             lines[0] = "300";
             writeFile(d + QStringLiteral("/latin.ipr"), lines.join('\n'));
             Dialogs::queueAnswer(d + QStringLiteral("/latin.ipr"));
             triggerAction(window, "actionLoadProject");
             QVERIFY(!warned());
             QCOMPARE(control<QLineEdit>(window, "editText")->text(), QStringLiteral("Caf\u00e9"));
             QCOMPARE(control<QSlider>(window, "sliderBackgroundCornerCurvature")->value(), 300);
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"), d + QStringLiteral("/latin.ipr"),
                           d + QStringLiteral("/latin.png")})
                          .status,
                      0);
         }},
        {"a relative picture path counts from the project's folder, \\ separators too",
         [&] {
             QDir(d).mkpath(QStringLiteral("sub/pics"));
             QImage blue(64, 64, QImage::Format_RGB32);
             blue.fill(Qt::blue);
             QVERIFY(blue.save(d + QStringLiteral("/sub/pics/logo.png")));
             for (const char* stored : {"pics/logo.png", "pics\\logo.png"}) {
                 const QString p = projectFile(d + QStringLiteral("/sub"), QStringLiteral("rel.ipr"),
                                               customPicture(QLatin1String(stored)));
                 // Run from elsewhere: the picture is found all the same.
                 const Run run = realCli(QStringLiteral("\"$cli\" -q render sub/rel.ipr rel.png"), d);
                 QCOMPARE(run.status, 0);
                 QCOMPARE(centre(d + QStringLiteral("/rel.png")), qRgb(0, 0, 255));
                 Dialogs::queueAnswer(p);
                 triggerAction(window, "actionLoadProject");
                 QCOMPARE(window->customImage.size(), QSize(64, 64));
             }
         }},
        {"a picture that cannot be loaded: refused, or left out when allowed",
         [&] {
             QVERIFY(::mkfifo(QFile::encodeName(d + QStringLiteral("/fifo.png")).constData(), 0600) == 0);
             for (const char* stored :
                  {"missing.png", "sub", "fifo.png", "/dev/null", "C:\\Art\\logo.png", ""}) {
                 const QString p = project("gone.ipr", customPicture(QLatin1String(stored)));
                 const QString out = d + QStringLiteral("/gone.png");
                 const Run refused = cli({QStringLiteral("render"), p, out});
                 QCOMPARE(refused.status, 2);
                 QVERIFY2(refused.err.startsWith(QStringLiteral("The custom picture ")) &&
                              refused.err.contains(QLatin1String(stored)),
                          qPrintable(refused.err));
                 QVERIFY(!QFile::exists(out));
                 QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("--allow-missing-picture"),
                               QStringLiteral("render"), p, out})
                              .status,
                          0);
                 QFile::remove(out);
                 // The window keeps its silence.
                 Dialogs::queueAnswer(p);
                 triggerAction(window, "actionLoadProject");
                 QVERIFY(!warned());
                 QVERIFY(window->customImage.isNull());
             }
             // A picture not in use is no reason to refuse.
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"),
                           project("unused.ipr", {{23, "missing.png"}}), d + QStringLiteral("/unused.png")})
                          .status,
                      0);
         }},
        {"a signal during a run: no temporary file is left, hidden when one is",
         [&] {
             if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
                 QSKIP("scripts/setup.sh installs strace");
             project("b.ipr", {});
             // The rename that would put a new picture in place of an old one fails as the signal
             // comes: only the handler can remove the named temporary, and the old file stays.
             QVERIFY(QDir(d).mkpath(QStringLiteral("sig")));
             QVERIFY(realCli(QStringLiteral("\"$cli\" -q render b.ipr sig/one.png"), d).status == 0);
             const QByteArray before = readAll(d + QStringLiteral("/sig/one.png"));
             const Run stopped = realCli(QStringLiteral("strace -f -o /dev/null -e trace=rename "
                                                        "-e inject=rename:error=EIO:signal=TERM:when=1 "
                                                        "\"$cli\" -q render b.ipr sig/one.png"),
                                         d);
             QCOMPARE(stopped.status, 143);
             QCOMPARE(hiddenFiles(d + QStringLiteral("/sig")), QStringList());
             QCOMPARE(readAll(d + QStringLiteral("/sig/one.png")), before);
             QVERIFY(realCli(QStringLiteral("\"$cli\" -q package b.ipr L --target android"), d).status == 0);
             const struct
             {
                 const char* signal;
                 int status;
             } stops[] = {{"INT", 130}, {"TERM", 143}, {"HUP", 129}};
             for (const auto& s : stops) {
                 const Run run =
                     realCli(QStringLiteral(
                                 "strace -f -o /dev/null -e trace=rename -e inject=rename:signal=%1:when=3 "
                                 "\"$cli\" -q package b.ipr L --target android")
                                 .arg(QLatin1String(s.signal)),
                             d);
                 QCOMPARE(run.status, s.status);
                 QCOMPARE(hiddenFiles(d + QStringLiteral("/L")), QStringList());
             }
             // A kill cannot be caught: what it leaves is hidden, so build tools pass it by.
             realCli(
                 QStringLiteral("strace -f -o /dev/null -e trace=rename -e inject=rename:signal=KILL:when=3 "
                                "\"$cli\" -q package b.ipr L --target android"),
                 d);
             // (One a writing thread: those caught between naming and renaming.)
             const QStringList left = hiddenFiles(d + QStringLiteral("/L"));
             QVERIFY(!left.isEmpty());
             for (const QString& file : left)
                 QVERIFY2(QRegularExpression(QStringLiteral("^\\.ic_launcher[a-z_]*\\.png\\.[A-Za-z0-9]{6}$"))
                              .match(QFileInfo(file).fileName())
                              .hasMatch(),
                          qPrintable(file));
         }},
        {"durability: one sync a package, and a rename that fails is a failure",
         [&] {
             if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
                 QSKIP("scripts/setup.sh installs strace");
             project("s.ipr", {});
             // Every file is on disk before any takes its name, with one sync for them all.
             const Run counted =
                 realCli(QStringLiteral("strace -f -c -o syncs.txt -e trace=fdatasync,fsync,syncfs "
                                        "\"$cli\" -q package s.ipr S --target all"),
                         d);
             QCOMPARE(counted.status, 0);
             int syncs = 0;
             for (const QString& line :
                  QString::fromUtf8(readAll(d + QStringLiteral("/syncs.txt"))).split('\n'))
                 if (QRegularExpression(QStringLiteral("\\s(fdatasync|fsync|syncfs)$"))
                         .match(line)
                         .hasMatch())
                     syncs += line.simplified().split(' ').value(3).toInt();
             QVERIFY2(syncs >= 1 && syncs <= 3, qPrintable(QString::number(syncs)));
             // Replacing files: when no rename succeeds, every file is named as failed, and kept.
             const QByteArray icon = readAll(d + QStringLiteral("/S/web/icon-192.png"));
             const Run refused =
                 realCli(QStringLiteral("strace -f -o /dev/null -e trace=rename "
                                        "-e inject=rename:error=EIO \"$cli\" -q package s.ipr S "
                                        "--target all"),
                         d);
             QCOMPARE(refused.status, 1);
             QVERIFY2(refused.err.contains(QStringLiteral("icon-192.png: Input/output error")),
                      qPrintable(refused.err));
             QCOMPARE(readAll(d + QStringLiteral("/S/web/icon-192.png")), icon);
             QCOMPARE(hiddenFiles(d + QStringLiteral("/S")), QStringList());
         }},
        {"links at output paths: none leading out, none dangling",
         [&] {
             project("l.ipr", {});
             writeFile(d + QStringLiteral("/outside.txt"), "keep me");
             QDir(d).mkpath(QStringLiteral("out/web"));
             QFile::link(QStringLiteral("../../outside.txt"), d + QStringLiteral("/out/web/favicon-16.png"));
             QFile::link(QStringLiteral("../../nowhere.txt"), d + QStringLiteral("/out/web/favicon-32.png"));
             QFile::link(QStringLiteral("icon-192.png"), d + QStringLiteral("/out/web/icon-512.png"));
             const Run run =
                 cli({QStringLiteral("-q"), QStringLiteral("package"), d + QStringLiteral("/l.ipr"),
                      d + QStringLiteral("/out"), QStringLiteral("--target"), QStringLiteral("web,linux")});
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(QStringLiteral("favicon-16.png: it is a symbolic link to ")) &&
                          run.err.contains(QStringLiteral("favicon-32.png: it is a symbolic link to ")),
                      qPrintable(run.err));
             QCOMPARE(readAll(d + QStringLiteral("/outside.txt")), QByteArray("keep me"));
             QVERIFY(!QFile::exists(d + QStringLiteral("/nowhere.txt")));
             // A link inside the folder is written through.
             QCOMPARE(QImage(d + QStringLiteral("/out/web/icon-192.png")).size(), QSize(512, 512));
         }},
        {"option values and arguments",
         [&] {
             const QString p = project("o.ipr", {});
             for (const QString& colour : {QStringLiteral("transparent"), QStringLiteral("#00000000"),
                                           QStringLiteral("#80ff0000"), QStringLiteral("nonsense")})
                 QCOMPARE(
                     cli({QStringLiteral("package"), p, d + QStringLiteral("/o"), QStringLiteral("--target"),
                          QStringLiteral("web"), QStringLiteral("--background"), colour})
                         .status,
                     2);
             QCOMPARE(cli({QStringLiteral("package"), p, d + QStringLiteral("/o"), QStringLiteral("--target"),
                           QStringLiteral("linux"), QStringLiteral("--app-id"), QStringLiteral("foo\n")})
                          .status,
                      2);
             QCOMPARE(
                 cli({QStringLiteral("package"), p, d + QStringLiteral("/o"), QStringLiteral("--target"),
                      QStringLiteral("linux"), QStringLiteral("--app-id"), QString(251, QLatin1Char('a'))})
                     .status,
                 2);
             QVERIFY(!QFile::exists(d + QStringLiteral("/o")));
             // -h as another option's value is that value.
             const Run named = cli({QStringLiteral("-q"), QStringLiteral("package"), p,
                                    d + QStringLiteral("/o"), QStringLiteral("--target"),
                                    QStringLiteral("web"), QStringLiteral("--name"), QStringLiteral("-h")});
             QCOMPARE(named.status, 0);
             QVERIFY(!named.out.contains(QStringLiteral("Usage")));
             QVERIFY(readAll(d + QStringLiteral("/o/manifest.webmanifest")).contains("\"name\": \"-h\""));
             // A name the file system's encoding cannot hold would be written to another name.
             const Run bytes =
                 realCli(QStringLiteral("\"$cli\" render o.ipr \"$(printf 'caf\\351.png')\""), d);
             QCOMPARE(bytes.status, 2);
             QVERIFY(bytes.err.contains(QStringLiteral("not valid in the file system's encoding")));
             QVERIFY(QDir(d).entryList({QStringLiteral("caf*")}).isEmpty());
         }},
        {"names and small facts",
         [&] {
             const QString p = projectFile(d, QStringLiteral("org.example.Shop.ipr"), {});
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("package"), p, d + QStringLiteral("/n"),
                           QStringLiteral("--target"), QStringLiteral("linux,web"),
                           QStringLiteral("--base-path"), QStringLiteral("/shop")})
                          .status,
                      0);
             QVERIFY(QFile::exists(d + QStringLiteral("/n/linux/hicolor/48x48/apps/org.example.Shop.png")));
             const QByteArray snippet = readAll(d + QStringLiteral("/n/web/head-snippet.html"));
             QVERIFY(snippet.contains("href=\"/shop/favicon.ico\" sizes=\"16x16 32x32 48x48\""));
             QVERIFY(snippet.contains("href=\"/shop/manifest.webmanifest\""));
             QVERIFY(readAll(d + QStringLiteral("/n/web/manifest.webmanifest"))
                         .contains("\"start_url\": \"/shop/\""));
             const Run json =
                 cli({QStringLiteral("--json"), QStringLiteral("render"), p, d + QStringLiteral("/x.icns"),
                      QStringLiteral("--size"), QStringLiteral("512")});
             const QJsonObject written = QJsonDocument::fromJson(json.out.toUtf8())
                                             .object()
                                             .value(QStringLiteral("written"))
                                             .toArray()
                                             .first()
                                             .toObject();
             QCOMPARE(written.value(QStringLiteral("width")).toInt(), 512);
         }},
        // An export into a folder an earlier one wrote (under another app id) removes the earlier
        // files only when every file of its own was written, and only those unchanged since.
        {"an edited file of the same size stays",
         [&] {
             const QString p = projectFile(d, QStringLiteral("Shop.ipr"), {});
             const QString out = d + QStringLiteral("/e");
             const auto exportAs = [&](const char* id) {
                 return cli({QStringLiteral("-q"), QStringLiteral("package"), p, out,
                             QStringLiteral("--target"), QStringLiteral("linux"), QStringLiteral("--app-id"),
                             QLatin1String(id)})
                     .status;
             };
             QCOMPARE(exportAs("first"), 0);
             const QString edited = out + QStringLiteral("/hicolor/16x16/apps/first.png");
             QByteArray bytes = readAll(edited);
             bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55); // same size, other bytes
             writeFile(edited, bytes);
             QCOMPARE(exportAs("second"), 0);
             QCOMPARE(readAll(edited), bytes);
             QVERIFY(!QFile::exists(out + QStringLiteral("/hicolor/32x32/apps/first.png")));
         }},
        {"a failed export removes nothing",
         [&] {
             const QString p = projectFile(d, QStringLiteral("Shop.ipr"), {});
             const QString out = d + QStringLiteral("/f");
             QCOMPARE(
                 cli({QStringLiteral("-q"), QStringLiteral("package"), p, out, QStringLiteral("--target"),
                      QStringLiteral("linux"), QStringLiteral("--app-id"), QStringLiteral("first")})
                     .status,
                 0);
             const QMap<QString, QByteArray> first = filesUnder(out);
             // A folder where one of the second export's files goes: that file fails.
             QDir().mkpath(out + QStringLiteral("/hicolor/48x48/apps/second.png"));
             QCOMPARE(
                 cli({QStringLiteral("-q"), QStringLiteral("package"), p, out, QStringLiteral("--target"),
                      QStringLiteral("linux"), QStringLiteral("--app-id"), QStringLiteral("second")})
                     .status,
                 1);
             // The first export's own files (the second writes the script again) are all there.
             int kept = 0;
             for (auto it = first.begin(); it != first.end(); ++it)
                 if (it.key().contains(QLatin1String("first.png"))) {
                     QVERIFY2(readAll(out + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
                     ++kept;
                 }
             QCOMPARE(kept, 9);
         }},
        {"every dark media query names a -dark file",
         [&] {
             const QString p = projectFile(d, QStringLiteral("Shop.ipr"), {});
             QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("package"), p, d + QStringLiteral("/w"),
                           QStringLiteral("--target"), QStringLiteral("web"), QStringLiteral("--launch")})
                          .status,
                      0);
             const QStringList links = QString::fromUtf8(readAll(d + QStringLiteral("/w/head-snippet.html")))
                                           .split(QLatin1Char('\n'))
                                           .filter(QStringLiteral("apple-touch-startup-image"));
             QCOMPARE(links.size(), 92);
             for (const QString& link : links)
                 QVERIFY2(link.contains(QLatin1String("prefers-color-scheme: dark")) ==
                              link.contains(QLatin1String("apple-splash-dark-")),
                          qPrintable(link));
         }},
    };
    listOrRunCase(rows, caseNames);
}

// One row a case, each named by what it checks.
void TestFaults::whatUsersHaveAndWhatPackagesMeet_data()
{
    addCaseRows([this](QStringList* names) {
        caseNames = names;
        whatUsersHaveAndWhatPackagesMeet();
        caseNames = nullptr;
    });
}

// SVG logos from strangers: each refused before anything outside its folder is read or anything is
// drawn, with the element and the reason, or drawn; never a crash or a hang. The real command
// line runs each, as a user would.
void TestFaults::hostileSvgLogos_data()
{
    QTest::addColumn<QString>("svg");   // the file, in a folder beside the pictures it names
    QTest::addColumn<int>("status");    // of `render`
    QTest::addColumn<Reason>("reason"); // why it is refused
    QTest::addColumn<QString>("where"); // the element to blame, as the reason begins
    const QString folder = inputs.filePath(QStringLiteral("logos"));
    QDir().mkpath(folder + QStringLiteral("/art"));
    writeFile(inputs.filePath(QStringLiteral("secret.png")), imageBytes("PNG", QSize(8, 8)));
    writeFile(folder + QStringLiteral("/art/dot.png"), imageBytes("PNG", QSize(8, 8)));
    writeFile(folder + QStringLiteral("/art/four.png"), imageBytes("PNG", QSize(2048, 2048)));
    writeFile(folder + QStringLiteral("/huge.png"), pngClaiming(20000, 20000));
    QVERIFY(QFile::link(QStringLiteral("../secret.png"), folder + QStringLiteral("/out.png")));
    QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("/pipe.png")).constData(), 0600), 0);
    const QByteArray head =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"24\" height=\"24\" viewBox=\"0 0 24 24\">\n";
    auto logo = [&](const char* name, const QByteArray& body, const QByteArray& start = QByteArray()) {
        writeFile(folder + QLatin1Char('/') + QLatin1String(name),
                  (start.isEmpty() ? head : start) + body + "</svg>");
        return folder + QLatin1Char('/') + QLatin1String(name);
    };
    auto image = [&](const char* name, const QByteArray& href) {
        return logo(name, "<image width=\"24\" height=\"24\" xlink:href=\"" + href + "\"/>");
    };
    const QString named = QStringLiteral("its <image> on line 2 refers to ");
    QTest::newRow("text, the project without")
        << logo("text.svg", "<text x=\"2\" y=\"20\">Ab</text>") << 0 << Reason::None << QString();
    QTest::newRow("image beside it") << image("beside.svg", "art/dot.png") << 0 << Reason::None << QString();
    QTest::newRow("image by an absolute path")
        << image("absolute.svg", "/etc/passwd") << 2 << Reason::ImageAbsolute << named;
    QTest::newRow("image above its folder")
        << image("above.svg", "../secret.png") << 2 << Reason::ImageAbove << named;
    QTest::newRow("image through a link out")
        << image("link.svg", "out.png") << 2 << Reason::LinkLeadsOut << named;
    QTest::newRow("image on the network")
        << image("web.svg", "https://example.org/a.png") << 2 << Reason::ImageUrl << named;
    QTest::newRow("image a pipe") << image("pipe.svg", "pipe.png") << 2 << Reason::NotRegular << named;
    QTest::newRow("image the SVG itself") << image("self.svg", "self.svg") << 2 << Reason::ImageSelf << named;
    QTest::newRow("image another SVG") << image("other.svg", "text.svg") << 2 << Reason::ImageSvg << named;
    QTest::newRow("image of 20000 x 20000")
        << image("huge.svg", "huge.png") << 2 << Reason::PictureTooLarge << named;
    QTest::newRow("image of 20000 x 20000 as data")
        << image("hugedata.svg", "data:image/png;base64," + pngClaiming(20000, 20000).toBase64()) << 2
        << Reason::PictureTooLarge << named;
    // Five elements naming one picture of 4 megapixels: the fifth, on line 6, passes the 16 in all.
    QTest::newRow("images past 16 megapixels in all, the one passing named")
        << logo("sixteen.svg",
                QByteArray("<image width=\"2\" height=\"2\" xlink:href=\"art/four.png\"/>\n").repeated(5))
        << 2 << Reason::ImagesTooLarge << QStringLiteral("its <image> on line 6 refers to ");
    // 2000 uses of a group of 100 uses of 8000 rectangles: 1.6 billion elements from 380 KB; the
    // 63rd use inside the group, on line 2, passes the bound.
    QByteArray fan = "<defs><g id=\"a\">" + QByteArray("<rect width=\"1\" height=\"1\"/>").repeated(8000) +
                     "</g><g id=\"b\">" + QByteArray("<use xlink:href=\"#a\"/>").repeated(100) +
                     "</g></defs>\n" + QByteArray("<use xlink:href=\"#b\"/>\n").repeated(2000);
    QTest::newRow("use fanning out") << logo("fan.svg", fan) << 2 << Reason::SvgTooManyElements
                                     << QStringLiteral("its <use> on line 2");
    QTest::newRow("use repeating itself")
        << logo("loop.svg", "<g id=\"g\"><rect width=\"1\" height=\"1\"/><use xlink:href=\"#g\"/></g>") << 2
        << Reason::SvgRepeatsItself << QString();
    // Runs of text cost the plug-in's font machinery: 10000 of them took a second.
    QTest::newRow("ten thousand runs of text")
        << logo("runs.svg", "<text>\n" + QByteArray("<tspan>a</tspan>\n").repeated(10000) + "</text>") << 2
        << Reason::SvgTooManyElements << QStringLiteral("its <tspan> on line 7814");
    QTest::newRow("a gradient of 1025 stops")
        << logo("stops.svg", "\n<linearGradient id=\"g\">" +
                                 QByteArray("<stop offset=\"0\" stop-color=\"red\"/>").repeated(1025) +
                                 "</linearGradient><rect width=\"9\" height=\"9\" fill=\"url(#g)\"/>")
        << 2 << Reason::SvgTooManyStops << QStringLiteral("its <linearGradient> on line 3");
    QTest::newRow("a gradient of 1024 stops")
        << logo("stops1024.svg", "<linearGradient id=\"g\">" +
                                     QByteArray("<stop offset=\"0\" stop-color=\"red\"/>").repeated(1024) +
                                     "</linearGradient><rect width=\"9\" height=\"9\" fill=\"url(#g)\"/>")
        << 0 << Reason::None << QString();
    QTest::newRow("nested past 256 levels, the element named")
        << logo("deep.svg", QByteArray("<g>").repeated(255) + "\n<rect width=\"1\" height=\"1\"/>" +
                                QByteArray("</g>").repeated(255))
        << 2 << Reason::SvgTooDeep << QStringLiteral("its <rect> on line 3");
    QTest::newRow("entities, the declaration named")
        << logo("entities.svg", "<text>&a;</text>",
                "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY a \"aaa\">]>\n" + head)
        << 2 << Reason::SvgEntities << QStringLiteral("its <!DOCTYPE> on line 2");
    QTest::newRow("a size out of range")
        << logo("vast.svg", "<rect width=\"9\" height=\"9\"/>",
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1e9\" height=\"1e9\" viewBox=\"0 0 100 "
                "100\">")
        << 2 << Reason::SvgSizeOutOfRange << QStringLiteral("its <svg> on line 1");
    QTest::newRow("viewBox without area")
        << logo("flat.svg", "",
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\" viewBox=\"0 0 0 0\">")
        << 2 << Reason::SvgNoArea << QStringLiteral("its <svg> on line 1");
    // [the reason names the viewBox]
    QTest::newRow("a zero-height viewBox")
        << logo("thin.svg", "", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 24 0\">") << 2
        << Reason::SvgNoArea << QStringLiteral("its <svg> on line 1");
    // [8 MB and one byte refused]
    const QByteArray small = head + "<rect width=\"9\" height=\"9\"/></svg>";
    const QByteArray heavy =
        small + "<!--" + QByteArray(int(VectorPicture::maximumBytes) + 1 - small.size() - 8, 'x') + "-->\n";
    QCOMPARE(heavy.size(), int(VectorPicture::maximumBytes) + 1);
    writeFile(folder + QStringLiteral("/heavy.svg"), heavy);
    QTest::newRow("8 MB and one byte refused")
        << folder + QStringLiteral("/heavy.svg") << 2 << Reason::SvgTooLarge << QString();
}

void TestFaults::hostileSvgLogos()
{
    QFETCH(QString, svg);
    QFETCH(int, status);
    QFETCH(Reason, reason);
    QFETCH(QString, where);
    const QString project = projectFile(dir->path(), QStringLiteral("p.ipr"), {{22, "1"}, {23, svg}});
    const Run run = realCli(QStringLiteral("\"$cli\" -q render p.ipr out.png --size 64"), dir->path());
    QVERIFY2(run.status == status, qPrintable(run.err));
    Problem why;
    loadCustomPicture(svg, &why);
    QVERIFY2(why.reason == reason, qPrintable(why.text()));
    // A problem of one element is said of it: for a bound, the element that passes it.
    QVERIFY2(why.where.startsWith(where) && why.where.isEmpty() == where.isEmpty(), qPrintable(why.text()));
    if (status != 0)
        QVERIFY2(run.err.contains(why.text()), qPrintable(run.err));
    QCOMPARE(QFile::exists(dir->filePath(QStringLiteral("out.png"))), status == 0);
    if (status != 0)
        return;
    // The layered document's SVG layer holds its images, and names no file of this machine.
    QCOMPARE(realCli(QStringLiteral("\"$cli\" -q package p.ipr pack --target ios"), dir->path()).status, 0);
    const QByteArray layer = readAll(dir->filePath(QStringLiteral("pack/AppIcon.icon/Assets/Picture.svg")));
    QVERIFY(!layer.isEmpty());
    QVERIFY(!layer.contains(QFile::encodeName(inputs.path())));
    QCOMPARE(layer.count("href=\""), layer.count("href=\"data:image/"));
}

void TestFaults::picturesAboveTheHeldSizeAreJudgedAsLibpngJudges_data()
{
    // 5000 x 4000 pixels, more than the program holds, so read a row at a time: a 1-bit palette of
    // four colours (libpng keeps the two the depth indexes) with four alphas (ignored with them).
    const int w = 5000, h = 4000;
    QByteArray raw;
    for (int y = 0; y < h; ++y)
        raw.append(char(0)).append(QByteArray((w + 7) / 8, char(0x55)));
    QByteArray packed(int(compressBound(uLong(raw.size()))), 0);
    uLongf packedSize = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()), 1);
    packed.resize(int(packedSize));
    QByteArray header(13, 0);
    qToBigEndian(quint32(w), reinterpret_cast<uchar*>(header.data()));
    qToBigEndian(quint32(h), reinterpret_cast<uchar*>(header.data()) + 4);
    header[8] = 1;
    header[9] = 3;
    const QByteArray start = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngReference::chunk("IHDR", header) +
                             PngReference::chunk("PLTE", QByteArray::fromHex("ff00000000ff00ff00090909")) +
                             PngReference::chunk("tRNS", QByteArray(4, 0));
    const QByteArray data = PngReference::chunk("IDAT", packed),
                     end = PngReference::chunk("IEND", QByteArray());
    QByteArray badCrc = data;
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 1);
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    QTest::newRow("palette longer than its depth, with alphas") << start + data + end << 0;
    QTest::newRow("a wrong CRC on the last data chunk") << start + badCrc + end << 2;
    QTest::newRow("junk after the rows") << start + data + QByteArray("\0\0\0\5j#nk!xxxxxxxx") << 2;
}

// The row reader's verdict, through the command line: the palette picture is opaque red and blue
// as libpng draws it, a damaged one is refused as damaged (not drawn, not a crash).
void TestFaults::picturesAboveTheHeldSizeAreJudgedAsLibpngJudges()
{
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    const QString picture = dir->filePath(QStringLiteral("large.png")),
                  out = dir->filePath(QStringLiteral("o.png"));
    writeFile(picture, file);
    QFile::remove(out);
    const QString project =
        projectFile(dir->path(), QStringLiteral("p.ipr"), {{18, "0"}, {22, "1"}, {23, picture}, {25, "100"}});
    const Run run = cli({QStringLiteral("-q"), QStringLiteral("render"), project, out});
    QCOMPARE(run.status, status);
    if (status == 0) {
        const QRgb middle = QImage(out).pixel(512, 512);
        QCOMPARE(qAlpha(middle), 255);
        QVERIFY2(qRed(middle) > 100 && qBlue(middle) > 100 && qGreen(middle) == 0,
                 qPrintable(QString::number(middle, 16)));
    } else {
        QVERIFY(!QFile::exists(out));
        // Refused as damaged, not read as something else.
        Problem why;
        QVERIFY(loadCustomPicture(picture, &why).isNull());
        QVERIFY2(why.reason == Reason::NotReadWhole || why.reason == Reason::ReaderError,
                 qPrintable(why.text()));
    }
}

// A program a test starts, and whatever that starts, ends with the test: a shell left waiting on
// its children, as a command line is when its test fails half way, takes them with it.
void TestFaults::processesEndWithTheirTest()
{
    qint64 group = 0;
    // Those still running in the group (a killed one not yet reaped by its new parent is a zombie).
    const auto running = [&group] {
        int n = 0;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
            const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
            n += fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z";
        }
        return n;
    };
    {
        Process p;
        p.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 300 & sleep 300; wait")});
        QVERIFY(p.waitForStarted());
        group = p.processId();
        QTest::qWait(200);
        QCOMPARE(::kill(-pid_t(group), 0), 0);
        QVERIFY(running() >= 2);
    }
    QTRY_COMPARE(running(), 0);
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
