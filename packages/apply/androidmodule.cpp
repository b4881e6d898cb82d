// Android app modules (Android Studio, Flutter's android/app, Capacitor, React Native, Tauri's
// gen/android): the launcher icons, adaptive layers and Play Store icon under the template's names,
// and the manifest's icon and round icon.
#include "packages/apply/frameworks.h"
#include "packages/apply/textedit.h"
#include "packages/launch.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace Packages::Apply {

namespace {

QList<Place> recognise(const Folder& folder, const Scan&)
{
    const char* gradle = folder.has("build.gradle") ? "build.gradle" : "build.gradle.kts";
    if (!folder.has(gradle) ||
        !folder.text(QStringLiteral("src/main/AndroidManifest.xml")).contains("<application"))
        return {};
    // A library module (com.android.library, or its alias in a version catalog) is built into an
    // app: its launcher icons are never shown, and a generated one (Capacitor's plugins module) is
    // made again by the framework.
    if (folder.text(QLatin1String(gradle)).contains("android.library"))
        return {Place{
            0, folder.dir, QString(),
            QStringLiteral("%1 is an Android library module, which shows no icon of its own; it was left "
                           "as it is.")
                .arg(folder.where())}};
    return {Place{0, folder.dir, QStringLiteral("Android app module %1").arg(folder.where())}};
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

void write(Draft& d, const QString& module)
{
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
        d.add(job, path);
        // The template's own icons (WebP, say) under the same resource name would clash with ours.
        const QFileInfo ours(joined(d.root, path));
        for (const QFileInfo& other :
             QDir(ours.path()).entryInfoList({ours.completeBaseName() + QStringLiteral(".*")}, QDir::Files))
            if (other.fileName() != ours.fileName() && job.path.startsWith(QLatin1String("res/")))
                d.removed << QFileInfo(path).path() + QLatin1Char('/') + other.fileName();
    }
    noteOtherSourceSets(d, module);
    // (Told until the launch theme names the icon.)
    bool themed = false;
    for (const QString& values :
         QDir(joined(d.root, res)).entryList({QStringLiteral("values*-v31")}, QDir::Dirs))
        for (const QString& file :
             QDir(joined(d.root, res + values)).entryList({QStringLiteral("*.xml")}, QDir::Files))
            themed =
                themed || d.text(res + values + QLatin1Char('/') + file).contains("@drawable/splash_icon");
    if (d.sources.options().launch && !themed)
        d.notes << QStringLiteral(
                       "%1: Android 12 and later draw the launch screen from the launch theme; "
                       "its resources are in place, and these items in the launch theme under "
                       "res/values-v31/ show it (the theme is yours, so it was left as it is):\n%2")
                       .arg(module.isEmpty() ? QStringLiteral("the app module") : module,
                            androidLaunchThemeItems().trimmed());
    const QString manifest = main + QStringLiteral("AndroidManifest.xml");
    const QString before = QString::fromUtf8(d.text(manifest));
    const QString after = withApplicationAttribute(
        withApplicationAttribute(before, QStringLiteral("android:icon"),
                                 QStringLiteral("@mipmap/ic_launcher")),
        QStringLiteral("android:roundIcon"), QStringLiteral("@mipmap/ic_launcher_round"));
    if (after != before) {
        d.add(textJob(QString(), after.toUtf8()), manifest);
        d.edited << manifest;
    }
}

} // namespace

const Framework androidModule = {"Android",
                                 "an Android app module (src/main/AndroidManifest.xml with an <application>, "
                                 "beside build.gradle or build.gradle.kts)",
                                 recognise, write};

} // namespace Packages::Apply
