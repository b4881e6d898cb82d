// What a build variant's apply reads and edits beyond the icons: the app's version for a badge's
// {version}, and the build configuration of an Xcode project that picks the variant's icon set.
#include "packages/apply/frameworks.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace Packages::Apply {

QString appVersion(const QString& root, const Scan& scan)
{
    const auto text = [&root](const QString& path) {
        return QString::fromUtf8(readText(root, path).value_or(QByteArray()));
    };
    // The first that gives one: an Android module's, an Xcode project's, Flutter's, the package's.
    static const QRegularExpression gradle(QStringLiteral("versionName\\s*=?\\s*\"([^\"]+)\""));
    static const QRegularExpression xcode(QStringLiteral("MARKETING_VERSION = \"?([0-9][^;\"]*)\"?;"));
    static const QRegularExpression flutter(QStringLiteral("(?m)^version:\\s*([0-9][^+\\s]*)"));
    for (const Place& place : scan.places) {
        for (const char* file : {"build.gradle", "build.gradle.kts"})
            if (const QRegularExpressionMatch m =
                    gradle.match(text(joined(place.where, QLatin1String(file))));
                m.hasMatch())
                return m.captured(1);
    }
    for (const Place& place : scan.places) {
        if (!place.where.endsWith(QLatin1String(".appiconset")))
            continue;
        // Up from the catalog to the Xcode project.
        for (QString dir = folderOf(folderOf(place.where)); !dir.isEmpty();
             dir = dir.contains(QLatin1Char('/')) ? folderOf(dir) : QString()) {
            for (const QString& p :
                 QDir(joined(root, dir)).entryList({QStringLiteral("*.xcodeproj")}, QDir::Dirs))
                if (const QRegularExpressionMatch m =
                        xcode.match(text(joined(dir, p + QStringLiteral("/project.pbxproj"))));
                    m.hasMatch())
                    return m.captured(1);
        }
    }
    if (const QRegularExpressionMatch m = flutter.match(text(QStringLiteral("pubspec.yaml"))); m.hasMatch())
        return m.captured(1);
    return QJsonDocument::fromJson(text(QStringLiteral("package.json")).toUtf8())
        .object()
        .value(QStringLiteral("version"))
        .toString();
}

std::optional<QString> withAppIconSet(const QString& pbxproj, const QString& configuration,
                                      const QString& set)
{
    // Each object of the file: "ID /* Name */ = {" ... "};" at the same indentation.
    static const QRegularExpression start(QStringLiteral("^(\\s*)[0-9A-Fa-f]{24} /\\* .* \\*/ = \\{$"));
    static const QRegularExpression setting(
        QStringLiteral("^(\\s*ASSETCATALOG_COMPILER_APPICON_NAME = )(\"[^\"]*\"|[^;]*);$"));
    QStringList lines = pbxproj.split(QLatin1Char('\n'));
    bool configurations = false;
    QString indent;
    int appIconLine = -1;
    bool building = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (const QRegularExpressionMatch m = start.match(line); m.hasMatch()) {
            indent = m.captured(1);
            building = false;
            appIconLine = -1;
            continue;
        }
        if (line.trimmed() == QLatin1String("isa = XCBuildConfiguration;")) {
            building = configurations = true;
            continue;
        }
        if (building && setting.match(line).hasMatch())
            appIconLine = i;
        const QString name = line.trimmed();
        if (building && name.startsWith(QLatin1String("name = ")) && name.endsWith(QLatin1Char(';'))) {
            QString value = name.mid(7, name.size() - 8);
            if (value.startsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            // The configuration of the variant's name, or a flavour's (flutter_flavorizr's
            // Debug-beta and Profile-beta); a release build keeps the release icons for the store.
            const QString flavour = value.section(QLatin1Char('-'), 1);
            const bool named =
                value.compare(configuration, Qt::CaseInsensitive) == 0 ||
                ((value.startsWith(QLatin1String("Debug-")) || value.startsWith(QLatin1String("Profile-"))) &&
                 flavour.compare(configuration, Qt::CaseInsensitive) == 0);
            if (appIconLine >= 0 && named)
                lines[appIconLine] =
                    setting.match(lines[appIconLine]).captured(1) + QStringLiteral("\"%1\";").arg(set);
        }
        if (line == indent + QStringLiteral("};"))
            building = false;
    }
    if (!configurations)
        return std::nullopt;
    return lines.join(QLatin1Char('\n'));
}

} // namespace Packages::Apply
