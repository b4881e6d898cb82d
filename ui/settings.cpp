#include "ui/settings.h"

#include <QColor>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <type_traits>
#include <variant>

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

QString storedFolder(const QString& key)
{
    return QSettings().value(key).toString();
}

void rememberFolder(const QString& key, const QString& folder)
{
    QSettings settings;
    settings.setValue(key, folder);
    settings.sync();
}

namespace {

const QString group = QStringLiteral("ExportPackages/");

QColor storedColour(const QSettings& settings, const QString& key, const QColor& otherwise)
{
    const QColor colour(settings.value(group + key).toString());
    return colour.isValid() ? colour : otherwise;
}

QString colourText(const QColor& colour)
{
    return colour.isValid() ? colour.name() : QString();
}

// Every option the dialog remembers, with its key in the settings store; the default is the
// command line's (Packages::Options' own).
using OptionField = std::variant<QColor Packages::Options::*, QString Packages::Options::*,
                                 bool Packages::Options::*, Packages::AndroidVector Packages::Options::*>;
const struct
{
    const char* key;
    OptionField field;
} rememberedOptions[] = {
    {"Plate", &Packages::Options::background},
    {"ThemeColor", &Packages::Options::themeColor},
    {"SplashColor", &Packages::Options::splashColor},
    {"IosDarkColor", &Packages::Options::iosDarkColor},
    {"IosTintedColor", &Packages::Options::iosTintedColor},
    {"BasePath", &Packages::Options::basePath},
    {"MacosKeepCorners", &Packages::Options::macosKeepCorners},
    {"Launch", &Packages::Options::launch},
    {"LaunchText", &Packages::Options::launchText},
    {"SplashDarkColor", &Packages::Options::splashDarkColor},
    {"SmallWithoutText", &Packages::Options::smallWithoutText},
    {"AndroidVector", &Packages::Options::androidVector},
};
const QString targetsKey = QStringLiteral("Targets");

} // namespace

namespace {

// A project's group in the store: its path hashed (a path holds characters keys cannot).
QString projectGroup(const QString& projectFile)
{
    const QByteArray path = QFileInfo(projectFile).absoluteFilePath().toUtf8();
    return group + QStringLiteral("Projects/") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(20)) +
           QLatin1Char('/');
}

} // namespace

ProjectApp ProjectApp::load(const QString& projectFile)
{
    if (projectFile.isEmpty())
        return ProjectApp();
    QSettings settings;
    const QString at = projectGroup(projectFile);
    ProjectApp app{settings.value(at + QStringLiteral("Name")).toString(),
                   settings.value(at + QStringLiteral("AppId")).toString(),
                   settings.value(at + QStringLiteral("Folder")).toString(),
                   settings.value(at + QStringLiteral("Variant")).toString(),
                   settings.value(at + QStringLiteral("BadgeStyle")).toString(),
                   settings.value(at + QStringLiteral("BadgeText")).toString()};
    const int n = settings.beginReadArray(at + QStringLiteral("Variants"));
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        app.variants.append({settings.value(QStringLiteral("Variant")).toString(),
                             settings.value(QStringLiteral("BadgeStyle")).toString(),
                             settings.value(QStringLiteral("BadgeText")).toString()});
    }
    settings.endArray();
    return app;
}

Packages::Variant ProjectApp::buildVariant() const
{
    Packages::Variant v;
    v.name = variant;
    v.badge.text = badgeText;
    Packages::badgeStyleNamed(badgeStyle, &v.badge.style);
    return v;
}

void ProjectApp::save(const QString& projectFile) const
{
    if (projectFile.isEmpty())
        return;
    QSettings settings;
    const QString at = projectGroup(projectFile);
    settings.setValue(at + QStringLiteral("Path"), QFileInfo(projectFile).absoluteFilePath());
    settings.setValue(at + QStringLiteral("Name"), name);
    settings.setValue(at + QStringLiteral("AppId"), appId);
    settings.setValue(at + QStringLiteral("Folder"), folder);
    settings.setValue(at + QStringLiteral("Variant"), variant);
    settings.setValue(at + QStringLiteral("BadgeStyle"), badgeStyle);
    settings.setValue(at + QStringLiteral("BadgeText"), badgeText);
    // The chosen variant first among those remembered, its badge as chosen now.
    QList<Remembered> kept;
    if (!variant.isEmpty())
        kept.append({variant, badgeStyle, badgeText});
    for (const Remembered& r : variants)
        if (r.variant != variant && !r.variant.isEmpty())
            kept.append(r);
    settings.beginWriteArray(at + QStringLiteral("Variants"), kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("Variant"), kept[i].variant);
        settings.setValue(QStringLiteral("BadgeStyle"), kept[i].badgeStyle);
        settings.setValue(QStringLiteral("BadgeText"), kept[i].badgeText);
    }
    settings.endArray();
    settings.sync();
}

PackageChoices PackageChoices::load()
{
    const QSettings settings;
    PackageChoices c;
    c.targets = settings.value(group + targetsKey, Packages::targetNames()).toStringList();
    for (const auto& o : rememberedOptions) {
        const QString key = group + QLatin1String(o.key);
        std::visit(
            [&](auto member) {
                auto& value = c.options.*member;
                using Value = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, QColor>)
                    value = storedColour(settings, QLatin1String(o.key), value);
                else if constexpr (std::is_enum_v<Value>)
                    // Stored by number; one this version does not know keeps the default.
                    value = Value(std::clamp(settings.value(key, int(value)).toInt(), 0,
                                             int(Packages::AndroidVector::Never)));
                else
                    value = settings.value(key, value).template value<Value>();
            },
            o.field);
    }
    return c;
}

bool PackageChoices::operator==(const PackageChoices& other) const
{
    if (targets != other.targets)
        return false;
    for (const auto& o : rememberedOptions)
        if (!std::visit([&](auto member) { return options.*member == other.options.*member; }, o.field))
            return false;
    return true;
}

void PackageChoices::save() const
{
    QSettings settings;
    settings.setValue(group + targetsKey, targets);
    for (const auto& o : rememberedOptions)
        std::visit(
            [&](auto member) {
                const auto& value = options.*member;
                if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QColor>)
                    settings.setValue(group + QLatin1String(o.key), colourText(value));
                else if constexpr (std::is_enum_v<std::decay_t<decltype(value)>>)
                    settings.setValue(group + QLatin1String(o.key), int(value));
                else
                    settings.setValue(group + QLatin1String(o.key), value);
            },
            o.field);
    settings.sync();
}

Packages::Options PackageChoices::rememberedFor(const QString& projectFile) const
{
    const ProjectApp app = ProjectApp::load(projectFile);
    Packages::Options o = optionsFor(projectFile, app.name, app.appId);
    o.variant = app.buildVariant();
    return o;
}

Packages::Options PackageChoices::optionsFor(const QString& projectFile, const QString& name,
                                             const QString& appId) const
{
    Packages::Options o = options;
    o.name = name.trimmed().isEmpty() ? Packages::defaultName(projectFile) : name;
    // Without a project file of its own, the app's typed name gives the Linux icon name.
    o.appId =
        !appId.isEmpty() ? appId
        : projectFile.isEmpty() && !name.trimmed().isEmpty()
            ? Packages::defaultAppId(QString(name.trimmed()).replace(QLatin1Char('/'), QLatin1Char('-')) +
                                     QStringLiteral(".ipr"))
            : Packages::defaultAppId(projectFile);
    return o;
}
