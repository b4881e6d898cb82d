// The design check: each rule fires where the pixels or the files justify it and stays silent where
// they do not, for designs (as the packages would write them) and for app projects as they stand.
#include "tests/support/testsupport.h"

#include "packages/check/check.h"
#include "render/vectorpicture.h"
#include "resources/initresources.h"

#include <QtGui>
#include <QtTest>

using namespace TestSupport;
using Packages::Check::Finding;

namespace {

const QStringList allTargets = {"android", "ios", "web", "windows", "macos", "linux"};

// The rule ids of `findings`, each once, sorted.
QStringList idsOf(const QList<Finding>& findings)
{
    QStringList ids;
    for (const Finding& f : findings)
        if (!ids.contains(QLatin1String(f.rule->id)))
            ids << QLatin1String(f.rule->id);
    ids.sort();
    return ids;
}

QString listed(const QList<Finding>& findings)
{
    QStringList lines;
    for (const Finding& f : findings)
        lines << QLatin1String(f.rule->id) + QStringLiteral(": ") + f.message + QStringLiteral(" (") +
                     f.file + QLatin1Char(')');
    return lines.join(QLatin1Char('\n'));
}

IconDesign svgPicture(const QByteArray& svg, bool transparent = false)
{
    IconDesign d;
    d.useImageFlat = false;
    d.useImageCustom = true;
    d.customVector = svg;
    d.customImageSize = QSize(600, 600);
    d.customImage = VectorPicture::draw(svg, d.customImageSize);
    d.useBackgroundColor = !transparent;
    d.useBackgroundTransparent = transparent;
    d.imageScale = 125;
    return d;
}

// A design, the options it is checked with and the rules that must fire (and no other).
struct DesignRow
{
    const char* name;
    std::function<IconDesign()> design;
    std::function<void(Packages::Options&)> options;
    QStringList expected;
};

const QByteArray navyLogo = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                            "<circle cx=\"50\" cy=\"50\" r=\"45\" fill=\"#14204f\"/></svg>";
// The same with a darker core: two tones, which the dark and tinted looks keep as they are.
const QByteArray navyLogoOfTwoTones =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
    "<circle cx=\"50\" cy=\"50\" r=\"45\" fill=\"#14204f\"/>"
    "<circle cx=\"50\" cy=\"50\" r=\"20\" fill=\"#080c24\"/></svg>";

// The default design with the app's name in small letters under the picture.
IconDesign smallName()
{
    IconDesign d;
    d.text = QStringLiteral("Tidewater");
    d.fontSize = 150;
    d.textOffsetY = 380;
    return d;
}

const QList<DesignRow>& designRows()
{
    const auto none = [](Packages::Options&) {};
    static const QList<DesignRow> rows = {
        {"the default design", [] { return IconDesign(); }, none, {}},
        {"a small picture",
         [] {
             IconDesign d;
             d.imageScale = 40;
             return d;
         },
         none,
         {"android-adaptive-small"}},
        // A logo in one ink is lifted in the dark and tinted icons as a shape is, and on the dark
        // launch screen to 3:1; one of two tones keeps its colours on the dark icon's grey plate,
        // where it all but vanishes. A chosen dark colour paints the text only of such a logo.
        {"a navy logo", [] { return svgPicture(navyLogo, true); }, none, {}},
        {"a navy logo of two tones",
         [] { return svgPicture(navyLogoOfTwoTones, true); },
         none,
         {"ios-dark-contrast", "ios-tinted-contrast"}},
        // Under a white name, the glyph as a whole stands apart; the picture alone does not.
        {"a navy logo of two tones under a white name",
         [] {
             IconDesign d = svgPicture(navyLogoOfTwoTones, true);
             d.text = QStringLiteral("Go");
             return d;
         },
         none,
         {"ios-dark-contrast", "ios-tinted-contrast"}},
        {"a navy logo, a dark colour chosen",
         [] { return svgPicture(navyLogoOfTwoTones, true); },
         [](Packages::Options& o) { o.iosDarkColor = QColor(0xe0, 0xe8, 0xff); },
         {"ios-dark-contrast", "ios-tinted-contrast"}},
        {"the name in small letters", smallName, none, {"small-text-illegible"}},
        {"the name in small letters, left out of the small icons",
         smallName,
         [](Packages::Options& o) { o.smallWithoutText = true; },
         {}},
        {"a white logo on transparency over a white plate",
         [] {
             IconDesign d;
             d.useBackgroundColor = false;
             d.useBackgroundTransparent = true;
             return d;
         },
         none,
         {"plate-matches-glyph"}},
        {"a white logo on transparency over a chosen plate",
         [] {
             IconDesign d;
             d.useBackgroundColor = false;
             d.useBackgroundTransparent = true;
             return d;
         },
         [](Packages::Options& o) { o.background = QColor(0x0e, 0x7c, 0x86); },
         {}},
        // Text across a yellow disc, both lifted alike in the dark icon under a chosen pale colour.
        {"text across the picture, a pale dark colour chosen",
         [] {
             IconDesign d =
                 svgPicture("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                            "<circle cx=\"50\" cy=\"50\" r=\"45\" fill=\"#ffd23f\"/></svg>");
             d.text = QStringLiteral("GO");
             d.textColor = QColor(0xff, 0xf4, 0xc0);
             return d;
         },
         [](Packages::Options& o) { o.iosDarkColor = QColor(0xff, 0xee, 0xaa); },
         {"ios-dark-text-contrast"}},
        // A picture on an opaque plate of its own: the themed layer keeps only the ring's outline.
        {"a picture on a plate of its own",
         [] {
             return svgPicture("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                               "<rect width=\"100\" height=\"100\" fill=\"#2e7d32\"/>"
                               "<circle cx=\"50\" cy=\"50\" r=\"20\" fill=\"#2e7d32\" stroke=\"#fff\" "
                               "stroke-width=\"6\"/></svg>",
                               true);
         },
         none,
         {"ios-dark-contrast", "themed-silhouette-lost"}},
    };
    return rows;
}

// An app's project under tests/data and the rules that must fire on it as it stands.
struct AppRow
{
    const char* name;
    const char* folder;
    QStringList expected;
};

const AppRow appRows[] = {
    {"faulty Android modules",
     "check/faulty-android",
     {"android-adaptive-safe-zone", "android-adaptive-small", "android-densities",
      "android-launch-icon-circle", "android-launcher-not-mipmap", "android-manifest-missing-icon",
      "android-no-monochrome", "launch-dark-contrast", "play-icon-size", "play-icon-transparent",
      "themed-silhouette-flooded", "themed-silhouette-lost"}},
    // A white plate past the safe circle on a white background: the mask cuts it unseen; a square
    // logo whose themed shape is the same square is not flooded.
    {"a plate of the background's colour", "check/plated-android", {}},
    // The themed layer an earlier release wrote for a raster logo on a plate: its body a ghost.
    {"a raster logo's faded body",
     "check/faded-android",
     {"android-adaptive-small", "themed-silhouette-faded"}},
    {"faulty icon sets",
     "check/faulty-ios",
     {"ios-appstore-alpha", "ios-appstore-missing", "ios-iconset-missing-file", "ios-iconset-unnamed-file"}},
    {"a faulty web app",
     "check/faulty-web",
     {"web-icon-missing", "web-manifest-any-maskable", "web-manifest-size-untrue", "web-manifest-sizes"}},
    {"a faulty Expo app", "check/faulty-expo", {"expo-image-missing", "expo-image-size"}},
    {"a faulty Tauri app", "check/faulty-tauri", {"tauri-icon-missing"}},
    {"a faulty packaged Windows app", "check/faulty-msix", {"msix-asset-missing"}},
    // The abridged templates the apply tests use (one density, grey placeholders, an App Store icon
    // with alpha in some): what the abridgement lacks is found, and nothing else.
    {"the Capacitor tree",
     "apply/capacitor",
     {"android-densities", "android-no-monochrome", "ios-appstore-alpha"}},
    {"the Android Studio tree", "apply/android-studio", {"android-launcher-not-mipmap"}},
    {"the Flutter tree", "apply/flutter", {"ios-appstore-alpha"}},
    {"the React Native tree", "apply/react-native", {"android-densities"}},
    {"the Create React App tree", "apply/web-app", {}},
    {"the Tauri tree", "apply/tauri", {}},
    {"the Expo tree", "apply/expo", {}},
    {"the WinUI tree", "apply/winui", {}},
};

} // namespace

class TestCheck : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase() { initResources(); }
    void designs_data();
    void designs();
    void appProjects_data();
    void appProjects();
    void everyRuleFiresAndStaysSilent();
    void commandLine();
};

void TestCheck::designs_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < designRows().size(); ++i)
        QTest::newRow(designRows()[i].name) << i;
}

void TestCheck::designs()
{
    QFETCH(int, index);
    const DesignRow& row = designRows()[index];
    Packages::Options options;
    options.launch = true;
    row.options(options);
    const QList<Finding> found = Packages::Check::checkDesign(row.design(), allTargets, options);
    QVERIFY2(idsOf(found) == row.expected, qPrintable(listed(found)));
    for (const Finding& f : found) {
        // Each finding says where it stands on the icon and what fixes it.
        QVERIFY2(QRect(0, 0, 1024, 1024).contains(f.box) && !f.box.isEmpty(), qPrintable(f.rule->id));
        QVERIFY(!QLatin1String(f.rule->remedy).isEmpty() && !f.message.contains(QRegularExpression("%\\d")));
    }
}

void TestCheck::appProjects_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(appRows)); ++i)
        QTest::newRow(appRows[i].name) << i;
}

void TestCheck::appProjects()
{
    QFETCH(int, index);
    const AppRow& row = appRows[index];
    const QString folder = QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/tests/data/") + QLatin1String(row.folder);
    const QList<Finding> found = Packages::Check::checkApp(folder);
    QStringList expected = row.expected;
    expected.sort();
    QVERIFY2(idsOf(found) == expected, qPrintable(listed(found)));
    for (const Finding& f : found)
        QVERIFY2(QFileInfo::exists(folder + QLatin1Char('/') + f.file) ||
                     f.rule->id == QByteArray("android-densities"),
                 qPrintable(f.file));
}

// Every rule has a row where it fires and one where it stays silent; ids are unique.
void TestCheck::everyRuleFiresAndStaysSilent()
{
    QSet<QString> fired, ids;
    int rows = 0;
    for (const DesignRow& row : designRows())
        fired.unite(QSet<QString>(row.expected.begin(), row.expected.end())), ++rows;
    for (const AppRow& row : appRows)
        fired.unite(QSet<QString>(row.expected.begin(), row.expected.end())), ++rows;
    for (const Packages::Check::Rule& rule : Packages::Check::rules()) {
        const QString id = QLatin1String(rule.id);
        QVERIFY2(!ids.contains(id), qPrintable(id));
        ids << id;
        // The tinted icon's alpha is told of every icon set this program writes (see test_apply).
        QVERIFY2(fired.contains(id) || id == QLatin1String("ios-tinted-alpha"),
                 qPrintable(id + " never fires"));
    }
    // Silent: the default design fires nothing, and so does every app after apply (test_apply).
    QVERIFY(designRows().first().expected.isEmpty());
    QVERIFY(rows > 10);
}

// Exit status 0 without errors (warnings fail with --strict), 1 with errors, 2 for usage; the JSON
// holds every finding with its rule, severity, message, remedy, target, file and box.
void TestCheck::commandLine()
{
    QTemporaryDir work;
    const QString fine = projectFile(work.path(), QStringLiteral("fine.ipr"), {});
    const QString small = projectFile(work.path(), QStringLiteral("small.ipr"), {{25, "40"}});
    const QString faulty = QStringLiteral(GLYPHWRIGHT_SOURCE_DIR "/tests/data/check/faulty-ios");
    struct
    {
        QStringList arguments;
        int status;
    } runs[] = {
        {{"check", fine}, 0},
        {{"check", small, "--target", "android"}, 0},
        {{"check", small, "--target", "android", "--strict"}, 1},
        {{"check", small, "--target", "web"}, 0},
        {{"check", faulty}, 1},
        {{"check"}, 2},
        {{"check", fine, "--target", "nowhere"}, 2},
        {{"check", work.filePath(QStringLiteral("missing.ipr"))}, 2},
    };
    for (const auto& r : runs) {
        const Run run = cli(r.arguments);
        QVERIFY2(run.status == r.status, qPrintable(r.arguments.join(' ') + '\n' + run.out + run.err));
    }
    const Run json = cli({"check", faulty, "--json"});
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(report.value(QStringLiteral("errors")).toInt(), 2);
    const QJsonArray findings = report.value(QStringLiteral("findings")).toArray();
    QCOMPARE(findings.size(), 4);
    for (const QJsonValue& v : findings)
        for (const char* key : {"rule", "severity", "message", "remedy", "target", "file", "box"})
            QVERIFY2(v.toObject().contains(QLatin1String(key)), key);
    // What the text report says is what it found, and the summary counts it.
    const Run text = cli({"check", small, "--target", "android"});
    QVERIFY2(text.out.contains(QStringLiteral("warning android-adaptive-small: the logo is ")),
             qPrintable(text.out));
    QVERIFY(text.out.contains(QStringLiteral("0 errors, 1 warning, 0 notes")));
}

QTEST_MAIN(TestCheck)
#include "test_check.moc"
