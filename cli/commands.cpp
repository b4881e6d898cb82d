#include "cli/commands.h"

#include "export/iconset.h"
#include "export/imageformats.h"
#include "packages/apply/appproject.h"
#include "project/statemapping.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace Cli {

namespace {

Files::Outcome single(const QString& path, const Files::Result& result)
{
    Files::Outcome outcome;
    outcome.add(path, result);
    return outcome;
}

Files::Outcome icons(const Invocation& i, const LoadedProject& project, QTextStream& err)
{
    if (!QDir().mkpath(i.output))
        err << "The folder " << i.output << " could not be created.\n";
    const QString stamp = i.noStamp ? QString() : Export::timeStamp(QDateTime::currentDateTime());
    return Export::writeIconSet(renderIconImage(project.design), i.output, Project::iconPlan(project.state),
                                stamp);
}

Files::Outcome image(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const Project::State& state = project.state;
    const QPixmap graphic =
        renderGraphic(state.number(Project::Key::GraphicsCategory), state.color(Project::Key::GraphicsColor),
                      state.number(Project::Key::GraphicsRow));
    return single(i.output, Export::writeGraphic(graphic, i.output, Project::imagePlan(state)));
}

Files::Outcome render(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const QImage icon =
        renderIconImage(project.design).scaled(i.size, i.size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return single(i.output, Export::writeImageFile(i.output, icon, Export::formatForPath(i.output), -1,
                                                   QSize(i.size, i.size)));
}

Files::Outcome package(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    Packages::Options options = i.package;
    if (!i.nameGiven)
        options.name = Packages::defaultName(i.project);
    if (!i.appIdGiven)
        options.appId = Packages::defaultAppId(i.project);
    return Packages::writePackage(project.design, i.output, i.targets, options);
}

Files::Outcome preview(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const QImage sheet = Packages::previewSheet(project.design, i.package);
    return single(i.output,
                  Export::writeImageFile(i.output, sheet, Export::formatForPath(i.output), -1, sheet.size()));
}

// The words the report gives each kind of change.
const char* actionName(Packages::AppChange::Action action)
{
    switch (action) {
    case Packages::AppChange::Add:
        return "add";
    case Packages::AppChange::Replace:
        return "replace";
    case Packages::AppChange::Edit:
        return "edit";
    case Packages::AppChange::Remove:
        return "remove";
    case Packages::AppChange::Same:
        break;
    }
    return "unchanged";
}

QJsonObject changeJson(const Packages::AppPlan& plan, const Packages::AppChange& change)
{
    QByteArray bytes = change.bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = change.path.endsWith(QLatin1String(".png")) ||
                               change.path.endsWith(QLatin1String(".ico")) ||
                               change.path.endsWith(QLatin1String(".icns"))
                           ? pixelSize(&buffer)
                           : QSize();
    return {{QStringLiteral("action"), QLatin1String(actionName(change.action))},
            {QStringLiteral("path"), QDir(plan.folder).filePath(change.path)},
            {QStringLiteral("width"), size.isValid() ? QJsonValue(size.width()) : QJsonValue()},
            {QStringLiteral("height"), size.isValid() ? QJsonValue(size.height()) : QJsonValue()},
            {QStringLiteral("bytes"),
             change.action == Packages::AppChange::Remove ? QJsonValue() : QJsonValue(bytes.size())}};
}

int apply(const Invocation& i, const LoadedProject& project, QTextStream& out, QTextStream& err)
{
    using Packages::AppChange;
    if (!QFileInfo(i.output).isDir()) {
        err << "The app folder " << i.output << " is not a folder.\n";
        return 2;
    }
    Packages::Options options = i.package;
    if (!i.nameGiven)
        options.name = Packages::defaultName(i.project);
    const Packages::AppPlan plan = Packages::planAppUpdate(project.design, i.output, options);
    if (!plan.refused.isEmpty()) {
        err << "The folder " << i.output << " was not searched: " << plan.refused << ".\n";
        return 2;
    }
    if (plan.found.isEmpty()) {
        err << "No app project was found in " << i.output << ". Looked for:\n";
        for (const QString& marker : Packages::appProjectMarkers())
            err << "  " << marker << "\n";
        return 2;
    }
    const bool backedUp = std::any_of(plan.changes.begin(), plan.changes.end(), [](const AppChange& c) {
        return c.action == AppChange::Replace || c.action == AppChange::Edit || c.action == AppChange::Remove;
    });
    const QString backup =
        backedUp && !i.dryRun ? Packages::backupFolder(plan.folder, QDateTime::currentDateTime()) : QString();
    const Files::Outcome outcome = i.dryRun ? Files::Outcome() : Packages::applyAppPlan(plan, backup);
    const QString summary =
        QStringLiteral("%1 added, %2 replaced, %3 edited, %4 removed, %5 already up to date")
            .arg(plan.count(AppChange::Add))
            .arg(plan.count(AppChange::Replace))
            .arg(plan.count(AppChange::Edit))
            .arg(plan.count(AppChange::Remove))
            .arg(plan.count(AppChange::Same));
    if (i.json) {
        QJsonArray changes, failed;
        for (const AppChange& change : plan.changes)
            changes << changeJson(plan, change);
        for (const Files::Failure& f : outcome.failed)
            failed << QJsonObject{{QStringLiteral("path"), f.path}, {QStringLiteral("reason"), f.reason}};
        out << QJsonDocument(QJsonObject{{QStringLiteral("folder"), plan.folder},
                                         {QStringLiteral("found"), QJsonArray::fromStringList(plan.found)},
                                         {QStringLiteral("dryRun"), i.dryRun},
                                         {QStringLiteral("changes"), changes},
                                         {QStringLiteral("notes"), QJsonArray::fromStringList(plan.notes)},
                                         {QStringLiteral("backup"),
                                          backup.isEmpty() ? QJsonValue()
                                                           : QJsonValue(QDir(plan.folder).filePath(backup))},
                                         {QStringLiteral("failed"), failed}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        for (const QString& found : plan.found)
            out << "Found " << found << "\n";
        for (const AppChange& change : plan.changes)
            if (change.action != AppChange::Same)
                out << QStringLiteral("%1 %2")
                           .arg(QLatin1String(actionName(change.action)), -8)
                           .arg(change.path)
                    << "\n";
        for (const QString& note : plan.notes)
            out << "Note: " << note << "\n";
        out << summary
            << (i.dryRun ? QStringLiteral("; --dry-run: nothing was written.") : QStringLiteral(".")) << "\n";
        if (!backup.isEmpty())
            out << "The files replaced, edited and removed are kept in " << QDir(plan.folder).filePath(backup)
                << ".\n";
    }
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not write " << failure.path << ": " << failure.reason << ".\n";
    return outcome.failed.isEmpty() ? 0 : 1;
}

} // namespace

const QList<Command>& commands()
{
    static const QList<Command> table = {
        {"icons",
         "PROJECT.ipr OUTDIR",
         true,
         false,
         "Writes the icon set chosen on the project's Export page (Android, iOS or custom size, the "
         "ticked sizes, format and quality) into OUTDIR, named as \"Save Icon(s)\" names them: "
         "\"Icon48 07-12-2026 14-05-09.png\". With --no-stamp the names carry no time stamp "
         "(\"Icon48.png\"), so repeated runs write the same paths. OUTDIR is created if missing.",
         icons,
         {"no-stamp"},
         {}},
        {"image",
         "PROJECT.ipr FILE",
         false,
         true,
         "Writes the tinted pictogram of the project's Graphics page at its chosen size and in its "
         "chosen format, as \"Save Image\" does.",
         image,
         {},
         {}},
        {"render",
         "PROJECT.ipr FILE",
         false,
         false,
         "Writes the icon at N x N pixels (default 1024, 1 to 4096) in the format the file's "
         "extension names (png, jpg, jpeg, bmp, tif, tiff, ico, icns), PNG for any other.",
         render,
         {"size"},
         {}},
        {"package",
         "PROJECT.ipr OUTDIR",
         true,
         false,
         "Writes ready-to-drop icon folders derived from the design; with several targets (or all), "
         "each goes into a folder of its own name:",
         package,
         {"target", "background", "name", "theme-color", "splash-color", "app-id", "base-path",
          "macos-keep-corners", "ios-dark-color", "ios-tinted-color"},
         {"target"}},
        {"preview",
         "PROJECT.ipr SHEET.png",
         false,
         true,
         "Writes one picture of the icon as the platforms show it: Android under four launcher masks "
         "with the safe zone outlined, themed, legacy and round; iOS light, dark and tinted; the "
         "layered iOS and macOS 26 icon, its glass approximated; macOS on light and dark; the favicon "
         "at 16 and 32 pixels.",
         preview,
         {"background", "macos-keep-corners", "ios-dark-color", "ios-tinted-color"},
         {}},
        {"apply",
         "PROJECT.ipr APPDIR",
         true,
         false,
         "Puts the icons straight into the app project in APPDIR, where its framework keeps them and "
         "under its template's names: every Android app module (mipmaps, adaptive icon, Play Store "
         "icon, the manifest's icon and round icon), Xcode asset catalogs (and the layered "
         "AppIcon.icon beside the Xcode project), web manifests and their favicons, and the icons of "
         "Flutter, Capacitor, React Native, Expo, Tauri and Electron (electron-builder) apps, and the logos "
         "of "
         "packaged Windows apps (Package.appxmanifest). Only icons and "
         "the icon entries of manifests and catalogs change; every file replaced, edited or removed is "
         "kept under APPDIR/.glyphwright-backup/DATE_TIME/, and files already up to date are left "
         "alone. Exit status 2 when APPDIR holds no known app project.",
         nullptr,
         {"dry-run", "background", "name", "theme-color", "splash-color", "macos-keep-corners",
          "ios-dark-color", "ios-tinted-color"},
         {},
         apply},
    };
    return table;
}

const Command* commandNamed(const QString& name)
{
    for (const Command& command : commands())
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

} // namespace Cli
