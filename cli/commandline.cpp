#include "cli/commandline.h"

#include "cli/commands.h"
#include "project/custompicture.h"
#include "project/statemapping.h"
#include "render/vectorpicture.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <climits>
#include <functional>
#include <optional>

namespace Cli {

namespace {

// An option: which commands take it is declared by the commands (an option no command declares
// is taken by all).
struct Option
{
    QStringList names;     // short and long, without dashes
    const char* valueName; // empty for a switch
    const char* description;
    // Applies one value (or the switch); returns a usage error, or an empty string.
    std::function<QString(Invocation&, const QString&)> apply;
};

QString colour(const QString& value, QColor* into)
{
    const QColor parsed(value);
    // The layers these colours fill are opaque: a colour with transparency (a name such as
    // "transparent", or #aarrggbb) would leave holes, or a black icon where one is not allowed.
    if (!parsed.isValid() || parsed.alpha() != 255 ||
        (value.startsWith(QLatin1Char('#')) && value.size() == 9))
        return QStringLiteral("\"%1\" is not an opaque colour (use #rrggbb, #rgb or a name such as white).")
            .arg(value);
    *into = parsed;
    return QString();
}

// Sets a switch of the invocation.
std::function<QString(Invocation&, const QString&)> sets(bool Invocation::*flag)
{
    return [flag](Invocation& i, const QString&) {
        i.*flag = true;
        return QString();
    };
}

// Reads a colour option into the package options.
std::function<QString(Invocation&, const QString&)> colourOf(QColor Packages::Options::*member)
{
    return [member](Invocation& i, const QString& v) { return colour(v, &(i.package.*member)); };
}

QString noValue(Invocation&, const QString&)
{
    return QString();
}

// The options in the order --help lists them. -h and --version are answered before anything else.
const QList<Option>& options()
{
    static const QList<Option> table = {
        {{"q", "quiet"},
         "",
         "print nothing but errors (otherwise one line per written file)",
         sets(&Invocation::quiet)},
        {{"json"},
         "",
         "print the written files as JSON instead: path, width and height in pixels (the largest entry of a "
         "container), bytes; the failed ones with their reasons; and the files of an earlier export removed",
         sets(&Invocation::json)},
        {{"no-stamp"}, "", "leave the time stamp out of the file names", sets(&Invocation::noStamp)},
        {{"size"},
         "N",
         "the icon's width and height in pixels, 1 to 4096 (default 1024)",
         [](Invocation& i, const QString& v) {
             bool ok = false;
             i.size = v.toInt(&ok);
             return ok && i.size >= 1 && i.size <= 4096
                        ? QString()
                        : QStringLiteral("--size takes a whole number of pixels from 1 to 4096.");
         }},
        {{"target"},
         "TARGET[,TARGET...]",
         "the platforms to package, or all",
         [](Invocation& i, const QString& v) {
             for (const QString& t : v.split(QLatin1Char(','))) {
                 if (t == QLatin1String("all"))
                     i.targets += Packages::targetNames();
                 else if (Packages::targetNames().contains(t))
                     i.targets << t;
                 else
                     return QStringLiteral("--target takes %1 or all, or several separated by commas.")
                         .arg(Packages::targetNames().join(QStringLiteral(", ")));
             }
             i.targets.removeDuplicates();
             return QString();
         }},
        {{"background"},
         "COLOR",
         "what a transparent design stands on where a platform needs an opaque icon (default white)",
         colourOf(&Packages::Options::background)},
        {{"name"},
         "NAME",
         "the web app's name (default: the project's file name)",
         [](Invocation& i, const QString& v) {
             i.package.name = v;
             i.nameGiven = true;
             return v.trimmed().isEmpty() ? QStringLiteral("--name takes a name.") : QString();
         }},
        {{"theme-color"},
         "COLOR",
         "the web theme colour (default: the design's background)",
         colourOf(&Packages::Options::themeColor)},
        {{"splash-color"},
         "COLOR",
         "the web manifest's background_color (default: as theme)",
         colourOf(&Packages::Options::splashColor)},
        {{"splash-dark-color"},
         "COLOR",
         "the dark launch screens' colour (default #121214); the picture is lifted where it would stand "
         "under 3:1 from it",
         colourOf(&Packages::Options::splashDarkColor)},
        {{"app-id"},
         "ID",
         "the Linux icon name (default: the project's file name)",
         [](Invocation& i, const QString& v) {
             i.package.appId = v;
             i.appIdGiven = true;
             // The whole value, up to its end (a final line feed included), and short enough that
             // "ID.png" fits the longest file name.
             static const QRegularExpression id(
                 QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_-][A-Za-z0-9._-]{0,249}")));
             return id.match(v).hasMatch()
                        ? QString()
                        : QStringLiteral("--app-id takes up to 250 letters, digits, '.', '_' and '-'.");
         }},
        {{"base-path"},
         "PATH",
         "where the web files are served from, for the head snippet's links and the manifest's start URL "
         "(default /)",
         [](Invocation& i, const QString& v) {
             static const QRegularExpression path(
                 QRegularExpression::anchoredPattern(QStringLiteral("/[A-Za-z0-9._~%!$()*+,;=:@/-]*")));
             if (!path.match(v).hasMatch())
                 return QStringLiteral("--base-path takes a path on the site, such as /app/.");
             i.package.basePath = v.endsWith(QLatin1Char('/')) ? v : v + QLatin1Char('/');
             return QString();
         }},
        {{"macos-keep-corners"},
         "",
         "keep the design's corners on macOS",
         [](Invocation& i, const QString&) {
             i.package.macosKeepCorners = true;
             return QString();
         }},
        {{"ios-dark-color"},
         "COLOR",
         "the glyph colour of the iOS dark icon",
         colourOf(&Packages::Options::iosDarkColor)},
        {{"ios-tinted-color"},
         "COLOR",
         "the grey of the iOS tinted glyph",
         colourOf(&Packages::Options::iosTintedColor)},
        {{"launch"},
         "",
         "the launch screens too: Android's (Android 12's icon and colour, the full-screen bitmaps before "
         "it), iOS's launch image set, the web's start-up images; light and dark",
         [](Invocation& i, const QString&) {
             i.package.launch = true;
             return QString();
         }},
        {{"launch-text"},
         "",
         "keep the design's text on the launch screens (the picture alone without it)",
         [](Invocation& i, const QString&) {
             i.package.launchText = true;
             return QString();
         }},
        {{"small-without-text"},
         "",
         "leave the design's text out of the icons of 48 pixels and less (favicons, small app list icons), "
         "as designers hint small icons by hand",
         [](Invocation& i, const QString&) {
             i.package.smallWithoutText = true;
             return QString();
         }},
        {{"android-vector"},
         "WHEN",
         "Android's adaptive foreground and background as vector drawables: auto (default) where the "
         "design is an SVG picture or none and its text, always (refused, with the element that cannot "
         "be a path, when it is not), never",
         [](Invocation& i, const QString& v) {
             static const QHash<QString, Packages::AndroidVector> named = {
                 {QStringLiteral("auto"), Packages::AndroidVector::Auto},
                 {QStringLiteral("always"), Packages::AndroidVector::Always},
                 {QStringLiteral("never"), Packages::AndroidVector::Never}};
             if (!named.contains(v))
                 return QStringLiteral("--android-vector takes auto, always or never.");
             i.package.androidVector = named.value(v);
             return QString();
         }},
        {{"variant"},
         "NAME[,NAME...]",
         "build variants (debug, beta, a flavour): package writes each badged into a folder of its name; "
         "apply puts each where its build picks it up (Android's src/NAME/res, an Xcode set AppIcon-Name); "
         "check measures one's badged looks",
         [](Invocation& i, const QString& v) {
             static const QRegularExpression name(
                 QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z][A-Za-z0-9_]{0,39}")));
             for (const QString& n : v.split(QLatin1Char(',')))
                 if (!name.match(n).hasMatch())
                     return QStringLiteral("--variant takes names of letters, digits and _ (a build type or "
                                           "flavour's name, such as debug), separated by commas.");
             i.variants += v.split(QLatin1Char(','));
             i.variants.removeDuplicates();
             return QString();
         }},
        {{"badge"},
         "TEXT",
         "the variant's badge text (default: the variant's name); with apply, {version} is the app's version",
         [](Invocation& i, const QString& v) {
             i.package.variant.badge.text = v;
             return QString();
         }},
        {{"badge-style"},
         "STYLE",
         "banner (default), ribbon across a corner, corner dot, tint or grey",
         [](Invocation& i, const QString& v) {
             if (!Packages::badgeStyleNamed(v, &i.package.variant.badge.style))
                 return QStringLiteral("--badge-style takes %1.")
                     .arg(Packages::badgeStyleNames().join(QStringLiteral(", ")));
             return QString();
         }},
        {{"badge-color"},
         "COLOR",
         "the badge's colour (default #c62828), or the tint's",
         [](Invocation& i, const QString& v) { return colour(v, &i.package.variant.badge.colour); }},
        {{"badge-text-color"},
         "COLOR",
         "the badge's letters (default white or near-black, whichever stands farther from it)",
         [](Invocation& i, const QString& v) { return colour(v, &i.package.variant.badge.textColour); }},
        {{"badge-position"},
         "PLACE",
         "bottom (default) or top for a banner; top-right (default), top-left, bottom-right or bottom-left "
         "for a ribbon or a dot",
         [](Invocation& i, const QString& v) {
             if (!Packages::badgePlaceNamed(v, &i.package.variant.badge.place))
                 return QStringLiteral("--badge-position takes %1.")
                     .arg(Packages::badgePlaceNames().join(QStringLiteral(", ")));
             return QString();
         }},
        {{"strict"}, "", "warnings fail too (exit status 1)", sets(&Invocation::strict)},
        {{"dry-run"}, "", "list the changes and write nothing", sets(&Invocation::dryRun)},
        {{"undo"},
         "",
         "put back what the last apply changed in APPDIR (given alone, without a project)",
         sets(&Invocation::undo)},
        {{"allow-missing-picture"},
         "",
         "go on without the custom picture when the project uses one that cannot be loaded",
         sets(&Invocation::allowMissingPicture)},
        {{"h", "help"}, "", "show this help and exit", noValue},
        {{"version"}, "", "show the version and exit", noValue},
    };
    return table;
}

QString dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "-q, --quiet" or "--size N".
QString synopsis(const Option& o)
{
    QStringList names;
    for (const QString& n : o.names)
        names << dashed(n);
    QString s = names.join(QStringLiteral(", "));
    if (*o.valueName)
        s += QLatin1Char(' ') + QLatin1String(o.valueName);
    return s;
}

// The commands that declare `o` (empty: it is common to all).
QStringList commandsOf(const Option& o)
{
    QStringList names;
    for (const Command& c : commands())
        if (c.options.contains(o.names.last()))
            names << QLatin1String(c.name);
    return names;
}

// `text` broken into lines of at most 79 columns, the first starting with `indent` spaces, the
// others with `hanging` spaces.
QString wrapped(const QString& text, int indent, int hanging = -1)
{
    QString out, line;
    int margin = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && margin + line.size() + 1 + word.size() > 79) {
            out += QString(margin, QLatin1Char(' ')) + line + QLatin1Char('\n');
            line.clear();
            margin = hanging < 0 ? indent : hanging;
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += QString(margin, QLatin1Char(' ')) + line + QLatin1Char('\n');
    return out;
}

// A row of a two-column list: `name` padded to `column`, `text` wrapped after it.
QString row(const QString& name, const QString& text, int indent, int column)
{
    const QString body = wrapped(text, column);
    const QString head = QString(indent, QLatin1Char(' ')) + name;
    if (head.size() + 1 > column)
        return head + QLatin1Char('\n') + body;
    return head.leftJustified(column) + body.mid(column);
}

QString helpText()
{
    QString help =
        QStringLiteral("Usage: glyphwright-cli [OPTIONS] COMMAND PROJECT.ipr OUTPUT\n\n") +
        wrapped(QStringLiteral("Renders Glyphwright project files (.ipr) without a window, exactly as "
                               "the program does."),
                0) +
        QStringLiteral("\nCommands:\n");
    for (const Command& c : commands()) {
        QString usage = QStringLiteral("%1 %2").arg(QLatin1String(c.name), QLatin1String(c.arguments));
        // The options of this command alone go into its usage line.
        for (const Option& o : options())
            if (commandsOf(o) == QStringList{QLatin1String(c.name)})
                usage +=
                    QLatin1String(c.required.contains(o.names.last()) ? " %1" : " [%1]").arg(synopsis(o));
        help += wrapped(usage, 2, 4) + wrapped(QLatin1String(c.description), 6);
        if (qstrcmp(c.name, "package") == 0) {
            for (const Packages::Target& t : Packages::targets())
                help += row(QLatin1String(t.name), QLatin1String(t.summary), 8, 17);
            help += row(QStringLiteral("all"), QStringLiteral("every target"), 8, 17);
        }
    }
    help += QStringLiteral("\nOptions (each also as --option=VALUE):\n");
    for (const Option& o : options()) {
        QString text = QLatin1String(o.description);
        if (!commandsOf(o).isEmpty())
            text = commandsOf(o).join(QStringLiteral(", ")) + QStringLiteral(": ") + text;
        help += row(synopsis(o), text, 2, 26);
    }
    const char* const notes[] = {
        "COLOR is #rrggbb, #rgb or a colour name such as white.",
        "Files are replaced only by complete new ones: a file that cannot be written (a full disk, a missing "
        "folder, a device or pipe in its place) is left as it was and named with the reason. JPG and BMP "
        "have no transparency: transparent parts are written white.",
        "Exit status: 0 when every file was written, 1 when some could not be (the others still are, each "
        "failure is named with its reason) or the report or help could not be written, 2 for a usage error "
        "(an empty file or folder name too), a project file that cannot be opened or is not a project "
        "file: not a regular text file of at most 1 MiB, or a custom picture in use that cannot be loaded "
        "(nothing is written); 129, 130 and 143 when stopped by a hangup, an interrupt or a termination "
        "signal (the files being written are removed).",
    };
    for (const char* note : notes)
        help += QLatin1Char('\n') + wrapped(QLatin1String(note), 0);
    return help;
}

// Reads the arguments into `invocation`; returns a usage error, or an empty string.
QString parse(const QCommandLineParser& parser, Invocation& invocation)
{
    for (const Option& o : options()) {
        const QString name = o.names.last();
        if (!parser.isSet(name))
            continue;
        const QStringList values = *o.valueName ? parser.values(name) : QStringList{QString()};
        for (const QString& value : values) {
            const QString error = o.apply(invocation, value);
            if (!error.isEmpty())
                return error;
        }
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return QStringLiteral("No command given.");
    invocation.command = positional.takeFirst();
    const Command* command = commandNamed(invocation.command);
    if (!command)
        return QStringLiteral("Unknown command \"%1\".").arg(invocation.command);
    if (invocation.undo) {
        if (positional.size() != 1)
            return QStringLiteral("apply --undo takes the app's folder alone.");
        positional.prepend(QString(QLatin1Char('-'))); // no project
    } else if (command->single) {
        if (positional.size() != 1)
            return QStringLiteral("The %1 command takes a project file or an app's folder.")
                .arg(invocation.command);
        positional.append(QString(QLatin1Char('-'))); // no output
    } else if (positional.size() != 2) {
        return QStringLiteral("The %1 command takes a project file and %2.")
            .arg(invocation.command,
                 command->writesFolder ? QStringLiteral("a folder") : QStringLiteral("a file name"));
    }
    for (const QString& argument : positional)
        if (argument.isEmpty())
            return QStringLiteral("The %1 command was given an empty file or folder name.")
                .arg(invocation.command);
    invocation.project = positional[0];
    invocation.output = positional[1];
    for (const Option& o : options()) {
        const QStringList belongs = commandsOf(o);
        if (parser.isSet(o.names.last()) && !belongs.isEmpty() && !command->options.contains(o.names.last()))
            return QStringLiteral("%1 belongs to the %2 command%3.")
                .arg(dashed(o.names.last()),
                     belongs.size() > 1 ? belongs.mid(0, belongs.size() - 1).join(QStringLiteral(", ")) +
                                              QStringLiteral(" and ") + belongs.last()
                                        : belongs.first(),
                     belongs.size() > 1 ? QStringLiteral("s") : QString());
    }
    for (const QString& needed : command->required)
        if (!parser.isSet(needed))
            return QStringLiteral("The %1 command needs %2.").arg(invocation.command, dashed(needed));
    if (invocation.package.variant.badge.text.contains(QLatin1String("{version}")) &&
        invocation.command != QLatin1String("apply"))
        return QStringLiteral("--badge with {version} takes the version from an app's project, which apply "
                              "reads: give %1 the version itself.")
            .arg(invocation.command);
    if (invocation.command == QLatin1String("check") && invocation.variants.size() > 1)
        return QStringLiteral("check measures one variant at a time: run it once for each.");
    if (invocation.command == QLatin1String("apply") && !invocation.variants.isEmpty())
        invocation.package.variant.name = invocation.variants.first();
    // A badge is a variant's.
    for (const char* badge : {"badge", "badge-style", "badge-color", "badge-text-color", "badge-position"})
        if (parser.isSet(QLatin1String(badge)) && !parser.isSet(QStringLiteral("variant")))
            return QStringLiteral("%1 belongs to a variant: give --variant NAME too.")
                .arg(dashed(QLatin1String(badge)));
    return QString();
}

// The toolkit's application object, made when first needed: drawing text (fonts) and the preview
// sheet (its labels) need it; the other commands draw on images alone, and starting it (and the
// font system with it) would take a tenth of their run.
void needGuiApplication()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    static int argc = 1;
    static char name[] = "glyphwright-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// Whether the file at `path` holds an SVG picture.
bool isVectorPicture(const QString& path)
{
    QFile file;
    return !path.isEmpty() && Files::openRegular(file, path) && VectorPicture::looksLikeSvg(file.peek(4096));
}

// The project at `path`, or nothing (with the reason on `err`) when it is not a project file, or
// when it uses a custom picture that cannot be loaded and that is not allowed.
std::optional<LoadedProject> loadProject(const QString& path, bool allowMissingPicture, QTextStream& err)
{
    const Project::FileContents contents = Project::readFile(path);
    if (!contents.ok) {
        err << "The project file " << path << " could not be opened: " << contents.why.text() << ".\n";
        return std::nullopt;
    }
    LoadedProject project;
    // The font list is only needed to draw text; asking the font system for it costs a few
    // milliseconds, so leave it alone for an icon without text. An SVG picture may hold text of its
    // own, which the SVG reader draws with the font system too.
    const bool text = !contents.values.value(Project::lineOf(Project::Key::Text) - 1).isEmpty();
    if (text || isVectorPicture(customPicturePath(
                    contents.values.value(Project::lineOf(Project::Key::CustomImagePath) - 1), path)))
        needGuiApplication();
    const QStringList families = text ? Project::fontFamilies() : QStringList();
    Project::apply(project.state, contents.values, text ? families.size() : INT_MAX);
    const QString stored = project.state.text(Project::Key::CustomImagePath);
    Problem why{Reason::NoPictureNamed, {}, QString()};
    QSize pictureSize;
    QByteArray vector;
    const QImage picture =
        stored.isEmpty() ? QImage()
                         : loadCustomPicture(customPicturePath(stored, path), &why, &pictureSize, &vector);
    if (picture.isNull() && project.state.flag(Project::Key::UseImageCustom) && !allowMissingPicture) {
        // Icons without their logo must not ship unnoticed.
        err << "The custom picture " << (stored.isEmpty() ? QStringLiteral("of ") + path : stored)
            << " could not be loaded: " << why.text() << ".\n"
            << "Nothing was written; --allow-missing-picture writes the icons without it.\n";
        return std::nullopt;
    }
    project.design = Project::designOf(project.state, families, picture, pictureSize, vector);
    return project;
}

} // namespace

QSize pixelSize(QIODevice* device)
{
    QImageReader reader(device);
    auto sizeHere = [&reader] {
        // Some readers (ICNS) tell a size only by reading the image.
        const QSize declared = reader.size();
        const QSize size = declared.isValid() ? declared : reader.read().size();
        return size.isEmpty() ? QSize() : size;
    };
    QSize largest = sizeHere();
    for (int n = 1; n < reader.imageCount() && reader.jumpToImage(n); ++n) {
        const QSize size = sizeHere();
        if (size.width() > largest.width())
            largest = size;
    }
    return largest;
}

namespace {

QSize pixelSize(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? Cli::pixelSize(static_cast<QIODevice*>(&file)) : QSize();
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
                QJsonObject{{QStringLiteral("path"), f.path}, {QStringLiteral("reason"), f.text()}});
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("written"), written},
                               {QStringLiteral("failed"), failed},
                               {QStringLiteral("removed"), QJsonArray::fromStringList(outcome.removed)}})
                   .toJson(QJsonDocument::Indented);
    } else if (!i.quiet) {
        for (const QString& path : outcome.written)
            out << "Wrote " << path << "\n";
        for (const QString& path : outcome.removed)
            out << "Removed " << path << "\n";
    }
    for (const Files::Failure& failure : outcome.failed)
        err << "Could not write " << Files::failureLine(failure) << ".\n";
    return outcome.failed.isEmpty() ? 0 : 1;
}

} // namespace

} // namespace Cli

bool decodeArguments(int argc, char** argv, QStringList& arguments, QTextStream& err)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QFile::decodeName(bytes);
        // Bytes the file system's encoding cannot read would come back as another name.
        if (QFile::encodeName(text) != bytes) {
            err << "The argument \""
                << QString::fromLatin1(bytes.toPercentEncoding("/ .-_"))
                       .replace(QLatin1Char('%'), QStringLiteral("\\x"))
                << "\" is not valid in the file system's encoding.\n";
            return false;
        }
        arguments << text;
    }
    return true;
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    using namespace Cli;
    QCommandLineParser parser;
    for (const Option& o : options())
        parser.addOption(
            QCommandLineOption(o.names, QLatin1String(o.description), QLatin1String(o.valueName)));
    // The parser takes the program's name first.
    const bool parsed = parser.parse(QStringList{QStringLiteral("glyphwright-cli")} + arguments);
    // Help and version win wherever they stand as options (not as another option's value).
    if (parser.isSet(QStringLiteral("help"))) {
        out << helpText();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << "glyphwright-cli " << GLYPHWRIGHT_VERSION << "\n";
        return 0;
    }
    Invocation invocation;
    const QString error = parsed ? parse(parser, invocation) : parser.errorText();
    if (!error.isEmpty()) {
        err << error << "\nRun \"glyphwright-cli --help\" for usage.\n";
        return 2;
    }
    if (invocation.undo)
        return undoApply(invocation, out, err);
    const Command* chosen = commandNamed(invocation.command);
    if (chosen->runOnFolder && QFileInfo(invocation.project).isDir())
        return chosen->runOnFolder(invocation, out, err);
    // (A variant's badge letters are drawn with the font system.)
    if (commandNamed(invocation.command)->drawsWithToolkit || !invocation.variants.isEmpty())
        needGuiApplication();
    const std::optional<LoadedProject> project =
        loadProject(invocation.project, invocation.allowMissingPicture, err);
    if (!project)
        return 2;
    const Command* command = commandNamed(invocation.command);
    if (command->runAndReport)
        return command->runAndReport(invocation, *project, out, err);
    return report(invocation, command->run(invocation, *project, err), out, err);
}
