// React Native apps (app.json beside a package.json naming react-native, without an expo object):
// their Android and iOS projects are found and written on their own.
#include "packages/apply/frameworks.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace Packages::Apply {

bool isReactNativeApp(const Folder& folder)
{
    return folder.has("app.json") && folder.has("package.json") &&
           folder.text(QStringLiteral("package.json")).contains("\"react-native\"");
}

bool isExpoApp(const Folder& folder)
{
    return isReactNativeApp(folder) && QJsonDocument::fromJson(folder.text(QStringLiteral("app.json")))
                                           .object()
                                           .value(QStringLiteral("expo"))
                                           .isObject();
}

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!isReactNativeApp(folder) || isExpoApp(folder))
        return {};
    return {
        Found{folder.dir,
              QStringLiteral("React Native app (%1)").arg(joined(folder.dir, QStringLiteral("app.json")))}};
}

} // namespace

extern const Framework reactNativeApp = {"React Native", "React Native (app.json)", recognise, nullptr};

} // namespace Packages::Apply
