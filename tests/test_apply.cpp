// Icons put straight into app projects laid out as their frameworks' templates lay them out: the
// icons where each framework keeps them, at their sizes, the manifests and catalogs consistent
// (aapt packages the Android resources), nothing else touched, everything replaced kept.
#include "tests/support/testsupport.h"

#include "cli/commands.h"
#include "packages/apply/appproject.h"
#include "packages/check/check.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QtGui>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

// A file the update must leave at `size` pixels (the largest entry of a container), or at
// `size` x `height`.
struct Expected
{
    const char* path;
    int size;
    int height = 0;
};

// An app's project as its framework's generator lays it out, kept under tests/data/apply/: its
// icons are grey placeholders at the template's sizes.
struct Tree
{
    const char* name;
    const char* folder; // under tests/data/apply/
    QList<Expected> expected;
    bool launch = false;        // the launch screens too
    QStringList untouched = {}; // folders the update leaves alone
    const char* variant = "";   // build variants' icons instead of the release's ("debug,beta")
    const char* setting = "";   // lines the variants' apply sets in the build's configuration, "|" apart
    bool vector = false;        // an SVG logo: Android's adaptive layers as vector drawables
};

const Tree trees[] = {
    {"Flutter",
     "flutter",
     {{"android/app/src/main/res/mipmap-xxxhdpi/ic_launcher_foreground.png", 432},
      {"android/app/src/main/ic_launcher-playstore.png", 512},
      {"ios/Runner/Assets.xcassets/AppIcon.appiconset/AppIcon-1024-dark.png", 1024},
      {"ios/AppIcon.icon/Assets/Picture.png", 1024},
      {"macos/Runner/Assets.xcassets/AppIcon.appiconset/AppIcon-64.png", 64},
      {"web/icons/Icon-maskable-512.png", 512},
      {"web/favicon.png", 16},
      {"windows/runner/resources/app_icon.ico", 256}}},
    {"Tauri",
     "tauri",
     {{"src-tauri/icons/StoreLogo.png", 50},
      {"src-tauri/icons/Square89x89Logo.png", 89},
      {"src-tauri/icons/128x128@2x.png", 256},
      {"src-tauri/icons/icon.icns", 1024},
      {"src-tauri/icons/icon.ico", 256},
      {"src-tauri/icons/64x64.png", 64},
      {"src-tauri/icons/android/mipmap-xxxhdpi/ic_launcher_foreground.png", 432},
      {"src-tauri/icons/android/mipmap-mdpi/ic_launcher_round.png", 48},
      {"src-tauri/icons/android/values/ic_launcher_background.xml", 0},
      {"src-tauri/icons/ios/AppIcon-83.5x83.5@2x.png", 167},
      {"src-tauri/icons/ios/AppIcon-20x20@2x-1.png", 40},
      {"src-tauri/icons/ios/AppIcon-512@2x.png", 1024}}},
    {"Android Studio",
     "android-studio",
     {{"app/src/main/res/mipmap-hdpi/ic_launcher_round.png", 72},
      {"app/src/main/res/mipmap-xxxhdpi/ic_launcher_monochrome.png", 432}}},
    // A build variant: its own source set and icon set, the debug configuration choosing it; the
    // release icons, the listing picture and the manifest as they were.
    {"Capacitor, variant debug",
     "capacitor",
     {{"android/app/src/debug/res/mipmap-xxxhdpi/ic_launcher.png", 192},
      {"android/app/src/debug/res/mipmap-anydpi-v26/ic_launcher.xml", 0},
      {"ios/App/App/Assets.xcassets/AppIcon-Debug.appiconset/AppIcon-1024.png", 1024}},
     false,
     {"android/app/src/main/", "ios/App/App/Assets.xcassets/AppIcon.appiconset/", "ios/App/AppIcon.icon"},
     "debug",
     "ios/App/App.xcodeproj/project.pbxproj:\t\t\t\tASSETCATALOG_COMPILER_APPICON_NAME = \"AppIcon-Debug\";"},
    // A flavour of a Flutter app, as flutter_flavorizr names it: its Android source set, its sets
    // AppIcon-beta, its debug and profile configurations choosing it (the release one keeps the
    // store's); the web and Windows parts left alone.
    {"Flutter, flavour beta",
     "flutter",
     {{"android/app/src/beta/res/mipmap-xxxhdpi/ic_launcher_foreground.png", 432},
      {"ios/Runner/Assets.xcassets/AppIcon-beta.appiconset/AppIcon-1024.png", 1024},
      {"macos/Runner/Assets.xcassets/AppIcon-beta.appiconset/AppIcon-64.png", 64}},
     false,
     {"android/app/src/main/", "ios/Runner/Assets.xcassets/AppIcon.appiconset/", "web/", "windows/"},
     "beta",
     "ios/Runner.xcodeproj/project.pbxproj:\t\t\t\tASSETCATALOG_COMPILER_APPICON_NAME = \"AppIcon-beta\";"},
    // Two flavours in one run: each in its place, the one Xcode project choosing each one's set.
    {"Flutter, flavours debug and beta in one run",
     "flutter",
     {{"android/app/src/debug/res/mipmap-xxxhdpi/ic_launcher.png", 192},
      {"android/app/src/beta/res/mipmap-xxxhdpi/ic_launcher.png", 192},
      {"ios/Runner/Assets.xcassets/AppIcon-debug.appiconset/AppIcon-1024.png", 1024},
      {"ios/Runner/Assets.xcassets/AppIcon-beta.appiconset/AppIcon-1024.png", 1024}},
     false,
     {"android/app/src/main/", "ios/Runner/Assets.xcassets/AppIcon.appiconset/", "web/", "windows/"},
     "debug,beta",
     "ios/Runner.xcodeproj/project.pbxproj:\t\t\t\tASSETCATALOG_COMPILER_APPICON_NAME = \"AppIcon-debug\";|"
     "ios/Runner.xcodeproj/project.pbxproj:\t\t\t\tASSETCATALOG_COMPILER_APPICON_NAME = \"AppIcon-beta\";"},
    // An Expo app's variant: its images beside the app's own, app.json as it is.
    {"Expo, variant beta",
     "expo",
     {{"assets/images/icon-beta.png", 1024}, {"assets/images/adaptive-icon-beta.png", 1024}},
     false,
     {"app.json", "assets/images/icon.png", "assets/images/adaptive-icon.png"},
     "beta"},
    // Vector layers where the template has its own drawables of their names (drawable-v24 for the
    // foreground), its PNG layers left as they are.
    {"Capacitor, vector layers",
     "capacitor",
     {{"android/app/src/main/res/drawable-v24/ic_launcher_foreground.xml", 0},
      {"android/app/src/main/res/drawable/ic_launcher_background.xml", 0},
      {"android/app/src/main/res/drawable/ic_launcher_monochrome.xml", 0},
      {"android/app/src/main/res/mipmap-anydpi-v26/ic_launcher.xml", 0}},
     false,
     {"android/app/src/main/res/mipmap-hdpi/ic_launcher_foreground.png"},
     "",
     "",
     true},
    {"Capacitor",
     "capacitor",
     {{"android/app/src/main/res/mipmap-hdpi/ic_launcher_foreground.png", 162},
      {"ios/App/App/Assets.xcassets/AppIcon.appiconset/AppIcon-1024.png", 1024},
      {"ios/App/AppIcon.icon/icon.json", 0}}},
    // The template's launch screens kept at their sizes, those Capacitor's asset tool adds at its
    // sizes, Android 12's resources and the launch image set under the asset tool's names.
    {"Capacitor, launch screens",
     "capacitor",
     {{"android/app/src/main/res/drawable/splash.png", 480, 320},
      {"android/app/src/main/res/drawable-night/splash.png", 480, 320},
      {"android/app/src/main/res/drawable-port-xxxhdpi/splash.png", 1280, 1920},
      {"android/app/src/main/res/drawable-land-night-ldpi/splash.png", 320, 240},
      {"android/app/src/main/res/drawable-night-xxxhdpi/splash_icon.png", 1152},
      {"android/app/src/main/res/values-night/splash_background.xml", 0},
      {"ios/App/App/Assets.xcassets/Splash.imageset/Default@3x~universal~anyany-dark.png", 2732},
      {"ios/App/App/Assets.xcassets/Splash.imageset/Contents.json", 0}},
     true},
    {"React Native",
     "react-native",
     {{"android/app/src/main/res/mipmap-xxhdpi/ic_launcher.png", 144},
      {"ios/Tidewater/Images.xcassets/AppIcon.appiconset/AppIcon-1024-tinted.png", 1024}}},
    {"Expo",
     "expo",
     {{"assets/images/icon.png", 1024},
      {"assets/images/adaptive-icon.png", 1024},
      {"assets/images/favicon.png", 48}}},
    {"Expo, launch screens", "expo", {{"assets/images/splash-icon.png", 200}}, true},
    // After "expo prebuild": the native folders it makes again are left alone; the launch screen goes
    // into app.json, the plugin's entry added, naming the images made for it.
    {"Expo, prebuilt, launch screens",
     "expo-prebuilt",
     {{"assets/images/icon.png", 1024},
      {"assets/splash-icon.png", 1024},
      {"assets/splash-icon-dark.png", 1024},
      {"app.json", 0}},
     true,
     {QStringLiteral("android/"), QStringLiteral("ios/")}},
    // Android 12's launch theme beside the template's, its placeholder background filled in, the
    // centred launch image set, and iOS's start-up images named in the web page's head.
    {"Flutter, launch screens",
     "flutter",
     {{"android/app/src/main/res/values-v31/styles.xml", 0},
      {"android/app/src/main/res/values-night-v31/styles.xml", 0},
      {"android/app/src/main/res/drawable-v21/launch_background.xml", 0},
      {"android/app/src/main/res/drawable-xxhdpi/splash_icon.png", 864},
      {"ios/Runner/Assets.xcassets/LaunchImage.imageset/LaunchImage@3x.png", 2868},
      {"ios/Runner/Assets.xcassets/LaunchImage.imageset/LaunchImage-dark.png", 1376},
      {"web/splash/apple-splash-dark-2752-2064.png", 2752, 2064},
      {"web/index.html", 0}},
     true},
    {"Electron",
     "electron",
     {{"build/icon.icns", 1024}, {"build/icon.ico", 256}, {"build/icons/1024x1024.png", 1024}}},
    {"WinUI",
     "winui",
     {{"Tidewater/Assets/StoreLogo.png", 50},
      {"Tidewater/Assets/Square44x44Logo.targetsize-24_altform-unplated.png", 24},
      {"Tidewater/Assets/Wide310x150Logo.scale-200.png", 620, 300},
      {"Tidewater/Assets/SplashScreen.scale-200.png", 1240, 600}}},
    {"web app",
     "web-app",
     {{"public/logo192.png", 192}, {"public/favicon.ico", 64}, {"public/icon-maskable-512.png", 512}}},
    // A fresh Vite app with a manifest added: its entries from the site's root, its page linking
    // the template's SVG icon.
    {"Vite, a manifest added",
     "vite",
     {{"public/pwa-512x512.png", 512},
      {"public/icon-maskable-512.png", 512},
      {"public/favicon.ico", 48},
      {"index.html", 0}}},
    // An SVG logo: Tauri's mobile icons keep PNG layers (its mobile projects copy the mipmaps).
    {"Tauri, SVG logo",
     "tauri",
     {{"src-tauri/icons/android/mipmap-xxxhdpi/ic_launcher_foreground.png", 432},
      {"src-tauri/icons/android/mipmap-anydpi-v26/ic_launcher.xml", 0}},
     false,
     {},
     "",
     "",
     true},
    // An SVG logo: the SVG favicon (the template's replaced, still linked first) with the ICO one
    // linked after it.
    {"Vite, SVG favicon",
     "vite",
     {{"public/favicon.svg", 0}, {"public/favicon.ico", 48}, {"index.html", 0}},
     false,
     {},
     "",
     "",
     true},
    {"web app, launch screens",
     "web-app",
     {{"public/splash/apple-splash-1320-2868.png", 1320, 2868}, {"public/index.html", 0}},
     true},
};

// The tree of that name.
const Tree& tree(const char* name)
{
    for (const Tree& t : trees)
        if (qstrcmp(t.name, name) == 0)
            return t;
    qFatal("no tree %s", name);
}

// Copies the tree `t` to `root`. Flutter's project file is kept in the test data as
// flutter-project.yaml and laid out under the name Flutter gives it.
void lay(const QString& root, const Tree& t)
{
    const QString from =
        QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/tests/data/apply/") + QLatin1String(t.folder);
    const QMap<QString, QByteArray> files = filesUnder(from);
    QVERIFY2(!files.isEmpty(), qPrintable(from));
    for (auto it = files.begin(); it != files.end(); ++it) {
        QString name = it.key();
        if (QFileInfo(name).fileName() == QLatin1String("flutter-project.yaml"))
            name = QFileInfo(name).path() + QStringLiteral("/pubspec.yaml");
        const QString path = root + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, it.value());
    }
}

// Every file under `root` (but the backup) with its bytes.
QMap<QString, QByteArray> contents(const QString& root)
{
    QMap<QString, QByteArray> files = filesUnder(root);
    for (auto it = files.begin(); it != files.end();)
        it = it.key().startsWith(QLatin1String(".glyphwright-backup/")) ? files.erase(it) : std::next(it);
    return files;
}

QImage imageAt(const QString& path)
{
    return QImageReader(path).read();
}

QString aaptPackage(const QString& module)
{
    // Gradle fills in the manifest's placeholders before aapt sees it.
    QDir().mkpath(module + QStringLiteral("/merged"));
    const QString manifest = module + QStringLiteral("/merged/AndroidManifest.xml");
    writeFile(manifest, readAll(module + QStringLiteral("/src/main/AndroidManifest.xml"))
                            .replace("${applicationName}", "android.app.Application"));
    Process p;
    // The Android framework this machine has predates Android 12's launch theme attributes: its
    // values-v31 folders are left out (their text is checked on its own).
    p.start(QStringLiteral("aapt"),
            {QStringLiteral("package"), QStringLiteral("-f"), QStringLiteral("--ignore-assets"),
             QStringLiteral("!.svn:!.git:.*:<dir>_*:!*~:<dir>*-v31"), QStringLiteral("-M"), manifest,
             QStringLiteral("-S"), module + QStringLiteral("/src/main/res"), QStringLiteral("-I"),
             QStringLiteral("/usr/share/android-framework-res/framework-res.apk"), QStringLiteral("-F"),
             module + QStringLiteral("/app.apk")});
    p.waitForFinished(60000);
    const QString output = QString::fromUtf8(p.readAllStandardError());
    QFile::remove(module + QStringLiteral("/app.apk"));
    QDir(module + QStringLiteral("/merged")).removeRecursively();
    return p.exitCode() == 0 ? QString() : output;
}

} // namespace

class TestApply : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase() { initResources(); }
    void templates_data();
    void templates();
    void hostileTrees_data();
    void hostileTrees();
    void commandLine();

  private:
    QStringList* caseNames = nullptr; // set while the data function lists the cases
};

void TestApply::templates_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(trees)); ++i)
        QTest::newRow(trees[i].name) << i;
}

void TestApply::templates()
{
    QFETCH(int, index);
    const Tree& t = trees[index];
    QTemporaryDir work;
    const QString root = work.path();
    lay(root, t);
    const QMap<QString, QByteArray> before = contents(root);

    IconDesign design;
    design.backgroundColor = QColor(0x0e, 0x7c, 0x86);
    if (t.vector) {
        design.useImageFlat = false;
        design.useImageCustom = true;
        design.customVector =
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 24 24\"><path "
            "d=\"M12 2 L22 20 H2 Z M12 8 L7 17 H17 Z\" fill=\"#fff\" fill-rule=\"evenodd\"/></svg>";
        design.customImageSize = QSize(560, 560);
        design.customImage = VectorPicture::draw(design.customVector, design.customImageSize);
    }
    Packages::Options options;
    options.launch = t.launch;
    const QStringList variants = QString::fromLatin1(t.variant).split(QLatin1Char(','), Qt::SkipEmptyParts);
    options.variant.name = variants.value(0);
    const Packages::AppPlan plan = Packages::planAppUpdate(design, root, options, variants);
    QVERIFY(!plan.found.isEmpty());
    // An app is named once, not again for the copies of its configuration in its native projects;
    // a library module (Capacitor's plugins) shows no icon and is left alone.
    QVERIFY2(plan.found.filter(QStringLiteral("Capacitor app")).size() <= 1,
             qPrintable(plan.found.join('\n')));
    for (const Packages::AppChange& c : plan.changes)
        QVERIFY2(!c.path.contains(QLatin1String("capacitor-cordova-android-plugins")), qPrintable(c.path));
    QCOMPARE(plan.notes.filter(QStringLiteral("is an Android library module")).size(),
             int(QFileInfo::exists(root + QStringLiteral("/android/capacitor-cordova-android-plugins"))));
    const QString backup = Packages::backupFolder(root, QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));
    QCOMPARE(backup, QStringLiteral(".glyphwright-backup/2026-12-07_14-05-09"));
    const QList<Packages::Check::Finding> foreseen = Packages::Check::checkPlanned(plan);
    const Files::Outcome outcome = Packages::applyAppPlan(plan, backup);
    QVERIFY2(outcome.failed.isEmpty(),
             qPrintable(outcome.failed.value(0).path + QLatin1Char(' ') + outcome.failed.value(0).text()));
    const QMap<QString, QByteArray> after = contents(root);

    QSet<QString> changed;
    for (const Packages::AppChange& c : plan.changes)
        if (c.action != Packages::AppChange::Same)
            changed << c.path;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QString& path = it.key();
        if (!changed.contains(path)) {
            // Not an icon nor an icon entry: as it was, byte for byte.
            QVERIFY2(after.value(path) == it.value(), qPrintable(path));
            continue;
        }
        // Replaced, edited or moved out: the old bytes are in the backup, under the same path.
        QVERIFY2(readAll(root + QLatin1Char('/') + backup + QLatin1Char('/') + path) == it.value(),
                 qPrintable(path));
        QVERIFY2(after.value(path) != it.value(), qPrintable(path));
        // Each picture at its size (but Flutter's launch image, a one-pixel placeholder).
        const QImage old = imageAt(root + QLatin1Char('/') + backup + QLatin1Char('/') + path);
        if (!old.isNull() && after.contains(path) && QFileInfo(path).suffix() == QLatin1String("png") &&
            !path.contains(QLatin1String("LaunchImage.imageset/")))
            QVERIFY2(imageAt(root + QLatin1Char('/') + path).size() == old.size(), qPrintable(path));
    }
    for (const QString& path : after.keys())
        QVERIFY2(before.contains(path) || changed.contains(path), qPrintable(path));
    for (const QString& folder : t.untouched)
        for (const QString& path : changed)
            QVERIFY2(!path.startsWith(folder), qPrintable(path));
    // An Expo app's launch screen entry names images that are there.
    for (const QString& path : after.keys()) {
        if (!path.endsWith(QLatin1String("app.json")) || !t.launch)
            continue;
        for (const QJsonValue& plugin : QJsonDocument::fromJson(after.value(path))
                                            .object()
                                            .value(QStringLiteral("expo"))
                                            .toObject()
                                            .value(QStringLiteral("plugins"))
                                            .toArray()) {
            const QJsonObject o = plugin.toArray().at(1).toObject();
            for (const QString& image :
                 {o.value(QStringLiteral("image")).toString(),
                  o.value(QStringLiteral("dark")).toObject().value(QStringLiteral("image")).toString()})
                QVERIFY2(after.contains(QDir::cleanPath(QFileInfo(path).path() + QLatin1Char('/') + image)),
                         qPrintable(image));
            QVERIFY(o.value(QStringLiteral("dark")).toObject().contains(QStringLiteral("backgroundColor")));
        }
    }

    // The build's configurations name the variants' sets, those lines alone changed.
    for (const QString& setting : QString::fromUtf8(t.setting).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString path = setting.section(QLatin1Char(':'), 0, 0);
        QStringList lines;
        for (const QString& each : QString::fromUtf8(t.setting).split(QLatin1Char('|')))
            if (each.startsWith(path + QLatin1Char(':')))
                lines << each.section(QLatin1Char(':'), 1);
        const QStringList was = QString::fromUtf8(before.value(path)).split(QLatin1Char('\n')),
                          is = QString::fromUtf8(after.value(path)).split(QLatin1Char('\n'));
        QCOMPARE(is.size(), was.size());
        QStringList changedLines;
        for (int i = 0; i < is.size(); ++i)
            if (is[i] != was[i]) {
                changedLines << is[i];
                QVERIFY2(lines.contains(is[i]), qPrintable(is[i]));
            }
        QVERIFY2(changedLines.contains(setting.section(QLatin1Char(':'), 1)), qPrintable(setting));
    }
    // What apply wrote passes the check: no error and no warning (the tinted icon's alpha, kept as
    // Apple's guidance has it, is a note).
    // The check of the plan, made before, foresaw exactly that.
    // (A variant's apply leaves the release's icons, and their findings, as they are.)
    const QList<Packages::Check::Finding> checked = Packages::Check::checkApp(root);
    for (const Packages::Check::Finding& f : checked)
        QVERIFY2(*t.variant || f.severity() == Packages::Check::Severity::Note,
                 qPrintable(f.message + QLatin1Char(' ') + f.file));
    QCOMPARE(Packages::Check::findingLines(foreseen), Packages::Check::findingLines(checked));

    // Every asset catalog names only files that exist, at their declared sizes, and holds no other.
    for (const QString& path : after.keys()) {
        if (!path.endsWith(QLatin1String(".appiconset/Contents.json")))
            continue;
        const QString set = root + QLatin1Char('/') + QFileInfo(path).path() + QLatin1Char('/');
        QSet<QString> named{QStringLiteral("Contents.json")};
        for (const QJsonValue& v :
             QJsonDocument::fromJson(after.value(path)).object().value(QStringLiteral("images")).toArray()) {
            const QJsonObject entry = v.toObject();
            const QString file = entry.value(QStringLiteral("filename")).toString();
            named << file;
            const int points =
                entry.value(QStringLiteral("size")).toString().section(QLatin1Char('x'), 0, 0).toInt();
            const int scale =
                entry.value(QStringLiteral("scale")).toString(QStringLiteral("1x")).left(1).toInt();
            QVERIFY2(imageAt(set + file).size() == QSize(points * scale, points * scale),
                     qPrintable(set + file));
        }
        const QStringList inSet = QDir(set).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(QSet<QString>(inSet.begin(), inSet.end()), named);
    }
    // Android: the icon entries point at the new icons, and aapt packages the resources with them.
    for (const QString& path : after.keys()) {
        if (!path.endsWith(QLatin1String("src/main/AndroidManifest.xml")) ||
            path.contains(QLatin1String("capacitor-cordova-android-plugins")) || // a library module
            std::any_of(t.untouched.begin(), t.untouched.end(),
                        [&path](const QString& folder) { return path.startsWith(folder); }))
            continue;
        const QString manifest = QString::fromUtf8(after.value(path));
        QVERIFY(manifest.contains(QLatin1String("android:icon=\"@mipmap/ic_launcher\"")));
        QVERIFY(manifest.contains(QLatin1String("android:roundIcon=\"@mipmap/ic_launcher_round\"")));
        const QString module =
            root + QLatin1Char('/') + path.left(path.size() - int(qstrlen("/src/main/AndroidManifest.xml")));
        const QString problem = aaptPackage(module);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        if (!t.vector)
            QCOMPARE(
                imageAt(module + QStringLiteral("/src/main/res/mipmap-xxxhdpi/ic_launcher_foreground.png"))
                    .size(),
                QSize(432, 432));
        QCOMPARE(imageAt(module + QStringLiteral("/src/main/ic_launcher-playstore.png")).size(),
                 QSize(512, 512));
    }
    // Android 12's launch theme (which aapt here cannot check): well-formed, on the parent of the
    // theme it copies, showing the launch icon.
    for (const QString& path : after.keys()) {
        if (!path.contains(QLatin1String("-v31/")) || before.contains(path))
            continue;
        QXmlStreamReader xml(after.value(path));
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(path + QLatin1Char(' ') + xml.errorString()));
        const QString text = QString::fromUtf8(after.value(path));
        const QString parent = text.section(QLatin1String("parent=\""), 1).section(QLatin1Char('"'), 0, 0);
        QVERIFY2(!parent.isEmpty() &&
                     before.value(QString(path).remove(QLatin1String("-v31"))).contains(parent.toUtf8()),
                 qPrintable(path));
        QVERIFY2(text.contains(QLatin1String("@drawable/splash_icon")), qPrintable(path));
    }
    // An SVG logo's page (of a web app: with a manifest) links its SVG favicon first, the ICO one
    // after it.
    for (const QString& path : after.keys())
        if (t.vector && path.endsWith(QLatin1String("index.html")) &&
            after.value(path).contains("rel=\"manifest\"")) {
            const QString html = QString::fromUtf8(after.value(path));
            const int svg = html.indexOf(QLatin1String("favicon.svg\"")),
                      ico = html.indexOf(QLatin1String("favicon.ico\""));
            QVERIFY2(svg >= 0 && ico > svg && html.indexOf(QLatin1String("rel=\"icon\"")) < svg,
                     qPrintable(html));
        }
    // The files each framework looks for, made by the update, at their sizes.
    for (const Expected& e : t.expected) {
        const QString path = root + QLatin1Char('/') + QLatin1String(e.path);
        QVERIFY2(changed.contains(QLatin1String(e.path)), e.path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (e.size)
            QVERIFY2(Cli::pixelSize(&file) == QSize(e.size, e.height ? e.height : e.size), e.path);
    }
    // Every web manifest stays valid, lists a maskable icon, full bleed at its size; Flutter's
    // takes the icon's colour, the rest of it as it was. (A variant leaves the web alone.)
    for (const QString& path : *t.variant ? QStringList() : after.keys()) {
        // (The copies a build makes inside the native projects are the build's.)
        if (!(path.endsWith(QLatin1String("manifest.json")) ||
              path.endsWith(QLatin1String(".webmanifest"))) ||
            path.contains(QLatin1String("/assets/public/")) || path.contains(QLatin1String("/App/public/")))
            continue;
        const QJsonObject manifest = QJsonDocument::fromJson(after.value(path)).object();
        QVERIFY2(!manifest.isEmpty(), qPrintable(path));
        QString maskable;
        for (const QJsonValue& v : manifest.value(QStringLiteral("icons")).toArray())
            if (v.toObject().value(QStringLiteral("purpose")).toString() == QLatin1String("maskable"))
                maskable = v.toObject().value(QStringLiteral("src")).toString();
        QVERIFY2(!maskable.isEmpty(), qPrintable(path));
        // An entry added takes the form of the list's own: from the site's root or beside it.
        const QString first = manifest.value(QStringLiteral("icons"))
                                  .toArray()
                                  .at(0)
                                  .toObject()
                                  .value(QStringLiteral("src"))
                                  .toString();
        QCOMPARE(maskable.startsWith(QLatin1Char('/')), first.startsWith(QLatin1Char('/')));
        if (maskable.startsWith(QLatin1Char('/')))
            maskable = maskable.mid(1);
        // The page's icon links name the design's icons, files beside the manifest.
        for (const QString& page :
             {QFileInfo(path).path() + QStringLiteral("/index.html"),
              QFileInfo(QFileInfo(path).path()).path() + QStringLiteral("/index.html")}) {
            static const QRegularExpression link(
                QStringLiteral("<link rel=\"icon\"[^>]*href=\"/?([^\"]*)\""));
            for (auto i = link.globalMatch(QString::fromUtf8(after.value(QDir::cleanPath(page))));
                 i.hasNext();) {
                const QString named = i.next().captured(1).section(QLatin1Char('/'), -1);
                QVERIFY2(changed.contains(QFileInfo(path).path() + QLatin1Char('/') + named),
                         qPrintable(page + ": " + named));
            }
        }
        const QImage icon =
            imageAt(root + QLatin1Char('/') + QFileInfo(path).path() + QLatin1Char('/') + maskable)
                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.pixelColor(2, 2), QColor(0x0e, 0x7c, 0x86));
        if (path == QLatin1String("web/manifest.json")) {
            QCOMPARE(manifest.value(QStringLiteral("theme_color")).toString(), QStringLiteral("#0e7c86"));
            QCOMPARE(manifest.value(QStringLiteral("description")).toString(),
                     QStringLiteral("A new Flutter project."));
        }
    }

    // A second run changes nothing, and a look without writing writes nothing.
    const Packages::AppPlan again = Packages::planAppUpdate(design, root, options, variants);
    QCOMPARE(again.count(Packages::AppChange::Same), again.changes.size());
    design.backgroundColor = Qt::black;
    const Packages::AppPlan other = Packages::planAppUpdate(design, root, options, variants);
    QVERIFY(other.count(Packages::AppChange::Replace) > 0);
    QCOMPARE(contents(root), after);

    // An undo puts every file back as it was, removes what was added, and then the backup.
    const Packages::AppUndo undo = Packages::planAppUndo(root);
    QVERIFY2(!undo.refused && undo.conflicts.isEmpty(),
             qPrintable(undo.refused.text() + undo.conflicts.join(' ')));
    const Files::Outcome undone = Packages::undoApp(undo);
    QVERIFY2(undone.failed.isEmpty(), qPrintable(undone.failed.value(0).text()));
    QCOMPARE(filesUnder(root), before);
    QVERIFY(QDir(root).entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot) ==
            QDir(QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/tests/data/apply/") + QLatin1String(t.folder))
                .entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot));
}

namespace {

bool isRoot()
{
    return ::geteuid() == 0;
}

// The files of `root` whose names start with a dot (outside the backup).
QStringList hiddenFiles(const QString& root)
{
    QStringList hidden;
    for (const QString& path : contents(root).keys())
        if (QFileInfo(path).fileName().startsWith(QLatin1Char('.')))
            hidden << path;
    return hidden;
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

// App trees that strangers made, or that fail under the run: nothing is read or written through a
// link that leads out, the folder changes as a whole or not at all, one run at a time, and an
// undo puts back what was there.
void TestApply::hostileTrees_data()
{
    addCaseRows([this](QStringList* names) {
        caseNames = names;
        hostileTrees();
        caseNames = nullptr;
    });
}

void TestApply::hostileTrees()
{
    QTemporaryDir work, outside;
    const QString root = work.filePath(QStringLiteral("app"));
    const QString project = caseNames ? QString() : projectFile(work.path(), QStringLiteral("Shop.ipr"), {});
    auto apply = [&](const QStringList& more = {}) {
        return cli(QStringList{QStringLiteral("apply"), project, root} + more);
    };
    // The real command line's apply, killed at the `when`th of the system calls `calls`.
    auto killedAt = [&](const QString& calls, int when) {
        Process killed;
        killed.start(QStringLiteral("strace"),
                     {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                      QStringLiteral("-e"), QStringLiteral("trace=") + calls, QStringLiteral("-e"),
                      QStringLiteral("inject=%1:signal=KILL:when=%2").arg(calls).arg(when),
                      QStringLiteral(GLYPHWRIGHT_CLI), QStringLiteral("-q"), QStringLiteral("apply"), project,
                      root});
        return killed.waitForFinished(60000);
    };
    const struct
    {
        const char* name;
        std::function<void()> check;
    } cases[] = {
        {"an icons folder that is a link out: nothing written or read through it",
         [&] {
             lay(root, tree("Tauri")); // Tauri
             writeFile(outside.filePath(QStringLiteral("32x32.png")), "theirs");
             QDir(root + QStringLiteral("/src-tauri/icons")).removeRecursively();
             QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/src-tauri/icons")));
             // The rest is written; what was left alone makes the run fail, with why.
             const Run run = apply();
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(
                          QStringLiteral("Left as it is: src-tauri/icons/32x32.png leads out of the app's "
                                         "folder through a symbolic link")),
                      qPrintable(run.err));
             QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{QStringLiteral("32x32.png")});
             QCOMPARE(readAll(outside.filePath(QStringLiteral("32x32.png"))), QByteArray("theirs"));
         }},
        {"resources a link out: the manifest names no icon that is not there, status 1",
         [&] {
             lay(root, tree("Flutter")); // Flutter
             const QString res = root + QStringLiteral("/android/app/src/main/res");
             const QString manifest = root + QStringLiteral("/android/app/src/main/AndroidManifest.xml");
             const QByteArray before = readAll(manifest);
             QVERIFY(QDir().rename(res, outside.filePath(QStringLiteral("res"))));
             QVERIFY(QFile::link(outside.filePath(QStringLiteral("res")), res));
             const Run run = apply();
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(QStringLiteral("Left as it is: android/app/src/main/res/mipmap-")),
                      qPrintable(run.err));
             QCOMPARE(readAll(manifest), before);
         }},
        {"a link swapped in after the plan is refused",
         [&] {
             lay(root, tree("Flutter"));
             const Packages::AppPlan plan = Packages::planAppUpdate(IconDesign(), root);
             const QMap<QString, QByteArray> before = contents(root);
             // Between the plan and its writing, an icon becomes a link to a file outside.
             const QString icon = root + QStringLiteral("/web/icons/Icon-192.png");
             writeFile(outside.filePath(QStringLiteral("theirs.png")), "theirs");
             QFile::remove(icon);
             QVERIFY(QFile::link(outside.filePath(QStringLiteral("theirs.png")), icon));
             const Files::Outcome outcome =
                 Packages::applyAppPlan(plan, Packages::backupFolder(root, QDateTime::currentDateTime()));
             QVERIFY(!outcome.failed.isEmpty());
             QCOMPARE(outcome.failed.first().problem.reason, Reason::IsLink);
             QCOMPARE(readAll(outside.filePath(QStringLiteral("theirs.png"))), QByteArray("theirs"));
             QVERIFY(QFileInfo(icon).isSymLink());
             QMap<QString, QByteArray> now = contents(root);
             now.remove(QStringLiteral("web/icons/Icon-192.png"));
             QMap<QString, QByteArray> was = before;
             was.remove(QStringLiteral("web/icons/Icon-192.png"));
             QCOMPARE(now, was);
         }},
        {"a debug build's own launcher icons: left alone, with a note",
         [&] {
             lay(root, tree("Android Studio")); // Android Studio
             const QString debugIcon =
                 root + QStringLiteral("/app/src/debug/res/mipmap-hdpi/ic_launcher.png");
             QDir().mkpath(QFileInfo(debugIcon).path());
             writeFile(debugIcon, readAll(root + QStringLiteral("/app/src/main/res/drawable/old_icon.png")));
             const Packages::AppPlan plan = Packages::planAppUpdate(IconDesign(), root);
             QVERIFY(plan.notes.join(QLatin1Char('\n'))
                         .contains(QStringLiteral("app/src/debug has launcher icons of its own")));
             for (const Packages::AppChange& c : plan.changes)
                 QVERIFY2(!c.path.startsWith(QLatin1String("app/src/debug/")), qPrintable(c.path));
         }},
        {"variants Gradle does not build are told; build types, flavours and Capacitor's flavour are not",
         [&] {
             lay(root, tree("Android Studio"));
             writeFile(root + QStringLiteral("/app/build.gradle.kts"),
                       "android {\n    buildTypes {\n        release { isMinifyEnabled = false }\n"
                       "        create(\"staging\") { initWith(getByName(\"debug\")) }\n    }\n"
                       "    productFlavors {\n        create(\"free\") { dimension = \"tier\" }\n    }\n}\n");
             writeFile(root + QStringLiteral("/capacitor.config.json"), R"({"android": {"flavor": "paid"}})");
             const QStringList variants = {"debug", "staging", "free", "freeStaging", "paid", "beta"};
             Packages::Options options;
             options.variant.name = variants.first();
             const QString notes =
                 Packages::planAppUpdate(IconDesign(), root, options, variants).notes.join(QLatin1Char('\n'));
             QCOMPARE(notes.count(QStringLiteral("declares no build type or product flavour")), 1);
             QVERIFY2(notes.contains(QStringLiteral("named beta: Gradle takes app/src/beta/res")),
                      qPrintable(notes));
         }},
        {"more folders than an app's project (a home folder chosen by mistake): not searched",
         [&] {
             lay(root + QStringLiteral("/zz-app"), tree("Tauri"));
             for (int i = 0; i < 20001; ++i)
                 QDir().mkpath(root + QStringLiteral("/d%1/e%2").arg(i / 150).arg(i % 150));
             const Packages::AppPlan refused = Packages::planAppUpdate(IconDesign(), root);
             QCOMPARE(refused.refused.reason, Reason::TooManyFolders);
             QVERIFY(refused.refused.text().contains(QStringLiteral("more than 20000 folders")));
             QVERIFY(refused.changes.isEmpty());
         }},
        {"an icon that is a link to a secret: kept a link, the secret never copied",
         [&] {
             lay(root, tree("Flutter")); // Flutter
             const QString secret = outside.filePath(QStringLiteral("shadow"));
             writeFile(secret, "root:secret");
             QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
             QFile::remove(root + QStringLiteral("/web/favicon.png"));
             QVERIFY(QFile::link(secret, root + QStringLiteral("/web/favicon.png")));
             const Run run = apply();
             QCOMPARE(run.status, 0);
             QCOMPARE(QFileInfo(root + QStringLiteral("/web/favicon.png")).symLinkTarget(), secret);
             for (const QByteArray& bytes : filesUnder(root + QStringLiteral("/.glyphwright-backup")))
                 QVERIFY(!bytes.contains("root:secret"));
         }},
        {"vector layers after PNG ones: the PNG layers an apply wrote go, the template's stay, undo restores",
         [&] {
             lay(root, tree("Capacitor"));
             const QString res = root + QStringLiteral("/android/app/src/main/res/");
             writeFile(work.filePath(QStringLiteral("logo.svg")),
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 24 24\">"
                       "<circle cx=\"12\" cy=\"12\" r=\"9\" fill=\"#fff\"/></svg>");
             const QString logo = projectFile(work.path(), QStringLiteral("Logo.ipr"),
                                              {{18, QStringLiteral("0")},
                                               {22, QStringLiteral("1")},
                                               {23, work.filePath(QStringLiteral("logo.svg"))}});
             const QByteArray template_ =
                 readAll(res + QStringLiteral("mipmap-hdpi/ic_launcher_foreground.png"));
             QCOMPARE(cli({QStringLiteral("apply"), logo, root, QStringLiteral("--android-vector"),
                           QStringLiteral("never")})
                          .status,
                      0);
             const QByteArray ours =
                 readAll(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png"));
             QVERIFY(!ours.isEmpty());
             // A PNG layer changed by hand since is the developer's.
             writeFile(res + QStringLiteral("mipmap-mdpi/ic_launcher_background.png"), "edited");
             const Run vectors = cli({QStringLiteral("apply"), logo, root});
             QCOMPARE(vectors.status, 0);
             QVERIFY(readAll(res + QStringLiteral("drawable-v24/ic_launcher_foreground.xml"))
                         .contains("<vector"));
             QVERIFY(!QFile::exists(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png")));
             QVERIFY(!QFile::exists(res + QStringLiteral("mipmap-hdpi/ic_launcher_foreground.png")));
             QCOMPARE(readAll(res + QStringLiteral("mipmap-mdpi/ic_launcher_background.png")),
                      QByteArray("edited"));
             QVERIFY2(vectors.out.contains(QStringLiteral("no longer show in the adaptive icon")),
                      qPrintable(vectors.out));
             QCOMPARE(cli({QStringLiteral("apply"), QStringLiteral("--undo"), root}).status, 0);
             QCOMPARE(readAll(res + QStringLiteral("mipmap-xxxhdpi/ic_launcher_foreground.png")), ours);
             QVERIFY(readAll(res + QStringLiteral("mipmap-hdpi/ic_launcher_foreground.png")) != template_);
         }},
        {"a file of mode 0600: its backup and its undo keep the mode",
         [&] {
             lay(root, tree("Flutter"));
             const QString icon = root + QStringLiteral("/web/icons/Icon-192.png");
             QVERIFY(::chmod(QFile::encodeName(icon).constData(), 0600) == 0);
             QCOMPARE(apply().status, 0);
             const QStringList backups = QDir(root + QStringLiteral("/.glyphwright-backup"))
                                             .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
             QCOMPARE(modeOf(root + QStringLiteral("/.glyphwright-backup/") + backups.value(0) +
                             QStringLiteral("/web/icons/Icon-192.png")),
                      mode_t(0600));
             QCOMPARE(cli({QStringLiteral("apply"), QStringLiteral("--undo"), root}).status, 0);
             QCOMPARE(modeOf(icon), mode_t(0600));
         }},
        {"a listing that cannot be replaced: the whole folder as it was, status 1",
         [&] {
             if (!isRoot())
                 QSKIP("an immutable file needs root; run the suite as root (CI does)");
             lay(root, tree("Flutter"));
             const QMap<QString, QByteArray> before = contents(root);
             const QString listing =
                 root + QStringLiteral("/ios/Runner/Assets.xcassets/AppIcon.appiconset/Contents.json");
             QVERIFY2(shell(QStringLiteral("chattr +i '%1'").arg(listing)).isEmpty(), "chattr");
             const Run run = apply();
             shell(QStringLiteral("chattr -i '%1'").arg(listing));
             QCOMPARE(run.status, 1);
             QVERIFY2(
                 run.err.contains(QStringLiteral("Nothing in ") + root + QStringLiteral(" was changed.")),
                 qPrintable(run.err));
             QCOMPARE(contents(root), before);
             QVERIFY(!QFileInfo::exists(root + QStringLiteral("/.glyphwright-backup")));
         }},
        {"a disk that fills: the whole folder as it was",
         [&] {
             if (!isRoot())
                 QSKIP("mounting a small tmpfs needs root; run the suite as root (CI does)");
             QDir().mkpath(root);
             const QString mounted =
                 shell(QStringLiteral("mount -t tmpfs -o size=512k tmpfs '%1'").arg(root));
             if (!mounted.isEmpty())
                 QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mounted));
             struct Unmount
             {
                 QString path;
                 ~Unmount() { shell(QStringLiteral("umount '%1'").arg(path)); }
             } unmount{root};
             lay(root, tree("Flutter"));
             const QMap<QString, QByteArray> before = contents(root);
             const Run run = apply();
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(QStringLiteral("No space left on device")), qPrintable(run.err));
             QCOMPARE(contents(root), before);
             QCOMPARE(hiddenFiles(root), QStringList());
             // What is told is what was done: nothing, then why.
             QVERIFY2(run.out.contains(QStringLiteral("\nNothing was changed: ")) &&
                          !run.out.contains(QStringLiteral("\nadd ")) &&
                          !run.out.contains(QStringLiteral(" added, ")),
                      qPrintable(run.out));
         }},
        {"a disk that fills before an undo: nothing told as put back, nothing put back",
         [&] {
             if (!isRoot())
                 QSKIP("mounting a small tmpfs needs root; run the suite as root (CI does)");
             QDir().mkpath(root);
             const QString mounted = shell(QStringLiteral("mount -t tmpfs -o size=4m tmpfs '%1'").arg(root));
             if (!mounted.isEmpty())
                 QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mounted));
             struct Unmount
             {
                 QString path;
                 ~Unmount() { shell(QStringLiteral("umount '%1'").arg(path)); }
             } unmount{root};
             lay(root, tree("web app"));
             const QMap<QString, QByteArray> before = contents(root);
             QCOMPARE(apply().status, 0);
             const QMap<QString, QByteArray> applied = contents(root);
             shell(QStringLiteral("dd if=/dev/zero of='%1/fill' bs=4k 2>/dev/null").arg(root));
             Run run = cli({QStringLiteral("apply"), QStringLiteral("--undo"), root});
             QCOMPARE(run.status, 1);
             QVERIFY2(run.out.contains(QStringLiteral("Nothing was put back")) &&
                          !run.out.contains(QStringLiteral("restore ")),
                      qPrintable(run.out));
             QFile::remove(root + QStringLiteral("/fill"));
             QCOMPARE(contents(root), applied);
             QCOMPARE(cli({QStringLiteral("apply"), QStringLiteral("--undo"), root}).status, 0);
             QCOMPARE(contents(root), before);
         }},
        {"two runs at once: the second says which run holds the folder",
         [&] {
             lay(root, tree("Flutter"));
             const QMap<QString, QByteArray> before = contents(root);
             Packages::AppLock held(root);
             QVERIFY(held.isHeld());
             const Run run = apply();
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(QStringLiteral("another run (process %1 on ").arg(::getpid())),
                      qPrintable(run.err));
             QCOMPARE(contents(root), before);
         }},
        {"a run killed half way: the next puts back what it did, and its temporaries go",
         [&] {
             if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
                 QSKIP("scripts/setup.sh installs strace");
             lay(root, tree("Flutter"));
             const QMap<QString, QByteArray> before = contents(root);
             QVERIFY(killedAt(QStringLiteral("rename"), 4));
             QVERIFY(contents(root) != before);
             QVERIFY(!hiddenFiles(root).isEmpty());
             const Run next = cli({QStringLiteral("apply"), QStringLiteral("--undo"), root});
             QVERIFY2(next.status == 0, qPrintable(next.err));
             QVERIFY(next.out.contains(QStringLiteral("An apply was stopped before it finished")));
             QCOMPARE(contents(root), before);
             QVERIFY(!QFileInfo::exists(root + QStringLiteral("/.glyphwright-backup")));
         }},
        {"a run killed before its first change: the next removes its partial backup",
         [&] {
             if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
                 QSKIP("scripts/setup.sh installs strace");
             lay(root, tree("Flutter"));
             const QMap<QString, QByteArray> before = contents(root);
             // Killed as the first kept copy is named: the backup holds copies but not its list.
             QVERIFY(killedAt(QStringLiteral("linkat,renameat2,rename"), 2));
             QCOMPARE(contents(root), before);
             const QString backups = root + QStringLiteral("/.glyphwright-backup");
             QCOMPARE(QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
             QCOMPARE(apply().status, 0);
             QCOMPARE(QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
             QCOMPARE(cli({QStringLiteral("apply"), QStringLiteral("--undo"), root}).status, 0);
             QCOMPARE(contents(root), before);
             QVERIFY(!QFileInfo::exists(backups));
         }},
        {"an undo after the app changed: nothing put back, the changed file named",
         [&] {
             lay(root, tree("Flutter"));
             QCOMPARE(apply().status, 0);
             const QString icon = root + QStringLiteral("/web/icons/Icon-512.png");
             writeFile(icon, "edited since");
             const QMap<QString, QByteArray> edited = contents(root);
             const Run run = cli({QStringLiteral("apply"), QStringLiteral("--undo"), root});
             QCOMPARE(run.status, 1);
             QVERIFY2(run.err.contains(QStringLiteral("Changed since the apply: ") + icon),
                      qPrintable(run.err));
             QCOMPARE(contents(root), edited);
             // A refused undo tells nothing as done, on its output and in its report.
             QVERIFY2(!run.out.contains(QStringLiteral("restore ")) &&
                          !run.out.contains(QStringLiteral(" restored")) &&
                          run.out.contains(QStringLiteral("Nothing was put back")),
                      qPrintable(run.out));
             const QJsonObject report =
                 QJsonDocument::fromJson(
                     cli({QStringLiteral("--json"), QStringLiteral("apply"), QStringLiteral("--undo"), root})
                         .out.toUtf8())
                     .object();
             QCOMPARE(report.value(QStringLiteral("changes")).toArray().size(), 0);
             QCOMPARE(report.value(QStringLiteral("undone")).toBool(true), false);
             QCOMPARE(report.value(QStringLiteral("conflicts")).toArray().size(), 1);
             QCOMPARE(cli({QStringLiteral("apply"), QStringLiteral("--undo"), work.path()}).status, 2);
         }},
    };
    listOrRunCase(cases, caseNames);
}

void TestApply::commandLine()
{
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("Tidewater.ipr"), {});
    const QString app = work.filePath(QStringLiteral("app"));
    lay(app, tree("Flutter")); // Flutter
    const QMap<QString, QByteArray> before = contents(app);
    // --dry-run lists the changes and writes nothing.
    Run run = cli({QStringLiteral("apply"), project, app, QStringLiteral("--dry-run")});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Found Flutter app (pubspec.yaml)")), qPrintable(run.out));
    QVERIFY(run.out.contains(QStringLiteral("replace  web/icons/Icon-192.png\n")));
    QVERIFY(run.out.contains(QStringLiteral("edit     android/app/src/main/AndroidManifest.xml\n")));
    QVERIFY(run.out.contains(
        QStringLiteral("remove   ios/Runner/Assets.xcassets/AppIcon.appiconset/Icon-App-20x20@2x.png\n")));
    QVERIFY(run.out.contains(QStringLiteral("nothing was written")));
    QCOMPARE(contents(app), before);
    QVERIFY(!QFileInfo::exists(app + QStringLiteral("/.glyphwright-backup")));
    // The report for scripts; a second run has nothing to do.
    run = cli({QStringLiteral("--json"), QStringLiteral("apply"), project, app});
    QCOMPARE(run.status, 0);
    const QJsonObject report = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QVERIFY(report.value(QStringLiteral("backup"))
                .toString()
                .startsWith(app + QStringLiteral("/.glyphwright-backup/")));
    bool sawIcon = false;
    for (const QJsonValue& v : report.value(QStringLiteral("changes")).toArray()) {
        const QJsonObject c = v.toObject();
        if (c.value(QStringLiteral("path")).toString() == app + QStringLiteral("/web/icons/Icon-512.png")) {
            sawIcon = true;
            QCOMPARE(c.value(QStringLiteral("action")).toString(), QStringLiteral("replace"));
            QCOMPARE(c.value(QStringLiteral("width")).toInt(), 512);
        }
    }
    QVERIFY(sawIcon);
    run = cli({QStringLiteral("apply"), project, app});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.endsWith(
                 QStringLiteral("0 added, 0 replaced, 0 edited, 0 removed, 50 already up to date.\n")),
             qPrintable(run.out.right(200)));
    // A folder without a known app project: status 2 and what was looked for.
    const QString empty = work.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    run = cli({QStringLiteral("apply"), project, empty});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith(QStringLiteral("No app project was found in ") + empty +
                               QStringLiteral(". Looked for:\n")));
    QVERIFY(run.err.contains(QStringLiteral("Tauri (src-tauri/tauri.conf.json)")));
    // A fresh Vite app (a page, no manifest): what would make it an app project, and the package
    // that writes its icons meanwhile.
    const QString vite = work.filePath(QStringLiteral("vite"));
    lay(vite, tree("Vite, a manifest added"));
    QFile::remove(vite + QStringLiteral("/public/manifest.webmanifest"));
    run = cli({QStringLiteral("apply"), project, vite});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("index.html is a web page without a web app manifest")) &&
                 run.err.contains(QStringLiteral("glyphwright-cli package ") + project +
                                  QStringLiteral(" OUTDIR --target web")),
             qPrintable(run.err));
    // What --launch cannot do for an app is said, a line an app.
    for (const auto& [name, said] :
         {std::pair{"Tauri", "--launch has nothing to write for a Tauri app"},
          {"React Native", "has no launch image set (Splash.imageset or LaunchImage.imageset)"}}) {
        const QString other = work.filePath(QLatin1String(name));
        lay(other, tree(name));
        run = cli({QStringLiteral("apply"), project, other, QStringLiteral("--launch"),
                   QStringLiteral("--dry-run")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.count(QLatin1String(said)) == 1, qPrintable(run.out));
    }
}

QTEST_MAIN(TestApply)
#include "test_apply.moc"
