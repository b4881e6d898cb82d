// The rules of the design check, one row each: its id, its severity, what it measures, the sentence
// it reports with the figures measured, and what fixes it. The facts behind them: the stores' and
// build tools' own documentation and error messages (App Store Connect's ITMS-90717, actool's
// "unassigned child", Android lint's IconDensities and MipmapIcons, Play's requirements for its listing icon).
#include "packages/check/check.h"

namespace Packages::Check {

const QList<Rule>& rules()
{
    using S = Severity;
    static const QList<Rule> table = {
        // The looks, measured on the pixels the packages write.
        {"android-adaptive-small", S::Warning, "the adaptive foreground's ink across, in dp of its 108",
         "the logo is %1 dp across in the adaptive icon's 108 dp layer, under the 48 dp Android asks for",
         "Make the logo larger (the picture's Scale, or the text's size, on the Icon page) and write the "
         "icons again with apply or package.", "Circle|Squircle|Rounded square|Teardrop"},
        {"android-adaptive-safe-zone", S::Warning, "how far the adaptive foreground's ink reaches, in dp",
         "the foreground's ink reaches %1 dp from the centre, past the 33 dp every launcher's mask keeps: "
         "its edges are cut away",
         "Write the icons again with apply or package: they fit the ink inside the safe circle.", "Circle|Squircle|Rounded square|Teardrop"},
        {"android-launch-icon-circle", S::Warning, "how far Android 12's launch icon reaches, in dp of its 288",
         "the launch icon's ink reaches %1 dp from the centre of its 288 dp square, past the 96 dp circle "
         "Android 12 shows: its edges are cut away",
         "Write the launch screens again with apply --launch or package --launch: they fit the ink inside "
         "the circle."},
        {"themed-silhouette-lost", S::Warning, "the share of the foreground's ink the themed layer keeps",
         "the themed (monochrome) icon loses %1 % of the logo's ink: its shape is not recognisable when "
         "tinted",
         "Give the logo a body of one colour, or make its details stand apart from it by lightness.", "Themed (monochrome)"},
        {"themed-silhouette-faded", S::Warning, "the share of the logo's ink the themed layer shows faded",
         "the themed (monochrome) icon shows %1 % of the logo's ink partly transparent: launchers paint it as "
         "a pale ghost of the shape",
         "Give the logo a body of one colour, or make its details stand apart from it by lightness; then "
         "write the icons again with apply or package.",
         "Themed (monochrome)"},
        {"themed-silhouette-flooded", S::Warning, "the share of its box the themed layer fills",
         "the themed (monochrome) icon fills %1 % of its box while the logo fills %2 %: it shows as a "
         "block when tinted",
         "Use a picture on transparency, not one on a plate of its own.", "Themed (monochrome)"},
        {"ios-dark-contrast", S::Warning, "the dark icon's glyph against its plate (WCAG contrast)",
         "the dark icon's glyph stands %1:1 from its plate, under the 3:1 it needs to be seen",
         "Choose the dark glyph's colour: --ios-dark-color, or \"iOS dark glyph\" in Export Packages (a "
         "picture of several colours keeps its own: give it lighter ones).", "iOS dark|iOS 26 dark (approx.)"},
        {"ios-dark-text-contrast", S::Warning, "the dark icon's text against the picture it crosses",
         "in the dark icon the text stands %1:1 from the picture under it, under 3:1",
         "Move the text off the picture (the Text page's offsets), or choose --ios-dark-color.", "iOS dark|iOS 26 dark (approx.)"},
        {"ios-tinted-contrast", S::Warning, "the tinted icon's glyph against the tinted plate",
         "the tinted icon's glyph stands %1:1 from its plate, under 3:1: it all but vanishes when tinted",
         "Choose the tinted glyph's grey: --ios-tinted-color, or \"iOS tinted glyph\" in Export Packages (a "
         "picture of several colours keeps its own tones: give it lighter ones).", "iOS tinted|iOS 26 tinted (approx.)"},
        {"launch-dark-contrast", S::Warning, "the dark launch screen's picture against its colour",
         "the dark launch screen shows the picture at %1:1 from its colour %2, under 3:1",
         "Choose the dark launch screens' colour: --splash-dark-color, or \"Dark launch screens' colour\" "
         "in Export Packages.", "Android 12, dark|iPhone, dark|Web app on iPad, dark", false},
        {"small-text-illegible", S::Warning, "the text's height in the icons of 16 and 32 pixels",
         "the text is %1 pixels tall in the 16 pixel favicon and %2 in the 32 pixel one, under the 6 "
         "pixels it takes to be read: it is legible only in icons of %3 pixels and more",
         "Leave the text out of the small icons: --small-without-text, or \"Leave the text out of icons "
         "of 48 pixels and less\" in Export Packages.", "Favicon, light tab|Favicon, dark tab", false},
        {"plate-matches-glyph", S::Warning, "a transparent design's glyph against the plate it stands on",
         "the glyph stands %1:1 from the plate %2 it stands on in the store and touch icons",
         "Choose another plate colour: --background, or \"Plate for a transparent design\" in Export "
         "Packages.", "Play Store|iOS light"},
        {"play-icon-size", S::Error, "Play's listing icon: 512 x 512, 32-bit, at most 1024 KB",
         "the Play Store icon is %1, where Play takes a 512 x 512, 32-bit PNG of at most 1024 KB",
         "Write it again with apply or package (a picture of fewer colours makes it smaller).", "Play Store"},
        {"play-icon-transparent", S::Error, "Play's listing icon's opacity",
         "the Play Store icon has %1 % of its pixels transparent, where Play takes a full square",
         "Write it again with apply or package: it stands on the plate (--background)."},
        {"ios-appstore-alpha", S::Error, "the App Store icon's alpha channel",
         "the 1024 x 1024 App Store icon has an alpha channel%1: App Store Connect refuses it (ITMS-90717)",
         "Write it again without alpha: apply or package writes it opaque."},
        {"ios-tinted-alpha", S::Note, "the tinted App Store icon's alpha channel",
         "the tinted 1024 x 1024 icon has an alpha channel: App Store Connect has been reported to refuse "
         "it too (ITMS-90717), which Apple has not confirmed; its guidance keeps the tinted icon on "
         "transparency, as this program writes it",
         "Nothing, unless App Store Connect refuses it: then flatten it onto black."},
        {"ios-appstore-missing", S::Error, "the icon set's 1024 x 1024 App Store icon",
         "the icon set has no 1024 x 1024 App Store icon, which actool requires for iOS apps",
         "Put the icons in with apply."},
        {"ios-iconset-missing-file", S::Warning, "the icon set's Contents.json against its files",
         "Contents.json names %1, which is not in the set: actool warns of an unassigned child",
         "Put the icons in with apply, which writes the set and its Contents.json together."},
        {"ios-iconset-unnamed-file", S::Warning, "the icon set's files against its Contents.json",
         "%1 is in the set but Contents.json does not name it: actool warns of an unassigned child",
         "Remove it, or put the icons in with apply, which moves out the files the set no longer names."},
        {"android-densities", S::Warning, "the launcher icons at every density (lint's IconDensities)",
         "%1 is missing from %2 (lint's IconDensities)", "Put the icons in with apply: it writes every density."},
        {"android-launcher-not-mipmap", S::Warning, "where the launcher icon is (lint's MipmapIcons)",
         "the launcher icon %1 is a drawable: launcher icons belong in mipmap folders (lint's MipmapIcons)",
         "Put the icons in with apply: it writes them as mipmaps and names them in the manifest."},
        {"android-manifest-missing-icon", S::Error, "the manifest's icon and round icon against the resources",
         "the manifest's %1 names %2, which the module's resources do not hold: the build fails",
         "Put the icons in with apply, or name a resource that is there."},
        {"android-no-monochrome", S::Warning, "the adaptive icon's monochrome layer",
         "the adaptive icon %1 has no monochrome layer: Android 13's themed icons leave the app out",
         "Put the icons in with apply: it writes the monochrome layer."},
        {"web-manifest-sizes", S::Warning, "the web manifest's icons of 192 and 512 pixels",
         "the manifest lists no PNG icon of %1 pixels: browsers want 192 and 512 to install the app",
         "Put the icons in with apply."},
        {"web-manifest-size-untrue", S::Warning, "each manifest icon's declared size against its file",
         "the manifest declares %1 as %2, but the file is %3", "Put the icons in with apply."},
        {"web-manifest-any-maskable", S::Warning, "icons declared \"any maskable\"",
         "%1 is declared \"any maskable\": one picture cannot be both, and Chrome warns against it",
         "Give each purpose its own icon: apply adds a maskable one."},
        {"web-icon-missing", S::Error, "the files the manifest and the page name",
         "%1 names %2, which is not there", "Put the icons in with apply."},
        {"expo-image-missing", S::Error, "the images app.json names",
         "app.json's %1 names %2, which is not there: expo prebuild fails", "Put the icons in with apply."},
        {"expo-image-size", S::Warning, "the size of the images app.json names",
         "app.json's %1 is %2, where Expo wants a square of 1024 pixels", "Put the icons in with apply."},
        {"tauri-icon-missing", S::Error, "the icons tauri.conf.json lists",
         "tauri.conf.json lists %1, which is not there: tauri build fails", "Put the icons in with apply."},
        {"msix-asset-missing", S::Warning, "the logos Package.appxmanifest names",
         "Package.appxmanifest names %1, of which no file is there: packaging puts a placeholder in its place",
         "Put the icons in with apply, or write the windows package."},
    };
    return table;
}

const Rule& rule(const char* id)
{
    for (const Rule& r : rules())
        if (qstrcmp(r.id, id) == 0)
            return r;
    Q_ASSERT_X(false, "rule", id);
    return rules().first();
}

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Note:
        break;
    }
    return QStringLiteral("note");
}

Finding finding(const char* id, const QStringList& figures, const QString& target, const QString& file,
                const QRect& box)
{
    const Rule& r = rule(id);
    QString message = QLatin1String(r.sentence);
    // All at once, so that a figure holding "%2" (a path may) is not filled in again.
    switch (figures.size()) {
    case 0:
        break;
    case 1:
        message = message.arg(figures[0]);
        break;
    case 2:
        message = message.arg(figures[0], figures[1]);
        break;
    default:
        message = message.arg(figures[0], figures[1], figures[2]);
        break;
    }
    return {&r, message, target, file, box};
}

int count(const QList<Finding>& findings, Severity severity)
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [severity](const Finding& f) { return f.severity() == severity; }));
}

QString summary(const QList<Finding>& findings)
{
    const auto counted = [&findings](Severity s, const char* one, const char* many) {
        const int n = count(findings, s);
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    return counted(Severity::Error, "error", "errors") + QStringLiteral(", ") +
           counted(Severity::Warning, "warning", "warnings") + QStringLiteral(", ") +
           counted(Severity::Note, "note", "notes");
}

} // namespace Packages::Check

namespace Packages::Check {

QList<Mark> marksOf(const QList<Finding>& findings)
{
    QList<Mark> marks;
    for (const Finding& f : findings)
        if (f.rule->panels && f.severity() != Severity::Note)
            marks << Mark{QString::fromUtf8(f.rule->panels).split(QLatin1Char('|')),
                          f.rule->boxOnPanels ? f.box : QRect(), f.severity() == Severity::Error};
    return marks;
}

QStringList findingLines(const QList<Finding>& findings)
{
    QStringList lines;
    for (const Finding& f : findings)
        lines << QStringLiteral("%1 (%2): %3. %4")
                     .arg(severityName(f.severity()), f.target, f.message, QLatin1String(f.rule->remedy));
    return lines;
}

} // namespace Packages::Check
