// Electron apps packed by electron-builder (package.json naming it), which keeps its icons in
// build/: icon.icns, icon.ico and icons/NxN.png.
#include "packages/apply/frameworks.h"

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!folder.has("package.json") ||
        !folder.text(QStringLiteral("package.json")).contains("\"electron-builder\""))
        return {};
    return {Found{folder.dir, QStringLiteral("Electron app with electron-builder (%1)")
                                  .arg(joined(folder.dir, QStringLiteral("package.json")))}};
}

void write(Draft& d, const QString& dir)
{
    const Sources& s = d.sources;
    const QString build = joined(dir, QStringLiteral("build/"));
    d.add(d.targets.macos.at(QStringLiteral("AppIcon.icns")), build + QStringLiteral("icon.icns"));
    d.add(d.targets.windows.at(QStringLiteral("app.ico")), build + QStringLiteral("icon.ico"));
    for (int size : {16, 32, 48, 64, 128, 256, 512, 1024})
        d.add(pngJob(QString(), [&s, size] { return s.iconAt(size); }),
              build + QStringLiteral("icons/%1x%1.png").arg(size));
    if (s.options().launch)
        d.notes << QStringLiteral(
                       "%1: --launch has nothing to write for an Electron app, whose windows show no "
                       "launch screen of the system's; its icons are in place.")
                       .arg(joined(dir, QStringLiteral("package.json")));
}

} // namespace

extern const Framework electronApp = {"Electron", "Electron with electron-builder (package.json)", recognise,
                                      write};

} // namespace Packages::Apply
