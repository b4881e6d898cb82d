#include "cli/commands.h"

#include "export/iconset.h"
#include "export/imageformats.h"
#include "packages/android.h"
#include "packages/apply/appproject.h"
#include "packages/check/check.h"
#include "packages/previewsheet.h"
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
#include <memory>

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

Files::Outcome package(const Invocation& i, const LoadedProject& project, QTextStream& err)
{
    Packages::Options options = i.package;
    // Android's layers as vectors: refused when they must be and cannot, told when they fall back.
    if (i.targets.contains(QLatin1String("android")) &&
        options.androidVector != Packages::AndroidVector::Never)
        if (const Problem why = Packages::androidVectorProblem(project.design, options)) {
            if (options.androidVector == Packages::AndroidVector::Always) {
                Files::Outcome refused;
                refused.add(i.output, Files::Result::failure(why));
                return refused;
            }
            if (!why.where.isEmpty())
                err << "android: the adaptive layers are PNG, since " << why.text() << ".\n";
        }
    if (!i.nameGiven)
        options.name = Packages::defaultName(i.project);
    if (!i.appIdGiven)
        options.appId = Packages::defaultAppId(i.project);
    if (i.variants.isEmpty())
        return Packages::writePackage(project.design, i.output, i.targets, options);
    // Each variant badged, into a folder of its name.
    QList<Packages::Build> builds;
    for (const QString& name : i.variants) {
        Packages::Build build{options.variant, QDir(i.output).filePath(name)};
        build.variant.name = name;
        builds << build;
    }
    return Packages::writePackages(project.design, builds, i.targets, options);
}

Files::Outcome preview(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    Packages::Options options = i.package;
    // The first variant's sheet, when given, its home screens showing the others too.
    options.variant.name = i.variants.value(0);
    const QImage sheet = Packages::previewSheet(project.design, options, 1.0, 0, {}, i.variants);
    return single(i.output,
                  Export::writeImageFile(i.output, sheet, Export::formatForPath(i.output), -1, sheet.size()));
}

QJsonObject changeJson(const QString& folder, const Packages::AppChange& change)
{
    QByteArray bytes = change.bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = change.path.endsWith(QLatin1String(".png")) ||
                               change.path.endsWith(QLatin1String(".ico")) ||
                               change.path.endsWith(QLatin1String(".icns"))
                           ? pixelSize(&buffer)
                           : QSize();
    const bool written =
        change.action != Packages::AppChange::Remove && change.action != Packages::AppChange::Restore;
    return {{QStringLiteral("action"), Packages::actionName(change.action)},
            {QStringLiteral("path"), QDir(folder).filePath(change.path)},
            {QStringLiteral("width"), size.isValid() ? QJsonValue(size.width()) : QJsonValue()},
            {QStringLiteral("height"), size.isValid() ? QJsonValue(size.height()) : QJsonValue()},
            {QStringLiteral("bytes"), written ? QJsonValue(bytes.size()) : QJsonValue()}};
}

QJsonArray failuresJson(const Files::Outcome& outcome)
{
    QJsonArray failed;
    for (const Files::Failure& f : outcome.failed)
        failed << QJsonObject{{QStringLiteral("path"), f.path}, {QStringLiteral("reason"), f.text()}};
    return failed;
}

// "add      path": an action and its path, as the report lists them.
QString changeLine(const Packages::AppChange& change)
{
    return QStringLiteral("%1 %2").arg(Packages::actionName(change.action), -8).arg(change.path);
}

// The app folder of an apply or its undo, or nothing (with the reason on `err`) when it is not a
// folder or another run holds it. Held (for a run that writes) until the returned lock goes.
std::unique_ptr<Packages::AppLock> lockedFolder(const Invocation& i, QTextStream& err, int* status)
{
    *status = 2;
    if (!QFileInfo(i.output).isDir()) {
        err << "The app folder " << i.output << " is not a folder.\n";
        return nullptr;
    }
    auto lock = std::make_unique<Packages::AppLock>(i.output);
    if (!i.dryRun && !lock->isHeld()) {
        err << "The app folder " << i.output << " was left as it is: " << lock->whyNot() << ".\n";
        *status = 1;
        return nullptr;
    }
    return lock;
}

int apply(const Invocation& i, const LoadedProject& project, QTextStream& out, QTextStream& err)
{
    using Packages::AppChange;
    int status = 0;
    // A look without writing takes no lock (and leaves nothing behind).
    std::unique_ptr<Packages::AppLock> lock;
    if (!i.dryRun && !(lock = lockedFolder(i, err, &status)))
        return status;
    if (i.dryRun && !QFileInfo(i.output).isDir()) {
        err << "The app folder " << i.output << " is not a folder.\n";
        return 2;
    }
    Packages::Options options = i.package;
    if (!i.nameGiven)
        options.name = Packages::defaultName(i.project);
    Packages::AppPlan plan = Packages::planAppUpdate(project.design, i.output, options,
                                                     i.variants.size() > 1 ? i.variants : QStringList());
    if (lock && !lock->recoveredNote().isEmpty())
        plan.notes.prepend(lock->recoveredNote());
    if (plan.refused) {
        err << (plan.refused.reason == Reason::NoAppVersion ? "Nothing was changed in " : "The folder ")
            << i.output << (plan.refused.reason == Reason::NoAppVersion ? ": " : " was not searched: ")
            << plan.refused.text() << ".\n";
        return 2;
    }
    if (plan.found.isEmpty()) {
        err << "No app project was found in " << i.output << ". Looked for:\n";
        for (const QString& marker : Packages::appProjectMarkers())
            err << "  " << marker << "\n";
        err << QString(plan.hint).replace(QLatin1String("PROJECT.ipr"), i.project) << "\n";
        return 2;
    }
    const bool changes = plan.count(AppChange::Same) < plan.changes.size();
    const QString backup =
        changes && !i.dryRun ? Packages::backupFolder(plan.folder, QDateTime::currentDateTime()) : QString();
    const Files::Outcome outcome = i.dryRun ? Files::Outcome() : Packages::applyAppPlan(plan, backup);
    const bool failed = !outcome.failed.isEmpty();
    const bool done = !failed && !backup.isEmpty();
    // What is told is what happened: a failed apply made no change (or, where it could not put
    // back what it had changed, those files), a look without writing what it would make.
    QList<AppChange> made;
    for (const AppChange& change : plan.changes)
        if (!failed || outcome.written.contains(QDir(plan.folder).filePath(change.path)))
            made << change;
    if (i.json) {
        QJsonArray list;
        for (const AppChange& change : made)
            list << changeJson(plan.folder, change);
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("folder"), plan.folder},
                               {QStringLiteral("found"), QJsonArray::fromStringList(plan.found)},
                               {QStringLiteral("dryRun"), i.dryRun},
                               {QStringLiteral("changes"), list},
                               {QStringLiteral("notes"), QJsonArray::fromStringList(plan.notes)},
                               {QStringLiteral("skipped"), QJsonArray::fromStringList(plan.skipped)},
                               {QStringLiteral("backup"),
                                done ? QJsonValue(QDir(plan.folder).filePath(backup)) : QJsonValue()},
                               {QStringLiteral("failed"), failuresJson(outcome)}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        for (const QString& found : plan.found)
            out << "Found " << found << "\n";
        for (const AppChange& change : made)
            if (change.action != AppChange::Same)
                out << changeLine(change) << "\n";
        for (const QString& note : plan.notes)
            out << "Note: " << note << "\n";
        if (!failed)
            out << plan.summary()
                << (i.dryRun ? QStringLiteral("; --dry-run: nothing was written.") : QStringLiteral("."))
                << "\n";
        else if (made.isEmpty())
            out << "Nothing was changed: the apply's " << plan.changes.size() - plan.count(AppChange::Same)
                << " changes could not all be made (see below), so none was.\n";
        else
            out << "The apply failed, and " << made.size()
                << " of its changes (above) could not be put back; the old files are kept in "
                << QDir(plan.folder).filePath(backup) << ".\n";
        if (done)
            out << "What was there before is kept in " << QDir(plan.folder).filePath(backup)
                << "; \"glyphwright-cli apply --undo " << i.output << "\" puts it back.\n";
    }
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not write " << Files::failureLine(failure) << ".\n";
    if (failed && made.isEmpty())
        err << "Nothing in " << plan.folder << " was changed.\n";
    // A part left alone is an apply that did not do all it was asked.
    for (const QString& skipped : plan.skipped)
        err << "Left as it is: " << skipped << "\n";
    return failed || !plan.skipped.isEmpty() ? 1 : 0;
}

// The findings of a check, as its report tells them, and its exit status.
int reportFindings(const Invocation& i, const QString& checked, const QString& kind,
                   const QList<Packages::Check::Finding>& findings, QTextStream& out)
{
    using namespace Packages::Check;
    if (i.json) {
        QJsonArray list;
        for (const Finding& f : findings)
            list << QJsonObject{{QStringLiteral("rule"), QLatin1String(f.rule->id)},
                                {QStringLiteral("severity"), severityName(f.severity())},
                                {QStringLiteral("message"), f.message},
                                {QStringLiteral("remedy"), QLatin1String(f.rule->remedy)},
                                {QStringLiteral("target"), f.target},
                                {QStringLiteral("file"), f.file},
                                {QStringLiteral("box"),
                                 f.box.isEmpty() ? QJsonValue()
                                                 : QJsonObject{{QStringLiteral("x"), f.box.x()},
                                                               {QStringLiteral("y"), f.box.y()},
                                                               {QStringLiteral("width"), f.box.width()},
                                                               {QStringLiteral("height"), f.box.height()}}}};
        out << QJsonDocument(QJsonObject{{QStringLiteral("checked"), checked},
                                         {QStringLiteral("kind"), kind},
                                         {QStringLiteral("findings"), list},
                                         {QStringLiteral("errors"), count(findings, Severity::Error)},
                                         {QStringLiteral("warnings"), count(findings, Severity::Warning)},
                                         {QStringLiteral("notes"), count(findings, Severity::Note)}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        for (const Finding& f : findings) {
            out << severityName(f.severity()) << " " << f.rule->id << ": " << f.message << ".\n";
            if (!f.file.isEmpty() || !f.target.isEmpty())
                out << "  in " << (f.file.isEmpty() ? f.target : f.file)
                    << (f.file.isEmpty() || f.target.isEmpty() ? QString()
                                                               : QStringLiteral(" (%1)").arg(f.target))
                    << "\n";
            out << "  fix: " << f.rule->remedy << "\n";
        }
        out << summary(findings) << " in " << checked << ".\n";
    }
    const bool failed =
        count(findings, Severity::Error) > 0 || (i.strict && count(findings, Severity::Warning) > 0);
    return failed ? 1 : 0;
}

int check(const Invocation& i, const LoadedProject& project, QTextStream& out, QTextStream&)
{
    Packages::Options options = i.package;
    if (!i.nameGiven)
        options.name = Packages::defaultName(i.project);
    options.variant.name = i.variants.value(0); // a variant's badged looks, when given
    const QStringList targets = i.targets.isEmpty() ? Packages::targetNames() : i.targets;
    return reportFindings(i, i.project, QStringLiteral("design"),
                          Packages::Check::checkDesign(project.design, targets, options), out);
}

int checkFolder(const Invocation& i, QTextStream& out, QTextStream& err)
{
    const QList<Packages::Check::Finding> findings = Packages::Check::checkApp(i.project);
    if (findings.isEmpty() && Packages::planAppUpdate(IconDesign(), i.project).found.isEmpty()) {
        err << "No app project was found in " << i.project << ".\n";
        return 2;
    }
    return reportFindings(i, QFileInfo(i.project).absoluteFilePath(), QStringLiteral("app"), findings, out);
}

} // namespace

int undoApply(const Invocation& i, QTextStream& out, QTextStream& err)
{
    using Packages::AppChange;
    int status = 0;
    const std::unique_ptr<Packages::AppLock> lock = lockedFolder(i, err, &status);
    if (!lock)
        return status;
    // The last apply was stopped half way, and taking the lock undid it: that was the undo asked for.
    if (!lock->recoveredNote().isEmpty()) {
        if (!i.quiet)
            out << "Note: " << lock->recoveredNote() << "\n";
        return 0;
    }
    const Packages::AppUndo undo = Packages::planAppUndo(i.output);
    if (undo.refused) {
        err << "Nothing to undo in " << i.output << ": " << undo.refused.text() << ".\n";
        return 2;
    }
    const bool refused = !undo.conflicts.isEmpty();
    const Files::Outcome outcome = i.dryRun || refused ? Files::Outcome() : Packages::undoApp(undo);
    const bool failed = !outcome.failed.isEmpty();
    // What is told is what happened: a refused undo put nothing back, a failed one what it names.
    QList<AppChange> made;
    for (const AppChange& change : undo.changes)
        if (!refused && (!failed || outcome.written.contains(QDir(undo.folder).filePath(change.path))))
            made << change;
    if (i.json) {
        QJsonArray list;
        for (const AppChange& change : made)
            list << changeJson(undo.folder, change);
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("folder"), undo.folder},
                               {QStringLiteral("backup"), QDir(undo.folder).filePath(undo.backup)},
                               {QStringLiteral("dryRun"), i.dryRun},
                               {QStringLiteral("undone"), !i.dryRun && !refused && !failed},
                               {QStringLiteral("changes"), list},
                               {QStringLiteral("conflicts"), QJsonArray::fromStringList(undo.conflicts)},
                               {QStringLiteral("failed"), failuresJson(outcome)}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        if (!refused && !(failed && made.isEmpty()))
            out << (i.dryRun ? "The undo of the apply kept in " : "Undone: the apply kept in ")
                << QDir(undo.folder).filePath(undo.backup)
                << (i.dryRun ? " would make these changes:\n" : "\n");
        for (const AppChange& change : made)
            out << changeLine(change) << "\n";
        if (refused || made.isEmpty())
            out << "Nothing was put back: the apply kept in " << QDir(undo.folder).filePath(undo.backup)
                << " was not undone.\n";
        else
            out << Packages::changeCounts(made, true)
                << (i.dryRun ? QStringLiteral("; --dry-run: nothing was written.")
                    : failed ? QStringLiteral("; the rest could not be put back (below).")
                             : QStringLiteral("."))
                << "\n";
    }
    for (const QString& path : undo.conflicts)
        err << "Changed since the apply: " << QDir(undo.folder).filePath(path) << "\n";
    if (refused)
        err << "Nothing was put back: the files above were changed after the apply.\n";
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not put back " << Files::failureLine(failure) << ".\n";
    return !failed && !refused ? 0 : 1;
}

// A build variant and its badge, which every command that draws the packages takes.
const QStringList variantOptions = {"variant",          "badge",         "badge-style", "badge-color",
                                    "badge-text-color", "badge-position"};

const QList<Command>& commands()
{
    static const QList<Command> table = {
        Command::named("icons")
            .takes("PROJECT.ipr OUTDIR")
            .intoFolder()
            .describedAs(
                "Writes the icon set chosen on the project's Export page (Android, iOS or custom size, "
                "the ticked sizes, format and quality) into OUTDIR, named as \"Save Icon(s)\" names "
                "them: \"Icon48 07-12-2026 14-05-09.png\". With --no-stamp the names carry no time "
                "stamp (\"Icon48.png\"), so repeated runs write the same paths. OUTDIR is created if "
                "missing.")
            .runs(icons)
            .withOptions({"no-stamp"}),
        Command::named("image")
            .takes("PROJECT.ipr FILE")
            .drawing()
            .describedAs(
                "Writes the tinted pictogram of the project's Graphics page at its chosen size and in "
                "its chosen format, as \"Save Image\" does.")
            .runs(image),
        Command::named("render")
            .takes("PROJECT.ipr FILE")
            .describedAs("Writes the icon at N x N pixels (default 1024, 1 to 4096) in the format the file's "
                         "extension names (png, jpg, jpeg, bmp, tif, tiff, ico, icns), PNG for any other.")
            .runs(render)
            .withOptions({"size"}),
        Command::named("package")
            .takes("PROJECT.ipr OUTDIR")
            .intoFolder()
            .describedAs(
                "Writes ready-to-drop icon folders derived from the design; with several targets (or "
                "all), each goes into a folder of its own name. OUTDIR keeps a record of what was "
                "written there (.glyphwright-export.json): a later complete run removes the files an "
                "earlier one wrote for the same targets that it no longer writes (an earlier app "
                "name's), if unchanged since:")
            .runs(package)
            .withOptions(QStringList{"target", "background", "name", "theme-color", "splash-color", "app-id",
                                     "base-path", "macos-keep-corners", "ios-dark-color", "ios-tinted-color",
                                     "launch", "launch-text", "splash-dark-color", "small-without-text",
                                     "android-vector"} +
                         variantOptions)
            .needing({"target"}),
        Command::named("preview")
            .takes("PROJECT.ipr SHEET.png")
            .drawing()
            .describedAs(
                "Writes one picture of the icon as the platforms show it: Android under four launcher "
                "masks with the safe zone outlined, themed, legacy and round; iOS light, dark and "
                "tinted; the layered iOS and macOS 26 icon, its glass approximated; macOS on light and "
                "dark; the favicon at 16 and 32 pixels. With --variant, the first variant's, and home "
                "screens with the release beside each named.")
            .runs(preview)
            .withOptions(
                QStringList{"background", "macos-keep-corners", "ios-dark-color", "ios-tinted-color"} +
                variantOptions),
        Command::named("check")
            .takes("PROJECT.ipr | APPDIR")
            .alone()
            .drawing()
            .describedAs(
                "Checks a design as package would write it for the targets (default all), without "
                "writing: every platform's rules and every derived look (the adaptive icon's safe zone "
                "and size, the themed shape, the iOS dark and tinted contrast, the dark launch screen, "
                "small text, the Play icon), measured on the pixels. Given an app's folder instead, "
                "checks its project as it stands, whoever wrote its icons: App Store icons with an alpha "
                "channel, icon sets whose Contents.json and files disagree, Android densities, mipmaps "
                "and manifests, web manifests' icons, Expo's and Tauri's images, MSIX logos. Each "
                "finding has a rule id, a severity, a sentence with what was measured, the file and the "
                "fix. Exit status 0 without errors (with --strict, without warnings too), 1 with them.")
            .reportsItself(check)
            .onFolder(checkFolder)
            .withOptions(QStringList{"target", "background", "name", "theme-color", "splash-color",
                                     "macos-keep-corners", "ios-dark-color", "ios-tinted-color", "launch",
                                     "launch-text", "splash-dark-color", "small-without-text", "strict"} +
                         variantOptions),
        Command::named("apply")
            .takes("PROJECT.ipr APPDIR")
            .intoFolder()
            .describedAs(
                "Puts the icons straight into the app project in APPDIR, where its framework keeps them "
                "and under its template's names: every Android app module (mipmaps, adaptive icon, "
                "Play Store icon, the manifest's icon and round icon), Xcode asset catalogs (and the "
                "layered AppIcon.icon beside the Xcode project), web manifests and their favicons, and "
                "the icons of Flutter, Capacitor, React Native, Expo, Tauri and Electron "
                "(electron-builder) apps, and the logos of packaged Windows apps "
                "(Package.appxmanifest). Only icons and the icon entries of manifests and catalogs "
                "change, all of them or none; every file replaced, edited or removed is kept under "
                "APPDIR/.glyphwright-backup/DATE_TIME/ with the list of what was added, and files "
                "already up to date are left alone. One run at a time changes an app folder. Exit "
                "status 2 when APPDIR holds no known app project. With --undo it takes APPDIR alone and "
                "puts back what the last apply there changed, removing what it added.")
            .reportsItself(apply)
            .withOptions(QStringList{"dry-run", "undo", "background", "name", "theme-color", "splash-color",
                                     "macos-keep-corners", "ios-dark-color", "ios-tinted-color", "launch",
                                     "launch-text", "splash-dark-color", "small-without-text",
                                     "android-vector"} +
                         variantOptions),
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
