// Expo apps (app.json with an expo object, no native folders needed): each icon app.json names
// that is there, made again at its size as its place asks: the app icon opaque (iOS takes no
// transparency), the adaptive layers with the foreground in the safe zone, the favicon as the icon.
#include "packages/apply/frameworks.h"

#include <QDir>
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
}

} // namespace

const Framework expoApp = {"Expo", "Expo (app.json)", recognise, write};

} // namespace Packages::Apply
