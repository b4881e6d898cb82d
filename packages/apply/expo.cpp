// Expo apps (app.json with an expo object, no native folders needed): each icon app.json names
// that is there, made again at its size as its place asks: the app icon opaque (iOS takes no
// transparency), the adaptive layers with the foreground in the safe zone, the favicon as the icon.
#include "packages/apply/frameworks.h"
#include "packages/apply/textedit.h"
#include "packages/launch.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <functional>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!isExpoApp(folder))
        return {};
    return {Found{folder.dir,
                  QStringLiteral("Expo app (%1)").arg(joined(folder.dir, QStringLiteral("app.json")))}};
}

// The launch icon for an Expo splash image of `size` (square: the picture on transparency, which
// Expo centres on the entry's colour) or the whole screen at that size.
Job splashImage(const Sources& s, QSize size, bool dark)
{
    const int side = size.width();
    Job job = size.width() == size.height()
                  ? pngJob(QString(), [&s, side, dark] { return launchIcon(s, side, dark); })
                  : pngJob(QString(), [&s, size, dark] { return launchScreen(s, size, dark); });
    job.launch = true;
    return job;
}

// A path app.json names (relative to it), as a path in the app's folder; empty when it leaves it
// or is not a PNG.
QString namedPng(const QString& dir, const QString& named)
{
    const QString path = QDir::cleanPath(joined(dir, named));
    return named.isEmpty() || path.startsWith(QLatin1String("..")) ||
                   !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)
               ? QString()
               : path;
}

// The launch screen comes from the expo-splash-screen plugin's entry in app.json (prebuild makes
// the native launch screens from it): its images, light and dark, are made at their sizes (a
// missing dark one is added beside the light), and its colours set to the design's; an app with
// the plugin installed and no entry gets one. The older "splash" entry's images are made too.
void launchScreens(Draft& d, const QString& dir, const QJsonObject& app)
{
    const Sources& s = d.sources;
    const QString file = joined(dir, QStringLiteral("app.json"));
    QString text = QString::fromUtf8(d.textSoFar(file));
    const QString before = text;
    // The older entry: its images, at their sizes.
    const QJsonObject old = app.value(QStringLiteral("splash")).toObject();
    for (bool dark : {false, true}) {
        const QJsonObject look = dark ? old.value(QStringLiteral("dark")).toObject() : old;
        const QString path = namedPng(dir, look.value(QStringLiteral("image")).toString());
        const QSize size = path.isEmpty() ? QSize() : sizeOf(d.root, path);
        if (size.isValid() && size.width() <= 4096 && size.height() <= 4096)
            d.add(splashImage(s, size, dark), path);
    }
    // The plugin's entry: ["expo-splash-screen", {...}], or its bare name.
    const QJsonArray plugins = app.value(QStringLiteral("plugins")).toArray();
    int entry = -1;
    for (int i = 0; i < plugins.size() && entry < 0; ++i)
        if (plugins[i].toString() == QLatin1String("expo-splash-screen") ||
            plugins[i].toArray().at(0).toString() == QLatin1String("expo-splash-screen"))
            entry = i;
    const bool installed = QJsonDocument::fromJson(d.text(joined(dir, QStringLiteral("package.json"))))
                               .object()
                               .value(QStringLiteral("dependencies"))
                               .toObject()
                               .contains(QStringLiteral("expo-splash-screen"));
    if (entry < 0 && !installed) {
        d.notes << QStringLiteral(
                       "%1: an Expo app's launch screen comes from the expo-splash-screen plugin, which "
                       "it does not have; after \"npx expo install expo-splash-screen\", apply --launch "
                       "names the launch images in app.json, and prebuild puts them in place.")
                       .arg(file);
        return;
    }
    const QJsonObject options = entry >= 0 ? plugins[entry].toArray().at(1).toObject() : QJsonObject();
    QString light = options.value(QStringLiteral("image")).toString();
    if (namedPng(dir, light).isEmpty())
        light = QStringLiteral("./assets/splash-icon.png");
    QString dark = options.value(QStringLiteral("dark")).toObject().value(QStringLiteral("image")).toString();
    if (namedPng(dir, dark).isEmpty() || dark == light)
        dark = QString(light).replace(
            QRegularExpression(QStringLiteral("\\.png$"), QRegularExpression::CaseInsensitiveOption),
            QStringLiteral("-dark.png"));
    for (const auto& [named, isDark] : {std::pair{light, false}, {dark, true}}) {
        const QString path = namedPng(dir, named);
        const QSize own = sizeOf(d.root, path);
        // A new image is Expo's template size; one there keeps its own.
        const QSize size =
            own.isValid() && own.width() <= 4096 && own.height() <= 4096 ? own : QSize(1024, 1024);
        d.add(splashImage(s, size, isDark), path);
    }
    if (app.value(QStringLiteral("userInterfaceStyle")).toString() == QLatin1String("light"))
        d.notes << QStringLiteral(
                       "%1 sets \"userInterfaceStyle\": \"light\", so iOS shows the light launch screen "
                       "only; \"automatic\" lets it show the dark one in dark mode.")
                       .arg(file);
    const QString lightColour = colorName(launchColour(s, false)),
                  darkColour = colorName(launchColour(s, true));
    const QStringList at{QStringLiteral("expo"), QStringLiteral("plugins")};
    if (entry >= 0 && plugins[entry].isArray() && plugins[entry].toArray().at(1).isObject()) {
        // The entry as it stands, its image and colours set: edited inside the element, its layout kept.
        const auto element = arrayElement(text, at, entry);
        QString value = element ? text.mid(element->first, element->second - element->first) : QString();
        const auto settings = arrayElement(value, {}, 1);
        if (element && settings) {
            QString o = value.mid(settings->first, settings->second - settings->first);
            o = withValue(o, {QStringLiteral("image")}, QStringLiteral("\"%1\"").arg(light));
            o = withValue(o, {QStringLiteral("backgroundColor")}, QStringLiteral("\"%1\"").arg(lightColour));
            if (!valueAt(o, {QStringLiteral("dark")}))
                o = withValue(o, {QStringLiteral("dark")}, QStringLiteral("{}"));
            o = withValue(o, {QStringLiteral("dark"), QStringLiteral("image")},
                          QStringLiteral("\"%1\"").arg(dark));
            o = withValue(o, {QStringLiteral("dark"), QStringLiteral("backgroundColor")},
                          QStringLiteral("\"%1\"").arg(darkColour));
            value.replace(settings->first, settings->second - settings->first, o);
            text.replace(element->first, element->second - element->first, value);
        }
    } else {
        const QString ours =
            QStringLiteral(
                "[\"expo-splash-screen\", { \"image\": \"%1\", \"imageWidth\": 200, \"resizeMode\": "
                "\"contain\", \"backgroundColor\": \"%2\", \"dark\": { \"image\": \"%3\", "
                "\"backgroundColor\": \"%4\" } }]")
                .arg(light, lightColour, dark, darkColour);
        if (entry >= 0) {
            const auto element = arrayElement(text, at, entry);
            if (element)
                text.replace(element->first, element->second - element->first, ours);
        } else {
            text = withArrayEntry(text, at, ours);
        }
    }
    if (text != before && !QJsonDocument::fromJson(text.toUtf8()).isNull()) {
        Job edited = textJob(QString(), text.toUtf8());
        edited.launch = true;
        d.replace(edited, file);
        d.edited << file;
    } else if (text != before) {
        d.notes
            << QStringLiteral(
                   "%1 could not be edited without breaking it; its launch screen entry was left as it is.")
                   .arg(file);
    }
}

void write(Draft& d, const QString& dir)
{
    const Sources& s = d.sources;
    const QJsonObject app = QJsonDocument::fromJson(d.text(joined(dir, QStringLiteral("app.json"))))
                                .object()
                                .value(QStringLiteral("expo"))
                                .toObject();
    const QJsonObject adaptive =
        app.value(QStringLiteral("android")).toObject().value(QStringLiteral("adaptiveIcon")).toObject();
    const struct
    {
        QJsonValue path;
        std::function<QImage(int)> make;
    } icons[] = {
        {app.value(QStringLiteral("icon")), [&s](int size) { return s.opaqueIcon(size); }},
        {app.value(QStringLiteral("ios")).toObject().value(QStringLiteral("icon")),
         [&s](int size) { return s.opaqueIcon(size); }},
        {adaptive.value(QStringLiteral("foregroundImage")),
         [&s](int size) { return s.adaptiveForeground(size); }},
        {adaptive.value(QStringLiteral("backgroundImage")),
         [&s](int size) { return s.adaptiveBackground(size); }},
        {adaptive.value(QStringLiteral("monochromeImage")),
         [&s](int size) { return s.adaptiveMonochrome(size); }},
        {app.value(QStringLiteral("web")).toObject().value(QStringLiteral("favicon")),
         [&s](int size) { return s.iconAt(size); }},
    };
    // A build variant's icons beside the app's own ("icon-beta.png" beside "icon.png"), which stay;
    // app.json cannot choose between them, so the app.config.js that does is told.
    const QString& variant = s.options().variant.name;
    const auto variantPath = [&variant](const QString& named) {
        return variant.isEmpty()
                   ? named
                   : QString(named).replace(QRegularExpression(QStringLiteral("\\.png$"),
                                                               QRegularExpression::CaseInsensitiveOption),
                                            QStringLiteral("-%1.png").arg(variant));
    };
    QStringList chosen;
    for (const auto& icon : icons) {
        const QString path = QDir::cleanPath(joined(dir, icon.path.toString()));
        const QSize size = sizeOf(d.root, path);
        if (icon.path.toString().isEmpty() || path.startsWith(QLatin1String("..")) ||
            !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) || !size.isValid() ||
            size.width() != size.height() || size.width() > 4096)
            continue;
        const std::function<QImage(int)> make = icon.make;
        const int side = size.width();
        d.add(pngJob(QString(), [make, side] { return make(side); }), variantPath(path));
        if (!variant.isEmpty())
            chosen << icon.path.toString();
    }
    if (!variant.isEmpty()) {
        // Each image app.json names, and a variant's in its place when APP_VARIANT names one put in
        // (the same lines for every variant of the run).
        QStringList quoted;
        for (const QString& name : d.variants)
            quoted << QLatin1Char('\'') + name + QLatin1Char('\'');
        QStringList lines{
            QStringLiteral("const v = [%1].find((name) => name === process.env.APP_VARIANT);")
                .arg(quoted.join(QStringLiteral(", "))),
            QStringLiteral(
                "const pick = (image) => (v && image ? image.replace(/\\.png$/i, `-${v}.png`) : image);"),
            QStringLiteral("export default ({ config }) => ({"),
            QStringLiteral("  ...config,"),
            QStringLiteral("  icon: pick(config.icon),"),
            QStringLiteral("  ios: { ...config.ios, icon: pick(config.ios?.icon) },"),
            QStringLiteral(
                "  android: { ...config.android, adaptiveIcon: { ...config.android?.adaptiveIcon,"),
            QStringLiteral("    foregroundImage: pick(config.android?.adaptiveIcon?.foregroundImage),"),
            QStringLiteral("    backgroundImage: pick(config.android?.adaptiveIcon?.backgroundImage),"),
            QStringLiteral("    monochromeImage: pick(config.android?.adaptiveIcon?.monochromeImage) } },"),
            QStringLiteral("  web: { ...config.web, favicon: pick(config.web?.favicon) },"),
            QStringLiteral("});")};
        d.notes << QStringLiteral("%1 cannot choose an icon by build variant; an app.config.js beside it "
                                  "can (APP_VARIANT=%2 npx expo prebuild, or an eas.json profile that sets "
                                  "APP_VARIANT):\n%3")
                       .arg(joined(dir, QStringLiteral("app.json")), d.variants.join(QLatin1Char('|')),
                            lines.join(QLatin1Char('\n')));
        return;
    }
    if (s.options().launch)
        launchScreens(d, dir, app);
}

} // namespace

QString generatedNatively(const Folder& folder, const Scan& sofar)
{
    for (const QString& app : sofar.of("Expo")) {
        if (!app.isEmpty() && !folder.dir.startsWith(app + QLatin1Char('/')))
            continue;
        const QString native =
            folder.dir.mid(app.isEmpty() ? 0 : app.size() + 1).section(QLatin1Char('/'), 0, 0);
        if (native != QLatin1String("android") && native != QLatin1String("ios"))
            continue;
        // The template's .gitignore lists them: prebuild makes them again from app.json.
        for (const QByteArray& line : readText(folder.root, joined(app, QStringLiteral(".gitignore")))
                                          .value_or(QByteArray())
                                          .split('\n')) {
            const QByteArray bare = line.trimmed();
            if (bare == native.toUtf8() || bare == "/" + native.toUtf8() || bare == native.toUtf8() + "/" ||
                bare == "/" + native.toUtf8() + "/")
                return QStringLiteral(
                           "%1/ is made by \"expo prebuild\" from app.json (the app's .gitignore "
                           "lists it), so it was left as it is: the icons and the launch screen go into "
                           "app.json and the files it names, which the next prebuild puts there.")
                    .arg(joined(app, native));
        }
    }
    return QString();
}

extern const Framework expoApp = {"Expo", "Expo (app.json)", recognise, write, true};

} // namespace Packages::Apply
