// The command-line exporter: same files as the window for the same project, clear failures.
#include "tests/support/testsupport.h"

#include "ui/dialogs.h"
#include "app/mainwindow.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "project/projectformat.h"

#include <QtTest>
#include <QtWidgets>

using namespace TestSupport;

using Changes = QMap<int, QString>; // project file line -> value
Q_DECLARE_METATYPE(Changes)

namespace {

// Files of a folder by their size prefix ("Icon48"), so stamps made a second apart still match.
QMap<QString, QString> bySize(const QString& folder)
{
    QMap<QString, QString> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('.'), 0, 0) + QLatin1Char('.') +
                         QFileInfo(name).suffix(),
                     folder + QLatin1Char('/') + name);
    return files;
}

QImage pixels(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase();
    void cleanupTestCase() { delete window; }
    void sameIconsAsTheWindow_data();
    void sameIconsAsTheWindow();
    void sameImageAsTheWindow();
    void renderCommand();
    void optionsBelongToTheirCommands_data();
    void optionsBelongToTheirCommands();
    void failuresAndUsage();
    void realProgramWithoutADisplay();
    void textIgnoresTheScreenResolution();
    void manualNamesEveryOption();

  private:
    MainWindow* window = nullptr;
    QTemporaryDir dir;
    QString picture;
};

void TestCli::initTestCase()
{
    window = makeWindow();
    picture = dir.filePath(QStringLiteral("logo.png"));
    QImage img(300, 180, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgba(x % 256, y, 128, (x + y) % 256));
    QVERIFY(img.save(picture));
}

void TestCli::sameIconsAsTheWindow_data()
{
    QTest::addColumn<Changes>("changes");
    using M = Changes;
    // Line numbers of the project file.
    QTest::newRow("gradient, PNG") << M{{2, "0"}, {6, "1"}, {13, "100"}, {16, "900"}, {1, "300"}};
    QTest::newRow("coloured picture, JPG 35")
        << M{{18, "0"}, {20, "1"}, {21, "17"}, {25, "60"}, {74, "1"}, {75, "35"}};
    QTest::newRow("custom picture, BMP")
        << M{{18, "0"}, {22, "1"}, {23, ""}, {25, "250"}, {29, "-40"}, {74, "2"}};
    QTest::newRow("text stroke shadow, TIFF")
        << M{{31, "Go"}, {33, "400"}, {34, "1"}, {41, "1"}, {42, "12"}, {46, "1"}, {48, "200"}, {74, "3"}};
    QTest::newRow("iOS set, ICO") << M{{52, "0"}, {59, "1"}, {71, "0"}, {74, "4"}, {32, "1"}, {31, "é"}};
    QTest::newRow("custom size, ICNS")
        << M{{52, "0"}, {72, "1"}, {73, "256"}, {74, "5"}, {17, "1"}, {2, "0"}};
    QTest::newRow("out of range values") << M{{1, "9999"}, {25, "0"}, {33, "5000"}, {19, "77"}, {32, "999"}};
}

void TestCli::sameIconsAsTheWindow()
{
    QFETCH(Changes, changes);
    if (changes.contains(23))
        changes[23] = picture;
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("p.ipr"), changes);
    const QString viaWindow = work.filePath(QStringLiteral("window"));
    const QString viaCli = work.filePath(QStringLiteral("cli"));
    QDir().mkpath(viaWindow);

    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    Dialogs::queueAnswer(viaWindow);
    click(window, "buttonSaveIcons");
    const Dialogs::Call message = Dialogs::takeCalls().last();

    const Run run = cli({QStringLiteral("icons"), project, viaCli});
    QCOMPARE(run.status, message.kind == QLatin1String("information") ? 0 : 1);
    const QMap<QString, QString> a = bySize(viaWindow), b = bySize(viaCli);
    QVERIFY(!a.isEmpty());
    QCOMPARE(a.keys(), b.keys());
    for (const QString& key : a.keys()) {
        QCOMPARE(pixels(a[key]), pixels(b[key]));
        QVERIFY(!pixels(a[key]).isNull());
    }
    QCOMPARE(run.out.count(QLatin1Char('\n')), b.size());
}

void TestCli::sameImageAsTheWindow()
{
    QTemporaryDir work;
    const QString project = projectFile(
        work.path(), QStringLiteral("g.ipr"),
        {{76, "5"}, {77, "200"}, {78, "10"}, {79, "90"}, {80, "7"}, {90, "0"}, {88, "1"}, {92, "3"}});
    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    const QString a = work.filePath(QStringLiteral("window.tiff")),
                  b = work.filePath(QStringLiteral("cli.tiff"));
    Dialogs::queueAnswer(a);
    click(window, "buttonSaveImage");
    QCOMPARE(cli({QStringLiteral("image"), project, b}).status, 0);
    QCOMPARE(QImageReader(b).format(), QByteArray("tiff"));
    QCOMPARE(pixels(b).size(), QSize(120, 120));
    QCOMPARE(pixels(a), pixels(b));
}

void TestCli::renderCommand()
{
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("r.ipr"), {{31, "R"}});
    Dialogs::queueAnswer(project);
    triggerAction(window, "actionLoadProject");
    const QString full = work.filePath(QStringLiteral("full.png"));
    Run run = cli({QStringLiteral("render"), project, full});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("Wrote ") + full + QLatin1Char('\n'));
    QCOMPARE(pixels(full), window->iconPixmap.toImage().convertToFormat(QImage::Format_ARGB32));
    const QString small = work.filePath(QStringLiteral("small.JPEG"));
    QCOMPARE(cli({QStringLiteral("-q"), QStringLiteral("render"), project, small, QStringLiteral("--size"),
                  QStringLiteral("64")})
                 .out,
             QString());
    QCOMPARE(QImageReader(small).format(), QByteArray("jpeg"));
    QCOMPARE(QImage(small).size(), QSize(64, 64));
    const QString other = work.filePath(QStringLiteral("icon.whatever"));
    QCOMPARE(cli({QStringLiteral("render"), project, other, QStringLiteral("--size"), QStringLiteral("16")})
                 .status,
             0);
    QCOMPARE(QImageReader(other).format(), QByteArray("png"));
    // ICO cannot hold 1024: a clear failure and no file.
    const QString ico = work.filePath(QStringLiteral("big.ico"));
    run = cli({QStringLiteral("render"), project, ico});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(ico));
    QVERIFY(!QFile::exists(ico));
}

void TestCli::failuresAndUsage()
{
    QTemporaryDir work;
    // Some sizes fail: the rest are written, each failure named, status 1.
    const QString ico = projectFile(work.path(), QStringLiteral("ico.ipr"), {{74, "4"}});
    const Run partial = cli(
        {QStringLiteral("icons"), ico, work.filePath(QStringLiteral("out")), QStringLiteral("--no-stamp")});
    QCOMPARE(partial.status, 1);
    QCOMPARE(QDir(work.filePath(QStringLiteral("out"))).entryList(QDir::Files),
             QStringList({"Icon144.ico", "Icon192.ico", "Icon48.ico", "Icon72.ico", "Icon96.ico"}));
    QCOMPARE(partial.err, QStringLiteral("Could not write ") +
                              work.filePath(QStringLiteral("out/Icon512.ico")) +
                              QStringLiteral(": ICO holds at most 256 x 256 pixels.\n"));
    // An output folder that cannot exist.
    QFile plain(work.filePath(QStringLiteral("plain")));
    plain.open(QIODevice::WriteOnly);
    plain.close();
    const QString png = projectFile(work.path(), QStringLiteral("png.ipr"), {});
    const Run blocked = cli({QStringLiteral("icons"), png, work.filePath(QStringLiteral("plain/sub"))});
    QCOMPARE(blocked.status, 1);
    QVERIFY(blocked.err.contains(QStringLiteral("could not be created")));

    // Usage errors and unreadable projects: status 2, nothing written.
    const QString target = work.filePath(QStringLiteral("never.png"));
    const QList<QStringList> usage = {
        {},
        {QStringLiteral("frobnicate"), png, target},
        {QStringLiteral("render"), png},
        {QStringLiteral("render"), png, target, QStringLiteral("--size"), QStringLiteral("0")},
        {QStringLiteral("render"), png, target, QStringLiteral("--size")},
        {QStringLiteral("image"), png, target, QStringLiteral("--no-stamp")},
        {QStringLiteral("render"), png, target, QStringLiteral("--bogus")},
        {QStringLiteral("render"), work.filePath(QStringLiteral("missing.ipr")), target},
        {QStringLiteral("render"), work.path(), target},
    };
    for (const QStringList& arguments : usage) {
        const Run run = cli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(target));
    }
    QVERIFY(cli({QStringLiteral("render"), work.filePath(QStringLiteral("missing.ipr")), target})
                .err.contains(work.filePath(QStringLiteral("missing.ipr"))));
}

void TestCli::realProgramWithoutADisplay()
{
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("d.ipr"), {});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    auto run = [&](const QStringList& arguments) {
        Process p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(GLYPHWRIGHT_CLI), arguments);
        p.waitForFinished(60000);
        return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    };
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    for (const char* command :
         {"icons PROJECT.ipr OUTDIR", "image PROJECT.ipr FILE", "render PROJECT.ipr FILE"})
        QVERIFY(help.out.contains(QLatin1String(command)));
    QCOMPARE(run({QStringLiteral("--version")}).out, QStringLiteral("glyphwright-cli 1.0.0\n"));
    // Help or a report that cannot be written is a failure.
    for (const QStringList& arguments : {QStringList{QStringLiteral("--help")},
                                         QStringList{QStringLiteral("--json"), QStringLiteral("render"),
                                                     project, work.filePath(QStringLiteral("r.png"))}}) {
        Process full;
        full.setProcessEnvironment(env);
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QStringLiteral(GLYPHWRIGHT_CLI), arguments);
        QVERIFY(full.waitForFinished(60000));
        QCOMPARE(full.exitCode(), 1);
    }
    const QString out = work.filePath(QStringLiteral("icons"));
    const Run icons = run({QStringLiteral("icons"), project, out, QStringLiteral("--no-stamp")});
    QCOMPARE(icons.status, 0);
    QCOMPARE(icons.err, QString());
    QCOMPARE(icons.out.count(QStringLiteral("Wrote ")), 6);
    QCOMPARE(QImage(out + QStringLiteral("/Icon48.png")).size(), QSize(48, 48));
    QCOMPARE(run({QStringLiteral("icons"), project}).status, 2);
}

void TestCli::textIgnoresTheScreenResolution()
{
    // Text is measured at 96 dpi and every PNG declares 96 dpi, whatever the toolkit takes the
    // screen's resolution to be: the same bytes with QT_FONT_DPI unset, 96 and 144.
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("t.ipr"),
                                        {{31, QStringLiteral("AB")}, {33, QStringLiteral("150")}});
    QList<QByteArray> files;
    for (const char* dpi : {"", "96", "144"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (*dpi)
            env.insert(QStringLiteral("QT_FONT_DPI"), QLatin1String(dpi));
        else
            env.remove(QStringLiteral("QT_FONT_DPI"));
        const QString out = work.filePath(QStringLiteral("icon%1.png").arg(QLatin1String(dpi)));
        Process p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(GLYPHWRIGHT_CLI),
                {QStringLiteral("-q"), QStringLiteral("render"), project, out});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        files << readAll(out);
    }
    QCOMPARE(files[1], files[0]);
    QCOMPARE(files[2], files[0]);
    const QImage icon = QImage::fromData(files[0]);
    QCOMPARE(icon.dotsPerMeterX(), 3780);
    QCOMPARE(icon.dotsPerMeterY(), 3780);
}

void TestCli::manualNamesEveryOption()
{
    const QString help = cli({QStringLiteral("--help")}).out;
    QString manual =
        QString::fromUtf8(readAll(QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/packaging/glyphwright-cli.1")));
    manual.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    // The option column of --help: each line of the options list that starts with a dash.
    QStringList named;
    for (const QString& line : help.mid(help.indexOf(QStringLiteral("\nOptions"))).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("  -")))
            for (const QString& part :
                 line.trimmed().section(QStringLiteral("  "), 0, 0).split(QStringLiteral(", ")))
                named << part.section(QLatin1Char(' '), 0, 0);
    QVERIFY2(named.size() >= 16, qPrintable(named.join(QLatin1Char(' '))));
    for (const QString& option : named)
        QVERIFY2(QRegularExpression(QStringLiteral("(^|[^a-z-])") + QRegularExpression::escape(option) +
                                    QStringLiteral("($|[^a-z-])"))
                     .match(manual)
                     .hasMatch(),
                 qPrintable(option + QStringLiteral(" is not in the manual page")));
}

void TestCli::optionsBelongToTheirCommands_data()
{
    QTest::addColumn<QStringList>("arguments"); // P: the project, O: the output
    QTest::addColumn<QString>("refusal");       // empty: it runs
    QTest::newRow("--size on render") << QStringList{"render", "P", "O.png", "--size", "8"} << QString();
    QTest::newRow("--size 4096, the largest")
        << QStringList{"render", "P", "O.png", "--size", "4096"} << QString();
    QTest::newRow("--size 4097") << QStringList{"render", "P", "O.png", "--size", "4097"}
                                 << "--size takes a whole number of pixels from 1 to 4096.";
    QTest::newRow("render to .tif") << QStringList{"render", "P", "O.tif", "--size", "8"} << QString();
    QTest::newRow("--size on package") << QStringList{"package", "P", "O", "--target", "web", "--size", "8"}
                                       << "--size belongs to the render command.";
    QTest::newRow("--background on render")
        << QStringList{"render", "P", "O.png", "--background", "red"}
        << "--background belongs to the package, preview, check and apply commands.";
    QTest::newRow("--no-stamp on image")
        << QStringList{"image", "P", "O.png", "--no-stamp"} << "--no-stamp belongs to the icons command.";
    QTest::newRow("package without --target")
        << QStringList{"package", "P", "O"} << "The package command needs --target.";
    QTest::newRow("a badge without a variant")
        << QStringList{"package", "P", "O", "--target", "web", "--badge", "QA"}
        << "--badge belongs to a variant: give --variant NAME too.";
    QTest::newRow("{version} where no app is read")
        << QStringList{"package", "P", "O", "--target", "web", "--variant", "beta", "--badge", "{version}"}
        << "--badge with {version} takes the version from an app's project, which apply reads";
    QTest::newRow("a variant's badge style")
        << QStringList{"package", "P", "O", "--target", "web", "--variant", "beta", "--badge-style", "stripe"}
        << "--badge-style takes banner, ribbon, corner, tint, grey.";
    QTest::newRow("check of two variants") << QStringList{"check", "P", "--variant", "debug,beta"}
                                           << "check measures one variant at a time: run it once for each.";
    QTest::newRow("Android's layers neither auto, always nor never")
        << QStringList{"package", "P", "O", "--target", "android", "--android-vector", "sometimes"}
        << "--android-vector takes auto, always or never.";
    QTest::newRow("a common option on any command")
        << QStringList{"-q", "preview", "P", "O.png"} << QString();
}

// Which options a command takes is what the command declares; --help lists every one it declares.
void TestCli::optionsBelongToTheirCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, refusal);
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("p.ipr"), {});
    for (QString& a : arguments)
        if (a == QLatin1String("P"))
            a = project;
        else if (a.startsWith(QLatin1String("O")))
            a = work.filePath(a);
    const Run run = cli(arguments);
    QCOMPARE(run.status, refusal.isEmpty() ? 0 : 2);
    if (!refusal.isEmpty())
        QVERIFY2(run.err.startsWith(refusal), qPrintable(run.err));
    // A file named .tif holds a TIFF.
    if (arguments.value(2).endsWith(QLatin1String(".tif")))
        QCOMPARE(QImageReader(arguments.value(2)).format(), QByteArray("tiff"));
    const QString help = cli({QStringLiteral("--help")}).out;
    for (const Cli::Command& command : Cli::commands())
        for (const QString& option : command.options)
            QVERIFY2(help.contains(QStringLiteral("--") + option), qPrintable(option));
}

QTEST_MAIN(TestCli)
#include "test_cli.moc"
