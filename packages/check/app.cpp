// The check of an app's project as it stands, whoever wrote its icons: the places apply finds
// (Android modules, Xcode icon sets, web manifests, Expo, Tauri and packaged Windows apps), each file
// read as apply reads it, never through a link out of the folder.
#include "packages/check/check.h"

#include "packages/apply/frameworks.h"
#include "packages/darklook.h"
#include "packages/layers.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

namespace Packages::Check {

using Apply::folderOf;
using Apply::joined;

namespace {

const QStringList densities = {QStringLiteral("mdpi"), QStringLiteral("hdpi"), QStringLiteral("xhdpi"),
                               QStringLiteral("xxhdpi"), QStringLiteral("xxxhdpi")};

// The app's folder as the check reads it: as it stands, or as an apply's plan would leave it (its
// changes laid over the files, nothing written).
struct Context
{
    QString root;
    QMap<QString, const AppChange*> planned; // the plan's changes by path (none: the folder as it is)
    QList<Finding> found;

    const AppChange* change(const QString& path) const { return planned.value(path, nullptr); }
    bool exists(const QString& path) const
    {
        if (const AppChange* c = change(path))
            return c->action != AppChange::Remove;
        return !path.isEmpty() && !Apply::linkInTheWay(root, path) && QFileInfo::exists(joined(root, path));
    }
    QByteArray bytes(const QString& path, qint64 limit = Apply::largestFile) const
    {
        if (const AppChange* c = change(path))
            return c->bytes;
        return Apply::readText(root, path, limit).value_or(QByteArray());
    }
    QByteArray text(const QString& path) const
    {
        return change(path) ? change(path)->bytes : Apply::readText(root, path).value_or(QByteArray());
    }
    QImage image(const QString& path) const { return QImage::fromData(bytes(path)); }
    QSize sizeOf(const QString& path) const
    {
        return change(path) ? QImage::fromData(change(path)->bytes).size() : Apply::sizeOf(root, path);
    }
    // The names in `dir` matching `patterns` (files, or folders with `folders`), the plan's added
    // ones in and its removed ones out.
    QStringList entries(const QString& dir, const QStringList& patterns, bool folders = false) const
    {
        QStringList names = QDir(joined(root, dir))
                                .entryList(patterns, (folders ? QDir::Dirs : QDir::Files) | QDir::NoDotAndDotDot);
        const QString inside = dir.isEmpty() ? QString() : dir + QLatin1Char('/');
        for (auto it = planned.begin(); it != planned.end(); ++it) {
            if (!it.key().startsWith(inside))
                continue;
            const QString rest = it.key().mid(inside.size());
            const bool direct = !rest.contains(QLatin1Char('/'));
            const QString name = folders ? rest.section(QLatin1Char('/'), 0, 0) : rest;
            if ((folders && direct) || (!folders && !direct) || !QDir::match(patterns, name))
                continue;
            if (it.value()->action == AppChange::Remove && !folders)
                names.removeAll(name);
            else if (it.value()->action != AppChange::Remove && !names.contains(name))
                names << name;
        }
        names.sort();
        return names;
    }
};

// Whether PNG `bytes` carry an alpha channel (an RGBA or grey-with-alpha colour type, or a tRNS
// chunk), whatever its pixels hold.
bool hasAlphaChannel(const QByteArray& bytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.size() < 33)
        return false;
    const int colourType = quint8(bytes[25]);
    if (colourType == 4 || colourType == 6)
        return true;
    for (int at = 8; at + 8 <= bytes.size();) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == "tRNS")
            return true;
        if (type == "IDAT" || type == "IEND" || length > quint32(bytes.size()))
            break;
        at += 12 + int(length);
    }
    return false;
}

double transparentShare(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    double clear = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            clear += qAlpha(line[x]) < 255;
    }
    return pixels.isNull() ? 0 : clear / (double(pixels.width()) * pixels.height());
}

// A resource a manifest names ("@mipmap/ic_launcher"): its type and name.
std::pair<QString, QString> resourceOf(const QString& reference)
{
    static const QRegularExpression form(QStringLiteral("^@(\\w+)/([\\w.]+)$"));
    const QRegularExpressionMatch m = form.match(reference);
    return m.hasMatch() ? std::pair{m.captured(1), m.captured(2)} : std::pair{QString(), QString()};
}

// The files of `res` that hold the resource `name` of `type`, by folder.
QMap<QString, QString> resourceFiles(const Context& c, const QString& res, const QString& type, const QString& name)
{
    QMap<QString, QString> files;
    for (const QString& folder : c.entries(res, {type + QStringLiteral("*")}, true))
        for (const QString& file : c.entries(joined(res, folder), {name + QStringLiteral(".*")}))
            if (file.section(QLatin1Char('.'), 0, 0) == name)
                files.insert(folder, joined(res, joined(folder, file)));
    return files;
}

// The resource an adaptive icon's `layer` element ("foreground", "background") names: "@mipmap/x".
QString layerNamed(const QString& xml, const char* layer)
{
    const QRegularExpression named(QStringLiteral("<%1[^>]*android:drawable\\s*=\\s*\"(@\\w+/[\\w.]+)\"")
                                       .arg(QLatin1String(layer)));
    return named.match(xml).captured(1);
}

// The file of its largest density (xxxhdpi) of the resource an adaptive icon's `layer` names.
QString layerFile(const Context& c, const QString& res, const QString& xml, const char* layer)
{
    const auto [type, name] = resourceOf(layerNamed(xml, layer));
    return type.isEmpty() ? QString() : resourceFiles(c, res, type, name).value(type + QStringLiteral("-xxxhdpi"));
}

// The colour a `@color/NAME` reference names in the module's values (invalid when it is not one).
QColor colourResource(const Context& c, const QString& res, const QString& reference)
{
    const auto [type, name] = resourceOf(reference);
    if (type != QLatin1String("color"))
        return QColor();
    const QRegularExpression entry(QStringLiteral("<color\\s+name=\"%1\">\\s*(#[0-9A-Fa-f]{6,8})\\s*<")
                                       .arg(QRegularExpression::escape(name)));
    for (const QString& file : c.entries(joined(res, QStringLiteral("values")), {QStringLiteral("*.xml")}))
        if (const QRegularExpressionMatch m =
                entry.match(QString::fromUtf8(c.text(joined(res, QStringLiteral("values/") + file))));
            m.hasMatch())
            return QColor(m.captured(1));
    return QColor();
}

// The layer with what cannot be told from the colour `under` it left out (a plate of the
// background's own colour, faint decoration on it): the launcher's mask cuts those unseen.
QImage apartFrom(const QImage& layer, const QColor& under)
{
    QImage out = layer.convertToFormat(QImage::Format_ARGB32);
    if (!under.isValid())
        return out;
    const int r0 = under.red(), g0 = under.green(), b0 = under.blue();
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(line[x]);
            const auto over = [a](int c, int u) { return (c * a + u * (255 - a)) / 255; };
            const int d = std::max({std::abs(over(qRed(line[x]), r0) - r0), std::abs(over(qGreen(line[x]), g0) - g0),
                                    std::abs(over(qBlue(line[x]), b0) - b0)});
            if (d < 32)
                line[x] = 0;
        }
    }
    return out;
}

void androidModule(Context& c, const QString& module)
{
    const QString main = joined(module, QStringLiteral("src/main"));
    const QString res = joined(main, QStringLiteral("res"));
    const QString manifestPath = joined(main, QStringLiteral("AndroidManifest.xml"));
    const QString manifest = QString::fromUtf8(c.text(manifestPath));
    const QString target = QStringLiteral("Android app module ") + module;
    const int application = manifest.indexOf(QLatin1String("<application"));
    const QString tag = application < 0 ? QString()
                                        : manifest.mid(application, manifest.indexOf(QLatin1Char('>'), application) -
                                                                        application);
    for (const char* attribute : {"android:icon", "android:roundIcon"}) {
        const QRegularExpression value(QStringLiteral("%1\\s*=\\s*\"([^\"]*)\"").arg(QLatin1String(attribute)));
        const QRegularExpressionMatch m = value.match(tag);
        if (!m.hasMatch())
            continue;
        const auto [type, name] = resourceOf(m.captured(1));
        if (type.isEmpty())
            continue;
        const QMap<QString, QString> files = resourceFiles(c, res, type, name);
        if (files.isEmpty()) {
            c.found << finding("android-manifest-missing-icon", {QLatin1String(attribute), m.captured(1)}, target,
                               manifestPath);
            continue;
        }
        if (type == QLatin1String("drawable") && qstrcmp(attribute, "android:icon") == 0)
            c.found << finding("android-launcher-not-mipmap", {m.captured(1)}, target, manifestPath);
        // Bitmaps at some densities and not at others (ldpi aside, as lint has it).
        QStringList have, missing;
        for (const QString& density : densities)
            (files.contains(type + QLatin1Char('-') + density) ? have : missing) << type + QLatin1Char('-') + density;
        if (!have.isEmpty() && !missing.isEmpty())
            c.found << finding("android-densities", {name, missing.join(QStringLiteral(", "))}, target,
                               joined(res, have.first()));
        // The adaptive icon: its monochrome layer, and its foreground inside the safe circle.
        for (auto it = files.begin(); it != files.end(); ++it) {
            if (!it.value().endsWith(QLatin1String(".xml")))
                continue;
            const QString xml = QString::fromUtf8(c.text(it.value()));
            if (!xml.contains(QLatin1String("<adaptive-icon")))
                continue;
            if (!xml.contains(QLatin1String("<monochrome")))
                c.found << finding("android-no-monochrome", {it.value()}, target, it.value());
            const QString largest = layerFile(c, res, xml, "foreground");
            const QImage layer = largest.endsWith(QLatin1String(".png")) ? c.image(largest) : QImage();
            if (layer.isNull() || layer.width() != layer.height())
                continue;
            // Measured on what stands apart from a background of one colour.
            const QImage seen = apartFrom(layer, colourResource(c, res, layerNamed(xml, "background")));
            const double reach = inkRadius(seen) * 108, across = inkWidth(seen) * 108;
            if (reach > 33.5)
                c.found << finding("android-adaptive-safe-zone", {QString::number(reach, 'f', 1)}, target, largest);
            if (across > 0 && across < 47 && reach < 32)
                c.found << finding("android-adaptive-small", {QString::number(across, 'f', 1)}, target, largest);
            // The themed shape against the foreground: a copy of a filled foreground floods it.
            const QString monoFile = layerFile(c, res, xml, "monochrome");
            const QImage shape = monoFile.endsWith(QLatin1String(".png")) ? c.image(monoFile) : QImage();
            if (shape.size() != layer.size())
                continue;
            const double lost = lostShare(seen, shape);
            if (lost > 0.5)
                c.found << finding("themed-silhouette-lost", {QString::number(lost * 100, 'f', 0)}, target, monoFile);
            const double faded = fadedShare(seen, shape);
            if (faded > 0.25)
                c.found << finding("themed-silhouette-faded", {QString::number(faded * 100, 'f', 0)}, target,
                                   monoFile);
            const double filled = filledShare(shape), own = filledShare(seen);
            if (filled > 0.97 && own < 0.85)
                c.found << finding("themed-silhouette-flooded",
                                   {QString::number(filled * 100, 'f', 0), QString::number(own * 100, 'f', 0)},
                                   target, monoFile);
        }
    }
    // Android 12's launch icon, light and dark: the system shows the circle of 192 of its 288 dp.
    for (const QString& folder : {QStringLiteral("drawable-xxxhdpi"), QStringLiteral("drawable-night-xxxhdpi")}) {
        const QString file = joined(res, folder + QStringLiteral("/splash_icon.png"));
        const QImage shown = c.exists(file) ? c.image(file) : QImage();
        const double reach = shown.isNull() ? 0 : inkRadius(shown) * 288;
        if (reach > 97)
            c.found << finding("android-launch-icon-circle", {QString::number(reach, 'f', 1)}, target, file);
    }
    // The dark launch screen of Android 12: its icon against its colour.
    const QString night = joined(res, QStringLiteral("values-night/splash_background.xml"));
    const QString icon = joined(res, QStringLiteral("drawable-night-xxxhdpi/splash_icon.png"));
    static const QRegularExpression colour(QStringLiteral("<color name=\"splash_background\">(#[0-9A-Fa-f]{6})<"));
    const QColor background(colour.match(QString::fromUtf8(c.text(night))).captured(1));
    const QImage launch = c.exists(icon) ? c.image(icon) : QImage();
    if (background.isValid() && !launch.isNull()) {
        const double mean = meanLuminanceOf(launch);
        const double ratio = mean < 0 ? 21 : contrastRatio(mean, luminanceOf(background.rgb()));
        if (ratio < 3)
            c.found << finding("launch-dark-contrast", {QString::number(ratio, 'f', 1), background.name()}, target,
                               icon);
    }
    // The Play Store icon the module keeps beside its resources.
    const QString play = joined(main, QStringLiteral("ic_launcher-playstore.png"));
    if (c.exists(play)) {
        const QByteArray bytes = c.bytes(play);
        const QImage listing = QImage::fromData(bytes);
        if (listing.size() != QSize(512, 512) || bytes.size() > 1024 * 1024)
            c.found << finding("play-icon-size",
                               {QStringLiteral("%1 x %2, %3 KB")
                                    .arg(listing.width())
                                    .arg(listing.height())
                                    .arg((bytes.size() + 1023) / 1024)},
                               target, play);
        const double clear = transparentShare(listing);
        if (clear > 0.001)
            c.found << finding("play-icon-transparent", {QString::number(clear * 100, 'f', 0)}, target, play);
    }
}

void iconSet(Context& c, const QString& set)
{
    const QString listPath = joined(set, QStringLiteral("Contents.json"));
    const QJsonArray images = QJsonDocument::fromJson(c.text(listPath)).object().value(QStringLiteral("images")).toArray();
    const QString target = QStringLiteral("Xcode asset catalog ") + set;
    QSet<QString> named{QStringLiteral("Contents.json")};
    bool ios = false, marketing = false;
    for (const QJsonValue& v : images) {
        const QJsonObject image = v.toObject();
        const QString idiom = image.value(QStringLiteral("idiom")).toString();
        const QString platform = image.value(QStringLiteral("platform")).toString();
        const QString file = image.value(QStringLiteral("filename")).toString();
        ios = ios || idiom == QLatin1String("iphone") || idiom == QLatin1String("ipad") ||
              idiom == QLatin1String("ios-marketing") ||
              (idiom == QLatin1String("universal") && platform == QLatin1String("ios"));
        const bool store = image.value(QStringLiteral("size")).toString() == QLatin1String("1024x1024") &&
                           (idiom == QLatin1String("ios-marketing") || idiom == QLatin1String("universal"));
        const QString appearance =
            image.value(QStringLiteral("appearances")).toArray().at(0).toObject().value(QStringLiteral("value")).toString();
        if (store && appearance.isEmpty())
            marketing = true;
        if (file.isEmpty())
            continue;
        named << file;
        const QString path = joined(set, file);
        if (!c.exists(path)) {
            c.found << finding("ios-iconset-missing-file", {file}, target, listPath);
            continue;
        }
        if (!store || appearance == QLatin1String("dark"))
            continue;
        const QByteArray bytes = c.bytes(path);
        if (!hasAlphaChannel(bytes))
            continue;
        if (appearance.isEmpty())
            c.found << finding("ios-appstore-alpha",
                               {transparentShare(QImage::fromData(bytes)) == 0
                                    ? QStringLiteral(", though all its pixels are opaque")
                                    : QString()},
                               target, path);
        else if (appearance == QLatin1String("tinted"))
            c.found << finding("ios-tinted-alpha", {}, target, path);
    }
    if (ios && !marketing)
        c.found << finding("ios-appstore-missing", {}, target, listPath);
    for (const QString& file : c.entries(set, {QStringLiteral("*")}))
        if (!named.contains(file))
            c.found << finding("ios-iconset-unnamed-file", {file}, target, joined(set, file));
}

// A path a web manifest or its page names, as a path in the app's folder (site-root paths from the
// manifest's folder, as such sites keep them); empty for a URL or a data: URI.
QString sitePath(const QString& dir, QString named)
{
    named = named.section(QLatin1Char('?'), 0, 0).section(QLatin1Char('#'), 0, 0);
    named.remove(QStringLiteral("%PUBLIC_URL%"));
    if (named.isEmpty() || named.contains(QLatin1String("://")) || named.startsWith(QLatin1String("data:")))
        return QString();
    const QString path = QDir::cleanPath(joined(dir, named.startsWith(QLatin1Char('/')) ? named.mid(1) : named));
    return path.startsWith(QLatin1String("..")) ? QString() : path;
}

void webManifest(Context& c, const QString& manifest)
{
    const QString dir = folderOf(manifest);
    const QString target = QStringLiteral("web app manifest ") + manifest;
    bool has192 = false, has512 = false;
    for (const QJsonValue& v :
         QJsonDocument::fromJson(c.text(manifest)).object().value(QStringLiteral("icons")).toArray()) {
        const QJsonObject icon = v.toObject();
        const QString src = icon.value(QStringLiteral("src")).toString();
        const QString path = sitePath(dir, src);
        if (path.isEmpty())
            continue;
        if (!c.exists(path)) {
            c.found << finding("web-icon-missing", {manifest, src}, target, manifest);
            continue;
        }
        const QStringList purposes =
            icon.value(QStringLiteral("purpose")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (purposes.contains(QStringLiteral("any")) && purposes.contains(QStringLiteral("maskable")))
            c.found << finding("web-manifest-any-maskable", {src}, target, manifest);
        const QSize own = c.sizeOf(path);
        const QString declared = icon.value(QStringLiteral("sizes")).toString();
        const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
        if (png && !declared.isEmpty() && declared != QLatin1String("any") &&
            !declared.split(QLatin1Char(' ')).contains(QStringLiteral("%1x%2").arg(own.width()).arg(own.height())))
            c.found << finding("web-manifest-size-untrue",
                               {src, declared, QStringLiteral("%1 x %2").arg(own.width()).arg(own.height())}, target,
                               manifest);
        if (png && !purposes.contains(QStringLiteral("monochrome"))) {
            has192 = has192 || own == QSize(192, 192);
            has512 = has512 || own == QSize(512, 512);
        }
    }
    if (!has192 || !has512)
        c.found << finding("web-manifest-sizes",
                           {!has192 && !has512 ? QStringLiteral("192 or 512")
                            : !has192          ? QStringLiteral("192")
                                               : QStringLiteral("512")},
                           target, manifest);
    // The page's icon links.
    QString page = joined(dir, QStringLiteral("index.html"));
    if (!c.exists(page) && QFileInfo(dir).fileName() == QLatin1String("public"))
        page = joined(folderOf(dir), QStringLiteral("index.html"));
    if (!c.exists(page))
        return;
    static const QRegularExpression link(QStringLiteral("<link\\b[^>]*\\brel=\"(?:shortcut )?icon\"[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression href(QStringLiteral("\\bhref=\"([^\"]*)\""));
    const QString html = QString::fromUtf8(c.text(page));
    for (auto i = link.globalMatch(html); i.hasNext();) {
        const QString named = href.match(i.next().captured(0)).captured(1);
        const QString path = sitePath(dir, named);
        if (!path.isEmpty() && !c.exists(path))
            c.found << finding("web-icon-missing", {page, named}, target, page);
    }
}

void expoApp(Context& c, const QString& dir)
{
    const QString file = joined(dir, QStringLiteral("app.json"));
    const QJsonObject app = QJsonDocument::fromJson(c.text(file)).object().value(QStringLiteral("expo")).toObject();
    const QJsonObject android = app.value(QStringLiteral("android")).toObject();
    const QJsonObject adaptive = android.value(QStringLiteral("adaptiveIcon")).toObject();
    const struct
    {
        const char* key;
        QString named;
        bool square1024;
    } images[] = {
        {"icon", app.value(QStringLiteral("icon")).toString(), true},
        {"ios.icon", app.value(QStringLiteral("ios")).toObject().value(QStringLiteral("icon")).toString(), true},
        {"android.adaptiveIcon.foregroundImage", adaptive.value(QStringLiteral("foregroundImage")).toString(), true},
        {"android.adaptiveIcon.backgroundImage", adaptive.value(QStringLiteral("backgroundImage")).toString(), true},
        {"android.adaptiveIcon.monochromeImage", adaptive.value(QStringLiteral("monochromeImage")).toString(), true},
        {"web.favicon", app.value(QStringLiteral("web")).toObject().value(QStringLiteral("favicon")).toString(), false},
    };
    const QString target = QStringLiteral("Expo app ") + file;
    for (const auto& image : images) {
        if (image.named.isEmpty() || image.named.contains(QLatin1String("://")))
            continue;
        const QString path = QDir::cleanPath(joined(dir, image.named));
        if (!c.exists(path)) {
            c.found << finding("expo-image-missing", {QLatin1String(image.key), image.named}, target, file);
            continue;
        }
        const QSize size = c.sizeOf(path);
        if (image.square1024 && size != QSize(1024, 1024))
            c.found << finding("expo-image-size",
                               {QLatin1String(image.key), QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())},
                               target, path);
    }
    // The launch screen's images, the expo-splash-screen plugin's.
    for (const QJsonValue& plugin : app.value(QStringLiteral("plugins")).toArray()) {
        const QJsonObject options = plugin.toArray().at(1).toObject();
        if (plugin.toArray().at(0).toString() != QLatin1String("expo-splash-screen"))
            continue;
        for (const auto& [key, named] :
             {std::pair{"expo-splash-screen image", options.value(QStringLiteral("image")).toString()},
              {"expo-splash-screen dark image",
               options.value(QStringLiteral("dark")).toObject().value(QStringLiteral("image")).toString()}})
            if (!named.isEmpty() && !c.exists(QDir::cleanPath(joined(dir, named))))
                c.found << finding("expo-image-missing", {QLatin1String(key), named}, target, file);
    }
}

void tauriApp(Context& c, const QString& dir)
{
    const QString file = joined(dir, QStringLiteral("tauri.conf.json"));
    const QJsonObject conf = QJsonDocument::fromJson(c.text(file)).object();
    // Tauri 2 keeps the list under "bundle", Tauri 1 under "tauri.bundle".
    QJsonArray icons = conf.value(QStringLiteral("bundle")).toObject().value(QStringLiteral("icon")).toArray();
    if (icons.isEmpty())
        icons = conf.value(QStringLiteral("tauri"))
                    .toObject()
                    .value(QStringLiteral("bundle"))
                    .toObject()
                    .value(QStringLiteral("icon"))
                    .toArray();
    for (const QJsonValue& v : icons) {
        const QString named = v.toString();
        if (!named.isEmpty() && !c.exists(QDir::cleanPath(joined(dir, named))))
            c.found << finding("tauri-icon-missing", {named}, QStringLiteral("Tauri app ") + file, file);
    }
}

void windowsApp(Context& c, const QString& dir)
{
    const QString file = joined(dir, QStringLiteral("Package.appxmanifest"));
    const QString manifest = QString::fromUtf8(c.text(file));
    // The logos of the visual elements (attributes) and the store logo (<Logo> of the properties).
    static const QRegularExpression logo(
        QStringLiteral("\\b(?:\\w*Logo|SplashScreen|Image)=\"([^\"]+\\.png)\"|<Logo>\\s*([^<]+\\.png)\\s*</Logo>"));
    QSet<QString> told;
    for (auto i = logo.globalMatch(manifest); i.hasNext();) {
        const QRegularExpressionMatch m = i.next();
        const QString named = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        const QString path = joined(dir, QString(named).replace(QLatin1Char('\\'), QLatin1Char('/')));
        // The file itself or any of its scales and target sizes, as the packaging tools look for them.
        const QString base = QFileInfo(path).completeBaseName();
        const bool there = c.exists(path) ||
                           !c.entries(folderOf(path), {base + QStringLiteral(".scale-*.png"),
                                                       base + QStringLiteral(".targetsize-*.png")})
                                .isEmpty();
        if (!there && !told.contains(named)) {
            told << named;
            c.found << finding("msix-asset-missing", {named}, QStringLiteral("packaged Windows app ") + file, file);
        }
    }
}

} // namespace

namespace {

QList<Finding> checked(Context& c)
{
    const Apply::Scan scan = Apply::scanFolder(c.root);
    const QList<Apply::Framework>& frameworks = Apply::frameworks();
    for (const Apply::Place& place : scan.places) {
        if (!place.note.isEmpty())
            continue; // left alone by apply too (a library module, a generated native folder)
        const QString name = QLatin1String(frameworks[place.framework].name);
        if (name == QLatin1String("Android"))
            androidModule(c, place.where);
        else if (name == QLatin1String("Xcode"))
            iconSet(c, place.where);
        else if (name == QLatin1String("web"))
            webManifest(c, place.where);
        else if (name == QLatin1String("Expo"))
            expoApp(c, place.where);
        else if (name == QLatin1String("Tauri"))
            tauriApp(c, place.where);
        else if (name == QLatin1String("Windows"))
            windowsApp(c, place.where);
    }
    // One finding a fact: two icons naming the same layer (ic_launcher and ic_launcher_round) tell
    // of it once.
    QList<Finding> once;
    for (const Finding& f : c.found)
        if (std::none_of(once.begin(), once.end(), [&f](const Finding& o) {
                return o.rule == f.rule && o.file == f.file && o.message == f.message;
            }))
            once << f;
    return once;
}

} // namespace

QList<Finding> checkApp(const QString& folder)
{
    Context c{QFileInfo(folder).absoluteFilePath(), {}, {}};
    return checked(c);
}

QList<Finding> checkPlanned(const AppPlan& plan)
{
    Context c{plan.folder, {}, {}};
    for (const AppChange& change : plan.changes)
        if (change.action != AppChange::Same)
            c.planned.insert(change.path, &change);
    return checked(c);
}


} // namespace Packages::Check
