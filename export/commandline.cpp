#include "export/commandline.h"

#include "export/exportformats.h"
#include "export/exportplan.h"
#include "export/platformpackages.h"
#include "project/projectformat.h"
#include "render/graphicrenderer.h"
#include "render/iconrenderer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <climits>
#include <functional>
#include <optional>

namespace {

const char* const usage =
    "Usage: glyphwright-cli [OPTIONS] COMMAND PROJECT.ipr OUTPUT\n"
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
    "  package PROJECT.ipr OUTDIR --target TARGET[,TARGET...]\n"
    "      Writes ready-to-drop icon folders derived from the design; with several targets (or\n"
    "      all), each goes into a folder of its own name:\n"
    "        android  res/mipmap-*/ic_launcher.png, ic_launcher_round.png, the adaptive foreground,\n"
    "                 background and monochrome layers (content fitted into the 66 dp safe zone,\n"
    "                 the background always opaque), res/mipmap-anydpi-v26/*.xml and\n"
    "                 playstore-icon.png (512, 32-bit, sRGB, opaque)\n"
    "        ios      AppIcon.appiconset/ with the 1024 icon (no alpha), the dark and tinted\n"
    "                 variants (glyphs kept legible) and Contents.json\n"
    "        macos    AppIcon.icns, 16 to 1024 pixels, the body in the macOS shape with its shadow\n"
    "        windows  app.ico, 16 to 256 pixels\n"
    "        web      favicon.ico, favicon-16.png, favicon-32.png, icon-192/512.png, full-bleed\n"
    "                 icon-maskable-192/512.png, icon-monochrome-512.png, apple-touch-icon.png,\n"
    "                 manifest.webmanifest and head-snippet.html with the link tags\n"
    "        linux    hicolor/NxN/apps/APPID.png for 16 to 512 and install-icons.sh\n"
    "        all      every target\n"
    "  preview PROJECT.ipr SHEET.png\n"
    "      Writes one picture of the icon as the platforms show it: Android under four launcher\n"
    "      masks with the safe zone outlined, themed, legacy and round; iOS light, dark and\n"
    "      tinted; macOS on light and dark; the favicon at 16 and 32 pixels.\n"
    "\n"
    "Options (each also as --option=VALUE):\n"
    "  -q, --quiet             print nothing but errors (otherwise one line per written file)\n"
    "  --json                  print the written files as JSON instead: path, width and height\n"
    "                          in pixels (the largest entry of a container), bytes; and the\n"
    "                          failed ones with their reasons\n"
    "  --background COLOR      package, preview: what a transparent design stands on where a\n"
    "                          platform needs an opaque icon (default white)\n"
    "  --name NAME             package: the web app's name (default: the project's file name)\n"
    "  --theme-color COLOR     package: the web theme colour (default: the design's background)\n"
    "  --splash-color COLOR    package: the web manifest's background_color (default: as theme)\n"
    "  --app-id ID             package: the Linux icon name (default: the project's file name)\n"
    "  --macos-keep-corners    package, preview: keep the design's corners on macOS\n"
    "  --ios-dark-color COLOR  package, preview: the glyph colour of the iOS dark icon\n"
    "  --ios-tinted-color COLOR package, preview: the grey of the iOS tinted glyph\n"
    "  -h, --help              show this help and exit\n"
    "  --version               show the version and exit\n"
    "COLOR is #rrggbb, #rgb or a colour name such as white.\n"
    "\n"
    "Files are replaced only by complete new ones: a file that cannot be written (a full disk,\n"
    "a missing folder, a device or pipe in its place) is left as it was and named with the\n"
    "reason. JPG and BMP have no transparency: transparent parts are written white.\n"
    "\n"
    "Exit status: 0 when every file was written, 1 when some could not be (the others still\n"
    "are, each failure is named with its reason), 2 for a usage error (an empty file or folder\n"
    "name too) or a project file that cannot be opened or is not a project file: not a regular\n"
    "text file of at most 1 MiB (nothing is written).\n";

// What the command line asks for.
struct Invocation
{
    QString command, project, output;
    bool quiet = false, json = false, noStamp = false;
    int size = 1024;
    QStringList targets;
    Packages::Options package;
    bool nameGiven = false, appIdGiven = false;
    QStringList given; // options given, by name, to check they belong to the command
};

struct Option
{
    const char* name;
    const char* commands; // the commands it belongs to, empty for all
    bool takesValue;
    // Applies the option; returns a usage error, or an empty string.
    std::function<QString(Invocation&, const QString&)> apply;
};

QString colour(const QString& value, QColor* into)
{
    const QColor parsed(value);
    if (!parsed.isValid())
        return QStringLiteral("\"%1\" is not a colour (use #rrggbb, #rgb or a name such as white).")
            .arg(value);
    *into = parsed;
    return QString();
}

const QList<Option>& options()
{
    static const QList<Option> table = {
        {"--quiet", "", false,
         [](Invocation& i, const QString&) {
             i.quiet = true;
             return QString();
         }},
        {"-q", "", false,
         [](Invocation& i, const QString&) {
             i.quiet = true;
             return QString();
         }},
        {"--json", "", false,
         [](Invocation& i, const QString&) {
             i.json = true;
             return QString();
         }},
        {"--no-stamp", "icons", false,
         [](Invocation& i, const QString&) {
             i.noStamp = true;
             return QString();
         }},
        {"--size", "render", true,
         [](Invocation& i, const QString& v) {
             bool ok = false;
             i.size = v.toInt(&ok);
             return ok && i.size >= 1 && i.size <= 4096
                        ? QString()
                        : QStringLiteral("--size takes a whole number of pixels from 1 to 4096.");
         }},
        {"--target", "package", true,
         [](Invocation& i, const QString& v) {
             for (const QString& t : v.split(QLatin1Char(','))) {
                 if (t == QLatin1String("all"))
                     i.targets += Packages::targets();
                 else if (Packages::targets().contains(t))
                     i.targets << t;
                 else
                     return QStringLiteral("--target takes %1 or all, or several separated by commas.")
                         .arg(Packages::targets().join(QStringLiteral(", ")));
             }
             i.targets.removeDuplicates();
             return QString();
         }},
        {"--background", "package preview", true,
         [](Invocation& i, const QString& v) { return colour(v, &i.package.background); }},
        {"--name", "package", true,
         [](Invocation& i, const QString& v) {
             i.package.name = v;
             i.nameGiven = true;
             return v.trimmed().isEmpty() ? QStringLiteral("--name takes a name.") : QString();
         }},
        {"--theme-color", "package", true,
         [](Invocation& i, const QString& v) { return colour(v, &i.package.themeColor); }},
        {"--splash-color", "package", true,
         [](Invocation& i, const QString& v) { return colour(v, &i.package.splashColor); }},
        {"--app-id", "package", true,
         [](Invocation& i, const QString& v) {
             i.package.appId = v;
             i.appIdGiven = true;
             static const QRegularExpression id(QStringLiteral("^[A-Za-z0-9_-][A-Za-z0-9._-]*$"));
             return id.match(v).hasMatch()
                        ? QString()
                        : QStringLiteral("--app-id takes letters, digits, '.', '_' and '-'.");
         }},
        {"--macos-keep-corners", "package preview", false,
         [](Invocation& i, const QString&) {
             i.package.macosKeepCorners = true;
             return QString();
         }},
        {"--ios-dark-color", "package preview", true,
         [](Invocation& i, const QString& v) { return colour(v, &i.package.iosDarkColor); }},
        {"--ios-tinted-color", "package preview", true,
         [](Invocation& i, const QString& v) { return colour(v, &i.package.iosTintedColor); }},
    };
    return table;
}

// Reads the arguments into `invocation`; returns a usage error, or an empty string.
QString parse(const QStringList& arguments, Invocation& invocation)
{
    QStringList positional;
    for (int n = 0; n < arguments.size(); ++n) {
        const QString& a = arguments[n];
        if (!a.startsWith(QLatin1Char('-')) || a.size() == 1) {
            positional << a;
            continue;
        }
        const int equals = a.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? a : a.left(equals);
        const Option* option = nullptr;
        for (const Option& o : options())
            if (name == QLatin1String(o.name))
                option = &o;
        if (!option)
            return QStringLiteral("Unknown option \"%1\".").arg(a);
        QString value;
        if (option->takesValue) {
            if (equals >= 0)
                value = a.mid(equals + 1);
            else if (n + 1 < arguments.size())
                value = arguments[++n];
            else
                return QStringLiteral("%1 takes a value.").arg(name);
        } else if (equals >= 0) {
            return QStringLiteral("%1 takes no value.").arg(name);
        }
        const QString error = option->apply(invocation, value);
        if (!error.isEmpty())
            return error;
        invocation.given << name;
    }

    static const QStringList commands = {"icons", "image", "render", "package", "preview"};
    if (positional.isEmpty())
        return QStringLiteral("No command given.");
    invocation.command = positional.takeFirst();
    if (!commands.contains(invocation.command))
        return QStringLiteral("Unknown command \"%1\".").arg(invocation.command);
    const bool folder =
        invocation.command == QLatin1String("icons") || invocation.command == QLatin1String("package");
    if (positional.size() != 2)
        return QStringLiteral("The %1 command takes a project file and %2.")
            .arg(invocation.command, folder ? QStringLiteral("a folder") : QStringLiteral("a file name"));
    for (const QString& argument : positional)
        if (argument.isEmpty())
            return QStringLiteral("The %1 command was given an empty file or folder name.")
                .arg(invocation.command);
    invocation.project = positional[0];
    invocation.output = positional[1];
    for (const QString& name : invocation.given)
        for (const Option& o : options())
            if (name == QLatin1String(o.name) && *o.commands &&
                !QString::fromLatin1(o.commands).split(QLatin1Char(' ')).contains(invocation.command))
                return QStringLiteral("%1 belongs to the %2 command.")
                    .arg(name,
                         QString::fromLatin1(o.commands).replace(QLatin1Char(' '), QStringLiteral(" and ")));
    if (invocation.command == QLatin1String("package") && invocation.targets.isEmpty())
        return QStringLiteral("The package command needs --target.");
    return QString();
}

struct LoadedProject
{
    Project::State state;
    IconDesign design;
};

// The project at `path`, or nothing (with the reason on `err`) when it is not a project file.
std::optional<LoadedProject> loadProject(const QString& path, QTextStream& err)
{
    const Project::FileContents contents = Project::readFile(path);
    if (!contents.ok) {
        err << "The project file " << path << " could not be opened: " << contents.error << ".\n";
        return std::nullopt;
    }
    LoadedProject project;
    project.state = Project::defaultState();
    // The font list is only needed to draw text; asking the font system for it costs a few
    // milliseconds, so leave it alone for an icon without text.
    const bool text = !Project::State(contents.values).text("editText").isEmpty();
    const QStringList families = text ? Project::fontFamilies() : QStringList();
    Project::apply(project.state, contents.values, text ? families.size() : INT_MAX);
    const QImage picture = loadCustomPicture(project.state.text("editImageCustom"));
    project.design = Project::designOf(project.state, families, picture);
    return project;
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

Files::Outcome single(const QString& path, const Files::Result& result)
{
    Files::Outcome outcome;
    outcome.add(path, result);
    return outcome;
}

Files::Outcome icons(const Invocation& i, const LoadedProject& project, QTextStream& err)
{
    const Export::IconPlan plan = Export::iconPlan(project.state);
    if (!QDir().mkpath(i.output))
        err << "The folder " << i.output << " could not be created.\n";
    const QString stamp = i.noStamp ? QString() : Export::timeStamp(QDateTime::currentDateTime());
    return Export::writeIconSet(renderIcon(project.design), i.output, plan, stamp);
}

Files::Outcome image(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const Project::State& state = project.state;
    const QPixmap graphic = renderGraphic(state.number("comboGraphicsCategory"), state.color("graphicsColor"),
                                          state.number("listGraphics"));
    return single(i.output, Export::writeGraphic(graphic, i.output, Export::imagePlan(state)));
}

Files::Outcome render(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const Export::Format& format = Export::formats[formatForExtension(i.output)];
    const QPixmap icon = scaledCopy(renderIcon(project.design), i.size, i.size);
    return single(i.output, Export::writeImageFile(i.output, icon, format.name, -1, QSize(i.size, i.size)));
}

// A name from the project file's for what the user did not name: "Shop Icon.ipr" -> "shop-icon".
QString idFrom(const QString& path)
{
    QString id = QFileInfo(path).baseName().toLower();
    id.replace(QRegularExpression(QStringLiteral("[^a-z0-9._-]+")), QStringLiteral("-"));
    id.remove(QRegularExpression(QStringLiteral("^[.-]+|-+$")));
    return id.isEmpty() ? QStringLiteral("app") : id;
}

Files::Outcome package(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    Packages::Options options = i.package;
    if (!i.nameGiven && !QFileInfo(i.project).baseName().isEmpty())
        options.name = QFileInfo(i.project).baseName();
    if (!i.appIdGiven)
        options.appId = idFrom(i.project);
    return Packages::writePackage(project.design, i.output, i.targets, options);
}

Files::Outcome preview(const Invocation& i, const LoadedProject& project, QTextStream&)
{
    const Export::Format& format = Export::formats[formatForExtension(i.output)];
    const QImage sheet = Packages::previewSheet(project.design, i.package);
    return single(i.output, Export::writeImageFile(i.output, sheet, format.name, -1, sheet.size()));
}

// The pixel size of an image file, the largest entry of a container; invalid for other files.
QSize pixelSize(const QString& path)
{
    QImageReader reader(path);
    QSize largest = reader.size();
    for (int n = 1; n < reader.imageCount() && reader.jumpToImage(n); ++n)
        if (reader.size().width() > largest.width())
            largest = reader.size();
    return largest;
}

int report(const Invocation& i, const Files::Outcome& outcome, QTextStream& out, QTextStream& err)
{
    if (i.json) {
        QJsonArray written, failed;
        for (const QString& path : outcome.written) {
            const QSize size = pixelSize(path);
            written.append(QJsonObject{
                {QStringLiteral("path"), path},
                {QStringLiteral("width"), size.isValid() ? QJsonValue(size.width()) : QJsonValue()},
                {QStringLiteral("height"), size.isValid() ? QJsonValue(size.height()) : QJsonValue()},
                {QStringLiteral("bytes"), QFileInfo(path).size()}});
        }
        for (const Files::Failure& f : outcome.failed)
            failed.append(
                QJsonObject{{QStringLiteral("path"), f.path}, {QStringLiteral("reason"), f.reason}});
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("written"), written}, {QStringLiteral("failed"), failed}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        for (const QString& path : outcome.written)
            out << "Wrote " << path << "\n";
    }
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not write " << failure.path << ": " << failure.reason << ".\n";
    return outcome.failed.isEmpty() ? 0 : 1;
}

} // namespace

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.contains(QStringLiteral("-h")) || arguments.contains(QStringLiteral("--help"))) {
        out << usage;
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        out << "glyphwright-cli " << GLYPHWRIGHT_VERSION << "\n";
        return 0;
    }
    Invocation invocation;
    const QString error = parse(arguments, invocation);
    if (!error.isEmpty()) {
        err << error << "\nRun \"glyphwright-cli --help\" for usage.\n";
        return 2;
    }
    const std::optional<LoadedProject> project = loadProject(invocation.project, err);
    if (!project)
        return 2;
    using Command = Files::Outcome (*)(const Invocation&, const LoadedProject&, QTextStream&);
    const std::pair<const char*, Command> commands[] = {
        {"icons", icons}, {"image", image}, {"render", render}, {"package", package}, {"preview", preview}};
    for (const auto& c : commands)
        if (invocation.command == QLatin1String(c.first))
            return report(invocation, c.second(invocation, *project, err), out, err);
    return 2;
}
