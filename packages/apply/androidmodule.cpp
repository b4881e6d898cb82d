// Android app modules (Android Studio, Flutter's android/app, Capacitor, React Native, Tauri's
// gen/android): the launcher icons, adaptive layers and Play Store icon under the template's names,
// and the manifest's icon and round icon.
#include "packages/apply/frameworks.h"
#include "packages/apply/textedit.h"
#include "packages/launch.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <optional>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan& sofar)
{
    const char* gradle = folder.has("build.gradle") ? "build.gradle" : "build.gradle.kts";
    if (!folder.has(gradle) ||
        !folder.text(QStringLiteral("src/main/AndroidManifest.xml")).contains("<application"))
        return {};
    if (const QString generated = generatedNatively(folder, sofar); !generated.isEmpty())
        return {Found{folder.dir, QString(), generated}};
    // A library module (com.android.library, or its alias in a version catalog) is built into an
    // app: its launcher icons are never shown, and a generated one (Capacitor's plugins module) is
    // made again by the framework.
    if (folder.text(QLatin1String(gradle)).contains("android.library"))
        return {Found{
            folder.dir, QString(),
            QStringLiteral("%1 is an Android library module, which shows no icon of its own; it was left "
                           "as it is.")
                .arg(folder.where())}};
    return {Found{folder.dir, QStringLiteral("Android app module %1").arg(folder.where())}};
}

// Icons of the same names in another source set (a debug or flavour build) take the place of these
// in that build: they are left alone, with a note.
void noteOtherSourceSets(Draft& d, const QString& module)
{
    for (const QString& set : QDir(joined(d.root, joined(module, QStringLiteral("src"))))
                                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (set != QLatin1String("main") &&
            !QDir(joined(d.root, joined(module, QStringLiteral("src/%1/res").arg(set))))
                 .entryList({QStringLiteral("mipmap-*")}, QDir::Dirs)
                 .isEmpty())
            d.notes << QStringLiteral(
                           "%1 has launcher icons of its own, which take the place of these in its builds; "
                           "they were left as they are.")
                           .arg(joined(module, QStringLiteral("src/") + set));
}

// Whether the module has the full-screen launch bitmaps of the systems before Android 12
// (Capacitor's template has them).
bool hasLegacySplash(const Draft& d, const QString& res)
{
    for (const LaunchFile& f : legacySplashFiles())
        if (d.exists(res + f.path.mid(4)))
            return true;
    return false;
}

// The launch files of the android package as the module takes them: the full-screen bitmaps only
// where it has some, each it has at the size it has; the theme's items are told, not written.
std::optional<Job> launchJob(Draft& d, const QString& res, Job job, bool legacy)
{
    if (!job.path.startsWith(QLatin1String("res/")))
        return std::nullopt;
    for (const LaunchFile& f : legacySplashFiles())
        if (job.path == f.path) {
            if (!legacy)
                return std::nullopt;
            // The night screen of the systems' default folder as large as the day one.
            const QString mine = f.path == QLatin1String("res/drawable-night/splash.png") &&
                                         !d.exists(res + QStringLiteral("drawable-night/splash.png"))
                                     ? QStringLiteral("drawable/splash.png")
                                     : f.path.mid(4);
            const QSize own = sizeOf(d.root, res + mine);
            if (own.isValid() && own != f.size && own.width() <= 4096 && own.height() <= 4096) {
                const Sources& s = d.sources;
                const bool dark = f.dark;
                job.picture = [&s, own, dark] { return launchScreen(s, own, dark); };
            }
            return job;
        }
    return job;
}

// The style the launcher activity starts in ("LaunchTheme" for "@style/LaunchTheme"), or else the
// application's.
QString launcherTheme(const QString& manifest)
{
    static const QRegularExpression activity(QStringLiteral("<activity\\b([^>]*)>(.*?)</activity>"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression theme(QStringLiteral("android:theme\\s*=\\s*\"@style/([^\"]+)\""));
    for (auto i = activity.globalMatch(manifest); i.hasNext();) {
        const QRegularExpressionMatch m = i.next();
        if (m.captured(2).contains(QLatin1String("android.intent.category.LAUNCHER")))
            if (const QRegularExpressionMatch t = theme.match(m.captured(1)); t.hasMatch())
                return t.captured(1);
    }
    const int application = manifest.indexOf(QLatin1String("<application"));
    if (application < 0)
        return QString();
    const QRegularExpressionMatch t =
        theme.match(manifest.mid(application, manifest.indexOf(QLatin1Char('>'), application) - application));
    return t.hasMatch() ? t.captured(1) : QString();
}

// Where a values folder defines the style `name`: the file's name and the style's element.
struct StyleAt
{
    QString file, element;
};
std::optional<StyleAt> styleIn(const Draft& d, const QString& values, const QString& name)
{
    const QRegularExpression style(
        QStringLiteral("<style\\s+name=\"%1\"[^>]*>.*?</style>").arg(QRegularExpression::escape(name)),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QString& file :
         QDir(joined(d.root, values)).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch m = style.match(QString::fromUtf8(d.text(joined(values, file))));
        if (m.hasMatch())
            return StyleAt{file, m.captured(0)};
    }
    return std::nullopt;
}

// The placeholder a template's launch window background is: a layer list of one colour, with the
// image it has room for commented out (Flutter's launch_background.xml).
bool placeholderBackground(const QString& xml)
{
    static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QString bare = QString(xml).remove(comment);
    return bare.contains(QLatin1String("<layer-list")) && bare.count(QLatin1String("<item")) == 1 &&
           !bare.contains(QLatin1String("<bitmap")) &&
           (bare.contains(QLatin1String("android:drawable=\"@android:color/")) ||
            bare.contains(QLatin1String("android:drawable=\"?android:colorBackground\"")));
}

const char launchBackground[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!-- The launch screen before Android 12: the launch colour with the launch icon in the middle. -->\n"
    "<layer-list xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
    "    <item android:drawable=\"@color/splash_background\" />\n"
    "    <item>\n"
    "        <bitmap android:gravity=\"center\" android:src=\"@drawable/splash_icon\" />\n"
    "    </item>\n"
    "</layer-list>\n";

// The file of a launch theme's copy for Android 12: `element` (the style as `source` has it) with
// the launch screen's items added.
QByteArray themeCopy(const QString& theme, const QString& source, QString element)
{
    const int end = element.lastIndexOf(QLatin1String("</style>"));
    const int line = element.lastIndexOf(QLatin1Char('\n'), end);
    QString indent = line < 0 ? QString() : element.mid(line + 1, end - line - 1);
    if (!indent.trimmed().isEmpty()) // `</style>` ends a line of items
        indent.clear();
    const QString items = androidLaunchThemeItems().trimmed();
    element.insert(end, QStringLiteral("    ") +
                            QString(items).replace(QLatin1String("\n"),
                                                   QLatin1Char('\n') + indent + QStringLiteral("    ")) +
                            QLatin1Char('\n') + indent);
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n"
                          "    <!-- %1 of %2, with the launch screen of Android 12 and later. -->\n"
                          "    %3\n</resources>\n")
        .arg(theme, source, element)
        .toUtf8();
}

// Android 12 and later draw the launch screen from the launch theme's items. A template's launch
// theme on a platform theme with a placeholder window background (Flutter's LaunchTheme) gets a
// copy for Android 12 with the items added (values-v31 and values-night-v31, beside the ones it
// has) and the launch icon on its background; any other theme is the developer's, and the items
// to add are told.
void launchTheme(Draft& d, const QString& module, const QString& res, const QString& manifest)
{
    const QString theme = launcherTheme(manifest);
    const QString items = androidLaunchThemeItems().trimmed();
    const QString told =
        QStringLiteral("%1: Android 12 and later draw the launch screen from the launch theme; its resources "
                       "are in place, and these items in the launch theme%2 under res/values-v31/ show it "
                       "(the theme is yours, so it was left as it is):\n%3")
            .arg(module.isEmpty() ? QStringLiteral("the app module") : module,
                 theme.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(theme), items);
    if (theme.isEmpty()) {
        d.notes << told;
        return;
    }
    bool themed = false, own = false;
    for (const QString& values :
         QDir(joined(d.root, res)).entryList({QStringLiteral("values*-v31")}, QDir::Dirs))
        if (const std::optional<StyleAt> at = styleIn(d, res + values, theme)) {
            own = true;
            themed = themed || at->element.contains(QLatin1String("@drawable/splash_icon"));
        }
    if (themed)
        return;
    const std::optional<StyleAt> day = styleIn(d, res + QStringLiteral("values"), theme);
    if (own || !day || !day->element.contains(QLatin1String("parent=\"@android:style/"))) {
        d.notes << told;
        return;
    }
    QList<std::pair<QString, StyleAt>> copies{{QStringLiteral("values-v31/"), *day}};
    if (const std::optional<StyleAt> night = styleIn(d, res + QStringLiteral("values-night"), theme))
        copies.append({QStringLiteral("values-night-v31/"), *night});
    for (const auto& [folder, at] : copies)
        if (d.exists(res + folder + at.file)) {
            d.notes << told;
            return;
        }
    for (const auto& [folder, at] : copies) {
        Job copy = textJob(
            QString(), themeCopy(theme, QString(folder).remove(QLatin1String("-v31")) + at.file, at.element));
        copy.launch = true;
        d.add(copy, res + folder + at.file);
    }
    // The window background the theme shows before Android 12, where it is still the placeholder.
    static const QRegularExpression background(
        QStringLiteral("name=\"android:windowBackground\">@drawable/([A-Za-z0-9_]+)<"));
    const QRegularExpressionMatch m = background.match(day->element);
    if (!m.hasMatch())
        return;
    for (const QString& drawable :
         QDir(joined(d.root, res)).entryList({QStringLiteral("drawable*")}, QDir::Dirs, QDir::Name)) {
        const QString path = res + drawable + QLatin1Char('/') + m.captured(1) + QStringLiteral(".xml");
        const QString xml = QString::fromUtf8(d.text(path));
        if (placeholderBackground(xml)) {
            Job filled = textJob(QString(), launchBackground);
            filled.launch = true;
            d.add(filled, path);
        }
    }
}

// Whether the module's resources in `res` will hold the mipmap `name`: planned by this apply where
// it may write, or there already.
bool providesMipmap(const Draft& d, const QString& res, const QString& name)
{
    for (const Job& job : d.jobs)
        if (job.path.startsWith(res + QStringLiteral("mipmap")) &&
            QFileInfo(job.path).completeBaseName() == name && !linkInTheWay(d.root, job.path))
            return true;
    for (const QFileInfo& folder :
         QDir(joined(d.root, res)).entryInfoList({QStringLiteral("mipmap*")}, QDir::Dirs, QDir::Name))
        if (!linkInTheWay(d.root, res + folder.fileName()) &&
            !QDir(folder.filePath()).entryList({name + QStringLiteral(".*")}, QDir::Files).isEmpty())
            return true;
    return false;
}

// The names inside a build script's `block { ... }`: its entries, `beta { ... }` (Groovy) or
// `create("beta") { ... }` (Kotlin).
QStringList blockNames(const QString& script, const QString& block)
{
    static const QRegularExpression entry(QStringLiteral(
        "^\\s*(?:(\\w+)\\s*\\{|(?:create|register|getByName|maybeCreate)\\(\\s*\"(\\w+)\"\\s*\\))"));
    QStringList names;
    const QRegularExpressionMatch start =
        QRegularExpression(QStringLiteral("\\b%1\\s*\\{").arg(block)).match(script);
    if (!start.hasMatch())
        return names;
    int depth = 1;
    QString line;
    for (int i = start.capturedEnd(); i < script.size() && depth > 0; ++i) {
        const QChar c = script.at(i);
        if (c == QLatin1Char('{') && depth == 1) {
            const QRegularExpressionMatch m = entry.match(line + c);
            if (m.hasMatch())
                names << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1));
        }
        depth += c == QLatin1Char('{') ? 1 : c == QLatin1Char('}') ? -1 : 0;
        line =
            c == QLatin1Char('\n') || c == QLatin1Char('{') || c == QLatin1Char('}') ? QString() : line + c;
    }
    return names;
}

// The Android flavour a Capacitor app's configuration builds (its android.flavor), for the module
// inside it; empty when none.
QString capacitorFlavour(const Draft& d, const QString& module)
{
    static const QRegularExpression flavour(
        QStringLiteral("\\bandroid\\s*:\\s*\\{[^}]*\\bflavor\\s*:\\s*['\"`]([A-Za-z0-9_]+)['\"`]"));
    for (const QString& app : d.scan.of("Capacitor")) {
        if (!app.isEmpty() && !module.startsWith(app + QLatin1Char('/')))
            continue;
        for (const QString& file :
             QDir(joined(d.root, app)).entryList({QStringLiteral("capacitor.config.*")})) {
            const QByteArray text = d.text(joined(app, file));
            const QString named = file.endsWith(QLatin1String(".json"))
                                      ? QJsonDocument::fromJson(text)
                                            .object()
                                            .value(QStringLiteral("android"))
                                            .toObject()
                                            .value(QStringLiteral("flavor"))
                                            .toString()
                                      : flavour.match(QString::fromUtf8(text)).captured(1);
            if (!named.isEmpty())
                return named;
        }
    }
    return QString();
}

// Whether Gradle builds a variant of `name` from the module's build script: a build type (debug and
// release are there unnamed), a product flavour (or the one a Capacitor app's android.flavor
// names, declared where the script may not say), or a flavour with a build type ("betaDebug").
// Yes too when there is no script to read.
bool gradleBuilds(const Draft& d, const QString& module, const QString& name)
{
    QString script;
    for (const char* file : {"build.gradle", "build.gradle.kts"})
        script += QString::fromUtf8(d.text(joined(module, QLatin1String(file))));
    if (script.isEmpty())
        return true;
    const QStringList types = QStringList{QStringLiteral("debug"), QStringLiteral("release")} +
                              blockNames(script, QStringLiteral("buildTypes"));
    QStringList flavours = blockNames(script, QStringLiteral("productFlavors"));
    if (const QString configured = capacitorFlavour(d, module); !configured.isEmpty())
        flavours << configured;
    for (const QString& type : types)
        for (const QString& flavour : flavours)
            if (name == flavour + type.left(1).toUpper() + type.mid(1))
                return true;
    return types.contains(name) || flavours.contains(name);
}

// A build variant's launcher icons: in the source set of its name (a build type's or a flavour's),
// under the names src/main uses, which they override in that build; src/main as it is.
void writeVariant(Draft& d, const QString& module)
{
    const QString& name = d.sources.options().variant.name;
    if (!gradleBuilds(d, module, name))
        d.notes << QStringLiteral("%1 declares no build type or product flavour named %2: Gradle takes "
                                  "%3 once it does (buildTypes { %2 { initWith debug } }, or a flavour).")
                       .arg(joined(module, d.exists(joined(module, QStringLiteral("build.gradle")))
                                               ? QStringLiteral("build.gradle")
                                               : QStringLiteral("build.gradle.kts")),
                            name, joined(module, QStringLiteral("src/%1/res").arg(name)));
    const QString res = joined(module, QStringLiteral("src/main/res/"));
    const QString own = joined(module, QStringLiteral("src/%1/").arg(name));
    const bool plain = d.exists(res + QStringLiteral("mipmap-anydpi/ic_launcher.xml")) &&
                       !d.exists(res + QStringLiteral("mipmap-anydpi-v26"));
    for (const Job& job : d.targets.android.all()) {
        if (!job.path.startsWith(QLatin1String("res/mipmap")))
            continue; // the listing picture and the launch screens are the release's
        QString path = own + job.path;
        if (plain)
            path.replace(QStringLiteral("mipmap-anydpi-v26"), QStringLiteral("mipmap-anydpi"));
        d.add(job, path);
    }
}

// The template's own icons (WebP, say) under the same resource name as `path` in its folder would
// clash with ours: they go.
void removeClashing(Draft& d, const QString& path)
{
    const QFileInfo ours(joined(d.root, path));
    for (const QFileInfo& other :
         QDir(ours.path()).entryInfoList({ours.completeBaseName() + QStringLiteral(".*")}, QDir::Files))
        if (other.fileName() != ours.fileName())
            d.removed << QFileInfo(path).path() + QLatin1Char('/') + other.fileName();
}

void addReplacing(Draft& d, const Job& job, const QString& path)
{
    d.add(job, path);
    removeClashing(d, path);
}

// Where the module's resources in `res` have a drawable `name` (drawable/NAME.xml,
// drawable-v24/NAME.xml, ...), as the paths of our vector of that name; drawable/ when nowhere.
QStringList drawablesNamed(const Draft& d, const QString& res, const QString& name)
{
    QStringList at;
    for (const QString& folder :
         QDir(joined(d.root, res)).entryList({QStringLiteral("drawable*")}, QDir::Dirs, QDir::Name))
        if (!QDir(joined(d.root, res + folder))
                 .entryList({name + QStringLiteral(".*")}, QDir::Files)
                 .isEmpty())
            at << res + folder + QLatin1Char('/') + name + QStringLiteral(".xml");
    return at.isEmpty() ? QStringList{res + QStringLiteral("drawable/") + name + QStringLiteral(".xml")} : at;
}

// The adaptive layers' PNGs a vector layer of this apply takes the place of: those an earlier apply
// wrote go, unchanged since; the template's own (or ones changed since) stay, with a note, since
// nothing shows them now.
void retireLayers(Draft& d, const QString& res)
{
    QStringList left;
    for (const char* name : {"ic_launcher_foreground", "ic_launcher_background", "ic_launcher_monochrome"}) {
        bool vector = false;
        for (const Job& job : d.jobs)
            vector =
                vector || (job.path.startsWith(res + QStringLiteral("drawable")) &&
                           QFileInfo(job.path).fileName() == QLatin1String(name) + QStringLiteral(".xml"));
        if (!vector)
            continue;
        for (const QString& folder :
             QDir(joined(d.root, res)).entryList({QStringLiteral("mipmap*")}, QDir::Dirs, QDir::Name))
            for (const QString& file :
                 QDir(joined(d.root, res + folder))
                     .entryList({QLatin1String(name) + QStringLiteral(".*")}, QDir::Files)) {
                const QString path = res + folder + QLatin1Char('/') + file;
                if (d.planned(path) || linkInTheWay(d.root, path))
                    continue;
                if (asLastApplied(d.root, path))
                    d.removed << path;
                else
                    left << path;
            }
    }
    if (!left.isEmpty())
        d.notes << QStringLiteral(
                       "%1 no longer show in the adaptive icon, which draws its vector layers instead; "
                       "they were left as they are (%2 in all).")
                       .arg(left.first() + (left.size() > 1 ? QStringLiteral(" and the like") : QString()))
                       .arg(left.size());
}

void write(Draft& d, const QString& module)
{
    if (d.sources.options().variant.isSet())
        return writeVariant(d, module);
    const QString main = joined(module, QStringLiteral("src/main/"));
    const QString res = main + QStringLiteral("res/");
    // Apps whose oldest Android is 8 keep the adaptive icon's XML in mipmap-anydpi.
    const bool plain = d.exists(res + QStringLiteral("mipmap-anydpi/ic_launcher.xml")) &&
                       !d.exists(res + QStringLiteral("mipmap-anydpi-v26"));
    const bool legacy = hasLegacySplash(d, res);
    for (Job job : d.targets.android.all()) {
        if (job.path == QLatin1String("splash-theme.xml"))
            continue;
        if (job.path != QLatin1String("playstore-icon.png") &&
            !job.path.startsWith(QLatin1String("res/mipmap"))) {
            const std::optional<Job> launch = launchJob(d, res, job, legacy);
            if (!launch)
                continue;
            job = *launch;
        }
        QString path = job.path.startsWith(QLatin1String("res/"))
                           ? main + job.path
                           : main + QStringLiteral("ic_launcher-playstore.png");
        if (plain)
            path.replace(QStringLiteral("mipmap-anydpi-v26"), QStringLiteral("mipmap-anydpi"));
        if (job.path.startsWith(QLatin1String("res/drawable/ic_launcher_"))) {
            // A vector layer goes wherever the module has a drawable of its name (the template's
            // drawable-v24, say, which would be drawn in its place), else into drawable.
            for (const QString& at : drawablesNamed(d, res, QFileInfo(job.path).completeBaseName()))
                addReplacing(d, job, at);
            continue;
        }
        d.add(job, path);
        if (job.path.startsWith(QLatin1String("res/")))
            removeClashing(d, path);
    }
    retireLayers(d, res);
    noteOtherSourceSets(d, module);
    if (d.sources.options().launch)
        launchTheme(d, module, res, QString::fromUtf8(d.text(main + QStringLiteral("AndroidManifest.xml"))));
    const QString manifest = main + QStringLiteral("AndroidManifest.xml");
    const QString before = QString::fromUtf8(d.text(manifest));
    QString after = before;
    // The manifest names only an icon that will be there: one this apply writes (not through a link
    // out of the app's folder, which is left alone) or one the module has.
    for (const char* name : {"ic_launcher", "ic_launcher_round"})
        if (providesMipmap(d, res, QLatin1String(name)))
            after = withApplicationAttribute(after,
                                             qstrcmp(name, "ic_launcher") == 0
                                                 ? QStringLiteral("android:icon")
                                                 : QStringLiteral("android:roundIcon"),
                                             QStringLiteral("@mipmap/") + QLatin1String(name));
    if (after != before) {
        d.add(textJob(QString(), after.toUtf8()), manifest);
        d.edited << manifest;
    }
}

} // namespace

extern const Framework androidModule = {
    "Android",
    "an Android app module (src/main/AndroidManifest.xml with an <application>, "
    "beside build.gradle or build.gradle.kts)",
    recognise, write, true};

} // namespace Packages::Apply
