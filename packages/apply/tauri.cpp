// Tauri apps (src-tauri/tauri.conf.json): src-tauri/icons/ under Tauri's names, the mobile
// targets' folders included.
#include "packages/apply/frameworks.h"

#include <QDir>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!folder.has("tauri.conf.json") || QDir(folder.path()).dirName() != QLatin1String("src-tauri"))
        return {};
    return {
        Found{folder.dir,
              QStringLiteral("Tauri app (%1)").arg(joined(folder.dir, QStringLiteral("tauri.conf.json")))}};
}

// The folders "tauri android init" and "tauri ios init" copy into the native projects they make:
// android/ holds the android package's launcher icons and adaptive layers, with the background's
// colour as a resource where Tauri's own layout has it; ios/ the icon at every size an iPhone and
// an iPad ask for, opaque, under Tauri's names.
void mobileIcons(Draft& d, const QString& icons)
{
    const Sources& s = d.sources;
    // PNG layers: what the mobile projects copy from here is the mipmaps.
    for (const Job& job : d.targets.androidPixels.all())
        if (job.path.startsWith(QLatin1String("res/mipmap-")))
            d.add(job, icons + QStringLiteral("android/") + job.path.mid(4));
    const QColor background = s.design().useBackgroundGradient    ? s.design().gradientStartColor
                              : transparentBackground(s.design()) ? s.plate()
                                                                  : s.design().backgroundColor;
    d.add(textJob(QString(),
                  QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n"
                                 "  <color name=\"ic_launcher_background\">%1</color>\n</resources>\n")
                      .arg(colorName(background))
                      .toUtf8()),
          icons + QStringLiteral("android/values/ic_launcher_background.xml"));
    d.add(pngJob(QString(), [&s] { return s.iconAt(64); }), icons + QStringLiteral("64x64.png"));
    const struct
    {
        const char* name;
        int size;
    } ios[] = {
        {"AppIcon-20x20@1x.png", 20},   {"AppIcon-20x20@2x.png", 40},      {"AppIcon-20x20@2x-1.png", 40},
        {"AppIcon-20x20@3x.png", 60},   {"AppIcon-29x29@1x.png", 29},      {"AppIcon-29x29@2x.png", 58},
        {"AppIcon-29x29@2x-1.png", 58}, {"AppIcon-29x29@3x.png", 87},      {"AppIcon-40x40@1x.png", 40},
        {"AppIcon-40x40@2x.png", 80},   {"AppIcon-40x40@2x-1.png", 80},    {"AppIcon-40x40@3x.png", 120},
        {"AppIcon-60x60@2x.png", 120},  {"AppIcon-60x60@3x.png", 180},     {"AppIcon-76x76@1x.png", 76},
        {"AppIcon-76x76@2x.png", 152},  {"AppIcon-83.5x83.5@2x.png", 167}, {"AppIcon-512@2x.png", 1024}};
    for (const auto& png : ios) {
        const int size = png.size;
        d.add(pngJob(QString(), [&s, size] { return s.opaqueIcon(size); }),
              icons + QStringLiteral("ios/") + QLatin1String(png.name));
    }
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
    mobileIcons(d, icons);
    if (s.options().launch)
        d.notes << QStringLiteral(
                       "%1: --launch has nothing to write for a Tauri app: its desktop windows show no "
                       "launch screen, and its mobile projects (gen/android, gen/apple) get theirs "
                       "where they are found, once made.")
                       .arg(joined(dir, QStringLiteral("tauri.conf.json")));
}

} // namespace

extern const Framework tauriApp = {"Tauri", "Tauri (src-tauri/tauri.conf.json)", recognise, write};

} // namespace Packages::Apply
