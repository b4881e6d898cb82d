// Capacitor apps (capacitor.config.*): their Android and iOS projects are found and written on their
// own; the app is named once, not again for the copies of its configuration inside them.
#include "packages/apply/frameworks.h"

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan& sofar)
{
    // `npx cap sync` copies the app's configuration into its native projects: those copies are
    // not apps of their own.
    for (const QString& app : sofar.of("Capacitor"))
        if (app.isEmpty() || folder.dir.startsWith(app + QLatin1Char('/')))
            return {};
    for (const QString& f : folder.files)
        if (f.startsWith(QLatin1String("capacitor.config.")))
            return {Found{folder.dir, QStringLiteral("Capacitor app (%1)").arg(joined(folder.dir, f))}};
    return {};
}

} // namespace

extern const Framework capacitorApp = {"Capacitor", "Capacitor (capacitor.config.*)", recognise, nullptr};

} // namespace Packages::Apply
