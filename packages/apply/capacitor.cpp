// Capacitor apps (capacitor.config.*): their Android and iOS projects are found and written on their
// own; the app is named once.
#include "packages/apply/frameworks.h"

namespace Packages::Apply {

namespace {

QList<Place> recognise(const Folder& folder)
{
    QList<Place> configs;
    for (const QString& f : folder.files)
        if (f.startsWith(QLatin1String("capacitor.config.")))
            configs << Place{0, folder.dir, QStringLiteral("Capacitor app (%1)").arg(joined(folder.dir, f))};
    return configs;
}

} // namespace

const Framework capacitorApp = {"Capacitor", "Capacitor (capacitor.config.*)", recognise, nullptr};

} // namespace Packages::Apply
