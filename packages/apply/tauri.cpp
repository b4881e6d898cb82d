// Tauri apps (src-tauri/tauri.conf.json): src-tauri/icons/ under Tauri's names.
#include "packages/apply/frameworks.h"

#include <QDir>

namespace Packages::Apply {

namespace {

QList<Place> recognise(const Folder& folder, const Scan&)
{
    if (!folder.has("tauri.conf.json") || QDir(folder.path()).dirName() != QLatin1String("src-tauri"))
        return {};
    return {
        Place{0, folder.dir,
              QStringLiteral("Tauri app (%1)").arg(joined(folder.dir, QStringLiteral("tauri.conf.json")))}};
}

void write(Draft& d, const QString& dir)
{
    const Sources& s = d.sources;
    const QString icons = joined(dir, QStringLiteral("icons/"));
    const struct
    {
        const char* name;
        int size;
    } pngs[] = {{"32x32.png", 32},
                {"128x128.png", 128},
                {"128x128@2x.png", 256},
                {"icon.png", 512},
                {"Square30x30Logo.png", 30},
                {"Square44x44Logo.png", 44},
                {"Square71x71Logo.png", 71},
                {"Square89x89Logo.png", 89},
                {"Square107x107Logo.png", 107},
                {"Square142x142Logo.png", 142},
                {"Square150x150Logo.png", 150},
                {"Square284x284Logo.png", 284},
                {"Square310x310Logo.png", 310},
                {"StoreLogo.png", 50}};
    for (const auto& png : pngs) {
        const int size = png.size;
        d.add(pngJob(QString(), [&s, size] { return s.iconAt(size); }), icons + QLatin1String(png.name));
    }
    d.add(d.targets.macos.at(QStringLiteral("AppIcon.icns")), icons + QStringLiteral("icon.icns"));
    d.add(d.targets.windows.at(QStringLiteral("app.ico")), icons + QStringLiteral("icon.ico"));
}

} // namespace

const Framework tauriApp = {"Tauri", "Tauri (src-tauri/tauri.conf.json)", recognise, write};

} // namespace Packages::Apply
