// Flutter apps (pubspec.yaml naming flutter): their Android, iOS, macOS and web parts are found on
// their own; Flutter adds the Windows runner's icon, and its web manifest's colours follow the icon.
#include "packages/apply/frameworks.h"

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!folder.has("pubspec.yaml") || !folder.text(QStringLiteral("pubspec.yaml")).contains("flutter:"))
        return {};
    return {
        Found{folder.dir,
              QStringLiteral("Flutter app (%1)").arg(joined(folder.dir, QStringLiteral("pubspec.yaml")))}};
}

void write(Draft& d, const QString& root)
{
    const QString ico = joined(root, QStringLiteral("windows/runner/resources/app_icon.ico"));
    if (d.exists(ico))
        d.add(d.targets.windows.at(QStringLiteral("app.ico")), ico);
}

} // namespace

extern const Framework flutterApp = {"Flutter", "Flutter (pubspec.yaml)", recognise, write};

} // namespace Packages::Apply
