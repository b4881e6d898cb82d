// Expo apps (app.json with an expo object, no native folders needed): each icon app.json names
// that is there, made again at its size as its place asks: the app icon opaque (iOS takes no
// transparency), the adaptive layers with the foreground in the safe zone, the favicon as the icon.
#include "packages/apply/frameworks.h"
#include "packages/launch.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace Packages::Apply {

namespace {

QList<Place> recognise(const Folder& folder, const Scan&)
{
    if (!isExpoApp(folder))
        return {};
    return {Place{0, folder.dir,
                  QStringLiteral("Expo app (%1)").arg(joined(folder.dir, QStringLiteral("app.json")))}};
}

// The launch screen's images app.json names (the expo-splash-screen plugin's, or the older
// "splash" entry), light and dark, each at its size: a square one is the picture on transparency,
// which Expo centres on the entry's colour; another the whole screen. The colour is app.json's.
void launchImages(Draft& d, const QString& dir, const QJsonObject& app)
{
    const Sources& s = d.sources;
    QList<QJsonObject> entries{app.value(QStringLiteral("splash")).toObject()};
    for (const QJsonValue& plugin : app.value(QStringLiteral("plugins")).toArray())
        if (plugin.isArray() && plugin.toArray().at(0).toString() == QLatin1String("expo-splash-screen"))
            entries << plugin.toArray().at(1).toObject();
    QStringList colours;
    for (const QJsonObject& entry : entries)
        for (bool dark : {false, true}) {
            const QJsonObject look = dark ? entry.value(QStringLiteral("dark")).toObject() : entry;
            const QString path = QDir::cleanPath(joined(dir, look.value(QStringLiteral("image")).toString()));
            const QSize size = sizeOf(d.root, path);
            if (look.value(QStringLiteral("image")).toString().isEmpty() ||
                path.startsWith(QLatin1String("..")) ||
                !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) || !size.isValid() ||
                size.width() > 4096 || size.height() > 4096)
                continue;
            const int side = size.width();
            Job job = size.width() == size.height()
                          ? pngJob(QString(), [&s, side, dark] { return launchIcon(s, side, dark); })
                          : pngJob(QString(), [&s, size, dark] { return launchScreen(s, size, dark); });
            job.launch = true;
            d.add(job, path);
            const QString colour = colorName(launchColour(s, dark));
            if (look.value(QStringLiteral("backgroundColor"))
                    .toString()
                    .compare(colour, Qt::CaseInsensitive) != 0)
                colours << QStringLiteral("\"backgroundColor\": \"%1\"%2")
                               .arg(colour, dark ? QStringLiteral(" (in its \"dark\" entry)") : QString());
        }
    colours.removeDuplicates();
    if (!colours.isEmpty())
        d.notes << QStringLiteral("%1: the launch screen's images are in place; its colour is app.json's, "
                                  "which was left as it is: the design's is %2.")
                       .arg(joined(dir, QStringLiteral("app.json")), colours.join(QStringLiteral(" and ")));
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
    for (const auto& icon : icons) {
        const QString path = QDir::cleanPath(joined(dir, icon.path.toString()));
        const QSize size = sizeOf(d.root, path);
        if (icon.path.toString().isEmpty() || path.startsWith(QLatin1String("..")) ||
            !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) || !size.isValid() ||
            size.width() != size.height() || size.width() > 4096)
            continue;
        const std::function<QImage(int)> make = icon.make;
        const int side = size.width();
        d.add(pngJob(QString(), [make, side] { return make(side); }), path);
    }
    if (s.options().launch)
        launchImages(d, dir, app);
}

} // namespace

const Framework expoApp = {"Expo", "Expo (app.json)", recognise, write};

} // namespace Packages::Apply
