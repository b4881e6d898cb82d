// Packaged Windows apps (Package.appxmanifest: WinUI 3, UWP, a packaging project): each logo file
// the project has (the template's are at scale-200) made again at its own size, under its own
// name; the project lists its files, so none is added.
#include "packages/apply/frameworks.h"

#include <QDir>
#include <QMap>
#include <QRegularExpression>

namespace Packages::Apply {

namespace {

QList<Found> recognise(const Folder& folder, const Scan&)
{
    if (!folder.has("Package.appxmanifest"))
        return {};
    return {Found{folder.dir, QStringLiteral("Packaged Windows app (%1)")
                                  .arg(joined(folder.dir, QStringLiteral("Package.appxmanifest")))}};
}

void write(Draft& d, const QString& dir)
{
    const Sources& s = d.sources;
    const QString manifest = QString::fromUtf8(d.text(joined(dir, QStringLiteral("Package.appxmanifest"))));
    static const QRegularExpression logo(QStringLiteral("Square150x150Logo=\"([^\"]*)\""));
    const QRegularExpressionMatch m = logo.match(manifest);
    const QString assets =
        joined(dir, folderOf(m.hasMatch() ? m.captured(1).replace(QLatin1Char('\\'), QLatin1Char('/'))
                                          : QStringLiteral("Assets/x")));
    // The designer's older names for the small and large tiles.
    const QMap<QString, QString> aliases{{QStringLiteral("SmallTile"), QStringLiteral("Square71x71Logo")},
                                         {QStringLiteral("LargeTile"), QStringLiteral("Square310x310Logo")}};
    int made = 0;
    for (const QString& file :
         QDir(joined(d.root, assets)).entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const QString base = file.section(QLatin1Char('.'), 0, 0);
        const QString name = aliases.value(base, base);
        const QString path = joined(assets, file);
        const QSize size = sizeOf(d.root, path);
        if (!isStoreLogo(name) || !size.isValid() || size.width() > 4096 || size.height() > 4096)
            continue;
        d.add(pngJob(QString(), [&s, name, size] { return storeLogo(s, name, size); }), path);
        ++made;
    }
    if (made > 0)
        d.notes << QStringLiteral(
                       "%1: the logos the project has were made again at their sizes; the windows package's "
                       "Assets/ has every scale and target size, to add to the project where wanted.")
                       .arg(joined(dir, QStringLiteral("Package.appxmanifest")));
}

} // namespace

extern const Framework windowsApp = {"Windows", "a packaged Windows app (Package.appxmanifest)", recognise,
                                     write};

} // namespace Packages::Apply
