#include "export/commandline.h"

#include "export/exportformats.h"
#include "export/exportplan.h"
#include "export/platformpackages.h"
#include "project/projectformat.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>

namespace {

const char* const usage =
    "Usage: glyphwright-cli [-q] COMMAND ARGUMENTS\n"
    "\n"
    "Renders Glyphwright project files (.ipr) without a window, exactly as the program does.\n"
    "\n"
    "Commands:\n"
    "  icons PROJECT.ipr OUTDIR [--no-stamp]\n"
    "      Writes the icon set chosen on the project's Export page (Android, iOS or custom size,\n"
    "      the ticked sizes, format and quality) into OUTDIR, named as \"Save Icon(s)\" names them:\n"
    "      \"Icon48 07-12-2026 14-05-09.png\". With --no-stamp the names carry no time stamp\n"
    "      (\"Icon48.png\"), so repeated runs write the same paths. OUTDIR is created if missing.\n"
    "  image PROJECT.ipr FILE\n"
    "      Writes the tinted pictogram of the project's Graphics page at its chosen size and in\n"
    "      its chosen format, as \"Save Image\" does.\n"
    "  render PROJECT.ipr FILE [--size N]\n"
    "      Writes the icon at N x N pixels (default 1024, 1 to 4096) in the format the file's\n"
    "      extension names (png, jpg, jpeg, bmp, tif, tiff, ico, icns), PNG for any other.\n"
    "  package PROJECT.ipr OUTDIR --target android|ios|macos|windows|web|all\n"
    "      Writes ready-to-drop icon folders derived from the design:\n"
    "        android  res/mipmap-*/ic_launcher.png, ic_launcher_round.png, adaptive foreground,\n"
    "                 background and monochrome layers, res/mipmap-anydpi-v26/*.xml and\n"
    "                 playstore-icon.png\n"
    "        ios      AppIcon.appiconset/ with the 1024 icon (no alpha), dark and tinted\n"
    "                 variants and Contents.json\n"
    "        macos    AppIcon.icns, 16 to 1024 pixels\n"
    "        windows  app.ico, 16 to 256 pixels\n"
    "        web      favicon.ico, icon-192.png, icon-512.png, icon-maskable-512.png,\n"
    "                 apple-touch-icon.png and manifest-icons.json\n"
    "        all      each of these in a folder of its own name\n"
    "\n"
    "Options:\n"
    "  -q, --quiet   print nothing but errors (otherwise one line per written file)\n"
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Files are replaced only by complete new ones: a file that cannot be written (a full disk,\n"
    "a missing folder, a device or pipe in its place) is left as it was and named with the\n"
    "reason. JPG and BMP have no transparency: transparent parts are written white.\n"
    "\n"
    "Exit status: 0 when every file was written, 1 when some could not be (the others still\n"
    "are, each failure is named with its reason), 2 for a usage error (an empty file or folder\n"
    "name too) or a project file that cannot be opened or is not a project file: not a regular\n"
    "text file of at most 1 MiB (nothing is written).\n";

struct LoadedProject
{
    Project::State state;
    IconDesign design;
};

bool loadProject(const QString& path, LoadedProject* project, QTextStream& err)
{
    const Project::FileContents contents = Project::readFile(path);
    if (!contents.ok) {
        err << "The project file " << path << " could not be opened: " << contents.error << ".\n";
        return false;
    }
    project->state = Project::defaultState();
    const QStringList& values = contents.values;
    // The font list is only needed to draw text; asking the font system for it costs a few
    // milliseconds, so leave it alone for an icon without text.
    const bool text = !Project::singleLine(values[Project::lineOf("editText") - 1]).isEmpty();
    const QStringList families = text ? Project::fontFamilies() : QStringList();
    Project::apply(project->state, values, text ? families.size() : INT_MAX);
    const QString picture = project->state[Project::lineOf("editImageCustom") - 1];
    project->design = Project::designOf(project->state, families, loadCustomPicture(picture));
    return true;
}

int usageError(QTextStream& err, const QString& message)
{
    err << message << "\nRun \"glyphwright-cli --help\" for usage.\n";
    return 2;
}

// The format a file name's extension names, PNG when it names none that can be written.
int formatForExtension(const QString& path)
{
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpeg"))
        suffix = QStringLiteral("jpg");
    if (suffix == QLatin1String("tif"))
        suffix = QStringLiteral("tiff");
    for (int i = 0; i < Export::iconFormatCount; ++i)
        if (suffix == QLatin1String(Export::formats[i].extension))
            return i;
    return 0;
}

int report(const Files::Outcome& outcome, bool quiet, QTextStream& out, QTextStream& err)
{
    if (!quiet)
        for (const QString& path : outcome.written)
            out << "Wrote " << path << "\n";
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not write " << failure.path << ": " << failure.reason << ".\n";
    return outcome.failed.isEmpty() ? 0 : 1;
}

} // namespace

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool quiet = false, noStamp = false;
    int size = 1024;
    bool sizeGiven = false;
    QString packageTarget;
    QStringList positional;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            out << usage;
            return 0;
        } else if (a == QLatin1String("--version")) {
            out << "glyphwright-cli " << GLYPHWRIGHT_VERSION << "\n";
            return 0;
        } else if (a == QLatin1String("-q") || a == QLatin1String("--quiet")) {
            quiet = true;
        } else if (a == QLatin1String("--no-stamp")) {
            noStamp = true;
        } else if (a == QLatin1String("--size")) {
            bool ok = false;
            size = i + 1 < arguments.size() ? arguments[++i].toInt(&ok) : 0;
            if (!ok || size < 1 || size > 4096)
                return usageError(err,
                                  QStringLiteral("--size takes a whole number of pixels from 1 to 4096."));
            sizeGiven = true;
        } else if (a == QLatin1String("--target")) {
            packageTarget = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (!Packages::targets().contains(packageTarget) && packageTarget != QLatin1String("all"))
                return usageError(
                    err, QStringLiteral("--target takes one of android, ios, macos, windows, web or all."));
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(err, QStringLiteral("Unknown option \"%1\".").arg(a));
        } else {
            positional << a;
        }
    }
    if (positional.isEmpty())
        return usageError(err, QStringLiteral("No command given."));
    const QString command = positional.takeFirst();
    const bool known = command == QLatin1String("icons") || command == QLatin1String("image") ||
                       command == QLatin1String("render") || command == QLatin1String("package");
    if (!known)
        return usageError(err, QStringLiteral("Unknown command \"%1\".").arg(command));
    if (positional.size() != 2)
        return usageError(
            err, QStringLiteral("The %1 command takes a project file and %2.")
                     .arg(command, command == QLatin1String("icons") || command == QLatin1String("package")
                                       ? QStringLiteral("a folder")
                                       : QStringLiteral("a file name")));
    for (const QString& argument : positional)
        if (argument.isEmpty())
            return usageError(
                err, QStringLiteral("The %1 command was given an empty file or folder name.").arg(command));
    if (command == QLatin1String("package") && packageTarget.isEmpty())
        return usageError(err, QStringLiteral("The package command needs --target."));
    if (!packageTarget.isEmpty() && command != QLatin1String("package"))
        return usageError(err, QStringLiteral("--target belongs to the package command."));
    if (noStamp && command != QLatin1String("icons"))
        return usageError(err, QStringLiteral("--no-stamp belongs to the icons command."));
    if (sizeGiven && command != QLatin1String("render"))
        return usageError(err, QStringLiteral("--size belongs to the render command."));

    LoadedProject project;
    if (!loadProject(positional[0], &project, err))
        return 2;
    const QString target = positional[1];

    if (command == QLatin1String("icons")) {
        const Export::IconPlan plan = Export::iconPlan(project.state);
        if (plan.format < 0)
            err << "The project names no icon format; no icon can be written.\n";
        if (!QDir().mkpath(target))
            err << "The folder " << target << " could not be created.\n";
        const QString stamp = noStamp ? QString() : Export::timeStamp(QDateTime::currentDateTime());
        return report(Export::writeIconSet(renderIcon(project.design), target, plan, stamp), quiet, out, err);
    }

    if (command == QLatin1String("package")) {
        return report(Packages::writePackage(project.design, target, packageTarget), quiet, out, err);
    }

    Files::Result result;
    if (command == QLatin1String("image")) {
        const Export::ImagePlan plan = Export::imagePlan(project.state);
        const int category = Project::toNumber(project.state[Project::lineOf("comboGraphicsCategory") - 1]);
        const int row = Project::toNumber(project.state[Project::lineOf("listGraphics") - 1]);
        const int c = Project::lineOf("graphicsColor") - 1;
        const QColor color(Project::toNumber(project.state[c]), Project::toNumber(project.state[c + 1]),
                           Project::toNumber(project.state[c + 2]));
        result = Export::writeGraphic(renderGraphic(category, color, row), target, plan);
    } else {
        const Export::Format& format = Export::formats[formatForExtension(target)];
        result = Export::writeImageFile(target, scaledCopy(renderIcon(project.design), size, size),
                                        format.name, -1, QSize(size, size));
    }
    Files::Outcome outcome;
    outcome.add(target, result);
    return report(outcome, quiet, out, err);
}
