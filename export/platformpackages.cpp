#include "export/platformpackages.h"

#include "export/iconcontainers.h"
#include "export/packagelayers.h"
#include "export/parallel.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <set>

namespace Packages {

namespace {

// One file of a package: where it goes and how its bytes are made. Making them (scaling and
// encoding) is the costly part, so it runs on all cores once every file is known.
struct Job
{
    QString path;
    std::function<QByteArray()> bytes;
};
using Jobs = QList<Job>;

void png(Jobs& jobs, const QString& path, const std::function<QImage()>& image)
{
    jobs.append({path, [image] { return pngBytes(image()); }});
}

void text(Jobs& jobs, const QString& path, const QByteArray& bytes)
{
    jobs.append({path, [bytes] { return bytes; }});
}

QString colorName(const QColor& color)
{
    return color.name(QColor::HexRgb);
}

void android(Sources& s, const QString& out, Jobs& jobs)
{
    const struct
    {
        const char* density;
        int legacy, adaptive;
    } densities[] = {{"mdpi", 48, 108},
                     {"hdpi", 72, 162},
                     {"xhdpi", 96, 216},
                     {"xxhdpi", 144, 324},
                     {"xxxhdpi", 192, 432}};
    s.prepare();
    const QImage icon = s.icon(), round = s.roundIcon();
    for (const auto& d : densities) {
        const QString dir =
            out + QStringLiteral("/res/mipmap-") + QLatin1String(d.density) + QLatin1Char('/');
        const int legacy = d.legacy, adaptive = d.adaptive;
        png(jobs, dir + QStringLiteral("ic_launcher.png"), [=] { return scaled(icon, legacy); });
        png(jobs, dir + QStringLiteral("ic_launcher_round.png"), [=] { return scaled(round, legacy); });
        png(jobs, dir + QStringLiteral("ic_launcher_foreground.png"),
            [&s, adaptive] { return s.adaptiveForeground(adaptive); });
        png(jobs, dir + QStringLiteral("ic_launcher_background.png"),
            [&s, adaptive] { return s.adaptiveBackground(adaptive); });
        png(jobs, dir + QStringLiteral("ic_launcher_monochrome.png"),
            [&s, adaptive] { return s.adaptiveMonochrome(adaptive); });
    }
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                           "<adaptive-icon xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
                           "    <background android:drawable=\"@mipmap/ic_launcher_background\" />\n"
                           "    <foreground android:drawable=\"@mipmap/ic_launcher_foreground\" />\n"
                           "    <monochrome android:drawable=\"@mipmap/ic_launcher_monochrome\" />\n"
                           "</adaptive-icon>\n";
    text(jobs, out + QStringLiteral("/res/mipmap-anydpi-v26/ic_launcher.xml"), xml);
    text(jobs, out + QStringLiteral("/res/mipmap-anydpi-v26/ic_launcher_round.xml"), xml);
    png(jobs, out + QStringLiteral("/playstore-icon.png"), [&s] { return s.playStoreIcon(); });
}

void ios(Sources& s, const QString& out, Jobs& jobs)
{
    const QString dir = out + QStringLiteral("/AppIcon.appiconset/");
    s.prepare();
    png(jobs, dir + QStringLiteral("AppIcon-1024.png"), [&s] { return s.iosIcon(); });
    png(jobs, dir + QStringLiteral("AppIcon-1024-dark.png"), [&s] { return s.iosDark(); });
    png(jobs, dir + QStringLiteral("AppIcon-1024-tinted.png"), [&s] { return s.iosTinted(); });
    text(jobs, dir + QStringLiteral("Contents.json"), R"({
  "images" : [
    {
      "filename" : "AppIcon-1024.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "dark" } ],
      "filename" : "AppIcon-1024-dark.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    },
    {
      "appearances" : [ { "appearance" : "luminosity", "value" : "tinted" } ],
      "filename" : "AppIcon-1024-tinted.png",
      "idiom" : "universal",
      "platform" : "ios",
      "size" : "1024x1024"
    }
  ],
  "info" : {
    "author" : "xcode",
    "version" : 1
  }
}
)");
}

void macos(Sources& s, const QString& out, Jobs& jobs)
{
    const QImage full = s.macosIcon();
    jobs.append({out + QStringLiteral("/AppIcon.icns"), [full] {
                     const QList<QPair<QByteArray, int>> types = {
                         {"icp4", 16},  {"icp5", 32},  {"icp6", 64},   {"ic07", 128},
                         {"ic08", 256}, {"ic09", 512}, {"ic10", 1024}, {"ic11", 32},
                         {"ic12", 64},  {"ic13", 256}, {"ic14", 512}};
                     QList<QPair<QByteArray, QImage>> entries;
                     for (const auto& t : types)
                         entries.append({t.first, t.second == canvas ? full : scaled(full, t.second)});
                     return icnsFile(entries);
                 }});
}

QList<QImage> sizes(const QImage& icon, std::initializer_list<int> list)
{
    QList<QImage> images;
    for (int s : list)
        images.append(scaled(icon, s));
    return images;
}

void windows(Sources& s, const QString& out, Jobs& jobs)
{
    const QImage icon = s.icon();
    jobs.append({out + QStringLiteral("/app.ico"), [icon] {
                     return icoFile(sizes(icon, {16, 24, 32, 48, 64, 128, 256}));
                 }});
}

QByteArray webManifest(Sources& s)
{
    QJsonArray icons;
    auto entry = [&icons](const char* src, int size, const char* purpose) {
        icons.append(QJsonObject{{QStringLiteral("src"), QLatin1String(src)},
                                 {QStringLiteral("sizes"), QStringLiteral("%1x%1").arg(size)},
                                 {QStringLiteral("type"), QStringLiteral("image/png")},
                                 {QStringLiteral("purpose"), QLatin1String(purpose)}});
    };
    entry("icon-192.png", 192, "any");
    entry("icon-512.png", 512, "any");
    entry("icon-maskable-192.png", 192, "maskable");
    entry("icon-maskable-512.png", 512, "maskable");
    entry("icon-monochrome-512.png", 512, "monochrome");
    const QColor splash = s.options().splashColor.isValid() ? s.options().splashColor : s.themeColor();
    const QJsonObject manifest{
        {QStringLiteral("name"), s.options().name},
        {QStringLiteral("short_name"), s.options().name},
        {QStringLiteral("start_url"), QStringLiteral("/")},
        {QStringLiteral("display"), QStringLiteral("standalone")},
        {QStringLiteral("theme_color"), colorName(s.themeColor())},
        {QStringLiteral("background_color"), colorName(splash)},
        {QStringLiteral("icons"), icons},
    };
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

void web(Sources& s, const QString& out, Jobs& jobs)
{
    s.prepare();
    const QImage icon = s.icon();
    jobs.append({out + QStringLiteral("/favicon.ico"), [icon] {
                     return icoFile(sizes(icon, {16, 32, 48}));
                 }});
    for (int size : {16, 32})
        png(jobs, out + QStringLiteral("/favicon-%1.png").arg(size), [=] { return scaled(icon, size); });
    for (int size : {192, 512}) {
        png(jobs, out + QStringLiteral("/icon-%1.png").arg(size), [=] { return scaled(icon, size); });
        png(jobs, out + QStringLiteral("/icon-maskable-%1.png").arg(size),
            [&s, size] { return s.maskableIcon(size); });
    }
    png(jobs, out + QStringLiteral("/icon-monochrome-512.png"), [&s] { return scaled(s.monochrome(), 512); });
    png(jobs, out + QStringLiteral("/apple-touch-icon.png"), [&s] { return s.opaqueIcon(180); });
    text(jobs, out + QStringLiteral("/manifest.webmanifest"), webManifest(s));
    text(jobs, out + QStringLiteral("/head-snippet.html"),
         QStringLiteral("<link rel=\"icon\" href=\"/favicon.ico\" sizes=\"48x48\">\n"
                        "<link rel=\"icon\" href=\"/favicon-32.png\" type=\"image/png\" sizes=\"32x32\">\n"
                        "<link rel=\"icon\" href=\"/favicon-16.png\" type=\"image/png\" sizes=\"16x16\">\n"
                        "<link rel=\"apple-touch-icon\" href=\"/apple-touch-icon.png\">\n"
                        "<link rel=\"manifest\" href=\"/manifest.webmanifest\">\n"
                        "<meta name=\"theme-color\" content=\"%1\">\n")
             .arg(colorName(s.themeColor()))
             .toUtf8());
}

void linuxDesktop(Sources& s, const QString& out, Jobs& jobs)
{
    const QImage icon = s.icon();
    const QString id = s.options().appId;
    const QList<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};
    QString lines;
    for (int size : sizes) {
        const QString file = QStringLiteral("hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
        png(jobs, out + QLatin1Char('/') + file, [=] { return scaled(icon, size); });
        lines += QStringLiteral("install -Dm644 \"$here/%1\" \"$prefix/icons/%1\"\n").arg(file);
    }
    text(jobs, out + QStringLiteral("/install-icons.sh"),
         QStringLiteral(
             "#!/bin/sh\n"
             "# Installs the icon \"%1\" into the hicolor theme; name it in the desktop entry\n"
             "# as Icon=%1.\n"
             "#   ./install-icons.sh [DATA_DIR]   (default ~/.local/share; /usr/share system-wide)\n"
             "set -e\n"
             "here=$(dirname \"$0\")\n"
             "prefix=${1:-${XDG_DATA_HOME:-$HOME/.local/share}}\n"
             "%2"
             "touch \"$prefix/icons/hicolor\"\n"
             "gtk-update-icon-cache -q -t \"$prefix/icons/hicolor\" 2>/dev/null || true\n")
             .arg(id, lines)
             .toUtf8());
}

using Writer = void (*)(Sources&, const QString&, Jobs&);
const std::pair<const char*, Writer> writers[] = {
    {"android", android}, {"ios", ios}, {"macos", macos},
    {"windows", windows}, {"web", web}, {"linux", linuxDesktop},
};

} // namespace

const QStringList& targets()
{
    static const QStringList names = [] {
        QStringList list;
        for (const auto& w : writers)
            list << QLatin1String(w.first);
        return list;
    }();
    return names;
}

Outcome writePackage(const IconDesign& design, const QString& folder, const QStringList& chosen,
                     const Options& options)
{
    Sources sources(design, options);
    Jobs jobs;
    for (const auto& w : writers)
        if (chosen.contains(QLatin1String(w.first)))
            w.second(sources, chosen.size() > 1 ? folder + QLatin1Char('/') + QLatin1String(w.first) : folder,
                     jobs);

    // The folders first, on this thread; then the files on all cores.
    std::set<QString> folders;
    for (const Job& job : jobs)
        folders.insert(QFileInfo(job.path).path());
    QStringList missing;
    for (const QString& f : folders)
        if (!QDir().mkpath(f))
            missing << f;
    QVector<Files::Result> results(jobs.size());
    parallelFor(jobs.size(), [&](int i) {
        const QString dir = QFileInfo(jobs[i].path).path();
        if (missing.contains(dir)) {
            results[i] =
                Files::Result::failure(QStringLiteral("the folder %1 could not be created").arg(dir));
            return;
        }
        const QByteArray bytes = jobs[i].bytes();
        results[i] = bytes.isEmpty()
                         ? Files::Result::failure(QStringLiteral("the image could not be encoded"))
                         : Files::write(jobs[i].path, bytes);
    });
    Outcome outcome;
    for (int i = 0; i < jobs.size(); ++i)
        outcome.add(jobs[i].path, results[i]);
    return outcome;
}

Outcome writePackage(const IconDesign& design, const QString& folder, const QString& target,
                     const Options& options)
{
    return writePackage(design, folder, target == QLatin1String("all") ? targets() : QStringList{target},
                        options);
}

} // namespace Packages
