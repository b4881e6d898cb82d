#include "cli/commands.h"

#include "export/iconset.h"
#include "export/imageformats.h"
#include "project/statemapping.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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
