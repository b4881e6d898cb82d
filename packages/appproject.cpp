#include "packages/appproject.h"

#include "packages/containers.h"
#include "packages/iconcomposer.h"
#include "packages/layers.h"
#include "packages/sources.h"
#include "packages/targets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace Packages {

int AppPlan::count(AppChange::Action action) const
{
    return int(std::count_if(changes.begin(), changes.end(),
                             [action](const AppChange& c) { return c.action == action; }));
}

QStringList appProjectMarkers()
{
    return {QStringLiteral("an Android app module (src/main/AndroidManifest.xml with an <application>, "
                           "beside build.gradle or build.gradle.kts)"),
            QStringLiteral("an Xcode asset catalog (*.xcassets/AppIcon.appiconset)"),
            QStringLiteral("a web app manifest with icons (manifest.json or *.webmanifest)"),
            QStringLiteral(
                "Flutter (pubspec.yaml), Capacitor (capacitor.config.*), React Native and Expo (app.json)"),
            QStringLiteral("Tauri (src-tauri/tauri.conf.json)"),
            QStringLiteral("Electron with electron-builder (package.json)"),
            QStringLiteral("a packaged Windows app (Package.appxmanifest)")};
}

namespace {

// Manifests, catalogs and projects are small; anything larger is not one.
constexpr qint64 largestText = 4 * 1024 * 1024;
// More folders than an app's project holds (outside its build outputs and packages): a home
// folder or a disk, chosen by mistake.
constexpr int largestTree = 20000;
// The largest file compared with a new one or kept in the backup.
constexpr qint64 largestFile = 512 * 1024 * 1024;

// Folders that hold build products, downloaded packages or other tools' state, never an app's
// own icons.
bool skipped(const QString& name)
{
    static const QSet<QString> names = {
        QStringLiteral("build"),       QStringLiteral("node_modules"),  QStringLiteral("Pods"),
        QStringLiteral("DerivedData"), QStringLiteral("target"),        QStringLiteral("dist"),
        QStringLiteral("www"),         QStringLiteral("intermediates"), QStringLiteral("generated")};
    return name.startsWith(QLatin1Char('.')) || names.contains(name);
}

std::optional<QByteArray> readText(const QString& path, qint64 largest = largestText)
{
    QFile file;
    if (!Files::openRegular(file, path, largest))
        return std::nullopt;
    return file.readAll();
}

// What a walk through the app's folder found, each path relative to it.
struct Scan
{
    QStringList androidModules, catalogs, xcodeProjects, webManifests;
    QStringList flutter, tauri, electron, windowsPackages, expo;
    QStringList found;
    int folders = 0; // looked into so far
};

QString joined(const QString& dir, const QString& name)
{
    return dir.isEmpty() ? name : dir + QLatin1Char('/') + name;
}

void look(const QString& root, const QString& dir, int depth, Scan& scan)
{
    if (++scan.folders > largestTree)
        return;
    const QString here = joined(root, dir);
    const QDir folder(here);
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const auto has = [&files](const char* name) { return files.contains(QLatin1String(name)); };
    const auto text = [&](const char* name) {
        return readText(joined(here, QLatin1String(name))).value_or(QByteArray());
    };
    const QString where = dir.isEmpty() ? QStringLiteral("the app's folder") : dir;
    if (has("pubspec.yaml") && text("pubspec.yaml").contains("flutter:")) {
        scan.flutter << dir;
        scan.found << QStringLiteral("Flutter app (%1)").arg(joined(dir, QStringLiteral("pubspec.yaml")));
    }
    for (const QString& f : files)
        if (f.startsWith(QLatin1String("capacitor.config.")))
            scan.found << QStringLiteral("Capacitor app (%1)").arg(joined(dir, f));
    if (has("app.json") && has("package.json") && text("package.json").contains("\"react-native\"")) {
        const bool expo =
            QJsonDocument::fromJson(text("app.json")).object().value(QStringLiteral("expo")).isObject();
        if (expo)
            scan.expo << dir;
        scan.found << QStringLiteral("%1 app (%2)")
                          .arg(expo ? QStringLiteral("Expo") : QStringLiteral("React Native"),
                               joined(dir, QStringLiteral("app.json")));
    }
    if (has("tauri.conf.json") && folder.dirName() == QLatin1String("src-tauri")) {
        scan.tauri << dir;
        scan.found << QStringLiteral("Tauri app (%1)").arg(joined(dir, QStringLiteral("tauri.conf.json")));
    }
    if (has("package.json") && text("package.json").contains("\"electron-builder\"")) {
        scan.electron << dir;
        scan.found << QStringLiteral("Electron app with electron-builder (%1)")
                          .arg(joined(dir, QStringLiteral("package.json")));
    }
    if (has("Package.appxmanifest")) {
        scan.windowsPackages << dir;
        scan.found << QStringLiteral("Packaged Windows app (%1)")
                          .arg(joined(dir, QStringLiteral("Package.appxmanifest")));
    }
    if ((has("build.gradle") || has("build.gradle.kts")) &&
        readText(joined(here, QStringLiteral("src/main/AndroidManifest.xml")))
            .value_or(QByteArray())
            .contains("<application")) {
        scan.androidModules << dir;
        scan.found << QStringLiteral("Android app module %1").arg(where);
    }
    // A web manifest that lists icons; the copies build steps make inside native projects are
    // left to those steps.
    const bool copied = dir.contains(QLatin1String("src/main/assets/")) ||
                        (dir.endsWith(QLatin1String("/public")) && dir.contains(QLatin1String("/App/")));
    for (const QString& f : files)
        if (!copied && (f == QLatin1String("manifest.json") || f.endsWith(QLatin1String(".webmanifest")))) {
            const QJsonDocument json =
                QJsonDocument::fromJson(readText(joined(here, f)).value_or(QByteArray()));
            if (json.object().value(QStringLiteral("icons")).isArray()) {
                scan.webManifests << joined(dir, f);
                scan.found << QStringLiteral("Web app manifest %1").arg(joined(dir, f));
            }
        }
    if (depth == 0)
        return;
    for (const QFileInfo& sub :
         folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        const QString name = sub.fileName();
        if (sub.isSymLink() || skipped(name))
            continue;
        const QString path = joined(dir, name);
        if (name.endsWith(QLatin1String(".xcodeproj"))) {
            scan.xcodeProjects << path;
        } else if (name.endsWith(QLatin1String(".xcassets"))) {
            const QString set = joined(path, QStringLiteral("AppIcon.appiconset"));
            if (QFileInfo(joined(root, set)).isDir() && !QFileInfo(joined(root, set)).isSymLink()) {
                scan.catalogs << set;
                scan.found << QStringLiteral("Xcode asset catalog %1").arg(set);
            }
        } else {
            look(root, path, depth - 1, scan);
        }
    }
}

// The plan being made: files to write (made on all cores at the end) and files to move out.
struct Draft
{
    QString root;
    Jobs jobs;            // paths relative to the app's folder
    QSet<QString> edited; // jobs that change a file of the developer's (a manifest)
    QStringList removed;  // files moved out to the backup
    QStringList notes;
    bool planned(const QString& path) const
    {
        return std::any_of(jobs.begin(), jobs.end(), [&path](const Job& j) { return j.path == path; });
    }
    void add(Job job, const QString& path)
    {
        job.path = path;
        if (!planned(path))
            jobs << job;
    }
    bool exists(const QString& path) const { return QFileInfo::exists(joined(root, path)); }
};

// A target's files, each made only when asked for.
struct TargetFiles
{
    const Sources& sources;
    Jobs (*make)(const Sources&);
    std::optional<Jobs> jobs;
    const Jobs& all()
    {
        if (!jobs)
            jobs = make(sources);
        return *jobs;
    }
    Job at(const QString& path)
    {
        for (const Job& job : all())
            if (job.path == path)
                return job;
        Q_ASSERT_X(false, "TargetFiles::at", qPrintable(path));
        return Job{path, [] { return QByteArray(); }}; // reported as a file that could not be made
    }
};

struct Targets
{
    explicit Targets(const Sources& s)
        : android{s, androidFiles, {}}, ios{s, iosFiles, {}}, macos{s, macosFiles, {}},
          macosCatalog{s, macosCatalogFiles, {}}, windows{s, windowsFiles, {}},
          bundle{s, [](const Sources& s) { return iconBundleFiles(s); }, {}}
    {
    }
    TargetFiles android, ios, macos, macosCatalog, windows, bundle;
};

// `text` with the attribute `name` of its first `<application` start tag set to `value`; the
// rest of the text, the tag's layout included, as it was.
QString withApplicationAttribute(QString text, const QString& name, const QString& value)
{
    static const QRegularExpression start(QStringLiteral("<application(?=[\\s>/])"));
    const QRegularExpressionMatch m = start.match(text);
    if (!m.hasMatch())
        return text;
    int end = m.capturedEnd();
    for (QChar quote; end < text.size() && (!quote.isNull() || text[end] != QLatin1Char('>')); ++end)
        if (text[end] == QLatin1Char('"') || text[end] == QLatin1Char('\''))
            quote = quote.isNull() ? text[end] : quote == text[end] ? QChar() : quote;
    const QString tag = text.mid(m.capturedEnd(), end - m.capturedEnd());
    const QRegularExpression attribute(
        QStringLiteral("(\\s%1\\s*=\\s*)(\"[^\"]*\"|'[^']*')").arg(QRegularExpression::escape(name)));
    const QRegularExpressionMatch a = attribute.match(tag);
    if (a.hasMatch())
        return text.replace(m.capturedEnd() + a.capturedStart(2), a.capturedLength(2),
                            QLatin1Char('"') + value + QLatin1Char('"'));
    // A new attribute goes first, laid out as the tag's first one is: on a line of its own or not.
    static const QRegularExpression firstLine(QStringLiteral("^([ \\t]*\\r?\\n[ \\t]*)"));
    const QRegularExpressionMatch layout = firstLine.match(tag);
    const QString gap = layout.hasMatch() ? layout.captured(1) : QStringLiteral(" ");
    return text.insert(m.capturedEnd(), gap + name + QStringLiteral("=\"") + value + QLatin1Char('"'));
}

void android(Draft& d, Targets& t, const QString& module)
{
    const QString main = joined(module, QStringLiteral("src/main/"));
    const QString res = main + QStringLiteral("res/");
    // Apps whose oldest Android is 8 keep the adaptive icon's XML in mipmap-anydpi.
    const bool plain = d.exists(res + QStringLiteral("mipmap-anydpi/ic_launcher.xml")) &&
                       !d.exists(res + QStringLiteral("mipmap-anydpi-v26"));
    for (const Job& job : t.android.all()) {
        QString path = job.path.startsWith(QLatin1String("res/"))
                           ? main + job.path
                           : main + QStringLiteral("ic_launcher-playstore.png");
        if (plain)
            path.replace(QStringLiteral("mipmap-anydpi-v26"), QStringLiteral("mipmap-anydpi"));
        d.add(job, path);
        // The template's own icons (WebP, say) under the same resource name would clash with ours.
        const QFileInfo ours(joined(d.root, path));
        for (const QFileInfo& other :
             QDir(ours.path()).entryInfoList({ours.completeBaseName() + QStringLiteral(".*")}, QDir::Files))
            if (other.fileName() != ours.fileName() && job.path.startsWith(QLatin1String("res/")))
                d.removed << QFileInfo(path).path() + QLatin1Char('/') + other.fileName();
    }
    // Icons of the same names in another source set (a debug or flavour build) take the place of
    // these in that build.
    for (const QString& set : QDir(joined(d.root, joined(module, QStringLiteral("src"))))
                                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (set != QLatin1String("main") &&
            !QDir(joined(d.root, joined(module, QStringLiteral("src/%1/res").arg(set))))
                 .entryList({QStringLiteral("mipmap-*")}, QDir::Dirs)
                 .isEmpty())
            d.notes << QStringLiteral(
                           "%1 has launcher icons of its own, which take the place of these in its builds; "
                           "they were left as they are.")
                           .arg(joined(module, QStringLiteral("src/") + set));
    const QString manifest = main + QStringLiteral("AndroidManifest.xml");
    const QString before = QString::fromUtf8(readText(joined(d.root, manifest)).value_or(QByteArray()));
    const QString after = withApplicationAttribute(
        withApplicationAttribute(before, QStringLiteral("android:icon"),
                                 QStringLiteral("@mipmap/ic_launcher")),
        QStringLiteral("android:roundIcon"), QStringLiteral("@mipmap/ic_launcher_round"));
    if (after != before) {
        d.add(textJob(QString(), after.toUtf8()), manifest);
        d.edited << manifest;
    }
}

void catalog(Draft& d, Targets& t, const QString& set, const QStringList& projects)
{
    const QJsonArray images =
        QJsonDocument::fromJson(
            readText(joined(d.root, set + QStringLiteral("/Contents.json"))).value_or(QByteArray()))
            .object()
            .value(QStringLiteral("images"))
            .toArray();
    QSet<QString> idioms;
    for (const QJsonValue& image : images)
        idioms << image.toObject().value(QStringLiteral("idiom")).toString();
    QSet<QString> phones = idioms;
    phones.subtract({QStringLiteral("mac"), QStringLiteral("watch"), QStringLiteral("watch-marketing")});
    if (!idioms.isEmpty() && phones.isEmpty() && !idioms.contains(QStringLiteral("mac"))) {
        d.notes << QStringLiteral("%1 is a watchOS icon set; it was left as it is.").arg(set);
        return;
    }
    // A set of one platform gets that platform's icons; a set for iOS and macOS both.
    const bool mac = idioms.contains(QStringLiteral("mac")), ios = !phones.isEmpty() || !mac;
    QList<TargetFiles*> platforms;
    if (ios)
        platforms << &t.ios;
    if (mac)
        platforms << &t.macosCatalog;
    QSet<QString> ours{QStringLiteral("Contents.json")};
    QJsonArray entries;
    for (TargetFiles* files : platforms)
        for (const Job& job : files->all()) {
            if (!job.path.startsWith(QLatin1String("AppIcon.appiconset/")))
                continue;
            const QString name = job.path.mid(int(qstrlen("AppIcon.appiconset/")));
            if (name == QLatin1String("Contents.json")) {
                for (const QJsonValue& entry :
                     QJsonDocument::fromJson(job.bytes()).object().value(QStringLiteral("images")).toArray())
                    entries << entry;
                if (platforms.size() == 1)
                    d.add(job, joined(set, name));
                continue;
            }
            ours << name;
            d.add(job, joined(set, name));
        }
    if (platforms.size() > 1)
        d.add(textJob(
                  QString(),
                  QJsonDocument(QJsonObject{{QStringLiteral("images"), entries},
                                            {QStringLiteral("info"),
                                             QJsonObject{{QStringLiteral("author"), QStringLiteral("xcode")},
                                                         {QStringLiteral("version"), 1}}}})
                      .toJson()),
              joined(set, QStringLiteral("Contents.json")));
    // Files the catalog no longer names would be reported by Xcode as unassigned.
    for (const QString& name : QDir(joined(d.root, set)).entryList(QDir::Files | QDir::Hidden))
        if (!ours.contains(name))
            d.removed << joined(set, name);
    // The layered document beside the Xcode project the catalog belongs to.
    for (const QString& project : projects) {
        const QString beside =
            QFileInfo(project).path() == QLatin1String(".") ? QString() : QFileInfo(project).path();
        if (!beside.isEmpty() && !set.startsWith(beside + QLatin1Char('/')))
            continue;
        const QString document = joined(beside, QStringLiteral("AppIcon.icon"));
        if (d.planned(joined(document, QStringLiteral("icon.json"))))
            continue;
        for (const Job& job : t.bundle.all())
            d.add(job, joined(beside, job.path));
        d.notes << QStringLiteral(
                       "For iOS and macOS 26, add %1 to the app's target in %2 (Xcode: File > Add Files) "
                       "and keep AppIcon as the app icon's name.")
                       .arg(document, QFileInfo(project).fileName());
    }
}

// The span of the value of the top-level key `key` of the JSON object in `text`, or none.
std::optional<std::pair<int, int>> topLevelValue(const QString& text, const QString& key)
{
    const auto stringEnd = [&text](int i) { // i at the opening quote; returns the closing one
        for (++i; i < text.size() && text[i] != QLatin1Char('"'); ++i)
            if (text[i] == QLatin1Char('\\'))
                ++i;
        return i;
    };
    const auto valueEnd = [&](int i) { // i at the value's first character; returns one past its last
        if (i < text.size() && text[i] == QLatin1Char('"'))
            return stringEnd(i) + 1;
        if (i < text.size() && (text[i] == QLatin1Char('{') || text[i] == QLatin1Char('['))) {
            for (int depth = 0; i < text.size(); ++i) {
                const QChar c = text[i];
                if (c == QLatin1Char('"'))
                    i = stringEnd(i);
                else if (c == QLatin1Char('{') || c == QLatin1Char('['))
                    ++depth;
                else if ((c == QLatin1Char('}') || c == QLatin1Char(']')) && --depth == 0)
                    return i + 1;
            }
            return i;
        }
        while (i < text.size() && !text[i].isSpace() && !QStringLiteral(",}]").contains(text[i]))
            ++i;
        return i;
    };
    int depth = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            const int close = stringEnd(i);
            int j = close + 1;
            while (j < text.size() && text[j].isSpace())
                ++j;
            if (depth == 1 && j < text.size() && text[j] == QLatin1Char(':')) {
                const QString name =
                    QJsonDocument::fromJson(QStringLiteral("[%1]").arg(text.mid(i, close - i + 1)).toUtf8())
                        .array()
                        .at(0)
                        .toString();
                for (++j; j < text.size() && text[j].isSpace(); ++j) {
                }
                const int end = valueEnd(j);
                if (name == key)
                    return std::make_pair(j, end);
                i = end - 1;
                continue;
            }
            i = close;
        } else if (c == QLatin1Char('{') || c == QLatin1Char('[')) {
            ++depth;
        } else if (c == QLatin1Char('}') || c == QLatin1Char(']')) {
            --depth;
        }
    }
    return std::nullopt;
}

// The pixel size a PNG or ICO file the app has now, or an invalid size.
QSize sizeOf(const QString& path)
{
    QImageReader reader(path);
    return reader.size();
}

Job iconPicture(const Sources& s, const QString& purpose, int size)
{
    if (purpose.contains(QLatin1String("maskable")))
        return pngJob(QString(), [&s, size] { return s.maskableIcon(size); });
    if (purpose.contains(QLatin1String("monochrome")))
        return pngJob(QString(), [&s, size] { return s.monochromeSizes().scaled(size); });
    return pngJob(QString(), [&s, size] { return s.iconAt(size); });
}

// The folder part of a relative path: "" for a bare name.
QString folderOf(const QString& path)
{
    const QString folder = QFileInfo(path).path();
    return folder == QLatin1String(".") ? QString() : folder;
}

// The square sides an icon entry's "sizes" names ("192x192", "64x64 32x32"), or else the side of
// the square picture at `path`.
QList<int> entrySides(const QJsonObject& icon, const QString& path)
{
    QList<int> sides;
    for (const QString& size :
         icon.value(QStringLiteral("sizes")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList wh = size.toLower().split(QLatin1Char('x'));
        if (wh.size() == 2 && wh[0] == wh[1] && wh[0].toInt() > 0 && wh[0].toInt() <= 1024)
            sides << wh[0].toInt();
    }
    const QSize own = sizeOf(path);
    if (sides.isEmpty() && own.isValid() && own.width() == own.height() && own.width() <= 1024)
        sides << own.width();
    return sides;
}

// What a web manifest's icon list holds, for the manifest's own edit.
struct IconList
{
    bool maskable = false; // an entry is maskable
    QString firstFolder;   // where its first icon is, relative to the manifest
};

// Each PNG or ICO icon a manifest lists, made at the sizes its entry gives, under its own name.
IconList listedIcons(Draft& d, const Sources& s, const QString& manifest, const QJsonArray& icons)
{
    const QString dir = folderOf(manifest);
    IconList list;
    for (const QJsonValue& v : icons) {
        const QJsonObject icon = v.toObject();
        const QString src = icon.value(QStringLiteral("src"))
                                .toString()
                                .section(QLatin1Char('?'), 0, 0)
                                .section(QLatin1Char('#'), 0, 0);
        const QString purpose = icon.value(QStringLiteral("purpose")).toString();
        if (src.contains(QLatin1String("://")) || src.startsWith(QLatin1String("data:")) || src.isEmpty())
            continue;
        // A path from the site's root is taken from the manifest's folder, where such sites keep it.
        const QString path =
            QDir::cleanPath(joined(dir, src.startsWith(QLatin1Char('/')) ? src.mid(1) : src));
        if (path.startsWith(QLatin1String("../")) || path == QLatin1String("..")) {
            d.notes << QStringLiteral("%1 names %2, outside the app's folder; it was left as it is.")
                           .arg(manifest, src);
            continue;
        }
        const QList<int> sides = entrySides(icon, joined(d.root, path));
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (sides.isEmpty() || (suffix != QLatin1String("png") && suffix != QLatin1String("ico"))) {
            d.notes << QStringLiteral(
                           "%1 names %2, which is not a square PNG or ICO icon; it was left as it is.")
                           .arg(manifest, src);
            continue;
        }
        if (list.firstFolder.isNull())
            list.firstFolder = folderOf(src.startsWith(QLatin1Char('/')) ? src.mid(1) : src);
        list.maskable = list.maskable || purpose.contains(QLatin1String("maskable"));
        if (suffix == QLatin1String("ico")) {
            const QImage image = s.icon();
            d.add({QString(),
                   [image, sides] {
                       QList<QImage> images;
                       for (int side : sides)
                           images << scaled(image, side);
                       return icoFile(images);
                   }},
                  path);
        } else {
            d.add(iconPicture(s, purpose, sides.first()), path);
        }
    }
    return list;
}

// `text` with a maskable entry for `src` added at the end of its top-level icon list, laid out as
// the list's first entry is (on a line of its own or not); `text` as it was when the list is not found.
QString withMaskableEntry(QString text, const QString& src)
{
    const auto span = topLevelValue(text, QStringLiteral("icons"));
    if (!span || text[span->first] != QLatin1Char('[') || text[span->second - 1] != QLatin1Char(']'))
        return text;
    int last = span->second - 2;
    while (last > span->first && text[last].isSpace())
        --last;
    const int first = text.indexOf(QRegularExpression(QStringLiteral("\\S")), span->first + 1);
    const QString lead = text.mid(span->first + 1, first - span->first - 1);
    const QString indent = lead.contains(QLatin1Char('\n')) ? lead.mid(lead.lastIndexOf(QLatin1Char('\n')))
                                                            : QStringLiteral(" ");
    const QString entry =
        QStringLiteral("{ \"src\": \"%1\", \"sizes\": \"512x512\", \"type\": \"image/png\", "
                       "\"purpose\": \"maskable\" }")
            .arg(src);
    return text.insert(last + 1, (last == span->first ? lead : QStringLiteral(",") + indent) + entry);
}

// The favicons beside a manifest, at the sizes they have.
void favicons(Draft& d, const Sources& s, const QString& dir)
{
    for (const char* name : {"favicon.png", "favicon-16x16.png", "favicon-32x32.png", "favicon-16.png",
                             "favicon-32.png", "apple-touch-icon.png"}) {
        const QString path = joined(dir, QLatin1String(name));
        const QSize size = sizeOf(joined(d.root, path));
        if (!size.isValid() || size.width() != size.height() || size.width() > 1024)
            continue;
        const int side = size.width();
        d.add(qstrcmp(name, "apple-touch-icon.png") == 0
                  ? pngJob(QString(), [&s, side] { return s.opaqueIcon(side); })
                  : pngJob(QString(), [&s, side] { return s.iconAt(side); }),
              path);
    }
    if (d.exists(joined(dir, QStringLiteral("favicon.ico")))) {
        d.add({QString(),
               [&s] {
                   return icoFile(s.iconsAt({16, 32, 48}));
               }},
              joined(dir, QStringLiteral("favicon.ico")));
    }
}

void webManifest(Draft& d, const Sources& s, const QString& manifest, bool flutter)
{
    const QString before = QString::fromUtf8(readText(joined(d.root, manifest)).value_or(QByteArray()));
    const IconList list = listedIcons(
        d, s, manifest,
        QJsonDocument::fromJson(before.toUtf8()).object().value(QStringLiteral("icons")).toArray());
    QString after = before;
    // Browsers crop a maskable icon to their own shape; without one they shrink the icon onto white.
    if (!list.maskable) {
        const QString src = joined(list.firstFolder, QStringLiteral("icon-maskable-512.png"));
        after = withMaskableEntry(after, src);
        if (after != before)
            d.add(iconPicture(s, QStringLiteral("maskable"), 512),
                  QDir::cleanPath(joined(folderOf(manifest), src)));
    }
    // Flutter's template names its own blue; the app's colours follow the icon.
    if (flutter) {
        const QColor splash = s.options().splashColor.isValid() ? s.options().splashColor : s.themeColor();
        for (const auto& colour : {std::make_pair(QStringLiteral("theme_color"), s.themeColor()),
                                   std::make_pair(QStringLiteral("background_color"), splash)}) {
            const auto span = topLevelValue(after, colour.first);
            if (span && after[span->first] == QLatin1Char('"'))
                after.replace(span->first, span->second - span->first,
                              QLatin1Char('"') + colorName(colour.second) + QLatin1Char('"'));
        }
    }
    if (after != before) {
        if (QJsonDocument::fromJson(after.toUtf8()).isNull()) {
            d.notes << QStringLiteral(
                           "%1 could not be edited without breaking it; its icon list was left as it is.")
                           .arg(manifest);
        } else {
            d.add(textJob(QString(), after.toUtf8()), manifest);
            d.edited << manifest;
        }
    }
    favicons(d, s, folderOf(manifest));
}

void tauri(Draft& d, const Sources& s, Targets& t, const QString& dir)
{
    const QString icons = joined(dir, QStringLiteral("icons/"));
    const struct
    {
        const char* name;
        int size;
    } pngs[] = {{"32x32.png", 32},
                {"128x128.png", 128},
                {"128x128@2x.png", 256},
                {"icon.png", 512},
                {"Square30x30Logo.png", 30},
                {"Square44x44Logo.png", 44},
                {"Square71x71Logo.png", 71},
                {"Square89x89Logo.png", 89},
                {"Square107x107Logo.png", 107},
                {"Square142x142Logo.png", 142},
                {"Square150x150Logo.png", 150},
                {"Square284x284Logo.png", 284},
                {"Square310x310Logo.png", 310},
                {"StoreLogo.png", 50}};
    for (const auto& png : pngs) {
        const int size = png.size;
        d.add(pngJob(QString(), [&s, size] { return s.iconAt(size); }), icons + QLatin1String(png.name));
    }
    d.add(t.macos.at(QStringLiteral("AppIcon.icns")), icons + QStringLiteral("icon.icns"));
    d.add(t.windows.at(QStringLiteral("app.ico")), icons + QStringLiteral("icon.ico"));
}

// A packaged Windows app's logos: each file its project has (the template's are at scale-200) made
// again at its own size, under its own name; the project lists its files, so none is added.
void windowsPackage(Draft& d, const Sources& s, const QString& dir)
{
    const QString manifest = QString::fromUtf8(
        readText(joined(d.root, joined(dir, QStringLiteral("Package.appxmanifest")))).value_or(QByteArray()));
    static const QRegularExpression logo(QStringLiteral("Square150x150Logo=\"([^\"]*)\""));
    const QRegularExpressionMatch m = logo.match(manifest);
    const QString assets =
        joined(dir, folderOf(m.hasMatch() ? m.captured(1).replace(QLatin1Char('\\'), QLatin1Char('/'))
                                          : QStringLiteral("Assets/x")));
    // The designer's older names for the small and large tiles.
    const QMap<QString, QString> aliases{{QStringLiteral("SmallTile"), QStringLiteral("Square71x71Logo")},
                                         {QStringLiteral("LargeTile"), QStringLiteral("Square310x310Logo")},
                                         {QStringLiteral("BadgeLogo"), QStringLiteral("LockScreenLogo")}};
    int made = 0;
    for (const QString& file :
         QDir(joined(d.root, assets)).entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const QString base = file.section(QLatin1Char('.'), 0, 0);
        const QString name = aliases.value(base, base);
        const QString path = joined(assets, file);
        const QSize size = sizeOf(joined(d.root, path));
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

// An Expo app names its icons in app.json; each it names that is there is made again at its size,
// as its place asks: the app icon opaque (iOS takes no transparency), the adaptive layers with the
// foreground in the safe zone, the favicon as the icon.
void expo(Draft& d, const Sources& s, const QString& dir)
{
    const QJsonObject app =
        QJsonDocument::fromJson(
            readText(joined(d.root, joined(dir, QStringLiteral("app.json")))).value_or(QByteArray()))
            .object()
            .value(QStringLiteral("expo"))
            .toObject();
    const QJsonObject adaptive =
        app.value(QStringLiteral("android")).toObject().value(QStringLiteral("adaptiveIcon")).toObject();
    const struct
    {
        QJsonValue path;
        std::function<QImage(int)> make;
    } icons[] = {
        {app.value(QStringLiteral("icon")), [&s](int size) { return s.opaqueIcon(size); }},
        {app.value(QStringLiteral("ios")).toObject().value(QStringLiteral("icon")),
         [&s](int size) { return s.opaqueIcon(size); }},
        {adaptive.value(QStringLiteral("foregroundImage")),
         [&s](int size) { return s.adaptiveForeground(size); }},
        {adaptive.value(QStringLiteral("backgroundImage")),
         [&s](int size) { return s.adaptiveBackground(size); }},
        {adaptive.value(QStringLiteral("monochromeImage")),
         [&s](int size) { return s.adaptiveMonochrome(size); }},
        {app.value(QStringLiteral("web")).toObject().value(QStringLiteral("favicon")),
         [&s](int size) { return s.iconAt(size); }},
    };
    for (const auto& icon : icons) {
        const QString path = QDir::cleanPath(joined(dir, icon.path.toString()));
        const QSize size = sizeOf(joined(d.root, path));
        if (icon.path.toString().isEmpty() || path.startsWith(QLatin1String("..")) ||
            !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) || !size.isValid() ||
            size.width() != size.height() || size.width() > 4096)
            continue;
        const std::function<QImage(int)> make = icon.make;
        const int side = size.width();
        d.add(pngJob(QString(), [make, side] { return make(side); }), path);
    }
}

void electron(Draft& d, const Sources& s, Targets& t, const QString& dir)
{
    const QString build = joined(dir, QStringLiteral("build/"));
    d.add(t.macos.at(QStringLiteral("AppIcon.icns")), build + QStringLiteral("icon.icns"));
    d.add(t.windows.at(QStringLiteral("app.ico")), build + QStringLiteral("icon.ico"));
    for (int size : {16, 32, 48, 64, 128, 256, 512, 1024})
        d.add(pngJob(QString(), [&s, size] { return s.iconAt(size); }),
              build + QStringLiteral("icons/%1x%1.png").arg(size));
}

} // namespace

AppPlan planAppUpdate(const IconDesign& design, const QString& folder, const Options& options)
{
    AppPlan plan;
    plan.folder = QFileInfo(folder).absoluteFilePath();
    Scan scan;
    look(plan.folder, QString(), 8, scan);
    if (scan.folders > largestTree) {
        plan.refused = QStringLiteral("it holds more than %1 folders, more than an app's project: choose the "
                                      "app's own folder")
                           .arg(largestTree);
        return plan;
    }
    plan.found = scan.found;
    if (scan.found.isEmpty())
        return plan;
    const Sources sources(design, options);
    Targets targets(sources);
    Draft d{plan.folder, {}, {}, {}, {}};
    for (const QString& module : scan.androidModules)
        android(d, targets, module);
    for (const QString& set : scan.catalogs)
        catalog(d, targets, set, scan.xcodeProjects);
    for (const QString& manifest : scan.webManifests) {
        const bool flutter =
            std::any_of(scan.flutter.begin(), scan.flutter.end(), [&manifest](const QString& root) {
                return manifest == joined(root, QStringLiteral("web/manifest.json"));
            });
        webManifest(d, sources, manifest, flutter);
    }
    for (const QString& root : scan.flutter) {
        const QString ico = joined(root, QStringLiteral("windows/runner/resources/app_icon.ico"));
        if (d.exists(ico))
            d.add(targets.windows.at(QStringLiteral("app.ico")), ico);
    }
    for (const QString& dir : scan.tauri)
        tauri(d, sources, targets, dir);
    for (const QString& dir : scan.electron)
        electron(d, sources, targets, dir);
    for (const QString& dir : scan.windowsPackages)
        windowsPackage(d, sources, dir);
    for (const QString& dir : scan.expo)
        expo(d, sources, dir);

    const QVector<QByteArray> bytes = fileBytes(d.jobs);
    for (int i = 0; i < d.jobs.size(); ++i) {
        const QString& path = d.jobs[i].path;
        AppChange change{AppChange::Add, path, bytes[i]};
        if (d.exists(path))
            change.action = readText(joined(plan.folder, path), largestFile) == bytes[i] ? AppChange::Same
                            : d.edited.contains(path)                                    ? AppChange::Edit
                                                                                         : AppChange::Replace;
        plan.changes << change;
    }
    d.removed.removeDuplicates();
    for (const QString& path : d.removed)
        if (!d.planned(path))
            plan.changes << AppChange{AppChange::Remove, path, {}};
    plan.notes = d.notes;
    return plan;
}

QString backupFolder(const QString& folder, const QDateTime& when)
{
    const QString base =
        QStringLiteral(".glyphwright-backup/") + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(joined(folder, name)); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

Files::Outcome applyAppPlan(const AppPlan& plan, const QString& backup)
{
    Files::Outcome outcome;
    Files::WriteOptions confined;
    confined.confinedTo = plan.folder;
    for (const AppChange& change : plan.changes) {
        if (change.action == AppChange::Same)
            continue;
        const QString path = joined(plan.folder, change.path);
        if (change.action != AppChange::Add) {
            // The file as it is now goes to the backup first; without that copy it is not touched.
            const QString kept = joined(joined(plan.folder, backup), change.path);
            const std::optional<QByteArray> old = readText(path, largestFile);
            Files::Result saved = old ? Files::makeFolder(QFileInfo(kept).path(), plan.folder)
                                      : Files::Result::failure(QStringLiteral("it could not be read"));
            if (saved)
                saved = Files::write(kept, *old, confined);
            if (!saved) {
                outcome.add(path,
                            Files::Result::failure(
                                QStringLiteral("it could not be kept in %1: %2").arg(backup, saved.error)));
                continue;
            }
        }
        if (change.action == AppChange::Remove) {
            QFile file(path);
            outcome.add(path, file.remove() ? Files::Result::success()
                                            : Files::Result::failure(file.errorString()));
            continue;
        }
        Files::Result made = Files::makeFolder(QFileInfo(path).path(), plan.folder);
        if (made)
            made = change.bytes.isEmpty()
                       ? Files::Result::failure(QStringLiteral("the image could not be encoded"))
                       : Files::write(path, change.bytes, confined);
        outcome.add(path, made);
    }
    return outcome;
}

} // namespace Packages
