#include "app/folders.h"

#include <QSettings>
#include <QStandardPaths>

namespace Folders {
const QString imageCustomBrowse = QStringLiteral("ImageCustomBrowseFolder");
const QString saveIcons = QStringLiteral("SaveIconsFolder");
const QString saveImage = QStringLiteral("SaveImageFolder");
const QString packages = QStringLiteral("PackagesFolder");
const QString appProject = QStringLiteral("AppProjectFolder");
} // namespace Folders

QString rememberedFolder(const QString& key)
{
    QSettings settings;
    return settings.value(key, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).toString();
}

void rememberFolder(const QString& key, const QString& folder)
{
    QSettings settings;
    settings.setValue(key, folder);
    settings.sync();
}
